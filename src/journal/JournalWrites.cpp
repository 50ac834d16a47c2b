// SPDX-License-Identifier: GPL-3.0-or-later
#include "journal/JournalWrites.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>
#include <algorithm>

namespace tarvix::journal {

namespace {

constexpr int kSyncIntervalMs = 1000;
constexpr int kRetryIntervalMs = 2000;
// A retry that meets another program's lock gives up at once rather than freeze the window.
constexpr const char* kRetryOptions = "QSQLITE_BUSY_TIMEOUT=100";

JournalStatement pointStatement(const PointRow& row) {
    return {QString::fromLatin1(kInsertPointStatement),
            {row.measurement, row.segment, row.idx, row.x, row.y, row.t, row.atCompliance ? 1 : 0}};
}

}  // namespace

JournalWrites::JournalWrites()
    : retryName_(QStringLiteral("journal-retry-") +
                 QUuid::createUuid().toString(QUuid::WithoutBraces)) {
    syncTimer_.setSingleShot(true);
    QObject::connect(&syncTimer_, &QTimer::timeout, [this] { sync(); });
    retryTimer_.setInterval(kRetryIntervalMs);
    QObject::connect(&retryTimer_, &QTimer::timeout, [this] { retry(); });
}

JournalWrites::~JournalWrites() {
    stop();
}

void JournalWrites::start(QSqlDatabase& db, const QString& path) {
    stop();
    db_ = &db;
    path_ = path;
    lastId_ = largestStoredId();
    sinceSync_.start();
    QString why;
    // The thread's failure is taken up on the window's thread, where every other write is made.
    threaded_ = points_.start(path, &why, [this] {
        QMetaObject::invokeMethod(
            &retryTimer_, [this] { takeWriterFailure(); }, Qt::QueuedConnection);
    });
}

void JournalWrites::stop() {
    if (!db_) {
        return;
    }
    stateChanged_ = nullptr;  // whoever watched may be going too
    drain();
    if (holding()) {
        retry();
    }
    points_.stop();
    closeRetryConnection();
    syncTimer_.stop();
    retryTimer_.stop();
    // What the file never took goes with it: another file must not receive it.
    held_ = HeldWrites();
    failure_.reset();
    state_ = JournalWriteState();
    db_ = nullptr;
}

void JournalWrites::appendPoint(const PointRow& row) {
    if (!db_) {
        return;
    }
    if (!threaded_) {
        write({pointStatement(row)}, 1);
        return;
    }
    takeWriterFailure();
    if (holding()) {
        held_.holdPoint(row);
        announce();
        return;
    }
    points_.append(row);
    written();
}

void JournalWrites::write(JournalStatements statements, int points) {
    if (!db_) {
        return;
    }
    drain();
    if (!holding()) {
        const std::optional<WriteFailure> failure = executeTogether(*db_, statements);
        if (!failure) {
            written();
            return;
        }
        startHolding(*failure);
    }
    held_.hold(std::move(statements), points);
    announce();
}

// Numbers come from the file while it is written, so that a row another part of the program
// added directly is never numbered twice; while writes are held, on from the last one given.
qint64 JournalWrites::newMeasurementId() {
    if (!holding()) {
        drain();
        lastId_ = std::max(lastId_, largestStoredId());
    }
    return ++lastId_;
}

qint64 JournalWrites::largestStoredId() {
    QSqlQuery query(*db_);
    if (query.exec(QStringLiteral("SELECT coalesce(max(id), 0) FROM measurement")) &&
        query.next()) {
        return query.value(0).toLongLong();
    }
    return 0;
}

void JournalWrites::drain() {
    points_.drain();
    takeWriterFailure();
}

void JournalWrites::takeWriterFailure() {
    if (!points_.failed()) {
        return;
    }
    std::optional<FailedPoints> failed = points_.takeFailed();
    if (!failed) {
        return;
    }
    if (!holding()) {
        startHolding(failed->failure);
    }
    for (const PointRow& row : failed->rows) {
        held_.holdPoint(row);
    }
    announce();
}

void JournalWrites::startHolding(const WriteFailure& failure) {
    failure_ = failure;
    syncTimer_.stop();
    retryTimer_.start();
}

void JournalWrites::retry() {
    if (!db_) {
        return;
    }
    drain();
    if (!holding()) {
        retryTimer_.stop();
        return;
    }
    QSqlDatabase& db = retryConnection();
    if (!db.isOpen()) {
        failure_ = failureOf(db.lastError());
        announce();
        return;
    }
    // Copies the log into the file and empties it, so a disk with room again has it all.
    QSqlQuery(db).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
    if (auto failure = held_.writeTo(db)) {
        failure_ = std::move(failure);
        announce();
        return;
    }
    failure_.reset();
    retryTimer_.stop();
    closeRetryConnection();
    announce();
    unsynced_ = true;
    sync();
}

QSqlDatabase& JournalWrites::retryConnection() {
    if (!retryDb_.isValid()) {
        retryDb_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), retryName_);
        retryDb_.setDatabaseName(path_);
        retryDb_.setConnectOptions(QString::fromLatin1(kRetryOptions));
    }
    if (!retryDb_.isOpen()) {
        retryDb_.open();
    }
    return retryDb_;
}

void JournalWrites::closeRetryConnection() {
    if (!retryDb_.isValid()) {
        return;
    }
    retryDb_.close();
    retryDb_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(retryName_);
}

void JournalWrites::announce() {
    state_.writing = !holding();
    state_.reason = failure_ ? writeFailureReason(*failure_) : QString();
    state_.detail = failure_ ? failure_->detail : QString();
    state_.pointsHeld = held_.points();
    if (stateChanged_) {
        stateChanged_(state_);
    }
}

void JournalWrites::written() {
    if (!db_ || holding()) {
        return;
    }
    unsynced_ = true;
    const qint64 elapsed = sinceSync_.elapsed();
    if (elapsed >= kSyncIntervalMs) {
        sync();
    } else if (!syncTimer_.isActive()) {
        syncTimer_.start(static_cast<int>(kSyncIntervalMs - elapsed));
    }
}

// A checkpoint syncs the log and then the database file: everything written is on disk.
void JournalWrites::sync() {
    syncTimer_.stop();
    sinceSync_.restart();
    if (!db_ || !unsynced_ || holding()) {
        return;
    }
    unsynced_ = false;
    if (threaded_) {
        points_.requestCheckpoint();  // the fsyncs are the writing thread's, off the window's
    } else {
        QSqlQuery(*db_).exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
    }
}

}  // namespace tarvix::journal
