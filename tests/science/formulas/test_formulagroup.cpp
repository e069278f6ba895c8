// Formula group files: the section format read and written, the checks on
// names and cells, and the group file's operations.
#include "foundation/core/zelini.h"
#include "science/formulas/formulagroup.h"
#include "support/fixtures.h"

#include <QFile>

#include <gtest/gtest.h>

#include <functional>

namespace {

using FormulaGroupTest = CoreExeDirTest;

TFormula velocity()
{
    TFormula f;
    f.Ley = QStringLiteral("v=d/t");
    f.Desc = {QStringLiteral("Velocidad media."), QStringLiteral("Segunda línea = con igual")};
    f.ImageReference = QStringLiteral("#movil.bmp");
    f.Elements = {{"v", "Velocidad", "36", "kilómetro por hora", "Velocidad=metro por segundo", "0", ""},
                  {"d", "Distancia", "100", "metro", "Longitud=metro", "0", ""},
                  {"t", "Tiempo", "", "segundo", "Tiempo=segundo", "0", "d"}};
    f.Unknown = 2;
    return f;
}

TEST_F(FormulaGroupTest, SectionLinesReadAsTheFormula)
{
    const QStringList lines = {QStringLiteral("F=m*a"), QStringLiteral("Primera"),
                               QStringLiteral("texto <img>#ley.bmp"), QStringLiteral("Segunda"),
                               QStringLiteral("<def>"), QStringLiteral("F_Fuerza_1_newton_Fuerza=newton_0__"),
                               QStringLiteral("m_Masa_2_kilogramo_Masa=kilogramo_1_0_1000"), QStringLiteral("a_Corta")};
    const TFormula f = ParseFormulaLines(lines);
    EXPECT_EQ(f.Ley, QStringLiteral("F=m*a"));
    EXPECT_EQ(f.Desc, (QStringList{QStringLiteral("Primera"), QStringLiteral("Segunda")}));
    EXPECT_EQ(f.ImageReference, QStringLiteral("#ley.bmp"));
    ASSERT_EQ(f.Elements.size(), 3u);
    EXPECT_EQ(f.Unknown, 1);
    EXPECT_EQ(f.Elements[1].Min, QStringLiteral("0"));
    EXPECT_EQ(f.Elements[1].Max, QStringLiteral("1000"));
    EXPECT_EQ(f.Elements[2].Simb, QStringLiteral("a"));
    EXPECT_EQ(f.Elements[2].Descripcion, QStringLiteral("Corta"));
    EXPECT_TRUE(f.Elements[2].Base.isEmpty());
}

TEST_F(FormulaGroupTest, MissingSectionsAndUnmarkedUnknowns)
{
    EXPECT_EQ(ParseFormulaLines({}), TFormula{});
    // Without any F = 1 there is no unknown (not a row past the table).
    const TFormula none = ParseFormulaLines({QStringLiteral("x=y"), QStringLiteral("<def>"),
                                             QStringLiteral("x_X_1___0__"), QStringLiteral("y_Y_2___0__")});
    EXPECT_EQ(none.Unknown, -1);
    const TFormula noDef = ParseFormulaLines({QStringLiteral("x=1"), QStringLiteral("texto")});
    EXPECT_TRUE(noDef.Elements.empty());
    EXPECT_EQ(noDef.Desc, QStringList{QStringLiteral("texto")});
}

TEST_F(FormulaGroupTest, LinesRoundTrip)
{
    const TFormula f = velocity();
    const QStringList lines = FormulaLines(f);
    EXPECT_EQ(lines, (QStringList{QStringLiteral("v=d/t"), QStringLiteral("Velocidad media."),
                                  QStringLiteral("Segunda línea = con igual"), QStringLiteral("<img>#movil.bmp"),
                                  QStringLiteral("<def>"),
                                  QStringLiteral("v_Velocidad_36_kilómetro por hora_Velocidad=metro por segundo_0_0_"),
                                  QStringLiteral("d_Distancia_100_metro_Longitud=metro_0_0_"),
                                  QStringLiteral("t_Tiempo__segundo_Tiempo=segundo_1_0_d")}));
    EXPECT_EQ(ParseFormulaLines(lines), f);
}

TEST_F(FormulaGroupTest, TheTemplateRowWithoutSymbolIsNotWritten)
{
    TFormula t = NewFormulaTemplate();
    EXPECT_EQ(t.Ley, QStringLiteral("{Indique aquí la ecuación de la fórmula}"));
    EXPECT_EQ(t.Desc, QStringList{QStringLiteral("ingrese aqui una descripción")});
    EXPECT_EQ(FormulaLines(t).last(), QStringLiteral("<def>"));
}

TEST_F(FormulaGroupTest, CellsAndLawsThatCannotBeStored)
{
    struct Case {
        const char* what;
        std::function<void(TFormula&)> change;
    } cases[] = {
        {"a \"_\" in a cell", [](TFormula& f) { f.Elements[0].Descripcion = QStringLiteral("a_b"); }},
        {"a \"_\" in a bound", [](TFormula& f) { f.Elements[1].Max = QStringLiteral("_"); }},
        {"an empty law", [](TFormula& f) { f.Ley = QStringLiteral("  "); }},
        {"a law above 255 characters", [](TFormula& f) { f.Ley = QString(256, QLatin1Char('a')); }},
        {"a law that reads as a section", [](TFormula& f) { f.Ley = QStringLiteral("[x]"); }},
        {"an element line above 255 characters",
         [](TFormula& f) { f.Elements[0].Descripcion = QString(250, QLatin1Char('d')); }},
        {"a description line with <img>", [](TFormula& f) { f.Desc.append(QStringLiteral("ver <img>")); }},
        {"a description line <def>", [](TFormula& f) { f.Desc.append(QStringLiteral(" <def> ")); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TFormula f = velocity();
        c.change(f);
        EXPECT_THROW(FormulaLines(f), Exception);
    }
}

TEST_F(FormulaGroupTest, DescriptionsWrapAndEscapeInsteadOfLosingText)
{
    QString longLine;
    for (int i = 0; i < 80; ++i)
        longLine += QStringLiteral("palabra%1 ").arg(i);
    longLine = longLine.trimmed();
    ASSERT_GT(longLine.size(), 600);
    TFormula f = velocity();
    f.Desc = {longLine, QString(), QStringLiteral("[no es sección]"), QString(300, QLatin1Char('x'))};
    const QStringList lines = FormulaLines(f);
    for (const QString& l : lines)
        EXPECT_LE(l.size(), 255);
    // Written through the settings-file engine and read back: the same words.
    TZelIniFile ini(path(QStringLiteral("g.fcm")), FormulaGroupKey());
    ini.SetSectionLines(QStringLiteral("F"), lines);
    ini.UpdateFile();
    TZelIniFile back(path(QStringLiteral("g.fcm")), FormulaGroupKey());
    QStringList read;
    back.ReadSectionValues(QStringLiteral("F"), read);
    const TFormula g = ParseFormulaLines(read);
    EXPECT_EQ(g.Elements, f.Elements);
    QString joined = g.Desc.join(QLatin1Char(' '));
    EXPECT_TRUE(joined.startsWith(longLine + QStringLiteral(" ")));
    EXPECT_TRUE(joined.contains(QStringLiteral("[no es sección]")));
    EXPECT_EQ(joined.count(QLatin1Char('x')), 300);
}

TEST_F(FormulaGroupTest, GroupNames)
{
    const QStringList existing = {QStringLiteral("Mecánica"), QStringLiteral("Fluidos")};
    struct Case {
        const char* name;
        bool ok;
    } cases[] = {
        {"Óptica", true},       {"Ondas y luz", true}, {"", false},        {"  ", false},
        {"mecánica", false},    {"a/b", false},        {"a\\b", false},    {"a:b", false},
        {"a*b", false},         {"a?b", false},        {"a\"b", false},    {"a<b", false},
        {"a|b", false},         {" lado", false},      {"punto.", false},  {"..", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CheckGroupName(QString::fromUtf8(c.name), existing).isEmpty(), c.ok);
    }
    EXPECT_EQ(CheckGroupName(QStringLiteral("FLUIDOS"), existing), QStringLiteral("Ya existe un grupo llamado FLUIDOS"));
}

TEST_F(FormulaGroupTest, FormulaNames)
{
    const QStringList existing = {QStringLiteral("Ley de Ohm")};
    EXPECT_TRUE(CheckFormulaName(QStringLiteral("Ley de Joule"), existing).isEmpty());
    EXPECT_EQ(CheckFormulaName(QStringLiteral("ley de ohm"), existing),
              QStringLiteral("Ya existe una fórmula llamada ley de ohm"));
    for (const QString& bad : {QString(), QStringLiteral(" x"), QStringLiteral("[x"), QStringLiteral("a\nb"),
                               QString(254, QLatin1Char('n'))})
        EXPECT_FALSE(CheckFormulaName(bad, existing).isEmpty()) << bad.toStdString();
    EXPECT_FALSE(CheckCellText(QStringLiteral("a_b")).isEmpty());
    EXPECT_TRUE(CheckCellText(QStringLiteral("a-b")).isEmpty());
}

TEST_F(FormulaGroupTest, GroupFileOperations)
{
    TFormulaGroup g(QStringLiteral("Prueba"));
    EXPECT_EQ(g.FileName(), path(QStringLiteral("Prueba.fcm")));
    EXPECT_TRUE(g.Names().isEmpty());
    g.Write(QStringLiteral("Velocidad"), velocity());
    g.Write(QStringLiteral("Otra"), NewFormulaTemplate());
    EXPECT_EQ(g.Names(), (QStringList{QStringLiteral("Velocidad"), QStringLiteral("Otra")}));
    EXPECT_EQ(g.Read(QStringLiteral("velocidad")), velocity());
    // Scrambled: the law is not there as text.
    EXPECT_FALSE(get(QStringLiteral("Prueba.fcm")).contains("v=d/t"));
    g.Rename(QStringLiteral("Velocidad"), QStringLiteral("Rapidez"));
    EXPECT_FALSE(g.Exists(QStringLiteral("Velocidad")));
    EXPECT_EQ(g.Read(QStringLiteral("Rapidez")), velocity());
    g.Erase(QStringLiteral("Otra"));
    EXPECT_EQ(g.Names(), QStringList{QStringLiteral("Rapidez")});
    put(QStringLiteral("b.fcm"), QByteArray());
    put(QStringLiteral("A.fcm"), QByteArray());
    put(QStringLiteral("nota.txt"), QByteArray());
    EXPECT_EQ(ListFormulaGroups(), (QStringList{QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("Prueba")}));
}

// A group file far larger than any group, or one that is there but of which
// nothing can be made out: no formula, the reason, and no change ever
// written over it.
TEST_F(FormulaGroupTest, UnusableGroupFilesAreToldAndKept)
{
    struct Case {
        const char* what;
        std::function<void(const QString&)> make;
        const char* says;
    } cases[] = {
        {"huge",
         [](const QString& file) {
             QFile f(file);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             ASSERT_TRUE(f.resize(kMaxFormulaGroupBytes + 1));
         },
         "MB"},
        {"garbled",
         [](const QString& file) {
             QFile f(file);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             QByteArray noise;
             for (int i = 0; i < 3000; ++i)
                 noise.append(char((i * 7919 + 13) % 251));
             f.write(noise);
         },
         "dañado"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TFormulaGroup g(QStringLiteral("Roto"));
        c.make(g.FileName());
        const QByteArray before = get(QStringLiteral("Roto.fcm"));
        QString problem;
        EXPECT_TRUE(g.Names(&problem).isEmpty());
        EXPECT_TRUE(problem.contains(QString::fromUtf8(c.says))) << problem.toStdString();
        EXPECT_TRUE(problem.contains(QStringLiteral("Roto.fcm")));
        EXPECT_TRUE(g.Lines(QStringLiteral("x")).isEmpty());
        EXPECT_THROW(g.Write(QStringLiteral("Nueva"), NewFormulaTemplate()), EInOutError);
        EXPECT_THROW(g.Erase(QStringLiteral("x")), EInOutError);
        EXPECT_THROW(g.Rename(QStringLiteral("x"), QStringLiteral("y")), EInOutError);
        EXPECT_EQ(get(QStringLiteral("Roto.fcm")), before);
    }
    // An empty group (every formula erased) is a group without formulas.
    put(QStringLiteral("Vacio.fcm"), QByteArray());
    QString problem;
    EXPECT_TRUE(TFormulaGroup(QStringLiteral("Vacio")).Names(&problem).isEmpty());
    EXPECT_TRUE(problem.isEmpty());
}

} // namespace
