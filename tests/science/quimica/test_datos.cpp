// quim.ini and tablaper.tab as the build wrote them beside the programs: the
// whole table reads without a fault, the masses of both files agree, and the
// usual formulas weigh what a chemistry book says.
#include "science/quimica/elementos.h"
#include "science/quimica/quimica.h"

#include "foundation/core/basicos.h"
#include "support/fixtures.h"

#include <QFile>

#include <cmath>

namespace {

class ShippedDataTest : public CoreStateTest {
protected:
    void SetUp() override
    {
        CoreStateTest::SetUp();
        SetExeDir(QStringLiteral(SUMBRIX_BIN_DIR));
        Quimica().reset();
        Elementos().reset();
        LoadAtomicMasses();
        report = LoadPeriodicTable();
    }
    void TearDown() override
    {
        Quimica().reset();
        Elementos().reset();
        CoreStateTest::TearDown();
    }
    TTableReport report;
};

TEST_F(ShippedDataTest, TheElementTableReadsWhole)
{
    EXPECT_TRUE(report.ok()) << report.Text().toStdString();
    for (int z = 1; z <= kElementCount; ++z) {
        SCOPED_TRACE(z);
        const TElementoQ* e = PeriodicElement(z);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->AtomicNumber, z);
        EXPECT_FALSE(e->Symbol.isEmpty());
        EXPECT_FALSE(e->Name.isEmpty());
        EXPECT_GE(e->Period, 1);
        EXPECT_LE(e->Period, 8);
        EXPECT_LE(e->Group, 18);
        if (z <= 118) {
            EXPECT_GT(e->AtomicMass, 0);
            EXPECT_GE(e->ElementType, 1);
            EXPECT_LE(e->ElementType, 11);
        }
        // The abundances of the natural isotopes make about 100 %.
        if (e->IsotopeCount() > 0 && z != 90 && z != 91) {
            double sum = 0;
            for (int i = 0; i < e->IsotopeCount(); ++i)
                sum += e->Isotopes[size_t(i)].Abundance;
            EXPECT_NEAR(sum, 100, 0.5);
            EXPECT_EQ(e->NaturalIsotopeCount, e->IsotopeCount());
        }
        // Electrons per shell add up to the atomic number where the
        // configuration is known.
        if (!e->Configuration.isEmpty()) {
            int electrons = 0;
            for (auto n : e->Shells)
                electrons += n;
            EXPECT_EQ(electrons, z);
        }
    }
}

TEST_F(ShippedDataTest, KnownFactsOfSomeElements)
{
    const TElementoQ* fe = PeriodicElement(26);
    ASSERT_NE(fe, nullptr);
    EXPECT_EQ(fe->Symbol, QStringLiteral("Fe"));
    EXPECT_EQ(fe->Name, QStringLiteral("Hierro"));
    EXPECT_EQ(GroupText(*fe), QStringLiteral("8 (VIII B)"));
    EXPECT_EQ(ElementTypeText(*fe), QStringLiteral("Metal de Transición"));
    EXPECT_EQ(CrystalStructureText(*fe), QStringLiteral("Cúbica Centrada en Cuerpo"));
    EXPECT_EQ(ShellDistributionText(*fe), QStringLiteral("2, 8, 14, 2"));
    EXPECT_NEAR(fe->MeltingPoint, 1808, 1);
    EXPECT_NEAR(fe->Density, 7.874, 0.001);
    const TElementoQ* h = PeriodicElement(1);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GroupText(*h), QStringLiteral("1 (I A)"));
    EXPECT_EQ(h->Electronegativity, 22);
    const TElementoQ* og = PeriodicElement(118);
    ASSERT_NE(og, nullptr);
    EXPECT_EQ(og->Symbol, QStringLiteral("Og"));
    EXPECT_EQ(ElementTypeText(*PeriodicElement(60)), QStringLiteral("Lantánido"));
    EXPECT_EQ(ElementTypeText(*PeriodicElement(92)), QStringLiteral("Actínido"));
    // Gases carry the density of their liquid: not all at the bottom of the scale.
    EXPECT_GT(PeriodicElement(8)->Density, 1.0f);
}

TEST_F(ShippedDataTest, TheMassesOfBothFilesAgree)
{
    ASSERT_EQ(AtomicMassTable().size(), 118u);
    for (size_t i = 0; i < AtomicMassTable().size(); ++i) {
        const TAtomicMass& a = AtomicMassTable()[i];
        const TElementoQ* e = PeriodicElement(int(i) + 1);
        ASSERT_NE(e, nullptr);
        SCOPED_TRACE(a.Symbol.toStdString());
        EXPECT_EQ(a.Symbol, e->Symbol);
        EXPECT_EQ(a.Name, e->Name);
        EXPECT_EQ(static_cast<float>(a.Mass), e->AtomicMass);
    }
}

TEST_F(ShippedDataTest, UsualFormulasWeighWhatTheBooksSay)
{
    struct Case {
        const char* formula;
        double mass;
    };
    const Case cases[] = {
        {"H2O", 18.015},       {"C6H12O6", 180.156}, {"NaCl", 58.44},   {"CO2", 44.009},
        {"Ca(OH)2", 74.092},   {"H2SO4", 98.072},    {"CuSO4.5H2O", 249.677},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.formula);
        bool ok = false;
        const Extended m = MolarMass(QString::fromLatin1(c.formula), ok);
        ASSERT_TRUE(ok);
        EXPECT_NEAR(double(m), c.mass, 0.0005);
    }
    EXPECT_EQ(MolarMassLine(QStringLiteral("H2O")), QStringLiteral("18.015"));
}

} // namespace
