// What the colourings compute without a screen: the list, the axis ticks,
// the categories' cells and the states of aggregation.
#include "science/quimica/coloreo.h"

#include <gtest/gtest.h>

namespace {

TEST(Colourings, TheListHoldsTheEighteenItemsInOrder)
{
    const QList<TColouring>& l = Colourings();
    ASSERT_EQ(l.size(), 18);
    EXPECT_EQ(l[0].Item, QStringLiteral("Año de Descubrimiento"));
    EXPECT_EQ(l[kStateColouring].Item, QStringLiteral("Estado de Agregación"));
    EXPECT_EQ(l[kStateColouring].Kind, TColouringKind::State);
    EXPECT_EQ(l[17].Item, QStringLiteral("Tipo de Elemento"));
    EXPECT_EQ(l[17].Category, TCategory::ElementType);
    EXPECT_EQ(l[8].Category, TCategory::CrystalStructure);
    EXPECT_EQ(l[9].Category, TCategory::Group);
    EXPECT_EQ(l[11].Category, TCategory::Period);
    // The radius of the table is in picometres, and the scale says so.
    EXPECT_EQ(l[15].Item, QStringLiteral("Radio Atómico"));
    EXPECT_EQ(l[15].Unit, QStringLiteral("pm"));
    EXPECT_EQ(l[16].Unit, QStringLiteral("Å"));
    for (const TColouring& c : l) {
        SCOPED_TRACE(c.Item.toStdString());
        if (c.Kind == TColouringKind::Scale) {
            EXPECT_LT(c.Min, c.Max);
            EXPECT_TRUE(bool(c.Getter));
        }
    }
    TElementoQ e;
    e.Electronegativity = 22;
    EXPECT_FLOAT_EQ(l[6].Getter(e), 2.2f);
    e.AtomicNumber = 26;
    EXPECT_FLOAT_EQ(l[10].Getter(e), 26);
}

TEST(Colourings, NiceScaleSteps)
{
    struct Case {
        float a, b;
        float first, step, last;
        int ticks;
    };
    const Case cases[] = {
        {2000, 1730, 1700, 50, 2000, 7},
        {4, 0.7f, 0.5f, 0.5f, 4, 8},
        {6000, 0, 0, 1000, 6000, 7},
        {0, 6000, 0, 1000, 6000, 7},
        {122, 1, 0, 20, 122, 7},
        {22.6f, 0.08f, 0, 2, 22.6f, 12},   // 5 is above 2: snapped to 2
        {430, 0.0035f, 0, 100, 430, 5},
        {1, 1, 1, 1, 1, 1},
        {0, 0, 0, 1, 0, 1},
        {1e-30f, 2e-30f, 1e-30f, 2.5e-31f, 2e-30f, 5},
        {0, 1e-44f, 0, 1, 0, 1},   // too narrow for any step: one tick, no endless search
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.a << " .. " << c.b);
        float first = -1, step = -1, last = -1;
        NiceScaleStep(c.a, c.b, first, step, last);
        EXPECT_FLOAT_EQ(first, c.first);
        EXPECT_FLOAT_EQ(step, c.step);
        EXPECT_FLOAT_EQ(last, c.last);
        EXPECT_EQ(ScaleTicks(c.a, c.b).size(), c.ticks);
    }
}

TEST(Colourings, ScalePositionsNeverDivideByZero)
{
    EXPECT_DOUBLE_EQ(ScalePosition(5, 0, 10), 0.5);
    EXPECT_DOUBLE_EQ(ScalePosition(20, 0, 10), 2.0);
    EXPECT_DOUBLE_EQ(ScalePosition(3, 3, 3), 0.0);
}

