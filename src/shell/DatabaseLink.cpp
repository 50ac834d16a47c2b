#include "shell/DatabaseLink.h"

#include <QSysInfo>

#include "mirror/DatabaseStatusText.h"
#include "mirror/ServerMirror.h"
#include "shell/StatusLine.h"

namespace tarvix::shell {

DatabaseLink::DatabaseLink(StatusLine& line, const QString& file,
                           const std::optional<mirror::ServerAddress>& server, bool readOnly) {
    if (readOnly) {
        line.showDatabase(mirror::databaseReadOnlyText(file), mirror::databaseReadOnlyTip());
        return;
    }
    if (!server || file.isEmpty()) {
        line.showDatabase(mirror::databaseFileText(file), {});
        return;
    }
    mirror::MirrorSettings settings{*server, file, QSysInfo::machineHostName()};
    mirror_ = std::make_unique<mirror::ServerMirror>(std::move(settings));
    const QString address = server->text();
    const auto show = [&line, address, file](const mirror::MirrorState& state) {
        line.showDatabase(mirror::databaseServerText(address, state),
                          mirror::databaseServerTip(file, state));
    };
    show(mirror::MirrorState{});
    QObject::connect(mirror_.get(), &mirror::ServerMirror::stateChanged, mirror_.get(), show);
}

DatabaseLink::~DatabaseLink() = default;

}  // namespace tarvix::shell
