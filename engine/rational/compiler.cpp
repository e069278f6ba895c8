// The rational engine's compiler: the splitter of engine/compilercore.h with
// fraction literals (n|d, w|n|d) and decimals turned into fractions as its
// numbers. It has no logarithm operator, percent, resolvers, user functions or
// parameters; "|" writes fraction literals and is no operator of the syntax
// check.

#include "engine/rational/expresion.h"
#include "engine/compilercore.h"

#include "engine/errors.h"

#include <cmath>

namespace rational {

struct TExpresion::CompileMemo : exprcore::TCompileMemo<TEval> {};

namespace {

// An integral value as a 64-bit integer; beyond that range the literal cannot
// be a fraction of this engine and is reported as an overflow (not cut to its
// low bits).
int64_t ToInteger(Extended v)
{
    if (!(fabsl(v) < kTwo63))
        throw EOverflow();
    return static_cast<int64_t>(v);
}

bool ReadIntegral(QStringView text, int64_t& value)
{
    Extended v = 0;
    if (!TryStrToFloat(text, v) || v != truncl(v))
        return false;
    value = ToInteger(v);
    return true;
}

// A whole text that reads as a number: integral values exactly, any other the
// best approximation within the current largest denominator.
bool ReadNumber(QStringView text, TFrac& value)
{
    Extended v = 0;
    bool overflow = false;
    if (!TryStrToFloat(text, v, &overflow)) {
        if (overflow)
            throw EOverflow();
        return false;
    }
    if (v == truncl(v))
        value = TFrac(ToInteger(v));
    else
        value = FloatToFrac(fracSettings().FracMaxDenominator, v);
    return true;
}

// Fraction literals: w|d and w|n|d, tried at each "|" from the second to the
// last but one character. Only the first "|" of the text can succeed (the text
// before any later one holds a "|" and is no number), so the search ends there.
bool ReadFractionLiteral(QStringView text, TFrac& value)
{
    const qsizetype n = text.size();
    for (qsizetype p = 1; p + 1 < n; ++p) {
        if (text[p] != QLatin1Char('|'))
            continue;
        if (text.left(p).contains(QLatin1Char('|')))
            return false;
        int64_t w = 0;
        if (!ReadIntegral(text.left(p), w))
            continue;
        const QStringView rest = text.mid(p + 1);
        int64_t d = 0;
        if (ReadIntegral(rest, d)) {
            value = TFrac(w, d);
            return true;
        }
        Extended ignored = 0;
        const int stop = ValFloat(rest, ignored);
        if (stop < 2 || stop > rest.size() || rest[stop - 1] != QLatin1Char('|'))
            continue;
        int64_t num = 0;
        if (!ReadIntegral(rest.left(stop - 1), num) || !ReadIntegral(rest.mid(stop), d))
            continue;
        // (w·d + n) / d, formed exactly: w + n/d is the same value.
        if (d == 0)
            value = TFrac(num, 0);
        else
            value = TFrac(w).Add(TFrac(num, d));
        return true;
    }
    return false;
}

struct CompilerTraits;
using Core = exprcore::TCompiler<CompilerTraits>;
using NoParams = exprcore::NoParams;

struct CompilerTraits
    : exprcore::TCompilerTypes<TExpresion, TEval, NoParams, NodeKind, ECompilacion, NodeGuard, TExprMsg> {
    static constexpr exprcore::CompileRules kRules{.logical = true, .barIsOperator = false};

    static TEval* number(int v) { return new TNum(TFrac(v)); }

    // A fraction literal, else a number.
    [[gnu::noinline]] static TEval* literal(QStringView text)
    {
        TFrac v;
        if (ReadFractionLiteral(text, v) || ReadNumber(text, v))
            return new TNum(v);
        return nullptr;
    }

    // 2x, 2.5x: a decimal number followed by a factor, split only after a digit.
    struct DecimalRule {
        using Literal = TFrac;
        static bool literalChar(QChar c)
        {
            const char16_t u = c.unicode();
            return (u >= '0' && u <= '9') || u == '.' || u == 'E' || u == 'e' || u == '+' || u == '-';
        }
        static bool inside(QStringView text, qsizetype b)
        {
            const QChar c = text[b];
            return c == QLatin1Char('.') || c == QLatin1Char('|') || exprcore::IsAsciiDigit(c) ||
                   !exprcore::IsAsciiDigit(text[b - 1]);
        }
        static bool read(QStringView text, TFrac& v) { return ReadNumber(text, v); }
        static TEval* make(const TFrac& v) { return new TNum(v); }
    };

    static TEval* implicitProducts(TExpresion& e, QStringView text, const NoParams& params, bool& ok)
    {
        return Core::implicitProduct<DecimalRule>(e, text, params, ok);
    }
};

} // namespace

TEval* TExpresion::CompileRaw(const QString& text, bool& ok) { return Core::compile(*this, text, ok); }

void TExpresion::ParseLocalDefinitions(QString& text) { Core::localDefinitions(*this, text, NoParams{}); }

bool TExpresion::CheckSyntax(QStringView text) { return Core::checkSyntax(*this, text); }

TEval* TExpresion::ParseExpr(QStringView text, bool& ok)
{
    return Core::level(*this, exprcore::kLevelExpr, text, NoParams{}, ok);
}

TEval* TExpresion::ParseTerm(QStringView text, bool& ok)
{
    return Core::level(*this, exprcore::kLevelTerm, text, NoParams{}, ok);
}

TEval* TExpresion::ParseFactor(QStringView text, bool& ok)
{
    return Core::level(*this, exprcore::kLevelFactor, text, NoParams{}, ok);
}

void TExpresion::ParseCall(QStringView text, bool& ok, int& count, TEvalArray& args, QString& name)
{
    Core::call(*this, text, NoParams{}, ok, count, args, name);
}

} // namespace rational
