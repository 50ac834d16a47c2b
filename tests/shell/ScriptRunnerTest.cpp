// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>
#include <QImage>
#include <QProcess>

#include "shell/FormFixture.h"
#include "shell/ScriptRunner.h"

using namespace tarvix::shell;
using namespace tarvix::shell::testing;

namespace {

class Recipe : public FormFixture {
  protected:
    int run(const QString& recipe) {
        ScriptRunner runner(*form, ui);
        return runner.run(recipe.split('\n'));
    }
};

}  // namespace

TEST_F(Recipe, SetCheckClickAndExpectationsThatHold) {
    startForm();
    const int status =
        run("# a comment\n"
            "\n"
            "set Edit10 3\n"
            "expect Edit12 3\n"
            "expect Edit40 0.075000\n"
            "check RadioButton75\n"
            "expect-checked RadioButton75 1\n"
            "expect-visible ScrollBar2 0\n"
            "menu View/Analysis tools\n"
            "expect-visible Button17 1\n"
            "uncheck CheckBox13\n"
            "expect-checked CheckBox13 0\n"
            "scroll ScrollBar2 5000\n"
            "expect Label24 0\n"
            "expect-enabled Button1 1\n"
            "set Edit44 a comment with  two blanks\n"
            "expect Edit44 a comment with  two blanks\n");
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(form->isHidden());  // the window closes at the end of a recipe
}

TEST_F(Recipe, AFailedExpectationStopsWithStatusOne) {
    startForm();
    EXPECT_EQ(run("expect Edit41 41\nset Edit41 5\n"), 1);
    EXPECT_EQ(text("Edit41"), "40");
}

TEST_F(Recipe, UnknownCommandsAndControlsStopWithStatusTwo) {
    startForm();
    EXPECT_EQ(run("frobnicate Edit41\n"), 2);
    startForm();
    EXPECT_EQ(run("click Button999\n"), 2);
    startForm();
    EXPECT_EQ(run("expect-checked CheckBox13 maybe\n"), 2);
    startForm();
    EXPECT_EQ(run("wait soon\n"), 2);
    startForm();
    EXPECT_EQ(run("menu View/Nothing like it\n"), 2);
}

TEST_F(Recipe, LaterPressesStopDuringARunningSweep) {
    startForm(QStringLiteral("sim:noise=0,latency=2"));
    EXPECT_EQ(run("set Edit41 2000\nlater 100 click Button22\nclick Button1\n"), 0);
    EXPECT_LT(form->store().storedCount(1, 1), 2001);
    EXPECT_GT(form->store().storedCount(1, 1), 0);
}

TEST_F(Recipe, QueuedAnswersGoToTheDialogsAndMessagesAreLogged) {
    startForm();
    ui.setEcho(false);
    EXPECT_EQ(run("answer-cancel\nclick Button5\n"), 0);
    EXPECT_TRUE(ui.messages().contains("No rezalt"));
}

TEST_F(Recipe, ScreenshotsAreWrittenAsPng) {
    startForm();
    const QString path = configDir.filePath("chart.png");
    EXPECT_EQ(run("screenshot PaintBox1 " + path + "\n"), 0);
    const QImage image(path);
    EXPECT_EQ(image.size(), QSize(633, 425));
}

// The program itself, as a user runs it: start, scan, print the list box, exit 0.
TEST(RecipeProgram, PrintsTheInstrumentsOfTheSimulatedBench) {
    const QString program = QStringLiteral(TARVIX_BINARY_DIR "/tarvix");
    if (!QFile::exists(program)) {
        GTEST_SKIP() << "the program is not built";
    }
    QTemporaryDir dir;
    QFile recipe(dir.filePath("recipe.txt"));
    ASSERT_TRUE(recipe.open(QIODevice::WriteOnly));
    recipe.write("set Edit41 4\nclick Button1\nprint ListBox1\nexpect Label10 ok!\n");
    recipe.close();
    QProcess process;
    process.start(program, {"--bus", "sim:noise=0,latency=0", "--script", recipe.fileName(),
                            "--config-dir", dir.path(), "-platform", "offscreen"});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_TRUE(output.contains("ListBox1: ADDRESS=24  KEITHLEY INSTRUMENTS INC.,MODEL 2400"));
    EXPECT_TRUE(QFile::exists(dir.filePath("Parameters.dat")));

    process.start(program, {"--bus", "carrier-pigeon", "-platform", "offscreen"});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_NE(process.exitCode(), 0);
    EXPECT_TRUE(process.readAllStandardError().contains("carrier-pigeon"));
}
