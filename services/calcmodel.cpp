#include "services/calcmodel.h"

#include "engine/bases.h"
#include "engine/checked.h"
#include "engine/real/builtins_math.h"
#include "engine/real/errors.h"
#include "engine/real/expresion.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"
#include "services/frminput.h"

#include <QApplication>
#include <QDateTime>

#include <cmath>

// ---------------------------------------------------------------------------
// Letter variables and the process-wide values

const QString& LetterVariables()
{
    static const QString letters = QStringLiteral("abcdfhijklmnopqrstuvwxyz");
    return letters;
}

int LetterIndex(QChar letter)
{
    return int(LetterVariables().indexOf(letter));
}

CalcGlobals::CalcGlobals()
{
    reset();
}

void CalcGlobals::reset()
{
    LastResult = 0;
    Memories.fill(0);
    MaxList = 50;
    MainAngleMode = 0;
    MinIcon = false;
    NoAuto = true;
    InputEvaluator = nullptr;
    AskedFlag.fill(false);
    VarValue.fill(0);
    // o, p and q start without a proposed text; every other letter proposes 1.
    for (int i = 0; i < kLetterCount; ++i) {
        const QChar c = LetterVariables().at(i);
        VarText[size_t(i)] = (c == 'o' || c == 'p' || c == 'q') ? QString() : QStringLiteral("1");
    }
    Assignments.clear();
    Prompter = nullptr;
    FixedSeed.reset();
}

CalcGlobals& Calc()
{
    static CalcGlobals g;
    return g;
}

bool InputBoxPrompter::Ask(const QString& caption, real::TExpresion* names, QString& text)
{
    if (!fmInput)
        fmInput = new TfmInput(QApplication::activeWindow());
    fmInput->setWindowTitle(caption);
    if (names)
        fmInput->SetNameTable(names->GetTable());
    else
        fmInput->SetNameTable(nullptr);
    fmInput->Texto->SetText(text);
    fmInput->Texto->SetSel(0, int(text.size()));
    if (fmInput->exec() == TfmInput::mrCancel)
        return false;
    text = fmInput->Texto->Text();
    return true;
}

namespace {

// The letters whose prompt is open: an answer that names one of them would ask
// it again from inside its own prompt.
std::array<bool, kLetterCount>& PromptOpen()
{
    static std::array<bool, kLetterCount> open{};
    return open;
}

} // namespace

void AskVariableValue(QChar letter, Extended& value, QString& text)
{
    CalcGlobals& g = Calc();
    real::TExpresion* input = g.InputEvaluator;
    const int li = LetterIndex(letter);
    struct OpenMark {
        int i;
        explicit OpenMark(int index) : i(index) { if (i >= 0) PromptOpen()[size_t(i)] = true; }
        ~OpenMark() { if (i >= 0) PromptOpen()[size_t(i)] = false; }
    } mark(li);
    InputBoxPrompter inputBox;
    VariablePrompter* prompter = g.Prompter ? g.Prompter : &inputBox;
    const QString caption = Format(QStringLiteral("Indique el valor de la variable %s"), {QString(letter)});
    for (;;) {
        QString typed = text;
        if (!prompter->Ask(caption, input, typed))
            throw real::EExprMsj(QStringLiteral("Cálculo cancelado"));
        text = typed.left(255);
        // The answer gets an evaluator of its own over the input evaluator's
        // names: an answer that uses x or n may ask that letter, and the
        // evaluator that is running the outer answer must not be re-entered.
        real::TExpresion answer;
        if (input) {
            answer.Parent = input;
            answer.AngleMode = input->AngleMode;
        } else {
            answer.SetUseBuiltIns(true);
        }
        answer.Silent = false;
        answer.SetText(text);
        Extended v = 0;
        if (!answer.HasError)
            v = answer.Evaluate();
        if (!answer.HasError) {
            value = v;
            break;
        }
        // The evaluator has shown its own box; the prompt comes back.
    }
    g.Assignments += Format(QStringLiteral("{%s=%s} "), {QString(letter), text});
}

Extended LetterVariableValue(QChar letter)
{
    CalcGlobals& g = Calc();
    const int i = LetterIndex(letter);
    if (i < 0)
        return 0;
    const size_t k = size_t(i);
    if (!g.AskedFlag[k]) {
        if (PromptOpen()[k])
            throw real::EExprMsj(
                Format(QStringLiteral("El valor de %s no puede depender de %s"), {QString(letter), QString(letter)}));
        Extended v = g.VarValue[k];
        QString t = g.VarText[k];
        AskVariableValue(letter, v, t);
        g.VarValue[k] = v;
        g.VarText[k] = t;
    }
    g.AskedFlag[k] = true;
    return g.VarValue[k];
}

