// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include "plot/PlotScene.h"

namespace tarvix::plot {

// Pictures of a plot for papers: every series stroked as lines on white.
class PlotPictures {
  public:
    static constexpr int kScreenDpi = 96;  // the logical pixels of a plot per inch
    static constexpr int kPngDpi = 300;

    // The plot at `size` logical pixels drawn `scale` times larger.
    static QImage image(QSize size, double scale, const PlotScene& scene);
    // Writes the plot at `size` logical pixels to `path` in the form its extension names:
    // ".png" at 300 dpi, ".svg" or ".pdf" as lines and text. The file appears whole or not
    // at all (text::SafeFileWriter). Returns an empty text, or why nothing was written.
    static QString write(const QString& path, QSize size, const PlotScene& scene);
    // True for the extensions write() knows.
    static bool knownExtension(const QString& path);
};

}  // namespace tarvix::plot
