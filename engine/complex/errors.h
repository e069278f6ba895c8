#pragma once
// The complex engine's own exceptions, classes of their own beside the real
// engine's. Arithmetic faults are the shared types of engine/errors.h.
#include "foundation/core/exceptions.h"

namespace complex {

// A compile that must end at once (an unknown name, a local definition without
// identifier, a text nested too deeply).
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

} // namespace complex
