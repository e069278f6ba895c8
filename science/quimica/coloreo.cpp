#include "science/quimica/coloreo.h"

#include "foundation/core/format.h"
#include "foundation/core/muldiv.h"

#include <algorithm>
#include <cmath>

namespace {

TColouring scale(const char* item, double min, double max, const char* unit, TElementGetter getter)
{
    TColouring c;
    c.Item = QString::fromUtf8(item);
    c.Kind = TColouringKind::Scale;
    c.Min = min;
    c.Max = max;
    c.Unit = QString::fromUtf8(unit);
    c.Getter = std::move(getter);
    return c;
}

TColouring category(const char* item, TCategory cat)
{
    TColouring c;
    c.Item = QString::fromUtf8(item);
    c.Kind = TColouringKind::Category;
    c.Category = cat;
    return c;
}

} // namespace

const QList<TColouring>& Colourings()
{
    static const QList<TColouring> list = [] {
        QList<TColouring> l;
        l << scale("Año de Descubrimiento", 1730, 2000, "", [](const TElementoQ& e) { return float(e.DiscoveryYear); });
        l << scale("Calor de Fusión", 0.02, 105.1, "kJ/mol", [](const TElementoQ& e) { return e.HeatOfFusion; });
        l << scale("Calor de Vaporización", 0.08, 825, "kJ/mol",
                   [](const TElementoQ& e) { return e.HeatOfVaporization; });
        l << scale("Cantidad de Isótopos Naturales", 1, 10, "",
                   [](const TElementoQ& e) { return float(e.NaturalIsotopeCount); });
        l << scale("Conductividad Térmica", 0.0035, 430, "W/m.K",
                   [](const TElementoQ& e) { return e.ThermalConductivity; });
        // Gaseous elements carry the density of their liquid at the boiling
        // point, so that they spread over the low end of the scale.
        l << scale("Densidad", 0.08, 22.6, "g/cm3", [](const TElementoQ& e) { return e.Density; });
        l << scale("Electronegatividad", 0.7, 4, "",
                   [](const TElementoQ& e) { return float(e.Electronegativity) / 10.0f; });
        TColouring state;
        state.Item = QStringLiteral("Estado de Agregación");
        state.Kind = TColouringKind::State;
        l << state;
        l << category("Estructura Cristalina", TCategory::CrystalStructure);
        l << category("Grupo", TCategory::Group);
        l << scale("Número Atómico", 1, 122, "", [](const TElementoQ& e) { return float(e.AtomicNumber); });
        l << category("Periodo", TCategory::Period);
        l << scale("Masa Atómica Relativa", 1, 300, "uma", [](const TElementoQ& e) { return e.AtomicMass; });
        l << scale("Punto de Ebullición", 4.2, 5869, "K", [](const TElementoQ& e) { return e.BoilingPoint; });
        l << scale("Punto de Fusión", 0.9, 4100, "K", [](const TElementoQ& e) { return e.MeltingPoint; });
        // The table's atomic radii are in picometres.
        l << scale("Radio Atómico", 37, 283, "pm", [](const TElementoQ& e) { return e.AtomicRadius; });
        l << scale("Radio Covalente", 0.3, 3.14, "Å", [](const TElementoQ& e) { return e.CovalentRadius; });
        l << category("Tipo de Elemento", TCategory::ElementType);
        return l;
    }();
    return list;
}

// ---------------------------------------------------------------------------
// Elements without data

int UnknownCount(const TElementGetter& getter)
{
    int n = 0;
    for (int z = 1; z <= kElementCount; ++z) {
        const TElementoQ* e = PeriodicElement(z);
        if (e && getter && getter(*e) == 0)
            ++n;
    }
    return n;
}

int UnknownStateCount()
{
    int n = 0;
    for (int z = 1; z <= kElementCount; ++z) {
        const TElementoQ* e = PeriodicElement(z);
        if (e && StateShadeOf(*e, 0).State == TAggregation::Unknown)
            ++n;
    }
    return n;
}

QString UnknownLegendText(int count)
{
    if (count <= 0)
        return QString();
    return count == 1 ? QStringLiteral("Sin datos: 1 elemento")
                      : Format(QStringLiteral("Sin datos: %d elementos"), {count});
}

// ---------------------------------------------------------------------------
// Categories

int CategoryValue(TCategory category, const TElementoQ& e)
{
    int v = 0, top = 0;
    switch (category) {
    case TCategory::ElementType:
        v = e.ElementType;
        top = 11;
        break;
    case TCategory::Group:
        v = e.Group;
        top = 18;
        break;
    case TCategory::Period:
        v = e.Period;
        top = 8;
        break;
    case TCategory::CrystalStructure:
        v = e.CrystalStructure;
        top = 8;
        break;
    }
    return v >= 1 && v <= top ? v : 0;
}

