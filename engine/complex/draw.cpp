// Formula drawing of the complex engine's nodes. The layout of every operator is
// the shared one (engine/formuladraw.h); what is the complex engine's own: the
// number text (ComplexToStr, exponent at "E" or "e", a round multiplication
// mark, no base) and the argument lists of functions of several arguments.
#include "engine/complex/tree.h"

#include "engine/formuladraw.h"
#include "engine/treedraw.h"

#include <algorithm>

namespace complex {

using namespace formuladraw;

namespace {

Part P(TEval* n) { return exprcore::NodePartT(n); }

// Sums, differences and comparisons go between parentheses as operands.
bool NeedsParens(const TEval* n) { return exprcore::NeedsParensT(n); }
// An operand of a sum, a difference's first operand or a comparison's
// operand, between parentheses where it binds less than its operator.
Part Operand(const TEval* op, TEval* operand, bool right)
{
    return Parenthesised(P(operand), exprcore::OperandNeedsParensT(op, operand, right));
}

bool IsNumWith(const TEval* n, Extended re)
{
    return n->Kind() == NodeKind::Num && n->Value.Re == re && n->Value.Im == 0;
}

using exprcore::BoxOut;

std::vector<Part> Parts(std::span<TEval* const> nodes) { return exprcore::NodePartsT(nodes); }

// The argument list, measured as it is drawn (the items side by side on a
// common axis, ", " after each but the last), as every engine does: a call's
// closing parenthesis comes after its last argument.
Part ListPart(const std::vector<Part>& items)
{
    return Part{[items](Canvas& c, int s) { return MeasureArgList(c, s, items); },
                [items](Canvas& c, int x, int y, int s) { DrawArgList(c, x, y, s, items); }};
}

// name(a, b, ...): the name upright, centred on the axis, the list between
// parentheses; the width also counts a "," per gap in the font then current.
Box MeasureCall(Canvas& canvas, int size, const QString& name, const std::vector<Part>& items)
{
    SetFont(canvas, TimesFace(), 0, size);
    const int tn = canvas.textWidth(name);
    const Box list = MeasureParens(canvas, size, ListPart(items));
    const int commas = (static_cast<int>(items.size()) - 1) * canvas.textWidth(QStringLiteral(","));
    return Box{tn + list.width + commas, list.above, list.below};
}

void DrawCall(Canvas& canvas, int x, int y, int size, const QString& name, const std::vector<Part>& items)
{
    const Part list = ListPart(items);
    const Box lb = MeasureParens(canvas, size, list);
    SetFont(canvas, TimesFace(), 0, size);
    const int tn = canvas.textWidth(name);
    TextAt(canvas, x, y + lb.above - canvas.textHeight(name) / 2, name);
    DrawParens(canvas, x + tn, y, size, list);
}

NumberText NumText(const TNum& n)
{
    NumberText t;
    t.text = n.Text;
    t.hasExponent = n.HasExponent;
    t.mantissa = n.Mantissa;
    t.exponent = n.Exponent;
    t.base = 10;
    return t;
}

} // namespace

// --------------------------------------------------------------------------

// The leaves (constants, variables, messages) as every engine draws them;
// other nodes without drawing of their own have an empty box.
EXPRCORE_LEAF_DRAWING(TExt, TFun0)

void TNum::PrepareText()
{
    if (!Text.isEmpty())
        return;
    Text = ComplexToStr(Value).left(255);
    // The exponent starts at the later of the first "E" and the first "e".
    const qsizetype p = std::max(Text.indexOf(QLatin1Char('E')), Text.indexOf(QLatin1Char('e')));
    HasExponent = p >= 0;
    Mantissa = HasExponent ? Text.left(p) : QString();
    Exponent = HasExponent ? Text.mid(p + 1) : QString();
}

void TNum::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    PrepareText();
    BoxOut(MeasureNumber(canvas, size, NumText(*this)), width, above, below);
}

