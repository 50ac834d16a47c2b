// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tarvix::convert {

// Writes the tidy CSV of the .ktl, .temp or .frq file `input` to `output` ("-" is standard
// output). Returns an empty text, or the message for the operator, naming the file; a file
// beyond what the window keeps is converted as far as the window reads it, with a message.
QString convertToTidyCsv(const QString& input, const QString& output);

}  // namespace tarvix::convert
