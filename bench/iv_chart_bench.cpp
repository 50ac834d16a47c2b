#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cmath>

#include "series/IvChart.h"
#include "series/SeriesStore.h"

// One redraw of the I-V chart during a measurement (a live run of 100 points) with an empty
// store and with a full one (150 series x 8 segments x 10000 points). The stored layer is
// kept between redraws, so the full store should cost about what the empty one does.

namespace {

using tarvix::series::IvChart;
using tarvix::series::IvChartOptions;
using tarvix::series::IvChartRanges;
using tarvix::series::SeriesStore;

const QSize kPaintBox(633, 425);
const IvChartRanges kRanges{-1.5e-5, 1.5e-5, -2.0, 2.0};
constexpr int kLivePoints = 100;

float diodeCurrent(float voltage, float scale) {
    return scale * 1e-7f * (std::exp(3.0f * voltage) - 1.0f);
}

void fillLiveRun(SeriesStore& store) {
    float* voltage = store.liveVoltage(1);
    float* current = store.liveCurrent(1);
    voltage[0] = current[0] = static_cast<float>(kLivePoints);
    for (int p = 1; p <= kLivePoints; ++p) {
        voltage[p] = -2.0f + 4.0f * static_cast<float>(p) / kLivePoints;
        current[p] = diodeCurrent(voltage[p], 1.3f);
    }
}

SeriesStore& emptyStore() {
    static SeriesStore* store = [] {
        auto* s = new SeriesStore;
        fillLiveRun(*s);
        return s;
    }();
    return *store;
}

SeriesStore& fullStore() {
    static SeriesStore* store = [] {
        auto* s = new SeriesStore;
        for (int series = 1; series <= SeriesStore::kMaxSeries; ++series) {
            const float scale = 0.5f + static_cast<float>(series) / 50.0f;
            for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
                float* voltage = s->storedVoltage(segment, series);
                float* current = s->storedCurrent(segment, series);
                const float reach = 0.25f * static_cast<float>(segment);
                voltage[0] = current[0] = static_cast<float>(SeriesStore::kMaxPoints);
                for (int p = 1; p <= SeriesStore::kMaxPoints; ++p) {
                    const float t = static_cast<float>(p - 1) / (SeriesStore::kMaxPoints - 1);
                    voltage[p] =
                        segment % 2 == 1 ? -reach + 2.0f * reach * t : reach - 2.0f * reach * t;
                    current[p] = diodeCurrent(voltage[p], scale);
                }
                s->segmentLabel(segment, series) = QStringLiteral("12:00:00/1000ms");
            }
        }
        s->seriesCount = SeriesStore::kMaxSeries;
        fillLiveRun(*s);
        return s;
    }();
    return *store;
}

void liveRedraw(benchmark::State& state, SeriesStore& store, bool logScale) {
    IvChart chart(kPaintBox);
    IvChartOptions options;
    options.logScale = logScale;
    const QString yLabel = IvChart::currentCaption();
    const QString xLabel = IvChart::voltageCaption();
    chart.drawIvChart(yLabel, xLabel, kRanges, options, store, nullptr);  // warms the layers
    for (auto _ : state) {
        auto label = chart.drawIvChart(yLabel, xLabel, kRanges, options, store, nullptr);
        benchmark::DoNotOptimize(label);
        benchmark::DoNotOptimize(chart.ivBitmap().constBits());
    }
}

void BM_LiveRedrawEmptyStore(benchmark::State& state) {
    liveRedraw(state, emptyStore(), state.range(0) != 0);
}
BENCHMARK(BM_LiveRedrawEmptyStore)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

void BM_LiveRedrawFullStore(benchmark::State& state) {
    liveRedraw(state, fullStore(), state.range(0) != 0);
}
BENCHMARK(BM_LiveRedrawFullStore)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// What a change of the store costs once: the stored layer drawn again from all 12 million
// points (a commit of a series, a new range).
void BM_StoredLayerRebuildFullStore(benchmark::State& state) {
    SeriesStore& store = fullStore();
    IvChart chart(kPaintBox);
    const IvChartOptions options;
    for (auto _ : state) {
        chart.invalidateCaches();
        chart.drawIvChart(IvChart::currentCaption(), IvChart::voltageCaption(), kRanges, options,
                          store, nullptr);
        benchmark::DoNotOptimize(chart.ivBitmap().constBits());
    }
}
BENCHMARK(BM_StoredLayerRebuildFullStore)->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);  // fonts for the tick labels
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
