// The picture files read back byte by byte: the metafiles' headers agree with
// their records and every drawing call arrives with its own pen, brush and
// font; the BMP is 4 bits per pixel, bottom-up, padded, with the 16-colour
// palette; the JPEG is progressive. (Real readers: tests/drawkit/readers.)
#include "drawkit/drawkit.h"
#include "drawkit/picturefiles.h"
#include "engine/formulapicture.h"
#include "foundation/core/exceptions.h"

#include "picturebytes.h"

#include <QImage>
#include <QtEndian>

#include <memory>

using namespace picturebytes;

namespace {

FixedWidthMetrics g_metrics(8);

// A picture with a call of every kind and state changes between them.
std::unique_ptr<FormulaPicture> SamplePicture()
{
    auto pic = std::make_unique<FormulaPicture>(&g_metrics);
    FormulaPicture& c = *pic;
    c.setSize(60, 30);
    c.setFont(CanvasFont{QStringLiteral("Arial"), -20, fsItalic, clBlack});
    c.textOut(2, 3, QStringLiteral("12"));
    c.setPenColor(clBlue);  // changed twice before anything is drawn: one pen
    c.setPenColor(clRed);
    c.line(2, 20, 40, 20);
    c.line(2, 22, 40, 22);
    c.setBrushColor(clBlue);
    c.rectangle(5, 5, 15, 15);
    c.setBrushStyle(bsClear);
    c.ellipse(20, 5, 30, 15);
    c.setBrushStyle(bsSolid);
    c.fillRect(TRect{40, 0, 50, 10});
    c.polyline({{0, 29}, {10, 25}, {20, 29}});
    c.setFontName(QStringLiteral("Symbol"));
    c.setFontColor(clGreen);
    c.textOut(45, 12, QStringLiteral("p"));
    c.setPenStyle(psDash);
    c.setPenWidth(2);
    c.line(0, 0, 10, 0);
    c.setPenStyle(psClear);
    c.line(0, 5, 10, 5);  // no pen: nothing drawn
    c.rectangle(0, 0, 3, 3);
    return pic;
}

// What both metafiles must draw for the sample; the fonts and the symbol's text differ.
QStringList SampleDrawn(const QString& textFont, const QString& symbolText, const QString& symbolFont)
{
    const QString red = PenText(0, 1, 0x0000FF);
    const QString none = PenText(5, 1, 0x000000);
    return {
        QStringLiteral("text 2,3 \"12\" %1 color=000000 bk=2/FFFFFF").arg(textFont),
        QStringLiteral("line 2,20 40,20 %1").arg(red),
        QStringLiteral("line 2,22 40,22 %1").arg(red),
        QStringLiteral("rect 5,5 15,15 %1 %2").arg(red, BrushText(0, 0xFF0000)),
        QStringLiteral("ellipse 20,5 30,15 %1 %2").arg(red, BrushText(1, 0)),
        // Filled without an outline: one more pixel right and down.
        QStringLiteral("rect 40,0 51,11 %1 %2").arg(none, BrushText(0, 0xFF0000)),
        QStringLiteral("polyline 0,29 10,25 20,29 %1").arg(red),
        QStringLiteral("text 45,12 \"%1\" %2 color=008000 bk=2/FF0000").arg(symbolText, symbolFont),
        QStringLiteral("line 0,0 10,0 %1").arg(PenText(1, 2, 0x0000FF)),
        QStringLiteral("rect 0,0 3,3 %1 %2").arg(none, BrushText(0, 0xFF0000)),
    };
}

int Count(const std::vector<Record>& records, unsigned type)
{
    return int(std::count_if(records.begin(), records.end(), [type](const Record& r) { return r.type == type; }));
}

} // namespace

TEST(EmfFile, DrawsEveryCallWithItsPenBrushAndFont)
{
    const QByteArray emf = PictureToEmf(*SamplePicture());
    const std::vector<Record> records = EmfRecords(emf);
    const Player p = PlayEmf(records);
    // The "Symbol" letters become the characters they stand for, in the serif face.
    EXPECT_EQ(p.drawn, SampleDrawn(FontText(QStringLiteral("Arial"), -20, 400, true, 1), QStringLiteral("π"),
                                   FontText(QStringLiteral("Times New Roman"), -20, 400, true, 1)));
    // Only changes of state are written: red, none, red, dashed, none.
    EXPECT_EQ(Count(records, 38), 5);
    EXPECT_EQ(Count(records, 39), 3);
    EXPECT_EQ(Count(records, 82), 2);
}

