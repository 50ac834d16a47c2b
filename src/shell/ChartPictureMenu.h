// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "series/ChartPictures.h"

class QAction;
class QWidget;

namespace tarvix::status {
class StatusService;
}

namespace tarvix::shell {

class UiServices;

// The context menu of a chart's paint box: the chart shown there saved as a PNG or SVG
// picture at its drawn size or at twice it, or copied to the clipboard. The chart is drawn
// again for the picture from the source its drawer left (SVG: lines and text, not a bitmap).
// A saved picture is named on the status line.
class ChartPictureMenu {
  public:
    ChartPictureMenu(QWidget& box, UiServices& ui, status::StatusService& status);

    // How to draw the chart now on the box; every drawer of that box sets its own.
    void setSource(series::ChartRender render) { render_ = std::move(render); }
    // A further entry of the menu (the analysis' "Copy fit results").
    void addAction(QAction* action);

    // Asks for a file name; the picture's kind follows the entry chosen.
    void savePicture(bool svg, double scale);
    // Writes the picture: SVG when the name ends in ".svg", PNG otherwise. Returns 0 or the
    // runtime's file-error code.
    int writePicture(const QString& path, double scale) const;
    void copyPicture() const;

  private:
    QWidget& box_;
    UiServices& ui_;
    status::StatusService& status_;
    series::ChartRender render_;
};

}  // namespace tarvix::shell
