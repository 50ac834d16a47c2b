// SPDX-License-Identifier: GPL-3.0-or-later
#include "Simbench.h"

#include <QRegularExpression>

bool Simbench::start(const QString& options, quint16 port, QString* error,
                     const std::vector<int>& rawAddresses) {
    QStringList arguments = {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:%1").arg(port),
                             QStringLiteral("--options"), options};
    for (const int address : rawAddresses) {
        arguments << QStringLiteral("--raw") << QStringLiteral("%1=127.0.0.1:0").arg(address);
    }
    process_.start(QStringLiteral(SIMBENCH_PATH), arguments);
    if (!process_.waitForStarted(10000)) {
        return false;
    }
    const QString first = nextLine(error);
    const auto match =
        QRegularExpression(QStringLiteral("^listening 127\\.0\\.0\\.1:(\\d+)$")).match(first);
    port_ = match.hasMatch() ? static_cast<quint16>(match.captured(1).toUInt()) : 0;
    if (port_ == 0 && error && error->isEmpty()) {
        *error = first;
    }
    const QRegularExpression rawLine(
        QStringLiteral("^raw (\\d+) listening 127\\.0\\.0\\.1:(\\d+)$"));
    for (std::size_t i = 0; port_ != 0 && i < rawAddresses.size(); ++i) {
        const auto raw = rawLine.match(nextLine(error));
        if (raw.hasMatch()) {
            rawPorts_[raw.captured(1).toInt()] = static_cast<quint16>(raw.captured(2).toUInt());
        }
    }
    return port_ != 0 && rawPorts_.size() == rawAddresses.size();
}

// The next line of standard output; empty, with standard error in `error`, when none comes.
QString Simbench::nextLine(QString* error) {
    while (!process_.canReadLine()) {
        if (!process_.waitForReadyRead(10000)) {
            if (error) {
                *error = QString::fromLocal8Bit(process_.readAllStandardError());
            }
            return {};
        }
    }
    return QString::fromLatin1(process_.readLine()).trimmed();
}

void Simbench::kill() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(10000);
    }
}
