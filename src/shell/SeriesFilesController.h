// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>
#include <memory>

#include "shell/CorrectionBaseline.h"
#include "shell/TForm1.h"

namespace tarvix::series {
class SeriesStore;
struct ExportOptions;
}  // namespace tarvix::series

namespace tarvix::shell {

class SeriesFileOpening;

// The stored series on disk and on the chart: the series files (save and delete; the open,
// preview and reload in SeriesFileOpening), the export panel with its corrections and the
// Origin file, the animation and the time-dependence file.
class SeriesFilesController : public PanelController {
  public:
    explicit SeriesFilesController(TForm1& form);
    ~SeriesFilesController() override;
    void wire() override;

    void Button5Click();     // "Save all series"
    void Button3Click();     // "Open files"
    void Label15Click();     // preview and reload
    void Button4Click();     // "Delete"
    void CheckBox50Click();  // every option of the export panel
    void Button36Click();    // "Save for Origin"
    void Button6Click();     // "Animation"
    void Button7Click();     // "Save Time"
    // File -> "Export tidy table (CSV)...": 0 or the runtime's file-error code.
    int exportTidyTable(const QString& path);

    // The store now holds a series loaded from the database, measured at `measured`: no
    // series file is in use (Label15 shows none, the export asks for a name) and the date
    // and time fields show when it was measured.
    void showDatabaseSeries(const QDateTime& measured);

    // The series file last opened or saved, and the date line of that file.
    const QString& currentFilePath() const { return currentFilePath_; }
    const QString& seriesDate() const { return seriesDate_; }
    // `path` is now the series file in use, written or read with the date line `date`.
    void takeFile(const QString& path, const QString& date);
    // The tables' measured values behind the export panel's corrections.
    CorrectionBaseline& baseline() { return baseline_; }
    // The dialogs' filter of series files.
    static QString seriesFileFilter();

    // Whether a store-changing handler must stay out of the way of a running Start action;
    // when it must, the status line says why `control` did nothing.
    bool refusedWhileMeasuring(const char* control);

  private:
    void wireExportOptions();
    void saveRaw(const QString& path);
    series::ExportOptions exportOptions();
    int animationDelayFromSpeed();
    void commitLiveForAnimation();
    void setAnimationControlsEnabled(bool enabled);

    QString currentFilePath_;
    QString seriesDate_;
    CorrectionBaseline baseline_;
    bool animating_ = false;
    std::unique_ptr<SeriesFileOpening> opening_;
};

}  // namespace tarvix::shell
