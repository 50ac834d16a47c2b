// SPDX-License-Identifier: GPL-3.0-or-later
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>

#include "series/ExportCorrections.h"
#include "series/SeriesStore.h"

// The export corrections over a full store (150 series of eight segments of 10000 slots)
// beside a plain copy of both tables, the yardstick they are measured against (goal: every
// option on every kind of data at most 2 plain copies; bench/compare_export.sh).

namespace {

using tarvix::series::ExportOptions;
using tarvix::series::SeriesResistor;
using tarvix::series::SeriesStore;

// Uniform: currents spread evenly over +-1 uA, none near the noise floor. Picoampere: a
// sample whose currents lie around 1e-12 A to 1e-10 A, most of them under the floor of 1e-11 A
// where the noise correction has work to do.
enum class Sample { Uniform, Picoampere };

SeriesStore* makeStore(Sample sample) {
    auto* s = new SeriesStore;
    std::mt19937 random(3);
    std::uniform_real_distribution<float> volts(-10, 10);
    std::uniform_real_distribution<float> amps(-1e-6f, 1e-6f);
    std::uniform_real_distribution<float> decades(-12.5f, -10.0f);
    std::bernoulli_distribution negative(0.5);
    float* current = s->storedCurrentTable();
    float* voltage = s->storedVoltageTable();
    for (std::size_t i = 0; i < SeriesStore::kTableFloats; ++i) {
        voltage[i] = volts(random);
        if (sample == Sample::Uniform) {
            current[i] = amps(random);
        } else {
            const float magnitude = std::pow(10.0f, decades(random));
            current[i] = negative(random) ? -magnitude : magnitude;
        }
    }
    s->seriesCount = SeriesStore::kMaxSeries;
    s->snapshotStored();
    return s;
}

SeriesStore& fullStore(Sample sample = Sample::Uniform) {
    static SeriesStore* uniform = makeStore(Sample::Uniform);
    static SeriesStore* picoampere = nullptr;
    if (sample == Sample::Uniform) {
        return *uniform;
    }
    if (!picoampere) {
        picoampere = makeStore(Sample::Picoampere);
    }
    return *picoampere;
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
BENCHMARK(BM_PlainCopyOfBothTables)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void runCorrections(benchmark::State& state, const ExportOptions& options,
                    Sample sample = Sample::Uniform) {
    SeriesStore& store = fullStore(sample);
    // Two clicks an iteration, the second with "ABS for log" the other way, so that every
    // click changes the tables as an operator's does.
    ExportOptions toggled = options;
    toggled.absoluteCurrent = !options.absoluteCurrent;
    for (auto _ : state) {
        tarvix::series::applyExportCorrections(store, options);
        tarvix::series::applyExportCorrections(store, toggled);
        benchmark::DoNotOptimize(store.storedCurrentTable());
    }
    state.counters["per_click"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 2,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_RestoreOnly(benchmark::State& state) {
    runCorrections(state, {});
}
BENCHMARK(BM_RestoreOnly)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_AbsoluteOnly(benchmark::State& state) {
    runCorrections(state, {true, false, false, {}});
}
BENCHMARK(BM_AbsoluteOnly)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_DriftOnly(benchmark::State& state) {
    runCorrections(state, {false, true, false, {}});
}
BENCHMARK(BM_DriftOnly)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_DenoiseOnly(benchmark::State& state) {
    runCorrections(state, {false, false, true, {}});
}
BENCHMARK(BM_DenoiseOnly)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_ResistorOnly(benchmark::State& state) {
    runCorrections(state, {false, false, false, SeriesResistor::R1M});
}
BENCHMARK(BM_ResistorOnly)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_EveryOption(benchmark::State& state) {
    runCorrections(state, {true, true, true, SeriesResistor::R10K});
}
BENCHMARK(BM_EveryOption)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

void BM_DenoiseOnlyPicoampere(benchmark::State& state) {
    runCorrections(state, {false, false, true, {}}, Sample::Picoampere);
}
BENCHMARK(BM_DenoiseOnlyPicoampere)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

void BM_EveryOptionPicoampere(benchmark::State& state) {
    runCorrections(state, {true, true, true, SeriesResistor::R10K}, Sample::Picoampere);
}
BENCHMARK(BM_EveryOptionPicoampere)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
