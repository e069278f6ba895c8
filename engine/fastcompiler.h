#pragma once
// The linear compile path of the three engines, tried before the splitter of
// engine/compilercore.h. It builds exactly the tree the splitter builds, or it
// gives up and the splitter compiles the text from scratch: every wrong text,
// and every text it cannot decide, keeps the splitter's outcome and message.
//
// The splitter tries, at every level, each operator of the level's kind from
// the right, and takes the first at which both sides compile. Two facts make
// that search short:
//  - an operator inside parentheses (relative to the text being split) never
//    splits: the left side then has a parenthesis left open and the right one
//    a parenthesis closed early, so both fail the syntax check, which only
//    leaves a message. Those places are skipped.
//  - when both sides of the rightmost operator of its level compile, that is
//    the split; the left side is the same kind of text one operator shorter.
//    A chain of operators of one level is therefore built from the left in
//    one pass, in the order the splitter's recursion builds it, without the
//    recursion.
// The only places tried before the one that succeeds, and not skipped, are a
// minus after another operator ("2*-3"): its left side fails the syntax check,
// but the splitter compiles its right side all the same, which may raise. That
// side is compiled here too ("probed"), so that a text on which the splitter
// would raise is given up.
//
// Everything else follows the splitter's own order with its own pieces (the
// engine's literals and implicit products, the parameters, the named
// sub-expressions, the resolvers, the table's entries, user functions). A level
// answers a failure only where the splitter's answer is certain to be a failure
// that leaves nothing but a message (the syntax check, a call with the wrong
// number of arguments); anything else this path cannot follow gives up the
// whole compile. Messages are not kept: a compile that ends without a tree is
// the splitter's to answer.
//
// The memory of attempts is the splitter's memory (the same keys), so a text
// met twice in one compile gives the same node, as in the splitter. Depth is
// bounded by the stack budget of a compile and a cap of its own. A text whose
// parentheses nest past the cap is refused at once ("Expresión demasiado
// compleja"): the splitter, which takes at least as many levels for the same
// nesting, would only reach its own cap after a long search.

#include "engine/compilercore.h"
#include "engine/compilerdriver.h"
#include "engine/refnode.h"
#include "engine/splitter.h"

#include <QHash>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace exprcore {

// Whether compiles try the linear path first, and how many it answered and
// left to the splitter (tests and the fuzz targets compare both paths).
struct FastCompileState {
    bool Enabled = true;
    std::uint64_t Answered = 0;
    std::uint64_t Declined = 0;
    void reset() { *this = FastCompileState(); }
};
FastCompileState& fastCompile();

// What the linear path needs to know of one text it reads: the parenthesis
// matching each "(" (-1 when none; kept only for a text that has parentheses)
// and, in order, the places j at which an operator that cannot end an operand
// is followed by one that cannot begin one (rare: "2*-3").
struct FastText {
    const QChar* begin = nullptr;
    int size = 0;
    std::vector<int> match;
    std::vector<int> pairs;
    // How deep its parentheses nest (0 when they do not pair up).
    int depth = 0;
    void analyse(QStringView text, bool barIsOperator);
    // Whether such a place lies in [from, to).
    bool pairWithin(int from, int to) const
    {
        if (pairs.empty())
            return false;
        const auto it = std::lower_bound(pairs.begin(), pairs.end(), from);
        return it != pairs.end() && *it < to;
    }
};

// The traits an expression object was made with.
template <class D, class Traits>
Traits ExprTraitsOf(const TExpresionBase<D, Traits>*);

template <class T>
class TFastCompiler {
    using Core = TCompiler<T>;
    using Expr = typename T::Expr;
    using Node = typename T::Node;
    using Params = typename T::Params;
    using Kind = typename T::Kind;
    using Guard = typename T::Guard;
    using Memo = typename Expr::CompileMemo;
    using ArgsGuard = typename Core::ArgsGuard;
    // What keeps the engine's arithmetic from showing boxes (the complex
    // engine shows one before it raises).
    using Quiet = typename decltype(ExprTraitsOf(static_cast<Expr*>(nullptr)))::QuietScope;

