// What the conversion menu and the converter compute without windows: the
// number around the caret, the texts a conversion writes, the recent
// conversions and their settings section, a number in every base, and the
// sumbrix-eval lines.
#include "engine/bases.h"
#include "foundation/core/directives.h"
#include "foundation/core/zelini.h"
#include "science/unidades/conversion.h"
#include "unitfixture.h"

void RegisterDirectives_science_unidades();

namespace {

TEST(NumberAtCaret, FindsTheLiteralAroundTheCaret)
{
    struct Case {
        const char* text;
        int caret;
        bool found;
        int start, length;
        long double value;
    } cases[] = {
        {"2*-3", 4, true, 2, 2, -3},            // the sign goes with the number
        {"5E-3", 4, true, 0, 4, 0.005L},        // caret after the exponent
        {"5E-3", 0, true, 0, 4, 0.005L},        // caret before the number
        {"5E-3", 2, true, 0, 4, 0.005L},        // caret inside the exponent
        {"12+345", 4, true, 3, 3, 345},         // between 3 and 4
        {"12+345", 2, true, 0, 2, 12},
        {"1.5e3*2", 3, true, 0, 5, 1500},
        {"3.25", 4, true, 0, 4, 3.25L},
        {"a+.5", 4, true, 2, 2, 0.5L},
        {"-7", 2, true, 0, 2, -7},
        {"x-y", 2, false, 0, 0, 0},
        {"sen(x)", 3, false, 0, 0, 0},
        {"", 0, false, 0, 0, 0},
        {"1.2.3", 5, true, 2, 3, 2.3L},         // one point only
        {"0e5", 3, true, 2, 1, 5},              // an exponent needs a digit 1 to 9 before it
        {"2e5", 3, true, 0, 3, 200000},
        {"4-2", 3, true, 1, 2, -2},             // a "-" before a digit is a sign
        {"10", 99, true, 0, 2, 10},             // a caret past the end counts as the end
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text << " @" << c.caret);
        const TNumberAtCaret n = FindNumberAtCaret(QString::fromUtf8(c.text), c.caret);
        EXPECT_EQ(n.Found, c.found);
        EXPECT_EQ(n.Length, c.length);
        if (c.found) {
            EXPECT_EQ(n.Start, c.start);
            EXPECT_EQ(n.Value, c.value);
        }
    }
}

TEST(ConversionTexts, ResultAndPreviewFormats)
{
    EXPECT_EQ(ConvertedText(2.54L), QStringLiteral("2.54"));
    EXPECT_EQ(ConvertedText(1e-15L), QStringLiteral("1E-15"));
    EXPECT_EQ(PreviewText(1609.344L), QStringLiteral("    1609"));
    EXPECT_EQ(PreviewText(1.5e20L), QStringLiteral("  1.5e20"));
    Extended v = 0;
    EXPECT_TRUE(ReadResultNumber(QStringLiteral(" 1 234.5 "), v));
    EXPECT_EQ(v, 1234.5L);
    EXPECT_FALSE(ReadResultNumber(QStringLiteral("Verdadero"), v));
    EXPECT_FALSE(ReadResultNumber(QStringLiteral("FF [16]"), v));
    EXPECT_FALSE(ReadResultNumber(QString(), v));
}

class RecentTest : public CoreExeDirTest {};

TEST_F(RecentTest, NewestFirstNoRepeatsAtMostFifteen)
{
    TRecentConversions r;
    for (int i = 0; i < 16; ++i)
        r.Add(QStringLiteral("u%1 -> v (M)").arg(i));
    ASSERT_EQ(r.Items().size(), 15);
    EXPECT_EQ(r.Items().front(), QStringLiteral("u15 -> v (M)"));
    EXPECT_EQ(r.Items().back(), QStringLiteral("u1 -> v (M)"));   // the oldest went
    r.Add(QStringLiteral("u7 -> v (M)"));
    EXPECT_EQ(r.Items().size(), 15);
    EXPECT_EQ(r.Items().front(), QStringLiteral("u7 -> v (M)"));
    EXPECT_EQ(r.Items().count(QStringLiteral("u7 -> v (M)")), 1);
}

