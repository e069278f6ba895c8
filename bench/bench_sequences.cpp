// The sequences tool: a million terms of a simple recurrence in batch mode
// (the window's run without the repaints). Target: under 1 s.
#include "tools/sucesiones/sucesion.h"

#include <benchmark/benchmark.h>

namespace {

void Run(benchmark::State& state, const QString& recurrence, int lag)
{
    for (auto _ : state) {
        TSucesion s;
        s.CompileAll({QStringLiteral("x/2"), QString(), QString(), recurrence, QStringLiteral("n>=1000000")});
        if (s.ProbeLag() != lag) {
            state.SkipWithError("unexpected lag");
            return;
        }
        for (int i = 1; i <= lag; ++i)
            s.SetInitial(i, 1);
        const auto end = s.RunBatch([] { return false; });
        if (end != TSucesion::TRunEnd::Stopped || s.N != 1000000u) {
            state.SkipWithError("the run did not reach its stop condition");
            return;
        }
        benchmark::DoNotOptimize(s.History[0]);
    }
    state.SetItemsProcessed(state.iterations() * 1000000);
}

void BM_MillionTermsCounter(benchmark::State& state) { Run(state, QStringLiteral("S1+1"), 1); }
void BM_MillionTermsTwoEarlier(benchmark::State& state) { Run(state, QStringLiteral("(S1+S2)/2+1"), 2); }
void BM_MillionTermsWithFunction(benchmark::State& state) { Run(state, QStringLiteral("f(S1)+n"), 1); }

BENCHMARK(BM_MillionTermsCounter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MillionTermsTwoEarlier)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MillionTermsWithFunction)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
