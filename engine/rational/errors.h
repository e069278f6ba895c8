#pragma once
// The rational engine's own exceptions, classes of their own beside the other
// engines'. Arithmetic faults are the shared types of engine/errors.h; the
// integer division by zero of a zero denominator is EIntDivByZero.
#include "engine/errors.h"

namespace rational {

class TExpresion;

using ECompilacion = exprcore::EEngineFailure<TExpresion, exprcore::EngineFailure::Compile>;
using EExprMsj = exprcore::EEngineFailure<TExpresion, exprcore::EngineFailure::Message>;
using EDespejar = exprcore::EEngineFailure<TExpresion, exprcore::EngineFailure::Solve>;

} // namespace rational
