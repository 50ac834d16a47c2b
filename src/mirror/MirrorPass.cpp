// SPDX-License-Identifier: GPL-3.0-or-later
#include "mirror/MirrorPass.h"

#include <set>

#include "mirror/PointBlocks.h"
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
    // The open measurements' rows may be among the changes still to come.
    *more = changes.size() == kChangesPerRound;
    if (!*more) {
        const std::vector<qint64> open = local_.openMeasurements();
        for (const qint64 id : open) {
            // One set aside waits for a change of its own; trying it each round only burdens
            // the server.
            if (!done.contains(id) && !memory_.rejected.contains(id) &&
                upload(id, std::nullopt, &sent, why) == Outcome::Failed) {
                return false;
            }
        }
        forgetAllBut(open);
    }
    if (sent > 0 && !server_.touchBench()) {
        *why = server_.error();
        return false;
    }
    return true;
}

// Labels go when they changed: a segment's label is written at its start and again at its
// end.
bool MirrorPass::sendMetadata(const MeasurementRow& row, bool changed) {
    if (changed && !server_.measurement(row)) {
        return false;
    }
    labelsSent_.clear();
    for (const auto& [segment, label] : local_.segments(row.id)) {
        const auto known = memory_.labels.find({row.id, segment});
        if (known != memory_.labels.end() && known->second == label) {
            continue;
        }
        if (!server_.segment(row.id, segment, label)) {
            return false;
        }
        labelsSent_.emplace_back(segment, label);
    }
    return !changed || (server_.context(row.id, local_.context(row.id)) &&
                        server_.files(row.id, local_.files(row.id)));
}

// The marks, with the first points' times this program sent.
SegmentCounts MirrorPass::sentCounts(qint64 id) {
    SegmentCounts counts = marks_.sent(id);
    for (auto& [segment, count] : counts) {
        if (const auto first = memory_.firsts.find({id, segment}); first != memory_.firsts.end()) {
            count.first = first->second;
        }
    }
    return counts;
}

bool MirrorPass::send(const MeasurementRow& row, bool changed, const SegmentCounts& counts,
                      qint64* sent) {
    const QString month = pointMonth(row.started);
    std::map<int, qint64> blocks = memory_.blocks[row.id];
    auto steps = planPoints(counts, sentCounts(row.id));
    if (changed && !row.ended.isNull()) {
        steps = compactPoints(std::move(steps), counts, blocks);
    }
    bool done =
        (steps.empty() || server_.month(month)) && server_.begin() && sendMetadata(row, changed);
    for (const PointStep& step : steps) {
        const PointColumns points = local_.points(row.id, step.segment, step.after, step.upTo);
        done = done && (!step.dropFirst || server_.dropPoints(row.id, step.segment)) &&
               server_.points(row.id, step.segment, month, points);
        *sent += points.size();
        qint64& count = blocks[step.segment];
        count =
            (step.dropFirst ? 0 : count) + (points.size() + kPointsPerBlock - 1) / kPointsPerBlock;
    }
    done = done && (!memory_.rejected.contains(row.id) || server_.accepted(row.id));
    if (!done || !server_.commit()) {
        server_.rollback();
        return false;
    }
    memory_.blocks[row.id] = std::move(blocks);
    memory_.rejected.erase(row.id);
    return true;
}

void MirrorPass::remember(qint64 id, const SegmentCounts& counts) {
    for (const auto& [segment, label] : labelsSent_) {
        memory_.labels[{id, segment}] = label;
    }
    for (const auto& [segment, count] : counts) {
        if (count.first) {
            memory_.firsts[{id, segment}] = *count.first;
        }
    }
}

// A measurement no longer measured needs no watching: what was kept of it in mind goes.
void MirrorPass::forgetAllBut(const std::vector<qint64>& open) {
    const std::set<qint64> kept(open.begin(), open.end());
    std::erase_if(memory_.labels,
                  [&](const auto& entry) { return !kept.contains(entry.first.first); });
    std::erase_if(memory_.blocks, [&](const auto& entry) { return !kept.contains(entry.first); });
    std::erase_if(memory_.firsts,
                  [&](const auto& entry) { return !kept.contains(entry.first.first); });
}

bool MirrorPass::labelsChanged(qint64 id) {
    for (const auto& [segment, label] : local_.segments(id)) {
        const auto known = memory_.labels.find({id, segment});
        if (known == memory_.labels.end() || known->second != label) {
            return true;
        }
    }
    return false;
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
    if (!changeSeq && planPoints(counts, sentCounts(id)).empty() && !labelsChanged(id)) {
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
    remember(id, counts);
    return Outcome::Sent;
}

// The change is taken, but nothing of the measurement is marked as held by the server.
MirrorPass::Outcome MirrorPass::setAside(qint64 id, std::optional<qint64> changeSeq, QString* why) {
    const QString message = server_.error();
    if (!server_.reject(id, message)) {
        *why = server_.error();
        return Outcome::Failed;
    }
    memory_.rejected[id] = message;
    if (changeSeq && !marks_.record(id, marks_.sent(id), false, changeSeq)) {
        *why = kLocalUnwritable;
        return Outcome::Failed;
    }
    return Outcome::Rejected;
}

}  // namespace tarvix::mirror
