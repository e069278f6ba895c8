#pragma once
// The expression compiler of the three engines: a backtracking splitter. Each
// level looks for the rightmost operator of its own kind at which both sides
// compile and falls back to the next level when there is none; a failed attempt
// only leaves a message. Every attempt goes through the memory of
// engine/compilerdriver.h.
//
// An engine instantiates TCompiler with a traits struct and keeps in its own
// compiler.cpp only what differs: its literals, which operators it has, how its
// nodes hold a number. The traits (derived from TCompilerTypes) give:
//   Expr, Node, Params (the "?A".."?Z" arguments, or NoParams), Kind,
//   CompileError, Guard, Msg                    types of the engine;
//   Ext, Value                                  (with resolvers) the node of a resolved name
//                                               and its value;
//   MakeUser                                    (with user functions) its user-function entry;
//   kRules                                      the rules it has (CompileRules);
//   number(int)                                 a literal node of a small integer;
//   numberInBase(BaseNumber)                    (with BaseNumberRule) a number's node;
//   literal(text)                               the node of a whole-text literal, or none;
//   implicitProducts(e, text, params, ok)       its products after a literal (2pi, 3|4x),
//                                               built with implicitProduct;
//   resolve(resolver, name, value)              (with resolvers) asks a resolver.
// The engine's TExpresion holds ParseMessage, SubExpressions, m_memo (a
// CompileMemo derived from TCompileMemo), m_messageWrites and m_table, and
// befriends TCompiler. CreateOp and CreateFunUser are found in the engine's
// namespace through their arguments.
//
// The splitter recurses through level(); every rule has a function of its own,
// kept out of line, so that the recursion carries only the frames of the rules
// at work: deep texts then stay far from the end of the stack.

#include "engine/compilerdriver.h"
#include "engine/exprobject.h"
#include "engine/splitter.h"

#include "foundation/core/format.h"

#include <QString>
#include <QStringView>

#include <algorithm>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace exprcore {

// The parameters of an engine without user functions.
struct NoParams {};

// The rules an engine's compiler has beyond the common ones.
struct CompileRules {
    bool logical = false;         // "!" (xor), "$" (or), "&" (and)
    bool logN = false;            // the logarithm operator "£"
    bool percent = false;         // x% = x/100
    bool resolvers = false;       // OnResolveName before the table, OnResolveUnknown after it
    bool userFunctions = false;   // TMakeUser entries expanded with their arguments
    bool barIsOperator = true;    // "|" counts as an operator in the syntax check
};

// The types every engine's traits name, and the caps of a compile.
template <class ExprT, class NodeT, class ParamsT, class KindT, class CompileErrorT, class GuardT, class MsgT,
          class ExtT = void, class ValueT = void, class MakeUserT = void>
struct TCompilerTypes {
    using Expr = ExprT;
    using Node = NodeT;
    using Params = ParamsT;
    using Kind = KindT;
    using CompileError = CompileErrorT;
    using Guard = GuardT;
    using Msg = MsgT;
    using Ext = ExtT;
    using Value = ValueT;
    using MakeUser = MakeUserT;
    static constexpr CompileLimits kLimits{objectdefs::kMaxCompileDepth, objectdefs::kMaxCompileAttempts,
                                           objectdefs::kMaxCompileWork, objectdefs::kCompileStackBudget};
};

enum CompileLevel { kLevelExpr = 0, kLevelTerm = 1, kLevelFactor = 2 };

// The linear compile path tried before the splitter (engine/fastcompiler.h).
template <class T>
class TFastCompiler;

template <class T>
class TCompiler {
public:
    using Expr = typename T::Expr;
    using Node = typename T::Node;
    using Params = typename T::Params;
    using Kind = typename T::Kind;
    using Error = typename T::CompileError;
    using Guard = typename T::Guard;
    using Memo = typename Expr::CompileMemo;

