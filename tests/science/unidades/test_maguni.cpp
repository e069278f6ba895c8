// maguni.def as the build wrote it beside the programs: the magnitudes it
// must hold, the rules its names follow, a table of conversions against their
// exact values from the legal definitions, round trips through every
// fundamental unit, and, where GNU units is installed, the same conversions
// asked of it; and one value through every unit of every magnitude, each
// compared with what GNU units makes of it.
#include "foundation/core/filesafe.h"
#include "foundation/core/format.h"
#include "science/unidades/unidades.h"
#include "support/testsupport.h"
#include "unitfixture.h"

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>

#include <cmath>
#include <iostream>
#include <memory>

namespace {

class ShippedUnits : public UnitTest {
protected:
    void SetUp() override
    {
        UnitTest::SetUp();
        QFile::remove(UnitDefinitionsFile());
        ASSERT_TRUE(QFile::copy(QStringLiteral(SUMBRIX_BIN_DIR "/maguni.def"), UnitDefinitionsFile()));
        LoadUnitDefinitions();
    }
};

struct Conversion {
    const char* magnitude;
    long double value;
    const char* from;
    const char* to;
    long double want;
};

const Conversion kTable[] = {
    {"Longitud", 1, "pulgada", "centímetro", 2.54L},
    {"Longitud", 1, "milla", "kilómetro", 1.609344L},
    {"Longitud", 1, "yarda", "pie", 3},
    {"Longitud", 1, "milla náutica", "metro", 1852},
    {"Longitud", 1, "pie", "pulgada", 12},
    {"Longitud", 1, "unidad astronómica", "kilómetro", 149597870.7L},
    {"Longitud", 1, "año luz", "kilómetro", 9460730472580.8L},
    {"Longitud", 1, "pársec", "unidad astronómica", 206264.8062470963551564733573L},
    {"Longitud", 1, "braza", "pie", 6},
    {"Longitud", 1, "ángstrom", "nanómetro", 0.1L},
    {"Superficie", 1, "acre", "metro cuadrado", 4046.8564224L},
    {"Superficie", 1, "hectárea", "área", 100},
    {"Superficie", 1, "milla cuadrada", "acre", 640},
    {"Superficie", 1, "pie cuadrado", "pulgada cuadrada", 144},
    {"Superficie", 1, "kilómetro cuadrado", "hectárea", 100},
    {"Volumen", 1, "galón EUA", "litro", 3.785411784L},
    {"Volumen", 1, "galón imperial", "litro", 4.54609L},
    {"Volumen", 1, "pie cúbico", "litro", 28.316846592L},
    {"Volumen", 1, "galón EUA", "pulgada cúbica", 231},
    {"Volumen", 1, "galón EUA", "onza líquida EUA", 128},
    {"Volumen", 1, "pinta imperial", "onza líquida imperial", 20},
    {"Volumen", 1, "barril de petróleo", "galón EUA", 42},
    {"Volumen", 1, "litro", "centímetro cúbico", 1000},
    {"Volumen", 1, "yarda cúbica", "pie cúbico", 27},
    {"Masa", 1, "libra", "kilogramo", 0.45359237L},
    {"Masa", 1, "libra", "onza", 16},
    {"Masa", 1, "stone", "libra", 14},
    {"Masa", 1, "tonelada corta", "libra", 2000},
    {"Masa", 1, "tonelada larga", "libra", 2240},
    {"Masa", 1, "libra", "grano", 7000},
    {"Masa", 1, "quilate", "miligramo", 200},
    {"Masa", 1, "onza troy", "grano", 480},
    {"Masa", 1, "slug", "kilogramo", 14.59390293720636482939632546L},
    {"Tiempo", 1, "día", "segundo", 86400},
    {"Tiempo", 1, "semana", "hora", 168},
    {"Tiempo", 1, "año juliano", "día", 365.25L},
    {"Tiempo", 1, "siglo", "año juliano", 100},
    {"Tiempo", 1, "hora", "milisegundo", 3.6e6L},
    {"Velocidad", 100, "kilómetro por hora", "metro por segundo", 27.77777777777777777777777778L},
    {"Velocidad", 1, "milla por hora", "kilómetro por hora", 1.609344L},
    {"Velocidad", 1, "nudo", "kilómetro por hora", 1.852L},
    {"Velocidad", 1, "velocidad de la luz", "kilómetro por segundo", 299792.458L},
    {"Aceleración", 1, "gravedad estándar", "pie por segundo cuadrado", 32.17404855643044619422572178L},
    {"Aceleración", 1, "gal", "metro por segundo cuadrado", 0.01L},
    {"Fuerza", 1, "kilogramo-fuerza", "newton", 9.80665L},
    {"Fuerza", 1, "libra-fuerza", "newton", 4.4482216152605L},
    {"Fuerza", 1, "newton", "dina", 1e5L},
    {"Fuerza", 1, "kip", "libra-fuerza", 1000},
    {"Fuerza", 1, "poundal", "newton", 0.138254954376L},
    {"Presión", 1, "atmósfera", "pascal", 101325},
    {"Presión", 1, "atmósfera", "torr", 760},
    {"Presión", 1, "bar", "kilopascal", 100},
    {"Presión", 1, "psi", "pascal", 6894.757293168361336722673445L},
    {"Presión", 1, "atmósfera", "milibar", 1013.25L},
    {"Presión", 1, "pulgada de mercurio", "milímetro de mercurio", 25.4L},
    {"Energía", 1, "caloría", "julio", 4.184L},
    {"Energía", 1, "kilovatio hora", "megajulio", 3.6L},
    {"Energía", 1, "BTU", "julio", 1055.05585262L},
    {"Energía", 1, "electronvoltio", "julio", 1.602176634e-19L},
    {"Energía", 1, "pie-libra fuerza", "julio", 1.3558179483314004L},
    {"Energía", 1, "tonelada de TNT", "kilocaloría", 1e6L},
    {"Energía", 1, "termia EUA", "BTU", 99976.12897749682358422857161L},
    {"Potencia", 1, "caballo de vapor", "vatio", 735.49875L},
    {"Potencia", 1, "caballo de fuerza", "vatio", 745.69987158227022L},
    {"Potencia", 1, "kilovatio", "caballo de vapor", 1.359621617303904323426790324L},
    {"Temperatura", 100, "grado Celsius", "grado Fahrenheit", 212},
    {"Temperatura", -40, "grado Celsius", "grado Fahrenheit", -40},
    {"Temperatura", -40, "grado Fahrenheit", "grado Celsius", -40},
    {"Temperatura", 98.6L, "grado Fahrenheit", "grado Celsius", 37},
    {"Temperatura", 0, "kelvin", "grado Celsius", -273.15L},
    {"Temperatura", 0, "grado Celsius", "grado Rankine", 491.67L},
    {"Temperatura", 80, "grado Réaumur", "grado Celsius", 100},
    {"Temperatura", 212, "grado Fahrenheit", "kelvin", 373.15L},
    {"Temperatura", 373.15L, "kelvin", "grado Fahrenheit", 212},
    {"Ángulo", 180, "grado sexagesimal", "radián", 3.14159265358979323846264338L},
    {"Ángulo", 1, "revolución", "grado sexagesimal", 360},
    {"Ángulo", 1, "grado sexagesimal", "minuto de arco", 60},
    {"Ángulo", 1, "gradián", "grado sexagesimal", 0.9L},
    {"Frecuencia", 60, "revolución por minuto", "hercio", 1},
    {"Frecuencia", 1, "megahercio", "kilohercio", 1000},
    {"Frecuencia", 1, "hercio", "radián por segundo", 6.283185307179586476925286767L},
    {"Densidad", 1, "gramo por centímetro cúbico", "kilogramo por metro cúbico", 1000},
    {"Densidad", 1, "libra por pie cúbico", "kilogramo por metro cúbico", 16.01846337396013957965507065L},
    {"Caudal", 1, "litro por segundo", "metro cúbico por hora", 3.6L},
    {"Caudal", 1, "galón EUA por minuto", "litro por minuto", 3.785411784L},
    {"Consumo de combustible", 5, "litro cada 100 kilómetros", "kilómetro por litro", 20},
    {"Consumo de combustible", 10, "kilómetro por litro", "litro cada 100 kilómetros", 10},
    {"Consumo de combustible", 1, "milla por galón EUA", "kilómetro por litro", 0.4251437074302720034011496594L},
    {"Consumo de combustible", 30, "milla por galón EUA", "litro cada 100 kilómetros", 7.840486111111111111111111111L},
    {"Datos informáticos", 1, "byte", "bit", 8},
    {"Datos informáticos", 1, "gibibyte", "mebibyte", 1024},
    {"Datos informáticos", 1, "gigabyte", "megabit", 8000},
    {"Datos informáticos", 1, "tebibyte", "byte", 1099511627776.0L},
    {"Carga eléctrica", 1, "amperio hora", "culombio", 3600},
    {"Carga eléctrica", 1, "amperio hora", "miliamperio hora", 1000},
    {"Corriente eléctrica", 1, "abamperio", "amperio", 10},
    {"Corriente eléctrica", 1, "miliamperio", "microamperio", 1000},
    {"Tensión eléctrica", 1, "kilovoltio", "voltio", 1000},
    {"Tensión eléctrica", 1, "estatvoltio", "voltio", 299.792458L},
    {"Resistencia eléctrica", 1, "megaohmio", "kiloohmio", 1000},
    {"Intensidad luminosa", 1, "kilocandela", "candela", 1000},
    {"Iluminancia", 1, "pie-candela", "lux", 10.76391041670972230833350556L},
    {"Radiactividad", 1, "curie", "gigabecquerel", 37},
    {"Radiactividad", 1, "rutherford", "becquerel", 1e6L},
    {"Momento de fuerza", 1, "libra-fuerza pie", "newton metro", 1.3558179483314004L},
    {"Viscosidad dinámica", 1, "poise", "centipoise", 100},
    {"Cantidad de sustancia", 1, "kilomol", "mol", 1000},
    {"Inducción magnética", 1, "tesla", "gauss", 10000},
    {"Capacidad eléctrica", 1, "microfaradio", "picofaradio", 1e6L},
    {"Capacidad eléctrica", 1, "estatfaradio", "picofaradio", 1.112650056053618432174089964848L},
    {"Capacidad eléctrica", 1, "abfaradio", "faradio", 1e9L},
    {"Inductancia", 1, "milihenrio", "microhenrio", 1000},
    {"Inductancia", 1, "estathenrio", "henrio", 898755178736.81764L},
    {"Conductancia eléctrica", 1, "mho", "siemens", 1},
    {"Conductancia eléctrica", 1, "abmho", "kilosiemens", 1e6L},
    {"Flujo magnético", 1, "weber", "maxwell", 1e8L},
    {"Flujo luminoso", 1, "kilolumen", "candela estereorradián", 1000},
    {"Luminancia", 1, "stilb", "nit", 1e4L},
    {"Luminancia", 1, "lambert", "candela por metro cuadrado", 3183.098861837906715377675267450L},
    {"Luminancia", 1, "foot-lambert", "candela por metro cuadrado", 3.426259099635390526916745961650L},
    {"Dosis absorbida", 1, "gray", "rad", 100},
    {"Dosis equivalente", 1, "rem", "milisievert", 10},
    {"Exposición a la radiación", 1, "roentgen", "culombio por kilogramo", 2.58e-4L},
    {"Viscosidad cinemática", 1, "stokes", "centistokes", 100},
    {"Velocidad angular", 60, "revolución por minuto", "revolución por segundo", 1},
    {"Velocidad angular", 1, "revolución por minuto", "radián por segundo", 0.1047197551196597746154214461093L},
    {"Velocidad angular", 1, "revolución por segundo", "grado por segundo", 360},
    {"Aceleración angular", 1, "revolución por segundo cuadrado", "grado por segundo cuadrado", 360},
    {"Concentración molar", 1, "mol por litro", "milimol por litro", 1000},
    {"Concentración molar", 1, "mol por litro", "mol por metro cúbico", 1000},
    {"Calor específico", 1, "caloría por gramo grado Celsius", "julio por kilogramo kelvin", 4184},
    {"Calor específico", 1, "BTU por libra grado Fahrenheit", "julio por kilogramo kelvin", 4186.8L},
    {"Conductividad térmica", 1, "BTU por hora pie grado Fahrenheit", "vatio por metro kelvin",
     1.730734666371391076115485564304L},
    {"Conductividad térmica", 1, "caloría por segundo centímetro grado Celsius", "vatio por metro kelvin", 418.4L},
    {"Ángulo sólido", 1, "esfera", "grado cuadrado", 41252.96124941927103129467146616L},
    {"Ángulo sólido", 1, "esfera", "hemisferio", 2},
    {"Intensidad de campo eléctrico", 1, "kilovoltio por metro", "voltio por centímetro", 10},
    {"Intensidad de campo eléctrico", 1, "estatvoltio por centímetro", "voltio por metro", 29979.2458L},
    {"Intensidad de campo magnético", 1, "oersted", "amperio por metro", 79.57747154594766788444188168626L},
    {"Moneda", 1, "euro", "peseta española", 166.386L},
    {"Moneda", 1000, "peseta española", "euro", 6.010121043837822893753080187L},
    {"Moneda", 1, "marco alemán", "franco francés", 3.353854885138278889269517289L},
};

TEST_F(ShippedUnits, HoldsTheMagnitudesAUserConverts)
{
    const auto& list = unitEngine().MagnitudeList;
    EXPECT_GE(list.size(), 25u);
    EXPECT_TRUE(unitEngine().UnitLoadLog.isEmpty()) << unitEngine().UnitLoadLog.toStdString();
    EXPECT_TRUE(unitEngine().UnitLoadNotices.isEmpty()) << unitEngine().UnitLoadNotices.join('\n').toStdString();
    QSet<QString> tested;
    for (const Conversion& c : kTable)
        tested.insert(QString::fromUtf8(c.magnitude));
    for (const TMagnitud& m : list) {
        SCOPED_TRACE(m.Name.toStdString());
        EXPECT_GE(m.Count(), 3);
        // Every magnitude of the file has a row in the table.
        EXPECT_TRUE(tested.contains(m.Name) || tested.contains(m.Name.mid(1, 6)));
    }
    EXPECT_GE(sizeof(kTable) / sizeof(kTable[0]), 60u);
}

TEST_F(ShippedUnits, HoldsTheMagnitudesAStudentLooksFor)
{
    const char* const wanted[] = {
        "Capacidad eléctrica", "Inductancia", "Conductancia eléctrica", "Flujo magnético", "Flujo luminoso",
        "Luminancia", "Dosis absorbida", "Dosis equivalente", "Exposición a la radiación",
        "Viscosidad cinemática", "Velocidad angular", "Aceleración angular", "Concentración molar",
        "Calor específico", "Conductividad térmica", "Ángulo sólido", "Intensidad de campo eléctrico",
        "Intensidad de campo magnético"};
    for (const char* name : wanted) {
        SCOPED_TRACE(name);
        EXPECT_GE(FindMagnitude(QString::fromUtf8(name)), 0);
    }
    struct Case {
        const char* magnitude;
        const char* unit;
    } units[] = {{"Conductancia eléctrica", "mho"}, {"Flujo magnético", "maxwell"}, {"Luminancia", "nit"},
                 {"Luminancia", "stilb"},        {"Luminancia", "lambert"},     {"Luminancia", "foot-lambert"},
                 {"Dosis absorbida", "rad"},     {"Dosis equivalente", "rem"},  {"Exposición a la radiación", "roentgen"},
                 {"Viscosidad cinemática", "centistokes"}, {"Velocidad angular", "revolución por minuto"},
                 {"Concentración molar", "milimol por litro"}, {"Ángulo sólido", "grado cuadrado"}};
    for (const Case& c : units) {
        SCOPED_TRACE(c.unit);
        EXPECT_GE(magnitude(QString::fromUtf8(c.magnitude)).IndexOf(QString::fromUtf8(c.unit)), 0);
    }
    EXPECT_GE(unitEngine().MagnitudeList.size(), 48u);
}

TEST_F(ShippedUnits, NamesFollowTheRules)
{
    for (const TMagnitud& m : unitEngine().MagnitudeList) {
        SCOPED_TRACE(m.Name.toStdString());
        EXPECT_TRUE(CheckUnitName(m.Name).isEmpty());
        QSet<QString> folded;
        for (const QString& u : m.UnitNames) {
            SCOPED_TRACE(u.toStdString());
            EXPECT_TRUE(CheckUnitName(u).isEmpty()) << CheckUnitName(u).toStdString();
            EXPECT_FALSE(folded.contains(u.toLower())) << "two names differing only in case";
            folded.insert(u.toLower());
        }
    }
}

TEST_F(ShippedUnits, ConversionsGiveTheExactLegalValues)
{
    for (const Conversion& c : kTable) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
        const Extended got = ConvertUnits(QString::fromUtf8(c.magnitude), QString::fromUtf8(c.from),
                                          QString::fromUtf8(c.to), c.value);
        EXPECT_LE(rel(got, c.want), 1e-15L) << static_cast<double>(got);
    }
}

