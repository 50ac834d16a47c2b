// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <memory>

#include "text/ClockText.h"
#include "text/Cp1251.h"
#include "text/FileError.h"
#include "thermo/FakeBench.h"
#include "thermo/FakeHost.h"
#include "thermo/TempFile.h"
#include "thermo/ThermoPanel.h"

using namespace tarvix;
using namespace tarvix::thermo;

namespace {

const QString kGap = QStringLiteral("       ");

// Ten four-probe samples (resistance 10 * k ohms) and the thermocouple fields of Start_d.
std::unique_ptr<ThermoRecord> tenSamples() {
    auto record = std::make_unique<ThermoRecord>();
    record->thermoCount = 10;
    for (int k = 1; k <= 10; ++k) {
        record->thermoTemp[k] = 20.0 + k;
        record->thermoResistance[k] = 10.0 * k;
        record->thermoRefTemp[k] = 290.0 + k;
        record->thermoTcTemp[k] = 300.0 + k;
        record->thermoTime[k] = 0.5;
    }
    return record;
}

class TempFileTest : public ::testing::Test {
  protected:
    QStringList write(TempFileKind kind, const TempFileOptions& options) {
        const QString path = directory.filePath("run1.temp");
        EXPECT_EQ(writeTempFile(path, kind, *record, options), text::kFileOk);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        bytes = file.readAll();
        EXPECT_TRUE(bytes.endsWith("\r\n"));
        QStringList lines = text::fromCp1251(bytes).split(QStringLiteral("\r\n"));
        lines.removeLast();
        return lines;
    }
    QStringList rows(TempFileKind kind, const TempFileOptions& options) {
        return write(kind, options).mid(7);
    }

    QTemporaryDir directory;
    std::unique_ptr<ThermoRecord> record = tenSamples();
    QByteArray bytes;
    const QString noon = text::longTimeText(QTime(12, 0));
    const QDateTime savedAt{QDate(2024, 3, 5), QTime(9, 15, 30)};
};

}  // namespace

TEST_F(TempFileTest, HeaderLinesInTheCyrillicCodePage) {
    const QStringList lines = write(TempFileKind::FourProbe, {3, true, "film A", savedAt});
    ASSERT_GE(lines.size(), 7);
    EXPECT_EQ(lines[0], "Четырех-зондовый метод измерения температурной зависимости сопротивления");
    EXPECT_EQ(lines[1], "Описание: film A");
    EXPECT_EQ(lines[2], "Дата и время измерения: " + text::shortDateText(savedAt.date()) + "  " +
                            text::longTimeText(savedAt.time()));
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], "Температура(°C) Сопротивление(Ом)    Время       ");
    EXPECT_EQ(lines[5], "Усреднение по 3 точкам");
    EXPECT_EQ(lines[6], "");
    EXPECT_TRUE(bytes.startsWith(text::toCp1251("Четырех")));
    EXPECT_EQ(bytes.count("\r\n"), lines.size());

    const QStringList second = write(TempFileKind::Thermocouple, {1, false, "", savedAt});
    EXPECT_EQ(second[4], "V термопары (V)  Температура(K)     Время       ");
    EXPECT_EQ(second[5], "Без усреднения");
}

TEST_F(TempFileTest, EveryThirdSampleWithoutAndWithAveraging) {
    EXPECT_EQ(rows(TempFileKind::FourProbe, {3, false, "", savedAt}),
              QStringList({"23.0000000000" + kGap + " 30.000000" + kGap + noon,
                           "26.0000000000" + kGap + " 60.000000" + kGap + noon,
                           "29.0000000000" + kGap + " 90.000000" + kGap + noon}));
    // Sample 6 carries the mean of samples 4, 5 and 6; the temperature is sample 6's own.
    EXPECT_EQ(rows(TempFileKind::FourProbe, {3, true, "", savedAt}),
              QStringList({"23.0000000000" + kGap + " 20.000000" + kGap + noon,
                           "26.0000000000" + kGap + " 50.000000" + kGap + noon,
                           "29.0000000000" + kGap + " 80.000000" + kGap + noon}));
}

TEST_F(TempFileTest, ThermocoupleRowsAverageTheReferenceTemperature) {
    EXPECT_EQ(rows(TempFileKind::Thermocouple, {3, true, "", savedAt}).at(1),
              "26.0000000000" + kGap + "    295.00" + kGap + "306.0000000000" + kGap + noon);
}

