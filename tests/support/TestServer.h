// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>
#include <QUuid>

#include "support/FreePort.h"

namespace tarvix::testing {

// A PostgreSQL server of the test's own, from Debian's postgresql package: a cluster made by
// initdb in a temporary folder, listening on a Unix socket in that folder and on a free TCP
// port of 127.0.0.1. As root the server runs as `nobody` (PostgreSQL refuses root), which
// then owns the folders.
class TestServer {
  public:
    static constexpr const char* kBinaries = "/usr/lib/postgresql/15/bin";
    static constexpr const char* kUser = "lab";

    // Empty when the server can be run here, else why not.
    static QString unavailable() {
        return QFile::exists(QStringLiteral("%1/initdb").arg(QLatin1String(kBinaries)))
                   ? QString()
                   : QStringLiteral("PostgreSQL 15 is not installed (%1/initdb)")
                         .arg(QLatin1String(kBinaries));
    }

    ~TestServer() {
        if (running_) {
            stop();
        }
    }

    // Makes the cluster on first use and starts the server; `*why` says what failed.
    bool start(QString* why) {
        if (!made_ && !makeCluster(why)) {
            return false;
        }
        running_ = run(QStringLiteral("pg_ctl"),
                       {"-D", data(), "-l", root_.filePath("log"), "-w", "-t", "30", "-o",
                        QStringLiteral("-c listen_addresses=127.0.0.1 -p %1 -k %2 -c fsync=off")
                            .arg(port_)
                            .arg(socket()),
                        "start"},
                       why);
        return running_;
    }
    bool stop() {
        running_ = false;
        QString why;
        return run(QStringLiteral("pg_ctl"), {"-D", data(), "-m", "fast", "-w", "stop"}, &why);
    }

    // A new, empty database on the server; returns its name.
    QString createDatabase() {
        const QString name = QStringLiteral("t") + QUuid::createUuid().toString(QUuid::Id128);
        const QString connection = QStringLiteral("admin-") + name;
        {
            QSqlDatabase admin = open(QStringLiteral("postgres"), connection);
            QSqlQuery(admin).exec(QStringLiteral("CREATE DATABASE %1").arg(name));
        }
        QSqlDatabase::removeDatabase(connection);
        return name;
    }
    // The address the program is given for database `name`.
    QString url(const QString& name) const {
        // In one go: the folder's "%2F" must not be taken for a place of the next value.
        return QStringLiteral("postgresql://%1@%2:%3/%4")
            .arg(QLatin1String(kUser), QString::fromUtf8(QUrl::toPercentEncoding(socket())),
                 QString::number(port_), name);
    }
    // A connection of the test's own (remove it with QSqlDatabase::removeDatabase).
    QSqlDatabase open(const QString& name, const QString& connection) const {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        db.setHostName(socket());
        db.setPort(port_);
        db.setUserName(QLatin1String(kUser));
        db.setDatabaseName(name);
        db.open();
        return db;
    }
    QString socket() const { return root_.filePath(QStringLiteral("socket")); }
    int port() const { return port_; }

  private:
    QString data() const { return root_.filePath(QStringLiteral("data")); }

    bool makeCluster(QString* why) {
        if (!root_.isValid()) {
            *why = QStringLiteral("no temporary folder");
            return false;
        }
        QDir().mkpath(socket());
        if (::geteuid() == 0) {
            QFile(root_.path())
                .setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                QFile::ExeGroup | QFile::ExeOther);
            QProcess::execute(QStringLiteral("chown"), {"nobody", root_.path(), socket()});
        }
        made_ = run(QStringLiteral("initdb"),
                    {"-D", data(), "-U", QLatin1String(kUser), "--auth=trust", "--no-sync",
                     "--no-instructions", "-E", "UTF8", "--locale=C"},
                    why);
        return made_;
    }
    bool run(const QString& tool, const QStringList& arguments, QString* why) const {
        const QString program = QStringLiteral("%1/%2").arg(QLatin1String(kBinaries), tool);
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        if (::geteuid() == 0) {
            process.start(QStringLiteral("runuser"),
                          QStringList{"-u", "nobody", "--", program} + arguments);
        } else {
            process.start(program, arguments);
        }
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            *why = tool + QStringLiteral(": ") + QString::fromLocal8Bit(process.readAll());
            return false;
        }
        return true;
    }

    QTemporaryDir root_;
    int port_ = freePort();
    bool made_ = false;
    bool running_ = false;
};

}  // namespace tarvix::testing
