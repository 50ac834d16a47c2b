// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>

#include "series/SeriesStore.h"

using tarvix::series::SeriesStore;

namespace {

void fillLive(SeriesStore& store, int segment, int count, float scale) {
    store.liveCurrent(segment)[0] = store.liveVoltage(segment)[0] = static_cast<float>(count);
    for (int p = 1; p <= count; ++p) {
        store.liveVoltage(segment)[p] = scale * static_cast<float>(p);
        store.liveCurrent(segment)[p] = scale * 1e-6f * static_cast<float>(p);
    }
}

}  // namespace

TEST(SeriesStore, CommitCopiesTheWholeLiveBlockWithLabels) {
    auto store = std::make_unique<SeriesStore>();
    fillLive(*store, 1, 3, 1.0f);
    fillLive(*store, 2, 2, 2.0f);
    store->liveLabel(1) = "12:00:00/1500ms";
    ASSERT_TRUE(store->commitLive(4));
    EXPECT_EQ(store->storedCount(1, 4), 3);
    EXPECT_EQ(store->storedCount(2, 4), 2);
    EXPECT_FLOAT_EQ(store->storedVoltage(2, 4)[2], 4.0f);
    EXPECT_FLOAT_EQ(store->storedVoltage(1, 4)[0], 3.0f);  // counts go into both tables
    EXPECT_EQ(store->segmentLabel(1, 4), "12:00:00/1500ms");
    EXPECT_EQ(store->liveSegmentCount(), 2);
}

TEST(SeriesStore, AnEmptyLiveLayerCommitsAnEmptySeries) {
    auto store = std::make_unique<SeriesStore>();
    fillLive(*store, 1, 5, 1.0f);
    store->commitLive(1);
    store->clearLive();
    store->clearLiveLabels();
    EXPECT_EQ(store->liveSegmentCount(), 0);
    store->commitLive(1);
    EXPECT_EQ(store->storedCount(1, 1), 0);
    EXPECT_FLOAT_EQ(store->storedVoltage(1, 1)[3], 0.0f);
    EXPECT_EQ(store->segmentLabel(1, 1), "");
}

TEST(SeriesStore, AnimationCommitKeepsTheSlotsLabels) {
    auto store = std::make_unique<SeriesStore>();
    store->segmentLabel(1, 2) = "kept";
    fillLive(*store, 1, 2, 1.0f);
    store->liveLabel(1) = "not copied";
    store->commitLivePoints(2);
    EXPECT_EQ(store->storedCount(1, 2), 2);
    EXPECT_EQ(store->segmentLabel(1, 2), "kept");
}

// One series leaves the tables and their copies, so that neither a restore nor a correction
// from the copies brings it back; its neighbours and the revision of the rest stay.
TEST(SeriesStore, ClearingOneSeriesEmptiesItEverywhereAndLeavesTheOthers) {
    auto store = std::make_unique<SeriesStore>();
    for (int slot = 1; slot <= 3; ++slot) {
        fillLive(*store, 1, 4, static_cast<float>(slot));
        store->liveLabel(1) = "label";
        store->commitLive(slot);
    }
    store->seriesCount = 4;
    store->setAtCompliance(2, 1, 4, true);
    store->snapshotStored();
    const unsigned before = store->seriesRevision(3);
    const unsigned cleared = store->seriesRevision(2);
    store->clearSeries(2);
    EXPECT_NE(store->seriesRevision(2), cleared);
    EXPECT_EQ(store->seriesRevision(3), before);
    EXPECT_EQ(store->storedCount(1, 2), 0);
    EXPECT_EQ(store->segmentLabel(1, 2), "");
    EXPECT_FALSE(store->atCompliance(2, 1, 4));
    EXPECT_FLOAT_EQ(store->storedCurrentCopy(1, 2)[3], 0.0f);
    store->restoreStored();
    EXPECT_EQ(store->storedCount(1, 2), 0);
    EXPECT_EQ(store->storedCount(1, 1), 4);
    EXPECT_FLOAT_EQ(store->storedVoltage(1, 3)[4], 12.0f);
    EXPECT_EQ(store->storedSegmentCount(), 2);
    store->clearSeries(0);  // outside the tables: nothing happens
    store->clearSeries(SeriesStore::kMaxSeries + 1);
}

TEST(SeriesStore, SlotsOutsideTheTablesAreNeverWritten) {
    auto store = std::make_unique<SeriesStore>();
    fillLive(*store, 1, 2, 1.0f);
    EXPECT_FALSE(store->commitLive(0));
    EXPECT_FALSE(store->commitLive(151));
    EXPECT_TRUE(store->commitLive(150));
    EXPECT_EQ(store->storedCount(1, 150), 2);
}

