// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace tarvix::shell {

class Controls;

// Parameters.dat: 23 lines, the texts of the sweep-table and chart-limit edits and three
// check boxes, kept beside the program from one session to the next.
class ParametersFile {
  public:
    static constexpr int kLineCount = 23;
    static QString path(const QString& folder);

    // Gives each line to its control as if typed or clicked. Nothing happens when the file is
    // missing; a read error is returned as the runtime's error code. A line that is not a
    // number for its edit is set aside (the edit keeps its design text) and named in
    // `setAside` ("line 3 (Edit10)").
    static int restore(const QString& folder, Controls& controls, QStringList* setAside = nullptr);
    // The one start-up message about the lines set aside; empty when there are none.
    static QString setAsideMessage(const QStringList& setAside);
    // The 23 lines of the controls' present state.
    static QStringList lines(const Controls& controls);
    // 0 or the runtime's error code.
    static int save(const QString& folder, const Controls& controls);
};

}  // namespace tarvix::shell
