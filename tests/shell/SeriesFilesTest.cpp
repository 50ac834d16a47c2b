// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QScrollBar>
#include <QTimer>

#include "series/IvChart.h"
#include "shell/ChartPictureMenu.h"
#include "shell/IvChartView.h"
#include "shell/SeriesFilesFixture.h"
#include "shell/Widgets.h"
#include "text/FileError.h"

using namespace tarvix;
using namespace tarvix::shell::testing;

namespace {

using SeriesFiles = SeriesFilesFixture;

TEST_F(SeriesFiles, SaveDeleteAndReopenGiveTheSameCurves) {
    sweep();
    sweep();
    ASSERT_EQ(store().seriesCount, 4);  // runs in slots 1 and 3, each followed by an empty slot
    const Curve first = curve(1, 1);
    const Curve second = curve(1, 3);
    const QString firstLabel = store().segmentLabel(1, 1);
    const QString secondLabel = store().segmentLabel(1, 3);
    ASSERT_EQ(first.voltage.size(), 5u);
    ASSERT_EQ(second.voltage.size(), 5u);
    setText("Edit44", QStringLiteral("two sweeps"));

    saveAs(path("run"));
    const QString saved = path("run.ktl");
    ASSERT_TRUE(QFile::exists(saved));
    EXPECT_EQ(text("Label15"), saved);
    EXPECT_NE(text("Label5"), "DATE");
    EXPECT_NE(text("Label43"), "TIME");
    EXPECT_TRUE(ui.messages().isEmpty()) << ui.messages().join('\n').toStdString();

    click("Button4");
    EXPECT_EQ(store().seriesCount, 0);
    EXPECT_EQ(store().storedCount(1, 1), 0);
    EXPECT_EQ(store().storedCount(1, 3), 0);
    EXPECT_EQ(text("Label45"), "[]");
    EXPECT_EQ(text("Label5"), "DATE");
    EXPECT_EQ(text("Label15"), "///");
    EXPECT_EQ(text("Label43"), "TIME");

    setText("Edit44", QStringLiteral("changed"));
    open(saved);
    // Non-empty blocks are packed: both runs land in slot 1, which is not yet full.
    EXPECT_EQ(store().seriesCount, 1);
    EXPECT_EQ(curve(1, 1), first);
    EXPECT_EQ(curve(2, 1), second);
    EXPECT_EQ(store().segmentLabel(1, 1), firstLabel);
    EXPECT_EQ(store().segmentLabel(2, 1), secondLabel);
    EXPECT_EQ(text("Edit44"), "two sweeps");
    EXPECT_EQ(text("Label15"), saved);
    EXPECT_TRUE(form->ivState().openedSeriesProtected);
    // Ranges grown from 0 over the points, then widened.
    float highest = 0;
    for (float v : first.voltage) {
        highest = std::max(highest, v);
    }
    EXPECT_DOUBLE_EQ(form->ivState().voltageMax, static_cast<double>(highest) * 1.1);
    EXPECT_DOUBLE_EQ(form->ivState().voltageMin, 0.0);
    EXPECT_TRUE(ui.messages().isEmpty()) << ui.messages().join('\n').toStdString();
}

TEST_F(SeriesFiles, SavingRightAfterTheFirstRunWritesItAndAnEmptySeries) {
    sweep();
    saveAs(path("first.ktl"));
    EXPECT_EQ(store().seriesCount, 2);
    const QByteArray bytes = readAll(path("first.ktl"));
    EXPECT_EQ(bytes.count("Volt Current  Series"), 16);
    EXPECT_TRUE(bytes.contains("Volt Current  Series1-1\r\n"));
    EXPECT_TRUE(bytes.contains("Volt Current  Series8-2\r\n"));
    EXPECT_EQ(bytes.count("Number of points\r\n 5.00000000000000E+0000\r\n"), 1);
    EXPECT_EQ(bytes.count("Number of points\r\n 0.00000000000000E+0000\r\n"), 15);
    EXPECT_TRUE(bytes.startsWith("Comments\r\n"));
}

TEST_F(SeriesFiles, AfterDeleteASaveClearsTheLiveRunAndRefuses) {
    sweep();
    ui.queueReply(true);
    click("Button4");
    livePoints(1, {{1.0f, 1e-6f}});
    ui.queueAnswer(path("never.ktl"));
    click("Button5");
    EXPECT_EQ(ui.messages(), QStringList{"No rezalt"});
    EXPECT_EQ(store().liveSegmentCount(), 0);
    EXPECT_EQ(store().seriesCount, 0);
    EXPECT_FALSE(QFile::exists(path("never.ktl")));
}

TEST_F(SeriesFiles, AFailedSaveKeepsTheNameOfTheLastFile) {
    sweep();
    saveAs(path("good.ktl"));
    saveAs(path("missing-folder/bad.ktl"));
    EXPECT_EQ(ui.messages(), QStringList{text::fileErrorText(text::kFileNotFound)});
    EXPECT_EQ(text("Label15"), path("good.ktl"));
    EXPECT_FALSE(QFile::exists(path("missing-folder/bad.ktl")));
    // The export still names its file after the one that exists.
    ui.queueAnswer(QString());
    click("Button36");
    EXPECT_TRUE(QFile::exists(path("good.ktl_o")));
}

// The scripted dialog highlights the answer before returning it, as a person does; the
// preview shows the file's date and time, which the open itself does not set.
TEST_F(SeriesFiles, TheOpenDialogPreviewsTheHighlightedFile) {
    sweep();
    saveAs(path("a.ktl"));
    const QString date = text("Label5");
    const QString time = text("Label43");
    click("Button4");
    ASSERT_EQ(text("Label5"), "DATE");
    open(path("a.ktl"));
    EXPECT_EQ(text("Label5"), date);
    EXPECT_EQ(text("Label43"), time);
    EXPECT_EQ(ui.openDialogCurrentFile(), path("a.ktl"));
}

TEST_F(SeriesFiles, Label15ReloadsTheDialogsFileWithoutItsLabels) {
    sweep();
    saveAs(path("a.ktl"));
    const Curve original = curve(1, 1);
    open(path("a.ktl"));
    sweep();
    saveAs(path("b.ktl"));
    store().segmentLabel(1, 1) = QStringLiteral("kept");
    click("Button4");
    c().label(QStringLiteral("Label15"))->clicked();
    // The file last chosen in the dialog, not the one just saved.
    EXPECT_EQ(text("Label15"), path("a.ktl"));
    EXPECT_EQ(store().seriesCount, 1);
    EXPECT_EQ(curve(1, 1), original);
    EXPECT_EQ(store().segmentLabel(1, 1), "kept");
    EXPECT_EQ(c().scrollBar(QStringLiteral("ScrollBar1"))->value(), 10000);
    EXPECT_EQ(c().scrollBar(QStringLiteral("ScrollBar2"))->value(), 10000);
    EXPECT_FLOAT_EQ(form->ivState().manualVoltage, static_cast<float>(form->ivState().voltageMax));
    // The export keeps the name of the file last opened or saved.
    ui.queueAnswer(QString());
    click("Button36");
    EXPECT_TRUE(QFile::exists(path("b.ktl_o")));
}

TEST_F(SeriesFiles, Label15BeforeAnyFileWasChosenLoadsNothing) {
    sweep();
    c().label(QStringLiteral("Label15"))->clicked();
    EXPECT_EQ(text("Label15"), "");
    EXPECT_EQ(store().seriesCount, 2);
    EXPECT_EQ(store().storedCount(1, 1), 5);
}

TEST_F(SeriesFiles, AStartAfterOpeningAPartlyFilledSeriesKeepsIt) {
    sweep();
    saveAs(path("a.ktl"));
    open(path("a.ktl"));
    ASSERT_EQ(store().seriesCount, 1);
    const Curve opened = curve(1, 1);
    sweep();
    EXPECT_EQ(curve(1, 1), opened);
    EXPECT_EQ(store().storedCount(1, 2), 0);
    EXPECT_EQ(store().storedCount(1, 3), 5);
    EXPECT_EQ(store().seriesCount, 4);
    EXPECT_FALSE(form->ivState().openedSeriesProtected);
}

// An open draws the store at the data's ranges, and the next Start goes back to the limit
// edits'. The stored layer for those is drawn while the window is idle, so the Start does not
// draw the store anew, and the chart shows what a drawing from scratch shows.
TEST_F(SeriesFiles, AStartAfterAnOpenFindsTheStoreDrawnForItsRanges) {
    sweep();
    sweep();
    saveAs(path("two.ktl"));
    open(path("two.ktl"));
    ASSERT_EQ(form->ivState().voltageMax, 2.2);  // the data's peak and a tenth
    const series::IvChart& chart = form->chart().renderer();
    for (int round = 0; round < 20; ++round) {
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(chart.storedSeriesPrepared(), 1);  // the two runs, read into one series
    const int builds = chart.storedLayerBuilds();
    sweep();
    ASSERT_EQ(form->ivState().voltageMax, 2.0);
    EXPECT_EQ(chart.storedLayerBuilds(), builds);
    form->chart().drawIvChart();  // with the run's series, which its commit did not draw
    ASSERT_EQ(form->chart().pictures().writePicture(path("chart.png"), 1.0), text::kFileOk);
    const QImage fresh(path("chart.png"));
    const QImage& shown = form->chart().ivBitmap();
    ASSERT_EQ(fresh.size(), shown.size());
    int differing = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            differing += (fresh.pixel(x, y) & 0xFFFFFF) != (shown.pixel(x, y) & 0xFFFFFF);
        }
    }
    EXPECT_EQ(differing, 0);
}

