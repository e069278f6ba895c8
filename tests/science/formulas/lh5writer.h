#pragma once
// Hand-made -lh5- streams for the tests: a bit writer in the decoder's bit
// order and the simplest blocks of the format.
#include <QByteArray>

#include <cstdint>

inline QByteArray sizePrefix(qint32 size)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char(std::uint32_t(size) >> (8 * i));
    return b;
}

// Bits written most significant first, as the decoder reads them.
class BitWriter {
public:
    void put(unsigned value, int bits)
    {
        for (int i = bits - 1; i >= 0; --i) {
            m_acc = (m_acc << 1) | ((value >> i) & 1);
            if (++m_count == 8) {
                m_out.append(char(m_acc));
                m_acc = 0;
                m_count = 0;
            }
        }
    }
    // A pre-tree or position code length: 0..6 in three bits, 7 and more as
    // 7 followed by (length - 7) ones and a zero.
    void length(int len)
    {
        if (len < 7) {
            put(unsigned(len), 3);
            return;
        }
        put(7, 3);
        for (int i = 7; i < len; ++i)
            put(1, 1);
        put(0, 1);
    }
    QByteArray bytes() const
    {
        QByteArray b = m_out;
        if (m_count)
            b.append(char(m_acc << (8 - m_count)));
        return b;
    }

private:
    QByteArray m_out;
    unsigned m_acc = 0;
    int m_count = 0;
};

// A block whose three tables each hold one symbol (codes of 0 bits): every
// symbol decodes as `c` and every position as `p`.
inline void singleSymbolBlock(BitWriter& w, unsigned count, unsigned c, unsigned p)
{
    w.put(count, 16);
    w.put(0, 5);
    w.put(0, 5);   // pre-tree: one symbol
    w.put(0, 9);
    w.put(c, 9);   // literals and lengths: one symbol
    w.put(0, 4);
    w.put(p, 4);   // positions: one symbol
}

// Any bytes as a valid stream (with its size): one single-symbol block per
// byte.
inline QByteArray literalStream(const QByteArray& bytes)
{
    BitWriter w;
    for (char c : bytes)
        singleSymbolBlock(w, 1, std::uint8_t(c), 0);
    return sizePrefix(qint32(bytes.size())) + w.bytes();
}
