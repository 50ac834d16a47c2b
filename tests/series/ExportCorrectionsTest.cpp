// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <memory>
#include <random>

#include "series/ExportCorrections.h"
#include "series/SeriesStore.h"

using namespace tarvix::series;

namespace {

// Series 1, segment 1: the given currents at slots 1.., with 1 V each; then the copies.
void storeCurrents(SeriesStore& store, std::initializer_list<float> currents) {
    store.seriesCount = 1;
    float* current = store.storedCurrent(1, 1);
    float* voltage = store.storedVoltage(1, 1);
    int p = 0;
    for (float value : currents) {
        ++p;
        current[p] = value;
        voltage[p] = 1.0f;
    }
    current[0] = voltage[0] = static_cast<float>(p);
    store.snapshotStored();
}

ExportOptions only(bool drift, bool denoise, bool absolute = false,
                   SeriesResistor resistor = SeriesResistor::None) {
    ExportOptions options;
    options.drift = drift;
    options.denoise = denoise;
    options.absoluteCurrent = absolute;
    options.resistor = resistor;
    return options;
}

}  // namespace

TEST(ExportCorrections, DriftAddsTheFixedCurrentToEverySlot) {
    SeriesStore store;
    storeCurrents(store, {0.0f, 1e-6f});
    applyExportCorrections(store, only(true, false));
    const float* current = store.storedCurrent(1, 1);
    EXPECT_EQ(current[1], static_cast<float>(1.01391998963418E-10L));
    EXPECT_EQ(current[2], static_cast<float>(1e-6f + 1.01391998963418E-10L));
    EXPECT_EQ(current[3], static_cast<float>(1.01391998963418E-10L));  // beyond the count too
    EXPECT_EQ(current[SeriesStore::kMaxPoints], static_cast<float>(1.01391998963418E-10L));
    EXPECT_EQ(current[0], 2.0f);                    // the count is never touched
    EXPECT_EQ(store.storedCurrent(1, 2)[1], 0.0f);  // nor anything above seriesCount
}

TEST(ExportCorrections, DenoiseLiftsCurrentsBelowTheFloorKeepingTheirSign) {
    SeriesStore store;
    storeCurrents(store, {3e-12f, -3e-12f, 0.0f, 2e-11f, -2e-11f});
    applyExportCorrections(store, only(false, true));
    const float* current = store.storedCurrent(1, 1);
    EXPECT_EQ(current[1], 1e-11f);
    EXPECT_EQ(current[2], -1e-11f);
    EXPECT_EQ(current[3], 1e-11f);
    EXPECT_EQ(current[4], 2e-11f);
    EXPECT_EQ(current[5], -2e-11f);
    EXPECT_EQ(current[6], 1e-11f);  // empty slots are zero currents as well
}

TEST(ExportCorrections, TheNoiseFloorActsOnTheCurrentAfterTheDrift) {
    SeriesStore store;
    const long double drift = 1.01391998963418E-10L;
    const float cancels = static_cast<float>(-drift);  // leaves a residue far below the floor
    const float nearFloor = static_cast<float>(-drift - 0.99e-11L);
    storeCurrents(store, {cancels, nearFloor, -1e-9f});
    applyExportCorrections(store, only(true, true));
    const long double residue = cancels + drift;
    const float* current = store.storedCurrent(1, 1);
    EXPECT_EQ(current[1], residue < 0 ? -1e-11f : 1e-11f);
    EXPECT_EQ(current[2], -1e-11f);
    EXPECT_EQ(current[3], static_cast<float>(static_cast<long double>(-1e-9f) + drift));
}

TEST(ExportCorrections, TheSeriesResistorTakesItsDropOffTheVoltage) {
    SeriesStore store;
    storeCurrents(store, {100e-6f});
    applyExportCorrections(store, only(false, false, false, SeriesResistor::R1K));
    EXPECT_FLOAT_EQ(store.storedVoltage(1, 1)[1], 0.8958f);
    EXPECT_EQ(store.storedCurrent(1, 1)[1], 100e-6f);
    EXPECT_EQ(store.storedVoltage(1, 1)[0], 1.0f);

    // The drop uses the current after drift and noise floor: 1 V - 1e-11 A * 1022092 Ohm.
    storeCurrents(store, {0.0f});
    applyExportCorrections(store, only(false, true, false, SeriesResistor::R1M));
    EXPECT_FLOAT_EQ(store.storedVoltage(1, 1)[1], static_cast<float>(1.0L - 1e-11L * 1022092));
    // An absurd current read from a file keeps the voltage within the float range.
    storeCurrents(store, {3e38f});
    applyExportCorrections(store, only(false, false, false, SeriesResistor::R1M));
    EXPECT_EQ(store.storedVoltage(1, 1)[1], -FLT_MAX);
    EXPECT_EQ(seriesResistance(SeriesResistor::R10K), 9952);
    EXPECT_EQ(seriesResistance(SeriesResistor::R100K), 99869);
    EXPECT_EQ(seriesResistance(SeriesResistor::None), 0);
}

