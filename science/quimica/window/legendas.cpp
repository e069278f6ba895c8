#include "science/quimica/window/legendas.h"

#include "controls/paintboxm.h"
#include "controls/imagelist.h"
#include "controls/paintgrid.h"
#include "controls/spinedit.h"
#include "drawkit/colorscale.h"
#include "drawkit/drawkit.h"
#include "drawkit/gradients.h"
#include "foundation/core/format.h"
#include "foundation/core/muldiv.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

constexpr double kSaturation = 1.0;
constexpr double kLightness = 0.65;

// The frames' layout within the panel under the table.
constexpr int kMargin = 4;

// The key of the neutral colour: a silver swatch at (x, y) and the number
// of elements painted so because their property is not known; nothing when
// there are none.
void drawUnknownKey(QPainter& p, int x, int y, int count)
{
    const QString text = UnknownLegendText(count);
    if (text.isEmpty())
        return;
    p.setPen(ToQColor(clBlack));
    p.setBrush(ToQColor(kUnknownColor));
    PaintRectangle(p, TRect{x, y, x + 12, y + 10});
    QFont f = p.font();
    f.setPixelSize(10);
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRect(x + 16, y - 2, 300, 14), Qt::AlignLeft | Qt::AlignVCenter, text);
}

} // namespace

TabPerGlobals& TabPer()
{
    static TabPerGlobals g;
    return g;
}

TColor LegendScaleColor(double position) { return ValueToScaleColor(position, kSaturation, kLightness); }

// ---------------------------------------------------------------------------
// Base

TfaTabPerBase::TfaTabPerBase(QWidget* panel) : QWidget(panel)
{
    setGeometry(panel ? panel->rect() : QRect(0, 0, 545, 100));
    hide();
}

QPainter* TfaTabPerBase::beginLegend(bool lightFirst)
{
    m_legend = CreateBitmap(std::max(1, width()), std::max(1, height()), 24);
    m_painter = new QPainter(&m_legend);
    const TabPerGlobals& c = TabPer();
    FillGradient(*m_painter, TRect{0, 0, m_legend.width(), m_legend.height()},
                 lightFirst ? c.TabPerLightColor : c.TabPerDarkColor,
                 lightFirst ? c.TabPerDarkColor : c.TabPerLightColor, true);
    return m_painter;
}

void TfaTabPerBase::endLegend()
{
    delete m_painter;
    m_painter = nullptr;
    update();
}

void TfaTabPerBase::report(const QString& text)
{
    if (OnReport)
        OnReport(text);
}

void TfaTabPerBase::paintEvent(QPaintEvent*)
{
    if (m_legend.isNull())
        return;
    QPainter p(this);
    p.drawImage(0, 0, m_legend);
}

// ---------------------------------------------------------------------------
// Categories

TfaTipo::TfaTipo(QWidget* panel) : TfaTabPerBase(panel)
{
    setObjectName(QStringLiteral("faTipo"));
    PaintGrid1 = new TPaintGrid(this);
    PaintGrid1->setObjectName(QStringLiteral("PaintGrid1"));
    PaintGrid1->setGeometry(kMargin, kMargin, width() - 2 * kMargin, height() - 2 * kMargin);
    PaintGrid1->setAttribute(Qt::WA_TransparentForMouseEvents);
    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setStyleSheet(QStringLiteral("QFrame#Shape1 { border: 3px solid black; background: transparent; }"));
    Shape1->setAttribute(Qt::WA_TransparentForMouseEvents);
    Shape1->hide();
}

TColor TfaTipo::ElementColor(int z)
{
    const TElementoQ* e = PeriodicElement(z);
    const int v = e ? CategoryValue(m_mode, *e) : 0;
    if (v == 0)
        return kUnknownColor;
    return LegendScaleColor(CategoryPosition(m_mode, v));
}

void TfaTipo::ShowLegend(TCategory category)
{
    m_mode = category;
    Shape1->hide();
    const TCategoryLegend l = CategoryLegend(category);
    PaintGrid1->SetColCount(l.Cols);
    PaintGrid1->SetRowCount(l.Rows);
    PaintGrid1->setDireccion(l.ByColumns ? tgdVertical : tgdHorizontal);
    QPainter& p = *beginLegend(false);
    QFont f = font();
    f.setPixelSize(10);
    p.setFont(f);
    for (int k = 0; k < l.Cells.size() && k < PaintGrid1->CellCount(); ++k) {
        TRect r = PaintGrid1->CellRectInParent(k);
        ShrinkRect(r, 2);
        const TColor c = k == l.UndefinedCell ? kUnknownColor : LegendScaleColor(double(k) / l.Divisor);
        p.setPen(ToQColor(clBlack));
        p.setBrush(ToQColor(c));
        PaintRectangle(p, r);
        p.setPen(ToQColor(clBlack));
        DrawTextWrappedCentered(p, r, l.Cells[k]);
    }
    endLegend();
}

