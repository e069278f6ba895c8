// The "img" kind of sumbrix-datagen: the picture container form.img of the
// formula manager, packed plain (no compression, no cipher) in the
// container's format (science/formulas/streams.h). The source lists the
// entries; each entry is a BMP file (24 bits a pixel, at most 90 x 90) either
// packed from a file beside the source or drawn from simple commands:
//
//   [name.bmp]                 a new entry
//   file path.bmp              pack this BMP file (path relative to the source)
//   size W H                   a new white picture (1..90 each)
//   fill RRGGBB                the whole picture in one colour
//   line X1 Y1 X2 Y2 RRGGBB    a one-pixel line
//   thick X1 Y1 X2 Y2 RRGGBB   a three-pixel line
//   rect X1 Y1 X2 Y2 RRGGBB    the outline of a rectangle
//   box X1 Y1 X2 Y2 RRGGBB     a filled rectangle
//   circle CX CY R RRGGBB      the outline of a circle
//   disc CX CY R RRGGBB        a filled circle
//   ellipse CX CY RX RY RRGGBB the outline of an ellipse
//   arrow X1 Y1 X2 Y2 RRGGBB   a line with a head at X2 Y2
//   wave X Y W A P RRGGBB      a sine wave from X, centred on Y, W wide,
//                              amplitude A, P whole periods
//
// Lines beginning with "#" are comments. Coordinates are pixels from the top
// left corner. Any error stops with the source line's number.
#include "foundation/core/exceptions.h"
#include "foundation/core/zelini.h"
#include "sourcetext.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int kMaxSide = 90;

struct Picture {
    int w = 0, h = 0;
    std::vector<std::uint32_t> px;   // 0xRRGGBB, top row first
    void set(int x, int y, std::uint32_t c)
    {
        if (x >= 0 && y >= 0 && x < w && y < h)
            px[size_t(y * w + x)] = c;
    }
};

void line(Picture& p, int x1, int y1, int x2, int y2, std::uint32_t c, int thick)
{
    const int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
    const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        for (int a = -(thick / 2); a <= thick / 2; ++a)
            for (int b = -(thick / 2); b <= thick / 2; ++b)
                p.set(x1 + a, y1 + b, c);
        if (x1 == x2 && y1 == y2)
            break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x1 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y1 += sy;
        }
    }
}

void ellipse(Picture& p, int cx, int cy, int rx, int ry, std::uint32_t c, bool filled)
{
    for (int y = -ry; y <= ry; ++y)
        for (int x = -rx; x <= rx; ++x) {
            const double d = double(x * x) / double(rx * rx ? rx * rx : 1) + double(y * y) / double(ry * ry ? ry * ry : 1);
            const double inner = double((std::abs(x) + 1) * (std::abs(x) + 1)) / double(rx * rx ? rx * rx : 1) +
                                 double((std::abs(y) + 1) * (std::abs(y) + 1)) / double(ry * ry ? ry * ry : 1);
            if (d <= 1.0 && (filled || inner > 1.0))
                p.set(cx + x, cy + y, c);
        }
}

QByteArray bmpFile(const Picture& p)
{
    const int rowBytes = (p.w * 3 + 3) & ~3;
    const int dataSize = rowBytes * p.h;
    QByteArray b;
    auto u16 = [&](int v) { b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    };
    b.append("BM");
    u32(std::uint32_t(54 + dataSize));
    u32(0);
    u32(54);
    u32(40);
    u32(std::uint32_t(p.w));
    u32(std::uint32_t(p.h));
    u16(1);
    u16(24);
    u32(0);
    u32(std::uint32_t(dataSize));
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    for (int y = p.h - 1; y >= 0; --y) {
        for (int x = 0; x < p.w; ++x) {
            const std::uint32_t c = p.px[size_t(y * p.w + x)];
            b.append(char(c & 0xFF)).append(char((c >> 8) & 0xFF)).append(char((c >> 16) & 0xFF));
        }
        for (int k = p.w * 3; k < rowBytes; ++k)
            b.append('\0');
    }
    return b;
}

// The size of a BMP file image, checked: a BMP header and at most 90 x 90.
void checkBmp(const QByteArray& bmp, const QString& what)
{
    if (bmp.size() < 26 || !bmp.startsWith("BM"))
        throw Exception(what + QStringLiteral(": not a BMP file"));
    auto i32 = [&](int at) {
        return std::int32_t(std::uint8_t(bmp[at]) | std::uint8_t(bmp[at + 1]) << 8 | std::uint8_t(bmp[at + 2]) << 16 |
                            std::uint32_t(std::uint8_t(bmp[at + 3])) << 24);
    };
    const int w = i32(18), h = std::abs(i32(22));
    if (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide)
        throw Exception(what + QStringLiteral(": %1 x %2 pixels, at most %3 x %3").arg(w).arg(h).arg(kMaxSide));
}

struct Entry {
    QString name;
    QByteArray data;
};

QByteArray container(const std::vector<Entry>& entries)
{
    QByteArray b("  ");   // neither compressed nor enciphered
    b.append(QByteArray("\x4D\x5A\xFE\x00\x21\x0B\x0F\x80", 8));
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    };
    u32(std::uint32_t(entries.size()));
    for (const Entry& e : entries) {
        const QByteArray name = e.name.toLatin1();
        b.append(char(name.size() & 0xFF)).append(char(name.size() >> 8));
        b.append(name);
        u32(std::uint32_t(e.data.size()));
        b.append(e.data);
    }
    return b;
}

} // namespace

