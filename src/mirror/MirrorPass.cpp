#include "mirror/MirrorPass.h"

#include <set>

#include "mirror/PointPlan.h"

namespace tarvix::mirror {

namespace {

// Changed measurements read per round; the next round takes the rest.
constexpr int kChangesPerRound = 50;

const QString kLocalUnwritable = QStringLiteral("the bench's database cannot be written");

}  // namespace

bool MirrorPass::run(qint64 pointBudget, bool* more, QString* why) {
    *more = false;
    qint64 sent = 0;
    std::set<qint64> done;
    const auto changes = local_.changesAfter(marks_.changeSeq(), kChangesPerRound);
    for (const auto& [id, seq] : changes) {
        if (upload(id, seq, &sent, why) == Outcome::Failed) {
            return false;
        }
        done.insert(id);
        if (sent >= pointBudget) {
            *more = true;
            return true;
        }
    }
    *more = changes.size() == kChangesPerRound;
    for (const qint64 id : local_.openMeasurements()) {
        // One set aside waits for a change of its own; trying it each round only burdens
        // the server.
        if (!done.contains(id) && !rejected_.contains(id) &&
            upload(id, std::nullopt, &sent, why) == Outcome::Failed) {
            return false;
        }
    }
    if (sent > 0 && !server_.touchBench()) {
        *why = server_.error();
        return false;
    }
    return true;
}

bool MirrorPass::sendMetadata(const MeasurementRow& row, bool changed) {
    if (!server_.measurement(row) || !server_.segments(row.id, local_.segments(row.id))) {
        return false;
    }
    return !changed || (server_.context(row.id, local_.context(row.id)) &&
                        server_.files(row.id, local_.files(row.id)));
}

bool MirrorPass::send(const MeasurementRow& row, bool changed, const SegmentCounts& counts,
                      qint64* sent) {
    const bool ended = !row.ended.isNull();
    const auto steps = planPoints(counts, marks_.sent(row.id), ended && !marks_.isFinal(row.id));
    bool done = server_.begin() && sendMetadata(row, changed);
    for (const PointStep& step : steps) {
        const PointColumns points = local_.points(row.id, step.segment, step.after);
        done = done && (!step.dropFirst || server_.dropPoints(row.id, step.segment)) &&
               server_.points(row.id, points);
        *sent += points.size();
    }
    done = done && (!rejected_.contains(row.id) || server_.accepted(row.id));
    if (!done || !server_.commit()) {
        server_.rollback();
        return false;
    }
    rejected_.erase(row.id);
    return true;
}

MirrorPass::Outcome MirrorPass::upload(qint64 id, std::optional<qint64> changeSeq, qint64* sent,
                                       QString* why) {
    const auto row = local_.measurement(id);
    if (!row) {
        // Gone from the bench's database: nothing to send, the change is taken.
        if (!changeSeq || marks_.record(id, marks_.sent(id), false, changeSeq)) {
            return Outcome::Sent;
        }
        *why = kLocalUnwritable;
        return Outcome::Failed;
    }
    const SegmentCounts counts = local_.counts(id);
    const bool ended = !row->ended.isNull();
    if (!changeSeq && planPoints(counts, marks_.sent(id), ended && !marks_.isFinal(id)).empty()) {
        return Outcome::Sent;
    }
    if (!send(*row, changeSeq.has_value(), counts, sent)) {
        if (server_.fault() == ServerFault::Row) {
            return setAside(id, changeSeq, why);
        }
        *why = server_.error();
        return Outcome::Failed;
    }
    if (!marks_.record(id, counts, ended, changeSeq)) {
        *why = kLocalUnwritable;
        return Outcome::Failed;
    }
    return Outcome::Sent;
}

// The change is taken, but nothing of the measurement is marked as held by the server.
MirrorPass::Outcome MirrorPass::setAside(qint64 id, std::optional<qint64> changeSeq, QString* why) {
    const QString message = server_.error();
    if (!server_.reject(id, message)) {
        *why = server_.error();
        return Outcome::Failed;
    }
    rejected_[id] = message;
    if (changeSeq && !marks_.record(id, marks_.sent(id), false, changeSeq)) {
        *why = kLocalUnwritable;
        return Outcome::Failed;
    }
    return Outcome::Rejected;
}

}  // namespace tarvix::mirror