TEST_F(ShippedUnits, RoundTripsThroughTheFundamentalUnit)
{
    for (TMagnitud& m : unitEngine().MagnitudeList) {
        for (int i = 0; i < m.Count(); ++i) {
            SCOPED_TRACE(testing::Message() << m.Name.toStdString() << ": " << m.UnitNames[i].toStdString());
            for (Extended x : {1.0L, 0.3L, 123.456L, -7.25L, 6.02214076e23L}) {
                const Extended back = m.Units[size_t(i)]->FromFundamental(m.Units[size_t(i)]->ToFundamental(x));
                EXPECT_LE(rel(back, x), 1e-15L) << static_cast<double>(x);
                const Extended there = ConvertUnits(m.Name, m.UnitNames[0], m.UnitNames[i], x);
                EXPECT_LE(rel(ConvertUnits(m.Name, m.UnitNames[i], m.UnitNames[0], there), x), 1e-15L);
            }
        }
    }
}

// The same conversions asked of GNU units (its names, our values).
TEST_F(ShippedUnits, AgreesWithGnuUnitsWhereInstalled)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("units"));
    if (program.isEmpty())
        GTEST_SKIP() << "GNU units is not installed";
    struct Oracle {
        const char* magnitude;
        const char* from;
        const char* to;
        const char* have;   // the expression given to units
        const char* want;
        long double value;
    } cases[] = {
        {"Longitud", "milla", "kilómetro", "mile", "km", 1},
        {"Longitud", "año luz", "metro", "lightyear", "m", 1},
        {"Superficie", "acre", "metro cuadrado", "acre", "m^2", 1},
        {"Volumen", "galón imperial", "litro", "brgallon", "liter", 1},
        {"Volumen", "barril de petróleo", "litro", "bbl", "liter", 1},
        {"Masa", "slug", "kilogramo", "slug", "kg", 1},
        {"Masa", "stone", "kilogramo", "stone", "kg", 1},
        {"Fuerza", "poundal", "newton", "poundal", "N", 1},
        {"Presión", "psi", "pascal", "psi", "Pa", 1},
        {"Presión", "torr", "pascal", "torr", "Pa", 1},
        {"Energía", "BTU", "julio", "btu", "J", 1},
        {"Energía", "pie-libra fuerza", "julio", "ft lbf", "J", 1},
        {"Potencia", "caballo de fuerza", "vatio", "hp", "W", 1},
        {"Potencia", "caballo de vapor", "vatio", "metrichorsepower", "W", 1},
        {"Temperatura", "grado Celsius", "grado Fahrenheit", "tempC(37)", "tempF", 37},
        {"Ángulo", "segundo de arco", "radián", "arcsec", "radian", 1},
        {"Densidad", "libra por pie cúbico", "kilogramo por metro cúbico", "lb/ft^3", "kg/m^3", 1},
        {"Radiactividad", "curie", "becquerel", "curie", "Bq", 1},
        {"Moneda", "euro", "peseta española", "1", "1/166.386", 1},
    };
    for (const Oracle& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
        QProcess p;
        p.start(program, {QStringLiteral("-t"), QStringLiteral("-d"), QStringLiteral("15"), QString::fromUtf8(c.have),
                          QString::fromUtf8(c.want)});
        ASSERT_TRUE(p.waitForFinished(10000));
        const QString out = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
        bool ok = false;
        const long double oracle = out.toDouble(&ok);
        ASSERT_TRUE(ok) << out.toStdString();
        const Extended got = ConvertUnits(QString::fromUtf8(c.magnitude), QString::fromUtf8(c.from),
                                          QString::fromUtf8(c.to), c.value);
        EXPECT_LE(rel(got, oracle), 1e-12L) << static_cast<double>(got) << " vs " << out.toStdString();
    }
}

