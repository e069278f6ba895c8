#include "engine/formuladraw.h"

#include <algorithm>
#include <cstddef>
#include <unordered_map>

namespace formuladraw {

namespace {

// a * num / den rounded to the nearest integer (the values drawn are never
// halfway between two integers, so the rule for ties does not matter).
int RoundMul(int a, int num, int den)
{
    const long long p = static_cast<long long>(a) * num;
    const long long q = p >= 0 ? (2 * p + den) / (2LL * den) : -((-2 * p + den) / (2LL * den));
    return static_cast<int>(q);
}

const QString& Plus()
{
    static const QString s = QStringLiteral("+");
    return s;
}

// Pens and brushes as the drawing steps set them: black, solid.
void SetPen(Canvas& canvas, int width)
{
    canvas.setPen(CanvasPen{clBlack, std::max(width, 1), psSolid});
}

// A font of a cell height (positive height): the parentheses.
void SetCellFont(Canvas& canvas, int cellHeight)
{
    canvas.setFont(CanvasFont{TimesFace(), std::max(cellHeight, 1), 0, clBlack});
}

// Two operands side by side with their axes on one line, as the sum places
// them: the left at the left edge, the right at the right edge.
struct Pair {
    Box l, r, box;
};

Pair MeasurePair(Canvas& canvas, int size, const Part& l, const Part& r)
{
    Pair p;
    p.l = l.Measure(canvas, size);
    p.r = r.Measure(canvas, size);
    p.box.above = std::max(p.l.above, p.r.above);
    p.box.below = std::max(p.l.below, p.r.below);
    return p;
}

void DrawPair(Canvas& canvas, int x, int y, int size, const Part& l, const Part& r, const Pair& p)
{
    l.Draw(canvas, x, y + p.box.above - p.l.above, size);
    r.Draw(canvas, x + p.box.width - p.r.width, y + p.box.above - p.r.above, size);
}

// The sign font of the sum and the difference.
int SignWidth(Canvas& canvas, int size)
{
    SetFont(canvas, TimesFace(), fsBold, size);
    return canvas.textWidth(Plus());
}

Pair MeasureSumLike(Canvas& canvas, int size, const Part& l, const Part& r)
{
    Pair p = MeasurePair(canvas, size, l, r);
    p.box.width = p.l.width + p.r.width + SignWidth(canvas, size) + size / 4;
    return p;
}

Pair MeasureProductPair(Canvas& canvas, int size, const Part& l, const Part& r, bool dot)
{
    Pair p = MeasurePair(canvas, size, l, r);
    p.box.width = p.l.width + p.r.width + (dot ? size / 3 : size / 6);
    return p;
}

Pair MeasureComparisonPair(Canvas& canvas, int size, CompareSign sign, const Part& l, const Part& r)
{
    Pair p = MeasurePair(canvas, size, l, r);
    SetFont(canvas, SymbolFace(), fsBold, size);
    p.box.width = p.l.width + p.r.width + canvas.textWidth(CompareSignText(sign)) + size / 4;
    return p;
}

bool IsPi(const QString& text) { return text.compare(QLatin1String("pi"), Qt::CaseInsensitive) == 0; }

QString Quoted(const QString& text) { return QLatin1Char('"') + text + QLatin1Char('"'); }

Part ArgListPart(const std::vector<Part>& items)
{
    return Part{[items](Canvas& c, int s) { return MeasureArgList(c, s, items); },
                [items](Canvas& c, int x, int y, int s) { DrawArgList(c, x, y, s, items); }};
}

// ---- the measuring memory of a pass ----
struct Key {
    const void* node;
    const Canvas* canvas;
    int size;
    bool operator==(const Key&) const = default;
};
struct KeyHash {
    std::size_t operator()(const Key& k) const noexcept
    {
        std::size_t h = std::hash<const void*>()(k.node);
        h ^= std::hash<const void*>()(k.canvas) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
        h ^= std::hash<int>()(k.size) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
        return h;
    }
};
using Memory = std::unordered_map<Key, Box, KeyHash>;
Memory* g_memory = nullptr;
// The frame of the outermost pass, and how much stack below it a drawing may
// use: the program's thread has 8 MB; a level of drawing takes under a
// kilobyte (about four with the address sanitizer), so every tree the compiler
// accepts draws whole in a normal build.
const char* g_stackTop = nullptr;
constexpr std::ptrdiff_t kDrawStackBudget = 5 * 1024 * 1024;

} // namespace

QString TimesFace() { return QStringLiteral("Times New Roman"); }
QString ArialFace() { return QStringLiteral("Arial"); }
QString SymbolFace() { return QStringLiteral("Symbol"); }

Part Nothing() { return Part{}; }

Part Parenthesised(Part inner, bool withParens)
{
    if (!withParens)
        return inner;
    return Part{[inner](Canvas& c, int s) { return MeasureParens(c, s, inner); },
                [inner](Canvas& c, int x, int y, int s) { DrawParens(c, x, y, s, inner); }};
}

Part TextPart(const QString& text, const QString& face, TFontStyles style)
{
    return Part{[=](Canvas& c, int s) {
                    SetFont(c, face, style, s);
                    const int h = c.textHeight();
                    return Box{c.textWidth(text), h / 2, h / 2};
                },
                [=](Canvas& c, int x, int y, int s) {
                    SetFont(c, face, style, s);
                    TextAt(c, x, y, text);
                }};
}

int SmallSize(int size, int num, int den) { return std::max(1, size * num / den); }

void SetFont(Canvas& canvas, const QString& face, TFontStyles style, int size)
{
    canvas.setFont(CanvasFont{face, -std::max(size, 1), style, clBlack});
}

void TextAt(Canvas& canvas, int x, int y, const QString& text)
{
    // Text goes over a clear background: a step before (the product's dot) may
    // have left a solid brush.
    canvas.setBrushStyle(bsClear);
    canvas.textOut(x, y, text);
}

void DrawCenteredText(Canvas& canvas, const TRect& rect, const QString& text)
{
    const int x = rect.Left + (rect.Right - rect.Left - canvas.textWidth(text)) / 2;
    const int y = rect.Top + (rect.Bottom - rect.Top - canvas.textHeight(text)) / 2;
    TextAt(canvas, x, y, text);
}

// ---- parentheses ----

Box MeasureParens(Canvas& canvas, int size, const Part& inner)
{
    const Box b = inner.Measure(canvas, size);
    const int d = b.height() / 5;
    SetCellFont(canvas, b.height() + d);
    return Box{b.width + canvas.textWidth(QStringLiteral("()")), b.above + d / 2, b.below + d / 2};
}

void DrawParens(Canvas& canvas, int x, int y, int size, const Part& inner)
{
    const Box b = inner.Measure(canvas, size);
    const int d = b.height() / 5;
    SetCellFont(canvas, b.height() + d);
    const int tr = canvas.textWidth(QStringLiteral(")"));
    TextAt(canvas, x, y - d / 2, QStringLiteral("("));
    TextAt(canvas, x + tr + b.width, y - d / 2, QStringLiteral(")"));
    inner.Draw(canvas, x + tr, y + d / 2, size);
}

// ---- leaves ----

NumberText MakeNumberText(const QString& written, int base)
{
    NumberText n;
    n.base = base;
    const qsizetype bracket = written.indexOf(QLatin1Char('['));
    n.text = bracket >= 0 ? written.left(bracket) : written;
    const qsizetype e = n.text.indexOf(QLatin1Char('e'));
    n.hasExponent = e >= 0;
    if (n.hasExponent) {
        n.mantissa = n.text.left(e);
        n.exponent = n.text.mid(e + 1);
    }
    return n;
}

Box MeasureNumber(Canvas& canvas, int size, const NumberText& number)
{
    SetFont(canvas, TimesFace(), 0, size);
    Box b;
    if (!number.hasExponent) {
        const int h = canvas.textHeight(number.text);
        b = Box{canvas.textWidth(number.text), h / 2, h / 2};
    } else {
        const int h = canvas.textHeight(number.mantissa) / 2;
        b.above = (RoundMul(canvas.textHeight(number.exponent), 2, 3) + h) / 2;
        b.below = size / 3 + h / 2;
        b.width = size / 3 + canvas.textWidth(number.mantissa + QStringLiteral("10")) +
                  RoundMul(canvas.textWidth(number.exponent), 2, 3);
    }
    if (number.base != 10) {
        SetFont(canvas, TimesFace(), 0, SmallSize(size, 1, 2));
        b.width += RoundMul(canvas.textWidth(QString::number(number.base)), 2, 3);
    }
    return b;
}

void DrawNumber(Canvas& canvas, int x, int y, int size, const NumberText& number)
{
    const Box b = MeasureNumber(canvas, size, number);
    SetFont(canvas, TimesFace(), 0, size);
    if (!number.hasExponent) {
        TextAt(canvas, x, y, number.text);
    } else {
        const int y1 = b.above / 6;
        const QString ten = QStringLiteral(" 10");
        TextAt(canvas, x, y + y1, number.mantissa);
        const int tm = canvas.textWidth(number.mantissa);
        TextAt(canvas, x + tm, y + y1, ten);
        const int tt = canvas.textWidth(ten);
        // The exponent's font is given in points (six tenths of the size), as a
        // cell height on the surface; never below one point.
        canvas.setFontSize(-std::max(1, RoundMul(size, 6, 10)));
        TextAt(canvas, x + tm + tt, y - y1, number.exponent);
        SetPen(canvas, 1);
        canvas.setBrush(CanvasBrush{clBlack, bsSolid});
        const int rx = x + tm + tt / 6 - y1;
        const int ry = y + b.above + b.below / 3 - y1;
        canvas.rectangle(rx, ry, rx + 2, ry + 2);
    }
    if (number.base != 10) {
        SetFont(canvas, TimesFace(), 0, SmallSize(size, 1, 2));
        canvas.setFontColor(clMaroon);
        const QString digits = QString::number(number.base);
        TextAt(canvas, x + b.width - canvas.textWidth(digits), y + b.above + b.below - canvas.textHeight(QStringLiteral("0")),
               digits);
        canvas.setFontColor(clBlack);
    }
}

Box MeasureConstant(Canvas& canvas, int size, const QString& text)
{
    if (IsPi(text)) {
        SetFont(canvas, SymbolFace(), 0, size);
        const int h = canvas.textHeight(QStringLiteral("p"));
        return Box{canvas.textWidth(QStringLiteral("p")), h / 2, h / 2};
    }
    SetFont(canvas, TimesFace(), fsItalic, size);
    const int t = canvas.textHeight(text) / 5;
    return Box{canvas.textWidth(text), 3 * t, 2 * t};
}

void DrawConstant(Canvas& canvas, int x, int y, int size, const QString& text)
{
    if (IsPi(text)) {
        SetFont(canvas, SymbolFace(), 0, size);
        TextAt(canvas, x, y - size / 7, QStringLiteral("p"));
        return;
    }
    SetFont(canvas, TimesFace(), fsItalic, size);
    TextAt(canvas, x, y, text);
}

Box MeasureVariable(Canvas& canvas, int size, const QString& text)
{
    SetFont(canvas, TimesFace(), fsBold | fsItalic, size);
    const int h = canvas.textHeight(text);
    return Box{canvas.textWidth(text), h / 2, h / 2};
}

void DrawVariable(Canvas& canvas, int x, int y, int size, const QString& text)
{
    SetFont(canvas, TimesFace(), fsBold | fsItalic, size);
    TextAt(canvas, x, y, text);
}

Box MeasureMessage(Canvas& canvas, int size, const QString& text)
{
    SetFont(canvas, ArialFace(), 0, size);
    const QString q = Quoted(text);
    const int h = canvas.textHeight(q);
    return Box{canvas.textWidth(q), h / 2, h / 2};
}

void DrawMessage(Canvas& canvas, int x, int y, int size, const QString& text)
{
    SetFont(canvas, ArialFace(), 0, size);
    TextAt(canvas, x, y, Quoted(text));
}

// ---- operators ----

Box MeasureSum(Canvas& canvas, int size, const Part& l, const Part& r)
{
    return MeasureSumLike(canvas, size, l, r).box;
}

void DrawSum(Canvas& canvas, int x, int y, int size, const Part& l, const Part& r)
{
    const Pair p = MeasureSumLike(canvas, size, l, r);
    DrawPair(canvas, x, y, size, l, r, p);
    SetFont(canvas, TimesFace(), fsBold, size);
    DrawCenteredText(canvas, TRect{x + p.l.width, y, x + p.box.width - p.r.width, y + 2 * p.box.above}, Plus());
}

Box MeasureDifference(Canvas& canvas, int size, const Part& l, const Part& r)
{
    return MeasureSumLike(canvas, size, l, r).box;
}

void DrawDifference(Canvas& canvas, int x, int y, int size, const Part& l, const Part& r)
{
    const Pair p = MeasureSumLike(canvas, size, l, r);
    DrawPair(canvas, x, y, size, l, r, p);
    const int penWidth = std::max(1, RoundMul(size, 1, 15));
    SetPen(canvas, penWidth);
    const int ly = y + p.box.above - penWidth / 2;
    const int s = size / 6;
    canvas.line(x + p.l.width + s, ly, x + p.box.width - p.r.width - s, ly);
}

bool ProductHasDot(const ProductOperands& o)
{
    const bool p0 = o.leftNeedsParens;
    const bool p1 = o.rightNeedsParens || o.rightIsPowerOfNonNumber;
    if (p1 && p0)
        return false;
    if (p1 && o.leftIsNumber)
        return false;
    if (o.leftIsNumber && !o.rightIsOperator && !o.rightIsNumber)
        return false;
    return true;
}

Box MeasureProduct(Canvas& canvas, int size, const Part& l, const Part& r, bool dot)
{
    return MeasureProductPair(canvas, size, l, r, dot).box;
}

void DrawProduct(Canvas& canvas, int x, int y, int size, const Part& l, const Part& r, bool dot)
{
    const Pair p = MeasureProductPair(canvas, size, l, r, dot);
    DrawPair(canvas, x, y, size, l, r, p);
    if (!dot)
        return;
    SetPen(canvas, 1);
    canvas.setBrush(CanvasBrush{clBlack, bsSolid});
    const int side = size / 20 > 1 ? size / 20 : 2;
    const int left = x + p.l.width + size / 8 - size / 20 + 1;
    const int top = y + p.box.above - size / 20;
    canvas.rectangle(left, top, left + side, top + side);
}

Box MeasureQuotient(Canvas& canvas, int size, const Part& numerator, const Part& denominator)
{
    const Box n = numerator.Measure(canvas, size);
    const Box d = denominator.Measure(canvas, size);
    return Box{std::max(n.width, d.width) + size / 10, n.height(), d.height()};
}

void DrawQuotient(Canvas& canvas, int x, int y, int size, const Part& numerator, const Part& denominator)
{
    const Box n = numerator.Measure(canvas, size);
    const Box d = denominator.Measure(canvas, size);
    const Box b{std::max(n.width, d.width) + size / 10, n.height(), d.height()};
    numerator.Draw(canvas, x + (b.width - n.width) / 2, y, size);
    denominator.Draw(canvas, x + (b.width - d.width) / 2, y + b.above + b.below - d.height(), size);
    SetPen(canvas, 1);
    canvas.line(x, y + b.above, x + b.width, y + b.above);
}

Box MeasurePower(Canvas& canvas, int size, const Part& base, const Part& exponent)
{
    const Box b = base.Measure(canvas, size);
    const Box e = exponent.Measure(canvas, SmallSize(size, 2, 3));
    return Box{b.width + e.width, b.above + e.above, b.below};
}

void DrawPower(Canvas& canvas, int x, int y, int size, const Part& base, const Part& exponent)
{
    const int es = SmallSize(size, 2, 3);
    const Box b = base.Measure(canvas, size);
    const Box e = exponent.Measure(canvas, es);
    base.Draw(canvas, x, y + e.above, size);
    exponent.Draw(canvas, x + b.width, y + size / 10, es);
}

Box MeasureRoot(Canvas& canvas, int size, const Part& radicand, const Part& index)
{
    const Box a = radicand.Measure(canvas, size);
    const Box i = index.Measure(canvas, SmallSize(size, 2, 3));
    const int c = a.height() / 4;
    return Box{a.width + i.width + c, a.above + i.above, 2 * (size / 10) + a.below};
}

void DrawRoot(Canvas& canvas, int x, int y, int size, const Part& radicand, const Part& index, bool showIndex)
{
    const Box a = radicand.Measure(canvas, size);
    const Box i = index.Measure(canvas, SmallSize(size, 2, 3));
    const int c = a.height() / 4;
    const int width = a.width + i.width + c;
    const int s = size / 10;
    SetPen(canvas, 1);
    const int xr = x + width;
    const int yt = y + i.above;
    canvas.polyline({TPoint{xr, yt}, TPoint{xr - a.width - s, yt}, TPoint{xr - a.width - c, yt + a.height() - s},
                     TPoint{xr - a.width - 2 * c, yt + i.below}});
    radicand.Draw(canvas, xr - a.width, yt, size);
    if (showIndex)
        index.Draw(canvas, x, y, SmallSize(size, 1, 2));
}

Box MeasureLogarithm(Canvas& canvas, int size, const Part& argument, const Part& base)
{
    const Box a = argument.Measure(canvas, size);
    const Box b = base.Measure(canvas, SmallSize(size, 1, 2));
    SetFont(canvas, TimesFace(), 0, size);
    return Box{canvas.textWidth(QStringLiteral("log")) + a.width + b.width + size / 6, a.above, a.below};
}

void DrawLogarithm(Canvas& canvas, int x, int y, int size, const Part& argument, const Part& base)
{
    const int bs = SmallSize(size, 1, 2);
    const Box a = argument.Measure(canvas, size);
    const Box b = base.Measure(canvas, bs);
    SetFont(canvas, TimesFace(), 0, size);
    const QString log = QStringLiteral("log");
    const int width = canvas.textWidth(log) + a.width + b.width + size / 6;
    const int h = canvas.textHeight(log);
    const int yl = y + (2 * a.above - h) / 2;
    TextAt(canvas, x, yl, log);
    argument.Draw(canvas, x + width - a.width, y, size);
    base.Draw(canvas, x + width - a.width - b.width, yl + h - b.height(), bs);
}

QString CompareSignText(CompareSign sign)
{
    switch (sign) {
    case CompareSign::Greater:
    case CompareSign::GreaterEqual:
        return QStringLiteral(">");
    case CompareSign::Less:
    case CompareSign::LessEqual:
        return QStringLiteral("<");
    case CompareSign::Equal:
    case CompareSign::NotEqual:
        break;
    }
    return QStringLiteral("=");
}

Box MeasureComparison(Canvas& canvas, int size, CompareSign sign, const Part& l, const Part& r)
{
    return MeasureComparisonPair(canvas, size, sign, l, r).box;
}

void DrawComparison(Canvas& canvas, int x, int y, int size, CompareSign sign, const Part& l, const Part& r)
{
    const Pair p = MeasureComparisonPair(canvas, size, sign, l, r);
    DrawPair(canvas, x, y, size, l, r, p);
    const QString text = CompareSignText(sign);
    SetFont(canvas, SymbolFace(), fsBold, size);
    const int d = (sign == CompareSign::GreaterEqual || sign == CompareSign::LessEqual) ? size / 7 : 0;
    const int h = canvas.textHeight(text);
    const int ts = canvas.textWidth(text);
    const int ys = y + (2 * p.box.above - h) / 2;
    const int x0 = x + p.l.width;
    TextAt(canvas, x0 + 1, ys - d - size / 8, text);
    if (d != 0) {
        SetPen(canvas, 1);
        canvas.line(x0 + 1, ys + 7 * d + 2, x0 - 1 + ts, ys + 7 * d + 2);
    }
    if (sign == CompareSign::NotEqual) {
        SetPen(canvas, 1);
        const int g = size / 6;
        canvas.line(x0 + ts - g, ys + g, x0 + g, ys + h - g);
    }
}

Box MeasureLogic(Canvas& canvas, int size, const Part& l, const Part& r)
{
    Pair p = MeasurePair(canvas, size, l, r);
    p.box.width = p.l.width + p.r.width + size * 2 / 3;
    return p.box;
}

void DrawLogic(Canvas& canvas, int x, int y, int size, LogicOp op, const Part& l, const Part& r)
{
    Pair p = MeasurePair(canvas, size, l, r);
    p.box.width = p.l.width + p.r.width + size * 2 / 3;
    DrawPair(canvas, x, y, size, l, r, p);
    SetPen(canvas, 1);
    const int x0 = x + p.l.width;
    const int u = size * 2 / 18;
    const int v = 3 * u;
    const int ya = y + p.box.above;
    switch (op) {
    case LogicOp::And:
        canvas.polyline({TPoint{x0 + u, ya + v}, TPoint{x0 + v, ya - u}, TPoint{x0 + 5 * u, ya + v}});
        break;
    case LogicOp::Or:
        canvas.polyline({TPoint{x0 + u, ya - u}, TPoint{x0 + v, ya + v}, TPoint{x0 + 5 * u, ya - u}});
        break;
    case LogicOp::Xor:
        canvas.polyline({TPoint{x0 + u, ya - u}, TPoint{x0 + 2 * u, ya + v}, TPoint{x0 + v, ya - u},
                         TPoint{x0 + 4 * u, ya + v}, TPoint{x0 + 5 * u, ya - u}});
        break;
    }
}

Box MeasureFunction1(Canvas& canvas, int size, const QString& name, const Part& argument)
{
    const Box a = argument.Measure(canvas, size);
    SetFont(canvas, TimesFace(), 0, size);
    return Box{canvas.textWidth(name) + a.width + size / 6, a.above, a.below};
}

void DrawFunction1(Canvas& canvas, int x, int y, int size, const QString& name, const Part& argument)
{
    const Box a = argument.Measure(canvas, size);
    SetFont(canvas, TimesFace(), 0, size);
    const int width = canvas.textWidth(name) + a.width + size / 6;
    TextAt(canvas, x, y + (2 * a.above - canvas.textHeight(name)) / 2, name);
    argument.Draw(canvas, x + width - a.width, y, size);
}

// The separator is written upright in "Times New Roman" at the node's size,
// whatever face the last item used, so that its width does not depend on the
// items.
Box MeasureArgList(Canvas& canvas, int size, const std::vector<Part>& items)
{
    Box b;
    for (const Part& item : items) {
        const Box i = item.Measure(canvas, size);
        b.width += i.width;
        b.above = std::max(b.above, i.above);
        b.below = std::max(b.below, i.below);
    }
    if (items.size() > 1) {
        SetFont(canvas, TimesFace(), 0, size);
        b.width += canvas.textWidth(QStringLiteral(", ")) * static_cast<int>(items.size() - 1);
    }
    return b;
}

void DrawArgList(Canvas& canvas, int x, int y, int size, const std::vector<Part>& items)
{
    std::vector<Box> boxes;
    boxes.reserve(items.size());
    int above = 0;
    for (const Part& item : items) {
        boxes.push_back(item.Measure(canvas, size));
        above = std::max(above, boxes.back().above);
    }
    const QString comma = QStringLiteral(", ");
    int xx = x;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            SetFont(canvas, TimesFace(), 0, size);
            TextAt(canvas, xx, y + above / 4, comma);
            xx += canvas.textWidth(comma);
        }
        items[i].Draw(canvas, xx, y + above - boxes[i].above, size);
        xx += boxes[i].width;
    }
}

