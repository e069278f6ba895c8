// Compile and evaluation of the real engine, and muparser doing the same work.
//
// Targets: a text nested 100 parentheses deep compiles in under 1 ms; a sum of
// terms 5,000 characters long in under 50 ms; compile plus first evaluation
// within 5 times muparser's parse plus evaluation; evaluation after
// TVariable::SetValue within 2 times muparser's Eval.

#include "engine/real/expresion.h"

#include <benchmark/benchmark.h>

#include <QString>

#ifdef SUMBRIX_HAVE_MUPARSER
#include <muParser.h>
#endif

#include <string>

namespace {

using real::TExpresion;

// A typical expression in the syntax both parsers read.
const char* const kTypical = "sin(x)*x+2*x^2-3/(x+1)+sqrt(x*x+1)";

std::string Nested(int depth)
{
    return std::string(depth, '(') + "1" + std::string(depth, ')');
}

std::string SumOfTerms(int chars)
{
    std::string s = "x*2";
    int i = 1;
    while (static_cast<int>(s.size()) < chars)
        s += "+x*" + std::to_string(++i % 97 + 2);
    return s;
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

void BM_Real_CompileEvaluateTypical(benchmark::State& state)
{
    Engine eng;
    const QString text = QString::fromLatin1(kTypical);
    for (auto _ : state)
        benchmark::DoNotOptimize(eng.compileAndEvaluate(text));
}
BENCHMARK(BM_Real_CompileEvaluateTypical)->Unit(benchmark::kMicrosecond);

void BM_Real_ReEvaluateTypical(benchmark::State& state)
{
    Engine eng;
    eng.compileAndEvaluate(QString::fromLatin1(kTypical));
    Extended v = 0.5L;
    for (auto _ : state) {
        v += 1e-6L;
        eng.x->SetValue(v);
        benchmark::DoNotOptimize(eng.e.Evaluate());
    }
}
BENCHMARK(BM_Real_ReEvaluateTypical)->Unit(benchmark::kNanosecond);

// Only arithmetic: the cost of the tree itself.
void BM_Real_ReEvaluateArithmetic(benchmark::State& state)
{
    Engine eng;
    eng.compileAndEvaluate(QStringLiteral("x*x+2*x-3/(x+1)"));
    Extended v = 0.5L;
    for (auto _ : state) {
        v += 1e-6L;
        eng.x->SetValue(v);
        benchmark::DoNotOptimize(eng.e.Evaluate());
    }
}
BENCHMARK(BM_Real_ReEvaluateArithmetic)->Unit(benchmark::kNanosecond);

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

void BM_Muparser_ReEvaluateTypical(benchmark::State& state)
{
    double x = 0.5;
    mu::Parser p;
    p.DefineVar("x", &x);
    p.SetExpr(kTypical);
    p.Eval();
    for (auto _ : state) {
        x += 1e-6;
        benchmark::DoNotOptimize(p.Eval());
    }
}
BENCHMARK(BM_Muparser_ReEvaluateTypical)->Unit(benchmark::kNanosecond);

void BM_Muparser_ReEvaluateArithmetic(benchmark::State& state)
{
    double x = 0.5;
    mu::Parser p;
    p.DefineVar("x", &x);
    p.SetExpr("x*x+2*x-3/(x+1)");
    p.Eval();
    for (auto _ : state) {
        x += 1e-6;
        benchmark::DoNotOptimize(p.Eval());
    }
}
BENCHMARK(BM_Muparser_ReEvaluateArithmetic)->Unit(benchmark::kNanosecond);

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

} // namespace

BENCHMARK_MAIN();
