// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <map>
#include <memory>
#include <numbers>

#include "FakeAnalysisHost.h"
#include "analysis/AnalysisActions.h"
#include "analysis/FitPhysics.h"
#include "analysis/FitReport.h"
#include "analysis/UncertainText.h"
#include "series/ChartCanvas.h"

using namespace tarvix::analysis;
using tarvix::analysis::testing::FakeAnalysisHost;
using tarvix::series::SeriesStore;

namespace {

// Written out again here, so that a slip in the program's own constants is not mirrored.
constexpr double kQ = 1.602176634e-19;
constexpr double kK = 1.380649e-23;
constexpr double kEps0 = 8.8541878128e-12;
constexpr double kPi = std::numbers::pi;

// A sample made from each mechanism's law with known parameters.
constexpr double kOhms = 2.2e6;
constexpr double kExponent = 2.5;
constexpr double kPfPermittivity = 6.0, kPfThicknessNm = 120, kPfKelvin = 300;
constexpr double kScPermittivity = 3.0, kScThicknessNm = 50, kScKelvin = 350;
constexpr double kScAreaCm2 = 0.002, kScRichardson = 110, kScBarrierEv = 0.85;

double thermalVolts(double kelvin) {
    return kK * kelvin / kQ;
}
double pooleFrenkel(double v) {
    const double beta = std::sqrt(kQ / (kPi * kEps0 * kPfPermittivity * kPfThicknessNm * 1e-9)) /
                        thermalVolts(kPfKelvin);
    return 1e-9 * v * std::exp(beta * std::sqrt(v));
}
double schottky(double v) {
    const double vt = thermalVolts(kScKelvin);
    const double beta =
        std::sqrt(kQ / (4 * kPi * kEps0 * kScPermittivity * kScThicknessNm * 1e-9)) / vt;
    return kScAreaCm2 * kScRichardson * kScKelvin * kScKelvin * std::exp(-kScBarrierEv / vt) *
           std::exp(beta * std::sqrt(v));
}

struct Fixture {
    std::unique_ptr<SeriesStore> store = std::make_unique<SeriesStore>();
    QImage chart = tarvix::series::makeChartImage(633, 425);
    double voltageMin = -6;
    double voltageMax = 6;
    float manualVoltage = 0;
    float cursorVoltage = 0;
    FakeAnalysisHost host;
    AnalysisState state;
    AnalysisActions actions{
        state, {*store, chart, voltageMin, voltageMax, manualVoltage, cursorVoltage}, host};

    // Ten points from 0.5 V to 5 V in segment 1 of series 1, fitted.
    const FitReport& fit(Mechanism mechanism, double (*current)(double)) {
        float* voltage = store->storedVoltage(1, 1);
        float* amps = store->storedCurrent(1, 1);
        for (int k = 1; k <= 10; ++k) {
            voltage[k] = static_cast<float>(0.5 * k);
            amps[k] = static_cast<float>(current(0.5 * k));
        }
        voltage[0] = amps[0] = 10;
        store->seriesCount = 1;
        actions.straighten(mechanism);
        EXPECT_TRUE(state.fit.has_value());
        return *state.fit;
    }
};

void expectClose(const std::optional<UncertainValue>& derived, std::optional<double> expected,
                 const char* what) {
    ASSERT_EQ(derived.has_value(), expected.has_value()) << what;
    if (expected) {
        EXPECT_NEAR(derived->value, *expected, std::abs(*expected) * 1e-3) << what;
    }
}

}  // namespace

// Four and three points worked by hand: slope, intercept, their standard errors and R².
TEST(FitStatistics, StandardErrorsMatchHandWorkedCases) {
    struct Case {
        std::vector<double> x, y;
        double slope, intercept, slopeError, interceptError, rSquared;
    };
    const Case cases[] = {
        // Sxx 5, Sxy 7, RSS 0.2, s² 0.1: sb² = 0.1/5, sa² = 0.1 (1/4 + 2.5²/5).
        {{1, 2, 3, 4}, {2, 3, 5, 6}, 1.4, 0.5, std::sqrt(0.02), std::sqrt(0.15), 0.98},
        // Sxx 2, Sxy 1, RSS 1.5, s² 1.5: sb² = 1.5/2, sa² = 1.5 (1/3 + 1/2).
        {{0, 1, 2}, {0, 2, 1}, 0.5, 0.5, std::sqrt(0.75), std::sqrt(1.25), 0.25},
    };
    for (const Case& c : cases) {
        const LineFit line = leastSquaresLine(c.x, c.y);
        const FitStatistics s = fitStatistics(c.x, c.y, line);
        EXPECT_NEAR(line.slope, c.slope, 1e-12);
        EXPECT_NEAR(line.intercept, c.intercept, 1e-12);
        EXPECT_NEAR(s.slopeError, c.slopeError, 1e-12);
        EXPECT_NEAR(s.interceptError, c.interceptError, 1e-12);
        EXPECT_NEAR(s.rSquared, c.rSquared, 1e-12);
    }
    // Two points leave no degree of freedom: no error.
    const std::vector<double> two{1, 2};
    EXPECT_TRUE(std::isnan(fitStatistics(two, two, leastSquaresLine(two, two)).slopeError));
}

