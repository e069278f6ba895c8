// tips.ini as the build wrote it beside the programs: the file the tips window
// reads, checked byte by byte and through the settings-file engine.
#include "foundation/core/cp1252.h"
#include "foundation/core/zelini.h"
#include "testsupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

namespace {

QString tipsPath() { return QStringLiteral(SUMBRIX_BIN_DIR "/tips.ini"); }

QByteArray tipsBytes()
{
    QFile f(tipsPath());
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QString tipSection(int k) { return QStringLiteral("TIP%1").arg(k, 2, 10, QLatin1Char('0')); }

TEST(TipsFile, IsWindows1252TextWithCrLfAndShortLines)
{
    const QByteArray bytes = tipsBytes();
    ASSERT_FALSE(bytes.isEmpty()) << "missing or empty: " << tipsPath().toStdString();
    ASSERT_TRUE(bytes.endsWith("\r\n"));
    qsizetype lineStart = 0;
    int lineNo = 1;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        SCOPED_TRACE(testing::Message() << "line " << lineNo << ", byte " << i);
        if (b == '\r') {
            ASSERT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "CR without LF";
            EXPECT_LE(i - lineStart, 255);
            lineStart = i + 2;
            ++lineNo;
            ++i;
            continue;
        }
        ASSERT_NE(b, '\n') << "LF without CR";
        EXPECT_FALSE(b < 0x20 || b == 0x7F) << "control byte " << int(b);
        // The five bytes Windows-1252 leaves without a character.
        EXPECT_FALSE(b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) << "byte " << int(b);
    }
    // Spanish written as UTF-8 and read as Windows-1252 shows as "Ã¡", "Ã±", "Â¿".
    const QString text = cp1252::decode(bytes);
    EXPECT_FALSE(text.contains(QChar(0xC3)) || text.contains(QChar(0xC2))) << "UTF-8 inside the file";
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("[áéíóúñ]")))) << "the accents were lost";
}

TEST(TipsFile, HoldsOnlyItsSectionsWithTheStartSwitchOn)
{
    TZelIniFile ini(tipsPath());
    ASSERT_TRUE(ini.LoadError().isEmpty());
    QStringList sections;
    ini.ReadSections(sections);
    ASSERT_FALSE(sections.isEmpty());
    const QRegularExpression tipName(QStringLiteral("^TIP\\d\\d$"));
    for (const QString& s : sections) {
        SCOPED_TRACE(s.toStdString());
        EXPECT_TRUE(s == QStringLiteral("OPC") || s == QStringLiteral("MAS") || tipName.match(s).hasMatch());
    }
    // The window writes "Usa" back as "1" or "0"; the file ships with "1".
    EXPECT_EQ(ini.ReadString(QStringLiteral("OPC"), QStringLiteral("Usa"), QString()), QStringLiteral("1"));
}

TEST(TipsFile, CountMatchesTheNumberedTipSections)
{
    TZelIniFile ini(tipsPath());
    const int n = ini.ReadInteger(QStringLiteral("OPC"), QStringLiteral("Cuenta"), -1);
    ASSERT_GE(n, 1);
    ASSERT_LE(n, 99);
    QStringList sections;
    ini.ReadSections(sections);
    int tips = 0;
    for (const QString& s : sections)
        tips += s.startsWith(QStringLiteral("TIP")) ? 1 : 0;
    EXPECT_EQ(tips, n);
    // TIP01 .. TIPnn, none missing: the window numbers them 1 to Cuenta.
    for (int k = 1; k <= n; ++k)
        EXPECT_TRUE(ini.SectionExists(tipSection(k))) << tipSection(k).toStdString();
}

TEST(TipsFile, EveryTipIsANumberedListOfNonEmptyLines)
{
    TZelIniFile ini(tipsPath());
    const int n = ini.ReadInteger(QStringLiteral("OPC"), QStringLiteral("Cuenta"), 0);
    ASSERT_GE(n, 1);
    for (int k = 1; k <= n; ++k) {
        const QString section = tipSection(k);
        SCOPED_TRACE(section.toStdString());
        const int cant = ini.ReadInteger(section, QStringLiteral("Cant"), 0);
        EXPECT_GE(cant, 1);
        // Only "Cant" and the items 1 .. Cant: nothing the list would not show.
        QStringList raw;
        ini.ReadSectionValues(section, raw);
        EXPECT_EQ(raw.size(), cant + 1);
        QStringList lines;
        ini.ReadList(section, lines, QStringLiteral("<missing>"));
        ASSERT_EQ(lines.size(), cant);
        for (const QString& line : lines) {
            EXPECT_NE(line, QStringLiteral("<missing>"));
            EXPECT_FALSE(line.trimmed().isEmpty());
            EXPECT_EQ(line, line.trimmed());
        }
    }
}

TEST(TipsFile, HelpEntriesNameExistingTips)
{
    TZelIniFile ini(tipsPath());
    const int n = ini.ReadInteger(QStringLiteral("OPC"), QStringLiteral("Cuenta"), 0);
    QStringList raw;
    ini.ReadSectionValues(QStringLiteral("MAS"), raw);
    QSet<QString> seen;
    for (const QString& line : raw) {
        SCOPED_TRACE(line.toStdString());
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        ASSERT_GT(eq, 0);
        const QString name = line.left(eq);
        bool ok = false;
        const int k = name.mid(3).toInt(&ok);
        EXPECT_TRUE(name.startsWith(QStringLiteral("TIP")) && name.size() == 5 && ok && k >= 1 && k <= n);
        EXPECT_TRUE(ini.SectionExists(name));
        EXPECT_FALSE(seen.contains(name)) << "named twice";
        seen.insert(name);
        int context = 0;
        EXPECT_TRUE(TryReadIniInteger(line.mid(eq + 1), context));
        EXPECT_GE(context, 1);
    }
}

} // namespace