void TNum::Draw(Canvas& canvas, int x, int y, int size)
{
    PrepareText();
    const NumberText t = NumText(*this);
    if (!HasExponent) {
        DrawNumber(canvas, x, y, size, t);
        return;
    }
    // Mantissa, " 10" and the raised exponent as the shared literal; the mark of
    // the product is a small round dot.
    const Box b = MeasureNumber(canvas, size, t);
    SetFont(canvas, TimesFace(), 0, size);
    const int y1 = b.above / 6;
    const QString ten = QStringLiteral(" 10");
    TextAt(canvas, x, y + y1, Mantissa);
    const int tm = canvas.textWidth(Mantissa);
    TextAt(canvas, x + tm, y + y1, ten);
    const int tt = canvas.textWidth(ten);
    canvas.setFontSize(-std::max(1, (size * 6 + 5) / 10));
    TextAt(canvas, x + tm + tt, y - y1, Exponent);
    canvas.setPen(CanvasPen{clBlack, 1, psSolid});
    canvas.setBrush(CanvasBrush{clBlack, bsSolid});
    const int rx = x + tm + tt / 6 - y1;
    const int ry = y + b.above + b.below / 3 - y1;
    canvas.ellipse(rx, ry, rx + 2, ry + 2);
}

// ---- operators ----

void TSuma::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    BoxOut(MeasureSum(canvas, size, Operand(this, Left(), false), Operand(this, Right(), true)), width, above, below);
}

void TSuma::Draw(Canvas& canvas, int x, int y, int size)
{
    DrawSum(canvas, x, y, size, Operand(this, Left(), false), Operand(this, Right(), true));
}

namespace {
// The hidden 0 of a unary minus.
Part MinuendPart(TEval* op, TEval* l) { return IsNumWith(l, 0) ? Nothing() : Operand(op, l, false); }
} // namespace

void TResta::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    BoxOut(MeasureDifference(canvas, size, MinuendPart(this, Left()), Parenthesised(P(Right()), NeedsParens(Right()))),
        width, above, below);
}

void TResta::Draw(Canvas& canvas, int x, int y, int size)
{
    DrawDifference(canvas, x, y, size, MinuendPart(this, Left()), Parenthesised(P(Right()), NeedsParens(Right())));
}

namespace {
bool MulDot(TEval* l, TEval* r)
{
    return exprcore::ProductDotT(l, r, NeedsParens, [](const TEval* n) { return n->Kind() == NodeKind::Num; });
}
} // namespace

void TMul::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    BoxOut(MeasureProduct(canvas, size, Parenthesised(P(Left()), NeedsParens(Left())),
                       Parenthesised(P(Right()), NeedsParens(Right())), MulDot(Left(), Right())),
        width, above, below);
}

void TMul::Draw(Canvas& canvas, int x, int y, int size)
{
    DrawProduct(canvas, x, y, size, Parenthesised(P(Left()), NeedsParens(Left())),
                Parenthesised(P(Right()), NeedsParens(Right())), MulDot(Left(), Right()));
}

void TDiv::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    BoxOut(MeasureQuotient(canvas, size, P(Left()), P(Right())), width, above, below);
}

void TDiv::Draw(Canvas& canvas, int x, int y, int size) { DrawQuotient(canvas, x, y, size, P(Left()), P(Right())); }

namespace {
Part PowerBase(TEval* l) { return Parenthesised(P(l), l->IsOp() || l->IsFun()); }
} // namespace

void TPot::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    BoxOut(MeasurePower(canvas, size, PowerBase(Left()), P(Right())), width, above, below);
}

void TPot::Draw(Canvas& canvas, int x, int y, int size)
{
    DrawPower(canvas, x, y, size, PowerBase(Left()), P(Right()));
}

void TRaiz::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    BoxOut(MeasureRoot(canvas, size, P(Left()), P(Right())), width, above, below);
}

void TRaiz::Draw(Canvas& canvas, int x, int y, int size)
{
    DrawRoot(canvas, x, y, size, P(Left()), P(Right()), !IsNumWith(Right(), 2));
}

void TLogN::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    BoxOut(MeasureLogarithm(canvas, size, Parenthesised(P(Left()), Left()->IsOp()), P(Right())), width, above, below);
}

