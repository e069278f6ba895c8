// The exported files as other programs read them: the enhanced metafile
// through libemf2svg, the classic one through libwmf's wmf2svg, the bitmaps
// through Qt's image readers and libjpeg. Each converted picture must hold the
// formula's text and strokes.
#include "drawkit/picturefiles.h"
#include "drawkit/qpaintercanvas.h"
#include "engine/formulapicture.h"
#include "engine/real/expresion.h"
#include "support/sampleformula.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <clocale>
#include <csetjmp>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>

#ifdef SUMBRIX_HAVE_EMF2SVG
#include <emf2svg.h>
#endif

namespace {

// The picture's texts with their fonts and cells, its lines and polylines.
struct Drawn {
    struct Text {
        QString text;
        CanvasFont font;
        QRect cell;
    };
    QList<Text> texts;
    QList<pictureop::Line> lines;
    QList<pictureop::Polyline> polylines;
};
Drawn DrawnOf(const FormulaPicture& pic)
{
    Drawn d;
    CanvasFont font;
    QtCanvasMetrics& m = QtCanvasMetrics::shared();
    for (const PictureOp& op : pic.ops()) {
        if (auto f = std::get_if<pictureop::SetFont>(&op))
            font = f->font;
        else if (auto t = std::get_if<pictureop::Text>(&op); t && !t->text.trimmed().isEmpty())
            d.texts.append({t->text, font, QRect(t->x, t->y, m.textWidth(font, t->text), m.textHeight(font))});
        else if (auto l = std::get_if<pictureop::Line>(&op))
            d.lines.append(*l);
        else if (auto p = std::get_if<pictureop::Polyline>(&op))
            d.polylines.append(*p);
    }
    return d;
}

// The text of every element of the kind, in document order.
QStringList ElementTexts(const QString& svg, const QString& element)
{
    QStringList out;
    const QRegularExpression re(QStringLiteral("<(?:svg:)?%1\\b[^>]*>\\s*(?:<!\\[CDATA\\[)?(.*?)(?:\\]\\]>)?\\s*</").arg(element),
                                QRegularExpression::DotMatchesEverythingOption);
    for (auto it = re.globalMatch(svg); it.hasNext();)
        out << it.next().captured(1);
    return out;
}
int CountElements(const QString& svg, const QString& element)
{
    return int(svg.count(QRegularExpression(QStringLiteral("<(?:svg:)?%1\\b").arg(element))));
}

QString TempFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
    return path;
}

bool Dark(QRgb p) { return qGray(p) < 128; }

// Every text of the picture has ink in its cell, every horizontal or vertical
// line ink along most of its length.
void ExpectInkWhereDrawn(const QImage& img, const Drawn& d)
{
    for (const Drawn::Text& t : d.texts) {
        SCOPED_TRACE(t.text.toStdString());
        int ink = 0;
        for (int y = t.cell.top(); y <= t.cell.bottom(); ++y)
            for (int x = t.cell.left(); x <= t.cell.right(); ++x)
                ink += img.rect().contains(x, y) && Dark(img.pixel(x, y));
        EXPECT_GT(ink, 3);
    }
    for (const pictureop::Line& l : d.lines) {
        if (l.x1 != l.x2 && l.y1 != l.y2)
            continue;
        int ink = 0, length = std::max(std::abs(l.x2 - l.x1), std::abs(l.y2 - l.y1));
        for (int i = 0; i < length; ++i) {
            const int x = l.x1 + (l.x2 > l.x1 ? i : l.x2 < l.x1 ? -i : 0);
            const int y = l.y1 + (l.y2 > l.y1 ? i : l.y2 < l.y1 ? -i : 0);
            ink += Dark(img.pixel(x, y));
        }
        EXPECT_GE(ink, length * 9 / 10) << "line " << l.x1 << "," << l.y1 << " " << l.x2 << "," << l.y2;
    }
}

// ---- libjpeg's reading ----

struct JpegRead {
    bool ok = false;
    bool progressive = false;
    int width = 0, height = 0, components = 0;
    std::vector<unsigned> quant[2];  // natural order
    char message[JMSG_LENGTH_MAX] = {};
};

struct ReadErrors {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};
extern "C" void readErrorExit(j_common_ptr info) { std::longjmp(reinterpret_cast<ReadErrors*>(info->err)->jump, 1); }

