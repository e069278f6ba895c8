// Determinants and inverses of the rational matrices: the elimination and
// the memoised minors against the cofactor expansion, on sizes where the
// expansion still finishes; 12 × 12 determinant and inverse (under 1 s each);
// the complex inverse up to the largest size.
#include "tools/matrices/matrizp.h"
#include "tools/matrices/mmatrix.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

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
