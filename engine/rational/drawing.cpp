// Formula drawing of the rational engine's nodes: the shared layout of
// engine/formuladraw.h, with the engine's own literals (fractions stacked, a
// whole part in bold, mixed numbers) and its own parenthesis rules.
#include "engine/rational/drawing.h"

#include "engine/formuladraw.h"
#include "engine/rational/tree.h"
#include "foundation/core/format.h"

#include <algorithm>

namespace rational {

using namespace formuladraw;

namespace {

Box MeasureNode(TEval* n, Canvas& c, int s)
{
    return CachedMeasure(n, c, s, [n](Canvas& c2, int s2) {
        Box b;
        n->Measure(c2, s2, b.width, b.above, b.below);
        return b;
    });
}

// A child as a part of its parent's drawing.
Part P(TEval* n)
{
    return Part{[n](Canvas& c, int s) { return MeasureNode(n, c, s); },
                [n](Canvas& c, int x, int y, int s) { n->Draw(c, x, y, s); }};
}

void Out(const Box& b, int& width, int& above, int& below)
{
    width = b.width;
    above = b.above;
    below = b.below;
}

bool IsNum(const TEval* n) { return n->Kind() == NodeKind::Num; }

// Sums, differences, comparisons and logical operators go between parentheses
// as operands of a difference or a product.
bool NeedsParens(const TEval* n)
{
    return n->Kind() == NodeKind::Suma || n->Kind() == NodeKind::Resta || (n->IsOp() && !n->IsOpDespejable());
}

// The base of a power and the argument of a superscript: operators, functions
// and literals that are not integers (a stacked fraction).
bool NeedsParensAsBase(const TEval* n)
{
    return n->IsOp() || n->IsFun() || (IsNum(n) && n->Value.Den() != 1);
}

CompareSign SignOf(NodeKind k)
{
    switch (k) {
    case NodeKind::May: return CompareSign::Greater;
    case NodeKind::Men: return CompareSign::Less;
    case NodeKind::MayIgu: return CompareSign::GreaterEqual;
    case NodeKind::MenIgu: return CompareSign::LessEqual;
    case NodeKind::Dist: return CompareSign::NotEqual;
    default: return CompareSign::Equal;
    }
}

// ---- stacked fractions ----

struct FracLayout {
    bool showWhole = false;
    QString whole;        // bold
    QString numerator;    // regular
    QString denominator;
    int h = 0;            // text height of "0"
    int wholeWidth = 0;
    int fracWidth = 0;
    Box box;
};

FracLayout LayoutFraction(Canvas& canvas, int size, const TFrac& v)
{
    FracLayout f;
    SetFont(canvas, TimesFace(), 0, size);
    f.h = canvas.textHeight(QStringLiteral("0"));
    const bool integer = v.Den() == 1;
    f.box.above = f.box.below = integer ? f.h / 2 : f.h;
    // A negative non-integer value is always a plain stacked fraction.
    f.showWhole = integer || (fracSettings().MixedFractions && v.IntPart() > 0);
    if (!integer) {
        f.numerator = IntToStr(f.showWhole ? v.FracNumerator() : v.Num());
        f.denominator = IntToStr(v.Den());
        f.fracWidth = std::max(canvas.textWidth(f.numerator), canvas.textWidth(f.denominator));
    }
    if (f.showWhole) {
        f.whole = IntToStr(integer ? v.Num() : v.IntPart());
        SetFont(canvas, TimesFace(), fsBold, size);
        f.wholeWidth = canvas.textWidth(f.whole);
    }
    f.box.width = f.wholeWidth + f.fracWidth;
    return f;
}

} // namespace

// --------------------------------------------------------------------------
// Base node and parentheses.

void TEval::Measure(Canvas&, int, int& width, int& above, int& below) { width = above = below = 0; }

void TEval::Draw(Canvas&, int, int, int) {}

void TEval::MeasureWithParens(Canvas& canvas, int size, bool withParens, int& width, int& above, int& below)
{
    Out(Parenthesised(P(this), withParens).Measure(canvas, size), width, above, below);
}

void TEval::DrawWithParens(Canvas& canvas, int x, int y, int size, bool withParens)
{
    Parenthesised(P(this), withParens).Draw(canvas, x, y, size);
}

// --------------------------------------------------------------------------
// Leaves.

void TNum::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    Out(LayoutFraction(canvas, size, Value).box, width, above, below);
}

void TNum::Draw(Canvas& canvas, int x, int y, int size)
{
    const FracLayout f = LayoutFraction(canvas, size, Value);
    if (f.showWhole) {
        SetFont(canvas, TimesFace(), fsBold, size);
        TextAt(canvas, x, y + (f.box.above + f.box.below - f.h) / 2, f.whole);
    }
    if (f.fracWidth == 0)
        return;
    const int left = x + f.wholeWidth;
    const int w = f.fracWidth;
    SetFont(canvas, TimesFace(), 0, size);
    TextAt(canvas, left + (w - canvas.textWidth(f.numerator)) / 2, y, f.numerator);
    TextAt(canvas, left + (w - canvas.textWidth(f.denominator)) / 2, y + f.h, f.denominator);
    canvas.setPenStyle(psSolid);
    canvas.setPenWidth(1);
    canvas.line(left, y + f.h, left + w, y + f.h);
}

