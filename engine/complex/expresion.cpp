#include "engine/complex/expresion.h"

#include "engine/conditional.h"

#include <cstddef>

namespace complex {

void StartUp() { engineState().reset(); }

TMessageHook& messageHook()
{
    static TMessageHook hook;
    return hook;
}

void ExprTraits::Show(const QString& text, bool error) { exprcore::ShowThroughHook(messageHook(), text, error); }

namespace {

// "Si" (c, a, b), as in every engine (engine/conditional.h); true is a real
// part above 0.
void SiFn(const TEvalArray& a, TComplex& r)
{
    r = exprcore::ConditionalValue([&a](std::size_t i) { return a[i]->Eval(); }, IsTrue);
}

} // namespace

void TExpresion::AddAlwaysPresent()
{
    AddConstant(QStringLiteral("i"), TComplex{0, 1}, QStringLiteral("Raiz cuadrada de -1"));
    AddFunctionN(QStringLiteral("Si/If"), SiFn, 3, 3, QString());
    AddFunctionN(QStringLiteral("LogBase/LogN"), nullptr, 2, 2, QString());
}

void TExpresion::RegisterBuiltIns() { RegisterBuiltins(*this); }

void TExpresion::ApplySettings() { engineState().CurrentAngleMode = AngleMode; }

void TExpresion::StartEvaluation(bool solving)
{
    // Forgets the cached values of every function node (and shared operator),
    // so that the next evaluation computes them under the settings of now:
    // Arg(i) and Polar(2, 90) depend on the angle unit though their arguments
    // are constants.
    if (!solving && Dirty)
        exprcore::ForgetFunctionCachesT<TFunUser>(Root, [](TEval*) { return true; });
}

void TExpresion::Evaluate(TComplex& result) { result = EvaluateValue(); }

void TExpresion::EvaluateText(const QString& text, TComplex& result)
{
    result = TComplex{};
    result = EvaluateTextValue(text);
}

void TExpresion::SolveFor(TVariable* variable, TComplex& result)
{
    result = TComplex{};
    result = SolveValue(variable);
}

} // namespace complex
