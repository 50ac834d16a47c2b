// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "series/ExportCorrections.h"
#include "series/OriginExport.h"
#include "series/SeriesStore.h"

using namespace tarvix::series;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Voltage 10 * series + segment + point / 10, current the voltage times 1e-6.
void fillSegment(SeriesStore& store, int segment, int series, int count, const QString& label) {
    float* voltage = store.storedVoltage(segment, series);
    float* current = store.storedCurrent(segment, series);
    current[0] = static_cast<float>(count);
    for (int p = 1; p <= count; ++p) {
        voltage[p] = static_cast<float>(10 * series + segment) + static_cast<float>(p) / 10;
        current[p] = voltage[p] * 1e-6f;
    }
    store.segmentLabel(segment, series) = label;
}

// Series 1 with segments of 3 and 5 points, series 2 with 4 points in segment 1.
void fillLayoutExample(SeriesStore& store) {
    store.seriesCount = 2;
    fillSegment(store, 1, 1, 3, "a");
    fillSegment(store, 2, 1, 5, "b");
    fillSegment(store, 1, 2, 4, QString::fromUtf8("в"));
}

}  // namespace

TEST(ExportOriginFile, DerivesTheNameFromTheSeriesFileAndTheOptions) {
    ExportOptions options;
    options.drift = true;
    options.resistor = SeriesResistor::R10K;
    options.absoluteCurrent = true;
    options.denoise = true;  // adds nothing
    EXPECT_EQ(originExportPath("/data/run5.ktl", options), "/data/run5-Zero-10K+ABS.ktl_o");
    EXPECT_EQ(originExportPath("/data/run5.ktl", {}), "/data/run5.ktl_o");
    options = {};
    options.resistor = SeriesResistor::R100K;
    EXPECT_EQ(originExportPath("x.ktl", options), "x100K.ktl_o");
    options.resistor = SeriesResistor::R1M;
    EXPECT_EQ(originExportPath("x.ktl", options), "x1M.ktl_o");
    EXPECT_EQ(originExportPath("", options), "");
}

TEST(ExportOriginFile, LaysOutColumnPairsWithEmptyCellsAndTabRules) {
    QTemporaryDir dir;
    SeriesStore store;
    fillLayoutExample(store);
    const QString path = dir.filePath("e.ktl_o");
    ASSERT_EQ(writeOriginExport(path, store, "01.02.2024"), 0);
    const QList<QByteArray> rows = readAll(path).split('\n');
    ASSERT_EQ(rows.size(), 3 + 5 + 1);  // the last line end leaves an empty piece
    EXPECT_EQ(rows[0], "X\tY\tX\tY\tX\tY\t\r");
    EXPECT_EQ(rows[1], "Volt\tAmper\tVolt\tAmper\tVolt\tAmper\t\r");
    EXPECT_EQ(rows[2], "01.02.2024\ta\t01.02.2024\tb\t01.02.2024\t\xE2\t\r");
    EXPECT_EQ(rows[3],
              " 1.11000003814697E+0001\t 1.10999999378691E-0005\t"
              " 1.21000003814697E+0001\t 1.21000002764049E-0005\t"
              " 2.11000003814697E+0001\t 2.11000005947426E-0005\r");
    EXPECT_TRUE(rows[6].startsWith("\t\t "));   // pair 1 has no fourth point
    EXPECT_TRUE(rows[6].endsWith("E-0005\r"));  // pair 3 has, and closes the row
    EXPECT_EQ(rows[7].count('\t'), 6);
    EXPECT_TRUE(rows[7].startsWith("\t\t "));
    EXPECT_TRUE(rows[7].endsWith("\t\t\r"));  // pair 3 has no fifth point
    EXPECT_EQ(rows[8], "");
}

TEST(ExportOriginFile, AnEmptyStoreGivesThreeEmptyHeaderRows) {
    QTemporaryDir dir;
    SeriesStore store;
    store.seriesCount = 3;
    const QString path = dir.filePath("empty.ktl_o");
    ASSERT_EQ(writeOriginExport(path, store, "d"), 0);
    EXPECT_EQ(readAll(path), "\r\n\r\n\r\n");
    EXPECT_NE(writeOriginExport(dir.path(), store, "d"), 0);
}

TEST(ExportOriginFile, ReadsBackWithPythonsCsvModule) {
    const QString python = QStandardPaths::findExecutable("python3");
    if (python.isEmpty()) {
        GTEST_SKIP() << "python3 is not installed";
    }
    QTemporaryDir dir;
    SeriesStore store;
    fillLayoutExample(store);
    const QString path = dir.filePath("e.ktl_o");
    ASSERT_EQ(writeOriginExport(path, store, "d"), 0);
    const char* script =
        "import csv, json, sys\n"
        "with open(sys.argv[1], newline='', encoding='cp1251') as f:\n"
        "    rows = list(csv.reader(f, delimiter='\\t'))\n"
        "print(json.dumps([[float(c) if c.strip() else None for c in r] for r in rows[3:]]))\n";
    QProcess process;
    process.start(python, {"-c", script, path});
    ASSERT_TRUE(process.waitForFinished(30000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(process.readAllStandardOutput()).array();
    ASSERT_EQ(rows.size(), 5);
    const struct { int segment, series, count; } pairs[] = {{1, 1, 3}, {2, 1, 5}, {1, 2, 4}};
    for (int r = 1; r <= 5; ++r) {
        const QJsonArray row = rows[r - 1].toArray();
        for (int k = 0; k < 3; ++k) {
            const auto& pair = pairs[k];
            if (r > pair.count) {
                EXPECT_TRUE(row[2 * k].isNull()) << r << " " << k;
                EXPECT_TRUE(row[2 * k + 1].isNull()) << r << " " << k;
                continue;
            }
            EXPECT_EQ(static_cast<float>(row[2 * k].toDouble()),
                      store.storedVoltage(pair.segment, pair.series)[r]);
            EXPECT_EQ(static_cast<float>(row[2 * k + 1].toDouble()),
                      store.storedCurrent(pair.segment, pair.series)[r]);
        }
    }
}