    // Gives up the compile (never an error of the text: the splitter answers).
    struct GiveUp {};
    // The text nests deeper than a compile may go: refused.
    struct TooDeep {};

    // Nested levels allowed (the splitter's cap counts its own, deeper, levels).
    static constexpr int kMaxDepth = 4 * objectdefs::kMaxCompileDepth;
    // Minus signs after an operator whose right side is probed, per compile:
    // beyond, a text of nothing else is left to the splitter.
    static constexpr std::uint64_t kProbeBudget = 1u << 22;

    // A place of an operator of one level: [start, end) its characters.
    struct Op {
        int start;
        int end;
        Kind kind;
    };

    struct State {
        std::vector<std::unique_ptr<FastText>> texts;
        FastText* last = nullptr;
        std::vector<int> ops;   // operator places of the levels being parsed, stacked
        std::vector<Op> chain;  // the operators of the chains being built, stacked
        int depth = 0;
        std::uint64_t probed = 0;
        // The longest name among the named sub-expressions seen so far.
        std::size_t namesSeen = 0;
        qsizetype longestName = 0;

        // The stacks keep their room from one compile to the next (a long text
        // would otherwise grow them afresh, copying, at every compile).
        State()
        {
            ops.swap(spareOps);
            chain.swap(spareChain);
        }
        ~State()
        {
            ops.clear();
            chain.clear();
            if (ops.capacity() <= kSpareLimit && ops.capacity() > spareOps.capacity())
                ops.swap(spareOps);
            if (chain.capacity() <= kSpareLimit && chain.capacity() > spareChain.capacity())
                chain.swap(spareChain);
        }
        State(const State&) = delete;
        State& operator=(const State&) = delete;
    };
    static constexpr std::size_t kSpareLimit = std::size_t(1) << 20;
    static inline thread_local std::vector<int> spareOps;
    static inline thread_local std::vector<Op> spareChain;

public:
    // The tree of a whole text, uncounted; none when the splitter must answer.
    static Node* compile(Expr& e, const QString& text)
    {
        FastCompileState& fs = fastCompile();
        if (!fs.Enabled)
            return nullptr;
        const std::size_t namedBefore = e.SubExpressions.size();
        const auto indexBefore = e.SubExpressionIndex;
        State st;
        bool tooDeep = false;
        {
            Memo memo;
            char top;
            memo.stackTop = &top;
            memo.fast = &st;
            typename Core::MemoScope scope{e, &memo};
            // A fault met while folding gives the compile up and the splitter
            // meets it again: its box is shown then, once, as before.
            Quiet quiet(true);
            try {
                QString rest = text;
                const Params noParams{};
                Core::localDefinitions(e, rest, noParams);
                const QString& kept = memo.keep(rest);
                bool ok = false;
                Node* root = at(memo, e, kLevelExpr, kept, noParams, ok);
                if (ok) {
                    memo.forget(root);
                    memo.fast = nullptr;
                    ++fs.Answered;
                    return root;
                }
            } catch (const TooDeep&) {
                tooDeep = true;
            } catch (...) {
                // Given up, or the text raises: the splitter answers either.
            }
            memo.fast = nullptr;
        }
        dropNamed(e, namedBefore, indexBefore);
        e.ParseMessage.clear();
        ++fs.Declined;
        if (tooDeep)
            throw typename T::CompileError(QStringLiteral("Expresión demasiado compleja"));
        return nullptr;
    }

    // A level asked for by the splitter's own pieces while this path compiles.
    static Node* level(Memo& memo, Expr& e, int lvl, QStringView text, const Params& params, bool& ok)
    {
        return at(memo, e, lvl, text, params, ok);
    }

private:
    static State& state(Memo& memo) { return *static_cast<State*>(memo.fast); }

