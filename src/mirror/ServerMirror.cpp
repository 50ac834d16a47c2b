// SPDX-License-Identifier: GPL-3.0-or-later
#include "mirror/ServerMirror.h"

#include <QDateTime>
#include <chrono>

namespace tarvix::mirror {

ServerMirror::ServerMirror(MirrorSettings settings, QObject* parent)
    : QThread(parent), settings_(std::move(settings)) {
    start();
}

ServerMirror::~ServerMirror() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    wait();
}

void ServerMirror::run() {
    MirrorWorker worker(settings_);
    MirrorState shown;
    emit stateChanged(shown);
    while (true) {
        const int delay = worker.step();
        if (!(worker.state() == shown)) {
            shown = worker.state();
            emit stateChanged(shown);
        }
        std::unique_lock lock(mutex_);
        if (wake_.wait_for(lock, std::chrono::milliseconds(delay), [this] { return stopping_; })) {
            break;
        }
    }
    worker.finish(QDateTime::currentMSecsSinceEpoch() + kFinishMs);
}

}  // namespace tarvix::mirror
