#include "journal/PointWriter.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

namespace tarvix::journal {

namespace {

// A failed batch (a full disk, a locked file) is left out as a failed single insert was: the
// store still holds the points and the next batch tries again.
bool insertAll(QSqlDatabase& db, QSqlQuery& insert, const std::vector<PointRow>& batch) {
    if (!db.transaction()) {
        return false;
    }
    for (const PointRow& row : batch) {
        insert.bindValue(0, row.measurement);
        insert.bindValue(1, row.segment);
        insert.bindValue(2, row.idx);
        insert.bindValue(3, row.x);
        insert.bindValue(4, row.y);
        if (!insert.exec()) {
            db.rollback();
            return false;
        }
    }
    return db.commit();
}

}  // namespace

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
    {
        std::lock_guard lock(mutex_);
        pending_.push_back(row);
    }
    wake_.notify_one();
}

void PointWriter::drain() {
    if (!running()) {
        return;
    }
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return pending_.empty() && !writing_; });
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
    const QString connection =
        QStringLiteral("journal-points-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        QSqlQuery insert(db);
        const bool opened = db.open() && insert.exec(QStringLiteral("PRAGMA synchronous=NORMAL")) &&
                            insert.prepare(QStringLiteral(
                                "INSERT OR REPLACE INTO point (measurement_id, segment, idx, x, y) "
                                "VALUES (?, ?, ?, ?, ?)"));
        {
            std::lock_guard lock(mutex_);
            opened_ = opened;
            openError_ = opened ? QString() : db.lastError().text();
            openDone_ = true;
        }
        idle_.notify_all();
        std::vector<PointRow> batch;
        std::unique_lock lock(mutex_);
        while (opened) {
            wake_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
            if (pending_.empty()) {
                break;
            }
            batch.swap(pending_);
            writing_ = true;
            lock.unlock();
            insertAll(db, insert, batch);
            batch.clear();
            lock.lock();
            writing_ = false;
            idle_.notify_all();
        }
        lock.unlock();
        insert = QSqlQuery();
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

}  // namespace tarvix::journal