TEST_F(TempFileTest, TheNewestSampleIsNeverWritten) {
    EXPECT_EQ(rows(TempFileKind::FourProbe, {1, false, "", savedAt}).size(), 9);
    EXPECT_EQ(rows(TempFileKind::FourProbe, {5, false, "", savedAt}).size(), 1);  // only 5
    EXPECT_TRUE(rows(TempFileKind::FourProbe, {10, false, "", savedAt}).isEmpty());
    EXPECT_TRUE(rows(TempFileKind::FourProbe, {2147483647, true, "", savedAt}).isEmpty());
    record->thermoCount = 0;
    EXPECT_EQ(write(TempFileKind::FourProbe, {1, false, "", savedAt}).size(), 7);
}

TEST_F(TempFileTest, RowFormsAndTheMissingMarker) {
    record->thermoTemp[1] = 22.6675495764;
    record->thermoResistance[1] = 12.5;
    EXPECT_TRUE(tempFileRow(TempFileKind::FourProbe, *record, 1, {1, false, "", savedAt})
                    .startsWith("22.6675495764" + kGap + " 12.500000" + kGap));
    // Wide values are not cut.
    record->thermoResistance[1] = 123456789.0;
    EXPECT_TRUE(tempFileRow(TempFileKind::FourProbe, *record, 1, {1, false, "", savedAt})
                    .contains(kGap + "123456789.000000" + kGap));
    // A resistance that could not be read is written as a marker, and spoils its mean.
    record->thermoResistance[5] = std::nan("");
    EXPECT_TRUE(tempFileRow(TempFileKind::FourProbe, *record, 6, {3, true, "", savedAt})
                    .contains(kGap + "       Nan" + kGap));
    EXPECT_TRUE(tempFileRow(TempFileKind::FourProbe, *record, 6, {1, false, "", savedAt})
                    .contains(kGap + " 60.000000" + kGap));
}

TEST(TempFileNames, TheExtensionIsAlwaysAppendedAndTheStepMustBePositive) {
    EXPECT_EQ(withTempExtension("run1"), "run1.temp");
    EXPECT_EQ(withTempExtension("run1.temp"), "run1.temp.temp");

    EXPECT_EQ(saveStepFromText(" 3").step, 3);
    EXPECT_EQ(saveStepFromText("x").message, "'x' is not a valid integer value");
    for (const char* refused : {"0", "-2", "1.5", ""}) {
        const SaveStep step = saveStepFromText(refused);
        EXPECT_FALSE(step.step) << refused;
        EXPECT_FALSE(step.message.isEmpty()) << refused;
    }
    EXPECT_EQ(writeTempFile("/nonexistent/unused", TempFileKind::FourProbe,
                            *std::make_unique<ThermoRecord>(), {0, false, "", {}}),
              text::kInvalidNumericInput);
}

TEST(TempFileSaving, ThePanelAsksForTheStepBeforeTheDialog) {
    fakes::BenchBus bench;
    fakes::FakeHost host;
    auto record = tenSamples();
    ThermoPanel panel(*bench.bus, *record, host);
    QTemporaryDir directory;

    host.texts["Edit53"] = "0";
    panel.Button29Click();
    EXPECT_EQ(host.dialogs, 0);
    ASSERT_EQ(host.messages.size(), 1);

    host.texts["Edit53"] = "3";
    host.saveName.reset();  // cancelled
    panel.Button31Click();
    EXPECT_EQ(host.dialogs, 1);
    EXPECT_EQ(host.messages.size(), 1);

    host.saveName = directory.filePath("run1.temp");
    host.checked["CheckBox41"] = true;
    panel.Button29Click();
    QFile file(directory.filePath("run1.temp.temp"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = text::fromCp1251(file.readAll()).split("\r\n");
    EXPECT_EQ(lines[1], "Описание: film");
    EXPECT_EQ(lines[5], "Усреднение по 3 точкам");
    EXPECT_EQ(lines.size(), 7 + 3 + 1);

    host.saveName = directory.filePath("missing-folder/run2");
    panel.Button29Click();
    ASSERT_EQ(host.messages.size(), 2);
    EXPECT_EQ(host.messages.last(), text::fileErrorText(text::kFileNotFound));
}
