#include "foundation/core/zelini.h"

#include "foundation/core/cp1252.h"
#include "fakeform.h"
#include "support/fixtures.h"
#include "support/recordingsink.h"

#include <QDir>
#include <QFile>

#include <memory>

#include <sys/stat.h>

namespace {

// The bytes of a literal, the zeros inside included.
template <std::size_t N>
QByteArray raw(const char (&s)[N])
{
    return QByteArray(s, qsizetype(N - 1));
}

class ZelIni : public CoreExeDirTest {
protected:
    void SetUp() override
    {
        CoreExeDirTest::SetUp();
        Basicos().Messages = &sink;
    }

    RecordingSink sink;
};

TEST_F(ZelIni, ReadsSectionsAndRawLines)
{
    put("a.ini", "lost=1\r\n"
                 "[Opciones]\r\n"
                 "Ver=280\r\n"
                 "\r\n"
                 "Key = 5\n"
                 "sin igual\r"
                 "x=a=b\r\n"
                 "[abc\r\n"
                 "[ sp ]\r\n"
                 "q=1\r\n"
                 "[]\r\n"
                 "e=2\r\n"
                 "[Vac\xED" "a]\r\n");
    TZelIniFile ini(path("a.ini"));
    QStringList sections;
    ini.ReadSections(sections);
    EXPECT_EQ(sections, (QStringList{"Opciones", " sp ", "", "Vacía"}));

    QStringList values;
    ini.ReadSectionValues(QStringLiteral("opciones"), values);
    EXPECT_EQ(values, (QStringList{"Ver=280", "Key = 5", "sin igual", "x=a=b", "[abc"}));
    QStringList names{"kept"};
    ini.ReadSection(QStringLiteral("Opciones"), names);
    EXPECT_EQ(names, (QStringList{"kept", "Ver", "Key ", "", "x", ""}));

    EXPECT_EQ(ini.ReadString("Opciones", "x", "-"), QStringLiteral("a=b"));
    EXPECT_EQ(ini.ReadString("Opciones", "Key", "none"), QStringLiteral("none")) << "blank before = is part of the name";
    EXPECT_EQ(ini.ReadString("Opciones", "Key ", "none"), QStringLiteral(" 5"));
    EXPECT_EQ(ini.ReadString("Opciones", "sin igual", "none"), QStringLiteral("none"));
    EXPECT_EQ(ini.ReadString(" sp ", "q", ""), QStringLiteral("1"));
    EXPECT_EQ(ini.ReadString("sp", "q", "none"), QStringLiteral("none"));
    EXPECT_EQ(ini.ReadString("", "e", ""), QStringLiteral("2"));
    EXPECT_TRUE(ini.SectionExists(QStringLiteral("VACÍA"))) << "accented capitals match";
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("lost")));
    EXPECT_FALSE(ini.Modified);
}

TEST_F(ZelIni, CtrlZEndsAPlainFile)
{
    put("z.ini", "[A]\r\nx=1\r\n\x1A[B]\r\ny=2\r\n");
    TZelIniFile ini(path("z.ini"));
    EXPECT_TRUE(ini.SectionExists("A"));
    EXPECT_FALSE(ini.SectionExists("B"));
}

