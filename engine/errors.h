#pragma once
#include "foundation/core/exceptions.h"

// Arithmetic faults. The processor the program was designed around raised these
// by itself; here every operator and built-in checks and throws them, and the
// engines turn them into their error codes.
class EMathError : public Exception {
public:
    using Exception::Exception;
    virtual int code() const { return 19; }
};

class EZeroDivide : public EMathError {
public:
    EZeroDivide() : EMathError(QStringLiteral("División por cero")) {}
    using EMathError::EMathError;
    int code() const override { return 11; }
};

class EOverflow : public EMathError {
public:
    EOverflow() : EMathError(QStringLiteral("Desbordamiento")) {}
    using EMathError::EMathError;
    int code() const override { return 12; }
};

class EUnderflow : public EMathError {
public:
    EUnderflow() : EMathError(QStringLiteral("Desbordamiento inferior")) {}
    using EMathError::EMathError;
    int code() const override { return 13; }
};

class EInvalidArgument : public EMathError {
public:
    EInvalidArgument() : EMathError(QStringLiteral("Argumento no válido")) {}
    using EMathError::EMathError;
    int code() const override { return 14; }
};

class EInvalidOp : public EMathError {
public:
    EInvalidOp() : EMathError(QStringLiteral("Operación no válida")) {}
    using EMathError::EMathError;
    int code() const override { return 15; }
};

namespace exprcore {

// The failures each engine raises of its own (below the arithmetic faults).
enum class EngineFailure {
    Compile,   // a compile that must end at once: an unknown name, a local
               // definition without identifier, a text nested too deeply
    Message,   // a quoted message of the user's was evaluated
    Solve,     // solving an equation for a variable failed
};

// One class per engine and failure: `Engine` (the engine's expression object)
// keeps one engine's handlers from catching another engine's failures.
template <class Engine, EngineFailure Kind>
class EEngineFailure : public Exception {
public:
    using Exception::Exception;
};

} // namespace exprcore
