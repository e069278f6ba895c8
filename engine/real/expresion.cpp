#include "engine/real/expresion.h"

#include "foundation/core/format.h"

#include "engine/real/builtins.h"

#include <cstddef>

namespace real {

TMessageHook& messageHook()
{
    static TMessageHook hook;
    return hook;
}

void ExprTraits::Show(const QString& text, bool error) { exprcore::ShowThroughHook(messageHook(), text, error); }

namespace {

// "Si" (c, a, b): only the chosen branch is evaluated.
Extended SiFn(const TEvalArray& a)
{
    return a[0]->Evaluate() > 0 ? a[1]->Evaluate() : a[2]->Evaluate();
}

// "Sim" (c1, w1, c2, w2, ..., [d]).
Extended SimFn(const TEvalArray& a)
{
    const std::size_t n = a.size();
    for (std::size_t i = 0; i + 1 < n; i += 2)
        if (a[i]->Evaluate() > 0)
            return a[i + 1]->Evaluate();
    if (n % 2 == 1)
        return a[n - 1]->Evaluate();
    throw EInvalidArgument();
}

} // namespace

// --------------------------------------------------------------------------
// Name table.

void TExpresion::AddAlwaysPresent()
{
    // The table is made or reloaded: a program reading the old variables goes.
    m_program.Reset();
    AddFunctionN(QStringLiteral("Si/If"), SiFn, 3, 3, QStringLiteral("Condicional"));
    AddFunctionN(QStringLiteral("Sim/Ifm"), SimFn, 2, 255, QStringLiteral("Secuencia de condicionales"));
    AddFunctionN(QStringLiteral("LogBase/LogN"), nullptr, 2, 2, QStringLiteral("Logaritmo base N"));
}

void TExpresion::RegisterBuiltIns() { RegisterBuiltins(*this); }

// --------------------------------------------------------------------------
// Text, evaluation, solving.

void TExpresion::SetValueText(Extended x) { SetText(FloatToStr(x)); }

void TExpresion::ApplySettings() { engineState().CurrentAngleMode = AngleMode; }

void TExpresion::StartEvaluation(bool solving)
{
    // Forgets the cached values of the function nodes (and shared operator
    // nodes) that read variables, so that the next evaluation computes them
    // under the settings of now (a new angle unit). Functions of constants keep
    // the value they were folded to.
    // A new text (or unit) makes the object dirty: the program of the old tree goes.
    if (!solving && Dirty) {
        exprcore::ForgetFunctionCachesT<TFunUser>(Root, [](TEval* n) { return !n->Deps()->empty(); });
        m_program.Reset();
    }
}

void TExpresion::EvaluateRoot()
{
    Value = m_program.Evaluate(Root);
    m_valueStamp = m_rootStamp;
    m_valueValid = true;
}

Extended TExpresion::Evaluate()
{
    // The re-evaluation after TVariable::SetValue, when the tree has a program:
    // what EvaluateValue does for a clean object, without its hooks. A fault
    // or a value that is not finite leaves everything to EvaluateValue, which
    // evaluates again and reports.
    if (Root && m_table && !Dirty && m_program.Ready(Root)) {
        Compiled = true;
        m_rootStamp = Root->CurrentStamp();
        if (m_valueValid && m_rootStamp == m_valueStamp)
            return Value;
        m_program.State().CurrentAngleMode = AngleMode;   // ApplySettings, without its calls
        HasError = false;
        ErrorCode = 0;
        m_valueValid = false;
        const Extended v = m_program.TryRun();
        if (__builtin_expect(v - v == 0, 1)) {
            Value = v;
            m_valueStamp = m_rootStamp;
            m_valueValid = true;
            return v;
        }
    }
    return EvaluateValue();
}

Extended TExpresion::EvaluateText(const QString& text) { return EvaluateTextValue(text); }

Extended TExpresion::SolveFor(TVariable* variable) { return SolveValue(variable); }

} // namespace real