    // The unknown-name error of a factor. It ends the compile like any compile
    // error, but the implicit products take it as a plain failure of their
    // attempt (so that "50%" reaches the percent rule).
    class UnknownName : public Error {
    public:
        using Error::Error;
    };

    using Driver = TCompileDriver<Node, Error, UnknownName>;
    using ArgsGuard = TArgsGuard<Node, Error>;

    // ---- the entry points ----

    // A whole text: its local definitions, then the expression. A message of an
    // earlier compile never stands for this one.
    static Node* compile(Expr& e, const QString& text, bool& ok)
    {
        ok = false;
        e.ParseMessage.clear();
        // The linear path answers every text it can decide with the very tree
        // the splitter builds; any other text (and every wrong one) is the
        // splitter's, from scratch.
        if (Node* root = TFastCompiler<T>::compile(e, text)) {
            ok = true;
            return root;
        }
        Memo memo;
        char top;
        memo.stackTop = &top;
        MemoScope scope{e, &memo};
        QString rest = text;
        const Params noParams{};
        localDefinitions(e, rest, noParams);
        const QString& kept = memo.keep(rest);
        Node* root = level(e, kLevelExpr, kept, noParams, ok);
        memo.forget(root);
        return root;
    }

    static void localDefinitions(Expr& e, QString& text, const Params& params)
    {
        ParseLocalDefinitionsT<Memo, Error>(
            text, e.m_memo, [&](const QString& def, bool& ok) { return level(e, kLevelExpr, def, params, ok); },
            [&](const QString& ident, Node* tree) { e.AddSubExpression(ident, tree); });
    }

    static bool checkSyntax(Expr& e, QStringView text)
    {
        const QString message = SyntaxMessage(text, T::kRules.barIsOperator);
        if (message.isEmpty())
            return true;
        setMessage(e, message);
        return false;
    }

    // One level with its memory; called outside a compile, it gets a memory of
    // its own. Results come uncounted.
    [[gnu::noinline]] static Node* level(Expr& e, int lvl, QStringView text, const Params& params, bool& ok)
    {
        if (!e.m_memo)
            return levelAlone(e, lvl, text, params, ok);
        if (e.m_memo->fast)
            return TFastCompiler<T>::level(*e.m_memo, e, lvl, text, params, ok);
        using Raw = Node* (*)(Expr&, QStringView, const Params&, bool&);
        const Raw raw = lvl == kLevelExpr ? &exprRaw : lvl == kLevelTerm ? &termRaw : &factorRaw;
        return Driver::parseLevel(*e.m_memo, e.ParseMessage, e.m_messageWrites, T::kLimits, lvl, text, ok, e, raw,
                                  params);
    }

    // Splits "name(a,b,...)": compiles the arguments (returned uncounted: the
    // caller adopts or discards them); ok false when an argument does not compile.
    [[gnu::noinline]] static void call(Expr& e, QStringView text, const Params& params, bool& ok, int& count,
                                       std::vector<Node*>& args, QString& name)
    {
        ok = false;
        count = 0;
        args.clear();
        name.clear();
        if (!checkSyntax(e, text))
            return;
        const qsizetype open = text.indexOf(QLatin1Char('('));
        if (open < 0) {
            name = text.toString().toUpper();
            ok = true;
            return;
        }
        name = text.left(open).toString().toUpper();
        const QStringView inner = text.mid(open + 1, text.size() - open - 2);
        const std::vector<QStringView> parts = SplitArguments(inner);
        count = static_cast<int>(parts.size());
        ArgsGuard held;
        for (QStringView part : parts) {
            bool okA = false;
            Node* a = level(e, kLevelExpr, part, params, okA);
            if (!okA)
                return;   // the arguments compiled so far go with `held`
            held.add(a);
        }
        args = held.releaseAll();
        ok = true;
    }

    // ---- the pieces an engine's own rules are made of ----

