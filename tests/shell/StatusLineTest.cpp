// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>

#include "shell/FormFixture.h"
#include "shell/ScriptRunner.h"

using namespace tarvix::shell;
using namespace tarvix::shell::testing;

namespace {

class StatusLineTest : public FormFixture {
  protected:
    QString shown() { return form->findChild<QLabel*>(QStringLiteral("StatusText"))->text(); }
    QProgressBar* bar() { return form->findChild<QProgressBar*>(QStringLiteral("StatusProgress")); }
    // Runs `what` once, from inside the next sweep, when it is `percent` done.
    void during(int percent, std::function<void()> what) {
        auto* once = new QObject(form.get());
        QObject::connect(&form->status(), &tarvix::status::StatusService::changed, once,
                         [this, once, percent, what = std::move(what)] {
                             if (form->status().percent() >= percent) {
                                 delete once;
                                 what();
                             }
                         });
    }
    void trigger(const char* action) {
        form->findChild<QAction*>(QString::fromLatin1(action))->trigger();
    }
};

}  // namespace

TEST_F(StatusLineTest, ASweepShowsWhereItIsAndHowItEnded) {
    startForm(QStringLiteral("sim:noise=0,latency=0"));
    setText("Edit41", QStringLiteral("200"));
    QString midText;
    bool midBarShown = false;
    int midPercent = -1;
    during(10, [&] {
        midText = shown();
        midBarShown = !bar()->isHidden();
        midPercent = bar()->value();
        click("Button22");
    });
    click("Button1");
    EXPECT_TRUE(
        QRegularExpression(
            "^Voltage sweep: segment 1 of 1, repeat 1 of 1, point \\d+ of 201, -?[0-9.]+ V, "
            "\\d:\\d\\d elapsed, about \\d:\\d\\d left$")
            .match(midText)
            .hasMatch())
        << midText.toStdString();
    EXPECT_TRUE(midBarShown);
    EXPECT_GT(midPercent, 0);
    EXPECT_LT(midPercent, 100);
    EXPECT_TRUE(shown().startsWith("Voltage sweep: stopped at ")) << shown().toStdString();
    EXPECT_EQ(shown(), form->status().text());
    EXPECT_TRUE(bar()->isHidden());

    setText("Edit41", QStringLiteral("4"));
    click("Button1");
    EXPECT_EQ(shown(), "Voltage sweep: finished after 0:00");
}

// Presses that cannot act say why; the refused action leaves no trace.
TEST_F(StatusLineTest, APressThatCannotActSaysWhy) {
    startForm(QStringLiteral("none"));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(c().button("Button1"), &press);
    EXPECT_EQ(shown(), "Start does nothing: no GPIB board was found when the program started");

    startForm(QStringLiteral("sim:noise=0,latency=0"));
    setText("Edit41", QStringLiteral("100"));
    const QString file = configDir.filePath("during.ktl");
    QStringList seen;
    during(5, [&] {
        ui.queueAnswer(file);
        click("Button5");  // Save all series
        seen << shown();
        trigger("ActionStart");  // a second start
        seen << shown();
        click("Button22");
    });
    click("Button1");
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0], "\"Save all series\" waits: a measurement is running; press Stop first");
    EXPECT_EQ(seen[1], "Start does nothing: a measurement is running; press Stop to end it");
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(form->store().seriesCount, 2);  // one run, no second one queued after it
}

// Each menu entry runs its button's handler, and the status line reports the file it touched.
TEST_F(StatusLineTest, FileActionsReportThePathAndTheSeries) {
    startForm();
    setText("Edit41", QStringLiteral("4"));
    click("Button1");
    const QString ktl = configDir.filePath("one.ktl");
    struct Case {
        const char* action;
        QString answer;
        QString status;
    };
    const Case cases[] = {
        {"ActionSave", ktl, "Saved 1 series to " + ktl},
        {"ActionOpen", ktl, "Read 1 series from " + ktl},
        {"ActionExport", {}, "Exported 1 series to " + configDir.filePath("one.ktl_o")},
    };
    for (const Case& c : cases) {
        if (!c.answer.isEmpty()) {
            ui.queueAnswer(c.answer);
        }
        trigger(c.action);
        EXPECT_EQ(shown().toStdString(), c.status.toStdString()) << c.action;
    }
    EXPECT_TRUE(QFile::exists(configDir.filePath("one.ktl_o")));
}

TEST_F(StatusLineTest, ALaterStillPendingAtTheEndFailsTheRecipe) {
    startForm();
    ScriptRunner runner(*form, ui);
    EXPECT_EQ(runner.run({"later 60000 click Button22", "expect Edit41 40"}), 2);
    startForm();
    ScriptRunner fired(*form, ui);
    EXPECT_EQ(fired.run({"later 10 set Edit41 7", "wait 50", "expect Edit41 7"}), 0);
}

// A recipe reads the status line during and after a sweep, as a person would.
TEST(StatusLineProgram, RecipesPrintTheStatusLine) {
    const QString program = QStringLiteral(TARVIX_BINARY_DIR "/tarvix");
    if (!QFile::exists(program)) {
        GTEST_SKIP() << "the program is not built";
    }
    QTemporaryDir dir;
    QFile recipe(dir.filePath("recipe.txt"));
    ASSERT_TRUE(recipe.open(QIODevice::WriteOnly));
    recipe.write(
        "set Edit41 200\nlater 200 print status\nlater 400 click ActionStop\nclick Button1\n"
        "print status\n");
    recipe.close();
    QProcess process;
    process.start(program, {"--bus", "sim:noise=0,latency=2", "--script", recipe.fileName(),
                            "--config-dir", dir.path(), "-platform", "offscreen"});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith("status: Voltage sweep: segment 1 of 1, repeat 1 of 1, point "))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith("status: Voltage sweep: stopped at "))
        << lines[1].toStdString();
}

TEST_F(StatusLineTest, NamesTheDatabaseFileAtItsRightEnd) {
    startForm(QStringLiteral("sim:noise=0,latency=0"));
    EXPECT_EQ(form->findChild<QLabel*>(QStringLiteral("StatusDatabase"))->text(),
              QStringLiteral("Database: ") +
                  QDir::toNativeSeparators(
                      QDir(configDir.path()).filePath(QStringLiteral("tarvix-journal.sqlite"))));
}
