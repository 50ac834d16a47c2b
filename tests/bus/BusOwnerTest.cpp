// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QStringList>
#include <optional>

#include "bus/BusOwner.h"
#include "bus/ReadingFaults.h"

using namespace tarvix::bus;

// The shutdown runs once, however the lease ends, and only then is the bus free again.
TEST(BusOwner, TheShutdownRunsOnEveryWayOutAndFreesTheBus) {
    enum class End { Scope, Explicit, MovedOver, Reset };
    for (End end : {End::Scope, End::Explicit, End::MovedOver, End::Reset}) {
        BusOwner owner;
        QStringList log;
        int changes = 0;
        owner.setOnChange([&] {
            log << (owner.busy() ? "taken" : "free");
            ++changes;
        });
        QString refusal;
        {
            std::optional<BusLease> lease =
                owner.acquire("Termo", &refusal, [&] { log << "off (" + owner.holder() + ")"; });
            ASSERT_TRUE(lease);
            EXPECT_EQ(owner.holder(), "Termo");
            EXPECT_FALSE(owner.acquire("Start", &refusal));
            EXPECT_EQ(refusal,
                      "\"Termo\" is using the instruments; \"Start\" can start when it has ended.");
            owner.requestEnd();
            EXPECT_TRUE(lease->endRequested());
            if (end == End::Explicit) {
                lease->end();
                lease->end();
            } else if (end == End::Reset) {
                lease.reset();
            } else if (end == End::MovedOver) {
                std::optional<BusLease> other = std::move(lease);
                lease.reset();  // the moved-from lease owns nothing
                EXPECT_TRUE(owner.busy());
            }
        }
        EXPECT_EQ(log, (QStringList{"taken", "off (Termo)", "free"})) << static_cast<int>(end);
        EXPECT_FALSE(owner.busy());
        EXPECT_FALSE(owner.endRequested());  // the next procedure starts with a clean slate
        EXPECT_TRUE(owner.acquire("Start", &refusal));
    }
}

TEST(BusOwner, WithoutABoardEveryProcedureIsRefused) {
    BusOwner owner;
    owner.setBoardPresent(false);
    QString refusal;
    bool shutdownRan = false;
    EXPECT_FALSE(owner.acquire("7600 Start", &refusal, [&] { shutdownRan = true; }));
    EXPECT_EQ(refusal, "There is no GPIB board: \"7600 Start\" cannot reach the instruments.");
    EXPECT_FALSE(shutdownRan);
    owner.requestEnd();  // nothing runs: nothing to end
    EXPECT_FALSE(owner.endRequested());
}

// Two failures in a row are weathered, the third ends the run; the message counts them all.
TEST(ReadingFaults, ThreeFailuresInARowEndTheRun) {
    const ExchangeFault fault{16, ":READ?", 3};
    ReadingFaults faults("samples");
    EXPECT_TRUE(faults.summary("Start_d").isEmpty());
    EXPECT_FALSE(faults.record(fault));
    EXPECT_FALSE(faults.recordUnreadable());
    EXPECT_FALSE(faults.record(std::nullopt));
    EXPECT_FALSE(faults.record(fault));
    EXPECT_FALSE(faults.record(fault));
    EXPECT_EQ(faults.summary("Start_d"),
              "4 of 5 samples are stored as missing. Last failure: the instrument at address 16 "
              "failed on \":READ?\" (status 3).");
    EXPECT_TRUE(faults.recordUnreadable());
    EXPECT_TRUE(faults.endsRun());
    EXPECT_TRUE(faults.summary("Start_d").startsWith(
        "Start_d was ended: 3 failed readings in a row. 5 of 6 samples"));
}