Box MeasureFunctionN(Canvas& canvas, int size, const QString& name, const std::vector<Part>& items)
{
    const Box list = MeasureParens(canvas, size, ArgListPart(items));
    SetFont(canvas, TimesFace(), 0, size);
    return Box{list.width + canvas.textWidth(name), list.above, list.below};
}

void DrawFunctionN(Canvas& canvas, int x, int y, int size, const QString& name, const std::vector<Part>& items)
{
    const Part list = ArgListPart(items);
    const Box lb = MeasureParens(canvas, size, list);
    SetFont(canvas, TimesFace(), 0, size);
    const int tn = canvas.textWidth(name);
    TextAt(canvas, x, y + lb.above - canvas.textHeight(name) / 2, name);
    DrawParens(canvas, x + tn, y, size, list);
}

// ---- the built-ins' own drawings ----

Box MeasureSuperscript(Canvas& canvas, int size, const Part& argument, const QString& superscript)
{
    const Box a = argument.Measure(canvas, size);
    SetFont(canvas, TimesFace(), 0, SmallSize(size, 2, 3));
    return Box{a.width + canvas.textWidth(superscript), a.above + canvas.textHeight(superscript) / 3, a.below};
}

void DrawSuperscript(Canvas& canvas, int x, int y, int size, const Part& argument, const QString& superscript)
{
    const Box a = argument.Measure(canvas, size);
    SetFont(canvas, TimesFace(), 0, SmallSize(size, 2, 3));
    const int hs = canvas.textHeight(superscript);
    argument.Draw(canvas, x, y + hs / 3, size);
    SetFont(canvas, TimesFace(), 0, SmallSize(size, 2, 3));
    TextAt(canvas, x + a.width, y + size / 8, superscript);
}