void TLogN::Draw(Canvas& canvas, int x, int y, int size)
{
    DrawLogarithm(canvas, x, y, size, Parenthesised(P(Left()), Left()->IsOp()), P(Right()));
}

void TCompara::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    const CompareSign s = exprcore::CompareSignOf(Kind());
    Text = CompareSignText(s);
    BoxOut(MeasureComparison(canvas, size, s, Operand(this, Left(), false), Operand(this, Right(), true)), width, above,
           below);
}

void TCompara::Draw(Canvas& canvas, int x, int y, int size)
{
    const CompareSign s = exprcore::CompareSignOf(Kind());
    Text = CompareSignText(s);
    DrawComparison(canvas, x, y, size, s, Operand(this, Left(), false), Operand(this, Right(), true));
}

// ---- functions ----

void TFun1::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    if (MeasureProc) {
        MeasureProc(this, canvas, size, width, above, below);
        return;
    }
    BoxOut(MeasureFunction1(canvas, size, Text, Parenthesised(P(Arg()), Arg()->IsOp())), width, above, below);
}

void TFun1::Draw(Canvas& canvas, int x, int y, int size)
{
    if (DrawProc) {
        DrawProc(this, canvas, x, y, size);
        return;
    }
    DrawFunction1(canvas, x, y, size, Text, Parenthesised(P(Arg()), Arg()->IsOp()));
}

void TFunN::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    if (MeasureProc) {
        MeasureProc(this, canvas, size, width, above, below);
        return;
    }
    BoxOut(MeasureCall(canvas, size, Text, Parts(Children)), width, above, below);
}

void TFunN::Draw(Canvas& canvas, int x, int y, int size)
{
    if (DrawProc) {
        DrawProc(this, canvas, x, y, size);
        return;
    }
    DrawCall(canvas, x, y, size, Text, Parts(Children));
}

void TDibListaArg::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    BoxOut(MeasureArgList(canvas, size, Parts(Items)), width, above, below);
}

void TDibListaArg::Draw(Canvas& canvas, int x, int y, int size) { DrawArgList(canvas, x, y, size, Parts(Items)); }

// ---- the built-ins' own drawings ----

namespace {
TEval* FirstChild(TEval* node) { return node->Children.at(0); }
Part SuperscriptArg(TEval* a) { return Parenthesised(P(a), a->IsOp() || a->IsFun()); }
} // namespace

void ExpMeasure(TEval* node, Canvas& canvas, int size, int& width, int& above, int& below)
{
    BoxOut(MeasureExpBase(canvas, size, QStringLiteral("e"), true, P(FirstChild(node))), width, above, below);
}

void ExpDraw(TEval* node, Canvas& canvas, int x, int y, int size)
{
    DrawExpBase(canvas, x, y, size, QStringLiteral("e"), true, P(FirstChild(node)));
}

void SqrMeasure(TEval* node, Canvas& canvas, int size, int& width, int& above, int& below)
{
    BoxOut(MeasureSuperscript(canvas, size, SuperscriptArg(FirstChild(node)), QStringLiteral("2")), width, above, below);
}

void SqrDraw(TEval* node, Canvas& canvas, int x, int y, int size)
{
    DrawSuperscript(canvas, x, y, size, SuperscriptArg(FirstChild(node)), QStringLiteral("2"));
}

void SqrtMeasure(TEval* node, Canvas& canvas, int size, int& width, int& above, int& below)
{
    BoxOut(MeasureRadical(canvas, size, P(FirstChild(node))), width, above, below);
}

void SqrtDraw(TEval* node, Canvas& canvas, int x, int y, int size)
{
    DrawRadical(canvas, x, y, size, P(FirstChild(node)));
}

void RcpMeasure(TEval* node, Canvas& canvas, int size, int& width, int& above, int& below)
{
    BoxOut(MeasureSuperscript(canvas, size, SuperscriptArg(FirstChild(node)), QStringLiteral("-1")), width, above,
        below);
}

void RcpDraw(TEval* node, Canvas& canvas, int x, int y, int size)
{
    DrawSuperscript(canvas, x, y, size, SuperscriptArg(FirstChild(node)), QStringLiteral("-1"));
}

} // namespace complex
