// The files a user may let grow without bound, read and written at start and
// close: real.duf with many constants (loaded into both evaluators, and read
// by the definitions editor), a long expr.lst, and a settings file with a long
// history section.
//   build/bin/bench_files --benchmark_filter=UserDefinitions
#include "foundation/core/basicos.h"
#include "foundation/core/filesafe.h"
#include "foundation/core/zelini.h"
#include "engine/real/expresion.h"
#include "services/userdefs.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

struct Silent : MessageSink {
    int showMessage(const QString&, const QString&, unsigned) override { return idOk; }
};

QString WriteConstants(const QTemporaryDir& dir, int count)
{
    const QString name = QDir(dir.path()).filePath(QStringLiteral("real.duf"));
    QByteArray text = "[Constantes]\r\n";
    for (int i = 0; i < count; ++i)
        text += "c" + QByteArray::number(i) + "=" + QByteArray::number(i) + "*2_constante " +
                QByteArray::number(i) + "\r\n";
    WriteWholeFile(name, text);
    return name;
}

void BM_UserDefinitionsLoad(benchmark::State& state)
{
    Silent sink;
    Basicos().Messages = &sink;
    QTemporaryDir dir;
    const QString file = WriteConstants(dir, int(state.range(0)));
    for (auto _ : state) {
        real::TExpresion main;
        real::TExpresion input;
        main.SetUseBuiltIns(true);
        input.SetUseBuiltIns(true);
        const userdefs::TUserDefsLoad r = userdefs::LoadUserDefinitions(main, input, file, false);
        benchmark::DoNotOptimize(r.Constants.size());
    }
    state.SetComplexityN(state.range(0));
    Basicos().reset();
}
BENCHMARK(BM_UserDefinitionsLoad)->RangeMultiplier(10)->Range(1000, 300000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_UserDefinitionsEditor(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString file = WriteConstants(dir, int(state.range(0)));
    for (auto _ : state) {
        userdefs::TUserDefsEditor editor(userdefs::modeConstants, file);
        editor.Load();
        editor.Add(QStringLiteral("nueva"), nullptr);
        editor.Write();
        benchmark::DoNotOptimize(editor.Count());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_UserDefinitionsEditor)->RangeMultiplier(10)->Range(1000, 300000)->Unit(benchmark::kMillisecond)->Complexity();

// The history box reads only the lines it keeps, whatever the file's size.
void BM_ExpressionHistoryOpen(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString file = QDir(dir.path()).filePath(QStringLiteral("expr.lst"));
    QByteArray text;
    while (text.size() < state.range(0) << 20)
        text += "12345*sin(67)+89\r\n";
    WriteWholeFile(file, text);
    for (auto _ : state) {
        QStringList lines;
        ReadFirstLines(file, 50, lines);
        benchmark::DoNotOptimize(lines.size());
    }
}
BENCHMARK(BM_ExpressionHistoryOpen)->Arg(1)->Arg(50)->Unit(benchmark::kMicrosecond);

void BM_SettingsHistoryLoad(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString file = QDir(dir.path()).filePath(QStringLiteral("s.ini"));
    QByteArray text = "[Opciones]\r\nVer=280\r\n[Calculos]\r\n";
    for (int i = 0; i < state.range(0); ++i)
        text += QByteArray::number(i) + "=" + QByteArray::number(i) + "+1_0\r\n";
    WriteWholeFile(file, text);
    for (auto _ : state) {
        TZelIniFile ini(file);
        QStringList lines;
        ini.ReadSectionValues(QStringLiteral("Calculos"), lines);
        benchmark::DoNotOptimize(lines.size());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SettingsHistoryLoad)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond)->Complexity();

// A settings file grown with sections of one name (or of as many names):
// loading keeps the first of each in one pass.
void BM_SettingsRepeatedSectionsLoad(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString file = QDir(dir.path()).filePath(QStringLiteral("s.ini"));
    const bool distinct = state.range(1) != 0;
    QByteArray text;
    for (int i = 0; i < state.range(0); ++i)
        text += "[Opciones" + (distinct ? QByteArray::number(i) : QByteArray()) + "]\r\nVer=280\r\n";
    WriteWholeFile(file, text);
    for (auto _ : state) {
        TZelIniFile ini(file);
        benchmark::DoNotOptimize(ini.Sections().Count());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SettingsRepeatedSectionsLoad)
    ->ArgsProduct({{10000, 40000, 450000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
