// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "thermo/TempFile.h"

namespace tarvix::text {
struct CsvHeading;
}

namespace tarvix::thermo {

struct ThermoRecord;

// Writes samples 1..thermoCount of the record as a CSV table, one row per sample: the time of
// day (ISO 8601, milliseconds), the measured quantities, and the seconds since the first
// sample (across midnight too). A four-probe record gives
// time,temperature_C,resistance_Ohm,elapsed_s; a thermocouple record
// time,thermocouple_V,reference_K,thermocouple_K,elapsed_s. A missing reading is an empty
// cell. Returns 0 or the runtime's file-error code.
int writeTidyRecordCsv(const QString& path, TempFileKind kind, const ThermoRecord& record,
                       const text::CsvHeading& heading);

}  // namespace tarvix::thermo
