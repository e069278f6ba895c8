// The -lh5- decoder: streams made by a real LHA archiver (jlha, when it is
// installed) with the archive's header taken off, hand-made streams for the
// limits of the format, and every kind of corrupt table refused.
#include "foundation/core/exceptions.h"
#include "science/formulas/lh5.h"
#include "science/formulas/lh5writer.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <vector>

namespace {

const QString kCorrupt = QStringLiteral("Compressed file is corrupt");

QByteArray decode(qint32 size, const QByteArray& bits) { return DecompressBytes(sizePrefix(size) + bits); }

void expectCorrupt(qint32 size, const QByteArray& bits)
{
    try {
        decode(size, bits);
        ADD_FAILURE() << "decoded without complaint";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), kCorrupt);
    }
}

TEST(Lh5, SingleSymbolBlocksAndZeroBitsAfterTheEnd)
{
    BitWriter w;
    singleSymbolBlock(w, 20000, 'A', 0);
    // 20000 symbols of 0 bits: beyond the 8 KB window, in several chunks.
    EXPECT_EQ(decode(20000, w.bytes()), QByteArray(20000, 'A'));
    // The announced size rules: fewer bytes than the block holds.
    EXPECT_EQ(decode(5, w.bytes()), QByteArray(5, 'A'));
}

TEST(Lh5, MatchesReachBackAcrossBlocksAndChunks)
{
    BitWriter w;
    singleSymbolBlock(w, 1, 'x', 0);
    singleSymbolBlock(w, 1, 'y', 0);
    // Length 256 (code 509) at distance 2 (position code 1, no extra bits).
    singleSymbolBlock(w, 40, 509, 1);
    QByteArray expected;
    for (int i = 0; i < 5000; ++i)
        expected += "xy";
    EXPECT_EQ(decode(10000, w.bytes()), expected);
}

TEST(Lh5, SizesOfZeroOrLessGiveNothing)
{
    TMemoryStream src{sizePrefix(0) + QByteArray("junk"), 0}, dst{QByteArray("kept"), 4};
    DecompressStream(src, dst);
    EXPECT_EQ(dst.Data, QByteArray("kept"));
    EXPECT_TRUE(DecompressBytes(sizePrefix(-5)).isEmpty());
}

TEST(Lh5, TheSourceIsReadFromItsPosition)
{
    BitWriter w;
    singleSymbolBlock(w, 3, 'z', 0);
    TMemoryStream src{QByteArray("head") + sizePrefix(3) + w.bytes(), 4}, dst{QByteArray("ab"), 2};
    DecompressStream(src, dst);
    EXPECT_EQ(dst.Data, QByteArray("abzzz"));
}

