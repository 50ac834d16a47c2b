// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "series/ChartPictures.h"

namespace tarvix::analysis {

// The analysis' saves: one straightened curve, one measured segment, every series.
enum class AnalysisSave { Straightened, MeasuredSegment, AllSeries };

// What the analysis needs from the window. Controls are named by their design names
// ("Edit46", "Label23", "Label17", ...).
class AnalysisHost {
  public:
    virtual ~AnalysisHost() = default;

    virtual QString controlText(const QString& name) const = 0;
    virtual void setControlText(const QString& name, const QString& text) = 0;
    virtual void showMessage(const QString& text) = 0;
    virtual bool logScale() const = 0;  // CheckBox13 "Log scale"
    // Copies the chart image to PaintBox1.
    virtual void showChart() = 0;
    virtual void processEvents() = 0;
    virtual void sleepMilliseconds(int milliseconds) = 0;
    // The I-V chart's animation delay (ms, 0 = off): while it is not 0 a drawn point's marker
    // flashes. Read anew at every point, so that Stop (which sets it to 0) ends the flashing.
    virtual int animationDelay() const = 0;
    virtual void setAnimationDelay(int milliseconds) = 0;
    // drawIvChart with its usual captions and the given ranges.
    virtual void redrawIvChart(double currentMin, double currentMax, double voltageMin,
                               double voltageMax) = 0;
    // The line of fit figures under the result labels (empty text clears it).
    virtual void showFitSummary(const QString& text) = 0;
    virtual void copyToClipboard(const QString& text) = 0;
    // The chart now on PaintBox1 as a drawing that can be repeated, for its pictures.
    virtual void setChartSource(series::ChartRender render) = 0;
    // The shared save dialog with this title and filter; no value when cancelled.
    virtual std::optional<QString> chooseSaveFile(const QString& title, const QString& filter) = 0;
    // A save went through: `files` were written, for the status line.
    virtual void filesSaved(AnalysisSave, const QStringList& /*files*/) {}
};

}  // namespace tarvix::analysis
