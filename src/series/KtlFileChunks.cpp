// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/KtlFileChunks.h"

#include <algorithm>

#include "series/KtlFileRealText.h"
#include "text/Cp1251.h"
#include "text/SafeFileWriter.h"

namespace tarvix::series {

namespace {
constexpr qsizetype kChunkSize = 1 << 20;
}

KtlChunkWriter::KtlChunkWriter(text::SafeFileWriter& writer)
    : writer_(writer), buffer_(new char[kChunkSize]) {}

KtlChunkWriter::KtlChunkWriter(text::SafeFileWriter& writer, qint64 offset)
    : writer_(writer), buffer_(new char[kChunkSize]), offset_(offset) {}

KtlChunkWriter::~KtlChunkWriter() = default;

char* KtlChunkWriter::reserve(qsizetype bytes) {
    if (used_ + bytes > kChunkSize) {
        flush();
    }
    return buffer_.get() + used_;
}

void KtlChunkWriter::text(std::string_view bytes) {
    const auto size = static_cast<qsizetype>(bytes.size());
    if (size > kChunkSize) {
        flush();
        if (offset_ >= 0) {
            error_ = error_ != 0 ? error_ : writer_.writeRawAt(offset_, bytes.data(), size);
            offset_ += size;
        } else {
            writer_.writeRaw(QByteArray(bytes.data(), size));
        }
        return;
    }
    std::copy_n(bytes.data(), size, reserve(size));
    used_ += size;
}

void KtlChunkWriter::number(double value) {
    char* end = writeDefaultReal(reserve(kDefaultRealWidth), value);
    used_ = end - buffer_.get();
}

void KtlChunkWriter::pointLine(double first, std::string_view separator, double second) {
    const auto size = 2 * static_cast<qsizetype>(kDefaultRealWidth + 1) + separator.size();
    char* out = writeDefaultReal(reserve(size), first);
    out = std::copy_n(separator.data(), separator.size(), out);
    out = writeDefaultReal(out, second);
    out[0] = '\r';
    out[1] = '\n';
    used_ = out + 2 - buffer_.get();
}

void KtlChunkWriter::flush() {
    if (used_ == 0) {
        return;
    }
    if (offset_ < 0) {
        writer_.writeRaw(QByteArray::fromRawData(buffer_.get(), used_));
    } else if (error_ == 0) {
        error_ = writer_.writeRawAt(offset_, buffer_.get(), used_);
        offset_ += used_;
    }
    used_ = 0;
}

QByteArray oneLineCp1251(const QString& text) {
    QByteArray bytes = text::toCp1251(text);
    bytes.replace('\r', ' ').replace('\n', ' ').replace('\t', ' ');
    return bytes;
}

}  // namespace tarvix::series
