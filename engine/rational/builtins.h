#pragma once
// The four built-ins of the rational engine: Rcp, sqr/cuad, sqrt/raiz and Abs,
// with their inverses and their own drawings.

#include "engine/rational/fraccion.h"

namespace rational {

class TExpresion;

TFrac RcpFn(const TFrac& x);
TFrac SqrFn(const TFrac& x);
TFrac SqrtFn(const TFrac& x);
TFrac AbsFn(const TFrac& x);

// Registers the built-ins on the expression's table.
void RegisterBuiltins(TExpresion& e);

} // namespace rational
