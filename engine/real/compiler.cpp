// The compiler: a backtracking splitter. Each level looks for the rightmost
// operator of its own kind at which both sides compile and falls back to the
// next level when there is none; a failed attempt only leaves a message.
//
// Every attempt (level, substring) is remembered for the length of one compile,
// with its node and the message it left, so that a substring met again (the
// argument of "(X)" tried first as a call, the same left side under several
// splits) costs nothing and gives the very same outcome. Without this memory the
// splitter is exponential in the nesting depth.

#include "engine/real/expresion.h"
#include "engine/splitter.h"
#include "engine/compilerdriver.h"

#include "engine/bases.h"
#include "engine/errors.h"
#include "engine/formatonum.h"
#include "foundation/core/format.h"

#include <algorithm>

namespace real {

namespace {

enum Level { kExpr = 0, kTerm = 1, kFactor = 2 };

// The unknown-name error of a factor. It ends the compile like any
// ECompilacion, but the implicit-product rules take it as a plain failure of
// their attempt (so that "50%" reaches the percent rule).
class EUnknownName : public ECompilacion {
public:
    using ECompilacion::ECompilacion;
};

inline bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// Characters a number in any base may be written with (digits, letters, point,
// signs, the base in brackets).
inline bool IsNumberChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '.' ||
           u == '+' || u == '-' || u == '[' || u == ']';
}

// Characters of a fraction or decimal literal ("3|4", "1|1|2", "1.5E-3").
inline bool IsFractionChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || u == '|' || u == '.' || u == 'E' || u == 'e' || u == '+' || u == '-';
}

QString UnknownNameMessage() { return QStringLiteral("\" no está definido"); }

// A number literal in any base; false when the text is not one.
bool ReadNumberWithBase(const QString& text, Extended& value, std::uint8_t& base)
{
    try {
        value = ParseNumberWithBase(text);
    } catch (const EConvertError&) {
        // A base between brackets that is not an integer: not a number.
        return false;
    }
    if (numtext().BaseError)
        return false;
    base = numtext().LastBase;
    return true;
}

bool ReadFraction(const QString& text, Extended& value)
{
    TFormatoNum& f = NumberFormat();
    value = f.Parse(text);
    return !f.Error;
}

using ArgsGuard = exprcore::TArgsGuard<TEval, ECompilacion>;

constexpr exprcore::CompileLimits kCompileLimits{kMaxCompileDepth, kMaxCompileAttempts, kMaxCompileWork,
                                                 kCompileStackBudget};
using Driver = exprcore::TCompileDriver<TEval, ECompilacion, EUnknownName>;

} // namespace

struct TExpresion::CompileMemo : exprcore::TCompileMemo<TEval> {
    std::vector<const TMake*> expanding;   // user functions being expanded
};

// --------------------------------------------------------------------------
// Text preparation.

QString PreprocessExpression(const QString& text) { return exprcore::PreprocessText(text); }

QString ReplaceAltOperators(const QString& text) { return exprcore::ReplaceAltOperators(text); }

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
    const TEvalArray noParams;
    ParseLocalDefinitions(rest, noParams);
    const QString& kept = memo.keep(rest);
    TEval* root = ParseExpr(kept, noParams, ok);
    memo.forget(root);
    return root;
}

void TExpresion::ParseLocalDefinitions(QString& text, const TEvalArray& params)
{
    exprcore::ParseLocalDefinitionsT<CompileMemo, ECompilacion>(
        text, m_memo, [&](const QString& def, bool& ok) { return ParseExpr(def, params, ok); },
        [&](const QString& ident, TEval* tree) { SubExpressions.emplace_back(ident, tree); });
}

// --------------------------------------------------------------------------
// Syntax check.

bool TExpresion::CheckSyntax(QStringView text)
{
    const QString message = exprcore::SyntaxMessage(text);
    if (message.isEmpty())
        return true;
    SetParseMessage(message);
    return false;
}

// --------------------------------------------------------------------------
// The three levels, with their memory.

