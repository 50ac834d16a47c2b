#pragma once

#include <QString>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace tarvix::journal {

// One measured I-V point as the journal keeps it.
struct PointRow {
    qint64 measurement = 0;
    int segment = 0;
    int idx = 0;
    double x = 0;
    double y = 0;
};

// Writes the journal's points from a thread and a database connection of its own, so that a
// measured point costs the measuring thread only a hand-over. Points handed over while the
// thread is busy go into the next transaction together. Each point reaches the operating system
// within microseconds of its hand-over, long before the next point of a real instrument is
// measured, so a killed program still loses at most the point being measured.
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
    // Drains, then ends the thread and closes its connection.
    void stop();

  private:
    void run(const QString& path);

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::vector<PointRow> pending_;
    bool writing_ = false;
    bool stopping_ = false;
    bool opened_ = false;
    bool openDone_ = false;
    QString openError_;
};

}  // namespace tarvix::journal
