// Determinants and inverses of the rational matrices: the elimination and
// the memoised minors against the cofactor expansion, on sizes where the
// expansion still finishes; 12 × 12 determinant and inverse (under 1 s each);
// whole-number matrices up to 30 × 30 and beyond (exact, over GMP) beside
// pari-gp's matdet, M^-1 and matsolve (when libpari-dev is there), the ratio
// printed as the counter "x peer"; the complex inverse up to the largest size.
#include "tools/matrices/matrizp.h"
#include "tools/matrices/mmatrix.h"
#ifdef SUMBRIX_HAVE_PARI
#include "peer_pari.h"
#endif

#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <random>

namespace {

// Whole numbers from -9 to 9, rows × cols, the same for both sides.
std::vector<std::vector<long>> RandomRows(int rows, int cols)
{
    std::mt19937 rng(static_cast<unsigned>(rows * 1000 + cols));
    std::uniform_int_distribution<long> d(-9, 9);
    std::vector<std::vector<long>> out(static_cast<std::size_t>(rows), std::vector<long>(static_cast<std::size_t>(cols)));
    for (auto& row : out)
        for (long& x : row)
            x = d(rng);
    return out;
}

TMatriz FromRows(const std::vector<std::vector<long>>& rows)
{
    TMatriz m = TMatriz::CreateEmpty(int(rows[0].size()), int(rows.size()));
    for (int r = 1; r <= m.Rows(); ++r)
        for (int c = 1; c <= m.Cols(); ++c)
            m.SetCell(c, r, TPoliN::CreateConst(Extended(rows[std::size_t(r - 1)][std::size_t(c - 1)])));
    return m;
}

std::map<std::string, double>& PeerTimes()
{
    static std::map<std::string, double> times;
    return times;
}

// Runs `call` for the state's iterations and returns the seconds per call.
template <class Call>
double Timed(benchmark::State& state, Call call)
{
    const auto start = std::chrono::steady_clock::now();
    std::int64_t calls = 0;
    for (auto _ : state) {
        call();
        ++calls;
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / double(calls);
}

enum Operation { kDeterminant, kInverse, kSolve };
const char* const kOperationNames[] = {"det", "inverse", "solve"};

std::string Key(int op, int n) { return std::string(kOperationNames[op]) + std::to_string(n); }

#ifdef SUMBRIX_HAVE_PARI
void BM_Pari_WholeNumbers(benchmark::State& state)
{
    pari_peer::Init();
    const int op = int(state.range(0)), n = int(state.range(1));
    const auto rows = RandomRows(n, op == kSolve ? n + 1 : n);
    PeerTimes()[Key(op, n)] = Timed(state, [&] {
        benchmark::DoNotOptimize(op == kDeterminant ? pari_peer::Determinant(rows)
                                 : op == kInverse   ? pari_peer::Inverse(rows)
                                                    : pari_peer::Solve(rows));
    });
}
BENCHMARK(BM_Pari_WholeNumbers)->ArgsProduct({{kDeterminant, kInverse, kSolve}, {12, 30, 60}})->Unit(benchmark::kMillisecond);
#endif

// The exact determinant, inverse and solution of the rational mode.
void BM_WholeNumbers(benchmark::State& state)
{
    const int op = int(state.range(0)), n = int(state.range(1));
    const TMatriz m = FromRows(RandomRows(n, op == kSolve ? n + 1 : n));
    const double own = Timed(state, [&] {
        if (op == kDeterminant) {
            benchmark::DoNotOptimize(m.ExactDeterminant());
        } else if (op == kInverse) {
            TMatriz w = TMatriz::CreateCopy(m);
            w.Invert();
            benchmark::DoNotOptimize(w);
        } else {
            TMatriz w = TMatriz::CreateCopy(m);
            benchmark::DoNotOptimize(w.Solve([](const QString&, const QString&) { return false; }));
        }
    });
    if (PeerTimes().count(Key(op, n)))
        state.counters["x peer"] = own / PeerTimes()[Key(op, n)];
}
BENCHMARK(BM_WholeNumbers)->ArgsProduct({{kDeterminant, kInverse, kSolve}, {12, 30, 60}})->Unit(benchmark::kMillisecond);

TMatriz RandomMatrix(int n, bool letters)
{
    std::mt19937 rng(static_cast<unsigned>(n));
    std::uniform_int_distribution<int> d(-9, 9);
    TMatriz m = TMatriz::CreateEmpty(n, n);
    for (int c = 1; c <= n; ++c)
        for (int r = 1; r <= n; ++r)
            m.SetCell(c, r, letters && r == c ? TPoliN(QStringLiteral("x +%1").arg(d(rng)))
                                              : TPoliN::CreateConst(d(rng)));
    return m;
}

void BM_DeterminantNumbers(benchmark::State& state)
{
    const TMatriz m = RandomMatrix(int(state.range(0)), false);
    for (auto _ : state)
        benchmark::DoNotOptimize(m.Determinant());
}
BENCHMARK(BM_DeterminantNumbers)->DenseRange(6, 9)->Arg(12)->Unit(benchmark::kMillisecond);

void BM_DeterminantLetters(benchmark::State& state)
{
    const TMatriz m = RandomMatrix(int(state.range(0)), true);
    for (auto _ : state)
        benchmark::DoNotOptimize(m.Determinant());
}
BENCHMARK(BM_DeterminantLetters)->DenseRange(6, 9)->Arg(12)->Unit(benchmark::kMillisecond);

void BM_DeterminantByCofactors(benchmark::State& state)
{
    const TMatriz m = RandomMatrix(int(state.range(0)), false);
    for (auto _ : state)
        benchmark::DoNotOptimize(m.DeterminantByCofactors());
}
BENCHMARK(BM_DeterminantByCofactors)->DenseRange(6, 9)->Unit(benchmark::kMillisecond);

void BM_Inverse(benchmark::State& state)
{
    const TMatriz m = RandomMatrix(int(state.range(0)), false);
    for (auto _ : state) {
        TMatriz w = TMatriz::CreateCopy(m);
        w.Invert();
        benchmark::DoNotOptimize(w);
    }
}
BENCHMARK(BM_Inverse)->Arg(6)->Arg(12)->Unit(benchmark::kMillisecond);

// The largest complex matrices the window takes (255 × 255).
void BM_ComplexInverse(benchmark::State& state)
{
    const int n = int(state.range(0));
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> d(-9, 9);
    TMatrix m = TMatrix::CreateEmpty(n, n);
    for (int c = 1; c <= n; ++c)
        for (int r = 1; r <= n; ++r)
            m.SetCell(c, r, complex::TComplex{Extended(d(rng)), Extended(d(rng))});
    for (auto _ : state) {
        TMatrix w = m;
        w.Invert();
        benchmark::DoNotOptimize(w);
    }
}
BENCHMARK(BM_ComplexInverse)->Arg(64)->Arg(255)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