    // An implicit product after a literal: for each split b from the last to the
    // second, within the characters a literal may be written with
    // (Rule::literalChar) and not where no literal ends (Rule::inside(text, b)),
    // when the text before b reads as a literal (Rule::read) and the text from b
    // on compiles as a factor: Rule::make(literal) times the factor. The longest
    // literal is tried first, and only the first kLiteralTries places: each read
    // costs the length of the text, and a long run of letters ("aaaa...") would
    // otherwise be read at every one of its places.
    static constexpr int kLiteralTries = 64;
    template <class Rule>
    [[gnu::noinline]] static Node* implicitProduct(Expr& e, QStringView text, const Params& params, bool& ok)
    {
        const qsizetype n = text.size();
        qsizetype limit = 0;
        while (limit < n && Rule::literalChar(text[limit]))
            ++limit;
        int tries = 0;
        for (qsizetype b = std::min(n - 1, limit); b >= 1; --b) {
            if (Rule::inside(text, b))
                continue;
            if (++tries > kLiteralTries)
                break;
            typename Rule::Literal v{};
            if (!Rule::read(text.left(b), v))
                continue;
            if (Node* node = productWithLiteral<Rule>(e, v, text.mid(b), params, ok))
                return node;
        }
        return nullptr;
    }

    // A number in any base above 0 (2pi, 12x); T::numberInBase makes its node.
    struct BaseNumberRule {
        using Literal = BaseNumber;
        static bool literalChar(QChar c) { return IsBaseNumberChar(c); }
        static bool inside(QStringView text, qsizetype b)
        {
            return text[b] == QLatin1Char('.') || IsAsciiDigit(text[b]);
        }
        static bool read(QStringView text, BaseNumber& v)
        {
            return ReadNumberWithBase(text.toString(), v) && v.value > 0;
        }
        static Node* make(const BaseNumber& v) { return T::numberInBase(v); }
    };

private:
    template <class>
    friend class TFastCompiler;

    // The node of `kind` over the nodes of two guards, which let go of them once
    // it is built.
    static Node* combine(Kind kind, Guard& l, Guard& r, bool& ok)
    {
        Node* node = CreateOp(kind, l.get(), r.get());
        l.release();
        r.release();
        ok = true;
        return node;
    }

    struct MemoScope {
        Expr& e;
        Memo* saved;
        MemoScope(Expr& expr, Memo* memo) : e(expr), saved(expr.m_memo) { e.m_memo = memo; }
        ~MemoScope() { e.m_memo = saved; }
        MemoScope(const MemoScope&) = delete;
        MemoScope& operator=(const MemoScope&) = delete;
    };

    static void setMessage(Expr& e, const QString& message)
    {
        e.ParseMessage = message;
        ++e.m_messageWrites;
    }

    // A level tried by hand, outside a compile.
    [[gnu::noinline]] static Node* levelAlone(Expr& e, int lvl, QStringView text, const Params& params, bool& ok)
    {
        Memo own;
        char top;
        own.stackTop = &top;
        MemoScope scope{e, &own};
        Node* node = level(e, lvl, text, params, ok);
        own.forget(node);   // handed over uncounted
        return node;
    }

    // The start of every level: the text must pass the syntax check, and a text
    // between single quotes is a message at any level. True when that settles the
    // level: `node` is then the message, or none when the check failed.
    [[gnu::noinline]] static bool settled(Expr& e, QStringView text, bool& ok, Node*& node)
    {
        ok = false;
        node = nullptr;
        if (!checkSyntax(e, text))
            return true;
        if (!IsQuotedMessage(text))
            return false;
        ok = true;
        node = new typename T::Msg(text.mid(1, text.size() - 2).toString());
        return true;
    }

    // Both sides of the operator at `i` (the left text ends at `leftEnd`)
    // compiled at the given levels; a node of `kind` when both compile.
    [[gnu::noinline]] static Node* splitAt(Expr& e, QStringView text, qsizetype leftEnd, qsizetype i, Kind kind,
                                           int left, int right, const Params& params, bool& ok)
    {
        bool okL = false, okR = false;
        Guard l(level(e, left, text.left(leftEnd), params, okL));
        Guard r(level(e, right, text.mid(i + 1), params, okR));
        if (!(okL && okR))
            return nullptr;
        return combine(kind, l, r, ok);
    }

