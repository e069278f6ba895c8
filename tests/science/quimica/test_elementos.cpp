// The element table: one record from a line of tablaper.tab, the loading of
// the whole file with its faults, and the texts made from a record.
#include "science/quimica/elementos.h"

#include "foundation/core/cp1252.h"
#include "support/fixtures.h"

namespace {

// The 23 fields of a line, each one replaceable.
QStringList FeFields()
{
    return {QStringLiteral("26"),        QStringLiteral("Fe"),   QStringLiteral("Hierro"),
            QStringLiteral("8"),         QStringLiteral("55.845"), QStringLiteral("2,3,6"),
            QStringLiteral("18"),        QStringLiteral("[Ar] 3d6 4s2"), QStringLiteral("2,8,14,2"),
            QStringLiteral("4"),         QStringLiteral("1.25"), QStringLiteral("1808"),
            QStringLiteral("3023"),      QStringLiteral("7.874"), QStringLiteral("4"),
            QStringLiteral("8"),         QStringLiteral("0"),    QStringLiteral("13.8"),
            QStringLiteral("349.6"),     QStringLiteral("54,5.845,56,91.754,57,2.119,58,0.282"),
            QStringLiteral("4"),         QStringLiteral("205"),  QStringLiteral("80.4")};
}

QString Line(const QStringList& fields) { return fields.join(QLatin1Char('\t')); }

QString LineWith(int field, const QString& value)
{
    QStringList f = FeFields();
    f[field] = value;
    return Line(f);
}

TEST(ElementoQ, ALineGivesEveryFieldInOrder)
{
    const TElementoQ e(Line(FeFields()));
    EXPECT_EQ(e.AtomicNumber, 26);
    EXPECT_EQ(e.Symbol, QStringLiteral("Fe"));
    EXPECT_EQ(e.Name, QStringLiteral("Hierro"));
    EXPECT_EQ(e.ElementType, 8);
    EXPECT_FLOAT_EQ(e.AtomicMass, 55.845f);
    EXPECT_EQ(OxidationStatesText(e), QStringLiteral("2, 3, 6"));
    EXPECT_EQ(e.Electronegativity, 18);
    EXPECT_EQ(e.Configuration, QStringLiteral("[Ar] 3d6 4s2"));
    EXPECT_EQ(ShellDistributionText(e), QStringLiteral("2, 8, 14, 2"));
    EXPECT_EQ(e.CrystalStructure, 4);
    EXPECT_FLOAT_EQ(e.CovalentRadius, 1.25f);
    EXPECT_FLOAT_EQ(e.MeltingPoint, 1808);
    EXPECT_FLOAT_EQ(e.BoilingPoint, 3023);
    EXPECT_FLOAT_EQ(e.Density, 7.874f);
    EXPECT_EQ(e.Period, 4);
    EXPECT_EQ(e.Group, 8);
    EXPECT_EQ(e.DiscoveryYear, 0);
    EXPECT_FLOAT_EQ(e.HeatOfFusion, 13.8f);
    EXPECT_FLOAT_EQ(e.HeatOfVaporization, 349.6f);
    ASSERT_EQ(e.IsotopeCount(), 4);
    EXPECT_EQ(e.Isotopes[1].MassNumber, 56);
    EXPECT_FLOAT_EQ(e.Isotopes[1].Abundance, 91.754f);
    EXPECT_EQ(e.NaturalIsotopeCount, 4);
    EXPECT_FLOAT_EQ(e.AtomicRadius, 205);
    EXPECT_FLOAT_EQ(e.ThermalConductivity, 80.4f);
}

// A numeric property stored as 0 is not known: the element window and the
// eval line say "desconocido", never 0; a known value keeps its number.
TEST(ElementoQ, AnUnknownPropertyReadsUnknownNotZero)
{
    struct Case {
        int field;          // of the line
        const char* label;  // of the element window
        const char* known;  // the text of Fe's own value
    };
    const Case cases[] = {
        {4, "lbPeso", "55.845"},          {6, "lbElecNeg", "1.8"},           {10, "lbRadioCov", "1.25"},
        {11, "lbPtoFucion", "1808"},      {12, "lbPtoEbullicion", "3023"},   {13, "lbDensidad", "7.874"},
        {17, "lbCalorFucion", "13.8"},    {18, "lbCalorVap", "349.6"},       {21, "lbRadioAto", "205"},
        {22, "lbConducTer", "80.4"},      {16, "lbAnoDesc", nullptr},
    };
    auto textOf = [](const TElementoQ& e, const char* label) {
        for (const TElementField& f : ElementDataFields(26, e))
            if (f.Name == QLatin1String(label))
                return f.Text;
        ADD_FAILURE() << "no field " << label;
        return QString();
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const TElementoQ unknown(LineWith(c.field, QStringLiteral("0")));
        EXPECT_EQ(textOf(unknown, c.label), QStringLiteral("desconocido"));
        if (c.known)
            EXPECT_EQ(textOf(TElementoQ(Line(FeFields())), c.label), QString::fromLatin1(c.known));
    }
    EXPECT_EQ(textOf(TElementoQ(LineWith(16, QStringLiteral("1735"))), "lbAnoDesc"), QStringLiteral("1735"));
    // A small value is not taken for unknown.
    EXPECT_EQ(textOf(TElementoQ(LineWith(22, QStringLiteral("0.0035"))), "lbConducTer"), QStringLiteral("0.0035"));
}

TEST(ElementoQ, ListsAndTextsFollowTheirRules)
{
    struct Case {
        int field;
        const char* value;
        const char* oxidation;
        const char* shells;
        const char* name;
        const char* configuration;
        int isotopes;
    };
    const Case cases[] = {
        {5, "-2,4,6", "-2, 4, 6", "2, 8, 14, 2", "Hierro", "[Ar] 3d6 4s2", 4},
        {5, "0", "", "2, 8, 14, 2", "Hierro", "[Ar] 3d6 4s2", 4},
        {5, "", "", "2, 8, 14, 2", "Hierro", "[Ar] 3d6 4s2", 4},
        {5, "1.6,x,3", "2", "2, 8, 14, 2", "Hierro", "[Ar] 3d6 4s2", 4},   // rounded; "x" is 0 and ends the text
        {5, "1,2,3,4,5,6,7,8", "1, 2, 3, 4, 5, 6, 7", "2, 8, 14, 2", "Hierro", "[Ar] 3d6 4s2", 4},
        {8, "2,8,18,32,18,8,2,5", "2, 3, 6", "2, 8, 18, 32, 18, 8, 2", "Hierro", "[Ar] 3d6 4s2", 4},
        {2, "Rutherfordiano", "2, 3, 6", "2, 8, 14, 2", "Rutherfordia", "[Ar] 3d6 4s2", 4},
        {7, "[Xe] 4f14 5d10 6s2 6p6 7s2", "2, 3, 6", "2, 8, 14, 2", "Hierro", "[Xe] 4f14 5d10 6s2 6p6", 4},
        {19, "1,99.985,2,0.015", "2, 3, 6", "2, 8, 14, 2", "Hierro", "[Ar] 3d6 4s2", 2},
        {19, "", "2, 3, 6", "2, 8, 14, 2", "Hierro", "[Ar] 3d6 4s2", 0},
        {19, "1,99.9,2", "2, 3, 6", "2, 8, 14, 2", "Hierro", "[Ar] 3d6 4s2", 1},   // the odd value is no pair
        {19, "1,1,2,1,3,1,4,1,5,1,6,1,7,1,8,1,9,1,10,1,11,1", "2, 3, 6", "2, 8, 14, 2", "Hierro", "[Ar] 3d6 4s2", 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.value));
        const TElementoQ e(LineWith(c.field, QString::fromUtf8(c.value)));
        EXPECT_EQ(OxidationStatesText(e), QString::fromUtf8(c.oxidation));
        EXPECT_EQ(ShellDistributionText(e), QString::fromUtf8(c.shells));
        EXPECT_EQ(e.Name, QString::fromUtf8(c.name));
        EXPECT_EQ(e.Configuration, QString::fromUtf8(c.configuration));
        EXPECT_EQ(e.IsotopeCount(), c.isotopes);
    }
    EXPECT_EQ(TElementoQ(LineWith(1, QStringLiteral("Abcd"))).Symbol, QStringLiteral("Abc"));
    EXPECT_EQ(TElementoQ(LineWith(2, QStringLiteral("\"Hierro\""))).Name, QStringLiteral("Hierro"));
}

