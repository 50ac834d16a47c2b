// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/AnalysisActions.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <span>

#include "analysis/AnalysisChart.h"
#include "analysis/AnalysisFiles.h"
#include "analysis/FitReport.h"
#include "analysis/LineFit.h"
#include "analysis/PointSelection.h"
#include "analysis/ResistanceText.h"
#include "analysis/SampleFields.h"
#include "series/IvChart.h"
#include "series/KtlFileName.h"
#include "text/DecimalParse.h"
#include "text/FileError.h"

namespace tarvix::analysis {

namespace {

using series::SeriesStore;

constexpr int kHighestAnalysedSeries = 50;

const QString kSegmentEdit = QStringLiteral("Edit46");
const QString kSeriesEdit = QStringLiteral("Edit47");
const QString kCommentEdit = QStringLiteral("Edit44");
const QString kManualVoltageLabel = QStringLiteral("Label23");
const QString kCursorVoltageLabel = QStringLiteral("Label24");
const QString kResistanceLabel = QStringLiteral("Label27");

const QString kNoValuesMessage = QStringLiteral("в файле нет значений с указанными номерами");
const QString kOutsideStoreMessage =
    QStringLiteral("нет таких номеров: Sweep (1..8), Sweep numer (1..150)");
const QString kNoSelectionMessage =
    QStringLiteral("сначала выберите сегмент и серию: спрямление или initial grafik");
const QString kScatterPrefix = QStringLiteral("разброс точек: ");
const QString kNoLineText = QStringLiteral("прямая не определена: все точки при одном напряжении");
const QString kNoScatterText = QStringLiteral("разброс точек: не определён (есть Y = 0)");
const QString kHowToChooseWindow = QStringLiteral(
    "Choose the voltage window with the two scroll bars under the chart: the upper one sets "
    "its lower end, the lower one its upper end (their voltages are shown above the bars). A "
    "bar at 0 leaves that end at the chart's voltage limit.");
const QString kNoFitYet = QStringLiteral("There is no fit to copy yet: straighten a curve first.");

const QString kKtlDialogTitle = QStringLiteral("Результаты Keithley 2410");
const QString kKtlDialogFilter = QStringLiteral("Keithley (*.ktl)|*.ktl");
const QString kAllSeriesDialogTitle = QStringLiteral("Save in to format - linear and log");
const QString kAllSeriesDialogFilter = QStringLiteral("KTH (*.*)|*.*");

// The measured segment keeps the I-V chart's captions and log option.
AnalysisChartFrame initialChartFrame(const AnalysisState& state, bool logScale) {
    return {series::IvChart::currentCaption(),
            series::IvChart::voltageCaption(),
            state.plotXMax,
            state.plotXMin,
            state.plotYMax,
            state.plotYMin,
            logScale};
}

// A straightening is read on linear axes of its own quantities.
AnalysisChartFrame straightenedFrame(const AnalysisState& state, Mechanism mechanism) {
    return {yAxisCaption(mechanism), xAxisCaption(mechanism), state.plotXMax, state.plotXMin,
            state.plotYMax,          state.plotYMin,          false};
}

QString notAnIntegerMessage(const QString& text) {
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

// The plot range grows by a tenth; a float that would overflow keeps the largest finite value.
float widened(float value) {
    return static_cast<float>(
        std::clamp(static_cast<double>(value) * 1.1, -double(FLT_MAX), double(FLT_MAX)));
}

}  // namespace

class AnalysisActions::RunGuard {
  public:
    explicit RunGuard(bool& running) : running_(running), entered_(!running) { running_ = true; }
    ~RunGuard() {
        if (entered_) {
            running_ = false;
        }
    }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;
    bool entered() const { return entered_; }