TCategoryLegend CategoryLegend(TCategory category)
{
    TCategoryLegend l;
    switch (category) {
    case TCategory::ElementType:
        l.Divisor = 10;
        l.Cols = 4;
        l.Rows = 3;
        l.ByColumns = true;
        for (int k = 1; k <= 11; ++k)
            l.Cells << ElementTypeName(k);
        l.Cells << ElementTypeName(0);
        l.UndefinedCell = 11;
        break;
    case TCategory::Group:
        l.Divisor = 18;
        l.Cols = 9;
        l.Rows = 2;
        for (int k = 1; k <= 18; ++k)
            l.Cells << GroupName(k);
        break;
    case TCategory::Period:
        l.Divisor = 8;
        l.Cols = 8;
        l.Rows = 1;
        for (int k = 1; k <= 8; ++k)
            l.Cells << IntToStr(k);
        break;
    case TCategory::CrystalStructure:
        // Three by three: the eight structures and, inside the grid, the
        // cell of the elements without one.
        l.Divisor = 8;
        l.Cols = 3;
        l.Rows = 3;
        for (int k = 1; k <= 8; ++k)
            l.Cells << CrystalStructureName(k);
        l.Cells << CrystalStructureName(0);
        l.UndefinedCell = 8;
        break;
    }
    return l;
}

int CategoryCellOf(TCategory category, const TElementoQ& e)
{
    const int v = CategoryValue(category, e);
    if (v == 0)
        return CategoryLegend(category).UndefinedCell;
    return v - 1;
}

double CategoryPosition(TCategory category, int value)
{
    return double(value - 1) / CategoryLegend(category).Divisor;
}

// ---------------------------------------------------------------------------
// Scales

double ScalePosition(double v, double min, double max)
{
    if (max == min)
        return 0;
    return (v - min) / (max - min);
}

void NiceScaleStep(float a, float b, float& first, float& step, float& last)
{
    last = std::max(a, b);
    const float low = std::min(a, b);
    const float range = last - low;
    if (!(range > 0) || !std::isfinite(range)) {
        // One tick: both ends are the same value.
        first = low;
        step = 1;
        last = low;
        return;
    }
    float d = 1;
    float e = 0;
    for (int guard = 0; guard < 200; ++guard) {
        e = std::trunc(range / 4 * d);
        if (e != 0 || !std::isfinite(d))
            break;
        // 1, 2, 4, 5, 10, 20, 40, 50, ...: 4 x 10^k is followed by 5 x 10^k.
        const float k = std::pow(10.0f, std::floor(std::log10(d)));
        d = std::fabs(d - 4 * k) <= k * 1e-4f ? 5 * k : d * 2;
    }
    if (e == 0 || !std::isfinite(d)) {
        first = low;
        step = 1;
        last = low;
        return;
    }
    step = e / d;
    static const float snaps[] = {5000, 1000, 500, 200, 100, 50, 20, 10, 5, 2};
    for (float s : snaps) {
        if (step > s) {
            step = s;
            break;
        }
    }
    first = std::trunc(low / step) * step;
}

QList<float> ScaleTicks(float a, float b)
{
    float first = 0, step = 0, last = 0;
    NiceScaleStep(a, b, first, step, last);
    QList<float> out;
    if (first == last) {
        out << first;
        return out;
    }
    for (int i = 0; i < 1000; ++i) {
        const float t = first + step * float(i);
        if (t > last)
            break;
        out << t;
    }
    return out;
}

// ---------------------------------------------------------------------------
// State of aggregation

TStateShade StateShade(float m, float b, double t)
{
    TStateShade s;
    if (!(m > 0) || !(b > 0))
        return s;
    if (t < m) {
        s.State = TAggregation::Solid;
        s.Lightness = 0.25 + 0.55 * t / m;
    } else if (t >= b) {
        s.State = TAggregation::Gas;
        const double g = 2.0 * (double(b) - double(m));
        // A boiling point at or below the melting point leaves no range to
        // grow lighter over: the gas shows its full lightness above it.
        const double f = g > 0 ? std::min(t - b, g) / g : (t > b ? 1.0 : 0.0);
        s.Lightness = 0.25 + 0.55 * f;
    } else {
        s.State = TAggregation::Liquid;
        s.Lightness = 0.25 + 0.55 * (t - m) / (double(b) - double(m));
    }
    s.Hue = StateHue(s.State);
    return s;
}

TStateShade StateShadeOf(const TElementoQ& e, double t) { return StateShade(e.MeltingPoint, e.BoilingPoint, t); }

double StateHue(TAggregation state)
{
    switch (state) {
    case TAggregation::Solid:
        return kSolidHue;
    case TAggregation::Liquid:
        return kLiquidHue;
    default:
        return kGasHue;
    }
}

QString StateReport(const QString& name, TAggregation state, int t)
{
    const char* word = nullptr;
    switch (state) {
    case TAggregation::Solid:
        word = "%s Sólido a %d %s";
        break;
    case TAggregation::Liquid:
        word = "%s Líquido a %d %s";
        break;
    case TAggregation::Gas:
        word = "%s Gaseoso a %d %s";
        break;
    case TAggregation::Unknown:
        return QString();
    }
    return Format(QString::fromUtf8(word), {name, t, QStringLiteral("K")});
}

int ClampTemperature(long long t) { return static_cast<int>(std::clamp<long long>(t, 0, kMaxTemperature)); }

int StripTemperature(int x, int width)
{
    if (width <= 1)
        return 0;
    return ClampTemperature(MulDiv(x, kMaxTemperature, width - 1));
}

int PointTemperature(int x, int width)
{
    if (width <= 0)
        return 0;
    return ClampTemperature(MulDiv(x, kMaxTemperature, width));
}

int TemperaturePixel(int t, int width)
{
    return MulDiv(ClampTemperature(t), std::max(width, 0), kMaxTemperature);
}
