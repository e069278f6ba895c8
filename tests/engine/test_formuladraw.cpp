// The shared layout of formulas on the fixed-width canvas (every character 8
// pixels wide, a line as high as the font's height): sizes and positions of
// every operator, exact.
#include "engine/formuladraw.h"
#include "fakecanvas.h"
#include "support/testsupport.h"

#include <vector>

using namespace formuladraw;

namespace {

constexpr int X = 100;
constexpr int Y = 50;
constexpr int S = 20;

// A child of fixed extents that writes its name and the size it was drawn at,
// so that the test sees where it went.
Part Block(const QString& name, int w, int a, int b)
{
    return Part{[=](Canvas&, int) { return Box{w, a, b}; },
                [=](Canvas& c, int x, int y, int s) { c.textOut(x, y, name + QStringLiteral("@") + QString::number(s)); }};
}

// A child whose extents follow the size: size wide, half of it above and below.
Part Sized(const QString& name)
{
    return Part{[=](Canvas&, int s) { return Box{s, s / 2, s / 2}; },
                [=](Canvas& c, int x, int y, int s) { c.textOut(x, y, name + QStringLiteral("@") + QString::number(s)); }};
}

// The drawn text with that content (the first one).
FakeCanvas::DrawnText Find(const FakeCanvas& c, const QString& text)
{
    for (const FakeCanvas::DrawnText& t : c.texts())
        if (t.text == text)
            return t;
    ADD_FAILURE() << "not drawn: " << text.toStdString() << " in " << c.joinedText(QStringLiteral("|")).toStdString();
    return {};
}

bool Drawn(const FakeCanvas& c, const QString& text)
{
    for (const FakeCanvas::DrawnText& t : c.texts())
        if (t.text == text)
            return true;
    return false;
}

TPoint At(const FakeCanvas& c, const QString& text)
{
    const FakeCanvas::DrawnText t = Find(c, text);
    return TPoint{t.x, t.y};
}

QList<FakeCanvas::DrawnShape> Shapes(const FakeCanvas& c, FakeCanvas::DrawnShape::Kind kind)
{
    QList<FakeCanvas::DrawnShape> out;
    for (const FakeCanvas::DrawnShape& s : c.shapes())
        if (s.kind == kind)
            out.append(s);
    return out;
}

TRect Line(int x1, int y1, int x2, int y2) { return TRect{x1, y1, x2, y2}; }

const QString L = QStringLiteral("L@20");
const QString R = QStringLiteral("R@20");

} // namespace

TEST(FormulaDraw, SumPlacesOperandsOnOneAxisAndCentresThePlus)
{
    FakeCanvas c;
    const Part l = Block("L", 24, 10, 10), r = Block("R", 16, 6, 14);
    EXPECT_EQ(MeasureSum(c, S, l, r), (Box{24 + 16 + 8 + 5, 10, 14}));
    DrawSum(c, X, Y, S, l, r);
    EXPECT_EQ(At(c, L), (TPoint{X, Y}));
    EXPECT_EQ(At(c, R), (TPoint{X + 53 - 16, Y + 4}));
    // "+" centred between the operands over twice the height above the axis.
    const auto plus = Find(c, QStringLiteral("+"));
    EXPECT_EQ(TPoint(plus.x, plus.y), (TPoint{X + 24 + (13 - 8) / 2, Y}));
    EXPECT_EQ(plus.font, (CanvasFont{QStringLiteral("Times New Roman"), -20, fsBold, clBlack}));
    EXPECT_EQ(plus.brush.Style, bsClear);
}

