// The data-file generator, run as the build runs it: the files it writes and
// the sources it refuses.
#include "foundation/core/cp1252.h"
#include "foundation/core/zelini.h"
#include "testsupport.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct Outcome {
    int exitCode = -1;
    QString errors;
};

class Datagen : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString path(const QString& name) const { return dir.filePath(name); }

    // Writes a source as UTF-8 (the sources' encoding).
    QString source(const QString& name, const QByteArray& utf8) const
    {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(utf8);
        return f.fileName();
    }

    static Outcome run(const QStringList& args)
    {
        QProcess p;
        p.start(QStringLiteral(SUMBRIX_DATAGEN), args);
        Outcome r;
        if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
            return r;
        r.exitCode = p.exitCode();
        r.errors = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    static QByteArray bytesOf(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static QStringList contents(const QString& file, const QString& key)
    {
        TZelIniFile ini(file, key);
        QStringList all;
        ini.GetStrings(all);
        return all;
    }

    QTemporaryDir dir;
};

const QByteArray kUnits = "# Units for the test: comments and empty lines are not part of the file.\n"
                          "[Longitud]\n"
                          "Metro=1_m\n"
                          "\n"
                          "Pulgada=0.0254_pulg\n"
                          "[Área]\r\n"
                          "Año luz=9.4607E15\r\n"
                          "línea sin signo igual\r\n"
                          "# the last line has no line end\n"
                          "[Vacía]\n"
                          "[Ñandú]\n"
                          "a=b=c";

TEST_F(Datagen, PlainIniIsTheWrittenFormInWindows1252)
{
    const QString out = path(QStringLiteral("units.ini"));
    const Outcome r = run({QStringLiteral("ini"), source(QStringLiteral("units.txt"), kUnits), out});
    ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
    const QByteArray expected = cp1252::encode(QStringLiteral("[Longitud]\r\nMetro=1_m\r\nPulgada=0.0254_pulg\r\n\r\n"
                                                              "[Área]\r\nAño luz=9.4607E15\r\nlínea sin signo igual\r\n\r\n"
                                                              "[Ñandú]\r\na=b=c\r\n\r\n"));
    EXPECT_EQ(bytesOf(out), expected);
}

TEST_F(Datagen, ScrambledFileReadsBackOnlyWithItsKey)
{
    const QString src = source(QStringLiteral("units.txt"), kUnits);
    const QString plain = path(QStringLiteral("plain.def"));
    const QString scrambled = path(QStringLiteral("units.def"));
    // A key beyond ASCII: the generator must take it as the program will.
    const QString key = QStringLiteral("Clave de prueba: ñandú 2.84");
    ASSERT_EQ(run({QStringLiteral("ini"), src, plain}).exitCode, 0);
    const Outcome r = run({QStringLiteral("ini"), src, scrambled, QStringLiteral("--key"), key});
    ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();

    const QStringList expected = contents(plain, QString());
    ASSERT_EQ(expected.size(), 11);
    EXPECT_EQ(contents(scrambled, key), expected);

    // Byte for byte the plain image under the engine's transformation.
    QByteArray raw = bytesOf(scrambled);
    EXPECT_EQ(raw.size(), bytesOf(plain).size());
    for (const char* visible : {"[Longitud]", "Metro", "Pulgada", "\r\n"})
        EXPECT_FALSE(raw.contains(visible)) << visible;
    TZelIniFile::Scramble(raw, cp1252::encode(key));
    EXPECT_EQ(raw, bytesOf(plain));

    // Without the key, or with another, there is nothing to read.
    for (const QString& wrong : {QString(), QStringLiteral("Clave de prueba: nandu 2.84")}) {
        SCOPED_TRACE(wrong.toStdString());
        QStringList sections;
        TZelIniFile(scrambled, wrong).ReadSections(sections);
        EXPECT_FALSE(sections.contains(QStringLiteral("Longitud")));
    }
}

TEST_F(Datagen, TipsAreNumberedCountedAndGivenTheirHelp)
{
    QByteArray src = "# comment\n\nPrimer consejo, línea uno.\nLínea dos.\n\n\n";
    for (int k = 2; k <= 12; ++k)
        src += "Consejo " + QByteArray::number(k) + ".\n" + (k == 10 ? "@ayuda 7\n" : "") + "\n";
    const QString out = path(QStringLiteral("tips.ini"));
    const Outcome r = run({QStringLiteral("tips"), source(QStringLiteral("tips.txt"), src), out});
    ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();

    TZelIniFile ini(out);
    QStringList sections;
    ini.ReadSections(sections);
    ASSERT_EQ(sections.size(), 14);
    EXPECT_EQ(sections.front(), QStringLiteral("OPC"));
    EXPECT_EQ(sections[1], QStringLiteral("TIP01"));
    EXPECT_EQ(sections[12], QStringLiteral("TIP12"));
    EXPECT_EQ(sections.back(), QStringLiteral("MAS"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("OPC"), QStringLiteral("Usa"), QString()), QStringLiteral("1"));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("OPC"), QStringLiteral("Cuenta"), 0), 12);

    QStringList first;
    ini.ReadList(QStringLiteral("TIP01"), first, QString());
    EXPECT_EQ(first, QStringList({QStringLiteral("Primer consejo, línea uno."), QStringLiteral("Línea dos.")}));
    QStringList tenth;
    ini.ReadList(QStringLiteral("TIP10"), tenth, QString());
    EXPECT_EQ(tenth, QStringList({QStringLiteral("Consejo 10.")}));

    EXPECT_EQ(ini.ReadInteger(QStringLiteral("MAS"), QStringLiteral("TIP10"), 0), 7);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("MAS"), QStringLiteral("TIP09"), 0), 1);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("MAS"), QStringLiteral("TIP11"), 0), 1);
}

