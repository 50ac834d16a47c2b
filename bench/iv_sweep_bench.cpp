// SPDX-License-Identifier: GPL-3.0-or-later
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cmath>
#include <memory>

#include "buses/createBus.h"
#include "iv/IvSweep.h"
#include "journal/RecoveryJournal.h"
#include "series/IvChart.h"
#include "series/SeriesStore.h"
#include "thermo/ThermoRecord.h"

// A sweep of 10000 points on the simulated bench without latency, every point stored and the
// chart redrawn as the window does it, with an empty store and with a full one (150 series of
// 8 segments of 10000 points). The time per point should not depend on what is stored.

namespace {

using namespace tarvix;

constexpr int kPoints = 10000;

// The window's part of a sweep, without a window: redraw after every point.
class ChartHost : public iv::IvHost {
  public:
    ChartHost(series::IvChart& chart, series::SeriesStore& store) : chart_(chart), store_(store) {}
    bool stopRequested() const override { return false; }
    void requestStop() override {}
    float manualVoltage() const override { return 0; }
    bool manualMode() const override { return false; }
    bool segmentEnabled(int segment) const override { return segment == 1; }
    void drawChart() override {
        series::IvChartOptions options;
        chart_.drawIvChart(series::IvChart::currentCaption(), series::IvChart::voltageCaption(),
                           {-1.5e-5, 1.5e-5, -2.0, 2.0}, options, store_, nullptr);
    }
    void letEventsRun() override {}
    void sleepMs(int) override {}
    bool takeHoldRelease() override { return true; }
    void runLcrSweep() override {}
    void runTimeDependence() override {}

  private:
    series::IvChart& chart_;
    series::SeriesStore& store_;
};

void fillStore(series::SeriesStore& store) {
    for (int series = 1; series <= series::SeriesStore::kMaxSeries; ++series) {
        for (int segment = 1; segment <= series::SeriesStore::kSegments; ++segment) {
            float* voltage = store.storedVoltage(segment, series);
            float* current = store.storedCurrent(segment, series);
            voltage[0] = current[0] = static_cast<float>(series::SeriesStore::kMaxPoints);
            for (int p = 1; p <= series::SeriesStore::kMaxPoints; ++p) {
                voltage[p] = -2.0f + 4.0f * static_cast<float>(p) / series::SeriesStore::kMaxPoints;
                current[p] = 1e-7f * static_cast<float>(series) * std::sinh(voltage[p]);
            }
        }
    }
    store.seriesCount = series::SeriesStore::kMaxSeries - 1;
}

void runSweep(benchmark::State& state, bool full, bool journaled = false) {
    auto store = std::make_unique<series::SeriesStore>();
    if (full) {
        fillStore(*store);
    }
    QTemporaryDir folder;
    auto record = std::make_unique<thermo::ThermoRecord>();
    journal::RecoveryJournal recovery(*store, *record);
    if (journaled) {
        // As the window describes each run to the database: a comment and some 40 settings.
        recovery.database().setDescriber([](const QString&) {
            journal::MeasurementContext context{QStringLiteral("sample"), {}};
            for (int key = 0; key < 40; ++key) {
                context.values.emplace_back(QStringLiteral("setting.%1").arg(key),
                                            QStringLiteral("1.5E-5"));
            }
            return context;
        });
        recovery.openAndRecover(folder.path());
    }
    QString error;
    auto gpib = buses::createBus(QStringLiteral("sim:noise=0,latency=0"), &error);
    series::IvChart chart(QSize(633, 425));
    ChartHost host(chart, *store);
    iv::SegmentState segment;
    iv::SweepOptions options;
    options.range = 2;
    options.compliance = 2e-6;
    iv::SweepPlan plan;
    plan.start[1] = -2;
    plan.end[1] = 2;
    plan.stepCount = kPoints - 1;
    plan.repeatCount = 1;
    plan.valid = true;
    for (auto _ : state) {
        const int before = store->seriesCount;
        iv::CheckedBus link(*gpib);
        QStringList problems;
        iv::IvSweep sweep(link, *store, segment, host);
        sweep.runVoltageSweep(plan, options, problems);
        store->seriesCount = before;  // measure into the same slot every time
    }
    state.counters["seconds_per_point"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kPoints,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_SweepEmptyStore(benchmark::State& state) {
    runSweep(state, false);
}
void BM_SweepFullStore(benchmark::State& state) {
    runSweep(state, true);
}

void BM_SweepEmptyStoreJournaled(benchmark::State& state) {
    runSweep(state, false, true);
}
void BM_SweepFullStoreJournaled(benchmark::State& state) {
    runSweep(state, true, true);
}

BENCHMARK(BM_SweepEmptyStore)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(6)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_SweepEmptyStoreJournaled)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(6)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_SweepFullStore)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(6)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_SweepFullStoreJournaled)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(6)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
