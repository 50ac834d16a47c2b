#pragma once

#include <QString>

#include "mirror/MirrorState.h"

namespace tarvix::mirror {

// What the status line says of the measurement database: the file in use, or the server
// and whether it holds everything the bench measured.
QString databaseFileText(const QString& file);
// The file read alone, while another program measures into it.
QString databaseReadOnlyText(const QString& file);
QString databaseReadOnlyTip();
QString databaseServerText(const QString& address, const MirrorState& state);
// The longer story for the tooltip: the bench's own file and the server's last complaint.
QString databaseServerTip(const QString& file, const MirrorState& state);

}  // namespace tarvix::mirror
