// Formula drawing: measuring and drawing a sum of 500 terms and a fraction
// nested 30 deep, into the recorded picture (what the window shows, copies and
// exports) and onto an image with the real fonts.
//
// Target: each under 20 ms (font metrics kept per font by QtCanvasMetrics; each
// node measured once per drawing through the measuring pass).

#include "engine/real/expresion.h"
#include "drawkit/qpaintercanvas.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>

#include <memory>

namespace {

using real::TExpresion;

QString SumOfTerms(int terms)
{
    QString s = QStringLiteral("x");
    for (int i = 1; i < terms; ++i)
        s += (i % 3 == 0 ? QStringLiteral("+x*") : QStringLiteral("+")) + QString::number(i % 97 + 2);
    return s;
}

QString NestedFraction(int depth)
{
    QString s = QStringLiteral("x");
    for (int i = 0; i < depth; ++i)
        s = QStringLiteral("1/(x+") + s + QStringLiteral(")");
    return s;
}

// One expression object per text, compiled once outside the timing.
std::unique_ptr<TExpresion> Compiled(const QString& text)
{
    auto e = std::make_unique<TExpresion>();
    e->Silent = true;
    e->AddVariable(QStringLiteral("x"));
    e->SetText(text);
    return e;
}

void DrawToPicture(benchmark::State& state, const QString& text)
{
    auto e = Compiled(text);
    if (!e->Root) {
        state.SkipWithError("did not compile");
        return;
    }
    QtCanvasMetrics& metrics = QtCanvasMetrics::shared();
    for (auto _ : state) {
        auto picture = e->DrawToMetafile(&metrics);
        benchmark::DoNotOptimize(picture.get());
    }
}

void DrawToImage(benchmark::State& state, const QString& text)
{
    auto e = Compiled(text);
    if (!e->Root) {
        state.SkipWithError("did not compile");
        return;
    }
    QtCanvasMetrics& metrics = QtCanvasMetrics::shared();
    auto size = e->DrawToMetafile(&metrics);
    QImage image(size->width(), size->height(), QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        QPainterCanvas canvas(painter, &metrics);
        int w, a, b;
        e->Root->Measure(canvas, 20, w, a, b);
        e->Root->Draw(canvas, 2, 2, 20);
        benchmark::DoNotOptimize(image.bits());
    }
}

void BM_Draw_Sum500_Picture(benchmark::State& state) { DrawToPicture(state, SumOfTerms(500)); }
BENCHMARK(BM_Draw_Sum500_Picture)->Unit(benchmark::kMillisecond);

void BM_Draw_Sum500_Image(benchmark::State& state) { DrawToImage(state, SumOfTerms(500)); }
BENCHMARK(BM_Draw_Sum500_Image)->Unit(benchmark::kMillisecond);

void BM_Draw_NestedFraction30_Picture(benchmark::State& state) { DrawToPicture(state, NestedFraction(30)); }
BENCHMARK(BM_Draw_NestedFraction30_Picture)->Unit(benchmark::kMillisecond);

void BM_Draw_NestedFraction30_Image(benchmark::State& state) { DrawToImage(state, NestedFraction(30)); }
BENCHMARK(BM_Draw_NestedFraction30_Image)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
