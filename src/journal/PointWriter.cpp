// SPDX-License-Identifier: GPL-3.0-or-later
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

    // The whole batch in one transaction; the failure when the file did not take it.
    std::optional<WriteFailure> insertAll(const std::vector<PointRow>& batch) {
        if (!run("BEGIN")) {
            return lastFailure();
        }
        for (const PointRow& row : batch) {
            sqlite3_bind_int64(insert_, 1, row.measurement);
            sqlite3_bind_int(insert_, 2, row.segment);
            sqlite3_bind_int(insert_, 3, row.idx);
            sqlite3_bind_double(insert_, 4, row.x);
            sqlite3_bind_double(insert_, 5, row.y);
            sqlite3_bind_double(insert_, 6, row.t);
            sqlite3_bind_int(insert_, 7, row.atCompliance ? 1 : 0);
            const int stepped = sqlite3_step(insert_);
            sqlite3_reset(insert_);
            if (stepped != SQLITE_DONE) {
                return rollBack(failureOf(stepped, QString::fromUtf8(sqlite3_errmsg(db_))));
            }
        }
        if (!run("COMMIT")) {
            return rollBack(lastFailure());
        }
        return std::nullopt;
    }

  private:
    static constexpr int kBusyTimeoutMs = 5000;  // as long as Qt's driver waits

    bool run(const char* statement) {
        return sqlite3_exec(db_, statement, nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    WriteFailure lastFailure() const {
        return failureOf(sqlite3_errcode(db_), QString::fromUtf8(sqlite3_errmsg(db_)));
    }
    // SQLite may have rolled the transaction back itself; then this one only fails.
    WriteFailure rollBack(WriteFailure failure) {
        run("ROLLBACK");
        return failure;
    }

    sqlite3* db_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    QString error_;
};

PointWriter::~PointWriter() {
    stop();
}

bool PointWriter::start(const QString& path, QString* why, std::function<void()> onFailure) {
    stop();
    {
        std::lock_guard lock(mutex_);
        stopping_ = false;
        openDone_ = false;
        opened_ = false;
        failed_ = false;
        pending_.clear();
        onFailure_ = std::move(onFailure);
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

std::optional<FailedPoints> PointWriter::takeFailed() {
    std::optional<FailedPoints> taken;
    {
        std::lock_guard lock(mutex_);
        if (!failed_) {
            return taken;
        }
        taken = FailedPoints{failure_, {}};
        taken->rows.swap(pending_);
        failed_ = false;
    }
    wake_.notify_one();
    return taken;
}

void PointWriter::drain() {
    if (!running()) {
        return;
    }
    std::unique_lock lock(mutex_);
    ++waitingForDrain_;
    wake_.notify_one();
    idle_.wait(lock, [this] { return (pending_.empty() || failed_) && !writing_; });
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
        const auto writable = [this] { return !pending_.empty() && !failed_; };
        wake_.wait(lock, [&] { return stopping_ || checkpointDue_ || writable(); });
        const bool anything = checkpointDue_ || writable();
        if (writable()) {
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
    std::optional<WriteFailure> failure = connection.insertAll(batch);
    lock.lock();
    writing_ = false;
    if (failure) {
        // The batch goes back in front of what came meanwhile, and waits to be taken.
        batch.insert(batch.end(), pending_.begin(), pending_.end());
        pending_.swap(batch);
        failure_ = std::move(*failure);
        failed_ = true;
    }
    idle_.notify_all();
    if (failure && onFailure_) {
        lock.unlock();
        onFailure_();
        lock.lock();
    }
}

}  // namespace tarvix::journal
