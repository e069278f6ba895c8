#include "controls/spinedit.h"

#include "controls/application.h"
#include "controls/rxstrutils.h"
#include "foundation/core/format.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMap>
#include <QMenu>
#include <QPainter>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOption>
#include <QWheelEvent>

#include <climits>
#include <cmath>

namespace {

// The separators every engine of the program sets for the whole process.
constexpr QChar kDecimalSeparator = u'.';
constexpr QChar kThousandSeparator = u' ';

// Round as the program's integer conversions do (halves to even), kept within
// 64 bits.
long long roundToInt64(Extended v)
{
    if (std::isnan(v))
        return 0;
    const Extended r = std::nearbyintl(v);
    if (r >= static_cast<Extended>(LLONG_MAX))
        return LLONG_MAX;
    if (r <= static_cast<Extended>(LLONG_MIN))
        return LLONG_MIN;
    return static_cast<long long>(r);
}

bool readInt32(const QString& text, long long& v)
{
    return TryStrToInt(QStringView(DelBSpace(text)), v) && v >= INT_MIN && v <= INT_MAX;
}

bool readHex32(const QString& text, long long& v)
{
    const QString t = DelBSpace(text);
    if (t.isEmpty() || t.size() > 8)
        return false;
    unsigned long long u = 0;
    for (QChar c : t) {
        const int d = c.isDigit() ? c.unicode() - '0'
                      : (c.toUpper() >= u'A' && c.toUpper() <= u'F') ? c.toUpper().unicode() - 'A' + 10
                                                                       : -1;
        if (d < 0)
            return false;
        u = u * 16 + static_cast<unsigned>(d);
    }
    v = static_cast<std::int32_t>(static_cast<std::uint32_t>(u)); // 32-bit, as the box holds
    return true;
}

QMap<int, QCursor>& cursorTable()
{
    static QMap<int, QCursor> t;
    return t;
}

} // namespace

QString FormatFloat(const QString& format, Extended value)
{
    const QString f = format.section(u';', 0, 0);
    const int point = f.indexOf(u'.');
    const QString intPart = point < 0 ? f : f.left(point);
    const QString fracPart = point < 0 ? QString() : f.mid(point + 1);
    const int minInt = static_cast<int>(intPart.count(u'0'));
    const bool group = intPart.contains(u',');
    const int minFrac = static_cast<int>(fracPart.count(u'0'));
    const int maxFrac = minFrac + static_cast<int>(fracPart.count(u'#'));

    QString digits = FloatToStrF(std::fabs(value), FloatFormat::Fixed, 18, maxFrac);
    if (digits.contains(u'E'))
        return FloatToStr(value); // beyond what a picture can show
    QString ip = digits.section(u'.', 0, 0);
    QString fp = digits.section(u'.', 1, 1);
    while (fp.size() > minFrac && fp.endsWith(u'0'))
        fp.chop(1);
    if (ip == QLatin1String("0") && minInt == 0)
        ip.clear();
    while (ip.size() < minInt)
        ip.prepend(u'0');
    if (group) {
        for (int i = static_cast<int>(ip.size()) - 3; i > 0; i -= 3)
            ip.insert(i, kThousandSeparator);
    }
    QString r = ip;
    if (!fp.isEmpty())
        r += kDecimalSeparator + fp;
    const bool zero = !QString(ip + fp).contains(QRegularExpression(QStringLiteral("[1-9]")));
    if (value < 0 && !zero)
        r.prepend(u'-');
    return r;
}

void RegisterRxCursors()
{
    cursorTable().insert(crRxHand, QCursor(Qt::PointingHandCursor));
    cursorTable().insert(crRxDrag, QCursor(Qt::DragMoveCursor));
}

QCursor ScreenCursor(int id)
{
    return cursorTable().value(id, QCursor(Qt::ArrowCursor));
}

// ---------------------------------------------------------------------------
// TRxSpinButton

TRxSpinButton::TRxSpinButton(TSpinButtonKind kind, QWidget* parent) : QWidget(parent), m_kind(kind)
{
    setObjectName(QStringLiteral("SpinButton"));
    setCursor(Qt::ArrowCursor);
    connect(&m_repeat, &QTimer::timeout, this, [this] { RepeatTick(); });
}

