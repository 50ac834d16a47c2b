// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QStringList>
#include <cmath>

#include "plot/AxisTicks.h"
#include "plot/SiText.h"

namespace tarvix::plot {
namespace {

const Quantity kCurrent{QStringLiteral("Current"), QStringLiteral("A"), true};
const Quantity kCelsius{QStringLiteral("Temperature"), QStringLiteral("°C"), false, false};

QStringList textsOf(const std::vector<AxisTick>& ticks, bool labelledOnly = true) {
    QStringList texts;
    for (const AxisTick& tick : ticks) {
        if (!labelledOnly || !tick.text.isEmpty()) {
            texts << tick.text;
        }
    }
    return texts;
}

struct TickCase {
    double low;
    double high;
    bool log;
    Quantity quantity;
    QString expected;  // labels joined by "|"
};

TEST(AxisTicks, RangesGiveRoundTicksWithOnePrefix) {
    const TickCase cases[] = {
        {-1.5e-5, 1.5e-5, false, kCurrent, "−15 µA|−10 µA|−5 µA|0|5 µA|10 µA|15 µA"},
        {0, 1e-4, false, kCurrent, "0|20 µA|40 µA|60 µA|80 µA|100 µA"},
        {-3e-6, 1.03e-4, false, kCurrent, "0|20 µA|40 µA|60 µA|80 µA|100 µA"},
        {0, 1.2e-3, false, kCurrent, "0|0.2 mA|0.4 mA|0.6 mA|0.8 mA|1.0 mA|1.2 mA"},
        {-2.1,
         2.1,
         false,
         {QStringLiteral("Voltage"), QStringLiteral("V")},
         "−2.0 V|−1.5 V|−1.0 V|−0.5 V|0|0.5 V|1.0 V|1.5 V|2.0 V"},
        {1000,
         4500,
         false,
         {QStringLiteral("Resistance"), QStringLiteral("Ω")},
         "1.0 kΩ|1.5 kΩ|2.0 kΩ|2.5 kΩ|3.0 kΩ|3.5 kΩ|4.0 kΩ|4.5 kΩ"},
        {-20, 30, false, kCelsius, "−20 °C|−10 °C|0|10 °C|20 °C|30 °C"},
        {1e-12, 1e-3, true, kCurrent, "10⁻¹²|10⁻¹¹|10⁻¹⁰|10⁻⁹|10⁻⁸|10⁻⁷|10⁻⁶|10⁻⁵|10⁻⁴|10⁻³"},
        {1e-15, 1, true, kCurrent, "10⁻¹⁴|10⁻¹²|10⁻¹⁰|10⁻⁸|10⁻⁶|10⁻⁴|10⁻²|10⁰"},
        {1e-9, 1e-6, true, kCurrent, "10⁻⁹|10⁻⁸|10⁻⁷|10⁻⁶"},
        {10,
         2e6,
         true,
         {QStringLiteral("Frequency"), QStringLiteral("Hz")},
         "10¹|10²|10³|10⁴|10⁵|10⁶"},
        {1.5e-6, 8e-6, true, kCurrent, "2 µA|5 µA"},
    };
    for (const TickCase& c : cases) {
        const auto ticks = axisTicks({c.low, c.high, c.log}, c.quantity);
        EXPECT_EQ(textsOf(ticks).join('|'), c.expected) << c.low << " .. " << c.high;
        for (const AxisTick& tick : ticks) {
            EXPECT_GE(tick.value, c.low - std::fabs(c.low) * 1e-9);
            EXPECT_LE(tick.value, c.high + std::fabs(c.high) * 1e-9);
        }
    }
}

// Whatever the range, a linear axis has 4 to 10 ticks a whole step apart.
TEST(AxisTicks, LinearAxesHaveFourToTenTicks) {
    for (double span = 1e-9; span < 1e7; span *= 1.37) {
        for (const double start : {-0.5, -0.13, 0.0, 0.27, 3.0}) {
            const double low = start * span;
            const auto ticks = axisTicks({low, low + span, false}, kCurrent);
            ASSERT_GE(ticks.size(), 4u) << low << " + " << span;
            ASSERT_LE(ticks.size(), 10u) << low << " + " << span;
            const double step = ticks[1].value - ticks[0].value;
            const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
            EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-6 || std::fabs(mantissa - 2) < 1e-6 ||
                        std::fabs(mantissa - 5) < 1e-6)
                << step;
        }
    }
}

TEST(AxisTicks, LogAxisBetweenFewDecadesHasMinorTicks) {
    const auto ticks = axisTicks({1e-9, 1e-7, true}, kCurrent);
    EXPECT_EQ(textsOf(ticks).join('|'), "10⁻⁹|10⁻⁸|10⁻⁷");
    EXPECT_EQ(ticks.size(), 3u + 16u);
}

TEST(SiText, ValuesReadWithFourDigitsAndAPrefix) {
    EXPECT_EQ(siValueText(1.234e-5, "A"), "12.34 µA");
    EXPECT_EQ(siValueText(1.25, "V"), "1.250 V");
    EXPECT_EQ(siValueText(-2e-3, "A"), "−2.000 mA");
    EXPECT_EQ(siValueText(999.96e-6, "A"), "1.000 mA");
    EXPECT_EQ(siValueText(101300, "Ω"), "101.3 kΩ");
    EXPECT_EQ(siValueText(0, "A"), "0 A");
    EXPECT_EQ(siValueText(1.0 / 0.0, "Ω"), "∞ Ω");
    EXPECT_EQ(siValueText(-12.5, "°C", 4, false), "−12.50 °C");
    EXPECT_EQ(decadeText(-9), "10⁻⁹");
    EXPECT_EQ(decadeText(0), "10⁰");
    EXPECT_EQ(decadeText(12), "10¹²");
}

TEST(AxisTitle, NamesQuantityAndUnit) {
    EXPECT_EQ(axisTitle({QStringLiteral("Voltage"), QStringLiteral("V")}, false), "Voltage (V)");
    EXPECT_EQ(axisTitle(kCurrent, false), "Current (A)");
    EXPECT_EQ(axisTitle(kCurrent, true), "|Current| (A)");
    EXPECT_EQ(axisTitle({QStringLiteral("Frequency"), QStringLiteral("Hz")}, true),
              "Frequency (Hz)");
}

}  // namespace
}  // namespace tarvix::plot
