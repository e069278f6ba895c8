#include "engine/rational/expresion.h"

#include "engine/rational/builtins.h"

namespace rational {

TMessageHook& messageHook()
{
    static TMessageHook hook;
    return hook;
}

void ExprTraits::Show(const QString& text, bool error) { exprcore::ShowThroughHook(messageHook(), text, error); }

void StartUp()
{
    engineState().reset();
    fracSettings().reset();
}

void TExpresion::AddAlwaysPresent()
{
    // One entry for both names, without function: it builds TLogN.
    RegisterEntry(QStringLiteral("LogBase/LogN"), std::make_unique<TMakeFunN>(nullptr, 2, 2));
}

void TExpresion::RegisterBuiltIns() { RegisterBuiltins(*this); }

// Every evaluation and solving is a pass of its own: shared nodes computed in
// an earlier one are computed again.
void TExpresion::StartEvaluation(bool) { NewEvaluationPass(); }

bool TExpresion::ValueStale() { return !m_valueValid || !Root->IsValueCurrent(); }

void TExpresion::EvaluateRoot()
{
    Value = Root->Evaluate();
    m_valueValid = true;
}

TFrac TExpresion::Evaluate() { return EvaluateValue(); }

TFrac TExpresion::SolveFor(TVariable* variable) { return SolveValue(variable); }

} // namespace rational
