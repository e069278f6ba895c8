// The -lh5- decoder. Code tables are checked before they are used: every
// count within its alphabet, every length within 16 bits, every zero run
// within its table, every code set complete (its Kraft sum, in 32 bits, is
// exactly one), and every match within the bytes already decoded; reading
// past the input gives zero bits.
#include "science/formulas/lh5.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kDicBits = 13;
constexpr int kNC = 255 + 256 + 2 - 3;   // 510: literals and lengths 3..256
constexpr int kNP = kDicBits + 1;        // 14 position codes
constexpr int kNT = 16 + 3;              // 19 pre-tree codes
constexpr int kCBit = 9;
constexpr int kPBit = 4;
constexpr int kTBit = 5;
constexpr int kNPT = kNT;                // the larger of kNT and kNP
constexpr int kThreshold = 3;
constexpr int kCTableBits = 12;
constexpr int kPTableBits = 8;
constexpr int kTreeSize = 2 * kNC - 1;
constexpr qsizetype kInputPiece = 8192;

[[noreturn]] void corrupt() { throw Exception(QStringLiteral("Compressed file is corrupt")); }

class Decoder {
public:
    Decoder(const std::uint8_t* data, qsizetype size) : m_data(data), m_size(size) { fillBuf(16); }

    void Run(qint32 total, QByteArray& out)
    {
        std::vector<std::uint8_t> buf;
        buf.reserve(size_t(std::min<qint32>(total, 1 << 20)));
        std::uint16_t blockSize = 0;
        while (qint64(buf.size()) < total) {
            if (blockSize == 0) {
                blockSize = std::uint16_t(getBits(16));
                readPtLen(kNT, kTBit, 3);
                readCLen();
                readPtLen(kNP, kPBit, -1);
            }
            --blockSize;
            const int c = decodeC();
            if (c < 256) {
                buf.push_back(std::uint8_t(c));
                continue;
            }
            const int length = c - (256 - kThreshold);
            const qsizetype distance = qsizetype(decodeP()) + 1;
            if (distance > qsizetype(buf.size()))
                corrupt();
            const qsizetype n = std::min<qsizetype>(length, total - qsizetype(buf.size()));
            for (qsizetype k = 0; k < n; ++k)
                buf.push_back(buf[buf.size() - size_t(distance)]);
        }
        out.append(reinterpret_cast<const char*>(buf.data()), qsizetype(buf.size()));
    }

private:
    // ---- bits (16-bit buffer; zeros after the end of the input) ----
    std::uint8_t nextByte()
    {
        // The input is taken in pieces of kInputPiece bytes, as it arrives.
        if (m_pos >= m_size)
            return 0;
        if (m_pos >= m_pieceEnd)
            m_pieceEnd = std::min(m_size, m_pieceEnd + kInputPiece);
        return m_data[m_pos++];
    }

    void fillBuf(int n)
    {
        m_bitBuf = std::uint16_t(m_bitBuf << n);
        while (n > m_bitCount) {
            n -= m_bitCount;
            m_bitBuf = std::uint16_t(m_bitBuf | (m_subBitBuf << n));
            m_subBitBuf = nextByte();
            m_bitCount = 8;
        }
        m_bitCount -= n;
        m_bitBuf = std::uint16_t(m_bitBuf | (m_subBitBuf >> m_bitCount));
    }

    unsigned getBits(int n)
    {
        if (n == 0)
            return 0;
        const unsigned x = m_bitBuf >> (16 - n);
        fillBuf(n);
        return x;
    }

    // ---- tables ----
    // Canonical codes from their lengths: the first `tableBits` bits index
    // `table`, longer codes go on through the tree. False when the lengths
    // do not make a complete prefix code.
    bool makeTable(int nchar, const std::uint8_t* bitLen, int tableBits, std::uint16_t* table)
    {
        std::uint32_t count[17] = {}, weight[17] = {}, start[18] = {};
        for (int i = 0; i < nchar; ++i) {
            if (bitLen[i] > 16)
                return false;
            ++count[bitLen[i]];
        }
        for (int i = 1; i <= 16; ++i)
            start[i + 1] = start[i] + (count[i] << (16 - i));
        if (start[17] != (1u << 16))
            return false;
        const int jutBits = 16 - tableBits;
        for (int i = 1; i <= tableBits; ++i) {
            start[i] >>= jutBits;
            weight[i] = 1u << (tableBits - i);
        }
        for (int i = tableBits + 1; i <= 16; ++i)
            weight[i] = 1u << (16 - i);
        const std::uint32_t tableSize = 1u << tableBits;
        for (std::uint32_t i = start[tableBits + 1] >> jutBits; i < tableSize; ++i)
            table[i] = 0;
        int avail = nchar;
        const std::uint32_t mask = 1u << (15 - tableBits);
        for (int ch = 0; ch < nchar; ++ch) {
            const int len = bitLen[ch];
            if (len == 0)
                continue;
            const std::uint32_t nextCode = start[len] + weight[len];
            if (len <= tableBits) {
                if (nextCode > tableSize)
                    return false;
                for (std::uint32_t i = start[len]; i < nextCode; ++i)
                    table[i] = std::uint16_t(ch);
            } else {
                std::uint32_t k = start[len];
                if ((k >> jutBits) >= tableSize)
                    return false;
                std::uint16_t* p = &table[k >> jutBits];
                for (int i = len - tableBits; i > 0; --i) {
                    if (*p == 0) {
                        if (avail >= kTreeSize)
                            return false;
                        m_left[size_t(avail)] = m_right[size_t(avail)] = 0;
                        *p = std::uint16_t(avail++);
                    } else if (*p < nchar) {
                        return false;   // a leaf where the code goes on
                    }
                    p = (k & mask) ? &m_right[*p] : &m_left[*p];
                    k <<= 1;
                }
                *p = std::uint16_t(ch);
            }
            start[len] = nextCode;
        }
        return true;
    }

