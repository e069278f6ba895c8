// Formula drawing of the rational engine's nodes: the shared layout of
// engine/formuladraw.h, with the engine's own literals (fractions stacked, a
// whole part in bold, mixed numbers) and its own parenthesis rules.
#include "engine/rational/drawing.h"

#include "engine/formuladraw.h"
#include "engine/rational/tree.h"
#include "engine/treedraw.h"
#include "foundation/core/format.h"

#include <algorithm>

namespace rational {

using namespace formuladraw;

namespace {

// A child as a part of its parent's drawing.
Part P(TEval* n) { return exprcore::NodePartT(n); }

using exprcore::BoxOut;

bool IsNum(const TEval* n) { return n->Kind() == NodeKind::Num; }

// Sums, differences, comparisons and logical operators go between parentheses
// as operands of a difference or a product.
bool NeedsParens(const TEval* n) { return exprcore::NeedsParensT(n); }

// The base of a power and the argument of a superscript: operators, functions
// and literals that are not integers (a stacked fraction).
bool NeedsParensAsBase(const TEval* n)
{
    return n->IsOp() || n->IsFun() || (IsNum(n) && n->Value.Den() != 1);
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

// The leaves (constants, variables, messages, and without procedures the
// fractions window's w, x, y, z as names in italics) as every engine draws
// them; other nodes without drawing of their own have an empty box.
EXPRCORE_LEAF_DRAWING(TExt, TFun0)

// --------------------------------------------------------------------------
// Leaves.

void TNum::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    BoxOut(LayoutFraction(canvas, size, Value).box, width, above, below);
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
    // A sum's operands, a difference's first one, a comparison's and a logical
    // operator's: between parentheses where they bind less.
    const auto operand = [op](TEval* n, bool right) {
        return Parenthesised(P(n), exprcore::OperandNeedsParensT(op, n, right));
    };
    switch (op->Kind()) {
    case NodeKind::Suma:
        p.l = operand(l, false);
        p.r = operand(r, true);
        break;
    case NodeKind::Resta:
        // The unary minus: 0 - x, the 0 neither measured nor drawn.
        p.l = IsNum(l) && l->Value.Num() == 0 ? Nothing() : operand(l, false);
        p.r = Parenthesised(P(r), NeedsParens(r));
        break;
    case NodeKind::Mul: {
        p.dot = exprcore::ProductDotT(l, r, NeedsParens, IsNum);
        p.l = Parenthesised(P(l), NeedsParens(l));
        p.r = Parenthesised(P(r), NeedsParens(r));
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
        if (!op->IsOpDespejable()) {
            p.l = operand(l, false);
            p.r = operand(r, true);
        }
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
        Text = CompareSignText(exprcore::CompareSignOf(Kind()));
        b = MeasureComparison(canvas, size, exprcore::CompareSignOf(Kind()), p.l, p.r);
        break;
    }
    BoxOut(b, width, above, below);
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
        Text = CompareSignText(exprcore::CompareSignOf(Kind()));
        DrawComparison(canvas, x, y, size, exprcore::CompareSignOf(Kind()), p.l, p.r);
        break;
    }
}

// --------------------------------------------------------------------------
// Functions.

void TFun1::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    if (MeasureProc)
        return MeasureProc(this, canvas, size, width, above, below);
    BoxOut(MeasureFunction1(canvas, size, Text, Parenthesised(P(Arg()), Arg()->IsOp())), width, above, below);
}

void TFun1::Draw(Canvas& canvas, int x, int y, int size)
{
    if (DrawProc)
        return DrawProc(this, canvas, x, y, size);
    DrawFunction1(canvas, x, y, size, Text, Parenthesised(P(Arg()), Arg()->IsOp()));
}

namespace {
std::vector<Part> PartsOfItems(std::span<TEval* const> items) { return exprcore::NodePartsT(items); }
} // namespace

void TFunN::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    if (MeasureProc)
        return MeasureProc(this, canvas, size, width, above, below);
    BoxOut(MeasureFunctionN(canvas, size, Text, PartsOfItems(Children)), width, above, below);
}

void TFunN::Draw(Canvas& canvas, int x, int y, int size)
{
    if (DrawProc)
        return DrawProc(this, canvas, x, y, size);
    DrawFunctionN(canvas, x, y, size, Text, PartsOfItems(Children));
}

void TDibListaArg::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    BoxOut(MeasureArgList(canvas, size, PartsOfItems(Items)), width, above, below);
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
    BoxOut(MeasureSuperscript(canvas, size, BaseArg(node), QStringLiteral("-1")), width, above, below);
}

void DrawReciprocal(TEval* node, Canvas& canvas, int x, int y, int size)
{
    DrawSuperscript(canvas, x, y, size, BaseArg(node), QStringLiteral("-1"));
}

void MeasureSquare(TEval* node, Canvas& canvas, int size, int& width, int& above, int& below)
{
    BoxOut(MeasureSuperscript(canvas, size, BaseArg(node), QStringLiteral("2")), width, above, below);
}

void DrawSquare(TEval* node, Canvas& canvas, int x, int y, int size)
{
    DrawSuperscript(canvas, x, y, size, BaseArg(node), QStringLiteral("2"));
}

void MeasureSqrt(TEval* node, Canvas& canvas, int size, int& width, int& above, int& below)
{
    BoxOut(MeasureRadical(canvas, size, P(ArgOf(node))), width, above, below);
}

void DrawSqrt(TEval* node, Canvas& canvas, int x, int y, int size)
{
    DrawRadical(canvas, x, y, size, P(ArgOf(node)));
}

void MeasureAbsValue(TEval* node, Canvas& canvas, int size, int& width, int& above, int& below)
{
    BoxOut(MeasureAbs(canvas, size, P(ArgOf(node))), width, above, below);
}

void DrawAbsValue(TEval* node, Canvas& canvas, int x, int y, int size)
{
    DrawAbs(canvas, x, y, size, P(ArgOf(node)));
}

} // namespace rational
