// The unit engine over definition files written by the tests: how a
// definition becomes a unit, what a load keeps, drops and logs, the
// conversions by names and by tag, and the captions of recent conversions.
#include "engine/errors.h"
#include "foundation/core/zelini.h"
#include "science/unidades/unitdefs.h"
#include "support/recordingsink.h"
#include "science/unidades/unidades.h"
#include "unitfixture.h"

#include <cmath>

namespace {

using Sections = std::vector<std::pair<QString, QStringList>>;

TEST_F(UnitTest, DefinitionsBecomeUnitsBothWays)
{
    load({{QStringLiteral("Prueba"),
           {QStringLiteral("UniFundamental=base"), QStringLiteral("kilo=1000"), QStringLiteral("mili=_1000"),
            QStringLiteral("ident=u_u"), QStringLiteral("grados=U+273.15_U-273.15"),
            QStringLiteral("doble=2*U_U/2"), QStringLiteral("pies=0.3048"), QStringLiteral("  espacios =  5  ")}}});
    EXPECT_TRUE(unitEngine().UnitLoadLog.isEmpty()) << unitEngine().UnitLoadLog.toStdString();
    const QString m = QStringLiteral("Prueba");
    struct Case {
        const char* from;
        const char* to;
        Extended value, want;
    } cases[] = {
        {"kilo", "base", 2, 2000},      {"base", "kilo", 5000, 5},        {"base", "mili", 1, 1000},
        {"mili", "base", 1000, 1},      {"ident", "base", 7.5L, 7.5L},    {"base", "ident", -3, -3},
        {"grados", "base", 0, 273.15L}, {"base", "grados", 373.15L, 100}, {"kilo", "mili", 1, 1e6L},
        {"doble", "base", 4, 8},        {"pies", "kilo", 1000, 0.3048L},  {"grados", "kilo", 26.85L, 0.3L},
        {"base", "BASE", 42, 42},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
        EXPECT_LE(rel(ConvertUnits(m, QString::fromUtf8(c.from), QString::fromUtf8(c.to), c.value), c.want), 1e-18L);
    }
    // A line with blanks around "=" is named with its blank; the value is trimmed.
    EXPECT_GE(magnitude(m).IndexOf(QStringLiteral("  espacios ")), 0);
    EXPECT_EQ(ConvertUnits(m, QStringLiteral("  espacios "), QStringLiteral("base"), 2), 10);
}

TEST_F(UnitTest, FaultyDefinitionsAreLoggedAndDroppedAndTheRestLoads)
{
    load({{QStringLiteral("Temp"),
           {QStringLiteral("UniFundamental=kelvin"), QStringLiteral("malo1=U+273.15"), QStringLiteral("malo2=_U-273.15"),
            QStringLiteral("vacio="), QStringLiteral("raya=_"), QStringLiteral("sinigual"),
            QStringLiteral("rankine=5/9"), QStringLiteral("raro=3*foo_U/3"), QStringLiteral("roto=2*(3_U"),
            QStringLiteral("medio=2*(3_2")}}});
    const TMagnitud& t = magnitude(QStringLiteral("Temp"));
    EXPECT_EQ(t.UnitNames, (QStringList{QStringLiteral("kelvin"), QStringLiteral("rankine"), QStringLiteral("medio")}));
    const QStringList log = unitEngine().UnitLoadLog.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(log.size(), 7) << unitEngine().UnitLoadLog.toStdString();
    EXPECT_EQ(log[0], QStringLiteral("malo1 (Temp): Expresion de conversión incompleta (2)"));
    EXPECT_EQ(log[1], QStringLiteral("malo2 (Temp): Expresion de conversión incompleta (1)"));
    EXPECT_EQ(log[2], QStringLiteral("vacio (Temp): Error en la expresión de conversión: \"\""));
    EXPECT_EQ(log[3], QStringLiteral("raya (Temp): Error en la expresión de conversión: \"_\""));
    EXPECT_TRUE(log[4].startsWith(QStringLiteral(" (Temp): Error en la expresión de conversión")));
    // A name the evaluator does not know is logged like any faulty definition.
    EXPECT_TRUE(log[5].startsWith(QStringLiteral("raro (Temp): Error en \"3*foo\""))) << log[5].toStdString();
    EXPECT_TRUE(log[6].startsWith(QStringLiteral("roto (Temp): Expresion de conversión incompleta (1)")));
    // The sides that did not compile are kept as notices, one each, for a
    // window to show; nothing was shown during the load.
    ASSERT_EQ(unitEngine().UnitLoadNotices.size(), 2);
    EXPECT_TRUE(unitEngine().UnitLoadNotices[0].startsWith(QStringLiteral("roto (Temp): Error en \"2*(3\"")));
    EXPECT_TRUE(unitEngine().UnitLoadNotices[1].startsWith(QStringLiteral("medio (Temp): ")));
    // "medio" was completed from its factor side.
    EXPECT_LE(rel(ConvertUnits(QStringLiteral("Temp"), QStringLiteral("kelvin"), QStringLiteral("medio"), 3), 6), 1e-18L);
}

TEST_F(UnitTest, NonFiniteResultsRaiseTheArithmeticErrors)
{
    load({{QStringLiteral("M"),
           {QStringLiteral("UniFundamental=f"), QStringLiteral("cero=0"), QStringLiteral("inv=1/U_1/U"),
            QStringLiteral("porcero=1/0"), QStringLiteral("enorme=1E4000"), QStringLiteral("grande=1E4900")}}});
    const QString m = QStringLiteral("M");
    EXPECT_THROW(ConvertUnits(m, QStringLiteral("f"), QStringLiteral("cero"), 1), EZeroDivide);
    EXPECT_THROW(ConvertUnits(m, QStringLiteral("inv"), QStringLiteral("f"), 0), EZeroDivide);
    EXPECT_EQ(ConvertUnits(m, QStringLiteral("inv"), QStringLiteral("f"), 4), 0.25L);
    // 1/0 does not even compile: the definition is dropped at load.
    EXPECT_LT(magnitude(m).IndexOf(QStringLiteral("porcero")), 0);
    EXPECT_GE(magnitude(m).IndexOf(QStringLiteral("grande")), 0);
    EXPECT_THROW(ConvertUnits(m, QStringLiteral("grande"), QStringLiteral("f"), 1E4000L), EOverflow);
}

TEST_F(UnitTest, NamesAreFoundWithoutCaseAndMonedaByItsPrefix)
{
    load({{QStringLiteral("&Moneda (2009)"), {QStringLiteral("UniFundamental=euro"), QStringLiteral("peseta=_166.386")}},
          {QStringLiteral("Longitud"), {QStringLiteral("UniFundamental=metro"), QStringLiteral("Kilómetro=1000")}}});
    EXPECT_LE(rel(ConvertUnits(QStringLiteral("Moneda 2010"), QStringLiteral("euro"), QStringLiteral("PESETA"), 1), 166.386L),
              1e-18L);
    EXPECT_EQ(ConvertUnits(QStringLiteral("LONGITUD"), QStringLiteral("kilómetro"), QStringLiteral("metro"), 2), 2000);
    // A unit converted to itself is looked up like any other: it has to exist.
    EXPECT_EQ(ConvertUnits(QStringLiteral("Longitud"), QStringLiteral("METRO"), QStringLiteral("metro"), 7), 7);
    EXPECT_THROW(ConvertUnits(QStringLiteral("nada"), QStringLiteral("m"), QStringLiteral("M"), 7), EConvUnid);
    EXPECT_THROW(ConvertUnits(QStringLiteral("Longitud"), QStringLiteral("zz"), QStringLiteral("zz"), 7), EConvUnid);
    struct Case {
        const char* magnitude;
        const char* from;
        const char* to;
        const char* missing;
    } cases[] = {
        {"Superficie", "metro", "pie", "Superficie"},
        {"Longitud", "milla", "metro", "milla"},
        {"Longitud", "metro", "legua", "legua"},
        {"monedas", "euro", "dólar", "dólar"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.missing);
        try {
            ConvertUnits(QString::fromUtf8(c.magnitude), QString::fromUtf8(c.from), QString::fromUtf8(c.to), 1);
            ADD_FAILURE() << "no error";
        } catch (const EConvUnid& e) {
            EXPECT_EQ(e.message(), QStringLiteral("La magnitud \"%1\" no esta declarada").arg(QString::fromUtf8(c.missing)));
        }
    }
}

TEST_F(UnitTest, MonedaWithoutAnyMonedaMagnitudeIsNotDeclared)
{
    load({{QStringLiteral("Longitud"), {QStringLiteral("UniFundamental=metro"), QStringLiteral("pie=0.3048")}}});
    try {
        ConvertUnits(QStringLiteral("Moneda 2010"), QStringLiteral("euro"), QStringLiteral("peseta"), 1);
        ADD_FAILURE() << "no error";
    } catch (const EConvUnid& e) {
        EXPECT_EQ(e.message(), QStringLiteral("La magnitud \"Moneda 2010\" no esta declarada"));
    }
}

TEST_F(UnitTest, MissingFileGivesAnEmptyListAndDifferentNamesFail)
{
    LoadUnitDefinitions();
    EXPECT_TRUE(unitEngine().MagnitudeList.empty());
    EXPECT_TRUE(unitEngine().UnitLoadLog.isEmpty());
    EXPECT_THROW(ConvertUnits(QStringLiteral("Longitud"), QStringLiteral("m"), QStringLiteral("km"), 1), EConvUnid);
    EXPECT_FALSE(exists(QStringLiteral("maguni.def")));   // loading never writes
}

TEST_F(UnitTest, MagnitudesAreSortedAndUnitsKeepFileOrder)
{
    load({{QStringLiteral("Volumen"), {QStringLiteral("UniFundamental=m3"), QStringLiteral("litro=0.001")}},
          {QStringLiteral("Ángulo"), {QStringLiteral("grado=PI/180"), QStringLiteral("UniFundamental=radián")}},
          {QStringLiteral("&Área"), {QStringLiteral("UniFundamental=m2")}},
          {QStringLiteral("aceleración"), {QStringLiteral("UniFundamental=m/s2")}}});
    QStringList names;
    for (const TMagnitud& m : unitEngine().MagnitudeList)
        names << m.Name;
    EXPECT_EQ(names, (QStringList{QStringLiteral("aceleración"), QStringLiteral("Ángulo"), QStringLiteral("&Área"),
                                  QStringLiteral("Volumen")}));
    // The fundamental unit stands where its line stands.
    EXPECT_EQ(magnitude(QStringLiteral("Ángulo")).UnitNames, (QStringList{QStringLiteral("grado"), QStringLiteral("radián")}));
    EXPECT_LE(rel(ConvertUnits(QStringLiteral("Ángulo"), QStringLiteral("grado"), QStringLiteral("radián"), 180),
                  3.1415926535897932385L),
              1e-18L);
}

TEST_F(UnitTest, ASectionWithoutFundamentalLineKeepsAllItsUnits)
{
    load({{QStringLiteral("Suelta"), {QStringLiteral("a=1"), QStringLiteral("b=2"), QStringLiteral("c=4")}}});
    EXPECT_EQ(magnitude(QStringLiteral("Suelta")).UnitNames,
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_EQ(ConvertUnits(QStringLiteral("Suelta"), QStringLiteral("c"), QStringLiteral("b"), 3), 6);
}

TEST_F(UnitTest, TagsPackThreeIndicesAndAreRangeChecked)
{
    load({{QStringLiteral("A"), {QStringLiteral("UniFundamental=a0")}},
          {QStringLiteral("B"), {QStringLiteral("UniFundamental=b0")}},
          {QStringLiteral("C"), {QStringLiteral("UniFundamental=c0")}},
          {QStringLiteral("D"), {QStringLiteral("UniFundamental=d0"), QStringLiteral("d1=10"), QStringLiteral("d2=100")}}});
    const std::int32_t tag = 2 * 65536 + 0 * 256 + 3;
    EXPECT_EQ(PackConversionTag(3, 0, 2), tag);
    EXPECT_EQ(ConversionCaption(tag), QStringLiteral("d0 -> d2 (D)"));
    EXPECT_EQ(ConvertByTag(tag, 500), 5);
    EXPECT_EQ(ConvertByTag(PackConversionTag(3, 2, 1), 1), 10);
    for (std::int32_t bad : {PackConversionTag(4, 0, 0), PackConversionTag(3, 3, 0), PackConversionTag(3, 0, 3),
                             PackConversionTag(0, 0, 1), std::int32_t(-1), std::int32_t(1 << 24) + 3}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(ConvertByTag(bad, 1), EConvUnid);
        EXPECT_THROW(ConversionCaption(bad), EConvUnid);
    }
    // A reload that removes a magnitude makes its old tags fail, not misbehave.
    load({{QStringLiteral("A"), {QStringLiteral("UniFundamental=a0")}}});
    EXPECT_THROW(ConvertByTag(tag, 1), EConvUnid);
}

TEST_F(UnitTest, CaptionsSplitBackIntoTheirThreeNames)
{
    struct Case {
        const char* caption;
        bool ok;
        const char* from;
        const char* to;
        const char* magnitude;
    } cases[] = {
        {"pie -> metro (Longitud)", true, "pie", "metro", "Longitud"},
        {"euro -> peseta (&Moneda (2009))", true, "euro", "peseta", "&Moneda (2009)"},
        {"milla náutica -> kilómetro (Longitud)", true, "milla náutica", "kilómetro", "Longitud"},
        {"pie metro (Longitud)", false, "", "", ""},
        {"pie -> metro", false, "", "", ""},
        {"(x) -> y", false, "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        QString f, t, m;
        ASSERT_EQ(SplitConversionCaption(QString::fromUtf8(c.caption), f, t, m), c.ok);
        if (c.ok) {
            EXPECT_EQ(f, QString::fromUtf8(c.from));
            EXPECT_EQ(t, QString::fromUtf8(c.to));
            EXPECT_EQ(m, QString::fromUtf8(c.magnitude));
        }
    }
}

TEST_F(UnitTest, MoreThan256MagnitudesOrUnitsAreRefusedWithAMessage)
{
    Sections many;
    for (int i = 0; i < 258; ++i)
        many.push_back({QStringLiteral("M%1").arg(i, 3, 10, QLatin1Char('0')), {QStringLiteral("UniFundamental=u")}});
    QStringList units{QStringLiteral("UniFundamental=u0")};
    for (int i = 1; i < 260; ++i)
        units << QStringLiteral("u%1=%1").arg(i);
    many[0].second = units;
    load(many);
    const auto& list = unitEngine().MagnitudeList;
    ASSERT_EQ(list.size(), 256u);
    EXPECT_EQ(list.back().Name, QStringLiteral("M255"));
    EXPECT_EQ(list.front().Count(), 256);
    const QString log = unitEngine().UnitLoadLog;
    EXPECT_TRUE(log.contains(QStringLiteral("[M256] (M256): Demasiadas magnitudes (256 como máximo)\r\n")));
    EXPECT_TRUE(log.contains(QStringLiteral("[M257] (M257)")));
    EXPECT_TRUE(log.contains(QStringLiteral("u256 (M000): Demasiadas unidades (256 como máximo)\r\n")));
    EXPECT_TRUE(log.contains(QStringLiteral("u259 (M000)")));
    // Every tag of the list addresses what it names.
    EXPECT_EQ(ConversionCaption(PackConversionTag(0, 255, 1)), QStringLiteral("u255 -> u1 (M000)"));
    EXPECT_EQ(ConvertByTag(PackConversionTag(255, 0, 0), 3), 3);
}

TEST_F(UnitTest, EveryLoadTellsTheHoldersOfMenus)
{
    int calls = 0;
    std::uint64_t seen = 0;
    const int id = AddUnitReloadHandler([&] {
        ++calls;
        seen = unitEngine().Generation;
    });
    load({{QStringLiteral("A"), {QStringLiteral("UniFundamental=a")}}});
    LoadUnitDefinitions();
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(seen, unitEngine().Generation);
    RemoveUnitReloadHandler(id);
    LoadUnitDefinitions();
    EXPECT_EQ(calls, 2);
}

TEST_F(UnitTest, AFileThatCannotBeReadIsReportedLaterNotShown)
{
    put(QStringLiteral("maguni.def"), QByteArray("x"));
    QFile::setPermissions(path(QStringLiteral("maguni.def")), QFileDevice::WriteOwner);
    if (QFile(path(QStringLiteral("maguni.def"))).open(QIODevice::ReadOnly))
        GTEST_SKIP() << "the file stays readable (running as root)";
    LoadUnitDefinitions();
    EXPECT_TRUE(unitEngine().MagnitudeList.empty());
    EXPECT_EQ(unitEngine().UnitLoadNotices.size(), 1);
}

// A definitions file that is there but gives not one magnitude: the load
// keeps one notice that names it, and the file stays as it was.
TEST_F(UnitTest, AnEmptyCutOrGarbledFileIsReportedOnce)
{
    load({{QStringLiteral("Longitud"), {QStringLiteral("UniFundamental=metro"), QStringLiteral("pie=0.3048")}},
          {QStringLiteral("Tiempo"), {QStringLiteral("UniFundamental=segundo"), QStringLiteral("hora=3600")}}});
    const QByteArray good = get(QStringLiteral("maguni.def"));
    QByteArray garbled = good;
    for (qsizetype i = 0; i < garbled.size(); i += 3)
        garbled[i] = char(garbled[i] ^ 0x5A);
    struct Case {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"cut", good.left(good.size() - 5)},
        {"garbled", garbled},
        {"a plain text", QByteArray("[Longitud]\r\nUniFundamental=metro\r\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        put(QStringLiteral("maguni.def"), c.bytes);
        LoadUnitDefinitions();
        EXPECT_TRUE(unitEngine().MagnitudeList.empty());
        ASSERT_EQ(unitEngine().UnitLoadNotices.size(), 1);
        EXPECT_EQ(unitEngine().UnitLoadNotices[0], DamagedDataFileMessage(UnitDefinitionsFile()));
        EXPECT_TRUE(unitEngine().UnitLoadNotices[0].contains(QStringLiteral("maguni.def")));
        EXPECT_EQ(get(QStringLiteral("maguni.def")), c.bytes);
    }
    // The whole file loads without a word; a missing one is no fault either.
    put(QStringLiteral("maguni.def"), good);
    LoadUnitDefinitions();
    EXPECT_EQ(unitEngine().MagnitudeList.size(), 2u);
    EXPECT_TRUE(unitEngine().UnitLoadNotices.isEmpty());
    QFile::remove(path(QStringLiteral("maguni.def")));
    LoadUnitDefinitions();
    EXPECT_TRUE(unitEngine().UnitLoadNotices.isEmpty());
}

// The definitions editor saving over such a file keeps it as a backup first.
TEST_F(UnitTest, TheEditorKeepsAGarbledFileBeforeSaving)
{
    RecordingSink sink;
    Basicos().Messages = &sink;
    QByteArray noise;
    for (int i = 0; i < 3000; ++i)
        noise.append(char((i * 7919 + 13) % 251 + 1));
    put(QStringLiteral("maguni.def"), noise);
    {
        TUnitDefsEditor editor;
        EXPECT_TRUE(editor.Magnitudes().isEmpty());
        EXPECT_TRUE(editor.Add(QStringLiteral("Nueva"), QStringLiteral("base")).isEmpty());
        editor.Rows.push_back({QStringLiteral("doble"), QStringLiteral("2"), QString()});
        editor.Modified = true;
        editor.Save();
    }
    ASSERT_EQ(sink.count(), 1);
    EXPECT_TRUE(sink.last().text.contains(QStringLiteral("maguni.def.bak")));
    EXPECT_EQ(get(QStringLiteral("maguni.def.bak")), noise);
    LoadUnitDefinitions();
    EXPECT_GE(FindMagnitude(QStringLiteral("Nueva")), 0);
    EXPECT_TRUE(unitEngine().UnitLoadNotices.isEmpty());
    Basicos().Messages = nullptr;
}

TEST(UnitNames, RefusedCharactersAndBlanks)
{
    struct Case {
        const char* name;
        bool ok;
    } cases[] = {{"metro", true},      {"milla náutica", true}, {"&Moneda", true}, {"", false},
                 {" ", false},         {"a=b", false},          {"a_b", false},    {"pie (EUA)", false},
                 {"a -> b", false},    {" metro", false},       {"metro ", false}, {"a->b", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CheckUnitName(QString::fromUtf8(c.name)).isEmpty(), c.ok);
    }
}

} // namespace
