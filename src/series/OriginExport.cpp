// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/OriginExport.h"

#include <QByteArray>
#include <algorithm>
#include <string_view>
#include <vector>

#include "series/ExportCorrections.h"
#include "series/KtlFileChunks.h"
#include "series/KtlFileName.h"
#include "series/KtlFileStoreSteps.h"
#include "series/SeriesStore.h"
#include "text/SafeFileWriter.h"

namespace tarvix::series {

namespace {

constexpr std::string_view kTab = "\t";

struct ColumnPair {
    int segment;
    int series;
    int count;
};

std::vector<ColumnPair> collectPairs(const SeriesStore& store) {
    std::vector<ColumnPair> pairs;
    const int lastSeries = std::clamp(store.seriesCount, 0, SeriesStore::kMaxSeries);
    for (int series = 1; series <= lastSeries; ++series) {
        for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
            if (store.storedCurrent(segment, series)[0] != 0) {
                pairs.push_back({segment, series, storedPointCount(store, segment, series)});
            }
        }
    }
    return pairs;
}

void writeHeaderRows(KtlChunkWriter& out, const SeriesStore& store,
                     const std::vector<ColumnPair>& pairs, const QString& seriesDate) {
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        out.text("X\tY\t");
    }
    out.lineEnd();
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        out.text("Volt\tAmper\t");
    }
    out.lineEnd();
    const QByteArray date = oneLineCp1251(seriesDate);
    for (const ColumnPair& pair : pairs) {
        out.text(date);
        out.text(kTab);
        out.text(oneLineCp1251(store.segmentLabel(pair.segment, pair.series)));
        out.text(kTab);
    }
    out.lineEnd();
}

// Row r holds point r of every pair; a pair without that point leaves two empty cells, and
// only the last pair's point goes without a closing TAB.
void writeDataRows(KtlChunkWriter& out, const SeriesStore& store,
                   const std::vector<ColumnPair>& pairs) {
    int rows = 0;
    for (const ColumnPair& pair : pairs) {
        rows = std::max(rows, pair.count);
    }
    for (int r = 1; r <= rows; ++r) {
        for (std::size_t k = 0; k < pairs.size(); ++k) {
            const ColumnPair& pair = pairs[k];
            if (r > pair.count) {
                out.text("\t\t");
                continue;
            }
            out.number(store.storedVoltage(pair.segment, pair.series)[r]);
            out.text(kTab);
            out.number(store.storedCurrent(pair.segment, pair.series)[r]);
            if (k + 1 < pairs.size()) {
                out.text(kTab);
            }
        }
        out.lineEnd();
    }
}

}  // namespace

QString originExportPath(const QString& currentFilePath, const ExportOptions& options) {
    if (currentFilePath.isEmpty()) {
        return {};
    }
    QString path = currentFilePath;
    if (path.endsWith(QLatin1String(kKtlExtension))) {
        path.chop(static_cast<qsizetype>(std::string_view(kKtlExtension).size()));
    }
    if (options.drift) {
        path += QLatin1String("-Zero-");
    }
    switch (options.resistor) {
        case SeriesResistor::R1K:
            path += QLatin1String("1K");
            break;
        case SeriesResistor::R10K:
            path += QLatin1String("10K");
            break;
        case SeriesResistor::R1M:
            path += QLatin1String("1M");
            break;
        case SeriesResistor::R100K:
            path += QLatin1String("100K");
            break;
        case SeriesResistor::None:
            break;
    }
    if (options.absoluteCurrent) {
        path += QLatin1String("+ABS");
    }
    return path + QLatin1String(".ktl_o");
}

int writeOriginExport(const QString& path, const SeriesStore& store, const QString& seriesDate) {
    text::SafeFileWriter writer(path);
    if (writer.open() != 0) {
        return writer.error();
    }
    const std::vector<ColumnPair> pairs = collectPairs(store);
    KtlChunkWriter out(writer);
    writeHeaderRows(out, store, pairs, seriesDate);
    writeDataRows(out, store, pairs);
    out.flush();
    return writer.commit();
}

}  // namespace tarvix::series
