#pragma once
// The table of the real engine's built-in names: what each name is, how many
// arguments it takes, what the lists show about it, how it treats the angle
// unit, how it is drawn and which function undoes it when an equation is solved
// through it. The registration of the expression object walks this table.
#include "engine/real/builtins_math.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <span>

namespace real::builtins {

enum class BuiltinKind : uint8_t {
    Constant,   // a fixed value
    Function0,  // a function without arguments, called at every evaluation
    Function1,  // a function of one argument
    FunctionN,  // a function of several arguments that evaluates them itself
};

// How a function meets the angle unit.
enum class AngleUse : uint8_t {
    None,
    Argument,  // the argument is read in the current unit
    Result,    // the result is given in the current unit
};

// The functions with a drawing of their own; the rest draw as name(argument).
enum class BuiltinDrawing : uint8_t {
    Plain,
    Reciprocal,   // x with superscript -1
    Square,       // x with superscript 2
    Radical,      // radical sign
    Exp,          // e with x as exponent
    Exp10,        // 10 with x as exponent
    Abs,          // vertical bars
    Factorial,    // x followed by "!"
    Combination,  // n over k between parentheses
};

// The built-ins the flattened evaluation (engine/real/program.h) runs in line
// instead of calling their function: each entry carries its tag, and every
// callable registered from the entry carries it too (BuiltinFn1,
// engine/real/builtins.h). Any other built-in is None.
enum class BuiltinTag : uint8_t {
    None,
    Sqrt,
    Sin,
    Cos,
    Tan,
    Exp,
    Ln,
};

using Fn0 = Extended (*)();
// One-argument functions all take the angle unit; most ignore it.
using Fn1 = Extended (*)(AngleMode, Extended);
using FnN = Extended (*)(AngleMode, ArgList&);

struct BuiltinEntry {
    const char* name;         // as registered: one name, or two aliases joined by "/"
    const char* description;  // UTF-8, word for word as the lists show it
    BuiltinKind kind;
    uint8_t category;         // 0 constant, 3 one argument (and "Ale"), 4 several
    uint8_t minArgs;
    uint8_t maxArgs;
    bool alwaysPresent;       // in every name table, built-ins or not
    AngleUse angle;
    Extended value;           // constants
    Fn0 fn0;
    Fn1 fn1;
    FnN fnN;                  // null for "LogBase": the compiler builds a logarithm node
    const char* inverse;      // first alias of the function that undoes it; null: none
    BuiltinDrawing drawing;
    BuiltinTag tag;           // None but for the functions the program runs in line
};

// Every entry: the three always present first, then the 58 built-ins in the
// order they are registered.
inline constexpr std::size_t kBuiltinCount = 61;
std::span<const BuiltinEntry> BuiltinTable();

// The entry registered under name or one of its aliases (case ignored); null
// when there is none.
const BuiltinEntry* FindBuiltin(const QString& name);

// The entry's two names: the text before the first "/" (the whole name when
// there is none) and the text after it (empty when there is none).
QString FirstName(const BuiltinEntry& e);
QString SecondName(const BuiltinEntry& e);
QString Description(const BuiltinEntry& e);

// The entry of the function that undoes e when an equation is solved through
// it; null when e cannot be solved through.
const BuiltinEntry* InverseOf(const BuiltinEntry& e);

} // namespace real::builtins