    // `number` op the text compiled at `lvl` (0 - x), or the text op `number`
    // (x / 100) when not `numberFirst`.
    [[gnu::noinline]] static Node* withNumber(Expr& e, QStringView text, int lvl, Kind kind, int number,
                                              bool numberFirst, const Params& params, bool& ok)
    {
        bool okS = false;
        Guard s(level(e, lvl, text, params, okS));
        if (!okS)
            return nullptr;
        Guard num(T::number(number));
        return numberFirst ? combine(kind, num, s, ok) : combine(kind, s, num, ok);
    }

    template <class Rule>
    [[gnu::noinline]] static Node* productWithLiteral(Expr& e, const typename Rule::Literal& v, QStringView rest,
                                                      const Params& params, bool& ok)
    {
        bool okF = false;
        Node* factor = nullptr;
        try {
            factor = level(e, kLevelFactor, rest, params, okF);
        } catch (const UnknownName&) {
            // The implicit products take an unknown name as a plain failure.
            return nullptr;
        }
        Guard f(factor);
        if (!okF)
            return nullptr;
        Guard num(Rule::make(v));
        return combine(Kind::Mul, num, f, ok);
    }

    static bool isComparisonChar(QChar c)
    {
        return c == QLatin1Char('<') || c == QLatin1Char('=') || c == QLatin1Char('>');
    }

    // The comparison written by `b` alone, or by `a` and `b` in a row.
    static Kind comparisonKind(QChar a, QChar b, bool pair)
    {
        if (!pair) {
            switch (b.unicode()) {
            case '<': return Kind::Men;
            case '>': return Kind::May;
            default: return Kind::Igu;
            }
        }
        const char16_t x = a.unicode(), y = b.unicode();
        if (x == '<' && y == '<') return Kind::Men;
        if ((x == '<' && y == '=') || (x == '=' && y == '<')) return Kind::MenIgu;
        if ((x == '<' && y == '>') || (x == '>' && y == '<')) return Kind::Dist;
        if (x == '=' && y == '=') return Kind::Igu;
        if ((x == '>' && y == '=') || (x == '=' && y == '>')) return Kind::MayIgu;
        return Kind::May;   // ">>"
    }

    static Node* exprRaw(Expr& e, QStringView text, const Params& params, bool& ok)
    {
        if (Node* node = nullptr; settled(e, text, ok, node))
            return node;
        const qsizetype n = text.size();

        // Logical operators, rightmost first.
        if constexpr (T::kRules.logical) {
            OperatorScan<3> scan(text, {u'!', u'$', u'&'});
            for (qsizetype i = scan.prev(n - 1); i >= 0; i = scan.prev(i - 1)) {
                const QChar c = text[i];
                const Kind k = c == QLatin1Char('!') ? Kind::Xor : c == QLatin1Char('$') ? Kind::Or : Kind::And;
                if (Node* node = splitAt(e, text, i, i, k, kLevelExpr, kLevelExpr, params, ok))
                    return node;
            }
        }

        // Comparisons, rightmost first; two signs in a row are one operator.
        OperatorScan<3> comparisons(text, {u'<', u'=', u'>'});
        for (qsizetype i = comparisons.prev(n - 1); i >= 0; i = comparisons.prev(i - 1)) {
            const bool pair = i > 0 && isComparisonChar(text[i - 1]);
            const Kind k = comparisonKind(pair ? text[i - 1] : QChar(), text[i], pair);
            if (Node* node = splitAt(e, text, pair ? i - 1 : i, i, k, kLevelExpr, kLevelExpr, params, ok))
                return node;
        }

        // Addition and subtraction, rightmost first (not the sign of an exponent).
        OperatorScan<2> additions(text, {u'+', u'-'});
        for (qsizetype i = additions.prev(n - 1); i >= 1; i = additions.prev(i - 1)) {
            const QChar c = text[i];
            if (i >= 2 && (text[i - 1] == QLatin1Char('E') || text[i - 1] == QLatin1Char('e')) &&
                IsAsciiDigit(text[i - 2]))
                continue;
            const Kind k = c == QLatin1Char('+') ? Kind::Suma : Kind::Resta;
            if (Node* node = splitAt(e, text, i, i, k, kLevelExpr, kLevelTerm, params, ok))
                return node;
        }

        // Unary minus: 0 - the rest.
        if (text.front() == QLatin1Char('-')) {
            if (Node* node = withNumber(e, text.mid(1), kLevelExpr, Kind::Resta, 0, true, params, ok))
                return node;
        }
        return level(e, kLevelTerm, text, params, ok);
    }

