#include "lcr/FrqFile.h"

#include "lcr/MeterReply.h"
#include "text/NumberText.h"

namespace tarvix::lcr {

FrqFile::FrqFile(const QString& baseName) : writer_(fileName(baseName)) {}

QString FrqFile::fileName(const QString& baseName) {
    return baseName + QStringLiteral(".frq");
}

QByteArray FrqFile::line(const QByteArray& reply, double frequency) {
    return replyUpToTabRun(reply) + QByteArrayLiteral("  F[Hz]  ") +
           text::defaultReal(frequency).toLatin1();
}

int FrqFile::open() {
    return writer_.open();
}

int FrqFile::writeReading(const QByteArray& reply, double frequency) {
    writer_.writeRawLine(line(reply, frequency));
    return writer_.error();
}

int FrqFile::commit() {
    return writer_.commit();
}

}  // namespace tarvix::lcr
