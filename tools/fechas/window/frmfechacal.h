#pragma once
// The month calendar the dates window picks its dates with: a small modal
// window with a tool-window border and no system buttons, one month with the
// week numbers. Enter or a double click chooses the day, Esc leaves without
// choosing; the arrows move one day (left, right) or one week (up, down).
#include "engine/canvas.h"

#include <QDate>
#include <QDialog>

class QCalendarWidget;

class TfmFechaCal : public QDialog {
    Q_OBJECT
public:
    explicit TfmFechaCal(QWidget* parent = nullptr);

    QDate Date() const;
    void SetDate(const QDate& date);
    // Text, title background, title text, month background and the days of
    // the months around it.
    void SetColors(TColor texto, TColor sombra, TColor fondo, TColor luz);

    QCalendarWidget* MonthCalendar1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
