#pragma once

#include <QString>

namespace tarvix::convert {

// Writes the tidy CSV of the .ktl, .temp or .frq file `input` to `output` ("-" is standard
// output). Returns an empty text, or the message for the operator, naming the file.
QString convertToTidyCsv(const QString& input, const QString& output);

}  // namespace tarvix::convert