    static Node* termRaw(Expr& e, QStringView text, const Params& params, bool& ok)
    {
        if (Node* node = nullptr; settled(e, text, ok, node))
            return node;
        OperatorScan<2> products(text, {u'*', u'/'});
        for (qsizetype i = products.prev(text.size() - 1); i >= 1; i = products.prev(i - 1)) {
            const QChar c = text[i];
            const Kind k = c == QLatin1Char('*') ? Kind::Mul : Kind::Div;
            if (Node* node = splitAt(e, text, i, i, k, kLevelTerm, kLevelFactor, params, ok))
                return node;
        }
        return level(e, kLevelFactor, text, params, ok);
    }

    static Node* factorRaw(Expr& e, QStringView text, const Params& params, bool& ok)
    {
        // The syntax check and a quoted message.
        if (Node* node = nullptr; settled(e, text, ok, node))
            return node;
        const qsizetype n = text.size();

        // The engine's literals.
        if (Node* node = T::literal(text)) {
            ok = true;
            return node;
        }
        // A parameter of a user function: the argument node itself.
        if constexpr (!std::is_same_v<Params, NoParams>) {
            if (Node* node = parameter(text, params)) {
                ok = true;
                return node;
            }
        }
        // Implicit products after a literal (2pi, 12x), the longest literal first.
        if (Node* node = T::implicitProducts(e, text, params, ok))
            return node;
        // Root, power, logarithm, rightmost first: a^b^c is (a^b)^c.
        OperatorScan<3> powers(text, {u'\\', u'^', char16_t(0xA3)});
        for (qsizetype i = powers.prev(n - 1); i >= 1; i = powers.prev(i - 1)) {
            const QChar c = text[i];
            Kind k;
            if (c == QLatin1Char('\\'))
                k = Kind::Raiz;
            else if (c == QLatin1Char('^'))
                k = Kind::Pot;
            else if (T::kRules.logN && c.unicode() == 0xA3)
                k = Kind::LogN;
            else
                continue;
            if (Node* node = splitAt(e, text, i, i, k, kLevelFactor, kLevelFactor, params, ok))
                return node;
        }
        // Percent.
        if constexpr (T::kRules.percent) {
            if (text.back() == QLatin1Char('%')) {
                if (Node* node = withNumber(e, text.left(n - 1), kLevelFactor, Kind::Div, 100, false, params, ok))
                    return node;
            }
        }
        // A named sub-expression, shared. The latest definition of a name wins:
        // the list also holds the definitions of earlier texts (EvaluateText).
        if (!e.SubExpressionIndex.isEmpty()) {
            const auto it = e.SubExpressionIndex.constFind(text.toString().toCaseFolded());
            if (it != e.SubExpressionIndex.constEnd()) {
                ok = true;
                return it.value();
            }
        }
        // The resolver tried before the table.
        if constexpr (T::kRules.resolvers) {
            if (Node* node = resolved(e, e.OnResolveName, text, ok))
                return node;
        }
        // A name of the table: final once the call splits and the name is known.
        {
            bool final = false;
            Node* node = namedCall(e, text, params, ok, final);
            if (final)
                return node;
        }
        // Parentheses: final, success or not.
        if (text.front() == QLatin1Char('(') && text.back() == QLatin1Char(')'))
            return level(e, kLevelExpr, text.mid(1, n - 2), params, ok);
        // The resolver of unknown names.
        if constexpr (T::kRules.resolvers) {
            if (Node* node = resolved(e, e.OnResolveUnknown, text, ok))
                return node;
        }
        // A text with a comparison or logical operator is no name: its split
        // failed (as in "1>=", whose right side is missing), and that failure
        // is an ordinary error of the expression, not an unknown name.
        if (hasOperatorOfExpr(text)) {
            if (e.ParseMessage.isEmpty())
                setMessage(e, QStringLiteral("Falta expresión"));
            ok = false;
            return nullptr;
        }
        // Unknown: ends the compile.
        unknown(e, text);
    }