    // The named sub-expressions defined by a compile given up go, as
    // FreeSubExpressions frees them, last to first (a later one may hold an
    // earlier one, or be the very tree of an earlier name).
    static void dropNamed(Expr& e, std::size_t keep, const QHash<QString, Node*>& index)
    {
        auto& list = e.SubExpressions;
        if (list.size() > keep) {
            std::unordered_set<const Node*> older;
            for (std::size_t i = 0; i < keep; ++i)
                older.insert(list[i].second);
            std::unordered_map<const Node*, std::size_t> first;
            for (std::size_t i = keep; i < list.size(); ++i)
                first.try_emplace(list[i].second, i);
            for (std::size_t i = list.size(); i-- > keep;) {
                Node* t = list[i].second;
                if (!t || older.count(t) || first[t] != i)
                    continue;
                delete t;
            }
            list.resize(keep);
        }
        e.SubExpressionIndex = index;
    }

    // Whether `text` lies in the text that t analysed.
    static bool within(const FastText* t, QStringView text)
    {
        return t && text.data() >= t->begin && text.data() + text.size() <= t->begin + t->size;
    }

    [[gnu::noinline]] static const FastText& textOf(State& st, QStringView text)
    {
        if (within(st.last, text))
            return *st.last;
        for (auto it = st.texts.rbegin(); it != st.texts.rend(); ++it) {
            if (within(it->get(), text)) {
                st.last = it->get();
                return *st.last;
            }
        }
        // A text met for the first time (the main text, a definition, a body).
        auto t = std::make_unique<FastText>();
        t->analyse(text, T::kRules.barIsOperator);
        st.texts.push_back(std::move(t));
        st.last = st.texts.back().get();
        return *st.last;
    }

    static bool firstChar(QChar c) { return InFirstSet(c) && (T::kRules.barIsOperator || c != QLatin1Char('|')); }
    static bool lastChar(QChar c) { return InLastSet(c) && (T::kRules.barIsOperator || c != QLatin1Char('|')); }
    static constexpr bool isLogical(QChar c)
    {
        return T::kRules.logical && (c == QLatin1Char('!') || c == QLatin1Char('$') || c == QLatin1Char('&'));
    }
    static constexpr bool isComparison(QChar c)
    {
        return c == QLatin1Char('<') || c == QLatin1Char('=') || c == QLatin1Char('>');
    }
    static constexpr bool isPower(QChar c)
    {
        return c == QLatin1Char('^') || c == QLatin1Char('\\') || (T::kRules.logN && c.unicode() == 0xA3);
    }
    static bool isLetter(QChar c)
    {
        const char16_t u = c.unicode();
        return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
    }

    // The places of the level's operators outside parentheses in [a, b),
    // pushed on st.ops (and, at the factor level, the first "(" in `open`).
    // False when the parentheses of [a, b) do not pair up within it.
    [[gnu::noinline]] static bool scan(State& st, const FastText& tx, int lvl, int a, int b, int& open)
    {
        static constexpr ScanTable kTable = scanTable();
        // The characters that matter at this level, and the parentheses.
        const unsigned char wanted = static_cast<unsigned char>(
            kParen | (lvl == kLevelExpr ? kSign | kExprOp : lvl == kLevelTerm ? kTermOp : kPowerOp));
        open = -1;
        const QChar* s = tx.begin;
        for (int i = a; i < b; ++i) {
            const char16_t u = s[i].unicode();
            const unsigned char f = u < 256 ? kTable.flags[u] : 0;
            if (!(f & wanted))
                continue;
            const QChar c = s[i];
            if (c == QLatin1Char('(')) {
                const int m = tx.match[static_cast<std::size_t>(i)];
                if (m < 0 || m >= b)
                    return false;
                if (open < 0)
                    open = i;
                i = m;
                continue;
            }
            if (c == QLatin1Char(')'))
                return false;
            bool take = true;
            if (f & kSign) {
                // Not at the first place, nor the sign of an exponent (2E-3).
                const int r = i - a;
                take = r >= 1 && !(r >= 2 && (s[i - 1] == QLatin1Char('E') || s[i - 1] == QLatin1Char('e')) &&
                                   IsAsciiDigit(s[i - 2]));
            }
            if (take)
                st.ops.push_back(i);
        }
        return true;
    }

