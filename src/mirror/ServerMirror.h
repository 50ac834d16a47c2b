// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QThread>
#include <condition_variable>
#include <mutex>

#include "mirror/MirrorState.h"
#include "mirror/MirrorWorker.h"

namespace tarvix::mirror {

// Sends the bench's measurements to a lab's server from a thread of its own, so neither the
// window nor a point being measured ever waits on the network. It starts at once; when it
// is destroyed it gives the server a few seconds to take what still waits (the rest goes
// at the next start).
class ServerMirror : public QThread {
    Q_OBJECT
  public:
    static constexpr int kFinishMs = 10000;

    explicit ServerMirror(MirrorSettings settings, QObject* parent = nullptr);
    ~ServerMirror() override;

  signals:
    // In the thread that made the mirror.
    void stateChanged(const tarvix::mirror::MirrorState& state);

  protected:
    void run() override;

  private:
    MirrorSettings settings_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
};

}  // namespace tarvix::mirror
