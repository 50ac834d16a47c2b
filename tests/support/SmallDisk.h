// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>

namespace tarvix::testing {

// A real small disk for the tests of a disk that fills up: a tmpfs mounted over a temporary
// folder in a mount namespace of the test's main thread (threads it starts later share it), so
// nothing of it shows outside the test program and nothing outlives it. Mounting needs root;
// without it `ready()` is false and `why()` says what failed.
class SmallDisk {
  public:
    explicit SmallDisk(const char* size = "256k") {
        if (!privateMounts(&why_)) {
            return;
        }
        const QByteArray options = QByteArray("size=") + size;
        if (::mount("tmpfs", QFile::encodeName(folder_.path()).constData(), "tmpfs", 0,
                    options.constData()) != 0) {
            why_ = QStringLiteral("mount: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
            return;
        }
        mounted_ = true;
    }
    ~SmallDisk() {
        if (mounted_) {
            ::umount2(QFile::encodeName(folder_.path()).constData(), MNT_DETACH);
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool ready() const { return mounted_; }
    const QString& why() const { return why_; }
    QString path() const { return folder_.path(); }
    QString filePath(const QString& name) const { return folder_.filePath(name); }

    // Takes every byte left with a file of its own.
    void fill() {
        const int fd =
            ::open(QFile::encodeName(filler()).constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (fd < 0) {
            return;
        }
        static const char block[4096] = {};
        for (std::size_t chunk : {sizeof block, std::size_t{1}}) {
            while (::write(fd, block, chunk) == static_cast<ssize_t>(chunk)) {
            }
        }
        ::close(fd);
    }
    // Gives the room back.
    void free() { QFile::remove(filler()); }

  private:
    QString filler() const { return folder_.filePath(QStringLiteral("filler")); }

    // Once per program: the main thread's mounts become its own.
    static bool privateMounts(QString* why) {
        static const QString failure = [] {
            if (::unshare(CLONE_NEWNS) != 0) {
                return QStringLiteral("unshare: %1")
                    .arg(QString::fromLocal8Bit(std::strerror(errno)));
            }
            if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
                return QStringLiteral("private mounts: %1")
                    .arg(QString::fromLocal8Bit(std::strerror(errno)));
            }
            return QString();
        }();
        *why = failure;
        return failure.isEmpty();
    }

    QTemporaryDir folder_;
    QString why_;
    bool mounted_ = false;
};

}  // namespace tarvix::testing