TEST_F(ZelIni, WrittenFormIsExact)
{
    put("w.ini", "above=1\r\n[A]\r\nx=1\r\n\r\n\r\n[Empty]\r\n[B]\r\ny=\xE1\r\n");
    {
        TZelIniFile ini(path("w.ini"));
        ini.WriteString("B", "z", "3");
        ini.WriteString("Nueva", "n", "ñ");
        ini.UpdateFile();
        EXPECT_FALSE(ini.Modified);
    }
    EXPECT_EQ(get("w.ini"), QByteArray("[A]\r\nx=1\r\n\r\n[B]\r\ny=\xE1\r\nz=3\r\n\r\n[Nueva]\r\nn=\xF1\r\n\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"w.ini"}) << "no temporary file is left";
}

TEST_F(ZelIni, NamesIgnoreCaseAndTheFirstLineWins)
{
    put("v.ini", "[Opciones]\r\nVer=280\r\nver=1\r\n");
    TZelIniFile ini(path("v.ini"));
    EXPECT_EQ(ini.ReadInteger("OPCIONES", "VER", 0), 280);
    ini.WriteInteger("Opciones", "Ver", 280);
    EXPECT_FALSE(ini.Modified) << "an identical line changes nothing";
    ini.WriteInteger("Opciones", "VER", 280);
    EXPECT_TRUE(ini.Modified) << "a change of letter case is a change";
    QStringList values;
    ini.ReadSectionValues("Opciones", values);
    EXPECT_EQ(values, (QStringList{"VER=280", "ver=1"}));
}

TEST_F(ZelIni, DuplicateSectionsKeepTheFirst)
{
    const QByteArray image = "[Opciones]\r\na=1\r\n[X]\r\nq=0\r\n[OPCIONES]\r\na=2\r\nb=3\r\n";
    put("d.ini", image);
    {
        TZelIniFile ini(path("d.ini"));
        QStringList sections;
        ini.ReadSections(sections);
        EXPECT_EQ(sections, (QStringList{"Opciones", "X"}));
        EXPECT_EQ(ini.ReadString("opciones", "a", ""), QStringLiteral("1"));
        EXPECT_EQ(ini.ReadString("opciones", "b", "none"), QStringLiteral("none"));
        EXPECT_FALSE(ini.Modified);
    }
    EXPECT_EQ(get("d.ini"), image) << "loading alone never rewrites";
    {
        TZelIniFile ini(path("d.ini"));
        ini.WriteString("X", "q", "1");
    }
    EXPECT_EQ(get("d.ini"), QByteArray("[Opciones]\r\na=1\r\n\r\n[X]\r\nq=1\r\n\r\n"));
}

// Hundreds of thousands of repeated sections (a file grown by a faulty
// writer) load with the first of each name, and the next write leaves one.
TEST_F(ZelIni, ManyRepeatedSectionsLoadAndRoundTrip)
{
    struct Case {
        int copies;
        int names;
    } cases[] = {{450000, 1}, {30000, 3}, {20000, 20000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.copies) + " " + std::to_string(c.names));
        QByteArray image;
        for (int i = 0; i < c.copies; ++i) {
            const int name = i % c.names;
            image += (i % 2 ? "[opciones" : "[OPCIONES") + QByteArray::number(name) + "]\r\na=" +
                     QByteArray::number(i) + "\r\n";
        }
        put("r.ini", image);
        {
            TZelIniFile ini(path("r.ini"));
            EXPECT_EQ(ini.Sections().Count(), c.names);
            EXPECT_EQ(ini.ReadInteger("Opciones0", "a", -1), 0);
            EXPECT_EQ(ini.ReadInteger("Opciones" + QString::number(c.names - 1), "a", -1), c.names - 1);
            EXPECT_FALSE(ini.Modified);
            ini.WriteInteger("Opciones0", "b", 7);
        }
        QByteArray expected;
        for (int name = 0; name < c.names; ++name) {
            expected += (name % 2 ? "[opciones" : "[OPCIONES") + QByteArray::number(name) + "]\r\na=" +
                        QByteArray::number(name) + "\r\n" + (name == 0 ? "b=7\r\n" : "") + "\r\n";
        }
        EXPECT_EQ(get("r.ini"), expected);
    }
}

TEST_F(ZelIni, IntegersAsTheFileWritesThem)
{
    struct Case {
        const char* text;
        int value;
    };
    const int def = -77;
    const Case cases[] = {
        {"42", 42},        {" 42", 42},       {"-7", -7},         {"+7", 7},
        {"0x1F", 31},      {"0X1F", 31},      {"$1F", 31},        {"$1f", 31},
        {"$FFFFFFFF", -1}, {"-$1", -1},       {"12 ", def},       {"1.5", def},
        {"", def},         {"$", def},        {"0x", def},        {"abc", def},
        {"2147483647", 2147483647},           {"2147483648", def}, {"-2147483648", -2147483647 - 1},
        {"$100000000", def}, {"1e3", def},
    };
    TZelIniFile ini(QString{});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ini.WriteString("N", "v", QString::fromUtf8(c.text));
        EXPECT_EQ(ini.ReadInteger("N", "v", def), c.value);
    }
    EXPECT_EQ(ini.ReadInteger("N", "missing", def), def);
    EXPECT_EQ(ini.ReadInteger("missing", "v", def), def);
    ini.WriteInteger("N", "w", -12);
    EXPECT_EQ(ini.ReadString("N", "w", ""), QStringLiteral("-12"));
}