TEval* TExpresion::ParseExpr(QStringView text, const TEvalArray& params, bool& ok)
{
    return ParseLevel(kExpr, text, params, ok);
}

TEval* TExpresion::ParseTerm(QStringView text, const TEvalArray& params, bool& ok)
{
    return ParseLevel(kTerm, text, params, ok);
}

TEval* TExpresion::ParseFactor(QStringView text, const TEvalArray& params, bool& ok)
{
    return ParseLevel(kFactor, text, params, ok);
}

TEval* TExpresion::ParseLevel(int level, QStringView text, const TEvalArray& params, bool& ok)
{
    if (!m_memo)
        return ParseLevelAlone(level, text, params, ok);
    using Raw = TEval* (TExpresion::*)(QStringView, const TEvalArray&, bool&);
    const Raw raw = level == kExpr   ? &TExpresion::ParseExprRaw
                    : level == kTerm ? &TExpresion::ParseTermRaw
                                     : &TExpresion::ParseFactorRaw;
    return Driver::parseLevel(*m_memo, ParseMessage, m_messageWrites, kCompileLimits, level, text, ok, *this, raw, params);
}

// A level tried by hand, outside a compile: it gets a memory of its own.
TEval* TExpresion::ParseLevelAlone(int level, QStringView text, const TEvalArray& params, bool& ok)
{
    CompileMemo own;
    char top;
    own.stackTop = &top;
    m_memo = &own;
    struct Restore {
        TExpresion* e;
        ~Restore() { e->m_memo = nullptr; }
    } restore{this};
    TEval* node = ParseLevel(level, text, params, ok);
    own.forget(node);   // handed over uncounted
    return node;
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

} // namespace