void TConst::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    Out(MeasureConstant(canvas, size, Text), width, above, below);
}

void TConst::Draw(Canvas& canvas, int x, int y, int size) { DrawConstant(canvas, x, y, size, Text); }

void TExt::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    if (MeasureProc)
        MeasureProc(this, canvas, size, width, above, below);
    else
        TConst::Measure(canvas, size, width, above, below);
}

void TExt::Draw(Canvas& canvas, int x, int y, int size)
{
    if (DrawProc)
        DrawProc(this, canvas, x, y, size);
    else
        TConst::Draw(canvas, x, y, size);
}

// Without procedures (the fractions window's w, x, y, z) a name in italics.
void TFun0::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    if (MeasureProc)
        MeasureProc(this, canvas, size, width, above, below);
    else
        TConst::Measure(canvas, size, width, above, below);
}

void TFun0::Draw(Canvas& canvas, int x, int y, int size)
{
    if (DrawProc)
        DrawProc(this, canvas, x, y, size);
    else
        TConst::Draw(canvas, x, y, size);
}

void TVar::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    Out(MeasureVariable(canvas, size, Text), width, above, below);
}

void TVar::Draw(Canvas& canvas, int x, int y, int size) { DrawVariable(canvas, x, y, size, Text); }

void TExprMsg::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    Out(MeasureMessage(canvas, size, Text), width, above, below);
}

void TExprMsg::Draw(Canvas& canvas, int x, int y, int size) { DrawMessage(canvas, x, y, size, Text); }

// --------------------------------------------------------------------------
// Operators: which child goes where, and which needs parentheses.

namespace {

struct OpParts {
    Part l;
    Part r;
    bool dot = false;
    bool showIndex = true;
};

OpParts PartsOf(TOp* op)
{
    TEval* l = op->Left();
    TEval* r = op->Right();
    OpParts p{P(l), P(r)};
    switch (op->Kind()) {
    case NodeKind::Resta:
        // The unary minus: 0 - x, the 0 neither measured nor drawn.
        if (IsNum(l) && l->Value.Num() == 0)
            p.l = Nothing();
        p.r = Parenthesised(P(r), NeedsParens(r));
        break;
    case NodeKind::Mul: {
        ProductOperands o;
        o.leftNeedsParens = NeedsParens(l);
        o.rightNeedsParens = NeedsParens(r);
        o.leftIsNumber = IsNum(l);
        o.rightIsNumber = IsNum(r);
        o.rightIsOperator = r->IsOp();
        o.rightIsPowerOfNonNumber = r->Kind() == NodeKind::Pot && !IsNum(r->Children[0]);
        p.dot = ProductHasDot(o);
        p.l = Parenthesised(P(l), o.leftNeedsParens);
        p.r = Parenthesised(P(r), o.rightNeedsParens);
        break;
    }
    case NodeKind::Pot:
        p.l = Parenthesised(P(l), NeedsParensAsBase(l));
        break;
    case NodeKind::Raiz:
        p.showIndex = !(IsNum(r) && r->Value.ToFloat() == 2);
        break;
    case NodeKind::LogN:
        p.l = Parenthesised(P(l), l->IsOp());
        break;
    default:
        break;
    }
    return p;
}

} // namespace

void TOp::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    const OpParts p = PartsOf(this);
    Box b;
    switch (Kind()) {
    case NodeKind::Suma: b = MeasureSum(canvas, size, p.l, p.r); break;
    case NodeKind::Resta: b = MeasureDifference(canvas, size, p.l, p.r); break;
    case NodeKind::Mul: b = MeasureProduct(canvas, size, p.l, p.r, p.dot); break;
    case NodeKind::Div: b = MeasureQuotient(canvas, size, p.l, p.r); break;
    case NodeKind::Pot: b = MeasurePower(canvas, size, p.l, p.r); break;
    case NodeKind::Raiz: b = MeasureRoot(canvas, size, p.l, p.r); break;
    case NodeKind::LogN: b = MeasureLogarithm(canvas, size, p.l, p.r); break;
    case NodeKind::And:
    case NodeKind::Or:
    case NodeKind::Xor: b = MeasureLogic(canvas, size, p.l, p.r); break;
    default:
        Text = CompareSignText(SignOf(Kind()));
        b = MeasureComparison(canvas, size, SignOf(Kind()), p.l, p.r);
        break;
    }
    Out(b, width, above, below);
}

