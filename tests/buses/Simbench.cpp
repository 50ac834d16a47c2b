#include "Simbench.h"

#include <QRegularExpression>

bool Simbench::start(const QString& options, quint16 port, QString* error) {
    process_.start(QStringLiteral(SIMBENCH_PATH),
                   {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:%1").arg(port),
                    QStringLiteral("--options"), options});
    if (!process_.waitForStarted(10000)) {
        return false;
    }
    while (!process_.canReadLine()) {
        if (!process_.waitForReadyRead(10000)) {
            if (error) {
                *error = QString::fromLocal8Bit(process_.readAllStandardError());
            }
            return false;
        }
    }
    const QString first = QString::fromLatin1(process_.readLine()).trimmed();
    const auto match =
        QRegularExpression(QStringLiteral("^listening 127\\.0\\.0\\.1:(\\d+)$")).match(first);
    port_ = match.hasMatch() ? static_cast<quint16>(match.captured(1).toUInt()) : 0;
    if (port_ == 0 && error) {
        *error = first;
    }
    return port_ != 0;
}

void Simbench::kill() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(10000);
    }
}
