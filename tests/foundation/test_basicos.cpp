#include "foundation/core/basicos.h"
#include "support/fixtures.h"
#include "support/recordingsink.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <random>
#include <vector>

namespace {

class BasicosRoutines : public CoreExeDirTest {};

TEST_F(BasicosRoutines, NameAndValueParts)
{
    struct Case {
        const char* s;
        const char* name;
        const char* value;
        const char* nameOrAll;
        const char* valueOrAll;
    };
    const Case cases[] = {
        {"abc", "", "abc", "abc", "abc"},
        {"a=b", "a", "b", "a", "b"},
        {"=b", "", "b", "=b", "b"},
        {"a=", "a", "", "a", "a="},
        {"a=b=c", "a", "b=c", "a", "b=c"},
        {"=", "", "", "=", "="},
        {"", "", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.s);
        const QString s = QString::fromUtf8(c.s);
        EXPECT_EQ(NamePart(s), QString::fromUtf8(c.name));
        EXPECT_EQ(ValuePart(s), QString::fromUtf8(c.value));
        EXPECT_EQ(NameOrAll(s), QString::fromUtf8(c.nameOrAll));
        EXPECT_EQ(ValueOrAll(s), QString::fromUtf8(c.valueOrAll));
    }
}

TEST_F(BasicosRoutines, LeftAndRightChars)
{
    struct Case {
        int n;
        const char* left;
        const char* right;
    };
    const Case cases[] = {
        {-2, "abcd", "cdef"}, {2, "ab", "ef"}, {0, "", ""}, {6, "abcdef", "abcdef"},
        {9, "abcdef", "abcdef"}, {-6, "", ""}, {-9, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        EXPECT_EQ(LeftChars(QStringLiteral("abcdef"), c.n), QString::fromUtf8(c.left));
        EXPECT_EQ(RightChars(QStringLiteral("abcdef"), c.n), QString::fromUtf8(c.right));
    }
}

TEST_F(BasicosRoutines, PosFromCountsFromOneAndFromZeroAlike)
{
    struct Case {
        int from;
        const char* sub;
        const char* s;
        int pos;
    };
    const Case cases[] = {
        {0, "b", "abab", 2}, {1, "b", "abab", 2}, {2, "b", "abab", 2}, {3, "b", "abab", 4},
        {5, "b", "abab", 0}, {1, "x", "abab", 0}, {1, "", "abab", 0},  {-3, "ab", "abab", 1},
        {2, "ab", "abab", 3}, {100, "a", "abab", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from);
        EXPECT_EQ(PosFrom(c.from, QString::fromUtf8(c.sub), QString::fromUtf8(c.s)), c.pos);
    }
}

TEST_F(BasicosRoutines, ReplaceAllDoesNotSearchWhatItInserted)
{
    QString s = QStringLiteral("2**3+4**5");
    EXPECT_EQ(ReplaceAll(QStringLiteral("**"), QStringLiteral("^"), s), 2);
    EXPECT_EQ(s, QStringLiteral("2^3+4^5"));

    QString t = QStringLiteral("aa");
    EXPECT_EQ(ReplaceAll(QStringLiteral("a"), QStringLiteral("aa"), t), 2);
    EXPECT_EQ(t, QStringLiteral("aaaa"));

    QString u = QStringLiteral("abc");
    EXPECT_EQ(ReplaceAll(QString(), QStringLiteral("x"), u), 0) << "an empty search text must not loop";
    EXPECT_EQ(u, QStringLiteral("abc"));
}

TEST_F(BasicosRoutines, SplitByCharKeepsEveryField)
{
    struct Case {
        const char* s;
        QStringList parts;
    };
    const Case cases[] = {
        {"a,b", {"a", "b"}},
        {"a,,b", {"a", "", "b"}},
        {"a,", {"a", ""}},
        {",a", {"", "a"}},
        {"", {""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.s);
        QStringList parts{"stale"};
        SplitByChar(QString::fromUtf8(c.s), ',', parts);
        EXPECT_EQ(parts, c.parts);
    }
}

TEST_F(BasicosRoutines, SmallTextRoutines)
{
    EXPECT_EQ(RepeatChar('*', 3), QStringLiteral("***"));
    EXPECT_EQ(RepeatChar('*', 0), QString());
    EXPECT_EQ(StripAmpersands(QStringLiteral("&Archivo && más")), QStringLiteral("Archivo  más"));
    EXPECT_EQ(RemoveChar(QStringLiteral("1 000 000"), ' '), QStringLiteral("1000000"));
}

TEST_F(BasicosRoutines, LowerCharEsKnowsTheSpanishCapitalsButNotEnye)
{
    struct Case {
        char16_t in, out;
    };
    const Case cases[] = {
        {u'A', u'a'}, {u'Z', u'z'}, {u'É', u'é'}, {u'Á', u'á'}, {u'Í', u'í'}, {u'Ó', u'ó'},
        {u'Ú', u'ú'}, {u'Ü', u'ü'}, {u'Ñ', u'Ñ'}, {u'À', u'À'}, {u'a', u'a'}, {u'1', u'1'},
        {u'[', u'['}, {u'@', u'@'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.in));
        EXPECT_EQ(LowerCharEs(QChar(c.in)).unicode(), c.out);
    }
}

TEST_F(BasicosRoutines, UnscramblingRoutines)
{
    const QString key = QStringLiteral("AB");
    // Worked by hand from the routines' definitions.
    EXPECT_EQ(XorUnscramble(QStringLiteral("xyz"), key), QStringLiteral(":88"));
    EXPECT_EQ(XorUnscrambleCycled(QStringLiteral("xyz"), key), QStringLiteral("=??"));
    EXPECT_EQ(XorUnscrambleTwice(QStringLiteral("xyz"), key), QStringLiteral("989"));
    // A control character or an apostrophe keeps the stored character
    // ('L' xor 'K' = 7, 'l' xor 'K' = 39); in the twice routine the stored
    // character after its first pass ('A' xor 5 = 'D').
    EXPECT_EQ(XorUnscramble(QStringLiteral("aLlk"), QStringLiteral("K")), QStringLiteral("*Ll "));
    EXPECT_EQ(XorUnscrambleTwice(QStringLiteral("Ayz"), key), QStringLiteral("D89"));
    // Empty texts and keys give no division by zero.
    EXPECT_EQ(XorUnscrambleCycled(QString(), key), QString());
    EXPECT_EQ(XorUnscrambleTwice(QString(), key), QString());
    EXPECT_EQ(XorUnscramble(QStringLiteral("abc"), QString()), QStringLiteral("abc"));
    EXPECT_EQ(XorUnscrambleCycled(QStringLiteral("abc"), QString()), QStringLiteral("abc"));
}

// ---------------------------------------------------------------------------

struct SortLog {
    std::vector<int> items;
    QStringList calls;
    int compare(int i, int j)
    {
        EXPECT_GE(i, 0);
        EXPECT_LT(i, int(items.size()));
        EXPECT_GE(j, 0);
        EXPECT_LT(j, int(items.size()));
        calls.append(QStringLiteral("c%1%2").arg(i).arg(j));
        return (items[i] > items[j]) - (items[i] < items[j]);
    }
    void swap(int i, int j)
    {
        calls.append(QStringLiteral("s%1%2").arg(i).arg(j));
        std::swap(items[i], items[j]);
    }
    void sort(int lo, int hi)
    {
        QuickSortIndexed(
            lo, hi, [this](int i, int j) { return compare(i, j); }, [this](int i, int j) { swap(i, j); });
    }
};

TEST_F(BasicosRoutines, QuickSortIndexedPivotFollowsTheSwappedItem)
{
    // Traced by hand: after the first swap the pivot (the 2 at position 1)
    // moves to position 3, and the next comparisons are made against it there.
    SortLog s{{0, 2, 3, 1}, {}};
    s.sort(0, 3);
    EXPECT_EQ(s.items, (std::vector<int>{0, 1, 2, 3}));
    const QStringList expected{"c01", "c11", "c31", "s13", "c23", "c23", "c13", "c00", "c10",
                               "c00", "s00", "c22", "c32", "s23"};
    EXPECT_EQ(s.calls, expected);
}

TEST_F(BasicosRoutines, QuickSortIndexedSortsAnyOrder)
{
    std::mt19937 gen(7);
    for (int n : {1, 2, 3, 10, 257}) {
        for (int round = 0; round < 5; ++round) {
            SCOPED_TRACE(n);
            SortLog s;
            std::uniform_int_distribution<int> d(0, n / 2);
            for (int i = 0; i < n; ++i)
                s.items.push_back(d(gen));
            std::vector<int> expected = s.items;
            std::sort(expected.begin(), expected.end());
            s.sort(0, n - 1);
            EXPECT_EQ(s.items, expected);
        }
    }
}

TEST_F(BasicosRoutines, QuickSortIndexedOnOneOrNoPosition)
{
    SortLog one{{5, 4, 3}, {}};
    one.sort(1, 1);
    for (const QString& c : one.calls) {
        if (c.startsWith('s')) {
            EXPECT_EQ(c, QStringLiteral("s11"));
        }
    }

    SortLog none{{5, 4, 3}, {}};
    none.sort(2, 1); // a range that holds nothing reads nothing
    EXPECT_TRUE(none.calls.isEmpty());
}

TEST_F(BasicosRoutines, QuickSortIndexedEndsInsideTheRangeWithAFaultyComparison)
{
    for (int answer : {-1, 1}) {
        SCOPED_TRACE(answer);
        int calls = 0;
        std::vector<int> v{3, 1, 2, 5};
        QuickSortIndexed(
            0, 3,
            [&](int i, int j) {
                EXPECT_TRUE(i >= 0 && i <= 3 && j >= 0 && j <= 3) << i << " " << j;
                ++calls;
                return answer; // everything is smaller (larger) than everything
            },
            [&](int i, int j) {
                EXPECT_TRUE(i >= 0 && i <= 3 && j >= 0 && j <= 3);
                std::swap(v[i], v[j]);
            });
        EXPECT_GT(calls, 0);
    }
}

// ---------------------------------------------------------------------------

TEST_F(BasicosRoutines, StopwatchCountsAcrossTheWrapAround)
{
    std::uint32_t now = 0xFFFFFFF0u;
    ::Basicos().TickSource = [&] { return now; };
    EXPECT_EQ(ElapsedTicks(false), 0u) << "no mark yet";
    EXPECT_EQ(ElapsedTicks(true), 0u);
    now += 0x20; // wraps past zero
    EXPECT_EQ(ElapsedTicks(false), 0x20u);
    EXPECT_EQ(ElapsedTicks(true), 0x20u);
    now += 5;
    EXPECT_EQ(ElapsedTicks(false), 5u);
}

TEST_F(BasicosRoutines, MessageBoxesCarryTheApplicationTitle)
{
    RecordingSink sink;
    ::Basicos().Messages = &sink;
    ::Basicos().ApplicationTitle = QStringLiteral("Sumbrix 2.84");
    sink.answer = idNo;
    EXPECT_EQ(MsgBoxApp(QStringLiteral("¿Cancela este proceso?"), mb::YesNo | mb::IconQuestion), idNo);
    EXPECT_EQ(ShowMsgApp(QStringLiteral("Hola")), idNo);
    EXPECT_EQ(MsgBox(QStringLiteral("x"), QStringLiteral("Funciones"), mb::OkCancel), idNo);
    EXPECT_THROW(ErrorAndAbort(QStringLiteral("Matriz singular")), EAbort);
    ASSERT_EQ(sink.boxes.size(), 4);
    EXPECT_EQ(sink.boxes[0].caption, QStringLiteral("Sumbrix 2.84"));
    EXPECT_EQ(sink.boxes[0].flags, mb::YesNo | mb::IconQuestion);
    EXPECT_EQ(sink.boxes[1].flags, mb::Ok);
    EXPECT_EQ(sink.boxes[2].caption, QStringLiteral("Funciones"));
    EXPECT_EQ(sink.boxes[3].text, QStringLiteral("Matriz singular"));
    EXPECT_EQ(sink.boxes[3].flags, mb::Ok | mb::IconError);
    EXPECT_EQ(sink.boxes[3].caption, QStringLiteral("Sumbrix 2.84"));
}

TEST_F(BasicosRoutines, WithoutASinkTheDefaultButtonAnswers)
{
    struct Case {
        unsigned flags;
        int result;
    };
    const Case cases[] = {
        {mb::Ok, idOk},
        {mb::OkCancel, idOk},
        {mb::YesNo, idYes},
        {mb::YesNo | mb::DefButton2, idNo},
        {mb::YesNoCancel | mb::DefButton3, idCancel},
        {mb::RetryCancel | mb::DefButton2, idCancel},
        {mb::AbortRetryIgnore | mb::DefButton2, idRetry},
        {mb::Ok | mb::DefButton3, idOk},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_EQ(MsgBoxApp(QStringLiteral("?"), c.flags), c.result);
    }
}

TEST_F(BasicosRoutines, ExeDirAndTheSettingsFile)
{
    EXPECT_EQ(ExeDir(), dir.path() + '/');
    ::Basicos().ExeFile = QStringLiteral("/opt/x/Sumbrix");
    EXPECT_EQ(SettingsFileName(), dir.path() + QStringLiteral("/Sumbrix.ini"));
    ::Basicos().reset();
    EXPECT_TRUE(ExeDir().endsWith('/'));
    EXPECT_EQ(ExeDir(), QCoreApplication::applicationDirPath() + '/');
}

TEST_F(BasicosRoutines, FindFilesMaskByMask)
{
    const QString base = dir.path() + '/';
    auto touch = [](const QString& p) {
        QFile f(p);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    };
    QDir(base).mkpath(QStringLiteral("sub/deeper"));
    touch(base + "b.fcm");
    touch(base + "a.fcm");
    touch(base + "z.txt");
    touch(base + ".hidden.fcm");
    touch(base + "sub/c.fcm");
    touch(base + "sub/deeper/d.fcm");

    auto paths = [](const QList<TFoundFile>& l) {
        QStringList r;
        for (const TFoundFile& f : l)
            r.append(f.Path);
        return r;
    };
    EXPECT_EQ(paths(FindFiles(base, QStringLiteral("*.fcm"), faAnyFile & ~faHidden, false)),
              (QStringList{base + "a.fcm", base + "b.fcm"}));
    EXPECT_EQ(paths(FindFiles(base, QStringLiteral("*.txt,*.fcm"), faArchive, false)),
              (QStringList{base + "z.txt", base + "a.fcm", base + "b.fcm"}));
    EXPECT_EQ(paths(FindFiles(dir.path(), QStringLiteral("*.fcm"), faArchive, true)),
              (QStringList{base + "a.fcm", base + "b.fcm", base + "sub/c.fcm", base + "sub/deeper/d.fcm"}));
    EXPECT_TRUE(paths(FindFiles(base, QStringLiteral("*.fcm"), faAnyFile, false)).contains(base + ".hidden.fcm"));
    EXPECT_TRUE(FindFiles(base + "missing/", QStringLiteral("*.fcm"), faAnyFile, true).isEmpty());
    EXPECT_TRUE(FindFiles(base, QStringLiteral("*.nada"), faAnyFile, false).isEmpty());
    const QList<TFoundFile> one = FindFiles(base, QStringLiteral("a.fcm"), faArchive, false);
    ASSERT_EQ(one.size(), 1);
    EXPECT_FALSE(one[0].Attributes & faDirectory);
    EXPECT_TRUE(one[0].Attributes & faArchive);
}

TEST_F(BasicosRoutines, MailToText)
{
    struct Case {
        const char* address;
        const char* subject;
        const char* body;
        const char* text;
    };
    const Case cases[] = {
        {" yo@ejemplo.es ", "", "", "mailto:yo@ejemplo.es"},
        {"yo@ejemplo.es", " Sumbrix ", "", "mailto:yo@ejemplo.es?Subject=Sumbrix"},
        {"yo@ejemplo.es", "Sumbrix", " Hola ", "mailto:yo@ejemplo.es?Subject=Sumbrix&Body=Hola"},
        {"yo@ejemplo.es", "", "Hola", "mailto:yo@ejemplo.es&Body=Hola"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(MailToText(QString::fromUtf8(c.address), QString::fromUtf8(c.subject), QString::fromUtf8(c.body)),
                  QString::fromUtf8(c.text));
    }
}

TEST_F(BasicosRoutines, WorkAreaRules)
{
    struct Case {
        const char* what;
        TRect strip;
        TRect area;
    };
    const Case cases[] = {
        {"no strip", {0, 0, 0, 0}, {0, 0, 1280, 1024}},
        {"bottom", {0, 984, 1280, 1024}, {0, 0, 1280, 984}},
        {"bottom, wider than the screen", {-2, 984, 1282, 1026}, {0, 0, 1280, 984}},
        {"top", {0, 0, 1280, 30}, {0, 30, 1280, 1024}},
        {"top, outside the screen edge", {-2, -2, 1282, 30}, {0, 30, 1280, 1024}},
        {"right", {1200, 0, 1280, 1024}, {0, 0, 1200, 1024}},
        {"left", {0, 0, 60, 1024}, {60, 0, 1280, 1024}},
        {"left, outside the screen edges", {-2, -2, 60, 1026}, {60, 0, 1280, 1024}},
        {"right, outside the screen edges", {1200, -2, 1282, 1026}, {0, 0, 1200, 1024}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TRect r = WorkAreaFromDockedStrip(1280, 1024, c.strip);
        EXPECT_EQ(r, c.area) << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom;
        EXPECT_GT(r.Width(), 0);
        EXPECT_GT(r.Height(), 0);
    }
}

} // namespace