TEST(ExportCorrections, EveryChangeStartsAgainFromTheCopies) {
    SeriesStore store;
    storeCurrents(store, {-5e-9f});
    applyExportCorrections(store, only(false, false, true));
    EXPECT_EQ(store.storedCurrent(1, 1)[1], 5e-9f);
    // "No" with "ABS for log" still checked keeps the absolute values...
    applyExportCorrections(store, only(false, false, true, SeriesResistor::None));
    EXPECT_EQ(store.storedCurrent(1, 1)[1], 5e-9f);
    // ...and a second drift does not pile up on the first.
    applyExportCorrections(store, only(true, false, true));
    applyExportCorrections(store, only(true, false, true));
    EXPECT_EQ(store.storedCurrent(1, 1)[1], static_cast<float>(5e-9L - 1.01391998963418E-10L));
    applyExportCorrections(store, {});
    EXPECT_EQ(store.storedCurrent(1, 1)[1], -5e-9f);
    EXPECT_EQ(store.storedVoltage(1, 1)[1], 1.0f);
}

TEST(ExportCorrections, AllStepsApplyInOrderOnEverySeriesInUse) {
    SeriesStore store;
    store.seriesCount = 2;
    store.storedCurrent(8, 2)[7] = -2e-12f;
    store.storedVoltage(8, 2)[7] = 3.0f;
    store.snapshotStored();
    applyExportCorrections(store, only(true, true, true, SeriesResistor::R100K));
    // -2e-12 + drift is above the floor, then the drop, then the absolute value.
    const long double current = -2e-12L + 1.01391998963418E-10L;
    EXPECT_EQ(store.storedCurrent(8, 2)[7], static_cast<float>(std::fabs(current)));
    EXPECT_EQ(store.storedVoltage(8, 2)[7], static_cast<float>(3.0L - current * 99869));
}

TEST(ExportCorrections, ADeletedSeriesDoesNotComeBackFromTheCopies) {
    SeriesStore store;
    store.seriesCount = 2;
    store.storedCurrent(1, 2)[0] = 1;
    store.storedCurrent(1, 2)[1] = 1e-9f;
    store.snapshotStored();
    store.seriesCount = 0;  // "Delete"
    store.clearStored(SeriesStore::kMaxSeries);
    applyExportCorrections(store, only(false, false, true));
    store.seriesCount = 2;  // two measurements later, before slot 2 is committed
    EXPECT_EQ(store.storedCount(1, 2), 0);
    EXPECT_EQ(store.storedCurrent(1, 2)[1], 0.0f);
}

// The chart draws again only the series whose revision moved, so a click must move exactly
// the revisions of the series whose values it changed.
TEST(ExportCorrections, OnlyTheSeriesAnOptionChangesCountAsWritten) {
    SeriesStore store;
    store.seriesCount = 2;
    for (int series = 1; series <= 2; ++series) {
        float* current = store.storedCurrent(1, series);
        current[0] = store.storedVoltage(1, series)[0] = 1;
        current[1] = series == 1 ? 5e-9f : -5e-9f;
    }
    store.snapshotStored();
    struct Click {
        const char* what;
        ExportOptions options;
        bool series1Changes;
        bool series2Changes;
    };
    const Click clicks[] = {
        {"ABS: only the negative series", only(false, false, true), false, true},
        {"the same options again", only(false, false, true), false, false},
        {"back to none", {}, false, true},
        {"De noise lifts the empty slots of both", only(false, true), true, true},
    };
    for (const Click& click : clicks) {
        const std::uint64_t before1 = store.seriesRevision(1);
        const std::uint64_t before2 = store.seriesRevision(2);
        applyExportCorrections(store, click.options);
        EXPECT_EQ(store.seriesRevision(1) != before1, click.series1Changes) << click.what;
        EXPECT_EQ(store.seriesRevision(2) != before2, click.series2Changes) << click.what;
    }
    EXPECT_EQ(store.storedCurrent(1, 2)[1], -5e-9f);
    EXPECT_EQ(store.storedCurrent(1, 2)[2], 1e-11f);
}

