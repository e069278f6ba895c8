// The metafile writers: the recorded picture replayed onto a canvas that turns
// every call into records, enhanced (EMF) or classic (WMF). Both dialects share
// the canvas below, which creates, selects and deletes the pen, brush and font
// objects as the picture's state changes, and writes only the changes.
//
// Record layouts are the documented ones of the two formats; all numbers are
// little-endian. Coordinates are the picture's pixels (EMF: MM_TEXT at 96 dots
// per inch; WMF: a placeable header of 96 units per inch).
#include "drawkit/picturefiles.h"

#include "drawkit/drawkit.h"
#include "drawkit/qpaintercanvas.h"
#include "engine/formulapicture.h"
#include "foundation/core/cp1252.h"
#include "foundation/core/exceptions.h"

#include <QtEndian>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// ---- little-endian bytes ----

class LeBytes {
public:
    void u8(unsigned v) { m_data.append(char(v & 0xFF)); }
    void u16(unsigned v)
    {
        u8(v);
        u8(v >> 8);
    }
    void i16(int v) { u16(unsigned(std::uint16_t(std::int16_t(v)))); }
    void u32(std::uint32_t v)
    {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    void i32(std::int32_t v) { u32(std::uint32_t(v)); }
    void f32(float v)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        u32(bits);
    }
    void bytes(const QByteArray& b) { m_data.append(b); }
    void zeros(qsizetype n) { m_data.append(n, '\0'); }
    void padTo(qsizetype multiple)
    {
        while (m_data.size() % multiple)
            u8(0);
    }
    void patch32(qsizetype at, std::uint32_t v) { qToLittleEndian<std::uint32_t>(v, m_data.data() + at); }
    void patch16(qsizetype at, std::uint16_t v) { qToLittleEndian<std::uint16_t>(v, m_data.data() + at); }
    qsizetype size() const { return m_data.size(); }
    const QByteArray& data() const { return m_data; }

private:
    QByteArray m_data;
};

// ---- what both dialects are asked to write ----

// GDI's values.
constexpr unsigned kPsNull = 5;       // pen styles 0..4 are the canvas's own order
constexpr unsigned kBsSolid = 0;
constexpr unsigned kBsNull = 1;
constexpr unsigned kTransparent = 1;  // background modes
constexpr unsigned kOpaque = 2;
constexpr unsigned kTaTopLeft = 0;    // text alignment: the cell's top-left corner
constexpr unsigned kFwNormal = 400;
constexpr unsigned kFwBold = 700;
constexpr unsigned kAnsiCharset = 0;
constexpr unsigned kDefaultCharset = 1;
constexpr unsigned kSymbolCharset = 2;

struct LogFontData {
    int height = 0;
    unsigned weight = kFwNormal;
    bool italic = false, underline = false, strikeOut = false;
    unsigned charset = kDefaultCharset;
    QString face;
};

// The text of one output call: as the font shows it (a Unicode text), and the
// advance of each character in pixels.
struct TextRun {
    int x = 0, y = 0, width = 0, height = 0;
    QString original;  // as the picture recorded it
    QString shown;     // the "Symbol" font's letters as their look-alikes
    std::vector<int> advances;
    bool symbolFont = false;
};

// One dialect of records.
class MetafileDialect {
public:
    virtual ~MetafileDialect() = default;
    virtual void createPen(int slot, unsigned style, int width, TColor color) = 0;
    virtual void createBrush(int slot, unsigned style, TColor color) = 0;
    virtual void createFont(int slot, const LogFontData& font) = 0;
    virtual void selectObject(int slot) = 0;
    virtual void deleteObject(int slot) = 0;
    virtual void setTextColor(TColor color) = 0;
    virtual void setBkMode(unsigned mode) = 0;
    virtual void setBkColor(TColor color) = 0;
    virtual void moveTo(int x, int y) = 0;
    virtual void lineTo(int x, int y) = 0;
    virtual void polyline(const QList<TPoint>& points) = 0;
    // The GDI calls' boxes: right and bottom outside.
    virtual void rectangle(const TRect& box) = 0;
    virtual void ellipse(const TRect& box) = 0;
    virtual void text(const TextRun& run, const CanvasFont& font) = 0;
    // The font as the dialect asks for it (face and character set).
    virtual LogFontData logFont(const CanvasFont& font) const = 0;
};

