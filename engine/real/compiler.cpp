// The real engine's compiler: the splitter of engine/compilercore.h with every
// rule it has (logical operators, the logarithm operator, percent, the
// resolvers, user functions). Its own are the literals: numbers in any base,
// kept with their base for display, and fractions and plain decimals (3|4,
// 1|1|2, 1.5E-3), each also before a factor (2pi, 12x, 3|4x).

#include "engine/real/expresion.h"
#include "engine/compilercore.h"

#include "engine/errors.h"
#include "engine/formatonum.h"

namespace real {

struct TExpresion::CompileMemo : exprcore::TCompileMemo<TEval> {};

namespace {

bool ReadFraction(const QString& text, Extended& value)
{
    TFormatoNum& f = NumberFormat();
    value = f.Parse(text);
    return !f.Error;
}

struct CompilerTraits;
using Core = exprcore::TCompiler<CompilerTraits>;

struct CompilerTraits : exprcore::TCompilerTypes<TExpresion, TEval, TEvalArray, NodeKind, ECompilacion, NodeGuard,
                                                 TExprMsg, TExt, Extended, TMakeUser> {
    static constexpr exprcore::CompileRules kRules{
        .logical = true, .logN = true, .percent = true, .resolvers = true, .userFunctions = true,
        .barIsOperator = true};

    static TEval* number(int v) { return new TNum(v); }
    static TEval* numberInBase(const exprcore::BaseNumber& v) { return new TNum(v.value, v.base); }

    // A number in any base; else a fraction or plain decimal.
    [[gnu::noinline]] static TEval* literal(QStringView text)
    {
        exprcore::BaseNumber v;
        switch (exprcore::QuickReadNumber(text, v)) {
        case exprcore::QuickNumber::Read:
            return numberInBase(v);
        case exprcore::QuickNumber::NotNumber:
            // Nor a fraction: the fraction reader wants a digit, sign or point first.
            NumberFormat().Error = true;
            return nullptr;
        case exprcore::QuickNumber::Unsure:
            break;
        }
        const QString str = text.toString();
        if (exprcore::ReadNumberWithBase(str, v))
            return numberInBase(v);
        if (ReadFraction(str, v.value))
            return new TNum(v.value, 10);
        return nullptr;
    }

    // After a fraction or plain decimal (0x, 3|4x): never within its digits, at
    // its point or after a bar (2.5^2 is no 2 times .5^2).
    struct FractionRule {
        using Literal = Extended;
        static bool literalChar(QChar c)
        {
            const char16_t u = c.unicode();
            return (u >= '0' && u <= '9') || u == '|' || u == '.' || u == 'E' || u == 'e' || u == '+' || u == '-';
        }
        static bool inside(QStringView text, qsizetype b)
        {
            return exprcore::IsAsciiDigit(text[b]) || text[b] == QLatin1Char('|') || text[b] == QLatin1Char('.');
        }
        static bool read(QStringView text, Extended& v) { return ReadFraction(text.toString(), v); }
        static TEval* make(Extended v) { return new TNum(v, 10); }
    };

    static TEval* implicitProducts(TExpresion& e, QStringView text, const TEvalArray& params, bool& ok)
    {
        if (TEval* node = Core::implicitProduct<Core::BaseNumberRule>(e, text, params, ok))
            return node;
        return Core::implicitProduct<FractionRule>(e, text, params, ok);
    }

    static bool resolve(const TNameResolver& resolver, const QString& name, Extended& v)
    {
        bool ok = false;
        v = resolver(name, ok);
        return ok;
    }
};

} // namespace

QString PreprocessExpression(const QString& text) { return exprcore::PreprocessText(text); }

QString ReplaceAltOperators(const QString& text) { return exprcore::ReplaceAltOperators(text); }

EXPRCORE_COMPILER_MEMBERS(Core)

} // namespace real
