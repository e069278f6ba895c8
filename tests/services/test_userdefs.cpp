// real.duf: the definitions loaded into both evaluators with the insert menus'
// items, faulty lines skipped and reported once, and one section edited and
// written back in place (CP1252, CR LF) with every other line untouched.
#include "services/userdefs.h"

#include "engine/real/errors.h"
#include "engine/real/expresion.h"
#include "foundation/core/basicos.h"
#include "foundation/core/cp1252.h"
#include "foundation/core/filesafe.h"
#include "services/calcfuncs.h"
#include "support/fixtures.h"
#include "support/recordingsink.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <array>

using namespace userdefs;

namespace {

QByteArray Bytes(const QString& text) { return cp1252::encode(text); }

class UserDefsTest : public ExeDirTest {
protected:
    void SetUp() override
    {
        ExeDirTest::SetUp();
        Basicos().ApplicationTitle = QStringLiteral("Sumbrix 2.84");
        Basicos().Messages = &sink;
        main.SetUseBuiltIns(true);
        main.Silent = true;
        input.SetUseBuiltIns(true);
        calcfuncs::TCalcHooks h;
        h.Letter = [](QChar) { return Extended(0); };
        calcfuncs::RegisterCalcNames(main, input, h);
    }

    void put(const QString& text)
    {
        QFile f(FileName());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Bytes(text));
    }
    QByteArray get() const
    {
        QFile f(FileName());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    Extended eval(real::TExpresion& e, const QString& text)
    {
        e.SetText(text);
        const Extended v = e.Evaluate();
        EXPECT_FALSE(e.HasError) << text.toStdString() << ": " << e.ErrorMessage.toStdString();
        return v;
    }

    RecordingSink sink;
    real::TExpresion main;
    real::TExpresion input;
};

} // namespace

TEST_F(UserDefsTest, FileAndSections)
{
    EXPECT_EQ(FileName(), dir.path() + QStringLiteral("/real.duf"));
    EXPECT_EQ(SectionName(0), QStringLiteral("Constantes"));
    EXPECT_EQ(SectionName(1), QStringLiteral("Funciones"));
    EXPECT_EQ(SectionName(2), QStringLiteral("Expresiones"));
}

