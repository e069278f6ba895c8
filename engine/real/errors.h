#pragma once
// The real engine's own exceptions. Arithmetic faults are the shared types of
// engine/errors.h (EZeroDivide ... EInvalidOp); these three are the engine's.
#include "foundation/core/exceptions.h"

namespace real {

// A compile that must end at once: an unknown name, a local definition without
// identifier, a user function with bad parameters, a text nested too deeply.
class ECompilacion : public Exception {
public:
    using Exception::Exception;
};

// A quoted message of the user's was evaluated ('Fuera de rango').
class EExprMsj : public Exception {
public:
    using Exception::Exception;
};

// Solving an equation for a variable failed.
class EDespejar : public Exception {
public:
    using Exception::Exception;
};

} // namespace real
