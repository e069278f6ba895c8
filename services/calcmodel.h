#pragma once
// The main window's calculation without its widgets: the process-wide values
// the calculator functions and the tool windows read (last result, memories,
// letter variables, the input evaluator), and TCalcModel, one calculation from
// typed text to the result box's line: new truth values, compile, solve for
// "?" or evaluate, the result text, the running total and the memories. The
// main window drives it, and so does the engines' test driver (sumbrix-eval),
// so that the golden files test the program's own calculation.
#include "foundation/core/extended.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace real {
class TExpresion;
class TVariable;
} // namespace real

// ---------------------------------------------------------------------------
// The letter variables: every lower-case letter but e and g.

inline constexpr int kLetterCount = 24;
// "abcdfhijklmnopqrstuvwxyz"
const QString& LetterVariables();
// The index of a letter variable (0..23), -1 for any other character.
int LetterIndex(QChar letter);

// How the letter prompts reach the user: the main window's input box, or a
// test's scripted answers. Ask shows the prompt with `caption`, the input
// evaluator's names for autocomplete and `text` proposed (all selected); it
// returns false on Cancel, otherwise true with the typed text in `text`.
class VariablePrompter {
public:
    virtual ~VariablePrompter() = default;
    virtual bool Ask(const QString& caption, real::TExpresion* names, QString& text) = 0;
};

// The prompter over the shared input box fmInput.
class InputBoxPrompter : public VariablePrompter {
public:
    bool Ask(const QString& caption, real::TExpresion* names, QString& text) override;
};

// Process-wide values of the main window, read by the calculator functions
// and the tool windows.
struct CalcGlobals {
    Extended LastResult = 0;
    std::array<Extended, 10> Memories{};
    // Length of the expression history and of the saved history lines.
    int MaxList = 50;
    std::uint8_t MainAngleMode = 0;
    // Options the tool windows read: minimize to the notification area, and
    // "NoAuto" (both written by the options dialog).
    bool MinIcon = false;
    bool NoAuto = true;
    // The main window's second evaluator (owned by the window): typed values of
    // prompts, dialogs and tool windows.
    real::TExpresion* InputEvaluator = nullptr;
    // Per letter: asked in this calculation, the value given, the text typed.
    std::array<bool, kLetterCount> AskedFlag{};
    std::array<Extended, kLetterCount> VarValue{};
    std::array<QString, kLetterCount> VarText;
    // "{a=2} {b=3} ": the letters asked in this calculation, in order.
    QString Assignments;
    // Where prompts go (not owned); none: the input box.
    VariablePrompter* Prompter = nullptr;
    // A fixed seed instead of the clock's (tests); the window seeds the random
    // generator with it when it is created.
    std::optional<std::uint64_t> FixedSeed;

    CalcGlobals();
    void reset();
};
CalcGlobals& Calc();

// The prompt of one letter variable: asks until the typed text evaluates.
// Cancel raises EExprMsj "Cálculo cancelado".
void AskVariableValue(QChar letter, Extended& value, QString& text);
// The value function behind a letter: asked once per calculation.
Extended LetterVariableValue(QChar letter);
Extended MemoryValue(int i);
Extended LastResultValue();
// Local date and time as a day serial (days since 30 December 1899 plus the
// fraction of the day).
Extended NowValue();

// The window title text: caption and application title.
QString WindowTitle();

// ---------------------------------------------------------------------------
// One calculation

class TCalcModel {
public:
    // Two real evaluators with the built-ins: the main one, silent, with "?"
    // registered for solving, and the input one for typed values (not silent:
    // it shows its own error boxes).
    TCalcModel();
    ~TCalcModel();
    TCalcModel(const TCalcModel&) = delete;
    TCalcModel& operator=(const TCalcModel&) = delete;

    real::TExpresion& Main() { return *m_main; }
    real::TExpresion& Input() { return *m_input; }
    // "?", the variable an equation is solved for (none until registered).
    real::TVariable* SolveVariable() const { return m_solve; }
    void SetSolveVariable(real::TVariable* v) { m_solve = v; }

    // The random numbers in [0, 1) the truth values are drawn from; the
    // engine's generator when empty.
    std::function<Extended()> Random;

    struct TOutcome {
        // The text was empty: nothing was calculated.
        bool Empty = false;
        // A value was calculated (Shown is its text, or "Verdadero"/"Falso").
        bool Ready = false;
        // The text belongs in the expression history (it compiled, and its
        // failure, if any, was the evaluation's, not a fault of the text).
        bool KeepText = false;
        // The line of the result box: the value, or the error message.
        QString Shown;
    };

    // One calculation of `text`: the letters' asked flags and the assignments
    // are cleared, new truth values drawn, the last result offered as "Rst",
    // the text compiled; `afterCompile` (the window's picture) runs once it
    // compiled, before the evaluation (which may ask letters). The last result
    // changes on success. Exceptions of the evaluation (a cancelled prompt)
    // pass through.
    TOutcome Calculate(const QString& text, const std::function<void()>& afterCompile = {});
    // The compiled text solved or evaluated again, without compiling.
    TOutcome Evaluate();
    // The text of a value as the result box shows it.
    static QString ResultText(Extended value);
    // The value is this calculation's "Verdadero" or "Falso".
    static bool IsTruthValue(Extended value);

    // ---- the running total ----
    Extended Total() const { return m_total; }
    Extended PreviousTotal() const { return m_previousTotal; }
    int Count() const { return m_count; }
    // Adds a result (checked: an overflow raises and changes nothing).
    void AddToTotal(Extended value);
    // Back to the total before the last addition, once.
    bool UndoTotal();
    void ClearTotal();

    // ---- memories: 1001 store, 1002 add, 1003 subtract, 1004 clear the
    // memory with the last result (checked) ----
    static void MemoryAction(int memory, int tag);

private:
    std::unique_ptr<real::TExpresion> m_main;
    std::unique_ptr<real::TExpresion> m_input;
    real::TVariable* m_solve = nullptr;
    Extended m_total = 0;
    Extended m_previousTotal = 0;
    int m_count = 0;
};
