// SPDX-License-Identifier: GPL-3.0-or-later
#include "mirror/DatabaseStatusText.h"

#include <QDir>

namespace tarvix::mirror {

namespace {

QString waitingText(const MirrorState& state) {
    if (state.pointsWaiting > 0) {
        return state.pointsWaiting == 1
                   ? QStringLiteral("1 point waiting")
                   : QStringLiteral("%1 points waiting").arg(state.pointsWaiting);
    }
    if (state.changesWaiting > 0) {
        return state.changesWaiting == 1
                   ? QStringLiteral("1 measurement waiting")
                   : QStringLiteral("%1 measurements waiting").arg(state.changesWaiting);
    }
    return {};
}

QString linkText(const MirrorState& state) {
    switch (state.link) {
        case MirrorState::Link::Connecting:
            return QStringLiteral("connecting");
        case MirrorState::Link::Unreachable:
            return QStringLiteral("not reachable");
        case MirrorState::Link::Refused:
            return QStringLiteral("not used");
        case MirrorState::Link::Denied:
            return state.problem;
        case MirrorState::Link::Connected:
            break;
    }
    return {};
}

QString rejectedText(const MirrorState& state) {
    if (state.rejected == 0) {
        return {};
    }
    const QString count = state.rejected == 1
                              ? QStringLiteral("1 measurement")
                              : QStringLiteral("%1 measurements").arg(state.rejected);
    return QStringLiteral("%1 rejected by the server: %2").arg(count, state.rejection);
}

}  // namespace

QString databaseFileText(const QString& file) {
    return file.isEmpty() ? QStringLiteral("Database: none")
                          : QStringLiteral("Database: %1").arg(QDir::toNativeSeparators(file));
}

QString databaseReadOnlyText(const QString& file) {
    return databaseFileText(file) + QStringLiteral(" (read-only)");
}

QString databaseReadOnlyTip() {
    return QStringLiteral(
        "Another program measures into this file; this window only reads it (History).");
}

QString databaseServerText(const QString& address, const MirrorState& state) {
    if (state.inStep()) {
        return QStringLiteral("Database: %1, in step").arg(address);
    }
    QStringList parts{address};
    for (const QString& part : {linkText(state), waitingText(state), rejectedText(state)}) {
        if (!part.isEmpty()) {
            parts << part;
        }
    }
    return QStringLiteral("Database: ") + parts.join(QStringLiteral(", "));
}

QString databaseServerTip(const QString& file, const MirrorState& state) {
    QString tip = QStringLiteral("Measured into %1; the server receives a copy.")
                      .arg(QDir::toNativeSeparators(file));
    if (!state.problem.isEmpty()) {
        tip += QStringLiteral("\nServer: %1").arg(state.problem.trimmed());
    }
    if (!state.notice.isEmpty()) {
        tip += QLatin1Char('\n') + state.notice;
    }
    return tip;
}

QString databaseNotWritingText(const QString& reason, int pointsHeld) {
    return QStringLiteral("Database: not writing (%1), %2 only in memory")
        .arg(reason, pointsHeld == 1 ? QStringLiteral("1 point")
                                     : QStringLiteral("%1 points").arg(pointsHeld));
}

QString databaseNotWritingTip(const QString& file, const QString& detail) {
    return QStringLiteral(
               "%1 takes no writes now: %2\nMeasured points are kept in memory and "
               "written as soon as it takes them again.")
        .arg(QDir::toNativeSeparators(file), detail);
}

QString databaseNotWritingMessage(const QString& file, const QString& reason) {
    return QStringLiteral(
               "The measurement database %1 cannot be written (%2). Measuring goes on: what is "
               "measured is kept in memory and written as soon as the database takes it again; "
               "the status line shows how many points wait.")
        .arg(QDir::toNativeSeparators(file), reason);
}

}  // namespace tarvix::mirror
