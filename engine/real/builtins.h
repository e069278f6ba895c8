#pragma once
// Registration of the real engine's built-in constants and functions on an
// expression object. The functions themselves are in builtins_math.h, the table
// of their names, descriptions and inverses in builtins_table.h.

#include "engine/real/builtins_table.h"
#include "engine/real/tree.h"

namespace real {

class TExpresion;

// Registers the 58 built-ins (constants, "Ale", the one-argument functions with
// the inverses that solving uses, the functions of several arguments). The three
// always-present entries ("Si", "Sim", "LogBase") are the table's own business.
// Names already in the table keep their entries.
void RegisterBuiltins(TExpresion& e);
// Registers the table's always-present entries ("Si", "Sim", "LogBase"), which
// every name table holds, built-ins or not.
void RegisterAlwaysPresent(TExpresion& e);

// The callable a one-argument built-in is registered with: the plain function
// and the angle unit in force when it is called. A named type, so that the
// flattened evaluation (engine/real/program.h) can recognise a built-in inside
// its std::function and call the plain function directly; `tag` is the table
// entry's, set when the built-in is registered (its inverse carries the
// inverse's own), and tells the functions the program runs in line.
struct BuiltinFn1 {
    builtins::Fn1 fn;
    builtins::BuiltinTag tag = builtins::BuiltinTag::None;
    Extended operator()(Extended x) const { return fn(engineState().CurrentAngleMode, x); }
};

} // namespace real