namespace {

// The rules below each have a function of their own, kept out of line, so that
// the recursion of the splitter carries only the frame of the rule at work: deep
// texts then stay far from the end of the stack.

using Level3 = TEval* (TExpresion::*)(QStringView, const TEvalArray&, bool&);

// Both sides of the operator at `i` (left text ends at `leftEnd`) compiled with
// the given levels; a node of `kind` when both compile.
[[gnu::noinline]] TEval* SplitAt(TExpresion& e, QStringView text, qsizetype leftEnd, qsizetype i, NodeKind kind,
                                 Level3 left, Level3 right, const TEvalArray& params, bool& ok)
{
    bool okL = false, okR = false;
    NodeGuard l((e.*left)(text.left(leftEnd), params, okL));
    NodeGuard r((e.*right)(text.mid(i + 1), params, okR));
    if (!(okL && okR))
        return nullptr;
    TEval* node = CreateOp(kind, l.get(), r.get());
    l.release();
    r.release();
    ok = true;
    return node;
}

// TMul of a literal and a factor.
[[gnu::noinline]] TEval* ProductWithLiteral(TExpresion& e, Extended v, std::uint8_t base, QStringView rest,
                                            const TEvalArray& params, bool& ok, bool& raised)
{
    bool okF = false;
    TEval* factor = nullptr;
    try {
        factor = e.ParseFactor(rest, params, okF);
    } catch (const EUnknownName&) {
        // The implicit products take an unknown name as a plain failure.
        raised = true;
        return nullptr;
    }
    NodeGuard f(factor);
    if (!okF)
        return nullptr;
    NodeGuard num(new TNum(v, base));
    TEval* node = CreateOp(NodeKind::Mul, num.get(), f.get());
    num.release();
    f.release();
    ok = true;
    return node;
}

// An implicit product after a literal: for each split b from the last to the
// second, within the characters a literal may be written with and not at one
// of `inside` (a digit, a point, a bar, where no literal ends), when the text
// before b reads as a literal and the text from b on compiles as a factor. The
// longest literal is tried first.
using LiteralReader = bool (*)(const QString& text, Extended& value, std::uint8_t& base);

[[gnu::noinline]] TEval* ImplicitProduct(TExpresion& e, QStringView text, const TEvalArray& params, bool& ok,
                                         bool (*literalChar)(QChar), bool (*inside)(QChar), LiteralReader read)
{
    const qsizetype n = text.size();
    qsizetype limit = 0;
    while (limit < n && literalChar(text[limit]))
        ++limit;
    for (qsizetype b = std::min(n - 1, limit); b >= 1; --b) {
        if (inside(text[b]))
            continue;
        Extended v = 0;
        std::uint8_t base = 10;
        if (!read(text.left(b).toString(), v, base))
            continue;
        bool raised = false;
        if (TEval* node = ProductWithLiteral(e, v, base, text.mid(b), params, ok, raised))
            return node;
    }
    return nullptr;
}

// After a number in any base with a value above 0 (2pi, 12x).
TEval* ImplicitAfterNumber(TExpresion& e, QStringView text, const TEvalArray& params, bool& ok)
{
    return ImplicitProduct(
        e, text, params, ok, IsNumberChar, [](QChar c) { return c == QLatin1Char('.') || IsDigit(c); },
        [](const QString& t, Extended& v, std::uint8_t& base) { return ReadNumberWithBase(t, v, base) && v > 0; });
}

// After a fraction or plain decimal (0x, 3|4x).
TEval* ImplicitAfterFraction(TExpresion& e, QStringView text, const TEvalArray& params, bool& ok)
{
    return ImplicitProduct(
        e, text, params, ok, IsFractionChar, [](QChar c) { return IsDigit(c) || c == QLatin1Char('|'); },
        [](const QString& t, Extended& v, std::uint8_t& base) {
            base = 10;
            return ReadFraction(t, v);
        });
}

[[gnu::noinline]] TEval* Percent(TExpresion& e, QStringView text, const TEvalArray& params, bool& ok)
{
    bool okF = false;
    NodeGuard f(e.ParseFactor(text.left(text.size() - 1), params, okF));
    if (!okF)
        return nullptr;
    NodeGuard hundred(new TNum(100));
    TEval* node = CreateOp(NodeKind::Div, f.get(), hundred.get());
    f.release();
    hundred.release();
    ok = true;
    return node;
}

[[gnu::noinline]] TEval* UnaryMinus(TExpresion& e, QStringView text, const TEvalArray& params, bool& ok)
{
    bool okR = false;
    NodeGuard r(e.ParseExpr(text.mid(1), params, okR));
    if (!okR)
        return nullptr;
    NodeGuard zero(new TNum(0));
    TEval* node = CreateOp(NodeKind::Resta, zero.get(), r.get());
    zero.release();
    r.release();
    ok = true;
    return node;
}

// The start of every level: the text must pass the syntax check, and a text
// between single quotes is a message at any level. True when that settles the
// level: `node` is then the message, or none when the check failed.
bool LevelSettled(TExpresion& e, QStringView text, bool& ok, TEval*& node)
{
    ok = false;
    node = nullptr;
    if (!e.CheckSyntax(text))
        return true;
    if (!exprcore::IsQuotedMessage(text))
        return false;
    ok = true;
    node = new TExprMsg(text.mid(1, text.size() - 2).toString());
    return true;
}

TEval* NewExt(Extended v, const QString& text, const TNodeMeasureProc& m, const TNodeDrawProc& d)
{
    auto* ext = new TExt(v);
    ext->Text = text.left(255);
    ext->MeasureProc = m;
    ext->DrawProc = d;
    return ext;
}

} // namespace