void WriteFormImg(const QString& source, const QString& output)
{
    const QString text = ReadSourceText(source);
    const QString folder = QFileInfo(source).absolutePath() + QLatin1Char('/');

    std::vector<Entry> entries;
    Picture pic;
    bool drawing = false;
    auto finish = [&] {
        if (drawing)
            entries.back().data = bmpFile(pic);
        drawing = false;
    };
    int number = 0;
    for (const QString& raw : SplitLines(text)) {
        ++number;
        const QString l = raw.trimmed();
        if (l.isEmpty() || l.startsWith(QLatin1Char('#')))
            continue;
        const QString at = source + QLatin1Char(':') + QString::number(number);
        if (l.startsWith(QLatin1Char('[')) && l.endsWith(QLatin1Char(']'))) {
            finish();
            const QString name = l.mid(1, l.size() - 2);
            if (name.isEmpty() || name.toLatin1() != name.toUtf8() || !name.endsWith(QStringLiteral(".bmp")))
                throw Exception(at + QStringLiteral(": an entry name is ASCII and ends in .bmp"));
            for (const Entry& e : entries)
                if (e.name.compare(name, Qt::CaseInsensitive) == 0)
                    throw Exception(at + QStringLiteral(": entry ") + name + QStringLiteral(" is already defined"));
            entries.push_back({name, {}});
            continue;
        }
        if (entries.empty())
            throw Exception(at + QStringLiteral(": a command before the first entry"));
        const QStringList w = l.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QString cmd = w[0];
        std::vector<long> n;
        bool ok = true;
        for (int i = 1; i < w.size() && ok; ++i)
            n.push_back(w[i].toLong(&ok, i == w.size() - 1 && cmd != QStringLiteral("size") ? 16 : 10));
        auto need = [&](int count) {
            if (!ok || int(n.size()) != count)
                throw Exception(at + QStringLiteral(": ") + cmd + QStringLiteral(" takes %1 numbers").arg(count));
            if (cmd != QStringLiteral("size") && !drawing)
                throw Exception(at + QStringLiteral(": draw after \"size\""));
        };
        auto colour = [&] { return std::uint32_t(n.back()) & 0xFFFFFF; };
        if (cmd == QStringLiteral("file")) {
            QFile bmp(folder + w.mid(1).join(QLatin1Char(' ')));
            if (!bmp.open(QIODevice::ReadOnly))
                throw Exception(at + QStringLiteral(": cannot read ") + bmp.fileName());
            entries.back().data = bmp.readAll();
            checkBmp(entries.back().data, at);
            drawing = false;
        } else if (cmd == QStringLiteral("size")) {
            need(2);
            if (n[0] < 1 || n[1] < 1 || n[0] > kMaxSide || n[1] > kMaxSide)
                throw Exception(at + QStringLiteral(": at most %1 x %1 pixels").arg(kMaxSide));
            pic = Picture{int(n[0]), int(n[1]), std::vector<std::uint32_t>(size_t(n[0] * n[1]), 0xFFFFFF)};
            drawing = true;
        } else if (cmd == QStringLiteral("fill")) {
            need(1);
            std::fill(pic.px.begin(), pic.px.end(), colour());
        } else if (cmd == QStringLiteral("line") || cmd == QStringLiteral("thick") || cmd == QStringLiteral("arrow")) {
            need(5);
            line(pic, int(n[0]), int(n[1]), int(n[2]), int(n[3]), colour(), cmd == QStringLiteral("thick") ? 3 : 1);
            if (cmd == QStringLiteral("arrow")) {
                const double a = std::atan2(double(n[3] - n[1]), double(n[2] - n[0]));
                for (double side : {2.6, -2.6})
                    line(pic, int(n[2]), int(n[3]), int(std::lround(double(n[2]) + 6 * std::cos(a + side))),
                         int(std::lround(double(n[3]) + 6 * std::sin(a + side))), colour(), 1);
            }
        } else if (cmd == QStringLiteral("rect") || cmd == QStringLiteral("box")) {
            need(5);
            for (long y = std::min(n[1], n[3]); y <= std::max(n[1], n[3]); ++y)
                for (long x = std::min(n[0], n[2]); x <= std::max(n[0], n[2]); ++x)
                    if (cmd == QStringLiteral("box") || x == n[0] || x == n[2] || y == n[1] || y == n[3])
                        pic.set(int(x), int(y), colour());
        } else if (cmd == QStringLiteral("circle") || cmd == QStringLiteral("disc")) {
            need(4);
            ellipse(pic, int(n[0]), int(n[1]), int(n[2]), int(n[2]), colour(), cmd == QStringLiteral("disc"));
        } else if (cmd == QStringLiteral("ellipse")) {
            need(5);
            ellipse(pic, int(n[0]), int(n[1]), int(n[2]), int(n[3]), colour(), false);
        } else if (cmd == QStringLiteral("wave")) {
            need(6);
            int lastX = int(n[0]), lastY = int(n[1]);
            for (long x = 0; x <= n[2]; ++x) {
                const double t = double(x) / double(n[2] ? n[2] : 1) * double(n[4]) * 2 * M_PI;
                const int y = int(std::lround(double(n[1]) - double(n[3]) * std::sin(t)));
                line(pic, lastX, lastY, int(n[0] + x), y, colour(), 1);
                lastX = int(n[0] + x);
                lastY = y;
            }
        } else {
            throw Exception(at + QStringLiteral(": unknown command ") + cmd);
        }
    }
    finish();
    if (entries.empty())
        throw Exception(source + QStringLiteral(": no entry"));
    for (const Entry& e : entries)
        if (e.data.isEmpty())
            throw Exception(source + QStringLiteral(": entry ") + e.name + QStringLiteral(" has no picture"));
    QFile out(output);
    const QByteArray bytes = container(entries);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        throw Exception(output + QStringLiteral(": cannot write"));
}
