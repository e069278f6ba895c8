// The bitmap formats of a formula picture: a 4-bit palette BMP written here,
// and JPEG through libjpeg.
#include "drawkit/picturefiles.h"

#include "drawkit/drawkit.h"
#include "drawkit/qpaintercanvas.h"
#include "engine/formulapicture.h"
#include "foundation/core/exceptions.h"

#include <QHash>
#include <QtEndian>

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

// What a bitmap of the picture may cost: 64 million pixels (256 MB while it
// is drawn), far beyond any formula.
constexpr qint64 kMaxBitmapPixels = 64LL * 1024 * 1024;
// libjpeg's largest side.
constexpr int kMaxJpegSide = JPEG_MAX_DIMENSION;

[[noreturn]] void tooLarge(const QString& format)
{
    throw Exception(QStringLiteral("La imagen es demasiado grande para guardarla como %1.").arg(format));
}

int nearestIndex(const QList<QRgb>& palette, QRgb c)
{
    int best = 0;
    int bestDist = INT_MAX;
    for (int i = 0; i < palette.size(); ++i) {
        const int dr = qRed(c) - qRed(palette[i]);
        const int dg = qGreen(c) - qGreen(palette[i]);
        const int db = qBlue(c) - qBlue(palette[i]);
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDist) {
            bestDist = d;
            best = i;
        }
    }
    return best;
}

// ---- JPEG ----

struct JpegErrors {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void jpegErrorExit(j_common_ptr info)
{
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

extern "C" void jpegNoOutput(j_common_ptr) {}

// The encoding proper, with nothing but plain data alive across the jump of an
// error. Returns false with the library's message on failure; on success the
// bytes are in *out (malloc'ed, the caller frees them).
bool encodeJpeg(const unsigned char* rgb, int width, int height, qsizetype stride, int quality, bool progressive,
                unsigned char** out, unsigned long* outSize, char* message)
{
    jpeg_compress_struct info;
    JpegErrors errors;
    info.err = jpeg_std_error(&errors.mgr);
    errors.mgr.error_exit = jpegErrorExit;
    errors.mgr.output_message = jpegNoOutput;
    errors.message[0] = '\0';
    *out = nullptr;
    *outSize = 0;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        std::snprintf(message, JMSG_LENGTH_MAX, "%s", errors.message);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, outSize);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(&info);
    info.density_unit = 1;  // dots per inch
    info.X_density = 96;
    info.Y_density = 96;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb + stride * qsizetype(info.next_scanline));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

} // namespace

QString PictureFileExtension(PictureFileType type)
{
    switch (type) {
    case PictureFileType::Emf: return QStringLiteral(".emf");
    case PictureFileType::Jpg: return QStringLiteral(".jpg");
    case PictureFileType::Bmp: return QStringLiteral(".bmp");
    case PictureFileType::Wmf: return QStringLiteral(".wmf");
    }
    return QStringLiteral(".jpg");
}

QByteArray EncodePicture(const FormulaPicture& picture, PictureFileType type)
{
    switch (type) {
    case PictureFileType::Emf: return PictureToEmf(picture);
    case PictureFileType::Wmf: return PictureToWmf(picture);
    case PictureFileType::Bmp: return PictureToBmp4(picture);
    case PictureFileType::Jpg: break;
    }
    return PictureToJpeg(picture);
}

QList<QRgb> Bmp4Palette() { return CreateBitmap(1, 1, 4).colorTable(); }

QImage PictureBitmap(const FormulaPicture& picture)
{
    if (picture.width() <= 0 || picture.height() <= 0)
        throw Exception(QStringLiteral("No hay ninguna imagen que guardar."));
    if (qint64(picture.width()) * picture.height() > kMaxBitmapPixels)
        tooLarge(QStringLiteral("mapa de bits"));
    QImage image = RenderPicture(picture, clWhite);
    if (image.isNull())
        throw Exception(QStringLiteral("No hay memoria suficiente para dibujar la imagen."));
    return image;
}

