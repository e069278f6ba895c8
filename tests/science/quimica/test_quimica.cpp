// Chemical formulas: the table of atomic masses, the molar mass of formulas,
// their drawing and the hooks the main window hands its evaluators.
#include "science/quimica/quimica.h"

#include "engine/bases.h"
#include "fakecanvas.h"
#include "foundation/core/directives.h"
#include "foundation/core/zelini.h"
#include "support/fixtures.h"

#include <QMap>

#include <cmath>

void RegisterDirectives_science_quimica();

namespace {

// A small table, the masses as the shipped file writes them.
const char* const kMasses = "[MASAS]\r\n"
                            "H_Hidrógeno=1.008\r\n"
                            "C_Carbono=12.011\r\n"
                            "N_Nitrógeno=14.007\r\n"
                            "O_Oxígeno=15.999\r\n"
                            "Na_Sodio=22.990\r\n"
                            "S_Azufre=32.06\r\n"
                            "Cl_Cloro=35.45\r\n"
                            "Ca_Calcio=40.078\r\n"
                            "Co_Cobalto=58.933\r\n"
                            "Cu_Cobre=63.546\r\n";

class QuimicaTest : public CoreExeDirTest {
protected:
    void SetUp() override
    {
        CoreExeDirTest::SetUp();
        Quimica().reset();
        put(QStringLiteral("quim.ini"), QByteArray(kMasses).replace("ó", "\xF3").replace("í", "\xED"));
        LoadAtomicMasses();
    }
    void TearDown() override
    {
        Quimica().reset();
        CoreExeDirTest::TearDown();
    }

