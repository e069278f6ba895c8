#include "engine/real/builtins.h"

#include "engine/real/builtins_table.h"
#include "engine/real/drawparts.h"
#include "engine/real/expresion.h"

namespace real {

namespace {

using builtins::ArgList;
using builtins::BuiltinEntry;
using builtins::BuiltinKind;

// The argument nodes of a call, evaluated when the function asks for them.
class NodeArgs : public ArgList {
public:
    explicit NodeArgs(const TEvalArray& args) : m_args(args) {}
    int count() const override { return static_cast<int>(m_args.size()); }
    Extended value(int i) override { return m_args.at(static_cast<size_t>(i))->Evaluate(); }

private:
    const TEvalArray& m_args;
};

// The unit is read at every call: a node is evaluated under the unit of the
// expression that evaluates it.
TEvalFunc1 function1(const BuiltinEntry* e)
{
    if (!e)
        return {};
    return BuiltinFn1{e->fn1, e->tag};
}

TEvalFuncN functionN(const BuiltinEntry& e)
{
    builtins::FnN f = e.fnN;
    if (!f)
        return {};
    return [f](const TEvalArray& args) {
        NodeArgs a(args);
        return f(engineState().CurrentAngleMode, a);
    };
}

// ---- own drawings (x^-1, x^2, the radical, e^x, 10^x, |x|, x!, n over k) ----

using builtins::BuiltinDrawing;
using formuladraw::Box;
using formuladraw::Part;

struct DrawingProcs {
    TNodeMeasureProc measure;
    TNodeDrawProc draw;
};

// A procedure pair from a measuring and a drawing over the node's children.
template <class M, class D>
DrawingProcs Procs(M measure, D draw)
{
    return DrawingProcs{[measure](TEval* n, Canvas& c, int size, int& w, int& a, int& b) {
                            const Box box = measure(n, c, size);
                            w = box.width;
                            a = box.above;
                            b = box.below;
                        },
                        [draw](TEval* n, Canvas& c, int x, int y, int size) { draw(n, c, x, y, size); }};
}

TEval* Arg(TEval* n, std::size_t i = 0) { return n->Children.at(i); }

DrawingProcs Superscript(const QString& sup)
{
    // The argument between parentheses when it is an operator or a function.
    auto arg = [](TEval* n) { return NodePart(Arg(n), Arg(n)->IsOp() || Arg(n)->IsFun()); };
    return Procs([arg, sup](TEval* n, Canvas& c, int s) { return formuladraw::MeasureSuperscript(c, s, arg(n), sup); },
                 [arg, sup](TEval* n, Canvas& c, int x, int y, int s) {
                     formuladraw::DrawSuperscript(c, x, y, s, arg(n), sup);
                 });
}

DrawingProcs ExpBase(const QString& base, bool italic)
{
    return Procs(
        [base, italic](TEval* n, Canvas& c, int s) {
            return formuladraw::MeasureExpBase(c, s, base, italic, NodePart(Arg(n)));
        },
        [base, italic](TEval* n, Canvas& c, int x, int y, int s) {
            formuladraw::DrawExpBase(c, x, y, s, base, italic, NodePart(Arg(n)));
        });
}

DrawingProcs ProcsFor(BuiltinDrawing drawing)
{
    switch (drawing) {
    case BuiltinDrawing::Plain:
        break;
    case BuiltinDrawing::Reciprocal:
        return Superscript(QStringLiteral("-1"));
    case BuiltinDrawing::Square:
        return Superscript(QStringLiteral("2"));
    case BuiltinDrawing::Radical:
        return Procs([](TEval* n, Canvas& c, int s) { return formuladraw::MeasureRadical(c, s, NodePart(Arg(n))); },
                     [](TEval* n, Canvas& c, int x, int y, int s) {
                         formuladraw::DrawRadical(c, x, y, s, NodePart(Arg(n)));
                     });
    case BuiltinDrawing::Exp:
        return ExpBase(QStringLiteral("e"), true);
    case BuiltinDrawing::Exp10:
        return ExpBase(QStringLiteral("10"), false);
    case BuiltinDrawing::Abs:
        return Procs([](TEval* n, Canvas& c, int s) { return formuladraw::MeasureAbs(c, s, NodePart(Arg(n))); },
                     [](TEval* n, Canvas& c, int x, int y, int s) {
                         formuladraw::DrawAbs(c, x, y, s, NodePart(Arg(n)));
                     });
    case BuiltinDrawing::Factorial:
        return Procs(
            [](TEval* n, Canvas& c, int s) {
                return formuladraw::MeasureFactorial(c, s, NodePart(Arg(n), Arg(n)->IsOp()));
            },
            [](TEval* n, Canvas& c, int x, int y, int s) {
                formuladraw::DrawFactorial(c, x, y, s, NodePart(Arg(n), Arg(n)->IsOp()));
            });
    case BuiltinDrawing::Combination:
        return Procs(
            [](TEval* n, Canvas& c, int s) {
                return formuladraw::MeasureCombination(c, s, NodePart(Arg(n, 0)), NodePart(Arg(n, 1)));
            },
            [](TEval* n, Canvas& c, int x, int y, int s) {
                formuladraw::DrawCombination(c, x, y, s, NodePart(Arg(n, 0)), NodePart(Arg(n, 1)));
            });
    }
    return {};
}

} // namespace

void RegisterAlwaysPresent(TExpresion& e)
{
    for (const BuiltinEntry& b : builtins::BuiltinTable()) {
        if (b.alwaysPresent)   // functions of several arguments; LogBase without one (a logarithm node)
            e.AddFunctionN(QString::fromUtf8(b.name), functionN(b), b.minArgs, b.maxArgs, builtins::Description(b));
    }
}

void RegisterBuiltins(TExpresion& e)
{
    for (const BuiltinEntry& b : builtins::BuiltinTable()) {
        if (b.alwaysPresent)
            continue;
        const QString name = QString::fromUtf8(b.name);
        const QString description = builtins::Description(b);
        switch (b.kind) {
        case BuiltinKind::Constant:
            e.AddConstant(name, description, b.value);
            break;
        case BuiltinKind::Function0:
            e.AddFunction0(name, b.fn0, b.category, description);
            break;
        case BuiltinKind::Function1: {
            DrawingProcs procs = ProcsFor(b.drawing);
            e.AddFunction1(name, function1(&b), function1(builtins::InverseOf(b)), description,
                           std::move(procs.measure), std::move(procs.draw));
            break;
        }
        case BuiltinKind::FunctionN: {
            DrawingProcs procs = ProcsFor(b.drawing);
            e.AddFunctionN(name, functionN(b), b.minArgs, b.maxArgs, description, std::move(procs.measure),
                           std::move(procs.draw));
            break;
        }
        }
    }
}

} // namespace real
