// Start-up to a usable main window, on a real display (run under Xvfb):
//   xvfb-run -a build/bin/bench_startup
// "Usable" means: the main window is shown, the display has exposed it and the
// event queue has been emptied once after that (its first paint is done), so
// the next key the user types goes into the expression box.
//
// BM_StartupProcess starts this program again as a child that does what
// main() does (application object, message sink, RunProgram) and measures from
// the child's launch to its "ready" line: the figure a user waits for,
// loading of the libraries and connection to the display included.
// BM_StartupInProcess runs RunProgram() again and again inside this process:
// the program's own start-up work alone.
#include "controls/application.h"
#include "controls/frmautocomp.h"
#include "controls/frmteclado.h"
#include "engine/formulapicture.h"
#include "engine/real/expresion.h"
#include "foundation/core/basicos.h"
#include "platform/msgbox.h"
#include "shell/frmcalc.h"
#include "shell/startup.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string_view>

namespace {

constexpr std::string_view kChildFlag = "--startup-child";

// Answers every box as its default button would: the start-up must not wait
// for a person.
class AnswerDefault : public MessageSink {
public:
    int showMessage(const QString&, const QString&, unsigned flags) override { return DefaultButtonResult(flags); }
};

// A program folder as after the first run (settings say the first-run offer
// was made, the tips are not shown at start), so no box interrupts the
// start-up: a modal box would hold the program open after its main window
// closed.
void PrepareProgramFolder(const QString& dir)
{
    SetExeDir(dir);
    Basicos().ExeFile = QDir(dir).filePath(QStringLiteral("sumbrix"));
    auto write = [&](const char* name, const char* text) {
        QFile f(QDir(dir).filePath(QString::fromLatin1(name)));
        if (!f.exists() && f.open(QIODevice::WriteOnly))
            f.write(text);
    };
    write("sumbrix.ini", "[Opciones]\r\nVer=280\r\n");
    write("tips.ini", "[OPC]\r\nUsa=0\r\n");
}

TfrmCalcu* MainWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* main = qobject_cast<TfrmCalcu*>(w); main && main->isVisible())
            return main;
    return nullptr;
}

// Runs RunProgram(); once the main window is usable calls `ready` and (unless
// `stay`) closes the window, which ends the message loop through the
// program's own shut-down.
int RunUntilUsable(const std::function<void()>& ready, bool stay = false)
{
    QTimer poll;
    poll.setInterval(0);
    bool exposed = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        TfrmCalcu* main = MainWindow();
        if (!main || !main->windowHandle() || !main->windowHandle()->isExposed())
            return;
        if (!exposed) {
            // One more turn of the loop after the expose: the paint it asked for.
            exposed = true;
            return;
        }
        poll.stop();
        ready();
        if (!stay)
            main->close();
    });
    poll.start();
    const int code = RunProgram();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return code;
}

// The child: `stay` keeps its window open until the process is ended (for
// scripts/bench_startup.sh, which times it beside other programs).
int ChildMain(int argc, char** argv, const QString& dir, bool stay)
{
    TApplication app(argc, argv);
    InstallQtMessageSink();
    AnswerDefault sink;
    Basicos().Messages = &sink;
    PrepareProgramFolder(dir);
    return RunUntilUsable(
        [] {
            std::fputs("ready\n", stdout);
            std::fflush(stdout);
        },
        stay);
}

QString g_selfPath;

void BM_StartupProcess(benchmark::State& state)
{
    QTemporaryDir dir;
    for (auto _ : state) {
        QProcess child;
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.setStandardErrorFile(QProcess::nullDevice());
        QElapsedTimer clock;
        clock.start();
        child.start(g_selfPath, {QString::fromLatin1(kChildFlag.data(), kChildFlag.size()), dir.path()});
        bool ready = false;
        while (!ready && child.waitForReadyRead(10000))
            ready = child.readAll().contains("ready");
        const double seconds = clock.nsecsElapsed() / 1e9;
        if (!ready) {
            child.kill();
            child.waitForFinished(1000);
            state.SkipWithError("the child program did not reach a usable main window");
            break;
        }
        if (!child.waitForFinished(10000) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
            child.kill();
            child.waitForFinished(1000);
            state.SkipWithError("the child program did not end after its main window closed");
            break;
        }
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(BM_StartupProcess)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_StartupInProcess(benchmark::State& state)
{
    QTemporaryDir dir;
    AnswerDefault sink;
    for (auto _ : state) {
        // A fresh program state each time, as a new process would have.
        Calc().reset();
        Basicos().reset();
        Basicos().Messages = &sink;
        PrepareProgramFolder(dir.path());
        QElapsedTimer clock;
        clock.start();
        double seconds = 0;
        RunUntilUsable([&] { seconds = clock.nsecsElapsed() / 1e9; });
        state.SetIterationTime(seconds);
    }
    FreeAutoComp();
    FreeTeclado();
    PictureMetrics::reset();
    real::messageHook() = nullptr;
    Calc().reset();
    Basicos().reset();
}
BENCHMARK(BM_StartupInProcess)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::string_view(argv[1]) == kChildFlag)
        return ChildMain(argc, argv, QString::fromLocal8Bit(argv[2]), argc == 4 && std::string_view(argv[3]) == "--stay");

    TApplication app(argc, argv);
    InstallQtMessageSink();
    g_selfPath = QCoreApplication::applicationFilePath();
    // The figure that counts is on a real display: say which one was used.
    benchmark::AddCustomContext("platform", QGuiApplication::platformName().toStdString());
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