TEST_F(SeriesFiles, AFileErrorShowsItsTextAndTakesNothingFromTheFile) {
    writeFile(path("bad.ktl"),
              "c\r\nd\r\nt\r\n   \r\nVolt Current  Series1-1\r\nL1\r\nNumber of points\r\n"
              " 1\r\n   \r\n 2   1E-6\r\n   \r\nVolt Current  Series2-1\r\nL2\r\n"
              "Number of points\r\n 2\r\n   \r\n 3   2E-6\r\n x   3E-6\r\n");
    const double voltageMax = form->ivState().voltageMax;
    open(path("bad.ktl"));
    EXPECT_TRUE(ui.messages().contains(text::fileErrorText(text::kInvalidNumericInput)));
    EXPECT_EQ(store().seriesCount, 0);
    EXPECT_EQ(store().storedCount(1, 1), 0);
    EXPECT_DOUBLE_EQ(form->ivState().voltageMax, voltageMax);
    EXPECT_EQ(text("Edit44"), "Comments");
    EXPECT_EQ(text("Label15"), "///");
}

TEST_F(SeriesFiles, AMissingFileIsReportedAndTheRangesStay) {
    const double before = form->ivState().voltageMax;
    open(path("absent.ktl"));
    EXPECT_EQ(ui.messages(), QStringList{text::fileErrorText(text::kFileNotFound)});
    EXPECT_EQ(store().seriesCount, 0);
    EXPECT_DOUBLE_EQ(form->ivState().voltageMax, before);
}