// Reads the headers and decodes every scanline.
void ReadJpeg(const QByteArray& bytes, JpegRead& r)
{
    jpeg_decompress_struct info;
    ReadErrors errors;
    info.err = jpeg_std_error(&errors.mgr);
    errors.mgr.error_exit = readErrorExit;
    if (setjmp(errors.jump)) {
        (*info.err->format_message)(reinterpret_cast<j_common_ptr>(&info), r.message);
        jpeg_destroy_decompress(&info);
        r.ok = false;
        return;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    r.progressive = jpeg_has_multiple_scans(&info);
    r.width = int(info.image_width);
    r.height = int(info.image_height);
    r.components = info.num_components;
    for (int t = 0; t < 2; ++t) {
        r.quant[t].clear();
        if (info.quant_tbl_ptrs[t])
            for (int i = 0; i < DCTSIZE2; ++i)
                r.quant[t].push_back(info.quant_tbl_ptrs[t]->quantval[i]);
    }
    jpeg_start_decompress(&info);
    std::vector<unsigned char> row(std::size_t(info.output_width) * std::size_t(info.output_components));
    while (info.output_scanline < info.output_height) {
        JSAMPROW p = row.data();
        jpeg_read_scanlines(&info, &p, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    r.ok = true;
}

// The quantisation tables of the JPEG standard's example, scaled as libjpeg
// scales them for a quality of 80 (to 40 %).
std::vector<unsigned> Quality80(const unsigned (&base)[64])
{
    std::vector<unsigned> out;
    for (unsigned v : base)
        out.push_back(std::clamp((v * 40 + 50) / 100, 1u, 255u));
    return out;
}
constexpr unsigned kLuminance[64] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                                     14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                                     18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                                     49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr unsigned kChrominance[64] = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
                                       24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
                                       99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                                       99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};


} // namespace

TEST(PictureReaders, TheFormulaHasTextLinesAndARadical)
{
    const auto pic = SampleFormulaPicture();
    ASSERT_NE(pic, nullptr);
    const Drawn d = DrawnOf(*pic);
    QStringList texts;
    for (const Drawn::Text& t : d.texts)
        texts << t.text;
    EXPECT_TRUE(texts.contains(QStringLiteral("12")));
    EXPECT_TRUE(texts.contains(QStringLiteral("p")));  // pi in the "Symbol" font
    EXPECT_FALSE(d.lines.isEmpty());
    EXPECT_FALSE(d.polylines.isEmpty() && d.lines.size() < 2);
}

TEST(PictureReaders, Emf2svgReadsTheTextAndTheStrokes)
{
#ifndef SUMBRIX_HAVE_EMF2SVG
    FAIL() << "libemf2svg is missing: scripts/setup.sh installs libemf2svg-dev";
#else
    const auto pic = SampleFormulaPicture();
    ASSERT_NE(pic, nullptr);
    QByteArray emf = PictureToEmf(*pic);
    generatorOptions options{};
    // No namespace prefix: the library keeps a copy of one it never frees.
    options.nameSpace = nullptr;
    options.svgDelimiter = true;
    char* out = nullptr;
    size_t length = 0;
    // The library prints its numbers through the C locale: "2.0000", not "2,0000".
    const std::string numeric = std::setlocale(LC_NUMERIC, nullptr);
    std::setlocale(LC_NUMERIC, "C");
    const int ok = emf2svg(emf.data(), size_t(emf.size()), &out, &length, &options);
    std::setlocale(LC_NUMERIC, numeric.c_str());
    const QString svg = QString::fromUtf8(out, qsizetype(length));
    std::free(out);
    ASSERT_EQ(ok, 1) << svg.toStdString();
    // Every text, the "Symbol" letters as what they stand for.
    const QStringList shown = ElementTexts(svg, QStringLiteral("text"));
    const Drawn d = DrawnOf(*pic);
    for (const Drawn::Text& t : d.texts)
        EXPECT_TRUE(shown.contains(QtCanvasMetrics::displayText(t.font, t.text))) << t.text.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("π")));
    // Every line where the picture has it.
    for (const pictureop::Line& l : d.lines)
        EXPECT_TRUE(svg.contains(QStringLiteral("M %1.0000,%2.0000 L %3.0000,%4.0000").arg(l.x1).arg(l.y1).arg(l.x2).arg(l.y2)))
            << "line " << l.x1 << "," << l.y1 << " in " << svg.toStdString();
    EXPECT_GE(CountElements(svg, QStringLiteral("path")) + CountElements(svg, QStringLiteral("polyline")),
              int(d.lines.size() + d.polylines.size()));
