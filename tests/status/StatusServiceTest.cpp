// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "status/StatusService.h"

using tarvix::status::durationText;
using tarvix::status::Ending;
using tarvix::status::Progress;
using tarvix::status::StatusService;

namespace {

Progress sweepAt(int point, int done, int total) {
    Progress progress;
    progress.stage = QStringLiteral("Voltage sweep");
    progress.counters = {{QStringLiteral("segment"), 2, 3},
                         {QStringLiteral("repeat"), 1, 2},
                         {QStringLiteral("point"), point, 41}};
    progress.reading = QStringLiteral("0.97 V");
    progress.done = done;
    progress.total = total;
    return progress;
}

class Status : public ::testing::Test {
  protected:
    qint64 now = 0;
    StatusService status{[this] { return now; }};
};

}  // namespace

TEST(DurationText, MinutesUnderAnHourHoursAbove) {
    const std::pair<qint64, const char*> cases[] = {
        {0, "0:00"},        {999, "0:00"},        {7000, "0:07"},       {750000, "12:30"},
        {3599999, "59:59"}, {3600000, "1:00:00"}, {3723000, "1:02:03"}, {-5, "0:00"},
    };
    for (const auto& [milliseconds, text] : cases) {
        EXPECT_EQ(durationText(milliseconds), QString::fromLatin1(text)) << milliseconds;
    }
}

TEST_F(Status, RunningTextCountsAndEstimatesTheTimeLeft) {
    status.begin(QStringLiteral("Voltage sweep"));
    EXPECT_EQ(status.text(), "Voltage sweep: starting");
    EXPECT_EQ(status.percent(), -1);  // no total known before the first point

    now = 12000;  // a quarter of the work in 12 s: 36 s to go
    status.publish(sweepAt(15, 25, 100));
    EXPECT_EQ(status.text(),
              "Voltage sweep: segment 2 of 3, repeat 1 of 2, point 15 of 41, 0.97 V, "
              "0:12 elapsed, about 0:36 left");
    EXPECT_EQ(status.percent(), 25);

    now = 40000;  // the last point: nothing left to estimate
    status.publish(sweepAt(41, 100, 100));
    EXPECT_TRUE(status.text().endsWith("0.97 V, 0:40 elapsed")) << status.text().toStdString();
    EXPECT_EQ(status.percent(), 100);
}

TEST_F(Status, OpenTotalsShowNoBarAndNoEstimate) {
    Progress sample;
    sample.stage = QStringLiteral("Four-probe");
    sample.counters = {{QStringLiteral("sample"), 12, 0}};
    sample.reading = QStringLiteral("T=21.500 C, R=1000 Ohm");
    sample.done = 12;
    now = 5000;
    status.publish(sample);  // publishing begins the stage
    EXPECT_EQ(status.text(), "Four-probe: sample 12, T=21.500 C, R=1000 Ohm, 0:00 elapsed");
    EXPECT_EQ(status.percent(), -1);
}

TEST_F(Status, EndingsSayHowTheActionEnded) {
    struct Case {
        Ending ending;
        QString reason;
        const char* text;
    };
    const Case cases[] = {
        {Ending::Finished, {}, "Voltage sweep: finished after 1:05"},
        {Ending::Stopped, {}, "Voltage sweep: stopped at 0.97 V after 1:05"},
        {Ending::Ended, QStringLiteral("no reply from address 24"),
         "Voltage sweep: ended: no reply from address 24"},
        {Ending::Ended, {}, "Voltage sweep: ended"},
        {Ending::Fault, QStringLiteral("No reply could be read from address 24"),
         "Voltage sweep: ended by a fault at 0.97 V after 1:05: No reply could be read from "
         "address 24"},
    };
    for (const Case& c : cases) {
        now = 0;
        status.publish(sweepAt(3, 3, 100));
        now = 65000;
        status.finish(c.ending, c.reason);
        EXPECT_EQ(status.text(), QString::fromLatin1(c.text));
        EXPECT_FALSE(status.running());
        EXPECT_EQ(status.percent(), -1);
    }
    // A fault before any reading says when, without a level.
    now = 0;
    status.begin(QStringLiteral("Start"));
    now = 4000;
    status.finish(Ending::Fault, QStringLiteral("Disk full"));
    EXPECT_EQ(status.text(), "Start: ended by a fault after 0:04: Disk full");
    // A finish with nothing running leaves the line alone (a refusal said after it stays).
    status.say(QStringLiteral("Save is not possible while a measurement runs"));
    status.finish(Ending::Finished);
    EXPECT_EQ(status.text(), "Save is not possible while a measurement runs");
}

TEST_F(Status, AnEndingPublishedByTheProcedureKeepsItsLastReading) {
    int changes = 0;
    QObject::connect(&status, &StatusService::changed, [&] { ++changes; });
    status.publish(sweepAt(3, 3, 100));
    Progress end;
    end.stage = QStringLiteral("Voltage sweep");
    end.ending = Ending::Stopped;
    status.publish(end);
    EXPECT_EQ(status.text(), "Voltage sweep: stopped at 0.97 V after 0:00");
    EXPECT_EQ(changes, 3);  // begin, the point, the end
}

TEST_F(Status, ANoticeDuringARunHoldsTheLineForAWhile) {
    status.publish(sweepAt(1, 1, 100));
    now = 1000;
    status.say(QStringLiteral("\"Save all series\" waits"));
    now = 1000 + StatusService::kNoticeMs - 1;  // last moment the notice holds
    status.publish(sweepAt(2, 2, 100));
    EXPECT_EQ(status.text(), "\"Save all series\" waits");
    EXPECT_EQ(status.percent(), 2);         // the bar still follows the run
    now = 1000 + StatusService::kNoticeMs;  // first moment the progress is back
    status.publish(sweepAt(3, 3, 100));
    EXPECT_TRUE(status.text().startsWith("Voltage sweep: segment 2 of 3"))
        << status.text().toStdString();
}
