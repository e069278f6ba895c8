#include "engine/rational/builtins.h"

#include "engine/checked.h"
#include "engine/errors.h"
#include "engine/rational/drawing.h"
#include "engine/rational/expresion.h"

#include <cmath>

namespace rational {

// 1/x; the reciprocal of 0 is refused (integer division by zero).
TFrac RcpFn(const TFrac& x)
{
    TFrac r = x;
    return r.Reciprocal();
}

// Num² / Den², exactly; a square beyond 64/32 bits is an overflow.
TFrac SqrFn(const TFrac& x)
{
    TFrac r = x;
    return r.Multiply(x);
}

// The best approximation of the square root within FracMaxDenominator; the root
// of a negative value is an invalid operation.
TFrac SqrtFn(const TFrac& x)
{
    const Extended v = x.ToFloat();
    if (v < 0)
        throw EInvalidOp();
    return FloatToFrac(fracSettings().FracMaxDenominator, sqrtl(v));
}

TFrac AbsFn(const TFrac& x) { return x.Num() < 0 ? TFrac(-x.Num(), x.Den()) : x; }

void RegisterBuiltins(TExpresion& e)
{
    e.AddFunction1(QStringLiteral("Rcp"), RcpFn, RcpFn, QStringLiteral("Recíproco"), MeasureReciprocal,
                   DrawReciprocal);
    e.AddFunction1(QStringLiteral("sqr/cuad"), SqrFn, SqrtFn, QStringLiteral("Cuadrado"), MeasureSquare,
                   DrawSquare);
    e.AddFunction1(QStringLiteral("sqrt/raiz"), SqrtFn, SqrFn, QStringLiteral("Raíz cuadrada"), MeasureSqrt,
                   DrawSqrt);
    e.AddFunction1(QStringLiteral("Abs"), AbsFn, nullptr, QStringLiteral("Valor Absoluto"), MeasureAbsValue,
                   DrawAbsValue);
}

} // namespace rational
