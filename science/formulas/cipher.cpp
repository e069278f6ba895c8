// Blowfish as published, with the word order of the container format.
#include "science/formulas/cipher.h"

#include "foundation/core/cp1252.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The table KeySchedule starts from: 34 P words, then the S-boxes.
struct BuiltInTable {
    std::uint32_t words[kMaxRounds + 2 + 1024];
    BuiltInTable()
    {
        std::copy(kPiWords, kPiWords + 18, words);
        std::copy(kPiWords + 1042, kPiWords + 1058, words + 18);
        std::copy(kPiWords + 18, kPiWords + 1042, words + kMaxRounds + 2);
    }
};

const std::uint32_t* builtInTable()
{
    static const BuiltInTable table;
    return table.words;
}

inline std::uint32_t F(const CipherState& s, std::uint32_t x)
{
    return ((s.S[0][x >> 24] + s.S[1][(x >> 16) & 0xFF]) ^ s.S[2][(x >> 8) & 0xFF]) + s.S[3][x & 0xFF];
}

void loadTable(CipherState& s, const std::uint32_t* table)
{
    std::copy(table, table + kMaxRounds + 2, s.P);
    for (int b = 0; b < 4; ++b)
        std::copy(table + kMaxRounds + 2 + 256 * b, table + kMaxRounds + 2 + 256 * (b + 1), s.S[b]);
}

bool hasEqualEntries(const std::uint32_t* box)
{
    std::vector<std::uint32_t> v(box, box + 256);
    std::sort(v.begin(), v.end());
    return std::adjacent_find(v.begin(), v.end()) != v.end();
}

inline std::uint32_t readLE(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

inline void writeLE(std::uint8_t* p, std::uint32_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
    p[2] = std::uint8_t(v >> 16);
    p[3] = std::uint8_t(v >> 24);
}

} // namespace

void CipherState::reset()
{
    Rounds = 16;
    loadTable(*this, builtInTable());
}

CipherState& cipherState()
{
    static CipherState state = [] {
        CipherState s;
        s.reset();
        return s;
    }();
    return state;
}

void ResetCipher() { cipherState().reset(); }

void EncryptBlock(std::uint32_t& left, std::uint32_t& right)
{
    const CipherState& s = cipherState();
    std::uint32_t l = left, r = right;
    for (int i = 0; i < s.Rounds; ++i) {
        l ^= s.P[i];
        r ^= F(s, l);
        std::swap(l, r);
    }
    std::swap(l, r);
    r ^= s.P[s.Rounds];
    l ^= s.P[s.Rounds + 1];
    left = l;
    right = r;
}

void DecryptBlock(std::uint32_t& left, std::uint32_t& right)
{
    const CipherState& s = cipherState();
    std::uint32_t l = left, r = right;
    for (int i = s.Rounds + 1; i >= 2; --i) {
        l ^= s.P[i];
        r ^= F(s, l);
        std::swap(l, r);
    }
    std::swap(l, r);
    r ^= s.P[1];
    l ^= s.P[0];
    left = l;
    right = r;
}

bool KeySchedule(const std::uint8_t* key, int keyLength, const std::uint32_t* initialTable, int rounds)
{
    CipherState& s = cipherState();
    loadTable(s, initialTable ? initialTable : builtInTable());
    const int asked = rounds & 0xFF;
    if (((asked - 2) & 0xFF) > 30)
        s.Rounds = 16;
    else
        s.Rounds = asked + (asked & 1);
    if (keyLength <= 0 || !key)
        return false;
    for (int i = 0; i < 4 * (s.Rounds + 2); ++i)
        s.P[i / 4] ^= std::uint32_t(key[i % keyLength]) << (24 - 8 * (i % 4));
    std::uint32_t l = 0, r = 0;
    for (int i = 0; i < s.Rounds + 2; i += 2) {
        EncryptBlock(l, r);
        s.P[i] = l;
        s.P[i + 1] = r;
    }
    for (auto& box : s.S) {
        for (int i = 0; i < 256; i += 2) {
            EncryptBlock(l, r);
            box[i] = l;
            box[i + 1] = r;
        }
    }
    for (const auto& box : s.S)
        if (hasEqualEntries(box))
            return false;
    return true;
}

bool BlowfishSetKey(const QString& key)
{
    const QByteArray bytes = cp1252::encode(key);
    return KeySchedule(reinterpret_cast<const std::uint8_t*>(bytes.constData()), int(bytes.size()), nullptr, 16);
}

void DecryptBuffer(std::uint8_t* data, qsizetype length)
{
    for (qsizetype at = 0; at + 8 <= length; at += 8) {
        std::uint32_t l = readLE(data + at), r = readLE(data + at + 4);
        DecryptBlock(l, r);
        writeLE(data + at, l);
        writeLE(data + at + 4, r);
    }
}

void DecryptStream(QByteArray& stream, const QString& key)
{
    if (stream.isEmpty() || !BlowfishSetKey(key))
        return;
    DecryptBuffer(reinterpret_cast<std::uint8_t*>(stream.data()), stream.size());
    const int n = std::uint8_t(stream.back());
    if (n + 1 > stream.size())
        stream.clear();
    else
        stream.chop(n + 1);
}
