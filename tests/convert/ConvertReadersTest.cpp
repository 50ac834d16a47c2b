// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTime>
#include <cmath>
#include <limits>
#include <memory>

#include "FrqFileText.h"
#include "TempFileText.h"
#include "lcr/FreqSweep.h"
#include "lcr/FrqFile.h"
#include "text/ClockText.h"
#include "text/Cp1251.h"
#include "text/FileError.h"
#include "thermo/TempFile.h"
#include "thermo/ThermoRecord.h"

using namespace tarvix;
using thermo::TempFileKind;

namespace {

constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

bool sameOrMissing(double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || std::abs(a - b) <= 1e-9 * std::abs(b);
}

}  // namespace

// Both kinds of record written by the program read back sample for sample, a missing reading
// included; the newest sample is never in the file.
TEST(ConvertReaders, ReadBackTheTemperatureRecordsTheProgramWrites) {
    for (const TempFileKind kind : {TempFileKind::FourProbe, TempFileKind::Thermocouple}) {
        auto written = std::make_unique<thermo::ThermoRecord>();
        written->thermoCount = 4;
        for (int s = 1; s <= 4; ++s) {
            written->thermoTemp[s] = s == 2 ? kMissing : 0.001 * s;
            written->thermoRefTemp[s] = 290 + s;
            written->thermoTcTemp[s] = 300.5 + s;
            written->thermoResistance[s] = 1000.25 * s;
            written->thermoTime[s] = text::timeOfDay(QTime(13, 2, 3 + s));
        }
        QTemporaryDir dir;
        const QString path = dir.filePath("run.temp");
        ASSERT_EQ(thermo::writeTempFile(path, kind, *written, {1, false, "sample A", {}}),
                  text::kFileOk);
        auto read = std::make_unique<thermo::ThermoRecord>();
        const convert::TempFileRead result = convert::readTempFile(fileBytes(path), *read);
        ASSERT_TRUE(result.error.isEmpty()) << result.error.toStdString();
        EXPECT_EQ(result.kind, kind);
        EXPECT_EQ(result.description, "sample A");
        ASSERT_EQ(read->thermoCount, 3);
        for (int s = 1; s <= 3; ++s) {
            EXPECT_TRUE(sameOrMissing(read->thermoTemp[s], written->thermoTemp[s])) << s;
            EXPECT_DOUBLE_EQ(read->thermoTime[s], written->thermoTime[s]);
            if (kind == TempFileKind::FourProbe) {
                EXPECT_DOUBLE_EQ(read->thermoResistance[s], written->thermoResistance[s]);
            } else {
                EXPECT_DOUBLE_EQ(read->thermoRefTemp[s], written->thermoRefTemp[s]);
                EXPECT_DOUBLE_EQ(read->thermoTcTemp[s], written->thermoTcTemp[s]);
            }
        }
    }
}

// Lines as the sweep logs them: primary and secondary, primary only, and a reply without its
// run of three tabs (no value at all).
TEST(ConvertReaders, ReadTheFrequencyLogLineByLine) {
    const QByteArray log = lcr::FrqFile::line("CP\t1.5E-10\tF\tDF\t0.25\t\t\t", 10) + "\r\n" +
                           lcr::FrqFile::line("CP\t2.5E-10\tF\t\t\t", 19.01) + "\r\n" +
                           lcr::FrqFile::line("garbled", 36.14) + "\r\n";
    auto sweep = std::make_unique<lcr::FreqSweep>();
    ASSERT_EQ(convert::readFrqFile(log, *sweep), QString());
    ASSERT_EQ(sweep->sweepCount, 3);
    EXPECT_EQ(sweep->primaryCode, "CP");
    EXPECT_EQ(sweep->secondaryCode, "DF");
    const double expected[][3] = {
        {10, 1.5e-10, 0.25}, {19.01, 2.5e-10, kMissing}, {36.14, kMissing, kMissing}};
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(sweep->sweepFreq[i], expected[i - 1][0]);
        EXPECT_TRUE(sameOrMissing(sweep->sweepPrimary[i], expected[i - 1][1])) << i;
        EXPECT_TRUE(sameOrMissing(sweep->sweepSecondary[i], expected[i - 1][2])) << i;
    }
}

// Each way a file fails names what is wrong and where.
TEST(ConvertReaders, RefuseBrokenFilesWithTheirLine) {
    const QByteArray header = "title\r\nОписание: x\r\nДата: y\r\n\r\n";
    struct Case {
        QByteArray bytes;
        bool temp;
        QString message;
    };
    const Case cases[] = {
        {"not a record\n", true, "no temperature record heading on line 5"},
        {header + "Температура(°C)\r\nБез\r\n\r\n 1.0       2.0       12:00:00\r\n 1.0 x\r\n", true,
         "line 9 is no sample row"},
        {header + "V термопары (V)\r\nБез\r\n\r\n 1.0       2.0       12:00:00\r\n", true,
         "line 8 is no sample row"},  // a thermocouple row has three numbers
        {"A\t1\tF\t  F[Hz]   1.0E+0001\r\nno key\r\n", false,
         "line 2 is no meter reading with \"F[Hz]\""},
        {"A\t1\tF\t  F[Hz]  Nan\r\n", false, "line 1 is no meter reading with \"F[Hz]\""},
    };
    for (const Case& c : cases) {
        auto record = std::make_unique<thermo::ThermoRecord>();
        auto sweep = std::make_unique<lcr::FreqSweep>();
        // The .temp texts are Windows-1251 in the file.
        const QString message =
            c.temp
                ? convert::readTempFile(text::toCp1251(QString::fromUtf8(c.bytes)), *record).error
                : convert::readFrqFile(c.bytes, *sweep);
        EXPECT_EQ(message, c.message) << c.bytes.toStdString();
    }
}