TEST(Lh5, CorruptTablesAreRefused)
{
    struct Case {
        const char* what;
        std::function<void(BitWriter&)> write;
    };
    const Case cases[] = {
        {"pre-tree count above its alphabet", [](BitWriter& w) { w.put(100, 16); w.put(20, 5); }},
        {"single pre-tree symbol outside the alphabet", [](BitWriter& w) { w.put(100, 16); w.put(0, 5); w.put(19, 5); }},
        {"code length above 16",
         [](BitWriter& w) {
             w.put(100, 16);
             w.put(3, 5);
             w.length(17);
         }},
        {"zero run past the end of the pre-tree",
         [](BitWriter& w) {
             w.put(100, 16);
             w.put(4, 5);
             w.length(1);
             w.length(2);
             w.length(2);
             w.put(3, 2);   // three zeros after the third: six entries of four
         }},
        {"over-subscribed pre-tree",
         [](BitWriter& w) {
             w.put(100, 16);
             w.put(3, 5);
             w.length(1);
             w.length(1);
             w.length(1);
             w.put(0, 2);
         }},
        {"over-subscribed by exactly 2^16 (a 16-bit sum would pass)",
         [](BitWriter& w) {
             w.put(100, 16);
             w.put(4, 5);
             w.length(1);
             w.length(1);
             w.length(1);
             w.put(0, 2);
             w.length(1);
         }},
        {"incomplete pre-tree",
         [](BitWriter& w) {
             w.put(100, 16);
             w.put(3, 5);
             w.length(1);
             w.length(2);
             w.length(0);
             w.put(0, 2);
         }},
        {"single literal symbol outside the alphabet",
         [](BitWriter& w) {
             w.put(100, 16);
             w.put(0, 5);
             w.put(0, 5);
             w.put(0, 9);
             w.put(510, 9);
         }},
        {"literal count above its alphabet",
         [](BitWriter& w) {
             w.put(100, 16);
             w.put(0, 5);
             w.put(0, 5);
             w.put(511, 9);
         }},
        {"zero run past the literal table",
         [](BitWriter& w) {
             w.put(100, 16);
             w.put(0, 5);
             w.put(2, 5);      // pre-tree: always symbol 2, a run of 20 + 9 bits
             w.put(5, 9);      // five literal lengths...
             w.put(100, 9);    // ...and a run of 120 zeros
         }},
        {"all literal lengths zero",
         [](BitWriter& w) {
             w.put(100, 16);
             w.put(0, 5);
             w.put(0, 5);   // pre-tree: always symbol 0, one zero length
             w.put(3, 9);
         }},
        {"position count above its alphabet",
         [](BitWriter& w) {
             w.put(100, 16);
             w.put(0, 5);
             w.put(0, 5);
             w.put(0, 9);
             w.put('a', 9);
             w.put(15, 4);
         }},
        {"single position symbol outside the alphabet",
         [](BitWriter& w) {
             w.put(100, 16);
             w.put(0, 5);
             w.put(0, 5);
             w.put(0, 9);
             w.put('a', 9);
             w.put(0, 4);
             w.put(14, 4);
         }},
        {"a match before any byte", [](BitWriter& w) { singleSymbolBlock(w, 100, 256, 0); }},
        {"a match farther back than the bytes decoded",
         [](BitWriter& w) {
             singleSymbolBlock(w, 3, 'q', 0);
             singleSymbolBlock(w, 1, 256, 3);   // distance 5 after three bytes
             w.put(0, 2);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BitWriter w;
        c.write(w);
        expectCorrupt(50, w.bytes());
    }
}

TEST(Lh5, AnnouncedSizesAreCapped)
{
    BitWriter w;
    singleSymbolBlock(w, 10, 'A', 0);
    // Six bytes may not ask for 2 GiB of output.
    expectCorrupt(0x7FFFFFFF, QByteArray(2, '\0'));
    expectCorrupt(kMaxDecodedSize + 1, w.bytes());
    // Nor two bytes for 50 MB (they would decode, as zero bits, to that much),
    // nor any stream for more than its share.
    expectCorrupt(50 * 1000 * 1000, QByteArray(2, '\0'));
    expectCorrupt(qint32(kFreeDecodedSize + w.bytes().size() * kMaxRatio + 1), w.bytes());
    try {
        DecompressBytes(QByteArray("\x01\x02", 2));
        ADD_FAILURE() << "a source without its size decoded";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), kCorrupt);
    }
}

TEST(Lh5, TheDestinationKeepsItsBytesWhenDecodingFails)
{
    BitWriter w;
    singleSymbolBlock(w, 100, 256, 0);
    TMemoryStream src{sizePrefix(20) + w.bytes(), 0}, dst{QByteArray("old"), 3};
    EXPECT_THROW(DecompressStream(src, dst), Exception);
    EXPECT_EQ(dst.Data, QByteArray("old"));
}

TEST(Lh5, RandomBytesNeverReadOrWriteOutOfBounds)
{
    // Under the sanitizers: any input ends with bytes or the corrupt message.
    std::mt19937 rng(2024);
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = sizePrefix(int(rng() % 30000));
        const int n = int(rng() % 64);
        for (int i = 0; i < n; ++i)
            bytes.append(char(rng()));
        try {
            const QByteArray out = DecompressBytes(bytes);
            EXPECT_LE(out.size(), 30000);
        } catch (const Exception& e) {
            EXPECT_EQ(e.message(), kCorrupt);
        }
    }
}

