// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <complex>
#include <optional>
#include <string>
#include <string_view>

namespace tarvix::sim {

// One parameter an LCR meter derives from a measured impedance.
struct LcrQuantity {
    std::string code;  // the parameter actually reported ("RP" or "CP" for "A")
    double value = 0.0;
    std::string unit;  // "F", "H", "Ohm", "S", "Deg", or empty for DF and Q
};

// The parameter of code CS, CP, LS, LP, RS, RP, DF, Q, Z, Y, P, ESR, GP, XS, BP or A
// (automatic: RP for a predominantly resistive impedance, CP otherwise), from the impedance
// `z` at `hertz`. Nothing for an unknown code.
std::optional<LcrQuantity> lcrQuantity(std::string_view code, std::complex<double> z, double hertz);

}  // namespace tarvix::sim
