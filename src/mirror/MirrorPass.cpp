#include "mirror/MirrorPass.h"

#include <set>

#include "mirror/PointPlan.h"

namespace tarvix::mirror {

namespace {

// Changed measurements read per round; the next round takes the rest.
constexpr int kChangesPerRound = 50;

}  // namespace

bool MirrorPass::run(qint64 pointBudget, bool* more, QString* why) {
    *more = false;
    qint64 sent = 0;
    std::set<qint64> done;
    const auto changes = local_.changesAfter(marks_.changeSeq(), kChangesPerRound);
    for (const auto& [id, seq] : changes) {
        if (!upload(id, seq, &sent, why)) {
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
        if (!done.contains(id) && !upload(id, std::nullopt, &sent, why)) {
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

bool MirrorPass::upload(qint64 id, std::optional<qint64> changeSeq, qint64* sent, QString* why) {
    const auto row = local_.measurement(id);
    if (!row) {
        // Gone from the bench's database: nothing to send, the change is taken.
        return !changeSeq || marks_.record(id, marks_.sent(id), false, changeSeq) ||
               (*why = QStringLiteral("the bench's database cannot be written"), false);
    }
    const SegmentCounts counts = local_.counts(id);
    const bool ended = !row->ended.isNull();
    const bool wasFinal = marks_.isFinal(id);
    const auto steps = planPoints(counts, marks_.sent(id), ended && !wasFinal);
    if (!changeSeq && steps.empty()) {
        return true;
    }
    bool done = server_.begin() && sendMetadata(*row, changeSeq.has_value());
    for (const PointStep& step : steps) {
        const PointColumns points = local_.points(id, step.segment, step.after);
        done = done && (!step.dropFirst || server_.dropPoints(id, step.segment)) &&
               server_.points(id, points);
        *sent += points.size();
    }
    if (!done || !server_.commit()) {
        *why = server_.error();
        server_.rollback();
        return false;
    }
    if (!marks_.record(id, counts, ended, changeSeq)) {
        *why = QStringLiteral("the bench's database cannot be written");
        return false;
    }
    return true;
}

}  // namespace tarvix::mirror