void TRxSpinButton::setKind(TSpinButtonKind k)
{
    m_kind = k;
    update();
}

bool TRxSpinButton::IsUpHalf(QPoint p) const
{
    const long long w = std::max(width(), 1);
    const long long h = std::max(height(), 1);
    if (m_kind == bkDiagonal) // above the diagonal from bottom-left to top-right
        return p.y() * w + p.x() * h < w * h;
    return p.y() < h / 2;
}

void TRxSpinButton::stepOnce()
{
    if (m_pressed > 0)
        TApplication::Guarded([this] { fire(OnTopClick, this); });
    else if (m_pressed < 0)
        TApplication::Guarded([this] { fire(OnBottomClick, this); });
}

void TRxSpinButton::RepeatTick()
{
    if (m_pressed == 0) {
        m_repeat.stop();
        return;
    }
    m_repeat.setInterval(100);
    stepOnce();
}

void TRxSpinButton::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(e);
        return;
    }
    m_pressed = IsUpHalf(e->position().toPoint()) ? 1 : -1;
    update();
    m_repeat.start(400);
    stepOnce();
}

void TRxSpinButton::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) {
        m_repeat.stop();
        m_pressed = 0;
        update();
    }
    QWidget::mouseReleaseEvent(e);
}

namespace {

// The arrows' colour: the button text colour, or black or white when that
// colour hides on the face (a scheme with a light text colour).
QColor ArrowColour(const QColor& face, const QColor& text)
{
    auto luma = [](const QColor& c) { return 0.299 * c.redF() + 0.587 * c.greenF() + 0.114 * c.blueF(); };
    if (std::abs(luma(face) - luma(text)) >= 0.4)
        return text;
    return luma(face) > 0.5 ? QColor(Qt::black) : QColor(Qt::white);
}

// A filled triangle pointing up or down, centred in r.
void DrawArrow(QPainter& p, const QRect& r, bool up, const QColor& colour)
{
    const int half = std::max(2, std::min(r.width() / 2 - 1, r.height() - 2));
    const int h = std::max(1, (half + 1) / 2 + 1);
    const int cx = r.left() + r.width() / 2;
    const int top = r.top() + (r.height() - h) / 2;
    QPolygon t;
    if (up)
        t << QPoint(cx - half, top + h) << QPoint(cx + half, top + h) << QPoint(cx, top);
    else
        t << QPoint(cx - half, top) << QPoint(cx + half, top) << QPoint(cx, top + h);
    p.setPen(colour);
    p.setBrush(colour);
    p.drawPolygon(t);
}

} // namespace

void TRxSpinButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QColor face = palette().color(QPalette::Button);
    const QColor arrow = ArrowColour(face, palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                                           QPalette::ButtonText));
    p.fillRect(rect(), face);
    const int w = width(), h = height();
    const QRect up(0, 0, w, h / 2), down(0, h / 2, w, h - h / 2);
    // The pressed half looks sunken.
    if (m_pressed != 0)
        p.fillRect(m_pressed > 0 ? up : down, face.darker(115));
    p.setPen(palette().color(QPalette::Dark));
    if (m_kind == bkDiagonal)
        p.drawLine(0, h - 1, w - 1, 0);
    else
        p.drawLine(0, h / 2, w - 1, h / 2);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    DrawArrow(p, up.adjusted(2, 1, -2, -1), true, arrow);
    DrawArrow(p, down.adjusted(2, 1, -2, -1), false, arrow);
}

// ---------------------------------------------------------------------------
// TRxCustomSpinEdit

TRxCustomSpinEdit::TRxCustomSpinEdit(QWidget* parent) : QLineEdit(parent)
{
    m_button = new TRxSpinButton(m_buttonKind, this);
    m_button->OnTopClick = [this](QObject*) {
        if (isEnabled() && focusPolicy() != Qt::NoFocus)
            setFocus(Qt::MouseFocusReason);
        UpClick();
    };
    m_button->OnBottomClick = [this](QObject*) {
        if (isEnabled() && focusPolicy() != Qt::NoFocus)
            setFocus(Qt::MouseFocusReason);
        DownClick();
    };
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (!m_holdChange && !m_destroying)
            TApplication::Guarded([this] { fire(OnChange, this); });
    });
    layoutButton();
    updateMinimumHeight();
}

