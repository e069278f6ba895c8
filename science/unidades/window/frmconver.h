#pragma once
// The instant converter ("Conversor instantáneo"): one quantity in every unit
// of a magnitude at once (page "Magnitudes y Unidades"), and one number in
// every base from 2 to 36 at once (page "Bases numéricas"). Either page can
// follow the main window's result (its "Rst" button down): the window listens
// to the host's after-calculation notice. The magnitude list follows every
// reload of the unit definitions.
#include "foundation/core/extended.h"
#include "services/toolwindow.h"

#include <QString>

#include <functional>

class QComboBox;
class TAreaFondo;
class QLineEdit;
class QSplitter;
class QTabWidget;
class QTableWidget;
class QToolButton;
class QWidget;

class TfmConver : public TToolWindow {
    Q_OBJECT
public:
    static inline const QString kName = QStringLiteral("fmConver");
    static constexpr int kHelpContext = 35;

    TfmConver(ToolHost& host, QWidget* parent);
    ~TfmConver() override;

    // The main window's result text (what "Rst" takes). The main window sets
    // it; by default the host's last result as the result box writes it.
    static inline std::function<QString()> MainResultText;
    // Shows the main window's editing menu for the quantity box.
    static inline std::function<void(QLineEdit* box)> ExpressionMenu;
    // Opens the unit-definition editor on a magnitude; true when it saved
    // (tests replace it). Default: the editor dialog.
    std::function<bool(const QString& magnitude)> EditUnits;

    // The page's "Rst" is down: its input becomes the main window's result.
    void UpdateFromMainResult();
    // X in column 1 of every base row but Base's (0: all rows).
    void ShowAllBases(int base, Extended x);
    // Every value cell of the bases page emptied.
    void ClearBases();
    void ApplyAppearance() override;

    // Controls (objectName as named here).
    QTabWidget* PageControl1 = nullptr;
    TAreaFondo* AreaFondo1 = nullptr;   // behind the units page
    TAreaFondo* AreaFondo2 = nullptr;   // behind the bases page
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QComboBox* cmbMag = nullptr;
    QComboBox* cmbUni = nullptr;
    QLineEdit* txtUni = nullptr;
    QToolButton* UsaRst = nullptr;
    QToolButton* SpeedButton7 = nullptr;
    QToolButton* SpeedButton9 = nullptr;
    QTableWidget* gri = nullptr;
    QLineEdit* Edit1 = nullptr;
    QToolButton* UsaRst2 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QSplitter* Splitter1 = nullptr;
    QTableWidget* gri1 = nullptr;   // bases 2 to 18
    QTableWidget* gri2 = nullptr;   // bases 19 to 36

public slots:
    void cmbMagClick();
    void cmbUniClick();
    void UsaRstClick();
    void UsaRst2Click();
    void Edit1Change();
    void gri1SetEditText(QTableWidget* grid, int row, int col);
    void SpeedButton7Click();
    void SpeedButton9Click();
    void CopyCell();

protected:
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillMagnitudes();
    // A letter typed in the quantity box opens the names list (the option
    // "Autocompletar" on, the list not cancelled, "NoAuto" off): true when
    // the list took the key.
    bool QuantityAutoComplete(QChar key);
    void LayoutColumns();
    QString ResultText() const;
    int BaseOfRow(const QTableWidget* grid, int row) const;
    void SetBaseCell(QTableWidget* grid, int row, const QString& text);

    int m_reloadHandler = 0;
    bool m_filling = false;
};
