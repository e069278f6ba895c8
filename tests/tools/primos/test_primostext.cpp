// The primes tool's small rules: the number as typed, the factor lines, the
// estimate that decides when to offer a file, the file's name and contents.
#include "tools/primos/listaprimos.h"
#include "tools/primos/primostext.h"

#include "foundation/core/basicos.h"
#include "foundation/core/exceptions.h"
#include "support/fixtures.h"

#include <QDir>
#include <QFile>

using namespace primos;

namespace {

TEST(PrimeTexts, ReadingTheNumber)
{
    struct Case {
        const char* text;
        bool ok;
        std::int64_t value;
    };
    const Case cases[] = {
        {"12", true, 12}, {" 97 ", true, 97}, {"9223372036854775807", true, INT64_MAX},
        {"9223372036854775808", false, 0}, {"99999999999999999999", false, 0}, {"", false, 0},
        {"12a", false, 0}, {"1e3", false, 0}, {"-5", true, -5}, {"0", true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::int64_t v = 0;
        EXPECT_EQ(ReadNumber(QString::fromUtf8(c.text), v), c.ok);
        if (c.ok) {
            EXPECT_EQ(v, c.value);
        }
    }
}

TEST(PrimeTexts, FactorLinesFileNamesAndShares)
{
    EXPECT_EQ(FactorLine(5, 1), QStringLiteral("5"));
    EXPECT_EQ(FactorLine(2, 62), QStringLiteral("2 ^ 62"));
    EXPECT_EQ(PrimeListFileName(2, 1000), QStringLiteral("Primos entre 2 y 1000 .txt"));
    EXPECT_DOUBLE_EQ(SharePercent(25, 100), 25.0);
    EXPECT_EQ(SharePercent(0, 0), 0.0);      // equal bounds
    EXPECT_EQ(SharePercent(3, -7), 0.0);     // reversed bounds
}

TEST(PrimeTexts, EstimateOfARange)
{
    EXPECT_EQ(EstimatePrimeCount(2, 100), 22);           // 100 / ln 100 = 21.7
    EXPECT_EQ(EstimatePrimeCount(100, 1000), 145 - 22);   // 1000 / ln 1000 = 144.8
    EXPECT_EQ(EstimatePrimeCount(2, 2), 3);               // 2 / ln 2, the lower bound not subtracted
    EXPECT_EQ(EstimatePrimeCount(5, 1), -3);              // 1 counts 0, less 5 / ln 5
    // The first upper bound whose estimate from 2 passes 2000.
    std::int64_t n = 2;
    while (EstimatePrimeCount(2, n) <= kMaxListedInWindow)
        ++n;
    EXPECT_EQ(EstimatePrimeCount(2, n), 2001);
    EXPECT_EQ(EstimatePrimeCount(2, n - 1), 2000);
    EXPECT_EQ(n, 19791);
    EXPECT_GT(EstimatePrimeCount(2, INT64_MAX), 0);
}

using PrimeListFile = CoreExeDirTest;

TEST_F(PrimeListFile, OnePrimePerLineWithCrLf)
{
    const QString name = path(PrimeListFileName(10, 40));
    put(PrimeListFileName(10, 40), "old contents that must go away\r\n");
    EXPECT_EQ(WritePrimeList(name, 10, 40), 8);
    EXPECT_EQ(get(PrimeListFileName(10, 40)), QByteArray("11\r\n13\r\n17\r\n19\r\n23\r\n29\r\n31\r\n37\r\n"));
    EXPECT_EQ(WritePrimeList(name, 14, 16), 0);
    EXPECT_EQ(get(PrimeListFileName(10, 40)), QByteArray());
}

TEST_F(PrimeListFile, ManySegmentsAndTheTop)
{
    EXPECT_EQ(WritePrimeList(path(QStringLiteral("a.txt")), 2, 3000000), 216816);
    const QByteArray a = get(QStringLiteral("a.txt"));
    EXPECT_TRUE(a.startsWith("2\r\n3\r\n5\r\n"));
    EXPECT_TRUE(a.endsWith("\r\n2999999\r\n"));
    EXPECT_EQ(a.count('\n'), 216816);
    EXPECT_EQ(WritePrimeList(path(QStringLiteral("b.txt")), INT64_MAX - 100, INT64_MAX), 1);
    EXPECT_EQ(get(QStringLiteral("b.txt")), QByteArray("9223372036854775783\r\n"));
}

TEST_F(PrimeListFile, CancelledKeepsWhatWasWrittenAndAFolderIsNotReplaced)
{
    int calls = 0;
    EXPECT_THROW(WritePrimeList(path(QStringLiteral("c.txt")), 1, 10000000,
                                [&](const TPrimeReport&) {
                                    if (++calls == 2)
                                        throw EAbort();
                                }),
                 EAbort);
    const QByteArray c = get(QStringLiteral("c.txt"));
    EXPECT_TRUE(c.startsWith("2\r\n3\r\n"));
    EXPECT_TRUE(c.endsWith("\r\n"));
    EXPECT_LT(c.count('\n'), 664579);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("d.txt")));
    EXPECT_THROW(WritePrimeList(path(QStringLiteral("d.txt")), 1, 100), EInOutError);
    EXPECT_THROW(WritePrimeList(path(QStringLiteral("no/such/folder.txt")), 1, 100), EInOutError);
}

} // namespace