TRxCustomSpinEdit::~TRxCustomSpinEdit()
{
    m_destroying = true;
}

void TRxCustomSpinEdit::Beep()
{
    QApplication::beep();
}

Extended TRxCustomSpinEdit::readText(const QString& text) const
{
    const Extended fallback = (m_valueType == vtFloat) ? m_min : static_cast<Extended>(roundToInt64(m_min));
    long long n = 0;
    switch (m_valueType) {
    case vtInteger:
        return readInt32(text, n) ? static_cast<Extended>(n) : fallback;
    case vtHex:
        return readHex32(text, n) ? static_cast<Extended>(n) : fallback;
    case vtFloat:
        break;
    }
    QString t = DelBESpace(text);
    if (!m_displayFormat.isEmpty()) {
        t = DelChars(t, kThousandSeparator);
        t = ReplaceStr(ReplaceStr(t, QStringLiteral("."), QString(kDecimalSeparator)), QStringLiteral(","),
                       QString(kDecimalSeparator));
        if (t.isEmpty())
            return 0;
        if (t == QLatin1String("-"))
            return -0.0L;
    }
    Extended v = 0;
    return TryStrToFloat(t, v) ? v : fallback;
}

bool TRxCustomSpinEdit::TextIsNumber(const QString& text) const
{
    long long n = 0;
    switch (m_valueType) {
    case vtInteger: return readInt32(text, n);
    case vtHex: return readHex32(text, n);
    case vtFloat: break;
    }
    Extended v = 0;
    QString t = DelBESpace(text);
    if (!m_displayFormat.isEmpty())
        t = ReplaceStr(DelChars(t, kThousandSeparator), QStringLiteral(","), QString(kDecimalSeparator));
    return TryStrToFloat(t, v);
}

Extended TRxCustomSpinEdit::Value() const
{
    return readText(text());
}

Extended TRxCustomSpinEdit::Clamp(Extended v) const
{
    if (m_checkMin && v < m_min)
        return m_min;
    if (m_checkMax && v > m_max)
        return m_max;
    return v;
}

void TRxCustomSpinEdit::writeText(Extended v)
{
    QString s;
    switch (m_valueType) {
    case vtInteger:
        s = IntToStr(roundToInt64(v));
        break;
    case vtHex:
        s = IntToHex(roundToInt64(v), 1);
        break;
    case vtFloat:
        if (!m_displayFormat.isEmpty()) {
            if (m_focused)
                s = FormatFloat(m_decimal > 0 ? QStringLiteral("0.") + MakeStr(u'#', m_decimal) : QStringLiteral("0"), v);
            else
                s = FormatFloat(m_displayFormat, v);
        } else {
            s = FloatToStrF(v, FloatFormat::Fixed, 15, m_decimal);
        }
        break;
    }
    if (s != text())
        setText(s);
}

void TRxCustomSpinEdit::setValue(Extended v)
{
    writeText(Clamp(v));
}

void TRxCustomSpinEdit::boundsChanged()
{
    setValue(Value());
}

void TRxCustomSpinEdit::setMinValue(Extended v)
{
    const bool wasZero = m_min == 0;
    m_min = v;
    if (wasZero != (v == 0)) {
        const bool any = m_min != 0 || m_max != 0;
        m_checkMin = any;
        m_checkMax = any;
    }
    boundsChanged();
}

void TRxCustomSpinEdit::setMaxValue(Extended v)
{
    const bool wasZero = m_max == 0;
    m_max = v;
    if (wasZero != (v == 0)) {
        const bool any = m_min != 0 || m_max != 0;
        m_checkMin = any;
        m_checkMax = any;
    }
    boundsChanged();
}

void TRxCustomSpinEdit::setCheckMinValue(bool on)
{
    m_checkMin = m_min != 0 ? true : on;
    boundsChanged();
}

