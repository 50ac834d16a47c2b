#include "series/ExportCorrections.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "series/SeriesStore.h"

namespace tarvix::series {

namespace {

constexpr long double kDriftCurrent = 1.01391998963418E-10L;
constexpr long double kNoiseFloor = 1e-11L;
constexpr float kDriftEstimate = static_cast<float>(kDriftCurrent);
// Twice the floor: far beyond the error of the estimate.
constexpr float kClearlyAboveFloor = 2e-11f;
constexpr long double kLargestFloat = FLT_MAX;

struct Steps {
    bool drift;
    bool denoise;
    bool resistor;
    bool absolute;
};

// One segment's point slots 1..10000, read from the copies and written to the tables; the
// steps are template parameters so that each combination of options gets a loop without
// tests inside. A voltage that would leave the float range (absurd values read from a file)
// stays at the largest float.
template <bool Drift, bool Denoise, bool Resistor, bool Absolute>
void correctSlots(const float* sourceCurrent, const float* sourceVoltage, float* current,
                  float* voltage, long double resistance) {
    if constexpr (!Resistor) {
        std::memcpy(voltage + 1, sourceVoltage + 1, SeriesStore::kMaxPoints * sizeof(float));
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
            voltage[p] = static_cast<float>(v);
        }
        if constexpr (Absolute) {
            i = std::fabs(i);
        }
        current[p] = static_cast<float>(i);
    }
}

// Without options the tables are the copies; the absolute value alone is exact in single
// precision and needs no widening.
void copyOnly(const float* sourceCurrent, const float* sourceVoltage, float* current,
              float* voltage, long double) {
    std::memcpy(current + 1, sourceCurrent + 1, SeriesStore::kMaxPoints * sizeof(float));
    std::memcpy(voltage + 1, sourceVoltage + 1, SeriesStore::kMaxPoints * sizeof(float));
}

void absoluteOnly(const float* sourceCurrent, const float* sourceVoltage, float* current,
                  float* voltage, long double) {
    std::memcpy(voltage + 1, sourceVoltage + 1, SeriesStore::kMaxPoints * sizeof(float));
    for (int p = 1; p <= SeriesStore::kMaxPoints; ++p) {
        current[p] = std::fabs(sourceCurrent[p]);
    }
}

using SlotPass = void (*)(const float*, const float*, float*, float*, long double);

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

// Restoring and correcting in one pass reads the copies once and writes the tables once.
// Only the slots in use are restored: the ones above seriesCount are never shown, and
// bringing old copies back there could surface a deleted series once the count grows.
// Each segment is corrected into a scratch block first and written back only when it
// differs, and only the series that changed count as written, so that the chart draws
// again just what an option changed.
void applyExportCorrections(SeriesStore& store, const ExportOptions& options) {
    const long double resistance = seriesResistance(options.resistor);
    const SlotPass pass =
        choosePass({options.drift, options.denoise, options.resistor != SeriesResistor::None,
                    options.absoluteCurrent});
    constexpr std::size_t kSegmentBytes = SeriesStore::kSlotsPerSegment * sizeof(float);
    std::vector<float> scratch(2 * SeriesStore::kSlotsPerSegment);
    float* const newCurrent = scratch.data();
    float* const newVoltage = scratch.data() + SeriesStore::kSlotsPerSegment;
    const int lastSeries = std::clamp(store.seriesCount, 0, SeriesStore::kMaxSeries);
    for (int series = 1; series <= lastSeries; ++series) {
        bool changed = false;
        for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
            const float* sourceCurrent = store.storedCurrentCopy(segment, series);
            const float* sourceVoltage = store.storedVoltageCopy(segment, series);
            newCurrent[0] = sourceCurrent[0];
            newVoltage[0] = sourceVoltage[0];
            pass(sourceCurrent, sourceVoltage, newCurrent, newVoltage, resistance);
            float* current = store.storedCurrentForRewrite(segment, series);
            float* voltage = store.storedVoltageForRewrite(segment, series);
            if (std::memcmp(current, newCurrent, kSegmentBytes) != 0) {
                std::memcpy(current, newCurrent, kSegmentBytes);
                changed = true;
            }
            if (std::memcmp(voltage, newVoltage, kSegmentBytes) != 0) {
                std::memcpy(voltage, newVoltage, kSegmentBytes);
                changed = true;
            }
        }
        if (changed) {
            store.markSeriesWritten(series);
        }
    }
}

}  // namespace tarvix::series
