// The quick reading of number literals (engine/splitter.h) against the full
// readers it stands in for: every plain decimal it reads has the very value,
// bit for bit, of ParseNumberWithBase; every text it refuses is refused by the
// number readers (in a base, and as a plain or fraction decimal); the reader's
// state is left as the full reading leaves it. Also the node storage
// (engine/nodepool.h) the trees are kept in.
#include "support/fixtures.h"

#include "fuzz/bothways.h"

#include "engine/bases.h"
#include "engine/formatonum.h"
#include "engine/nodepool.h"
#include "engine/splitter.h"
#include "foundation/core/format.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

using exprcore::BaseNumber;
using exprcore::QuickNumber;
using exprcore::QuickReadNumber;

namespace {

class QuickNumberTest : public CoreStateTest {};

// The ten bytes of a value, to compare bit for bit.
std::string Bits(Extended v) { return bothways::ValueText(v); }

// Reads `text` both ways; a quick answer must agree with the full reading.
void ExpectSameReading(const QString& text)
{
    SCOPED_TRACE(text.toStdString());
    BaseNumber quick;
    numtext().LastBase = 2;
    const QuickNumber answer = QuickReadNumber(text, quick);
    if (answer == QuickNumber::Unsure)
        return;
    const bool quickError = numtext().BaseError;
    const std::uint8_t quickBase = numtext().LastBase;
    numtext().LastBase = 2;
    const Extended full = ParseNumberWithBase(text);
    const bool fullError = numtext().BaseError;
    if (answer == QuickNumber::Read) {
        ASSERT_FALSE(fullError) << numtext().BaseErrorMessage.toStdString();
        EXPECT_EQ(Bits(quick.value), Bits(full));
        EXPECT_EQ(quick.base, 10);
        EXPECT_FALSE(quickError);
        EXPECT_EQ(quickBase, numtext().LastBase);
    } else {
        EXPECT_TRUE(fullError);
        EXPECT_TRUE(quickError);
        EXPECT_EQ(quickBase, 2) << "a refusal leaves the last base";
        // Nor a plain decimal, nor a fraction.
        Extended ignored = 0;
        EXPECT_FALSE(TryStrToFloat(text, ignored));
        NumberFormat().Parse(text);
        EXPECT_TRUE(NumberFormat().Error);
    }
}

TEST_F(QuickNumberTest, TableOfTexts)
{
    struct Case {
        const char* text;
        QuickNumber answer;
    };
    const Case cases[] = {
        {"0", QuickNumber::Read},
        {"7", QuickNumber::Read},
        {"000", QuickNumber::Read},
        {"0.0", QuickNumber::Read},
        {".5", QuickNumber::Read},
        {"5.", QuickNumber::Read},
        {"0.1", QuickNumber::Read},
        {"0.3", QuickNumber::Read},
        {"3.14159265358979323", QuickNumber::Read},
        {"9999999999999999999", QuickNumber::Read},       // 19 digits: below 2^64
        {"18446744073709551615", QuickNumber::Unsure},    // 20 digits
        {"0.0000000000000000001", QuickNumber::Unsure},
        {"123456789.0123456789", QuickNumber::Read},
        {"1.0000000000000000001", QuickNumber::Unsure},
        {".", QuickNumber::Unsure},
        {"", QuickNumber::Unsure},
        {"1..2", QuickNumber::Unsure},
        {"1.2.3", QuickNumber::Unsure},
        {"1e5", QuickNumber::Unsure},
        {"1E5", QuickNumber::Unsure},
        {"-3", QuickNumber::Unsure},
        {"+3", QuickNumber::Unsure},
        {"3|4", QuickNumber::Unsure},
        {"FF[16]", QuickNumber::Unsure},
        {"a[16]", QuickNumber::Unsure},
        {"b101", QuickNumber::Unsure},
        {"h1F", QuickNumber::Unsure},
        {"o17", QuickNumber::Unsure},
        {"x", QuickNumber::NotNumber},
        {"X", QuickNumber::NotNumber},
        {"e", QuickNumber::NotNumber},
        {"e5", QuickNumber::NotNumber},
        {"E10", QuickNumber::NotNumber},
        {"B101", QuickNumber::NotNumber},
        {"pi", QuickNumber::NotNumber},
        {"sin", QuickNumber::NotNumber},
        {"A", QuickNumber::NotNumber},
        {"x2|3", QuickNumber::NotNumber},
        {"z]", QuickNumber::NotNumber},
        {"1 2", QuickNumber::Unsure},
        {"\xc3\xa9", QuickNumber::Unsure},   // beyond ASCII
    };
    for (const Case& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        SCOPED_TRACE(c.text);
        BaseNumber v;
        EXPECT_EQ(static_cast<int>(QuickReadNumber(text, v)), static_cast<int>(c.answer));
        ExpectSameReading(text);
    }
}

// Many plain decimals: every length up to 19 digits, the point anywhere,
// leading and trailing zeros, halfway cases near the precision's edge.
TEST_F(QuickNumberTest, PlainDecimalsReadBitForBitAsTheFullReader)
{
    std::mt19937_64 rng(20261211);
    int read = 0;
    for (int i = 0; i < 60000; ++i) {
        const int digits = 1 + static_cast<int>(rng() % 19);
        std::string s;
        for (int k = 0; k < digits; ++k) {
            const int r = static_cast<int>(rng() % 10);
            // Runs of zeros and nines (carries, exact powers, ties).
            s += static_cast<char>('0' + (i % 5 == 0 ? (r < 5 ? 0 : 9) : r));
        }
        const int point = static_cast<int>(rng() % (digits + 2)) - 1;   // -1: none
        if (point >= 0)
            s.insert(static_cast<std::size_t>(point), 1, '.');
        const QString text = QString::fromLatin1(s.c_str());
        BaseNumber v;
        read += QuickReadNumber(text, v) == QuickNumber::Read;
        ExpectSameReading(text);
        if (::testing::Test::HasFailure())
            return;
    }
    EXPECT_GT(read, 55000);
}

// Names as a text holds them: refused quickly, and by every reader.
TEST_F(QuickNumberTest, NamesAreRefusedAsEveryReaderRefusesThem)
{
    std::mt19937 rng(7);
    const std::string first = "acdefgijklmnpqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const std::string rest = "abcdefghijklmnopqrstuvwxyzABCDEFGHOXYZ0123456789_.|+-";
    for (int i = 0; i < 5000; ++i) {
        std::string s(1, first[rng() % first.size()]);
        const int n = static_cast<int>(rng() % 8);
        for (int k = 0; k < n; ++k)
            s += rest[rng() % rest.size()];
        const QString text = QString::fromLatin1(s.c_str());
        BaseNumber v;
        ASSERT_EQ(static_cast<int>(QuickReadNumber(text, v)), static_cast<int>(QuickNumber::NotNumber)) << s;
        ExpectSameReading(text);
        if (::testing::Test::HasFailure())
            return;
    }
}

// The number reader every engine calls answers as before for the texts the
// quick reading leaves to it, and for the ones it answers.
TEST_F(QuickNumberTest, ReadNumberWithBaseKeepsItsAnswers)
{
    struct Case {
        const char* text;
        bool ok;
        double value;
        int base;
    };
    const Case cases[] = {
        {"12", true, 12, 10},       {"2.5", true, 2.5, 10},   {"FF[16]", true, 255, 16},
        {"b101", true, 5, 2},       {"h1F", true, 31, 16},    {"x", false, 0, 0},
        {"1.5e1", true, 15, 10},    {"e", false, 0, 0},       {"2x", false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        BaseNumber v;
        EXPECT_EQ(exprcore::ReadNumberWithBase(QString::fromLatin1(c.text), v), c.ok);
        if (c.ok) {
            EXPECT_EQ(static_cast<double>(v.value), c.value);
            EXPECT_EQ(v.base, c.base);
            EXPECT_EQ(numtext().LastBase, c.base);
        }
    }
}

// The cells of the node storage: aligned, apart, whole, the same size class
// reused last in first out.
TEST(NodeCells, CellsAreAlignedDistinctAndReused)
{
    exprcore::TNodeCells cells;
    std::vector<std::pair<unsigned char*, std::size_t>> taken;
    std::mt19937 rng(3);
    for (int i = 0; i < 20000; ++i) {
        const std::size_t size = 1 + rng() % exprcore::TNodeCells::kLargest;
        auto* p = static_cast<unsigned char*>(cells.take(size));
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(p) % 16, 0u);
        std::memset(p, i & 0xFF, size);   // the whole cell is the caller's
        taken.push_back({p, size});
    }
    // No two cells overlap, and each kept what was written to it.
    std::vector<std::pair<unsigned char*, std::size_t>> sorted = taken;
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t i = 1; i < sorted.size(); ++i)
        ASSERT_LE(sorted[i - 1].first + sorted[i - 1].second, sorted[i].first);
    for (std::size_t i = 0; i < taken.size(); ++i)
        ASSERT_EQ(taken[i].first[taken[i].second - 1], static_cast<unsigned char>(i & 0xFF));
    // Given back, a cell is the next one taken of its size class (sizes
    // rounded up to the step).
    cells.give(taken[5].first, taken[5].second);
    cells.give(taken[9].first, taken[9].second);
    const std::size_t step = exprcore::TNodeCells::kStep;
    EXPECT_EQ(cells.take((taken[9].second + step - 1) / step * step), taken[9].first);
    EXPECT_EQ(cells.take(taken[5].second), taken[5].first);
}

} // namespace
