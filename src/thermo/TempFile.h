// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

#include "thermo/ThermoRecord.h"

namespace tarvix::thermo {

// The two kinds of .temp file: the four-probe record ("Save Data") and the thermocouple
// record of the Start_d loop ("Save 2").
enum class TempFileKind { FourProbe, Thermocouple };

struct TempFileOptions {
    int saveEvery = 1;     // N: every N-th sample is written
    bool average = false;  // write the mean over the N samples ending at each written one
    QString description;   // the comment line
    QDateTime savedAt;     // date and time on the third line
};

// The step N typed by the operator, or the message that refuses it. Ask before the file
// dialog opens: a text that is not an integer, or a step below 1, cannot select samples.
struct SaveStep {
    std::optional<int> step;
    QString message;
};
SaveStep saveStepFromText(const QString& text);

// The name the file gets: ".temp" is always appended, even to a name that already ends so.
QString withTempExtension(const QString& chosenName);

// One data row for sample `sample` (the caller keeps saveEvery <= sample <= thermoCount).
QString tempFileRow(TempFileKind kind, const ThermoRecord& record, int sample,
                    const TempFileOptions& options);

// Writes the seven header lines and a row for every sample s = N, 2N, ... below thermoCount
// (the newest sample is never written). Returns 0 or the runtime's file-error code; the old
// file, if any, stays untouched on failure. A step below 1 writes nothing and returns
// kInvalidNumericInput.
int writeTempFile(const QString& path, TempFileKind kind, const ThermoRecord& record,
                  const TempFileOptions& options);

}  // namespace tarvix::thermo
