#include "series/KtlFileWriter.h"

#include <QByteArray>
#include <algorithm>
#include <memory>

#include "series/KtlFileRealText.h"
#include "series/KtlFileStoreSteps.h"
#include "series/SeriesStore.h"
#include "text/ClockText.h"
#include "text/Cp1251.h"
#include "text/SafeFileWriter.h"

namespace tarvix::series {

namespace {

constexpr char kBlankLine[] = "   ";
constexpr char kHeaderWord[] = "Number of points";
constexpr qsizetype kChunkSize = 1 << 20;
// One point line: number, three blanks, number, CR LF.
constexpr qsizetype kPointLineSize = 2 * static_cast<qsizetype>(kDefaultRealWidth) + 3 + 2;

// A label or comment must stay one line, or the file would not read back block for block.
QByteArray oneLine(const QString& text) {
    QByteArray bytes = text::toCp1251(text);
    bytes.replace('\r', ' ').replace('\n', ' ');
    return bytes;
}

// Builds the file text in a large buffer handed to the writer chunk by chunk, so that
// formatting never goes through a QString per number.
class BlockWriter {
  public:
    explicit BlockWriter(text::SafeFileWriter& writer)
        : writer_(writer), buffer_(new char[kChunkSize]) {}

    void line(const char* text) { line(QByteArray::fromRawData(text, qstrlen(text))); }
    void line(const QByteArray& bytes) {
        if (bytes.size() + 2 > kChunkSize - used_) {
            flush();
            if (bytes.size() + 2 > kChunkSize) {
                writer_.writeRawLine(bytes);
                return;
            }
        }
        std::copy_n(bytes.constData(), bytes.size(), buffer_.get() + used_);
        used_ += bytes.size();
        endLine(buffer_.get() + used_);
    }
    void number(double value) {
        reserve(kDefaultRealWidth + 2);
        endLine(writeDefaultReal(buffer_.get() + used_, value));
    }
    void points(const float* voltage, const float* current, int count) {
        for (int p = 1; p <= count; ++p) {
            reserve(kPointLineSize);
            char* out = writeDefaultReal(buffer_.get() + used_, voltage[p]);
            out = std::copy_n(kBlankLine, 3, out);
            endLine(writeDefaultReal(out, current[p]));
        }
    }
    void flush() {
        writer_.writeRaw(QByteArray::fromRawData(buffer_.get(), used_));
        used_ = 0;
    }

  private:
    void reserve(qsizetype bytes) {
        if (used_ + bytes > kChunkSize) {
            flush();
        }
    }
    void endLine(char* end) {
        end[0] = '\r';
        end[1] = '\n';
        used_ = end + 2 - buffer_.get();
    }

    text::SafeFileWriter& writer_;
    std::unique_ptr<char[]> buffer_;
    qsizetype used_ = 0;
};

void writeBlock(BlockWriter& out, const SeriesStore& store, int segment, int series) {
    const int count = storedPointCount(store, segment, series);
    out.line(kBlankLine);
    out.line(QByteArray("Volt Current  Series") + QByteArray::number(segment) + '-' +
             QByteArray::number(series));
    out.line(oneLine(store.segmentLabel(segment, series)));
    out.line(kHeaderWord);
    out.number(count);
    out.line(kBlankLine);
    out.points(store.storedVoltage(segment, series), store.storedCurrent(segment, series), count);
}

}  // namespace

KtlHeader ktlHeaderAt(const QString& comment, const QDateTime& now) {
    return {comment, text::shortDateText(now.date()), text::longTimeText(now.time())};
}

int writeKtlFile(const QString& path, const SeriesStore& store, const KtlHeader& header) {
    text::SafeFileWriter writer(path);
    if (writer.open() != 0) {
        return writer.error();
    }
    BlockWriter out(writer);
    out.line(oneLine(header.comment));
    out.line(oneLine(header.date));
    out.line(oneLine(header.time));
    const int lastSeries = std::clamp(store.seriesCount, 0, SeriesStore::kMaxSeries);
    for (int series = 1; series <= lastSeries; ++series) {
        for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
            writeBlock(out, store, segment, series);
        }
    }
    out.flush();
    return writer.commit();
}

int saveKtlFile(const QString& path, SeriesStore& store, const KtlHeader& header) {
    const int error = writeKtlFile(path, store, header);
    if (error == 0) {
        store.snapshotStored();
    }
    return error;
}

}  // namespace tarvix::series
