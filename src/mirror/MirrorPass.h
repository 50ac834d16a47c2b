// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <optional>

#include "mirror/LocalJournalReader.h"
#include "mirror/MirrorMarks.h"
#include "mirror/ServerUpload.h"

namespace tarvix::mirror {

// What the mirror keeps in mind from round to round while the program runs.
struct PassMemory {
    // Measurements set aside because the server refused them, with its words.
    std::map<qint64, QString> rejected;
    // Per measurement and segment: the label sent and the time of the first point sent.
    std::map<std::pair<qint64, int>, QString> labels;
    std::map<std::pair<qint64, int>, double> firsts;
    // Per measurement: the blocks sent of each segment.
    std::map<qint64, std::map<int, qint64>> blocks;
};

// One round of sending: the measurements changed since the server's last change, oldest
// first, then the new points of those still being measured. Each measurement goes over in
// one server transaction; its marks follow only once that committed. A measurement's row,
// settings and files go when they changed; its points as they were measured, each once.
//
// A measurement whose rows the server refuses is set aside with the server's words (on the
// server, so every start knows it) and the round goes on with the next; it is tried again
// when it changes on the bench.
class MirrorPass {
  public:
    MirrorPass(LocalJournalReader& local, MirrorMarks& marks, ServerUpload& server,
               PassMemory& memory)
        : local_(local), marks_(marks), server_(server), memory_(memory) {}

    // Sends until about `pointBudget` points went over. Returns false (with `*why`) when the
    // server or the bench's database failed; `*more` when the budget ended the round first.
    bool run(qint64 pointBudget, bool* more, QString* why);

  private:
    enum class Outcome { Sent, Rejected, Failed };
    Outcome upload(qint64 id, std::optional<qint64> changeSeq, qint64* sent, QString* why);
    bool send(const MeasurementRow& row, bool changed, const SegmentCounts& counts, qint64* sent);
    bool sendMetadata(const MeasurementRow& row, bool changed);
    SegmentCounts sentCounts(qint64 id);
    void remember(qint64 id, const SegmentCounts& counts);
    void forgetAllBut(const std::vector<qint64>& open);
    bool labelsChanged(qint64 id);
    Outcome setAside(qint64 id, std::optional<qint64> changeSeq, QString* why);

    LocalJournalReader& local_;
    MirrorMarks& marks_;
    ServerUpload& server_;
    PassMemory& memory_;
    SegmentLabels labelsSent_;
};

}  // namespace tarvix::mirror
