#pragma once
// The rational engine's own exceptions, classes of their own beside the other
// engines'. Arithmetic faults are the shared types of engine/errors.h; the
// integer division by zero of a zero denominator is EIntDivByZero.
#include "foundation/core/exceptions.h"

namespace rational {

// A compile that must end at once: an unknown name, a local definition without
// identifier, a text nested too deeply.
class ECompilacion : public Exception {
public:
    using Exception::Exception;
};

// A quoted message of the user's was evaluated.
class EExprMsj : public Exception {
public:
    using Exception::Exception;
};

// Solving an equation for a variable failed.
class EDespejar : public Exception {
public:
    using Exception::Exception;
};

} // namespace rational
