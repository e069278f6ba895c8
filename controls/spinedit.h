#pragma once
// A numeric edit box with up and down buttons: the user types a number or
// steps it by a fixed increment with the buttons or the arrow keys, and the
// value stays within optional bounds.
#include "controls/events.h"
#include "foundation/core/exceptions.h"
#include "foundation/core/extended.h"

#include <QCursor>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

// A value outside the bounds of a box that checks them on leaving.
class ERangeError : public Exception {
public:
    using Exception::Exception;
};

enum TValueType { vtInteger, vtFloat, vtHex };
enum TSpinButtonKind { bkStandard, bkDiagonal, bkClassic };

using TMouseWheelUpDownEvent = std::function<void(QObject* Sender, TShiftState Shift, QPoint MousePos, bool& Handled)>;

// Text of a number by a format picture: "0" a digit always written, "#" a
// digit written when significant, "." the decimal point, "," (before the
// point) thousands grouped with a blank. Only the first section (before ";")
// is used.
QString FormatFloat(const QString& format, Extended value);

// The two cursors of the spin edit's unit, registered under 14000 and 14001
// by the start-up step.
inline constexpr int crRxHand = 14000;
inline constexpr int crRxDrag = 14001;
void RegisterRxCursors();
// A registered cursor; the arrow for a number nothing was registered under.
QCursor ScreenCursor(int id);

// The spin button: two halves, up and down, that step while pressed, once at
// once, again after 400 ms and then every 100 ms.
class TRxSpinButton : public QWidget {
    Q_OBJECT
public:
    TRxSpinButton(TSpinButtonKind kind, QWidget* parent = nullptr);

    TSpinButtonKind Kind() const { return m_kind; }
    void setKind(TSpinButtonKind k);

    // True when a press at the point is on the upper (up) half.
    bool IsUpHalf(QPoint p) const;

    // The repeat clock: running while a half is held; its period is 400 ms
    // before the first repeat and 100 ms after.
    const QTimer& RepeatTimer() const { return m_repeat; }
    // One tick of the repeat clock.
    void RepeatTick();

    TNotifyEvent OnTopClick;
    TNotifyEvent OnBottomClick;

    QSize sizeHint() const override { return QSize(15, 20); }

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void stepOnce();

    TSpinButtonKind m_kind;
    QTimer m_repeat;
    int m_pressed = 0; // 1 up, -1 down, 0 none
};

class TRxCustomSpinEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TRxCustomSpinEdit(QWidget* parent = nullptr);
    ~TRxCustomSpinEdit() override;

    TValueType ValueType() const { return m_valueType; }
    void setValueType(TValueType t);
    Extended Value() const;
    void setValue(Extended v);
    Extended MinValue() const { return m_min; }
    void setMinValue(Extended v);
    Extended MaxValue() const { return m_max; }
    void setMaxValue(Extended v);
    bool CheckMinValue() const { return m_checkMin; }
    void setCheckMinValue(bool on);
    bool CheckMaxValue() const { return m_checkMax; }
    void setCheckMaxValue(bool on);
    Extended Increment() const { return m_increment; }
    void setIncrement(Extended v);
    int Decimal() const { return m_decimal; }
    void setDecimal(int d);
    QString DisplayFormat() const { return m_displayFormat; }
    void setDisplayFormat(const QString& f);
    bool EditorEnabled = true;
    bool ArrowKeys = true;
    bool CheckOnExit = false;
    TSpinButtonKind ButtonKind() const { return m_buttonKind; }
    void setButtonKind(TSpinButtonKind k);
    TAlignment Alignment() const { return m_alignment; }
    void setAlignment(TAlignment a);
    bool AutoSelect = true;

    TNotifyEvent OnTopClick;
    TNotifyEvent OnBottomClick;
    TNotifyEvent OnChange;
    TMouseWheelUpDownEvent OnMouseWheelUp;
    TMouseWheelUpDownEvent OnMouseWheelDown;

    // A value kept within the enforced bounds.
    Extended Clamp(Extended v) const;
    // The value a text stands for, or none when it reads as no number.
    bool TextIsNumber(const QString& text) const;

    void UpClick();
    void DownClick();

    // The check of leaving the box: with CheckOnExit a value outside the
    // enforced bounds raises ERangeError (and the box keeps the focus);
    // otherwise the value is clamped and written back.
    void CheckOnLeaving();
    // The range error's text for the current bounds.
    QString RangeErrorText() const;

    TRxSpinButton* Button() const { return m_button; }
    bool Focused() const { return m_focused; }

protected:
    // A refused key press: a beep.
    virtual void Beep();

    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void step(Extended delta, const TNotifyEvent& after);
    void boundsChanged();
    void writeText(Extended v);
    Extended readText(const QString& text) const;
    bool acceptsChar(QChar c) const;
    void layoutButton();
    void updateMinimumHeight();
    void doPaste();
    void doCut();

    TValueType m_valueType = vtInteger;
    Extended m_min = 0, m_max = 0;
    bool m_checkMin = false, m_checkMax = false;
    Extended m_increment = 1;
    int m_decimal = 2;
    QString m_displayFormat;
    TSpinButtonKind m_buttonKind = bkDiagonal;
    TAlignment m_alignment = taLeftJustify;
    TRxSpinButton* m_button = nullptr;
    bool m_focused = false;
    bool m_holdChange = false;
    bool m_destroying = false;
};

class TRxSpinEdit : public TRxCustomSpinEdit {
    Q_OBJECT
public:
    explicit TRxSpinEdit(QWidget* parent = nullptr);
};