TEST_F(ZelIni, FloatsAndBooleans)
{
    TZelIniFile ini(QString{});
    struct Case {
        const char* text;
        Extended value;
    };
    const Extended def = 9;
    const Case cases[] = {
        {"1.5E-3", 0.0015L}, {"1.5e-3", 0.0015L}, {" 2.5", 2.5L}, {"-4", -4},
        {"1,5", def},        {"1.5 ", def},       {"", def},      {"inf", def},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ini.WriteString("F", "v", QString::fromUtf8(c.text));
        EXPECT_EQ(ini.ReadFloat("F", "v", def), c.value);
    }

    struct Written {
        Extended value;
        const char* text;
    };
    const Written written[] = {
        {1e-15L, "1E-15"}, {1.5e20L, "1.5E20"}, {0.1L, "0.1"}, {123456.75L, "123456.75"}, {-2, "-2"},
    };
    for (const Written& w : written) {
        SCOPED_TRACE(w.text);
        ini.WriteFloat("F", "w", w.value);
        EXPECT_EQ(ini.ReadString("F", "w", ""), QString::fromUtf8(w.text));
        EXPECT_EQ(ini.ReadFloat("F", "w", def), w.value);
    }

    for (auto [text, expected] : {std::pair{"2", true}, {"-1", true}, {"0", false}, {"x", true}}) {
        SCOPED_TRACE(text);
        ini.WriteString("B", "b", QString::fromUtf8(text));
        EXPECT_EQ(ini.ReadBool("B", "b", true), expected);
    }
    ini.WriteString("B", "b", "x");
    EXPECT_FALSE(ini.ReadBool("B", "b", false)) << "a non-number gives the default";
    ini.WriteBool("B", "t", true);
    ini.WriteBool("B", "f", false);
    EXPECT_EQ(ini.ReadString("B", "t", ""), QStringLiteral("1"));
    EXPECT_EQ(ini.ReadString("B", "f", ""), QStringLiteral("0"));
}

TEST_F(ZelIni, Hexadecimal)
{
    TZelIniFile ini(QString{});
    ini.WriteHex("H", "a", 255);
    ini.WriteHex("H", "b", -1);
    EXPECT_EQ(ini.ReadString("H", "a", ""), QStringLiteral("000000FF"));
    EXPECT_EQ(ini.ReadString("H", "b", ""), QStringLiteral("FFFFFFFF"));
    EXPECT_EQ(ini.ReadHex("H", "a", 0), 255);
    EXPECT_EQ(ini.ReadHex("H", "b", 0), -1);
    EXPECT_EQ(ini.ReadHex("H", "missing", 0x1234), 0x1234);
    EXPECT_EQ(ini.ReadHex("H", "missing", -2), -2);
    ini.WriteString("H", "bad", "zz");
    try {
        ini.ReadHex("H", "bad", 0);
        FAIL() << "no conversion error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("'$zz' no es un valor entero válido"));
    }
}

TEST_F(ZelIni, EmptyNamesEraseOrFlush)
{
    {
        TZelIniFile ini(path("e.ini"));
        ini.WriteString("A", "x", "1");
        ini.WriteString("B", "y", "2");
        ini.WriteString("", "", ""); // only flushes
        EXPECT_FALSE(ini.Modified);
        EXPECT_EQ(get("e.ini"), QByteArray("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n\r\n"));
        ini.WriteString("A", "", "");
        EXPECT_FALSE(ini.SectionExists("A"));
        EXPECT_TRUE(ini.Modified);
    }
    EXPECT_EQ(get("e.ini"), QByteArray("[B]\r\ny=2\r\n\r\n"));
}