TEST_F(Datagen, LinesUpToTheLimitPass)
{
    struct Case {
        const char* kind;
        QByteArray source;
    };
    // 255 characters in the file: the line itself in an ini file, "NN=" and
    // the text in a tip.
    const Case cases[] = {
        {"ini", "[S]\nx=" + QByteArray(252, 'a') + "\xC3\xB1\n"},
        {"tips", QByteArray(251, 'a') + "\xC3\xB1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const QString out = path(QStringLiteral("out"));
        const Outcome r = run({QString::fromLatin1(c.kind), source(QStringLiteral("src.txt"), c.source), out});
        EXPECT_EQ(r.exitCode, 0) << r.errors.toStdString();
        EXPECT_TRUE(QFile::exists(out));
        QFile::remove(out);
    }
}

TEST_F(Datagen, RefusesWhatTheFileCannotHoldAndLeavesNoOutput)
{
    struct Case {
        const char* what;
        QStringList args; // after the source and the output
        const char* kind;
        QByteArray source;
        int exitCode;
    };
    const Case cases[] = {
        {"not in Windows-1252", {}, "ini", "[S]\nflecha=\xE2\x86\x92\n", 1},
        {"line over 255", {}, "ini", "[S]\nx=" + QByteArray(254, 'a') + "\n", 1},
        {"tab", {}, "ini", "[S]\nx=a\tb\n", 1},
        {"line before any section", {}, "ini", "x=1\n[S]\ny=2\n", 1},
        {"section twice", {}, "ini", "[Datos]\nx=1\n[DATOS]\ny=2\n", 1},
        {"no section", {}, "ini", "# nothing\n\n", 1},
        {"not UTF-8", {}, "ini", "[S]\nx=\xF1\n", 1},
        {"empty key", {QStringLiteral("--key"), QString()}, "ini", "[S]\nx=1\n", 1},
        {"key not in Windows-1252", {QStringLiteral("--key"), QStringLiteral("\u2192")}, "ini", "[S]\nx=1\n", 1},
        {"option other than --key", {QStringLiteral("--clave"), QStringLiteral("k")}, "ini", "[S]\nx=1\n", 2},
        {"tips: no tip", {}, "tips", "# only a comment\n\n", 1},
        {"tips: line over 252", {}, "tips", QByteArray(253, 'a') + "\n", 1},
        {"tips: trailing blank", {}, "tips", "Consejo \n", 1},
        {"tips: help context 0", {}, "tips", "Consejo\n@ayuda 0\n", 1},
        {"tips: help context not a number", {}, "tips", "Consejo\n@ayuda uno\n", 1},
        {"tips: help without a tip", {}, "tips", "@ayuda 3\n\nConsejo\n", 1},
        {"tips: 100 tips", {}, "tips", QByteArray("Consejo.\n\n").repeated(100), 1},
        {"unknown kind", {}, "units", "[S]\nx=1\n", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // A file left by an earlier build must not survive a failed one.
        const QString out = path(QStringLiteral("out"));
        {
            QFile stale(out);
            ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
            stale.write("[Old]\r\nx=1\r\n");
        }
        QStringList args = {QString::fromLatin1(c.kind), source(QStringLiteral("src.txt"), c.source), out};
        args += c.args;
        const Outcome r = run(args);
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_FALSE(r.errors.isEmpty());
        if (c.exitCode == 1) {
            EXPECT_FALSE(QFile::exists(out));
        }
        QFile::remove(out);
    }
}

} // namespace
