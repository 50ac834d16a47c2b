// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <array>
#include <deque>
#include <functional>
#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

#include "analysis/AnalysisHost.h"
#include "series/SeriesStore.h"

namespace tarvix::analysis::testing {

// The window as the analysis sees it: control texts in a map, messages and redraws logged,
// save dialogs answered from a queue.
class FakeAnalysisHost : public AnalysisHost {
  public:
    FakeAnalysisHost() {
        texts = {{"Edit46", "1"},  {"Edit47", "1"},    {"Label23", "0"},
                 {"Label24", "0"}, {"Label27", "???"}, {"Edit44", "Comments"}};
    }

    QString controlText(const QString& name) const override { return texts.value(name); }
    void setControlText(const QString& name, const QString& text) override { texts[name] = text; }
    void showMessage(const QString& text) override { messages << text; }
    bool logScale() const override { return log; }
    void showChart() override { ++chartsShown; }
    void processEvents() override {
        ++eventRuns;
        if (onEvents) {
            onEvents();
        }
    }
    void sleepMilliseconds(int milliseconds) override { sleeps.push_back(milliseconds); }
    int animationDelay() const override { return delay; }
    void setAnimationDelay(int milliseconds) override { delay = milliseconds; }
    void redrawIvChart(double currentMin, double currentMax, double voltageMin,
                       double voltageMax) override {
        ivRedraws.push_back({currentMin, currentMax, voltageMin, voltageMax});
    }
    void showFitSummary(const QString& text) override { fitSummary = text; }
    void copyToClipboard(const QString& text) override { clipboard = text; }
    void setChartSource(series::ChartRender render) override { chartSource = std::move(render); }
    std::optional<QString> chooseSaveFile(const QString& title, const QString& filter) override {
        dialogs << title + QStringLiteral(" | ") + filter;
        if (answers.empty()) {
            return std::nullopt;
        }
        const bool chosen = answers.front().has_value();
        const QString path = answers.front().value_or(QString());
        answers.pop_front();
        if (!chosen) {
            return std::nullopt;
        }
        return path;
    }

    QMap<QString, QString> texts;
    QString fitSummary;
    QString clipboard;
    series::ChartRender chartSource;
    QStringList messages;
    QStringList dialogs;
    std::deque<std::optional<QString>> answers;
    std::vector<std::array<double, 4>> ivRedraws;
    std::vector<int> sleeps;
    std::function<void()> onEvents;
    bool log = false;
    int delay = 0;  // the chart's animation delay
    int chartsShown = 0;
    int eventRuns = 0;
};

// Puts (voltage, current) points into one stored segment and sets its count.
inline void storeSegment(series::SeriesStore& store, int segment, int series,
                         std::initializer_list<std::pair<float, float>> points) {
    float* voltage = store.storedVoltage(segment, series);
    float* current = store.storedCurrent(segment, series);
    int p = 0;
    for (const auto& [v, i] : points) {
        ++p;
        voltage[p] = v;
        current[p] = i;
    }
    current[0] = static_cast<float>(p);
    voltage[0] = static_cast<float>(p);
    if (store.seriesCount < series) {
        store.seriesCount = series;
    }
}

}  // namespace tarvix::analysis::testing