TEST_F(UserDefsTest, ValueParts)
{
    struct Case {
        const char* value;
        const char* definition;
        const char* description;
    } cases[] = {
        {"9.81_Gravedad", "9.81", "Gravedad"},
        {"9.81", "9.81", ""},
        {" 3*2 _ dos veces tres ", "3*2", "dos veces tres"},
        {"a_b_c", "a", "b_c"},
        {"_k2", "", "k2"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(DefinitionOf(QString::fromLatin1(c.value)), QString::fromLatin1(c.definition));
        EXPECT_EQ(DescriptionOf(QString::fromLatin1(c.value)), QString::fromLatin1(c.description));
    }
    EXPECT_EQ(FunctionInsertText("NAME", 3), QStringLiteral("NAME(,,)"));
    EXPECT_EQ(FunctionInsertText("hip", 2), QStringLiteral("hip(,)"));
    EXPECT_EQ(FunctionInsertText("uno", 1), QStringLiteral("uno()"));
    EXPECT_EQ(FunctionInsertText("dos", 0), QStringLiteral("dos"));
}

// ---------------------------------------------------------------------------
// Loading

TEST_F(UserDefsTest, ConstantsAndFunctionsReachBothEvaluators)
{
    put(QString::fromUtf8("[Constantes]\r\n"
                          "k2=3*2_dos veces tres\r\n"
                          "h0=6.62607015E-34_Constante de Planck ñ\r\n"
                          "sinDesc=7\r\n"
                          "[Funciones]\r\n"
                          "hip=(?A^2+?B^2)\\2_hipotenusa\r\n"
                          "f3=?A+?B*?C_tres\r\n"
                          "dos=2_sin argumentos\r\n"
                          "[Expresiones]\r\n"
                          "e1=?A*2_no se carga\r\n"));
    const QByteArray before = get();
    const TUserDefsLoad r = LoadUserDefinitions(main, input, FileName());
    EXPECT_TRUE(sink.boxes.isEmpty());
    EXPECT_TRUE(r.Faults.isEmpty()) << r.Faults.join('\n').toStdString();

    EXPECT_EQ(eval(main, "k2"), 6);
    EXPECT_EQ(eval(input, "k2"), 6);
    EXPECT_EQ(main.GetTable()->Find("k2")->Description, QStringLiteral("dos veces tres"));
    EXPECT_EQ(eval(main, "hip(3,4)"), 5);
    EXPECT_EQ(eval(input, "hip(3,4)"), 5);
    EXPECT_EQ(eval(main, "f3(1,2,3)+dos"), 9);
    EXPECT_EQ(main.GetTable()->Find("hip")->Description, QStringLiteral("hipotenusa"));
    EXPECT_FALSE(main.GetTable()->Contains("e1"));

    EXPECT_EQ(r.UserNames, QStringList({"k2", "h0", "sinDesc", "hip(,)", "f3(,,)", "dos"}));
    const QList<TUserMenuItem> constants{{"dos veces tres", 0}, {QString::fromUtf8("Constante de Planck ñ"), 1},
                                         {"sinDesc", 2}};
    EXPECT_EQ(r.Constants, constants);
    const QList<TUserMenuItem> functions{{"hipotenusa", 3}, {"tres", 4}, {"sin argumentos", 5}};
    EXPECT_EQ(r.Functions, functions);
    // Loading only reads.
    EXPECT_EQ(get(), before);
}

// A faulty definition does not stop the rest: every good line loads, the bad
// ones are skipped and reported together in one box.
TEST_F(UserDefsTest, FaultyDefinitionsAreSkippedAndReportedOnce)
{
    put(QStringLiteral("[Constantes]\r\n"
                       "malo=1+*2_sintaxis\r\n"
                       "bueno1=1_uno\r\n"
                       "desconocido=zz9+1_nombre\r\n"
                       "cero=1/0_division\r\n"
                       "sin=3_ya existe\r\n"
                       "k=5_una letra\r\n"
                       "vacio=_sin definicion\r\n"
                       "bueno2=bueno1+1_dos\r\n"
                       "[Funciones]\r\n"
                       "fmal=?A+?C_hueco\r\n"
                       "fbien=?A*2_doble\r\n"
                       "bueno1=?A_repetido\r\n"));
    const TUserDefsLoad r = LoadUserDefinitions(main, input, FileName());
    EXPECT_EQ(eval(main, "bueno1+bueno2"), 3);
    EXPECT_EQ(eval(input, "bueno2"), 2);
    EXPECT_EQ(eval(main, "fbien(4)"), 8);
    for (const char* skipped : {"malo", "desconocido", "cero", "vacio", "fmal"})
        EXPECT_FALSE(main.GetTable()->Contains(skipped)) << skipped;
    EXPECT_EQ(r.UserNames, QStringList({"bueno1", "bueno2", "fbien()"}));
    ASSERT_EQ(r.Faults.size(), 8) << r.Faults.join('\n').toStdString();
    EXPECT_TRUE(r.Faults[0].startsWith("Constantes: malo: "));
    EXPECT_EQ(r.Faults[3], QStringLiteral("Constantes: sin: sin ya esta definido"));
    EXPECT_EQ(r.Faults[4], QStringLiteral("Constantes: k: k ya esta definido"));
    EXPECT_TRUE(r.Faults[6].startsWith("Funciones: fmal: ")) << r.Faults[6].toStdString();
    EXPECT_EQ(r.Faults[7], QStringLiteral("Funciones: bueno1: bueno1 ya esta definido"));
    ASSERT_EQ(sink.boxes.size(), 1);
    EXPECT_EQ(sink.boxes[0].caption, QStringLiteral("Sumbrix 2.84"));
    EXPECT_EQ(sink.boxes[0].flags & mb::IconMask, mb::IconError);
    for (const QString& f : r.Faults)
        EXPECT_TRUE(sink.boxes[0].text.contains(f));
    // Without report: nothing shown.
    sink.boxes.clear();
    real::TExpresion m2, i2;
    m2.SetUseBuiltIns(true);
    i2.SetUseBuiltIns(true);
    LoadUserDefinitions(m2, i2, FileName(), false);
    EXPECT_TRUE(sink.boxes.isEmpty());
}

// Each constant is evaluated once, with the input evaluator's names and angle
// unit, and the same value goes to both evaluators.
TEST_F(UserDefsTest, ConstantsAreEvaluatedOnceWithTheInputAngleUnit)
{
    int calls = 0;
    input.AddFunction0("tick", [&calls] { return Extended(++calls); }, 2, QString());
    input.AngleMode = 1;
    put(QStringLiteral("[Constantes]\r\nt1=tick*10_contador\r\ns90=sin(90)_seno\r\n"));
    LoadUserDefinitions(main, input, FileName());
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(eval(main, "t1"), 10);
    EXPECT_EQ(eval(input, "t1"), 10);
    EXPECT_LE(std::fabs(eval(main, "s90") - 1), 1e-18L);
    // The input evaluator's own text is left as it was.
    EXPECT_TRUE(input.Text.isEmpty() || input.Text == QStringLiteral("t1") || input.Text == QStringLiteral("s90"));
}

TEST_F(UserDefsTest, MissingOrUnreadableFile)
{
    TUserDefsLoad r = LoadUserDefinitions(main, input, FileName());
    EXPECT_TRUE(r.UserNames.isEmpty());
    EXPECT_TRUE(sink.boxes.isEmpty());
    EXPECT_FALSE(QFile::exists(FileName()));
    // A folder in its place cannot be read: reported, nothing loaded, nothing
    // written.
    ASSERT_TRUE(QDir(dir.path()).mkdir("real.duf"));
    r = LoadUserDefinitions(main, input, FileName());
    EXPECT_TRUE(r.UserNames.isEmpty());
    EXPECT_EQ(sink.boxes.size(), 1);
    EXPECT_TRUE(QFileInfo(FileName()).isDir());
}

// ---------------------------------------------------------------------------
// Editing

namespace {

const char* const kFile = "; notas del usuario\r\n"
                          "[Otra]\r\n"
                          "x=1\r\n"
                          "\r\n"
                          "[Constantes]\r\n"
                          "grav=9.81_Gravedad\r\n"
                          "luz=299792458\r\n"
                          "GRAV=1_repetido\r\n"
                          "\r\n"
                          "[Funciones]\r\n"
                          "hip=(?A^2+?B^2)\\2_hipotenusa\r\n";

} // namespace

TEST_F(UserDefsTest, EditorReadsTheSectionInFileOrder)
{
    put(QString::fromLatin1(kFile));
    TUserDefsEditor c(0, FileName());
    EXPECT_EQ(c.Section(), QStringLiteral("Constantes"));
    ASSERT_TRUE(c.Load());
    EXPECT_EQ(c.Names(), QStringList({"grav", "luz"}));   // a second "grav" reads as the first
    EXPECT_EQ(c.Entry(0).Value, QStringLiteral("9.81_Gravedad"));
    EXPECT_EQ(c.Entry(1).Value, QStringLiteral("299792458"));
    EXPECT_FALSE(c.Modified());
    TUserDefsEditor e(2, FileName());
    ASSERT_TRUE(e.Load());
    EXPECT_EQ(e.Count(), 0);
    TUserDefsEditor odd(7, FileName());
    EXPECT_EQ(odd.Section(), QStringLiteral("Constantes"));
}

TEST_F(UserDefsTest, EditsStoreBothFields)
{
    put(QString::fromLatin1(kFile));
    TUserDefsEditor c(0, FileName());
    ASSERT_TRUE(c.Load());
    c.Edit(-1, "1", "2");   // nothing selected: nothing
    EXPECT_FALSE(c.Modified());
    c.Edit(0, "9.8", "Gravedad");
    EXPECT_EQ(c.Entry(0).Value, QStringLiteral("9.8_Gravedad"));
    EXPECT_TRUE(c.Entry(0).Changed);
    // Emptying a field keeps the stored value, but it is still an edit.
    c.Edit(1, "299792458", "");
    EXPECT_EQ(c.Entry(1).Value, QStringLiteral("299792458"));
    EXPECT_TRUE(c.Entry(1).Changed);
    EXPECT_TRUE(c.Modified());
}

TEST_F(UserDefsTest, NewIdentifiers)
{
    put(QString::fromLatin1(kFile));
    TUserDefsEditor c(0, FileName());
    ASSERT_TRUE(c.Load());
    using R = TUserDefsEditor::TAddResult;
    struct Case {
        const char* name;
        R result;
    } cases[] = {
        {"", R::Empty},          {"   ", R::Empty},       {"sin", R::Known},    {"SIN", R::Known},
        {"Integrar", R::Known},  {"x", R::Known},         {"M3", R::Known},     {"Grav", R::Known},
        {"2x", R::Invalid},      {"a b", R::Invalid},     {"a=b", R::Invalid},  {"a_b", R::Invalid},
        {"[s]", R::Invalid},     {"  vel  ", R::Added},   {"año", R::Added},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(c.Add(QString::fromUtf8(k.name), &main), k.result);
    }
    EXPECT_EQ(c.Names(), QStringList({"grav", "luz", "vel", QString::fromUtf8("año")}));
    EXPECT_EQ(c.Entry(2).Value, QStringLiteral("_vel"));
    EXPECT_TRUE(c.Entry(2).Changed);
    EXPECT_TRUE(c.Modified());
    c.Delete(0);
    EXPECT_EQ(c.Names(), QStringList({"luz", "vel", QString::fromUtf8("año")}));
}

TEST_F(UserDefsTest, FunctionDefinitionsAreCheckedLastToFirst)
{
    put(QString::fromLatin1(kFile));
    TUserDefsEditor f(1, FileName());
    ASSERT_TRUE(f.Load());
    ASSERT_EQ(f.Add("ga", &main), TUserDefsEditor::TAddResult::Added);
    f.Edit(1, "?A+?C", "hueco");
    ASSERT_EQ(f.Add("gb", &main), TUserDefsEditor::TAddResult::Added);
    f.Edit(2, "?B", "sin A");
    try {
        f.CheckDefinitions(&main);
        ADD_FAILURE() << "no compile error";
    } catch (const real::ECompilacion& e) {
        EXPECT_TRUE(e.message().contains("gb")) << e.message().toStdString();
    }
    f.Edit(2, "?A*3", "triple");
    EXPECT_THROW(f.CheckDefinitions(&main), real::ECompilacion);
    f.Edit(1, "?A+?B", "suma");
    EXPECT_NO_THROW(f.CheckDefinitions(&main));
    EXPECT_EQ(eval(main, "gb(2)"), 6);

    // Constants compile nothing, whatever they hold.
    TUserDefsEditor c(0, FileName());
    ASSERT_TRUE(c.Load());
    c.Edit(0, "?A+?C", "no es una constante");
    EXPECT_NO_THROW(c.CheckDefinitions(&main));
}

// The section is written anew in place: other lines stay as they were, the
// entries follow the list's order.
TEST_F(UserDefsTest, WritingInPlace)
{
    put(QString::fromLatin1(kFile));
    TUserDefsEditor c(0, FileName());
    ASSERT_TRUE(c.Load());
    c.Delete(0);
    ASSERT_EQ(c.Add(QString::fromUtf8("año"), &main), TUserDefsEditor::TAddResult::Added);
    c.Edit(1, "365.25", QString::fromUtf8("días"));
    ASSERT_TRUE(c.Write());
    EXPECT_EQ(get(), Bytes(QString::fromUtf8("; notas del usuario\r\n"
                                             "[Otra]\r\n"
                                             "x=1\r\n"
                                             "\r\n"
                                             "[Funciones]\r\n"
                                             "hip=(?A^2+?B^2)\\2_hipotenusa\r\n"
                                             "\r\n"
                                             "[Constantes]\r\n"
                                             "luz=299792458\r\n"
                                             "año=365.25_días\r\n")));
    // What the editor writes, the loader reads.
    const TUserDefsLoad r = LoadUserDefinitions(main, input, FileName());
    EXPECT_TRUE(r.Faults.isEmpty());
    EXPECT_EQ(eval(main, QString::fromUtf8("año*4")), 1461);
    // An emptied section leaves no lines behind.
    TUserDefsEditor again(0, FileName());
    ASSERT_TRUE(again.Load());
    again.Delete(1);
    again.Delete(0);
    ASSERT_TRUE(again.Write());
    EXPECT_FALSE(get().contains("[Constantes]"));
    EXPECT_TRUE(get().contains("hip="));
}

TEST_F(UserDefsTest, NoFileYet)
{
    TUserDefsEditor c(1, FileName());
    ASSERT_TRUE(c.Load());
    ASSERT_EQ(c.Add("doble", &main), TUserDefsEditor::TAddResult::Added);
    c.Edit(0, "?A*2", "doble");
    ASSERT_TRUE(c.Write());
    EXPECT_EQ(get(), QByteArray("[Funciones]\r\ndoble=?A*2_doble\r\n"));
}

// A file that is there but cannot be read is never written over.
TEST_F(UserDefsTest, UnreadableFileIsNotWritten)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("real.duf"));
    TUserDefsEditor c(0, FileName());
    EXPECT_FALSE(c.Load());
    EXPECT_FALSE(c.LoadError().isEmpty());
    ASSERT_EQ(c.Add("nueva", &main), TUserDefsEditor::TAddResult::Added);
    EXPECT_FALSE(c.Write());
    EXPECT_TRUE(QFileInfo(FileName()).isDir());
}