TEST_F(SeriesFiles, ABlockBeyondTheStoresLimitIsCutWithAMessage) {
    QByteArray bytes = "c\r\nd\r\nt\r\n   \r\nx\r\nL\r\nNumber of points\r\n 10001\r\n   \r\n";
    for (int p = 1; p <= 10001; ++p) {
        bytes += " 1   1E-6\r\n";
    }
    writeFile(path("big.ktl"), bytes);
    open(path("big.ktl"));
    ASSERT_FALSE(ui.messages().isEmpty());
    EXPECT_TRUE(ui.messages().back().contains("10000"));
    EXPECT_EQ(store().storedCount(1, 1), 10000);
}

// The store belongs to the running sweep: a save, open, delete or replay clicked while it
// runs would move its series counter or clear its live run.
TEST_F(SeriesFiles, StoreActionsWaitForTheRunningMeasurement) {
    ui.queueAnswer(path("during.ktl"));
    QTimer::singleShot(0, form.get(), [this] {
        click("Button5");
        click("Button4");
        click("Button6");
    });
    sweep();
    EXPECT_TRUE(ui.messages().isEmpty()) << ui.messages().join('\n').toStdString();
    EXPECT_FALSE(QFile::exists(path("during.ktl")));
    EXPECT_EQ(store().seriesCount, 2);
    EXPECT_EQ(store().storedCount(1, 1), 5);
}

