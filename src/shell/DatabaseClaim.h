// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "journal/JournalLock.h"

namespace tarvix::shell {

// The start's hold on its database file: checked before anything is written, then locked
// for the life of the program, or read alone while another program measures into it.
struct DatabaseHold {
    std::unique_ptr<journal::JournalLock> lock;  // held; none when read alone
    bool readOnly = false;
};

// Empty when `file` may be the program's database; otherwise the line that ends the start
// (another program's file, a folder, a device, a missing folder when the operator `named`
// the file, a file of a newer version), written before anything is written there.
QString databaseRefusal(const QString& file, bool named);

// Locks `file` (its folder is made when missing). When another program holds it, this one or
// any other SQLite program, `openReadOnly` is asked with the message: true opens the file
// for reading alone. Without a question (a recipe) or when the operator quits, returns
// nothing with the message in `*message`.
std::optional<DatabaseHold> holdDatabase(
    const QString& file, const std::function<bool(const QString& message)>& openReadOnly,
    QString* message);

}  // namespace tarvix::shell
