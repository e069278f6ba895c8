// The rational compiler: the backtracking splitter of the real engine, with
// fraction literals (n|d, w|n|d) and decimals turned into fractions as its
// numbers. Each level looks for the rightmost operator of its kind at which both
// sides compile and falls back to the next level when there is none.
//
// Every attempt (level, substring) is remembered for the length of one compile,
// with its node and the message it left, so that a substring met again costs
// nothing and gives the very same outcome; without this memory the splitter is
// exponential in the nesting depth.

#include "engine/rational/expresion.h"
#include "engine/splitter.h"
#include "engine/compilerdriver.h"

#include "engine/errors.h"
#include "foundation/core/format.h"

#include <algorithm>
#include <cmath>

namespace rational {

namespace {

enum Level { kExpr = 0, kTerm = 1, kFactor = 2 };

// The unknown-name error of a factor. It ends the compile like any
// ECompilacion, but the implicit product takes it as a plain failure of its
// attempt.
class EUnknownName : public ECompilacion {
public:
    using ECompilacion::ECompilacion;
};

inline bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// Characters a decimal number may be written with.
inline bool IsNumberChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || u == '.' || u == 'E' || u == 'e' || u == '+' || u == '-';
}

QString UnknownNameMessage() { return QStringLiteral("\" no está definido"); }

// 2^63: the first magnitude that no longer fits a numerator.
constexpr Extended kTwo63 = 9223372036854775808.0L;

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
    if (!TryStrToFloat(text, v))
        return false;
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

using ArgsGuard = exprcore::TArgsGuard<TEval, ECompilacion>;

constexpr exprcore::CompileLimits kCompileLimits{kMaxCompileDepth, kMaxCompileAttempts, kMaxCompileWork,
                                                 kCompileStackBudget};
using Driver = exprcore::TCompileDriver<TEval, ECompilacion, EUnknownName>;

} // namespace

struct TExpresion::CompileMemo : exprcore::TCompileMemo<TEval> {};

// --------------------------------------------------------------------------
// Driver.

void TExpresion::SetParseMessage(const QString& message)
{
    ParseMessage = message;
    ++m_messageWrites;
}

TEval* TExpresion::CompileRaw(const QString& text, bool& ok)
{
    ok = false;
    // A message of an earlier compile never stands for this one.
    ParseMessage.clear();
    CompileMemo memo;
    char top;
    memo.stackTop = &top;
    CompileMemo* saved = m_memo;
    m_memo = &memo;
    struct Restore {
        TExpresion* e;
        CompileMemo* saved;
        ~Restore() { e->m_memo = saved; }
    } restore{this, saved};

    QString rest = text;
    ParseLocalDefinitions(rest);
    const QString& kept = memo.keep(rest);
    TEval* root = ParseExpr(kept, ok);
    memo.forget(root);
    return root;
}

void TExpresion::ParseLocalDefinitions(QString& text)
{
    exprcore::ParseLocalDefinitionsT<CompileMemo, ECompilacion>(
        text, m_memo, [&](const QString& def, bool& ok) { return ParseExpr(def, ok); },
        [&](const QString& ident, TEval* tree) { SubExpressions.emplace_back(ident, tree); });
}

bool TExpresion::CheckSyntax(QStringView text)
{
    // "|" writes fraction literals here: it is not an operator of the check.
    const QString message = exprcore::SyntaxMessage(text, false);
    if (message.isEmpty())
        return true;
    SetParseMessage(message);
    return false;
}

// --------------------------------------------------------------------------
// The three levels, with their memory.

TEval* TExpresion::ParseExpr(QStringView text, bool& ok) { return ParseLevel(kExpr, text, ok); }
TEval* TExpresion::ParseTerm(QStringView text, bool& ok) { return ParseLevel(kTerm, text, ok); }
TEval* TExpresion::ParseFactor(QStringView text, bool& ok) { return ParseLevel(kFactor, text, ok); }

