// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringView>
#include <functional>
#include <optional>

#include "bus/BusOwner.h"
#include "status/Progress.h"

namespace tarvix::thermo {

enum class TempFileKind;

// What the four-probe panel needs from the window. The window implements it over its
// controls; tests implement it over a few maps. Controls are named by their design names
// (PanelControls.h) and read at the moment the procedure reads them.
class ThermoHost {
  public:
    virtual ~ThermoHost() = default;

    // Controls.
    virtual QString text(QStringView control) const = 0;
    virtual bool isChecked(QStringView control) const = 0;
    virtual void setText(QStringView control, const QString& text) = 0;
    virtual void setEnabled(QStringView control, bool enabled) = 0;

    // Timer1, the sampling clock.
    virtual void startTimer() = 0;
    virtual void stopTimer() = 0;
    virtual void setTimerInterval(int milliseconds) = 0;

    // The stop flag shared with the I-V Stop button.
    virtual bool stopRequested() const = 0;
    virtual void setStopRequested(bool requested) = 0;

    // Lets pending window events run (clicks, paints, timer ticks).
    virtual void processEvents() = 0;
    // Blocks without letting events run.
    virtual void sleepMilliseconds(int milliseconds) = 0;
    virtual QDateTime now() const = 0;

    // The I-V chart's bitmap, which the temperature chart shares, and its copy to the screen.
    virtual QImage& chartImage() = 0;
    virtual void presentChart() = 0;
    // Hides the I-V panel and the LCR panel, shows the four-probe panel, and brings the
    // chart area beside it (left 56, top 184).
    virtual void showFourProbePanel() = 0;

    virtual void showMessage(const QString& message) = 0;
    // The bus for a procedure of the panel, or nothing once the operator has been told why it
    // cannot start. `shutdown` runs when the lease ends, however the procedure ends.
    virtual std::optional<bus::BusLease> acquireBus(const QString& procedure,
                                                    std::function<void()> shutdown) = 0;
    // The save dialog; nothing when it is cancelled.
    virtual std::optional<QString> askSaveFileName() = 0;
    // A record of `kind` was written to `path`, for the status line.
    virtual void recordFileSaved(TempFileKind, const QString&) {}
    // Where the procedure is, for the status line.
    virtual void reportProgress(const status::Progress&) {}
};

}  // namespace tarvix::thermo
