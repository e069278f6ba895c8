#pragma once
// The main calculator window: the expression box, the result box, the formula
// picture, the history list, the memories and the running total, and the
// state the calculation road shares with the calculator functions and the tool
// windows (the last result, the memories, the letter variables, the input
// evaluator).
#include "controls/formmx.h"
#include "foundation/core/extended.h"
#include "services/calcmodel.h"
#include "services/toolhost.h"
#include "services/userdefs.h"

#include <QHash>
#include <QPoint>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class FormulaPicture;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QAction;
class QToolButton;
class QFrame;
class TToolWindow;
class QActionGroup;
class QKeyEvent;
class QSplitter;
class QDialog;
class QWidget;
class TComboExpr;
class TMenuDrawing;
class QGridLayout;
class QSystemTrayIcon;
class QTimer;
class TConversionMenu;
class TpvlUrl;
class TFormulaView;
class TZelIniFile;
class TAutoCompSource;

namespace real {
class TExpresion;
class TVariable;
} // namespace real


// ---------------------------------------------------------------------------

class TfrmCalcu : public TFormMX, public ToolHost {
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
    const FormulaPicture* Picture() const;

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
    // The help topic of a name of the names list (its icon tells its kind): a
    // user function's, a user constant's, the functions' otherwise.
    int NameHelpContext(const QString& name, int icon) const;
    // Insert texts of the user definitions, by menu Tag, and the items of the
    // insert menu's user submenus.
    QStringList UserNames;
    QList<userdefs::TUserMenuItem> UserConstants;
    QList<userdefs::TUserMenuItem> UserFunctions;
    real::TExpresion* MainEvaluator() const { return m_calc ? &m_calc->Main() : nullptr; }
    real::TVariable* SolveVariable() const { return m_calc ? m_calc->SolveVariable() : nullptr; }

    // ---- total ----
    Extended Total() const { return m_calc->Total(); }
    Extended PreviousTotal() const { return m_calc->PreviousTotal(); }
    int TotalCount() const { return m_calc->Count(); }

    // ---- live drawing ----
    bool AutoDraw() const { return m_autoDraw; }
    void SetAutoDraw(bool on);

    // ---- what the tool windows ask of it ----
    real::TExpresion* InputEvaluator() override;
    Extended LastResult() const override;
    std::uint8_t AngleUnit() const override;
    const TAppearance& Appearance() const override;
    bool DrawsWhileTyping() const override { return m_autoDraw; }
    bool MagneticWindows() const override { return Magnetic; }
    const FormulaPicture* CurrentPicture() const override;
    void CopyPicture(const FormulaPicture& picture) override;
    // The save dialog of the picture export (EMF, JPEG, 4-bit BMP, WMF).
    bool CanExportPicture() const override { return true; }
    void ExportPicture(const FormulaPicture& picture, QWidget* owner) override;
    VariablePrompter* Prompter() override;
    int ShowMessage(const QString& text, unsigned flags) override;
    void ToolClosed(TToolWindow* tool) override;
    TNoticeBoard& Notices() override { return m_notices; }

    // ---- options (shared by the settings file and the menus) ----
    // Digits of the result: 100 floating, else that many fixed decimals.
    void SetDigits(int digits);
    // 0 general, 1 scientific, 2 engineering.
    void SetNumberFormat(int notation);
    void SetGroupDigits(bool on);
    // Above other windows; the button and the menu item follow.
    void SetStayOnTop(bool on);
    // "Ocultar título": no title bar and no border (also a double click on
    // the background).
    void SetNoTitle(bool on);
    // "Transparencia": the main window and every tool window translucent
    // while inactive.
    void SetTransparency(bool on);
    // The "Ventana reducida" button: while down, the window shrinks to its
    // top panel whenever the mouse leaves it (checked every 100 ms).
    void SetReducedMode(bool on);
    bool ReducedMode() const { return m_reducedMode; }
    // Only the top panel shows (rounded), or the whole window.
    void SetReduced(bool on);
    bool Reduced() const { return m_reduced; }
    // One check of the reduced mode's timer.
    void Timer1Timer();
    // "Minimizar": minimized, and into the notification area when "MinIcon"
    // is set.
    void MinimizeToTray();
    // Whether the desktop has a notification area (tests replace it).
    std::function<bool()> NotificationAreaAvailable;
    void TrayActivated(int reason);
    // After the splitter moved: near its ends the picture or the history
    // collapses.
    void Splitter1Moved(int top);
    void SetShowKeyboard(bool on);
    void SetShowTotal(bool on);
    // The bar of tool buttons ("Ver Barra utilidades").
    void SetShowBar(bool on);
    void SetShowHistory(bool on);
    // Layout and colours of the window; then every open tool window's.
    void ApplySettings();
    // Inserts an item of the insert menu: an operator's text replaces the
    // selection; a function's template takes the selection inside its first
    // parentheses, the caret before the closing one.
    void InsertText(int tag, const QString& text);
    // The angle, digits and base buttons and menus show the current values.
    void MirrorNumberMenus();
    // The checkable item with that Tag, searched depth first; none.
    static QAction* FindMenuItemByTag(QMenu* menu, int tag);
    // The digits the digits menu offers (100, 0, 2, ... 16).
    static bool IsOfferedDigits(int digits);
    // ---- the tool windows (registered in MainExtensions().Tools) ----
    // Opens (made on first use) or hides the tool window; its menu item and
    // bar button follow.
    void ShowTool(const QString& name, bool on);
    void ToggleTool(const QString& name);
    bool ToolOpen(const QString& name) const;
    TToolWindow* ToolWindowOf(const QString& name) const;
    // The bar of tool buttons.
    QFrame* ToolBar2 = nullptr;
    // The tool windows' open flags by their settings key.
    bool ToolFlag(const QString& key) const { return m_toolFlags.value(key); }

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
    // The tips window, modal, and the about box (their windows install them);
    // the help menu offers only what is installed.
    std::function<void()> OnShowTips;
    std::function<void()> OnAbout;
    // The maker's page ("Buscar Actualizaciones...").
    static const QString kWebPage;

