#pragma once
// The tool window "Fechas y Tiempo": the time between two dates, a date plus
// or minus some days, and sums, ratios, multiples and parts of durations,
// calculated again at every keystroke; the result's unit is chosen from a
// menu, and a month calendar helps to pick the dates.
#include "services/toolwindow.h"
#include "tools/fechas/fechas.h"

#include <QString>

#include <functional>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;
class QWidget;
class TAreaFondo;
class TfmFechaCal;
class TMenuDrawing;
class TMenuItem;
class TPopupMenuX;

class TfmFecha : public TToolWindow {
    Q_OBJECT
public:
    static inline const QString kName = QStringLiteral("fmFecha");
    static constexpr int kHelpContext = 30;

    TfmFecha(ToolHost& host, QWidget* parent);
    ~TfmFecha() override;

    void ApplyAppearance() override;

    // The calculation type (0 to 5) and the result's unit (its menu tag).
    int CalcType() const;
    int Unit() const { return m_format.Unit; }
    // The calendar, once it was used; none before.
    TfmFechaCal* Calendar() const { return m_calendar; }

    // Shows the calendar modally; true when a day was chosen. Tests answer
    // it without a modal loop.
    std::function<bool(TfmFechaCal& calendar)> ExecCalendar;
    // Opens the help at a context; none: the help button does nothing.
    std::function<void(int context)> OnHelpContext;

    QComboBox* ComboBox1 = nullptr;
    QWidget* Panel1 = nullptr;
    QWidget* Panel2 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QToolButton* SpeedButton1 = nullptr;   // Hoy
    QToolButton* SpeedButton2 = nullptr;   // Ahora
    QToolButton* SpeedButton9 = nullptr;   // Ayuda
    QToolButton* btnFecha1 = nullptr;
    QToolButton* btnFecha2 = nullptr;
    QToolButton* btnMenu = nullptr;
    QToolButton* btnMenu2 = nullptr;
    TPopupMenuX* PopupMenu1 = nullptr;
    TAreaFondo* AreaFondo1 = nullptr;
    TAreaFondo* AreaFondo2 = nullptr;
    TAreaFondo* AreaFondo3 = nullptr;

public slots:
    void ComboBox1Change();
    void EditDatesChange();
    void EditTimesChange();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void btnFechaClick(int which);
    void btnMenuClick(QToolButton* button);
    void UnitClick(TMenuItem* item);
    void SpeedButton9Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void Activate() override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    QLineEdit* MakeEdit(const char* name, bool tag1);
    bool FieldKey(QLineEdit* edit, QKeyEvent* k);
    void ShowUnitResult();

    fechas::TDurationFormat m_format;
    TfmFechaCal* m_calendar = nullptr;
    std::unique_ptr<TMenuDrawing> m_menuDrawing;
};
