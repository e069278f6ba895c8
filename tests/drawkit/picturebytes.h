#pragma once
// Readers of the metafiles the export writes, for the tests: the records one
// by one, and a small player that follows the object table and tells what
// each drawing record draws and with which pen, brush and font, as text.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <vector>

namespace picturebytes {

// Little-endian numbers; a number reaching past the end reads as a marker value.
inline std::uint16_t u16(const QByteArray& b, qsizetype at)
{
    if (at < 0 || at + 2 > b.size())
        return 0xBEEF;
    return std::uint16_t(std::uint8_t(b.at(at)) | (std::uint8_t(b.at(at + 1)) << 8));
}
inline std::uint32_t u32(const QByteArray& b, qsizetype at)
{
    if (at < 0 || at + 4 > b.size())
        return 0xDEADBEEF;
    return std::uint32_t(u16(b, at)) | (std::uint32_t(u16(b, at + 2)) << 16);
}
inline std::int32_t i32(const QByteArray& b, qsizetype at) { return std::int32_t(u32(b, at)); }
inline std::int16_t i16(const QByteArray& b, qsizetype at) { return std::int16_t(u16(b, at)); }

struct Record {
    unsigned type = 0;  // EMF record type or WMF function
    QByteArray bytes;   // the whole record
};

// The records of an enhanced metafile; a failure when they do not tile the
// file exactly.
inline std::vector<Record> EmfRecords(const QByteArray& file)
{
    std::vector<Record> out;
    qsizetype at = 0;
    while (at < file.size()) {
        const std::uint32_t size = u32(file, at + 4);
        if (size < 8 || size % 4 != 0 || at + qsizetype(size) > file.size()) {
            ADD_FAILURE() << "bad EMF record size " << size << " at " << at;
            return out;
        }
        out.push_back({u32(file, at), file.mid(at, size)});
        at += size;
    }
    return out;
}

// The records of a placeable classic metafile after its two headers.
inline std::vector<Record> WmfRecords(const QByteArray& file)
{
    std::vector<Record> out;
    qsizetype at = 22 + 18;
    while (at < file.size()) {
        const std::uint32_t words = u32(file, at);
        if (words < 3 || at + qsizetype(words) * 2 > file.size()) {
            ADD_FAILURE() << "bad WMF record size " << words << " at " << at;
            return out;
        }
        out.push_back({u16(file, at + 4), file.mid(at, qsizetype(words) * 2)});
        at += qsizetype(words) * 2;
    }
    return out;
}

inline QString hex6(std::uint32_t c) { return QString::number(c & 0xFFFFFF, 16).rightJustified(6, QLatin1Char('0')).toUpper(); }

// What was drawn, one line per drawing call: "line 2,20 40,20 pen=0/1/0000FF",
// "rect 5,5 15,15 pen=... brush=0/FF0000", "text 2,3 "12" font=Arial/-20/400/i/1 color=000000 bk=2/FFFFFF".
// Boxes are given as the drawing calls take them (right and bottom outside).
// Colours as 0xBBGGRR. Pens: style/width/colour; brushes: style/colour.
struct Player {
    std::map<unsigned, QString> objects;  // slot -> description ("pen=...")
    QString pen = QStringLiteral("pen=none"), brush = QStringLiteral("brush=none"), font = QStringLiteral("font=none");
    std::uint32_t textColor = 0, bkColor = 0xFFFFFF;
    unsigned bkMode = 2;
    int curX = 0, curY = 0;
    QStringList drawn;
    int maxSlot = -1;
    int penSlot = -1, brushSlot = -1, fontSlot = -1;

