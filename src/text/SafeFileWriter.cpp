// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/SafeFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QRandomGenerator>
#include <QStringList>
#include <cerrno>
#include <climits>

#include "text/Cp1251.h"
#include "text/FileError.h"

namespace tarvix::text {

namespace {

constexpr qsizetype kFlushSize = 1 << 20;
// As many links as the kernel itself follows in one lookup.
constexpr int kMaxLinkHops = 40;
constexpr int kTemporaryNameTries = 100;

// Follows symbolic links from `path` to the name they end at, which need not exist yet (a
// dangling link gets its target created). Returns 0 or errno; a name that cannot be looked at
// is left for the creation to report.
int followLinks(QByteArray& path) {
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat status {};
        if (::lstat(path.constData(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return 0;
        }
        char target[PATH_MAX];
        const ssize_t length = ::readlink(path.constData(), target, sizeof target);
        if (length < 0) {
            return errno;
        }
        if (length == static_cast<ssize_t>(sizeof target)) {
            return ENAMETOOLONG;
        }
        const QByteArray next(target, static_cast<qsizetype>(length));
        const qsizetype slash = path.lastIndexOf('/');
        path = next.startsWith('/') || slash < 0 ? next : path.left(slash + 1) + next;
    }
    return ELOOP;
}

QByteArray randomSuffix() {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray suffix(6, '\0');
    for (char& letter : suffix) {
        letter = kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)];
    }
    return suffix;
}

// The replaced file's owner first: a change of owner clears set-ID bits, which the mode then
// puts back. What the system refuses (another user's file) stays the writer's own; the
// temporary's mode is never wider than the file it replaces.
void takeOwnerAndMode(int descriptor, const struct stat& replaced) {
    if (::fchown(descriptor, replaced.st_uid, replaced.st_gid) != 0 &&
        ::fchown(descriptor, static_cast<uid_t>(-1), replaced.st_gid) != 0) {
        // the group of a group the writer is not in: the writer's own group stays
    }
    if (::fchmod(descriptor, replaced.st_mode & 07777) != 0) {
        // the temporary's 0600 stays
    }
}

}  // namespace

SafeFileWriter::SafeFileWriter(QString path) : path_(std::move(path)) {}

SafeFileWriter::~SafeFileWriter() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        ::unlink(temporaryPath_.constData());
    }
}

int SafeFileWriter::open() {
    if (path_.isEmpty()) {
        fail(kInvalidFilename);
        return error_;
    }
    target_ = QFile::encodeName(path_);
    if (const int error = followLinks(target_); error != 0) {
        fail(fileErrorFromErrno(error));
        return error_;
    }
    struct stat replaced {};
    const bool replacing = ::stat(target_.constData(), &replaced) == 0;
    if (replacing && !S_ISREG(replaced.st_mode)) {
        fail(S_ISDIR(replaced.st_mode) ? kInvalidFilename : kFileAccessDenied);
        return error_;
    }
    if (const int error = createTemporary(replacing); error != 0) {
        fail(fileErrorFromErrno(error));
        return error_;
    }
    if (replacing) {
        takeOwnerAndMode(descriptor_, replaced);
    }
    buffer_.reserve(kFlushSize + 4096);
    return 0;
}

// A new file is created with 0666 and the kernel applies the umask (and a folder's default
// permissions); the file a save replaces starts private and then takes that file's mode.
int SafeFileWriter::createTemporary(bool replacing) {
    for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
        temporaryPath_ = target_ + ".tmp" + randomSuffix();
        descriptor_ = ::open(temporaryPath_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                             replacing ? 0600 : 0666);
        if (descriptor_ >= 0) {
            return 0;
        }
        if (errno != EEXIST) {
            return errno;
        }
    }
    return EEXIST;
}

void SafeFileWriter::writeLine(const QString& line) {
    writeRawLine(toCp1251(line));
}

void SafeFileWriter::writeRawLine(const QByteArray& bytes) {
    buffer_.append(bytes);
    buffer_.append("\r\n", 2);
    if (buffer_.size() >= kFlushSize) {
        flushBuffer();
    }
}

void SafeFileWriter::writeRaw(const QByteArray& bytes) {
    buffer_.append(bytes);
    if (buffer_.size() >= kFlushSize) {
        flushBuffer();
    }
}

void SafeFileWriter::flushBuffer() {
    if (descriptor_ < 0 || error_ != 0) {
        buffer_.clear();
        return;
    }
    const char* data = buffer_.constData();
    qsizetype left = buffer_.size();
    while (left > 0) {
        const ssize_t written = ::write(descriptor_, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail(fileErrorFromErrno(errno));
            break;
        }
        data += written;
        left -= written;
    }
    buffer_.clear();
}

int SafeFileWriter::writeRawAt(qint64 offset, const char* data, qsizetype size) const {
    if (descriptor_ < 0) {
        return kInvalidFilename;
    }
    while (size > 0) {
        const ssize_t written =
            ::pwrite(descriptor_, data, static_cast<size_t>(size), static_cast<off_t>(offset));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fileErrorFromErrno(errno);
        }
        data += written;
        size -= written;
        offset += written;
    }
    return 0;
}

void SafeFileWriter::fail(int code) {
    if (error_ == 0) {
        error_ = code;
    }
}

int SafeFileWriter::commit() {
    if (descriptor_ < 0) {
        fail(kInvalidFilename);
        return error_;
    }
    flushBuffer();
    if (error_ == 0 && ::fsync(descriptor_) != 0) {
        fail(fileErrorFromErrno(errno));
    }
    if (::close(descriptor_) != 0) {
        fail(fileErrorFromErrno(errno));
    }
    descriptor_ = -1;
    if (error_ == 0 && ::rename(temporaryPath_.constData(), target_.constData()) != 0) {
        fail(fileErrorFromErrno(errno));
    }
    if (error_ != 0) {
        ::unlink(temporaryPath_.constData());
    }
    return error_;
}

int writeTextFile(const QString& path, const QStringList& lines) {
    SafeFileWriter writer(path);
    if (writer.open() != 0) {
        return writer.error();
    }
    for (const QString& line : lines) {
        writer.writeLine(line);
    }
    return writer.commit();
}

int writeBytesFile(const QString& path, const QByteArray& bytes) {
    SafeFileWriter writer(path);
    if (writer.open() != 0) {
        return writer.error();
    }
    writer.writeRaw(bytes);
    return writer.commit();
}

}  // namespace tarvix::text