TEST(Colourings, CategoryCellsAndTheUndefinedCellsLieInsideTheirGrids)
{
    struct Case {
        TCategory category;
        int cells;
        int undefined;
    };
    const Case cases[] = {
        {TCategory::ElementType, 12, 11},
        {TCategory::Group, 18, -1},
        {TCategory::Period, 8, -1},
        {TCategory::CrystalStructure, 9, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.category));
        const TCategoryLegend l = CategoryLegend(c.category);
        EXPECT_EQ(l.Cells.size(), c.cells);
        EXPECT_LE(l.Cells.size(), l.Cols * l.Rows);
        EXPECT_EQ(l.UndefinedCell, c.undefined);
        TElementoQ none;   // every code 0
        EXPECT_EQ(CategoryCellOf(c.category, none), c.undefined);
        EXPECT_EQ(CategoryValue(c.category, none), 0);
    }
    EXPECT_EQ(CategoryLegend(TCategory::ElementType).Cells[11], QStringLiteral("No Definido"));
    EXPECT_EQ(CategoryLegend(TCategory::CrystalStructure).Cells[8], QStringLiteral("No Definida"));
    TElementoQ e;
    e.ElementType = 12;   // no such type: the undefined cell and no colour of its own
    e.Group = 18;
    e.Period = 9;
    EXPECT_EQ(CategoryValue(TCategory::ElementType, e), 0);
    EXPECT_EQ(CategoryCellOf(TCategory::ElementType, e), 11);
    EXPECT_EQ(CategoryCellOf(TCategory::Group, e), 17);
    EXPECT_EQ(CategoryCellOf(TCategory::Period, e), -1);
    EXPECT_DOUBLE_EQ(CategoryPosition(TCategory::Group, 18), 17.0 / 18);
    EXPECT_DOUBLE_EQ(CategoryPosition(TCategory::ElementType, 1), 0.0);
}

TEST(Colourings, StatesOfAggregationAndTheirLightness)
{
    struct Case {
        float m, b;
        double t;
        TAggregation state;
        double lightness;
    };
    const Case cases[] = {
        {273, 373, 200, TAggregation::Solid, 0.25 + 0.55 * 200 / 273},
        {273, 373, 0, TAggregation::Solid, 0.25},
        {273, 373, 273, TAggregation::Liquid, 0.25},
        {273, 373, 300, TAggregation::Liquid, 0.25 + 0.55 * 27 / 100},
        {273, 373, 373, TAggregation::Gas, 0.25},
        {273, 373, 400, TAggregation::Gas, 0.25 + 0.55 * 27 / 200},
        {273, 373, 6000, TAggregation::Gas, 0.8},
        // Melting and boiling at one temperature: no 0/0 for the gas.
        {300, 300, 300, TAggregation::Gas, 0.25},
        {300, 300, 301, TAggregation::Gas, 0.8},
        {0, 373, 300, TAggregation::Unknown, 0},
        {273, 0, 300, TAggregation::Unknown, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.m << " " << c.b << " " << c.t);
        const TStateShade s = StateShade(c.m, c.b, c.t);
        EXPECT_EQ(s.State, c.state);
        EXPECT_NEAR(s.Lightness, c.lightness, 1e-9);
        EXPECT_DOUBLE_EQ(s.Hue, c.state == TAggregation::Solid    ? 0.5
                                : c.state == TAggregation::Liquid ? 0.35
                                                                  : 0.0);
    }
    EXPECT_EQ(StateReport(QStringLiteral("Agua"), TAggregation::Solid, 200), QStringLiteral("Agua Sólido a 200 K"));
    EXPECT_EQ(StateReport(QStringLiteral("Agua"), TAggregation::Liquid, 300), QStringLiteral("Agua Líquido a 300 K"));
    EXPECT_EQ(StateReport(QStringLiteral("Agua"), TAggregation::Gas, 400), QStringLiteral("Agua Gaseoso a 400 K"));
    EXPECT_TRUE(StateReport(QStringLiteral("Agua"), TAggregation::Unknown, 400).isEmpty());
}

TEST(Colourings, TemperaturesStayWithinTheirRangeWhateverThePixel)
{
    EXPECT_EQ(ClampTemperature(-5), 0);
    EXPECT_EQ(ClampTemperature(7000), 6000);
    EXPECT_EQ(ClampTemperature(1234), 1234);
    EXPECT_EQ(StripTemperature(0, 101), 0);
    EXPECT_EQ(StripTemperature(100, 101), 6000);
    EXPECT_EQ(StripTemperature(50, 101), 3000);
    EXPECT_EQ(StripTemperature(5, 1), 0);
    EXPECT_EQ(StripTemperature(5, 0), 0);
    EXPECT_EQ(PointTemperature(-20, 300), 0);
    EXPECT_EQ(PointTemperature(450, 300), 6000);
    EXPECT_EQ(PointTemperature(150, 300), 3000);
    EXPECT_EQ(PointTemperature(10, 0), 0);
    EXPECT_EQ(TemperaturePixel(3000, 300), 150);
    EXPECT_EQ(TemperaturePixel(9000, 300), 300);
    EXPECT_EQ(TemperaturePixel(100, 0), 0);
}

} // namespace
