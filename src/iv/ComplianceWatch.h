// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tarvix::iv {

// Which points of a run sat at the source's limit: the compliance current of a voltage source,
// or the voltage limit of a current source. Such a reading shows the limit, not the sample,
// so the point is flagged in the store and the run's end says how many there were.
class ComplianceWatch {
  public:
    enum class Limit { None, Current, Voltage };  // what the source limits

    // A reading within 0.5 % of the limit is at it; one beyond the limit all the more.
    static constexpr double kNearFraction = 0.005;
    static bool atLimit(double reading, double limit);

    // A new tally against `limit` (amperes or volts), nothing counted yet.
    void start(Limit kind, double limit);
    bool watches(Limit kind) const { return kind_ == kind; }
    // Counts a point measured at the source level `level`; true when it is at the limit.
    bool note(double reading, double level);

    int points() const { return points_; }
    int pointsAtLimit() const { return atLimit_; }
    // "reached the compliance 1.0E-4 A at 39 of 41 points, from 0.10 V": the limit as its
    // shortest E form, and the level nearest to zero at which it was reached (volts with two
    // decimals, more below 0.1 V; amperes in E form). Empty when no point reached it.
    QString summary() const;

  private:
    Limit kind_ = Limit::None;
    double limit_ = 0;
    int points_ = 0;
    int atLimit_ = 0;
    double onset_ = 0;  // the level of smallest magnitude among the points at the limit
};

}  // namespace tarvix::iv