TColor plainColor(TColor c) { return ColorToRGB(c) & 0xFFFFFF; }

bool isSymbolFace(const QString& name) { return name.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0; }

LogFontData baseLogFont(const CanvasFont& font)
{
    LogFontData f;
    f.height = font.Height;
    f.weight = (font.Style & fsBold) ? kFwBold : kFwNormal;
    f.italic = font.Style & fsItalic;
    f.underline = font.Style & fsUnderline;
    f.strikeOut = font.Style & fsStrikeOut;
    f.face = font.Name.left(31);
    return f;
}

// The canvas the picture is replayed onto: keeps the objects the dialect has
// selected and asks for new ones only when the state really changed.
class MetafileCanvas : public Canvas {
public:
    MetafileCanvas(MetafileDialect& out, CanvasMetrics& metrics, int firstSlot)
        : m_out(out), m_metrics(metrics), m_firstSlot(firstSlot)
    {
    }

    // The most slots (object-table entries) in use at once, counted from 0.
    int slotsUsed() const { return m_slotTop; }

protected:
    int measureWidth(const QString& text) override { return m_metrics.textWidth(font(), text); }
    int measureHeight() override { return m_metrics.textHeight(font()); }

    void drawText(int x, int y, const QString& text) override
    {
        if (text.isEmpty())
            return;
        const CanvasFont& f = font();
        TextRun run;
        run.x = x;
        run.y = y;
        run.original = text;
        run.symbolFont = isSymbolFace(f.Name);
        run.shown = QtCanvasMetrics::displayText(f, text);
        int before = 0;
        for (qsizetype i = 1; i <= text.size(); ++i) {
            const int upTo = m_metrics.textWidth(f, text.left(i));
            run.advances.push_back(upTo - before);
            before = upTo;
        }
        run.width = before;
        run.height = m_metrics.textHeight(f);
        selectFont(f);
        if (!m_textColor || *m_textColor != plainColor(f.Color)) {
            m_textColor = plainColor(f.Color);
            m_out.setTextColor(*m_textColor);
        }
        const bool opaque = brush().Style == bsSolid;
        if (opaque && (!m_bkColor || *m_bkColor != plainColor(brush().Color))) {
            m_bkColor = plainColor(brush().Color);
            m_out.setBkColor(*m_bkColor);
        }
        setBkMode(opaque ? kOpaque : kTransparent);
        m_out.text(run, f);
    }

    void drawLine(int x1, int y1, int x2, int y2) override
    {
        if (pen().Style == psClear)
            return;
        selectPen(pen());
        m_out.moveTo(x1, y1);
        m_out.lineTo(x2, y2);
    }

    void drawPolyline(const QList<TPoint>& points) override
    {
        if (pen().Style == psClear || points.size() < 2)
            return;
        selectPen(pen());
        m_out.polyline(points);
    }

    void drawRectangle(const TRect& r) override
    {
        selectPen(pen());
        selectBrush(brush());
        m_out.rectangle(r);
    }

    void drawEllipse(const TRect& r) override
    {
        selectPen(pen());
        selectBrush(brush());
        m_out.ellipse(r);
    }

    void drawFillRect(const TRect& r) override
    {
        if (r.IsEmpty() || brush().Style == bsClear)
            return;
        // A rectangle without outline leaves its right and bottom pixels out.
        CanvasPen none;
        none.Style = psClear;
        selectPen(none);
        selectBrush(brush());
        m_out.rectangle(TRect{r.Left, r.Top, r.Right + 1, r.Bottom + 1});
    }

private:
    struct Selected {
        int slot = -1;
    };

