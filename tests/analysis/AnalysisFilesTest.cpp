// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "FakeAnalysisHost.h"
#include "analysis/AnalysisFiles.h"
#include "series/KtlFileReader.h"
#include "series/SeriesStore.h"
#include "text/Cp1251.h"
#include "text/FileError.h"

using namespace tarvix::analysis;
using tarvix::analysis::testing::storeSegment;
using tarvix::series::SeriesStore;

namespace {

const FileHeader kHeader{QStringLiteral("Comments"), QStringLiteral("01.02.2024"),
                         QStringLiteral("12:34:56")};

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The file's lines, decoded; a file must end with CR LF.
QStringList fileLines(const QString& path) {
    const QByteArray bytes = fileBytes(path);
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    QStringList lines = tarvix::text::fromCp1251(bytes).split(QStringLiteral("\r\n"));
    lines.removeLast();
    return lines;
}

QStringList utf8(std::initializer_list<const char*> lines) {
    QStringList result;
    for (const char* line : lines) {
        result << QString::fromUtf8(line);
    }
    return result;
}

}  // namespace

TEST(AnalysisFiles, AStraightenedFileHasItsHeadingHeaderCountAndPoints) {
    QTemporaryDir dir;
    const std::vector<double> x{0.5, 2.0};
    const std::vector<double> y{-0.000012, 1.5};
    const StraightenedCurve curve{
        Mechanism::Tunnel, QString::fromUtf8("разброс точек: 3.4%"), 1, 3, x, y};
    const QString path = dir.filePath("t.ktl");
    ASSERT_EQ(writeStraightenedFile(path, kHeader, curve), 0);
    EXPECT_EQ(fileLines(path),
              utf8({"Comments", "01.02.2024", "12:34:56",
                    "спрямление по Тунельному Ampereу, разброс точек = разброс точек: 3.4%", "   ",
                    "Volt (U)   Ampere (ln(I/(U*U)))  Series 1-3", "Точек", "2", "   ",
                    " 5.00000000000000E-0001   -1.20000000000000E-0005",
                    " 2.00000000000000E+0000    1.50000000000000E+0000"}));
    // Windows-1251 on disk: "Точек" is D2 EE F7 E5 EA.
    EXPECT_TRUE(fileBytes(path).contains("\r\n\xD2\xEE\xF7\xE5\xEA\r\n2\r\n"));
}

TEST(AnalysisFiles, EachMechanismWritesItsOwnHeadingAndColumns) {
    QTemporaryDir dir;
    struct Expected {
        Mechanism mechanism;
        const char* heading;
        const char* columns;
    };
    const Expected cases[] = {
        {Mechanism::Ohm, "спрямление по закону Ома, разброс точек = ", "Volt(U)   Ampere (I)  "},
        {Mechanism::PooleFrenkel, "спрямление по Пул-Френкелю, разброс точек = ",
         "Volt(корень квадратный из U)   Ampere (ln(I/U))  "},
        {Mechanism::SpaceCharge,
         "спрямление по ТОПЗ, разброс точек = ", "Volt (log10(U))   Ampere (log10(I))  "},
        {Mechanism::Tunnel,
         "спрямление по Тунельному Ampereу, разброс точек = ", "Volt (U)   Ampere (ln(I/(U*U)))  "},
        {Mechanism::Schottky, "спрямление по Ampereу Шотки, разброс точек = ",
         "Volt (корень квадратный из U)   Ampere (ln(I))  "},
    };
    for (const Expected& expected : cases) {
        const QString path = dir.filePath("m.ktl");
        const StraightenedCurve curve{expected.mechanism, QString(), 8, 150, {}, {}};
        ASSERT_EQ(writeStraightenedFile(path, kHeader, curve), 0);
        const QStringList lines = fileLines(path);
        ASSERT_EQ(lines.size(), 9);  // an empty selection writes the count 0 and no points
        EXPECT_EQ(lines[3], QString::fromUtf8(expected.heading));
        EXPECT_EQ(lines[5], QString::fromUtf8(expected.columns) + "Series 8-150");
        EXPECT_EQ(lines[7], "0");
    }
}