// Aceptar writes the new section in one write of the file: when that write
// fails (a full disk), the file on disk is the old one, whole.
TEST_F(UserDefsTest, AFailedWriteLeavesTheOldFileWhole)
{
    put(QString::fromLatin1(kFile));
    const QByteArray before = get();
    int writes = 0;
    FileWriting().BeforeStep = [&](const QString&, FileWriteStep s) {
        writes += s == FileWriteStep::Create;
        return s != FileWriteStep::Write;
    };
    TUserDefsEditor c(0, FileName());
    ASSERT_TRUE(c.Load());
    ASSERT_EQ(c.Add("nueva", &main), TUserDefsEditor::TAddResult::Added);
    ASSERT_EQ(c.Add("otra", &main), TUserDefsEditor::TAddResult::Added);
    EXPECT_FALSE(c.Write());
    FileWriting().reset();
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(get(), before);
    EXPECT_FALSE(QFileInfo::exists(FileName() + ".tmp"));
}

// Many definitions, repeated names among them: the editor reads each section
// once and keeps the first line of a name.
TEST_F(UserDefsTest, ManyDefinitionsKeepTheFirstOfEachName)
{
    QString text = QStringLiteral("[Constantes]\r\n");
    for (int i = 0; i < 20000; ++i)
        text += QStringLiteral("c%1=%1_n%1\r\n").arg(i);
    text += QStringLiteral("C5=99\r\n");
    put(text);
    TUserDefsEditor c(0, FileName());
    ASSERT_TRUE(c.Load());
    ASSERT_EQ(c.Count(), 20000);
    EXPECT_EQ(c.Names().at(5), QStringLiteral("c5"));
    const TUserDefsLoad r = LoadUserDefinitions(main, input, FileName(), false);
    EXPECT_EQ(r.Constants.size(), 20000);
    EXPECT_EQ(eval(main, "c19999+c5"), 20004);
}