// What GNU units calls each unit of the file (tests/data/maguni_gnu_units.txt):
// magnitude -> unit -> expression; "?" where GNU units does not know it.
QMap<QString, QMap<QString, QString>> gnuUnitNames()
{
    QByteArray bytes;
    EXPECT_TRUE(ReadWholeFile(testDataDir() + QStringLiteral("maguni_gnu_units.txt"), bytes));
    QMap<QString, QMap<QString, QString>> names;
    QString section;
    for (const QString& raw : QString::fromUtf8(bytes).split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            section = line.mid(1, line.size() - 2);
            continue;
        }
        const int tab = raw.indexOf(QLatin1Char('\t'));
        EXPECT_GT(tab, 0) << raw.toStdString();
        if (tab > 0)
            names[section][raw.left(tab).trimmed()] = raw.mid(tab + 1).trimmed();
    }
    return names;
}

// One question for GNU units: "have" in terms of the fundamental unit "want".
struct GnuQuestion {
    QString what;   // magnitude: unit
    QString have, want;
    Extended ours = 0;
};

// GNU units' answers, several programs at a time; an empty text where it
// gave no number (its message instead, after "!").
QStringList askGnuUnits(const QString& program, const std::vector<GnuQuestion>& questions)
{
    QStringList answers;
    constexpr size_t kAtOnce = 6;
    for (size_t first = 0; first < questions.size(); first += kAtOnce) {
        std::vector<std::unique_ptr<QProcess>> running;
        for (size_t i = first; i < std::min(questions.size(), first + kAtOnce); ++i) {
            auto p = std::make_unique<QProcess>();
            // Its numbers in the C locale whatever the test's locale is.
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
            p->setProcessEnvironment(env);
            p->start(program, {QStringLiteral("-t"), QStringLiteral("-o"), QStringLiteral("%.17g"), questions[i].have,
                               questions[i].want});
            running.push_back(std::move(p));
        }
        for (auto& p : running) {
            if (!p->waitForFinished(30000)) {
                answers << QStringLiteral("!no answer");
                continue;
            }
            const QString out = QString::fromLocal8Bit(p->readAllStandardOutput()).trimmed();
            Extended v = 0;
            answers << (TryStrToFloat(out, v) ? out : QStringLiteral("!") + out.simplified());
        }
    }
    return answers;
}

