#include "controls/credits.h"

#include "controls/application.h"
#include "foundation/core/exceptions.h"
#include "foundation/core/format.h"
#include "drawkit/drawkit.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include <climits>
#include <cstdlib>

namespace {

// The lines the control shows until its window gives its own.
QStringList builtInCredits()
{
    return {
        QStringLiteral("&n&h14,&$00FFFF;Sumbrix"),
        QStringLiteral("&h10,;Calculadora científica"),
        QString(),
        QStringLiteral("&n&$80FF80;Evaluador de expresiones"),
        QStringLiteral(";Números reales, complejos y fracciones"),
        QStringLiteral(";Bases de 2 a 36"),
        QStringLiteral(";Resolución de ecuaciones"),
        QString(),
        QStringLiteral("&n&$80FF80;Herramientas"),
        QStringLiteral(";Polinomios y matrices"),
        QStringLiteral(";Primos, estadística y sucesiones"),
        QStringLiteral(";Fechas, unidades y fórmulas"),
        QStringLiteral(";Tabla periódica"),
        QString(),
        QStringLiteral("&c;Gracias a todos los que"),
        QStringLiteral("&c;enviaron sus comentarios"),
        QStringLiteral("&k&n&$FFFF80;¡Gracias!"),
    };
}

[[noreturn]] void notAnInteger(const QString& text)
{
    throw EConvertError(QStringLiteral("'%1' no es un valor entero válido").arg(text));
}

// A decimal number as the codes write it.
int readInt(const QString& text)
{
    long long v = 0;
    if (!TryStrToInt(QStringView(text).trimmed(), v) || v < INT_MIN || v > INT_MAX)
        notAnInteger(text);
    return static_cast<int>(v);
}

// "$" followed by hexadecimal digits.
TColor readHexColor(const QString& text)
{
    const QString digits = text.mid(1);
    bool ok = false;
    const qulonglong v = digits.toULongLong(&ok, 16);
    if (digits.isEmpty() || !ok || v > 0xFFFFFFFFull)
        notAnInteger(text);
    for (QChar c : digits)
        if (!c.isDigit() && !(c.toUpper() >= u'A' && c.toUpper() <= u'F'))
            notAnInteger(text);
    return static_cast<TColor>(v);
}

// The number after "&h" or "&v", ended by a "," within the next 5 characters.
int readNumberCode(const QString& codes, int at)
{
    const QString window = codes.mid(at + 2, 5);
    const int comma = window.indexOf(u',');
    return readInt(comma < 0 ? QString() : window.left(comma));
}

} // namespace

TCreditLine ParseCreditLine(const QString& line, const TCreditLine& defaults)
{
    TCreditLine r;
    r.Color = defaults.Color;
    r.FontName = defaults.FontName;
    r.Size = defaults.Size;
    r.Alignment = defaults.Alignment;
    const int semi = line.indexOf(u';');
    if (semi < 0) {
        r.Text = line;
        return r;
    }
    const QString codes = line.left(semi);
    r.Text = line.mid(semi + 1);

    int i = codes.indexOf(QLatin1String("&$"));
    if (i >= 0)
        r.Color = readHexColor(codes.mid(i + 1, 7));
    i = codes.indexOf(QLatin1String("&f"));
    if (i >= 0)
        r.FontName = codes.mid(i + 2);
    i = codes.indexOf(QLatin1String("&h"));
    if (i >= 0)
        r.Size = readNumberCode(codes, i);
    i = codes.indexOf(QLatin1String("&v"));
    if (i >= 0) {
        r.Height = readNumberCode(codes, i);
        r.HeightGiven = true;
    }
    if (codes.contains(QLatin1String("&n")))
        r.Style |= fsBold;
    if (codes.contains(QLatin1String("&c")))
        r.Style |= fsItalic;
    if (codes.contains(QLatin1String("&s")))
        r.Style |= fsUnderline;
    if (codes.contains(QLatin1String("&t")))
        r.Style |= fsStrikeOut;
    r.Blink = codes.contains(QLatin1String("&k"));
    if (codes.contains(QLatin1String("&i")))
        r.Alignment = taLeftJustify;
    if (codes.contains(QLatin1String("&e")))
        r.Alignment = taCenter;
    if (codes.contains(QLatin1String("&d")))
        r.Alignment = taRightJustify;
    return r;
}

