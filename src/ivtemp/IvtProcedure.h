// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

#include "ivtemp/IvtSettings.h"

namespace tarvix::ivtemp {

// The procedure of I-V versus temperature as a state machine, fed by thermocouple readings and
// sweep completions; the caller does what it answers. A reading within the tolerance of the
// next target asks for a sweep; a target the sample moved past (in the run's direction) is
// skipped with the reason; three failed readings in a row end the run.
class IvtProcedure {
  public:
    enum class Step {
        Wait,      // read again after the period
        Sweep,     // run the I-V sweep at target()
        Finished,  // every target measured or skipped
        Failed,    // the thermocouple could not be read: failureText()
    };

    // A sweep taken: its target and the temperatures read just before and just after it.
    struct Measured {
        double targetK = 0;
        double beforeK = 0;
        double afterK = 0;
        double meanK() const { return (beforeK + afterK) / 2; }
    };

    static constexpr int kFailuresEndingRun = 3;

    explicit IvtProcedure(const IvtSettings& settings);

    // A reading at `seconds` (a steady clock): the kelvin, or nothing when it failed.
    Step reading(double seconds, std::optional<double> kelvin);
    // The sweep asked for is done; `afterK` is the reading just after it (nothing: failed,
    // which counts as a failed reading).
    Step sweepDone(double beforeK, double seconds, std::optional<double> afterK);

    int targetCount() const { return static_cast<int>(targets_.size()); }
    // 0-based index of the next target; targetCount() when none is left.
    int targetIndex() const { return next_; }
    double target() const { return targets_.at(static_cast<std::size_t>(next_)); }
    const std::vector<Measured>& measured() const { return measured_; }
    const QStringList& skipped() const { return skipped_; }
    // "target 5 of 21: 140.0 K, sample at 137.8 K, warming 9.6 K/min, about 0:18 to go".
    QString statusText() const;
    // K/min over the recent readings (positive: warming); nothing before two readings.
    std::optional<double> ratePerMinute() const;
    QString failureText() const;

  private:
    Step afterGoodReading(double seconds, double kelvin);
    Step failedReading();
    void skipPassed(double kelvin, const QString& reason);
    bool passed(double kelvin, double target) const;
    Step finishedOr(Step step) const;

    struct Sample {
        double seconds;
        double kelvin;
    };
    std::vector<double> targets_;
    double tolerance_;
    double direction_;  // +1 warming, -1 cooling, 0 a single target
    int next_ = 0;
    int failures_ = 0;
    std::deque<Sample> recent_;
    std::vector<Measured> measured_;
    QStringList skipped_;
};

}  // namespace tarvix::ivtemp
