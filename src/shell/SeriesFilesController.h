#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "series/KtlFileReader.h"
#include "shell/CorrectionBaseline.h"
#include "shell/TForm1.h"

namespace tarvix::series {
class SeriesStore;
struct ExportOptions;
struct KtlReadResult;
}  // namespace tarvix::series

namespace tarvix::shell {

// The stored series on disk and on the chart: the series files (save, open, preview, delete),
// the export panel with its corrections and the Origin file, the animation and the
// time-dependence file.
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

  private:
    // What the window shows of an opened file, kept while the open dialog previews files so
    // that a cancel puts it back.
    struct ShownFile {
        QStringList texts;
        int manualBar = 0;
        int cursorBar = 0;
        IvState state;
        int animationDelay = 0;
        CorrectionBaseline baseline;
    };

    void wireExportOptions();
    // Reads `path` completely into a new store; only a read without error replaces the
    // window's store (the store it held is returned then, else nullptr).
    // A preview (fileLabels given) keeps the labels from before and puts the file's aside.
    std::unique_ptr<series::SeriesStore> readAndSwap(const QString& path,
                                                     series::KtlReadResult& result,
                                                     std::vector<QString>* fileLabels = nullptr);
    // The open of the file the preview last read, from what the preview read: the store
    // from before the dialog, or nullptr when the file must be read.
    std::unique_ptr<series::SeriesStore> openPreviewed(const QString& path,
                                                       series::KtlReadResult& result);
    void previewInDialog(const QString& path);
    void endPreview(bool keep);
    ShownFile shownFile();
    void showFile(const ShownFile& shown);
    void showReload(const series::KtlReadResult& result);
    void saveRaw(const QString& path);
    // Whether a store-changing handler must stay out of the way of a running Start action;
    // when it must, the status line says why `control` did nothing.
    bool refusedWhileMeasuring(const char* control);
    // Reports a read's outcome; returns false when it ended in a file error.
    bool reportRead(const series::KtlReadResult& result);
    void takeRanges(const series::KtlReadResult& result, double factor);
    series::ExportOptions exportOptions();
    int animationDelayFromSpeed();
    void commitLiveForAnimation();
    void setAnimationControlsEnabled(bool enabled);

    QString currentFilePath_;
    QString seriesDate_;
    CorrectionBaseline baseline_;
    bool animating_ = false;
    bool inOpenDialog_ = false;
    // While the open dialog previews: the store and the view from before it opened.
    std::unique_ptr<series::SeriesStore> beforePreview_;
    ShownFile shownBeforePreview_;
    // The file the preview last read into the store, so that choosing it reads it no
    // second time.
    struct PreviewedFile {
        QString path;
        qint64 size = -1;
        QDateTime modified;
        unsigned storeRevision = 0;
        series::KtlReadResult result;
        std::vector<QString> labels;
    };
    std::optional<PreviewedFile> previewed_;
};

}  // namespace tarvix::shell
