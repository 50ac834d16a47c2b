// SPDX-License-Identifier: GPL-3.0-or-later
#include "ivtemp/IvtProcedure.h"

#include <cmath>

#include "status/StatusService.h"

namespace tarvix::ivtemp {

namespace {

// Readings that set the rate: a few, so that it follows a change of the ramp soon.
constexpr std::size_t kRateReadings = 6;
// Below this the sample is taken to hold its temperature.
constexpr double kSteadyKPerMin = 0.05;

}  // namespace

IvtProcedure::IvtProcedure(const IvtSettings& settings)
    : targets_(targetsOf(settings)),
      tolerance_(settings.toleranceK),
      direction_(settings.toK > settings.fromK   ? 1.0
                 : settings.toK < settings.fromK ? -1.0
                                                 : 0.0) {}

IvtProcedure::Step IvtProcedure::reading(double seconds, std::optional<double> kelvin) {
    if (!kelvin || !std::isfinite(*kelvin)) {
        return failedReading();
    }
    return afterGoodReading(seconds, *kelvin);
}

IvtProcedure::Step IvtProcedure::sweepDone(double beforeK, double seconds,
                                           std::optional<double> afterK) {
    const double target = this->target();
    const bool known = afterK && std::isfinite(*afterK);
    measured_.push_back({target, beforeK, known ? *afterK : beforeK});
    ++next_;
    if (!known) {
        return finishedOr(failedReading());
    }
    failures_ = 0;
    recent_.push_back({seconds, *afterK});
    const QString moved = direction_ < 0 ? QStringLiteral("cooled") : QStringLiteral("warmed");
    skipPassed(*afterK, QStringLiteral("the sample %1 past it during the sweep at %2 K")
                            .arg(moved, kelvinText(target)));
    return finishedOr(Step::Wait);
}

IvtProcedure::Step IvtProcedure::afterGoodReading(double seconds, double kelvin) {
    failures_ = 0;
    recent_.push_back({seconds, kelvin});
    while (recent_.size() > kRateReadings) {
        recent_.pop_front();
    }
    skipPassed(kelvin, QStringLiteral("the sample was past it, at %1 K, before it could be "
                                      "measured")
                           .arg(QString::number(kelvin, 'f', 1)));
    if (next_ >= targetCount()) {
        return Step::Finished;
    }
    return std::abs(kelvin - target()) <= tolerance_ ? Step::Sweep : Step::Wait;
}

IvtProcedure::Step IvtProcedure::failedReading() {
    return ++failures_ >= kFailuresEndingRun ? Step::Failed : Step::Wait;
}

IvtProcedure::Step IvtProcedure::finishedOr(Step step) const {
    return step == Step::Wait && next_ >= targetCount() ? Step::Finished : step;
}

bool IvtProcedure::passed(double kelvin, double target) const {
    return direction_ * (kelvin - target) > tolerance_;
}

void IvtProcedure::skipPassed(double kelvin, const QString& reason) {
    while (next_ < targetCount() && passed(kelvin, target())) {
        skipped_ << QStringLiteral("skipped %1 K: %2").arg(kelvinText(target()), reason);
        ++next_;
    }
}

// A least-squares slope over the recent readings.
std::optional<double> IvtProcedure::ratePerMinute() const {
    if (recent_.size() < 2) {
        return std::nullopt;
    }
    double meanT = 0;
    double meanK = 0;
    for (const Sample& s : recent_) {
        meanT += s.seconds;
        meanK += s.kelvin;
    }
    meanT /= static_cast<double>(recent_.size());
    meanK /= static_cast<double>(recent_.size());
    double sxy = 0;
    double sxx = 0;
    for (const Sample& s : recent_) {
        sxy += (s.seconds - meanT) * (s.kelvin - meanK);
        sxx += (s.seconds - meanT) * (s.seconds - meanT);
    }
    if (sxx <= 0) {
        return std::nullopt;
    }
    return 60.0 * sxy / sxx;
}

QString IvtProcedure::statusText() const {
    if (next_ >= targetCount() || recent_.empty()) {
        return {};
    }
    const double kelvin = recent_.back().kelvin;
    QString text = QStringLiteral("target %1 of %2: %3 K, sample at %4 K")
                       .arg(next_ + 1)
                       .arg(targetCount())
                       .arg(target(), 0, 'f', 1)
                       .arg(kelvin, 0, 'f', 1);
    const auto rate = ratePerMinute();
    if (!rate) {
        return text;
    }
    if (std::abs(*rate) < kSteadyKPerMin) {
        return text + QStringLiteral(", steady");
    }
    text += QStringLiteral(", %1 %2 K/min")
                .arg(*rate > 0 ? QStringLiteral("warming") : QStringLiteral("cooling"))
                .arg(std::abs(*rate), 0, 'f', 1);
    const double towards = target() - kelvin;
    if (towards * *rate > 0) {
        const double seconds = std::abs(towards) / std::abs(*rate) * 60.0;
        text += QStringLiteral(", about %1 to go")
                    .arg(status::durationText(static_cast<qint64>(std::llround(seconds * 1000))));
    }
    return text;
}

QString IvtProcedure::failureText() const {
    return QStringLiteral(
               "I-V versus temperature was ended: the thermocouple could not be read "
               "%1 times in a row.")
        .arg(kFailuresEndingRun);
}

}  // namespace tarvix::ivtemp
