#pragma once
// What the periodic table's colourings compute without a screen: the list of
// colourings with their scales, the ticks of a scale axis, where a value lies
// on a scale, and an element's state of aggregation at a temperature with the
// lightness that shows how far into that state it is.
#include "science/quimica/elementos.h"

#include <QList>
#include <QString>

#include <functional>

// ---- the colourings of the list "Mostrar:" ----
enum class TColouringKind { Scale, Category, State };
// The categorical legends (the mode of the category frame).
enum class TCategory { ElementType = 0, Group = 1, Period = 2, CrystalStructure = 3 };

using TElementGetter = std::function<float(const TElementoQ&)>;

struct TColouring {
    QString Item;            // the list's text
    TColouringKind Kind = TColouringKind::Scale;
    double Min = 0, Max = 0; // of a scale
    QString Unit;            // of a scale; may be empty
    TElementGetter Getter;   // of a scale
    TCategory Category = TCategory::ElementType;   // of a categorical legend
};

// The 18 colourings in list order.
const QList<TColouring>& Colourings();
// The index of "Estado de Agregación", the colouring a new window shows.
inline constexpr int kStateColouring = 7;

// ---- categories ----
// The element's value for the category; 0 when not known or outside the
// legend's codes.
int CategoryValue(TCategory category, const TElementoQ& e);
// What the legend of a category holds: its divisor, its grid and its cells'
// texts (the "No Definido"/"No Definida" cell last for types and structures).
struct TCategoryLegend {
    int Divisor = 1;
    int Cols = 1, Rows = 1;
    bool ByColumns = false;    // cells numbered column by column
    QStringList Cells;         // the texts, in cell order
    int UndefinedCell = -1;    // the silver cell, -1 for none
};
TCategoryLegend CategoryLegend(TCategory category);
// The legend cell that shows an element's value: the undefined cell for 0 or
// an unknown code, -1 (no cell) when the legend has none.
int CategoryCellOf(TCategory category, const TElementoQ& e);
// The scale position 0..1 of a category value v (1 up): (v - 1) / divisor.
double CategoryPosition(TCategory category, int value);

// ---- scales ----
// Where v lies between min and max (0 at min, 1 at max; not clamped); 0 when
// min equals max.
double ScalePosition(double v, double min, double max);

// The ticks of an axis from a to b (either order), in 32-bit floats: the step
// 1, 2, 5 or a power-of-ten multiple of them, snapped down to at most 5000;
// the first tick the multiple of the step at or below the smaller end.
void NiceScaleStep(float a, float b, float& first, float& step, float& last);
// The tick values of that axis, first to last (at most 1000); one tick when
// both ends are equal.
QList<float> ScaleTicks(float a, float b);

// ---- elements without data ----
// How many elements of the table a colouring paints in the neutral colour
// because their property is not known (0): a scale's getter gives 0, or the
// melting or boiling point is missing for the states of aggregation.
int UnknownCount(const TElementGetter& getter);
int UnknownStateCount();
// The legend's words for them: "Sin datos: 25 elementos" ("1 elemento");
// empty for none.
QString UnknownLegendText(int count);

// ---- state of aggregation ----
enum class TAggregation { Unknown, Solid, Liquid, Gas };
inline constexpr int kMaxTemperature = 6000;
inline constexpr double kSolidHue = 0.5;
inline constexpr double kLiquidHue = 0.35;
inline constexpr double kGasHue = 0.0;

struct TStateShade {
    TAggregation State = TAggregation::Unknown;
    double Hue = 0;
    double Lightness = 0;   // 0.25 (the state begins) to 0.8
};
// The element's state at t kelvin from its melting point m and boiling point
// b: unknown when either is 0 or less; a gas grows lighter over twice its
// liquid range above b.
TStateShade StateShade(float m, float b, double t);
TStateShade StateShadeOf(const TElementoQ& e, double t);
// The hue of a state's band in the legend.
double StateHue(TAggregation state);
// The report line "Hierro Sólido a 300 K"; empty for an unknown state.
QString StateReport(const QString& name, TAggregation state, int t);
// A temperature kept within 0..6000.
int ClampTemperature(long long t);
// The temperature of pixel column x of a strip `width` pixels wide that runs
// from 0 K (first column) to 6000 K (last column); 0 for a strip of 0 or 1
// pixel, whatever x.
int StripTemperature(int x, int width);
// The temperature of a point x pixels from the left of a control `width`
// pixels wide (0..6000 over the width); 0 for a width of 0.
int PointTemperature(int x, int width);
// The pixel of temperature t on a control `width` pixels wide.
int TemperaturePixel(int t, int width);
