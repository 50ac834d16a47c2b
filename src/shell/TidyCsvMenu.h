// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

#include "text/CsvWriter.h"

namespace tarvix::shell {

class TForm1;

// The File menu's tidy CSV exports. Each entry asks for a file name (".csv" is added to a name
// without an extension), has the table written there and, as every other save does, reports a
// file error or names the file written on the status line. A recipe reaches an entry by its object
// name.
class TidyCsvMenu {
  public:
    // Returns 0 or the runtime's file-error code.
    using Writer = std::function<int(const QString& path)>;
    // Why there is nothing to export yet (shown instead of the dialog), or an empty text.
    using Refusal = std::function<QString()>;

    static void add(TForm1& form, const QString& objectName, const QString& text, Writer write,
                    Refusal refusal = {});
    // The "#" lines every table starts with: the comment field (Edit44), the time now, and
    // what the caller knows of the data's file and date.
    static text::CsvHeading heading(TForm1& form, const QString& source, const QString& date);
    static QString withCsvExtension(const QString& chosen);
};

}  // namespace tarvix::shell
