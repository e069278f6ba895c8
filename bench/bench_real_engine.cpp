// Compile and evaluation of the real engine, and muparser doing the same work.
//
// Targets: a text nested 100 parentheses deep compiles in under 1 ms; a sum of
// terms 5,000 characters long within 2 times muparser's parse plus
// evaluation; sums of 10,000 and 50,000 terms compile (no refusal) in under 5
// and 25 ms, within 3 times fparser's parse plus evaluation; 1,000 levels of
// "(1+(" in under 5 ms and 10,000 in under 10 ms; compile plus first
// evaluation within 5 times muparser's parse plus evaluation; every row of the
// expression table re-evaluated after TVariable::SetValue within 2 times
// muparser's Eval (fparser's beside it). The compiles of the splitter alone
// (the linear path switched off) are timed beside them.

#include "engine/fastcompiler.h"
#include "engine/real/expresion.h"

#include <benchmark/benchmark.h>

#include <QString>

#ifdef SUMBRIX_HAVE_MUPARSER
#include <muParser.h>
#endif
#ifdef SUMBRIX_HAVE_FPARSER
#include <fparser.hh>
#endif

#include <cstddef>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using real::TExpresion;

// A typical expression in the syntax every parser reads.
const char* const kTypical = "sin(x)*x+2*x^2-3/(x+1)+sqrt(x*x+1)";

// The re-evaluation table: each row in our syntax, muparser's and fparser's
// (the natural logarithm is "ln" in the first two, "log" in fparser).
struct Row {
    const char* id;
    const char* ours;
    const char* muparser;
    const char* fparser;
};
const Row kRows[] = {
    {"Typical", kTypical, kTypical, kTypical},
    {"Arithmetic", "x*x+2*x-3/(x+1)", "x*x+2*x-3/(x+1)", "x*x+2*x-3/(x+1)"},
    {"SquareRootPower", "x^0.5", "x^0.5", "x^0.5"},
    {"PowerOfTwo", "2^x", "2^x", "2^x"},
    {"SelfPower", "x^x", "x^x", "x^x"},
    {"PowerThreeHalf", "x^3.5", "x^3.5", "x^3.5"},
    {"Exp", "exp(x)", "exp(x)", "exp(x)"},
    {"Trig", "sin(x)+cos(x)+tan(x)", "sin(x)+cos(x)+tan(x)", "sin(x)+cos(x)+tan(x)"},
    {"ExpLn", "exp(x)/ln(x)", "exp(x)/ln(x)", "exp(x)/log(x)"},
};

std::string Nested(int depth)
{
    return std::string(depth, '(') + "1" + std::string(depth, ')');
}

// The arguments of the re-evaluation benchmarks: 0.5 + i * 1e-6, computed
// before the timed loop and cycled with an index mask. Incrementing the value
// inside the loop would time the increment too, and unevenly: an 80-bit value
// goes through memory on every step (a store-load chain) where muparser's
// double stays in a register. With the table both sides pay the same for
// fetching the next value, so what is timed is setting the variable and
// evaluating.
constexpr std::size_t kArgCount = 1024;   // a power of two: masked index
static_assert((kArgCount & (kArgCount - 1)) == 0);

struct Arguments {
    Extended ext[kArgCount];
    double dbl[kArgCount];   // the same values for muparser
    Arguments()
    {
        for (std::size_t i = 0; i < kArgCount; ++i) {
            dbl[i] = 0.5 + static_cast<double>(i) * 1e-6;
            ext[i] = dbl[i];
        }
    }
};

const Arguments& args()
{
    static const Arguments a;
    return a;
}

std::string SumOfTerms(int chars)
{
    std::string s = "x*2";
    int i = 1;
    while (static_cast<int>(s.size()) < chars)
        s += "+x*" + std::to_string(++i % 97 + 2);
    return s;
}