    void readPtLen(int nn, int nbit, int special)
    {
        const int n = int(getBits(nbit));
        if (n == 0) {
            const int c = int(getBits(nbit));
            if (c >= nn)
                corrupt();
            std::fill(m_ptLen.begin(), m_ptLen.end(), 0);
            std::fill(m_ptTable.begin(), m_ptTable.end(), std::uint16_t(c));
            return;
        }
        if (n > nn)
            corrupt();
        int i = 0;
        while (i < n) {
            int c = m_bitBuf >> 13;
            if (c == 7) {
                std::uint16_t mask = 1u << 12;
                while (mask & m_bitBuf) {
                    mask >>= 1;
                    ++c;
                }
                if (c > 16)
                    corrupt();
            }
            fillBuf(c < 7 ? 3 : c - 3);
            m_ptLen[size_t(i++)] = std::uint8_t(c);
            if (i == special) {
                const int zeros = int(getBits(2));
                if (i + zeros > n)
                    corrupt();
                for (int k = 0; k < zeros; ++k)
                    m_ptLen[size_t(i++)] = 0;
            }
        }
        while (i < kNPT)
            m_ptLen[size_t(i++)] = 0;
        if (!makeTable(nn, m_ptLen.data(), kPTableBits, m_ptTable.data()))
            corrupt();
    }

    void readCLen()
    {
        const int n = int(getBits(kCBit));
        if (n == 0) {
            const int c = int(getBits(kCBit));
            if (c >= kNC)
                corrupt();
            std::fill(m_cLen.begin(), m_cLen.end(), 0);
            std::fill(m_cTable.begin(), m_cTable.end(), std::uint16_t(c));
            return;
        }
        if (n > kNC)
            corrupt();
        int i = 0;
        while (i < n) {
            int c = walk(m_ptTable[m_bitBuf >> 8], kNT, 1u << 7);
            fillBuf(m_ptLen[size_t(c)]);
            if (c <= 2) {
                int zeros = 1;
                if (c == 1)
                    zeros = int(getBits(4)) + 3;
                else if (c == 2)
                    zeros = int(getBits(kCBit)) + 20;
                if (i + zeros > n)
                    corrupt();
                for (int k = 0; k < zeros; ++k)
                    m_cLen[size_t(i++)] = 0;
            } else {
                m_cLen[size_t(i++)] = std::uint8_t(c - 2);
            }
        }
        while (i < kNC)
            m_cLen[size_t(i++)] = 0;
        if (!makeTable(kNC, m_cLen.data(), kCTableBits, m_cTable.data()))
            corrupt();
    }

    // From a table entry down the tree to a symbol below `limit`.
    int walk(int j, int limit, std::uint32_t mask)
    {
        while (j >= limit) {
            if (mask == 0 || j >= kTreeSize)
                corrupt();
            j = (m_bitBuf & mask) ? m_right[size_t(j)] : m_left[size_t(j)];
            mask >>= 1;
        }
        return j;
    }

    int decodeC()
    {
        const int j = walk(m_cTable[m_bitBuf >> 4], kNC, 1u << 3);
        fillBuf(m_cLen[size_t(j)]);
        return j;
    }

    unsigned decodeP()
    {
        unsigned j = unsigned(walk(m_ptTable[m_bitBuf >> 8], kNP, 1u << 7));
        fillBuf(m_ptLen[j]);
        if (j != 0)
            j = (1u << (j - 1)) + getBits(int(j - 1));
        return j;
    }

    const std::uint8_t* m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
    qsizetype m_pieceEnd = 0;
    std::uint16_t m_bitBuf = 0;
    unsigned m_subBitBuf = 0;
    int m_bitCount = 0;
    std::array<std::uint8_t, kNC> m_cLen{};
    std::array<std::uint8_t, kNPT> m_ptLen{};
    std::array<std::uint16_t, 1u << kCTableBits> m_cTable{};
    std::array<std::uint16_t, 1u << kPTableBits> m_ptTable{};
    std::array<std::uint16_t, kTreeSize> m_left{};
    std::array<std::uint16_t, kTreeSize> m_right{};
};

} // namespace

void DecompressStream(TMemoryStream& source, TMemoryStream& destination)
{
    const qsizetype from = std::clamp<qsizetype>(source.Position, 0, source.Data.size());
    if (source.Data.size() - from < 4)
        corrupt();
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(source.Data.constData()) + from;
    const qint32 total = qint32(std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 |
                                std::uint32_t(bytes[2]) << 16 | std::uint32_t(bytes[3]) << 24);
    source.Position = source.Data.size();
    if (total <= 0)
        return;
    const qint64 packed = source.Data.size() - from - 4;
    if (total > kMaxDecodedSize || total > kFreeDecodedSize + packed * kMaxRatio)
        corrupt();
    auto decoder = std::make_unique<Decoder>(bytes + 4, source.Data.size() - from - 4);
    QByteArray out;
    decoder->Run(total, out);
    destination.Data.append(out);
    destination.Position = destination.Data.size();
}

QByteArray DecompressBytes(const QByteArray& source)
{
    TMemoryStream in{source, 0}, out;
    DecompressStream(in, out);
    return out.Data;
}
