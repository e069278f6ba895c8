#pragma once
// The statistics window: a sample of values with frequencies typed, pasted,
// sorted and deleted on the data page ("Datos"), and on the results page
// ("Resultados") the 21 statistics and a chart of the distribution with the
// quartiles, the mean and the bell curve.
#include "services/toolwindow.h"
#include "tools/estadisticas/estadistica.h"

#include <QAbstractTableModel>
#include <QFontMetrics>
#include <QRect>
#include <QString>

#include <functional>
#include <utility>
#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QSplitter;
class QTabWidget;
class QTableView;
class QToolButton;
class TAreaFondo;
class TPaintBoxM;
class TStringGridX;

// The frequency table over the sample: row 0 the header, row r the sample r.
class TStatTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TStatTableModel(const TStatData& data, QObject* parent = nullptr) : QAbstractTableModel(parent), m_data(data) {}
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // The sample changed: the rows are read again.
    void Refresh();

private:
    const TStatData& m_data;
};

// Where the chart's axis labels go in a chart w × h: "Dato" and "Q1", "Q2",
// "Q3" under the quartiles' pixel columns, none over another.
std::vector<std::pair<QString, QRect>> ChartAxisLabels(const QFontMetrics& fm, int w, int h, const int quartileX[3]);

class TfmStat : public TToolWindow {
    Q_OBJECT
public:
    static inline const QString kName = QStringLiteral("fmStat");
    static constexpr int kHelpContext = 36;
    static constexpr int kResultsHelpContext = 39;

    TfmStat(ToolHost& host, QWidget* parent);
    ~TfmStat() override;

    void ApplyAppearance() override;

    // Where the chart wrote its axis labels last ("Dato", "Q1", "Q2", "Q3").
    const std::vector<std::pair<QString, QRect>>& AxisLabels() const { return m_axisLabels; }

    const TStatData& Data() const { return m_data; }
    const TStatResults& Results() const { return m_results; }

    // Shows the help topic (the main window's help); none: nothing.
    std::function<void(int context)> OnHelp;

    // Controls by their names.
    QTabWidget* PageControl1 = nullptr;
    QWidget* fmStatPage = nullptr;   // the data page (control name "fmStat")
    QWidget* TabSheet2 = nullptr;
    QTableView* griD = nullptr;
    QWidget* Panel1 = nullptr;
    TAreaFondo* AreaFondo1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* entrada = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QToolButton* SpeedButton4 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* BorrarPuntoMuestral = nullptr;
    QWidget* Panel2 = nullptr;
    TAreaFondo* AreaFondo2 = nullptr;
    TPaintBoxM* pb = nullptr;
    QLabel* Label4 = nullptr;
    QToolButton* SpeedButton9 = nullptr;
    QSplitter* Splitter1 = nullptr;
    TStringGridX* sg = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QAction* Borrar = nullptr;
    QAction* Copiar = nullptr;
    QAction* CopiarTodo = nullptr;

public slots:
    void entradaKeyPress();   // Enter: adds the entry
    void SpeedButton1Click(); // clear all
    void SpeedButton2Click(); // copy the table
    void SpeedButton3Click(); // paste data
    void BorrarPuntoClick();  // delete the current row's point
    void CopiarClick();
    void CopiarTodoClick();
    void PageControl1Change(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* e) override;

private:
    void AddEntry(const QString& text);
    void UpdateTotals();
    void RefreshTable();
    void ShowResults();
    void AddResultRow(const QString& label, const QString& value);
    void pbPaint();
    void pbMouseMove(int x, int y);
    void Help(int context);

    TStatData m_data;
    TStatResults m_results;
    bool m_hasResults = false;
    TStatTableModel* m_model = nullptr;
    std::vector<std::pair<QString, QRect>> m_axisLabels;
};
