// The formula groups and the picture container that ship beside the program:
// every formula solves with its own values, and again for each of its
// elements; every magnitude and unit is one of maguni.def; every picture a
// formula names is in form.img and is a small bitmap.
#include "foundation/core/basicos.h"
#include "science/formulas/formulasolve.h"
#include "science/formulas/streams.h"
#include "science/quimica/quimica.h"
#include "science/unidades/unidades.h"
#include "support/fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

class ShippedTest : public CoreStateTest {
protected:
    void SetUp() override
    {
        CoreStateTest::SetUp();
        SetExeDir(QStringLiteral(SUMBRIX_BIN_DIR));
        unitEngine().reset();
        LoadUnitDefinitions();
        LoadAtomicMasses();
        // Like the main window's input evaluator: built-ins, memories, last
        // result and the variables n and x.
        parent.UseBuiltIns = true;
        parent.Silent = true;
        for (int i = 0; i < 10; ++i)
            parent.AddVariable(QStringLiteral("M%1").arg(i));
        parent.AddVariable(QStringLiteral("Rst"));
        parent.AddVariable(QStringLiteral("n"));
        parent.AddVariable(QStringLiteral("x"));
    }
    void TearDown() override
    {
        UnloadAtomicMasses();
        unitEngine().reset();
        CoreStateTest::TearDown();
    }
    real::TExpresion parent;
};

TEST_F(ShippedTest, GroupsAndFormulas)
{
    const QStringList groups = ListFormulaGroups();
    ASSERT_GE(groups.size(), 6);
    int formulas = 0;
    for (const QString& group : groups) {
        TFormulaGroup g(group);
        const QStringList names = g.Names();
        EXPECT_GE(names.size(), 10) << group.toStdString();
        for (const QString& name : names) {
            SCOPED_TRACE((group + QStringLiteral(" / ") + name).toStdString());
            ++formulas;
            const TFormula f = g.Read(name);
            ASSERT_GE(f.Unknown, 0);
            ASSERT_GE(f.Elements.size(), 2u);
            // Stored again exactly as it reads.
            EXPECT_EQ(ParseFormulaLines(FormulaLines(f)), f);
            std::set<QString> symbols;
            for (const TFormulaElement& e : f.Elements) {
                EXPECT_TRUE(symbols.insert(e.Simb.toLower()).second) << "repeated symbol " << e.Simb.toStdString();
                const int m = MatchMagnitude(BaseMagnitude(e.Base));
                ASSERT_GE(m, 0) << e.Base.toStdString();
                const TMagnitud& mag = unitEngine().MagnitudeList[size_t(m)];
                EXPECT_GE(mag.IndexOf(e.Unidad), 0) << e.Unidad.toStdString();
                EXPECT_GE(mag.IndexOf(BaseUnit(e.Base)), 0) << e.Base.toStdString();
            }
            // Every symbol of the law is answered by the element table (none is
            // taken by a built-in or a name of the input evaluator).
            TFormulaSolver solver(&parent);
            solver.Quiet = true;
            solver.Elements = f.Elements;
            std::set<QString> asked;
            solver.LawEvaluator().OnResolveName = [&](const QString& n, bool& ok) {
                asked.insert(n.toLower());
                return solver.FormulaSymbolValue(n, ok);
            };
            const TSolveOutcome first = solver.Recalculate(f.Ley, f.Unknown);
            ASSERT_TRUE(first.ok()) << first.Message.toStdString();
            std::set<QString> others = symbols;
            others.erase(f.Elements[size_t(f.Unknown)].Simb.toLower());
            for (const QString& s : others)
                EXPECT_TRUE(asked.count(s)) << "symbol not asked: " << s.toStdString();
            // Solved for each other element, the values come back.
            const std::vector<Extended> base = solver.FormulaValues;
            solver.Elements[size_t(f.Unknown)].Valor = first.Result;
            for (size_t k = 0; k < f.Elements.size(); ++k) {
                if (int(k) == f.Unknown)
                    continue;
                SCOPED_TRACE(f.Elements[k].Simb.toStdString());
                TFormulaSolver again(&parent);
                again.Quiet = true;
                again.Elements = solver.Elements;
                const TSolveOutcome r = again.Recalculate(f.Ley, int(k));
                ASSERT_TRUE(r.ok()) << r.Message.toStdString();
                EXPECT_NEAR(double(r.Value), double(base[k + 1]), 1e-9 * std::fabs(double(base[k + 1])) + 1e-30);
            }
        }
    }
    EXPECT_GE(formulas, 60);
}

TEST_F(ShippedTest, PicturesOfTheContainer)
{
    TStreams pictures;
    pictures.UsePrefixes = false;
    pictures.LoadFromFile(ExeDir() + QStringLiteral("form.img"));
    EXPECT_FALSE(pictures.Compressed);
    EXPECT_FALSE(pictures.Encrypted);
    std::set<QString> used;
    for (const QString& group : ListFormulaGroups()) {
        TFormulaGroup g(group);
        for (const QString& name : g.Names()) {
            const QString ref = g.Read(name).ImageReference;
            if (ref.startsWith(QLatin1Char('#')))
                used.insert(ref.mid(1).toLower());
        }
    }
    EXPECT_GE(used.size(), 6u);
    for (const QString& ref : used) {
        SCOPED_TRACE(ref.toStdString());
        TGraphicKind kind;
        const QByteArray bmp = pictures.GetGraphicBytes(ref, kind);
        ASSERT_EQ(kind, TGraphicKind::Bitmap);
        ASSERT_GE(bmp.size(), 54);
        EXPECT_TRUE(bmp.startsWith("BM"));
        const int w = std::uint8_t(bmp[18]) | std::uint8_t(bmp[19]) << 8;
        const int h = std::uint8_t(bmp[22]) | std::uint8_t(bmp[23]) << 8;
        EXPECT_TRUE(w >= 1 && w <= 90 && h >= 1 && h <= 90) << w << " x " << h;
    }
}

} // namespace
