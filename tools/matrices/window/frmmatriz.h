#pragma once
// The matrix window: grids A, B and C to type matrices into, R for the
// results; rational (fractions of polynomials) or complex mode.
#include "engine/complex/expresion.h"
#include "engine/real/expresion.h"
#include "services/toolwindow.h"
#include "tools/matrices/matrixactions.h"

#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QSpinBox;
class QSplitter;
class QToolButton;
class TMenuDrawing;
class TMenuItem;
class TPopupMenuX;
class TStringGridX;
class TfmInput;

class TfmMatriz : public TToolWindow {
    Q_OBJECT
public:
    static inline const QString kName = QStringLiteral("fmMatriz");
    // What a dragged grid carries: its control name.
    static inline const QString kGridMime = QStringLiteral("application/x-sumbrix-matriz");

    TfmMatriz(ToolHost& host, QWidget* parent = nullptr);
    ~TfmMatriz() override;

    bool ComplexMode() const { return m_complex; }
    void SetMode(bool complexMode);
    TStringGridX* ActiveGrid() const { return m_active; }
    TStringGridX* GridByTag(int tag) const;
    int HelpContext() const { return 27; }
    void UpdateStatus(int col, int row);
    void ApplyAppearance() override;
    // The last rational result shown in R, or none.
    const TMatriz* LastResult() const { return m_lastResult ? &*m_lastResult : nullptr; }
    // The two grids exchange sizes and data (a drop of one on the other).
    void SwapGridsOf(TStringGridX* a, TStringGridX* b);

    // Help requests (the help viewer by default).
    std::function<void(int context)> OnHelp;
    // Questions of the rational solve; tests replace it.
    TSingularQuestion Ask;
    // Runs the input box of the scalar product (its exec by default).
    std::function<int(TfmInput& box)> ExecInput;
    // Starts dragging a grid (a drag and drop of the window system by default).
    std::function<void(TStringGridX* grid)> StartDrag;

    // The evaluators whose names ("Val", "m", "n") the scalar box offers; the
    // complex one evaluates the complex scalar.
    real::TExpresion RealEvaluator;
    complex::TExpresion ComplexEvaluator;

    TPopupMenuX* PopupMenu1 = nullptr;
    TPopupMenuX* PopupMenuX4 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    class CellDelegate;
    class GradientBar;

    TStringGridX* MakeGrid(int tag, QWidget* panel);
    QToolButton* DropDown(const char* button, const char* menu, const QString& sign, TMatrixAction action,
                          const QString& hintText);
    void SetActiveGrid(TStringGridX* grid);
    void ShowSize();
    // Runs an action with progress and Esc; false when it failed or stopped.
    bool Run(const std::function<void()>& work);
    void Action(TMatrixAction action, int otherTag = -1);
    void ShowLast();
    void Scalar();
    void Copy();
    void Paste();
    void SizeChanged();
    void FormatClick(int tag);
    bool GridKey(TStringGridX* grid, QObject* watched, QEvent* event);
    bool GridMouse(TStringGridX* grid, QEvent* event);
    bool SizeHandleMouse(QEvent* event);
    void ReadSettings();
    void WriteSettings();
    void LoadGrids();
    void SaveGrids() const;

    TStringGridX* m_grids[4] = {};
    bool m_unreadable[4] = {};
    QWidget* m_panels[4] = {};
    TStringGridX* m_active = nullptr;
    QWidget* ToolBar1 = nullptr;
    QWidget* m_statusBar = nullptr;
    QSpinBox* spFilas = nullptr;
    QSpinBox* spColum = nullptr;
    QWidget* imgTamano = nullptr;
    QToolButton* ToolButton19 = nullptr;
    QWidget* Panel1 = nullptr;
    QSplitter* m_rows = nullptr;
    QSplitter* m_top = nullptr;
    QSplitter* m_bottom = nullptr;
    QLabel* m_status[3] = {};
    std::unique_ptr<TMenuDrawing> m_menuDrawing;
    std::optional<TMatriz> m_lastResult;
    bool m_complex = false;
    bool m_sizing = false;
    bool m_busy = false;
    bool m_panelsPlaced = false;
    int m_panelSizes[3] = {240, 240, 160};
    // The press that may start a drag of a grid, and the press on the size
    // handle with the active grid's data columns and rows at that moment.
    QPoint m_dragStart;
    TStringGridX* m_dragGrid = nullptr;
    QPoint m_sizeStart;
    int m_sizeCols = 0;
    int m_sizeRows = 0;
    bool m_sizeDragging = false;
    Extended m_cellValue = 0, m_cellCol = 0, m_cellRow = 0;
};