    // The lowest free slot of the object table.
    int takeSlot()
    {
        auto it = std::find(m_used.begin(), m_used.end(), false);
        const int index = int(it - m_used.begin());
        if (it == m_used.end())
            m_used.push_back(true);
        else
            *it = true;
        m_slotTop = std::max(m_slotTop, m_firstSlot + int(m_used.size()));
        return m_firstSlot + index;
    }
    void replace(Selected& sel, int slot)
    {
        m_out.selectObject(slot);
        if (sel.slot >= 0) {
            m_out.deleteObject(sel.slot);
            m_used[std::size_t(sel.slot - m_firstSlot)] = false;
        }
        sel.slot = slot;
    }

    void selectPen(const CanvasPen& p)
    {
        CanvasPen want = p;
        if (want.Style == psClear)
            want = CanvasPen{clBlack, 1, psClear};
        if (m_pen && *m_pen == want)
            return;
        const int slot = takeSlot();
        m_out.createPen(slot, want.Style == psClear ? kPsNull : unsigned(want.Style), std::max(1, want.Width),
                        plainColor(want.Color));
        replace(m_penSel, slot);
        m_pen = want;
    }

    void selectBrush(const CanvasBrush& b)
    {
        CanvasBrush want = b;
        if (want.Style == bsClear)
            want.Color = clBlack;
        if (m_brush && *m_brush == want)
            return;
        const int slot = takeSlot();
        m_out.createBrush(slot, want.Style == bsClear ? kBsNull : kBsSolid, plainColor(want.Color));
        replace(m_brushSel, slot);
        m_brush = want;
    }

    void selectFont(const CanvasFont& f)
    {
        CanvasFont want = f;
        want.Color = clBlack;  // the colour is the text colour, not the font's
        if (m_font && *m_font == want)
            return;
        const int slot = takeSlot();
        m_out.createFont(slot, m_out.logFont(f));
        replace(m_fontSel, slot);
        m_font = want;
    }

    void setBkMode(unsigned mode)
    {
        if (m_bkMode == mode)
            return;
        m_bkMode = mode;
        m_out.setBkMode(mode);
    }

    MetafileDialect& m_out;
    CanvasMetrics& m_metrics;
    int m_firstSlot;
    std::vector<bool> m_used;
    int m_slotTop = 0;
    Selected m_penSel, m_brushSel, m_fontSel;
    std::optional<CanvasPen> m_pen;
    std::optional<CanvasBrush> m_brush;
    std::optional<CanvasFont> m_font;
    std::optional<TColor> m_textColor;
    std::optional<TColor> m_bkColor;
    // Both formats start transparent (the header's first records say so).
    unsigned m_bkMode = kTransparent;
};

void requireExtent(const FormulaPicture& picture)
{
    if (picture.width() <= 0 || picture.height() <= 0)
        throw Exception(QStringLiteral("No hay ninguna imagen que guardar."));
}

// ---- EMF ----

namespace emr {
constexpr std::uint32_t Header = 1, Polyline = 4, Eof = 14, SetMapMode = 17, SetBkMode = 18,
                        SetTextAlign = 22, SetTextColor = 24, SetBkColor = 25, MoveToEx = 27,
                        SelectObject = 37, CreatePen = 38, CreateBrushIndirect = 39, DeleteObject = 40,
                        Ellipse = 42, Rectangle = 43, LineTo = 54, ExtCreateFontIndirectW = 82,
                        ExtTextOutW = 84;
}

// One hundredth of a millimetre per pixel at 96 dots per inch is 2540 / 96.
constexpr int kHimetricPer96 = 2540;
int pixelsToHimetric(int px) { return int((std::int64_t(px) * kHimetricPer96 + 48) / 96); }

class EmfWriter : public MetafileDialect {
public:
    EmfWriter(int width, int height) : m_width(width), m_height(height) { writeHeader(); }

