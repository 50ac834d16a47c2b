// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "series/TimeFile.h"
#include "series/TimeTable.h"

using namespace tarvix::series;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

TEST(TimeFile, BeforeAnyRunTheFileHoldsTenEmptyLines) {
    QTemporaryDir dir;
    TimeTable table;
    const QString path = dir.filePath("t");  // no extension is added
    ASSERT_EQ(writeTimeFile(path, table), 0);
    EXPECT_EQ(readAll(path), QByteArray("\r\n").repeated(10));
}

TEST(TimeFile, WritesEachRunAsABlockClosedByAnEmptyLine) {
    QTemporaryDir dir;
    TimeTable table;
    ASSERT_EQ(table.startRun(), TimeRecordStatus::Recorded);
    table.record(1.5e-6, 0);  // a reading at exactly 0 ms is written
    table.record(1.25e-6, 62);
    table.startRun();
    table.startRun();
    table.record(-2e-9, 5);
    const QString path = dir.filePath("t.ktlt");
    ASSERT_EQ(writeTimeFile(path, table), 0);
    EXPECT_EQ(readAll(path),
              " 0.00000000000000E+0000   1.50000000000000E-0006\r\n"
              " 6.20000000000000E+0001   1.25000000000000E-0006\r\n"
              "\r\n"
              "\r\n"
              " 5.00000000000000E+0000  -2.00000000000000E-0009\r\n"
              "\r\n" +
                  QByteArray("\r\n").repeated(7));
    EXPECT_NE(writeTimeFile(dir.path(), table), 0);
}

TEST(TimeTable, StopsRecordingAtItsLimitsAndSaysSo) {
    TimeTable table;
    EXPECT_EQ(table.record(1, 1), TimeRecordStatus::NoRunLeft);  // no run started
    EXPECT_EQ(table.cell(1, 1), TimeTable::kUnused);
    table.startRun();
    for (int k = 1; k <= TimeTable::kRows; ++k) {
        ASSERT_EQ(table.record(k * 1e-9, k), TimeRecordStatus::Recorded);
    }
    EXPECT_EQ(table.record(1, 401), TimeRecordStatus::RunFull);
    EXPECT_EQ(table.rowsRecorded(), TimeTable::kRows);
    EXPECT_EQ(table.elapsedMs(TimeTable::kRows, 1), 400.0);
    EXPECT_EQ(table.cell(1, 2), TimeTable::kUnused);  // the next run's column is untouched

    for (int run = 2; run <= TimeTable::kRuns; ++run) {
        ASSERT_EQ(table.startRun(), TimeRecordStatus::Recorded);
    }
    table.record(7, 7);
    EXPECT_EQ(table.startRun(), TimeRecordStatus::NoRunLeft);
    EXPECT_EQ(table.timeColumn(), TimeTable::kRuns);
    EXPECT_EQ(table.record(8, 8), TimeRecordStatus::NoRunLeft);
    EXPECT_EQ(table.current(1, 10), 7.0);  // the tenth run is not overwritten
    EXPECT_EQ(table.elapsedMs(2, 10), TimeTable::kUnused);
    EXPECT_EQ(timeRecordMessage(TimeRecordStatus::RunFull),
              "The time-dependence run reached 400 readings; later readings were not recorded.");
    EXPECT_TRUE(timeRecordMessage(TimeRecordStatus::Recorded).isEmpty());

    table.reset();
    EXPECT_EQ(table.timeColumn(), 0);
    EXPECT_EQ(table.current(1, 1), TimeTable::kUnused);
}
