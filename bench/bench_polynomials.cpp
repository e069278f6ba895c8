// Products and powers of polynomials in several letters: the indexed merge
// of terms against a merge that searches the terms made so far one by one.
//
//   BM_PowerIndexed/40 vs BM_PowerLinear/40     (a+b+c+d)^40
//   BM_Product300Indexed vs BM_Product300Linear two polynomials of 300 terms
//   BM_PowerIndexed/127                          (a+b+c+d)^127 (packed keys)
//   BM_PowerUnpacked/40                          (a+b+c+d)^40 by 39 calls of
//                                                Multiply, each packing anew
#include "tools/polinomios/polin.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

TPoliN LinearPower(const TPoliN& p, int n)
{
    TPoliN r = TPoliN::CreateCopy(p);
    for (int k = 2; k <= n; ++k)
        r = TPoliN::MultiplyByLinearSearch(r, p);
    return r;
}

const TPoliN& Sum4()
{
    static const TPoliN p(QStringLiteral("a + b + c + d"));
    return p;
}

// 300 terms in five letters with exponents 0..9.
TPoliN Random300(unsigned seed)
{
    std::mt19937 random(seed);
    TPoliN p;
    while (p.Count() < 300) {
        TPoliNTerm t;
        for (int k = 0; k < 5; ++k)
            t.Exponents[k] = static_cast<std::int16_t>(random() % 10);
        t.Coefficient = static_cast<int>(random() % 99) + 1;
        p.AddTerm(t);
    }
    return p;
}

void BM_PowerIndexed(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(Sum4().Power(static_cast<int>(state.range(0))).Count());
}
BENCHMARK(BM_PowerIndexed)->Arg(40)->Arg(127)->Unit(benchmark::kMillisecond);

// The running product unpacked between the steps.
void BM_PowerUnpacked(benchmark::State& state)
{
    for (auto _ : state) {
        TPoliN r = TPoliN::CreateCopy(Sum4());
        for (int k = 2; k <= state.range(0); ++k)
            r = r.Multiply(Sum4());
        benchmark::DoNotOptimize(r.Count());
    }
}
BENCHMARK(BM_PowerUnpacked)->Arg(40)->Unit(benchmark::kMillisecond);

void BM_PowerLinear(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(LinearPower(Sum4(), static_cast<int>(state.range(0))).Count());
}
BENCHMARK(BM_PowerLinear)->Arg(40)->Unit(benchmark::kMillisecond);

void BM_Product300Indexed(benchmark::State& state)
{
    const TPoliN p = Random300(1), q = Random300(2);
    for (auto _ : state)
        benchmark::DoNotOptimize(p.Multiply(q).Count());
}
BENCHMARK(BM_Product300Indexed)->Unit(benchmark::kMillisecond);

void BM_Product300Linear(benchmark::State& state)
{
    const TPoliN p = Random300(1), q = Random300(2);
    for (auto _ : state)
        benchmark::DoNotOptimize(TPoliN::MultiplyByLinearSearch(p, q).Count());
}
BENCHMARK(BM_Product300Linear)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