// The same sum with a given number of terms.
std::string SumOfCount(int terms)
{
    std::string s = "x*2";
    for (int i = 1; i < terms; ++i)
        s += "+x*" + std::to_string(i % 97 + 2);
    return s;
}

// "(1+(1+(...1...)))" with `depth` levels.
std::string NestedSums(int depth)
{
    std::string s;
    for (int i = 0; i < depth; ++i)
        s += "(1+";
    return s + "1" + std::string(depth, ')');
}

struct Engine {
    TExpresion e;
    real::TVariable* x;
    Engine()
    {
        e.Silent = true;
        e.SetUseBuiltIns(true);
        x = e.AddVariable(QStringLiteral("x"));
        x->SetValue(0.5L);
    }
    // Compiles afresh and evaluates once.
    Extended compileAndEvaluate(const QString& text)
    {
        e.SetText(QStringLiteral("0"));
        e.SetText(text);
        return e.Evaluate();
    }
};

void BM_Real_CompileNested100(benchmark::State& state)
{
    Engine eng;
    const QString text = QString::fromStdString(Nested(100));
    for (auto _ : state)
        benchmark::DoNotOptimize(eng.compileAndEvaluate(text));
}
BENCHMARK(BM_Real_CompileNested100)->Unit(benchmark::kMicrosecond);

void BM_Real_CompileSum5000(benchmark::State& state)
{
    Engine eng;
    const QString text = QString::fromStdString(SumOfTerms(5000));
    for (auto _ : state)
        benchmark::DoNotOptimize(eng.compileAndEvaluate(text));
}
BENCHMARK(BM_Real_CompileSum5000)->Unit(benchmark::kMillisecond);

// A compile that must give a tree; the run fails otherwise (a refusal).
void CompileOrFail(benchmark::State& state, const std::string& text)
{
    Engine eng;
    const QString q = QString::fromStdString(text);
    for (auto _ : state) {
        Extended v = 0;
        try {
            v = eng.compileAndEvaluate(q);
        } catch (const Exception&) {
            // A compile that raises (too complex) is a refusal too.
        }
        if (!eng.e.Compiled) {
            state.SkipWithError(("refused: " + eng.e.ErrorMessage.toStdString()).c_str());
            break;
        }
        benchmark::DoNotOptimize(v);
    }
}

// A compile that may give a tree or be refused ("Expresión demasiado
// compleja"): either is timed, and the label says which.
void CompileOrRefuse(benchmark::State& state, const std::string& text)
{
    Engine eng;
    const QString q = QString::fromStdString(text);
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(eng.compileAndEvaluate(q));
        } catch (const Exception&) {
        }
    }
    state.SetLabel(eng.e.Compiled ? "compiled" : ("refused: " + eng.e.ErrorMessage.toStdString()));
}

// The same with the splitter alone.
void SplitterOrFail(benchmark::State& state, const std::string& text)
{
    exprcore::fastCompile().Enabled = false;
    CompileOrFail(state, text);
    exprcore::fastCompile().Enabled = true;
}

void BM_Real_CompileSum10000Terms(benchmark::State& state) { CompileOrFail(state, SumOfCount(10000)); }
BENCHMARK(BM_Real_CompileSum10000Terms)->Unit(benchmark::kMillisecond);

void BM_Real_CompileSum50000Terms(benchmark::State& state) { CompileOrFail(state, SumOfCount(50000)); }
BENCHMARK(BM_Real_CompileSum50000Terms)->Unit(benchmark::kMillisecond);

// The same sum of constants only: folded as it is built, one step per operator.
std::string ConstantSumOfCount(int terms)
{
    std::string s = "2";
    for (int i = 1; i < terms; ++i) {
        s += '+';
        s += std::to_string(i % 97 + 2);
    }
    return s;
}

void BM_Real_CompileConstantSum50000Terms(benchmark::State& state) { CompileOrFail(state, ConstantSumOfCount(50000)); }
BENCHMARK(BM_Real_CompileConstantSum50000Terms)->Unit(benchmark::kMillisecond);

