// SPDX-License-Identifier: GPL-3.0-or-later
#include "mirror/MirrorWorker.h"

#include <QDateTime>
#include <QSqlError>
#include <QUuid>

#include "mirror/BenchIdentity.h"
#include "mirror/LocalJournalReader.h"
#include "mirror/MirrorMarks.h"
#include "mirror/MirrorPass.h"
#include "mirror/ServerDriver.h"
#include "mirror/ServerError.h"
#include "mirror/ServerSchema.h"
#include "mirror/ServerUpload.h"

namespace tarvix::mirror {

namespace {

// Points sent per round before the status is told and a stop request is looked at.
constexpr qint64 kPointBudget = 20000;

constexpr std::chrono::minutes kUpgradePatience{10};

// A server that does not answer is given up after seconds, not minutes: a pulled cable
// shows on the status line and the round is tried again. The system's own checks catch a
// link that stays quiet; the watchdog one that swallows what is sent.
const char* const kServerOptions =
    "connect_timeout=5;keepalives_idle=5;keepalives_interval=2;keepalives_count=2;"
    "tcp_user_timeout=10000;application_name=tarvix";

QString connectionName(const char* what) {
    return QStringLiteral("mirror-%1-%2")
        .arg(QLatin1String(what), QUuid::createUuid().toString(QUuid::WithoutBraces));
}

}  // namespace

MirrorWorker::MirrorWorker(MirrorSettings settings)
    : settings_(std::move(settings)),
      localName_(connectionName("local")),
      serverName_(connectionName("server")),
      watchdog_(std::chrono::milliseconds(settings_.patienceMs)) {}

MirrorWorker::~MirrorWorker() {
    upload_.reset();
    marks_.reset();
    reader_.reset();
    for (QSqlDatabase* db : {&local_, &server_}) {
        if (db->isValid()) {
            db->close();
        }
        *db = QSqlDatabase();
    }
    QSqlDatabase::removeDatabase(localName_);
    QSqlDatabase::removeDatabase(serverName_);
}

bool MirrorWorker::openLocal() {
    if (local_.isOpen()) {
        return !benchId_.isEmpty();
    }
    local_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), localName_);
    local_.setDatabaseName(settings_.localFile);
    local_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!local_.open()) {
        state_.problem = local_.lastError().text();
        return false;
    }
    reader_ = std::make_unique<LocalJournalReader>(local_);
    benchId_ = reader_->benchId();
    // Until the server answers, what waits is counted against the server last sent to.
    marks_ = std::make_unique<MirrorMarks>(local_, reader_->lastServer());
    if (benchId_.isEmpty()) {
        state_.problem = QStringLiteral("the bench's database has no identity");
    }
    return !benchId_.isEmpty();
}

bool MirrorWorker::connectServer() {
    server_ = QSqlDatabase::addDatabase(QString::fromLatin1(kServerDriver), serverName_);
    const ServerAddress& address = settings_.address;
    // libpq takes an IPv6 literal without its brackets.
    const bool literal = address.host.startsWith('[');
    server_.setHostName(literal ? address.host.mid(1, address.host.size() - 2) : address.host);
    server_.setPort(address.port == 0 ? -1 : address.port);
    server_.setUserName(address.user);
    server_.setDatabaseName(address.name);
    server_.setConnectOptions(QString::fromLatin1(kServerOptions));
    if (!server_.open()) {
        const QString refused = refusedConnection(server_.lastError());
        disconnect(refused.isEmpty() ? MirrorState::Link::Unreachable : MirrorState::Link::Denied,
                   refused.isEmpty() ? server_.lastError().text() : refused);
        return false;
    }
    watchdog_.watch(server_);
    QString why;
    QString identity;
    {
        // Upgrading a large database takes its time; a dead link is still found by the
        // connection's own checks.
        const ServerWatchdog::Wait wait(watchdog_, kUpgradePatience);
        ServerFault fault = ServerFault::Unreachable;
        if (!ServerSchema::upgrade(server_, &why, ServerSchema::kCurrentVersion, &fault)) {
            const bool later =
                ServerSchema::version(server_).value_or(0) > ServerSchema::kCurrentVersion;
            disconnect(later                               ? MirrorState::Link::Refused
                       : fault == ServerFault::Unreachable ? MirrorState::Link::Unreachable
                                                           : MirrorState::Link::Denied,
                       why);
            return false;
        }
        identity = ServerSchema::identity(server_);
    }
    marks_ = std::make_unique<MirrorMarks>(local_, identity);
    if (!claimIdentity()) {
        return false;
    }
    memory_.rejected = upload_->rejected();
    showRejected();
    state_.link = MirrorState::Link::Connected;
    state_.problem.clear();
    return true;
}

