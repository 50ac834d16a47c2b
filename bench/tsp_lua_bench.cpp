// SPDX-License-Identifier: GPL-3.0-or-later
#include <benchmark/benchmark.h>

#include <string>

#include "sim/SimBench.h"

// The simulated 2636A's Lua state on the bench side, without the network: one reading
// printed (the goal is at most 50 microseconds), and a lab's 1000-point buffered sweep sent
// line by line as a client would, run, and read back with printbuffer (the goal is under
// 50 milliseconds).

namespace {

using namespace tarvix;

constexpr int kSmu = 26;

std::unique_ptr<sim::SimBench> tspBench() {
    QString error;
    auto bench = sim::SimBench::create(
        QStringLiteral("smu=2636A,latency=0,sample=resistor:1000000"), &error);
    for (const char* line : {"reset()", "smua.source.levelv = 1", "smua.source.limiti = 1e-3",
                             "smua.source.output = smua.OUTPUT_ON"}) {
        bench->send(kSmu, line);
    }
    return bench;
}

void BM_PrintOneReading(benchmark::State& state) {
    auto bench = tspBench();
    std::string reply;
    for (auto _ : state) {
        bench->send(kSmu, "print(smua.measure.i())");
        bench->enter(kSmu, 70, &reply);
    }
}

constexpr const char* kSweep[] = {
    "loadscript sweep",
    "smua.nvbuffer1.clear()",
    "smua.nvbuffer1.appendmode = 1",
    "smua.nvbuffer1.collectsourcevalues = 1",
    "smua.measure.nplc = 0.01",
    "smua.source.output = smua.OUTPUT_ON",
    "for step = 0, 999 do",
    "  smua.source.levelv = -10 + step * 0.02",
    "  smua.measure.i(smua.nvbuffer1)",
    "end",
    "smua.source.output = smua.OUTPUT_OFF",
    "endscript",
    "sweep()",
    "printbuffer(1, smua.nvbuffer1.n, smua.nvbuffer1.sourcevalues, smua.nvbuffer1.readings)",
};

void BM_BufferedSweepScript(benchmark::State& state) {
    auto bench = tspBench();
    std::string reply;
    for (auto _ : state) {
        for (const char* line : kSweep) {
            bench->send(kSmu, line);
        }
        bench->enter(kSmu, 1 << 20, &reply);
    }
    state.counters["reply_bytes"] = static_cast<double>(reply.size());
}

}  // namespace

BENCHMARK(BM_PrintOneReading)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BufferedSweepScript)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
