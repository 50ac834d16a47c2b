// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>

#include "journal/RecoveryJournal.h"
#include "plotwindow/PlotCanvas.h"
#include "plotwindow/PlotWindow.h"
#include "plotwindow/SeriesListPanel.h"
#include "shell/FormFixture.h"
#include "shell/ScriptRunner.h"

using namespace tarvix::shell;
using namespace tarvix::shell::testing;
using tarvix::plotwindow::PlotWindow;

namespace {

// A 20 kΩ sample swept from 0 to 2 V: a curve up to 100 µA.
const QString kBench = QStringLiteral("sim:noise=0,latency=0,sample=resistor:20000");

class PlotWindowRecipe : public FormFixture {
  protected:
    // Runs the lines and leaves the window open (a whole recipe closes it at its end).
    int run(const QString& lines) {
        ScriptRunner runner(*form, ui);
        return runner.runPart(lines.split('\n'));
    }
    PlotWindow* window() { return form->findChild<PlotWindow*>(); }
    QString facts() { return window()->facts().join('\n'); }
    void sweep(int times) {
        setText("Edit6", QStringLiteral("1E-3"));
        for (int i = 0; i < times; ++i) {
            click("Button1");
        }
    }
};

TEST_F(PlotWindowRecipe, AHundredMicroampereCurveFillsTheWindowAndTheMouseReadsIt) {
    startForm(kBench);
    sweep(1);
    ASSERT_EQ(run("menu View/Plot window\nplot size 1200 800"), 0);
    ASSERT_NE(window(), nullptr);
    EXPECT_EQ(window()->size(), QSize(1200, 800));
    const tarvix::plot::PlotView view = window()->session().view();
    EXPECT_LE(view.y.low, 0.0);
    EXPECT_GT(100e-6 / (view.y.high - view.y.low), 0.85) << facts().toStdString();
    EXPECT_GT(2.0 / (view.x.high - view.x.low), 0.85);
    EXPECT_TRUE(facts().startsWith("plot x: Voltage (V) ")) << facts().toStdString();
    EXPECT_TRUE(facts().contains("\nplot y: Current (A) "));
    EXPECT_TRUE(facts().contains("\nplot series: 1 "));
    EXPECT_TRUE(facts().contains(" 41 shown\n"));
    EXPECT_TRUE(facts().endsWith("plot fit: \nplot compliance: 0"));

    // The knee, zoomed into by a recipe and then by a rubber band of the mouse.
    ASSERT_EQ(run("plot zoom 0.8 1.2 4e-5 6e-5\nplot hover 1 5e-5"), 0);
    EXPECT_TRUE(
        facts().contains("plot readout: Series 1 \"Comments\", segment 1: V = 1.000 V, "
                         "I = 50.00 µA, V/I = 20.00 kΩ"))
        << facts().toStdString();
    auto& canvas = window()->canvas();
    const tarvix::plot::PlotFrame frame = canvas.currentFrame();
    const QPointF from(frame.x.pixel(0.9), frame.y.pixel(5.5e-5));
    const QPointF to(frame.x.pixel(1.1), frame.y.pixel(4.5e-5));
    QMouseEvent press(QEvent::MouseButtonPress, from, from, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent move(QEvent::MouseMove, to, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, to, to, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&canvas, &press);
    QApplication::sendEvent(&canvas, &move);
    QApplication::sendEvent(&canvas, &release);
    const tarvix::plot::PlotView band = window()->session().view();
    EXPECT_NEAR(band.x.low, 0.9, 0.002);
    EXPECT_NEAR(band.x.high, 1.1, 0.002);
    EXPECT_NEAR(band.y.high, 5.5e-5, 1e-7);
    QTest::keyClick(&canvas, Qt::Key_Backspace);
    EXPECT_NEAR(window()->session().view().x.low, 0.8, 1e-9);
    QTest::keyClick(&canvas, Qt::Key_Home);
    EXPECT_TRUE(window()->session().zoom().autoscaled());

    // The main chart's cursor lists the current of the series at its voltage.
    c().scrollBar("ScrollBar2")->setValue(7500);  // 1 V between -2 and 2
    window()->refresh();
    EXPECT_TRUE(facts().contains("plot readout: At 1.000 V: #1 50.00 µA")) << facts().toStdString();
}

// While a sweep runs, the window follows the running run point by point.
TEST_F(PlotWindowRecipe, TheRunningSweepIsShownAsItIsMeasured) {
    startForm(QStringLiteral("sim:noise=0,latency=1,sample=resistor:20000"));
    ASSERT_EQ(run("menu View/Plot window\nset Edit41 400"), 0);
    int seen = 0;
    QTimer::singleShot(150, window(), [&] {
        window()->refresh();
        const auto& series = window()->session().series();
        if (!series.empty() && series.back().live) {
            seen = series.back().points();
        }
    });
    sweep(1);
    EXPECT_GT(seen, 0);
    EXPECT_LT(seen, 401);
    window()->refresh();
    EXPECT_TRUE(facts().contains("plot series: 1 Comments 401 shown")) << facts().toStdString();
    EXPECT_FALSE(facts().contains("plot series: live"));
}

// A 1 kΩ resistor swept to 2 V against 100 µA sits at the limit from 0.10 V on: the window
// counts those points, marks them, and says so of the point under the mouse.
TEST_F(PlotWindowRecipe, PointsAtComplianceAreCountedAndNamed) {
    startForm(QStringLiteral("sim:noise=0,latency=0,sample=resistor:1000"));
    setText("Edit6", QStringLiteral("1E-4"));
    click("Button1");
    ASSERT_EQ(run("menu View/Plot window\nplot hover 2 1e-4"), 0);
    EXPECT_TRUE(facts().contains("plot compliance: 39")) << facts().toStdString();
    EXPECT_TRUE(facts().contains("V = 2.000 V, I = 100.0 µA, V/I = 20.00 kΩ, at compliance"));
    ASSERT_EQ(run("plot hover 0 0"), 0);
    EXPECT_FALSE(facts().contains("at compliance"));
    ASSERT_EQ(run("plot hide 1"), 0);
    EXPECT_TRUE(facts().contains("plot compliance: 0"));
}

TEST_F(PlotWindowRecipe, TheListHidesOneSeriesAndDeletesAnotherAfterAQuestion) {
    startForm(kBench);
    sweep(3);
    ASSERT_EQ(run("menu View/Plot window\nplot hide 2"), 0);
    // Each sweep leaves an empty slot after it: the series sit in slots 1, 3 and 5.
    EXPECT_TRUE(facts().contains("plot series: 2 Comments 41 hidden")) << facts().toStdString();
    EXPECT_EQ(run("plot hide 9"), 2);
    // The main chart's cursor reads every shown series between its points.
    c().scrollBar("ScrollBar2")->setValue(7550);  // 1.02 V between -2 and 2
    window()->refresh();
    EXPECT_TRUE(facts().contains("plot readout: At 1.020 V: #1 51.00 µA; #3 51.00 µA\n"))
        << facts().toStdString();

    auto& list = window()->seriesList();
    const int third = window()->session().keyOf(3);
    ASSERT_EQ(third, 5);
    list.setCurrentItem(list.rowOf(third, false));
    ui.queueReply(false);
    QTest::keyClick(&list, Qt::Key_Delete);
    EXPECT_EQ(form->store().storedCount(1, third), 41);
    const auto measurement = form->journal().series().measurementIn(third);
    ASSERT_NE(measurement, 0);
    ui.queueReply(true);
    QTest::keyClick(&list, Qt::Key_Delete);
    EXPECT_EQ(ui.questions().last(), "Remove series 3 from the store?");
    EXPECT_EQ(form->store().storedCount(1, third), 0);
    EXPECT_EQ(form->store().storedCount(1, 3), 41);
    EXPECT_FALSE(facts().contains("plot series: 3 "));
    EXPECT_EQ(window()->statusText(), "Series 3 removed");
    QSqlQuery state(form->journal().database().database());
    state.exec(QStringLiteral("SELECT state FROM measurement WHERE id = %1").arg(measurement));
    ASSERT_TRUE(state.next());
    EXPECT_EQ(state.value(0).toString(), "deleted");

    // A comment typed into the list goes to the measurement in the journal.
    list.rowOf(1, false)->setText(tarvix::plotwindow::SeriesListPanel::kComment, "annealed");
    EXPECT_TRUE(facts().contains("plot series: 2 Comments 41 hidden"));
    EXPECT_TRUE(facts().contains("plot series: 1 annealed 41 shown")) << facts().toStdString();
}

TEST_F(PlotWindowRecipe, SavesPicturesAndScreenshotsAndKeepsItsPlace) {
    startForm(kBench);
    sweep(1);
    const QString svg = configDir.filePath("knee.svg");
    const QString shot = configDir.filePath("plot.png");
    ASSERT_EQ(run("menu View/Plot window\nplot size 900 600\nplot log on\nplot save " + svg +
                  "\nscreenshot PlotWindow " + shot),
              0);
    EXPECT_EQ(window()->statusText(), "The plot was saved as SVG to " + svg);
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString picture = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(picture.contains("|Current| (A)"));
    EXPECT_TRUE(picture.contains("Voltage (V)"));
    EXPECT_TRUE(picture.contains(">#1 "));
    EXPECT_EQ(QImage(shot).size(), QSize(900, 600));
    EXPECT_TRUE(facts().contains("plot readout: 1 point ≤ 0 not shown")) << facts().toStdString();
    ASSERT_EQ(run("plot save " + configDir.filePath("knee.gif")), 0);
    EXPECT_TRUE(window()->statusText().startsWith("The plot could not be saved to "));

    form->close();
    startForm(kBench);
    ASSERT_EQ(run("menu View/Plot window"), 0);
    EXPECT_EQ(window()->size(), QSize(900, 600));
}

// The window shows what the panel on view measures: the four-probe record against
// temperature or time as the operator chooses, the LCR sweep on a log axis (not its test
// curve), and the I-V store again.
TEST_F(PlotWindowRecipe, FollowsThePanelOnView) {
    startForm(QStringLiteral("sim:noise=0,latency=0,temp=280..300@60"));
    ASSERT_EQ(run("menu View/Plot window"), 0);
    c().setVisible(QStringLiteral("GroupBox7"), true);
    setChecked("RadioButton59", true);
    ui.queueAnswer(configDir.filePath("warming.temp"));
    click("Button27");
    auto* timer = form->findChild<QTimer*>(QStringLiteral("Timer1"));
    for (int i = 0; i < 4; ++i) {
        QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
    }
    click("Button28");
    QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
    window()->refresh();
    EXPECT_TRUE(facts().startsWith("plot x: Temperature (°C) ")) << facts().toStdString();
    EXPECT_TRUE(facts().contains("\nplot y: Resistance (Ω) "));
    EXPECT_TRUE(facts().contains("\nplot series: 1  ")) << facts().toStdString();
    auto* choice = window()->findChild<QComboBox*>(QStringLiteral("PlotSource"));
    ASSERT_NE(choice, nullptr);
    EXPECT_FALSE(choice->isHidden());
    ASSERT_EQ(choice->count(), 2);
    emit choice->activated(1);
    EXPECT_TRUE(facts().startsWith("plot x: Time (s) ")) << facts().toStdString();

    setChecked("RadioButton60", true);
    window()->refresh();
    EXPECT_TRUE(facts().startsWith("plot x: Frequency (Hz) ")) << facts().toStdString();
    EXPECT_TRUE(facts().section('\n', 0, 0).endsWith(" log"));
    EXPECT_FALSE(facts().contains("plot series:"));
    EXPECT_TRUE(choice->isHidden());
}

// While the main chart shows a straightening, the window shows it too: the straightened
// points with their fitted line, the axes named for the straightening, and the fit's numbers
// with the permittivity, in the window, in its facts and in a picture. New sample fields give
// new numbers; the I-V chart drawn again takes the window back to the store.
TEST_F(PlotWindowRecipe, ShowsTheStraightenedCurveWithItsLineAndFitWhileTheAnalysisIsOnView) {
    startForm();  // the simulated Poole–Frenkel film
    setText("Edit6", QStringLiteral("0.01"));
    setText("Edit10", QStringLiteral("20"));
    click("Button1");
    c().scrollBar(QStringLiteral("ScrollBar1"))->setValue(7500);  // from 10 V
    ASSERT_EQ(run("menu View/Plot window\nplot zoom 1 2 0 1e-4"), 0);
    click("PF");
    ASSERT_TRUE(ui.messages().isEmpty()) << ui.messages().join('\n').toStdString();
    window()->refresh();
    EXPECT_TRUE(facts().startsWith("plot x: √|V| (V^½) ")) << facts().toStdString();
    EXPECT_TRUE(facts().contains("\nplot y: ln(|I|/|V|) "));
    EXPECT_TRUE(window()->session().zoom().autoscaled());
    EXPECT_TRUE(facts().contains("\nplot series: 1 Series 1, segment 1 21 shown\n"))
        << facts().toStdString();
    const auto fitFacts = [&] {
        QStringList lines;
        for (const QString& line : text("FitSummary").split('\n')) {
            lines << "plot fit: " + line;
        }
        return lines.join('\n');
    };
    EXPECT_TRUE(fitFacts().contains("plot fit: εr = ")) << fitFacts().toStdString();
    EXPECT_TRUE(facts().contains(fitFacts())) << facts().toStdString();
    EXPECT_TRUE(window()->session().fitLine());

    setText("FitThickness", QStringLiteral("1000"));
    window()->refresh();
    EXPECT_TRUE(facts().contains(fitFacts())) << facts().toStdString();

    const QString svg = configDir.filePath("pf.svg");
    ASSERT_EQ(run("plot save " + svg), 0);
    QFile file(svg);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString picture = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(picture.contains("fitted line"));
    EXPECT_TRUE(picture.contains("ln(|I|/|V|)"));
    EXPECT_TRUE(picture.contains("Series 1, segment 1"));

    auto* choice = window()->findChild<QComboBox*>(QStringLiteral("PlotSource"));
    ASSERT_EQ(choice->count(), 2);
    EXPECT_EQ(choice->itemText(0), "Poole–Frenkel plot");
    setText("Edit5", QStringLiteral("0.0002"));  // its handler draws the I-V chart again
    window()->refresh();
    EXPECT_TRUE(facts().startsWith("plot x: Voltage (V) ")) << facts().toStdString();
    EXPECT_TRUE(facts().contains("\nplot fit: \n"));
}

TEST_F(PlotWindowRecipe, FitToDataWritesTheDataRangeIntoTheLimitEdits) {
    startForm(kBench);
    EXPECT_EQ(run("print plot"), 2);  // not open yet
    sweep(1);
    ASSERT_EQ(run("click ActionFitToData"), 0);
    EXPECT_EQ(text("Edit2"), "0");
    EXPECT_EQ(text("Edit3"), "2");
    EXPECT_EQ(text("Edit4"), "0");
    EXPECT_EQ(text("Edit5"), "0.0001");
    EXPECT_DOUBLE_EQ(form->ivState().currentMax, 1e-4);

    // A double-click on the chart opens the plot window.
    QWidget* chart = c().find(QStringLiteral("PaintBox1"));
    QTest::mouseDClick(chart, Qt::LeftButton);
    ASSERT_NE(window(), nullptr);
    EXPECT_TRUE(window()->isVisible());
}

}  // namespace
