#pragma once

#include <QString>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace tarvix::journal {

class PointConnection;

// How an I-V point goes into the journal, whichever connection writes it.
inline constexpr const char* kInsertPointStatement =
    "INSERT OR REPLACE INTO point (measurement_id, segment, idx, x, y, compliance) "
    "VALUES (?, ?, ?, ?, ?, ?)";

// One measured I-V point as the journal keeps it.
struct PointRow {
    qint64 measurement = 0;
    int segment = 0;
    int idx = 0;
    double x = 0;
    double y = 0;
    bool atCompliance = false;
};

// Writes the journal's points from a thread and a database connection of its own, so that a
// measured point costs the measuring thread only a hand-over. A point that comes a gathering
// window or more after the last commit is committed at once; points that come faster (the
// simulated bench without latency) go in together, one transaction per window. An instrument on
// the bus takes longer than the window for a point, so a killed program still loses at most the
// point being measured.
class PointWriter {
  public:
    PointWriter() = default;
    ~PointWriter();
    PointWriter(const PointWriter&) = delete;
    PointWriter& operator=(const PointWriter&) = delete;

    // Opens the database file `path` on the writing thread; false (with `*why`) when it cannot.
    bool start(const QString& path, QString* why);
    bool running() const { return thread_.joinable(); }
    void append(const PointRow& row);
    // Returns once every point handed over so far is committed.
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
    bool checkpointDue_ = false;
    int waitingForDrain_ = 0;
    bool opened_ = false;
    bool openDone_ = false;
    QString openError_;
};

}  // namespace tarvix::journal