TEST(EmfFile, HeaderAgreesWithTheRecords)
{
    const QByteArray emf = PictureToEmf(*SamplePicture());
    const std::vector<Record> records = EmfRecords(emf);
    ASSERT_GE(records.size(), 3u);
    const QByteArray& h = records.front().bytes;
    EXPECT_EQ(records.front().type, 1u);
    EXPECT_EQ(u32(h, 40), 0x464D4520u);  // " EMF"
    EXPECT_EQ(u32(h, 44), 0x00010000u);
    EXPECT_EQ(u32(h, 48), std::uint32_t(emf.size()));
    EXPECT_EQ(u32(h, 52), std::uint32_t(records.size()));
    // Bounds: the picture's pixels, inclusive.
    EXPECT_EQ(QList<int>({i32(h, 8), i32(h, 12), i32(h, 16), i32(h, 20)}), QList<int>({0, 0, 59, 29}));
    // Frame in hundredths of a millimetre at 96 dots per inch: 60 pixels are
    // 1587.5, 30 pixels 793.75, rounded, inclusive.
    EXPECT_EQ(QList<int>({i32(h, 24), i32(h, 28), i32(h, 32), i32(h, 36)}), QList<int>({0, 0, 1587, 793}));
    // The description sits inside the header record, as UTF-16 text.
    const std::uint32_t nDesc = u32(h, 60), offDesc = u32(h, 64);
    ASSERT_LE(offDesc + nDesc * 2, std::uint32_t(h.size()));
    EXPECT_EQ(Utf16At(h, offDesc, 7), QStringLiteral("Sumbrix"));
    // The object table: slot 0 is the metafile's own; the count covers every slot.
    const Player p = PlayEmf(records);
    EXPECT_FALSE(p.objects.count(0));
    EXPECT_GT(int(u16(h, 56)), p.maxSlot);
    // The end record repeats its own size.
    EXPECT_EQ(records.back().type, 14u);
    EXPECT_EQ(u32(records.back().bytes, 16), 20u);
}

TEST(EmfFile, TextCarriesTheAdvancesItWasMeasuredWith)
{
    const QByteArray emf = PictureToEmf(*SamplePicture());
    int texts = 0;
    for (const Record& r : EmfRecords(emf)) {
        if (r.type != 84)
            continue;
        ++texts;
        const std::uint32_t chars = u32(r.bytes, 44), offDx = u32(r.bytes, 72);
        for (std::uint32_t i = 0; i < chars; ++i)
            EXPECT_EQ(i32(r.bytes, offDx + 4 * i), 8);
    }
    EXPECT_EQ(texts, 2);
}

TEST(WmfFile, DrawsEveryCallWithItsPenBrushAndFont)
{
    const QByteArray wmf = PictureToWmf(*SamplePicture());
    const std::vector<Record> records = WmfRecords(wmf);
    const Player p = PlayWmf(records);
    // The "Symbol" letters keep their codes under the symbol character set.
    EXPECT_EQ(p.drawn, SampleDrawn(FontText(QStringLiteral("Arial"), -20, 400, true, 0), QStringLiteral("p"),
                                   FontText(QStringLiteral("Symbol"), -20, 400, true, 2)));
    EXPECT_EQ(Count(records, 0x02FA), 5);
    EXPECT_EQ(Count(records, 0x02FC), 3);
    EXPECT_EQ(Count(records, 0x02FB), 2);
}

