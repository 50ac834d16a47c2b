// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cmath>

namespace tarvix::plot {

// What an axis shows: the quantity's name and unit, and how it behaves on a log axis.
struct Quantity {
    QString name;
    QString unit;
    // A log axis shows the magnitude (|I| of a current that changes sign) and says so.
    bool magnitudeOnLog = false;
    // Tick labels take SI prefixes (µA, kΩ); not for units such as °C.
    bool siPrefixes = true;

    bool operator==(const Quantity& other) const = default;
};

// "Voltage (V)", "|Current| (A)" on a log axis, or the bare name without a unit.
QString axisTitle(const Quantity& quantity, bool log);

// The span an axis shows, in the quantity's own units.
struct AxisRange {
    double low = 0.0;
    double high = 1.0;
    bool log = false;

    bool operator==(const AxisRange& other) const = default;
    // Both ends finite and ordered, and above 0 on a log axis.
    bool usable() const;
};

// Maps values of one axis to pixels and back. A log axis works on log10 of the value (its
// "coordinate"); a linear axis on the value itself.
class AxisMap {
  public:
    AxisMap() = default;
    // `magnitude`: a log axis shows |value| (see Quantity::magnitudeOnLog).
    AxisMap(const AxisRange& range, double pixelLow, double pixelHigh, bool magnitude = false);

    const AxisRange& range() const { return range_; }
    bool log() const { return range_.log; }
    bool magnitude() const { return magnitude_; }
    // The value as the axis places it (its magnitude where that is shown), and whether the
    // axis can show it at all (not NaN, and above 0 on a log axis).
    double onAxis(double value) const {
        return range_.log && magnitude_ ? (value < 0 ? -value : value) : value;
    }
    bool shows(double value) const { return value == value && (!range_.log || value > 0.0); }
    double coordinate(double value) const { return range_.log ? std::log10(value) : value; }
    double valueAt(double coordinate) const;
    double pixelOfCoordinate(double coordinate) const { return scale_ * coordinate + offset_; }
    double pixel(double value) const { return pixelOfCoordinate(coordinate(value)); }
    double coordinateAt(double pixel) const { return (pixel - offset_) / scale_; }
    double valueAtPixel(double pixel) const { return valueAt(coordinateAt(pixel)); }
    double scale() const { return scale_; }
    double offset() const { return offset_; }

  private:
    AxisRange range_;
    double scale_ = 1.0;
    double offset_ = 0.0;
    bool magnitude_ = false;
};

}  // namespace tarvix::plot