TEval* TExpresion::ParseExprRaw(QStringView text, const TEvalArray& params, bool& ok)
{
    if (TEval* settled = nullptr; LevelSettled(*this, text, ok, settled))
        return settled;
    const qsizetype n = text.size();

    // Logical operators, rightmost first.
    for (qsizetype i = n - 1; i >= 0; --i) {
        const QChar c = text[i];
        if (c != QLatin1Char('!') && c != QLatin1Char('$') && c != QLatin1Char('&'))
            continue;
        const NodeKind k = c == QLatin1Char('!') ? NodeKind::Xor
                           : c == QLatin1Char('$') ? NodeKind::Or
                                                   : NodeKind::And;
        if (TEval* node = SplitAt(*this, text, i, i, k, &TExpresion::ParseExpr, &TExpresion::ParseExpr, params, ok))
            return node;
    }

    // Comparisons, rightmost first; two signs in a row are one operator.
    for (qsizetype i = n - 1; i >= 0; --i) {
        if (!IsComparisonChar(text[i]))
            continue;
        const bool pair = i > 0 && IsComparisonChar(text[i - 1]);
        const NodeKind k = ComparisonKind(pair ? text[i - 1] : QChar(), text[i], pair);
        if (TEval* node = SplitAt(*this, text, pair ? i - 1 : i, i, k, &TExpresion::ParseExpr,
                                  &TExpresion::ParseExpr, params, ok))
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
        if (TEval* node = SplitAt(*this, text, i, i, k, &TExpresion::ParseExpr, &TExpresion::ParseTerm, params, ok))
            return node;
    }

    // Unary minus: 0 - the rest.
    if (text.front() == QLatin1Char('-')) {
        if (TEval* node = UnaryMinus(*this, text, params, ok))
            return node;
    }

    return ParseTerm(text, params, ok);
}

TEval* TExpresion::ParseTermRaw(QStringView text, const TEvalArray& params, bool& ok)
{
    if (TEval* settled = nullptr; LevelSettled(*this, text, ok, settled))
        return settled;
    for (qsizetype i = text.size() - 1; i >= 1; --i) {
        const QChar c = text[i];
        if (c != QLatin1Char('*') && c != QLatin1Char('/'))
            continue;
        const NodeKind k = c == QLatin1Char('*') ? NodeKind::Mul : NodeKind::Div;
        if (TEval* node = SplitAt(*this, text, i, i, k, &TExpresion::ParseTerm, &TExpresion::ParseFactor, params, ok))
            return node;
    }
    return ParseFactor(text, params, ok);
}

TEval* TExpresion::ParseFactorRaw(QStringView text, const TEvalArray& params, bool& ok)
{
    // 1. Syntax check and quoted message.
    if (TEval* settled = nullptr; LevelSettled(*this, text, ok, settled))
        return settled;
    const qsizetype n = text.size();

    // 2. A number in any base; 3. a fraction or plain decimal.
    {
        const QString str = text.toString();
        Extended v = 0;
        std::uint8_t base = 10;
        if (ReadNumberWithBase(str, v, base)) {
            ok = true;
            return new TNum(v, base);
        }
        if (ReadFraction(str, v)) {
            ok = true;
            return new TNum(v, 10);
        }
    }
    // 4. A parameter of a user function: the argument node itself.
    if (n == 2 && text[0] == QLatin1Char('?') && !params.empty()) {
        const QChar c = text[1].toUpper();
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) {
            const std::size_t idx = c.unicode() - 'A';
            if (idx < params.size()) {
                ok = true;
                return params[idx];
            }
        }
    }
    // 5. Implicit product after a number (2pi, 12x), the longest number first.
    if (TEval* node = ImplicitAfterNumber(*this, text, params, ok))
        return node;
    // 6. Implicit product after a fraction (0x, 3|4x).
    if (TEval* node = ImplicitAfterFraction(*this, text, params, ok))
        return node;
    // 7. Root, power, logarithm, rightmost first: a^b^c is (a^b)^c.
    for (qsizetype i = n - 1; i >= 1; --i) {
        const QChar c = text[i];
        NodeKind k;
        if (c == QLatin1Char('\\'))
            k = NodeKind::Raiz;
        else if (c == QLatin1Char('^'))
            k = NodeKind::Pot;
        else if (c.unicode() == 0xA3)
            k = NodeKind::LogN;
        else
            continue;
        if (TEval* node = SplitAt(*this, text, i, i, k, &TExpresion::ParseFactor, &TExpresion::ParseFactor, params, ok))
            return node;
    }
    // 8. Percent.
    if (text.back() == QLatin1Char('%')) {
        if (TEval* node = Percent(*this, text, params, ok))
            return node;
    }
    // 9. A named sub-expression, shared. The latest definition of a name wins:
    // the list also holds the definitions of earlier texts (EvaluateText).
    for (auto it = SubExpressions.rbegin(); it != SubExpressions.rend(); ++it) {
        if (QStringView(it->first).compare(text, Qt::CaseInsensitive) == 0) {
            ok = true;
            return it->second;
        }
    }
    // 10. The resolver tried before the table.
    if (OnResolveName) {
        bool resolved = false;
        const Extended v = OnResolveName(text.toString(), resolved);
        if (resolved) {
            ok = true;
            return NewExt(v, text.toString(), ExtMeasureProc, ExtDrawProc);
        }
    }
    // 11. A name of the table: final once the call splits and the name is known.
    {
        bool final = false;
        TEval* node = ParseNamedCall(text, params, ok, final);
        if (final)
            return node;
    }
    // 12. Parentheses: final, success or not.
    if (text.front() == QLatin1Char('(') && text.back() == QLatin1Char(')'))
        return ParseExpr(text.mid(1, n - 2), params, ok);
    // 13. The resolver of unknown names.
    if (OnResolveUnknown) {
        bool resolved = false;
        const Extended v = OnResolveUnknown(text.toString(), resolved);
        if (resolved) {
            ok = true;
            return NewExt(v, text.toString(), ExtMeasureProc, ExtDrawProc);
        }
    }
    // 14. Unknown: ends the compile.
    if (ParseMessage.isEmpty())
        SetParseMessage(QLatin1Char('"') + text.toString() + UnknownNameMessage());
    throw EUnknownName(ParseMessage);
}