void TRxCustomSpinEdit::setCheckMaxValue(bool on)
{
    m_checkMax = m_max != 0 ? true : on;
    boundsChanged();
}

void TRxCustomSpinEdit::setIncrement(Extended v)
{
    m_increment = v;
}

void TRxCustomSpinEdit::setValueType(TValueType t)
{
    const Extended v = Value(); // read with the old kind: the number is kept
    m_valueType = t;
    if (t == vtInteger || t == vtHex) {
        m_increment = std::nearbyintl(m_increment);
        if (m_increment == 0)
            m_increment = 1;
    }
    setValue(v);
}

void TRxCustomSpinEdit::setDecimal(int d)
{
    const Extended v = Value();
    m_decimal = std::clamp(d, 0, 255);
    setValue(v);
}

void TRxCustomSpinEdit::setDisplayFormat(const QString& f)
{
    const Extended v = Value();
    m_displayFormat = f;
    setValue(v);
}

void TRxCustomSpinEdit::setButtonKind(TSpinButtonKind k)
{
    m_buttonKind = k;
    m_button->setKind(k);
    layoutButton();
}

void TRxCustomSpinEdit::setAlignment(TAlignment a)
{
    m_alignment = a;
    QLineEdit::setAlignment(ToQtAlignment(a) | Qt::AlignVCenter);
}

void TRxCustomSpinEdit::step(Extended delta, const TNotifyEvent& after)
{
    if (isReadOnly()) {
        Beep();
        return;
    }
    const QString old = text();
    m_holdChange = true;
    setValue(Value() + delta);
    m_holdChange = false;
    if (old.compare(text(), Qt::CaseInsensitive) != 0) {
        setModified(true);
        fire(OnChange, this);
    }
    fire(after, this);
}

void TRxCustomSpinEdit::UpClick()
{
    step(m_increment, OnTopClick);
}

void TRxCustomSpinEdit::DownClick()
{
    step(-m_increment, OnBottomClick);
}

QString TRxCustomSpinEdit::RangeErrorText() const
{
    return Format(QStringLiteral("El valor debe estar entre %g y %g"), {m_min, m_max});
}

void TRxCustomSpinEdit::CheckOnLeaving()
{
    const Extended v = Value();
    m_focused = false;
    try {
        if (CheckOnExit && Clamp(v) != v)
            throw ERangeError(RangeErrorText());
        setValue(v);
    } catch (const Exception&) {   // the range error, or the value refused
        m_focused = true;
        selectAll();
        // Back into the box once the focus change in progress has ended.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (isEnabled() && isVisible())
                    setFocus(Qt::OtherFocusReason);
            },
            Qt::QueuedConnection);
        throw;
    }
}

bool TRxCustomSpinEdit::acceptsChar(QChar c) const
{
    if (!EditorEnabled)
        return false;
    if (c == u'+' || c == u'-' || (c >= u'0' && c <= u'9'))
        return true;
    if (m_valueType == vtFloat) {
        if (c == kDecimalSeparator || c == u'.')
            return !text().contains(kDecimalSeparator);
        if (c == u'e' || c == u'E')
            return !text().contains(u'E', Qt::CaseInsensitive);
    }
    if (m_valueType == vtHex)
        return (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
    return false;
}

void TRxCustomSpinEdit::keyPressEvent(QKeyEvent* e)
{
    TApplication::Guarded([&] {
        if (ArrowKeys && (e->key() == Qt::Key_Up || e->key() == Qt::Key_Down)) {
            QLineEdit::keyPressEvent(e);
            if (e->key() == Qt::Key_Up)
                UpClick();
            else
                DownClick();
            e->accept();
            return;
        }
        if (e->matches(QKeySequence::Paste)) {
            doPaste();
            e->accept();
            return;
        }
        if (e->matches(QKeySequence::Cut)) {
            doCut();
            e->accept();
            return;
        }
        if (e->key() == Qt::Key_Delete && !EditorEnabled) {
            e->accept();
            return;
        }
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape) {
            // Dialog keys: the window's default and cancel buttons get them.
            QLineEdit::keyPressEvent(e);
            return;
        }
        const QString t = e->text();
        if (t.size() == 1 && t.at(0).unicode() != 127) {
            const QChar c = t.at(0);
            if (c.unicode() < 32) {
                if (!EditorEnabled && c == u'\b') {
                    Beep();
                    e->accept();
                    return;
                }
            } else if (!acceptsChar(c)) {
                Beep();
                e->accept();
                return;
            } else if (c == u'.' && m_valueType == vtFloat && c != kDecimalSeparator) {
                insert(QString(kDecimalSeparator));
                e->accept();
                return;
            }
        }
        QLineEdit::keyPressEvent(e);
    });
}