TEST(SeriesStore, CountsOverSeriesInUseOnly) {
    auto store = std::make_unique<SeriesStore>();
    fillLive(*store, 1, 2, 1.0f);
    fillLive(*store, 3, 2, 1.0f);
    store->commitLive(1);
    store->commitLive(3);
    store->seriesCount = 2;
    EXPECT_EQ(store->storedSegmentCount(), 2);
    store->seriesCount = 3;
    EXPECT_EQ(store->storedSegmentCount(), 4);
}

TEST(SeriesStore, ClearStoredKeepsLabelsAndSnapshotRestoresTheData) {
    auto store = std::make_unique<SeriesStore>();
    fillLive(*store, 1, 3, 1.0f);
    store->liveLabel(1) = "label";
    store->commitLive(1);
    store->snapshotStored();
    store->clearStored(1);
    EXPECT_EQ(store->storedCount(1, 1), 0);
    EXPECT_EQ(store->segmentLabel(1, 1), "label");
    EXPECT_EQ(store->storedCurrentCopy(1, 1)[0], 3.0f);
    store->restoreStored();
    EXPECT_EQ(store->storedCount(1, 1), 3);
    EXPECT_FLOAT_EQ(store->storedCurrent(1, 1)[3], 3e-6f);
}

TEST(SeriesStore, SnapshotCoversEverySlotEverWritten) {
    auto store = std::make_unique<SeriesStore>();
    store->storedCurrent(1, 120)[0] = 1.0f;
    store->storedCurrent(1, 120)[1] = 5e-6f;
    store->snapshotStored();
    store->storedCurrent(1, 120)[1] = 7e-6f;
    store->restoreStored();
    EXPECT_FLOAT_EQ(store->storedCurrent(1, 120)[1], 5e-6f);
}

TEST(SeriesStore, CountsRoundHalfToEven) {
    EXPECT_EQ(SeriesStore::roundedCount(2.5f), 2);
    EXPECT_EQ(SeriesStore::roundedCount(3.5f), 4);
    EXPECT_EQ(SeriesStore::roundedCount(0.4f), 0);
}

TEST(SeriesStore, RevisionMovesWithEveryWritableAccess) {
    auto store = std::make_unique<SeriesStore>();
    const unsigned before = store->storedRevision();
    const SeriesStore& reader = *store;
    (void)reader.storedCurrent(1, 1);
    EXPECT_EQ(store->storedRevision(), before);
    (void)store->storedVoltage(1, 1);
    EXPECT_NE(store->storedRevision(), before);
}

// Views keep what they drew of each series and look again only where a revision moved.
TEST(SeriesStore, SeriesRevisionsMoveWithWritesOfThatSeriesOrOfWholeTables) {
    auto store = std::make_unique<SeriesStore>();
    struct Step {
        const char* what;
        void (*act)(SeriesStore&);
        std::initializer_list<int> moved;  // of series 2, 3, 5
    };
    const Step steps[] = {
        {"read access", [](SeriesStore& s) { (void)std::as_const(s).storedCurrent(1, 3); }, {}},
        {"writable access", [](SeriesStore& s) { (void)s.storedVoltage(4, 3); }, {3}},
        {"commit", [](SeriesStore& s) { s.commitLive(5); }, {5}},
        {"rewrite pass told of series 2", [](SeriesStore& s) { s.markSeriesWritten(2); }, {2}},
        {"clear", [](SeriesStore& s) { s.clearStored(1); }, {2, 3, 5}},
        {"restore", [](SeriesStore& s) { s.restoreStored(); }, {2, 3, 5}},
        {"whole table", [](SeriesStore& s) { (void)s.storedCurrentTable(); }, {2, 3, 5}},
    };
    for (const Step& step : steps) {
        const std::uint64_t before[] = {store->seriesRevision(2), store->seriesRevision(3),
                                        store->seriesRevision(5)};
        step.act(*store);
        const int series[] = {2, 3, 5};
        for (int i = 0; i < 3; ++i) {
            const bool expected =
                std::find(step.moved.begin(), step.moved.end(), series[i]) != step.moved.end();
            EXPECT_EQ(store->seriesRevision(series[i]) != before[i], expected)
                << step.what << ", series " << series[i];
        }
    }
    const unsigned generation = store->liveGeneration();
    store->liveCurrent(1)[0] = 1;
    EXPECT_EQ(store->liveGeneration(), generation);
    store->clearLive();
    EXPECT_NE(store->liveGeneration(), generation);
}