void TfaTipo::ShowElement(int z)
{
    const TElementoQ* e = PeriodicElement(z);
    const int cell = e ? CategoryCellOf(m_mode, *e) : -1;
    if (cell < 0 || cell >= PaintGrid1->CellCount()) {
        Shape1->hide();
        return;
    }
    Shape1->setGeometry(ToQRect(PaintGrid1->CellRectInParent(cell)));
    Shape1->show();
    Shape1->raise();
}

// ---------------------------------------------------------------------------
// Scale

namespace {
constexpr int kBarLeft = 20;
constexpr int kBarTop = 30;
constexpr int kBarHeight = 24;
} // namespace

TfaEscala::TfaEscala(QWidget* panel) : TfaTabPerBase(panel)
{
    setObjectName(QStringLiteral("faEscala"));
    pb = new TPaintBoxM(this);
    pb->setObjectName(QStringLiteral("pb"));
    pb->setGeometry(kBarLeft, kBarTop, std::max(1, width() - 2 * kBarLeft), kBarHeight);
    pb->setAttribute(Qt::WA_TransparentForMouseEvents);
    marca = new QFrame(this);
    marca->setObjectName(QStringLiteral("marca"));
    marca->setStyleSheet(QStringLiteral("QFrame#marca { border: 1px solid black; background: white; }"));
    marca->setAttribute(Qt::WA_TransparentForMouseEvents);
    marca->resize(3, kBarHeight + 6);
    marca->hide();
    m_legend = CreateBitmap(std::max(1, width()), std::max(1, height()), 24);
}

TColor TfaEscala::ElementColor(int z)
{
    const TElementoQ* e = PeriodicElement(z);
    if (!e || !m_getter)
        return kUnknownColor;
    const float v = m_getter(*e);
    if (v == 0)
        return kUnknownColor;
    return LegendScaleColor(ScalePosition(v, m_min, m_max));
}

void TfaEscala::SetScale(TElementGetter getter, double min, double max)
{
    m_getter = std::move(getter);
    m_min = min;
    m_max = max;
    report(QString());
    // The marker belonged to the scale before.
    marca->hide();
    drawScale();
}

int TfaEscala::BarPixel(double v) const { return pb->x() + pb->WorldToPixelX(v); }

void TfaEscala::drawScale()
{
    const int w = std::max(1, pb->width());
    const int h = pb->height();
    // One pixel beyond the maximum, so that the maximum has a column of its own.
    pb->SetScale(m_min, 0, m_max + (m_max - m_min) / w, 1);
    QPainter& p = *beginLegend(true);
    const int left = pb->x(), top = pb->y();
    // The colour bar.
    for (int x = 0; x < w; ++x) {
        p.setPen(ToQColor(LegendScaleColor(w > 1 ? double(x) / (w - 1) : 0.0)));
        DrawLine(p, left + x, top, left + x, top + h);
    }
    // A tick for each element whose property is known.
    p.setPen(ToQColor(clBlack));
    if (m_getter) {
        for (int z = 1; z <= kElementCount; ++z) {
            const TElementoQ* e = PeriodicElement(z);
            if (!e)
                continue;
            const float v = m_getter(*e);
            if (v == 0)
                continue;
            const int x = BarPixel(v);
            DrawLine(p, x, top + 2 * h / 3, x, top + h);
        }
    }
    // The axis.
    QFont f = font();
    f.setPixelSize(10);
    p.setFont(f);
    for (float t : ScaleTicks(float(pb->ScaleRight()), float(m_min))) {
        const int x = BarPixel(t);
        DrawLine(p, x, top - 2, x, top + 3);
        DrawTextCentered(p, TRect{x - 20, top - 17, x + 20, top - 2}, Format(QStringLiteral("%.4g"), {double(t)}));
    }
    // The elements painted in the neutral colour, under the bar's left end.
    drawUnknownKey(p, left, top + h + 3, UnknownCount(m_getter));
    // The unit, right-aligned under the bar.
    if (!m_unit.isEmpty()) {
        const int tw = p.fontMetrics().horizontalAdvance(m_unit);
        p.drawText(QRect(left + w - tw, top + h + 1, tw, p.fontMetrics().height()), Qt::AlignLeft | Qt::AlignTop,
                   m_unit);
    }
    // The bottom row in near-white, its first pixel white.
    p.setPen(ToQColor(0xFEFEFE));
    DrawLine(p, 0, m_legend.height() - 1, m_legend.width(), m_legend.height() - 1);
    p.setPen(ToQColor(clWhite));
    p.drawPoint(0, m_legend.height() - 1);
    endLegend();
}