    // What each character below 256 is to scan(): "(" or ")", a sign, another
    // operator of an expression, of a term, of a factor.
    enum : unsigned char { kParen = 1, kSign = 2, kExprOp = 4, kTermOp = 8, kPowerOp = 16 };
    struct ScanTable {
        unsigned char flags[256] = {};
    };
    static constexpr ScanTable scanTable()
    {
        ScanTable t;
        for (int c = 0; c < 256; ++c) {
            const QChar q(static_cast<char16_t>(c));
            unsigned char f = 0;
            if (q == QLatin1Char('(') || q == QLatin1Char(')'))
                f |= kParen;
            if (q == QLatin1Char('+') || q == QLatin1Char('-'))
                f |= kSign;
            if (isLogical(q) || isComparison(q))
                f |= kExprOp;
            if (q == QLatin1Char('*') || q == QLatin1Char('/'))
                f |= kTermOp;
            if (isPower(q))
                f |= kPowerOp;
            t.flags[c] = f;
        }
        return t;
    }

    struct DepthScope {
        int& depth;
        explicit DepthScope(int& d) : depth(d) { ++depth; }
        ~DepthScope() { --depth; }
        DepthScope(const DepthScope&) = delete;
        DepthScope& operator=(const DepthScope&) = delete;
    };

    // Pops the operator places a level pushed, however it ends.
    struct OpsScope {
        std::vector<int>& ops;
        std::size_t base;
        explicit OpsScope(std::vector<int>& o) : ops(o), base(o.size()) {}
        ~OpsScope() { ops.resize(base); }
        OpsScope(const OpsScope&) = delete;
        OpsScope& operator=(const OpsScope&) = delete;
    };

    // Where a level's text lies, and whether it passes the syntax check (with
    // the places of its operators pushed on st.ops).
    struct Place {
        const FastText* tx;
        int a;
        int b;
        int open;
        bool passes;
    };

    // One level of [a, b) of the text that `text` lies in: the settled start of
    // every splitter level (syntax check, quoted message), then the level's
    // rules. The results of expressions and factors are remembered. (Nested
    // texts recurse through here: its frame stays small.)
    [[gnu::noinline]] static Node* at(Memo& memo, Expr& e, int lvl, QStringView text, const Params& params, bool& ok)
    {
        ok = false;
        State& st = state(memo);
        // (Nearly always the text of the level before: no call to find it.)
        const FastText& tx = within(st.last, text) ? *st.last : textOf(st, text);
        const bool remember = worthRemembering(tx, lvl, text);
        Node* node = nullptr;
        if (remember && recall(memo, lvl, text, ok, node))
            return node;
        DepthScope deeper(st.depth);
        {
            OpsScope ops(st.ops);
            const Place p = place(memo, tx, lvl, text);
            // Every pair of parentheses takes at least three levels
            // (expression, term, factor) on either path, and the splitter
            // stops at fewer: a text that passes its syntax check and nests
            // past the cap is refused here, before thousands of levels are
            // entered and left again.
            if (p.passes && tx.depth > kMaxDepth / 3)
                throw TooDeep{};
            if (p.passes) {
                if (IsQuotedMessage(text)) {
                    node = message(text);
                    ok = true;
                } else if (lvl == kLevelExpr) {
                    node = expr(memo, e, *p.tx, p.a, p.b, ops.base, params, ok);
                } else if (lvl == kLevelTerm) {
                    node = term(memo, e, *p.tx, p.a, p.b, ops.base, params, ok);
                } else {
                    node = factor(memo, e, *p.tx, p.a, p.b, ops.base, p.open, params, ok);
                }
            }
        }
        if (!ok) {
            DiscardT(node);
            node = nullptr;
        }
        if (remember)
            keep(memo, lvl, text, node, ok);
        return node;
    }

    // The levels met again in one compile are those of calls and
    // parentheses (an argument is also the text between the parentheses) and
    // the sides probed; a plain number or name costs less to read again than
    // to remember, and reads the same. (Out of line: its search would take room
    // in every frame of the recursion.)
    [[gnu::noinline]] static bool worthRemembering(const FastText& tx, int lvl, QStringView text)
    {
        // (`match` is kept only for a text that has parentheses.)
        if (lvl == kLevelTerm || tx.match.empty())
            return false;
        if (lvl == kLevelExpr && text.data() > tx.begin && text.data()[-1] == QLatin1Char('('))
            return true;
        return text.contains(QLatin1Char('('));
    }