void BM_Real_CompileNestedSums1000(benchmark::State& state) { CompileOrFail(state, NestedSums(1000)); }
BENCHMARK(BM_Real_CompileNestedSums1000)->Unit(benchmark::kMillisecond);

void BM_Real_CompileNestedSums10000(benchmark::State& state) { CompileOrRefuse(state, NestedSums(10000)); }
BENCHMARK(BM_Real_CompileNestedSums10000)->Unit(benchmark::kMillisecond);

void BM_Real_CompileNested5000(benchmark::State& state) { CompileOrRefuse(state, Nested(5000)); }
BENCHMARK(BM_Real_CompileNested5000)->Unit(benchmark::kMillisecond);

void BM_Real_CompileNested10000(benchmark::State& state) { CompileOrRefuse(state, Nested(10000)); }
BENCHMARK(BM_Real_CompileNested10000)->Unit(benchmark::kMillisecond);

void BM_Splitter_CompileSum5000(benchmark::State& state) { SplitterOrFail(state, SumOfTerms(5000)); }
BENCHMARK(BM_Splitter_CompileSum5000)->Unit(benchmark::kMillisecond);

void BM_Splitter_CompileNested100(benchmark::State& state) { SplitterOrFail(state, Nested(100)); }
BENCHMARK(BM_Splitter_CompileNested100)->Unit(benchmark::kMicrosecond);

void BM_Splitter_CompileEvaluateTypical(benchmark::State& state) { SplitterOrFail(state, kTypical); }
BENCHMARK(BM_Splitter_CompileEvaluateTypical)->Unit(benchmark::kMicrosecond);

void BM_Real_CompileEvaluateTypical(benchmark::State& state)
{
    Engine eng;
    const QString text = QString::fromLatin1(kTypical);
    for (auto _ : state)
        benchmark::DoNotOptimize(eng.compileAndEvaluate(text));
}
BENCHMARK(BM_Real_CompileEvaluateTypical)->Unit(benchmark::kMicrosecond);

// Compiles text once, then times setting x to the next argument and evaluating.
void ReEvaluate(benchmark::State& state, const char* text)
{
    Engine eng;
    eng.compileAndEvaluate(QString::fromLatin1(text));
    const Extended* const v = args().ext;
    std::size_t i = 0;
    for (auto _ : state) {
        eng.x->SetValue(v[i++ & (kArgCount - 1)]);
        benchmark::DoNotOptimize(eng.e.Evaluate());
    }
}

// The fixed cost of asking for a value that is still current.
void BM_Real_EvaluateUnchanged(benchmark::State& state)
{
    Engine eng;
    eng.compileAndEvaluate(QStringLiteral("x*x+2*x-3/(x+1)"));
    for (auto _ : state)
        benchmark::DoNotOptimize(eng.e.Evaluate());
}
BENCHMARK(BM_Real_EvaluateUnchanged)->Unit(benchmark::kNanosecond);

#ifdef SUMBRIX_HAVE_MUPARSER
void BM_Muparser_ParseEvaluateTypical(benchmark::State& state)
{
    double x = 0.5;
    for (auto _ : state) {
        mu::Parser p;
        p.DefineVar("x", &x);
        p.SetExpr(kTypical);
        benchmark::DoNotOptimize(p.Eval());
    }
}
BENCHMARK(BM_Muparser_ParseEvaluateTypical)->Unit(benchmark::kMicrosecond);

// The same as ReEvaluate, with muparser.
void MuparserReEvaluate(benchmark::State& state, const char* text)
{
    double x = 0.5;
    mu::Parser p;
    p.DefineVar("x", &x);
    p.SetExpr(text);
    p.Eval();
    const double* const v = args().dbl;
    std::size_t i = 0;
    for (auto _ : state) {
        x = v[i++ & (kArgCount - 1)];
        benchmark::DoNotOptimize(p.Eval());
    }
}

