// The picture container: its layout, plain, compressed and enciphered; name
// lookups by extension and prefix; every malformed file refused as
// "Archivo incorrecto" with the entries held before kept.
#include "foundation/core/basicos.h"
#include "lh5writer.h"
#include "science/formulas/cipher.h"
#include "science/formulas/lh5.h"
#include "science/formulas/streams.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>
#include <random>
#include <utility>
#include <vector>

namespace {

const QString kBadFile = QStringLiteral("Archivo incorrecto");

QByteArray le32(qint32 v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char(std::uint32_t(v) >> (8 * i));
    return b;
}

QByteArray payload(const std::vector<std::pair<QByteArray, QByteArray>>& entries)
{
    QByteArray b = TStreams::Signature() + le32(qint32(entries.size()));
    for (const auto& [name, data] : entries) {
        b.append(char(name.size() & 0xFF)).append(char(name.size() >> 8));
        b += name + le32(qint32(data.size())) + data;
    }
    return b;
}

QByteArray plain(const std::vector<std::pair<QByteArray, QByteArray>>& entries)
{
    return QByteArray("  ") + payload(entries);
}

// The payload padded (count in the last byte) and enciphered under `key`.
QByteArray enciphered(QByteArray data, const QString& key)
{
    const int pad = int(7 - data.size() % 8);
    for (int i = 0; i < pad; ++i)
        data.append(char(0x5A));
    data.append(char(pad));
    EXPECT_TRUE(BlowfishSetKey(key));
    auto* p = reinterpret_cast<std::uint8_t*>(data.data());
    for (qsizetype at = 0; at < data.size(); at += 8) {
        std::uint32_t l, r;
        std::memcpy(&l, p + at, 4);
        std::memcpy(&r, p + at + 4, 4);
        EncryptBlock(l, r);
        std::memcpy(p + at, &l, 4);
        std::memcpy(p + at + 4, &r, 4);
    }
    return data;
}

void expectBad(TStreams& s, const QByteArray& bytes)
{
    try {
        s.LoadFromStream(bytes);
        ADD_FAILURE() << "loaded";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), kBadFile);
    }
}

class StreamsTest : public ::testing::Test {
protected:
    void SetUp() override { ResetCipher(); }
    void TearDown() override { ResetCipher(); }
};

TEST_F(StreamsTest, AnEmptyPlainContainer)
{
    TStreams s;
    EXPECT_TRUE(s.Compressed);
    EXPECT_FALSE(s.Encrypted);
    s.LoadFromStream(plain({}));
    EXPECT_EQ(s.Count(), 0);
    EXPECT_FALSE(s.Compressed);
    EXPECT_FALSE(s.Encrypted);
}

