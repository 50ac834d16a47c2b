// SPDX-License-Identifier: GPL-3.0-or-later
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <cmath>
#include <memory>

#include "series/IvChart.h"
#include "series/SeriesStore.h"
#include "shell/Widgets.h"

// The I-V chart's costs that depend on how much is stored or measured:
// - a live run of eight segments, point by point as a sweep draws it, with 1001 and with 4001
//   points a segment: the cost per point should not grow with the run (goal: 4001 at most
//   1.3 x 1001 per point);
// - the end of a repetition (a 41-point series committed and the chart drawn) on an empty
//   store and on one holding 100 full series (goal: at most 1.5 x);
// - the stored layer drawn anew from a full store (150 series x 8 segments x 10000 points),
//   as a change of scale or range does (goal: at most 150 ms);
// - a window paint of PaintBox1, the whole picture beside the part a new point changed.

namespace {

using tarvix::series::IvChart;
using tarvix::series::IvChartOptions;
using tarvix::series::IvChartRanges;
using tarvix::series::SeriesStore;

const QSize kPaintBox(633, 425);
const IvChartRanges kRanges{-1.5e-5, 1.5e-5, -2.0, 2.0};
constexpr int kRepetitionPoints = 41;
constexpr int kFilledSeries = 100;

float diodeCurrent(float voltage, float scale) {
    return scale * 1e-7f * (std::exp(3.0f * voltage) - 1.0f);
}

// Segment s of a run sweeps back and forth over +-reach, as the sweep plan's zig-zag does.
float sweepVoltage(int segment, int point, int points, float reach) {
    const float t = static_cast<float>(point - 1) / static_cast<float>(std::max(points - 1, 1));
    return segment % 2 == 1 ? -reach + 2.0f * reach * t : reach - 2.0f * reach * t;
}

void fillStored(SeriesStore& s, int lastSeries) {
    for (int series = 1; series <= lastSeries; ++series) {
        const float scale = 0.5f + static_cast<float>(series) / 50.0f;
        for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
            float* voltage = s.storedVoltage(segment, series);
            float* current = s.storedCurrent(segment, series);
            const float reach = 0.25f * static_cast<float>(segment);
            voltage[0] = current[0] = static_cast<float>(SeriesStore::kMaxPoints);
            for (int p = 1; p <= SeriesStore::kMaxPoints; ++p) {
                voltage[p] = sweepVoltage(segment, p, SeriesStore::kMaxPoints, reach);
                current[p] = diodeCurrent(voltage[p], scale);
            }
            s.segmentLabel(segment, series) = QStringLiteral("12:00:00/1000ms");
        }
    }
    s.seriesCount = lastSeries;
}

SeriesStore& fullStore() {
    static SeriesStore* store = [] {
        auto* s = new SeriesStore;
        fillStored(*s, SeriesStore::kMaxSeries);
        return s;
    }();
    return *store;
}

std::optional<QString> draw(IvChart& chart, const SeriesStore& store,
                            const IvChartOptions& options = {}) {
    return chart.drawIvChart(IvChart::currentCaption(), IvChart::voltageCaption(), kRanges, options,
                             store, nullptr);
}

// Writes one live point as the sweep does and draws the chart.
void measurePoint(IvChart& chart, SeriesStore& store, int segment, int point, int points) {
    float* voltage = store.liveVoltage(segment);
    float* current = store.liveCurrent(segment);
    voltage[point] = sweepVoltage(segment, point, points, 2.0f);
    current[point] = diodeCurrent(voltage[point], 1.3f);
    voltage[0] = current[0] = static_cast<float>(point);
    benchmark::DoNotOptimize(draw(chart, store));
}

void BM_LiveRunPerPoint(benchmark::State& state) {
    const int points = static_cast<int>(state.range(0));
    SeriesStore& store = fullStore();
    IvChart chart(kPaintBox);
    draw(chart, store);
    for (auto _ : state) {
        store.clearLive();
        for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
            for (int p = 1; p <= points; ++p) {
                measurePoint(chart, store, segment, p, points);
            }
        }
    }
    state.counters["per_point"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * SeriesStore::kSegments * points,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    store.clearLive();
}
BENCHMARK(BM_LiveRunPerPoint)->Arg(1001)->Arg(4001)->Unit(benchmark::kMillisecond);

// Repetitions end one after another, each committing a new series above the stored ones.
void BM_RepetitionEnd(benchmark::State& state) {
    const bool filled = state.range(0) != 0;
    auto store = std::make_unique<SeriesStore>();
    if (filled) {
        fillStored(*store, kFilledSeries);
    }
    IvChart chart(kPaintBox);
    draw(chart, *store);
    for (auto _ : state) {
        for (int p = 1; p <= kRepetitionPoints; ++p) {
            float* voltage = store->liveVoltage(1);
            float* current = store->liveCurrent(1);
            voltage[p] = sweepVoltage(1, p, kRepetitionPoints, 2.0f);
            current[p] = diodeCurrent(voltage[p], 1.1f);
            voltage[0] = current[0] = static_cast<float>(p);
        }
        store->seriesCount += 1;
        store->commitLive(store->seriesCount);
        store->clearLive();
        benchmark::DoNotOptimize(draw(chart, *store));
    }
}
BENCHMARK(BM_RepetitionEnd)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(SeriesStore::kMaxSeries - kFilledSeries)
    ->Unit(benchmark::kMicrosecond);

// What a change of scale or range costs once: the stored layer drawn anew from all 12
// million points (argument: log scale), on two threads; processor time of both.
void BM_StoredLayerRebuildFullStore(benchmark::State& state) {
    SeriesStore& store = fullStore();
    IvChart chart(kPaintBox);
    IvChartOptions options;
    options.logScale = state.range(0) != 0;
    for (auto _ : state) {
        chart.invalidateCaches();
        draw(chart, store, options);
        benchmark::DoNotOptimize(chart.ivBitmap().constBits());
    }
}
BENCHMARK(BM_StoredLayerRebuildFullStore)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(6)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// The yardstick: the whole chart drawn from scratch, every stored point at full resolution on
// one thread, as every rebuild was drawn before.
void BM_DrawingFromScratchFullStore(benchmark::State& state) {
    SeriesStore& store = fullStore();
    IvChart chart(kPaintBox);
    chart.setCachingEnabled(false);
    IvChartOptions options;
    options.logScale = state.range(0) != 0;
    for (auto _ : state) {
        draw(chart, store, options);
        benchmark::DoNotOptimize(chart.ivBitmap().constBits());
    }
}
BENCHMARK(BM_DrawingFromScratchFullStore)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

// PaintBox1 painting the chart: all of it (argument 0) or the part that one new point of a
// live run changed (argument 1), as the window asks for while a sweep runs.
void BM_WindowPaint(benchmark::State& state) {
    SeriesStore& store = fullStore();
    IvChart chart(kPaintBox);
    measurePoint(chart, store, 1, 1, 100);
    measurePoint(chart, store, 1, 2, 100);
    const QRect area = state.range(0) != 0 ? chart.lastChangedArea() : chart.ivBitmap().rect();
    tarvix::shell::ImageBox box;
    box.resize(kPaintBox);
    box.setImage(&chart.ivBitmap());
    QImage screen(kPaintBox, QImage::Format_RGB32);
    for (auto _ : state) {
        box.render(&screen, area.topLeft(), QRegion(area));
        benchmark::DoNotOptimize(screen.constBits());
    }
    store.clearLive();
}
BENCHMARK(BM_WindowPaint)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);  // fonts for the tick labels, the paint box
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
