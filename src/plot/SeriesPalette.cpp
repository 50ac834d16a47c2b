// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/SeriesPalette.h"

#include <array>

namespace tarvix::plot {

QRgb seriesColour(int number) {
    static constexpr std::array<QRgb, 10> colours = {
        qRgb(0x00, 0x72, 0xB2), qRgb(0xD5, 0x5E, 0x00), qRgb(0x00, 0x9E, 0x73),
        qRgb(0xCC, 0x79, 0xA7), qRgb(0xE6, 0x9F, 0x00), qRgb(0x56, 0xB4, 0xE9),
        qRgb(0x8C, 0x56, 0x4B), qRgb(0x99, 0x99, 0x33), qRgb(0x88, 0x22, 0x55),
        qRgb(0x44, 0xAA, 0x99)};
    const int index = ((number - 1) % 10 + 10) % 10;
    return colours[static_cast<std::size_t>(index)];
}

}  // namespace tarvix::plot