#endif
}

TEST(PictureReaders, Wmf2svgReadsTheTextAndTheStrokes)
{
#ifndef SUMBRIX_WMF2SVG
    FAIL() << "wmf2svg is missing: scripts/setup.sh installs libwmf-bin";
#else
    const auto pic = SampleFormulaPicture();
    ASSERT_NE(pic, nullptr);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString wmf = TempFile(dir, QStringLiteral("f.wmf"), PictureToWmf(*pic));
    const QString svgName = dir.filePath(QStringLiteral("f.svg"));
    QProcess conv;
    conv.start(QStringLiteral(SUMBRIX_WMF2SVG), {QStringLiteral("-o"), svgName, wmf});
    ASSERT_TRUE(conv.waitForFinished(60000));
    ASSERT_EQ(conv.exitCode(), 0) << conv.readAllStandardError().toStdString();
    QFile f(svgName);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString svg = QString::fromUtf8(f.readAll());
    // The reader places text character by character: the texts in order.
    const QString shown = ElementTexts(svg, QStringLiteral("text")).join(QString());
    const Drawn d = DrawnOf(*pic);
    qsizetype from = 0;
    for (const Drawn::Text& t : d.texts) {
        const qsizetype at = shown.indexOf(t.text, from);
        EXPECT_GE(at, 0) << t.text.toStdString() << " in " << shown.toStdString();
        if (at >= 0)
            from = at + t.text.size();
    }
    EXPECT_TRUE(svg.contains(QStringLiteral("font-family:Symbol")));
    EXPECT_GE(CountElements(svg, QStringLiteral("line")) + CountElements(svg, QStringLiteral("polyline")) +
                  CountElements(svg, QStringLiteral("path")),
              int(d.lines.size() + d.polylines.size()));
#endif
}

TEST(PictureReaders, QtReadsTheBmpAsFourBitsWithThePalette)
{
    const auto pic = SampleFormulaPicture();
    ASSERT_NE(pic, nullptr);
    QByteArray bmp = PictureToBmp4(*pic);
    QBuffer buffer(&bmp);
    QImageReader reader(&buffer, "bmp");
    const QImage img = reader.read();
    ASSERT_FALSE(img.isNull()) << reader.errorString().toStdString();
    EXPECT_EQ(img.size(), QSize(pic->width(), pic->height()));
    // Qt keeps a 4-bit bitmap as an indexed image of its 16 colours.
    EXPECT_EQ(img.format(), QImage::Format_Indexed8);
    EXPECT_EQ(img.colorTable(), Bmp4Palette());
    // Each pixel is the palette colour nearest to the picture drawn in full colour.
    const QImage full = PictureBitmap(*pic);
    const QList<QRgb> palette = Bmp4Palette();
    int wrong = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = full.pixel(x, y);
            int best = INT_MAX;
            for (QRgb p : palette) {
                const int dr = qRed(c) - qRed(p), dg = qGreen(c) - qGreen(p), db = qBlue(c) - qBlue(p);
                best = std::min(best, dr * dr + dg * dg + db * db);
            }
            const QRgb got = img.pixel(x, y);
            const int dr = qRed(c) - qRed(got), dg = qGreen(c) - qGreen(got), db = qBlue(c) - qBlue(got);
            wrong += dr * dr + dg * dg + db * db != best;
        }
    EXPECT_EQ(wrong, 0);
    ExpectInkWhereDrawn(img, DrawnOf(*pic));
}

TEST(PictureReaders, TheJpegIsProgressiveAtQuality80)
{
    const auto pic = SampleFormulaPicture();
    ASSERT_NE(pic, nullptr);
    const QByteArray jpg = PictureToJpeg(*pic);
    JpegRead r;
    ReadJpeg(jpg, r);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_TRUE(r.progressive);
    EXPECT_EQ(r.width, pic->width());
    EXPECT_EQ(r.height, pic->height());
    EXPECT_EQ(r.components, 3);
    EXPECT_EQ(r.quant[0], Quality80(kLuminance));
    EXPECT_EQ(r.quant[1], Quality80(kChrominance));
    // Qt's reader: the same size, the picture's ink where it was drawn.
    const QImage img = QImage::fromData(jpg, "JPG");
    ASSERT_FALSE(img.isNull());
    EXPECT_EQ(img.size(), QSize(pic->width(), pic->height()));
    ExpectInkWhereDrawn(img, DrawnOf(*pic));
}