void TExpresion::ParseCall(QStringView text, const TEvalArray& params, bool& ok, int& count, TEvalArray& args,
                           QString& name)
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
    // Arguments at parenthesis depth 0, separated by commas.
    const std::vector<QStringView> parts = exprcore::SplitArguments(inner);
    count = static_cast<int>(parts.size());
    ArgsGuard held;
    for (QStringView part : parts) {
        bool okA = false;
        TEval* a = ParseExpr(part, params, okA);
        if (!okA)
            return;   // the arguments compiled so far go with `held`
        held.add(a);
    }
    args = held.releaseAll();
    ok = true;
}

namespace {
// The message of a call with the wrong number of arguments; empty when right.
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

TEval* TExpresion::ParseNamedCall(QStringView text, const TEvalArray& params, bool& ok, bool& final)
{
    ok = false;
    final = false;
    bool okC = false;
    int count = 0;
    TEvalArray args;
    QString name;
    ParseCall(text, params, okC, count, args, name);
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
    TEval* node = nullptr;
    if (auto* user = dynamic_cast<TMakeUser*>(entry)) {
        node = ExpandUserFunction(registered, user, held.nodes(), ok);
    } else {
        // The entry sees this call's arguments only while it builds the node.
        struct ClearArgs {
            TMake* e;
            ~ClearArgs() { e->Args.clear(); }
        } clearArgs{entry};
        entry->Args = held.nodes();
        node = entry->Make();
        node->Text = registered.left(255);
        ok = true;
    }
    held.finish(node);
    return node;
}

TEval* TExpresion::ExpandUserFunction(const QString& name, TMakeUser* entry, const TEvalArray& args, bool& ok)
{
    ok = false;
    auto& expanding = m_memo->expanding;
    // A body can only call itself without end: every call compiles its body.
    if (std::find(expanding.begin(), expanding.end(), entry) != expanding.end())
        throw ECompilacion(Format(QStringLiteral("La función %s se llama a sí misma"), {name}));
    expanding.push_back(entry);
    struct Pop {
        std::vector<const TMake*>& v;
        ~Pop() { v.pop_back(); }
    } pop{expanding};

    // A copy of the body per call: the attempts remembered for one call's
    // parameters never stand for another's.
    const QString& body = m_memo->keep(entry->Body);
    bool okB = false;
    NodeGuard b(ParseExpr(body, args, okB));
    if (!okB)
        return nullptr;
    if (InlineUserFunctions) {
        ok = true;
        return b.release();
    }
    TFunUser* f = CreateFunUser(b.get(), args);
    b.release();
    f->Text = name.left(255);
    ok = true;
    return f;
}

} // namespace real
