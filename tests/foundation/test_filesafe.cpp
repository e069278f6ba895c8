#include "foundation/core/filesafe.h"

#include "foundation/core/zelini.h"
#include "support/fixtures.h"

#include <QFileInfo>

#include <sys/stat.h>

namespace {

// A write stopped on the spot, as a killed process would stop it.
struct Killed {};

class FileSafe : public CoreExeDirTest {
protected:

    // Makes `step` fail (a full disk) or stop the write there (a kill).
    void failAt(FileWriteStep step, bool kill)
    {
        FileWriting().BeforeStep = [step, kill](const QString&, FileWriteStep s) {
            if (s == step && kill)
                throw Killed{};
            return s != step;
        };
    }
};

TEST_F(FileSafe, AWriteReplacesTheFileWhole)
{
    put("a.ini", "old");
    WriteWholeFile(path("a.ini"), "new contents");
    EXPECT_EQ(get("a.ini"), QByteArray("new contents"));
    EXPECT_FALSE(QFileInfo::exists(TempFileOf(path("a.ini"))));
}

TEST_F(FileSafe, AFailedStepLeavesTheOldFileAndNoTemporary)
{
    for (FileWriteStep step : {FileWriteStep::Create, FileWriteStep::Write, FileWriteStep::Rename}) {
        SCOPED_TRACE(int(step));
        put("a.ini", "old");
        failAt(step, false);
        EXPECT_THROW(WriteWholeFile(path("a.ini"), "new"), EInOutError);
        EXPECT_EQ(get("a.ini"), QByteArray("old"));
        EXPECT_FALSE(QFileInfo::exists(TempFileOf(path("a.ini"))));
    }
}

TEST_F(FileSafe, AKilledWriteIsSettledAtTheNextRead)
{
    // Killed before the rename: the old file stands, the temporary goes.
    put("a.ini", "old");
    failAt(FileWriteStep::Rename, true);
    EXPECT_THROW(WriteWholeFile(path("a.ini"), "new"), Killed);
    FileWriting().reset();
    EXPECT_TRUE(QFileInfo::exists(TempFileOf(path("a.ini"))));
    QByteArray bytes;
    ASSERT_TRUE(ReadWholeFile(path("a.ini"), bytes));
    EXPECT_EQ(bytes, QByteArray("old"));
    EXPECT_FALSE(QFileInfo::exists(TempFileOf(path("a.ini"))));

    // A whole temporary without its file (the old one was gone) becomes it.
    put("b.ini.tmp", "complete");
    ASSERT_TRUE(ReadWholeFile(path("b.ini"), bytes));
    EXPECT_EQ(bytes, QByteArray("complete"));
    EXPECT_FALSE(QFileInfo::exists(path("b.ini.tmp")));
}

TEST_F(FileSafe, AWriteKeepsTheFilePermissions)
{
    put("a.ini", "old");
    QFile::setPermissions(path("a.ini"), QFile::ReadOwner | QFile::WriteOwner);
    WriteWholeFile(path("a.ini"), "new");
    EXPECT_EQ(QFileInfo(path("a.ini")).permissions() & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions{});
}

TEST_F(FileSafe, OnlyRegularFilesAreRead)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.ini")).constData(), 0600), 0);
    QByteArray bytes;
    QStringList lines;
    // Opening a FIFO for reading would wait for a writer forever.
    EXPECT_THROW(ReadWholeFile(path("fifo.ini"), bytes), EInOutError);
    EXPECT_THROW(ReadFirstLines(path("fifo.ini"), 10, lines), EInOutError);
    EXPECT_THROW(WriteWholeFile(path("fifo.ini"), "x"), EInOutError);
    EXPECT_FALSE(ReadWholeFile(path("missing.ini"), bytes));
}

TEST_F(FileSafe, FirstLinesSplitAtEveryLineEnd)
{
    struct Case {
        QByteArray bytes;
        int max;
        QStringList lines;
    } cases[] = {
        {"a\r\nb\rc\nd", 10, {"a", "b", "c", "d"}},
        {"a\r\n\r\nb\r\n", 10, {"a", "", "b"}},
        {"a\r\nb\r\nc\r\n", 2, {"a", "b"}},
        {"", 10, {}},
        {"\xe9", 1, {QStringLiteral("é")}},
    };
    for (const Case& c : cases) {
        put("h.lst", c.bytes);
        QStringList lines;
        ASSERT_TRUE(ReadFirstLines(path("h.lst"), c.max, lines));
        EXPECT_EQ(lines, c.lines) << c.bytes.toStdString();
    }
}

TEST_F(FileSafe, FirstLinesOfAHugeFileAcrossBlocks)
{
    // CR LF pairs fall across the read blocks; only the lines asked for are kept.
    QByteArray big;
    for (int i = 0; big.size() < (3 << 16); ++i)
        big += QByteArray(i % 7 == 0 ? 65535 - (big.size() % 65536) : 10, 'x') + "\r\n";
    put("h.lst", big);
    QStringList all;
    ASSERT_TRUE(ReadFirstLines(path("h.lst"), 1 << 20, all));
    QStringList expected = QString::fromLatin1(big).split(QStringLiteral("\r\n"));
    expected.removeLast();
    EXPECT_EQ(all, expected);
    QStringList three;
    ASSERT_TRUE(ReadFirstLines(path("h.lst"), 3, three));
    EXPECT_EQ(three, expected.mid(0, 3));
}

TEST_F(FileSafe, BackupsNeverOverwriteEachOther)
{
    put("a.ini", "one");
    EXPECT_EQ(MoveAsideAsBackup(path("a.ini")), path("a.ini.bak"));
    put("a.ini", "two");
    EXPECT_EQ(MoveAsideAsBackup(path("a.ini")), path("a.ini.bak2"));
    EXPECT_EQ(get("a.ini.bak"), QByteArray("one"));
    EXPECT_EQ(get("a.ini.bak2"), QByteArray("two"));
    EXPECT_TRUE(MoveAsideAsBackup(path("missing.ini")).isEmpty());
}

} // namespace
