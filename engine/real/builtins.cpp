#include "engine/real/builtins.h"

#include "engine/real/builtins_table.h"
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
    builtins::Fn1 f = e->fn1;
    return [f](Extended x) { return f(engineState().CurrentAngleMode, x); };
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

} // namespace

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
        case BuiltinKind::Function1:
            e.AddFunction1(name, function1(&b), function1(builtins::InverseOf(b)), description);
            break;
        case BuiltinKind::FunctionN:
            e.AddFunctionN(name, functionN(b), b.minArgs, b.maxArgs, description);
            break;
        }
    }
}

} // namespace real
