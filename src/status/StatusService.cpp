// SPDX-License-Identifier: GPL-3.0-or-later
#include "status/StatusService.h"

#include <QCoreApplication>
#include <QStringList>
#include <algorithm>

namespace tarvix::status {

QString durationText(qint64 milliseconds) {
    const qint64 seconds = std::max<qint64>(milliseconds, 0) / 1000;
    const QString secondsText = QStringLiteral("%1").arg(seconds % 60, 2, 10, QChar('0'));
    if (seconds < 3600) {
        return QStringLiteral("%1:%2").arg(seconds / 60).arg(secondsText);
    }
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QChar('0'))
        .arg(secondsText);
}

StatusService::StatusService(Clock clock) : clock_(std::move(clock)) {
    if (!clock_) {
        timer_.start();
        clock_ = [this] { return timer_.elapsed(); };
    }
}

void StatusService::begin(const QString& stage) {
    running_ = true;
    startedAt_ = clock_();
    last_ = Progress{};
    last_.stage = stage;
    setText(tr("%1: starting").arg(stage));
}

void StatusService::publish(const Progress& progress) {
    if (!running_ || progress.stage != last_.stage) {
        begin(progress.stage);
    }
    if (progress.ending) {
        if (!progress.reading.isEmpty()) {
            last_.reading = progress.reading;
        }
        finish(*progress.ending, progress.reason);
        return;
    }
    last_ = progress;
    if (clock_() < noticeUntil_) {
        emit changed();  // the bar moves on under the notice
        return;
    }
    setText(runningText());
}

void StatusService::finish(Ending ending, const QString& reason, const QString& remark) {
    if (!running_) {
        return;
    }
    running_ = false;
    noticeUntil_ = -1;
    const QString took = durationText(elapsed());
    QString outcome;
    switch (ending) {
        case Ending::Finished:
            outcome = tr("finished after %1").arg(took);
            break;
        case Ending::Stopped:
            outcome = last_.reading.isEmpty()
                          ? tr("stopped after %1").arg(took)
                          : tr("stopped at %1 after %2").arg(last_.reading, took);
            break;
        case Ending::Ended:
            outcome = reason.isEmpty() ? tr("ended") : tr("ended: %1").arg(reason);
            break;
        case Ending::Fault:
            outcome =
                last_.reading.isEmpty()
                    ? tr("ended by a fault after %1: %2").arg(took, reason)
                    : tr("ended by a fault at %1 after %2: %3").arg(last_.reading, took, reason);
            break;
    }
    if (!remark.isEmpty()) {
        outcome += QStringLiteral("; ") + remark;
    }
    setText(QStringLiteral("%1: %2").arg(last_.stage, outcome));
}

void StatusService::say(const QString& text) {
    noticeUntil_ = running_ ? clock_() + kNoticeMs : -1;
    setText(text);
}

int StatusService::percent() const {
    if (!running_ || last_.total <= 0) {
        return -1;
    }
    return static_cast<int>(std::clamp<qint64>(100LL * last_.done / last_.total, 0, 100));
}

QString StatusService::runningText() const {
    QStringList parts;
    for (const ProgressCounter& counter : last_.counters) {
        const QString name = QCoreApplication::translate("tarvix::status::StatusService",
                                                         counter.name.toUtf8().constData());
        parts << (counter.count > 0
                      ? tr("%1 %2 of %3").arg(name).arg(counter.index).arg(counter.count)
                      : QStringLiteral("%1 %2").arg(name).arg(counter.index));
    }
    if (!last_.reading.isEmpty()) {
        parts << last_.reading;
    }
    parts << timeText();
    return QStringLiteral("%1: %2").arg(last_.stage, parts.join(QStringLiteral(", ")));
}

// The time left is the elapsed time scaled by the work still to do, so it settles as the
// points of a steady sweep come in.
QString StatusService::timeText() const {
    const qint64 spent = elapsed();
    QString text = tr("%1 elapsed").arg(durationText(spent));
    if (last_.total > 0 && last_.done > 0 && last_.done < last_.total) {
        const qint64 left = spent * (last_.total - last_.done) / last_.done;
        text += QStringLiteral(", ") + tr("about %1 left").arg(durationText(left));
    }
    return text;
}

qint64 StatusService::elapsed() const {
    return clock_() - startedAt_;
}

void StatusService::setText(const QString& text) {
    text_ = text;
    emit changed();
}

}  // namespace tarvix::status
