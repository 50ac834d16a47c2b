// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace tarvix::plot {
class PlotSource;
}

namespace tarvix::plotwindow {

// What the plot window asks of the program around it: what it knows of each stored series
// beyond its points, the removal of one series, the main chart's cursor, and a file name.
// Series are named by their keys (PlotSeries::key: the store's slots).
class PlotHost {
  public:
    virtual ~PlotHost() = default;
    // What the panel on view measures: the I-V store; the four-probe record against
    // temperature and against time; the LCR sweep; a curve handed over whole (the
    // straightened plot while the analysis is on view: plot::CurveSource). Asked again at
    // every look (25 a second): keep it cheap. The window shows the first, or the one the
    // operator chose among them; a source that comes first and was not offered before is
    // shown at once.
    virtual std::vector<const plot::PlotSource*> sources() = 0;
    // The source whose series the rest is about (the I-V store): their comments, dates and
    // removal, and the main chart's cursor on its axis.
    virtual const plot::PlotSource* storeSource() const = 0;
    virtual QString seriesComment(int key) const = 0;
    virtual QString seriesDate(int key) const = 0;
    virtual void setSeriesComment(int key, const QString& comment) = 0;
    // Asks the operator and removes the series of `key`, which the operator knows as
    // `number`; false when it stays.
    virtual bool deleteSeries(int key, int number) = 0;
    // The voltage the main chart's cursor marks, while it shows one.
    virtual std::optional<double> cursorX() const = 0;
    // A file name for a picture chosen by the operator, or empty.
    virtual QString pictureFileName() = 0;
    // The folder of the program's settings, where the window keeps its place on the screen.
    virtual QString settingsFolder() const = 0;
};

}  // namespace tarvix::plotwindow