    void createPen(int slot, unsigned style, int width, TColor color) override
    {
        begin(emr::CreatePen);
        m_b.u32(std::uint32_t(slot));
        m_b.u32(style);
        m_b.i32(width);
        m_b.i32(0);
        m_b.u32(color);
        end();
    }
    void createBrush(int slot, unsigned style, TColor color) override
    {
        begin(emr::CreateBrushIndirect);
        m_b.u32(std::uint32_t(slot));
        m_b.u32(style);
        m_b.u32(color);
        m_b.u32(0);
        end();
    }
    void createFont(int slot, const LogFontData& f) override
    {
        begin(emr::ExtCreateFontIndirectW);
        m_b.u32(std::uint32_t(slot));
        // LogFont
        m_b.i32(f.height);
        m_b.i32(0);  // width: the face's own
        m_b.i32(0);  // escapement
        m_b.i32(0);  // orientation
        m_b.i32(int(f.weight));
        m_b.u8(f.italic);
        m_b.u8(f.underline);
        m_b.u8(f.strikeOut);
        m_b.u8(f.charset);
        m_b.u8(0);   // output precision: default
        m_b.u8(0);   // clip precision: default
        m_b.u8(0);   // quality: default
        m_b.u8(0);   // pitch and family: default
        utf16Fixed(f.face, 32);
        // The rest of the panose form (full name, style, version, style size,
        // match, reserved, vendor, culture, panose): empty. Readers take the
        // record as a plain LogFont; its size is the one they expect.
        utf16Fixed(f.face, 64);
        m_b.zeros(32 * 2 + 6 * 4 + 12);
        end();
    }
    void selectObject(int slot) override { simple(emr::SelectObject, std::uint32_t(slot)); }
    void deleteObject(int slot) override { simple(emr::DeleteObject, std::uint32_t(slot)); }
    void setTextColor(TColor color) override { simple(emr::SetTextColor, color); }
    void setBkMode(unsigned mode) override { simple(emr::SetBkMode, mode); }
    void setBkColor(TColor color) override { simple(emr::SetBkColor, color); }
    void moveTo(int x, int y) override
    {
        begin(emr::MoveToEx);
        m_b.i32(x);
        m_b.i32(y);
        end();
    }
    void lineTo(int x, int y) override
    {
        begin(emr::LineTo);
        m_b.i32(x);
        m_b.i32(y);
        end();
    }
    void polyline(const QList<TPoint>& points) override
    {
        begin(emr::Polyline);
        TRect bounds{points[0].X, points[0].Y, points[0].X, points[0].Y};
        for (const TPoint& p : points) {
            bounds.Left = std::min(bounds.Left, p.X);
            bounds.Top = std::min(bounds.Top, p.Y);
            bounds.Right = std::max(bounds.Right, p.X);
            bounds.Bottom = std::max(bounds.Bottom, p.Y);
        }
        rectL(bounds);
        m_b.u32(std::uint32_t(points.size()));
        for (const TPoint& p : points) {
            m_b.i32(p.X);
            m_b.i32(p.Y);
        }
        end();
    }
    // The records' boxes are inclusive: the pixel at the right and bottom
    // edges is the last one covered.
    void rectangle(const TRect& box) override { boxRecord(emr::Rectangle, box); }
    void ellipse(const TRect& box) override { boxRecord(emr::Ellipse, box); }

    void text(const TextRun& run, const CanvasFont&) override
    {
        const TRect cell{run.x, run.y, run.x + run.width, run.y + run.height};
        const std::uint32_t chars = std::uint32_t(run.shown.size());
        constexpr std::uint32_t kFixed = 76;  // the record up to its string
        const std::uint32_t stringBytes = (chars * 2 + 3) & ~3u;
        begin(emr::ExtTextOutW);
        rectL(TRect{cell.Left, cell.Top, cell.Right - 1, cell.Bottom - 1});
        m_b.u32(1);  // GM_COMPATIBLE
        // Page units to hundredths of a millimetre.
        m_b.f32(float(kHimetricPer96) / 96.0f);
        m_b.f32(float(kHimetricPer96) / 96.0f);
        m_b.i32(run.x);
        m_b.i32(run.y);
        m_b.u32(chars);
        m_b.u32(kFixed);
        m_b.u32(0);  // options: the background follows the background mode
        rectL(cell);
        m_b.u32(kFixed + stringBytes);
        for (QChar c : run.shown)
            m_b.u16(c.unicode());
        m_b.padTo(4);
        for (int a : run.advances)
            m_b.i32(a);
        end();
    }