void TOp::Draw(Canvas& canvas, int x, int y, int size)
{
    const OpParts p = PartsOf(this);
    switch (Kind()) {
    case NodeKind::Suma: DrawSum(canvas, x, y, size, p.l, p.r); break;
    case NodeKind::Resta: DrawDifference(canvas, x, y, size, p.l, p.r); break;
    case NodeKind::Mul: DrawProduct(canvas, x, y, size, p.l, p.r, p.dot); break;
    case NodeKind::Div: DrawQuotient(canvas, x, y, size, p.l, p.r); break;
    case NodeKind::Pot: DrawPower(canvas, x, y, size, p.l, p.r); break;
    case NodeKind::Raiz: DrawRoot(canvas, x, y, size, p.l, p.r, p.showIndex); break;
    case NodeKind::LogN: DrawLogarithm(canvas, x, y, size, p.l, p.r); break;
    case NodeKind::And: DrawLogic(canvas, x, y, size, LogicOp::And, p.l, p.r); break;
    case NodeKind::Or: DrawLogic(canvas, x, y, size, LogicOp::Or, p.l, p.r); break;
    case NodeKind::Xor: DrawLogic(canvas, x, y, size, LogicOp::Xor, p.l, p.r); break;
    default:
        Text = CompareSignText(SignOf(Kind()));
        DrawComparison(canvas, x, y, size, SignOf(Kind()), p.l, p.r);
        break;
    }
}

// --------------------------------------------------------------------------
// Functions.

void TFun1::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    if (MeasureProc)
        return MeasureProc(this, canvas, size, width, above, below);
    Out(MeasureFunction1(canvas, size, Text, Parenthesised(P(Arg()), Arg()->IsOp())), width, above, below);
}

void TFun1::Draw(Canvas& canvas, int x, int y, int size)
{
    if (DrawProc)
        return DrawProc(this, canvas, x, y, size);
    DrawFunction1(canvas, x, y, size, Text, Parenthesised(P(Arg()), Arg()->IsOp()));
}

namespace {
std::vector<Part> PartsOfItems(const TEvalArray& items)
{
    std::vector<Part> parts;
    parts.reserve(items.size());
    for (TEval* n : items)
        parts.push_back(P(n));
    return parts;
}
} // namespace

void TFunN::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    if (MeasureProc)
        return MeasureProc(this, canvas, size, width, above, below);
    Out(MeasureFunctionN(canvas, size, Text, PartsOfItems(Children)), width, above, below);
}

void TFunN::Draw(Canvas& canvas, int x, int y, int size)
{
    if (DrawProc)
        return DrawProc(this, canvas, x, y, size);
    DrawFunctionN(canvas, x, y, size, Text, PartsOfItems(Children));
}

void TDibListaArg::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    Out(MeasureArgList(canvas, size, PartsOfItems(Items)), width, above, below);
}

void TDibListaArg::Draw(Canvas& canvas, int x, int y, int size)
{
    DrawArgList(canvas, x, y, size, PartsOfItems(Items));
}

// --------------------------------------------------------------------------
// The built-ins' own drawings.

namespace {
TEval* ArgOf(TEval* node) { return node->Children.at(0); }
Part BaseArg(TEval* node) { return Parenthesised(P(ArgOf(node)), NeedsParensAsBase(ArgOf(node))); }
} // namespace

void MeasureReciprocal(TEval* node, Canvas& canvas, int size, int& width, int& above, int& below)
{
    Out(MeasureSuperscript(canvas, size, BaseArg(node), QStringLiteral("-1")), width, above, below);
}

void DrawReciprocal(TEval* node, Canvas& canvas, int x, int y, int size)
{
    DrawSuperscript(canvas, x, y, size, BaseArg(node), QStringLiteral("-1"));
}

void MeasureSquare(TEval* node, Canvas& canvas, int size, int& width, int& above, int& below)
{
    Out(MeasureSuperscript(canvas, size, BaseArg(node), QStringLiteral("2")), width, above, below);
}

void DrawSquare(TEval* node, Canvas& canvas, int x, int y, int size)
{
    DrawSuperscript(canvas, x, y, size, BaseArg(node), QStringLiteral("2"));
}

void MeasureSqrt(TEval* node, Canvas& canvas, int size, int& width, int& above, int& below)
{
    Out(MeasureRadical(canvas, size, P(ArgOf(node))), width, above, below);
}

void DrawSqrt(TEval* node, Canvas& canvas, int x, int y, int size)
{
    DrawRadical(canvas, x, y, size, P(ArgOf(node)));
}

void MeasureAbsValue(TEval* node, Canvas& canvas, int size, int& width, int& above, int& below)
{
    Out(MeasureAbs(canvas, size, P(ArgOf(node))), width, above, below);
}

void DrawAbsValue(TEval* node, Canvas& canvas, int x, int y, int size)
{
    DrawAbs(canvas, x, y, size, P(ArgOf(node)));
}

} // namespace rational