TEST_F(ZelIni, LinesAreCutTo255)
{
    TZelIniFile ini(QString{});
    const QString value(300, 'v');
    ini.WriteString("S", "name", value);
    const QString stored = ini.ReadString("S", "name", "");
    EXPECT_EQ(stored, value.left(250));
    EXPECT_EQ(ini.ReadString("S", "none", QString(300, 'd')).size(), 255) << "defaults are cut too";
}

// A value with a line break, or a section name too long for its header,
// used to break the file on the next load.
TEST_F(ZelIni, LineBreaksAndLongSectionNamesSurviveAReload)
{
    const QString longSection(300, 's');
    {
        TZelIniFile ini(path("b.ini"));
        ini.WriteString("S", "a", "uno\r\ndos\rtres\ncuatro");
        ini.WriteString("S", "b", "2");
        ini.WriteString("S", "c\nd", "3");
        ini.WriteString(longSection, "k", "v");
        ini.SetSectionLines("L", {"x=1\r\n[Falsa]", "y=2"});
    }
    TZelIniFile ini(path("b.ini"));
    EXPECT_EQ(ini.ReadString("S", "a", ""), QStringLiteral("uno dos tres cuatro"));
    EXPECT_EQ(ini.ReadString("S", "b", ""), QStringLiteral("2"));
    EXPECT_EQ(ini.ReadString("S", "c d", ""), QStringLiteral("3"));
    EXPECT_EQ(ini.ReadString(longSection, "k", ""), QStringLiteral("v"));
    EXPECT_FALSE(ini.SectionExists("Falsa"));
    QStringList sections;
    ini.ReadSections(sections);
    ASSERT_EQ(sections.size(), 3);
    EXPECT_EQ(sections[1].size(), 253);
    for (const QString& l : QString::fromLatin1(get("b.ini")).split(QStringLiteral("\r\n")))
        EXPECT_LE(l.size(), 255);
}

