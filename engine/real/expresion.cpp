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

// --------------------------------------------------------------------------
// Name table.

void TExpresion::AddAlwaysPresent()
{
    // The table is made or reloaded: a program reading the old variables goes.
    m_program.Reset();
    // "Si/If", "Sim/Ifm" and "LogBase/LogN", from the table of built-ins.
    RegisterAlwaysPresent(*this);
}

void TExpresion::RegisterBuiltIns() { RegisterBuiltins(*this); }

// --------------------------------------------------------------------------
// Text, evaluation, solving.

void TExpresion::SetValueText(Extended x) { SetText(FloatToStr(x)); }

void TExpresion::ApplySettings() { engineState().CurrentAngleMode = AngleMode; }

void TExpresion::StartEvaluation(bool solving)
{
    // Forgets the cached values of the function nodes (and shared operator
    // nodes above them) that read variables, so that the next evaluation
    // computes them under the settings of now (a new angle unit). Functions of
    // constants keep the value they were folded to. Only the subtrees that hold
    // a function and read a variable are walked: no other cached value depends
    // on the angle unit (a long sum of products is not walked at all).
    // A new text (or unit) makes the object dirty: the program of the old tree goes.
    if (!solving && Dirty) {
        const auto readsVariables = [](TEval* n) { return !n->Deps()->empty(); };
        const auto worthWalking = [](TEval* n) { return n->FunctionBelow() && !n->Deps()->empty(); };
        exprcore::ForgetFunctionCachesT<TFunUser>(Root, readsVariables, worthWalking);
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

namespace {

// The code an evaluation gives the fault `run` raises (0 when none), and the
// value otherwise.
template <class Run>
int CodeOf(Run run, Extended& value)
{
    value = 0;
    try {
        value = run();
        return 0;
    } catch (const EMathError& e) {
        const int code = exprcore::MathCode(e);
        return code ? code : errOther;
    } catch (const EExprMsj&) {
        return errMessage;
    } catch (const Exception&) {
        return errOther;
    }
}

} // namespace

TExpresion::TwoWays TExpresion::EvaluateBothWays()
{
    TwoWays r;
    if (!Root)
        return r;
    ApplySettings();
    r.treeCode = CodeOf([this] { return EvaluateNode(Root); }, r.tree);
    std::unique_ptr<TProgram> p = TProgram::Build(Root);
    r.flattened = p != nullptr;
    if (!p) {
        r.program = r.tree;
        r.programCode = r.treeCode;
        r.fast = __builtin_nanl("");
        return r;
    }
    r.fast = p->TryRun();
    r.programCode = CodeOf([&p] { return p->Run(); }, r.program);
    return r;
}

Extended TExpresion::SolveFor(TVariable* variable) { return SolveValue(variable); }

} // namespace real