    LogFontData logFont(const CanvasFont& font) const override
    {
        LogFontData f = baseLogFont(font);
        if (isSymbolFace(font.Name)) {
            // The text is written as the Unicode characters the letters stand
            // for, in the serif face the screen draws them with.
            f.face = QStringLiteral("Times New Roman");
        }
        f.charset = kDefaultCharset;
        return f;
    }

    QByteArray finish(int handles)
    {
        begin(emr::Eof);
        m_b.u32(0);   // palette entries
        m_b.u32(16);  // their offset
        m_b.u32(20);  // this record's size, repeated last
        end();
        m_b.patch32(48, std::uint32_t(m_b.size()));
        m_b.patch32(52, m_records);
        m_b.patch16(56, std::uint16_t(handles));
        return m_b.data();
    }

private:
    void begin(std::uint32_t type)
    {
        m_start = m_b.size();
        m_b.u32(type);
        m_b.u32(0);  // size, filled by end()
    }
    void end()
    {
        m_b.padTo(4);
        m_b.patch32(m_start + 4, std::uint32_t(m_b.size() - m_start));
        ++m_records;
    }
    void simple(std::uint32_t type, std::uint32_t value)
    {
        begin(type);
        m_b.u32(value);
        end();
    }
    void rectL(const TRect& r)
    {
        m_b.i32(r.Left);
        m_b.i32(r.Top);
        m_b.i32(r.Right);
        m_b.i32(r.Bottom);
    }
    void boxRecord(std::uint32_t type, const TRect& box)
    {
        begin(type);
        rectL(TRect{box.Left, box.Top, box.Right - 1, box.Bottom - 1});
        end();
    }
    void utf16Fixed(const QString& s, int units)
    {
        const QString cut = s.left(units - 1);
        for (QChar c : cut)
            m_b.u16(c.unicode());
        m_b.zeros(qsizetype(units - cut.size()) * 2);
    }

    void writeHeader()
    {
        // The reference device: a 96 dots-per-inch screen of 1920 x 1080.
        constexpr int kDevW = 1920, kDevH = 1080;
        const QString description = QStringLiteral("Sumbrix") + QChar(0) + QStringLiteral("Fórmula") + QChar(0) +
                                    QChar(0);
        begin(emr::Header);
        rectL(TRect{0, 0, m_width - 1, m_height - 1});                                   // bounds
        rectL(TRect{0, 0, pixelsToHimetric(m_width) - 1, pixelsToHimetric(m_height) - 1});  // frame
        m_b.u32(0x464D4520);  // " EMF"
        m_b.u32(0x00010000);
        m_b.u32(0);           // bytes: at the end
        m_b.u32(0);           // records: at the end
        m_b.u16(0);           // handles: at the end
        m_b.u16(0);
        m_b.u32(std::uint32_t(description.size()));
        m_b.u32(108);         // the description follows the header's fixed part
        m_b.u32(0);           // palette entries
        m_b.i32(kDevW);
        m_b.i32(kDevH);
        m_b.i32(pixelsToHimetric(kDevW) / 100);
        m_b.i32(pixelsToHimetric(kDevH) / 100);
        m_b.u32(0);           // no pixel format
        m_b.u32(0);
        m_b.u32(0);           // no OpenGL
        m_b.u32(std::uint32_t(pixelsToHimetric(kDevW)) * 10);  // micrometres
        m_b.u32(std::uint32_t(pixelsToHimetric(kDevH)) * 10);
        for (QChar c : description)
            m_b.u16(c.unicode());
        end();
        simple(emr::SetMapMode, 1);  // MM_TEXT
        simple(emr::SetBkMode, kTransparent);
        simple(emr::SetTextAlign, kTaTopLeft);
    }

    LeBytes m_b;
    qsizetype m_start = 0;
    std::uint32_t m_records = 0;
    int m_width, m_height;
};

// ---- WMF ----

