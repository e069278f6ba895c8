#pragma once
// The main calculator window: the expression box, the result box, the formula
// picture, the history list, the memories and the running total, and the
// state the calculation road shares with the calculator functions and the tool
// windows (the last result, the memories, the letter variables, the input
// evaluator).
#include "controls/formmx.h"
#include "foundation/core/extended.h"
#include "shell/userdefs.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class FormulaPicture;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QAction;
class QToolButton;
class QFrame;
class QDialog;
class QWidget;
class TComboExpr;
class TZelIniFile;
class TAutoCompSource;

namespace real {
class TExpresion;
class TVariable;
} // namespace real

// ---------------------------------------------------------------------------
// The letter variables: every lower-case letter but e and g.

inline constexpr int kLetterCount = 24;
// "abcdfhijklmnopqrstuvwxyz"
const QString& LetterVariables();
// The index of a letter variable (0..23), -1 for any other character.
int LetterIndex(QChar letter);

// How the letter prompts reach the user: the main window's input box, or a
// test's scripted answers. Ask shows the prompt with `caption`, the input
// evaluator's names for autocomplete and `text` proposed (all selected); it
// returns false on Cancel, otherwise true with the typed text in `text`.
class VariablePrompter {
public:
    virtual ~VariablePrompter() = default;
    virtual bool Ask(const QString& caption, real::TExpresion* names, QString& text) = 0;
};

// The prompter over the shared input box fmInput.
class InputBoxPrompter : public VariablePrompter {
public:
    bool Ask(const QString& caption, real::TExpresion* names, QString& text) override;
};

// Process-wide values of the main window, read by the calculator functions
// and the tool windows.
struct CalcGlobals {
    Extended LastResult = 0;
    std::array<Extended, 10> Memories{};
    // Length of the expression history and of the saved history lines.
    int MaxList = 50;
    std::uint8_t MainAngleMode = 0;
    // The main window's second evaluator (owned by the window): typed values of
    // prompts, dialogs and tool windows.
    real::TExpresion* InputEvaluator = nullptr;
    // Per letter: asked in this calculation, the value given, the text typed.
    std::array<bool, kLetterCount> AskedFlag{};
    std::array<Extended, kLetterCount> VarValue{};
    std::array<QString, kLetterCount> VarText;
    // "{a=2} {b=3} ": the letters asked in this calculation, in order.
    QString Assignments;
    // Where prompts go (not owned); none: the input box.
    VariablePrompter* Prompter = nullptr;
    // A fixed seed instead of the clock's (tests); the window seeds the random
    // generator with it when it is created.
    std::optional<std::uint64_t> FixedSeed;

    CalcGlobals();
    void reset();
};
CalcGlobals& Calc();

// The prompt of one letter variable: asks until the typed text evaluates.
// Cancel raises EExprMsj "Cálculo cancelado".
void AskVariableValue(QChar letter, Extended& value, QString& text);
// The value function behind a letter: asked once per calculation.
Extended LetterVariableValue(QChar letter);
Extended MemoryValue(int i);
Extended LastResultValue();
// Local date and time as a day serial (days since 30 December 1899 plus the
// fraction of the day).
Extended NowValue();

// The window title text: caption and application title.
QString WindowTitle();

// ---------------------------------------------------------------------------

class TfrmCalcu : public TFormMX {
    Q_OBJECT
public:
    explicit TfrmCalcu(QWidget* parent = nullptr);
    ~TfrmCalcu() override;

    // ---- the calculation road ----
    void Calculate();
    // Adds the pair of history lines of the last calculation and its result to
    // the total; true when something was added.
    bool AddToHistory();
    void UpdateTotalDisplay();
    // The new picture (owned), or none.
    void SetPicture(std::unique_ptr<FormulaPicture> picture);
    const FormulaPicture* Picture() const { return m_picture.get(); }

    // Angle unit and result base: recalculate or reformat, and show the result
    // as a history pair without adding it to the total.
    void SetAngleMode(std::uint8_t mode);
    void SetResultBase(int base);

    // ---- names ----
    // The window's names, the calculator functions and the user definitions,
    // in both evaluators.
    void RegisterNames();
    // Puts the insert text of a user constant or function (by its menu Tag)
    // over the box's selection, the caret after the first "(".
    void InsertUserName(int tag);
    // Insert texts of the user definitions, by menu Tag, and the items of the
    // insert menu's user submenus.
    QStringList UserNames;
    QList<userdefs::TUserMenuItem> UserConstants;
    QList<userdefs::TUserMenuItem> UserFunctions;
    real::TExpresion* MainEvaluator() const { return m_main.get(); }
    real::TVariable* SolveVariable() const { return m_solve; }

