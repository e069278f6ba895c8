// Formula drawing of the real engine's nodes: which children go where, which
// need parentheses, and the text of literals; the layout itself is the shared
// one of engine/formuladraw.h.
#include "engine/bases.h"
#include "engine/formuladraw.h"
#include "engine/real/drawparts.h"
#include "engine/real/tree.h"
#include "engine/treedraw.h"
#include "foundation/core/format.h"

namespace real {

using namespace formuladraw;

namespace {

bool IsNum(const TEval* n) { return n->Kind() == NodeKind::Num; }

// The hidden 0 on the left of a unary minus.
bool IsUnaryMinusZero(const TEval* n) { return IsNum(n) && n->Value == 0; }

LogicOp LogicOf(NodeKind kind)
{
    switch (kind) {
    case NodeKind::And:
        return LogicOp::And;
    case NodeKind::Or:
        return LogicOp::Or;
    default:
        return LogicOp::Xor;
    }
}

// The literal's text, made once from its value with the display settings of
// the moment (trailing zeros always dropped here), the base suffix cut off.
NumberText LiteralText(TNum* num)
{
    if (num->Text.isEmpty()) {
        NumberTextState& st = numtext();
        const bool strip = st.StripTrailingZeros;
        const std::uint8_t lastBase = st.LastBase;
        st.StripTrailingZeros = true;
        QString written;
        try {
            written = FloatToStrBase(num->Base, num->Value);
        } catch (const Exception&) {
            // A base the writer refuses still draws, in decimal.
            written = FloatToStr(num->Value);
        }
        st.StripTrailingZeros = strip;
        st.LastBase = lastBase;   // drawing leaves the number reader's state alone
        const NumberText cut = MakeNumberText(written, num->Base);
        num->Text = cut.text.left(255);
    }
    const NumberText n = MakeNumberText(num->Text, num->Base);
    num->HasExponent = n.hasExponent;
    return n;
}

std::vector<Part> ChildParts(std::span<TEval* const> nodes)
{
    std::vector<Part> parts;
    parts.reserve(nodes.size());
    for (TEval* n : nodes)
        parts.push_back(NodePart(n));
    return parts;
}

bool ProductDot(TEval* l, TEval* r) { return exprcore::ProductDotT(l, r, NeedsParens, IsNum); }

// The procedures a node may carry instead of its own drawing; member picks the
// MeasureProc or the DrawProc of the classes that have them.
template <class Member>
auto ProcOf(TEval* n, Member member) -> decltype(&member(*static_cast<TFun*>(n)))
{
    switch (n->Kind()) {
    case NodeKind::Ext:
        return &member(*static_cast<TExt*>(n));
    case NodeKind::Fun0:
        return &member(*static_cast<TFun0*>(n));
    case NodeKind::Fun1:
    case NodeKind::FunN:
    case NodeKind::FunUser:
        return &member(*static_cast<TFun*>(n));
    default:
        return nullptr;
    }
}

const TNodeMeasureProc* MeasureProcOf(TEval* n)
{
    return ProcOf(n, [](auto& node) -> const TNodeMeasureProc& { return node.MeasureProc; });
}

const TNodeDrawProc* DrawProcOf(TEval* n)
{
    return ProcOf(n, [](auto& node) -> const TNodeDrawProc& { return node.DrawProc; });
}

// Operand i of an operator, between parentheses where it binds less. Kept out
// of line: its temporaries stay out of the frame of the recursive measuring.
[[gnu::noinline]] Part OperandPart(TEval* op, int i)
{
    TEval* operand = op->Children[std::size_t(i)];
    return NodePart(operand, exprcore::OperandNeedsParensT(op, operand, i == 1));
}

Box MeasureOwn(TEval* n, Canvas& c, int size)
{
    if (const TNodeMeasureProc* proc = MeasureProcOf(n); proc && *proc) {
        Box b;
        (*proc)(n, c, size, b.width, b.above, b.below);
        return b;
    }
    const auto& ch = n->Children;
    switch (n->Kind()) {
    case NodeKind::Num:
        return MeasureNumber(c, size, LiteralText(static_cast<TNum*>(n)));
    case NodeKind::Const:
    case NodeKind::Ext:
    case NodeKind::Fun0:
        return MeasureConstant(c, size, n->Text);
    case NodeKind::Var:
        return MeasureVariable(c, size, n->Text);
    case NodeKind::ExprMsg:
        return MeasureMessage(c, size, n->Text);
    case NodeKind::Suma:
        return MeasureSum(c, size, OperandPart(n, 0), OperandPart(n, 1));
    case NodeKind::Resta:
        return MeasureDifference(c, size, IsUnaryMinusZero(ch[0]) ? Nothing() : OperandPart(n, 0),
                                 NodePart(ch[1], NeedsParens(ch[1])));
    case NodeKind::Mul:
        return MeasureProduct(c, size, NodePart(ch[0], NeedsParens(ch[0])), NodePart(ch[1], NeedsParens(ch[1])),
                              ProductDot(ch[0], ch[1]));
    case NodeKind::Div:
        return MeasureQuotient(c, size, NodePart(ch[0]), NodePart(ch[1]));
    case NodeKind::Pot:
        return MeasurePower(c, size, NodePart(ch[0], ch[0]->IsOp() || ch[0]->IsFun()), NodePart(ch[1]));
    case NodeKind::Raiz:
        return MeasureRoot(c, size, NodePart(ch[0]), NodePart(ch[1]));
    case NodeKind::LogN:
        return MeasureLogarithm(c, size, NodePart(ch[0], ch[0]->IsOp()), NodePart(ch[1]));
    case NodeKind::May:
    case NodeKind::Men:
    case NodeKind::Igu:
    case NodeKind::MayIgu:
    case NodeKind::MenIgu:
    case NodeKind::Dist:
        n->Text = CompareSignText(exprcore::CompareSignOf(n->Kind()));
        return MeasureComparison(c, size, exprcore::CompareSignOf(n->Kind()), OperandPart(n, 0), OperandPart(n, 1));
    case NodeKind::And:
    case NodeKind::Or:
    case NodeKind::Xor:
        return MeasureLogic(c, size, OperandPart(n, 0), OperandPart(n, 1));
    case NodeKind::Fun1:
        return MeasureFunction1(c, size, n->Text, NodePart(ch[0], ch[0]->IsOp()));
    case NodeKind::FunN:
    case NodeKind::FunUser:
        return MeasureFunctionN(c, size, n->Text, ChildParts(ch));
    case NodeKind::DibListaArg:
        return MeasureArgList(c, size, ChildParts(static_cast<TDibListaArg*>(n)->Items));
    }
    return Box{};
}

void DrawOwn(TEval* n, Canvas& c, int x, int y, int size)
{
    if (const TNodeDrawProc* proc = DrawProcOf(n); proc && *proc) {
        (*proc)(n, c, x, y, size);
        return;
    }
    const auto& ch = n->Children;
    switch (n->Kind()) {
    case NodeKind::Num:
        DrawNumber(c, x, y, size, LiteralText(static_cast<TNum*>(n)));
        return;
    case NodeKind::Const:
    case NodeKind::Ext:
    case NodeKind::Fun0:
        DrawConstant(c, x, y, size, n->Text);
        return;
    case NodeKind::Var:
        DrawVariable(c, x, y, size, n->Text);
        return;
    case NodeKind::ExprMsg:
        DrawMessage(c, x, y, size, n->Text);
        return;
    case NodeKind::Suma:
        DrawSum(c, x, y, size, OperandPart(n, 0), OperandPart(n, 1));
        return;
    case NodeKind::Resta:
        DrawDifference(c, x, y, size, IsUnaryMinusZero(ch[0]) ? Nothing() : OperandPart(n, 0),
                       NodePart(ch[1], NeedsParens(ch[1])));
        return;
    case NodeKind::Mul:
        DrawProduct(c, x, y, size, NodePart(ch[0], NeedsParens(ch[0])), NodePart(ch[1], NeedsParens(ch[1])),
                    ProductDot(ch[0], ch[1]));
        return;
    case NodeKind::Div:
        DrawQuotient(c, x, y, size, NodePart(ch[0]), NodePart(ch[1]));
        return;
    case NodeKind::Pot:
        DrawPower(c, x, y, size, NodePart(ch[0], ch[0]->IsOp() || ch[0]->IsFun()), NodePart(ch[1]));
        return;
    case NodeKind::Raiz:
        DrawRoot(c, x, y, size, NodePart(ch[0]), NodePart(ch[1]), !(IsNum(ch[1]) && ch[1]->Value == 2));
        return;
    case NodeKind::LogN:
        DrawLogarithm(c, x, y, size, NodePart(ch[0], ch[0]->IsOp()), NodePart(ch[1]));
        return;
    case NodeKind::May:
    case NodeKind::Men:
    case NodeKind::Igu:
    case NodeKind::MayIgu:
    case NodeKind::MenIgu:
    case NodeKind::Dist:
        n->Text = CompareSignText(exprcore::CompareSignOf(n->Kind()));
        DrawComparison(c, x, y, size, exprcore::CompareSignOf(n->Kind()), OperandPart(n, 0), OperandPart(n, 1));
        return;
    case NodeKind::And:
    case NodeKind::Or:
    case NodeKind::Xor:
        DrawLogic(c, x, y, size, LogicOf(n->Kind()), OperandPart(n, 0), OperandPart(n, 1));
        return;
    case NodeKind::Fun1:
        DrawFunction1(c, x, y, size, n->Text, NodePart(ch[0], ch[0]->IsOp()));
        return;
    case NodeKind::FunN:
    case NodeKind::FunUser:
        DrawFunctionN(c, x, y, size, n->Text, ChildParts(ch));
        return;
    case NodeKind::DibListaArg:
        DrawArgList(c, x, y, size, ChildParts(static_cast<TDibListaArg*>(n)->Items));
        return;
    }
}

} // namespace

bool NeedsParens(const TEval* n) { return exprcore::NeedsParensT(n); }

Box MeasureBox(TEval* node, Canvas& canvas, int size)
{
    Box b;
    node->Measure(canvas, size, b.width, b.above, b.below);
    return b;
}

void TEval::Measure(Canvas& canvas, int size, int& width, int& above, int& below)
{
    MeasurePass pass;
    if (MeasurePass::tooDeep()) {   // a tree too deep to draw without overflowing the stack
        width = above = below = 0;
        return;
    }
    const Box b = CachedMeasure(this, canvas, size, [this](Canvas& c, int s) { return MeasureOwn(this, c, s); });
    width = b.width;
    above = b.above;
    below = b.below;
}

void TEval::Draw(Canvas& canvas, int x, int y, int size)
{
    // One pass for the whole drawing: every node below is measured once.
    MeasurePass pass;
    if (MeasurePass::tooDeep())
        return;
    DrawOwn(this, canvas, x, y, size);
}

void TEval::MeasureWithParens(Canvas& canvas, int size, bool withParens, int& width, int& above, int& below)
{
    MeasurePass pass;
    const Box b = withParens ? MeasureParens(canvas, size, NodePart(this)) : MeasureBox(this, canvas, size);
    width = b.width;
    above = b.above;
    below = b.below;
}

void TEval::DrawWithParens(Canvas& canvas, int x, int y, int size, bool withParens)
{
    MeasurePass pass;
    if (withParens)
        DrawParens(canvas, x, y, size, NodePart(this));
    else
        Draw(canvas, x, y, size);
}

} // namespace real