// Every unit of every magnitude: 1.2345 of it in the fundamental unit, as the
// engine computes it and as GNU units does, to 1E-9. Any unit that the list
// of GNU units' names leaves out fails; the units GNU units does not know
// are listed.
TEST_F(ShippedUnits, EveryUnitAgreesWithGnuUnits)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("units"));
    if (program.isEmpty())
        GTEST_SKIP() << "GNU units is not installed (Debian package \"units\", scripts/setup.sh): "
                        "the conversions were not compared with it";
    const auto names = gnuUnitNames();
    const Extended x = 1.2345L;
    const QString xText = QStringLiteral("1.2345");
    static const QRegularExpression function(QStringLiteral("^(\\w+)\\(%v\\)$"));
    std::vector<GnuQuestion> questions;
    QStringList unknown;
    int units = 0;
    for (TMagnitud& m : unitEngine().MagnitudeList) {
        SCOPED_TRACE(m.Name.toStdString());
        ASSERT_TRUE(names.contains(m.Name)) << "no GNU units names for this magnitude";
        const auto& known = names[m.Name];
        EXPECT_EQ(known.size(), m.Count()) << "names for units the file does not hold";
        const QString fundamental = known.value(m.UnitNames[0]);
        ASSERT_FALSE(fundamental.isEmpty() || fundamental == QLatin1String("?"));
        const auto f = function.match(fundamental);
        const QString want = f.hasMatch() ? f.captured(1) : QStringLiteral("(") + fundamental + QLatin1Char(')');
        for (int i = 0; i < m.Count(); ++i) {
            const QString& unit = m.UnitNames[i];
            ++units;
            const auto e = known.find(unit);
            if (e == known.end()) {
                ADD_FAILURE() << "no GNU units name for " << unit.toStdString();
                continue;
            }
            if (*e == QLatin1String("?")) {
                unknown << m.Name + QStringLiteral(": ") + unit;
                continue;
            }
            GnuQuestion q;
            q.what = m.Name + QStringLiteral(": ") + unit;
            q.have = e->contains(QLatin1String("%v")) ? QString(*e).replace(QLatin1String("%v"), xText)
                                                      : xText + QStringLiteral(" (") + *e + QLatin1Char(')');
            q.want = want;
            q.ours = ConvertUnits(m.Name, unit, m.UnitNames[0], x);
            questions.push_back(q);
        }
    }
    EXPECT_GE(units, 380);
    const QStringList answers = askGnuUnits(program, questions);
    ASSERT_EQ(answers.size(), qsizetype(questions.size()));
    for (size_t i = 0; i < questions.size(); ++i) {
        const GnuQuestion& q = questions[i];
        SCOPED_TRACE(testing::Message() << q.what.toStdString() << " (units '" << q.have.toStdString() << "' '"
                                        << q.want.toStdString() << "')");
        Extended oracle = 0;
        ASSERT_TRUE(TryStrToFloat(answers[int(i)], oracle)) << answers[int(i)].toStdString();
        EXPECT_LE(rel(q.ours, oracle), 1e-9L) << static_cast<double>(q.ours) << " vs " << answers[int(i)].toStdString();
    }
    // What GNU units could not check.
    std::cout << questions.size() << " units compared with GNU units; not known to it (" << unknown.size()
              << "): " << unknown.join(QStringLiteral(", ")).toStdString() << std::endl;
    EXPECT_LE(unknown.size(), 5);
}

} // namespace
