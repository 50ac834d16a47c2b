// SPDX-License-Identifier: GPL-3.0-or-later
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

// While the bench's file takes no writes: why (in the operator's words) and how many measured
// points exist only in the program's memory; SQLite's own words go to the tooltip.
QString databaseNotWritingText(const QString& reason, int pointsHeld);
QString databaseNotWritingTip(const QString& file, const QString& detail);
// The one message the operator gets when the file first stops taking writes.
QString databaseNotWritingMessage(const QString& file, const QString& reason);

}  // namespace tarvix::mirror
