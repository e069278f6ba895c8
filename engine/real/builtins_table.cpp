#include "engine/real/builtins_table.h"

namespace real::builtins {

namespace {

// The table calls every function the same way; these adapt the ones that do
// not care about the angle unit.
template <Extended (*F)(Extended)>
Extended plain1(AngleMode, Extended x) { return F(x); }

template <Extended (*F)(ArgList&)>
Extended plainN(AngleMode, ArgList& a) { return F(a); }

using K = BuiltinKind;
using A = AngleUse;
using D = BuiltinDrawing;
using T = BuiltinTag;

constexpr BuiltinEntry constant(const char* name, const char* description, Extended value)
{
    return {name, description, K::Constant, 0, 0, 0, false, A::None, value, nullptr, nullptr, nullptr, nullptr, D::Plain,
            T::None};
}

constexpr BuiltinEntry fun1(const char* name, const char* description, Fn1 fn, const char* inverse,
                            A angle = A::None, D drawing = D::Plain, T tag = T::None)
{
    return {name, description, K::Function1, 3, 1, 1, false, angle, 0, nullptr, fn, nullptr, inverse, drawing, tag};
}

constexpr BuiltinEntry funN(const char* name, const char* description, uint8_t minArgs, uint8_t maxArgs, FnN fn,
                            A angle = A::None, D drawing = D::Plain)
{
    return {name, description, K::FunctionN, 4, minArgs, maxArgs, false, angle, 0, nullptr, nullptr, fn, nullptr, drawing,
            T::None};
}

constexpr BuiltinEntry always(const char* name, const char* description, uint8_t minArgs, uint8_t maxArgs, FnN fn)
{
    BuiltinEntry e = funN(name, description, minArgs, maxArgs, fn);
    e.alwaysPresent = true;
    return e;
}

const BuiltinEntry kTable[] = {
    always("Si/If", "Condicional", 3, 3, plainN<Si>),
    always("Sim/Ifm", "Secuencia de condicionales", 2, 255, plainN<Sim>),
    always("LogBase/LogN", "Logaritmo base N", 2, 2, nullptr),

    constant("Pi", "Pi", kPi),
    constant("e", "Base Log. Naturales", kE),
    constant("R2", "Raíz cuadrada de 2", kSqrt2),
    constant("R3", "Raiz cuadrada de 3", kSqrt3),

    {"Ale/Rnd", "Aleatorio", K::Function0, 3, 0, 0, false, A::None, 0, Ale, nullptr, nullptr, nullptr, D::Plain, T::None},

    fun1("sin/sen", "Seno", Sin, "arcsin", A::Argument, D::Plain, T::Sin),
    fun1("cos", "Coseno", Cos, "arccos", A::Argument, D::Plain, T::Cos),
    fun1("tan/tg", "Tangente", Tan, "arctan", A::Argument, D::Plain, T::Tan),
    fun1("arcsin/arcsen", "Arcoseno", ArcSin, "sin", A::Result),
    fun1("arccos/arcos", "Arcocoseno", ArcCos, "cos", A::Result),
    fun1("arctan/arctg", "Arcotangente", ArcTan, "tan", A::Result),
    fun1("GMS", "GGG,MMSS.SS", Gms, nullptr, A::Result),
    fun1("GMSRad", "", plain1<GmsRad>, "RadGMS"),
    fun1("RadGMS", "", plain1<RadGms>, "GMSRad"),
    fun1("sinh/senh", "Seno hiperbólico", Sinh, "arcsinh", A::Argument),
    fun1("cosh", "Coseno hiperbólico", Cosh, "arccosh", A::Argument),
    fun1("tanh/tgh", "Tangente hiperbólica", Tanh, "arctanh", A::Argument),
    fun1("arcsinh/arcsenh", "Arcoseno hiperbólico", ArcSinh, "sinh", A::Result),
    fun1("arccosh/arcosh", "Arcocoseno hiperbólico", ArcCosh, "cosh", A::Result),
    fun1("arctanh/arctgh", "Arcotangente hiperbólica", ArcTanh, "tanh", A::Result),
    fun1("Rcp", "Recíproco", plain1<Rcp>, "Rcp", A::None, D::Reciprocal),
    fun1("ln", "Logarítmo natural", plain1<Ln>, "exp", A::None, D::Plain, T::Ln),
    fun1("log", "Logarítmo base 10", plain1<Log>, "exp10"),
    fun1("sqr/cuad", "Cuadrado", plain1<Sqr>, "sqrt", A::None, D::Square),
    fun1("sqrt/raiz", "Raíz cuadrada", plain1<Sqrt>, "sqr", A::None, D::Radical, T::Sqrt),
    fun1("exp", "Exponencial", plain1<Exp>, "ln", A::None, D::Exp, T::Exp),
    fun1("exp10", "Expo base 10", plain1<Exp10>, "log", A::None, D::Exp10),
    fun1("Abs", "Valor Absoluto", plain1<Abs>, nullptr, A::None, D::Abs),
    fun1("Int/Ent", "Parte entera", plain1<Int>, nullptr),
    fun1("Rd", "Redondeo", plain1<Rd>, nullptr),
    fun1("Frac", "Fracción", plain1<Frac>, nullptr),
    fun1("Fact", "Factorial", plain1<Fact>, nullptr, A::None, D::Factorial),
    fun1("Prm", "Permutaciones sin repetición", plain1<Fact>, nullptr),
    fun1("DNormStd", "Distribución Normal Estándar", plain1<DNormStd>, nullptr),

    funN("hipot", "Hipotenusa", 2, 2, plainN<Hipot>),
    funN("ang/arg", "Angulo", 2, 2, Ang, A::Result),
    funN("Max", "Máximo", 2, 255, plainN<Max>),
    funN("Min", "Mínimo", 2, 255, plainN<Min>),
    funN("Prom", "Promedio", 2, 255, plainN<Prom>),
    funN("Suma", "Suma", 2, 255, plainN<Suma>),
    funN("Resto/Mod", "Resto", 2, 2, plainN<Resto>),
    funN("Poli/Poly", "Polinomio (coef. de 0 a n)", 2, 255, plainN<Poli>),
    funN("PrmR", "Permutaciones con repetición", 2, 255, plainN<PrmR>),
    funN("Var", "Variaciones sin repetición", 2, 2, plainN<Var>),
    funN("VarR", "Variaciones con repetición", 2, 2, plainN<VarR>),
    funN("Cmb", "Combinaciones sin repetición", 2, 2, plainN<Cmb>, A::None, D::Combination),
    funN("CmbR", "Combinaciones con repetición", 2, 2, plainN<CmbR>),
    funN("DNormal", "Distribución Normal", 3, 3, plainN<DNormal>),
    funN("DNormalA", "Area Distribución Normal", 3, 4, plainN<DNormalA>),
    funN("DNormStdA", "Area Dist. Normal Std", 1, 2, plainN<DNormStdA>),
    funN("DBinom", "Distribución Binomial", 3, 3, plainN<DBinom>),
    funN("DBinomA", "Distribución Binomial Acumulada", 3, 4, plainN<DBinomA>),
    funN("DBinomNeg", "Dist. Binomial Negativa", 3, 3, plainN<DBinomNeg>),
    funN("DBinomNegA", "Dist. Binomial Negativa Acumulada", 3, 4, plainN<DBinomNegA>),
    funN("DHpGeom", "Distribución Hipergeométrica", 4, 4, plainN<DHpGeom>),
    funN("DHpGeomA", "Distribución Hipergeométrica Acumulada", 4, 5, plainN<DHpGeomA>),
    funN("DPoisson", "Distribución Poisson", 2, 2, plainN<DPoisson>),
    funN("DPoissonA", "Distribución Poisson Acumulada", 2, 3, plainN<DPoissonA>),
};

static_assert(std::size(kTable) == kBuiltinCount);

QString nameOf(const BuiltinEntry& e) { return QString::fromUtf8(e.name); }

} // namespace

std::span<const BuiltinEntry> BuiltinTable() { return kTable; }

QString FirstName(const BuiltinEntry& e)
{
    QString n = nameOf(e);
    int p = n.indexOf(u'/');
    return p > 0 ? n.left(p) : n;
}

QString SecondName(const BuiltinEntry& e)
{
    QString n = nameOf(e);
    int p = n.indexOf(u'/');
    return p > 0 ? n.mid(p + 1) : QString();
}

QString Description(const BuiltinEntry& e) { return QString::fromUtf8(e.description); }

const BuiltinEntry* FindBuiltin(const QString& name)
{
    for (const BuiltinEntry& e : kTable) {
        if (FirstName(e).compare(name, Qt::CaseInsensitive) == 0)
            return &e;
        QString second = SecondName(e);
        if (!second.isEmpty() && second.compare(name, Qt::CaseInsensitive) == 0)
            return &e;
    }
    return nullptr;
}

const BuiltinEntry* InverseOf(const BuiltinEntry& e)
{
    return e.inverse ? FindBuiltin(QString::fromUtf8(e.inverse)) : nullptr;
}

} // namespace real::builtins