TEST(ElementoQ, ANumericFieldThatDoesNotConvertIsAConversionError)
{
    struct Case {
        int field;
        const char* value;
    };
    const Case cases[] = {
        {0, ""},      {0, "x"},     {0, "2.5"}, {0, "300"}, {3, "-1"},   {4, ""},
        {4, "1,5"},   {6, "dos"},   {11, "inf"}, {13, "1e99"}, {16, "70000"}, {19, "a,1"},
        {19, "1,b"},  {22, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.field << " = \"" << c.value << "\"");
        EXPECT_THROW(TElementoQ(LineWith(c.field, QString::fromUtf8(c.value))), EConvertError);
    }
    QStringList shortLine = FeFields();
    shortLine.removeLast();
    EXPECT_THROW(TElementoQ(Line(shortLine)), EConvertError);
}

TEST(ElementTexts, NamesOfGroupsStructuresAndTypes)
{
    struct Case {
        int code;
        const char* group;
        const char* structure;
        const char* type;
    };
    const Case cases[] = {
        {0, "", "No Definida", "No Definido"},
        {1, "1 (I A)", "Hexagonal", "No Metal"},
        {2, "2 (II A)", "Cúbica", "Gas Inerte"},
        {3, "3 (III B)", "Cúbica Centrada en Cara", "Metal Alcalino"},
        {4, "4 (IV B)", "Cúbica Centrada en Cuerpo", "Metal Alcalino Térreo"},
        {5, "5 (V B)", "Tetragonal", "No Metal - Metaloide"},
        {6, "6 (VI B)", "Ortorrómbica", "No Metal - Halógeno"},
        {7, "7 (VII B)", "Romboédrica", "Metal Pobre"},
        {8, "8 (VIII B)", "Monoclínica", "Metal de Transición"},
        {9, "9 (VIII B)", "No Definida", "Lantánido"},
        {10, "10 (VIII B)", "No Definida", "Actínido"},
        {11, "11 (I B)", "No Definida", "Superactínido"},
        {12, "12 (II B)", "No Definida", "No Definido"},
        {13, "13 (III A)", "No Definida", "No Definido"},
        {17, "17 (VII A)", "No Definida", "No Definido"},
        {18, "18 (VIII A)", "No Definida", "No Definido"},
        {19, "", "No Definida", "No Definido"},
        {255, "", "No Definida", "No Definido"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(GroupName(c.code), QString::fromUtf8(c.group));
        EXPECT_EQ(CrystalStructureName(c.code), QString::fromUtf8(c.structure));
        EXPECT_EQ(ElementTypeName(c.code), QString::fromUtf8(c.type));
    }
    EXPECT_EQ(IsotopeCountText(0), QStringLiteral("Sin Isótopos Naturales"));
    EXPECT_EQ(IsotopeCountText(1), QStringLiteral("Un Isótopo Natural"));
    EXPECT_EQ(IsotopeCountText(10), QStringLiteral("10 Isótopos Naturales"));
    EXPECT_EQ(ElementFloatText(22 / 10.0f), QStringLiteral("2.2"));
    EXPECT_EQ(ElementFloatText(1.008f), QStringLiteral("1.008"));
    EXPECT_EQ(ElementFloatText(0.0000899f), QStringLiteral("0.0000899"));
    EXPECT_EQ(ElementFloatText(0.00000899f), QStringLiteral("8.99E-6"));
}

class TableTest : public CoreExeDirTest {
protected:
    void SetUp() override
    {
        CoreExeDirTest::SetUp();
        Elementos().reset();
    }
    void TearDown() override
    {
        Elementos().reset();
        CoreExeDirTest::TearDown();
    }

    // A symbol of three characters for each number.
    static QString SymbolOf(int z) { return QStringLiteral("E") + QChar('a' + z / 26) + QChar('a' + z % 26); }

    // A file of `count` elements, each a copy of iron with its own number.
    static QStringList Lines(int count)
    {
        QStringList lines{QStringLiteral("Z\tSímbolo\tNombre")};
        for (int z = 1; z <= count; ++z) {
            QStringList f = FeFields();
            f[0] = QString::number(z);
            f[1] = SymbolOf(z);
            lines << Line(f);
        }
        return lines;
    }
    void write(const QStringList& lines) { put(QStringLiteral("tablaper.tab"), cp1252::encode(lines.join("\r\n") + "\r\n")); }
};

TEST_F(TableTest, AFullFileFillsEverySlotByLinePosition)
{
    QStringList lines = Lines(121);
    lines[3] = LineWith(0, QStringLiteral("99"));   // the position decides the slot
    write(lines);
    const TTableReport r = LoadPeriodicTable();
    EXPECT_TRUE(r.ok()) << r.Text().toStdString();
    for (int z = 1; z <= 121; ++z)
        ASSERT_NE(PeriodicElement(z), nullptr) << z;
    EXPECT_EQ(PeriodicElement(3)->AtomicNumber, 99);
    EXPECT_EQ(PeriodicElement(120)->Symbol, SymbolOf(120));
    EXPECT_EQ(PeriodicElement(0), nullptr);
    EXPECT_EQ(PeriodicElement(122), nullptr);
    EXPECT_EQ(PeriodicElement(-1), nullptr);
}

TEST_F(TableTest, ABadLineIsReportedAndSkippedAndTheRestIsKept)
{
    QStringList lines = Lines(121);
    lines[5] = LineWith(13, QString());        // an empty density
    lines[60] = LineWith(4, QStringLiteral("abc"));
    write(lines);
    const TTableReport r = LoadPeriodicTable();
    ASSERT_EQ(r.Problems.size(), 2);
    EXPECT_TRUE(r.Problems[0].startsWith(QStringLiteral("Línea 5 "))) << r.Problems[0].toStdString();
    EXPECT_TRUE(r.Problems[0].contains(QStringLiteral("densidad")));
    EXPECT_TRUE(r.Problems[1].startsWith(QStringLiteral("Línea 60 ")));
    EXPECT_EQ(PeriodicElement(5), nullptr);
    EXPECT_EQ(PeriodicElement(60), nullptr);
    EXPECT_NE(PeriodicElement(4), nullptr);
    EXPECT_NE(PeriodicElement(121), nullptr);
}

TEST_F(TableTest, AShortFileLeavesTheMissingSlotsEmptyAndSaysSo)
{
    write(Lines(118));
    const TTableReport r = LoadPeriodicTable();
    ASSERT_EQ(r.Problems.size(), 1);
    EXPECT_EQ(r.Problems[0], QStringLiteral("Faltan 3 de los 121 elementos de la tabla"));
    EXPECT_NE(PeriodicElement(118), nullptr);
    EXPECT_EQ(PeriodicElement(119), nullptr);
}

// A file that is there but gives not one element: one message that names
// it, not one per line.
TEST_F(TableTest, AnEmptyOrGarbledFileIsOneMessage)
{
    QByteArray noise;
    for (int i = 0; i < 20000; ++i)
        noise.append(char((i * 7919 + 13) % 251));
    for (const QByteArray& bytes : {QByteArray(), noise, QByteArray("Z\tS\r\n")}) {
        put(QStringLiteral("tablaper.tab"), bytes);
        const TTableReport r = LoadPeriodicTable();
        ASSERT_EQ(r.Problems.size(), 1);
        EXPECT_TRUE(r.Problems[0].contains(QStringLiteral("tablaper.tab")));
        EXPECT_TRUE(PeriodicTableEmpty());
        EXPECT_EQ(get(QStringLiteral("tablaper.tab")), bytes);
    }
}

TEST_F(TableTest, AMissingFileEmptiesTheTableAndIsReported)
{
    write(Lines(121));
    ASSERT_TRUE(LoadPeriodicTable().ok());
    QFile::remove(path(QStringLiteral("tablaper.tab")));
    const TTableReport r = LoadPeriodicTable();
    EXPECT_FALSE(r.ok());
    EXPECT_TRUE(r.Text().contains(QStringLiteral("tablaper.tab")));
    EXPECT_TRUE(PeriodicTableEmpty());
}

TEST_F(TableTest, TheEvalLineListsTheElementsData)
{
    write(Lines(121));
    const QString bySymbol = ElementLine(SymbolOf(26));
    EXPECT_EQ(bySymbol, ElementLine(QStringLiteral("26")));
    const QStringList parts = bySymbol.split(QStringLiteral(" ; "));
    ASSERT_EQ(parts.size(), 22);
    EXPECT_EQ(parts[0], QStringLiteral("Hierro"));
    EXPECT_EQ(parts[1], QStringLiteral("Número Atómico: 26"));
    EXPECT_EQ(parts[3], QStringLiteral("Masa Atómica (uma): 55.845"));
    EXPECT_EQ(parts[6], QStringLiteral("Grupo: 8 (VIII B)"));
    EXPECT_EQ(parts[8], QStringLiteral("Electronegatividad: 1.8"));
    EXPECT_EQ(parts[21], QStringLiteral("Isótopos: 4 Isótopos Naturales"));
    EXPECT_EQ(ElementLine(QStringLiteral("Xx")), QStringLiteral("Elemento desconocido: Xx"));
    EXPECT_EQ(ElementLine(QStringLiteral("0")), QStringLiteral("Elemento desconocido: 0"));
    EXPECT_EQ(ElementLine(QStringLiteral("122")), QStringLiteral("Elemento desconocido: 122"));
}

} // namespace