TEST_F(RecentTest, SettingsSectionIsWrittenFromKeyZeroAndNeverErased)
{
    const QString file = path(QStringLiteral("s.ini"));
    {
        TZelIniFile ini(file);
        QStringList lines;
        for (int i = 0; i < 15; ++i)
            lines << QStringLiteral("%1=a%1 -> b (M)").arg(i);
        lines.insert(3, QStringLiteral("x="));   // empty values are skipped
        ini.SetSectionLines(QStringLiteral("RectConv"), lines);
        ini.WriteString(QStringLiteral("Opciones"), QStringLiteral("Ver"), QStringLiteral("280"));
    }
    TRecentConversions r;
    {
        TZelIniFile ini(file);
        r.Read(ini);
    }
    ASSERT_EQ(r.Items().size(), 15);
    EXPECT_EQ(r.Items()[3], QStringLiteral("a3 -> b (M)"));
    r.Clear();
    r.Add(QStringLiteral("pie -> metro (Longitud)"));
    r.Add(QStringLiteral("metro -> pie (Longitud)"));
    {
        TZelIniFile ini(file);
        r.Write(ini);
    }
    TZelIniFile ini(file);
    QStringList lines;
    ini.ReadSectionValues(QStringLiteral("RectConv"), lines);
    // Keys "0" and "1" take the new items; the rest of the older list stays
    // (only removing the section shortens it).
    ASSERT_EQ(lines.size(), 16);
    EXPECT_EQ(lines[0], QStringLiteral("0=metro -> pie (Longitud)"));
    EXPECT_EQ(lines[1], QStringLiteral("1=pie -> metro (Longitud)"));
    EXPECT_EQ(lines[2], QStringLiteral("2=a2 -> b (M)"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Opciones"), QStringLiteral("Ver"), QString()), QStringLiteral("280"));
    TRecentConversions back;
    back.Read(ini);
    ASSERT_EQ(back.Items().size(), 15);
    EXPECT_EQ(back.Items().mid(0, 2), r.Items());
    EXPECT_EQ(back.Items()[14], QStringLiteral("a14 -> b (M)"));
}

class BasesTest : public CoreStateTest {};

TEST_F(BasesTest, EveryBaseWithItsLabel)
{
    const std::vector<TBaseRow> rows = AllBases(10);
    ASSERT_EQ(rows.size(), 35u);
    EXPECT_EQ(rows[0].Label, QStringLiteral("Bin"));
    EXPECT_EQ(rows[0].Text, QStringLiteral("1010 [2]"));
    EXPECT_EQ(rows[6].Label, QStringLiteral("Oct"));
    EXPECT_EQ(rows[8].Label, QStringLiteral("Dec"));
    EXPECT_EQ(rows[8].Text, QStringLiteral("10"));
    EXPECT_EQ(rows[14].Label, QStringLiteral("Hex"));
    EXPECT_EQ(rows[14].Text, QStringLiteral("A [16]"));
    EXPECT_EQ(rows[34].Label, QStringLiteral("36"));
}

TEST_F(BasesTest, WholeValuesFromTwoToThe63UpAreExactInHighBases)
{
    struct Case {
        long double x;
        int base;
        const char* text;
    } cases[] = {
        {9223372036854775808.0L, 16, "8000000000000000 [16]"},
        {18446744073709551616.0L, 16, "10000000000000000 [16]"},
        {18446744073709551616.0L, 32, "G000000000000 [32]"},
        {18446744073709551616.0L, 36, "3W5E11264SGSG [36]"},
        {18446744073709551615.0L, 36, "3W5E11264SGSF [36]"},
        {-9223372036854775808.0L, 36, "-1Y2P0IJ32E8E8 [36]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(NumberInBase(c.base, c.x), QString::fromUtf8(c.text));
    }
}

TEST_F(BasesTest, ReadingAnyBaseAndItsErrors)
{
    struct Case {
        const char* text;
        bool ok;
        long double value;
    } cases[] = {
        {"1010[2]", true, 10}, {"hFF", true, 255}, {"o17", true, 15}, {"12.5", true, 12.5L},
        {"1[a]", false, 0},    {"2*", false, 0},   {"Verdadero", false, 0}, {"", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Extended v = -1;
        QString error;
        EXPECT_EQ(ReadNumberWithBase(QString::fromUtf8(c.text), v, error), c.ok);
        if (c.ok)
            EXPECT_EQ(v, c.value);
        else
            EXPECT_FALSE(error.isEmpty());
    }
}

class DirectivesTest : public UnitTest {
protected:
    void SetUp() override
    {
        UnitTest::SetUp();
        saved = EvalDirectives();
        EvalDirectives().clear();
        RegisterDirectives_science_unidades();
    }
    void TearDown() override
    {
        EvalDirectives() = saved;
        UnitTest::TearDown();
    }
    QString run(const QString& line)
    {
        QString answer;
        EXPECT_TRUE(RunEvalDirective(line, answer)) << line.toStdString();
        return answer;
    }
    std::vector<TEvalDirective> saved;
};

TEST_F(DirectivesTest, ConvertAndBasesOneLineEach)
{
    {
        TZelIniFile ini(UnitDefinitionsFile(), UnitDefinitionsKey());
        ini.SetSectionLines(QStringLiteral("Longitud"),
                            {QStringLiteral("UniFundamental=metro"), QStringLiteral("pulgada=0.0254"),
                             QStringLiteral("pie=0.3048")});
        ini.SetSectionLines(QStringLiteral("Temperatura"),
                            {QStringLiteral("UniFundamental=kelvin"), QStringLiteral("grado Celsius=U+273.15_U-273.15"),
                             QStringLiteral("cero=0"), QStringLiteral("grado Rankine=5/9"),
                             QStringLiteral("grado Fahrenheit=(U+459.67)*5/9_U*9/5-459.67")});
    }
    struct Case {
        const char* line;
        const char* answer;
    } cases[] = {
        {"#convert\t1\tpie\tpulgada", "12"},
        {"#convert\t3\tpie\tmetro\tLongitud", "0.9144"},
        {"#convert\t0\tgrado Celsius\tkelvin", "273.15"},
        {"#convert\t1\tmilla\tmetro", "La magnitud \"milla\" no esta declarada"},
        {"#convert\t1\tpie\tlegua", "La magnitud \"legua\" no esta declarada"},
        {"#convert\t1\tpie\tmetro\tSuperficie", "La magnitud \"Superficie\" no esta declarada"},
        {"#convert\t1\tkelvin\tcero", "División por cero"},
        {"#convert\tx\tpie\tmetro", "\"x\" no es un número válido"},
        {"#bases\t1[a]", "'a' no es un valor entero válido"},
        // A unit converted to itself still has to exist.
        {"#convert\t1\tzz\tzz", "La magnitud \"zz\" no esta declarada"},
        {"#convert\t1\tzz\tzz\tLongitud", "La magnitud \"zz\" no esta declarada"},
        {"#convert\t1\tpie\tpie\tNada", "La magnitud \"Nada\" no esta declarada"},
        {"#convert\t1.1\tpie\tpie", "1.1"},
        // Decimal data leave no binary residue.
        {"#convert\t491.67\tgrado Rankine\tgrado Celsius", "0"},
        {"#convert\t32\tgrado Fahrenheit\tgrado Celsius", "0"},
        {"#convert\t0\tgrado Celsius\tgrado Fahrenheit", "32"},
        {"#convert\t-459.67\tgrado Fahrenheit\tkelvin", "0"},
        {"#convert\t1.23456789012345E-30\tpie\tpulgada", "0.148148146814814e-28"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(run(QString::fromUtf8(c.line)), QString::fromUtf8(c.answer));
    }
    const QString bases = run(QStringLiteral("#bases\t1010[2]"));
    EXPECT_TRUE(bases.startsWith(QStringLiteral("Bin: 1010 [2] ; 3: 101 [3] ; 4: 22 [4]"))) << bases.toStdString();
    EXPECT_TRUE(bases.contains(QStringLiteral(" ; Dec: 10 ; 11: A [11] ; ")));
    EXPECT_TRUE(bases.endsWith(QStringLiteral(" ; 36: A [36]")));
    EXPECT_EQ(bases.count(QStringLiteral(" ; ")), 34);
}

} // namespace