TEST_F(SeriesFiles, SaveTimeBeforeAnyRunWritesTenEmptyLines) {
    ui.queueAnswer(path("time"));
    click("Button7");
    EXPECT_EQ(readAll(path("time")), QByteArray("\r\n").repeated(10));
    EXPECT_FALSE(QFile::exists(path("time.ktlt")));
}

TEST_F(SeriesFiles, SaveTimeWritesTheRecordedReadings) {
    series::TimeTable& table = form->timeTable();
    table.startRun();
    table.record(1.5e-6, 0);
    table.record(1.25e-6, 62);
    ui.queueAnswer(path("t.ktlt"));
    click("Button7");
    EXPECT_EQ(readAll(path("t.ktlt")),
              " 0.00000000000000E+0000   1.50000000000000E-0006\r\n"
              " 6.20000000000000E+0001   1.25000000000000E-0006\r\n\r\n" +
                  QByteArray("\r\n").repeated(9));
    ui.queueAnswer(path("no-folder/t.ktlt"));
    click("Button7");
    EXPECT_EQ(ui.messages(), QStringList{text::fileErrorText(text::kFileNotFound)});
}

// The dialog previews the file before it is chosen; the open then takes what the preview
// read instead of reading the file again, unless the file's size or time changed in between.
// The preview lets events run, where these changes of the file happen.
TEST_F(SeriesFiles, TheOpenTakesWhatThePreviewReadUnlessTheFileChanged) {
    setText("Edit44", QStringLiteral("first"));
    sweep();
    saveAs(path("a.ktl"));
    const QByteArray original = readAll(path("a.ktl"));
    const Curve first = curve(1, 1);
    const QString firstLabel = store().segmentLabel(1, 1);
    sweep();
    sweep();
    saveAs(path("b.ktl"));
    const QByteArray longer = readAll(path("b.ktl"));
    QByteArray sameSize = original;
    sameSize.replace("first", "FIRST");  // a comment a second read would show
    struct Case {
        const char* what;
        bool grown;
        int segmentsRead;
    };
    const Case cases[] = {
        {"only the bytes changed: the preview's read is taken", false, 1},
        {"the file grew: it is read again", true, 3},
    };
    for (const Case& test : cases) {
        writeFile(path("a.ktl"), original);
        const QDateTime written = QFileInfo(path("a.ktl")).lastModified();
        click("Button4");
        const qsizetype messages = ui.messages().size();
        QTimer::singleShot(0, [&] {
            writeFile(path("a.ktl"), test.grown ? longer : sameSize);
            QFile file(path("a.ktl"));
            if (!test.grown && file.open(QIODevice::ReadWrite)) {
                file.setFileTime(written, QFileDevice::FileModificationTime);
            }
        });
        open(path("a.ktl"));
        EXPECT_EQ(ui.messages().size(), messages) << test.what;
        EXPECT_EQ(store().storedSegmentCount(), test.segmentsRead) << test.what;
        EXPECT_EQ(text("Edit44"), "first") << test.what;
        EXPECT_EQ(curve(1, 1), first) << test.what;
        EXPECT_EQ(store().segmentLabel(1, 1), firstLabel) << test.what;
        EXPECT_EQ(text("Label15"), path("a.ktl")) << test.what;
    }
}

}  // namespace
