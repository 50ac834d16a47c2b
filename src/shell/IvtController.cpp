// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/IvtController.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <cmath>

#include "iv/OutputGuard.h"
#include "ivtwindow/ArrheniusCurve.h"
#include "ivtwindow/ArrheniusPicture.h"
#include "journal/MeasurementContext.h"
#include "journal/RecoveryJournal.h"
#include "plot/CurveSource.h"
#include "series/KtlFileStoreSteps.h"
#include "series/SeriesTemperatures.h"
#include "shell/StartController.h"
#include "text/CsvWriter.h"
#include "text/DecimalParse.h"
#include "text/FileError.h"
#include "thermo/ThermocoupleProcedures.h"

namespace tarvix::shell {

namespace {

using Step = ivtemp::IvtProcedure::Step;

// The pause between readings is cut into slices, so that Stop is seen soon.
constexpr int kWaitSliceMs = 20;

const QString kCsvFilter = QStringLiteral("CSV table (*.csv)|*.csv");

QString sweepsText(int sweeps) {
    return sweeps == 1 ? QObject::tr("1 sweep") : QObject::tr("%1 sweeps").arg(sweeps);
}

}  // namespace

const QString IvtController::kProcedure = QStringLiteral("I-V versus temperature");

IvtController::IvtController(TForm1& form)
    : PanelController(form),
      arrhenius_(std::make_unique<plot::CurveSource>()),
      link_(form.gpib()) {}

IvtController::~IvtController() = default;

void IvtController::wire() {
    window_ = new ivtwindow::IvtWindow(*this, &form_);
    window_->hide();
    if (auto* view = form_.menuBar()->findChild<QMenu*>(QStringLiteral("MenuView"))) {
        QAction* open = view->addAction(QObject::tr("I-V versus temperature"));
        open->setObjectName(QStringLiteral("ActionIvTemperature"));
        QObject::connect(open, &QAction::triggered, &form_, [this] { openWindow(); });
    }
    // The I-V panel's Stop (and Esc on the main window) ends the whole procedure.
    QObject::connect(c().button("Button22"), &QPushButton::clicked, &form_, [this] {
        if (running_) {
            stopRequested_ = true;
        }
    });
}

void IvtController::openWindow() {
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void IvtController::ivtStop() {
    if (running_) {
        stopRequested_ = true;
        form_.ivState().stopRequested = true;  // the sweep under way ends after its point
    }
}

std::optional<ivtemp::IvtSettings> IvtController::readSettings() {
    const struct {
        const char* edit;
        const char* caption;
        double ivtemp::IvtSettings::*field;
    } fields[] = {
        {"IvtFrom", "From (K)", &ivtemp::IvtSettings::fromK},
        {"IvtTo", "To (K)", &ivtemp::IvtSettings::toK},
        {"IvtStep", "Step (K)", &ivtemp::IvtSettings::stepK},
        {"IvtTolerance", "Tolerance (K)", &ivtemp::IvtSettings::toleranceK},
        {"IvtPeriod", "Reading period (s)", &ivtemp::IvtSettings::periodS},
    };
    ivtemp::IvtSettings settings;
    for (const auto& field : fields) {
        const QString text = window_->text(field.edit);
        const auto value = text::parseDecimal(text);
        if (!value) {
            form_.ui().showMessage(QObject::tr("\"%1\" is not a number: \"%2\".")
                                       .arg(QObject::tr(field.caption), text));
            return std::nullopt;
        }
        settings.*field.field = *value;
    }
    return settings;
}

// Each sweep's series takes a slot and the Start's common end leaves the next one empty, as
// every voltage sweep does: n targets need 2n - 1 slots.
QString IvtController::startProblem(const ivtemp::IvtSettings& settings) const {
    if (const QString problem = ivtemp::settingsProblem(settings); !problem.isEmpty()) {
        return problem;
    }
    if (!form_.controls().checked(QStringLiteral("RadioButton2"))) {
        return QObject::tr("%1 runs the voltage sweep: choose \"Voltage sweep\" on the I-V panel.")
            .arg(kProcedure);
    }
    const int targets = static_cast<int>(ivtemp::targetsOf(settings).size());
    const int room = std::max(0, series::SeriesStore::kMaxSeries - form_.store().seriesCount);
    if (2 * targets - 1 > room) {
        return QObject::tr(
                   "%1 takes %2 sweeps, which need %3 slots of the store (each Start "
                   "leaves an empty one after its series); it has room for %4. Save the "
                   "series and press \"Delete\" first.")
            .arg(kProcedure)
            .arg(targets)
            .arg(2 * targets - 1)
            .arg(room);
    }
    return {};
}

void IvtController::ivtStart() {
    if (running_ || form_.ivState().actionRunning) {
        return;
    }
    const auto settings = readSettings();
    if (!settings) {
        return;
    }
    if (const QString problem = startProblem(*settings); !problem.isEmpty()) {
        form_.ui().showMessage(problem);
        return;
    }
    smuAddress_ = c().checked(QStringLiteral("RadioButton90")) ? 26 : 24;
    auto lease = form_.acquireBus(kProcedure, [this] { shutDown(); });
    if (!lease) {
        return;
    }
    running_ = true;
    form_.ivState().sweepProcedureRunning = true;
    stopRequested_ = false;
    window_->setRunning(true);
    run(*settings, *lease);
    lease->end();
    running_ = false;
    form_.ivState().sweepProcedureRunning = false;
    window_->setRunning(false);
}

// The scanner opens its channels and the source's output goes off, last.
void IvtController::shutDown() {
    link_.send(thermo::kMultimeterAddress, ":rout:open:all");
    const QByteArray off = iv::OutputGuard::offCommand(smuAddress_).toLatin1();
    link_.send(smuAddress_, off);
}

void IvtController::run(const ivtemp::IvtSettings& settings, bus::BusLease& lease) {
    ivtemp::IvtProcedure procedure(settings);
    runSeries_.clear();
    sweepRefused_ = false;
    sweepFault_.clear();
    setUpFault_.clear();
    window_->setReport({});
    link_.setTimeout();
    link_.beginReading();
    if (!link_.send(thermo::kMultimeterAddress, "*RST") || !thermo::setUpThermocouple(link_)) {
        setUpFault_ = link_.fault()->text();
        finish(procedure, Step::Failed);
        return;
    }
    clock_.start();
    Step step = Step::Wait;
    while (!stopRequested_ && !lease.endRequested()) {
        const auto kelvin = readKelvin();
        step = procedure.reading(seconds(), kelvin);
        if (step == Step::Sweep) {
            step = sweepAtTarget(procedure, *kelvin);
        }
        const QString status = procedure.statusText();
        if (!status.isEmpty() && step == Step::Wait) {
            form_.status().say(status);
            window_->setReport(status);
        }
        if (step != Step::Wait || sweepRefused_ || !sweepFault_.isEmpty()) {
            break;
        }
        waitPeriod(settings.periodS, lease);
    }
    finish(procedure, step);
}

Step IvtController::sweepAtTarget(ivtemp::IvtProcedure& procedure, double beforeK) {
    form_.ivState().stopRequested = false;
    const StartController::ProcedureSweep sweep = form_.startAction().runProcedureSweep();
    if (sweep.refused || !sweep.fault.isEmpty()) {
        sweepRefused_ = sweep.refused;
        sweepFault_ = sweep.fault;
        return Step::Wait;
    }
    const auto afterK = readKelvin();
    const Step step = procedure.sweepDone(beforeK, seconds(), afterK);
    if (sweep.slot != 0) {
        keepTemperatures(sweep.slot, procedure.measured().back());
    }
    return step;
}

// A reading that failed, did not convert or has no real root (-1 K) is no temperature.
std::optional<double> IvtController::readKelvin() {
    const thermo::ThermocoupleSample sample = thermo::readThermocouple(link_);
    if (sample.fault || !std::isfinite(sample.kelvin) || sample.kelvin <= 0) {
        return std::nullopt;
    }
    return sample.kelvin;
}

void IvtController::waitPeriod(double periodS, const bus::BusLease& lease) {
    const double until = seconds() + periodS;
    while (seconds() < until && !stopRequested_ && !lease.endRequested()) {
        form_.sleepMs(std::min(kWaitSliceMs, static_cast<int>((until - seconds()) * 1000) + 1));
    }
}

// The series carries its temperatures in its labels (and so into the .ktl file and the tidy
// table) and, in the journal, in its comment, its context and its labels.
void IvtController::keepTemperatures(int slot, const ivtemp::IvtProcedure::Measured& measured) {
    series::SeriesStore& store = form_.store();
    // The hundredths the label keeps, so that the comment's mean is the one a file gives back.
    const auto hundredths = [](double kelvin) { return std::round(kelvin * 100) / 100; };
    const series::SeriesTemperatures temperatures{hundredths(measured.beforeK),
                                                  hundredths(measured.afterK)};
    const qint64 id = form_.journal().series().measurementIn(slot);
    journal::JournalStatements statements;
    for (int segment = 1; segment <= series::SeriesStore::kSegments; ++segment) {
        if (store.storedCount(segment, slot) == 0) {
            continue;
        }
        QString& label = store.segmentLabel(segment, slot);
        label = series::labelWithTemperatures(label, temperatures);
        statements.push_back({QStringLiteral("INSERT OR REPLACE INTO segment (measurement_id, "
                                             "segment, label) VALUES (?, ?, ?)"),
                              {id, segment, label}});
    }
    runSeries_.emplace_back(slot, store.seriesRevision(slot));
    if (id <= 0) {
        return;
    }
    const QString comment = QStringLiteral("%1 @ %2 K")
                                .arg(c().text(QStringLiteral("Edit44")))
                                .arg(temperatures.meanK(), 0, 'f', 1);
    journal::JournalStatements context = journal::contextStatements(
        id, {comment,
             {{QStringLiteral("target_K"), ivtemp::kelvinText(measured.targetK)},
              {QStringLiteral("temperature_before_K"), QString::number(measured.beforeK, 'f', 2)},
              {QStringLiteral("temperature_after_K"), QString::number(measured.afterK, 'f', 2)}}});
    context.insert(context.end(), statements.begin(), statements.end());
    form_.journal().database().write(context);
}

// The run's report: how many sweeps, the targets skipped, and what ended it early.
void IvtController::finish(const ivtemp::IvtProcedure& procedure, Step last) {
    const int sweeps = static_cast<int>(procedure.measured().size());
    QStringList lines = procedure.skipped();
    QString outcome;
    if (!setUpFault_.isEmpty()) {
        outcome = QObject::tr("%1 was not started: %2.").arg(kProcedure, setUpFault_);
        lines.prepend(outcome);
    } else if (last == Step::Failed) {
        outcome = procedure.failureText();
        lines.prepend(outcome);
    } else if (!sweepFault_.isEmpty()) {
        outcome = QObject::tr("%1: ended by a fault in the sweep at %2 K after %3: %4")
                      .arg(kProcedure, ivtemp::kelvinText(procedure.target()), sweepsText(sweeps),
                           sweepFault_);
    } else if (sweepRefused_) {
        // The Start's own message has said why.
        outcome = QObject::tr("%1: ended, the sweep at %2 K could not start, after %3")
                      .arg(kProcedure, ivtemp::kelvinText(procedure.target()), sweepsText(sweeps));
    } else if (last == Step::Finished) {
        outcome = QObject::tr("%1: finished, %2 of %3 targets")
                      .arg(kProcedure, sweepsText(sweeps))
                      .arg(procedure.targetCount());
    } else {
        outcome = QObject::tr("%1: stopped after %2").arg(kProcedure, sweepsText(sweeps));
    }
    form_.status().say(outcome);
    window_->setReport(QStringList(outcome).join(QLatin1Char('\n')) +
                       (procedure.skipped().isEmpty()
                            ? QString()
                            : QLatin1Char('\n') + procedure.skipped().join(QLatin1Char('\n'))));
    if (!lines.isEmpty()) {
        form_.ui().showMessage(lines.join(QLatin1Char('\n')));
    }
}

// The run's series while the store still holds them as measured; otherwise (after an open,
// say) every stored series that carries temperatures.
std::vector<int> IvtController::arrheniusSeries() const {
    std::vector<int> run;
    for (const auto& [slot, revision] : runSeries_) {
        if (form_.store().seriesRevision(slot) != revision) {
            run.clear();
            break;
        }
        run.push_back(slot);
    }
    if (!run.empty()) {
        return run;
    }
    std::vector<int> all;
    for (int slot = 1; slot <= std::min(form_.store().seriesCount, series::SeriesStore::kMaxSeries);
         ++slot) {
        all.push_back(slot);
    }
    return all;
}

std::optional<std::vector<ivtemp::ArrheniusPoint>> IvtController::arrheniusTable() {
    const QString text = window_->text("IvtArrheniusVoltage");
    const auto volts = text::parseDecimal(text);
    if (!volts) {
        form_.ui().showMessage(QObject::tr("\"%1\" is not a number: \"%2\".")
                                   .arg(QObject::tr("Arrhenius at (V)"), text));
        return std::nullopt;
    }
    return ivtemp::arrheniusPoints(form_.store(), arrheniusSeries(), *volts);
}

void IvtController::ivtArrhenius() {
    const auto points = arrheniusTable();
    if (!points) {
        return;
    }
    const auto fit = ivtemp::fitArrhenius(*points);
    arrhenius_->set(ivtwindow::arrheniusCurve(*points, fit));
    window_->showPlot(ivtwindow::arrheniusPicture(
        {ivtwindow::IvtWindow::kPlotWidth, ivtwindow::IvtWindow::kPlotHeight}, *points, fit));
    if (!fit) {
        window_->setActivationEnergy({});
        form_.ui().showMessage(
            QObject::tr("The Arrhenius fit needs series at two temperatures or more whose "
                        "voltages reach %1 V; %2 found.")
                .arg(window_->text("IvtArrheniusVoltage"))
                .arg(points->size()));
        return;
    }
    window_->setActivationEnergy(ivtemp::activationText(*fit));
}

const plot::PlotSource* IvtController::arrheniusOnView() const {
    if (window_ == nullptr || window_->isHidden() || arrhenius_->empty()) {
        return nullptr;
    }
    return arrhenius_.get();
}

void IvtController::ivtExportTable() {
    const auto points = arrheniusTable();
    if (!points) {
        return;
    }
    const auto path = form_.ui().saveFileName(QObject::tr("Save the Arrhenius table"), kCsvFilter);
    if (!path) {
        return;
    }
    text::CsvHeading heading;
    heading.comment = c().text(QStringLiteral("Edit44"));
    heading.written = QDateTime::currentDateTime();
    heading.notes << QStringLiteral("voltage: %1 V").arg(window_->text("IvtArrheniusVoltage"));
    if (const int error = ivtemp::writeArrheniusCsv(*path, *points, heading); error != 0) {
        form_.ui().showMessage(text::fileErrorText(error));
        return;
    }
    form_.status().say(QObject::tr("Arrhenius table of %1 series written to %2")
                           .arg(points->size())
                           .arg(QFileInfo(*path).fileName()));
}

}  // namespace tarvix::shell
