#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <random>

#include "series/ExportCorrections.h"
#include "series/SeriesStore.h"

// The export corrections over a full store (150 series of eight segments of 10000 slots)
// beside a plain copy of both tables, the yardstick they are measured against.

namespace {

using tarvix::series::ExportOptions;
using tarvix::series::SeriesResistor;
using tarvix::series::SeriesStore;

SeriesStore& fullStore() {
    static SeriesStore* store = [] {
        auto* s = new SeriesStore;
        std::mt19937 random(3);
        std::uniform_real_distribution<float> volts(-10, 10);
        std::uniform_real_distribution<float> amps(-1e-6f, 1e-6f);
        float* current = s->storedCurrentTable();
        float* voltage = s->storedVoltageTable();
        for (std::size_t i = 0; i < SeriesStore::kTableFloats; ++i) {
            current[i] = amps(random);
            voltage[i] = volts(random);
        }
        s->seriesCount = SeriesStore::kMaxSeries;
        s->snapshotStored();
        return s;
    }();
    return *store;
}

void BM_PlainCopyOfBothTables(benchmark::State& state) {
    SeriesStore& store = fullStore();
    static std::unique_ptr<float[]> current(new float[SeriesStore::kTableFloats]);
    static std::unique_ptr<float[]> voltage(new float[SeriesStore::kTableFloats]);
    const std::size_t bytes = SeriesStore::kTableFloats * sizeof(float);
    for (auto _ : state) {
        std::memcpy(current.get(), store.storedCurrentTable(), bytes);
        std::memcpy(voltage.get(), store.storedVoltageTable(), bytes);
        benchmark::DoNotOptimize(current.get());
        benchmark::DoNotOptimize(voltage.get());
    }
}
BENCHMARK(BM_PlainCopyOfBothTables)->Unit(benchmark::kMillisecond);

void runCorrections(benchmark::State& state, const ExportOptions& options) {
    SeriesStore& store = fullStore();
    for (auto _ : state) {
        tarvix::series::applyExportCorrections(store, options);
        benchmark::DoNotOptimize(store.storedCurrentTable());
    }
}

void BM_RestoreOnly(benchmark::State& state) {
    runCorrections(state, {});
}
BENCHMARK(BM_RestoreOnly)->Unit(benchmark::kMillisecond);

void BM_AbsoluteOnly(benchmark::State& state) {
    runCorrections(state, {true, false, false, {}});
}
BENCHMARK(BM_AbsoluteOnly)->Unit(benchmark::kMillisecond);

void BM_DriftOnly(benchmark::State& state) {
    runCorrections(state, {false, true, false, {}});
}
BENCHMARK(BM_DriftOnly)->Unit(benchmark::kMillisecond);

void BM_DenoiseOnly(benchmark::State& state) {
    runCorrections(state, {false, false, true, {}});
}
BENCHMARK(BM_DenoiseOnly)->Unit(benchmark::kMillisecond);

void BM_ResistorOnly(benchmark::State& state) {
    runCorrections(state, {false, false, false, SeriesResistor::R1M});
}
BENCHMARK(BM_ResistorOnly)->Unit(benchmark::kMillisecond);

void BM_EveryOption(benchmark::State& state) {
    runCorrections(state, {true, true, true, SeriesResistor::R10K});
}
BENCHMARK(BM_EveryOption)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
