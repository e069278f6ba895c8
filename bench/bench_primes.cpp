// The primes tool: primality, factorisation, the n-th prime, prime counts
// and prime lists written to a file, each beside the plain trial division it
// replaces or beside its peer: pari-gp's uisprime for primality (when
// libpari-dev is there) and primecount's own calls for counts and the n-th
// prime. The ratios are printed as counters of the Sumbrix rows ("x peer").
//   cmake -DSUMBRIX_BENCH=ON -DCMAKE_BUILD_TYPE=Release ... && build/bin/bench_primes
#include "tools/primos/criba.h"
#include "tools/primos/listaprimos.h"
#include "tools/primos/primo.h"
#ifdef SUMBRIX_HAVE_PARI
#include "peer_pari.h"
#endif

#include <QDir>
#include <QTemporaryDir>

#include <primecount.hpp>

#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <random>
#include <thread>

namespace {

// Seconds per call of each peer row, by its name, for the ratios.
std::map<std::string, double>& PeerTimes()
{
    static std::map<std::string, double> times;
    return times;
}

// 1024 random primes of 63 bits, the same for both sides.
const std::vector<std::uint64_t>& RandomPrimes63()
{
    static const std::vector<std::uint64_t> primes = [] {
        std::mt19937_64 rng(39);
        std::vector<std::uint64_t> out;
        while (out.size() < 1024) {
            const std::uint64_t n = (rng() >> 1) | (std::uint64_t(1) << 62) | 1;
            if (primos::IsPrime64(std::int64_t(n)))
                out.push_back(n);
        }
        return out;
    }();
    return primes;
}

#ifdef SUMBRIX_HAVE_PARI
void BM_Pari_IsPrime_Random63(benchmark::State& state)
{
    pari_peer::Init();
    const auto& primes = RandomPrimes63();
    std::size_t i = 0;
    const auto start = std::chrono::steady_clock::now();
    std::int64_t calls = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(pari_peer::IsPrime(primes[i++ & 1023]));
        ++calls;
    }
    PeerTimes()["isprime"] = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / double(calls);
}
BENCHMARK(BM_Pari_IsPrime_Random63)->Unit(benchmark::kMicrosecond);
#endif

void BM_IsPrime_Random63(benchmark::State& state)
{
    const auto& primes = RandomPrimes63();
    std::size_t i = 0;
    const auto start = std::chrono::steady_clock::now();
    std::int64_t calls = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(primos::IsPrime64(std::int64_t(primes[i++ & 1023])));
        ++calls;
    }
    const double own = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / double(calls);
    if (PeerTimes().count("isprime"))
        state.counters["x peer"] = own / PeerTimes()["isprime"];
}
BENCHMARK(BM_IsPrime_Random63)->Unit(benchmark::kMicrosecond);

// primecount's own number of threads, read before the tool's first count
// (the tool sets one thread for the counts it runs in its own process).
const int kPeerThreads = primecount::get_num_threads();

// Times each call alone. A peer's call (primecount's own, with its own
// number of threads) runs on a thread of its own, so that its OpenMP threads
// never belong to the thread that forks the tool's long counts, and leaves
// its time per call under `key`; the tool's call gets the ratio to it.
template <class Call>
void TimedCalls(benchmark::State& state, const std::string& key, bool peer, Call call)
{
    double total = 0;
    std::int64_t calls = 0;
    for (auto _ : state) {
        double seconds = 0;
        auto run = [&] {
            const auto start = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(call());
            seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        };
        if (peer) {
            const int threads = primecount::get_num_threads();
            primecount::set_num_threads(kPeerThreads);
            std::thread(run).join();
            primecount::set_num_threads(threads);
        } else {
            run();
        }
        state.SetIterationTime(seconds);
        total += seconds;
        ++calls;
    }
    if (peer)
        PeerTimes()[key] = total / double(calls);
    else if (PeerTimes().count(key))
        state.counters["x peer"] = total / double(calls) / PeerTimes()[key];
}

// The n-th prime as "Hallar Primo(n)" finds it, beside primecount's nth_prime.
void BM_Primecount_NthPrime(benchmark::State& state)
{
    const std::int64_t n = state.range(0);
    TimedCalls(state, "nth" + std::to_string(n), true, [n] { return primecount::nth_prime(n); });
}
void BM_NthPrime(benchmark::State& state)
{
    const std::int64_t n = state.range(0);
    TimedCalls(state, "nth" + std::to_string(n), false, [n] { return primos::NthPrime(n); });
}
#define NTH_ARGS ->Arg(10000)->Arg(10000000)->Arg(1000000000)->Arg(INT64_C(100000000000))->Arg(INT64_C(1000000000000))->Arg(INT64_C(100000000000000))
BENCHMARK(BM_Primecount_NthPrime) NTH_ARGS->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NthPrime) NTH_ARGS->UseManualTime()->Unit(benchmark::kMillisecond);

// Counts up to x beside primecount's pi.
void BM_Primecount_Pi(benchmark::State& state)
{
    const std::int64_t x = state.range(0);
    TimedCalls(state, "pi" + std::to_string(x), true, [x] { return primecount::pi(x); });
}
void BM_CountPrimes(benchmark::State& state)
{
    const std::int64_t x = state.range(0);
    TimedCalls(state, "pi" + std::to_string(x), false, [x] { return primos::CountPrimesUpTo(x); });
}
#define PI_ARGS ->Arg(1000000)->Arg(INT64_C(4294967295))->Arg(INT64_C(1000000000000))->Arg(INT64_C(10000000000000000))
BENCHMARK(BM_Primecount_Pi) PI_ARGS->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountPrimes) PI_ARGS->UseManualTime()->Unit(benchmark::kMillisecond);

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
void BM_NthPrime_Checkpoint(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(primos::NthPrime(state.range(0)));
}
BENCHMARK(BM_NthPrime_Checkpoint)->Arg(203280221)->Arg(203280222)->Unit(benchmark::kMillisecond);

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
