// The unit engine: loading the shipped maguni.def (done at start-up, again
// after every save of the editor), a conversion by names and by tag (the
// converter does one per unit on every keystroke, the menu one per item when
// a submenu opens), and the search for the number at the caret.
//   build/bin/bench_units
#include "foundation/core/basicos.h"
#include "science/unidades/conversion.h"
#include "science/unidades/unidades.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

namespace {

// A program folder holding the maguni.def the build wrote beside this program.
struct ShippedDefinitions {
    QTemporaryDir dir;
    ShippedDefinitions()
    {
        SetExeDir(dir.path());
        QFile::copy(QStringLiteral(SUMBRIX_BIN_DIR "/maguni.def"), UnitDefinitionsFile());
        LoadUnitDefinitions();
    }
};

void BM_LoadUnitDefinitions(benchmark::State& state)
{
    ShippedDefinitions defs;
    for (auto _ : state)
        LoadUnitDefinitions();
    state.counters["magnitudes"] = double(unitEngine().MagnitudeList.size());
}
BENCHMARK(BM_LoadUnitDefinitions)->Unit(benchmark::kMillisecond);

void BM_ConvertUnitsByName(benchmark::State& state)
{
    ShippedDefinitions defs;
    Extended x = 1;
    for (auto _ : state) {
        x = ConvertUnits(QStringLiteral("Temperatura"), QStringLiteral("grado Fahrenheit"),
                         QStringLiteral("grado Celsius"), 98.6L);
        benchmark::DoNotOptimize(x);
    }
}
BENCHMARK(BM_ConvertUnitsByName);

// Every conversion of one magnitude, as a row of the converter.
void BM_ConvertByTagWholeMagnitude(benchmark::State& state)
{
    ShippedDefinitions defs;
    const int m = FindMagnitude(QStringLiteral("Longitud"));
    const int n = unitEngine().MagnitudeList[size_t(m)].Count();
    for (auto _ : state)
        for (int k = 0; k < n; ++k)
            benchmark::DoNotOptimize(ConvertByTag(PackConversionTag(m, 1, k), 3.5L));
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ConvertByTagWholeMagnitude);

void BM_FindNumberAtCaret(benchmark::State& state)
{
    const QString text = QStringLiteral("sen(x)+2*-3.25E-12/(1+7)");
    for (auto _ : state)
        benchmark::DoNotOptimize(FindNumberAtCaret(text, 16));
}
BENCHMARK(BM_FindNumberAtCaret);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    unitEngine().reset();
    return 0;
}
