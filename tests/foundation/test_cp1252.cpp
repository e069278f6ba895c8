#include "foundation/core/cp1252.h"
#include "support/testsupport.h"

namespace {

TEST(Cp1252, MapsTheWindowsRangeBothWays)
{
    struct Case {
        unsigned char byte;
        char16_t unicode;
    };
    const Case cases[] = {
        {0x41, u'A'},   {0x80, 0x20AC}, {0x8A, 0x0160}, {0x91, 0x2018}, {0x96, 0x2013},
        {0x9F, 0x0178}, {0xA3, 0x00A3}, {0xE1, 0x00E1}, {0xF1, 0x00F1}, {0xFF, 0x00FF},
        {0x81, 0x0081}, {0x8D, 0x008D}, {0x8F, 0x008F}, {0x90, 0x0090}, {0x9D, 0x009D},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.byte));
        EXPECT_EQ(cp1252::toUnicode(c.byte).unicode(), c.unicode);
        unsigned char b = 0;
        ASSERT_TRUE(cp1252::fromUnicode(QChar(c.unicode), b));
        EXPECT_EQ(b, c.byte);
    }
}

TEST(Cp1252, EveryByteSurvivesARoundTrip)
{
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    EXPECT_EQ(cp1252::encode(cp1252::decode(all)), all);
}

TEST(Cp1252, SpanishTextAndThePoundSign)
{
    const QString text = QStringLiteral("Cálculo cancelado £ ñ €\r\n");
    const QByteArray bytes = cp1252::encode(text);
    EXPECT_EQ(bytes.size(), text.size()) << "one byte per character";
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xE1);
    EXPECT_EQ(static_cast<unsigned char>(bytes[18]), 0xA3);
    EXPECT_EQ(cp1252::decode(bytes), text);
}

TEST(Cp1252, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    EXPECT_EQ(cp1252::encode(QStringLiteral("π≤x")), QByteArray("??x"));
    unsigned char b;
    EXPECT_FALSE(cp1252::fromUnicode(QChar(0x0085), b)) << "C1 controls other than the five unassigned bytes";
}

} // namespace