// The corrections run in double precision where that settles the float, and in extended
// precision where it does not; the result must be the extended one bit for bit, for every
// choice of options, on ordinary, picoampere, near-floor and cancelling values.
TEST(ExportCorrections, EveryPointEqualsTheExtendedPrecisionResult) {
    SeriesStore store;
    store.seriesCount = 1;
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_real_distribution<float> decade(-13.0f, -4.0f);
    const float floorFloat = 1e-11f;
    const float special[] = {0.0f,
                             -0.0f,
                             floorFloat,
                             -floorFloat,
                             std::nextafter(floorFloat, 1.0f),
                             std::nextafter(floorFloat, 0.0f),
                             -1.01391998963418E-10f,
                             std::numeric_limits<float>::quiet_NaN(),
                             std::numeric_limits<float>::infinity(),
                             3e38f};
    float* current = store.storedCurrentTable();
    float* voltage = store.storedVoltageTable();
    for (std::size_t i = 1; i < SeriesStore::kSeriesBlock; ++i) {
        const float magnitude = std::pow(10.0f, decade(random));
        current[i] = i % 97 < std::size(special) ? special[i % 97] : unit(random) * magnitude;
        // Every third voltage nearly cancels a resistor's drop.
        voltage[i] =
            i % 3 == 0 ? current[i] * 9952.0f * (1 + unit(random) * 1e-6f) : unit(random) * 20.0f;
    }
    for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
        store.storedCurrent(segment, 1)[0] = 5;  // counts stay whatever the options
    }
    store.snapshotStored();
    for (int bits = 0; bits < 16; ++bits) {
        const ExportOptions options =
            only((bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0,
                 (bits & 8) != 0 ? SeriesResistor::R10K : SeriesResistor::None);
        applyExportCorrections(store, options);
        const long double resistance = seriesResistance(options.resistor);
        int wrong = 0;
        for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
            const float* sourceCurrent = store.storedCurrentCopy(segment, 1);
            const float* sourceVoltage = store.storedVoltageCopy(segment, 1);
            const SeriesStore& reader = store;
            for (int p = 1; p <= SeriesStore::kMaxPoints; ++p) {
                long double i = sourceCurrent[p];
                if (options.drift) {
                    i += 1.01391998963418E-10L;
                }
                if (options.denoise && std::fabs(i) < 1e-11L) {
                    i = i != 0 ? std::copysign(1e-11L, i) : 1e-11L;
                }
                long double v = sourceVoltage[p] - i * resistance;
                v = std::fabs(v) > FLT_MAX ? std::copysign(static_cast<long double>(FLT_MAX), v)
                                           : v;
                i = options.absoluteCurrent ? std::fabs(i) : i;
                const auto sameBits = [](float a, float b) {
                    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
                };
                const float expectedVoltage = options.resistor == SeriesResistor::None
                                                  ? sourceVoltage[p]
                                                  : static_cast<float>(v);
                wrong += !sameBits(reader.storedCurrent(segment, 1)[p], static_cast<float>(i)) ||
                         !sameBits(reader.storedVoltage(segment, 1)[p], expectedVoltage);
            }
        }
        EXPECT_EQ(wrong, 0) << "options " << bits;
    }
}

// Right after a snapshot the tables are the copies: no option means nothing to restore, and
// the copies need not even be made; once an option ran, no option restores them again.
TEST(ExportCorrections, WithoutOptionsAfterASnapshotNothingIsRewritten) {
    auto store = std::make_unique<SeriesStore>();
    storeCurrents(*store, {-2e-6f});
    const unsigned revision = store->storedRevision();
    applyExportCorrections(*store, {});
    EXPECT_EQ(store->storedRevision(), revision);
    EXPECT_TRUE(store->copiesPending());
    applyExportCorrections(*store, only(false, false, true));
    EXPECT_EQ(store->storedCurrent(1, 1)[1], 2e-6f);
    applyExportCorrections(*store, {});
    EXPECT_EQ(store->storedCurrent(1, 1)[1], -2e-6f);
}