void TfaEscala::ShowElement(int z)
{
    const TElementoQ* e = PeriodicElement(z);
    const float v = e && m_getter ? m_getter(*e) : 0;
    if (v == 0) {
        report(QString());
        marca->hide();
        return;
    }
    marca->move(BarPixel(v) - 1, pb->y() - 3);
    marca->show();
    marca->raise();
    report(Format(QStringLiteral("%s = %.5g %s"), {e->Name, double(v), m_unit}));
}

// ---------------------------------------------------------------------------
// States of aggregation

TStateStrip::TStateStrip(QWidget* parent) : QWidget(parent) {}

void TStateStrip::paintEvent(QPaintEvent*)
{
    if (Picture.isNull())
        return;
    QPainter p(this);
    p.drawImage(0, 0, Picture);
}

void TStateStrip::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && OnPress)
        OnPress(e->position().toPoint().x());
}

TStateSlider::TStateSlider(QWidget* parent) : QFrame(parent) {}

void TStateSlider::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        m_dragging = true;
}

void TStateSlider::mouseMoveEvent(QMouseEvent* e)
{
    if (m_dragging && OnDrag)
        OnDrag(e->position().toPoint().x());
}

void TStateSlider::mouseReleaseEvent(QMouseEvent*) { m_dragging = false; }

namespace {
constexpr int kStripLeft = 20;
constexpr int kStripTop = 52;
constexpr int kStripHeight = 10;
constexpr int kSpinWidth = 70;
constexpr int kAbsoluteRoom = 293;   // the blue mark of room temperature, K
} // namespace

