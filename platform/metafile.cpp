#include "platform/metafile.h"

#include <QPainter>
#include <QRectF>
#include <QSvgRenderer>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>
#include <vector>

#ifdef SUMBRIX_HAVE_EMF2SVG
#include <emf2svg.h>
#endif
#ifdef SUMBRIX_HAVE_LIBWMF
#include <libwmf/api.h>
#include <libwmf/svg.h>
#endif

#ifdef SUMBRIX_HAVE_EMF2SVG
// libemf2svg shuts fontconfig down (FcFini) after each font it looks up for a
// text record, while the program's own text (Qt's font database, the SVG
// renderer) still holds fontconfig's caches: sooner or later fontconfig then
// aborts the program on one of its assertions. Fontconfig stays up for the
// program's life, as Qt expects it to: this definition takes the place of
// fontconfig's own for every caller in the process (the executable's symbols
// come first), and makes the library's call do nothing.
extern "C" __attribute__((visibility("default"))) void FcFini(void) {}
#endif

namespace {

// Record types and keys of the two formats.
constexpr quint32 kEmrHeader = 1;
constexpr quint32 kEmrEof = 14;
constexpr quint32 kEmfSignature = 0x464D4520;   // " EMF"
constexpr int kEmfHeaderSize = 88;               // the header record without its extensions
constexpr quint32 kPlaceableKey = 0x9AC6CDD7;
constexpr int kPlaceableSize = 22;
constexpr int kWmfHeaderSize = 18;
constexpr quint16 kMetaEof = 0x0000;

// Little-endian numbers at a place the caller has checked to be inside.
quint16 le16(const QByteArray& b, qint64 at) { return quint16(quint8(b.at(at)) | quint8(b.at(at + 1)) << 8); }
quint32 le32(const QByteArray& b, qint64 at) { return quint32(le16(b, at)) | quint32(le16(b, at + 2)) << 16; }

bool isEmfHeader(const QByteArray& b)
{
    return b.size() >= kEmfHeaderSize && le32(b, 0) == kEmrHeader && le32(b, 40) == kEmfSignature;
}

// Where the classic header begins (after a placeable header), or -1.
qint64 wmfHeaderAt(const QByteArray& b)
{
    qint64 at = 0;
    if (b.size() >= 4 && le32(b, 0) == kPlaceableKey)
        at = kPlaceableSize;
    if (b.size() < at + kWmfHeaderSize)
        return -1;
    const quint16 type = le16(b, at);           // 1 in memory, 2 on disk
    const quint16 headerWords = le16(b, at + 2);
    const quint16 version = le16(b, at + 4);
    if ((type != 1 && type != 2) || headerWords != kWmfHeaderSize / 2 || (version != 0x0100 && version != 0x0300))
        return -1;
    return at;
}

// The length of the EMF up to and including its end record, or 0 when a
// record is malformed, overruns the bytes or the end record is missing.
qint64 emfLength(const QByteArray& b)
{
    if (!isEmfHeader(b))
        return 0;
    const quint32 headerSize = le32(b, 4);
    if (headerSize < quint32(kEmfHeaderSize))
        return 0;
    qint64 at = 0;
    while (at + 8 <= b.size()) {
        const quint32 type = le32(b, at);
        const quint32 size = le32(b, at + 4);
        if (size < 8 || size % 4 != 0 || qint64(size) > b.size() - at)
            return 0;
        if (at == 0 && type != kEmrHeader)
            return 0;
        at += size;
        if (type == kEmrEof)
            return at;
    }
    return 0;
}

// The same for a WMF: up to and including its end record; `largestWords`, when
// given, receives the size of its largest record in 16-bit words.
qint64 wmfLength(const QByteArray& b, quint32* largestWords = nullptr)
{
    const qint64 header = wmfHeaderAt(b);
    if (header < 0)
        return 0;
    quint32 largest = 0;
    qint64 at = header + kWmfHeaderSize;
    while (at + 6 <= b.size()) {
        const quint32 words = le32(b, at);
        const qint64 bytes = qint64(words) * 2;
        const quint16 function = le16(b, at + 4);
        if (bytes < 6 || bytes > b.size() - at)
            return 0;
        largest = qMax(largest, words);
        at += bytes;
        if (function == kMetaEof) {
            if (largestWords)
                *largestWords = largest;
            return at;
        }
    }
    return 0;
}

// The WMF header's size fields as the records give them. The reader sizes its
// buffers by the header's largest record, so a damaged header could make it ask
// for gigabytes: the copy it reads says what the records really are.
QByteArray wmfWithTrueSizes(const QByteArray& b)
{
    quint32 largest = 0;
    const qint64 length = wmfLength(b, &largest);
    if (length <= 0)
        return {};
    QByteArray wmf = b.left(length);
    const qint64 header = wmfHeaderAt(wmf);
    auto put32 = [&wmf](qint64 at, quint32 v) {
        for (int i = 0; i < 4; ++i)
            wmf[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    put32(header + 6, quint32((length - header) / 2)); // mtSize
    put32(header + 12, largest);                       // mtMaxRecord
    return wmf;
}

// The libraries print their numbers through the C library: "0.5" is wanted,
// whatever locale the application set. Only this thread is switched.
class CNumbers {
public:
    CNumbers()
    {
        m_c = newlocale(LC_NUMERIC_MASK, "C", duplocale(uselocale(nullptr)));
        if (m_c)
            m_old = uselocale(m_c);
    }
    ~CNumbers()
    {
        if (m_c) {
            uselocale(m_old);
            freelocale(m_c);
        }
    }
    CNumbers(const CNumbers&) = delete;
    CNumbers& operator=(const CNumbers&) = delete;

private:
    locale_t m_c = nullptr;
    locale_t m_old = nullptr;
};

QByteArray emfToSvg(const QByteArray& emf)
{
#ifdef SUMBRIX_HAVE_EMF2SVG
    std::vector<char> data(emf.begin(), emf.end());
    generatorOptions options{};
    // No namespace prefix: the library keeps a copy of one it never frees.
    options.nameSpace = nullptr;
    options.svgDelimiter = true;
    char* out = nullptr;
    size_t length = 0;
    int ok = 0;
    {
        const CNumbers numbers;
        ok = emf2svg(data.data(), data.size(), &out, &length, &options);
    }
    QByteArray svg;
    if (ok == 1 && out)
        svg = QByteArray(out, qsizetype(length));
    std::free(out);
    return svg;
#else
    Q_UNUSED(emf);
    return {};
#endif
}

#ifdef SUMBRIX_HAVE_LIBWMF
// The SVG device writes into this string.
int appendText(char* text, void* context)
{
    static_cast<std::string*>(context)->append(text);
    return 0;
}
int clearText(void* context)
{
    static_cast<std::string*>(context)->clear();
    return 0;
}
#endif

QByteArray wmfToSvg(const QByteArray& wmf)
{
#ifdef SUMBRIX_HAVE_LIBWMF
    std::vector<unsigned char> data(wmf.begin(), wmf.end());
    std::string text;
    wmfStream stream{&text, appendText, clearText};
    wmfAPI_Options options{};
    options.function = wmf_svg_function;
    const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    const CNumbers numbers;
    wmfAPI* api = nullptr;
    if (wmf_api_create(&api, flags, &options) != wmf_E_None) {
        if (api)
            wmf_api_destroy(api);
        return {};
    }
    bool ok = wmf_mem_open(api, data.data(), long(data.size())) == wmf_E_None;
    wmf_svg_t* device = WMF_SVG_GetData(api);
    if (ok)
        ok = wmf_scan(api, 0, &device->bbox) == wmf_E_None;
    unsigned int width = 0;
    unsigned int height = 0;
    if (ok)
        ok = wmf_display_size(api, &width, &height, 96, 96) == wmf_E_None && width > 0 && height > 0;
    if (ok) {
        device->out = &stream;
        device->width = width;
        device->height = height;
        device->Description = nullptr;
        // Pictures inside the metafile go into the SVG, never into files.
        device->flags |= WMF_SVG_INLINE_IMAGES;
        ok = wmf_play(api, 0, &device->bbox) == wmf_E_None;
        device->out = nullptr;
    }
    wmf_mem_close(api);
    wmf_api_destroy(api);
    return ok ? QByteArray::fromStdString(text) : QByteArray();
#else
    Q_UNUSED(wmf);
    return {};
#endif
}

QImage renderSvg(const QByteArray& svg, QSize bound)
{
    if (svg.isEmpty())
        return {};
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        return {};
    QSizeF size = renderer.defaultSize();
    if (size.isEmpty())
        size = renderer.viewBoxF().size();
    if (!(size.width() >= 1 && size.height() >= 1))
        return {};
    if (bound.isEmpty())
        bound = kMetafileMaxSize;
    bound = bound.boundedTo(kMetafileMaxSize);
    if (size.width() > bound.width() || size.height() > bound.height())
        size.scale(QSizeF(bound), Qt::KeepAspectRatio);
    const QSize pixels(qMax(1, qRound(size.width())), qMax(1, qRound(size.height())));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
    painter.end();
    return image;
}

} // namespace

MetafileKind MetafileKindOf(const QByteArray& bytes)
{
    if (isEmfHeader(bytes))
        return MetafileKind::Emf;
    if (wmfHeaderAt(bytes) >= 0)
        return MetafileKind::Wmf;
    return MetafileKind::None;
}

bool MetafileKindSupported(MetafileKind kind)
{
    switch (kind) {
    case MetafileKind::Emf:
#ifdef SUMBRIX_HAVE_EMF2SVG
        return true;
#else
        return false;
#endif
    case MetafileKind::Wmf:
#ifdef SUMBRIX_HAVE_LIBWMF
        return true;
#else
        return false;
#endif
    case MetafileKind::None: break;
    }
    return false;
}

QImage RenderMetafile(const QByteArray& bytes, QSize bound)
{
    switch (MetafileKindOf(bytes)) {
    case MetafileKind::Emf: {
        const qint64 length = emfLength(bytes);
        return length > 0 ? renderSvg(emfToSvg(bytes.left(length)), bound) : QImage();
    }
    case MetafileKind::Wmf: {
        const QByteArray wmf = wmfWithTrueSizes(bytes);
        return wmf.isEmpty() ? QImage() : renderSvg(wmfToSvg(wmf), bound);
    }
    case MetafileKind::None: break;
    }
    return {};
}