TEval* TExpresion::ParseLevel(int level, QStringView text, bool& ok)
{
    if (!m_memo) {
        // A level tried by hand, outside a compile: a memory of its own.
        CompileMemo own;
        char top;
        own.stackTop = &top;
        m_memo = &own;
        struct Restore {
            TExpresion* e;
            ~Restore() { e->m_memo = nullptr; }
        } restore{this};
        TEval* node = ParseLevel(level, text, ok);
        own.forget(node);
        return node;
    }
    using Raw = TEval* (TExpresion::*)(QStringView, bool&);
    const Raw raw = level == kExpr   ? &TExpresion::ParseExprRaw
                    : level == kTerm ? &TExpresion::ParseTermRaw
                                     : &TExpresion::ParseFactorRaw;
    return Driver::parseLevel(*m_memo, ParseMessage, m_messageWrites, kCompileLimits, level, text, ok, *this, raw);
}

namespace {

NodeKind ComparisonKind(QChar a, QChar b, bool pair)
{
    if (!pair) {
        switch (b.unicode()) {
        case '<': return NodeKind::Men;
        case '>': return NodeKind::May;
        default: return NodeKind::Igu;
        }
    }
    const char16_t x = a.unicode(), y = b.unicode();
    if (x == '<' && y == '<') return NodeKind::Men;
    if ((x == '<' && y == '=') || (x == '=' && y == '<')) return NodeKind::MenIgu;
    if ((x == '<' && y == '>') || (x == '>' && y == '<')) return NodeKind::Dist;
    if (x == '=' && y == '=') return NodeKind::Igu;
    if ((x == '>' && y == '=') || (x == '=' && y == '>')) return NodeKind::MayIgu;
    return NodeKind::May;   // ">>"
}

inline bool IsComparisonChar(QChar c)
{
    return c == QLatin1Char('<') || c == QLatin1Char('=') || c == QLatin1Char('>');
}

using Level2 = TEval* (TExpresion::*)(QStringView, bool&);

// Both sides of the operator at `i` (the left text ends at `leftEnd`) compiled
// with the given levels; a node of `kind` when both compile. Kept out of line
// so that the recursion carries only this small frame.
[[gnu::noinline]] TEval* SplitAt(TExpresion& e, QStringView text, qsizetype leftEnd, qsizetype i, NodeKind kind,
                                 Level2 left, Level2 right, bool& ok)
{
    bool okL = false, okR = false;
    NodeGuard l((e.*left)(text.left(leftEnd), okL));
    NodeGuard r((e.*right)(text.mid(i + 1), okR));
    if (!(okL && okR))
        return nullptr;
    TEval* node = CreateOp(kind, l.get(), r.get());
    l.release();
    r.release();
    ok = true;
    return node;
}

[[gnu::noinline]] TEval* UnaryMinus(TExpresion& e, QStringView text, bool& ok)
{
    bool okR = false;
    NodeGuard r(e.ParseExpr(text.mid(1), okR));
    if (!okR)
        return nullptr;
    NodeGuard zero(new TNum(TFrac()));
    TEval* node = CreateOp(NodeKind::Resta, zero.get(), r.get());
    zero.release();
    r.release();
    ok = true;
    return node;
}

// 2x, 2.5x: a number followed by a factor, the longest number first.
[[gnu::noinline]] TEval* ImplicitProduct(TExpresion& e, QStringView text, bool& ok)
{
    const qsizetype n = text.size();
    qsizetype limit = 0;
    while (limit < n && IsNumberChar(text[limit]))
        ++limit;
    for (qsizetype b = std::min(n - 1, limit); b >= 1; --b) {
        const QChar c = text[b];
        if (c == QLatin1Char('.') || c == QLatin1Char('|') || IsDigit(c) || !IsDigit(text[b - 1]))
            continue;
        TFrac v;
        if (!ReadNumber(text.left(b), v))
            continue;
        bool okF = false;
        TEval* factor = nullptr;
        try {
            factor = e.ParseFactor(text.mid(b), okF);
        } catch (const EUnknownName&) {
            continue;
        }
        NodeGuard f(factor);
        if (!okF)
            continue;
        NodeGuard num(new TNum(v));
        TEval* node = CreateOp(NodeKind::Mul, num.get(), f.get());
        num.release();
        f.release();
        ok = true;
        return node;
    }
    return nullptr;
}

} // namespace

