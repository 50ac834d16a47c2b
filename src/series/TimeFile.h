// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tarvix::series {

class TimeTable;

// "Save Time": for each of the ten run columns, one line per used row (elapsed ms, two
// blanks, current, both in the default real form), then an empty line; CR LF line ends.
// The name is used exactly as given. Returns 0 or the runtime's file-error code; an existing
// file is replaced only when the new one is complete.
int writeTimeFile(const QString& path, const TimeTable& table);

}  // namespace tarvix::series
