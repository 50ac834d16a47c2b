// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <functional>
#include <map>

#include "series/ChartCanvas.h"
#include "thermo/ThermoHost.h"

namespace tarvix::thermo::fakes {

// The panel's controls as maps, with the design's defaults, and a clock that stands still.
class FakeHost : public ThermoHost {
  public:
    std::map<QString, QString> texts{{"Edit63", "7"},   {"Edit52", "50"},  {"Edit55", "100000"},
                                     {"Edit48", "0"},   {"Edit62", "120"}, {"Edit53", "1"},
                                     {"Edit44", "film"}};
    std::map<QString, bool> checked{{"RadioButton19", true}, {"RadioButton81", true}};
    std::map<QString, bool> enabled;
    bool timerActive = false;
    int timerInterval = 0;
    bool stop = true;  // set at start-up
    int eventRuns = 0;
    int sleptMilliseconds = 0;
    int presented = 0;
    int dialogs = 0;
    std::function<void()> onProcessEvents;
    QImage image = series::makeChartImage(633, 425);
    QStringList messages;
    std::optional<QString> saveName;
    QDateTime clock{QDate(2024, 3, 5), QTime(14, 30, 0)};
    bus::BusOwner owner;

    QString text(QStringView control) const override {
        const auto found = texts.find(control.toString());
        return found == texts.end() ? QString() : found->second;
    }
    bool isChecked(QStringView control) const override {
        const auto found = checked.find(control.toString());
        return found != checked.end() && found->second;
    }
    void setText(QStringView control, const QString& text) override {
        texts[control.toString()] = text;
    }
    void setEnabled(QStringView control, bool on) override { enabled[control.toString()] = on; }
    void startTimer() override { timerActive = true; }
    void stopTimer() override { timerActive = false; }
    void setTimerInterval(int milliseconds) override { timerInterval = milliseconds; }
    bool stopRequested() const override { return stop; }
    void setStopRequested(bool requested) override { stop = requested; }
    void processEvents() override {
        ++eventRuns;
        if (onProcessEvents) {
            onProcessEvents();
        }
    }
    void sleepMilliseconds(int milliseconds) override { sleptMilliseconds += milliseconds; }
    QDateTime now() const override { return clock; }
    QImage& chartImage() override { return image; }
    void presentChart() override { ++presented; }
    void showFourProbePanel() override {}
    void showMessage(const QString& message) override { messages.append(message); }
    std::optional<bus::BusLease> acquireBus(const QString& procedure,
                                            std::function<void()> shutdown) override {
        QString refusal;
        auto lease = owner.acquire(procedure, &refusal, std::move(shutdown));
        if (!lease) {
            messages.append(refusal);
        }
        return lease;
    }
    std::optional<QString> askSaveFileName() override {
        ++dialogs;
        return saveName;
    }
};

}  // namespace tarvix::thermo::fakes
