// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "SimBus.h"

using tarvix::sim::testing::SimBus;

namespace {

constexpr int kSmu = 26;
const QString kOptions = "noise=0,latency=0,smu=2636A,sample=resistor:1000000";

// The set-up lines of the voltage sweep on the 2636A.
void setUp(SimBus& bench, std::string_view level, std::string_view limit) {
    bench.sendAll(kSmu, {"localnode.prompts = 0", "reset()", "display.screen = display.SMUA",
                         "display.smua.measure.func = display.MEASURE_DCAMPS",
                         "smua.source.autorangev = smua.AUTORANGE_ON"});
    bench.send(kSmu, "smua.source.levelv = " + std::string(level));
    bench.send(kSmu, "smua.source.limiti = " + std::string(limit));
    bench.sendAll(kSmu,
                  {"smua.source.autorangei = smua.AUTORANGE_ON", "smua.measure.lowrangei =1E-8",
                   "smua.measure.nplc = 1", "smua.source.output = smua.OUTPUT_ON"});
}

}  // namespace

TEST(Smu2636, PrintsTheMeasuredCurrent) {
    SimBus bench(kOptions);
    setUp(bench, " 1.00000000000000E+0000", " 2.00000000000000E-0006");
    EXPECT_EQ(bench.query(kSmu, "print(smua.measure.i())"), "1.00000e-06");
    bench.send(kSmu, "smua.source.levelv = -5.00000000000000E-0001");
    EXPECT_EQ(bench.query(kSmu, "print(smua.measure.i())"), "-5.00000e-07");
    bench.send(kSmu, "smua.source.levelv = 15");
    EXPECT_EQ(bench.query(kSmu, "print(smua.measure.i())"), "2.00000e-06");  // the limit
    bench.send(kSmu, "smua.source.output = smua.OUTPUT_OFF");
    EXPECT_EQ(bench.query(kSmu, "print(smua.measure.i())"), "0.00000e+00");
    EXPECT_NE(bench.query(kSmu, "*IDN?", 100).find("Model 2636A"), std::string::npos);
    EXPECT_EQ(bench.query(kSmu, "print(errorqueue.count)"), "0.00000e+00");
}

TEST(Smu2636, RunsTheTestButtonLines) {
    SimBus bench(kOptions);
    bench.sendAll(
        kSmu,
        {"localnode.prompts = 0", "reset()", "smua.source.outputenableaction = smua.OE_NONE",
         "display.screen = display.SMUA", "display.smua.measure.func = display.MEASURE_DCAMPS",
         "smua.source.func = smua.OUTPUT_DCVOLTS", "smua.source.autorangev = smua.AUTORANGE_ON",
         "smua.source.levelv = 15", "smua.source.limiti = 0.01",
         "smua.source.autorangei = smua.AUTORANGE_ON", "smua.measure.lowrangei =1E-3",
         "smua.measure.nplc = 1", "smua.source.output = smua.OUTPUT_ON"});
    EXPECT_EQ(bench.query(kSmu, "print(smua.measure.i())"), "1.50000e-05");
    EXPECT_EQ(bench.query(kSmu, "print(errorqueue.count)"), "0.00000e+00");
    bench.send(kSmu, "smua.source.output = smua.OUTPUT_OFF");
    EXPECT_EQ(bench.query(kSmu, "print(smua.source.output, smua.source.levelv)"),
              "0.00000e+00\t1.50000e+01");
}

TEST(Smu2636, BadLinesGoToTheErrorQueueWithoutReply) {
    SimBus bench(kOptions);
    bench.sendAll(kSmu, {"smua.source.levelv = ", "smua.source.bogus = 1", "smua.source.output = 7",
                         "print(smua.measure.x())", ":READ?", "smua.source.levelv = smua.NOTHING"});
    EXPECT_EQ(bench.read(kSmu), std::string(90, ' '));
    EXPECT_NE(bench.status(), 0);
    EXPECT_EQ(bench.query(kSmu, "print(errorqueue.count)"), "6.00000e+00");
    EXPECT_EQ(bench.query(kSmu, "print(errorqueue.next())", 160).substr(0, 17),
              "-2.85000e+02\tTSP ");
    EXPECT_EQ(bench.query(kSmu, "print(smua.source.output)"), "0.00000e+00");
    bench.send(kSmu, "errorqueue.clear()");
    EXPECT_EQ(bench.query(kSmu, "print(errorqueue.count)"), "0.00000e+00");
}

TEST(Smu2636, ResetRestoresTheAttributes) {
    SimBus bench(kOptions);
    setUp(bench, " 1.00000000000000E+0000", " 2.00000000000000E-0006");
    bench.send(kSmu, "reset()");
    EXPECT_EQ(bench.query(kSmu, "print(smua.source.levelv, smua.source.output)"),
              "0.00000e+00\t0.00000e+00");
}
