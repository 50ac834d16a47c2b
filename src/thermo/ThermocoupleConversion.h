// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tarvix::thermo {

// Type-K thermocouple, quadratic fit of the voltage against the temperature:
//   Vtc = a*T^2 + b*T + c + d*Tref   (volts, kelvin)
namespace thermocouple {
inline constexpr double a = 3.357102e-08;
inline constexpr double b = 1.598381e-05;
inline constexpr double c = 0.003823111;
inline constexpr double d = -3.8928e-05;
}  // namespace thermocouple

// The temperature in kelvin for a thermocouple voltage (V) and the reference temperature (K);
// -1 when the fit has no real root. A missing (NaN) input gives NaN.
double thermocoupleTemperature(double thermocoupleVolts, double referenceKelvin);

// The program's Celsius: kelvin minus 273 (not 273.15), as every stored file has it.
constexpr double kelvinToCelsius(double kelvin) {
    return kelvin - 273.0;
}

}  // namespace tarvix::thermo