// Parse plus evaluation of a text, x defined.
void MuparserParse(benchmark::State& state, const std::string& text)
{
    double x = 0.5;
    for (auto _ : state) {
        try {
            mu::Parser p;
            p.DefineVar("x", &x);
            p.SetExpr(text);
            benchmark::DoNotOptimize(p.Eval());
        } catch (const mu::ParserError& e) {
            state.SkipWithError(("refused: " + e.GetMsg()).c_str());
            break;
        }
    }
}

void BM_Muparser_ParseSum5000(benchmark::State& state) { MuparserParse(state, SumOfTerms(5000)); }
BENCHMARK(BM_Muparser_ParseSum5000)->Unit(benchmark::kMillisecond);

void BM_Muparser_ParseSum10000Terms(benchmark::State& state) { MuparserParse(state, SumOfCount(10000)); }
BENCHMARK(BM_Muparser_ParseSum10000Terms)->Unit(benchmark::kMillisecond);

void BM_Muparser_ParseSum50000Terms(benchmark::State& state) { MuparserParse(state, SumOfCount(50000)); }
BENCHMARK(BM_Muparser_ParseSum50000Terms)->Unit(benchmark::kMillisecond);

void BM_Muparser_ParseNestedSums1000(benchmark::State& state) { MuparserParse(state, NestedSums(1000)); }
BENCHMARK(BM_Muparser_ParseNestedSums1000)->Unit(benchmark::kMillisecond);

void BM_Muparser_ParseNestedSums10000(benchmark::State& state) { MuparserParse(state, NestedSums(10000)); }
BENCHMARK(BM_Muparser_ParseNestedSums10000)->Unit(benchmark::kMillisecond);

void BM_Muparser_ParseNested5000(benchmark::State& state) { MuparserParse(state, Nested(5000)); }
BENCHMARK(BM_Muparser_ParseNested5000)->Unit(benchmark::kMillisecond);

void BM_Muparser_ParseNested10000(benchmark::State& state) { MuparserParse(state, Nested(10000)); }
BENCHMARK(BM_Muparser_ParseNested10000)->Unit(benchmark::kMillisecond);

void BM_Muparser_ParseNested100(benchmark::State& state)
{
    const std::string text = Nested(100);
    for (auto _ : state) {
        mu::Parser p;
        p.SetExpr(text);
        benchmark::DoNotOptimize(p.Eval());
    }
}
BENCHMARK(BM_Muparser_ParseNested100)->Unit(benchmark::kMicrosecond);
#endif

#ifdef SUMBRIX_HAVE_FPARSER
// Parse plus evaluation with fparser (x the one variable).
void FparserParse(benchmark::State& state, const std::string& text)
{
    const double x = 0.5;
    for (auto _ : state) {
        FunctionParser p;
        if (p.Parse(text, "x") >= 0) {
            state.SkipWithError("refused by fparser");
            break;
        }
        benchmark::DoNotOptimize(p.Eval(&x));
    }
}

void BM_Fparser_ParseEvaluateTypical(benchmark::State& state) { FparserParse(state, kTypical); }
BENCHMARK(BM_Fparser_ParseEvaluateTypical)->Unit(benchmark::kMicrosecond);

void BM_Fparser_ParseSum5000(benchmark::State& state) { FparserParse(state, SumOfTerms(5000)); }
BENCHMARK(BM_Fparser_ParseSum5000)->Unit(benchmark::kMillisecond);

void BM_Fparser_ParseSum10000Terms(benchmark::State& state) { FparserParse(state, SumOfCount(10000)); }
BENCHMARK(BM_Fparser_ParseSum10000Terms)->Unit(benchmark::kMillisecond);

void BM_Fparser_ParseSum50000Terms(benchmark::State& state) { FparserParse(state, SumOfCount(50000)); }
BENCHMARK(BM_Fparser_ParseSum50000Terms)->Unit(benchmark::kMillisecond);

