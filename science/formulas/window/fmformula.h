#pragma once
// The formula manager ("Administrador de Fórmulas"): formula groups (one
// scrambled file each), one formula at a time with its law drawn, its
// description, its picture and its table of elements, solved for the element
// marked as the unknown with values in any unit of their magnitudes. Use mode
// solves; edit mode ("Modo edición") edits the law, the description, the
// picture and the table, and leaving it saves.
#include "science/formulas/formulasolve.h"
#include "science/formulas/streams.h"
#include "services/toolwindow.h"

#include <QString>

#include <functional>
#include <memory>

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPixmap;
class QToolButton;
class TAreaFondo;
class TFormulaView;
class TMenuDrawing;
class TStringGridX;
class TTransEdit;
class TTransMemo;
struct TFormulaCellLook;

class TfmFormula : public TToolWindow {
    Q_OBJECT
public:
    static inline const QString kName = QStringLiteral("fmFormula");
    static constexpr int kHelpContext = 37;
    enum Column { cSimb, cDesc, cValor, cUnidad, cBase, cMin, cMax, kColumns };

    TfmFormula(ToolHost& host, QWidget* parent);
    ~TfmFormula() override;

    // Seams the tests replace: the name queries (false: cancelled), the
    // unit-definition editor (true when it saved), the help topic.
    std::function<bool(const QString& caption, const QString& prompt, QString& text)> InputQuery;
    std::function<bool(const QString& magnitude)> EditUnits;
    // The unit-definition editor on a magnitude, owned by `owner`; true when
    // it saved. The main window sets it (the editor is the units window's);
    // unset, the button does nothing.
    static inline std::function<bool(QWidget* owner, const QString& magnitude)> UnitEditor;
    std::function<void(int context)> ShowHelp;

    void OpenGroup(const QString& group);
    void LoadFormula(const QString& name);
    // False when the formula could not be stored (a box told why; edit mode
    // stays, nothing is lost).
    bool SaveFormula();
    void NewFormula();
    void NewGroup();
    void DeleteFormula();
    void DuplicateFormula();
    void RenameFormula();
    void SetEditMode(bool on);
    void Recalculate();
    void ClearValues();
    void CopyResult();
    // The keys of a cell editor, seen before the editor: true when taken.
    // In use mode, in a value: Esc empties it, "*" also turns "**" into "^"
    // and "//" into "\", a letter opens the names list.
    bool CellEditorKey(QLineEdit* editor, QKeyEvent* key);
    // How a cell of the element table is painted.
    TFormulaCellLook CellLook(int row, int col) const;
    // A unit chosen for the current row.
    void UnitMenuClick(const QString& magnitude, const QString& unit);
    // Fills MenuUni with the units of the current row's magnitude; false with
    // the box "Magnitud ... no esta definida" when there is none.
    bool MenuUniPopup();
    void ApplyAppearance() override;

    bool EditMode() const { return m_editMode; }
    const QString& GroupFile() const { return m_groupFile; }
    const QString& FormulaName() const { return m_formulaName; }
    const QString& ImageReference() const { return m_imageReference; }
    // Grid row of the unknown; -1 when none is marked.
    int UnknownRow() const { return m_unknownRow; }
    TFormulaSolver& Solver() { return *m_solver; }
    const TStreams& Pictures() const { return m_pictures; }
    // The formula as the window shows it now.
    TFormula DisplayedFormula() const;

    // Controls (objectName as named here).
    QComboBox* cmbTipo = nullptr;
    QComboBox* cmbFormulas = nullptr;
    TTransEdit* Ley = nullptr;
    TTransMemo* Desc = nullptr;
    QLabel* Image1 = nullptr;
    TFormulaView* Image2 = nullptr;
    TStringGridX* gri = nullptr;
    QLabel* h = nullptr;
    QToolButton* chkEdit = nullptr;
    QToolButton* SpeedButton1 = nullptr;    // "+"
    QToolButton* SpeedButton2 = nullptr;    // save
    QToolButton* SpeedButton3 = nullptr;    // recalculate
    QToolButton* SpeedButton4 = nullptr;    // clear values
    QToolButton* SpeedButton5 = nullptr;    // copy the result
    QToolButton* SpeedButton6 = nullptr;    // duplicate
    QToolButton* SpeedButton7 = nullptr;    // unit editor
    QToolButton* SpeedButton8 = nullptr;    // new group
    QToolButton* SpeedButton9 = nullptr;    // help
    QToolButton* SpeedButton10 = nullptr;   // "-"
    QToolButton* SpeedButton11 = nullptr;   // rename
    QMenu* MenuUni = nullptr;
    QMenu* MenuMag = nullptr;
    TAreaFondo* AreaFondo1 = nullptr;   // behind the window
    TAreaFondo* AreaFondo2 = nullptr;   // behind the bottom bar
    QWidget* Panel1 = nullptr;          // the bottom bar

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void buildControls();
    void rebuildMagnitudeMenu();
    void setHeader();
    void applyCellFlags();
    void showPicture();
    // The picture in `bytes` of the kind into `pixmap`: a bitmap as it is, a
    // metafile drawn into the picture box. False when it cannot be read.
    bool loadPicture(QPixmap& pixmap, const QByteArray& bytes, TGraphicKind kind) const;
    void showLaw();
    void cellSelected(int row, int col, int previousCol);
    bool lawKey(QKeyEvent* key);
    // Opens the names list on `edit` with the table of `names` for the
    // letter `key` (when the "Autocompletar" option is on).
    bool complete(QWidget* edit, real::TExpresion& names, QKeyEvent* key);
    void cellClicked(int row, int col);
    void cellChanged(int row, int col);
    bool gridKey(int key);
    void recalculateSoon();
    void syncSolver();
    QStringList formulaNames() const;
    QString currentGroup() const;
    void selectFormula(const QString& name);
    void error(const QString& text);

    QString m_groupFile;
    QString m_formulaName;
    QString m_imageReference;
    int m_unknownRow = -1;
    bool m_editMode = true;
    bool m_loading = false;
    bool m_recalculatePending = false;
    TStreams m_pictures;
    std::unique_ptr<TFormulaSolver> m_solver;
    std::unique_ptr<real::TExpresion> m_ownParent;   // without a host evaluator
    int m_reloadHandler = 0;
    bool m_shown = false;
    std::unique_ptr<TMenuDrawing> m_menuDrawing;
};

// The main window's show operation gives the formula window its own
// stay-on-top state after showing it.
void GiveStayOnTop(TToolWindow& window, bool stayOnTop);