TEST(FormulaDraw, DifferenceIsALineAndAUnaryMinusHidesItsZero)
{
    struct Case {
        int size;
        bool unary;
        Box box;
        TRect line;
        int penWidth;
    } cases[] = {
        // width = W0 + W1 + T("+") + size div 4; the line from W0 + size div 6 to
        // Width - W1 - size div 6 at the axis less half the pen width.
        {20, false, {24 + 16 + 8 + 5, 10, 14}, Line(X + 24 + 3, Y + 10, X + 53 - 16 - 3, Y + 10), 1},
        {20, true, {16 + 8 + 5, 6, 14}, Line(X + 3, Y + 6, X + 29 - 16 - 3, Y + 6), 1},
        {30, false, {24 + 16 + 8 + 7, 10, 14}, Line(X + 24 + 5, Y + 10 - 1, X + 55 - 16 - 5, Y + 10 - 1), 2},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "size " << k.size << (k.unary ? " unary" : ""));
        FakeCanvas c;
        const Part l = k.unary ? Nothing() : Block("L", 24, 10, 10);
        const Part r = Block("R", 16, 6, 14);
        EXPECT_EQ(MeasureDifference(c, k.size, l, r), k.box);
        DrawDifference(c, X, Y, k.size, l, r);
        EXPECT_EQ(Drawn(c, QStringLiteral("L@") + QString::number(k.size)), !k.unary);
        EXPECT_FALSE(Drawn(c, QStringLiteral("-")));
        const auto lines = Shapes(c, FakeCanvas::DrawnShape::Line);
        ASSERT_EQ(lines.size(), 1);
        EXPECT_EQ(lines[0].box, k.line);
        EXPECT_EQ(lines[0].pen.Width, k.penWidth);
    }
}

TEST(FormulaDraw, ProductDotRules)
{
    // P0 / P1: operand needs parentheses (P1 also for a power of a non-literal).
    struct Case {
        const char* what;
        ProductOperands o;
        bool dot;
    } cases[] = {
        {"2x", {false, false, true, false, false, false}, false},
        {"2*3", {false, false, true, true, true, false}, true},
        {"(a+b)(c+d)", {true, true, false, false, true, false}, false},
        {"x*y", {false, false, false, false, false, false}, true},
        {"2*x^2", {false, false, true, false, true, true}, false},
        {"a*x^2", {false, false, false, false, true, true}, true},
        {"2*(a+b)", {false, true, true, false, true, false}, false},
        {"(a+b)*x", {true, false, false, false, false, false}, true},
        {"2*2^x", {false, false, true, false, true, false}, true},
        {"2pi", {false, false, true, false, false, false}, false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        EXPECT_EQ(ProductHasDot(k.o), k.dot);
    }
}

TEST(FormulaDraw, ProductWithAndWithoutDot)
{
    const Part l = Block("L", 24, 10, 10), r = Block("R", 16, 6, 14);
    FakeCanvas c;
    EXPECT_EQ(MeasureProduct(c, S, l, r, false), (Box{24 + 16 + 3, 10, 14}));
    EXPECT_EQ(MeasureProduct(c, S, l, r, true), (Box{24 + 16 + 6, 10, 14}));
    DrawProduct(c, X, Y, S, l, r, false);
    EXPECT_TRUE(Shapes(c, FakeCanvas::DrawnShape::Rectangle).isEmpty());
    EXPECT_EQ(At(c, R), (TPoint{X + 43 - 16, Y + 4}));

    struct Case {
        int size;
        TRect dot;
    } cases[] = {
        // side Size div 20 when above 1, else 2; at (X + W0 + Size div 8 - Size div 20 + 1, Y + Above - Size div 20)
        {20, {X + 24 + 2 - 1 + 1, Y + 10 - 1, X + 26 + 2, Y + 9 + 2}},
        {60, {X + 24 + 7 - 3 + 1, Y + 10 - 3, X + 29 + 3, Y + 7 + 3}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.size);
        FakeCanvas d;
        DrawProduct(d, X, Y, k.size, l, r, true);
        const auto rects = Shapes(d, FakeCanvas::DrawnShape::Rectangle);
        ASSERT_EQ(rects.size(), 1);
        EXPECT_EQ(rects[0].box, k.dot);
        EXPECT_EQ(rects[0].brush, (CanvasBrush{clBlack, bsSolid}));
        EXPECT_EQ(rects[0].pen, (CanvasPen{clBlack, 1, psSolid}));
    }
}

TEST(FormulaDraw, TextAfterTheDotHasAClearBackground)
{
    // The dot leaves a solid black brush; the next text must not paint a black
    // box behind itself.
    FakeCanvas c;
    const Part x = TextPart(QStringLiteral("x"), TimesFace(), 0);
    const Part product = Part{[&](Canvas& cv, int s) { return MeasureProduct(cv, s, x, x, true); },
                              [&](Canvas& cv, int px, int py, int s) { DrawProduct(cv, px, py, s, x, x, true); }};
    DrawSum(c, X, Y, S, product, x);
    for (const auto& t : c.texts())
        EXPECT_EQ(t.brush.Style, bsClear) << t.text.toStdString();
}

TEST(FormulaDraw, QuotientStacksCentredOverABar)
{
    FakeCanvas c;
    const Part n = Block("N", 24, 10, 10), d = Block("D", 40, 6, 8);
    EXPECT_EQ(MeasureQuotient(c, S, n, d), (Box{40 + 2, 20, 14}));
    DrawQuotient(c, X, Y, S, n, d);
    EXPECT_EQ(At(c, QStringLiteral("N@20")), (TPoint{X + 9, Y}));
    EXPECT_EQ(At(c, QStringLiteral("D@20")), (TPoint{X + 1, Y + 20}));
    const auto lines = Shapes(c, FakeCanvas::DrawnShape::Line);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].box, Line(X, Y + 20, X + 42, Y + 20));
    EXPECT_EQ(lines[0].pen.Width, 1);
}

