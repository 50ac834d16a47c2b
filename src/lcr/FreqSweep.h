// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <array>

namespace tarvix::lcr {

// Points a sweep table holds; index 0 is never used, so that point i sits at index i.
constexpr int kSweepCapacity = 2000;
using SweepArray = std::array<double, kSweepCapacity + 1>;

// The extremes start out of reach, so that the first stored value sets both.
constexpr double kExtremeStart = 1e6;

// The frequency sweep: what the meter measured and what the chart plots.
struct FreqSweep {
    int sweepCount = 0;
    SweepArray sweepFreq{};
    SweepArray sweepPrimary{};
    SweepArray sweepSecondary{};
    double primaryMin = kExtremeStart;
    double primaryMax = -kExtremeStart;
    double secondaryMin = kExtremeStart;
    double secondaryMax = -kExtremeStart;
    double Fmin = 10;
    double Fmax = 2000000;
    QString primaryCode = QStringLiteral("A");
    QString secondaryCode = QStringLiteral("N");
    int biasMode = 0;  // 0 OFF, 1 EXT, 2 INT
    int triggerDelay = 5;
    int readingsPerPoint = 1;
    int meterAverage = 1;

    void resetExtremes();
    // Widens the extremes by point i's averaged values.
    void widenExtremes(int i);
};

// Frequency of point i (from 1) of a grid of `count` points from `fmin` to `fmax`, before the
// 2-decimal rounding of what is sent. `count` must be at least 2.
double gridFrequency(int i, int count, double fmin, double fmax, bool logGrid);

// The curve the chart shows before the first sweep: 1000 points from 10 to 1000 Hz.
void loadTestCurve(FreqSweep& sweep, bool logGrid);

}  // namespace tarvix::lcr
