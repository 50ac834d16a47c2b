// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/DatabaseLink.h"

#include <QSysInfo>

#include "mirror/DatabaseStatusText.h"
#include "mirror/ServerMirror.h"
#include "shell/StatusLine.h"
#include "shell/UiServices.h"

namespace tarvix::shell {

DatabaseLink::DatabaseLink(StatusLine& line, const QString& file,
                           const std::optional<mirror::ServerAddress>& server, bool readOnly)
    : line_(line), file_(file), readOnly_(readOnly) {
    if (server && !file.isEmpty() && !readOnly) {
        mirror::MirrorSettings settings{*server, file, QSysInfo::machineHostName()};
        mirror_ = std::make_unique<mirror::ServerMirror>(std::move(settings));
        address_ = server->text();
        QObject::connect(mirror_.get(), &mirror::ServerMirror::stateChanged, mirror_.get(),
                         [this](const mirror::MirrorState& state) {
                             mirrorState_ = state;
                             show();
                             tellNotice();
                         });
    }
    show();
}

DatabaseLink::~DatabaseLink() = default;

void DatabaseLink::follow(journal::JournalWrites& writes, UiServices& ui) {
    ui_ = &ui;
    writes.setStateChanged([this](const journal::JournalWriteState& state) { showWrites(state); });
    showWrites(writes.state());
    tellNotice();
}

void DatabaseLink::tellNotice() {
    if (ui_ && !mirrorState_.notice.isEmpty() && mirrorState_.notice != toldNotice_) {
        toldNotice_ = mirrorState_.notice;
        ui_->notify(toldNotice_);
    }
}

void DatabaseLink::showWrites(const journal::JournalWriteState& state) {
    writeState_ = state;
    show();
    // Once is enough: the status line follows every later stop and start.
    if (!state.writing && !toldOperator_ && ui_) {
        toldOperator_ = true;
        ui_->notify(mirror::databaseNotWritingMessage(file_, state.reason));
    }
}

void DatabaseLink::show() {
    if (readOnly_) {
        line_.showDatabase(mirror::databaseReadOnlyText(file_), mirror::databaseReadOnlyTip());
    } else if (!writeState_.writing) {
        line_.showDatabase(
            mirror::databaseNotWritingText(writeState_.reason, writeState_.pointsHeld),
            mirror::databaseNotWritingTip(file_, writeState_.detail));
    } else if (mirror_) {
        line_.showDatabase(mirror::databaseServerText(address_, mirrorState_),
                           mirror::databaseServerTip(file_, mirrorState_));
    } else {
        line_.showDatabase(mirror::databaseFileText(file_), {});
    }
}

}  // namespace tarvix::shell