TEST(AnalysisFiles, TheMeasuredSegmentFileWritesTheStoredValuesSignsKept) {
    QTemporaryDir dir;
    auto store = std::make_unique<SeriesStore>();
    storeSegment(*store, 2, 7, {{-1.0f, -3.814697265625e-6f}, {0.1f, 0.0f}});
    const QString path = dir.filePath("m.ktl");
    ASSERT_EQ(writeMeasuredSegmentFile(path, kHeader, *store, 2, 7), 0);
    EXPECT_EQ(
        fileLines(path),
        utf8({"Comments", "01.02.2024", "12:34:56", "   ", "Volt   Ampere  Series 2-7", "Точек",
              " 2.00000000000000E+0000", "   ", "-1.00000000000000E+0000   -3.81469726562500E-0006",
              " 1.00000001490116E-0001    0.00000000000000E+0000"}));
}

TEST(AnalysisFiles, AllSeriesGoIntoALinearAndAnAbsoluteFile) {
    QTemporaryDir dir;
    auto store = std::make_unique<SeriesStore>();
    storeSegment(*store, 1, 1, {{-1.0f, -2.0f}});
    storeSegment(*store, 3, 1, {{0.5f, 0.25f}});
    storeSegment(*store, 1, 2, {{2.0f, -0.5f}});
    storeSegment(*store, 1, 3, {});  // an empty trailing series adds nothing
    const QString path = dir.filePath("all.txt");
    ASSERT_EQ(writeAllSeriesFiles(path, *store), 0);
    EXPECT_EQ(fileLines(path), QStringList({"-1.00000000000000E+0000   -2.00000000000000E+0000",
                                            " 5.00000000000000E-0001    2.50000000000000E-0001",
                                            " 2.00000000000000E+0000   -5.00000000000000E-0001"}));
    EXPECT_EQ(logFilePath(path), dir.filePath("all.txt_log"));
    EXPECT_EQ(fileLines(dir.filePath("all.txt_log")),
              QStringList({"-1.00000000000000E+0000    2.00000000000000E+0000",
                           " 5.00000000000000E-0001    2.50000000000000E-0001",
                           " 2.00000000000000E+0000    5.00000000000000E-0001"}));
}

TEST(AnalysisFiles, AnUnwritableFolderGivesTheRuntimeErrorAndNoLogFile) {
    QTemporaryDir dir;
    auto store = std::make_unique<SeriesStore>();
    const QString path = dir.filePath("missing/all.txt");
    EXPECT_EQ(writeAllSeriesFiles(path, *store), tarvix::text::kFileNotFound);
    EXPECT_FALSE(QFile::exists(logFilePath(path)));
    EXPECT_EQ(writeStraightenedFile(path, kHeader, {}), tarvix::text::kFileNotFound);
}

TEST(AnalysisFiles, TheSeriesReaderOpensACurveFileAsOneSegment) {
    QTemporaryDir dir;
    const std::vector<double> x{0.5, 2.0, 3.0};
    const std::vector<double> y{-1.5, 0.25, 4.0};
    const QString straightened = dir.filePath("s.ktl");
    ASSERT_EQ(
        writeStraightenedFile(straightened, kHeader, {Mechanism::Schottky, QString(), 1, 1, x, y}),
        0);
    auto store = std::make_unique<SeriesStore>();
    const auto result =
        tarvix::series::readKtlFile(straightened, *store, tarvix::series::KtlLabels::Take);
    ASSERT_EQ(result.error, 0);
    EXPECT_EQ(store->storedCount(1, 1), 3);
    EXPECT_EQ(store->storedCount(2, 1), 0);
    EXPECT_EQ(store->storedVoltage(1, 1)[2], 2.0f);
    EXPECT_EQ(store->storedCurrent(1, 1)[1], -1.5f);
    EXPECT_EQ(store->storedCurrent(1, 1)[3], 4.0f);

    // The measured-segment file reads back to the same points.
    auto source = std::make_unique<SeriesStore>();
    storeSegment(*source, 4, 9, {{-1.0f, -1e-6f}, {1.0f, 2e-6f}});
    const QString measured = dir.filePath("m.ktl");
    ASSERT_EQ(writeMeasuredSegmentFile(measured, kHeader, *source, 4, 9), 0);
    auto reopened = std::make_unique<SeriesStore>();
    ASSERT_EQ(
        tarvix::series::readKtlFile(measured, *reopened, tarvix::series::KtlLabels::Take).error, 0);
    EXPECT_EQ(reopened->storedCount(1, 1), 2);
    EXPECT_EQ(reopened->storedVoltage(1, 1)[1], -1.0f);
    EXPECT_EQ(reopened->storedCurrent(1, 1)[2], 2e-6f);
}
