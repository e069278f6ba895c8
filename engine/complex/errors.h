#pragma once
// The complex engine's own exceptions, classes of their own beside the other
// engines'. Arithmetic faults are the shared types of engine/errors.h.
#include "engine/errors.h"

namespace complex {

class TExpresion;

using ECompilacion = exprcore::EEngineFailure<TExpresion, exprcore::EngineFailure::Compile>;
using EExprMsj = exprcore::EEngineFailure<TExpresion, exprcore::EngineFailure::Message>;
using EDespejar = exprcore::EEngineFailure<TExpresion, exprcore::EngineFailure::Solve>;

} // namespace complex