TEST_F(ZelIni, ModifiedOnlyOnRealChanges)
{
    put("m.ini", "[A]\r\nx=1\r\n");
    TZelIniFile ini(path("m.ini"));
    struct Step {
        const char* what;
        std::function<void()> run;
        bool modified;
    };
    const Step steps[] = {
        {"same value", [&] { ini.WriteString("a", "X", "1"); }, true}, // name case differs
        {"identical line", [&] { ini.WriteString("A", "X", "1"); }, false},
        {"missing key deleted", [&] { ini.DeleteKey("A", "nope"); }, false},
        {"missing section erased", [&] { ini.EraseSection("nope"); }, false},
        {"reads", [&] { ini.ReadString("nope", "x", ""); ini.ReadInteger("A", "X", 0); }, false},
        {"empty key stays", [&] { ini.SetKey(""); }, false},
        {"new key", [&] { ini.SetKey("k"); }, true},
        {"same key", [&] { ini.SetKey("k"); }, false},
        {"key deleted", [&] { ini.DeleteKey("A", "x"); }, true},
        {"section erased", [&] { ini.EraseSection("A"); }, true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        ini.Modified = false;
        s.run();
        EXPECT_EQ(ini.Modified, s.modified);
    }
    ini.Modified = false;
}

TEST_F(ZelIni, NumberedLists)
{
    put("l.ini", "[Hist]\r\nCant=5\r\notro=x\r\n1=a\r\n2=b\r\n3=c\r\n4=d\r\n5=e\r\n");
    TZelIniFile ini(path("l.ini"));
    QStringList list{"kept"};
    ini.ReadList("Hist", list, "?");
    EXPECT_EQ(list, (QStringList{"kept", "a", "b", "c", "d", "e"}));

    ini.WriteList("Hist", {"p", "q", "r"});
    EXPECT_TRUE(ini.Modified);
    QStringList values;
    ini.ReadSectionValues("Hist", values);
    EXPECT_EQ(values, (QStringList{"Cant=3", "otro=x", "1=p", "2=q", "3=r"}));

    ini.Modified = false;
    ini.WriteList("Hist", {"p", "q", "r"});
    EXPECT_FALSE(ini.Modified) << "writing the same list again changes nothing";
    ini.WriteList("Hist", {"p", "Q", "r"});
    EXPECT_TRUE(ini.Modified);

    ini.WriteList("Nueva", {});
    values.clear();
    ini.ReadSectionValues("Nueva", values);
    EXPECT_EQ(values, QStringList{"Cant=0"});

    // A missing item reads as the default; a count of 0 or less reads nothing.
    ini.SetSectionLines("Gap", {"Cant=3", "1=a", "3=c"});
    list.clear();
    ini.ReadList("Gap", list, "?");
    EXPECT_EQ(list, (QStringList{"a", "?", "c"}));
    ini.SetSectionLines("Neg", {"Cant=-4", "1=a"});
    list.clear();
    ini.ReadList("Neg", list, "?");
    EXPECT_TRUE(list.isEmpty());
    ini.Modified = false;
}

// A count of two thousand million used to run for ever and fill the memory.
TEST_F(ZelIni, CorruptCountIsCappedAtWhatTheSectionHolds)
{
    put("c.ini", "[Hist]\r\nCant=2000000000\r\n1=a\r\n2=b\r\n");
    TZelIniFile ini(path("c.ini"));
    QStringList list;
    ini.ReadList("Hist", list, "?");
    EXPECT_LE(list.size(), 3);
    EXPECT_EQ(list.mid(0, 2), (QStringList{"a", "b"}));

    ini.WriteList("Hist", {"x"});
    QStringList values;
    ini.ReadSectionValues("Hist", values);
    EXPECT_EQ(values, (QStringList{"Cant=1", "1=x"}));
    ini.Modified = false;
}

TEST_F(ZelIni, SetSectionLines)
{
    TZelIniFile ini(QString{});
    ini.SetSectionLines("S", {"a=1", "sin igual"});
    EXPECT_TRUE(ini.Modified);
    ini.Modified = false;
    ini.SetSectionLines("s", {"a=1", "sin igual"});
    EXPECT_FALSE(ini.Modified);
    ini.SetSectionLines("S", {"a=1", "Sin igual"});
    EXPECT_TRUE(ini.Modified);
    ini.Modified = false;
    ini.SetSectionLines("S", {"b=2"});
    EXPECT_TRUE(ini.Modified);
    QStringList values;
    ini.ReadSectionValues("S", values);
    EXPECT_EQ(values, QStringList{"b=2"});
}

TEST_F(ZelIni, ScramblingByHand)
{
    // Key "abc", image "0123456789": p starts at 10 mod 3 + 1 = 2; the masks
    // run 1,2,1,2,2,1,1,2,1,2 and the key bytes c,a,b,c,a,b,c,a,b,c.
    QByteArray image("0123456789");
    TZelIniFile::Scramble(image, "abc");
    EXPECT_EQ(image, QByteArray("RRQRWVTT[X"));
    TZelIniFile::Scramble(image, "abc");
    EXPECT_EQ(image, QByteArray("0123456789"));

    // Twelve zero bytes under a 12-byte key: p starts at 12 mod 12 + 1 = 1 and
    // byte j is shifted by j mod (j + 1) = j, of which only the low three bits
    // count: byte 8 takes the mask 1 and the key byte K[10] = 'J', byte 9 the
    // mask 2 and 'K'; byte 0 the mask 1 and 'B'.
    QByteArray twelve(12, '\0');
    TZelIniFile::Scramble(twelve, "ABCDEFGHIJKL");
    EXPECT_EQ(static_cast<unsigned char>(twelve[0]), 0x01u ^ 'B');
    EXPECT_EQ(static_cast<unsigned char>(twelve[8]), 0x01u ^ 'J');
    EXPECT_EQ(static_cast<unsigned char>(twelve[9]), 0x02u ^ 'K');

    QByteArray empty;
    TZelIniFile::Scramble(empty, "abc");
    EXPECT_TRUE(empty.isEmpty());
}

TEST_F(ZelIni, ScrambledFileRoundTrip)
{
    const QString key = QStringLiteral("Clave de prueba ñ");
    {
        TZelIniFile ini(path("u.def"), key);
        EXPECT_TRUE(ini.Scrambled());
        EXPECT_FALSE(ini.Modified) << "opening never leaves Modified set";
        ini.WriteString("Longitud", "metro", "1_m");
        ini.WriteFloat("Longitud", "pie", 0.3048L);
    }
    QByteArray plain("[Longitud]\r\nmetro=1_m\r\npie=0.3048\r\n\r\n");
    QByteArray bytes = get("u.def");
    EXPECT_NE(bytes, plain);
    TZelIniFile::Scramble(bytes, cp1252::encode(key));
    EXPECT_EQ(bytes, plain);

    TZelIniFile again(path("u.def"), key);
    EXPECT_EQ(again.ReadString("Longitud", "metro", ""), QStringLiteral("1_m"));
    EXPECT_EQ(again.ReadFloat("Longitud", "pie", 0), 0.3048L);

    // In a scrambled file Ctrl+Z does not end the text; a line of it alone
    // counts as empty.
    QByteArray withEof("[A]\r\n\x1A\r\nx=1\r\n");
    TZelIniFile::Scramble(withEof, cp1252::encode(key));
    put("eof.def", withEof);
    TZelIniFile eof(path("eof.def"), key);
    QStringList values;
    eof.ReadSectionValues("A", values);
    EXPECT_EQ(values, QStringList{"x=1"});

    TZelIniFile wrong(path("u.def"), QStringLiteral("otra"));
    EXPECT_EQ(wrong.ReadString("Longitud", "metro", "none"), QStringLiteral("none"));

    // An empty key makes it a plain file at the next write.
    again.SetKey(QString());
    EXPECT_TRUE(again.Modified);
    again.UpdateFile();
    EXPECT_EQ(get("u.def"), plain);
}

TEST_F(ZelIni, DestructorWritesAndLoadFromFileAppends)
{
    {
        TZelIniFile ini(path("one.ini"));
        ini.WriteString("A", "x", "1");
    }
    EXPECT_EQ(get("one.ini"), QByteArray("[A]\r\nx=1\r\n\r\n"));
    put("two.ini", "[B]\r\ny=2\r\n[a]\r\nz=3\r\n");
    TZelIniFile ini(path("one.ini"));
    ini.LoadFromFile(path("two.ini"));
    QStringList sections;
    ini.ReadSections(sections);
    EXPECT_EQ(sections, (QStringList{"A", "B"}));
    EXPECT_FALSE(ini.Modified);
    ini.LoadFromFile(path("none.ini")); // a missing file adds nothing
    EXPECT_EQ(ini.Sections().Count(), 2);
}

TEST_F(ZelIni, LookupsAcrossManySections)
{
    TZelIniFile ini(QString{});
    for (int s = 0; s < 20; ++s)
        for (int k = 0; k < 3; ++k)
            ini.WriteInteger(QStringLiteral("S%1").arg(s), QStringLiteral("k%1").arg(k), s * 10 + k);
    for (int s = 19; s >= 0; s -= 3)
        for (int k = 2; k >= 0; --k)
            EXPECT_EQ(ini.ReadInteger(QStringLiteral("s%1").arg(s), QStringLiteral("K%1").arg(k), -1), s * 10 + k);
    ini.EraseSection("S5");
    EXPECT_EQ(ini.ReadInteger("S19", "k0", -1), 190);
    EXPECT_EQ(ini.ReadInteger("S5", "k0", -1), -1);
    EXPECT_EQ(ini.Sections().Count(), 19);
    EXPECT_LT(ini.SectionCursor(), ini.Sections().Count());
}

// A file that exists but cannot be read: a clear message, defaults, and the
// file is never overwritten.
TEST_F(ZelIni, UnreadableFileIsReportedAndNeverOverwritten)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("bad.ini")); // exists, but is no file
    {
        TZelIniFile ini(path("bad.ini"));
        ASSERT_EQ(sink.boxes.size(), 1);
        EXPECT_TRUE(sink.boxes[0].text.startsWith(QStringLiteral("No se puede leer el archivo"))) << sink.boxes[0].text.toStdString();
        EXPECT_TRUE(sink.boxes[0].text.contains(QStringLiteral("valores por omisión")));
        EXPECT_EQ(sink.boxes[0].flags, mb::Ok | mb::IconWarning);
        EXPECT_FALSE(ini.LoadError().isEmpty());
        EXPECT_EQ(ini.ReadInteger("A", "x", 7), 7);
        ini.WriteInteger("A", "x", 1);
        try {
            ini.UpdateFile();
            FAIL() << "wrote over a file it could not read";
        } catch (const EInOutError& e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("no se pudo leer"))) << e.message().toStdString();
        }
        EXPECT_TRUE(ini.Modified);
    } // the destructor neither throws nor reports again
    EXPECT_EQ(sink.boxes.size(), 1);
    EXPECT_TRUE(QFileInfo(path("bad.ini")).isDir());
}