TEval* TExpresion::ParseExprRaw(QStringView text, bool& ok)
{
    ok = false;
    if (!CheckSyntax(text))
        return nullptr;
    if (exprcore::IsQuotedMessage(text)) {
        ok = true;
        return new TExprMsg(text.mid(1, text.size() - 2).toString());
    }
    const qsizetype n = text.size();

    // Logical operators, rightmost first.
    for (qsizetype i = n - 1; i >= 0; --i) {
        const QChar c = text[i];
        if (c != QLatin1Char('!') && c != QLatin1Char('$') && c != QLatin1Char('&'))
            continue;
        const NodeKind k = c == QLatin1Char('!') ? NodeKind::Xor
                           : c == QLatin1Char('$') ? NodeKind::Or
                                                   : NodeKind::And;
        if (TEval* node = SplitAt(*this, text, i, i, k, &TExpresion::ParseExpr, &TExpresion::ParseExpr, ok))
            return node;
    }

    // Comparisons, rightmost first; two signs in a row are one operator.
    for (qsizetype i = n - 1; i >= 0; --i) {
        if (!IsComparisonChar(text[i]))
            continue;
        const bool pair = i > 0 && IsComparisonChar(text[i - 1]);
        const NodeKind k = ComparisonKind(pair ? text[i - 1] : QChar(), text[i], pair);
        if (TEval* node = SplitAt(*this, text, pair ? i - 1 : i, i, k, &TExpresion::ParseExpr,
                                  &TExpresion::ParseExpr, ok))
            return node;
    }

    // Addition and subtraction, rightmost first (not the sign of an exponent).
    for (qsizetype i = n - 1; i >= 1; --i) {
        const QChar c = text[i];
        if (c != QLatin1Char('+') && c != QLatin1Char('-'))
            continue;
        if (i >= 2 && (text[i - 1] == QLatin1Char('E') || text[i - 1] == QLatin1Char('e')) && IsDigit(text[i - 2]))
            continue;
        const NodeKind k = c == QLatin1Char('+') ? NodeKind::Suma : NodeKind::Resta;
        if (TEval* node = SplitAt(*this, text, i, i, k, &TExpresion::ParseExpr, &TExpresion::ParseTerm, ok))
            return node;
    }

    if (text.front() == QLatin1Char('-')) {
        if (TEval* node = UnaryMinus(*this, text, ok))
            return node;
    }
    return ParseTerm(text, ok);
}

TEval* TExpresion::ParseTermRaw(QStringView text, bool& ok)
{
    ok = false;
    if (!CheckSyntax(text))
        return nullptr;
    if (exprcore::IsQuotedMessage(text)) {
        ok = true;
        return new TExprMsg(text.mid(1, text.size() - 2).toString());
    }
    for (qsizetype i = text.size() - 1; i >= 1; --i) {
        const QChar c = text[i];
        if (c != QLatin1Char('*') && c != QLatin1Char('/'))
            continue;
        const NodeKind k = c == QLatin1Char('*') ? NodeKind::Mul : NodeKind::Div;
        if (TEval* node = SplitAt(*this, text, i, i, k, &TExpresion::ParseTerm, &TExpresion::ParseFactor, ok))
            return node;
    }
    return ParseFactor(text, ok);
}

