#pragma once

#include "shell/TForm1.h"

namespace tarvix::shell {

class HistoryDialog;

// File -> "History...": finds past measurements in the database and loads an I-V series
// back into the store.
class HistoryController : public PanelController {
  public:
    explicit HistoryController(TForm1& form);
    ~HistoryController() override;

    void wire() override;

    void showHistory();
    void refresh();
    // Replaces the store with the chosen I-V series, asking first when that drops series
    // that were never saved.
    void loadChosen();

  private:
    void loadSeries(qint64 id, const QString& comment);

    HistoryDialog* dialog_ = nullptr;
};

}  // namespace tarvix::shell