TEST_F(ZelIni, AFailedWriteIsReportedOnce)
{
    const QString where = path("no/such/folder/x.ini");
    {
        // Raised by UpdateFile; the destructor does not try the same contents again.
        TZelIniFile ini(where);
        ini.WriteString("A", "x", "1");
        EXPECT_THROW(ini.UpdateFile(), EInOutError);
        EXPECT_TRUE(ini.Modified) << "a later UpdateFile tries again";
        EXPECT_EQ(ini.ReadString("A", "x", ""), QStringLiteral("1"));
    }
    EXPECT_TRUE(sink.boxes.isEmpty());
    {
        // Changed after the failure: the destructor tries and reports it.
        TZelIniFile ini(where);
        ini.WriteString("A", "x", "1");
        EXPECT_THROW(ini.UpdateFile(), EInOutError);
        ini.WriteString("A", "y", "2");
    }
    {
        // Never written by its caller: the destructor writes and reports.
        TZelIniFile ini(where);
        ini.WriteString("A", "x", "1");
    }
    ASSERT_EQ(sink.boxes.size(), 2);
    EXPECT_EQ(sink.boxes[0].text, CannotWriteMessage(where));
    EXPECT_EQ(sink.boxes[0].flags, mb::Ok | mb::IconError);
}

TEST_F(ZelIni, AKillOrAFullDiskWhileSavingLosesNothing)
{
    put("s.ini", "[Calculos]\r\n0=1+1\r\n");
    struct Killed {};
    for (bool kill : {false, true}) {
        for (FileWriteStep step : {FileWriteStep::Create, FileWriteStep::Write, FileWriteStep::Rename}) {
            SCOPED_TRACE(testing::Message() << kill << int(step));
            bool dead = false;
            FileWriting().BeforeStep = [&](const QString&, FileWriteStep s) {
                if (dead)
                    return false; // nothing more reaches the disk
                if (s == step && kill) {
                    dead = true;
                    throw Killed{};
                }
                return s != step;
            };
            try {
                TZelIniFile ini(path("s.ini"));
                ini.WriteString("Calculos", "1", "2+2");
                ini.UpdateFile();
                ADD_FAILURE() << "the write went through";
            } catch (const Killed&) {
            } catch (const EInOutError&) {
            }
            FileWriting().reset();
            // The next start reads the old file whole, and cleans up.
            TZelIniFile again(path("s.ini"));
            EXPECT_EQ(again.ReadString("Calculos", "0", ""), QStringLiteral("1+1"));
            EXPECT_EQ(again.ReadString("Calculos", "1", "none"), QStringLiteral("none"));
            EXPECT_FALSE(QFileInfo::exists(path("s.ini.tmp")));
        }
    }
}

