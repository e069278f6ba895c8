#pragma once
// Compiling a text both ways, through the linear path and through the
// splitter alone (engine/fastcompiler.h), and comparing everything a caller
// can see: the tree node by node (kinds, texts, counts, values, children, the
// variables read, user functions' bodies, which nodes are shared), the error
// code and messages, what a compile raises, and the value or fault of the
// tree. Shared by the engine test and the fuzz targets.

#include "engine/complex/expresion.h"
#include "engine/fastcompiler.h"
#include "engine/rational/expresion.h"
#include "engine/real/expresion.h"
#include "foundation/core/format.h"

#include <QString>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <utility>

namespace bothways {

// The engines, as the comparison drives them.

inline std::string Bits(const void* p, std::size_t n)
{
    static const char* hex = "0123456789abcdef";
    std::string s;
    const auto* b = static_cast<const unsigned char*>(p);
    for (std::size_t i = 0; i < n; ++i) {
        s += hex[b[i] >> 4];
        s += hex[b[i] & 15];
    }
    return s;
}

inline std::string ValueText(Extended v)
{
    if (std::isnan(v))
        return "nan";
    return Bits(&v, 10);
}
inline std::string ValueText(const complex::TComplex& v) { return ValueText(v.Re) + "," + ValueText(v.Im); }
inline std::string ValueText(const rational::TFrac& v) { return std::to_string(v.Num()) + "/" + std::to_string(v.Den()); }

// A failure of an evaluation, as a text to compare.
template <class Run>
std::string Outcome(Run&& run)
{
    try {
        return "v " + run();
    } catch (const EMathError& e) {
        return "math " + std::to_string(e.code());
    } catch (const Exception& e) {
        return "raise " + e.message().toStdString();
    } catch (const std::exception& e) {
        return std::string("std ") + e.what();
    }
}

struct Real {
    using Expr = real::TExpresion;
    using Node = real::TEval;
    using Var = real::TVar;
    using FunUser = real::TFunUser;
    static constexpr const char* kName = "real";
    static void SetUp(Expr& e)
    {
        e.SetUseBuiltIns(true);
        e.Silent = true;
        e.EnsureTable();
    }
    static void AddVariable(Expr& e, const QString& name, const QString& value)
    {
        Extended v = 0.75L;
        TryStrToFloat(value, v);
        e.AddVariable(name)->SetValue(v);
    }
    static std::string Evaluate(Node* n)
    {
        return Outcome([n] { return ValueText(real::EvaluateNode(n)); });
    }
    static std::string Extra(const Node* n)
    {
        if (n->Kind() == exprcore::NodeKind::Num)
            return std::to_string(static_cast<const real::TNum*>(n)->Base);
        return {};
    }
};

struct Complex {
    using Expr = complex::TExpresion;
    using Node = complex::TEval;
    using Var = complex::TVar;
    using FunUser = complex::TFunUser;
    static constexpr const char* kName = "complex";
    static void SetUp(Expr& e)
    {
        complex::StartUp();
        e.SetUseBuiltIns(true);
        e.Silent = true;
        e.EnsureTable();
    }
    static void AddVariable(Expr& e, const QString& name, const QString&)
    {
        e.AddVariable(name)->SetValue(complex::TComplex{0.5L, -1.25L});
    }
    static std::string Evaluate(Node* n)
    {
        // As a silent expression evaluates: no box on the way.
        complex::ComplexQuietErrors quiet(true);
        return Outcome([n] { return ValueText(n->Eval()); });
    }
    static std::string Extra(const Node*) { return {}; }
};

struct Rational {
    using Expr = rational::TExpresion;
    using Node = rational::TEval;
    using Var = rational::TVar;
    using FunUser = void;
    static constexpr const char* kName = "rational";
    static void SetUp(Expr& e)
    {
        rational::StartUp();
        e.SetUseBuiltIns(true);
        e.Silent = true;
        e.EnsureTable();
    }
    // As the fractions window registers its letters: functions without arguments.
    static void AddVariable(Expr& e, const QString& name, const QString&)
    {
        e.AddFunction0(name, [] { return rational::TFrac(1, 2); }, 2, QString());
    }
    static std::string Evaluate(Node* n)
    {
        return Outcome([n] { return ValueText(n->Evaluate()); });
    }
    static std::string Extra(const Node*) { return {}; }
};

// Two trees alike node by node: kinds, texts, counts, values, children, the
// variables read, user functions' bodies, and which nodes are shared.
// Milliseconds of processor time the calling thread has used.
inline double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

template <class E>
class TreeMatch {
public:
    using Node = typename E::Node;
    std::string difference;

