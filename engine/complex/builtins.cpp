// The complex engine's built-in functions: the routines of the complex library,
// registered in the order the function lists show them.
#include "engine/complex/expresion.h"

#include "engine/angulos.h"

#include <cmath>

namespace complex {

namespace {

void ReFn(TComplex z, TComplex& r) { r = TComplex{z.Re, 0}; }
void ImFn(TComplex z, TComplex& r) { r = TComplex{z.Im, 0}; }
void NormaFn(TComplex z, TComplex& r) { r = TComplex{ComplexAbs(z), 0}; }

// The argument in the current angle unit.
void ArgFn(TComplex z, TComplex& r)
{
    r = TComplex{RadToAngle(engineState().CurrentAngleMode, ComplexArg(z)), 0};
}

// Polar (r, t): the real parts only; the angle in the current unit.
void PolarFn(const TEvalArray& a, TComplex& r)
{
    const TComplex rho = a[0]->Eval();
    const TComplex t = a[1]->Eval();
    ComplexPolar(rho.Re, AngleToRad(engineState().CurrentAngleMode, t.Re), r);
}

} // namespace

void RegisterBuiltins(TExpresion& e)
{
    TComplex v;
    e.AddConstant(QStringLiteral("Pi"), TComplex{kPi, 0}, QStringLiteral("Pi"));
    ComplexExp(TComplex{1, 0}, v);
    e.AddConstant(QStringLiteral("e"), v, QStringLiteral("Base Log. Naturales"));
    ComplexSqrt(TComplex{2, 0}, v);
    e.AddConstant(QStringLiteral("R2"), v, QStringLiteral("Raíz cuadrada de 2"));
    ComplexSqrt(TComplex{3, 0}, v);
    e.AddConstant(QStringLiteral("R3"), v, QStringLiteral("Raiz cuadrada de 3"));

    // Trigonometric and hyperbolic functions work in radians whatever the unit.
    e.AddFunction1(QStringLiteral("Sin/Sen"), ComplexSin, ComplexArcSin, QStringLiteral("Seno"));
    e.AddFunction1(QStringLiteral("Cos"), ComplexCos, ComplexArcCos, QStringLiteral("Coseno"));
    e.AddFunction1(QStringLiteral("Tan/Tg"), ComplexTan, ComplexArcTan, QStringLiteral("Tangente"));
    e.AddFunction1(QStringLiteral("ArcSin/ArcSen"), ComplexArcSin, ComplexSin, QStringLiteral("Arcoseno"));
    e.AddFunction1(QStringLiteral("ArcCos/ArCos"), ComplexArcCos, ComplexCos, QStringLiteral("Arcocoseno"));
    e.AddFunction1(QStringLiteral("ArcTan/ArcTg"), ComplexArcTan, ComplexTan, QStringLiteral("Arcotangente"));
    e.AddFunction1(QStringLiteral("SinH/SenH"), ComplexSinh, ComplexArcSinh, QStringLiteral("Seno hiperbólico"));
    e.AddFunction1(QStringLiteral("CosH"), ComplexCosh, ComplexArcCosh, QStringLiteral("Coseno hiperbólico"));
    e.AddFunction1(QStringLiteral("TanH/TgH"), ComplexTanh, ComplexArcTanh, QStringLiteral("Tangente hiperbólica"));
    e.AddFunction1(QStringLiteral("ArcSinH/ArcSenH"), ComplexArcSinh, ComplexSinh,
                   QStringLiteral("Arcoseno hiperbólico"));
    e.AddFunction1(QStringLiteral("ArcCosH/ArCosH"), ComplexArcCosh, ComplexCosh,
                   QStringLiteral("Arcocoseno hiperbólico"));
    e.AddFunction1(QStringLiteral("ArcTanH/ArcTgH"), ComplexArcTanh, ComplexTanh,
                   QStringLiteral("Arcotangente hiperbólica"));
    // The second reciprocal: without the zero test (a zero argument is an
    // invalid operation instead of a box).
    e.AddFunction1(QStringLiteral("Inv"), ComplexRcpNoCheck, ComplexRcpNoCheck, QStringLiteral("Recíproco"));
    e.AddFunction1(QStringLiteral("Ln/LogE"), ComplexLn, ComplexExp, QStringLiteral("Logarítmo natural"));
    e.AddFunction1(QStringLiteral("Exp"), ComplexExp, ComplexLn, QStringLiteral("Exponencial"), ExpMeasure,
                   ExpDraw);
    e.AddFunction1(QStringLiteral("Sqr/Cuad"), ComplexSqr, ComplexSqrt, QStringLiteral("Cuadrado"), SqrMeasure,
                   SqrDraw);
    e.AddFunction1(QStringLiteral("Sqrt/Raiz"), ComplexSqrt, ComplexSqr, QStringLiteral("Raíz cuadrada"),
                   SqrtMeasure, SqrtDraw);
    e.AddFunction1(QStringLiteral("Rcp"), ComplexRcp, ComplexRcp, QStringLiteral("Recíproco"), RcpMeasure, RcpDraw);
    e.AddFunctionN(QStringLiteral("Polar"), PolarFn, 2, 2, QStringLiteral("Polar"));
    e.AddFunction1(QStringLiteral("Re"), ReFn, {}, QStringLiteral("Parte real"));
    e.AddFunction1(QStringLiteral("Im"), ImFn, {}, QStringLiteral("Parte imaginaria"));
    e.AddFunction1(QStringLiteral("Conj"), ComplexConj, {}, QStringLiteral("Conjugado"));
    e.AddFunction1(QStringLiteral("Norma"), NormaFn, {}, QStringLiteral("Norma o módulo"));
    e.AddFunction1(QStringLiteral("Arg"), ArgFn, {}, QStringLiteral("Argumento"));
}

} // namespace complex