TEST_F(StreamsTest, GraphicsByExtensionWithoutLetterCase)
{
    TStreams s;
    s.LoadFromStream(plain({{"Ley.bmp", "BMdata"}, {"dibujo.EMF", "EMFdata"}, {"vacio.wmf", ""}, {"foto.gif", "GIF"}}));
    ASSERT_EQ(s.Count(), 4);
    struct Case {
        const char* name;
        TGraphicKind kind;
        QByteArray bytes;
    } cases[] = {
        {"ley.BMP", TGraphicKind::Bitmap, "BMdata"},
        {"DIBUJO.emf", TGraphicKind::Metafile, "EMFdata"},
        {"vacio.WMF", TGraphicKind::Metafile, ""},
        {"foto.gif", TGraphicKind::None, ""},
        {"falta.bmp", TGraphicKind::Bitmap, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TGraphicKind kind = TGraphicKind::None;
        EXPECT_EQ(s.GetGraphicBytes(QString::fromLatin1(c.name), kind), c.bytes);
        EXPECT_EQ(kind, c.kind);
    }
}

TEST_F(StreamsTest, PrefixesNameBitmapsAndMetafiles)
{
    TStreams s;
    s.UsePrefixes = true;
    s.LoadFromStream(plain({{"B:a", "bitmap"}, {"M:a", "metafile"}, {"a", "bare"}}));
    EXPECT_EQ(s.GetBitmapBytes(QStringLiteral("a")), QByteArray("bitmap"));
    EXPECT_EQ(s.GetMetafileBytes(QStringLiteral("a")), QByteArray("metafile"));
}

TEST_F(StreamsTest, GetStreamWithUnknownOrEmptyNames)
{
    TStreams s;
    s.LoadFromStream(plain({{"x.bmp", "12345"}}));
    TMemoryStream dest{QByteArray("before"), 3};
    s.GetStream(QString(), dest);
    EXPECT_EQ(dest.Data, QByteArray("before"));
    EXPECT_EQ(dest.Position, 3);
    s.GetStream(QStringLiteral("none.bmp"), dest);
    EXPECT_EQ(dest.Data, QByteArray("before"));
    EXPECT_EQ(dest.Position, 0);
    dest.Position = 2;
    s.GetStream(QStringLiteral("X.BMP"), dest);
    EXPECT_EQ(dest.Data, QByteArray("12345"));
    EXPECT_EQ(dest.Position, 0);
}

TEST_F(StreamsTest, CompressedAndEncipheredPayloads)
{
    const QByteArray inner = payload({{"f.bmp", "pixels"}});
    struct Case {
        const char* what;
        QByteArray file;
        bool compressed, encrypted;
    } cases[] = {
        {"compressed", QByteArray("& ") + literalStream(inner), true, false},
        {"enciphered", QByteArray(" *") + enciphered(inner, QStringLiteral("clave")), false, true},
        {"both", QByteArray("&*") + enciphered(literalStream(inner), QStringLiteral("clave")), true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TStreams s;
        QString asked;
        s.OnGetPassword = [&](TStreams&, QString& key) {
            asked = key;
            key = QStringLiteral("clave");
        };
        s.Password = QStringLiteral("vieja");
        s.LoadFromStream(c.file);
        EXPECT_EQ(s.Compressed, c.compressed);
        EXPECT_EQ(s.Encrypted, c.encrypted);
        ASSERT_EQ(s.Count(), 1);
        TMemoryStream m;
        s.GetStream(QStringLiteral("f.bmp"), m);
        EXPECT_EQ(m.Data, QByteArray("pixels"));
        if (c.encrypted) {
            EXPECT_EQ(asked, QStringLiteral("vieja"));
            EXPECT_EQ(s.Password, QStringLiteral("clave"));
        }
    }
}

TEST_F(StreamsTest, AWrongOrEmptyKeyFails)
{
    const QByteArray file = QByteArray(" *") + enciphered(payload({{"f.bmp", "x"}}), QStringLiteral("clave"));
    for (const QString& key : {QString(), QStringLiteral("otra")}) {
        TStreams s;
        s.Password = key;
        expectBad(s, file);
        EXPECT_EQ(s.Password, key);
    }
}

TEST_F(StreamsTest, MalformedFilesAreRefusedAndTheOldEntriesStay)
{
    const QByteArray sig = TStreams::Signature();
    const QByteArray good = plain({{"a.bmp", "AAAA"}, {"b.bmp", "BB"}});
    QByteArray truncated = good;
    truncated.chop(1);
    struct Case {
        const char* what;
        QByteArray file;
    } cases[] = {
        {"empty file", QByteArray()},
        {"flags only", QByteArray("  ")},
        {"wrong signature", QByteArray("  MZ\xFE\x00\x21\x0B\x0F\x81", 10) + le32(0)},
        {"no count", QByteArray("  ") + sig},
        {"negative count", QByteArray("  ") + sig + le32(-1)},
        {"a count the file cannot hold", QByteArray("  ") + sig + le32(0x7FFFFFFF)},
        {"a name past the end", QByteArray("  ") + sig + le32(1) + QByteArray("\xFF\x00" "ab", 4)},
        {"negative size", QByteArray("  ") + sig + le32(1) + QByteArray("\x01\x00z", 3) + le32(-4)},
        {"a size past the end", QByteArray("  ") + sig + le32(1) + QByteArray("\x01\x00z", 3) + le32(1000) + "abc"},
        {"the last entry cut short", truncated},
        {"corrupt compressed data", QByteArray("& ") + sizePrefix(100) + QByteArray(8, '\xFF')},
        {"compressed data without their size", QByteArray("& \x01", 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TStreams s;
        s.LoadFromStream(plain({{"old.bmp", "old"}}));
        int errors = 0;
        s.OnError = [&](TStreams&) { ++errors; };
        expectBad(s, c.file);
        EXPECT_EQ(errors, 1);
        EXPECT_EQ(s.Names(), QStringList{QStringLiteral("old.bmp")});
        EXPECT_FALSE(s.Compressed);
    }
}

TEST_F(StreamsTest, MutatedContainersNeverReadOutOfBounds)
{
    const QByteArray good = plain({{"a.bmp", QByteArray(40, 'a')}, {"b.emf", QByteArray(30, 'b')}});
    std::mt19937 rng(7);
    for (int round = 0; round < 4000; ++round) {
        QByteArray bytes = good;
        const int flips = 1 + int(rng() % 4);
        for (int i = 0; i < flips; ++i)
            bytes[int(rng() % bytes.size())] = char(rng());
        if (rng() % 3 == 0)
            bytes.truncate(int(rng() % bytes.size()));
        TStreams s;
        try {
            s.LoadFromStream(bytes);
            for (const QString& n : s.Names()) {
                TMemoryStream m;
                s.GetStream(n, m);
                EXPECT_LE(m.Data.size(), bytes.size());
            }
        } catch (const Exception& e) {
            EXPECT_EQ(e.message(), kBadFile);
        }
    }
}

TEST_F(StreamsTest, FilesFullAndLazy)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString name = dir.filePath(QStringLiteral("form.img"));
    {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(plain({{"uno.bmp", "111"}, {"cero.bmp", ""}, {"dos.bmp", "22"}}));
    }
    for (bool lazy : {false, true}) {
        SCOPED_TRACE(lazy ? "lazy" : "full");
        TStreams s;
        s.LazyLoad = lazy;
        s.LoadFromFile(name);
        EXPECT_EQ(s.FileName, name);
        ASSERT_EQ(s.Count(), 3);
        TMemoryStream m;
        s.GetStream(QStringLiteral("dos.bmp"), m);
        EXPECT_EQ(m.Data, QByteArray("22"));
        s.GetStream(QStringLiteral("cero.bmp"), m);
        EXPECT_TRUE(m.Data.isEmpty());
        s.GetStream(QStringLiteral("UNO.bmp"), m);
        EXPECT_EQ(m.Data, QByteArray("111"));
    }
    TStreams missing;
    EXPECT_THROW(missing.LoadFromFile(dir.filePath(QStringLiteral("no.img"))), EInOutError);
}

// A container that is no regular file, one far larger than any container
// can decode to, and a few bytes announcing megabytes: each refused at once.
TEST_F(StreamsTest, FilesThatAreNoContainerAreRefusedAtOnce)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString fifo = dir.filePath(QStringLiteral("fifo.img"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString huge = dir.filePath(QStringLiteral("huge.img"));
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(plain({}));
        ASSERT_TRUE(f.resize(qint64(kMaxDecodedSize) + 1));   // sparse: nothing is written
    }
    const QString tiny = dir.filePath(QStringLiteral("tiny.img"));
    {
        QFile f(tiny);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("& ") + le32(50 * 1000 * 1000) + QByteArray(2, '\0'));
    }
    struct Case {
        QString file;
        bool lazy;
        const char* says;
    } cases[] = {
        {fifo, false, "fifo.img"}, {fifo, true, "fifo.img"}, {huge, false, "MB"}, {tiny, false, "Archivo incorrecto"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString() + (c.lazy ? " lazy" : ""));
        TStreams s;
        s.LazyLoad = c.lazy;
        try {
            s.LoadFromFile(c.file);
            ADD_FAILURE() << "loaded";
        } catch (const Exception& e) {
            EXPECT_TRUE(e.message().contains(QString::fromLatin1(c.says))) << e.message().toStdString();
        }
        EXPECT_EQ(s.Count(), 0);
    }
}

} // namespace
