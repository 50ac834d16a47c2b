// SPDX-License-Identifier: GPL-3.0-or-later
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>
#include <random>
#include <string>
#include <vector>

#include "series/KtlFileNumber.h"
#include "series/KtlFileReader.h"
#include "series/KtlFileRealText.h"
#include "series/KtlFileStoreSteps.h"
#include "series/KtlFileWriter.h"
#include "series/SeriesStore.h"
#include "text/DecimalParse.h"
#include "text/NumberText.h"

// The series files' number texts beside the shared routines, and a save and an open of a
// store of ten full series (800000 points, about 40 MB of text).

namespace {

using namespace tarvix::series;

std::vector<float> sampleValues() {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-12, 1);
    std::vector<float> values(4096);
    for (float& value : values) {
        value = std::ldexp(mantissa(random), exponent(random) * 3);
    }
    return values;
}

void BM_DefaultRealShared(benchmark::State& state) {
    const std::vector<float> values = sampleValues();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tarvix::text::defaultReal(values[i++ % values.size()]));
    }
}
BENCHMARK(BM_DefaultRealShared);

void BM_DefaultRealIntoBuffer(benchmark::State& state) {
    const std::vector<float> values = sampleValues();
    char buffer[kDefaultRealWidth];
    std::size_t i = 0;
    for (auto _ : state) {
        writeDefaultReal(buffer, values[i++ % values.size()]);
        benchmark::DoNotOptimize(buffer);
    }
}
BENCHMARK(BM_DefaultRealIntoBuffer);

std::vector<std::string> sampleTexts() {
    std::vector<std::string> texts;
    for (float value : sampleValues()) {
        texts.push_back(tarvix::text::defaultReal(value).toStdString() + "   ");
    }
    return texts;
}

void BM_LeadingNumberShared(benchmark::State& state) {
    const std::vector<std::string> texts = sampleTexts();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tarvix::text::parseLeadingNumber(texts[i++ % texts.size()]));
    }
}
BENCHMARK(BM_LeadingNumberShared);

void BM_LineNumber(benchmark::State& state) {
    const std::vector<std::string> texts = sampleTexts();
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(readLineNumber(texts[i++ % texts.size()]));
    }
}
BENCHMARK(BM_LineNumber);

constexpr int kBenchSeries = 10;

SeriesStore& filledStore() {
    static SeriesStore* store = [] {
        auto* s = new SeriesStore;
        const std::vector<float> values = sampleValues();
        std::size_t i = 0;
        for (int series = 1; series <= kBenchSeries; ++series) {
            for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
                float* voltage = s->storedVoltage(segment, series);
                float* current = s->storedCurrent(segment, series);
                voltage[0] = current[0] = SeriesStore::kMaxPoints;
                for (int p = 1; p <= SeriesStore::kMaxPoints; ++p) {
                    voltage[p] = values[i++ % values.size()];
                    current[p] = values[i++ % values.size()];
                }
            }
        }
        s->seriesCount = kBenchSeries;
        return s;
    }();
    return *store;
}

// The argument: how many threads write (1, or 2 as the program does on two cores).
void BM_SaveTenSeries(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.ktl");
    SeriesStore& store = filledStore();
    const auto parts = static_cast<int>(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(writeKtlFile(path, store, {"c", "d", "t"}, parts));
    }
    state.SetItemsProcessed(state.iterations() * kBenchSeries * SeriesStore::kSegments *
                            SeriesStore::kMaxPoints);
}
BENCHMARK(BM_SaveTenSeries)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The argument: 1 reads the file in one pass, 2 as the program does on two cores.
void BM_OpenTenSeries(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath("bench.ktl");
    writeKtlFile(path, filledStore(), {"c", "d", "t"});
    static SeriesStore target;
    const bool onePass = state.range(0) == 1;
    for (auto _ : state) {
        clearStoreForOpen(target);
        if (onePass) {
            QFile file(path);
            file.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
            benchmark::DoNotOptimize(readKtl(file, target, KtlLabels::Take));
        } else {
            benchmark::DoNotOptimize(readKtlFile(path, target, KtlLabels::Take));
        }
    }
    state.SetItemsProcessed(state.iterations() * kBenchSeries * SeriesStore::kSegments *
                            SeriesStore::kMaxPoints);
}
BENCHMARK(BM_OpenTenSeries)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
