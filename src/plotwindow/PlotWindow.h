// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "plot/PlotSession.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace tarvix::plot {
class PlotSource;
}

namespace tarvix::plotwindow {

class PlotCanvas;
class PlotHost;
class SeriesListPanel;

// The plot window: the plot of what the panel on view measures (the I-V store, live while a
// sweep runs; the four-probe record; the LCR sweep), the list of its series beside it, the
// readout under it and a line that says what was done. Its place and size on the screen are
// kept from one run to the next.
class PlotWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kSmallestWidth = 400;
    static constexpr int kSmallestHeight = 300;

    PlotWindow(PlotHost& host, QWidget* parent);
    ~PlotWindow() override;

    plot::PlotSession& session() { return *session_; }
    const plot::PlotSource& source() const { return *source_; }
    PlotCanvas& canvas() { return *canvas_; }
    SeriesListPanel& seriesList() { return *list_; }

    // Reads the source and the host again and shows what changed; `force` also takes the
    // comments anew.
    void refresh(bool force = false);
    // What the recipes and the controls do.
    void setLog(bool log);
    void fit();
    void zoomTo(const plot::PlotView& view);
    void hoverAt(double x, double y);
    // Series as the operator numbers them (PlotSeries::number).
    bool setShown(int number, bool shown);
    // Writes the picture the extension names and says so on the status line; the status.
    QString save(const QString& path);
    void saveWithDialog();

    // One line per fact, for recipes: axes, series, readout, fit, flagged points.
    QStringList facts();
    QString statusText() const;
    void rememberGeometry() const;

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    struct Decoration {
        std::uint64_t revision = 0;
        QString comment;
        QString date;
    };
    void decorate(plot::PlotSeries& series);
    // Follows the host's sources: the one shown stays while it is offered.
    void followSources();
    void showSource(const plot::PlotSource& source);
    void showReadout();
    void deleteSeries(int key);
    void setStatus(const QString& text);
    QString settingsPath() const;
    void restoreGeometryFromSettings();

    PlotHost& host_;
    std::vector<const plot::PlotSource*> sources_;
    const plot::PlotSource* source_ = nullptr;
    std::unique_ptr<plot::PlotSession> session_;
    QComboBox* choice_ = nullptr;
    PlotCanvas* canvas_ = nullptr;
    SeriesListPanel* list_ = nullptr;
    QLabel* readout_ = nullptr;
    QLabel* status_ = nullptr;
    QCheckBox* log_ = nullptr;
    QTimer follow_;
    std::map<int, Decoration> decorations_;
    bool forgetDecorations_ = false;
    std::optional<double> cursorX_;
};

}  // namespace tarvix::plotwindow