    [[gnu::noinline]] static bool recall(Memo& memo, int lvl, QStringView text, bool& ok, Node*& node)
    {
        if (memo.entries.empty())
            return false;
        const auto it = memo.entries.find(MemoKey{text.data(), text.size(), lvl});
        if (it == memo.entries.end())
            return false;
        ok = it->second.ok;
        node = it->second.node;
        return true;
    }

    [[gnu::noinline]] static Place place(Memo& memo, const FastText& tx, int lvl, QStringView text)
    {
        State& st = state(memo);
        char here;
        if (st.depth > kMaxDepth || (memo.stackTop && memo.stackTop - &here > T::kLimits.stackBudget))
            throw GiveUp{};
        Place p{&tx, static_cast<int>(text.data() - tx.begin), 0, -1, false};
        p.b = p.a + static_cast<int>(text.size());
        const QChar* s = tx.begin;
        p.passes = p.a < p.b && !firstChar(s[p.a]) && !lastChar(s[p.b - 1]) &&
                   !tx.pairWithin(p.a + 1, p.b) && scan(st, tx, lvl, p.a, p.b, p.open);
        return p;
    }

    [[gnu::noinline]] static void keep(Memo& memo, int lvl, QStringView text, Node* node, bool ok)
    {
        typename Memo::Entry entry;
        entry.ok = ok;
        entry.node = node;
        if (node)
            AddRefT<Node, typename T::CompileError>(node);
        memo.entries.emplace(MemoKey{text.data(), text.size(), lvl}, std::move(entry));
    }

    [[gnu::noinline]] static Node* message(QStringView text)
    {
        return new typename T::Msg(text.mid(1, text.size() - 2).toString());
    }

    static Node* sub(Memo& memo, Expr& e, const FastText& tx, int lvl, int a, int b, const Params& params,
                     bool& ok)
    {
        return at(memo, e, lvl, QStringView(tx.begin + a, b - a), params, ok);
    }

    // A level that must compile for the split found to be the splitter's.
    static Node* need(Memo& memo, Expr& e, const FastText& tx, int lvl, int a, int b, const Params& params)
    {
        bool ok = false;
        Node* node = sub(memo, e, tx, lvl, a, b, params, ok);
        if (!ok)
            throw GiveUp{};
        return node;
    }

    // Pops the operators a level pushed on st.chain, however it ends.
    struct ChainScope {
        std::vector<Op>& ops;
        std::size_t base;
        explicit ChainScope(std::vector<Op>& o) : ops(o), base(o.size()) {}
        ~ChainScope() { ops.resize(base); }
        ChainScope(const ChainScope&) = delete;
        ChainScope& operator=(const ChainScope&) = delete;
    };

    // A chain of operators of one level (st.chain from `from` on) in [a, b),
    // built from the left over `first`, the left side of the first operator,
    // each right side compiled at `lvl`: what the splitter's rightmost-first
    // recursion builds. The left side of each further operator must pass the
    // syntax check and not read as a quoted message of its own ('a'^'b'^2).
    [[gnu::noinline]] static Node* chain(Memo& memo, Expr& e, const FastText& tx, int a, int b, std::size_t from,
                                         int lvl, Node* first, const Params& params, bool& ok)
    {
        State& st = state(memo);
        const QChar* s = tx.begin;
        Node* acc = first;
        const std::size_t to = st.chain.size();
        for (std::size_t j = from; j < to; ++j) {
            Guard l(acc);
            const Op op = st.chain[j];
            if (j > from && (lastChar(s[op.start - 1]) ||
                             (s[a] == QLatin1Char('\'') && s[op.start - 1] == QLatin1Char('\''))))
                throw GiveUp{};
            const int end = j + 1 < to ? st.chain[j + 1].start : b;
            Guard r(need(memo, e, tx, lvl, op.end, end, params));
            acc = Core::combine(op.kind, l, r, ok);
        }
        ok = true;
        return acc;
    }

