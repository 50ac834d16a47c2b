#include "series/KtlFileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <QBuffer>
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <optional>
#include <string_view>

#include "series/KtlFileFormat.h"
#include "series/KtlFileLines.h"
#include "series/KtlFileNumber.h"
#include "series/KtlFileStoreSteps.h"
#include "series/SeriesStore.h"
#include "text/Cp1251.h"
#include "text/FileError.h"

namespace tarvix::series {

namespace {

bool isHeaderLine(std::string_view line) {
    return line == kKtlPointsHeader || line == kKtlOldPointsHeader;
}

QString decode(std::string_view line) {
    return text::fromCp1251(QByteArray(line.data(), static_cast<qsizetype>(line.size())));
}

// A value the float tables can hold; anything larger would not be a number there.
std::optional<float> toFloat(const std::optional<LineNumber>& number) {
    if (!number || std::fabs(number->value) > FLT_MAX) {
        return std::nullopt;
    }
    return static_cast<float>(number->value);
}

// One pass over a file: the cursor (segment, slot), the ranges and the outcome.
class KtlReader {
  public:
    KtlReader(QIODevice& device, SeriesStore& store, KtlLabels labels)
        : lines_(device), store_(store), labels_(labels) {}

    KtlReadResult run();

  private:
    void readFirstLines();
    // Returns false when reading must stop (an error or the store's limit).
    bool readBlock();
    bool readPoints(float* voltage, float* current, int count, int& kept);
    void advanceSegment();
    void finish();
    void fail(int code) { result_.error = code; }
    // A missing line, or a line cut short by the end of the file, is a truncated file.
    // A number on a last line without its line end may have lost digits: it is not taken.
    bool cutShort() const { return !lines_.lastLineTerminated(); }
    int truncationOr(int code) const {
        return lines_.lastLineTerminated() ? code : text::kReadBeyondEnd;
    }

