// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>

#include "mirror/DatabaseStatusText.h"
#include "mirror/PointBlocks.h"
#include "mirror/PointPlan.h"
#include "thermo/ThermocoupleConversion.h"

namespace tarvix::mirror {
namespace {

TEST(PointPlan, SendsWhatGrewUpToItsCountAndReplacesWhatWasMeasuredAgain) {
    const struct {
        const char* what;
        SegmentCounts local;
        SegmentCounts sent;
        std::vector<PointStep> wanted;
    } cases[] = {
        {"in step", {{1, {10, 10, 0.5}}}, {{1, {10, 10, 0.5}}}, {}},
        {"nothing sent yet",
         {{1, {10, 10, {}}}, {2, {3, 3, {}}}},
         {},
         {{1, 0, 10, false}, {2, 0, 3, false}}},
        {"grew", {{1, {15, 15, 0.5}}}, {{1, {10, 10, 0.5}}}, {{1, 10, 15, false}}},
        {"grew, first time not known from before",
         {{1, {15, 15, 0.5}}},
         {{1, {10, 10, {}}}},
         {{1, 10, 15, false}}},
        {"started over, shorter", {{1, {4, 4, {}}}}, {{1, {10, 10, {}}}}, {{1, 0, 4, true}}},
        {"started over past the mark",
         {{1, {12, 12, 0.7}}},
         {{1, {10, 10, 0.5}}},
         {{1, 0, 12, true}}},
        {"started over to the same count",
         {{1, {10, 10, 0.7}}},
         {{1, {10, 10, 0.5}}},
         {{1, 0, 10, true}}},
        {"a gap", {{1, {15, 14, {}}}}, {{1, {10, 10, {}}}}, {{1, 0, 15, true}}},
        {"segment emptied", {}, {{2, {5, 5, {}}}}, {{2, 0, 0, true}}},
        {"nothing at all", {}, {}, {}},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(planPoints(test.local, test.sent), test.wanted) << test.what;
    }
}

TEST(PointPlan, SendsASlowSegmentWholeOnceItEndedInFullBlocks) {
    const struct {
        const char* what;
        SegmentCounts local;
        std::map<int, qint64> blocks;
        std::vector<PointStep> wanted;
    } cases[] = {
        {"one block a point", {{1, {5, 5, {}}}}, {{1, 5}}, {{1, 0, 5, true}}},
        {"as many blocks as it needs", {{1, {1000, 1000, {}}}}, {{1, 1}}, {{1, 990, 1000, false}}},
        {"blocks full enough", {{1, {75, 75, {}}}}, {{1, 3}}, {{1, 990, 1000, false}}},
        {"just short of full enough", {{1, {74, 74, {}}}}, {{1, 3}}, {{1, 0, 74, true}}},
        {"nothing sent of it this time", {{1, {5, 5, {}}}}, {}, {{1, 990, 1000, false}}},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(compactPoints({{1, 990, 1000, false}}, test.local, test.blocks), test.wanted)
            << test.what;
    }
}

// A block's columns: indexes only where they do not run on, no array for a column without a
// reading, times as whole milliseconds unless one is not.
TEST(PointBlocks, WriteEachColumnInItsShortestExactForm) {
    const double none = std::nan("");
    const double ms = 36000123 / 86400000.0;
    const struct {
        const char* what;
        PointColumns points;
        QVariant idx, y, t, tMs;
    } cases[] = {
        {"runs on",
         {{4, 5}, {1, 2}, {0.5, none}, {none, none}, {none, none}, {ms, none}},
         QVariant(),
         "{0.5,NULL}",
         QVariant(),
         "{36000123,NULL}"},
        {"a gap",
         {{4, 6}, {1, 2}, {none, none}, {none, none}, {none, none}, {none, none}},
         "{4,6}",
         QVariant(),
         QVariant(),
         QVariant()},
        {"a time that is no whole millisecond",
         {{1, 2}, {1, 2}, {3, 4}, {none, none}, {none, none}, {ms, 0.1234567891}},
         QVariant(),
         "{3,4}",
         QStringLiteral("{%1,%2}").arg(QString::number(ms, 'g', 17),
                                       QString::number(0.1234567891, 'g', 17)),
         QVariant()},
    };
    for (const auto& test : cases) {
        const auto blocks = pointBlocks(test.points);
        ASSERT_EQ(blocks.size(), 1u) << test.what;
        EXPECT_EQ(blocks[0].first, test.points.idx[0]) << test.what;
        EXPECT_EQ(blocks[0].idx.toString(), test.idx.toString()) << test.what;
        EXPECT_EQ(blocks[0].idx.isNull(), test.idx.isNull()) << test.what;
        EXPECT_EQ(blocks[0].x.toString(), QStringLiteral("{1,2}")) << test.what;
        EXPECT_EQ(blocks[0].y.toString(), test.y.toString()) << test.what;
        EXPECT_TRUE(blocks[0].z.isNull() && blocks[0].w.isNull()) << test.what;
        EXPECT_EQ(blocks[0].t.toString(), test.t.toString()) << test.what;
        EXPECT_EQ(blocks[0].tMs.toString(), test.tMs.toString()) << test.what;
    }
    PointColumns many;
    for (int i = 1; i <= 2001; ++i) {
        many.idx.push_back(i);
        for (auto* column : {&many.x, &many.y, &many.z, &many.w, &many.t}) {
            column->push_back(i);
        }
    }
    const auto blocks = pointBlocks(many);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[1].first, 1001);
    EXPECT_EQ(blocks[2].x.toString(), QStringLiteral("{2001}"));
    EXPECT_EQ(pointMonth(QStringLiteral("2026-12-31T23:59:59.999")), QStringLiteral("2026-12-01"));
    EXPECT_EQ(pointMonth(QVariant()), QStringLiteral("1970-01-01"));
}

TEST(DatabaseStatusText, SaysWhichDatabaseAndWhetherTheServerIsInStep) {
    using Link = MirrorState::Link;
    const QString server = QStringLiteral("postgresql://lab@host/tarvix");
    const struct {
        MirrorState state;
        const char* wanted;
    } cases[] = {
        {{Link::Connected, 0, 0, {}, 0, {}, {}}, "Database: postgresql://lab@host/tarvix, in step"},
        {{Link::Connected, 1234, 3, {}, 0, {}, {}},
         "Database: postgresql://lab@host/tarvix, 1234 points waiting"},
        {{Link::Connected, 1, 0, {}, 0, {}, {}},
         "Database: postgresql://lab@host/tarvix, 1 point waiting"},
        {{Link::Connected, 0, 2, {}, 0, {}, {}},
         "Database: postgresql://lab@host/tarvix, 2 measurements waiting"},
        {{Link::Connecting, 0, 0, {}, 0, {}, {}},
         "Database: postgresql://lab@host/tarvix, connecting"},
        {{Link::Unreachable, 0, 0, {}, 0, {}, {}},
         "Database: postgresql://lab@host/tarvix, not reachable"},
        {{Link::Unreachable, 7, 1, {}, 0, {}, {}},
         "Database: postgresql://lab@host/tarvix, not reachable, 7 points waiting"},
        {{Link::Refused, 0, 1, {}, 0, {}, {}},
         "Database: postgresql://lab@host/tarvix, not used, 1 measurement waiting"},
        {{Link::Denied, 5, 0, "role lab does not exist", 0, {}, {}},
         "Database: postgresql://lab@host/tarvix, role lab does not exist, 5 points waiting"},
        {{Link::Connected, 0, 0, {}, 1, "value too long", {}},
         "Database: postgresql://lab@host/tarvix, 1 measurement rejected by the server: "
         "value too long"},
        {{Link::Connected, 0, 0, {}, 2, "value too long", {}},
         "Database: postgresql://lab@host/tarvix, 2 measurements rejected by the server: "
         "value too long"},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(databaseServerText(server, test.state), QLatin1String(test.wanted));
    }
    EXPECT_EQ(databaseFileText(QStringLiteral("/data/tarvix-journal.sqlite")),
              QStringLiteral("Database: /data/tarvix-journal.sqlite"));
}

// The server's thermocouple temperature is the bench's, and none where the server's
// arithmetic would refuse a step or a reading is missing.
TEST(PointBlocks, ComputesTheThermocoupleTemperatureAsTheBenchAndTheServerDo) {
    const double nan = std::nan("");
    const struct {
        double volts, reference;
        std::optional<double> wanted;
    } cases[] = {
        {1e-3, 296.15, thermo::thermocoupleTemperature(1e-3, 296.15)},
        {-4e-3, 77.0, thermo::thermocoupleTemperature(-4e-3, 77.0)},
        {-0.05, 296.15, -1.0},
        {0.0, 1e-320, std::nullopt},  // d * reference underflows
        {nan, 296.15, std::nullopt},
        {1e-3, nan, std::nullopt},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(serverThermocoupleKelvin(test.volts, test.reference), test.wanted)
            << test.volts << " " << test.reference;
    }
}

}  // namespace
}  // namespace tarvix::mirror
