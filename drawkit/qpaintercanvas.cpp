#include "drawkit/qpaintercanvas.h"

#include "engine/formulapicture.h"
#include "drawkit/drawkit.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace {
bool isSymbolFont(const QString& name)
{
    return name.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0;
}

// The Symbol font's code points drawn as the Unicode characters they look like.
QChar symbolLookAlike(QChar c)
{
    static const char16_t upper[26] = {
        u'Α', u'Β', u'Χ', u'Δ', u'Ε', u'Φ', u'Γ', u'Η', u'Ι', u'ϑ', u'Κ', u'Λ', u'Μ',
        u'Ν', u'Ο', u'Π', u'Θ', u'Ρ', u'Σ', u'Τ', u'Υ', u'ς', u'Ω', u'Ξ', u'Ψ', u'Ζ'};
    static const char16_t lower[26] = {
        u'α', u'β', u'χ', u'δ', u'ε', u'φ', u'γ', u'η', u'ι', u'ϕ', u'κ', u'λ', u'μ',
        u'ν', u'ο', u'π', u'θ', u'ρ', u'σ', u'τ', u'υ', u'ϖ', u'ω', u'ξ', u'ψ', u'ζ'};
    const char16_t u = c.unicode();
    if (u >= 'A' && u <= 'Z')
        return QChar(upper[u - 'A']);
    if (u >= 'a' && u <= 'z')
        return QChar(lower[u - 'a']);
    switch (u) {
    case 0x22: return QChar(u'∀');
    case 0x24: return QChar(u'∃');
    case 0x27: return QChar(u'∋');
    case 0x2A: return QChar(u'∗');
    case 0x2D: return QChar(u'−');
    case 0x40: return QChar(u'≅');
    case 0x5C: return QChar(u'∴');
    case 0x5E: return QChar(u'⊥');
    case 0x7E: return QChar(u'∼');
    case 0xA2: return QChar(u'′');
    case 0xA3: return QChar(u'≤');
    case 0xA5: return QChar(u'∞');
    case 0xAC: return QChar(u'←');
    case 0xAD: return QChar(u'↑');
    case 0xAE: return QChar(u'→');
    case 0xAF: return QChar(u'↓');
    case 0xB0: return QChar(u'°');
    case 0xB1: return QChar(u'±');
    case 0xB2: return QChar(u'″');
    case 0xB3: return QChar(u'≥');
    case 0xB4: return QChar(u'×');
    case 0xB6: return QChar(u'∂');
    case 0xB8: return QChar(u'÷');
    case 0xB9: return QChar(u'≠');
    case 0xBA: return QChar(u'≡');
    case 0xBB: return QChar(u'≈');
    case 0xBC: return QChar(u'…');
    case 0xC7: return QChar(u'∩');
    case 0xC8: return QChar(u'∪');
    case 0xCE: return QChar(u'∈');
    case 0xD1: return QChar(u'∇');
    case 0xD6: return QChar(u'√');
    case 0xD8: return QChar(u'¬');
    case 0xD9: return QChar(u'∧');
    case 0xDA: return QChar(u'∨');
    case 0xDB: return QChar(u'⇔');
    case 0xDE: return QChar(u'⇒');
    case 0xE5: return QChar(u'∑');
    case 0xF2: return QChar(u'∫');
    default: return c;
    }
}

QString cacheKey(const QString& name, int height, TFontStyles style)
{
    return name.toLower() + QLatin1Char('|') + QString::number(height) + QLatin1Char('|') +
           QString::number(style & (fsBold | fsItalic | fsUnderline | fsStrikeOut));
}

QFont baseFont(const QString& name, TFontStyles style)
{
    QFont f(QtCanvasMetrics::familyFor(name));
    f.setBold(style & fsBold);
    f.setItalic(style & fsItalic);
    f.setUnderline(style & fsUnderline);
    f.setStrikeOut(style & fsStrikeOut);
    // The system's text output places glyphs by their own advances.
    f.setKerning(false);
    return f;
}
}  // namespace