    KtlLineReader lines_;
    SeriesStore& store_;
    KtlLabels labels_;
    KtlReadResult result_;
    int segment_ = 1;
    int slot_ = 1;
    bool storeFull_ = false;  // slot 150 holds eight segments
    bool pointsCut_ = false;
    bool seriesCut_ = false;
};

KtlReadResult KtlReader::run() {
    readFirstLines();
    std::string_view line;
    while (lines_.next(line)) {
        if (isHeaderLine(line) && !readBlock()) {
            break;
        }
    }
    if (result_.error == 0 && lines_.readFailed()) {
        fail(text::kReadBeyondEnd);
    }
    finish();
    return result_;
}

void KtlReader::readFirstLines() {
    QString* first[] = {&result_.comment, &result_.date, &result_.time};
    std::string_view line;
    for (QString* target : first) {
        if (!lines_.next(line)) {
            return;  // a short file simply has no blocks
        }
        *target = decode(line);
    }
}

bool KtlReader::readBlock() {
    if (labels_ == KtlLabels::Take && !storeFull_) {
        store_.segmentLabel(segment_, slot_) = decode(lines_.previous());
    }
    std::string_view line;
    if (!lines_.next(line)) {
        fail(text::kReadBeyondEnd);
        return false;
    }
    const std::optional<float> count = cutShort() ? std::nullopt : toFloat(readLineNumber(line));
    if (!count) {
        fail(truncationOr(text::kInvalidNumericInput));
        return false;
    }
    if (*count == 0) {
        return true;  // an empty block takes no segment
    }
    if (storeFull_) {
        seriesCut_ = true;
        return false;
    }
    float* voltage = store_.storedVoltage(segment_, slot_);
    float* current = store_.storedCurrent(segment_, slot_);
    voltage[0] = 0;  // a file's counts live in the current table only
    current[0] = 0;
    // Rounded, halves to even; a count beyond any file's size just runs into its end.
    const double wanted = std::clamp(std::nearbyint(static_cast<double>(*count)), 0.0, 2e9);
    int kept = 0;
    const bool complete = lines_.next(line) &&  // the three blanks after the count
                          readPoints(voltage, current, static_cast<int>(wanted), kept);
    current[0] = static_cast<float>(kept);
    if (!complete && result_.error == 0) {
        fail(text::kReadBeyondEnd);
    }
    if (complete || kept > 0) {
        advanceSegment();
    }
    return complete;
}

// Reads `count` point lines; the first 10000 go into the tables, the rest are passed over.
bool KtlReader::readPoints(float* voltage, float* current, int count, int& kept) {
    std::string_view line;
    for (int p = 1; p <= count; ++p) {
        if (!lines_.next(line)) {
            return false;
        }
        if (p > SeriesStore::kMaxPoints) {
            pointsCut_ = true;
            continue;
        }
        if (cutShort()) {
            fail(text::kReadBeyondEnd);
            return false;
        }
        const auto first = readLineNumber(line);
        const std::optional<float> v = toFloat(first);
        const std::optional<float> i =
            v ? toFloat(readLineNumber(line.substr(first->end))) : std::nullopt;
        if (!i) {
            fail(truncationOr(text::kInvalidNumericInput));
            return false;
        }
        voltage[p] = *v;
        current[p] = *i;
        kept = p;
        result_.voltageMax = std::max<double>(result_.voltageMax, *v);
        result_.voltageMin = std::min<double>(result_.voltageMin, *v);
        result_.currentMin = std::min<double>(result_.currentMin, *i);
        result_.currentMax = std::max<double>(result_.currentMax, *i);
    }
    return true;
}

void KtlReader::advanceSegment() {
    if (++segment_ <= SeriesStore::kSegments) {
        return;
    }
    segment_ = 1;
    if (slot_ == SeriesStore::kMaxSeries) {
        storeFull_ = true;  // seriesCount cannot name a slot beyond the tables
    } else {
        ++slot_;
    }
}

// seriesCount names the slot for the next block; segments of it that the file did not fill
// are emptied, so that nothing left from earlier shows up as part of the last series.
void KtlReader::finish() {
    store_.seriesCount = slot_;
    if (!storeFull_) {
        for (int segment = segment_; segment <= SeriesStore::kSegments; ++segment) {
            store_.storedCurrent(segment, slot_)[0] = 0;
            store_.storedVoltage(segment, slot_)[0] = 0;
        }
    }
    result_.lastSeriesHoldsData = slotHoldsData(store_, slot_);
    QStringList messages;
    if (seriesCut_) {
        messages << QStringLiteral("The file holds more than %1 series; the first %1 were read.")
                        .arg(SeriesStore::kMaxSeries);
    }
    if (pointsCut_) {
        messages << QStringLiteral(
                        "A block holds more than %1 points; only the first %1 were kept.")
                        .arg(SeriesStore::kMaxPoints);
    }
    result_.limitMessage = messages.join(QLatin1Char('\n'));
}

}  // namespace

KtlReadResult readKtl(QIODevice& device, SeriesStore& store, KtlLabels labels) {
    return KtlReader(device, store, labels).run();
}

KtlReadResult readKtl(const QByteArray& bytes, SeriesStore& store, KtlLabels labels) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readKtl(buffer, store, labels);
}

KtlReadResult readKtlFile(const QString& path, SeriesStore& store, KtlLabels labels) {
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (descriptor < 0 || ::fstat(descriptor, &status) != 0 || S_ISDIR(status.st_mode)) {
        const int error = descriptor < 0 ? errno : EISDIR;
        if (descriptor >= 0) {
            ::close(descriptor);
        }
        KtlReadResult failed;
        failed.error = text::fileErrorFromErrno(error);
        return failed;
    }
    QFile file;
    file.open(descriptor, QIODevice::ReadOnly | QIODevice::Unbuffered,
              QFileDevice::AutoCloseHandle);
    return readKtl(file, store, labels);
}

}  // namespace tarvix::series
