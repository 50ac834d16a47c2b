#pragma once

#include <map>
#include <optional>

#include "mirror/LocalJournalReader.h"
#include "mirror/MirrorMarks.h"
#include "mirror/ServerUpload.h"

namespace tarvix::mirror {

// One round of sending: the measurements changed since the server's last change, oldest
// first, then those still being measured. Each measurement goes over in one server
// transaction; its marks follow only once that committed.
// A measurement whose rows the server refuses is set aside with the server's words (on the
// server, so every start knows it) and the round goes on with the next; it is tried again
// when it changes on the bench.
class MirrorPass {
  public:
    // `rejected`: the measurements set aside, kept up to date by the pass.
    MirrorPass(LocalJournalReader& local, MirrorMarks& marks, ServerUpload& server,
               std::map<qint64, QString>& rejected)
        : local_(local), marks_(marks), server_(server), rejected_(rejected) {}

    // Sends until about `pointBudget` points went over. Returns false (with `*why`) when the
    // server or the bench's database failed; `*more` when the budget ended the round first.
    bool run(qint64 pointBudget, bool* more, QString* why);

  private:
    enum class Outcome { Sent, Rejected, Failed };
    Outcome upload(qint64 id, std::optional<qint64> changeSeq, qint64* sent, QString* why);
    bool send(const MeasurementRow& row, bool changed, const SegmentCounts& counts, qint64* sent);
    bool sendMetadata(const MeasurementRow& row, bool changed);
    Outcome setAside(qint64 id, std::optional<qint64> changeSeq, QString* why);

    LocalJournalReader& local_;
    MirrorMarks& marks_;
    ServerUpload& server_;
    std::map<qint64, QString>& rejected_;
};

}  // namespace tarvix::mirror
