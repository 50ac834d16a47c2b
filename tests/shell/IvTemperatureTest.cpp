// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTimer>
#include <cmath>

#include "journal/JournalDatabase.h"
#include "journal/RecoveryJournal.h"
#include "plotwindow/PlotWindow.h"
#include "series/SeriesTemperatures.h"
#include "shell/FaultingBackend.h"
#include "shell/FormFixture.h"
#include "shell/ScriptRunner.h"

using namespace tarvix;
using namespace tarvix::shell::testing;

namespace {

// A short sweep, 0 V to 1 V in 10 steps, so that a sweep takes a few kelvin of the ramp.
const QString kShortSweep = QStringLiteral("set Edit41 10\nset Edit10 1\n");

QString settings(const char* from, const char* to, const char* step, const char* tolerance,
                 const char* period = "0.02") {
    return QStringLiteral(
               "menu View/I-V versus temperature\nset IvtFrom %1\nset IvtTo %2\nset IvtStep "
               "%3\nset IvtTolerance %4\nset IvtPeriod %5\n")
        .arg(from, to, step, tolerance, period);
}

class IvTemperature : public FormFixture {
  protected:
    int recipe(const QString& lines) {
        shell::ScriptRunner runner(*form, ui);
        return runner.runPart(lines.split('\n', Qt::SkipEmptyParts));
    }
    // The stored series that carry temperatures, slot by slot.
    std::vector<series::SeriesTemperatures> measured() {
        std::vector<series::SeriesTemperatures> result;
        for (int slot = 1; slot <= form->store().seriesCount; ++slot) {
            if (auto found = series::seriesTemperatures(form->store(), slot)) {
                result.push_back(*found);
            }
        }
        return result;
    }
    QString lastSend() const {
        const QStringList sends = linesStarting(QStringLiteral("send"));
        return sends.isEmpty() ? QString() : sends.last();
    }
};

}  // namespace

// Warming and cooling through the same targets: a sweep at each, in the run's order, each
// series read within the tolerance of its target (give or take the ramp during the sweep), the
// output off last, and the activation energy of the sample within 1 %.
TEST_F(IvTemperature, SweepsAtEveryTargetInBothDirectionsAndFindsTheActivationEnergy) {
    const struct {
        const char* bench;
        const char* from;
        const char* to;
    } directions[] = {
        {"temp=80..200@1200", "100", "200"},
        {"temp=220..100@1200", "200", "100"},
    };
    for (const auto& run : directions) {
        startForm(QStringLiteral("sim:noise=0,latency=0,sample=activated:0.2/1000,") + run.bench);
        ASSERT_EQ(recipe(kShortSweep + settings(run.from, run.to, "20", "3") +
                         "click IvtStart\n"
                         "expect status I-V versus temperature: finished, 6 sweeps of 6 targets\n"
                         "expect-enabled IvtStart 1\nexpect-enabled Button1 1\n"
                         "set IvtArrheniusVoltage 0.5\nclick IvtArrhenius\n"),
                  0)
            << run.bench;
        const auto series = measured();
        ASSERT_EQ(series.size(), 6u) << run.bench;
        const double first = QString(run.from).toDouble();
        const double step = first < QString(run.to).toDouble() ? 20 : -20;
        for (std::size_t k = 0; k < series.size(); ++k) {
            EXPECT_NEAR(series[k].beforeK, first + step * static_cast<double>(k), 3.0);
            EXPECT_NEAR(series[k].meanK(), first + step * static_cast<double>(k), 6.0);
        }
        EXPECT_EQ(lastSend(), QStringLiteral("send 24 0 :OUTP OFF"));
        const QString energy = text("IvtActivationEnergy");
        const QRegularExpressionMatch match =
            QRegularExpression(QStringLiteral("^Ea = (\\d\\.\\d{3}) ± \\d\\.\\d{3} eV$"))
                .match(energy);
        ASSERT_TRUE(match.hasMatch()) << energy.toStdString();
        EXPECT_NEAR(match.captured(1).toDouble(), 0.2, 0.002) << run.bench;
        // The plot window shows the Arrhenius plot while its panel is open.
        ASSERT_EQ(recipe(QStringLiteral("menu View/Plot window\n")), 0);
        auto* plotWindow = form->findChild<plotwindow::PlotWindow*>();
        ASSERT_NE(plotWindow, nullptr);
        const QString facts = plotWindow->facts().join('\n');
        EXPECT_TRUE(facts.startsWith(QStringLiteral("plot x: 1000/T (1/K) ")))
            << facts.toStdString();
        EXPECT_TRUE(facts.contains(QStringLiteral("\nplot fit: ") + energy + '\n'))
            << facts.toStdString();
        EXPECT_TRUE(ui.messages().isEmpty()) << ui.messages().join('\n').toStdString();
    }
}

