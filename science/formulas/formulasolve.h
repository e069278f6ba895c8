#pragma once
// The computing side of the formula manager: the law evaluator (its symbols
// answered by the element table, the unknown's symbol a local name for the
// variable "_"), the value evaluator (a chemical formula stands for its molar
// mass), and the recalculation: every typed value in base units, the law
// solved for the unknown, every element checked against its bounds, the
// result in the unit chosen for the unknown.
#include "engine/formulapicture.h"
#include "engine/real/expresion.h"
#include "foundation/core/extended.h"
#include "science/formulas/formulagroup.h"

#include <QString>

#include <memory>
#include <random>
#include <vector>

// The magnitude a Base cell names: its text before "=" (all of it when there
// is no "=" or it is first) and its base unit, the text after "=".
QString BaseMagnitude(const QString& base);
QString BaseUnit(const QString& base);
// The index in MagnitudeList of a magnitude named in a formula: names
// compared without "&" and letter case; a name beginning with "moneda" takes
// the first magnitude whose name does so. -1 when there is none.
int MatchMagnitude(const QString& name);
// A value from one unit to another of a named magnitude (MatchMagnitude, then
// ConvertUnits); EConvUnid when the magnitude is not declared.
Extended ConvertFormulaUnits(const QString& magnitude, const QString& fromUnit, const QString& toUnit, Extended v);

// What a recalculation ends with.
struct TSolveOutcome {
    enum class Kind {
        Solved,    // Result holds the unknown's value in its unit
        Stopped,   // an empty value: nothing to tell
        Refused,   // Message for a warning box captioned "Error"
        Failed,    // Message for the program's error box
    };
    Kind What = Kind::Stopped;
    // The unknown's Valor: the result, or "Error".
    QString Result = QStringLiteral("Error");
    Extended Value = 0;   // the unknown in its base unit (Solved)
    QString Message;
    bool ok() const { return What == Kind::Solved; }
};

class TFormulaSolver {
public:
    // Both evaluators share the name table of `parent` (the main window's input
    // evaluator): the variable "_" is added to it.
    explicit TFormulaSolver(real::TExpresion* parent);
    ~TFormulaSolver();
    TFormulaSolver(const TFormulaSolver&) = delete;
    TFormulaSolver& operator=(const TFormulaSolver&) = delete;

    real::TExpresion& LawEvaluator() { return *m_law; }
    real::TExpresion& ValueEvaluator() { return *m_values; }

    // The elements the symbol hook reads (row r of the window's table is
    // Elements[r - 1]); the window refreshes it before each use.
    std::vector<TFormulaElement> Elements;
    // Entry r: element r's value in its base unit after a recalculation
    // (entry 0 belongs to the header row).
    std::vector<Extended> FormulaValues;
    // While set the symbols answer random integers from 1 to 10.
    bool RandomSymbolValues = false;
    // No engine box is shown: their messages go into the outcome.
    bool Quiet = false;

    // The symbol hook: the row whose symbol is `name` (the header "Simb"
    // included, without letter case, the first one); ok when it is an element.
    Extended FormulaSymbolValue(const QString& name, bool& ok);
    // Solves `law` for Elements[unknown] (0-based; -1: none marked).
    TSolveOutcome Recalculate(const QString& law, int unknown);
    // The law compiled with random symbol values, without any box: its
    // picture, or none when it does not compile.
    std::unique_ptr<FormulaPicture> DrawLaw(const QString& law, CanvasMetrics* metrics = nullptr);
    // Seeds the random symbol values (tests).
    void Seed(unsigned seed) { m_random.seed(seed); }

private:
    std::unique_ptr<real::TExpresion> m_law;
    std::unique_ptr<real::TExpresion> m_values;
    real::TVariable* m_unknownVar = nullptr;
    std::mt19937 m_random{std::random_device{}()};
};

// The header of the element table.
QStringList FormulaTableHeader();

// One line of sumbrix-eval "#formula": GROUP TAB FORMULA TAB UNKNOWN [unit]
// [TAB symbol=value unit; ...]: the stored formula of the group file beside
// the program solved for UNKNOWN, values not given kept as stored; the
// result's value and unit, or the message that stopped it.
QString SolveFormulaLine(const QString& arguments);
