// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/ScpiCommandTable.h"
#include "sim/ScpiSettings.h"
#include "sim/ScpiStatus.h"

namespace tarvix::sim {

// The trigger model and reading buffer of a SCPI meter: ARM and TRIGger counts and sources,
// INITiate (at once, or on *TRG when a source is BUS), ABORt, READ? (a new acquisition),
// FETCh? (the last one again, or -230 when there is none), and the TRACe buffer that an
// acquisition feeds when its feed control is NEXT. A reading is the instrument's record of
// numbers; `format` writes the elements chosen by FORMat:ELEMents.
class ScpiAcquisition {
  public:
    using Reading = std::vector<double>;

    struct Hooks {
        std::function<Reading()> take;
        std::function<std::string(const Reading&)> format;
        std::function<void()> begin = {};  // before the first reading of an acquisition
        std::function<void()> end = {};    // after its last reading
        // The error that keeps READ? and INITiate from starting an acquisition, or 0.
        std::function<int()> refusal = {};
    };

    ScpiAcquisition(ScpiCommandTable& table, ScpiSettings& settings, ScpiStatus& status,
                    Hooks hooks, int bufferCapacity);

    // The readings in the buffer, oldest first.
    const std::vector<Reading>& buffer() const { return buffer_; }
    // The state after *RST (the buffer keeps its readings, as on the instruments).
    void reset();
    // A bus trigger (*TRG, or the controller's group execute trigger).
    void trigger();
    // READ?: a new acquisition, answered.
    void read(ScpiCall& call);
    // Statistics over the buffer, element by element (the buffer must hold a reading).
    enum class Statistic { kMean, kStandardDeviation, kMaximum, kMinimum, kPeakToPeak };
    Reading bufferStatistic(Statistic statistic) const;
    // Readings written one after another, separated by commas.
    std::string formatAll(const std::vector<Reading>& readings) const;

  private:
    void addTriggerCommands(ScpiCommandTable& table, ScpiSettings& settings);
    void addBufferCommands(ScpiCommandTable& table, ScpiSettings& settings);
    void initiate(ScpiCall& call);
    // Fails the call when the acquisition it asks for may not start.
    bool mayStart(ScpiCall& call) const;
    void acquire();

    ScpiStatus& status_;
    Hooks hooks_;
    int capacity_;
    int* armCount_ = nullptr;
    int* triggerCount_ = nullptr;
    int* armSource_ = nullptr;
    int* triggerSource_ = nullptr;
    int* bufferPoints_ = nullptr;
    int* feed_ = nullptr;
    int* feedControl_ = nullptr;
    bool waitingForTrigger_ = false;
    std::vector<Reading> last_;
    std::vector<Reading> buffer_;
};

}  // namespace tarvix::sim