// Each mechanism's quantity from a curve made by its law: within 0.1 % of the parameters.
TEST(FitPhysics, EachMechanismGivesBackTheParametersOfItsLaw) {
    struct Case {
        Mechanism mechanism;
        double (*current)(double);
        std::map<QString, QString> fields;
        std::optional<double> resistance, exponent, permittivity, barrier;
    };
    const Case cases[] = {
        {Mechanism::Ohm, [](double v) { return v / kOhms; }, {}, kOhms, {}, {}, {}},
        {Mechanism::SpaceCharge,
         [](double v) { return 3e-7 * std::pow(v, kExponent); },
         {},
         {},
         kExponent,
         {},
         {}},
        {Mechanism::PooleFrenkel,
         pooleFrenkel,
         {{"FitThickness", "120"}, {"FitTemperature", "300"}},
         {},
         {},
         kPfPermittivity,
         {}},
        {Mechanism::Schottky,
         schottky,
         {{"FitThickness", "50"},
          {"FitTemperature", "350"},
          {"FitContactArea", "0.002"},
          {"FitRichardson", "110"}},
         {},
         {},
         kScPermittivity,
         kScBarrierEv},
        {Mechanism::Tunnel,
         [](double v) { return v * v * std::exp(-15 - 0.5 * v); },
         {},
         {},
         {},
         {},
         {}},
    };
    for (const Case& c : cases) {
        Fixture f;
        for (const auto& [field, text] : c.fields) {
            f.host.texts[field] = text;
        }
        const FitReport& report = f.fit(c.mechanism, c.current);
        const char* name = mechanismInfo(c.mechanism).name;
        expectClose(report.physics.resistance, c.resistance, name);
        expectClose(report.physics.exponent, c.exponent, name);
        expectClose(report.physics.permittivity, c.permittivity, name);
        expectClose(report.physics.barrierHeight, c.barrier, name);
        EXPECT_EQ(f.host.fitSummary, fitResultLines(report).join('\n')) << name;
    }
}

// A field that is not a positive number, or a falling line, leaves the quantity underived,
// and the last line says why.
TEST(FitPhysics, TheFieldsAndTheSlopeDecideWhatCanBeDerived) {
    struct Case {
        Mechanism mechanism;
        double (*current)(double);
        const char* field;
        const char* text;
        const char* lastLine;  // start of it
    };
    const auto falling = [](double v) { return v * std::exp(-2 * std::sqrt(v)); };
    const Case cases[] = {
        {Mechanism::PooleFrenkel, pooleFrenkel, "FitThickness", "120", "εr = 6.000"},
        {Mechanism::PooleFrenkel, pooleFrenkel, "FitThickness", "0", "εr: needs d and T above 0"},
        {Mechanism::PooleFrenkel, pooleFrenkel, "FitTemperature", "300 K", "εr: needs d and T"},
        {Mechanism::PooleFrenkel, falling, "FitThickness", "120",
         "εr: not defined for a slope ≤ 0"},
        {Mechanism::Schottky, schottky, "FitRichardson", "110", "φB = 0.8500"},
        {Mechanism::Schottky, schottky, "FitContactArea", "-1", "φB: needs T, S and A* above 0"},
    };
    for (const Case& c : cases) {
        Fixture f;
        const bool schottkyCase = c.mechanism == Mechanism::Schottky;
        f.host.texts["FitThickness"] = schottkyCase ? "50" : "120";
        f.host.texts["FitTemperature"] = schottkyCase ? "350" : "300";
        f.host.texts["FitContactArea"] = "0.002";
        f.host.texts["FitRichardson"] = "110";
        f.host.texts[c.field] = c.text;
        f.fit(c.mechanism, c.current);
        EXPECT_TRUE(f.host.fitSummary.section('\n', -1).startsWith(QString::fromUtf8(c.lastLine)))
            << c.text << ": " << f.host.fitSummary.toStdString();
    }
}

TEST(UncertainText, TheErrorHasTwoFiguresAndTheValueItsPlace) {
    struct Case {
        double value, error;
        bool prefixed;
        const char* unit;
        const char* text;
    };
    const Case cases[] = {
        {1.444e6, 2.1e3, true, "Ω", "1.4440 ± 0.0021 MΩ"},
        {6.925e-7, 5.1e-10, true, "S", "692.50 ± 0.51 nS"},
        {1000.0, 12.0, true, "Ω", "1.000 ± 0.012 kΩ"},
        {4.5012, 0.0123, false, "", "4.501 ± 0.012"},
        {-17.66831, 0.00119, false, "ln(A/V)", "-17.6683 ± 0.0012 ln(A/V)"},
        {0.71234, std::nan(""), false, "eV", "0.7123 eV"},
        {2.0, 0.0, false, "", "2 ± 0"},
        // An error below the seventh figure keeps its own exponent.
        {1.0, 3e-12, false, "", "1.000000 ± 3e-12"},
    };
    for (const Case& c : cases) {
        const UncertainValue value{c.value, c.error};
        const QString unit = QString::fromUtf8(c.unit);
        EXPECT_EQ(c.prefixed ? uncertainSiText(value, unit) : uncertainText(value, unit),
                  QString::fromUtf8(c.text));
    }
}