namespace {

QFont fontOf(const TCreditLine& l)
{
    QFont f(l.FontName);
    f.setPointSize(l.Size > 0 ? l.Size : 8);
    f.setBold(l.Style & fsBold);
    f.setItalic(l.Style & fsItalic);
    f.setUnderline(l.Style & fsUnderline);
    f.setStrikeOut(l.Style & fsStrikeOut);
    return f;
}

} // namespace

TScrollCredits::TScrollCredits(QWidget* parent) : QWidget(parent)
{
    m_font = QFont(QStringLiteral("Arial"), 8);
    m_credits = builtInCredits();
    resize(230, 250);
    m_timer.setInterval(static_cast<int>(m_interval));
    connect(&m_timer, &QTimer::timeout, this, [this] { TApplication::Guarded([this] { Tick(); }); });
    PrepareLines();
}

void TScrollCredits::PrepareLines()
{
    TCreditLine defaults;
    defaults.Color = m_fontColor;
    defaults.FontName = m_font.family();
    defaults.Size = m_font.pointSize() > 0 ? m_font.pointSize() : 8;
    defaults.Alignment = m_alignment;
    QList<TCreditLine> lines;
    int top = 0;
    for (const QString& s : m_credits) {
        TCreditLine l = ParseCreditLine(s, defaults);
        const QFontMetrics fm(fontOf(l));
        if (!l.HeightGiven)
            l.Height = fm.height();
        l.TextWidth = fm.horizontalAdvance(l.Text);
        l.Top = top;
        top += l.Height;
        lines.append(l);
    }
    // Only a list that prepared whole replaces the old one.
    m_lines = lines;
    m_total = top;
}

void TScrollCredits::setContinuo(bool on)
{
    m_continuo = on;
    Paint();
}

void TScrollCredits::setCredits(const QStringList& lines)
{
    const QStringList old = m_credits;
    m_credits = lines;
    try {
        PrepareLines();
    } catch (const Exception&) {   // EConvertError: a bad code
        m_credits = old; // a list with a bad code leaves the shown lines as they were
        throw;
    }
    m_dirty = true;
    update();
}

void TScrollCredits::setCreditsFont(const QFont& font, TColor color)
{
    m_font = font;
    m_fontColor = color;
    m_dirty = true;
    update();
}

void TScrollCredits::setBackgroundColor(TColor c)
{
    m_background = c;
    PrepareLines();
    m_dirty = true;
    update();
}

void TScrollCredits::setBorderColor(TColor c)
{
    m_border = c;
    m_dirty = true;
    update();
}

void TScrollCredits::setBackgroundImage(const QImage& img)
{
    m_backgroundImage = img;
    m_dirty = true;
    update();
}

void TScrollCredits::setShowBorder(bool on)
{
    m_showBorder = on;
    m_dirty = true;
    update();
}

void TScrollCredits::setStep(int pixels)
{
    m_step = std::clamp(pixels, 0, 255);
}

void TScrollCredits::setAnimate(bool on)
{
    if (on == m_animate)
        return;
    m_animate = on;
    if (on)
        PrepareLines();
    m_y = on ? height() - m_step : 0;
    updateTimer();
    Paint();
}

void TScrollCredits::setInterval(std::uint32_t ms)
{
    m_interval = ms;
    m_timer.setInterval(static_cast<int>(std::min<std::uint32_t>(ms, INT_MAX)));
    updateTimer();
}