TEval* TExpresion::ParseFactorRaw(QStringView text, bool& ok)
{
    ok = false;
    // 1. Syntax check; 2. quoted message.
    if (!CheckSyntax(text))
        return nullptr;
    if (exprcore::IsQuotedMessage(text)) {
        ok = true;
        return new TExprMsg(text.mid(1, text.size() - 2).toString());
    }
    const qsizetype n = text.size();

    // 3. A fraction literal; 4. a number.
    {
        TFrac v;
        if (ReadFractionLiteral(text, v) || ReadNumber(text, v)) {
            ok = true;
            return new TNum(v);
        }
    }
    // 5. Implicit product after a number.
    if (TEval* node = ImplicitProduct(*this, text, ok))
        return node;
    // 6. Root and power, rightmost first: a^b^c is (a^b)^c.
    for (qsizetype i = n - 1; i >= 1; --i) {
        const QChar c = text[i];
        NodeKind k;
        if (c == QLatin1Char('\\'))
            k = NodeKind::Raiz;
        else if (c == QLatin1Char('^'))
            k = NodeKind::Pot;
        else
            continue;
        if (TEval* node = SplitAt(*this, text, i, i, k, &TExpresion::ParseFactor, &TExpresion::ParseFactor, ok))
            return node;
    }
    // 7. A named sub-expression, shared (the latest definition of a name wins).
    for (auto it = SubExpressions.rbegin(); it != SubExpressions.rend(); ++it) {
        if (QStringView(it->first).compare(text, Qt::CaseInsensitive) == 0) {
            ok = true;
            return it->second;
        }
    }
    // 8. A name of the table: final once the call splits and the name is known.
    {
        bool final = false;
        TEval* node = ParseNamedCall(text, ok, final);
        if (final)
            return node;
    }
    // 9. Parentheses.
    if (text.front() == QLatin1Char('(') && text.back() == QLatin1Char(')'))
        return ParseExpr(text.mid(1, n - 2), ok);
    // 10. Unknown: ends the compile.
    if (ParseMessage.isEmpty())
        SetParseMessage(QLatin1Char('"') + text.toString() + UnknownNameMessage());
    throw EUnknownName(ParseMessage);
}

void TExpresion::ParseCall(QStringView text, bool& ok, int& count, TEvalArray& args, QString& name)
{
    ok = false;
    count = 0;
    args.clear();
    name.clear();
    if (!CheckSyntax(text))
        return;
    const qsizetype open = text.indexOf(QLatin1Char('('));
    if (open < 0) {
        name = text.toString().toUpper();
        ok = true;
        return;
    }
    name = text.left(open).toString().toUpper();
    const QStringView inner = text.mid(open + 1, text.size() - open - 2);
    const std::vector<QStringView> parts = exprcore::SplitArguments(inner);
    count = static_cast<int>(parts.size());
    ArgsGuard held;
    for (QStringView part : parts) {
        bool okA = false;
        TEval* a = ParseExpr(part, okA);
        if (!okA)
            return;
        held.add(a);
    }
    args = held.releaseAll();
    ok = true;
}

namespace {
[[gnu::noinline]] QString ArgCountMessage(const QString& name, int count, int minA, int maxA)
{
    if (count > maxA) {
        if (maxA == 0)
            return Format(QStringLiteral("%s no lleva argumentos"), {name});
        if (minA == maxA)
            return Format(QStringLiteral("%s lleva exactamente %d argumento(s)"), {name, maxA});
        return Format(QStringLiteral("%s lleva como máximo %d argumentos"), {name, maxA});
    }
    if (count < minA) {
        if (minA == maxA)
            return Format(QStringLiteral("%s necesita %d argumento(s)"), {name, minA});
        return Format(QStringLiteral("%s necesita al menos %d argumentos"), {name, minA});
    }
    return QString();
}
} // namespace

TEval* TExpresion::ParseNamedCall(QStringView text, bool& ok, bool& final)
{
    ok = false;
    final = false;
    bool okC = false;
    int count = 0;
    TEvalArray args;
    QString name;
    ParseCall(text, okC, count, args, name);
    ArgsGuard held;
    for (TEval* a : args)
        held.add(a);
    if (!okC)
        return nullptr;
    TMake* entry = m_table->Find(name);
    if (!entry)
        return nullptr;
    final = true;
    const QString registered = m_table->RegisteredName(name);
    const QString countMessage = ArgCountMessage(registered, count, entry->MinArgs, entry->MaxArgs);
    if (!countMessage.isEmpty()) {
        SetParseMessage(countMessage);
        return nullptr;
    }
    struct ClearArgs {
        TMake* e;
        ~ClearArgs() { e->Args.clear(); }
    } clearArgs{entry};
    entry->Args = held.nodes();
    TEval* node = entry->Make();
    node->Text = registered.left(255);
    ok = true;
    held.finish(node);
    return node;
}

} // namespace rational
