// The container's cipher: Blowfish against the published test vectors (in
// the container's word order), the key schedule's rounds and key checks, and
// the padding rules of DecryptStream.
#include "foundation/core/cp1252.h"
#include "science/formulas/cipher.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

class CipherTest : public ::testing::Test {
protected:
    void SetUp() override { ResetCipher(); }
    void TearDown() override { ResetCipher(); }
};

std::vector<std::uint8_t> hexBytes(const char* hex)
{
    std::vector<std::uint8_t> out;
    for (size_t i = 0; hex[i] && hex[i + 1]; i += 2)
        out.push_back(std::uint8_t(std::stoul(std::string(hex + i, 2), nullptr, 16)));
    return out;
}

// Two words of a published block (written big-endian) and their bytes in the
// container's order (each word little-endian).
void words(const char* hex, std::uint32_t& l, std::uint32_t& r)
{
    const auto b = hexBytes(hex);
    l = std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 | std::uint32_t(b[2]) << 8 | b[3];
    r = std::uint32_t(b[4]) << 24 | std::uint32_t(b[5]) << 16 | std::uint32_t(b[6]) << 8 | b[7];
}

QByteArray containerBytes(std::uint32_t l, std::uint32_t r)
{
    QByteArray b(8, '\0');
    for (int i = 0; i < 4; ++i) {
        b[i] = char(l >> (8 * i));
        b[4 + i] = char(r >> (8 * i));
    }
    return b;
}

// Enciphers whole blocks in the container's order (what a writer of
// enciphered containers does).
void encryptBuffer(QByteArray& data)
{
    auto* p = reinterpret_cast<std::uint8_t*>(data.data());
    for (qsizetype at = 0; at + 8 <= data.size(); at += 8) {
        std::uint32_t l, r;
        std::memcpy(&l, p + at, 4);
        std::memcpy(&r, p + at + 4, 4);
        EncryptBlock(l, r);
        std::memcpy(p + at, &l, 4);
        std::memcpy(p + at + 4, &r, 4);
    }
}

// The published vectors (Schneier's set, big-endian words).
struct Vector {
    const char* key;
    const char* plain;
    const char* cipher;
};
const Vector kVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
};

TEST_F(CipherTest, PublishedVectorsEncipherAndDecipher)
{
    for (const Vector& v : kVectors) {
        SCOPED_TRACE(v.key);
        const auto key = hexBytes(v.key);
        ASSERT_TRUE(KeySchedule(key.data(), int(key.size()), nullptr, 16));
        std::uint32_t pl, pr, cl, cr;
        words(v.plain, pl, pr);
        words(v.cipher, cl, cr);
        std::uint32_t l = pl, r = pr;
        EncryptBlock(l, r);
        EXPECT_EQ(l, cl);
        EXPECT_EQ(r, cr);
        DecryptBlock(l, r);
        EXPECT_EQ(l, pl);
        EXPECT_EQ(r, pr);
        // The same block as the container stores it: each word little-endian.
        QByteArray bytes = containerBytes(cl, cr);
        DecryptBuffer(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size());
        EXPECT_EQ(bytes, containerBytes(pl, pr));
    }
}

TEST_F(CipherTest, TextKeyVector)
{
    ASSERT_TRUE(BlowfishSetKey(QStringLiteral("abcdefghijklmnopqrstuvwxyz")));
    std::uint32_t l = 0x424C4F57, r = 0x46495348;   // "BLOWFISH"
    EncryptBlock(l, r);
    EXPECT_EQ(l, 0x324ED0FEu);
    EXPECT_EQ(r, 0xF413A203u);
}

TEST_F(CipherTest, RoundsAskedAndUsed)
{
    struct Case {
        int asked, used;
    } cases[] = {{0, 16}, {1, 16}, {33, 16}, {255, 16}, {5, 6}, {32, 32}, {2, 2}, {3, 4}, {16, 16}, {31, 32}};
    const std::uint8_t key[] = {'k', 'e', 'y'};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        KeySchedule(key, 3, nullptr, c.asked);
        EXPECT_EQ(cipherState().Rounds, c.used);
    }
}