TEST(FormulaDraw, PowerRaisesASmallerExponent)
{
    FakeCanvas c;
    const Part b = Sized("B"), e = Sized("E");
    // exponent at 20 * 2 div 3 = 13: (13, 6, 6)
    EXPECT_EQ(MeasurePower(c, S, b, e), (Box{20 + 13, 10 + 6, 10}));
    DrawPower(c, X, Y, S, b, e);
    EXPECT_EQ(At(c, QStringLiteral("B@20")), (TPoint{X, Y + 6}));
    EXPECT_EQ(At(c, QStringLiteral("E@13")), (TPoint{X + 20, Y + 2}));
}

TEST(FormulaDraw, SmallSizesNeverReachZero)
{
    EXPECT_EQ(SmallSize(20, 2, 3), 13);
    EXPECT_EQ(SmallSize(1, 2, 3), 1);
    EXPECT_EQ(SmallSize(1, 1, 2), 1);
    EXPECT_EQ(SmallSize(0, 1, 2), 1);
    FakeCanvas c;
    SetFont(c, TimesFace(), 0, 0);
    EXPECT_EQ(c.font().Height, -1);
    // An exponent of an exponent of ... of size 1 is drawn at 1 pixel.
    FakeCanvas d;
    DrawPower(d, 0, 0, 1, Sized("B"), Sized("E"));
    EXPECT_TRUE(Drawn(d, QStringLiteral("E@1")));
}

TEST(FormulaDraw, RootWithAndWithoutIndex)
{
    const Part a = Block("A", 30, 10, 10), i = Sized("I");
    FakeCanvas c;
    // index measured at 13: (13, 6, 6); c = 20 div 4 = 5
    EXPECT_EQ(MeasureRoot(c, S, a, i), (Box{30 + 13 + 5, 10 + 6, 2 * 2 + 10}));
    DrawRoot(c, X, Y, S, a, i, true);
    const auto lines = Shapes(c, FakeCanvas::DrawnShape::Line);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0].box, Line(X + 48, Y + 6, X + 16, Y + 6));
    EXPECT_EQ(lines[1].box, Line(X + 16, Y + 6, X + 13, Y + 24));
    EXPECT_EQ(lines[2].box, Line(X + 13, Y + 24, X + 8, Y + 12));
    EXPECT_EQ(At(c, QStringLiteral("A@20")), (TPoint{X + 18, Y + 6}));
    // The index is drawn at half the size in the top-left corner.
    EXPECT_EQ(At(c, QStringLiteral("I@10")), (TPoint{X, Y}));

    FakeCanvas hidden;
    DrawRoot(hidden, X, Y, S, a, i, false);
    EXPECT_EQ(hidden.joinedText(), QStringLiteral("A@20"));
}

