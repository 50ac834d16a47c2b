#pragma once

#include "sim/ErrorQueue.h"
#include "sim/ScpiCommandTable.h"
#include "sim/SimInstrument.h"

namespace tarvix::sim {

// An instrument spoken to in SCPI. It knows the common commands (*IDN?, *RST, *CLS, *OPC,
// *OPC?, :SYSTem:ERRor[:NEXT]?, :SYSTem:CLEar); a model adds its own to `commands()`.
// A message that arrives while replies are still unread discards them (query interrupted).
class ScpiInstrument : public SimInstrument {
  public:
    ErrorQueue& errorQueue() { return errors_; }

  protected:
    ScpiInstrument();

    ScpiCommandTable& commands() { return commands_; }
    // The state after *RST.
    virtual void reset() = 0;

    void execute(std::string_view message) override;

  private:
    ScpiCommandTable commands_;
    ErrorQueue errors_;
};

}  // namespace tarvix::sim
