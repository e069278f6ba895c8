#pragma once
// The calculator functions and names the main window adds to its two real
// evaluators: memories M0..M9, the last result (Rst/Ans), the date and time
// (Ahora/Now), the 24 one-letter variables, the unknown "?", and the nine
// functions over expressions (Integrar, Evaluar, Sumatoria, Producto, Det,
// Resolver, MCD, MCM, Derivar), three of them with their own formula drawing.
//
// No widgets here: the main window supplies the values behind the names
// through TCalcHooks, and the functions bind the letters x and n through the
// two cells the window keeps for each letter.
//
// How the main window uses it (RegisterNames):
//
//     TCalcHooks h;
//     h.Memory = [](int i) { return MemoryValue(i); };
//     h.LastResult = [] { return LastResultValue(); };
//     h.Now = [] { return NowValue(); };
//     h.Letter = [](QChar c) { return LetterVariableValue(c); };
//     h.X = {&VarValue[x], &AskedFlag[x]};
//     h.N = {&VarValue[n], &AskedFlag[n]};
//     SolveVariable = RegisterCalcNames(main, input, h);
//     cmbEdit->SetNameTable(main.GetTable());
//     ... then LoadUserDefinitions (services/userdefs.h).
//
// After the user-definitions dialog returns OK: ReloadCalcTables(main, input),
// then the same registration again.
#include "engine/real/expresion.h"
#include "foundation/core/extended.h"

#include <QChar>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class Canvas;

namespace calcfuncs {

// A letter variable's value and its asked-in-this-calculation flag, both
// owned by the main window.
struct TLetterCell {
    Extended* Value = nullptr;
    bool* Asked = nullptr;
};

// Binds a letter for the length of a scope: saves the value and the flag,
// marks the letter asked (so that it is not prompted for), and writes both
// back when the scope ends, also when it ends with an exception.
class TLetterBinding {
public:
    explicit TLetterBinding(TLetterCell cell);
    TLetterBinding(const TLetterBinding&) = delete;
    TLetterBinding& operator=(const TLetterBinding&) = delete;
    ~TLetterBinding();
    // The next sample point.
    void Set(Extended value);
private:
    TLetterCell m_cell;
    Extended m_savedValue = 0;
    bool m_savedAsked = false;
};

// What the functions do, over the unevaluated argument nodes. Each raises the
// engine's arithmetic faults (engine/errors.h), EMathError with its own message,
// EExprMsj (a node message, code 20) or EIntDivByZero, as described there.

// Evaluar(x0, f): f with x bound to x0.
Extended Evaluar(const real::TEvalArray& args, TLetterCell x);
// Integrar(a, b, f) and Integrar(a, b, N, f): Boole's rule over N div 4 blocks
// (N = 100 with three arguments); a = b gives 0 without evaluating f; fewer
// than one block is a division by zero.
Extended Integrar(const real::TEvalArray& args, TLetterCell x);
// The long loops (sums, products, integrals) report how far they are, at
// most every 50 ms once they have run that long; the hook may raise to stop
// them ("Cálculo cancelado"). None: they run to their end.
std::function<void(double done)>& LongWorkHook();

// Counts a loop's steps for the hook.
class TLongWork {
public:
    explicit TLongWork(double total);
    void Step()
    {
        if (++m_steps % 1024 == 0)
            Check();
    }

private:
    void Check();
    double m_total;
    std::int64_t m_steps = 0;
    std::int64_t m_started;
    std::int64_t m_last = 0;
};

// Sumatoria(from, to, f) and Producto(from, to, f) over the integer n.
Extended Sumatoria(const real::TEvalArray& args, TLetterCell n);
Extended Producto(const real::TEvalArray& args, TLetterCell n);
// Derivar(x0, f): five-point central difference with a step scaled by x0.
Extended Derivar(const real::TEvalArray& args, TLetterCell x);
// Resolver(f, a, b): a root of f (or of l - r for an equation l = r) by the
// secant method with a bisection fallback.
Extended Resolver(const real::TEvalArray& args, TLetterCell x);
// Det(e1, ..., ek): the determinant of the square matrix given row by row.
Extended Det(const real::TEvalArray& args);
// MCD and MCM of the rounded arguments.
Extended MCD(const real::TEvalArray& args);
Extended MCM(const real::TEvalArray& args);

// The same computations over plain values, for the functions above and tests.
// Rounds to the nearest 64-bit integer, halves to even (EInvalidOp out of range).
std::int64_t RoundArg(Extended v);
// The determinant of the s x s matrix m (row by row) by cofactors along the
// first row, each minor computed once (the cofactor expansion's own result,
// without its factorial cost). s from 1 to 15.
Extended Determinant(const std::vector<Extended>& m, int s);
// Greatest common divisor and least common multiple of the values (at least
// one); a 0 after the first raises EIntDivByZero (a first 0 gives the
// divisor of the rest, and a multiple of 0).
Extended Gcd(const std::vector<std::int64_t>& values);
Extended Lcm(const std::vector<std::int64_t>& values);

// The messages of the functions' failures.
QString MsgInequality();      // "Resolver no opera con inecuaciones"
QString MsgNeedsFunction();   // "Necesita una función"
QString MsgNoRootHalvings();  // "No ha sido posible hallar ninguna raíz\rIntente con otro rango"
QString MsgNoRoot();          // "No se hallo raíz, intente con otro rango"
QString MsgNotSquare();       // "La matriz debe ser cuadrada"

// Formula drawing of Sumatoria, Producto and Integrar (the node's own measure
// and draw procedures): the big sign with the bounds above and below it, then
// the operand, and "dx" after an integral.
enum class TSignKind { Sumatoria, Producto, Integrar };
void MeasureSign(TSignKind kind, real::TEval* node, Canvas& canvas, int size, int& width, int& above, int& below);
void DrawSign(TSignKind kind, real::TEval* node, Canvas& canvas, int x, int y, int size);

// What the main window gives the names it registers.
struct TCalcHooks {
    std::function<Extended(int memory)> Memory;   // M0..M9
    std::function<Extended()> LastResult;          // Rst, Ans
    std::function<Extended()> Now;                 // Ahora, Now
    std::function<Extended(QChar letter)> Letter;  // a b c d f h ... z
    TLetterCell X;                                 // bound by Integrar, Evaluar, Derivar, Resolver
    TLetterCell N;                                 // bound by Sumatoria, Producto
};

// The 24 letter variables: every lower-case letter but e and g.
QString LetterNames();

// Registers every name in the main evaluator and the subset that the input
// evaluator gets (M0..M9, Rst, n, x, Integrar, Evaluar, Sumatoria, Producto,
// Det, Derivar); returns the "?" variable of the main evaluator. The hooks are
// copied into the registered functions.
real::TVariable* RegisterCalcNames(real::TExpresion& main, real::TExpresion& input, const TCalcHooks& hooks);

// Rebuilds both name tables to the built-ins alone, before registering again
// (the user may have changed or deleted definitions: old constants must not
// keep their earlier values in either evaluator).
void ReloadCalcTables(real::TExpresion& main, real::TExpresion& input);

} // namespace calcfuncs
