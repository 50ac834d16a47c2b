#include "journal/PointWriter.h"

#include <sqlite3.h>

#include <chrono>

namespace tarvix::journal {

// The writing thread's own connection, through the SQLite library itself: a point costs it a
// bind and a step, without the per-statement bookkeeping of Qt's driver.
class PointConnection {
  public:
    PointConnection(const PointConnection&) = delete;
    PointConnection& operator=(const PointConnection&) = delete;
    explicit PointConnection(const QString& path) {
        const QByteArray file = path.toUtf8();
        if (sqlite3_open_v2(file.constData(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                            nullptr) != SQLITE_OK ||
            sqlite3_busy_timeout(db_, kBusyTimeoutMs) != SQLITE_OK ||
            sqlite3_exec(db_, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr) !=
                SQLITE_OK ||
            sqlite3_prepare_v2(db_, kInsertPointStatement, -1, &insert_, nullptr) != SQLITE_OK) {
            error_ = QString::fromUtf8(db_ ? sqlite3_errmsg(db_) : "out of memory");
        }
    }
    ~PointConnection() {
        sqlite3_finalize(insert_);
        sqlite3_close(db_);
    }
    bool usable() const { return error_.isEmpty(); }
    // Copies the log into the database file, syncing both (the journal's once-a-second sync).
    void checkpoint() { run("PRAGMA wal_checkpoint(PASSIVE)"); }
    const QString& error() const { return error_; }

    // A failed batch (a full disk, a file locked too long) is left out as a failed single
    // insert was: the store still holds its points and the next batch tries again.
    bool insertAll(const std::vector<PointRow>& batch) {
        if (!run("BEGIN")) {
            return false;
        }
        for (const PointRow& row : batch) {
            sqlite3_bind_int64(insert_, 1, row.measurement);
            sqlite3_bind_int(insert_, 2, row.segment);
            sqlite3_bind_int(insert_, 3, row.idx);
            sqlite3_bind_double(insert_, 4, row.x);
            sqlite3_bind_double(insert_, 5, row.y);
            sqlite3_bind_int(insert_, 6, row.atCompliance ? 1 : 0);
            const int stepped = sqlite3_step(insert_);
            sqlite3_reset(insert_);
            if (stepped != SQLITE_DONE) {
                run("ROLLBACK");
                return false;
            }
        }
        if (!run("COMMIT")) {
            run("ROLLBACK");
            return false;
        }
        return true;
    }

  private:
    static constexpr int kBusyTimeoutMs = 5000;  // as long as Qt's driver waits

    bool run(const char* statement) {
        return sqlite3_exec(db_, statement, nullptr, nullptr, nullptr) == SQLITE_OK;
    }

    sqlite3* db_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    QString error_;
};

PointWriter::~PointWriter() {
    stop();
}

bool PointWriter::start(const QString& path, QString* why) {
    stop();
    {
        std::lock_guard lock(mutex_);
        stopping_ = false;
        openDone_ = false;
        opened_ = false;
    }
    thread_ = std::thread([this, path] { run(path); });
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return openDone_; });
    if (!opened_) {
        *why = openError_;
        lock.unlock();
        thread_.join();
        return false;
    }
    return true;
}

void PointWriter::append(const PointRow& row) {
    bool first = false;
    {
        std::lock_guard lock(mutex_);
        first = pending_.empty();
        pending_.push_back(row);
    }
    // Only the first point of a batch wakes the thread; it gathers the rest itself.
    if (first) {
        wake_.notify_one();
    }
}

void PointWriter::drain() {
    if (!running()) {
        return;
    }
    std::unique_lock lock(mutex_);
    ++waitingForDrain_;
    wake_.notify_one();
    idle_.wait(lock, [this] { return pending_.empty() && !writing_; });
    --waitingForDrain_;
}

void PointWriter::requestCheckpoint() {
    {
        std::lock_guard lock(mutex_);
        checkpointDue_ = true;
    }
    wake_.notify_one();
}

void PointWriter::stop() {
    if (!running()) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void PointWriter::run(const QString& path) {
    PointConnection connection(path);
    {
        std::lock_guard lock(mutex_);
        opened_ = connection.usable();
        openError_ = connection.error();
        openDone_ = true;
    }
    idle_.notify_all();
    auto lastCommit = std::chrono::steady_clock::now() - kGatherWindow;
    std::unique_lock lock(mutex_);
    while (opened_) {
        wake_.wait(lock, [this] { return stopping_ || checkpointDue_ || !pending_.empty(); });
        const bool anything = checkpointDue_ || !pending_.empty();
        if (!pending_.empty()) {
            writePending(lock, connection, lastCommit);
        }
        if (checkpointDue_) {
            checkpointDue_ = false;
            lock.unlock();
            connection.checkpoint();
            lock.lock();
        }
        if (!anything) {
            break;  // told to stop, and nothing is left
        }
    }
}

// Points that come faster than a commit is worth go in together.
void PointWriter::writePending(std::unique_lock<std::mutex>& lock, PointConnection& connection,
                               std::chrono::steady_clock::time_point& lastCommit) {
    wake_.wait_until(lock, lastCommit + kGatherWindow,
                     [this] { return stopping_ || waitingForDrain_ > 0; });
    lastCommit = std::chrono::steady_clock::now();
    std::vector<PointRow> batch;
    batch.swap(pending_);
    writing_ = true;
    lock.unlock();
    connection.insertAll(batch);
    lock.lock();
    writing_ = false;
    idle_.notify_all();
}

}  // namespace tarvix::journal