    static bool hasOperatorOfExpr(QStringView text)
    {
        for (QChar c : text) {
            if (isComparisonChar(c))
                return true;
            if (T::kRules.logical && (c == QLatin1Char('!') || c == QLatin1Char('$') || c == QLatin1Char('&')))
                return true;
        }
        return false;
    }

    // "?A".."?Z" within the arguments of the call being expanded.
    static Node* parameter(QStringView text, const Params& params)
    {
        if (text.size() != 2 || text[0] != QLatin1Char('?') || params.empty())
            return nullptr;
        const QChar c = text[1].toUpper();
        if (c < QLatin1Char('A') || c > QLatin1Char('Z'))
            return nullptr;
        const std::size_t idx = c.unicode() - 'A';
        return idx < params.size() ? params[idx] : nullptr;
    }

    template <class Resolver>
    [[gnu::noinline]] static Node* resolved(Expr& e, const Resolver& resolver, QStringView text, bool& ok)
    {
        if (!resolver)
            return nullptr;
        const QString name = text.toString();
        typename T::Value v{};
        if (!T::resolve(resolver, name, v))
            return nullptr;
        auto* ext = new typename T::Ext(v);
        ext->Text = name.left(255);
        ext->MeasureProc = e.ExtMeasureProc;
        ext->DrawProc = e.ExtDrawProc;
        ok = true;
        return ext;
    }

    [[noreturn, gnu::noinline]] static void unknown(Expr& e, QStringView text)
    {
        if (e.ParseMessage.isEmpty())
            setMessage(e, UnknownNameMessage(text));
        throw UnknownName(e.ParseMessage);
    }

    [[gnu::noinline]] static Node* namedCall(Expr& e, QStringView text, const Params& params, bool& ok, bool& final)
    {
        ok = false;
        final = false;
        bool okC = false;
        int count = 0;
        std::vector<Node*> args;
        QString name;
        call(e, text, params, okC, count, args, name);
        return namedEntry(e, okC, count, args, name, ok, final);
    }

    // The rest of namedCall once the call is split: the node of the table's
    // entry `name` over the arguments (taken uncounted), when the arguments
    // compiled (okC) and the name is known (final).
    [[gnu::noinline]] static Node* namedEntry(Expr& e, bool okC, int count, const std::vector<Node*>& args,
                                              const QString& name, bool& ok, bool& final)
    {
        ok = false;
        final = false;
        ArgsGuard held;
        for (Node* a : args)
            held.add(a);
        if (!okC)
            return nullptr;
        const auto* item = e.m_table->FindItem(name);
        if (!item)
            return nullptr;
        auto* entry = item->Make;
        final = true;
        const QString registered = item->Name;
        const QString countMessage = ArgCountMessage(registered, count, entry->MinArgs, entry->MaxArgs);
        if (!countMessage.isEmpty()) {
            setMessage(e, countMessage);
            return nullptr;
        }
        Node* node = nullptr;
        if constexpr (T::kRules.userFunctions) {
            // (Only a user function's entry has category 5: the others skip the cast.)
            if (auto* user = entry->Category == 5 ? dynamic_cast<typename T::MakeUser*>(entry) : nullptr)
                node = expandUser(e, registered, user, held.nodes(), ok);
            else
                node = makeBuiltIn(entry, held.nodes(), registered, ok);
        } else {
            node = makeBuiltIn(entry, held.nodes(), registered, ok);
        }
        held.finish(node);
        return node;
    }

