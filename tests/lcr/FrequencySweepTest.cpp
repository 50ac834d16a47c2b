// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>
#include <cmath>

#include "LcrTestBench.h"
#include "lcr/LcrPanel.h"

namespace tarvix::lcr {
namespace {

using testing::InTemporaryFolder;
using testing::MeterBench;
using testing::RecordingHost;
using testing::replyPrimaryOnly;
using testing::replyWithSecondary;

class FrequencySweepTest : public ::testing::Test {
  protected:
    InTemporaryFolder folder;
    RecordingHost host;
    LcrPanel panel{host};
};

const QStringList kDefaultSetup{
    "*RST",        "CONF:FREQ 1000.00", "CONF:PPAR A", "CONF:SPAR N",
    "CONF:AVER 1", "CONF:BIAS OFF",     "CONF:TDEL 5", "CONF:ACV 0.500",
};

TEST_F(FrequencySweepTest, DefaultSetupIsSentInOrderWithoutASpeedCommand) {
    MeterBench bench([](double, int) { return replyPrimaryOnly(1e-9); });
    panel.runSweep(*bench.bus, SweepSettings{});

    EXPECT_EQ(bench.transcript.lines().front(), "timeout 1000");
    const QStringList commands = bench.sentCommands();
    EXPECT_EQ(commands.mid(0, 8), kDefaultSetup);
    EXPECT_EQ(commands.mid(8, 3), (QStringList{"CONF:FREQ  10.00", "MEAS:", "FETC?"}));
    EXPECT_TRUE(commands.filter("CONF:MAC").isEmpty());
    EXPECT_EQ(commands.filter("FETC?").size(), 20);
}

TEST_F(FrequencySweepTest, ChosenOptionsShapeTheSetup) {
    const std::pair<MeasuringSpeed, QString> speeds[] = {
        {MeasuringSpeed::Fast, "CONF:MAC FAS"},
        {MeasuringSpeed::Medium, "CONF:MAC MED"},
        {MeasuringSpeed::VerySlow, "CONF:MAC SLO"},
    };
    for (const auto& [speed, command] : speeds) {
        MeterBench bench([](double, int) { return replyPrimaryOnly(1e-9); });
        SweepSettings settings;
        settings.pointCount = 0;
        settings.speed = speed;
        settings.primaryCode = "CS";
        settings.secondaryCode = "DF";
        settings.meterAverage = 7;
        settings.biasMode = 2;
        settings.triggerDelay = 1000;
        settings.acLevelMv = 25;
        panel.runSweep(*bench.bus, settings);
        EXPECT_EQ(bench.sentCommands(),
                  (QStringList{"*RST", "CONF:FREQ 1000.00", "CONF:PPAR CS", "CONF:SPAR DF", command,
                               "CONF:AVER 7", "CONF:BIAS INT", "CONF:TDEL 1000", "CONF:ACV 0.025",
                               "CONF:BIAS OFF"}));  // the internal bias goes off with the sweep
    }
}

TEST_F(FrequencySweepTest, VerySlowReadsThreeRepliesBeforeEachFetch) {
    MeterBench bench([](double, int) { return replyPrimaryOnly(2e-9); });
    SweepSettings settings;
    settings.pointCount = 2;
    settings.speed = MeasuringSpeed::VerySlow;
    panel.runSweep(*bench.bus, settings);

    const QStringList& lines = bench.transcript.lines();
    const qsizetype measure = lines.indexOf("send 4 0 MEAS:");
    ASSERT_GE(measure, 0);
    EXPECT_EQ(lines.mid(measure + 1, 4), (QStringList{"enter 4 160 0 stale", "enter 4 160 0 stale",
                                                      "enter 4 160 0 stale", "send 4 0 FETC?"}));
    EXPECT_DOUBLE_EQ(panel.sweep().sweepPrimary[1], 2e-9);
}

TEST_F(FrequencySweepTest, DefaultGridIsLogarithmicFromTenHertzToTwoMegahertz) {
    MeterBench bench([](double, int) { return replyPrimaryOnly(1e-9); });
    panel.runSweep(*bench.bus, SweepSettings{});

    const QStringList frequencies = bench.sweptFrequencies();
    ASSERT_EQ(frequencies.size(), 20);
    EXPECT_EQ(frequencies.mid(0, 5),
              (QStringList{" 10.00", " 19.01", " 36.14", " 68.71", "130.62"}));
    EXPECT_EQ(frequencies.last(), "2000000.00");
    const FreqSweep& sweep = panel.sweep();
    EXPECT_EQ(sweep.sweepCount, 20);
    EXPECT_EQ(sweep.sweepFreq[1], 10.0);
    EXPECT_EQ(sweep.sweepFreq[2], 19.01);
    EXPECT_EQ(sweep.sweepFreq[20], 2000000.0);
    EXPECT_EQ(sweep.Fmin, 10.0);
    EXPECT_EQ(sweep.Fmax, 2000000.0);
}

TEST_F(FrequencySweepTest, LinearGridOfThreePoints) {
    MeterBench bench([](double, int) { return replyPrimaryOnly(1e-9); });
    SweepSettings settings;
    settings.logGrid = false;
    settings.pointCount = 3;
    settings.fmax = 1000;
    panel.runSweep(*bench.bus, settings);

    EXPECT_EQ(bench.sweptFrequencies(), (QStringList{" 10.00", "505.00", "1000.00"}));
    EXPECT_EQ(panel.sweep().sweepFreq[2], 505.0);
}

TEST_F(FrequencySweepTest, EveryReadingRetunesTheMeterAndThePointKeepsTheMean) {
    MeterBench bench(
        [](double, int fetch) { return replyWithSecondary(fetch + 1, 10.0 * (fetch + 1)); });
    SweepSettings settings;
    settings.logGrid = false;
    settings.pointCount = 2;
    settings.fmin = 100;
    settings.fmax = 200;
    settings.readingsPerPoint = 3;
    panel.runSweep(*bench.bus, settings);

    const QStringList reading{"CONF:FREQ 100.00", "MEAS:", "FETC?"};
    EXPECT_EQ(bench.sentCommands().mid(8, 9), reading + reading + reading);
    EXPECT_EQ(bench.sweptFrequencies(),
              (QStringList{"100.00", "100.00", "100.00", "200.00", "200.00", "200.00"}));
    const FreqSweep& sweep = panel.sweep();
    EXPECT_DOUBLE_EQ(sweep.sweepPrimary[1], 2.0);
    EXPECT_DOUBLE_EQ(sweep.sweepPrimary[2], 5.0);
    EXPECT_DOUBLE_EQ(sweep.sweepSecondary[1], 20.0);
    EXPECT_DOUBLE_EQ(sweep.sweepSecondary[2], 50.0);
    EXPECT_DOUBLE_EQ(sweep.primaryMin, 2.0);
    EXPECT_DOUBLE_EQ(sweep.primaryMax, 5.0);
    EXPECT_DOUBLE_EQ(sweep.secondaryMin, 20.0);
    EXPECT_DOUBLE_EQ(sweep.secondaryMax, 50.0);
}

TEST_F(FrequencySweepTest, SecondaryCountsOnlyWhenTheTabRunFollowsTheThirdTab) {
    MeterBench bench([](double, int fetch) {
        return fetch == 0 ? replyWithSecondary(3e-9, 0.25) : replyPrimaryOnly(4e-9);
    });
    SweepSettings settings;
    settings.pointCount = 2;
    panel.runSweep(*bench.bus, settings);

    const FreqSweep& sweep = panel.sweep();
    EXPECT_DOUBLE_EQ(sweep.sweepSecondary[1], 0.25);
    EXPECT_EQ(sweep.sweepSecondary[2], 0.0);
    EXPECT_DOUBLE_EQ(sweep.sweepPrimary[2], 4e-9);
    // Edit59 shows the secondary's text when one was read, else the primary's.
    EXPECT_EQ(host.lastData, (QStringList{" 2.50000000000000E-0001", " 4.00000000000000E-0009"}));
    EXPECT_TRUE(host.messages.isEmpty());
}

// A failed reading is missing, not 0; three in a row end the sweep with the points so far,
// and one message at the end says so (no box per point).
TEST_F(FrequencySweepTest, FailedReadingsAreMissingAndThreeInARowEndTheSweep) {
    MeterBench bench([](double, int fetch) { return replyPrimaryOnly(fetch + 1.0); });
    bench.meter->enterStatusQueue = {0, 8, 8, 0, 8, 8, 8};
    SweepSettings settings;
    settings.pointCount = 10;
    settings.biasMode = 2;  // internal bias: switched off on the way out
    const SweepReport report = panel.runSweep(*bench.bus, settings);

    EXPECT_EQ(report.outcome, SweepReport::Outcome::Ended);
    const FreqSweep& sweep = panel.sweep();
    EXPECT_EQ(sweep.sweepCount, 7);
    EXPECT_EQ(sweep.sweepPrimary[1], 1.0);
    EXPECT_TRUE(std::isnan(sweep.sweepPrimary[2]) && std::isnan(sweep.sweepPrimary[3]));
    EXPECT_EQ(sweep.sweepPrimary[4], 4.0);  // two in a row are weathered
    EXPECT_TRUE(std::isnan(sweep.sweepPrimary[7]));
    EXPECT_EQ(sweep.primaryMax, 4.0);
    EXPECT_EQ(bench.sentCommands().filter("FETC?").size(), 7);
    EXPECT_EQ(bench.sentCommands().last(), "CONF:BIAS OFF");
    ASSERT_EQ(host.messages.size(), 1);
    EXPECT_TRUE(
        host.messages[0].startsWith("The frequency sweep was ended: 3 failed readings in "
                                    "a row. 5 of 7 readings are stored as missing."))
        << host.messages[0].toStdString();
    EXPECT_EQ(host.chartsShown, 1);
    // The failed readings are logged with no reply at all.
    EXPECT_TRUE(folder.read("7600 test.frq").split('\n')[1].startsWith("  F[Hz]  "));
}

TEST_F(FrequencySweepTest, ARefusedSetUpEndsBeforeAnyPointAndSwitchesTheBiasOff) {
    MeterBench bench([](double, int) { return replyPrimaryOnly(1e-9); });
    bench.meter->failingCommand = "CONF:TDEL 5";
    SweepSettings settings;
    settings.biasMode = 2;
    const SweepReport report = panel.runSweep(*bench.bus, settings);

    EXPECT_EQ(report.outcome, SweepReport::Outcome::SetupFailed);
    EXPECT_EQ(bench.sentCommands().mid(5),
              (QStringList{"CONF:BIAS INT", "CONF:TDEL 5", "CONF:BIAS OFF"}));
    EXPECT_EQ(host.messages,
              QStringList{"The frequency sweep was not started: the instrument at address 4 "
                          "failed on \"CONF:TDEL 5\" (status 8)."});
    EXPECT_EQ(host.chartsShown, 0);
}

TEST_F(FrequencySweepTest, AStartDuringTheSweepLeavesTheRunningSweepAlone) {
    MeterBench bench([](double, int fetch) { return replyPrimaryOnly(fetch + 1.0); });
    SweepSettings settings;
    settings.pointCount = 3;
    std::vector<SweepReport::Outcome> nested;
    host.whileEventsRun = [&] {
        // One click per point; the chart drawn at the end lets events run once more.
        if (nested.size() < 3) {
            SweepSettings other;
            other.pointCount = 0;
            nested.push_back(panel.runSweep(*bench.bus, other).outcome);
        }
    };
    const SweepReport report = panel.runSweep(*bench.bus, settings);
    host.whileEventsRun = nullptr;

    EXPECT_EQ(report.outcome, SweepReport::Outcome::Completed);
    EXPECT_EQ(nested, std::vector<SweepReport::Outcome>(3, SweepReport::Outcome::Busy));
    EXPECT_EQ(panel.sweep().sweepCount, 3);
    EXPECT_EQ(panel.sweep().sweepPrimary[3], 3.0);
    EXPECT_EQ(bench.sentCommands().filter("FETC?").size(), 3);
}

TEST_F(FrequencySweepTest, AnEndRequestStopsAfterThePointInProgress) {
    MeterBench bench([](double, int fetch) { return replyPrimaryOnly(fetch + 1.0); });
    SweepSettings settings;
    settings.pointCount = 5;
    host.whileEventsRun = [&] { host.ending = true; };
    const SweepReport report = panel.runSweep(*bench.bus, settings);

    EXPECT_EQ(report.outcome, SweepReport::Outcome::Ended);
    EXPECT_EQ(panel.sweep().sweepCount, 1);
    EXPECT_EQ(bench.sentCommands().filter("FETC?").size(), 1);
    EXPECT_TRUE(host.messages.isEmpty());
}

TEST_F(FrequencySweepTest, SettingsWithoutAGridAreRefusedBeforeAnythingIsSent) {
    SweepSettings onePoint;
    onePoint.pointCount = 1;
    SweepSettings tooMany;
    tooMany.pointCount = kSweepCapacity + 1;
    SweepSettings noReadings;
    noReadings.readingsPerPoint = 0;
    SweepSettings logFromZero;
    logFromZero.fmin = 0;
    for (const SweepSettings& settings : {onePoint, tooMany, noReadings, logFromZero}) {
        MeterBench bench([](double, int) { return replyPrimaryOnly(1e-9); });
        panel.loadTestCurve(true);
        const double primaryMax = panel.sweep().primaryMax;
        host.messages.clear();
        const SweepReport report = panel.runSweep(*bench.bus, settings);

        EXPECT_EQ(report.outcome, SweepReport::Outcome::Refused);
        EXPECT_TRUE(bench.transcript.lines().isEmpty());
        EXPECT_EQ(host.messages.size(), 1);
        EXPECT_FALSE(QFile::exists(folder.path("7600 test.frq")));
        EXPECT_EQ(panel.sweep().sweepCount, 1000);
        EXPECT_EQ(panel.sweep().primaryMax, primaryMax);
    }
    EXPECT_EQ(host.chartsShown, 0);
}

TEST_F(FrequencySweepTest, NoPointsGiveAnEmptyFileAndResetExtremes) {
    MeterBench bench([](double, int) { return replyPrimaryOnly(1e-9); });
    panel.loadTestCurve(true);
    const double firstPrimary = panel.sweep().sweepPrimary[1];
    SweepSettings settings;
    settings.pointCount = 0;
    const SweepReport report = panel.runSweep(*bench.bus, settings);

    EXPECT_EQ(report.outcome, SweepReport::Outcome::Completed);
    EXPECT_EQ(folder.read("7600 test.frq"), QByteArray());
    EXPECT_TRUE(bench.sentCommands().filter("FETC?").isEmpty());
    const FreqSweep& sweep = panel.sweep();
    EXPECT_EQ(sweep.sweepCount, 0);
    EXPECT_EQ(sweep.sweepPrimary[1], firstPrimary);
    EXPECT_EQ(sweep.primaryMin, 1e6);
    EXPECT_EQ(sweep.primaryMax, -1e6);
    EXPECT_EQ(sweep.secondaryMin, 1e6);
    EXPECT_EQ(sweep.secondaryMax, -1e6);
    EXPECT_EQ(host.chartsShown, 1);
    EXPECT_EQ(panel.plotSet().yMin, 1e6);
}

// No tabs, a silent meter, nothing between the tabs: each makes its point missing, not 0.
TEST_F(FrequencySweepTest, RepliesWithoutAValueAreMissingAndReportedOnce) {
    MeterBench bench([](double, int fetch) -> std::optional<std::string> {
        if (fetch == 0) {
            return "CP 1.0E-09 F";
        }
        if (fetch == 2) {
            return "CP\t\tF\t\t\t";
        }
        return replyPrimaryOnly(4.0);
    });
    SweepSettings settings;
    settings.pointCount = 3;
    settings.readingsPerPoint = 2;
    const SweepReport report = panel.runSweep(*bench.bus, settings);

    EXPECT_EQ(report.outcome, SweepReport::Outcome::Completed);
    EXPECT_EQ(report.unreadableReadings, 2);
    EXPECT_TRUE(std::isnan(panel.sweep().sweepPrimary[1]));
    EXPECT_TRUE(std::isnan(panel.sweep().sweepPrimary[2]));
    EXPECT_EQ(panel.sweep().sweepPrimary[3], 4.0);
    EXPECT_EQ(panel.sweep().primaryMin, 4.0);
    ASSERT_EQ(host.messages.size(), 1);
    EXPECT_TRUE(host.messages[0].startsWith("2 of 6 readings are stored as missing."))
        << host.messages[0].toStdString();
}

TEST_F(FrequencySweepTest, FrequenciesOutsideTheMetersRangeAreRefusedAtBothEnds) {
    struct Case {
        double fmin;
        double fmax;
        const char* field;  // empty: accepted
    };
    const Case cases[] = {{10, 2000000, ""},
                          {9, 1000, "Fmin"},
                          {2000001, 2000000, "Fmin"},
                          {10, 2000001, "Fmax"},
                          {10, 9, "Fmax"}};
    for (const Case& c : cases) {
        SweepSettings settings;
        settings.fmin = c.fmin;
        settings.fmax = c.fmax;
        const QString reason = refusalReason(settings);
        EXPECT_EQ(reason.isEmpty(), QByteArray(c.field).isEmpty()) << c.fmin << " " << c.fmax;
        EXPECT_TRUE(reason.isEmpty() || reason.startsWith(QLatin1String(c.field)))
            << reason.toStdString();
    }
}

TEST_F(FrequencySweepTest, AFileThatCannotBeCreatedStopsBeforeTheFirstPoint) {
    MeterBench bench([](double, int) { return replyPrimaryOnly(1e-9); });
    SweepSettings settings;
    settings.fileBaseName = "no such folder/run";
    const SweepReport report = panel.runSweep(*bench.bus, settings);

    EXPECT_EQ(report.outcome, SweepReport::Outcome::FileFailed);
    EXPECT_EQ(host.messages, QStringList{"File not found"});
    EXPECT_EQ(bench.sentCommands(), kDefaultSetup);
    EXPECT_EQ(host.chartsShown, 0);
}

// Whether the external bias may be on, as EXT ON, EXT OFF, the close and the sweeps leave it:
// a refused command changes nothing, and the close sends "CONF:BIAS OFF" only when it may be on.
// (The messages are the window's tests'.)
TEST_F(FrequencySweepTest, TheExternalBiasIsOnlyOffOnceTheMeterTookItsOff) {
    enum class Act { On, Off, Close, SweepExt, SweepOff };
    struct Step {
        Act act;
        const char* failing;  // the command the meter refuses
        bool sends;           // a bias command goes out
        bool mayBeOn;
    };
    const Step steps[] = {
        {Act::Close, "", false, false},
        {Act::On, "CONF:BIAS EXT", true, false},
        {Act::On, "", true, true},
        {Act::Off, "CONF:BIAS OFF", true, true},
        {Act::Close, "CONF:BIAS OFF", true, true},
        {Act::Close, "", true, false},
        {Act::SweepExt, "CONF:BIAS EXT", true, false},
        {Act::SweepExt, "", true, true},
        {Act::SweepOff, "", true, false},
    };
    MeterBench bench([](double, int) { return replyPrimaryOnly(1e-9); });
    ExternalBias& bias = panel.externalBias();
    int number = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(++number);
        bench.meter->failingCommand = step.failing;
        bench.transcript.clear();
        SweepSettings noPoints;
        noPoints.pointCount = 0;
        noPoints.biasMode = step.act == Act::SweepExt ? 1 : 0;
        QString message;
        switch (step.act) {
            case Act::On:
                message = bias.switchOn(*bench.bus);
                break;
            case Act::Off:
                message = bias.switchOff(*bench.bus);
                break;
            case Act::Close:
                message = bias.closeDown(*bench.bus);
                break;
            case Act::SweepExt:
            case Act::SweepOff:
                panel.runSweep(*bench.bus, noPoints);
                break;
        }
        EXPECT_EQ(!bench.sentCommands().filter("CONF:BIAS").isEmpty(), step.sends);
        EXPECT_EQ(message.isEmpty(), *step.failing == '\0' || step.act >= Act::SweepExt);
        EXPECT_EQ(bias.mayBeOn(), step.mayBeOn);
    }
}

// The internal bias a sweep switched on is switched off at its end, and a refusal is told.
TEST_F(FrequencySweepTest, AnInternalBiasThatStaysOnIsTold) {
    MeterBench bench([](double, int) { return replyPrimaryOnly(1e-9); });
    bench.meter->failingCommand = "CONF:BIAS OFF";
    SweepSettings settings;
    settings.pointCount = 2;
    settings.biasMode = 2;
    panel.runSweep(*bench.bus, settings);
    EXPECT_EQ(bench.sentCommands().last(), "CONF:BIAS OFF");
    EXPECT_EQ(host.messages,
              QStringList{"The internal bias was not switched off after the sweep: the instrument "
                          "at address 4 failed on \"CONF:BIAS OFF\" (status 8). The bias may "
                          "still be on: switch it off at the meter."});
}

}  // namespace
}  // namespace tarvix::lcr
