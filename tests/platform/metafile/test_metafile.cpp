// Metafile pictures drawn into images: the EMF and WMF files our own picture
// export writes come out as the formula drawn on the screen; anything that is
// no readable metafile (garbage, truncated, overrunning records, random
// damage) gives an empty image, never a crash or a huge allocation.
#include "platform/metafile.h"

#include "drawkit/picturefiles.h"
#include "drawkit/qpaintercanvas.h"
#include "engine/formulapicture.h"
#include "engine/real/expresion.h"
#include "support/sampleformula.h"

#include <QBuffer>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct Exports {
    QByteArray emf, wmf, bmp;
    QImage bitmap;
    QSize size;
};
const Exports& Exported()
{
    static const Exports e = [] {
        const auto pic = SampleFormulaPicture();
        Exports x;
        x.emf = PictureToEmf(*pic);
        x.wmf = PictureToWmf(*pic);
        x.bmp = PictureToBmp4(*pic);
        x.bitmap = PictureBitmap(*pic);
        x.size = QSize(pic->width(), pic->height());
        return x;
    }();
    return e;
}

void put32(QByteArray& b, int at, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char(v >> (8 * i));
}
void put16(QByteArray& b, int at, quint16 v)
{
    b[at] = char(v);
    b[at + 1] = char(v >> 8);
}
quint16 get16(const QByteArray& b, int at) { return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8); }

// The box holding every dark, opaque pixel.
QRect InkBox(const QImage& image)
{
    QRect box;
    const QImage img = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            if (qAlpha(p) > 128 && qGray(p) < 128)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

void ExpectNear(const QRect& a, const QRect& b, int tolerance)
{
    EXPECT_LE(std::abs(a.left() - b.left()), tolerance);
    EXPECT_LE(std::abs(a.top() - b.top()), tolerance);
    EXPECT_LE(std::abs(a.right() - b.right()), tolerance);
    EXPECT_LE(std::abs(a.bottom() - b.bottom()), tolerance);
}

void RequireLibraries()
{
    if (!MetafileKindSupported(MetafileKind::Emf))
        FAIL() << "libemf2svg is missing: scripts/setup.sh installs libemf2svg-dev";
    if (!MetafileKindSupported(MetafileKind::Wmf))
        FAIL() << "libwmf is missing: scripts/setup.sh installs libwmf-dev";
}

struct Kinded {
    const char* name;
    QByteArray bytes;
    MetafileKind kind;
};
std::vector<Kinded> OurMetafiles()
{
    return {{"emf", Exported().emf, MetafileKind::Emf}, {"wmf", Exported().wmf, MetafileKind::Wmf}};
}

// One to six bytes of the picture changed at random places.
QByteArray Damaged(QByteArray bytes, QRandomGenerator& random)
{
    const int changes = 1 + random.bounded(6);
    for (int i = 0; i < changes; ++i) {
        const int at = random.bounded(int(bytes.size()));
        bytes[at] = char(random.bounded(2) ? random.bounded(256) : bytes[at] ^ 0x80);
    }
    return bytes;
}

TEST(Metafile, OurExportsAreDrawnWhereTheBitmapHasInk)
{
    RequireLibraries();
    const QRect expected = InkBox(Exported().bitmap);
    ASSERT_FALSE(expected.isEmpty());
    for (const Kinded& m : OurMetafiles()) {
        SCOPED_TRACE(m.name);
        EXPECT_EQ(MetafileKindOf(m.bytes), m.kind);
        const QImage img = RenderMetafile(m.bytes);
        ASSERT_FALSE(img.isNull());
        // At its own size, give or take the rounding of the picture's frame.
        EXPECT_LE(std::abs(img.width() - Exported().size.width()), 2) << img.width();
        EXPECT_LE(std::abs(img.height() - Exported().size.height()), 2) << img.height();
        // Transparent where nothing is drawn, ink where the formula is.
        EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
        ExpectNear(InkBox(img), expected, 4);
    }
}

TEST(Metafile, ShrunkIntoTheBoundKeepingProportions)
{
    RequireLibraries();
    const QSize own = Exported().size;   // wider than high
    for (const Kinded& m : OurMetafiles()) {
        SCOPED_TRACE(m.name);
        const QImage small = RenderMetafile(m.bytes, QSize(40, 40));
        ASSERT_FALSE(small.isNull());
        EXPECT_EQ(small.width(), 40);
        EXPECT_NEAR(small.height(), 40.0 * own.height() / own.width(), 1.5);
        EXPECT_FALSE(InkBox(small).isEmpty());
        // A bound larger than the picture leaves it at its own size.
        EXPECT_EQ(RenderMetafile(m.bytes, own * 3).size(), RenderMetafile(m.bytes).size());
    }
}

TEST(Metafile, AHugeAnnouncedSizeIsDrawnNoLargerThanTheLimit)
{
    RequireLibraries();
    // The placeable header says one unit per inch: a picture 96 times larger.
    QByteArray wmf = Exported().wmf;
    put16(wmf, 14, 1);
    quint16 sum = 0;
    for (int i = 0; i < 20; i += 2)
        sum ^= get16(wmf, i);
    put16(wmf, 20, sum);
    const QImage img = RenderMetafile(wmf);
    ASSERT_FALSE(img.isNull());
    EXPECT_LE(img.width(), kMetafileMaxSize.width());
    EXPECT_LE(img.height(), kMetafileMaxSize.height());
    EXPECT_GT(img.width(), 1000);
}

TEST(Metafile, BytesThatAreNoReadableMetafileGiveAnEmptyImage)
{
    const QByteArray emf = Exported().emf;
    const QByteArray wmf = Exported().wmf;
    const int emfFirst = int(quint8(emf[4]) | quint8(emf[5]) << 8);   // the header record's size
    const int wmfFirst = 22 + 18;                                        // the first record
    auto with32 = [](QByteArray b, int at, quint32 v) { put32(b, at, v); return b; };
    auto with16 = [](QByteArray b, int at, quint16 v) { put16(b, at, v); return b; };
    struct Case {
        const char* name;
        QByteArray bytes;
        MetafileKind kind;
    };
    const Case cases[] = {
        {"empty", QByteArray(), MetafileKind::None},
        {"text", QByteArray("esto no es una imagen"), MetafileKind::None},
        {"zeros", QByteArray(4096, '\0'), MetafileKind::None},
        {"bitmap", Exported().bmp, MetafileKind::None},
        {"emf: header cut", emf.left(60), MetafileKind::None},
        {"emf: header only", emf.left(emfFirst), MetafileKind::Emf},
        {"emf: half", emf.left(emf.size() / 2), MetafileKind::Emf},
        {"emf: end record cut", emf.left(emf.size() - 1), MetafileKind::Emf},
        {"emf: wrong signature", with32(emf, 40, 0x12345678), MetafileKind::None},
        {"emf: header smaller than a header", with32(emf, 4, 40), MetafileKind::Emf},
        {"emf: record of size 0", with32(emf, emfFirst + 4, 0), MetafileKind::Emf},
        {"emf: record size not of whole words", with32(emf, emfFirst + 4, 10), MetafileKind::Emf},
        {"emf: record past the end", with32(emf, emfFirst + 4, 0x7FFFFFF0), MetafileKind::Emf},
        {"emf: no end record", with32(emf, emf.size() - 20, 70), MetafileKind::Emf},
        {"wmf: placeable header only", wmf.left(22), MetafileKind::None},
        {"wmf: headers only", wmf.left(wmfFirst), MetafileKind::Wmf},
        {"wmf: half", wmf.left(wmf.size() / 2), MetafileKind::Wmf},
        {"wmf: end record cut", wmf.left(wmf.size() - 1), MetafileKind::Wmf},
        {"wmf: unknown type", with16(wmf, 22, 7), MetafileKind::None},
        {"wmf: wrong header size", with16(wmf, 24, 12), MetafileKind::None},
        {"wmf: record of size 0", with32(wmf, wmfFirst, 0), MetafileKind::Wmf},
        {"wmf: record past the end", with32(wmf, wmfFirst, 0x7FFFFFFF), MetafileKind::Wmf},
        {"wmf: no end record", with16(wmf, wmf.size() - 2, 0x0201), MetafileKind::Wmf},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MetafileKindOf(c.bytes), c.kind);
        EXPECT_TRUE(RenderMetafile(c.bytes).isNull());
    }
}

