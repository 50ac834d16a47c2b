// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "journal/WriteFailure.h"

namespace tarvix::journal {

class PointConnection;

// How an I-V point goes into the journal, whichever connection writes it.
inline constexpr const char* kInsertPointStatement =
    "INSERT OR REPLACE INTO point (measurement_id, segment, idx, x, y, t, compliance) "
    "VALUES (?, ?, ?, ?, ?, ?, ?)";

// One measured I-V point as the journal keeps it; `t` is the time of day it was measured.
struct PointRow {
    qint64 measurement = 0;
    int segment = 0;
    int idx = 0;
    double x = 0;
    double y = 0;
    double t = 0;
    bool atCompliance = false;
};

// Points the writing thread could not write, and why.
struct FailedPoints {
    WriteFailure failure;
    std::vector<PointRow> rows;
};

// Writes the journal's points from a thread and a database connection of its own, so that a
// measured point costs the measuring thread only a hand-over. A point that comes a gathering
// window or more after the last commit is committed at once; points that come faster (the
// simulated bench without latency) go in together, one transaction per window. An instrument on
// the bus takes longer than the window for a point, so a killed program still loses at most the
// point being measured.
//
// A batch the file does not take (a full disk, a lock held too long) stops the thread's writing:
// the batch and every point handed over after it wait, in order, for the owner to take them
// back (takeFailed) and write them its own way.
class PointWriter {
  public:
    PointWriter() = default;
    ~PointWriter();
    PointWriter(const PointWriter&) = delete;
    PointWriter& operator=(const PointWriter&) = delete;

    // Opens the database file `path` on the writing thread; false (with `*why`) when it cannot.
    // `onFailure` runs on the writing thread when a batch fails.
    bool start(const QString& path, QString* why, std::function<void()> onFailure = {});
    bool running() const { return thread_.joinable(); }
    void append(const PointRow& row);
    // A batch failed and its points wait to be taken back.
    bool failed() const { return failed_.load(std::memory_order_acquire); }
    // The points that could not be written, in order, and why; the thread writes again after.
    std::optional<FailedPoints> takeFailed();
    // Returns once every point handed over so far is committed, or a batch failed.
    void drain();
    // Syncs the log and the database file to disk soon, on the writing thread.
    void requestCheckpoint();
    // Drains, then ends the thread and closes its connection.
    void stop();

  private:
    static constexpr std::chrono::milliseconds kGatherWindow{1};

    void run(const QString& path);
    void writePending(std::unique_lock<std::mutex>& lock, PointConnection& connection,
                      std::chrono::steady_clock::time_point& lastCommit);

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::vector<PointRow> pending_;
    bool writing_ = false;
    bool stopping_ = false;
    std::atomic<bool> failed_ = false;
    WriteFailure failure_;
    std::function<void()> onFailure_;
    bool checkpointDue_ = false;
    int waitingForDrain_ = 0;
    bool opened_ = false;
    bool openDone_ = false;
    QString openError_;
};

}  // namespace tarvix::journal
