// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include "thermo/TempFile.h"

namespace tarvix::convert {

// What a .temp file holds, read back into the record the window keeps.
struct TempFileRead {
    thermo::TempFileKind kind = thermo::TempFileKind::FourProbe;
    QString description;  // the "Описание: " line without its key
    QString savedAt;      // the date and time line without its key
    QString error;        // why the bytes are no .temp file; empty when read
};

// Reads the seven header lines and the rows into `record` (samples 1..thermoCount).
TempFileRead readTempFile(const QByteArray& bytes, thermo::ThermoRecord& record);

}  // namespace tarvix::convert
