// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tarvix::shell {

class Controls;

// The fit column's sample fields (thickness, temperature, contact area, Richardson constant),
// remembered from one session to the next. Parameters.dat keeps its fixed 23 lines, so they
// live in a settings file of their own beside it.
class FitSampleSettings {
  public:
    static QString path(const QString& folder);
    // Gives each remembered text to its field as if typed; fields never saved keep their
    // defaults.
    static void restore(const QString& folder, Controls& controls);
    // True when the file was written.
    static bool save(const QString& folder, const Controls& controls);
};

}  // namespace tarvix::shell