Box MeasureRadical(Canvas& canvas, int size, const Part& argument)
{
    const Box a = argument.Measure(canvas, size);
    return Box{a.height() / 2 + a.width, size / 10 + a.above, 2 * (size / 10) + a.below};
}

void DrawRadical(Canvas& canvas, int x, int y, int size, const Part& argument)
{
    const Box a = argument.Measure(canvas, size);
    const int c = a.height() / 4;
    const int s = size / 10;
    SetPen(canvas, 1);
    const int xr = x + a.width + 2 * c;
    const int yt = y + s;
    canvas.polyline({TPoint{xr, yt}, TPoint{xr - a.width - s, yt}, TPoint{xr - a.width - c, yt + a.height() - s},
                     TPoint{xr - a.width - 2 * c, yt + a.above}});
    argument.Draw(canvas, xr - a.width, yt, size);
}

Box MeasureExpBase(Canvas& canvas, int size, const QString& base, bool italic, const Part& exponent)
{
    const Box e = exponent.Measure(canvas, SmallSize(size, 2, 3));
    SetFont(canvas, TimesFace(), italic ? TFontStyles(fsItalic) : TFontStyles(0), size);
    const int h = canvas.textHeight(base);
    return Box{canvas.textWidth(base) + e.width, h / 2 + e.above, h / 2};
}

