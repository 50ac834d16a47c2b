// SPDX-License-Identifier: GPL-3.0-or-later
#include <cmath>

#include "shell/SeriesFilesFixture.h"
#include "text/FileError.h"
#include "text/NumberText.h"

using namespace tarvix;
using namespace tarvix::shell::testing;

namespace {

class ExportPanel : public SeriesFilesFixture {
  protected:
    // Series 1: one point of 100 uA at 1 V and one of -2 uA at -1 V.
    void storeOnePair() {
        storePoints(1, 1, {{1.0f, 100e-6f}, {-1.0f, -2e-6f}});
        store().seriesCount = 2;
    }
};

TEST_F(ExportPanel, EveryOptionRecomputesFromTheUncorrectedValues) {
    storeOnePair();
    setChecked("RadioButton84", true);
    EXPECT_FLOAT_EQ(store().storedVoltage(1, 1)[1], 0.8958f);
    EXPECT_FLOAT_EQ(store().storedCurrent(1, 1)[1], 100e-6f);
    // Another resistor starts again from the measured voltage.
    setChecked("RadioButton85", true);
    EXPECT_FLOAT_EQ(store().storedVoltage(1, 1)[1],
                    static_cast<float>(1.0 - static_cast<double>(100e-6f) * 9952));
    setChecked("CheckBox50", true);
    EXPECT_FLOAT_EQ(store().storedCurrent(1, 1)[2], 2e-6f);
    setChecked("RadioButton83", true);
    EXPECT_FLOAT_EQ(store().storedVoltage(1, 1)[1], 1.0f);
    EXPECT_FLOAT_EQ(store().storedCurrent(1, 1)[2], 2e-6f);  // ABS is still checked
    setChecked("CheckBox51", true);
    EXPECT_FLOAT_EQ(store().storedCurrent(1, 1)[3], 1.01391998963418E-10f);
    setChecked("CheckBox51", false);
    setChecked("CheckBox52", true);
    EXPECT_FLOAT_EQ(store().storedCurrent(1, 1)[3], 1e-11f);
    EXPECT_EQ(store().storedCount(1, 1), 2);
}

TEST_F(ExportPanel, OpeningAFileUnchecksAbsAndShowsTheFileAsItIs) {
    storeOnePair();
    saveAs(path("pair.ktl"));
    setChecked("CheckBox50", true);
    ASSERT_FLOAT_EQ(store().storedCurrent(1, 1)[2], 2e-6f);
    open(path("pair.ktl"));
    EXPECT_FALSE(checked("CheckBox50"));
    EXPECT_FLOAT_EQ(store().storedCurrent(1, 1)[2], -2e-6f);
}

// The copies are taken at an open or a save; series measured later, or before any file,
// must not be replaced by them when an option changes.
TEST_F(ExportPanel, SeriesMeasuredAfterTheLastCopySurviveAnOptionChange) {
    constexpr double kDrift = 1.01391998963418E-10;
    sweep();
    const double raw = store().storedCurrent(1, 1)[1];
    setChecked("CheckBox51", true);
    EXPECT_EQ(store().storedCount(1, 1), 5);
    const float drifted = static_cast<float>(raw + kDrift);
    EXPECT_FLOAT_EQ(store().storedCurrent(1, 1)[1], drifted);

    saveAs(path("one.ktl"));  // the copy keeps series 1 as measured
    setChecked("CheckBox51", false);
    sweep();
    const Curve measured = curve(1, 3);
    ASSERT_EQ(measured.voltage.size(), 5u);
    setChecked("CheckBox50", true);
    EXPECT_EQ(store().storedCount(1, 3), 5);
    for (int p = 1; p <= 5; ++p) {
        EXPECT_FLOAT_EQ(store().storedCurrent(1, 3)[p], std::fabs(measured.current[p - 1]));
    }
    // The series saved before is corrected once, from its measured values.
    EXPECT_FLOAT_EQ(store().storedCurrent(1, 1)[1], std::fabs(static_cast<float>(raw)));
    setChecked("CheckBox50", false);
    EXPECT_EQ(curve(1, 3), measured);
}

TEST_F(ExportPanel, AnOptionAfterDeleteBringsNoDeletedSeriesBack) {
    sweep();
    sweep();
    saveAs(path("two.ktl"));
    click("Button4");
    storePoints(1, 1, {{0.5f, -1e-6f}, {1.0f, -2e-6f}});
    store().seriesCount = 2;
    setChecked("CheckBox50", true);
    EXPECT_EQ(store().storedCount(1, 1), 2);
    EXPECT_FLOAT_EQ(store().storedCurrent(1, 1)[2], 2e-6f);
    EXPECT_EQ(store().storedCount(1, 3), 0);
}

TEST_F(ExportPanel, TheFileIsNamedAfterTheSeriesFileAndTheOptions) {
    storeOnePair();
    saveAs(path("run5.ktl"));
    setChecked("CheckBox51", true);
    setChecked("RadioButton85", true);
    setChecked("CheckBox50", true);
    setChecked("CheckBox52", true);
    click("Button36");
    EXPECT_EQ(ui.messages(), QStringList{"Saving file for import to Origin as ASC"});
    const QByteArray bytes = readAll(path("run5-Zero-10K+ABS.ktl_o"));
    ASSERT_FALSE(bytes.isEmpty());
    const QList<QByteArray> rows = bytes.split('\n');
    EXPECT_EQ(rows[0], "X\tY\t\r");
    EXPECT_EQ(rows[1], "Volt\tAmper\t\r");
    EXPECT_EQ(rows[2], (text("Label5") + "\t\t\r").toUtf8());
    // The second point's current, made absolute.
    EXPECT_GT(store().storedCurrent(1, 1)[2], 0.0f);
    EXPECT_TRUE(
        rows[4].endsWith((text::defaultReal(store().storedCurrent(1, 1)[2]) + "\r").toLatin1()));
}

TEST_F(ExportPanel, BeforeAnySeriesFileTheExportAsksForAName) {
    storeOnePair();
    setChecked("CheckBox50", true);
    ui.queueAnswer(path("chosen.ktl_o"));
    click("Button36");
    EXPECT_TRUE(QFile::exists(path("chosen+ABS.ktl_o")));
    EXPECT_FALSE(QFile::exists(path("+ABS.ktl_o")));

    ui.queueCancel();
    click("Button36");
    EXPECT_EQ(ui.messages().size(), 2);  // the notice each time, nothing else
}

TEST_F(ExportPanel, AnExportThatCannotBeWrittenIsReported) {
    storeOnePair();
    ui.queueAnswer(path("no-folder/x"));
    click("Button36");
    EXPECT_EQ(ui.messages().back(), text::fileErrorText(text::kFileNotFound));
}

}  // namespace
