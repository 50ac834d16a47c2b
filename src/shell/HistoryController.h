// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal/MeasurementHistory.h"
#include "shell/TForm1.h"

namespace tarvix::shell {

class HistoryDialog;
class LcrController;
class SeriesFilesController;
class ThermoController;

// File -> "History...": finds past measurements in the database and loads the chosen one
// back where it was measured: an I-V series into the store, a four-probe or thermocouple
// record into the four-probe panel, an LCR sweep into the LCR panel.
class HistoryController : public PanelController {
  public:
    HistoryController(TForm1& form, SeriesFilesController& files, ThermoController& thermo,
                      LcrController& lcr);
    ~HistoryController() override;

    void wire() override;

    void showHistory();
    void refresh();
    // Loads the chosen measurement, asking first when that drops series or a record that
    // were never saved; the status line then says what was loaded.
    void loadChosen();

  private:
    bool load(const journal::HistoryEntry& entry);
    bool loadSeries(const journal::HistoryEntry& entry);
    bool loadRecord(const journal::HistoryEntry& entry);
    bool loadSweep(const journal::HistoryEntry& entry);
    bool measuring();

    SeriesFilesController& files_;
    ThermoController& thermo_;
    LcrController& lcr_;
    HistoryDialog* dialog_ = nullptr;
};

}  // namespace tarvix::shell