// ---- streams made by a real archiver ----

// The -lh5- data of the only member of a level-0, 1 or 2 LHA archive.
bool lh5Member(const QByteArray& arc, QByteArray& data, qint32& size)
{
    if (arc.size() < 24 || arc.mid(2, 5) != "-lh5-")
        return false;
    auto u32 = [&](int at) {
        return std::uint32_t(std::uint8_t(arc[at])) | std::uint32_t(std::uint8_t(arc[at + 1])) << 8 |
               std::uint32_t(std::uint8_t(arc[at + 2])) << 16 | std::uint32_t(std::uint8_t(arc[at + 3])) << 24;
    };
    const int level = std::uint8_t(arc[20]);
    qsizetype start = 0;
    qint64 packed = u32(7);
    if (level == 2) {
        start = std::uint8_t(arc[0]) | std::uint8_t(arc[1]) << 8;
    } else {
        start = 2 + std::uint8_t(arc[0]);
        if (level == 1) {
            // Extended headers follow the base header and count in the packed size.
            qsizetype at = start;
            for (;;) {
                const int next = std::uint8_t(arc[at - 2]) | std::uint8_t(arc[at - 1]) << 8;
                if (next == 0)
                    break;
                at += next;
                packed -= next;
            }
            start = at;
        }
    }
    size = qint32(u32(11));
    data = arc.mid(start, packed);
    return data.size() == packed;
}

QByteArray compressible(int n, unsigned seed)
{
    // Words of a small vocabulary: repeats near and far, literals of all kinds.
    static const char* vocab[] = {"masa ", "fuerza ", "energía ", "velocidad ", "\x01\x02", "presión ",
                                  "0123456789", "\xFF\xFE\xFD", "tiempo\r\n", "longitud "};
    std::mt19937 rng(seed);
    QByteArray b;
    while (b.size() < n)
        b += vocab[rng() % 10];
    b.truncate(n);
    return b;
}

TEST(Lh5, StreamsOfARealArchiver)
{
    const QString jlha = QStandardPaths::findExecutable(QStringLiteral("jlha"));
    if (jlha.isEmpty())
        GTEST_SKIP() << "jlha (Debian package jlha-utils) is not installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QByteArray picture;
    {
        QFile f(QStringLiteral(SUMBRIX_BIN_DIR "/form.img"));
        if (f.open(QIODevice::ReadOnly))
            picture = f.readAll();
    }
    struct Input {
        const char* name;
        QByteArray bytes;
    } inputs[] = {
        {"short", compressible(300, 3)},
        {"zeros", QByteArray(30000, '\0')},
        {"words", compressible(70000, 1)},
        {"pattern", compressible(9000, 2).repeated(4)},
        {"pictures", picture},
    };
    for (const Input& in : inputs) {
        SCOPED_TRACE(in.name);
        ASSERT_FALSE(in.bytes.isEmpty());
        const QString file = dir.filePath(QString::fromLatin1(in.name));
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(in.bytes);
        f.close();
        const QString arc = dir.filePath(QString::fromLatin1(in.name) + QStringLiteral(".lzh"));
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(jlha, {QStringLiteral("co5"), arc, QString::fromLatin1(in.name)});
        ASSERT_TRUE(p.waitForFinished(120000));
        QFile a(arc);
        ASSERT_TRUE(a.open(QIODevice::ReadOnly)) << p.readAllStandardError().toStdString();
        QByteArray data;
        qint32 size = 0;
        ASSERT_TRUE(lh5Member(a.readAll(), data, size)) << "not an -lh5- member";
        EXPECT_EQ(size, in.bytes.size());
        EXPECT_EQ(DecompressBytes(sizePrefix(size) + data), in.bytes);
    }
}

} // namespace
