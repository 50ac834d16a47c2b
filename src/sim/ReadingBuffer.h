// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "sim/TspValue.h"

namespace tarvix::sim {

// A reading buffer of the 2636A (smua.nvbuffer1, nvbuffer2, or one a script makes with
// smua.makebuffer): the readings the measure functions stored, each with the value sourced,
// its time and the channel's state then.
class ReadingBuffer {
  public:
    enum class Quantity { Amps, Volts, Ohms, Watts };
    struct Entry {
        double reading = 0.0;
        double sourceValue = 0.0;
        double time = 0.0;  // seconds of the instrument's clock
        int status = 0;
        Quantity measured = Quantity::Amps;
        bool sourcingVolts = true;
        bool outputOn = false;
        double measureRange = 0.0;
        double sourceRange = 0.0;
        // Set by store() from the buffer's collect settings at that moment.
        bool sourceCollected = false;
        bool timeCollected = false;
    };
    // Status bits of a reading.
    static constexpr int kMeasureAutoranged = 0x04;
    static constexpr int kRemoteSense = 0x10;
    static constexpr int kCompliance = 0x40;

    explicit ReadingBuffer(std::size_t capacity) : capacity_(capacity) {}

    // A measure function is about to store readings: without append mode they replace the
    // buffer's contents.
    void beginMeasurement();
    // False when the buffer is full.
    bool store(Entry entry);
    void clear() { entries_.clear(); }
    // The settings after reset().
    void reset();
    std::size_t size() const { return entries_.size(); }

    // "n", "capacity", "appendmode", "basetimestamp", ...; nothing for any other name.
    std::optional<double> attribute(std::string_view name) const;
    // Writes a setting and returns true; false when `name` is none. Throws TspError for a
    // value the setting does not take.
    bool setAttribute(std::string_view name, double value);

    // The subtables: readings, sourcevalues, timestamps, statuses, measurefunctions,
    // measureranges, sourcefunctions, sourceoutputstates, sourceranges.
    enum class Column {
        Readings,
        SourceValues,
        Timestamps,
        Statuses,
        MeasureFunctions,
        MeasureRanges,
        SourceFunctions,
        SourceOutputStates,
        SourceRanges
    };
    static std::optional<Column> column(std::string_view name);
    // One entry of a column: nothing past the end or where it was not collected.
    struct Cell {
        enum class Kind { Nil, Number, Text } kind = Kind::Nil;
        double number = 0.0;
        const char* text = "";
    };
    // Entry `index` (from 0) of a column.
    Cell cell(Column column, std::size_t index) const;

  private:
    std::size_t capacity_;
    std::vector<Entry> entries_;
    bool appendMode_ = false;
    bool collectSourceValues_ = false;
    bool collectTimestamps_ = true;
    double timestampResolution_ = 1e-6;
};

}  // namespace tarvix::sim