// Random damage to the records' contents (their frame left whole or not):
// whatever the libraries make of it, no crash, no read outside the bytes (the
// sanitizers watch), and any image within the limit.
TEST(Metafile, DamagedMetafilesNeverCrash)
{
    RequireLibraries();
    QRandomGenerator random(20261211);
    for (const Kinded& m : OurMetafiles()) {
        SCOPED_TRACE(m.name);
        int drawn = 0;
        for (int round = 0; round < 150; ++round) {
            const QByteArray bytes = Damaged(m.bytes, random);
            const QImage img = RenderMetafile(bytes);
            if (!img.isNull()) {
                ++drawn;
                EXPECT_LE(img.width(), kMetafileMaxSize.width());
                EXPECT_LE(img.height(), kMetafileMaxSize.height());
            }
        }
        // Most small damages still leave a picture: the checks refuse only what is broken.
        EXPECT_GT(drawn, 0);
    }
}

// Thousands of damaged pictures with text records drawn in one process: the
// library's font lookups for the text never take fontconfig down under the
// program's own fonts.
TEST(Metafile, ThousandsOfDamagedPicturesWithTextInOneProcess)
{
    RequireLibraries();
    QRandomGenerator random(7);
    for (const Kinded& m : OurMetafiles()) {
        SCOPED_TRACE(m.name);
        int drawn = 0;
        for (int round = 0; round < 1000; ++round) {
            const QByteArray bytes = Damaged(m.bytes, random);
            drawn += !RenderMetafile(bytes).isNull();
        }
        EXPECT_GT(drawn, 0);
    }
}

} // namespace
