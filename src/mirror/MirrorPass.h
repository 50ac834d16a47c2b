#pragma once

#include <optional>

#include "mirror/LocalJournalReader.h"
#include "mirror/MirrorMarks.h"
#include "mirror/ServerUpload.h"

namespace tarvix::mirror {

// One round of sending: the measurements changed since the server's last change, oldest
// first, then those still being measured. Each measurement goes over in one server
// transaction; its marks follow only once that committed.
class MirrorPass {
  public:
    MirrorPass(LocalJournalReader& local, MirrorMarks& marks, ServerUpload& server)
        : local_(local), marks_(marks), server_(server) {}

    // Sends until about `pointBudget` points went over. Returns false (with `*why`) when the
    // server or the bench's database failed; `*more` when the budget ended the round first.
    bool run(qint64 pointBudget, bool* more, QString* why);

  private:
    bool upload(qint64 id, std::optional<qint64> changeSeq, qint64* sent, QString* why);
    bool sendMetadata(const MeasurementRow& row, bool changed);

    LocalJournalReader& local_;
    MirrorMarks& marks_;
    ServerUpload& server_;
};

}  // namespace tarvix::mirror
