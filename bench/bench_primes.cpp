// The primes tool: primality, factorisation, the n-th prime and prime lists
// written to a file, each beside the plain trial division it replaces.
//   cmake -DSUMBRIX_BENCH=ON -DCMAKE_BUILD_TYPE=Release ... && build/bin/bench_primes
#include "tools/primos/criba.h"
#include "tools/primos/listaprimos.h"
#include "tools/primos/primo.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr std::int64_t kTopPrime = INT64_MAX - 24;                 // 2^63 - 25
constexpr std::int64_t kSemiprime = 3037000493LL * 3037000453LL;   // two primes next to the square root
constexpr std::int64_t kFarSemiprime = 2147483647LL * 4294967291LL;

void BM_IsPrime_2p63m25(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(primos::IsPrime64(kTopPrime));
}
BENCHMARK(BM_IsPrime_2p63m25)->Unit(benchmark::kMicrosecond);

// The smallest-factor search over the wheel up to the square root.
void BM_TrialDivision_2p63m25(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(primos::TrialSmallestFactor64(kTopPrime));
}
BENCHMARK(BM_TrialDivision_2p63m25)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Factors_CloseSemiprime(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(primos::PrimeFactors(kSemiprime));
}
BENCHMARK(BM_Factors_CloseSemiprime)->Unit(benchmark::kMicrosecond);

// Two factors of 31 and 32 bits far apart: the Pollard-Brent route.
void BM_Factors_FarSemiprime(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(primos::PrimeFactors(kFarSemiprime));
}
BENCHMARK(BM_Factors_FarSemiprime)->Unit(benchmark::kMicrosecond);

void BM_TrialDivision_CloseSemiprime(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(primos::TrialSmallestFactor64(kSemiprime));
}
BENCHMARK(BM_TrialDivision_CloseSemiprime)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Divisors_2p63m2(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(primos::Divisors(INT64_MAX - 1));
}
BENCHMARK(BM_Divisors_2p63m2)->Unit(benchmark::kMicrosecond);

// The 203,280,221st prime is a checkpoint; the next one is counted.
void BM_NthPrime(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(primos::NthPrime(state.range(0)));
}
BENCHMARK(BM_NthPrime)->Arg(203280221)->Arg(203280222)->Arg(100000000)->Arg(1000000000)
    ->Unit(benchmark::kMillisecond);

void BM_CountPrimes_2p32(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(primos::CountPrimesUpTo(4294967295));
}
BENCHMARK(BM_CountPrimes_2p32)->Unit(benchmark::kMillisecond);

// The walk of the n-th prime search over the wheel testing each candidate,
// from the checkpoint of 15,000,000: candidates per second. Reaching
// 2^32 from there takes about 1.07e9 candidates.
void BM_WheelWalk_IsPrime32(benchmark::State& state)
{
    std::uint64_t tested = 0;
    for (auto _ : state) {
        std::uint64_t p = 275604541;
        int count = 0;
        for (int i = primos::WheelIndex(p), k = 0; k < 1000000; ++k, i = (i + 1) & 7) {
            p += primos::PrimeWheel[std::size_t(i)];
            count += primos::IsPrime32(std::uint32_t(p));
        }
        tested += 1000000;
        benchmark::DoNotOptimize(count);
    }
    state.counters["candidates/s"] = benchmark::Counter(double(tested), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WheelWalk_IsPrime32)->Unit(benchmark::kMillisecond);

void BM_PrimesToFile(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString name = QDir(dir.path()).filePath(QStringLiteral("primos.txt"));
    for (auto _ : state)
        benchmark::DoNotOptimize(primos::WritePrimeList(name, 2, state.range(0)));
}
BENCHMARK(BM_PrimesToFile)->Arg(100000000)->Unit(benchmark::kMillisecond);

void BM_PrimesToFile_Top(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString name = QDir(dir.path()).filePath(QStringLiteral("primos.txt"));
    for (auto _ : state)
        benchmark::DoNotOptimize(primos::WritePrimeList(name, INT64_MAX - 10000000, INT64_MAX));
}
BENCHMARK(BM_PrimesToFile_Top)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
