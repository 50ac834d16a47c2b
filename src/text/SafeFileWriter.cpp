#include "text/SafeFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "text/Cp1251.h"
#include "text/FileError.h"

namespace tarvix::text {

namespace {
constexpr qsizetype kFlushSize = 1 << 20;
}

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
    temporaryPath_ = QFile::encodeName(path_) + ".tmpXXXXXX";
    descriptor_ = ::mkstemp(temporaryPath_.data());
    if (descriptor_ < 0) {
        fail(fileErrorFromErrno(errno));
        return error_;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(descriptor_, 0666 & ~mask);
    buffer_.reserve(kFlushSize + 4096);
    return 0;
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
    if (error_ == 0 &&
        ::rename(temporaryPath_.constData(), QFile::encodeName(path_).constData()) != 0) {
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

}  // namespace tarvix::text