    void create(unsigned slot, const QString& what)
    {
        if (objects.count(slot))
            ADD_FAILURE() << "slot " << slot << " created while in use";
        objects[slot] = what;
        maxSlot = std::max(maxSlot, int(slot));
    }
    void select(unsigned slot)
    {
        auto it = objects.find(slot);
        if (it == objects.end()) {
            ADD_FAILURE() << "selecting the free slot " << slot;
            return;
        }
        if (it->second.startsWith(QLatin1String("pen="))) {
            pen = it->second;
            penSlot = int(slot);
        } else if (it->second.startsWith(QLatin1String("brush="))) {
            brush = it->second;
            brushSlot = int(slot);
        } else {
            font = it->second;
            fontSlot = int(slot);
        }
    }
    void remove(unsigned slot)
    {
        if (!objects.count(slot)) {
            ADD_FAILURE() << "deleting the free slot " << slot;
            return;
        }
        // The writer selects the new object before it deletes the old one.
        if (int(slot) == penSlot || int(slot) == brushSlot || int(slot) == fontSlot)
            ADD_FAILURE() << "deleting the selected object in slot " << slot;
        objects.erase(slot);
    }
    QString pt(int x, int y) const { return QString::number(x) + QLatin1Char(',') + QString::number(y); }
    void line(int x, int y)
    {
        drawn << QStringLiteral("line %1 %2 %3").arg(pt(curX, curY), pt(x, y), pen);
        curX = x;
        curY = y;
    }
    void box(const char* kind, int l, int t, int r, int b)
    {
        drawn << QStringLiteral("%1 %2 %3 %4 %5").arg(QLatin1String(kind), pt(l, t), pt(r, b), pen, brush);
    }
    void text(int x, int y, const QString& s)
    {
        drawn << QStringLiteral("text %1 \"%2\" %3 color=%4 bk=%5")
                     .arg(pt(x, y), s, font, hex6(textColor),
                          bkMode == 2 ? QStringLiteral("2/") + hex6(bkColor) : QStringLiteral("1"));
    }
};

inline QString PenText(unsigned style, int width, std::uint32_t color)
{
    return QStringLiteral("pen=%1/%2/%3").arg(style).arg(width).arg(hex6(color));
}
inline QString BrushText(unsigned style, std::uint32_t color)
{
    return QStringLiteral("brush=%1/%2").arg(style).arg(style == 1 ? QStringLiteral("-") : hex6(color));
}
inline QString FontText(const QString& face, int height, int weight, bool italic, unsigned charset)
{
    return QStringLiteral("font=%1/%2/%3/%4/%5")
        .arg(face)
        .arg(height)
        .arg(weight)
        .arg(italic ? QStringLiteral("i") : QStringLiteral("-"))
        .arg(charset);
}

inline QString Utf16At(const QByteArray& b, qsizetype at, int units)
{
    QString s;
    for (int i = 0; i < units; ++i) {
        const std::uint16_t c = u16(b, at + 2 * i);
        if (c == 0)
            break;
        s.append(QChar(c));
    }
    return s;
}

// Plays an enhanced metafile's records.
inline Player PlayEmf(const std::vector<Record>& records)
{
    Player p;
    for (const Record& r : records) {
        const QByteArray& b = r.bytes;
        switch (r.type) {
        case 38: p.create(u32(b, 8), PenText(u32(b, 12), i32(b, 16), u32(b, 24))); break;
        case 39: p.create(u32(b, 8), BrushText(u32(b, 12), u32(b, 16))); break;
        case 82:
            p.create(u32(b, 8), FontText(Utf16At(b, 12 + 28, 32), i32(b, 12), i32(b, 12 + 16), b[12 + 20] != 0,
                                         std::uint8_t(b[12 + 23])));
            break;
        case 37: p.select(u32(b, 8)); break;
        case 40: p.remove(u32(b, 8)); break;
        case 24: p.textColor = u32(b, 8); break;
        case 25: p.bkColor = u32(b, 8); break;
        case 18: p.bkMode = u32(b, 8); break;
        case 27:
            p.curX = i32(b, 8);
            p.curY = i32(b, 12);
            break;
        case 54: p.line(i32(b, 8), i32(b, 12)); break;
        case 4: {
            const std::uint32_t n = u32(b, 24);
            QStringList pts;
            for (std::uint32_t i = 0; i < n; ++i)
                pts << p.pt(i32(b, 28 + 8 * i), i32(b, 32 + 8 * i));
            p.drawn << QStringLiteral("polyline %1 %2").arg(pts.join(QLatin1Char(' ')), p.pen);
            break;
        }
        // Inclusive boxes, given back as the drawing call took them.
        case 43: p.box("rect", i32(b, 8), i32(b, 12), i32(b, 16) + 1, i32(b, 20) + 1); break;
        case 42: p.box("ellipse", i32(b, 8), i32(b, 12), i32(b, 16) + 1, i32(b, 20) + 1); break;
        case 84: {
            const std::uint32_t chars = u32(b, 44);
            const std::uint32_t off = u32(b, 48);
            p.text(i32(b, 36), i32(b, 40), Utf16At(b, off, int(chars)));
            break;
        }
        default: break;
        }
    }
    return p;
}

// Plays a classic metafile's records.
inline Player PlayWmf(const std::vector<Record>& records)
{
    Player p;
    // The classic format's objects take the lowest free slot.
    auto next = [&p] {
        unsigned s = 0;
        while (p.objects.count(s))
            ++s;
        return s;
    };
    for (const Record& r : records) {
        const QByteArray& b = r.bytes;
        switch (r.type) {
        case 0x02FA: p.create(next(), PenText(u16(b, 6), i16(b, 8), u32(b, 12))); break;
        case 0x02FC: p.create(next(), BrushText(u16(b, 6), u32(b, 8))); break;
        case 0x02FB: {
            QByteArray face = b.mid(6 + 18, 32);
            if (const qsizetype nul = face.indexOf('\0'); nul >= 0)
                face.truncate(nul);
            p.create(next(), FontText(QString::fromLatin1(face),
                                      i16(b, 6), i16(b, 14), b[6 + 10] != 0, std::uint8_t(b[6 + 13])));
            break;
        }
        case 0x012D: p.select(u16(b, 6)); break;
        case 0x01F0: p.remove(u16(b, 6)); break;
        case 0x0209: p.textColor = u32(b, 6); break;
        case 0x0201: p.bkColor = u32(b, 6); break;
        case 0x0102: p.bkMode = u16(b, 6); break;
        case 0x0214:
            p.curY = i16(b, 6);
            p.curX = i16(b, 8);
            break;
        case 0x0213: p.line(i16(b, 8), i16(b, 6)); break;
        case 0x0325: {
            const int n = i16(b, 6);
            QStringList pts;
            for (int i = 0; i < n; ++i)
                pts << p.pt(i16(b, 8 + 4 * i), i16(b, 10 + 4 * i));
            p.drawn << QStringLiteral("polyline %1 %2").arg(pts.join(QLatin1Char(' ')), p.pen);
            break;
        }
        case 0x041B: p.box("rect", i16(b, 12), i16(b, 10), i16(b, 8), i16(b, 6)); break;
        case 0x0418: p.box("ellipse", i16(b, 12), i16(b, 10), i16(b, 8), i16(b, 6)); break;
        case 0x0A32: {
            const int n = i16(b, 10);
            const QByteArray s = b.mid(14, n);
            // The code page's bytes; the tests use its Latin-1 part only.
            p.text(i16(b, 8), i16(b, 6), QString::fromLatin1(s));
            break;
        }
        default: break;
        }
    }
    return p;
}

} // namespace picturebytes