TEST_F(ZelIni, AUtf8MarkIsReadPast)
{
    put("s.ini", "\xEF\xBB\xBF[Memoria]\r\nM0=5\r\n");
    TZelIniFile ini(path("s.ini"));
    EXPECT_EQ(ini.ReadInteger("Memoria", "M0", 0), 5);
    EXPECT_FALSE(ini.Unrecognised());
}

TEST_F(ZelIni, AnUnrecognisedSettingsFileIsKeptAsABackup)
{
    Basicos().ExeFile = dir.path() + QStringLiteral("/Sumbrix");
    const QByteArray cases[] = {
        raw("\xFF\xFE[\0M\0e\0m\0]\0\r\0\n\0M\0\x30\0=\0\x35\0"), // UTF-16
        raw("\x7F" "ELF\x02\x01\x01\0\0\0binary"),
    };
    for (const QByteArray& bytes : cases) {
        sink.boxes.clear();
        QFile::remove(path("Sumbrix.ini.bak"));
        put("Sumbrix.ini", bytes);
        {
            TAppIniFile ini;
            EXPECT_EQ(ini.ReadInteger("Memoria", "M0", 7), 7);
            ini.WriteInteger("Opciones", "Ver", 280);
        }
        EXPECT_EQ(get("Sumbrix.ini.bak"), bytes);
        EXPECT_EQ(get("Sumbrix.ini"), QByteArray("[Opciones]\r\nVer=280\r\n\r\n"));
        ASSERT_EQ(sink.boxes.size(), 1);
        EXPECT_TRUE(sink.boxes[0].text.contains(QStringLiteral("no tiene un formato reconocible")));
        EXPECT_TRUE(sink.boxes[0].text.contains(QStringLiteral("Sumbrix.ini.bak")));
    }
    // An empty file is no damage.
    sink.boxes.clear();
    put("Sumbrix.ini", "");
    { TAppIniFile ini; }
    EXPECT_TRUE(sink.boxes.isEmpty());
}

