// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/ExportCorrections.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <thread>

#include "series/SeriesStore.h"

namespace tarvix::series {

namespace {

constexpr long double kDriftCurrent = 1.01391998963418E-10L;
constexpr long double kNoiseFloor = 1e-11L;
constexpr float kDriftEstimate = static_cast<float>(kDriftCurrent);
// Twice the floor: far beyond the error of the estimate.
constexpr float kClearlyAboveFloor = 2e-11f;
constexpr long double kLargestFloat = FLT_MAX;
// Below this many series a second thread costs more than it saves.
constexpr int kSeriesWorthASecondThread = 8;

struct Steps {
    bool drift;
    bool denoise;
    bool resistor;
    bool absolute;
};

// Writes the value into the table and tells whether that changed the table.
bool storeValue(float& target, float value) {
    const bool changed =
        std::bit_cast<std::uint32_t>(target) != std::bit_cast<std::uint32_t>(value);
    target = value;
    return changed;
}

// Copies slots 1..10000 only where they differ; true when they did.
bool copySlots(float* target, const float* source) {
    constexpr std::size_t kBytes = SeriesStore::kMaxPoints * sizeof(float);
    if (std::memcmp(target + 1, source + 1, kBytes) == 0) {
        return false;
    }
    std::memcpy(target + 1, source + 1, kBytes);
    return true;
}

// Below the floor, for a current that is a float as it stands (no drift added): the same
// test as |I| < 1e-11 in extended precision, done on the bits, where it takes no branch on
// data that lies around the floor.
constexpr float kFloorFloat = static_cast<float>(kNoiseFloor);
constexpr std::uint32_t kFloorBits = std::bit_cast<std::uint32_t>(kFloorFloat);
constexpr bool kFloorFloatBelowFloor = static_cast<long double>(kFloorFloat) < kNoiseFloor;
constexpr std::uint32_t kSignBit = 0x80000000U;

float liftedToFloor(float source) {
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(source);
    const std::uint32_t magnitude = bits & ~kSignBit;  // a NaN is not below anything
    const bool below = kFloorFloatBelowFloor ? magnitude <= kFloorBits : magnitude < kFloorBits;
    // Masks rather than a choice, which the compiler would turn back into a branch.
    const std::uint32_t belowMask = 0U - static_cast<std::uint32_t>(below);
    const std::uint32_t keptSign =
        bits & kSignBit & (0U - static_cast<std::uint32_t>(magnitude != 0));
    return std::bit_cast<float>(((keptSign | kFloorBits) & belowMask) | (bits & ~belowMask));
}

// One segment's point slots 1..10000, read from the copies and written to the tables; the
// steps are template parameters so that each combination of options gets a loop without
// tests inside. A voltage that would leave the float range (absurd values read from a file)
// stays at the largest float. Returns whether the tables changed.
template <bool Drift, bool Denoise, bool Resistor, bool Absolute>
bool correctSlots(const float* __restrict sourceCurrent, const float* __restrict sourceVoltage,
                  float* __restrict current, float* __restrict voltage, long double resistance) {
    bool changed = false;
    if constexpr (!Resistor) {
        changed = copySlots(voltage, sourceVoltage);
    }
    if constexpr (Denoise && !Drift && !Resistor) {
        // Lifted into a block of its own, a loop the compiler runs on several values at once.
        std::array<float, SeriesStore::kSlotsPerSegment> lifted;
        for (int p = 1; p <= SeriesStore::kMaxPoints; ++p) {
            const float value = liftedToFloor(sourceCurrent[p]);
            lifted[static_cast<std::size_t>(p)] = Absolute ? std::fabs(value) : value;
        }
        return copySlots(current, lifted.data()) || changed;
    }
    for (int p = 1; p <= SeriesStore::kMaxPoints; ++p) {
        const float source = sourceCurrent[p];
        long double i = source;
        if constexpr (Drift) {
            i += kDriftCurrent;
        }
        if constexpr (Denoise) {
            // A single-precision estimate settles the common case of a current well above
            // the floor; only those near it take the exact test.
            const float estimate = Drift ? source + kDriftEstimate : source;
            // The same sign, magnitude 1e-11 A: a sign-copy instead of I x 1e-11 / |I|, whose
            // two roundings could miss the floor by a unit of the last place.
            if (!(std::fabs(estimate) > kClearlyAboveFloor) && std::fabs(i) < kNoiseFloor) {
                i = i != 0 ? std::copysign(kNoiseFloor, i) : kNoiseFloor;
            }
        }
        if constexpr (Resistor) {
            long double v = sourceVoltage[p] - i * resistance;
            if (std::fabs(v) > kLargestFloat) [[unlikely]] {
                v = std::copysign(kLargestFloat, v);
            }
            changed |= storeValue(voltage[p], static_cast<float>(v));
        }
        if constexpr (Absolute) {
            i = std::fabs(i);
        }
        changed |= storeValue(current[p], static_cast<float>(i));
    }
    return changed;
}

// Without options the tables are the copies; the absolute value alone is exact in single
// precision and needs no widening.
bool copyOnly(const float* sourceCurrent, const float* sourceVoltage, float* current,
              float* voltage, long double) {
    const bool currentChanged = copySlots(current, sourceCurrent);
    return copySlots(voltage, sourceVoltage) || currentChanged;
}

bool absoluteOnly(const float* sourceCurrent, const float* sourceVoltage, float* current,
                  float* voltage, long double) {
    bool changed = copySlots(voltage, sourceVoltage);
    for (int p = 1; p <= SeriesStore::kMaxPoints; ++p) {
        changed |= storeValue(current[p], std::fabs(sourceCurrent[p]));
    }
    return changed;
}

using SlotPass = bool (*)(const float*, const float*, float*, float*, long double);

template <int Bits>
constexpr SlotPass passFor() {
    return &correctSlots<(Bits & 1) != 0, (Bits & 2) != 0, (Bits & 4) != 0, (Bits & 8) != 0>;
}

SlotPass choosePass(const Steps& steps) {
    static constexpr SlotPass kPasses[16] = {
        copyOnly,      passFor<1>(),  passFor<2>(),  passFor<3>(), passFor<4>(),  passFor<5>(),
        passFor<6>(),  passFor<7>(),  absoluteOnly,  passFor<9>(), passFor<10>(), passFor<11>(),
        passFor<12>(), passFor<13>(), passFor<14>(), passFor<15>()};
    const int bits = (steps.drift ? 1 : 0) | (steps.denoise ? 2 : 0) | (steps.resistor ? 4 : 0) |
                     (steps.absolute ? 8 : 0);
    return kPasses[bits];
}

}  // namespace

double seriesResistance(SeriesResistor resistor) {
    switch (resistor) {
        case SeriesResistor::R1K:
            return 1042;
        case SeriesResistor::R10K:
            return 9952;
        case SeriesResistor::R100K:
            return 99869;
        case SeriesResistor::R1M:
            return 1022092;
        case SeriesResistor::None:
            break;
    }
    return 0;
}

// Restoring and correcting in one pass reads the copies once and writes the tables once;
// without options, right after a snapshot (an open, a save), there is nothing to restore.
// Only the slots in use are restored: the ones above seriesCount are never shown, and
// bringing old copies back there could surface a deleted series once the count grows.
// Only the series whose values changed count as written, so that the chart draws again
// just what an option changed. A large store is shared between two threads, each with
// series of its own.
void applyExportCorrections(SeriesStore& store, const ExportOptions& options) {
    const bool anyOption = options.drift || options.denoise || options.absoluteCurrent ||
                           options.resistor != SeriesResistor::None;
    if (!anyOption && store.copiesPending()) {
        return;  // the copies are the tables as they stand: nothing to restore
    }
    store.makePendingCopies();  // before two threads read them
    const long double resistance = seriesResistance(options.resistor);
    const SlotPass pass =
        choosePass({options.drift, options.denoise, options.resistor != SeriesResistor::None,
                    options.absoluteCurrent});
    const int lastSeries = std::clamp(store.seriesCount, 0, SeriesStore::kMaxSeries);
    std::array<bool, SeriesStore::kMaxSeries + 1> changed{};
    const auto correct = [&](int first, int last) {
        for (int series = first; series <= last; ++series) {
            for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
                const float* sourceCurrent = store.storedCurrentCopy(segment, series);
                const float* sourceVoltage = store.storedVoltageCopy(segment, series);
                float* current = store.storedCurrentForRewrite(segment, series);
                float* voltage = store.storedVoltageForRewrite(segment, series);
                bool segmentChanged = storeValue(current[0], sourceCurrent[0]);
                segmentChanged |= storeValue(voltage[0], sourceVoltage[0]);
                segmentChanged |= pass(sourceCurrent, sourceVoltage, current, voltage, resistance);
                changed[static_cast<std::size_t>(series)] |= segmentChanged;
            }
        }
    };
    if (lastSeries >= kSeriesWorthASecondThread && std::thread::hardware_concurrency() >= 2) {
        const int half = lastSeries / 2;
        std::jthread later(correct, half + 1, lastSeries);
        correct(1, half);
    } else {
        correct(1, lastSeries);
    }
    for (int series = 1; series <= lastSeries; ++series) {
        if (changed[static_cast<std::size_t>(series)]) {
            store.markSeriesWritten(series);
        }
    }
}

}  // namespace tarvix::series