    bool same(const Node* a, const Node* b, const std::string& path = "root")
    {
        if (!a || !b)
            return expect(a == b, path, "one tree is missing");
        const auto it = m_seen.find(a);
        if (it != m_seen.end())
            return expect(it->second == b, path, "sharing differs");
        m_seen.emplace(a, b);
        if (!expect(a->Kind() == b->Kind(), path, "kind " + std::to_string(int(a->Kind())) + " vs " +
                                                      std::to_string(int(b->Kind()))) ||
            !expect(a->Text == b->Text, path, "text " + a->Text.toStdString() + " vs " + b->Text.toStdString()) ||
            !expect(a->RefCount == b->RefCount, path, "count") ||
            !expect(ValueText(a->Value) == ValueText(b->Value), path, "value") ||
            !expect(E::Extra(a) == E::Extra(b), path, "literal base") ||
            !expect(a->Children.size() == b->Children.size(), path, "children"))
            return false;
        if (a->Kind() == exprcore::NodeKind::Var &&
            !expect(static_cast<const typename E::Var*>(a)->Variable ==
                        static_cast<const typename E::Var*>(b)->Variable,
                    path, "variable"))
            return false;
        if constexpr (!std::is_void_v<typename E::FunUser>) {
            if (a->Kind() == exprcore::NodeKind::FunUser &&
                !same(static_cast<const typename E::FunUser*>(a)->Body,
                      static_cast<const typename E::FunUser*>(b)->Body, path + ".body"))
                return false;
        }
        for (std::size_t i = 0; i < a->Children.size(); ++i)
            if (!same(a->Children[i], b->Children[i], path + "." + std::to_string(i)))
                return false;
        return true;
    }

private:
    bool expect(bool ok, const std::string& path, const std::string& what)
    {
        if (!ok && difference.empty())
            difference = path + ": " + what;
        return ok;
    }
    std::unordered_map<const Node*, const Node*> m_seen;
};

// One compile of a text, with everything the caller can see of it.
template <class E>
struct Compiled {
    typename E::Node* tree = nullptr;
    std::string raised;
    bool hasError = false;
    int code = 0;
    QString message;
    QString parseMessage;
    ~Compiled() { Discard(tree); }
};

template <class E>
void CompileOnce(typename E::Expr& e, const QString& text, bool fast, Compiled<E>& out)
{
    exprcore::fastCompile().Enabled = fast;
    try {
        out.tree = e.Compile(text);
    } catch (const Exception& ex) {
        out.raised = ex.message().toStdString();
    } catch (const std::exception& ex) {
        out.raised = ex.what();
    }
    exprcore::fastCompile().Enabled = true;
    out.hasError = e.HasError;
    out.code = e.ErrorCode;
    out.message = e.ErrorMessage;
    out.parseMessage = out.tree ? QString() : e.ParseMessage;
}

// What a comparison saw: whether the linear path answered, whether the
// splitter gave a tree, and the first difference (empty when none).
struct Seen {
    bool answered = false;
    bool compiled = false;
    std::string difference;
    double compileMs = 0;   // the compile as the program runs it (linear path first)
};

// The first difference between two compiles of one text, the linear path's
// and the splitter's (each left `named` named sub-expressions), into `seen`.
template <class E>
void Differ(const Compiled<E>& fast, const Compiled<E>& split, std::size_t fastNamed, std::size_t splitNamed,
            Seen& seen)
{
    const auto differ = [&seen](bool same, const std::string& what) {
        if (!same && seen.difference.empty())
            seen.difference = what;
    };
    differ(fast.raised == split.raised, "raised: " + fast.raised + " | " + split.raised);
    differ(fast.hasError == split.hasError, "HasError");
    differ(fast.code == split.code, "ErrorCode " + std::to_string(fast.code) + " | " + std::to_string(split.code));
    differ(fast.message == split.message,
           "ErrorMessage: " + fast.message.toStdString() + " | " + split.message.toStdString());
    differ(fast.parseMessage == split.parseMessage,
           "ParseMessage: " + fast.parseMessage.toStdString() + " | " + split.parseMessage.toStdString());
    differ(fastNamed == splitNamed, "named sub-expressions");
    TreeMatch<E> match;
    differ(match.same(fast.tree, split.tree), "tree: " + match.difference);
    if (fast.tree && split.tree && !fast.tree->IsVolatile() && !fast.tree->CallsOut()) {
        const std::string a = E::Evaluate(fast.tree), b = E::Evaluate(split.tree);
        differ(a == b, "value: " + a + " | " + b);
    }
}

// Compiles `text` both ways on `e` (the definitions of each compile are its
// own: each starts without any, and those of the first stay aside, held by
// its tree, while the second runs).
template <class E>
Seen Compare(typename E::Expr& e, const QString& text)
{
    Seen seen;
    e.FreeSubExpressions();
    const std::uint64_t answeredBefore = exprcore::fastCompile().Answered;
    Compiled<E> fast, split;
    // The compile's own processor time, not the clock's: the replays run side
    // by side on a machine that may be busy, and a slow text is slow on any.
    const double start = ThreadCpuMs();
    CompileOnce<E>(e, text, true, fast);
    seen.compileMs = ThreadCpuMs() - start;
    seen.answered = exprcore::fastCompile().Answered != answeredBefore;
    auto fastNamed = std::move(e.SubExpressions);
    e.SubExpressions.clear();
    e.SubExpressionIndex.clear();
    CompileOnce<E>(e, text, false, split);
    seen.compiled = split.tree != nullptr;
    Differ<E>(fast, split, fastNamed.size(), e.SubExpressions.size(), seen);
    // Trees before the definitions they hold.
    Discard(split.tree);
    split.tree = nullptr;
    e.FreeSubExpressions();
    Discard(fast.tree);
    fast.tree = nullptr;
    e.SubExpressions = std::move(fastNamed);
    e.FreeSubExpressions();
    return seen;
}

// As Compare, with the program's own compile for the linear path: `text` is
// set on `e` (SetText), and `e` keeps that tree, its named sub-expressions and
// its state, as SetText left them, when the splitter's compile on the side is
// done. What SetText raised comes out in `raised`, to be raised again.
template <class E>
Seen CompareAndSet(typename E::Expr& e, const QString& text, std::exception_ptr& raised)
{
    Seen seen;
    Compiled<E> fast, split;
    const std::uint64_t answeredBefore = exprcore::fastCompile().Answered;
    exprcore::fastCompile().Enabled = true;
    const double start = ThreadCpuMs();
    try {
        e.SetText(text);
    } catch (const Exception& ex) {
        fast.raised = ex.message().toStdString();
        raised = std::current_exception();
    } catch (const std::exception& ex) {
        fast.raised = ex.what();
        raised = std::current_exception();
    }
    seen.compileMs = ThreadCpuMs() - start;
    seen.answered = exprcore::fastCompile().Answered != answeredBefore;
    fast.tree = e.Root;   // e's: never discarded here
    fast.hasError = e.HasError;
    fast.code = e.ErrorCode;
    fast.message = e.ErrorMessage;
    fast.parseMessage = fast.tree ? QString() : e.ParseMessage;

    // The splitter compiles on the same object, e's definitions set aside; a
    // raise is read as SetText reads it.
    auto named = std::move(e.SubExpressions);
    e.SubExpressions.clear();
    auto index = std::move(e.SubExpressionIndex);
    e.SubExpressionIndex.clear();
    exprcore::fastCompile().Enabled = false;
    try {
        split.tree = e.Compile(text);
    } catch (const Exception& ex) {
        split.raised = ex.message().toStdString();
        e.HasError = true;
        e.ErrorMessage = ex.message();
    } catch (const std::exception& ex) {
        split.raised = ex.what();
        e.HasError = true;
    }
    exprcore::fastCompile().Enabled = true;
    split.hasError = e.HasError;
    split.code = e.ErrorCode;
    split.message = e.ErrorMessage;
    split.parseMessage = split.tree ? QString() : e.ParseMessage;

    seen.compiled = split.tree != nullptr;
    Differ<E>(fast, split, named.size(), e.SubExpressions.size(), seen);
    // The splitter's tree before the definitions it holds; then e as SetText
    // left it.
    Discard(split.tree);
    split.tree = nullptr;
    e.FreeSubExpressions();
    e.SubExpressions = std::move(named);
    e.SubExpressionIndex = std::move(index);
    e.HasError = fast.hasError;
    e.ErrorCode = fast.code;
    e.ErrorMessage = fast.message;
    if (!fast.tree)
        e.ParseMessage = fast.parseMessage;
    fast.tree = nullptr;
    return seen;
}

// The processor time of the program's compile of `text` on `e` once more, on
// the side: e's definitions and state are set aside and given back as they were.
template <class E>
double RetimedCompileMs(typename E::Expr& e, const QString& text)
{
    auto named = std::move(e.SubExpressions);
    e.SubExpressions.clear();
    auto index = std::move(e.SubExpressionIndex);
    e.SubExpressionIndex.clear();
    const bool hasError = e.HasError;
    const auto code = e.ErrorCode;
    const QString message = e.ErrorMessage;
    const QString parseMessage = e.ParseMessage;
    double ms = 0;
    {
        Compiled<E> again;   // its tree goes before the definitions it holds
        const double start = ThreadCpuMs();
        CompileOnce<E>(e, text, true, again);
        ms = ThreadCpuMs() - start;
    }
    e.FreeSubExpressions();
    e.SubExpressions = std::move(named);
    e.SubExpressionIndex = std::move(index);
    e.HasError = hasError;
    e.ErrorCode = code;
    e.ErrorMessage = message;
    e.ParseMessage = parseMessage;
    return ms;
}

// The fuzz targets' check of a text: compiled both ways, any difference ends
// the run, and so does a text of up to 1,000 characters whose compile takes
// longer than the limit in processor time (SUMBRIX_FUZZ_COMPILE_MS milliseconds, 1000 when
// unset: builds for fuzzing run many times slower than the program).
// The text ends set on `e`, as e.SetText(text) sets it (what that raises is
// raised), so the program's compile is also the linear path's.
template <class E>
void SetTextBothWays(typename E::Expr& e, const QString& text)
{
    std::exception_ptr raised;
    // A text the object already holds is not compiled again by SetText: both
    // ways on the side, then the program's call.
    const bool held = text == e.Text;
    const Seen seen = held ? Compare<E>(e, text) : CompareAndSet<E>(e, text, raised);
    if (!seen.difference.empty()) {
        std::fprintf(stderr, "%s: the two compile paths differ for \"%s\": %s\n", E::kName,
                     text.toUtf8().constData(), seen.difference.c_str());
        std::abort();
    }
    const char* limitText = std::getenv("SUMBRIX_FUZZ_COMPILE_MS");
    const double limit = limitText ? std::atof(limitText) : 1000;
    if (text.size() <= 1000 && limit > 0 && seen.compileMs > limit) {
        // A loaded machine charges its stalls (memory reclaimed under a page
        // fault) to whichever thread waits: a compile of a few milliseconds has
        // been charged a second and a half. A compile that is slow in itself is
        // slow every time: the fastest of three timings decides.
        double fastest = seen.compileMs;
        for (int again = 0; again < 2 && fastest > limit; ++again)
            fastest = std::min(fastest, RetimedCompileMs<E>(e, text));
        if (fastest > limit) {
            std::fprintf(stderr, "%s: compiling \"%s\" took %.0f ms (limit %.0f ms)\n", E::kName,
                         text.toUtf8().constData(), fastest, limit);
            std::abort();
        }
    }
    if (held)
        e.SetText(text);
    if (raised)
        std::rethrow_exception(raised);
}

} // namespace bothways
