// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ReadingBuffer.h"

#include <cmath>
#include <string>

#include "sim/ErrorQueue.h"

namespace tarvix::sim {

namespace {

struct ColumnName {
    std::string_view name;
    ReadingBuffer::Column column;
};
constexpr ColumnName kColumns[] = {
    {"readings", ReadingBuffer::Column::Readings},
    {"sourcevalues", ReadingBuffer::Column::SourceValues},
    {"timestamps", ReadingBuffer::Column::Timestamps},
    {"statuses", ReadingBuffer::Column::Statuses},
    {"measurefunctions", ReadingBuffer::Column::MeasureFunctions},
    {"measureranges", ReadingBuffer::Column::MeasureRanges},
    {"sourcefunctions", ReadingBuffer::Column::SourceFunctions},
    {"sourceoutputstates", ReadingBuffer::Column::SourceOutputStates},
    {"sourceranges", ReadingBuffer::Column::SourceRanges},
};

const char* quantityName(ReadingBuffer::Quantity quantity) {
    switch (quantity) {
        case ReadingBuffer::Quantity::Amps:
            return "Current";
        case ReadingBuffer::Quantity::Volts:
            return "Voltage";
        case ReadingBuffer::Quantity::Ohms:
            return "Resistance";
        case ReadingBuffer::Quantity::Watts:
            return "Power";
    }
    return "";
}

bool switchValue(double value) {
    if (value != 0.0 && value != 1.0) {
        throw TspError{errors::kOutOfRange, std::string(errors::text(errors::kOutOfRange))};
    }
    return value != 0.0;
}

}  // namespace

void ReadingBuffer::beginMeasurement() {
    if (!appendMode_) {
        entries_.clear();
    }
}

bool ReadingBuffer::store(Entry entry) {
    if (entries_.size() >= capacity_) {
        return false;
    }
    entry.sourceCollected = collectSourceValues_;
    entry.timeCollected = collectTimestamps_;
    entries_.push_back(entry);
    return true;
}

void ReadingBuffer::reset() {
    *this = ReadingBuffer(capacity_);
}

std::optional<double> ReadingBuffer::attribute(std::string_view name) const {
    const auto flag = [](bool on) { return on ? 1.0 : 0.0; };
    if (name == "n") {
        return static_cast<double>(entries_.size());
    }
    if (name == "capacity") {
        return static_cast<double>(capacity_);
    }
    if (name == "appendmode") {
        return flag(appendMode_);
    }
    if (name == "collectsourcevalues") {
        return flag(collectSourceValues_);
    }
    if (name == "collecttimestamps") {
        return flag(collectTimestamps_);
    }
    if (name == "timestampresolution") {
        return timestampResolution_;
    }
    if (name == "basetimestamp") {
        return entries_.empty() ? 0.0 : entries_.front().time;
    }
    return std::nullopt;
}

bool ReadingBuffer::setAttribute(std::string_view name, double value) {
    if (name == "appendmode") {
        appendMode_ = switchValue(value);
    } else if (name == "collectsourcevalues") {
        collectSourceValues_ = switchValue(value);
    } else if (name == "collecttimestamps") {
        collectTimestamps_ = switchValue(value);
    } else if (name == "timestampresolution") {
        if (!(value >= 1e-6 && value <= 1.0)) {
            throw TspError{errors::kOutOfRange, std::string(errors::text(errors::kOutOfRange))};
        }
        timestampResolution_ = value;
    } else {
        return false;
    }
    return true;
}

std::optional<ReadingBuffer::Column> ReadingBuffer::column(std::string_view name) {
    for (const ColumnName& entry : kColumns) {
        if (entry.name == name) {
            return entry.column;
        }
    }
    return std::nullopt;
}

ReadingBuffer::Cell ReadingBuffer::cell(Column column, std::size_t index) const {
    if (index >= entries_.size()) {
        return {};
    }
    const auto number = [](double value) { return Cell{Cell::Kind::Number, value, ""}; };
    const auto text = [](const char* value) { return Cell{Cell::Kind::Text, 0.0, value}; };
    const Entry& entry = entries_[index];
    switch (column) {
        case Column::Readings:
            return number(entry.reading);
        case Column::SourceValues:
            return entry.sourceCollected ? number(entry.sourceValue) : Cell{};
        case Column::Timestamps: {
            const double elapsed = entry.time - entries_.front().time;
            return entry.timeCollected
                       ? number(std::round(elapsed / timestampResolution_) * timestampResolution_)
                       : Cell{};
        }
        case Column::Statuses:
            return number(entry.status);
        case Column::MeasureFunctions:
            return text(quantityName(entry.measured));
        case Column::MeasureRanges:
            return number(entry.measureRange);
        case Column::SourceFunctions:
            return text(entry.sourcingVolts ? "Voltage" : "Current");
        case Column::SourceOutputStates:
            return text(entry.outputOn ? "On" : "Off");
        case Column::SourceRanges:
            return number(entry.sourceRange);
    }
    return {};
}

}  // namespace tarvix::sim