void TScrollCredits::setVisible(bool visible)
{
    if (visible != m_visible) {
        m_visible = visible;
        updateTimer();
    }
    QWidget::setVisible(visible);
}

void TScrollCredits::updateTimer()
{
    // An interval of 0 stops the timer, as it did on the desktop the control
    // was made for, instead of ticking without pause.
    const bool run = m_animate && m_visible && m_interval > 0;
    if (run && !m_timer.isActive())
        m_timer.start();
    else if (!run && m_timer.isActive())
        m_timer.stop();
}

void TScrollCredits::Tick()
{
    if (m_y < -m_total) {
        fire(AfterLastCredit, this);
        m_y = m_continuo ? m_y + m_total : height() - m_step;
        m_lastShown = -1;
    } else {
        m_y -= m_step;
    }
    Paint();
}

int TScrollCredits::LineX(const TCreditLine& line, int areaWidth)
{
    switch (line.Alignment) {
    case taLeftJustify: return 4;
    case taRightJustify: return areaWidth - line.TextWidth - 4;
    case taCenter: break;
    }
    return (areaWidth - line.TextWidth) / 2;
}

bool TScrollCredits::BlinkHidden(int offset, int step)
{
    // With a step of 0 the lines stand still and a blinking line stays shown.
    if (step <= 0)
        return false;
    return (std::abs(offset) % (4 * step)) <= step;
}

void TScrollCredits::drawBlock(QPainter& p, int base)
{
    const int h = height();
    const int w = width();
    for (int i = 0; i < m_lines.size() && i < m_credits.size(); ++i) {
        const TCreditLine& l = m_lines.at(i);
        const int top = base + l.Top;
        if (top < h && top + l.Height > 0 && m_credits.at(i) > QLatin1String("  ")) {
            if (!(l.Blink && BlinkHidden(m_y, m_step))) {
                const QFont f = fontOf(l);
                p.setFont(f);
                p.setPen(ToQColor(l.Color));
                p.drawText(LineX(l, w), top + QFontMetrics(f).ascent(), l.Text);
                m_drawn.append(Drawn{i, top});
            }
            if (i > m_lastShown) {
                m_lastShown = i;
                fire(OnShowCredit, this, l.Text);
            }
        }
    }
}

void TScrollCredits::compose()
{
    m_dirty = false;
    if (!m_visible)
        return;
    const QSize sz(std::max(width(), 1), std::max(height(), 1));
    if (m_work.size() != sz)
        m_work = QImage(sz, QImage::Format_RGB32);
    m_drawn.clear();
    QPainter p(&m_work);
    if (!m_backgroundImage.isNull())
        p.drawImage(QRect(QPoint(0, 0), sz), m_backgroundImage);
    else
        p.fillRect(QRect(QPoint(0, 0), sz), ToQColor(m_background));
    fire(OnErase, this);
    p.setBackgroundMode(Qt::TransparentMode);
    int base = m_y;
    do {
        drawBlock(p, base);
        base += m_total;
        // A block without height would never leave the area.
    } while (m_continuo && m_total > 0 && base < height());
    if (m_showBorder) {
        p.setPen(QPen(ToQColor(m_border), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(0, 0, sz.width() - 1, sz.height() - 1);
    }
    p.end();
    fire(OnPaint, this);
}

void TScrollCredits::Paint()
{
    compose();
    update();
}

void TScrollCredits::paintEvent(QPaintEvent*)
{
    if (!m_visible)
        return;
    if (m_dirty || m_work.isNull())
        TApplication::Guarded([this] { compose(); });
    QPainter p(this);
    p.drawImage(0, 0, m_work);
}

void TScrollCredits::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        TApplication::Guarded([this] { fire(OnClick, this); });
    QWidget::mouseReleaseEvent(e);
}

void TScrollCredits::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        TApplication::Guarded([this] { fire(OnDblClick, this); });
    QWidget::mouseDoubleClickEvent(e);
}