QString QtCanvasMetrics::familyFor(const QString& name)
{
    if (name.compare(QLatin1String("Times New Roman"), Qt::CaseInsensitive) == 0 || isSymbolFont(name))
        return QStringLiteral("Liberation Serif");
    if (name.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Sans");
    if (name.compare(QLatin1String("Courier New"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Mono");
    return name;
}

int QtCanvasMetrics::pixelSizeFor(const QString& name, int height, TFontStyles style)
{
    if (height <= 0)
        return std::max(1, -height);
    // A cell height: the em whose ascent + descent make that many pixels.
    static std::map<QString, double> cellPerEm;
    const QString key = cacheKey(name, 0, style & (fsBold | fsItalic));
    auto it = cellPerEm.find(key);
    if (it == cellPerEm.end()) {
        QFont f = baseFont(name, style & (fsBold | fsItalic));
        f.setPixelSize(1000);
        const QFontMetricsF fm(f);
        const double ratio = (fm.ascent() + fm.descent()) / 1000.0;
        it = cellPerEm.emplace(key, ratio > 0 ? ratio : 1.0).first;
    }
    return std::max(1, int(std::lround(height / it->second)));
}

QString QtCanvasMetrics::displayText(const CanvasFont& font, const QString& text)
{
    if (!isSymbolFont(font.Name))
        return text;
    QString out = text;
    for (QChar& c : out)
        c = symbolLookAlike(c);
    return out;
}

QtCanvasMetrics::Entry& QtCanvasMetrics::entry(const CanvasFont& font)
{
    const QString key = cacheKey(font.Name, font.Height, font.Style);
    auto it = m_cache.find(key);
    if (it == m_cache.end()) {
        QFont f = baseFont(font.Name, font.Style);
        f.setPixelSize(pixelSizeFor(font.Name, font.Height, font.Style));
        it = m_cache.emplace(key, std::make_unique<Entry>(f)).first;
    }
    return *it->second;
}

const QFont& QtCanvasMetrics::qfont(const CanvasFont& font) { return entry(font).font; }
const QFontMetrics& QtCanvasMetrics::metrics(const CanvasFont& font) { return entry(font).fm; }

int QtCanvasMetrics::textWidth(const CanvasFont& font, const QString& text)
{
    return entry(font).fm.horizontalAdvance(displayText(font, text));
}

int QtCanvasMetrics::textHeight(const CanvasFont& font)
{
    const QFontMetrics& fm = entry(font).fm;
    return fm.ascent() + fm.descent();
}

int QtCanvasMetrics::ascent(const CanvasFont& font)
{
    return entry(font).fm.ascent();
}

QtCanvasMetrics& QtCanvasMetrics::shared()
{
    static QtCanvasMetrics* instance = new QtCanvasMetrics;
    return *instance;
}

// ---- QPainterCanvas ----

QPainterCanvas::QPainterCanvas(QPainter& painter, QtCanvasMetrics* metrics)
    : m_painter(painter), m_metrics(metrics ? metrics : &QtCanvasMetrics::shared())
{
}

int QPainterCanvas::measureWidth(const QString& text)
{
    return m_metrics->textWidth(font(), text);
}

int QPainterCanvas::measureHeight()
{
    return m_metrics->textHeight(font());
}

namespace {
Qt::PenStyle qtPenStyle(TPenStyle s)
{
    switch (s) {
    case psSolid: return Qt::SolidLine;
    case psDash: return Qt::DashLine;
    case psDot: return Qt::DotLine;
    case psDashDot: return Qt::DashDotLine;
    case psDashDotDot: return Qt::DashDotDotLine;
    case psClear: return Qt::NoPen;
    }
    return Qt::SolidLine;
}
}  // namespace

void QPainterCanvas::applyPenAndBrush()
{
    const CanvasPen& p = pen();
    if (p.Style == psClear) {
        m_painter.setPen(Qt::NoPen);
    } else {
        QPen qp(ToQColor(p.Color), std::max(1, p.Width), qtPenStyle(p.Style));
        if (p.Width > 1) {
            qp.setCapStyle(Qt::RoundCap);
            qp.setJoinStyle(Qt::RoundJoin);
        } else {
            qp.setCapStyle(Qt::SquareCap);
            qp.setJoinStyle(Qt::MiterJoin);
        }
        m_painter.setPen(qp);
    }
    const CanvasBrush& b = brush();
    if (b.Style == bsClear)
        m_painter.setBrush(Qt::NoBrush);
    else
        m_painter.setBrush(ToQColor(b.Color));
    m_painter.setRenderHint(QPainter::Antialiasing, false);
}

void QPainterCanvas::drawText(int x, int y, const QString& text)
{
    const CanvasFont& f = font();
    const QString shown = QtCanvasMetrics::displayText(f, text);
    m_painter.save();
    if (brush().Style == bsSolid)
        m_painter.fillRect(QRect(x, y, m_metrics->textWidth(f, text), m_metrics->textHeight(f)),
                           ToQColor(brush().Color));
    m_painter.setFont(m_metrics->qfont(f));
    m_painter.setPen(ToQColor(f.Color));
    m_painter.drawText(x, y + m_metrics->ascent(f), shown);
    m_painter.restore();
}

void QPainterCanvas::drawLine(int x1, int y1, int x2, int y2)
{
    if (pen().Style == psClear)
        return;
    m_painter.save();
    applyPenAndBrush();
    DrawLine(m_painter, x1, y1, x2, y2);
    m_painter.restore();
}

void QPainterCanvas::drawPolyline(const QList<TPoint>& points)
{
    if (pen().Style == psClear || points.size() < 2)
        return;
    m_painter.save();
    applyPenAndBrush();
    if (pen().Width > 1) {
        QPolygon poly;
        for (const TPoint& p : points)
            poly << QPoint(p.X, p.Y);
        m_painter.drawPolyline(poly);
    } else {
        // Every segment stops short of its end, which the next one starts on:
        // only the last point stays undrawn.
        for (qsizetype i = 1; i < points.size(); ++i)
            DrawLine(m_painter, points[i - 1].X, points[i - 1].Y, points[i].X, points[i].Y);
    }
    m_painter.restore();
}

void QPainterCanvas::drawRectangle(const TRect& r)
{
    m_painter.save();
    applyPenAndBrush();
    PaintRectangle(m_painter, r);
    m_painter.restore();
}

void QPainterCanvas::drawEllipse(const TRect& r)
{
    m_painter.save();
    applyPenAndBrush();
    PaintEllipse(m_painter, r);
    m_painter.restore();
}

void QPainterCanvas::drawFillRect(const TRect& r)
{
    if (r.IsEmpty() || brush().Style == bsClear)
        return;
    m_painter.fillRect(ToQRect(r), ToQColor(brush().Color));
}

// ---- pictures ----

void DrawPicture(QPainter& painter, const FormulaPicture& picture, int x, int y)
{
    painter.save();
    QPainterCanvas canvas(painter);
    picture.replay(canvas, x, y);
    painter.restore();
}

void DrawPictureStretched(QPainter& painter, const FormulaPicture& picture, const TRect& dest)
{
    if (picture.width() <= 0 || picture.height() <= 0 || dest.IsEmpty())
        return;
    painter.save();
    painter.translate(dest.Left, dest.Top);
    painter.scale(double(dest.Width()) / picture.width(), double(dest.Height()) / picture.height());
    QPainterCanvas canvas(painter);
    picture.replay(canvas);
    painter.restore();
}

QImage RenderPicture(const FormulaPicture& picture, TColor background)
{
    if (picture.width() <= 0 || picture.height() <= 0)
        return QImage();
    QImage img(picture.width(), picture.height(), QImage::Format_RGB32);
    img.fill(ToQColor(background));
    QPainter painter(&img);
    DrawPicture(painter, picture, 0, 0);
    painter.end();
    return img;
}
