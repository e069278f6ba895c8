#include "engine/formulapicture.h"

#include <algorithm>
#include <cstdlib>

int FixedWidthMetrics::textWidth(const CanvasFont&, const QString& text)
{
    return m_charWidth * static_cast<int>(text.size());
}

int FixedWidthMetrics::textHeight(const CanvasFont& font)
{
    // A height of 0 would be a default font elsewhere; here, as on the screen,
    // the smallest font.
    return std::max(1, std::abs(font.Height));
}

namespace {
FixedWidthMetrics& standIn()
{
    static FixedWidthMetrics m;
    return m;
}
CanvasMetrics* g_metrics = nullptr;
}  // namespace

CanvasMetrics& PictureMetrics::current()
{
    return g_metrics ? *g_metrics : standIn();
}

void PictureMetrics::set(CanvasMetrics* metrics)
{
    g_metrics = metrics;
}

FormulaPicture::FormulaPicture(CanvasMetrics* metrics)
    : m_metrics(metrics ? metrics : &PictureMetrics::current())
{
}

void FormulaPicture::setSize(int width, int height)
{
    m_width = std::max(0, width);
    m_height = std::max(0, height);
}

void FormulaPicture::clear()
{
    m_ops.clear();
    setFont(CanvasFont());
    setPen(CanvasPen());
    setBrush(CanvasBrush());
    moveTo(0, 0);
    m_ops.clear();  // the resets above are the starting state, not calls
}

namespace {
TRect moved(const TRect& r, int dx, int dy)
{
    return TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

struct Replayer {
    Canvas& c;
    int dx, dy;
    void operator()(const pictureop::SetFont& op) const { c.setFont(op.font); }
    void operator()(const pictureop::SetPen& op) const { c.setPen(op.pen); }
    void operator()(const pictureop::SetBrush& op) const { c.setBrush(op.brush); }
    void operator()(const pictureop::Text& op) const { c.textOut(op.x + dx, op.y + dy, op.text); }
    void operator()(const pictureop::Line& op) const { c.line(op.x1 + dx, op.y1 + dy, op.x2 + dx, op.y2 + dy); }
    void operator()(const pictureop::Polyline& op) const
    {
        QList<TPoint> pts = op.points;
        for (TPoint& p : pts) {
            p.X += dx;
            p.Y += dy;
        }
        c.polyline(pts);
    }
    void operator()(const pictureop::Rectangle& op) const { c.rectangle(moved(op.rect, dx, dy)); }
    void operator()(const pictureop::Ellipse& op) const { c.ellipse(moved(op.rect, dx, dy)); }
    void operator()(const pictureop::FillRect& op) const { c.fillRect(moved(op.rect, dx, dy)); }
};
}  // namespace

void FormulaPicture::replay(Canvas& target, int dx, int dy) const
{
    const CanvasFont oldFont = target.font();
    const CanvasPen oldPen = target.pen();
    const CanvasBrush oldBrush = target.brush();
    const TPoint oldPos = target.penPos();

    target.setFont(CanvasFont());
    target.setPen(CanvasPen());
    target.setBrush(CanvasBrush());
    const Replayer r{target, dx, dy};
    for (const PictureOp& op : m_ops)
        std::visit(r, op);

    target.setFont(oldFont);
    target.setPen(oldPen);
    target.setBrush(oldBrush);
    target.moveTo(oldPos.X, oldPos.Y);
}

std::unique_ptr<FormulaPicture> FormulaPicture::clone() const
{
    auto copy = std::make_unique<FormulaPicture>(m_metrics);
    copy->setSize(m_width, m_height);
    copy->setFont(font());
    copy->setPen(pen());
    copy->setBrush(brush());
    copy->moveTo(penPos().X, penPos().Y);
    copy->m_ops = m_ops;  // the calls, not the state changes just made
    return copy;
}

bool FormulaPicture::operator==(const FormulaPicture& other) const
{
    return m_width == other.m_width && m_height == other.m_height && m_ops == other.m_ops;
}

void FormulaPicture::fontChanged() { m_ops.append(pictureop::SetFont{font()}); }
void FormulaPicture::penChanged() { m_ops.append(pictureop::SetPen{pen()}); }
void FormulaPicture::brushChanged() { m_ops.append(pictureop::SetBrush{brush()}); }

int FormulaPicture::measureWidth(const QString& text)
{
    return m_metrics->textWidth(font(), text);
}

int FormulaPicture::measureHeight()
{
    return m_metrics->textHeight(font());
}

void FormulaPicture::drawText(int x, int y, const QString& text)
{
    m_ops.append(pictureop::Text{x, y, text});
}

void FormulaPicture::drawLine(int x1, int y1, int x2, int y2)
{
    m_ops.append(pictureop::Line{x1, y1, x2, y2});
}

void FormulaPicture::drawPolyline(const QList<TPoint>& points)
{
    m_ops.append(pictureop::Polyline{points});
}

void FormulaPicture::drawRectangle(const TRect& r)
{
    m_ops.append(pictureop::Rectangle{r});
}

void FormulaPicture::drawEllipse(const TRect& r)
{
    m_ops.append(pictureop::Ellipse{r});
}

void FormulaPicture::drawFillRect(const TRect& r)
{
    m_ops.append(pictureop::FillRect{r});
}