    // The masses read independently of the loader.
    static Extended m(const char* symbol)
    {
        static const QMap<QString, Extended> masses{
            {"H", 1.008L},   {"C", 12.011L}, {"N", 14.007L},  {"O", 15.999L},  {"Na", 22.990L},
            {"S", 32.06L},   {"Cl", 35.45L}, {"Ca", 40.078L}, {"Co", 58.933L}, {"Cu", 63.546L},
        };
        return masses.value(QString::fromLatin1(symbol));
    }
};

TEST_F(QuimicaTest, TheTableKeepsTheFileOrderSymbolsNamesAndMasses)
{
    ASSERT_EQ(AtomicMassTable().size(), 10u);
    EXPECT_EQ(AtomicMassTable()[0].Symbol, QStringLiteral("H"));
    EXPECT_EQ(AtomicMassTable()[0].Name, QStringLiteral("Hidrógeno"));
    EXPECT_EQ(AtomicMassTable()[0].Mass, 1.008L);
    EXPECT_EQ(AtomicMassTable()[8].Symbol, QStringLiteral("Co"));
    EXPECT_EQ(AtomicMassTable()[9].Mass, 63.546L);
}

TEST_F(QuimicaTest, FormulasWeighTheSumOfTheirElements)
{
    struct Case {
        const char* formula;
        Extended mass;
    };
    const Case cases[] = {
        {"H2O", 2 * m("H") + m("O")},
        {"2H2O", 2 * (2 * m("H") + m("O"))},
        {"C6H12O6", 6 * m("C") + 12 * m("H") + 6 * m("O")},
        {"Ca(OH)2", m("Ca") + 2 * (m("O") + m("H"))},
        {"CO", m("C") + m("O")},
        {"Co", m("Co")},
        {"NaCl.", m("Na") + m("Cl")},
        {"NaCl", m("Na") + m("Cl")},
        {"H", m("H")},
        {"O0", 0},
        {"(OH)", m("O") + m("H")},
        {"(2H)3", 3 * 2 * m("H")},
        {"Ca(NO3)2", m("Ca") + 2 * (m("N") + 3 * m("O"))},
        // The water of a hydrate: the number after "." multiplies up to the end.
        {"CuSO4.5H2O", m("Cu") + m("S") + 4 * m("O") + 5 * (2 * m("H") + m("O"))},
        {"CuSO4.5H2O.2NaCl", m("Cu") + m("S") + 4 * m("O") + 5 * (2 * m("H") + m("O")) + 2 * (m("Na") + m("Cl"))},
        {"CuSO4.H2O", m("Cu") + m("S") + 4 * m("O") + 2 * m("H") + m("O")},
        // Long counts are weighed in extended precision.
        {"H99999999999", 99999999999.0L * m("H")},
        {"999999999999999999H", 999999999999999999.0L * m("H")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.formula);
        bool ok = false;
        const Extended got = MolarMass(QString::fromLatin1(c.formula), ok);
        EXPECT_TRUE(ok);
        EXPECT_NEAR(double(got), double(c.mass), std::fabs(double(c.mass)) * 1e-15);
    }
}

TEST_F(QuimicaTest, TextsThatAreNoFormulaGiveZeroAndNotOk)
{
    const char* const cases[] = {
        "",         "123",        "co",      "h2O",      "Ca(OH",     "(Ca(OH)2)", "H2Xx",     "Xx",
        "()",       "())",        "(OH)a",   "H-",       "H+2",       "NaCl..",    "H2O.5",    "2",
        "(",        "H(",         "CuSO4.5", "Ca(OH)2)", "1234567890123456789H", "H1234567890123456789",
        "99999999999999999999999999999999999999H",     "(H)99999999999999999999", "H2 O",
    };
    for (const char* c : cases) {
        SCOPED_TRACE(c);
        bool ok = true;
        EXPECT_EQ(MolarMass(QString::fromLatin1(c), ok), 0.0L);
        EXPECT_FALSE(ok);
    }
}

TEST_F(QuimicaTest, ATermIsReadFromItsPositionAndPosMovesPastIt)
{
    struct Case {
        const char* text;
        int pos;
        bool ok;
        Extended mass;
        int after;
    };
    const Case cases[] = {
        {"H2O", 1, true, 2 * m("H"), 3},
        {"H2O", 3, true, m("O"), 4},
        {"NaCl", 1, true, m("Na"), 3},
        {"Ca(OH)2", 3, true, 2 * (m("O") + m("H")), 8},
        {"NaCl.KBr", 3, true, m("Cl"), 6},
        {"2H", 1, false, 0, 1},
        {"Xe", 1, false, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Extended mass = 0;
        int pos = c.pos;
        EXPECT_EQ(ParseFormulaTerm(QString::fromLatin1(c.text), mass, pos), c.ok);
        if (c.ok) {
            EXPECT_NEAR(double(mass), double(c.mass), 1e-12);
            EXPECT_EQ(pos, c.after);
        }
    }
}

TEST_F(QuimicaTest, AFormulaWithOneUnknownSymbolIsNotAPartialSum)
{
    bool ok = true;
    EXPECT_EQ(MolarMass(QStringLiteral("NaClFe"), ok), 0.0L);
    EXPECT_FALSE(ok);
}

TEST_F(QuimicaTest, KeysWithoutNameAndValuesThatAreNoNumberStillMakeEntries)
{
    SetAtomicMassLines({QStringLiteral("Fe=55.845"), QStringLiteral("_X=2"), QStringLiteral("Zn_Cinc=abc"),
                        QStringLiteral("comentario sin igual"), QStringLiteral("Au_Oro_puro=196.97")});
    ASSERT_EQ(AtomicMassTable().size(), 4u);
    EXPECT_EQ(AtomicMassTable()[0].Symbol, QStringLiteral("Fe"));
    EXPECT_TRUE(AtomicMassTable()[0].Name.isEmpty());
    EXPECT_EQ(AtomicMassTable()[1].Symbol, QStringLiteral("_X"));
    EXPECT_EQ(AtomicMassTable()[2].Mass, 0.0L);
    EXPECT_EQ(AtomicMassTable()[3].Symbol, QStringLiteral("Au"));
    EXPECT_EQ(AtomicMassTable()[3].Name, QStringLiteral("Oro_puro"));
}

TEST_F(QuimicaTest, AMissingFileOrSectionLeavesNoFormulaKnown)
{
    put(QStringLiteral("otro.ini"), "[OTRA]\r\nH_Hidrogeno=1.008\r\n");
    LoadAtomicMassesFrom(path(QStringLiteral("otro.ini")));
    EXPECT_TRUE(AtomicMassTable().empty());
    LoadAtomicMassesFrom(path(QStringLiteral("no-existe.ini")));
    EXPECT_TRUE(AtomicMassTable().empty());
    bool ok = true;
    EXPECT_EQ(MolarMass(QStringLiteral("H2O"), ok), 0.0L);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(exists(QStringLiteral("no-existe.ini")));
}

// A table file that is there but gives no element with a mass: the loader
// says so, naming the file, leaves it as it was, and no formula is known.
TEST_F(QuimicaTest, AnEmptyOrGarbledFileIsReported)
{
    QByteArray noise;
    for (int i = 0; i < 2000; ++i)
        noise.append(char((i * 7919 + 13) % 251));
    struct Case {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"garbled", noise},
        {"cut before the section", QByteArray("[MAS")},
        {"no masses", QByteArray("[MASAS]\r\nH_Hidrogeno=uno\r\nO_Oxigeno=\r\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        put(QStringLiteral("quim.ini"), c.bytes);
        const QString problem = LoadAtomicMasses();
        EXPECT_EQ(problem, DamagedDataFileMessage(AtomicMassFileName()));
        EXPECT_TRUE(problem.contains(QStringLiteral("quim.ini")));
        bool ok = true;
        EXPECT_EQ(MolarMass(QStringLiteral("H2O"), ok), 0.0L);
        EXPECT_FALSE(ok);
        EXPECT_EQ(get(QStringLiteral("quim.ini")), c.bytes);
    }
    // The driver's line says so too.
    RegisterDirectives_science_quimica();
    QString answer;
    ASSERT_TRUE(RunEvalDirective(QStringLiteral("#molar\tH2O"), answer));
    EXPECT_EQ(answer, DamagedDataFileMessage(AtomicMassFileName()));
    put(QStringLiteral("quim.ini"), kMasses);
    EXPECT_TRUE(LoadAtomicMasses().isEmpty());
    EXPECT_TRUE(LoadAtomicMassesFrom(path(QStringLiteral("no-existe.ini"))).isEmpty());
}

TEST_F(QuimicaTest, CountsAfterLettersAndParenthesesAreSubscripts)
{
    struct Case {
        const char* text;
        const char* subscripts;
    };
    const Case cases[] = {
        {"H2O", "010"},
        {"2H2O", "0010"},
        {"Ca(OH)2", "0000001"},
        {"CuSO4.5H2O", "0000100010"},
        {"(2H)3", "00001"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::vector<bool> sub = ChemicalSubscripts(QString::fromLatin1(c.text));
        QString got;
        for (bool b : sub)
            got += b ? QLatin1Char('1') : QLatin1Char('0');
        EXPECT_EQ(got, QString::fromLatin1(c.subscripts));
    }
}

TEST_F(QuimicaTest, MeasuringGivesEqualHalvesAboveAndBelowAndTheSumOfTheWidths)
{
    FakeCanvas c(7);
    int w = 0, above = 0, below = 0;
    MeasureChemicalText(QStringLiteral("CuSO4.5H2O"), c, 20, w, above, below);
    EXPECT_EQ(above, 10);   // the fake's "X" is 20 high in the base font
    EXPECT_EQ(below, above);
    EXPECT_EQ(w, 10 * 7);
    EXPECT_EQ(c.font().Name, QStringLiteral("Times New Roman"));
}

TEST_F(QuimicaTest, DrawingPutsCountsLowerAtHalfSizeInBlueAndEndsInBlack)
{
    FakeCanvas c(8);
    DrawChemicalText(QStringLiteral("2H2O"), c, 5, 30, 20);
    const auto texts = c.texts();
    ASSERT_EQ(texts.size(), 4);
    const int drop = 8 / 2;   // half the width of "W"
    struct Want {
        const char* text;
        int x, y, height;
    };
    const Want want[] = {{"2", 5, 30, 20}, {"H", 13, 30, 20}, {"2", 21, 30 + drop, 10}, {"O", 29, 30, 20}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(texts[i].text, QString::fromLatin1(want[i].text));
        EXPECT_EQ(texts[i].x, want[i].x);
        EXPECT_EQ(texts[i].y, want[i].y);
        EXPECT_EQ(texts[i].font.Height, want[i].height);
        EXPECT_EQ(texts[i].font.Color, clBlue);
        EXPECT_EQ(texts[i].brush.Style, bsClear);
    }
    EXPECT_EQ(c.font().Color, clBlack);
}

TEST_F(QuimicaTest, TinySizesNeverAskForAFontOfHeightZero)
{
    FakeCanvas c;
    DrawChemicalText(QStringLiteral("H2"), c, 0, 0, 1);
    for (const auto& t : c.texts())
        EXPECT_NE(t.font.Height, 0);
}

// A canvas whose drawing fails, as a full disk under a picture export would.
class FailingCanvas : public FakeCanvas {
protected:
    void drawText(int, int, const QString&) override { throw Exception(QStringLiteral("fallo")); }
};

TEST_F(QuimicaTest, TheFontColourIsBlackAgainWhenDrawingFails)
{
    FailingCanvas c;
    EXPECT_THROW(DrawChemicalText(QStringLiteral("H2O"), c, 0, 0, 12), Exception);
    EXPECT_EQ(c.font().Color, clBlack);
}

TEST_F(QuimicaTest, TheHooksLetAnEvaluatorWeighAndDrawFormulas)
{
    real::TExpresion e;
    SetChemistryHooks(e, true);
    e.SetText(QStringLiteral("H2O*2"));
    ASSERT_NE(e.Root, nullptr);
    EXPECT_NEAR(double(e.Evaluate()), double(2 * (2 * m("H") + m("O"))), 1e-12);
    FakeCanvas c;
    e.Root->Draw(c, 0, 0, 20);
    QString blue;
    for (const auto& t : c.texts())
        if (t.font.Color == clBlue)
            blue += t.text;
    EXPECT_EQ(blue, QStringLiteral("H2O"));

    SetChemistryHooks(e, false);
    EXPECT_FALSE(e.OnResolveUnknown);
    EXPECT_FALSE(e.ExtMeasureProc);
    EXPECT_FALSE(e.ExtDrawProc);
    EXPECT_THROW(e.SetText(QStringLiteral("H2O*3")), real::ECompilacion);
}

TEST_F(QuimicaTest, TheAutocompleteEntriesBeginWithTheSymbol)
{
    const QStringList entries = ChemistryAutoCompleteTexts();
    ASSERT_EQ(entries.size(), 10);
    EXPECT_EQ(entries[0], QStringLiteral("H - Hidrógeno"));
    EXPECT_EQ(entries[8], QStringLiteral("Co - Cobalto"));
}

// The masses are decimals that binary does not hold exactly; their sums and
// products are shown as the decimals they are.
TEST_F(QuimicaTest, DecimalMassesLeaveNoBinaryResidue)
{
    struct Case {
        const char *formula, *line;
    } cases[] = {
        {"H1000", "1008"},
        {"1000H", "1008"},
        {"H999", "1006.992"},
        {"(H10)100", "1008"},
        {"Cu1000", "63546"},
        {"H3", "3.024"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.formula);
        EXPECT_EQ(MolarMassLine(QString::fromLatin1(c.formula)), QString::fromLatin1(c.line));
    }
}

TEST_F(QuimicaTest, TheEvalLineWritesTheMassAsTheResultBoxOrTheUnknownNameMessage)
{
    EXPECT_EQ(MolarMassLine(QStringLiteral("H2O")), FloatToStrDefBase(2 * m("H") + m("O")));
    EXPECT_EQ(MolarMassLine(QStringLiteral("co")), QStringLiteral("\"co\" no está definido"));
}

} // namespace
