// SPDX-License-Identifier: GPL-3.0-or-later
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
}

namespace tarvix::shell {

class SeriesFilesController;

// "Open files" (Button3), the preview of every file highlighted in its dialog, and the reload
// by a click on Label15. A file is read whole into a store of its own first; only a series
// file read without error replaces the window's store, and only after the operator agreed to
// drop series never saved. Anything else is said once and changes nothing.
class SeriesFileOpening : public PanelController {
  public:
    SeriesFileOpening(TForm1& form, SeriesFilesController& files);
    ~SeriesFileOpening() override;
    void wire() override;

    void Button3Click();
    void Label15Click();

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
    // A file as the preview last read it, so that choosing it reads it no second time, and
    // a refusal already told is not told again.
    struct PreviewedFile {
        QString path;
        qint64 size = -1;
        QDateTime modified;
        unsigned storeRevision = 0;
        series::KtlReadResult result;
        std::vector<QString> labels;
        bool refused = false;
    };

    // Reads `path` into a new store. The store, or nullptr once the operator was told why
    // the file cannot replace the window's store; a file's limits are told either way.
    std::unique_ptr<series::SeriesStore> readWhole(const QString& path,
                                                   series::KtlReadResult& result);
    bool told(const QString& path, const series::KtlReadResult& result);
    // The open of the chosen file, up to the store holding it; false leaves the preview's
    // store to be put back.
    bool open(const QString& path, series::KtlReadResult& result);
    // What the preview read of `path`, if it still stands for the file and the store.
    std::optional<PreviewedFile> previewOf(const QString& path);
    void showOpened(const QString& path, const series::KtlReadResult& result);
    void previewInDialog(const QString& path);
    void endPreview(bool keep);
    ShownFile shownFile();
    void showFile(const ShownFile& shown);
    void showReload(const series::KtlReadResult& result);
    void takeRanges(const series::KtlReadResult& result, double factor);

    SeriesFilesController& files_;
    bool inOpenDialog_ = false;
    // While the open dialog previews: the store and the view from before it opened.
    std::unique_ptr<series::SeriesStore> beforePreview_;
    ShownFile shownBeforePreview_;
    std::optional<PreviewedFile> previewed_;
};

}  // namespace tarvix::shell
