// The sample of the statistics tool: entry rules and their messages, the
// running totals, deleting points, sorting, the table text, the lines a paste
// adds, and the 21 results checked against values worked out by hand from the
// definitions (quartile boundary k = P·n/100 rounded half to even, mode only
// without a tie at the top, sample variance over n − 1).
#include "tools/estadisticas/estadistica.h"

#include "foundation/core/directives.h"
#include "foundation/core/format.h"
#include "support/fixtures.h"

#include <cmath>
#include <map>

void RegisterDirectives_tool_estadisticas();

namespace {

using StatTest = CoreStateTest;

TStatData Sample(std::initializer_list<const char*> entries)
{
    TStatData d;
    for (const char* e : entries)
        d.AddEntry(QString::fromUtf8(e));
    return d;
}

std::map<QString, QString> RowsOf(const TStatResults& r)
{
    std::map<QString, QString> out;
    for (const auto& [label, value] : r.Rows)
        out[label.trimmed()] = value;
    return out;
}

QString MessageOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Exception& e) {
        return e.message();
    }
    return QStringLiteral("<none>");
}

// A value text equal to the expected number (relative 1e-13), or "N/D".
void ExpectValue(const QString& text, double expected, const char* label)
{
    SCOPED_TRACE(label);
    if (std::isnan(expected)) {
        EXPECT_EQ(text, QStringLiteral("N/D"));
        return;
    }
    Extended v = 0;
    ASSERT_TRUE(TryStrToFloat(text, v)) << text.toStdString();
    EXPECT_NEAR(static_cast<double>(v), expected, 1e-13 * std::max(1.0, std::fabs(expected)));
}

