// SPDX-License-Identifier: GPL-3.0-or-later
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cmath>
#include <optional>

#include "FullPlotStore.h"
#include "plot/IvStoreSource.h"
#include "plotwindow/PlotCanvas.h"
#include "plotwindow/PlotHost.h"
#include "plotwindow/PlotWindow.h"
#include "series/SeriesStore.h"

// The plot window's goals timed through the window itself, offscreen: the real PlotWindow
// with its list, readout and layout, over a full store (150 series x 8 segments x 10000
// points), its plot at 1600 x 1000 pixels. Each picture is painted into the window's
// backing store (repaint), as the screen would get it.
// - a zoom, a pan or a resize of the window (goal: at most 33 ms);
// - the mouse moved over the plot: the readout's answer and the crosshair (at most 5 ms);
// - a live point of a sweep of 8 x 10000 points with the window open and closed: the store
//   takes the point and the program lets pending events run, as the sweep does after every
//   point, so the window's look at the store comes at its own pace (goal: at most 1 ms more
//   with the window open).

namespace {

using tarvix::bench::diodeCurrent;
using tarvix::bench::fullPlotStore;
using tarvix::bench::sweepVoltage;

using tarvix::plot::PlotView;
using tarvix::plotwindow::PlotWindow;
using tarvix::series::SeriesStore;

const QSize kPlot(1600, 1000);

// The window's questions answered from the store alone.
class StoreHost : public tarvix::plotwindow::PlotHost {
  public:
    explicit StoreHost(const SeriesStore& store) : source_(store) {}
    std::vector<const tarvix::plot::PlotSource*> sources() override { return {&source_}; }
    const tarvix::plot::PlotSource* storeSource() const override { return &source_; }
    QString seriesComment(int) const override { return QStringLiteral("annealed"); }
    QString seriesDate(int) const override { return QStringLiteral("2026-12-07 10:00"); }
    void setSeriesComment(int, const QString&) override {}
    bool deleteSeries(int, int) override { return false; }
    std::optional<double> cursorX() const override { return std::nullopt; }
    QString pictureFileName() override { return {}; }
    QString settingsFolder() const override { return settings_.path(); }

  private:
    tarvix::plot::IvStoreSource source_;
    QTemporaryDir settings_;
};

// The window shown with its plot at 1600 x 1000 and drawn once.
struct OpenWindow {
    OpenWindow() : host(fullPlotStore()), window(host, nullptr) {
        window.show();
        window.resize(2100, 1300);
        QCoreApplication::processEvents();
        const QSize more = kPlot - window.canvas().size();
        window.resize(window.size() + more);
        QCoreApplication::processEvents();
        window.canvas().repaint();
    }
    StoreHost host;
    PlotWindow window;
};

void BM_WindowZoom(benchmark::State& state) {
    OpenWindow open;
    const PlotView whole = open.window.session().autoscaledView();
    PlotView zoomed = whole;
    zoomed.x = tarvix::plot::zoomedAbout(whole.x, 0.5, 0.8);
    bool in = false;
    for (auto _ : state) {
        in = !in;
        open.window.zoomTo(in ? zoomed : whole);
        open.window.canvas().repaint();
    }
    state.counters["width"] = open.window.canvas().width();
    state.counters["height"] = open.window.canvas().height();
}
BENCHMARK(BM_WindowZoom)->Unit(benchmark::kMillisecond)->UseRealTime();

// A drag with the middle button, a few pixels per picture.
void BM_WindowPan(benchmark::State& state) {
    OpenWindow open;
    auto& canvas = open.window.canvas();
    const QPointF middle(canvas.width() / 2.0, canvas.height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, middle, middle, Qt::MiddleButton, Qt::MiddleButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&canvas, &press);
    int n = 0;
    for (auto _ : state) {
        const QPointF to = middle + QPointF((++n % 2 == 0 ? 3 : -3), 0);
        QMouseEvent move(QEvent::MouseMove, to, to, Qt::NoButton, Qt::MiddleButton, Qt::NoModifier);
        QApplication::sendEvent(&canvas, &move);
        canvas.repaint();
    }
}
BENCHMARK(BM_WindowPan)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WindowResize(benchmark::State& state) {
    OpenWindow open;
    const QSize size = open.window.size();
    int n = 0;
    for (auto _ : state) {
        open.window.resize(size - QSize(++n % 2, 0));
        QCoreApplication::processEvents();
        open.window.canvas().repaint();
    }
}
BENCHMARK(BM_WindowResize)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WindowHover(benchmark::State& state) {
    OpenWindow open;
    auto& canvas = open.window.canvas();
    const QRect plot = canvas.currentFrame().plot;
    QRandomGenerator random(3);
    for (auto _ : state) {
        const QPointF at(plot.left() + random.bounded(plot.width()),
                         plot.top() + random.bounded(plot.height()));
        QMouseEvent move(QEvent::MouseMove, at, at, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&canvas, &move);
        canvas.repaint();
    }
}
BENCHMARK(BM_WindowHover)->Unit(benchmark::kMillisecond)->UseRealTime();

// One point of a sweep of 8 x 10000 live points and the events the sweep lets run after it
// (argument: the window open).
void BM_WindowLivePoint(benchmark::State& state) {
    std::optional<OpenWindow> open;
    if (state.range(0) != 0) {
        open.emplace();
    }
    SeriesStore& store = fullPlotStore();
    store.clearLive();
    int segment = 1;
    int point = 0;
    for (auto _ : state) {
        if (++point > SeriesStore::kMaxPoints) {
            point = 1;
            if (++segment > SeriesStore::kSegments) {
                state.PauseTiming();
                store.clearLive();
                segment = 1;
                state.ResumeTiming();
            }
        }
        const float voltage = sweepVoltage(segment, point, SeriesStore::kMaxPoints, 2.0f);
        store.setLivePoint(segment, point, voltage, diodeCurrent(voltage, 1.3f));
        QCoreApplication::processEvents();
    }
    store.clearLive();
}
BENCHMARK(BM_WindowLivePoint)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(80000)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

// The worst case of a live point: points slower than the window's looks, so that every
// point gets a look and a picture of its own, near the end of a run of 8 x 10000 points.
void BM_WindowLivePicture(benchmark::State& state) {
    OpenWindow open;
    SeriesStore& store = fullPlotStore();
    store.clearLive();
    const auto add = [&](int index) {
        const int segment = 1 + index / SeriesStore::kMaxPoints;
        const int point = 1 + index % SeriesStore::kMaxPoints;
        const float voltage = sweepVoltage(segment, point, SeriesStore::kMaxPoints, 2.0f);
        store.setLivePoint(segment, point, voltage, diodeCurrent(voltage, 1.3f));
    };
    const int total = SeriesStore::kSegments * SeriesStore::kMaxPoints;
    const int timed = 500;
    int index = 0;
    for (; index < total - timed; ++index) {
        add(index);
    }
    open.window.refresh();
    open.window.canvas().repaint();
    for (auto _ : state) {
        if (index == total) {
            break;
        }
        add(index++);
        open.window.refresh();
        open.window.canvas().repaint();
    }
    state.counters["live"] = index;
    store.clearLive();
}
BENCHMARK(BM_WindowLivePicture)->Iterations(500)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