    // The operators that split an expression, pushed on st.chain after
    // `from`: logical ones (0) when there are any, else comparisons (1), else
    // none (2: additions, pushed by additive()).
    [[gnu::noinline]] static int exprOperators(State& st, const FastText& tx, std::size_t base, std::size_t from)
    {
        const QChar* s = tx.begin;
        const std::size_t top = st.ops.size();
        for (std::size_t k = base; k < top; ++k) {
            const int i = st.ops[k];
            const QChar c = s[i];
            if (isLogical(c))
                st.chain.push_back(
                    {i, i + 1, c == QLatin1Char('!') ? Kind::Xor : c == QLatin1Char('$') ? Kind::Or : Kind::And});
        }
        if (st.chain.size() > from)
            return 0;
        for (std::size_t k = base; k < top; ++k) {
            const int i = st.ops[k];
            if (!isComparison(s[i]))
                continue;
            // Two signs in a row are one operator; three are not this path's.
            if (st.chain.size() > from && st.chain.back().end == i) {
                Op& last = st.chain.back();
                if (last.end - last.start == 2)
                    throw GiveUp{};
                last.end = i + 1;
                last.kind = Core::comparisonKind(s[i - 1], s[i], true);
            } else {
                st.chain.push_back({i, i + 1, Core::comparisonKind(QChar(), s[i], false)});
            }
        }
        return st.chain.size() > from ? 1 : 2;
    }

    [[gnu::noinline]] static Node* expr(Memo& memo, Expr& e, const FastText& tx, int a, int b, std::size_t base,
                                        const Params& params, bool& ok)
    {
        State& st = state(memo);
        ChainScope ops(st.chain);
        if (exprOperators(st, tx, base, ops.base) == 2)
            return additive(memo, e, tx, a, b, base, params, ok);
        const Op& first = st.chain[ops.base];
        if (first.start == a || st.chain.back().end == b)
            throw GiveUp{};
        return chain(memo, e, tx, a, b, ops.base, kLevelExpr, need(memo, e, tx, kLevelExpr, a, first.start, params),
                     params, ok);
    }

    // Additions and subtractions, and the minus that opens the text. A sign
    // after an operator splits nothing (its left side fails the syntax check)
    // but its right side is compiled: probed, from the right, as far as the
    // next sign that does split.
    [[gnu::noinline]] static Node* additive(Memo& memo, Expr& e, const FastText& tx, int a, int b, std::size_t base,
                                            const Params& params, bool& ok)
    {
        State& st = state(memo);
        const QChar* s = tx.begin;
        const std::size_t from = st.chain.size();
        const std::size_t top = st.ops.size();
        for (std::size_t k = base; k < top; ++k) {
            const int i = st.ops[k];
            if (!lastChar(s[i - 1]))
                st.chain.push_back({i, i + 1, s[i] == QLatin1Char('+') ? Kind::Suma : Kind::Resta});
        }
        if (top - base > st.chain.size() - from)
            probe(memo, e, tx, b, base, from, params);
        const int firstEnd = st.chain.size() > from ? st.chain[from].start : b;
        Node* first = nullptr;
        if (s[a] == QLatin1Char('-'))
            first = negated(memo, e, tx, a, firstEnd, params);
        else
            first = st.chain.size() > from ? need(memo, e, tx, kLevelTerm, a, firstEnd, params)
                                           : need(memo, e, tx, kLevelTerm, a, firstEnd, params);
        return chain(memo, e, tx, a, b, from, kLevelTerm, first, params, ok);
    }

    [[gnu::noinline]] static void probe(Memo& memo, Expr& e, const FastText& tx, int b, std::size_t base,
                                        std::size_t from, const Params& params)
    {
        State& st = state(memo);
        std::size_t next = st.chain.size();
        for (std::size_t k = st.ops.size(); k-- > base;) {
            const int i = st.ops[k];
            while (next > from && st.chain[next - 1].start > i)
                --next;
            if (next > from && st.chain[next - 1].start == i)
                continue;
            const int end = next < st.chain.size() ? st.chain[next].start : b;
            st.probed += static_cast<std::uint64_t>(end - i);
            if (st.probed > kProbeBudget)
                throw GiveUp{};
            bool okP = false;
            DiscardT(sub(memo, e, tx, kLevelTerm, i + 1, end, params, okP));
        }
    }