Extended MemoryValue(int i)
{
    return i >= 0 && i < 10 ? Calc().Memories[size_t(i)] : 0;
}

Extended LastResultValue()
{
    return Calc().LastResult;
}

Extended NowValue()
{
    const QDateTime now = QDateTime::currentDateTime();
    static const QDate epoch(1899, 12, 30);
    const qint64 days = epoch.daysTo(now.date());
    const qint64 ms = QTime(0, 0).msecsTo(now.time());
    return Extended(days) + Extended(ms) / 86400000.0L;
}

QString WindowTitle()
{
    return QStringLiteral("Sumbrix 2.84");
}

// ---------------------------------------------------------------------------
// TCalcModel

TCalcModel::TCalcModel()
    : m_main(std::make_unique<real::TExpresion>()), m_input(std::make_unique<real::TExpresion>())
{
    m_main->SetUseBuiltIns(true);
    m_main->Silent = true;
    m_input->SetUseBuiltIns(true);
    m_input->Silent = false;
}

TCalcModel::~TCalcModel() = default;

QString TCalcModel::ResultText(Extended value)
{
    if (!IsTruthValue(value))
        return FloatToStrDefBase(value);
    return value == real::engineState().TrueValue ? QStringLiteral("Verdadero") : QStringLiteral("Falso");
}

bool TCalcModel::IsTruthValue(Extended value)
{
    const real::EngineState& st = real::engineState();
    return value == st.TrueValue || value == st.FalseValue;
}

TCalcModel::TOutcome TCalcModel::Calculate(const QString& text, const std::function<void()>& afterCompile)
{
    CalcGlobals& g = Calc();
    g.Assignments.clear();
    g.AskedFlag.fill(false);
    TOutcome out;
    if (text.isEmpty()) {
        out.Empty = true;
        return out;
    }
    real::TExpresion& m = *m_main;
    m.SetValueText(g.LastResult);
    // New truth values for this calculation: r1 * 2^k1 and -(r2 * 2^k2).
    auto next = [this] { return Random ? Random() : real::builtins::RandomState::next(); };
    const Extended r1 = next();
    const int k1 = int(std::floor(next() * 100));
    const Extended r2 = next();
    const int k2 = int(std::floor(next() * 100));
    real::engineState().TrueValue = std::ldexp(r1, k1);
    real::engineState().FalseValue = -std::ldexp(r2, k2);

    m.SetText(text);
    if (m.HasError) {
        out.Shown = m.ErrorMessage;
        return out;
    }
    if (afterCompile)
        afterCompile();
    return Evaluate();
}

TCalcModel::TOutcome TCalcModel::Evaluate()
{
    CalcGlobals& g = Calc();
    real::TExpresion& m = *m_main;
    TOutcome out;
    const Extended value = m_solve && m.DependsOn(m_solve) ? m.SolveFor(m_solve) : m.Evaluate();
    out.Ready = true;
    // A failed evaluation leaves what the evaluator gives back (its last good
    // value, silently) as the last result, as the window always did.
    g.LastResult = value;
    out.Shown = m.HasError ? m.ErrorMessage : ResultText(value);
    out.KeepText = m.ErrorCode == 0 || m.ErrorCode >= real::errMessage;
    return out;
}

void TCalcModel::AddToTotal(Extended value)
{
    // Computed first, so that an overflow leaves everything as it was.
    const Extended total = checked::add(m_total, value);
    m_previousTotal = m_total;
    m_total = total;
    ++m_count;
}

bool TCalcModel::UndoTotal()
{
    if (m_total == m_previousTotal)
        return false;
    m_total = m_previousTotal;
    if (m_count > 0)
        --m_count;
    return true;
}

void TCalcModel::ClearTotal()
{
    m_count = 0;
    m_previousTotal = m_total;
    m_total = 0;
}

void TCalcModel::MemoryAction(int memory, int tag)
{
    if (memory < 0 || memory > 9)
        return;
    CalcGlobals& g = Calc();
    Extended& m = g.Memories[size_t(memory)];
    switch (tag) {
    case 1001: m = g.LastResult; break;
    case 1002: m = checked::add(m, g.LastResult); break;
    case 1003: m = checked::sub(m, g.LastResult); break;
    case 1004: m = 0; break;
    default: break;
    }
}
