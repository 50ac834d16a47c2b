// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

#include "sim/ErrorQueue.h"
#include "sim/ScpiCommandTable.h"
#include "sim/ScpiSettings.h"
#include "sim/ScpiStatus.h"
#include "sim/SimInstrument.h"

namespace tarvix::sim {

// An instrument spoken to in SCPI. It knows the common commands (*IDN?, *RST, *CLS, *OPC,
// *OPC?, *ESE, *ESR?, *SRE, *STB?, *WAI), the STATus subsystem, :SYSTem:ERRor[:NEXT]?,
// :SYSTem:CLEar and the beeper and display switches (a meter with a trigger model adds
// *TRG); a model adds its own to `commands()`
// and its stored-only settings to `settings()`, which *RST puts back before reset() runs.
// A message that arrives while replies are still unread discards them (query interrupted).
class ScpiInstrument : public SimInstrument {
  public:
    ErrorQueue& errorQueue() { return errors_; }
    int statusByte() const override { return status_.statusByte(); }
    void inputOverrun() override { raise(errors::kInputOverrun); }

  protected:
    ScpiInstrument();

    ScpiCommandTable& commands() { return commands_; }
    ScpiSettings& settings() { return settings_; }
    ScpiStatus& status() { return status_; }
    // The state after *RST.
    virtual void reset() = 0;

    void execute(std::string_view message) override;

  private:
    void addSystemCommands();
    void raise(int code);
    void clearStatus();

    ScpiCommandTable commands_;
    ScpiSettings settings_;
    ErrorQueue errors_;
    ScpiStatus status_;
};

}  // namespace tarvix::sim