QByteArray PictureToBmp4(const FormulaPicture& picture) { return ImageToBmp4(PictureBitmap(picture)); }

QByteArray PictureToJpeg(const FormulaPicture& picture)
{
    if (picture.width() > kMaxJpegSide || picture.height() > kMaxJpegSide)
        tooLarge(QStringLiteral("JPEG"));
    return ImageToJpeg(PictureBitmap(picture), kPictureJpegQuality, true);
}

QByteArray ImageToBmp4(const QImage& source)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const int w = image.width(), h = image.height();
    const QList<QRgb> palette = Bmp4Palette();
    const qint64 rowBytes = ((qint64(w) * 4 + 31) / 32) * 4;
    const qint64 imageBytes = rowBytes * h;
    constexpr int kHeaders = 14 + 40;
    const qint64 offBits = kHeaders + 4 * palette.size();
    if (offBits + imageBytes > 0x7FFFFFFF)
        tooLarge(QStringLiteral("BMP"));

    QByteArray out(qsizetype(offBits + imageBytes), '\0');
    char* p = out.data();
    auto put16 = [&](int at, std::uint16_t v) { qToLittleEndian<std::uint16_t>(v, p + at); };
    auto put32 = [&](int at, std::uint32_t v) { qToLittleEndian<std::uint32_t>(v, p + at); };
    // File header.
    p[0] = 'B';
    p[1] = 'M';
    put32(2, std::uint32_t(out.size()));
    put32(10, std::uint32_t(offBits));
    // Information header: bottom-up rows, uncompressed, 96 dots per inch.
    put32(14, 40);
    put32(18, std::uint32_t(w));
    put32(22, std::uint32_t(h));
    put16(26, 1);
    put16(28, 4);
    put32(30, 0);
    put32(34, std::uint32_t(imageBytes));
    put32(38, 3780);
    put32(42, 3780);
    put32(46, std::uint32_t(palette.size()));
    put32(50, 0);
    for (int i = 0; i < palette.size(); ++i) {
        char* q = p + kHeaders + 4 * i;
        q[0] = char(qBlue(palette[i]));
        q[1] = char(qGreen(palette[i]));
        q[2] = char(qRed(palette[i]));
        q[3] = 0;
    }
    QHash<QRgb, int> known;
    for (int y = 0; y < h; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        unsigned char* row = reinterpret_cast<unsigned char*>(p + offBits + rowBytes * (h - 1 - y));
        for (int x = 0; x < w; ++x) {
            const QRgb c = line[x] | 0xFF000000u;
            auto it = known.constFind(c);
            if (it == known.constEnd())
                it = known.insert(c, nearestIndex(palette, c));
            const unsigned index = unsigned(it.value());
            row[x / 2] |= (x % 2 == 0) ? (index << 4) : index;
        }
    }
    return out;
}

QByteArray ImageToJpeg(const QImage& source, int quality, bool progressive)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    if (image.isNull() || image.width() <= 0 || image.height() <= 0)
        throw Exception(QStringLiteral("No hay ninguna imagen que guardar."));
    if (image.width() > kMaxJpegSide || image.height() > kMaxJpegSide)
        tooLarge(QStringLiteral("JPEG"));
    unsigned char* bytes = nullptr;
    unsigned long size = 0;
    char message[JMSG_LENGTH_MAX] = {};
    const bool ok = encodeJpeg(image.constBits(), image.width(), image.height(), image.bytesPerLine(),
                               std::clamp(quality, 1, 100), progressive, &bytes, &size, message);
    QByteArray out;
    if (ok && bytes)
        out = QByteArray(reinterpret_cast<const char*>(bytes), qsizetype(size));
    std::free(bytes);
    if (!ok)
        throw Exception(QStringLiteral("No se pudo codificar la imagen JPEG: %1").arg(QString::fromLocal8Bit(message)));
    return out;
}
