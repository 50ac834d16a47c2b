// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <memory>
#include <string_view>

namespace tarvix::text {
class SafeFileWriter;
}

namespace tarvix::series {

// Collects the text of a large data file in one buffer and hands it to the safe writer a
// megabyte at a time, with numbers formatted straight into the buffer.
class KtlChunkWriter {
  public:
    explicit KtlChunkWriter(text::SafeFileWriter& writer);
    // Writes at `offset` of the file on, through SafeFileWriter::writeRawAt: one part of a
    // file laid out beforehand. The first failure is kept in error().
    KtlChunkWriter(text::SafeFileWriter& writer, qint64 offset);
    ~KtlChunkWriter();
    KtlChunkWriter(const KtlChunkWriter&) = delete;
    KtlChunkWriter& operator=(const KtlChunkWriter&) = delete;

    void text(std::string_view bytes);
    void text(const char* bytes) { text(std::string_view(bytes)); }
    void text(const QByteArray& bytes) { text(std::string_view(bytes.constData(), bytes.size())); }
    void number(double value);  // the default real form
    void lineEnd() { text(std::string_view("\r\n", 2)); }
    void line(std::string_view bytes) {
        text(bytes);
        lineEnd();
    }
    void line(const QByteArray& bytes) {
        text(bytes);
        lineEnd();
    }
    // "number separator number" and CR LF, the line of one point.
    void pointLine(double first, std::string_view separator, double second);
    // Hands everything collected to the writer; call before committing it.
    void flush();
    int error() const { return error_; }

  private:
    char* reserve(qsizetype bytes);

    text::SafeFileWriter& writer_;
    std::unique_ptr<char[]> buffer_;
    qsizetype used_ = 0;
    qint64 offset_ = -1;  // where a positional writer writes next
    int error_ = 0;
};

// The bytes of a text that must stay within one line (and, in tab-separated files, one
// cell): Windows-1251, line breaks and TABs turned into blanks.
QByteArray oneLineCp1251(const QString& text);

}  // namespace tarvix::series
