#pragma once

#include <QByteArray>
#include <QString>

#include "text/SafeFileWriter.h"

namespace tarvix::lcr {

// The .frq log of a sweep: one line per meter reading, the raw reply up to its run of three
// tabs, then the frequency it was taken at. Replaces the old file only when complete.
class FrqFile {
  public:
    // `baseName` is Edit60's text; the file lies in the current folder.
    explicit FrqFile(const QString& baseName);

    static QString fileName(const QString& baseName);
    static QByteArray line(const QByteArray& reply, double frequency);

    // 0, or the runtime's file-error code.
    int open();
    int writeReading(const QByteArray& reply, double frequency);
    int commit();

  private:
    text::SafeFileWriter writer_;
};

}  // namespace tarvix::lcr