// A copy of another bench's database takes an identity of its own before it sends anything.
bool MirrorWorker::claimIdentity() {
    const BenchPlace here = BenchIdentity::here(settings_.localFile);
    upload_ = std::make_unique<ServerUpload>(server_, benchId_, watchdog_);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const auto recorded = upload_->claimBench(settings_.host, here);
        if (!recorded) {
            fail(*upload_);
            return false;
        }
        if (!BenchIdentity::isCopy(*recorded, here, benchId_)) {
            if (!(*recorded == here) && !upload_->placeBench(settings_.host, here)) {
                fail(*upload_);
                return false;
            }
            return true;
        }
        const QString renewed = BenchIdentity::renew(local_);
        if (renewed.isEmpty()) {
            disconnect(MirrorState::Link::Refused,
                       QStringLiteral("the bench's database cannot be written"));
            return false;
        }
        benchId_ = renewed;
        upload_->setBench(renewed);
        state_.notice = BenchIdentity::copyNotice(*recorded, here);
    }
    return true;
}

void MirrorWorker::fail(const ServerUpload& upload) {
    disconnect(upload.fault() == ServerFault::Denied ? MirrorState::Link::Denied
                                                     : MirrorState::Link::Unreachable,
               upload.error());
}

void MirrorWorker::disconnect(MirrorState::Link link, const QString& problem) {
    upload_.reset();
    const bool cut = watchdog_.cut();
    watchdog_.release();
    server_.close();
    server_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(serverName_);
    state_.link = link;
    state_.problem = cut ? watchdog_.complaint() : problem;
}

void MirrorWorker::showRejected() {
    state_.rejected = static_cast<qint64>(memory_.rejected.size());
    state_.rejection =
        memory_.rejected.empty() ? QString() : std::prev(memory_.rejected.end())->second;
}

// Counting goes over every point of the measurements in question: while a large backlog goes
// over in many quick rounds, it is done at most once per idle interval.
void MirrorWorker::countWaiting(bool always) {
    if (!always && counted_.isValid() && counted_.elapsed() < settings_.idleMs) {
        return;
    }
    counted_.start();
    if (marks_) {
        std::tie(state_.pointsWaiting, state_.changesWaiting) = marks_->waiting();
    }
}

int MirrorWorker::step() {
    if (state_.link == MirrorState::Link::Refused) {
        return settings_.idleMs;
    }
    if (!openLocal()) {
        state_.link = MirrorState::Link::Refused;
        return settings_.idleMs;
    }
    if (!upload_ && !connectServer()) {
        countWaiting(true);
        return settings_.retryMs;
    }
    MirrorPass pass(*reader_, *marks_, *upload_, memory_);
    bool more = false;
    QString why;
    const bool done = pass.run(kPointBudget, &more, &why);
    showRejected();
    if (!done) {
        disconnect(upload_ && upload_->fault() == ServerFault::Denied
                       ? MirrorState::Link::Denied
                       : MirrorState::Link::Unreachable,
                   why);
        countWaiting(true);
        return settings_.retryMs;
    }
    // A round cut short by its budget never leaves an old "in step" standing.
    countWaiting(!more || state_.inStep());
    return more ? 0 : settings_.idleMs;
}

// The last state may be a second old: at least one round looks again.
void MirrorWorker::finish(qint64 deadline) {
    if (state_.link != MirrorState::Link::Connected) {
        return;
    }
    do {
        step();
    } while (state_.link == MirrorState::Link::Connected && !state_.inStep() &&
             QDateTime::currentMSecsSinceEpoch() < deadline);
}

}  // namespace tarvix::mirror
