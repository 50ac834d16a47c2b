// SPDX-License-Identifier: GPL-3.0-or-later
// tarvix-ktlbench NUMBERS FOLDER
//
// Fills the slots of a store (up to 150 series x 8 segments x 10000 points, as many whole
// series as NUMBERS holds) from NUMBERS, raw little-endian float32 (voltage, current) pairs
// in slot order, saves it as a series
// file in FOLDER, reads that file back into the emptied store and prints the seconds each
// took (wall clock and processor), and how many segments came back different.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "series/KtlFileReader.h"
#include "series/KtlFileStoreSteps.h"
#include "series/KtlFileWriter.h"
#include "series/SeriesStore.h"
#include "text/FileError.h"

using namespace tarvix::series;

namespace {

constexpr qint64 kSeriesBytes =
    qint64(SeriesStore::kSegments) * SeriesStore::kMaxPoints * 2 * qint64(sizeof(float));

// The number of series filled, 0 when NUMBERS does not hold one whole series.
int fill(SeriesStore& store, const QByteArray& numbers) {
    const int seriesCount =
        static_cast<int>(std::min<qint64>(numbers.size() / kSeriesBytes, SeriesStore::kMaxSeries));
    const char* next = numbers.constData();
    for (int series = 1; series <= seriesCount; ++series) {
        for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
            float* voltage = store.storedVoltage(segment, series);
            float* current = store.storedCurrent(segment, series);
            voltage[0] = current[0] = SeriesStore::kMaxPoints;
            for (int p = 1; p <= SeriesStore::kMaxPoints; ++p) {
                std::memcpy(&voltage[p], next, sizeof(float));
                std::memcpy(&current[p], next + sizeof(float), sizeof(float));
                next += 2 * sizeof(float);
            }
        }
    }
    store.seriesCount = seriesCount;
    store.snapshotStored();  // the copies keep the numbers for the comparison
    return seriesCount;
}

qint64 differences(const SeriesStore& store) {
    qint64 count = 0;
    for (int series = 1; series <= SeriesStore::kMaxSeries; ++series) {
        for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
            count += std::memcmp(store.storedVoltage(segment, series) + 1,
                                 store.storedVoltageCopy(segment, series) + 1,
                                 SeriesStore::kMaxPoints * sizeof(float)) != 0;
            count += std::memcmp(store.storedCurrent(segment, series),
                                 store.storedCurrentCopy(segment, series),
                                 SeriesStore::kSlotsPerSegment * sizeof(float)) != 0;
        }
    }
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s NUMBERS FOLDER\n", argv[0]);
        return 2;
    }
    QFile numbersFile(QString::fromLocal8Bit(argv[1]));
    if (!numbersFile.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    SeriesStore store;
    if (fill(store, numbersFile.readAll()) == 0) {
        std::fprintf(stderr, "%s holds fewer than %lld bytes, one series\n", argv[1],
                     static_cast<long long>(kSeriesBytes));
        return 1;
    }
    const QString path = QDir(QString::fromLocal8Bit(argv[2])).filePath("bench.ktl");

    QElapsedTimer timer;
    timer.start();
    std::clock_t cpu = std::clock();
    const int saveError = writeKtlFile(path, store, {"bench", "date", "time"});
    const double saveSeconds = timer.nsecsElapsed() * 1e-9;
    const double saveCpuSeconds = double(std::clock() - cpu) / CLOCKS_PER_SEC;
    if (saveError != 0) {
        std::fprintf(stderr, "save: %s\n", qPrintable(tarvix::text::fileErrorText(saveError)));
        return 1;
    }

    clearStoreForOpen(store);
    timer.restart();
    cpu = std::clock();
    const KtlReadResult result = readKtlFile(path, store, KtlLabels::Take);
    const double openSeconds = timer.nsecsElapsed() * 1e-9;
    const double openCpuSeconds = double(std::clock() - cpu) / CLOCKS_PER_SEC;
    if (result.error != 0) {
        std::fprintf(stderr, "open: %s\n", qPrintable(tarvix::text::fileErrorText(result.error)));
        return 1;
    }
    std::printf("bytes %lld\n", static_cast<long long>(QFileInfo(path).size()));
    std::printf("save_seconds %.3f\n", saveSeconds);
    std::printf("open_seconds %.3f\n", openSeconds);
    std::printf("save_cpu_seconds %.3f\n", saveCpuSeconds);
    std::printf("open_cpu_seconds %.3f\n", openCpuSeconds);
    std::printf("segments_differing %lld\n", static_cast<long long>(differences(store)));
    return 0;
}
