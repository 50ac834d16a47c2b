// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

#include "status/Progress.h"

namespace tarvix::lcr {

// What the LCR sweep and its chart need from the window. The window implements it with
// message boxes and its widgets; tests record the calls.
class LcrHost {
  public:
    virtual ~LcrHost() = default;

    // A message box; returns when the operator has closed it.
    virtual void showMessage(const QString& text) = 0;
    // Lets pending window events run.
    virtual void processEvents() = 0;
    // Edit59, the last value text read from the meter.
    virtual void showLastData(const QString& text) = 0;
    // The chart was redrawn: copy it to PaintBox2.
    virtual void showChart(const QImage& chart) = 0;
    // The window is closing (or the run was told to end): a sweep ends after its point.
    virtual bool endRequested() const { return false; }
    // Stop was pressed: the sweep ends after the point being measured.
    virtual bool stopRequested() const { return false; }
    // Where the procedure is, for the status line.
    virtual void reportProgress(const status::Progress&) {}
};

}  // namespace tarvix::lcr
