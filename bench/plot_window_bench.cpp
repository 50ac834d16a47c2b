// SPDX-License-Identifier: GPL-3.0-or-later
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QRandomGenerator>
#include <cmath>

#include "FullPlotStore.h"
#include "plot/IvStoreSource.h"
#include "plot/PlotSession.h"
#include "plot/SeriesRaster.h"
#include "plotwindow/PlotCanvas.h"
#include "series/SeriesStore.h"

// The plot window's costs with a full store (150 series x 8 segments x 10000 points) in a
// plot of 1600 x 1000 pixels:
// - a zoom, a pan or a resize draws the whole picture anew, every stored point included
//   (goal: at most 33 ms, thirty pictures a second);
// - the hover readout finds the point nearest the mouse and says what it is (goal: at most
//   5 ms);
// - a live point of a running sweep, with the store full: the look the window takes and the
//   picture it then draws.

namespace {

using tarvix::bench::diodeCurrent;
using tarvix::bench::fullPlotStore;
using tarvix::bench::sweepVoltage;

using tarvix::plot::AxisRange;
using tarvix::plot::PlotSession;
using tarvix::plot::PlotView;
using tarvix::plotwindow::PlotCanvas;
using tarvix::series::SeriesStore;

const QSize kPlot(1600, 1000);

struct Plot {
    explicit Plot(bool log) : source(fullPlotStore()), session(source), canvas(session, nullptr) {
        session.refresh();
        session.setLogY(log);
        canvas.resize(kPlot);
        canvas.picture();
    }
    tarvix::plot::IvStoreSource source;
    PlotSession session;
    PlotCanvas canvas;
};

// Two views taken in turn, so that every picture is drawn from nothing (argument: log axis).
void BM_ZoomRedraw(benchmark::State& state) {
    Plot plot(state.range(0) != 0);
    const PlotView whole = plot.session.autoscaledView();
    PlotView zoomed = whole;
    zoomed.x = tarvix::plot::zoomedAbout(whole.x, 0.5, 0.8);
    bool in = false;
    for (auto _ : state) {
        in = !in;
        plot.session.show(in ? zoomed : whole, true);
        plot.canvas.invalidate();
        benchmark::DoNotOptimize(plot.canvas.picture().constBits());
    }
    state.counters["builds"] = plot.canvas.layers().builds();
}
BENCHMARK(BM_ZoomRedraw)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The layer alone, all stored series on one thread: what a picture costs beyond its layer
// is the difference to the redraws above (argument: log axis).
void BM_LayerOneThread(benchmark::State& state) {
    Plot plot(state.range(0) != 0);
    const tarvix::plot::PlotFrame frame = plot.canvas.currentFrame();
    const QSize size = frame.plot.size();
    QImage layer(size, QImage::Format_ARGB32_Premultiplied);
    const tarvix::plot::AxisMap x(frame.x.range(), 0, size.width() - 1);
    const tarvix::plot::AxisMap y(frame.y.range(), size.height() - 1, 0, true);
    for (auto _ : state) {
        layer.fill(Qt::transparent);
        tarvix::plot::SeriesRaster raster(layer, x, y);
        for (const auto& series : plot.session.series()) {
            raster.drawSeries(series, series.colour);
        }
        benchmark::DoNotOptimize(layer.constBits());
    }
}
BENCHMARK(BM_LayerOneThread)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A drag of the middle button: the view moves a few pixels per picture.
void BM_PanRedraw(benchmark::State& state) {
    Plot plot(false);
    PlotView view = plot.session.autoscaledView();
    const double step = (view.x.high - view.x.low) / 400.0;
    int n = 0;
    for (auto _ : state) {
        const double shift = (++n % 2 == 0 ? 1 : -1) * step;
        view.x.low += shift;
        view.x.high += shift;
        plot.session.show(view, false);
        plot.canvas.invalidate();
        benchmark::DoNotOptimize(plot.canvas.picture().constBits());
    }
}
BENCHMARK(BM_PanRedraw)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_ResizeRedraw(benchmark::State& state) {
    Plot plot(false);
    int n = 0;
    for (auto _ : state) {
        plot.canvas.resize(kPlot - QSize(++n % 2, 0));
        benchmark::DoNotOptimize(plot.canvas.picture().constBits());
    }
}
BENCHMARK(BM_ResizeRedraw)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// The mouse over the plot: the nearest of 12 million points and the readout's text.
void BM_HoverReadout(benchmark::State& state) {
    Plot plot(state.range(0) != 0);
    const tarvix::plot::PlotFrame frame = plot.canvas.currentFrame();
    QRandomGenerator random(3);
    for (auto _ : state) {
        const QPointF at(frame.plot.left() + random.bounded(frame.plot.width()),
                         frame.plot.top() + random.bounded(frame.plot.height()));
        plot.session.hover(plot.session.nearest(frame, at, INFINITY));
        benchmark::DoNotOptimize(plot.session.readout());
    }
}
BENCHMARK(BM_HoverReadout)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// One point of a running sweep with the window open: its look at the store and, since the
// point is new, the picture (the stored series from the kept layer).
void BM_LivePoint(benchmark::State& state) {
    Plot plot(false);
    SeriesStore& store = fullPlotStore();
    int point = 0;
    for (auto _ : state) {
        if (++point > SeriesStore::kMaxPoints) {
            state.PauseTiming();
            store.clearLive();
            point = 1;
            state.ResumeTiming();
        }
        store.setLivePoint(1, point, sweepVoltage(1, point, 10000, 0.25f),
                           diodeCurrent(sweepVoltage(1, point, 10000, 0.25f), 1.3f));
        if (plot.session.refresh()) {
            plot.canvas.invalidate();
        }
        benchmark::DoNotOptimize(plot.canvas.picture().constBits());
    }
    store.clearLive();
}
BENCHMARK(BM_LivePoint)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);  // fonts for the tick labels, the canvas
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