namespace meta {
constexpr unsigned Eof = 0x0000, SetBkMode = 0x0102, SetMapMode = 0x0103, SetTextAlign = 0x012E,
                   SelectObject = 0x012D, DeleteObject = 0x01F0, SetBkColor = 0x0201, SetTextColor = 0x0209,
                   SetWindowOrg = 0x020B, SetWindowExt = 0x020C, LineTo = 0x0213, MoveTo = 0x0214,
                   CreatePenIndirect = 0x02FA, CreateFontIndirect = 0x02FB, CreateBrushIndirect = 0x02FC,
                   Polyline = 0x0325, Ellipse = 0x0418, Rectangle = 0x041B, ExtTextOut = 0x0A32;
}

// The classic format's coordinates are 16-bit.
constexpr int kWmfMaxExtent = 32767;
int c16(int v) { return std::clamp(v, -32768, 32767); }

class WmfWriter : public MetafileDialect {
public:
    WmfWriter(int width, int height) : m_width(width), m_height(height)
    {
        // Placeable header: key, handle, box, units per inch, reserved, checksum.
        m_b.u32(0x9AC6CDD7);
        m_b.u16(0);
        m_b.i16(0);
        m_b.i16(0);
        m_b.i16(width);
        m_b.i16(height);
        m_b.u16(96);
        m_b.u32(0);
        std::uint16_t sum = 0;
        for (int i = 0; i < 20; i += 2)
            sum ^= qFromLittleEndian<std::uint16_t>(m_b.data().constData() + i);
        m_b.u16(sum);
        // The metafile header: in memory, 9 words, version 3.0; sizes at the end.
        m_b.u16(1);
        m_b.u16(9);
        m_b.u16(0x0300);
        m_b.u32(0);
        m_b.u16(0);
        m_b.u32(0);
        m_b.u16(0);
        simple(meta::SetMapMode, {8});  // MM_ANISOTROPIC: the window below maps onto the box
        simple(meta::SetWindowOrg, {0, 0});
        simple(meta::SetWindowExt, {unsigned(height), unsigned(width)});
        simple(meta::SetBkMode, {kTransparent});
        simple(meta::SetTextAlign, {kTaTopLeft});
    }

    void createPen(int, unsigned style, int width, TColor color) override
    {
        begin(meta::CreatePenIndirect);
        m_b.u16(style);
        m_b.i16(c16(width));
        m_b.i16(0);
        m_b.u32(color);
        end();
    }
    void createBrush(int, unsigned style, TColor color) override
    {
        begin(meta::CreateBrushIndirect);
        m_b.u16(style);
        m_b.u32(color);
        m_b.u16(0);
        end();
    }
    void createFont(int, const LogFontData& f) override
    {
        begin(meta::CreateFontIndirect);
        m_b.i16(c16(f.height));
        m_b.i16(0);
        m_b.i16(0);
        m_b.i16(0);
        m_b.i16(int(f.weight));
        m_b.u8(f.italic);
        m_b.u8(f.underline);
        m_b.u8(f.strikeOut);
        m_b.u8(f.charset);
        m_b.u8(0);
        m_b.u8(0);
        m_b.u8(0);
        m_b.u8(0);
        QByteArray face = cp1252::encode(f.face).left(31);
        face.append(32 - face.size(), '\0');
        m_b.bytes(face);
        end();
    }
    void selectObject(int slot) override { simple(meta::SelectObject, {unsigned(slot)}); }
    void deleteObject(int slot) override { simple(meta::DeleteObject, {unsigned(slot)}); }
    void setTextColor(TColor color) override { simple32(meta::SetTextColor, color); }
    void setBkMode(unsigned mode) override { simple(meta::SetBkMode, {mode}); }
    void setBkColor(TColor color) override { simple32(meta::SetBkColor, color); }
    void moveTo(int x, int y) override { point(meta::MoveTo, x, y); }
    void lineTo(int x, int y) override { point(meta::LineTo, x, y); }
    void polyline(const QList<TPoint>& points) override
    {
        begin(meta::Polyline);
        m_b.i16(int(std::min<qsizetype>(points.size(), 32767)));
        for (qsizetype i = 0; i < points.size() && i < 32767; ++i) {
            m_b.i16(c16(points[i].X));
            m_b.i16(c16(points[i].Y));
        }
        end();
    }
    void rectangle(const TRect& box) override { boxRecord(meta::Rectangle, box); }
    void ellipse(const TRect& box) override { boxRecord(meta::Ellipse, box); }