void DrawExpBase(Canvas& canvas, int x, int y, int size, const QString& base, bool italic, const Part& exponent)
{
    const int es = SmallSize(size, 2, 3);
    const Box e = exponent.Measure(canvas, es);
    SetFont(canvas, TimesFace(), italic ? TFontStyles(fsItalic) : TFontStyles(0), size);
    const int tb = canvas.textWidth(base);
    TextAt(canvas, x, y + e.above, base);
    exponent.Draw(canvas, x + tb, y + size / 8, es);
}

Box MeasureAbs(Canvas& canvas, int size, const Part& argument)
{
    const Box a = argument.Measure(canvas, size);
    return Box{a.width + a.height() / 5, a.above, a.below};
}

void DrawAbs(Canvas& canvas, int x, int y, int size, const Part& argument)
{
    const Box a = argument.Measure(canvas, size);
    const int width = a.width + a.height() / 5;
    const int c = a.height() / 10;
    SetPen(canvas, 1);
    canvas.line(x, y + c, x, y + a.height() - c);
    canvas.line(x + width, y + c, x + width, y + a.height() - c);
    argument.Draw(canvas, x + c + 1, y, size);
}

Box MeasureFactorial(Canvas& canvas, int size, const Part& argument)
{
    const Box a = argument.Measure(canvas, size);
    SetFont(canvas, TimesFace(), 0, size);
    return Box{a.width + canvas.textWidth(QStringLiteral("!")), a.above, a.below};
}

