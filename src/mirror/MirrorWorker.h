// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QString>
#include <map>
#include <memory>

#include "mirror/MirrorPass.h"
#include "mirror/MirrorState.h"
#include "mirror/ServerAddress.h"
#include "mirror/ServerWatchdog.h"

namespace tarvix::mirror {

class LocalJournalReader;
class MirrorMarks;
class ServerUpload;

struct MirrorSettings {
    ServerAddress address;
    QString localFile;  // the bench's own database
    QString host;       // the bench's name on the server
    int retryMs = 3000;
    int idleMs = 1000;
    int patienceMs = 5000;  // the longest wait for one answer of the server
};

// The mirror's two connections, the bench's database and the server, used from one thread:
// each step connects when needed and sends one round.
class MirrorWorker {
  public:
    explicit MirrorWorker(MirrorSettings settings);
    ~MirrorWorker();
    MirrorWorker(const MirrorWorker&) = delete;
    MirrorWorker& operator=(const MirrorWorker&) = delete;

    // Returns the milliseconds until the next step.
    int step();
    // While the server is connected, steps on until it holds everything, at most until
    // `deadline` (ms since epoch).
    void finish(qint64 deadline);
    const MirrorState& state() const { return state_; }

  private:
    bool openLocal();
    bool connectServer();
    bool claimIdentity();
    void fail(const ServerUpload& upload);
    void disconnect(MirrorState::Link link, const QString& problem);
    void showRejected();
    void countWaiting(bool always);

    MirrorSettings settings_;
    QString localName_;
    QString serverName_;
    QSqlDatabase local_;
    QSqlDatabase server_;
    QString benchId_;
    std::unique_ptr<LocalJournalReader> reader_;
    std::unique_ptr<MirrorMarks> marks_;
    ServerWatchdog watchdog_;
    std::unique_ptr<ServerUpload> upload_;
    PassMemory memory_;
    MirrorState state_;
    QElapsedTimer counted_;
};

}  // namespace tarvix::mirror
