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