void TRxCustomSpinEdit::doPaste()
{
    if (!EditorEnabled || isReadOnly())
        return;
    const Extended before = Value();
    paste();
    if (!TextIsNumber(text()))
        setValue(before);
}

void TRxCustomSpinEdit::doCut()
{
    if (!EditorEnabled || isReadOnly())
        return;
    cut();
}

void TRxCustomSpinEdit::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu* menu = createStandardContextMenu();
    const bool editable = EditorEnabled && !isReadOnly();
    for (QAction* a : menu->actions()) {
        const QString name = a->objectName();
        if (name == QLatin1String("edit-cut") || name == QLatin1String("edit-delete")) {
            a->setEnabled(a->isEnabled() && editable);
        } else if (name == QLatin1String("edit-paste")) {
            a->setEnabled(a->isEnabled() && editable);
            a->disconnect();
            connect(a, &QAction::triggered, this, [this] { TApplication::Guarded([this] { doPaste(); }); });
        }
    }
    menu->exec(e->globalPos());
    delete menu;
}

void TRxCustomSpinEdit::focusInEvent(QFocusEvent* e)
{
    QLineEdit::focusInEvent(e);
    TApplication::Guarded([&] {
        const Extended v = Value();
        m_focused = true;
        if (m_valueType == vtFloat && !m_displayFormat.isEmpty())
            writeText(v);
        if (AutoSelect && QGuiApplication::mouseButtons() == Qt::NoButton)
            selectAll();
    });
}

void TRxCustomSpinEdit::focusOutEvent(QFocusEvent* e)
{
    QLineEdit::focusOutEvent(e);
    TApplication::Guarded([this] { CheckOnLeaving(); });
}

void TRxCustomSpinEdit::wheelEvent(QWheelEvent* e)
{
    bool handled = false;
    TApplication::Guarded([&] {
        const TShiftState shift{e->modifiers(), e->buttons()};
        const QPoint pos = e->position().toPoint();
        if (e->angleDelta().y() > 0)
            fire(OnMouseWheelUp, this, shift, pos, handled);
        else if (e->angleDelta().y() < 0)
            fire(OnMouseWheelDown, this, shift, pos, handled);
    });
    if (handled)
        e->accept();
    else
        QLineEdit::wheelEvent(e);
}

void TRxCustomSpinEdit::resizeEvent(QResizeEvent* e)
{
    QLineEdit::resizeEvent(e);
    layoutButton();
}

void TRxCustomSpinEdit::changeEvent(QEvent* e)
{
    QLineEdit::changeEvent(e);
    if (e->type() == QEvent::FontChange)
        updateMinimumHeight();
    else if (e->type() == QEvent::LayoutDirectionChange)
        layoutButton();
}

void TRxCustomSpinEdit::layoutButton()
{
    int w = 15;
    if (m_buttonKind == bkStandard)
        w = std::min(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this), 15);
    const bool rtl = layoutDirection() == Qt::RightToLeft;
    m_button->setGeometry(rtl ? 0 : width() - w, 0, w, height());
    setTextMargins(rtl ? w : 0, 0, rtl ? 0 : w, 0);
}

void TRxCustomSpinEdit::updateMinimumHeight()
{
    // The font's height plus four border widths plus one.
    setMinimumHeight(fontMetrics().height() + 4 + 1);
}

// ---------------------------------------------------------------------------

TRxSpinEdit::TRxSpinEdit(QWidget* parent) : TRxCustomSpinEdit(parent)
{
    setText(QStringLiteral("0"));
}