TfaEstado::TfaEstado(QWidget* panel) : TfaTabPerBase(panel)
{
    setObjectName(QStringLiteral("faEstado"));
    pg = new TPaintGrid(this);
    pg->setObjectName(QStringLiteral("pg"));
    pg->SetColCount(3);
    pg->SetRowCount(1);
    pg->setGeometry(kMargin, kMargin, width() - 2 * kMargin, 24);
    pg->setAttribute(Qt::WA_TransparentForMouseEvents);
    const int stripWidth = std::max(1, width() - kStripLeft - kSpinWidth - 3 * kMargin - 10);
    Image2 = new TStateStrip(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(kStripLeft, kStripTop, stripWidth, kStripHeight);
    Image2->OnPress = [this](int x) { SetTemperature(PointTemperature(x, Image2->width())); };
    Panel1 = new TStateSlider(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::Box);
    Panel1->setStyleSheet(QStringLiteral("QFrame#Panel1 { background: black; }"));
    Panel1->resize(4, kStripHeight + 8);
    Panel1->OnDrag = [this](int x) {
        SetTemperature(PointTemperature(x + Panel1->x() - Image2->x() - 2, Image2->width()));
    };
    SpinEdit1 = new TRxSpinEdit(this);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setButtonKind(bkStandard);
    SpinEdit1->setIncrement(5);
    SpinEdit1->setMinValue(0);
    SpinEdit1->setMaxValue(kMaxTemperature);
    SpinEdit1->setCheckMinValue(true);
    SpinEdit1->setCheckMaxValue(true);
    SpinEdit1->setGeometry(width() - kSpinWidth - kMargin, kStripTop - 6, kSpinWidth, 22);
    SpinEdit1->OnChange = [this](QObject*) {
        if (!m_settingSpin)
            SetTemperature(std::llround(SpinEdit1->Value()));
    };
    auto wheel = [this](int delta) {
        return [this, delta](QObject*, TShiftState, QPoint, bool& handled) {
            SetTemperature(m_t + delta);
            handled = true;
        };
    };
    SpinEdit1->OnMouseWheelUp = wheel(1);
    SpinEdit1->OnMouseWheelDown = wheel(-1);
    SetTemperature(300);
    DrawLegend();
}

TColor TfaEstado::StateColor(int z, double t)
{
    const TElementoQ* e = PeriodicElement(z);
    if (!e)
        return kUnknownColor;
    const TStateShade s = StateShadeOf(*e, t);
    if (s.State == TAggregation::Unknown)
        return kUnknownColor;
    return HSLToColor(s.Hue, 1, s.Lightness);
}

TColor TfaEstado::ElementColor(int z) { return StateColor(z, m_t); }

void TfaEstado::fillStripGradient()
{
    Image2->Picture = CreateBitmap(std::max(1, Image2->width()), std::max(1, Image2->height()), 24);
    QPainter p(&Image2->Picture);
    FillGradient(p, TRect{0, 0, Image2->Picture.width(), Image2->Picture.height()}, TabPer().TabPerDarkColor,
                 TabPer().TabPerLightColor, true);
    Image2->update();
}

void TfaEstado::ShowElement(int z)
{
    report(QString());
    const TElementoQ* e = PeriodicElement(z);
    if (e && e->MeltingPoint > 0 && e->BoilingPoint > 0) {
        const int w = std::max(1, Image2->width());
        Image2->Picture = CreateBitmap(w, std::max(1, Image2->height()), 24);
        QPainter p(&Image2->Picture);
        for (int x = 0; x < w; ++x) {
            p.setPen(ToQColor(StateColor(z, StripTemperature(x, w))));
            DrawLine(p, x, 0, x, 10);
        }
        Image2->update();
        report(StateReport(e->Name, StateShadeOf(*e, m_t).State, m_t));
    } else {
        fillStripGradient();
    }
    DrawAxis();
}

void TfaEstado::DrawAxis()
{
    if (m_legend.isNull())
        return;
    QPainter p(&m_legend);
    const int left = Image2->x(), top = Image2->y(), bottom = Image2->y() + Image2->height();
    const int w = Image2->width();
    // What the last axis left under the strip goes first.
    FillGradient(p, TRect{0, bottom, m_legend.width(), m_legend.height()}, TabPer().TabPerLightColor,
                 TabPer().TabPerDarkColor, true);
    QFont f = font();
    f.setPixelSize(10);
    p.setFont(f);
    p.setPen(ToQColor(clBlack));
    for (float t : ScaleTicks(kMaxTemperature, 0)) {
        const int x = TemperaturePixel(int(t), w) + left;
        DrawLine(p, x, bottom, x, bottom + 2);
        DrawTextCentered(p, TRect{x - 20, bottom + 2, x + 20, bottom + 17}, Format(QStringLiteral("%.4g"), {double(t)}));
    }
    drawUnknownKey(p, left, bottom + 19, UnknownStateCount());
    p.setPen(ToQColor(clBlue));
    const int room = TemperaturePixel(kAbsoluteRoom, w) + left;
    DrawLine(p, room, top - 4, room, bottom + 4);
    update();
}

void TfaEstado::DrawLegend()
{
    QPainter& p = *beginLegend(true);
    const TAggregation states[3] = {TAggregation::Solid, TAggregation::Liquid, TAggregation::Gas};
    const char* const labels[3] = {"SOLIDO", "LIQUIDO", "GASEOSO"};
    QFont f = font();
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    for (int k = 0; k < 3; ++k) {
        const TRect r = pg->CellRectInParent(k);
        const int w = r.Width();
        for (int x = 0; x < w; ++x) {
            p.setPen(ToQColor(HSLToColor(StateHue(states[k]), 1, 0.25 + 0.55 * (w > 1 ? double(x) / (w - 1) : 0.0))));
            DrawLine(p, r.Left + x, r.Top, r.Left + x, r.Bottom);
        }
        p.setPen(ToQColor(clBlack));
        DrawTextCentered(p, r, QString::fromLatin1(labels[k]));
    }
    endLegend();
    fillStripGradient();
    DrawAxis();
}

void TfaEstado::placeSlider()
{
    Panel1->move(TemperaturePixel(m_t, Image2->width()) + Image2->x() - 2, Image2->y() - 4);
    Panel1->raise();
}

void TfaEstado::SetTemperature(long long t)
{
    const int clamped = ClampTemperature(t);
    if (clamped == m_t && t == m_t)
        return;
    m_t = clamped;
    m_settingSpin = true;
    SpinEdit1->setValue(m_t);
    m_settingSpin = false;
    if (OnRedrawTable)
        OnRedrawTable();
    placeSlider();
}