TEST(FormulaDraw, LogarithmWithItsBaseAsSubscript)
{
    FakeCanvas c;
    const Part a = Block("A", 20, 10, 10), b = Sized("B");
    EXPECT_EQ(MeasureLogarithm(c, S, a, b), (Box{24 + 20 + 10 + 3, 10, 10}));
    DrawLogarithm(c, X, Y, S, a, b);
    EXPECT_EQ(At(c, QStringLiteral("log")), (TPoint{X, Y}));
    EXPECT_EQ(At(c, QStringLiteral("A@20")), (TPoint{X + 37, Y}));
    EXPECT_EQ(At(c, QStringLiteral("B@10")), (TPoint{X + 27, Y + 10}));
}

TEST(FormulaDraw, ComparisonSignsAndTheirLines)
{
    const Part l = Block("L", 24, 10, 10), r = Block("R", 16, 6, 14);
    struct Case {
        CompareSign sign;
        const char* text;
        int signY;
        QList<TRect> lines;
    } cases[] = {
        {CompareSign::Greater, ">", Y - 2, {}},
        {CompareSign::Less, "<", Y - 2, {}},
        {CompareSign::Equal, "=", Y - 2, {}},
        // raised by Size div 7, with a bar at ys + 7d + 2 under the sign
        {CompareSign::GreaterEqual, ">", Y - 2 - 2, {Line(X + 25, Y + 16, X + 31, Y + 16)}},
        {CompareSign::LessEqual, "<", Y - 4, {Line(X + 25, Y + 16, X + 31, Y + 16)}},
        // a stroke from the top right to the bottom left
        {CompareSign::NotEqual, "=", Y - 2, {Line(X + 29, Y + 3, X + 27, Y + 17)}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        FakeCanvas c;
        EXPECT_EQ(CompareSignText(k.sign), QString::fromLatin1(k.text));
        EXPECT_EQ(MeasureComparison(c, S, k.sign, l, r), (Box{24 + 16 + 8 + 5, 10, 14}));
        DrawComparison(c, X, Y, S, k.sign, l, r);
        const auto sign = Find(c, QString::fromLatin1(k.text));
        EXPECT_EQ(TPoint(sign.x, sign.y), (TPoint{X + 25, k.signY}));
        EXPECT_EQ(sign.font, (CanvasFont{QStringLiteral("Symbol"), -20, fsBold, clBlack}));
        QList<TRect> lines;
        for (const auto& s : Shapes(c, FakeCanvas::DrawnShape::Line))
            lines.append(s.box);
        EXPECT_EQ(lines, k.lines);
        EXPECT_EQ(At(c, R), (TPoint{X + 37, Y + 4}));
    }
}

TEST(FormulaDraw, LogicSignsAreLines)
{
    const Part l = Block("L", 24, 10, 10), r = Block("R", 16, 6, 14);
    const int x0 = X + 24, ya = Y + 10, u = 2, v = 6;
    struct Case {
        LogicOp op;
        QList<TRect> segments;
    } cases[] = {
        {LogicOp::And, {Line(x0 + u, ya + v, x0 + v, ya - u), Line(x0 + v, ya - u, x0 + 5 * u, ya + v)}},
        {LogicOp::Or, {Line(x0 + u, ya - u, x0 + v, ya + v), Line(x0 + v, ya + v, x0 + 5 * u, ya - u)}},
        {LogicOp::Xor,
         {Line(x0 + u, ya - u, x0 + 2 * u, ya + v), Line(x0 + 2 * u, ya + v, x0 + v, ya - u),
          Line(x0 + v, ya - u, x0 + 4 * u, ya + v), Line(x0 + 4 * u, ya + v, x0 + 5 * u, ya - u)}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(int(k.op));
        FakeCanvas c;
        EXPECT_EQ(MeasureLogic(c, S, l, r), (Box{24 + 16 + 13, 10, 14}));
        DrawLogic(c, X, Y, S, k.op, l, r);
        QList<TRect> segments;
        for (const auto& s : Shapes(c, FakeCanvas::DrawnShape::Line))
            segments.append(s.box);
        EXPECT_EQ(segments, k.segments);
        EXPECT_EQ(c.joinedText(QStringLiteral("|")), QStringLiteral("L@20|R@20"));
    }
}

TEST(FormulaDraw, ParenthesesGrowWithTheirContents)
{
    FakeCanvas c;
    const Part inner = Block("I", 30, 10, 10);
    // d = 20 div 5 = 4; the parentheses in a font of cell height 24
    EXPECT_EQ(MeasureParens(c, S, inner), (Box{30 + 16, 12, 12}));
    DrawParens(c, X, Y, S, inner);
    const auto open = Find(c, QStringLiteral("("));
    EXPECT_EQ(TPoint(open.x, open.y), (TPoint{X, Y - 2}));
    EXPECT_EQ(open.font, (CanvasFont{QStringLiteral("Times New Roman"), 24, 0, clBlack}));
    EXPECT_EQ(At(c, QStringLiteral(")")), (TPoint{X + 8 + 30, Y - 2}));
    EXPECT_EQ(At(c, QStringLiteral("I@20")), (TPoint{X + 8, Y + 2}));
    // Parenthesised(.., false) is the part itself.
    EXPECT_EQ(Parenthesised(inner, false).Measure(c, S), (Box{30, 10, 10}));
    EXPECT_EQ(Parenthesised(inner).Measure(c, S), (Box{46, 12, 12}));
}

TEST(FormulaDraw, FunctionOfOneArgument)
{
    FakeCanvas c;
    const Part a = Block("A", 20, 14, 6);
    EXPECT_EQ(MeasureFunction1(c, S, QStringLiteral("sin"), a), (Box{24 + 20 + 3, 14, 6}));
    DrawFunction1(c, X, Y, S, QStringLiteral("sin"), a);
    const auto name = Find(c, QStringLiteral("sin"));
    EXPECT_EQ(TPoint(name.x, name.y), (TPoint{X, Y + 4}));
    EXPECT_EQ(name.font, (CanvasFont{QStringLiteral("Times New Roman"), -20, 0, clBlack}));
    EXPECT_EQ(At(c, QStringLiteral("A@20")), (TPoint{X + 27, Y}));
}

TEST(FormulaDraw, FunctionOfSeveralArgumentsDrawsAListInParentheses)
{
    FakeCanvas c;
    const std::vector<Part> items{Block("A", 8, 10, 10), Block("B", 16, 6, 14)};
    EXPECT_EQ(MeasureArgList(c, S, items), (Box{8 + 16 + 16, 10, 14}));
    // list 40 x (10, 14); parentheses: d = 24 div 5 = 4, T("()") = 16
    EXPECT_EQ(MeasureFunctionN(c, S, QStringLiteral("Max"), items), (Box{24 + 56, 12, 16}));
    DrawFunctionN(c, X, Y, S, QStringLiteral("Max"), items);
    EXPECT_EQ(c.joinedText(QStringLiteral("|")), QStringLiteral("Max|(|)|A@20|, |B@20"));
    EXPECT_EQ(At(c, QStringLiteral("Max")), (TPoint{X, Y + 12 - 10}));
    EXPECT_EQ(At(c, QStringLiteral("(")), (TPoint{X + 24, Y - 2}));
    EXPECT_EQ(At(c, QStringLiteral(")")), (TPoint{X + 24 + 8 + 40, Y - 2}));
    EXPECT_EQ(At(c, QStringLiteral("A@20")), (TPoint{X + 32, Y + 2}));
    EXPECT_EQ(At(c, QStringLiteral(", ")), (TPoint{X + 40, Y + 2 + 2}));
    EXPECT_EQ(At(c, QStringLiteral("B@20")), (TPoint{X + 56, Y + 2 + 4}));
    // One argument: no separator.
    EXPECT_EQ(MeasureArgList(c, S, {Block("A", 8, 10, 10)}), (Box{8, 10, 10}));
    EXPECT_EQ(MeasureArgList(c, S, {}), (Box{}));
}

TEST(FormulaDraw, LiteralsPlainWithExponentAndInOtherBases)
{
    struct Case {
        const char* written;
        int base;
        Box box;
    } cases[] = {
        {"12.5", 10, {32, 10, 10}},
        // h = 10; above (R(20 * 2/3) + 10) div 2 = 11; below 20 div 3 + 5 = 11;
        // width 6 + T("0.1510") + R(T("21") * 2/3) = 6 + 48 + 11
        {"0.15e21", 10, {65, 11, 11}},
        // "FF [16]" draws "FF " and a small 16: width 24 + R(T("16") * 2/3)
        {"FF [16]", 16, {24 + 11, 10, 10}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.written);
        FakeCanvas c;
        EXPECT_EQ(MeasureNumber(c, S, MakeNumberText(QString::fromLatin1(k.written), k.base)), k.box);
    }
    const NumberText n = MakeNumberText(QStringLiteral("0.15e21"), 10);
    EXPECT_TRUE(n.hasExponent);
    EXPECT_EQ(n.mantissa, QStringLiteral("0.15"));
    EXPECT_EQ(n.exponent, QStringLiteral("21"));
    EXPECT_EQ(MakeNumberText(QStringLiteral("FF [16]"), 16).text, QStringLiteral("FF "));
}

TEST(FormulaDraw, LiteralWithExponentDrawsMantissaSquareTenAndRaisedExponent)
{
    FakeCanvas c;
    DrawNumber(c, X, Y, S, MakeNumberText(QStringLiteral("0.15e21"), 10));
    // y1 = Above div 6 = 1
    EXPECT_EQ(c.joinedText(QStringLiteral("|")), QStringLiteral("0.15| 10|21"));
    EXPECT_EQ(At(c, QStringLiteral("0.15")), (TPoint{X, Y + 1}));
    EXPECT_EQ(At(c, QStringLiteral(" 10")), (TPoint{X + 32, Y + 1}));
    const auto e = Find(c, QStringLiteral("21"));
    EXPECT_EQ(TPoint(e.x, e.y), (TPoint{X + 32 + 24, Y - 1}));
    // 12 points at 96 pixels per inch: a cell 16 pixels high
    EXPECT_EQ(e.font.Height, 16);
    const auto rects = Shapes(c, FakeCanvas::DrawnShape::Rectangle);
    ASSERT_EQ(rects.size(), 1);
    // x = X + T(mantissa) + T(" 10") div 6 - y1, y = Y + Above + Below div 3 - y1
    EXPECT_EQ(rects[0].box, (TRect{X + 32 + 4 - 1, Y + 11 + 3 - 1, X + 35 + 2, Y + 13 + 2}));
}

TEST(FormulaDraw, BaseSubscriptInDarkRedAtTheBottomRight)
{
    FakeCanvas c;
    DrawNumber(c, X, Y, S, MakeNumberText(QStringLiteral("FF [16]"), 16));
    const auto digits = Find(c, QStringLiteral("FF "));
    EXPECT_EQ(TPoint(digits.x, digits.y), (TPoint{X, Y}));
    EXPECT_EQ(digits.font.Color, clBlack);
    const auto base = Find(c, QStringLiteral("16"));
    EXPECT_EQ(TPoint(base.x, base.y), (TPoint{X + 35 - 16, Y + 20 - 10}));
    EXPECT_EQ(base.font, (CanvasFont{QStringLiteral("Times New Roman"), -10, 0, clMaroon}));
    EXPECT_EQ(c.font().Color, clBlack);
}

TEST(FormulaDraw, ConstantsVariablesAndMessages)
{
    FakeCanvas c;
    EXPECT_EQ(MeasureConstant(c, S, QStringLiteral("Pi")), (Box{8, 10, 10}));
    EXPECT_EQ(MeasureConstant(c, S, QStringLiteral("e")), (Box{8, 12, 8}));
    EXPECT_EQ(MeasureVariable(c, S, QStringLiteral("xy")), (Box{16, 10, 10}));
    EXPECT_EQ(MeasureMessage(c, S, QStringLiteral("hola")), (Box{48, 10, 10}));
    DrawConstant(c, X, Y, S, QStringLiteral("PI"));
    DrawConstant(c, X, Y, S, QStringLiteral("e"));
    DrawVariable(c, X, Y, S, QStringLiteral("xy"));
    DrawMessage(c, X, Y, S, QStringLiteral("hola"));
    const auto t = c.texts();
    ASSERT_EQ(t.size(), 4);
    EXPECT_EQ(t[0], (FakeCanvas::DrawnText{X, Y - 2, QStringLiteral("p"),
                                           CanvasFont{QStringLiteral("Symbol"), -20, 0, clBlack},
                                           CanvasBrush{clWhite, bsClear}}));
    EXPECT_EQ(t[1].font, (CanvasFont{QStringLiteral("Times New Roman"), -20, fsItalic, clBlack}));
    EXPECT_EQ(TPoint(t[1].x, t[1].y), (TPoint{X, Y}));
    EXPECT_EQ(t[2].font, (CanvasFont{QStringLiteral("Times New Roman"), -20, fsBold | fsItalic, clBlack}));
    EXPECT_EQ(t[3].text, QStringLiteral("\"hola\""));
    EXPECT_EQ(t[3].font, (CanvasFont{QStringLiteral("Arial"), -20, 0, clBlack}));
}

TEST(FormulaDraw, SuperscriptOfReciprocalAndSquare)
{
    FakeCanvas c;
    const Part a = Block("A", 16, 10, 10);
    // the superscript at 13: H = 13, above grows by 13 div 3
    EXPECT_EQ(MeasureSuperscript(c, S, a, QStringLiteral("-1")), (Box{16 + 16, 14, 10}));
    DrawSuperscript(c, X, Y, S, a, QStringLiteral("-1"));
    EXPECT_EQ(At(c, QStringLiteral("A@20")), (TPoint{X, Y + 4}));
    const auto sup = Find(c, QStringLiteral("-1"));
    EXPECT_EQ(TPoint(sup.x, sup.y), (TPoint{X + 16, Y + 2}));
    EXPECT_EQ(sup.font.Height, -13);
}

TEST(FormulaDraw, RadicalWithoutIndex)
{
    FakeCanvas c;
    const Part a = Block("A", 24, 10, 10);
    EXPECT_EQ(MeasureRadical(c, S, a), (Box{10 + 24, 2 + 10, 4 + 10}));
    DrawRadical(c, X, Y, S, a);
    // c = 5, s = 2, xr = X + 24 + 10, yt = Y + 2
    QList<TRect> lines;
    for (const auto& s : Shapes(c, FakeCanvas::DrawnShape::Line))
        lines.append(s.box);
    EXPECT_EQ(lines, (QList<TRect>{Line(X + 34, Y + 2, X + 8, Y + 2), Line(X + 8, Y + 2, X + 5, Y + 20),
                                   Line(X + 5, Y + 20, X, Y + 12)}));
    EXPECT_EQ(At(c, QStringLiteral("A@20")), (TPoint{X + 10, Y + 2}));
}

TEST(FormulaDraw, ExponentialBases)
{
    struct Case {
        const char* base;
        bool italic;
        int baseWidth;
    } cases[] = {{"e", true, 8}, {"10", false, 16}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.base);
        FakeCanvas c;
        const Part e = Sized("E");
        EXPECT_EQ(MeasureExpBase(c, S, QString::fromLatin1(k.base), k.italic, e), (Box{k.baseWidth + 13, 10 + 6, 10}));
        DrawExpBase(c, X, Y, S, QString::fromLatin1(k.base), k.italic, e);
        const auto b = Find(c, QString::fromLatin1(k.base));
        EXPECT_EQ(TPoint(b.x, b.y), (TPoint{X, Y + 6}));
        EXPECT_EQ(b.font.Style, k.italic ? TFontStyles(fsItalic) : TFontStyles(0));
        EXPECT_EQ(At(c, QStringLiteral("E@13")), (TPoint{X + k.baseWidth, Y + 2}));
    }
}

TEST(FormulaDraw, AbsoluteValueBars)
{
    FakeCanvas c;
    const Part a = Block("A", 24, 10, 10);
    EXPECT_EQ(MeasureAbs(c, S, a), (Box{24 + 4, 10, 10}));
    DrawAbs(c, X, Y, S, a);
    QList<TRect> lines;
    for (const auto& s : Shapes(c, FakeCanvas::DrawnShape::Line))
        lines.append(s.box);
    EXPECT_EQ(lines, (QList<TRect>{Line(X, Y + 2, X, Y + 18), Line(X + 28, Y + 2, X + 28, Y + 18)}));
    EXPECT_EQ(At(c, QStringLiteral("A@20")), (TPoint{X + 3, Y}));
}

TEST(FormulaDraw, FactorialAndCombination)
{
    FakeCanvas c;
    const Part a = Block("A", 24, 14, 10);
    EXPECT_EQ(MeasureFactorial(c, S, a), (Box{32, 14, 10}));
    DrawFactorial(c, X, Y, S, a);
    EXPECT_EQ(At(c, QStringLiteral("!")), (TPoint{X + 24, Y + 2}));

    FakeCanvas d;
    const Part n = Block("N", 8, 10, 10), k = Block("K", 16, 10, 10);
    // above 20, below 20, d = 8: each grows by 4; width T("()") + 16
    EXPECT_EQ(MeasureCombination(d, S, n, k), (Box{32, 24, 24}));
    DrawCombination(d, X, Y, S, n, k);
    const auto open = Find(d, QStringLiteral("("));
    EXPECT_EQ(TPoint(open.x, open.y), (TPoint{X, Y - 8}));
    EXPECT_EQ(open.font.Height, -48);
    EXPECT_EQ(At(d, QStringLiteral(")")), (TPoint{X + 24, Y - 8}));
    EXPECT_EQ(At(d, QStringLiteral("N@20")), (TPoint{X + 12, Y}));
    EXPECT_EQ(At(d, QStringLiteral("K@20")), (TPoint{X + 8, Y + 20}));
}

TEST(FormulaDraw, CentredText)
{
    FakeCanvas c;
    c.setFontHeight(-10);
    DrawCenteredText(c, TRect{10, 20, 40, 40}, QStringLiteral("ab"));
    EXPECT_EQ(At(c, QStringLiteral("ab")), (TPoint{10 + 7, 20 + 5}));
    // Too wide: starts left of the rectangle (truncation toward zero).
    FakeCanvas d;
    d.setFontHeight(-10);
    DrawCenteredText(d, TRect{0, 0, 5, 5}, QStringLiteral("ab"));
    EXPECT_EQ(At(d, QStringLiteral("ab")), (TPoint{-5, -2}));
}

TEST(FormulaDraw, MeasurePassMeasuresEachNodeOnce)
{
    int calls = 0;
    const MeasureFn measure = [&](Canvas&, int s) {
        ++calls;
        return Box{s, 1, 1};
    };
    int tag = 0;
    FakeCanvas c, other;
    EXPECT_FALSE(MeasurePass::active());
    CachedMeasure(&tag, c, 20, measure);
    CachedMeasure(&tag, c, 20, measure);
    EXPECT_EQ(calls, 2);   // no pass: every time
    {
        MeasurePass pass;
        EXPECT_TRUE(MeasurePass::active());
        EXPECT_EQ(CachedMeasure(&tag, c, 20, measure), (Box{20, 1, 1}));
        {
            MeasurePass inner;   // nested: the same memory
            EXPECT_EQ(CachedMeasure(&tag, c, 20, measure), (Box{20, 1, 1}));
        }
        EXPECT_EQ(CachedMeasure(&tag, c, 20, measure), (Box{20, 1, 1}));
        EXPECT_EQ(calls, 3);
        // Another size or another canvas is another measure.
        EXPECT_EQ(CachedMeasure(&tag, c, 13, measure), (Box{13, 1, 1}));
        CachedMeasure(&tag, other, 20, measure);
        EXPECT_EQ(calls, 5);
    }
    EXPECT_FALSE(MeasurePass::active());
    CachedMeasure(&tag, c, 20, measure);
    EXPECT_EQ(calls, 6);   // forgotten when the pass closed
}
