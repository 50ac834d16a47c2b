// SPDX-License-Identifier: GPL-3.0-or-later
#include "lcr/FrqFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "lcr/MeterReply.h"
#include "text/FileError.h"
#include "text/NumberText.h"

namespace tarvix::lcr {

FrqFile::FrqFile(const QString& baseName) : path_(fileName(baseName)) {}

FrqFile::~FrqFile() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

QString FrqFile::fileName(const QString& baseName) {
    return baseName + QStringLiteral(".frq");
}

QString FrqFile::absolutePath() const {
    return QFileInfo(path_).absoluteFilePath();
}

QByteArray FrqFile::line(const QByteArray& reply, double frequency) {
    return replyUpToTabRun(reply) + QByteArrayLiteral("  F[Hz]  ") +
           text::defaultReal(frequency).toLatin1();
}

// Only a regular file is replaced, as every other file the program writes: a folder of that
// name is no file name, a device or a pipe is refused (and never waited for).
int FrqFile::open() {
    const QByteArray path = QFile::encodeName(path_);
    struct stat replaced {};
    if (::stat(path.constData(), &replaced) == 0 && !S_ISREG(replaced.st_mode)) {
        return S_ISDIR(replaced.st_mode) ? text::kInvalidFilename : text::kFileAccessDenied;
    }
    descriptor_ =
        ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
    return descriptor_ < 0 ? text::fileErrorFromErrno(errno) : 0;
}

int FrqFile::writeReading(const QByteArray& reply, double frequency) {
    if (descriptor_ < 0) {
        return text::kInvalidFilename;
    }
    const QByteArray bytes = line(reply, frequency) + QByteArrayLiteral("\r\n");
    const char* data = bytes.constData();
    auto left = static_cast<size_t>(bytes.size());
    while (left > 0) {
        const ssize_t written = ::write(descriptor_, data, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            return text::fileErrorFromErrno(errno);
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    return 0;
}

int FrqFile::commit() {
    if (descriptor_ < 0) {
        return text::kInvalidFilename;
    }
    // A file that cannot be synced (a pipe, a device) has nothing to sync.
    int error = ::fsync(descriptor_) == 0 || errno == EINVAL ? 0 : text::fileErrorFromErrno(errno);
    if (::close(descriptor_) != 0 && error == 0) {
        error = text::fileErrorFromErrno(errno);
    }
    descriptor_ = -1;
    return error;
}

}  // namespace tarvix::lcr