void BM_Fparser_ParseNestedSums1000(benchmark::State& state) { FparserParse(state, NestedSums(1000)); }
BENCHMARK(BM_Fparser_ParseNestedSums1000)->Unit(benchmark::kMillisecond);

void BM_Fparser_ParseNestedSums10000(benchmark::State& state) { FparserParse(state, NestedSums(10000)); }
BENCHMARK(BM_Fparser_ParseNestedSums10000)->Unit(benchmark::kMillisecond);

void BM_Fparser_ParseNested5000(benchmark::State& state) { FparserParse(state, Nested(5000)); }
BENCHMARK(BM_Fparser_ParseNested5000)->Unit(benchmark::kMillisecond);

void BM_Fparser_ParseNested10000(benchmark::State& state) { FparserParse(state, Nested(10000)); }
BENCHMARK(BM_Fparser_ParseNested10000)->Unit(benchmark::kMillisecond);

// The same as ReEvaluate, with fparser (optimised once, as its users do).
void FparserReEvaluate(benchmark::State& state, const char* text)
{
    FunctionParser p;
    p.Parse(text, "x");
    p.Optimize();
    const double* const v = args().dbl;
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(p.Eval(&v[i++ & (kArgCount - 1)]));
}
#endif

// The re-evaluation table, every row for each parser.
void RegisterRows()
{
    for (const Row& row : kRows) {
        benchmark::RegisterBenchmark((std::string("BM_Real_ReEvaluate") + row.id).c_str(),
                                     [text = row.ours](benchmark::State& s) { ReEvaluate(s, text); })
            ->Unit(benchmark::kNanosecond);
#ifdef SUMBRIX_HAVE_MUPARSER
        benchmark::RegisterBenchmark((std::string("BM_Muparser_ReEvaluate") + row.id).c_str(),
                                     [text = row.muparser](benchmark::State& s) { MuparserReEvaluate(s, text); })
            ->Unit(benchmark::kNanosecond);
#endif
#ifdef SUMBRIX_HAVE_FPARSER
        benchmark::RegisterBenchmark((std::string("BM_Fparser_ReEvaluate") + row.id).c_str(),
                                     [text = row.fparser](benchmark::State& s) { FparserReEvaluate(s, text); })
            ->Unit(benchmark::kNanosecond);
#endif
    }
}

// Keeps every run's CPU time per iteration (ns) while the console shows it.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> ns;
    std::set<std::string> meanSeen;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        // With repetitions the mean stands for the benchmark (it comes after
        // the single runs); without, the one run does.
        for (const Run& r : runs) {
            if (r.error_occurred)
                continue;
            const bool single = r.run_type == Run::RT_Iteration && !meanSeen.count(r.run_name.function_name);
            const bool mean = r.run_type == Run::RT_Aggregate && r.aggregate_name == "mean";
            if (mean)
                meanSeen.insert(r.run_name.function_name);
            if (single || mean)
                ns[r.run_name.function_name] = r.GetAdjustedCPUTime() * UnitToNs(r.time_unit);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    static double UnitToNs(benchmark::TimeUnit u)
    {
        switch (u) {
        case benchmark::kSecond: return 1e9;
        case benchmark::kMillisecond: return 1e6;
        case benchmark::kMicrosecond: return 1e3;
        default: return 1;
        }
    }
};