  private:
    bool& running_;
    bool entered_;
};

AnalysisActions::AnalysisActions(AnalysisState& state, AnalysisShared shared, AnalysisHost& host)
    : state_(state), shared_(shared), host_(host) {}

bool AnalysisActions::readSelection() {
    const QString segmentText = host_.controlText(kSegmentEdit);
    const std::optional<int> segment = text::parseInteger(segmentText);
    if (!segment) {
        host_.showMessage(notAnIntegerMessage(segmentText));
        return false;
    }
    state_.analysisSegment = *segment;
    const QString seriesText = host_.controlText(kSeriesEdit);
    const std::optional<int> series = text::parseInteger(seriesText);
    if (!series) {
        host_.showMessage(notAnIntegerMessage(seriesText));
        return false;
    }
    state_.analysisSeries = *series;
    return true;
}

int AnalysisActions::selectedPointCount() const {
    return std::clamp(shared_.store.storedCount(state_.analysisSegment, state_.analysisSeries), 0,
                      SeriesStore::kMaxPoints);
}

int AnalysisActions::fillStraightened(Mechanism mechanism, int count) {
    VoltageWindow window{host_.controlText(kManualVoltageLabel),
                         host_.controlText(kCursorVoltageLabel),
                         shared_.voltageMin,
                         shared_.voltageMax,
                         &shared_.manualVoltage,
                         &shared_.cursorVoltage};
    const SeriesStore& store = shared_.store;
    state_.fitCount =
        selectPoints(store.storedVoltage(state_.analysisSegment, state_.analysisSeries),
                     store.storedCurrent(state_.analysisSegment, state_.analysisSeries), count,
                     mechanism, window, state_.fitX, state_.fitY);
    return state_.fitCount;
}

void AnalysisActions::showUnitIvChart() {
    host_.redrawIvChart(-1, 1, -1, 1);
}

void AnalysisActions::setPlotRangeFromFit() {
    state_.plotXMin = state_.plotXMax = state_.plotYMin = state_.plotYMax = 0;
    for (int k = 0; k < state_.fitCount; ++k) {
        const double x = state_.fitX[static_cast<size_t>(k)];
        const double y = state_.fitY[static_cast<size_t>(k)];
        if (x > state_.plotXMax) {
            state_.plotXMax = static_cast<float>(x);
        }
        if (x < state_.plotXMin) {
            state_.plotXMin = static_cast<float>(x);
        }
        if (y > state_.plotYMax) {
            state_.plotYMax = static_cast<float>(y);
        }
        if (y < state_.plotYMin) {
            state_.plotYMin = static_cast<float>(y);
        }
    }
    for (float* end : {&state_.plotXMax, &state_.plotXMin, &state_.plotYMax, &state_.plotYMin}) {
        *end = widened(*end);
    }
}

// Logarithms have no meaningful zero: a range from 0 would squeeze their points into a
// sliver, so these plots frame the points themselves.
void AnalysisActions::setPlotRangeAroundPoints() {
    const auto frame = [](std::span<const double> values, float& low, float& high) {
        const auto [min, max] = std::minmax_element(values.begin(), values.end());
        const double middle = (*min + *max) / 2;
        const double half = std::max({(*max - *min) * 0.55, std::abs(middle) * 0.01, 1e-12});
        low = static_cast<float>(std::max(middle - half, -double(FLT_MAX)));
        high = static_cast<float>(std::min(middle + half, double(FLT_MAX)));
    };
    frame(state_.xs(), state_.plotXMin, state_.plotXMax);
    frame(state_.ys(), state_.plotYMin, state_.plotYMax);
}

void AnalysisActions::drawStraightened(Mechanism mechanism) {
    const AnalysisChartFrame frame = straightenedFrame(state_, mechanism);
    MarkerFlash flash;
    if (host_.animationDelay() != 0) {
        flash = [this] {
            // Stop may have switched the delay off while events ran at an earlier point.
            if (host_.animationDelay() == 0) {
                return;
            }
            host_.showChart();
            host_.processEvents();
            if (const int delay = host_.animationDelay(); delay != 0) {
                host_.sleepMilliseconds(delay);
            }
        };
    }
    const LineFit line{state_.fitIntercept, state_.fitSlope, state_.fitDefined};
    const QRgb colour = series::IvChart::segmentColor(state_.analysisSegment);
    drawLinearizedChart(shared_.chart, frame, state_.xs(), state_.ys(), colour, line, flash);
    host_.showChart();
    // A save refills the work arrays, so the picture keeps its own copy of the points.
    host_.setChartSource(
        [frame, colour, line, x = std::vector<double>(state_.xs().begin(), state_.xs().end()),
         y = std::vector<double>(state_.ys().begin(), state_.ys().end())](QImage& image) {
            drawLinearizedChart(image, frame, x, y, colour, line);
        });
}

void AnalysisActions::reportFit(Mechanism mechanism) {
    const LineFit line{state_.fitIntercept, state_.fitSlope, state_.fitDefined};
    const std::optional<double> scatter = scatterPercent(state_.xs(), state_.ys(), line);
    QString result;
    if (!line.defined) {
        state_.scatterText.clear();
        result = kNoLineText;
    } else if (!scatter) {
        state_.scatterText.clear();
        result = kNoScatterText;
    } else {
        state_.scatterText = scatterText(*scatter);
        result = kScatterPrefix + state_.scatterText + QChar('%');
    }
    host_.setControlText(resultLabelName(mechanism), result);
    if (mechanism == Mechanism::Ohm) {
        const bool finite = line.defined && line.slope != 0;
        state_.ohmResistance = finite ? 1.0 / line.slope : 0.0;
        host_.setControlText(kResistanceLabel, resistanceTextForSlope(line.slope, line.defined));
    }
    if (!line.defined) {
        state_.fit.reset();
        host_.showFitSummary(QString());
        return;
    }
    FitReport report{mechanism,
                     line,
                     fitStatistics(state_.xs(), state_.ys(), line),
                     shared_.manualVoltage,
                     shared_.cursorVoltage,
                     {},
                     {}};
    state_.fit = report;
    refreshFitPhysics();
}

void AnalysisActions::refreshFitPhysics() {
    if (!state_.fit) {
        return;
    }
    FitReport& report = *state_.fit;
    report.conditions = readSampleConditions(host_);
    report.physics =
        deriveFitPhysics(report.mechanism, report.line, report.statistics, report.conditions);
    host_.showFitSummary(fitSummaryText(report));
}

void AnalysisActions::copyFitResults() {
    if (!state_.fit) {
        host_.showMessage(kNoFitYet);
        return;
    }
    host_.copyToClipboard(fitClipboardText(*state_.fit));
}

void AnalysisActions::straighten(Mechanism mechanism) {
    const RunGuard guard(running_);
    if (!guard.entered()) {
        return;
    }
    state_.fitCount = 0;
    if (!readSelection()) {
        return;
    }
    if (!SeriesStore::validSegment(state_.analysisSegment) || state_.analysisSeries < 1 ||
        state_.analysisSeries > kHighestAnalysedSeries) {
        host_.showMessage(badNumbersMessage(mechanism));
        showUnitIvChart();
        return;
    }
    const int count = selectedPointCount();
    if (count == 0) {
        host_.showMessage(kNoValuesMessage);
        showUnitIvChart();
        return;
    }
    if (fillStraightened(mechanism, count) == 0) {
        host_.showMessage(emptySelectionMessage(mechanism) + QChar('\n') + kHowToChooseWindow);
        host_.setControlText(resultLabelName(mechanism), QString());
        return;
    }
    const LineFit line = leastSquaresLine(state_.xs(), state_.ys());
    state_.fitIntercept = line.intercept;
    state_.fitSlope = line.slope;
    state_.fitDefined = line.defined;
    if (mechanism == Mechanism::Ohm) {
        setPlotRangeFromFit();
    } else {
        setPlotRangeAroundPoints();
    }
    drawStraightened(mechanism);
    host_.processEvents();
    reportFit(mechanism);
}

void AnalysisActions::showInitialChart() {
    const RunGuard guard(running_);
    if (!guard.entered()) {
        return;
    }
    host_.setAnimationDelay(0);
    if (!readSelection()) {
        return;
    }
    if (!state_.selectionInStore()) {
        host_.showMessage(kOutsideStoreMessage);
        return;
    }
    state_.plotXMin = state_.plotXMax = state_.plotYMin = state_.plotYMax = 0;
    const int count = selectedPointCount();
    const float* voltage =
        shared_.store.storedVoltage(state_.analysisSegment, state_.analysisSeries);
    const float* current =
        shared_.store.storedCurrent(state_.analysisSegment, state_.analysisSeries);
    for (int p = 1; p <= count; ++p) {
        const float v = voltage[p];
        const float i = current[p];
        state_.fitX[static_cast<size_t>(p - 1)] = v;
        state_.fitY[static_cast<size_t>(p - 1)] = i;
        state_.plotXMax = std::max(state_.plotXMax, v);
        state_.plotXMin = std::min(state_.plotXMin, v);
        state_.plotYMax = std::max(state_.plotYMax, i);
        state_.plotYMin = std::min(state_.plotYMin, i);
    }
    for (float* end : {&state_.plotXMax, &state_.plotXMin, &state_.plotYMax, &state_.plotYMin}) {
        *end = widened(*end);
    }
    const AnalysisChartFrame frame = initialChartFrame(state_, host_.logScale());
    const std::size_t points = static_cast<std::size_t>(count);
    const QRgb colour = series::IvChart::segmentColor(state_.analysisSegment);
    drawInitialChart(shared_.chart, frame, {state_.fitX.data(), points},
                     {state_.fitY.data(), points}, colour);
    host_.showChart();
    host_.setChartSource(
        [frame, colour, x = std::vector<double>(state_.fitX.begin(), state_.fitX.begin() + count),
         y = std::vector<double>(state_.fitY.begin(), state_.fitY.begin() + count)](QImage& image) {
            drawInitialChart(image, frame, x, y, colour);
        });
    host_.processEvents();
}

bool AnalysisActions::refuseWithoutSelection() {
    if (state_.selectionInStore()) {
        return false;
    }
    host_.showMessage(kNoSelectionMessage);
    return true;
}

void AnalysisActions::reportSave(int error, AnalysisSave what, const QStringList& files) {
    if (error != text::kFileOk) {
        host_.showMessage(text::fileErrorText(error));
        return;
    }
    host_.filesSaved(what, files);
}

void AnalysisActions::saveStraightened(Mechanism mechanism) {
    const RunGuard guard(running_);
    if (!guard.entered() || refuseWithoutSelection()) {
        return;
    }
    fillStraightened(mechanism, selectedPointCount());
    const std::optional<QString> chosen = host_.chooseSaveFile(kKtlDialogTitle, kKtlDialogFilter);
    if (!chosen) {
        return;
    }
    const StraightenedCurve curve{mechanism,
                                  host_.controlText(resultLabelName(mechanism)),
                                  state_.analysisSegment,
                                  state_.analysisSeries,
                                  state_.xs(),
                                  state_.ys()};
    const QString path = series::ktlSaveName(*chosen);
    reportSave(writeStraightenedFile(path, fileHeaderNow(host_.controlText(kCommentEdit)), curve),
               AnalysisSave::Straightened, {path});
}

void AnalysisActions::saveMeasuredSegment() {
    const RunGuard guard(running_);
    if (!guard.entered() || refuseWithoutSelection()) {
        return;
    }
    const std::optional<QString> chosen = host_.chooseSaveFile(kKtlDialogTitle, kKtlDialogFilter);
    if (!chosen) {
        return;
    }
    const QString path = series::ktlSaveName(*chosen);
    reportSave(
        writeMeasuredSegmentFile(path, fileHeaderNow(host_.controlText(kCommentEdit)),
                                 shared_.store, state_.analysisSegment, state_.analysisSeries),
        AnalysisSave::MeasuredSegment, {path});
}

void AnalysisActions::saveAllSeries() {
    const RunGuard guard(running_);
    if (!guard.entered()) {
        return;
    }
    const std::optional<QString> chosen =
        host_.chooseSaveFile(kAllSeriesDialogTitle, kAllSeriesDialogFilter);
    if (!chosen) {
        return;
    }
    reportSave(writeAllSeriesFiles(*chosen, shared_.store), AnalysisSave::AllSeries,
               {*chosen, logFilePath(*chosen)});
}

}  // namespace tarvix::analysis
