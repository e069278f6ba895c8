#include "platform/profile.h"

#include "foundation/core/zelini.h"
#include "support/fixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <functional>

namespace {

class Profile : public ExeDirTest {};

TEST_F(Profile, WritesOneValueInPlace)
{
    put("real.duf", "; notas\r\n[Constantes]\r\ng=9.81_Gravedad\r\nc=3e8_Luz\r\n\r\n[Funciones]\n"
                    "f=?A^2_Cuadrado\r\n");
    const QString f = path("real.duf");
    EXPECT_TRUE(ProfileWriteString(f, "CONSTANTES", "G", "9.8_Gravedad"));
    EXPECT_EQ(get("real.duf"), QByteArray("; notas\r\n[Constantes]\r\nG=9.8_Gravedad\r\nc=3e8_Luz\r\n\r\n"
                                          "[Funciones]\r\nf=?A^2_Cuadrado\r\n"));
    EXPECT_TRUE(ProfileWriteString(f, "Constantes", "h", "6.6e-34_Planck"));
    EXPECT_TRUE(ProfileWriteString(f, "Expresiones", "e", "1+1_Dos"));
    EXPECT_EQ(get("real.duf"), QByteArray("; notas\r\n[Constantes]\r\nG=9.8_Gravedad\r\nc=3e8_Luz\r\nh=6.6e-34_Planck\r\n"
                                          "\r\n[Funciones]\r\nf=?A^2_Cuadrado\r\n\r\n[Expresiones]\r\ne=1+1_Dos\r\n"));
    EXPECT_EQ(ProfileReadString(f, "constantes", "H", "-"), QStringLiteral("6.6e-34_Planck"));
    EXPECT_EQ(ProfileReadString(f, "constantes", "x", "-"), QStringLiteral("-"));
    EXPECT_EQ(ProfileReadSection(f, "Constantes"), (QStringList{"G", "c", "h"}));
    EXPECT_EQ(ProfileReadSections(f), (QStringList{"Constantes", "Funciones", "Expresiones"}));
    EXPECT_EQ(ProfileReadSectionValues(f, "Funciones"), QStringList{"f=?A^2_Cuadrado"});

    EXPECT_TRUE(ProfileDeleteKey(f, "Constantes", "c"));
    EXPECT_TRUE(ProfileEraseSection(f, "funciones"));
    EXPECT_EQ(get("real.duf"), QByteArray("; notas\r\n[Constantes]\r\nG=9.8_Gravedad\r\nh=6.6e-34_Planck\r\n\r\n"
                                          "[Expresiones]\r\ne=1+1_Dos\r\n"));
}

// Removing what is not there changes nothing: the file keeps its bytes (its
// LF line ends included) and a missing file is not created.
TEST_F(Profile, RemovingWhatIsNotThereWritesNothing)
{
    const QByteArray original("[A]\nx=1\n[B]\n");
    struct Case {
        const char* what;
        const char* file;
        std::function<bool(const QString&)> remove;
    };
    const Case cases[] = {
        {"a name the section lacks", "a.ini", [](const QString& f) { return ProfileDeleteKey(f, "A", "y"); }},
        {"a name of a missing section", "b.ini", [](const QString& f) { return ProfileDeleteKey(f, "C", "x"); }},
        {"a missing section", "c.ini", [](const QString& f) { return ProfileEraseSection(f, "C"); }},
        {"a line without a name", "d.ini", [](const QString& f) { return ProfileDeleteKey(f, "B", ""); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        put(c.file, original);
        EXPECT_TRUE(c.remove(path(c.file)));
        EXPECT_EQ(get(c.file), original);
        EXPECT_TRUE(c.remove(path("none.ini")));
        EXPECT_FALSE(QFileInfo::exists(path("none.ini")));
    }
    EXPECT_TRUE(TIniFile(path("a.ini")).SectionExists("b")) << "a section without lines is there";
    EXPECT_FALSE(TIniFile(path("a.ini")).SectionExists("C"));
    EXPECT_FALSE(TIniFile(path("none.ini")).SectionExists("A"));
}

TEST_F(Profile, NewFileAndSpanishText)
{
    const QString f = path("quim.ini");
    EXPECT_TRUE(ProfileWriteString(f, "MASAS", "Ñ", "año\r\nnuevo"));
    EXPECT_EQ(get("quim.ini"), QByteArray("[MASAS]\r\n\xD1=a\xF1o nuevo\r\n"));
    EXPECT_EQ(ProfileReadString(f, "masas", "ñ", ""), QStringLiteral("año nuevo"));
    EXPECT_EQ(ProfileReadString(path("none.ini"), "a", "b", "def"), QStringLiteral("def"));
}

TEST_F(Profile, TheEngineReadsWhatTheProfileWrote)
{
    const QString f = path("real.duf");
    TIniFile ini(f);
    ini.EraseSection("Funciones");
    ini.WriteString("Funciones", "sq", "?A^2_Cuadrado");
    ini.WriteString("Funciones", "cube", "?A^3_Cubo");
    ini.WriteInteger("Otros", "n", -3);
    ini.WriteBool("Otros", "b", true);
    TZelIniFile engine(f);
    QStringList names;
    engine.ReadSection("Funciones", names);
    EXPECT_EQ(names, (QStringList{"sq", "cube"}));
    EXPECT_EQ(engine.ReadString("Funciones", "cube", ""), QStringLiteral("?A^3_Cubo"));
    EXPECT_EQ(engine.ReadInteger("Otros", "n", 0), -3);
    EXPECT_TRUE(engine.ReadBool("Otros", "b", false));

    engine.WriteString("Otros", "x", "0x10");
    engine.UpdateFile();
    EXPECT_EQ(ini.ReadInteger("Otros", "x", 0), 16);
    EXPECT_EQ(ini.ReadInteger("Otros", "none", 5), 5);
    EXPECT_TRUE(ini.SectionExists("otros"));
    EXPECT_TRUE(ini.ValueExists("Otros", "X"));
    EXPECT_FALSE(ini.ValueExists("Otros", "y"));
}

TEST_F(Profile, UnreadableFileIsNeverWritten)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("bad.ini"));
    TIniFile ini(path("bad.ini"));
    ini.WriteString("A", "x", "1");
    EXPECT_FALSE(ini.LastWriteOk());
    EXPECT_TRUE(QFileInfo(path("bad.ini")).isDir());
    EXPECT_EQ(ini.ReadString("A", "x", "d"), QStringLiteral("d"));

    TIniFile nowhere(path("no/such/folder/x.ini"));
    nowhere.WriteString("A", "x", "1"); // fails silently
    EXPECT_FALSE(nowhere.LastWriteOk());
}

} // namespace
