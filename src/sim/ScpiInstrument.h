#pragma once

#include <functional>
#include <string>
#include <string_view>

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

    // READ? takes a new reading and answers it; FETCh? answers the last one again, or fails
    // as stale when there is none.
    void addReadAndFetch(std::string_view readPattern, std::string_view fetchPattern,
                         std::function<std::string()> takeReading);
    void forgetLastReading() { lastReading_.clear(); }

    void execute(std::string_view message) override;

  private:
    ScpiCommandTable commands_;
    ErrorQueue errors_;
    std::string lastReading_;
};

}  // namespace tarvix::sim
