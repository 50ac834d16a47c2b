#include <gtest/gtest.h>

#include "mirror/DatabaseStatusText.h"
#include "mirror/PointPlan.h"

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

}  // namespace
}  // namespace tarvix::mirror
