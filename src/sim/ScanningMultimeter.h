// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "sim/ScpiAcquisition.h"
#include "sim/ScpiInstrument.h"
#include "sim/SimEnvironment.h"

namespace tarvix::sim {

// The scanning multimeter of the four-probe bench, with a multiplexer card. Channel 1 holds
// the reference sensor on the cold-junction block; every other channel a thermocouple whose
// hot junction sits in the cryostat. DC volts on a thermocouple channel read
// Vtc = a·T² + b·T + c + d·Tref; "TEMP" reads the temperature the thermocouple type and
// reference junction give. The other functions read the open front inputs: no current, no
// volts, no frequency, and an overflow for resistance. Readings look like "+2.95000000E+02".
class ScanningMultimeter : public ScpiInstrument {
  public:
    explicit ScanningMultimeter(SimEnvironment& environment);

    std::string identification() const override;
    void trigger() override { acquisition_->trigger(); }

    // The thermocouple law of the probes in the cryostat.
    static double thermocoupleVolts(double kelvin, double referenceKelvin);
    static constexpr double kA = 3.357102e-08;
    static constexpr double kB = 1.598381e-05;
    static constexpr double kC = 0.003823111;
    static constexpr double kD = -3.8928e-05;
    static constexpr int kChannels = 40;

  protected:
    void reset() override;

  private:
    // In the order of kFunctions in the source.
    enum class Function {
        CurrentDc,
        CurrentAc,
        VoltsDc,
        VoltsAc,
        Resistance,
        FourWireResistance,
        Period,
        Frequency,
        Temperature,
        Diode,
        Continuity
    };
    enum class Unit { Celsius, Fahrenheit, Kelvin };

    void addSettingCommands();
    void addFunctionSettings();
    void addConfigureCommands();
    double openInput() const;
    double measure();
    double thermocoupleReading(double kelvin, double referenceKelvin) const;
    double inUnit(double kelvin) const;

    SimEnvironment& environment_;
    Function function_ = Function::VoltsDc;
    Unit unit_ = Unit::Celsius;
    bool realJunction_ = true;
    int thermocoupleType_ = 0;  // index into J, K, T, E, R, S, B, N
    std::optional<int> closedChannel_;
    std::unique_ptr<ScpiAcquisition> acquisition_;
};

}  // namespace tarvix::sim
