// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace tarvix::text {

// Writes a text file so that an existing file is replaced only after the new one is complete:
// the lines go to a temporary file in the target's folder, which is renamed over the target at
// commit. A failed write or an abandoned writer leaves the old file untouched.
// A symbolic link is followed, so the link stays and the file it names gets the new content;
// a replaced file keeps its permissions (and its owner where the system allows); a new file
// gets the permissions the process's umask gives. Anything but a regular file at the target
// (a device, a pipe) is refused rather than replaced.
// Errors are the runtime's file-error codes (FileError.h).
class SafeFileWriter {
  public:
    explicit SafeFileWriter(QString path);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    int open();
    // The line in Windows-1251 followed by CR LF.
    void writeLine(const QString& line);
    // Bytes written as they are, followed by CR LF.
    void writeRawLine(const QByteArray& bytes);
    void writeRaw(const QByteArray& bytes);
    // Bytes written at `offset` of the file, beside the buffered writes: for parts of a file
    // laid out beforehand, which several threads may write at once. Returns 0 or the
    // file-error code, which the caller hands to failWith so that the commit fails.
    int writeRawAt(qint64 offset, const char* data, qsizetype size) const;
    void failWith(int code) { fail(code); }
    // Writes what is buffered, syncs and renames over the target; returns 0 on success.
    int commit();

    int error() const { return error_; }
    const QString& path() const { return path_; }

  private:
    void flushBuffer();
    void fail(int code);
    // Creates the temporary file beside `target_`; errno on failure.
    int createTemporary(bool replacing);

    QString path_;
    QByteArray target_;  // path_ with its symbolic links followed
    QByteArray temporaryPath_;
    QByteArray buffer_;
    int descriptor_ = -1;
    int error_ = 0;
};

// Convenience: writes all lines at once; returns 0 or the file-error code.
int writeTextFile(const QString& path, const QStringList& lines);
// The same for bytes written as they are (a picture).
int writeBytesFile(const QString& path, const QByteArray& bytes);

}  // namespace tarvix::text