TEST_F(ZelIni, ASettingsFifoDoesNotBlockTheStart)
{
    Basicos().ExeFile = dir.path() + QStringLiteral("/Sumbrix");
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("Sumbrix.ini")).constData(), 0600), 0);
    {
        TAppIniFile ini;
        EXPECT_FALSE(ini.LoadError().isEmpty());
        ini.WriteInteger("Opciones", "Ver", 280);
    }
    ASSERT_FALSE(sink.boxes.isEmpty());
    EXPECT_TRUE(sink.boxes[0].text.startsWith(QStringLiteral("No se puede leer el archivo")));
    EXPECT_FALSE(QFileInfo(path("Sumbrix.ini")).isFile()) << "the FIFO was replaced";
}

TEST_F(ZelIni, MemoryOnlyStoreNeverWrites)
{
    TZelIniFile ini(QString{});
    ini.WriteString("A", "x", "1");
    ini.UpdateFile();
    EXPECT_FALSE(ini.Modified);
    QStringList lines;
    ini.GetStrings(lines);
    EXPECT_EQ(lines, (QStringList{"[A]", "x=1", ""}));
}

TEST_F(ZelIni, AppIniFileIsNamedAfterTheProgram)
{
    Basicos().ExeFile = dir.path() + QStringLiteral("/Sumbrix");
    {
        TAppIniFile ini;
        EXPECT_EQ(ini.FileName(), path("Sumbrix.ini"));
        ini.WriteInteger("Opciones", "Ver", 284);
    }
    EXPECT_EQ(get("Sumbrix.ini"), QByteArray("[Opciones]\r\nVer=284\r\n\r\n"));
}

TEST_F(ZelIni, PlacementThroughTheEngine)
{
    FakeForm form;
    form.name = QStringLiteral("frmCalcu");
    form.l = 10;
    form.t = 20;
    form.w = 300;
    form.h = 200;
    form.s = TWindowState::Maximized;
    {
        TZelIniFile ini(path("p.ini"));
        ini.WriteFormPos(form);
    }
    EXPECT_EQ(get("p.ini"),
              QByteArray("[PosfrmCalcu]\r\nFirst=0\r\nShow=2\r\nTop=20\r\nLeft=10\r\nWidth=300\r\nHeight=200\r\n\r\n"));
    FakeForm other;
    other.name = QStringLiteral("frmCalcu");
    other.s = TWindowState::Normal;
    other.l = other.t = 0;
    TZelIniFile ini(path("p.ini"));
    EXPECT_FALSE(ini.ReadFormPos(other, TPosition::poDesktopCenter));
    EXPECT_EQ(other.l, 10);
    EXPECT_EQ(other.t, 20);
    EXPECT_EQ(other.s, TWindowState::Maximized);
}

} // namespace
