#include "tools/fechas/window/frmfechacal.h"

#include "drawkit/drawkit.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QLocale>
#include <QTableView>
#include <QTextCharFormat>
#include <QToolButton>
#include <QVBoxLayout>

TfmFechaCal::TfmFechaCal(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("fmFechaCal"));
    setModal(true);
    MonthCalendar1 = new QCalendarWidget(this);
    MonthCalendar1->setObjectName(QStringLiteral("MonthCalendar1"));
    // Spanish names and weeks from Monday, whatever the desktop's language.
    MonthCalendar1->setLocale(QLocale(QLocale::Spanish, QLocale::Spain));
    MonthCalendar1->setFirstDayOfWeek(Qt::Monday);
    MonthCalendar1->setVerticalHeaderFormat(QCalendarWidget::ISOWeekNumbers);
    MonthCalendar1->setGridVisible(false);
    MonthCalendar1->setDateRange(QDate(1, 1, 1), QDate(9999, 12, 31));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(MonthCalendar1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The double click (and Enter inside the days) chooses.
    connect(MonthCalendar1, &QCalendarWidget::activated, this, &QDialog::accept);
    if (auto* view = MonthCalendar1->findChild<QTableView*>())
        view->installEventFilter(this);
    MonthCalendar1->installEventFilter(this);
}

QDate TfmFechaCal::Date() const { return MonthCalendar1->selectedDate(); }

void TfmFechaCal::SetDate(const QDate& date)
{
    MonthCalendar1->setSelectedDate(date);
    MonthCalendar1->setCurrentPage(date.year(), date.month());
}

void TfmFechaCal::SetColors(TColor texto, TColor sombra, TColor fondo, TColor luz)
{
    QPalette p = MonthCalendar1->palette();
    p.setColor(QPalette::Base, ToQColor(luz));
    p.setColor(QPalette::AlternateBase, ToQColor(luz));
    p.setColor(QPalette::Window, ToQColor(luz));
    p.setColor(QPalette::Text, ToQColor(texto));
    p.setColor(QPalette::WindowText, ToQColor(texto));
    MonthCalendar1->setPalette(p);
    if (QWidget* title = MonthCalendar1->findChild<QWidget*>(QStringLiteral("qt_calendar_navigationbar"))) {
        QPalette t = title->palette();
        t.setColor(QPalette::Window, ToQColor(sombra));
        t.setColor(QPalette::Button, ToQColor(sombra));
        t.setColor(QPalette::WindowText, ToQColor(fondo));
        t.setColor(QPalette::ButtonText, ToQColor(fondo));
        title->setAutoFillBackground(true);
        title->setPalette(t);
        for (QToolButton* b : title->findChildren<QToolButton*>())
            b->setPalette(t);
    }
    QTextCharFormat days;
    days.setForeground(ToQColor(texto));
    for (int d = Qt::Monday; d <= Qt::Sunday; ++d)
        MonthCalendar1->setWeekdayTextFormat(Qt::DayOfWeek(d), days);
    QTextCharFormat header;
    header.setForeground(ToQColor(texto));
    header.setBackground(ToQColor(luz));
    MonthCalendar1->setHeaderTextFormat(header);
}

bool TfmFechaCal::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        const QDate d = MonthCalendar1->selectedDate();
        int move = 0;
        switch (k->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter: accept(); return true;
        case Qt::Key_Escape: reject(); return true;
        case Qt::Key_Left: move = -1; break;
        case Qt::Key_Right: move = 1; break;
        case Qt::Key_Up: move = -7; break;
        case Qt::Key_Down: move = 7; break;
        default: break;
        }
        if (move != 0 && k->modifiers() == Qt::NoModifier) {
            const QDate to = d.addDays(move);
            if (to.isValid() && to >= MonthCalendar1->minimumDate() && to <= MonthCalendar1->maximumDate())
                SetDate(to);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
