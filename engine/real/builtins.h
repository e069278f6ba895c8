#pragma once
// Registration of the real engine's built-in constants and functions on an
// expression object. The functions themselves are in builtins_math.h, the table
// of their names, descriptions and inverses in builtins_table.h.

namespace real {

class TExpresion;

// Registers the 58 built-ins (constants, "Ale", the one-argument functions with
// the inverses that solving uses, the functions of several arguments). The three
// always-present entries ("Si", "Sim", "LogBase") are the table's own business.
// Names already in the table keep their entries.
void RegisterBuiltins(TExpresion& e);

} // namespace real
