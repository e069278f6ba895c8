#pragma once
// Chemical formulas as names of the expression engines: the table of atomic
// masses read from quim.ini, the molar mass of a formula such as H2O,
// Ca(OH)2 or CuSO4.5H2O, and the drawing of a formula in blue with its
// counts as subscripts. The main window and the formula manager hand these
// routines to their real-domain evaluators as hooks.
#include "engine/canvas.h"
#include "engine/real/expresion.h"
#include "foundation/core/extended.h"

#include <QString>
#include <QStringList>

#include <vector>

// One line of section "MASAS" of quim.ini: "Symbol_Name=mass".
struct TAtomicMass {
    QString Symbol;   // compared case-sensitively: "Co" and "CO" differ
    QString Name;
    Extended Mass = 0;
};

struct QuimicaGlobals {
    // Filled once at start-up, in the section's order.
    std::vector<TAtomicMass> AtomicMassTable;
    void reset() { AtomicMassTable.clear(); }
};
QuimicaGlobals& Quimica();
inline std::vector<TAtomicMass>& AtomicMassTable() { return Quimica().AtomicMassTable; }

// The file of the table, beside the program.
QString AtomicMassFileName();
// Start-up of the module: fills the table from ExeDir + "quim.ini". A missing
// file or section leaves the table empty (no formula is then known). A file
// that is there but gives no element (empty, cut, garbled) leaves it empty as
// well, and the message that says so is returned (empty when the file was read
// or is missing; one that cannot be opened is told by the settings engine).
QString LoadAtomicMasses();
// The same from any file of that format.
QString LoadAtomicMassesFrom(const QString& fileName);
// The table from the section's "name=value" lines. The name is split at its
// first "_" into symbol and element name (without "_", or with "_" first, the
// whole name is the symbol); a value that is not a number gives the mass 0.
void SetAtomicMassLines(const QStringList& lines);
// Shut-down of the module.
void UnloadAtomicMasses();

// The relative molecular mass of a formula: ok and its mass, or not ok and 0.
// A leading number multiplies the whole formula; a number after a "." (the
// water of a hydrate, CuSO4.5H2O) multiplies the terms up to the next "." or
// the end. Counts and coefficients longer than 18 digits make the text no
// formula.
Extended MolarMass(const QString& text, bool& ok);
// Reads one term of `text` at the 1-based `pos` (a symbol with its count, or a
// group in parentheses with its count), moves pos past it and gives its mass;
// false when the text there is no term.
bool ParseFormulaTerm(const QString& text, Extended& mass, int& pos);

// The hooks of the evaluators' nodes made for a resolved name: the node's
// text drawn as a chemical formula (Times New Roman at `size` pixels, counts
// as subscripts at half size, in blue).
void MeasureChemicalFormula(real::TEval* node, Canvas& canvas, int size, int& width, int& above, int& below);
void DrawChemicalFormula(real::TEval* node, Canvas& canvas, int x, int y, int size);
// The same for any text.
void MeasureChemicalText(const QString& text, Canvas& canvas, int size, int& width, int& above, int& below);
void DrawChemicalText(const QString& text, Canvas& canvas, int x, int y, int size);
// Whether each character of a formula is a count (drawn as a subscript): set
// by letters and ")", cleared by "(" and ".".
std::vector<bool> ChemicalSubscripts(const QString& text);

// The main window's option "Calcular MMR" on an evaluator: on, names it does
// not know are weighed as chemical formulas and drawn as such; off, the
// resolver and both drawing procedures are removed.
void SetChemistryHooks(real::TExpresion& evaluator, bool on);
// What the autocomplete list adds for the table: Symbol + " - " + Name, in
// table order (accepting an entry inserts the symbol).
QStringList ChemistryAutoCompleteTexts();
// The kind number of those entries in the autocomplete list.
inline constexpr int kChemistryAutoCompleteKind = 5;

// One line of sumbrix-eval "#molar FORMULA": the mass as the result box writes
// it, or the message of a name that is not known.
QString MolarMassLine(const QString& formula);
