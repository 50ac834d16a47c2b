// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace tarvix::lcr {

// The .frq log of a sweep: one line per meter reading, the raw reply up to its run of three
// tabs, then the frequency it was taken at. It is written in place, line by line, each line
// handed to the system as it is taken: a sweep cut short (a kill, a power cut after the
// system wrote it out) leaves every reading up to then, and no temporary file. Writing in
// place keeps the mode and owner of the file it replaces and goes through a link to its
// target; a device or a pipe of that name is refused.
class FrqFile {
  public:
    // `baseName` is Edit60's text; the file lies in the current folder.
    explicit FrqFile(const QString& baseName);
    ~FrqFile();
    FrqFile(const FrqFile&) = delete;
    FrqFile& operator=(const FrqFile&) = delete;

    static QString fileName(const QString& baseName);
    static QByteArray line(const QByteArray& reply, double frequency);

    // 0, or the runtime's file-error code.
    int open();
    int writeReading(const QByteArray& reply, double frequency);
    // Syncs the file to disk and closes it.
    int commit();

    // The file as the operator will look for it, with its full path.
    QString absolutePath() const;

  private:
    QString path_;
    int descriptor_ = -1;
};

}  // namespace tarvix::lcr