    void text(const TextRun& run, const CanvasFont&) override
    {
        // One byte per character: the code page's, or the "Symbol" font's own
        // codes under its character set.
        QByteArray bytes;
        if (run.symbolFont) {
            for (QChar c : run.original)
                bytes.append(char(c.unicode() <= 0xFF ? c.unicode() : '?'));
        } else {
            bytes = cp1252::encode(run.original);
        }
        const int n = int(std::min<qsizetype>(bytes.size(), 8000));
        bytes.truncate(n);
        begin(meta::ExtTextOut);
        m_b.i16(c16(run.y));
        m_b.i16(c16(run.x));
        m_b.i16(n);
        m_b.u16(0);  // options: no rectangle
        m_b.bytes(bytes);
        m_b.padTo(2);
        for (int i = 0; i < n; ++i)
            m_b.i16(c16(run.advances[std::size_t(i)]));
        end();
    }

    LogFontData logFont(const CanvasFont& font) const override
    {
        LogFontData f = baseLogFont(font);
        f.charset = isSymbolFace(font.Name) ? kSymbolCharset : kAnsiCharset;
        return f;
    }

    QByteArray finish(int objects)
    {
        begin(meta::Eof);
        end();
        constexpr qsizetype kPlaceable = 22;
        m_b.patch32(kPlaceable + 6, std::uint32_t((m_b.size() - kPlaceable) / 2));
        m_b.patch16(kPlaceable + 10, std::uint16_t(objects));
        m_b.patch32(kPlaceable + 12, m_maxRecord);
        return m_b.data();
    }

private:
    void begin(unsigned function)
    {
        m_start = m_b.size();
        m_b.u32(0);
        m_b.u16(function);
    }
    void end()
    {
        m_b.padTo(2);
        const std::uint32_t words = std::uint32_t((m_b.size() - m_start) / 2);
        m_b.patch32(m_start, words);
        m_maxRecord = std::max(m_maxRecord, words);
    }
    void simple(unsigned function, std::initializer_list<unsigned> words)
    {
        begin(function);
        for (unsigned w : words)
            m_b.u16(w);
        end();
    }
    void simple32(unsigned function, std::uint32_t value)
    {
        begin(function);
        m_b.u32(value);
        end();
    }
    void point(unsigned function, int x, int y)
    {
        begin(function);
        m_b.i16(c16(y));
        m_b.i16(c16(x));
        end();
    }
    void boxRecord(unsigned function, const TRect& box)
    {
        begin(function);
        m_b.i16(c16(box.Bottom));
        m_b.i16(c16(box.Right));
        m_b.i16(c16(box.Top));
        m_b.i16(c16(box.Left));
        end();
    }

    LeBytes m_b;
    qsizetype m_start = 0;
    std::uint32_t m_maxRecord = 0;
    int m_width, m_height;
};

} // namespace

QByteArray PictureToEmf(const FormulaPicture& picture)
{
    requireExtent(picture);
    EmfWriter out(picture.width(), picture.height());
    // Slot 0 of the enhanced format's table is the metafile itself.
    MetafileCanvas canvas(out, picture.metrics(), 1);
    picture.replay(canvas);
    return out.finish(std::max(1, canvas.slotsUsed()));
}

QByteArray PictureToWmf(const FormulaPicture& picture)
{
    requireExtent(picture);
    if (picture.width() > kWmfMaxExtent || picture.height() > kWmfMaxExtent)
        throw Exception(QStringLiteral("La imagen es demasiado grande para guardarla como metarchivo WMF "
                                       "(como mucho 32767 puntos de ancho y de alto). Guárdela como EMF."));
    WmfWriter out(picture.width(), picture.height());
    MetafileCanvas canvas(out, picture.metrics(), 0);
    picture.replay(canvas);
    return out.finish(canvas.slotsUsed());
}