void DrawFactorial(Canvas& canvas, int x, int y, int size, const Part& argument)
{
    const Box a = argument.Measure(canvas, size);
    argument.Draw(canvas, x, y, size);
    SetFont(canvas, TimesFace(), 0, size);
    const QString bang = QStringLiteral("!");
    TextAt(canvas, x + a.width, y + (a.height() - canvas.textHeight(bang)) / 2, bang);
}

Box MeasureCombination(Canvas& canvas, int size, const Part& n, const Part& k)
{
    const Box bn = n.Measure(canvas, size);
    const Box bk = k.Measure(canvas, size);
    Box b{0, bn.height(), bk.height()};
    const int m = std::max(bn.width, bk.width);
    const int d = b.height() / 5;
    SetFont(canvas, TimesFace(), 0, b.height() + d);
    b.above += d / 2;
    b.below += d / 2;
    b.width = canvas.textWidth(QStringLiteral("()")) + m;
    return b;
}

void DrawCombination(Canvas& canvas, int x, int y, int size, const Part& n, const Part& k)
{
    const Box bn = n.Measure(canvas, size);
    const Box bk = k.Measure(canvas, size);
    const int m = std::max(bn.width, bk.width);
    const int t = bn.height() + bk.height();
    SetFont(canvas, TimesFace(), 0, t + t / 5);
    TextAt(canvas, x, y - t / 5, QStringLiteral("("));
    const int xx = x + canvas.textWidth(QStringLiteral("("));
    TextAt(canvas, xx + m, y - t / 5, QStringLiteral(")"));
    n.Draw(canvas, xx + (m - bn.width) / 2, y, size);
    k.Draw(canvas, xx + (m - bk.width) / 2, y + t - bk.height(), size);
}

