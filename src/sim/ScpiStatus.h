// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include "sim/ScpiCommandTable.h"

namespace tarvix::sim {

// The IEEE 488.2 status model of a SCPI instrument: the standard event register with its
// enable mask, the service request enable mask, and the measurement, questionable and
// operation event registers of the STATus subsystem, summarised in the status byte.
class ScpiStatus {
  public:
    // Status byte bits.
    static constexpr int kMeasurementSummary = 1 << 0;
    static constexpr int kErrorAvailable = 1 << 2;
    static constexpr int kQuestionableSummary = 1 << 3;
    static constexpr int kMessageAvailable = 1 << 4;
    static constexpr int kEventSummary = 1 << 5;
    static constexpr int kMasterSummary = 1 << 6;
    static constexpr int kOperationSummary = 1 << 7;
    // Measurement event bits shared by the instruments here.
    static constexpr int kBufferFull = 1 << 9;
    static constexpr int kCompliance = 1 << 14;

    // `messageAvailable` and `errorAvailable` say whether the output and error queues hold
    // something.
    ScpiStatus(std::function<bool()> messageAvailable, std::function<bool()> errorAvailable);

    // *ESE, *ESR?, *SRE, *STB?, *OPC and the STATus subsystem's registers and :PRESet.
    void addCommands(ScpiCommandTable& table);

    // Sets the standard event bit of an error's class (-1xx command, -2xx and +8xx
    // execution, -3xx device-dependent, -4xx query error).
    void errorRaised(int code);
    void measurementEvent(int bits) { measurement_.event |= bits & kRegisterMask; }
    // Where the measurement condition register comes from: the instrument's present state.
    // Each bit that comes on is latched in the event register when the condition is looked
    // at: by refresh(), which the instrument calls after every message and reading, and by
    // the queries of the register.
    void setMeasurementCondition(std::function<int()> condition);
    void refresh();
    // *CLS: every event register, not the enable masks.
    void clearEvents();
    int statusByte() const;

  private:
    struct Register {
        int event = 0;
        int enable = 0;
        int condition = 0;
    };
    static constexpr int kRegisterMask = 0x7FFF;

    void addRegister(ScpiCommandTable& table, const char* node, Register* reg);
    void preset();

    std::function<bool()> messageAvailable_;
    std::function<bool()> errorAvailable_;
    std::function<int()> measurementCondition_;
    int standardEvents_ = 0;
    int standardEnable_ = 0;
    int serviceEnable_ = 0;
    Register measurement_;
    Register questionable_;
    Register operation_;
};

}  // namespace tarvix::sim