    // ---- controls (objectName as given) ----
    TComboExpr* cmbEdit = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* edtTotal = nullptr;
    QLabel* Label1 = nullptr;
    QToolButton* btnUndo = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* btnMemoria = nullptr;
    TFormulaView* FormulaView = nullptr;
    QWidget* pbMeta = nullptr;     // FormulaView's picture box
    QLabel* lblError = nullptr;    // FormulaView's error line
    QListWidget* Lista = nullptr;
    QFrame* Panel1 = nullptr;
    QFrame* Panel2 = nullptr;
    QFrame* Panel3 = nullptr;
    QSplitter* Splitter1 = nullptr;
    QToolButton* btnInsertar = nullptr;
    QToolButton* btnHerramientas = nullptr;
    QMenu* PopupMenu4 = nullptr;   // insert
    QMenu* Constante1 = nullptr;   // insert: "&Constante"
    QMenu* FunciondeUsuario1 = nullptr;   // insert: "Función de &usuario"
    QMenu* PopupMenu7 = nullptr;   // tools
    QMenu* PopupMenu5 = nullptr;   // memories
    QMenu* MenuLista = nullptr;    // history list
    QMenu* PopupMenu2 = nullptr;   // angle units
    QMenu* PopupMenu3 = nullptr;   // digits
    QMenu* PopupMenu8 = nullptr;   // result base
    QAction* Separadordemiles1 = nullptr;
    QMenu* Configurar1 = nullptr;  // tools: "Configurar"
    QMenu* PopupMenuX1 = nullptr;  // expression box
    QMenu* PopupMenuX2 = nullptr;  // result box
    QMenu* PopupMenu1 = nullptr;   // the context-menu key's editing menu
    QMenu* PopupMenu9 = nullptr;   // help
    QMenu* PopupMenu6 = nullptr;   // unit conversion
    QToolButton* btnConversion = nullptr;
    // The top panel's small buttons, the reduced mode's timer, the size grip.
    QToolButton* SpeedButton7 = nullptr;       // "Cerrar"
    QToolButton* SpeedButton8 = nullptr;       // "Minimizar"
    QToolButton* btnModoReducido = nullptr;    // "Ventana reducida"
    QToolButton* btnSiempreVisible = nullptr;  // "Siempre Visible"
    QTimer* Timer1 = nullptr;
    QWidget* Image1 = nullptr;
    QAction* OcultarTtulo1 = nullptr;          // "Ocultar título"
    QSystemTrayIcon* TrayIcon() const { return m_tray; }
    TConversionMenu* Conversion() const { return m_conversion; }
    // "Calcular &MMR": both evaluators weigh chemical formulas (or no more).
    void SetChemistryHooks();
    // The elements join the names list of the boxes the chemistry serves.
    void AddExtraAutoCompleteEntries(QObject* list);
    QToolButton* btnAyuda = nullptr;
    // Tools menu items shown only while the window sits in the notification
    // area: "Sumbrix" (back to the screen) with its separator, and "Salir".
    QAction* Sumbrix1 = nullptr;
    QAction* N1 = nullptr;
    QAction* Salir1 = nullptr;
    bool InNotificationArea() const { return m_inTray; }
    // Back from the notification area.
    void RestoreFromNotificationArea();
    // Enables PopupMenu1's items for the box and opens it under the expression box.
    void ShowEditMenu(QLineEdit* box);
    // The context-menu key's platform request on a box opens the editing menu.
    void RouteMenuKey(QWidget* widget, QLineEdit* box);
    QToolButton* FormAngulo = nullptr;
    QToolButton* btnDigitos = nullptr;
    QToolButton* btnBase = nullptr;

