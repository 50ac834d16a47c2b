// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <memory>
#include <optional>

#include "journal/JournalWrites.h"
#include "mirror/MirrorState.h"
#include "mirror/ServerAddress.h"

namespace tarvix::mirror {
class ServerMirror;
}

namespace tarvix::shell {

class StatusLine;
class UiServices;

// Says on the status line which database keeps the measurements and, with a lab's server,
// runs the mirror that copies the bench's database there and shows whether it is in step.
// While the bench's file takes no writes, the line says so instead, and how much waits.
class DatabaseLink {
  public:
    // `file`: the bench's open database (empty: none could be opened). Read alone
    // (`readOnly`, another program measures into it), nothing goes to the server from here.
    DatabaseLink(StatusLine& line, const QString& file,
                 const std::optional<mirror::ServerAddress>& server, bool readOnly = false);
    ~DatabaseLink();
    DatabaseLink(const DatabaseLink&) = delete;
    DatabaseLink& operator=(const DatabaseLink&) = delete;

    // Follows the writes of the bench's file; the first time they stop, `ui` tells the operator.
    void follow(journal::JournalWrites& writes, UiServices& ui);

  private:
    void show();
    void showWrites(const journal::JournalWriteState& state);
    void tellNotice();

    StatusLine& line_;
    QString file_;
    bool readOnly_;
    QString address_;
    mirror::MirrorState mirrorState_;
    journal::JournalWriteState writeState_;
    UiServices* ui_ = nullptr;
    bool toldOperator_ = false;
    QString toldNotice_;
    std::unique_ptr<mirror::ServerMirror> mirror_;
};

}  // namespace tarvix::shell