// One line per comparison: ours / muparser's and the limit set for it.
void PrintRatios(const RatioReporter& r)
{
    struct Pair {
        const char* ours;
        const char* theirs;
        double limit;
    };
    const Pair pairs[] = {
        {"BM_Real_CompileEvaluateTypical", "BM_Muparser_ParseEvaluateTypical", 5},
        {"BM_Real_CompileNested100", "BM_Muparser_ParseNested100", 0},
        {"BM_Real_CompileSum5000", "BM_Muparser_ParseSum5000", 2},
        {"BM_Real_CompileSum10000Terms", "BM_Muparser_ParseSum10000Terms", 0},
        {"BM_Real_CompileSum50000Terms", "BM_Muparser_ParseSum50000Terms", 0},
        {"BM_Real_CompileNestedSums1000", "BM_Muparser_ParseNestedSums1000", 0},
        {"BM_Real_CompileNestedSums10000", "BM_Muparser_ParseNestedSums10000", 0},
        {"BM_Real_CompileNested5000", "BM_Muparser_ParseNested5000", 0},
        {"BM_Real_CompileNested10000", "BM_Muparser_ParseNested10000", 0},
    };
    const auto ratio = [&r](const std::string& ours, const std::string& theirs, double limit) {
        const auto a = r.ns.find(ours);
        const auto b = r.ns.find(theirs);
        if (a == r.ns.end() || b == r.ns.end() || b->second <= 0)
            return;
        std::printf("  %-36s %6.2f", ours.c_str(), a->second / b->second);
        if (limit > 0)
            std::printf("  (limit %.0f)", limit);
        std::printf("\n");
    };
    std::printf("\nRatios (CPU time, ours / muparser):\n");
    for (const Pair& p : pairs)
        ratio(p.ours, p.theirs, p.limit);
    for (const Row& row : kRows)
        ratio(std::string("BM_Real_ReEvaluate") + row.id, std::string("BM_Muparser_ReEvaluate") + row.id, 2);
    std::printf("\nRatios (CPU time, ours / fparser):\n");
    const Pair fpairs[] = {
        {"BM_Real_CompileEvaluateTypical", "BM_Fparser_ParseEvaluateTypical", 0},
        {"BM_Real_CompileSum5000", "BM_Fparser_ParseSum5000", 3},
        {"BM_Real_CompileSum10000Terms", "BM_Fparser_ParseSum10000Terms", 3},
        {"BM_Real_CompileSum50000Terms", "BM_Fparser_ParseSum50000Terms", 3},
        {"BM_Real_CompileNestedSums1000", "BM_Fparser_ParseNestedSums1000", 0},
        {"BM_Real_CompileNestedSums10000", "BM_Fparser_ParseNestedSums10000", 0},
        {"BM_Real_CompileNested5000", "BM_Fparser_ParseNested5000", 0},
        {"BM_Real_CompileNested10000", "BM_Fparser_ParseNested10000", 0},
    };
    for (const Pair& p : fpairs)
        ratio(p.ours, p.theirs, p.limit);
    for (const Row& row : kRows)
        ratio(std::string("BM_Real_ReEvaluate") + row.id, std::string("BM_Fparser_ReEvaluate") + row.id, 0);
    const auto nested = r.ns.find("BM_Real_CompileNested100");
    if (nested != r.ns.end())
        std::printf("  nested 100 deep: %.3f ms (limit 1 ms)\n", nested->second / 1e6);
    struct Limit {
        const char* name;
        const char* what;
        double ms;
    };
    const Limit limits[] = {
        {"BM_Real_CompileSum5000", "5,000-character sum", 50},
        {"BM_Real_CompileSum10000Terms", "sum of 10,000 terms", 5},
        {"BM_Real_CompileSum50000Terms", "sum of 50,000 terms", 25},
        {"BM_Real_CompileConstantSum50000Terms", "sum of 50,000 constants", 25},
        {"BM_Real_CompileNestedSums1000", "1,000 levels of \"(1+(\"", 5},
        {"BM_Real_CompileNestedSums10000", "10,000 levels of \"(1+(\" (compiled or refused)", 10},
        {"BM_Real_CompileNested5000", "5,000 parentheses deep (compiled or refused)", 10},
        {"BM_Real_CompileNested10000", "10,000 parentheses deep (compiled or refused)", 10},
    };
    for (const Limit& l : limits) {
        const auto it = r.ns.find(l.name);
        if (it != r.ns.end())
            std::printf("  %s: %.3f ms (limit %.0f ms)\n", l.what, it->second / 1e6, l.ms);
    }
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RegisterRows();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatios(reporter);
    benchmark::Shutdown();
    return 0;
}