TEST(WmfFile, HeadersAgreeWithTheRecords)
{
    const QByteArray wmf = PictureToWmf(*SamplePicture());
    // Placeable header: key, box, 96 units per inch, checksum of its first ten words.
    EXPECT_EQ(u32(wmf, 0), 0x9AC6CDD7u);
    EXPECT_EQ(QList<int>({i16(wmf, 6), i16(wmf, 8), i16(wmf, 10), i16(wmf, 12)}), QList<int>({0, 0, 60, 30}));
    EXPECT_EQ(u16(wmf, 14), 96);
    std::uint16_t sum = 0;
    for (int i = 0; i < 20; i += 2)
        sum ^= u16(wmf, i);
    EXPECT_EQ(u16(wmf, 20), sum);
    // Metafile header: memory metafile of 9 words, version 3.0.
    EXPECT_EQ(u16(wmf, 22), 1);
    EXPECT_EQ(u16(wmf, 24), 9);
    EXPECT_EQ(u16(wmf, 26), 0x0300);
    EXPECT_EQ(u32(wmf, 28), std::uint32_t((wmf.size() - 22) / 2));
    const std::vector<Record> records = WmfRecords(wmf);
    std::uint32_t largest = 0;
    for (const Record& r : records)
        largest = std::max(largest, std::uint32_t(r.bytes.size() / 2));
    EXPECT_EQ(u32(wmf, 34), largest);
    EXPECT_GT(int(u16(wmf, 32)), PlayWmf(records).maxSlot);
    // The window is the picture, and the last record ends the file.
    ASSERT_GE(Count(records, 0x020C), 1);
    for (const Record& r : records) {
        if (r.type == 0x020C) {
            EXPECT_EQ(QList<int>({i16(r.bytes, 6), i16(r.bytes, 8)}), QList<int>({30, 60}));
        }
    }
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back().type, 0u);
    EXPECT_EQ(records.back().bytes.size(), 6);
}

TEST(WmfFile, TextIsWrittenInTheCodePageWithItsAdvances)
{
    FormulaPicture pic(&g_metrics);
    pic.setSize(80, 20);
    pic.textOut(1, 2, QStringLiteral("£ñ5"));
    const std::vector<Record> records = WmfRecords(PictureToWmf(pic));
    int texts = 0;
    for (const Record& r : records) {
        if (r.type != 0x0A32)
            continue;
        ++texts;
        EXPECT_EQ(i16(r.bytes, 10), 3);
        EXPECT_EQ(r.bytes.mid(14, 3), QByteArray("\xA3\xF1" "5"));
        // After the string, padded to a whole word: one advance per byte.
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(i16(r.bytes, 18 + 2 * i), 8);
    }
    EXPECT_EQ(texts, 1);
}

