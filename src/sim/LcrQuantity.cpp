// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/LcrQuantity.h"

#include <cmath>
#include <functional>
#include <map>
#include <numbers>

namespace tarvix::sim {

namespace {

// The series view Z = Rs + jXs and the parallel view Y = Gp + jBp of one impedance.
struct Views {
    std::complex<double> z;
    std::complex<double> y;
    double omega;
};

struct Definition {
    std::string unit;
    std::function<double(const Views&)> value;
};

const std::map<std::string, Definition, std::less<>>& definitions() {
    using V = const Views&;
    static const std::map<std::string, Definition, std::less<>> table = {
        {"CS", {"F", [](V v) { return -1.0 / (v.omega * v.z.imag()); }}},
        {"CP", {"F", [](V v) { return v.y.imag() / v.omega; }}},
        {"LS", {"H", [](V v) { return v.z.imag() / v.omega; }}},
        {"LP", {"H", [](V v) { return -1.0 / (v.omega * v.y.imag()); }}},
        {"RS", {"Ohm", [](V v) { return v.z.real(); }}},
        {"ESR", {"Ohm", [](V v) { return v.z.real(); }}},
        {"RP", {"Ohm", [](V v) { return 1.0 / v.y.real(); }}},
        {"DF", {"", [](V v) { return v.z.real() / std::abs(v.z.imag()); }}},
        {"Q", {"", [](V v) { return std::abs(v.z.imag()) / v.z.real(); }}},
        {"Z", {"Ohm", [](V v) { return std::abs(v.z); }}},
        {"Y", {"S", [](V v) { return std::abs(v.y); }}},
        {"P", {"Deg", [](V v) { return std::arg(v.z) * 180.0 / std::numbers::pi; }}},
        {"GP", {"S", [](V v) { return v.y.real(); }}},
        {"XS", {"Ohm", [](V v) { return v.z.imag(); }}},
        {"BP", {"S", [](V v) { return v.y.imag(); }}},
    };
    return table;
}

}  // namespace

std::optional<LcrQuantity> lcrQuantity(std::string_view code, std::complex<double> z,
                                       double hertz) {
    const std::string_view automatic = std::abs(z.real()) >= std::abs(z.imag()) ? "RP" : "CP";
    const std::string chosen(code == "A" ? automatic : code);
    const auto found = definitions().find(chosen);
    if (found == definitions().end()) {
        return std::nullopt;
    }
    const Views views{z, 1.0 / z, 2.0 * std::numbers::pi * hertz};
    return LcrQuantity{chosen, found->second.value(views), found->second.unit};
}

}  // namespace tarvix::sim