    // A built-in entry's node: the entry sees this call's arguments only while
    // it builds the node.
    template <class Entry>
    static Node* makeBuiltIn(Entry* entry, const std::vector<Node*>& args, const QString& name, bool& ok)
    {
        struct ClearArgs {
            Entry* e;
            ~ClearArgs() { e->Args.clear(); }
        } clearArgs{entry};
        entry->Args = args;
        Node* node = entry->Make();
        node->Text = name.size() <= 255 ? name : name.left(255);
        ok = true;
        return node;
    }

    // A user function's body compiled with this call's arguments.
    template <class User>
    [[gnu::noinline]] static Node* expandUser(Expr& e, const QString& name, User* entry, const Params& args, bool& ok)
    {
        ok = false;
        auto& expanding = e.m_memo->expanding;
        // A body can only call itself without end: every call compiles its body.
        if (std::find(expanding.begin(), expanding.end(), entry) != expanding.end())
            throw Error(Format(QStringLiteral("La función %s se llama a sí misma"), {name}));
        expanding.push_back(entry);
        struct Pop {
            std::vector<const void*>& v;
            ~Pop() { v.pop_back(); }
        } pop{expanding};

        // A copy of the body per call: the attempts remembered for one call's
        // parameters never stand for another's.
        const QString& body = e.m_memo->keep(entry->Body);
        bool okB = false;
        Guard b(level(e, kLevelExpr, body, args, okB));
        if (!okB)
            return nullptr;
        if (e.InlineUserFunctions) {
            ok = true;
            return b.release();
        }
        auto* f = CreateFunUser(b.get(), args);
        b.release();
        f->Text = name.left(255);
        ok = true;
        return f;
    }
};

} // namespace exprcore

#include "engine/fastcompiler.h"

// The compiler members of an engine's TExpresion whose levels take the
// "?A".."?Z" arguments, each handing over to `Core` (a TCompiler). Written in
// the engine's namespace, where TExpresion, TEval and TEvalArray are its own.
#define EXPRCORE_COMPILER_MEMBERS(Core)                                                                         \
    TEval* TExpresion::CompileRaw(const QString& text, bool& ok) { return Core::compile(*this, text, ok); }    \
    void TExpresion::ParseLocalDefinitions(QString& text, const TEvalArray& params)                             \
    {                                                                                                          \
        Core::localDefinitions(*this, text, params);                                                           \
    }                                                                                                          \
    bool TExpresion::CheckSyntax(QStringView text) { return Core::checkSyntax(*this, text); }                   \
    TEval* TExpresion::ParseExpr(QStringView text, const TEvalArray& params, bool& ok)                          \
    {                                                                                                          \
        return Core::level(*this, exprcore::kLevelExpr, text, params, ok);                                     \
    }                                                                                                          \
    TEval* TExpresion::ParseTerm(QStringView text, const TEvalArray& params, bool& ok)                          \
    {                                                                                                          \
        return Core::level(*this, exprcore::kLevelTerm, text, params, ok);                                     \
    }                                                                                                          \
    TEval* TExpresion::ParseFactor(QStringView text, const TEvalArray& params, bool& ok)                        \
    {                                                                                                          \
        return Core::level(*this, exprcore::kLevelFactor, text, params, ok);                                   \
    }                                                                                                          \
    void TExpresion::ParseCall(QStringView text, const TEvalArray& params, bool& ok, int& count, TEvalArray& args, \
                               QString& name)                                                                  \
    {                                                                                                          \
        Core::call(*this, text, params, ok, count, args, name);                                                \
    }