    // "-" then an expression: 0 minus it, once per sign.
    [[gnu::noinline]] static Node* negated(Memo& memo, Expr& e, const FastText& tx, int a, int end,
                                           const Params& params)
    {
        int minus = 0;
        while (tx.begin[a + minus] == QLatin1Char('-'))
            ++minus;
        Node* acc = need(memo, e, tx, kLevelExpr, a + minus, end, params);
        bool ok = false;
        for (int k = 0; k < minus; ++k) {
            Guard x(acc);
            Guard zero(T::number(0));
            acc = Core::combine(Kind::Resta, zero, x, ok);
        }
        return acc;
    }

    [[gnu::noinline]] static Node* term(Memo& memo, Expr& e, const FastText& tx, int a, int b, std::size_t base,
                                        const Params& params, bool& ok)
    {
        State& st = state(memo);
        if (st.ops.size() == base)
            return sub(memo, e, tx, kLevelFactor, a, b, params, ok);
        ChainScope ops(st.chain);
        for (std::size_t k = base; k < st.ops.size(); ++k) {
            const int i = st.ops[k];
            st.chain.push_back({i, i + 1, tx.begin[i] == QLatin1Char('*') ? Kind::Mul : Kind::Div});
        }
        return chain(memo, e, tx, a, b, ops.base, kLevelFactor,
                     need(memo, e, tx, kLevelFactor, a, st.chain[ops.base].start, params), params, ok);
    }

    [[gnu::noinline]] static Node* factor(Memo& memo, Expr& e, const FastText& tx, int a, int b, std::size_t base,
                                          int open, const Params& params, bool& ok)
    {
        bool settled = false;
        Node* node = factorRules(memo, e, tx, a, b, base, open, params, ok, settled);
        if (settled)
            return node;
        bool final = false;
        node = namedCall(memo, e, tx, a, b, open, params, ok, final);
        if (final)
            return node;
        // Parentheses: final, success or not.
        const QChar* s = tx.begin;
        if (s[a] == QLatin1Char('(') && s[b - 1] == QLatin1Char(')'))
            return sub(memo, e, tx, kLevelExpr, a + 1, b - 1, params, ok);
        if constexpr (T::kRules.resolvers) {
            if (Node* found = Core::resolved(e, e.OnResolveUnknown, QStringView(s + a, b - a), ok))
                return found;
        }
        // An unknown name: the splitter's error, which ends the compile, or a
        // plain failure where an implicit product tries it ("50%": 50 times "%").
        throw typename Core::UnknownName(QString());
    }

