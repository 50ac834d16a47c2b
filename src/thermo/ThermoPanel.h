// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bus/GpibBus.h"
#include "thermo/FourProbeRun.h"
#include "thermo/TempFile.h"
#include "thermo/ThermoBusLink.h"
#include "thermo/ThermoHost.h"
#include "thermo/ThermoRecord.h"

namespace tarvix::thermo {

// The behaviour of the four-probe panel, one method per window handler. The window owns the
// bus, the record and the host and keeps them alive as long as the panel.
//
// One procedure at a time uses the bench: each procedure asks the host for the bus, and a
// start while another procedure holds it is refused with a message (the procedures let
// events run, so a click could otherwise interleave a second procedure's commands).
class ThermoPanel {
  public:
    ThermoPanel(bus::GpibBus& bus, ThermoRecord& record, ThermoHost& host);

    void Button27Click();                 // "Start": configure the bench and start Timer1
    void endRun();                        // window close: a four-probe run ends between samples
    void Timer1Timer();                   // one sample
    void Button28Click();                 // "Stop": sets the shared stop flag
    void Button30Click();                 // "Start_d": the thermocouple loop, inside the click
    void Button23Click();                 // "Termo": the multimeter's thermocouple test
    void Button29Click();                 // "Save Data": the four-probe .temp file
    void Button31Click();                 // "Save 2": the thermocouple .temp file
    void CheckBox48Click();               // the LCR meter's speed buttons follow the box
    void ScrollBar9Change(int position);  // sample period in seconds
    void Edit55Change() { redrawChart(); }
    void Edit48Change() { redrawChart(); }
    void Edit62Change() { redrawChart(); }
    void RadioButton59Click();  // "4 Probe": call it when the button becomes checked

    void redrawChart();
    const FourProbeRun& fourProbeRun() const { return run_; }

  private:
    void save(TempFileKind kind);

    ThermoBusLink link_;
    ThermoRecord& record_;
    ThermoHost& host_;
    FourProbeRun run_;
};

}  // namespace tarvix::thermo
