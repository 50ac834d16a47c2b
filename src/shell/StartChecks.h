// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "iv/IvHost.h"
#include "shell/TForm1.h"

namespace tarvix::shell {

class IvPanelController;

// What a Start checks before it sends anything or touches the store: the texts that go into
// commands, and whether the chosen regime can run on the identified unit. Each check answers
// with the message for the operator, or an empty text when all is well.
class StartChecks {
  public:
    StartChecks(TForm1& form, IvPanelController& panel, const iv::IvHost& host);

    // The numbers the chosen regime reads from the window (and the sweep plan).
    QString fieldProblem();
    // With the unit's model known: chart span, plan, peak and ranges, room in the store.
    QString runProblem();

    static QString storeFullMessage(int room, int wanted);
    static int storeRoom(const series::SeriesStore& store);

  private:
    QString sweepProblem();
    QString currentSweepProblem();

    TForm1& form_;
    IvPanelController& panel_;
    const iv::IvHost& host_;
};

}  // namespace tarvix::shell
