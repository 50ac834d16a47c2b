// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "text/CsvWriter.h"

using tarvix::text::CsvWriter;

// Cells that a CSV reader, or one that skips "#" comments, would otherwise split or cut short,
// and numbers that must read back to the same value in the fewest characters.
TEST(CsvWriter, CellsQuoteWhatReadersWouldSplitAndNumbersRoundTrip) {
    const std::pair<QByteArray, QByteArray> cells[] = {
        {CsvWriter::cell(QStringLiteral("plain")), "plain"},
        {CsvWriter::cell(QStringLiteral("a,b")), "\"a,b\""},
        {CsvWriter::cell(QStringLiteral("say \"hi\"")), "\"say \"\"hi\"\"\""},
        {CsvWriter::cell(QStringLiteral("run #2")), "\"run #2\""},
        {CsvWriter::cell(QStringLiteral("two\nlines")), "\"two\nlines\""},
        {CsvWriter::cell(QStringLiteral("ёж")), "ёж"},
        {CsvWriter::cell(0.8958f), "0.8958"},
        {CsvWriter::cell(1e-11), "1e-11"},
        {CsvWriter::cell(-2e-6f), "-2e-06"},
        {CsvWriter::cell(1000.0), "1000.0"},
        {CsvWriter::cell(-0.0f), "-0.0"},
        {CsvWriter::cell(std::numeric_limits<double>::quiet_NaN()), ""},
        {CsvWriter::cell(HUGE_VAL), ""},
        {CsvWriter::cell(42), "42"},
    };
    for (const auto& [actual, expected] : cells) {
        EXPECT_EQ(actual, expected);
    }
}