    // ---- total ----
    Extended Total() const { return m_total; }
    Extended PreviousTotal() const { return m_previousTotal; }
    int TotalCount() const { return m_count; }

    // ---- live drawing ----
    bool AutoDraw() const { return m_autoDraw; }
    void SetAutoDraw(bool on);

    // ---- settings and shut-down ----
    void SaveSettings();
    // What the window does when it is closed (every way of closing passes here).
    void CloseQuery();

    // ---- history list ----
    // The list's lines with their objects (0 for expressions, the angle unit
    // for results).
    int HistoryCount() const;
    QString HistoryLine(int i) const;
    int HistoryObject(int i) const;
    void AddHistoryLine(const QString& text, int object);   // appended

    // Runs the user-definitions dialog modally and returns its result (tests
    // replace it to drive the dialog without blocking).
    std::function<int(QDialog& dialog)> RunDialog;

    // ---- hooks filled by other parts of the program ----
    // Shows a help context (the help integration installs it).
    std::function<void(int context)> OnHelpContext;

    // ---- controls (objectName as given) ----
    TComboExpr* cmbEdit = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* edtTotal = nullptr;
    QLabel* Label1 = nullptr;
    QToolButton* btnUndo = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* btnMemoria = nullptr;
    QWidget* pbMeta = nullptr;
    QLabel* lblError = nullptr;
    QListWidget* Lista = nullptr;
    QFrame* Panel1 = nullptr;
    QFrame* Panel2 = nullptr;
    QFrame* Panel3 = nullptr;
    QToolButton* btnInsertar = nullptr;
    QToolButton* btnHerramientas = nullptr;
    QMenu* PopupMenu4 = nullptr;   // insert
    QMenu* Constante1 = nullptr;   // insert: "&Constante"
    QMenu* FunciondeUsuario1 = nullptr;   // insert: "Función de &usuario"
    QMenu* PopupMenu7 = nullptr;   // tools
    QMenu* PopupMenu5 = nullptr;   // memories
    QMenu* MenuLista = nullptr;    // history list

    // History list menu items.
    QAction* Reemplazarenexpresin1 = nullptr;
    QAction* CopiarTodo1 = nullptr;
    QAction* CopiarResultados1 = nullptr;
    QAction* Copiar1 = nullptr;
    QAction* Eliminar1 = nullptr;
    QAction* LimpiarTodo1 = nullptr;

public slots:
    void cmbEditKeyPress(QObject* Sender, QChar& Key);
    void cmbEditChange();
    void Edit2Change();
    void edtTotalChange();
    void SpeedButton1Click();
    void btnUndoClick();
    // Memory actions: Tag 1000 Insertar, 1001 Cargar, 1002 Sumar, 1003 Restar,
    // 1004 Borrar, on memory `memory`.
    void MemoryAction(int memory, int tag);
    void MenuMemoriaPopup();
    // "&Constantes...", "&Funciones...", "&Expresiones..." (Tags 0, 1, 2): the
    // user-definitions dialog; on OK the names are registered again.
    void Constantes1Click(int tag);
    // History list.
    void MenuListaPopup();
    void ReemplazarenexpresinClick();
    void CopiarTodoClick();
    void CopiarResultadosClick();
    void CopiarClick();
    void EliminarClick();
    void LimpiarTodoClick();

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void BuildControls();
    void BuildMemoryMenu();
    void BuildHistoryMenu();
    void BuildInsertAndToolsMenus();
    void RebuildUserMenus();
    void FillUserMenu(QMenu* menu, const QList<userdefs::TUserMenuItem>& items, int keep);
    void ReadSettings(TZelIniFile& ini);
    void ReadHistoryLines(TZelIniFile& ini);
    void WriteHistoryLines(TZelIniFile& ini);
    void UpdateExpressionHistory(const QString& text);
    void ShowResult(const QString& text);
    void PaintPicture();
    void DrawLiveExpression();

    std::unique_ptr<real::TExpresion> m_main;
    std::unique_ptr<real::TExpresion> m_input;
    real::TVariable* m_solve = nullptr;
    std::unique_ptr<FormulaPicture> m_picture;
    std::unique_ptr<InputBoxPrompter> m_inputBox;

    Extended m_total = 0;
    Extended m_previousTotal = 0;
    int m_count = 0;
    bool m_autoDraw = true;
    // The last request was Enter on an empty box: nothing may be added.
    bool m_emptyRequest = true;
    // The last calculation got as far as a result (or an evaluation error).
    bool m_resultReady = false;
    // The expression history is being rearranged: no live drawing.
    bool m_updatingHistory = false;
    bool m_closed = false;
    // The user menus are filled when they are first shown after a load.
    bool m_constantsMenuStale = false;
    bool m_functionsMenuStale = false;
};

// The main window (made by the program's start-up).
extern TfrmCalcu* frmCalcu;