// ---- measuring once per drawing ----

MeasurePass::MeasurePass() : m_owner(g_memory == nullptr)
{
    if (m_owner) {
        g_memory = new Memory();
        // Taken at the first node's check: the depth a tree may reach does not
        // depend on how deep in its caller's frames the pass was opened.
        g_stackTop = nullptr;
    }
}

MeasurePass::~MeasurePass()
{
    if (m_owner) {
        delete g_memory;
        g_memory = nullptr;
        g_stackTop = nullptr;
    }
}

bool MeasurePass::active() { return g_memory != nullptr; }

bool MeasurePass::tooDeep()
{
    if (!g_memory)
        return false;
    const char* here = static_cast<const char*>(__builtin_frame_address(0));
    if (!g_stackTop) {
        g_stackTop = here;
        return false;
    }
    // The stack grows downward on every platform the program runs on.
    return g_stackTop - here > kDrawStackBudget;
}

Box CachedMeasure(const void* node, Canvas& canvas, int size, const MeasureFn& measure)
{
    if (!g_memory)
        return measure(canvas, size);
    const Key key{node, &canvas, size};
    auto it = g_memory->find(key);
    if (it != g_memory->end())
        return it->second;
    const Box b = measure(canvas, size);
    // The measuring may have opened and closed no pass of its own (nested passes
    // do nothing), so the memory is still the same.
    g_memory->emplace(key, b);
    return b;
}

} // namespace formuladraw