    TpvlUrl* pvlUrl1 = nullptr;

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
    // The next angle unit (F11), the next base 10, 2, 8, 16 (F7).
    void FormAnguloClick();
    void btnBaseClick();
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
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void FormCreate();
    void BuildControls();
    void BuildMemoryMenu();
    void BuildHistoryMenu();
    void BuildInsertAndToolsMenus();
    void BuildInsertItems();
    void BuildNumberMenus();
    // A key the window handles before the focused control; true when used.
    bool WindowKey(QKeyEvent* key);
    void BuildToolProtocol();
    void BuildConfigureMenu();
    void BuildBoxMenus();
    void BuildEditMenu();
    void BuildHelpMenu();
    void BuildConversionMenu();
    void BuildModeControls(QGridLayout* top);
    // A mouse event on a panel's background: dragging, double click.
    bool BackgroundMouse(QWidget* panel, QEvent* event);
    QGridLayout* m_topLayout = nullptr;
    QSystemTrayIcon* m_tray = nullptr;
    bool m_reduced = false;
    bool m_backgroundDrag = false;
    QPoint m_dragFrom;
    // F10: the conversion menu; Ctrl+F10 the last conversion again,
    // Ctrl+Shift+F10 its inverse.
    void ConversionKey(Qt::KeyboardModifiers modifiers);
    TConversionMenu* m_conversion = nullptr;
    // Every menu of the window draws its items in the colour scheme.
    void AttachMenuDrawing();
    std::unique_ptr<TMenuDrawing> m_menuDrawing;
    bool m_inTray = false;
    bool HasNotificationArea() const;
    QLineEdit* m_editTarget = nullptr;
    struct ConfigureItem {
        QAction* action;
        std::function<bool()> state;
    };
    std::vector<ConfigureItem> m_configureItems;
    void ReopenTools();
    bool ToolKey(QChar letter);
    struct ToolState {
        TMainExtensions::Tool entry;
        bool open = false;
        TToolWindow* window = nullptr;
        QAction* item = nullptr;
        QToolButton* button = nullptr;
    };
    ToolState* FindTool(const QString& name);
    void RebuildUserMenus();
    void FillUserMenu(QMenu* menu, const QList<userdefs::TUserMenuItem>& items, int keep);
    void ReadSettings(TZelIniFile& ini);
    void ReadOptions(TZelIniFile& ini);
    void WriteOptions(TZelIniFile& ini);
    void ReadHistoryLines(TZelIniFile& ini);
    void WriteHistoryLines(TZelIniFile& ini);
    void UpdateExpressionHistory(const QString& text);
    void ShowResult(const QString& text);
    void DrawLiveExpression();
    // A step of a long calculation: progress, paint, Esc.
    void LongWorkTick(double done);
    // While calculating: Esc asks to stop, other input is held back; true
    // when the event was taken.
    bool CalculationInput(QEvent* event);
    bool m_calculating = false;
    bool m_cancelRequested = false;

    std::unique_ptr<TCalcModel> m_calc;
    TNoticeBoard m_notices;
    bool m_reducedMode = false;
    bool m_chemistry = true;
    bool m_noTitle = false;
    bool m_showBar = true;
    bool m_showTotal = true;
    bool m_showHistory = true;
    QHash<QString, bool> m_toolFlags;
    QActionGroup* m_notations = nullptr;
    std::vector<ToolState> m_tools;
    bool m_closingTool = false;
    mutable TAppearance m_appearance;
    std::unique_ptr<InputBoxPrompter> m_inputBox;

    bool m_autoDraw = true;
    // The last request was Enter on an empty box: nothing may be added.
    bool m_emptyRequest = true;
    // The last history pair added its result to the total.
    bool m_addedToTotal = false;
    // The last calculation got as far as a result (or an evaluation error).
    bool m_resultReady = false;
    // The expression history is being rearranged: no live drawing.
    bool m_updatingHistory = false;
    bool m_closed = false;
    // The window has been shown: its panels have the heights of its layout.
    bool m_laidOut = false;
    // The picture's and the history's heights to give once the window shows.
    QList<int> m_pendingSplit;
    // The user menus are filled when they are first shown after a load.
    bool m_constantsMenuStale = false;
    bool m_functionsMenuStale = false;
};

// The heights of the picture and of the history list as designed.
inline constexpr int kDesignedSplit[2] = {90, 110};

// The main window (made by the program's start-up).
extern TfrmCalcu* frmCalcu;