    // The factor's rules before the table's names, in the splitter's order;
    // `settled` when one of them answers.
    [[gnu::noinline]] static Node* factorRules(Memo& memo, Expr& e, const FastText& tx, int a, int b,
                                               std::size_t base, int open, const Params& params, bool& ok,
                                               bool& settled)
    {
        State& st = state(memo);
        const QChar* s = tx.begin;
        const QStringView text(s + a, b - a);
        const bool powers = st.ops.size() > base;
        settled = true;
        // The engine's literals. A text that begins with a letter or "(" and
        // holds a "(" or an operator reads as no number in any engine, and
        // reading it would cost its length at every level of nesting.
        if (!((isLetter(s[a]) || s[a] == QLatin1Char('(')) && (open >= 0 || powers))) {
            if (Node* node = T::literal(text)) {
                ok = true;
                return node;
            }
        }
        if constexpr (!std::is_same_v<Params, NoParams>) {
            if (Node* node = Core::parameter(text, params)) {
                ok = true;
                return node;
            }
        }
        // Implicit products (no literal begins with "(").
        if (s[a] != QLatin1Char('(')) {
            if (Node* node = T::implicitProducts(e, text, params, ok))
                return node;
        }
        // Root, power, logarithm: a chain from the left.
        if (powers) {
            ChainScope ops(st.chain);
            for (std::size_t k = base; k < st.ops.size(); ++k) {
                const int i = st.ops[k];
                const QChar c = s[i];
                st.chain.push_back(
                    {i, i + 1, c == QLatin1Char('\\') ? Kind::Raiz : c == QLatin1Char('^') ? Kind::Pot : Kind::LogN});
            }
            return chain(memo, e, tx, a, b, ops.base, kLevelFactor,
                         need(memo, e, tx, kLevelFactor, a, st.chain[ops.base].start, params), params, ok);
        }
        if constexpr (T::kRules.percent) {
            if (s[b - 1] == QLatin1Char('%')) {
                bool okS = false;
                Guard x(sub(memo, e, tx, kLevelFactor, a, b - 1, params, okS));
                if (okS) {
                    Guard hundred(T::number(100));
                    return Core::combine(Kind::Div, x, hundred, ok);
                }
            }
        }
        if (!e.SubExpressionIndex.isEmpty() && text.size() <= longestName(st, e)) {
            const auto it = e.SubExpressionIndex.constFind(text.toString().toCaseFolded());
            if (it != e.SubExpressionIndex.constEnd()) {
                ok = true;
                return it.value();
            }
        }
        if constexpr (T::kRules.resolvers) {
            if (Node* node = Core::resolved(e, e.OnResolveName, text, ok))
                return node;
        }
        settled = false;
        return nullptr;
    }

    static qsizetype longestName(State& st, const Expr& e)
    {
        const auto& list = e.SubExpressions;
        for (; st.namesSeen < list.size(); ++st.namesSeen)
            st.longestName = std::max(st.longestName, list[st.namesSeen].first.toCaseFolded().size());
        return st.longestName;
    }

    // The table's entry named by [a, b), with its arguments when it is
    // "name(a,b,...)", as the splitter's call and namedCall take it.
    [[gnu::noinline]] static Node* namedCall(Memo& memo, Expr& e, const FastText& tx, int a, int b, int open,
                                             const Params& params, bool& ok, bool& final)
    {
        const QChar* s = tx.begin;
        if (open < 0)
            return entry(e, tx, a, b, true, 0, nullptr, ok, final);
        // The splitter reads the arguments up to the last character but one:
        // only the form whose "(" closes at the end is this path's.
        if (s[b - 1] != QLatin1Char(')') || tx.match[static_cast<std::size_t>(open)] != b - 1)
            throw GiveUp{};
        // The arguments, split at the commas outside parentheses.
        int count = 1;
        for (int i = open + 1; i < b - 1; ++i) {
            if (s[i] == QLatin1Char('('))
                i = tx.match[static_cast<std::size_t>(i)];
            else if (s[i] == QLatin1Char(','))
                ++count;
        }
        ArgsGuard held;
        for (int start = open + 1, end = start; start < b; start = ++end) {
            while (end < b - 1 && s[end] != QLatin1Char(',')) {
                if (s[end] == QLatin1Char('('))
                    end = tx.match[static_cast<std::size_t>(end)];
                ++end;
            }
            bool okA = false;
            Node* arg = sub(memo, e, tx, kLevelExpr, start, end, params, okA);
            if (!okA)
                return entry(e, tx, a, open, false, count, nullptr, ok, final);
            held.add(arg);
        }
        return entry(e, tx, a, open, true, count, &held, ok, final);
    }

    [[gnu::noinline]] static Node* entry(Expr& e, const FastText& tx, int a, int nameEnd, bool okC, int count,
                                         ArgsGuard* held, bool& ok, bool& final)
    {
        // The table compares names without regard to case; only a name beyond
        // ASCII is written in capitals first, as the splitter writes it.
        const QStringView view(tx.begin + a, nameEnd - a);
        const bool ascii = std::all_of(view.begin(), view.end(), [](QChar c) { return c.unicode() < 128; });
        const QString name = ascii ? QString::fromRawData(view.data(), view.size()) : view.toString().toUpper();
        const std::vector<Node*> args = held ? held->releaseAll() : std::vector<Node*>();
        return Core::namedEntry(e, okC, count, args, name, ok, final);
    }
};

} // namespace exprcore