// A cryostat that warms tens of kelvin during one long sweep: the targets it passed are skipped
// and named at the end.
TEST_F(IvTemperature, ATargetPassedDuringASweepIsSkippedAndReported) {
    startForm(QStringLiteral("sim:noise=0,latency=1,temp=40..300@6000"));
    ASSERT_EQ(recipe(QStringLiteral("set Edit41 200\n") + settings("100", "140", "10", "2") +
                     "click IvtStart\n"),
              0);
    ASSERT_FALSE(ui.messages().isEmpty());
    const QRegularExpression skipped(
        QStringLiteral("^skipped (1[1-4]0) K: the sample warmed past it during the sweep at "
                       "(1[0-3]0) K$"),
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = skipped.match(ui.messages().last());
    ASSERT_TRUE(match.hasMatch()) << ui.messages().last().toStdString();
    EXPECT_GT(match.captured(1).toInt(), match.captured(2).toInt());
    EXPECT_GE(measured().size(), 1u);
    EXPECT_LT(measured().size(), 5u);
}

// Faults end the run with one message and the source's output-off as the last command: the
// thermocouple that stops answering after the first sweep (three failed readings in a row), a
// reading of the sweep itself, and the multimeter's set-up.
TEST_F(IvTemperature, FaultsEndTheRunWithTheOutputOff) {
    const struct {
        const char* name;
        int address;
        Fault fault;
        int from;
        const char* message;
        const char* status;
        std::size_t series;
    } cases[] = {
        {"thermocouple", 16, Fault::Enter, 7,  // two readings of two replies, then the third
         "I-V versus temperature was ended: the thermocouple could not be read 3 times in a row.",
         "I-V versus temperature was ended: the thermocouple could not be read 3 times in a row.",
         1},
        {"sweep", 24, Fault::Enter, 4, "No reply could be read from address 24 after \":READ?\"",
         "I-V versus temperature: ended by a fault in the sweep at 100 K after 0 sweeps: No "
         "reply could be read from address 24 after \":READ?\"",
         0},
        {"set-up", 16, Fault::Send, 1,
         "I-V versus temperature was not started: ", "I-V versus temperature was not started: ", 0},
    };
    for (const auto& each : cases) {
        QString error;
        auto faulty = std::make_unique<FaultingBackend>(
            buses::createBackend(QStringLiteral("sim:noise=0,latency=0,temp=100"), &error));
        faulty->arm(each.address, each.fault, each.from);
        form.reset();
        transcript.clear();
        gpib = std::make_unique<bus::GpibBus>(
            std::make_unique<bus::TranscriptBackend>(std::move(faulty), transcript));
        ui.setEcho(false);
        forgetJournal();
        form = std::make_unique<shell::TForm1>(*gpib, ui, shell::FormOptions{configDir.path(), {}});
        form->ivState().smuModelAt = {{24, 2400}};  // no scan: the fault hits the sweep
        form->ivState().sourceMeterModel = 2400;
        const qsizetype before = ui.messages().size();
        ASSERT_EQ(recipe(kShortSweep + settings("100", "120", "10", "1") + "click IvtStart\n"), 0);
        const QStringList messages = ui.messages().mid(before);
        ASSERT_EQ(messages.size(), 1) << each.name << messages.join('\n').toStdString();
        EXPECT_TRUE(messages[0].contains(QString::fromUtf8(each.message)))
            << each.name << ": " << messages[0].toStdString();
        EXPECT_TRUE(form->status().text().startsWith(QString::fromUtf8(each.status)))
            << each.name << ": " << form->status().text().toStdString();
        EXPECT_EQ(measured().size(), each.series) << each.name;
        EXPECT_EQ(lastSend(), QStringLiteral("send 24 0 :OUTP OFF")) << each.name;
    }
}

// Stop between two targets, by the window's Stop, by closing the window (Esc does the same) and
// by the I-V panel's Stop: the run ends before the next target with the output off, and the
// instruments are free again.
TEST_F(IvTemperature, StopBetweenTwoTargetsEndsTheRun) {
    const struct {
        const char* name;
        std::function<void()> stop;
    } ways[] = {
        {"IvtStop", [this] { click("IvtStop"); }},
        {"closing the window", [this] { c().find(QStringLiteral("IvtWindow"))->close(); }},
        {"Button22", [this] { click("Button22"); }},
    };
    for (const auto& way : ways) {
        startForm(QStringLiteral("sim:noise=0,latency=0,temp=90..300@600"));
        QTimer::singleShot(1500, form.get(), way.stop);
        ASSERT_EQ(recipe(kShortSweep + settings("100", "300", "50", "2") +
                         "later 700 expect-enabled Button1 0\n"
                         "later 700 expect-enabled Button27 0\n"
                         "reply yes\nlater 900 click Button4\n"  // Delete is refused
                         "click IvtStart\n"
                         "expect status I-V versus temperature: stopped after 1 sweep\n"
                         "expect-enabled Button1 1\n"),
                  0)
            << way.name;
        EXPECT_EQ(measured().size(), 1u) << way.name;
        EXPECT_EQ(lastSend(), QStringLiteral("send 24 0 :OUTP OFF")) << way.name;
    }
}

// The series keep their temperatures: the label line of the .ktl file, the tidy table's
// temperature_K, and in the journal the comment " @ T K" and both readings.
TEST_F(IvTemperature, EachSeriesKeepsItsTemperatures) {
    startForm(QStringLiteral("sim:noise=0,latency=0,temp=90..300@1200"));
    QTemporaryDir files;
    const QString ktl = files.filePath(QStringLiteral("run.ktl"));
    const QString csv = files.filePath(QStringLiteral("run.csv"));
    ASSERT_EQ(recipe(kShortSweep + QStringLiteral("set Edit44 film A\n") +
                     settings("100", "120", "10", "2") + "click IvtStart\n" + "answer " + ktl +
                     "\nclick Button5\nanswer " + csv + "\nclick ExportTidyCsv\n"),
              0);
    const auto series = measured();
    ASSERT_EQ(series.size(), 3u);
    QFile saved(ktl);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QString content = QString::fromLatin1(saved.readAll());
    EXPECT_EQ(content.count(QRegularExpression(
                  QStringLiteral("ms @ \\d+\\.\\d\\d\\.\\.\\d+\\.\\d\\d K\r\n"))),
              3);
    QFile table(csv);
    ASSERT_TRUE(table.open(QIODevice::ReadOnly));
    const QStringList rows = QString::fromUtf8(table.readAll()).split('\n', Qt::SkipEmptyParts);
    const QStringList data = rows.filter(QRegularExpression(QStringLiteral("^[^#]")));
    ASSERT_EQ(data.size(), 1 + 3 * 11);
    EXPECT_TRUE(data[0].endsWith(QStringLiteral(",compliance,temperature_K")))
        << data[0].toStdString();
    EXPECT_NEAR(data[1].section(',', -1).toDouble(), series[0].meanK(), 1e-9);

    QSqlQuery query(form->journal().database().database());
    ASSERT_TRUE(query.exec(QStringLiteral(
        "SELECT m.comment, b.value, a.value FROM measurement m "
        "JOIN context b ON b.measurement_id = m.id AND b.key = 'temperature_before_K' "
        "JOIN context a ON a.measurement_id = m.id AND a.key = 'temperature_after_K' "
        "ORDER BY m.id")));
    int rowsFound = 0;
    while (query.next()) {
        const auto& kept = series[static_cast<std::size_t>(rowsFound++)];
        EXPECT_EQ(query.value(0).toString(),
                  QStringLiteral("film A @ %1 K").arg(kept.meanK(), 0, 'f', 1));
        EXPECT_NEAR(query.value(1).toDouble(), kept.beforeK, 0.005);
        EXPECT_NEAR(query.value(2).toDouble(), kept.afterK, 0.005);
    }
    EXPECT_EQ(rowsFound, 3);

    form->findChild<QAction*>(QStringLiteral("HistoryMenuItem"))->trigger();
    auto* history = qobject_cast<QListWidget*>(c().find(QStringLiteral("HistoryList")));
    ASSERT_NE(history, nullptr);
    const QString first = QStringLiteral("film A @ %1 K").arg(series[0].meanK(), 0, 'f', 1);
    EXPECT_EQ(history->findItems(first, Qt::MatchContains).size(), 1) << first.toStdString();
}

// What cannot run is refused before anything is sent, with the reason.
TEST_F(IvTemperature, RefusesWhatCannotRun) {
    startForm();
    const struct {
        const char* lines;
        const char* message;
    } cases[] = {
        {"set IvtTolerance 6", "The tolerance must be above 0 K and below half the step (5 K)."},
        {"set IvtFrom abc", "\"From (K)\" is not a number: \"abc\"."},
        {"check RadioButton1",
         "I-V versus temperature runs the voltage sweep: choose \"Voltage sweep\" on the I-V "
         "panel."},
        {"set IvtStep 1",  // 201 targets
         "At most 150 target temperatures: take a larger step."},
        {"set IvtStep 2",  // 101 targets, 201 slots
         "I-V versus temperature takes 101 sweeps, which need 201 slots of the store (each "
         "Start leaves an empty one after its series); it has room for 150. Save the series and "
         "press \"Delete\" first."},
    };
    for (const auto& each : cases) {
        ui = {};
        ASSERT_EQ(recipe(settings("100", "300", "10", "0.5") + "check RadioButton2\n" + each.lines +
                         "\nclick IvtStart\n"),
                  0);
        EXPECT_EQ(ui.messages(), QStringList(QString::fromUtf8(each.message))) << each.lines;
    }
    EXPECT_TRUE(linesStarting(QStringLiteral("send")).isEmpty());
}