TEST(PictureFiles, PicturesTheFormatCannotHoldAreRefused)
{
    struct Case {
        int width, height;
        PictureFileType type;
    } cases[] = {
        {0, 10, PictureFileType::Emf},     {10, 0, PictureFileType::Wmf},
        {0, 0, PictureFileType::Bmp},      {0, 5, PictureFileType::Jpg},
        {40000, 10, PictureFileType::Wmf},  // 16-bit coordinates
        {70000, 1, PictureFileType::Jpg},   // libjpeg's largest side
        {100000, 100000, PictureFileType::Bmp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1x%2 %3").arg(c.width).arg(c.height).arg(int(c.type)).toStdString());
        FormulaPicture pic(&g_metrics);
        pic.setSize(c.width, c.height);
        pic.line(0, 0, 5, 5);
        try {
            EncodePicture(pic, c.type);
            ADD_FAILURE() << "no exception";
        } catch (const Exception& e) {
            EXPECT_FALSE(e.message().isEmpty());
        }
    }
}

TEST(BmpFile, FourBitsBottomUpPaddedWithThePalette)
{
    // Black top row, a red pixel at the bottom right, white elsewhere.
    FormulaPicture pic(&g_metrics);
    pic.setSize(9, 3);
    pic.setBrushColor(clBlack);
    pic.fillRect(TRect{0, 0, 9, 1});
    pic.setBrushColor(clRed);
    pic.fillRect(TRect{8, 2, 9, 3});
    const QByteArray bmp = PictureToBmp4(pic);

    EXPECT_EQ(bmp.left(2), QByteArray("BM"));
    EXPECT_EQ(u32(bmp, 2), std::uint32_t(bmp.size()));
    EXPECT_EQ(u32(bmp, 10), 14u + 40u + 64u);
    EXPECT_EQ(u32(bmp, 14), 40u);
    EXPECT_EQ(i32(bmp, 18), 9);
    EXPECT_EQ(i32(bmp, 22), 3);  // positive: bottom-up
    EXPECT_EQ(u16(bmp, 26), 1);
    EXPECT_EQ(u16(bmp, 28), 4);
    EXPECT_EQ(u32(bmp, 30), 0u);
    EXPECT_EQ(u32(bmp, 34), 8u * 3u);  // 9 pixels in 5 bytes, padded to 8
    EXPECT_EQ(u32(bmp, 46), 16u);
    const QList<QRgb> palette = Bmp4Palette();
    ASSERT_EQ(palette.size(), 16);
    for (int i = 0; i < 16; ++i) {
        SCOPED_TRACE(i);
        const qsizetype at = 54 + 4 * i;
        EXPECT_EQ(qRgb(std::uint8_t(bmp[at + 2]), std::uint8_t(bmp[at + 1]), std::uint8_t(bmp[at])), palette[i]);
        EXPECT_EQ(bmp[at + 3], 0);
    }
    EXPECT_EQ(palette[0], qRgb(0, 0, 0));
    EXPECT_EQ(palette[9], qRgb(255, 0, 0));
    EXPECT_EQ(palette[15], qRgb(255, 255, 255));
    // The first row stored is the bottom one; two pixels a byte, high nibble first.
    EXPECT_EQ(bmp.mid(118, 8), QByteArray("\xFF\xFF\xFF\xFF\x90\0\0\0", 8));
    EXPECT_EQ(bmp.mid(126, 8), QByteArray("\xFF\xFF\xFF\xFF\xF0\0\0\0", 8));
    EXPECT_EQ(bmp.mid(134, 8), QByteArray(8, '\0'));
    EXPECT_EQ(bmp.size(), 142);
}

TEST(BmpFile, EachPixelTakesTheNearestPaletteColour)
{
    struct Case {
        QRgb colour;
        int index;
    } cases[] = {
        {qRgb(0, 0, 0), 0},        {qRgb(255, 255, 255), 15}, {qRgb(100, 100, 100), 8},
        {qRgb(200, 200, 200), 7},  {qRgb(250, 10, 10), 9},    {qRgb(120, 0, 0), 1},
        {qRgb(0, 0, 140), 4},      {qRgb(30, 30, 30), 0},     {qRgb(240, 240, 30), 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        QImage img(1, 1, QImage::Format_RGB32);
        img.setPixel(0, 0, c.colour);
        const QByteArray bmp = ImageToBmp4(img);
        EXPECT_EQ(std::uint8_t(bmp[118]) >> 4, c.index);
    }
}

TEST(JpegFile, ProgressiveScansOrOneBaselineScan)
{
    FormulaPicture pic(&g_metrics);
    pic.setSize(40, 20);
    pic.setBrushColor(clRed);
    pic.fillRect(TRect{5, 5, 30, 15});
    const QImage img = PictureBitmap(pic);
    struct Case {
        bool progressive;
        bool sof2;
        bool manyScans;
    } cases[] = {{true, true, true}, {false, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.progressive);
        const QByteArray jpg = ImageToJpeg(img, 80, c.progressive);
        EXPECT_TRUE(jpg.startsWith("\xFF\xD8"));
        EXPECT_TRUE(jpg.endsWith("\xFF\xD9"));
        // Walk the segments up to the first scan, then count the scans.
        int scans = 0;
        bool sof0 = false, sof2 = false;
        qsizetype at = 2;
        while (at + 4 <= jpg.size()) {
            if (std::uint8_t(jpg[at]) != 0xFF) {
                ++at;
                continue;
            }
            const std::uint8_t marker = std::uint8_t(jpg[at + 1]);
            if (marker == 0x00 || marker == 0xFF || (marker >= 0xD0 && marker <= 0xD7)) {
                ++at;
                continue;
            }
            if (marker == 0xC0)
                sof0 = true;
            if (marker == 0xC2)
                sof2 = true;
            if (marker == 0xDA)
                ++scans;
            if (marker == 0xE0) {
                // JFIF with 96 dots per inch.
                EXPECT_EQ(jpg.mid(at + 4, 5), QByteArray("JFIF\0", 5));
                EXPECT_EQ(std::uint8_t(jpg[at + 11]), 1);
                EXPECT_EQ(qFromBigEndian<std::uint16_t>(jpg.constData() + at + 12), 96);
            }
            const qsizetype len = qFromBigEndian<std::uint16_t>(jpg.constData() + at + 2);
            at += 2 + (marker == 0xDA ? 2 : len);
        }
        EXPECT_EQ(sof2, c.sof2);
        EXPECT_EQ(sof0, !c.sof2);
        EXPECT_EQ(scans > 1, c.manyScans);
        EXPECT_GE(scans, 1);
    }
}