TEST_F(CipherTest, MoreRoundsStillDecipherWhatTheyEncipher)
{
    const std::uint8_t key[] = {1, 2, 3, 4, 5};
    ASSERT_TRUE(KeySchedule(key, 5, nullptr, 32));
    std::uint32_t l = 0x01234567, r = 0x89ABCDEF;
    EncryptBlock(l, r);
    EXPECT_FALSE(l == 0x01234567u && r == 0x89ABCDEFu);
    DecryptBlock(l, r);
    EXPECT_EQ(l, 0x01234567u);
    EXPECT_EQ(r, 0x89ABCDEFu);
}

TEST_F(CipherTest, EmptyKeyAndEqualSBoxEntriesAreRejected)
{
    EXPECT_FALSE(BlowfishSetKey(QString()));
    // From a table of zeros every round function gives 0: the S-boxes fill
    // with a short cycle of values, so one box holds equal entries.
    std::vector<std::uint32_t> zeros(34 + 1024, 0);
    const std::uint8_t key[] = {'a', 'b', 'c', 'd'};
    EXPECT_FALSE(KeySchedule(key, 4, zeros.data(), 16));
    EXPECT_TRUE(KeySchedule(key, 4, nullptr, 16));
}

TEST_F(CipherTest, LongKeysAreNotCutToTheirLowByte)
{
    // 256 characters: as a byte its length would be 0, an empty key.
    EXPECT_TRUE(BlowfishSetKey(QString(256, QLatin1Char('q'))));
    // 300 characters: only the first 72 bytes reach the 18 P words; a length
    // cut to 300 & 0xFF = 44 would cycle the first 44 instead.
    QString longKey;
    for (int i = 0; i < 300; ++i)
        longKey += QChar('A' + i % 26 + (i / 26) % 2 * 32);
    ASSERT_TRUE(BlowfishSetKey(longKey));
    std::uint32_t p[18];
    std::memcpy(p, cipherState().P, sizeof p);
    const QByteArray bytes = cp1252::encode(longKey);
    ASSERT_TRUE(KeySchedule(reinterpret_cast<const std::uint8_t*>(bytes.constData()), 72, nullptr, 16));
    EXPECT_EQ(0, std::memcmp(p, cipherState().P, sizeof p));
    ASSERT_TRUE(KeySchedule(reinterpret_cast<const std::uint8_t*>(bytes.constData()), 44, nullptr, 16));
    EXPECT_NE(0, std::memcmp(p, cipherState().P, sizeof p));
}

TEST_F(CipherTest, DecryptStreamDropsThePadding)
{
    const QString key = QStringLiteral("clave secreta");
    // "Hola" + 3 bytes of padding + the count 3: one block.
    QByteArray data("Hola\x01\x02\x03\x03", 8);
    ASSERT_TRUE(BlowfishSetKey(key));
    encryptBuffer(data);
    DecryptStream(data, key);
    EXPECT_EQ(data, QByteArray("Hola"));

    // A count of 0 drops only itself.
    QByteArray seven("1234567\x00", 8);
    ASSERT_TRUE(BlowfishSetKey(key));
    encryptBuffer(seven);
    DecryptStream(seven, key);
    EXPECT_EQ(seven, QByteArray("1234567"));

    // A count beyond the stream leaves nothing.
    QByteArray big("abcdefg\xF0", 8);
    ASSERT_TRUE(BlowfishSetKey(key));
    encryptBuffer(big);
    DecryptStream(big, key);
    EXPECT_TRUE(big.isEmpty());
}

TEST_F(CipherTest, ATailShorterThanABlockStaysAsItIs)
{
    const QString key = QStringLiteral("k");
    QByteArray block("ABCDEFGH", 8);
    ASSERT_TRUE(BlowfishSetKey(key));
    encryptBuffer(block);
    // 13 bytes: one block and a plain tail whose last byte (2) is the count.
    QByteArray data = block + QByteArray("vwxy\x02", 5);
    DecryptStream(data, key);
    EXPECT_EQ(data, QByteArray("ABCDEFGHvw"));
}

TEST_F(CipherTest, ARejectedKeyOrAnEmptyStreamChangesNothing)
{
    QByteArray data("\x10\x20\x30\x40\x50\x60\x70\x80\x01", 9);
    const QByteArray before = data;
    DecryptStream(data, QString());
    EXPECT_EQ(data, before);
    QByteArray empty;
    DecryptStream(empty, QStringLiteral("k"));
    EXPECT_TRUE(empty.isEmpty());
}

} // namespace