TEST_F(StatTest, EntryErrorsAndConversions)
{
    struct Case {
        const char* text;
        const char* message;   // nullptr: accepted
        double value;
        int frequency;
    } cases[] = {
        {"5", nullptr, 5, 1},
        {"-2.5*4", nullptr, -2.5, 4},
        {"7\t3", nullptr, 7, 3},
        {"1e3*-2", nullptr, 1000, -2},
        {"*3", "\"*\" no puede estar al principio", 0, 0},
        {"3*", "\"*\" no puede estar al final", 0, 0},
        {"3\t", "\"*\" no puede estar al final", 0, 0},
        {"\t3", "Formato desconocido. No se puede pegar.", 0, 0},
        {"abc", "'abc' no es un valor decimal válido", 0, 0},
        {"1.2.3*2", "'1.2.3' no es un valor decimal válido", 0, 0},
        {"2*1.5", "'1.5' no es un valor entero válido", 0, 0},
        {"2*99999999999", "'99999999999' no es un valor entero válido", 0, 0},
        {"1e400", "'1e400' no es un valor decimal válido", 0, 0},
        {"", "'' no es un valor decimal válido", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const QString text = QString::fromUtf8(c.text);
        if (c.message) {
            EXPECT_EQ(MessageOf([&] { ParseEntry(text); }), QString::fromUtf8(c.message));
        } else {
            const TStatEntry e = ParseEntry(text);
            EXPECT_EQ(e.Value, c.value);
            EXPECT_EQ(e.Frequency, c.frequency);
        }
    }
}

TEST_F(StatTest, NegativeFrequenciesTakePointsAwayWithinLimits)
{
    TStatData d;
    d.AddEntry(QStringLiteral("5*3"));
    d.AddEntry(QStringLiteral("5*-1"));
    ASSERT_EQ(d.SampleCount(), 1);
    EXPECT_EQ(d.Samples()[0].Frequency, 2);
    EXPECT_EQ(MessageOf([&] { d.AddEntry(QStringLiteral("5*-3")); }), QStringLiteral("n no puede ser menor que cero"));
    d.AddEntry(QStringLiteral("6*5"));
    EXPECT_EQ(d.Count(), 7);
    EXPECT_EQ(MessageOf([&] { d.AddEntry(QStringLiteral("5*-3")); }),
              QStringLiteral("Ninguna frecuencia puede ser menor que cero"));
    EXPECT_EQ(MessageOf([&] { d.AddEntry(QStringLiteral("7*-1")); }),
              QStringLiteral("Ninguna frecuencia puede ser menor que cero"));
    // Failed entries changed nothing.
    EXPECT_EQ(d.Count(), 7);
    EXPECT_EQ(d.SampleCount(), 2);
    EXPECT_EQ(d.SumX(), 40);
    EXPECT_EQ(d.SumX2(), 230);
    // A frequency may reach 0: the row stays until a point is deleted.
    d.AddEntry(QStringLiteral("5*-2"));
    EXPECT_EQ(d.SampleCount(), 2);
    EXPECT_EQ(d.Samples()[0].Frequency, 0);
    EXPECT_EQ(d.RelativeText(0), QStringLiteral("0.000000"));
    d.DeletePoint(1);   // 6*5 goes, and the empty 5 with it
    EXPECT_EQ(d.SampleCount(), 0);
    EXPECT_EQ(d.Count(), 0);
    EXPECT_EQ(d.SumX(), 0);
    EXPECT_EQ(d.CountText(), QString());
}

TEST_F(StatTest, CountBeyondThirtyTwoBitsIsRefused)
{
    TStatData d;
    d.AddEntry(QStringLiteral("1*2147483647"));
    EXPECT_EQ(MessageOf([&] { d.AddEntry(QStringLiteral("2")); }),
              QStringLiteral("Demasiados datos: n no puede pasar de 2147483647"));
    EXPECT_EQ(d.Count(), 2147483647);
}

TEST_F(StatTest, TotalsTableTextAndDeletion)
{
    TStatData d = Sample({"1.5*2", "3", "-2"});
    EXPECT_EQ(d.CountText(), QStringLiteral("4"));
    EXPECT_EQ(d.SumText(), QStringLiteral("4"));
    EXPECT_EQ(d.MeanText(), QStringLiteral("1"));
    EXPECT_EQ(d.TableText(), QStringLiteral("Dato\tFrecuencia\tF.Relativa\r\n"
                                            "1.5\t2\t0.500000\r\n"
                                            "3\t1\t0.250000\r\n"
                                            "-2\t1\t0.250000\r\n"));
    d.DeletePoint(0);
    EXPECT_EQ(d.SampleCount(), 2);
    EXPECT_EQ(d.Count(), 2);
    EXPECT_EQ(d.SumText(), QStringLiteral("1"));
    EXPECT_EQ(d.MeanText(), QStringLiteral("0.5"));
    d.DeletePoint(5);   // no such row: nothing
    EXPECT_EQ(d.SampleCount(), 2);
    d.AddEntry(QStringLiteral("3"));   // found again after the compaction
    EXPECT_EQ(d.SampleCount(), 2);
    EXPECT_EQ(d.Samples()[0].Frequency, 2);
}

TEST_F(StatTest, HeaderSortsFollowTheDirection)
{
    TStatData d = Sample({"4*2", "1*5", "9*1"});
    auto values = [&d] {
        std::vector<double> v;
        for (const TPuntoMuestral& s : d.Samples())
            v.push_back(s.Value);
        return v;
    };
    d.StatSortDirection = 1;
    d.SortByColumn(0);
    EXPECT_EQ(values(), (std::vector<double>{1, 4, 9}));
    d.StatSortDirection = -1;
    d.SortByColumn(0);
    EXPECT_EQ(values(), (std::vector<double>{9, 4, 1}));
    d.StatSortDirection = 1;
    d.SortByColumn(1);
    EXPECT_EQ(values(), (std::vector<double>{9, 4, 1}));
    d.StatSortDirection = -1;
    d.SortByColumn(2);
    EXPECT_EQ(values(), (std::vector<double>{1, 4, 9}));
    // The index follows the new order.
    d.AddEntry(QStringLiteral("9*2"));
    EXPECT_EQ(d.Samples()[2].Frequency, 3);
}

TEST_F(StatTest, PasteKeepsNumbersAndSkipsHeaders)
{
    const QString clip = QStringLiteral("Dato\tFrecuencia\r\n1,5\t2\r\n3\r\n\r\n-\r\n x=7 \r\n");
    EXPECT_EQ(TStatData::PasteLines(clip), (QStringList{"1.5\t2", "3", "7"}));
    // The copied table's lines keep their third field (which the frequency
    // conversion then refuses).
    TStatData d = Sample({"2*3"});
    const QStringList lines = TStatData::PasteLines(d.TableText());
    EXPECT_EQ(lines, QStringList{"2\t3\t1.000000"});
    EXPECT_EQ(MessageOf([&] { d.AddEntry(lines[0]); }), QStringLiteral("'3\t1.000000' no es un valor entero válido"));
}

// The results of a sample against values worked out from the definitions.
TEST_F(StatTest, ResultsAgainstTheDefinitions)
{
    const double nd = std::nan("");
    struct Case {
        std::vector<const char*> entries;
        std::map<const char*, double> expected;   // by trimmed label
        const char* mode;
    } cases[] = {
        {{"1", "2", "3", "4"},
         {{"n", 4}, {"Puntos muestrales", 4}, {"Suma", 10}, {"Suma cuadrados", 30}, {"Media", 2.5},
          {"Mínimo", 1}, {"Cuartil 1 (25%)", 1.5}, {"Mediana   (50%)", 2.5}, {"Cuartil 3 (75%)", 3.5},
          {"Máximo", 4}, {"Rango", 3}, {"Varianza", 5.0 / 3}, {"Desv. Estandar", 1.2909944487358056},
          {"Varianza Población", 1.25}, {"Desv. Estandar Población", 1.118033988749895},
          {"Coeficiente de Variación", 0.447213595499958}, {"Desviación media", 1},
          {"RMC", 2.7386127875258306}, {"Media Armónica", 1.92}, {"Media Geométrica", 2.213363839400643}},
         "N/D"},
        {{"2*3", "5"},
         {{"n", 4}, {"Puntos muestrales", 2}, {"Media", 2.75}, {"Mínimo", 2}, {"Cuartil 1 (25%)", 2},
          {"Mediana   (50%)", 2}, {"Cuartil 3 (75%)", 3.5}, {"Máximo", 5}, {"Varianza", 2.25},
          {"Desv. Estandar", 1.5}, {"Varianza Población", 1.6875}, {"Desviación media", 1.125},
          {"Media Armónica", 2.3529411764705883}, {"Media Geométrica", 2.514866859365871}},
         "2"},
        // Q3 of two single values: k = 2 equals the count at the last value.
        {{"3", "7"},
         {{"Cuartil 1 (25%)", 3}, {"Mediana   (50%)", 5}, {"Cuartil 3 (75%)", 7}, {"Varianza", 8},
          {"Coeficiente de Variación", 0.4}, {"RMC", 5.385164807134504}, {"Media Geométrica", 4.58257569495584}},
         "N/D"},
        // A value whose frequency fell to 0 takes no part in the order statistics.
        {{"100*2", "100*-2", "1", "9"},
         {{"n", 2}, {"Puntos muestrales", 3}, {"Mínimo", 1}, {"Máximo", 9}, {"Rango", 8},
          {"Mediana   (50%)", 5}, {"Cuartil 3 (75%)", 9}, {"Cuartil 1 (25%)", 1}, {"Media", 5}},
         "N/D"},
        // Mean 0, a zero reciprocal sum and a negative product.
        {{"-1", "1"},
         {{"Coeficiente de Variación", nd}, {"Media Armónica", nd}, {"Media Geométrica", nd}, {"Varianza", 2}},
         "N/D"},
        // One point (the other value lost its points): no sample variance.
        {{"5", "7*0"},
         {{"n", 1}, {"Varianza", nd}, {"Desv. Estandar", nd}, {"Varianza Población", 0}, {"Mínimo", 5},
          {"Máximo", 5}, {"Cuartil 3 (75%)", 5}, {"Media Armónica", 5}},
         "5"},
        // A zero value: no harmonic mean, geometric mean 0; a zero without
        // points does not count.
        {{"0", "3*2"}, {{"Media Armónica", nd}, {"Media Geométrica", 0}}, "3"},
        {{"0*1", "0*-1", "2", "8"}, {{"Media Armónica", 3.2}, {"Media Geométrica", 4}}, "N/D"},
        // A product beyond the extended range still has its root.
        {{"1e300*20", "1e-300*10"}, {{"Media Geométrica", 1e100}, {"Moda", 1e300}}, nullptr},
        // Equal values: the population variance is 0, never a failing root.
        {{"0.1*3", "0.7*0"}, {{"Varianza Población", 0}, {"Desv. Estandar Población", 0}, {"Varianza", 0}}, "0.1"},
    };
    for (const Case& c : cases) {
        QString name;
        for (const char* e : c.entries)
            name += QString::fromUtf8(e) + QLatin1Char(' ');
        SCOPED_TRACE(name.toStdString());
        TStatData d;
        for (const char* e : c.entries)
            d.AddEntry(QString::fromUtf8(e));
        const TStatResults r = d.ComputeResults();
        ASSERT_EQ(r.Rows.size(), 21u);
        const auto rows = RowsOf(r);
        for (const auto& [label, value] : c.expected) {
            const auto it = rows.find(QString::fromUtf8(label));
            ASSERT_NE(it, rows.end()) << label;
            ExpectValue(it->second, value, label);
        }
        if (c.mode)
            EXPECT_EQ(rows.at(QStringLiteral("Moda")), QString::fromUtf8(c.mode));
        for (const auto& [label, value] : r.Rows) {
            SCOPED_TRACE(label.toStdString());
            EXPECT_FALSE(value.contains(QLatin1String("INF")) || value.contains(QLatin1String("NAN")));
        }
    }
}

TEST_F(StatTest, RowsInOrderAndTheTableLeftSortedByValue)
{
    TStatData d = Sample({"5", "2*3", "9", "1"});
    const TStatResults r = d.ComputeResults();
    QStringList labels;
    for (const auto& row : r.Rows)
        labels << row.first;
    EXPECT_EQ(labels, (QStringList{"n", "Puntos muestrales", "Suma", "Suma cuadrados", "Media", "Moda",
                                   "   Mínimo", "   Cuartil 1 (25%)", "   Mediana   (50%)", "   Cuartil 3 (75%)",
                                   "   Máximo", "Rango", "Varianza", " Desv. Estandar", "Varianza Población",
                                   " Desv. Estandar Población", "Coeficiente de Variación", "Desviación media",
                                   "RMC", "Media Armónica", "Media Geométrica"}));
    std::vector<double> order;
    for (const TPuntoMuestral& s : d.Samples())
        order.push_back(s.Value);
    EXPECT_EQ(order, (std::vector<double>{1, 2, 5, 9}));
    EXPECT_EQ(d.StatSortDirection, 1);
    EXPECT_EQ(r.ModeFrequency, 3);
    EXPECT_EQ(r.Minimum, 1);
    EXPECT_EQ(r.Maximum, 9);
    EXPECT_TRUE(r.HasVariance);
}

TEST_F(StatTest, Directive)
{
    EvalDirectives().clear();
    RegisterDirectives_tool_estadisticas();
    struct Case {
        const char* line;
        const char* answer;
    } cases[] = {
        {"#stats\t1 2 3 4",
         "n=4 ; Puntos muestrales=4 ; Suma=10 ; Suma cuadrados=30 ; Media=2.5 ; Moda=N/D ; Mínimo=1 ; "
         "Cuartil 1 (25%)=1.5 ; Mediana   (50%)=2.5 ; Cuartil 3 (75%)=3.5 ; Máximo=4 ; Rango=3 ; "
         "Varianza=1.6666666666666667 ; Desv. Estandar=1.2909944487358056 ; Varianza Población=1.25 ; "
         "Desv. Estandar Población=1.1180339887498948 ; Coeficiente de Variación=0.4472135954999579 ; "
         "Desviación media=1 ; RMC=2.7386127875258306 ; Media Armónica=1.92 ; Media Geométrica=2.2133638394006432"},
        {"#stats 5*3 5*-4", "Excepción: n no puede ser menor que cero"},
        {"#stats 5*3", "Excepción: Se necesitan al menos dos datos distintos"},
        {"#stats *2", "Excepción: \"*\" no puede estar al principio"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        QString answer;
        ASSERT_TRUE(RunEvalDirective(QString::fromUtf8(c.line), answer));
        EXPECT_EQ(answer, QString::fromUtf8(c.answer));
    }
    EvalDirectives().clear();
}

} // namespace
