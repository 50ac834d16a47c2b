// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/DatabaseClaim.h"

#include <QDir>
#include <QFileInfo>

#include "journal/JournalFileCheck.h"

namespace tarvix::shell {

QString databaseRefusal(const QString& file, bool named) {
    const journal::JournalFileVerdict verdict = journal::inspectJournalFile(file, named);
    return verdict.kind == journal::JournalFileVerdict::Kind::Refused
               ? journal::refusedJournalText(file, verdict.reason)
               : QString();
}

std::optional<DatabaseHold> holdDatabase(
    const QString& file, const std::function<bool(const QString& message)>& openReadOnly,
    QString* message) {
    QDir().mkpath(QFileInfo(file).absolutePath());
    DatabaseHold hold;
    hold.lock = std::make_unique<journal::JournalLock>(file);
    switch (hold.lock->tryLock()) {
        case journal::JournalLock::State::Held:
            // Not ours to judge yet: the journal says why a file it cannot open is unusable.
            *message = QFileInfo::exists(file) ? journal::lockedByAnotherProgram(file) : QString();
            if (message->isEmpty()) {
                return hold;
            }
            *message = journal::inUseText(file, *message);
            break;
        case journal::JournalLock::State::InUse:
            *message = hold.lock->inUseText();
            break;
        case journal::JournalLock::State::Failed:
            hold.lock.reset();  // the journal says so and the program goes on without one
            return hold;
    }
    hold.lock.reset();
    if (!openReadOnly || !openReadOnly(*message)) {
        return std::nullopt;
    }
    hold.readOnly = true;
    return hold;
}

}  // namespace tarvix::shell