// A snapshot's copies are made only when something needs them, and then hold the tables as
// they were at the snapshot, whichever way the tables are written first, also after a commit
// into a new slot (a Start after an open or a save) left the older copies pending.
TEST(SeriesStore, ASnapshotsCopiesHoldTheTablesAsTheyWereWhateverWritesFirst) {
    struct Write {
        const char* what;
        void (*act)(SeriesStore&);
    };
    const Write writes[] = {
        {"writable access", [](SeriesStore& s) { s.storedCurrent(1, 2)[1] = 9.0f; }},
        {"rewrite pass", [](SeriesStore& s) { s.storedCurrentForRewrite(1, 2)[1] = 9.0f; }},
        {"whole table", [](SeriesStore& s) { s.storedCurrentTable()[1] = 9.0f; }},
        {"commit", [](SeriesStore& s) { s.commitLive(2); }},
        {"clear", [](SeriesStore& s) { s.clearStored(2); }},
    };
    for (const bool commitFirst : {false, true}) {
        for (const Write& write : writes) {
            SCOPED_TRACE(testing::Message()
                         << write.what << (commitFirst ? " after a commit" : ""));
            auto store = std::make_unique<SeriesStore>();
            store->storedCurrent(1, 1)[1] = 5.0f;
            store->storedCurrent(1, 2)[1] = 6.0f;
            store->snapshotStored();
            EXPECT_TRUE(store->copiesPending());
            if (commitFirst) {
                fillLive(*store, 1, 2, 1.0f);
                store->commitLive(3);
                store->clearLive();
                EXPECT_FALSE(store->copiesPending());
            }
            write.act(*store);
            EXPECT_FALSE(store->copiesPending());
            EXPECT_EQ(store->storedCurrentCopy(1, 1)[1], 5.0f);
            EXPECT_EQ(store->storedCurrentCopy(1, 2)[1], 6.0f);
            store->restoreStored();
            EXPECT_EQ(store->storedCurrent(1, 1)[1], 5.0f);
            EXPECT_EQ(store->storedCurrent(1, 2)[1], 6.0f);
            EXPECT_EQ(store->storedCount(1, 3), 0);  // stored after the snapshot
        }
    }
    auto store = std::make_unique<SeriesStore>();
    store->storedCurrent(1, 1)[1] = 5.0f;
    store->snapshotStored();
    EXPECT_EQ(std::as_const(*store).storedCurrentCopy(1, 1)[1], 5.0f);  // a read makes them
    EXPECT_FALSE(store->copiesPending());
}

// A point's compliance flag goes where the point goes: commit, clear, swap; the corrections'
// restore leaves it, and a point written again without it loses it.
TEST(SeriesStore, ComplianceFlagsTravelWithTheirPoints) {
    auto store = std::make_unique<SeriesStore>();
    store->setLivePoint(3, 1, 0.1, 1e-6);
    store->setLivePoint(3, 2, 0.2, 1e-4, true);
    store->setLivePoint(3, SeriesStore::kMaxPoints, 2.0, 1e-4, true);
    EXPECT_TRUE(store->liveAtCompliance(3, 2));
    EXPECT_FALSE(store->liveAtCompliance(3, 1));
    EXPECT_FALSE(store->liveAtCompliance(4, 2));
    store->commitLive(150);
    store->snapshotStored();
    store->restoreStored();
    EXPECT_TRUE(store->atCompliance(150, 3, 2));
    EXPECT_TRUE(store->atCompliance(150, 3, SeriesStore::kMaxPoints));
    EXPECT_FALSE(store->atCompliance(150, 3, 1));
    EXPECT_FALSE(store->atCompliance(149, 3, 2));
    EXPECT_FALSE(store->atCompliance(150, 2, 2));

    store->clearLive();
    EXPECT_FALSE(store->liveAtCompliance(3, 2));
    store->setLivePoint(3, 2, 0.2, 5e-5);
    store->commitLive(1);
    EXPECT_FALSE(store->atCompliance(1, 3, 2));

    auto other = std::make_unique<SeriesStore>();
    other->swapContents(*store);
    EXPECT_TRUE(other->atCompliance(150, 3, 2));
    EXPECT_FALSE(store->atCompliance(150, 3, 2));
    other->clearStored(149);
    EXPECT_TRUE(other->atCompliance(150, 3, 2));
    other->clearStored(150);
    EXPECT_FALSE(other->atCompliance(150, 3, 2));
}
