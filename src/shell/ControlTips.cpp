// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ControlTips.h"

#include <QCoreApplication>
#include <QWidget>

#include "shell/Controls.h"

namespace tarvix::shell {

namespace {

// clang-format off
constexpr ControlTip kTips[] = {
    // The I-V panel.
    {"RadioButton1", "Measure one resistance at the present source settings"},
    {"RadioButton2", "Sweep the source voltage along the enabled segments and read the current"},
    {"RadioButton75", "Set the voltage by hand with the upper bar under the chart; every move records a point"},
    {"GroupBox9", "The source-measure unit on the bus: 2400 or 2410 at address 24, 2636A at address 26"},
    {"Button1", "Start the chosen regime (F5)"},
    {"Button22", "Stop the running measurement after the point being measured (Esc)"},
    {"Edit1", "Result of the resistance measurement, or the 2636A's reply"},
    {"Label1", "Unit of the result"},
    {"Label4", "Compliance: the largest current the source may drive, in amperes"},
    {"Edit6", "Compliance current in amperes"},
    {"Edit7", "Voltage compliance of the current sweep, in volts"},
    {"Edit5", "Top of the current axis, A"},
    {"Edit4", "Bottom of the current axis, A"},
    {"Edit2", "Left end of the voltage axis, V"},
    {"Edit3", "Right end of the voltage axis, V"},
    {"ScrollBar1", "Manual voltage: sets the source level in the \"By Manual\" regime"},
    {"ScrollBar2", "Cursor: marks a voltage on the chart and reads the curves there"},
    {"Label23", "Manual voltage set by the upper bar, V"},
    {"Label24", "Voltage under the cursor bar, V"},
    {"PaintBox1", "The I-V chart. Each segment's label, such as 10:06:32/2347ms, gives the time it started and how long it took"},
    {"Label45", "Current under the cursor for each curve"},
    {"ListBox1", "Instruments that answered the address scan at the last Start"},
    {"Edit44", "Comment written into the series file"},
    {"Button3", "Open a series file (.ktl) into the store (Ctrl+O)"},
    {"Label15", "Path of the current series file; click to read it again"},
    {"Button4", "Forget every stored series"},
    {"Button5", "Save every stored series into one .ktl file (Ctrl+S)"},
    {"Label26", "Has no function"},
    {"Label5", "Date of the current series file"},
    {"Label43", "Time of the current series file"},
    {"CheckBox39", "Restore these sweep settings at the next start"},
    {"CheckBox13", "Logarithmic current axis"},
    {"CheckBox35", "Join the points of each curve with lines"},
    {"CheckBox40", "Also measure the voltage actually applied at each point"},
    {"Button6", "Replay the stored series one after another"},
    {"Panel7", "Replay speed of the animation"},
    {"Button36", "Write the stored series for a plotting program, with the options beside (Ctrl+E)"},
    {"CheckBox50", "Export absolute currents, for a logarithmic plot"},
    {"CheckBox51", "Subtract the instrument's drift (the current at zero volts)"},
    {"CheckBox52", "Smooth the noise of the curves"},
    {"RadioButton83", "No series resistor to correct for"},
    {"RadioButton84", "Correct for a 1 kOhm series resistor"},
    {"RadioButton85", "Correct for a 10 kOhm series resistor"},
    {"RadioButton87", "Correct for a 100 kOhm series resistor"},
    {"RadioButton86", "Correct for a 1 MOhm series resistor"},
    {"Panel2", "Sweep plan: enable box, start and end voltage of each segment"},
    {"CheckBox17", "Companion of the segment's enable box; it follows that box and changes nothing"},
    {"CheckBox1", "Companion of the segment's enable box; it follows that box and changes nothing"},
    {"CheckBox3", "Companion of the segment's enable box; it follows that box and changes nothing"},
    {"CheckBox5", "Companion of the segment's enable box; it follows that box and changes nothing"},
    {"CheckBox8", "Companion of the segment's enable box; it follows that box and changes nothing"},
    {"CheckBox10", "Companion of the segment's enable box; it follows that box and changes nothing"},
    {"CheckBox14", "Companion of the segment's enable box; it follows that box and changes nothing"},
    {"CheckBox16", "Companion of the segment's enable box; it follows that box and changes nothing"},
    {"Edit40", "Voltage step of segment 1, V per step"},
    {"RadioButton4", "Give the step; the number of points follows"},
    {"Edit41", "Number of steps of every segment"},
    {"RadioButton5", "Give the number of points; the step follows"},
    {"Edit61", "How many times the enabled segments are run; each run is a series"},
    {"Label10", "Whether the sweep plan is valid"},
    {"Label27", "Scatter of the points about the fitted line"},
    {"FitThickness", "Film thickness between the contacts, nm: the field is V/d (Poole-Frenkel and Schottky permittivity)"},
    {"FitTemperature", "Sample temperature during the sweep, K"},
    {"FitContactArea", "Contact area, cm^2 (Schottky barrier height)"},
    {"FitRichardson", "Effective Richardson constant A*, A cm^-2 K^-2 (Schottky barrier height); 120 for free electrons"},
    {"CheckBox38", "Read the current from the 6485 picoammeter at address 14"},
    {"GroupBox2", "Integration time of the picoammeter, in power-line cycles"},
    {"CheckBox42", "Record the current against time after the sweep"},
    {"Edit45", "Rows of the time dependence"},
    {"CheckBox49", "Hold the first level before and after the sweep until \"ZeraduDOZ\" is pressed"},
    {"Button33", "Release the hold"},
    {"CheckBox47", "Run an LCR frequency sweep under the held bias before the I-V sweep"},
    {"Button21", "Run the LCR frequency sweep"},
    {"Button20", "Ask the 2636A for a test reply"},
    // The four-probe panel.
    {"GroupBox3", "Constant current the source drives through the sample"},
    {"Edit52", "Voltage limit of the current source, V"},
    {"CheckBox44", "Two-wire sensing (four-wire when unchecked)"},
    {"Edit63", "Multimeter channel of the thermocouple"},
    {"Button26", "Has no function"},
    {"CheckBox48", "Measure with the 7600 LCR meter instead of the current source"},
    {"ThermoSpeedPanel", "Measuring speed of the LCR meter: very slow, slow (MED), fast"},
    {"Edit55", "Top of the resistance axis, Ohm"},
    {"Edit48", "Bottom of the temperature axis, C"},
    {"Edit62", "Top of the temperature axis, C"},
    {"ScrollBar9", "Sampling period in seconds"},
    {"Label48", "Time of day of the last sample"},
    {"Edit54", "Number of samples taken"},
    {"Edit56", "Thermocouple temperature of the Start_d loop, K"},
    {"Edit57", "Thermocouple temperature of the Start_d loop, C"},
    {"Edit49", "Readings of the thermocouple test"},
    {"Edit51", "Temperature of the last sample, C"},
    {"Edit50", "Resistance of the last sample, Ohm"},
    {"Button27", "Start the resistance-versus-temperature run (F5 on this panel)"},
    {"Button28", "Stop the run after the present sample (Esc on this panel)"},
    {"Button30", "Record the thermocouple alone until Stop (Start_d)"},
    {"Button23", "Thermocouple test: show its readings in the box beside"},
    {"Edit53", "Save every n-th sample"},
    {"CheckBox41", "Save the mean of each n samples instead"},
    {"Button29", "Save the samples to a .temp file"},
    {"Button31", "Save the thermocouple record to a .temp file"},
    {"Button25", "Close the four-probe panel"},
    // The LCR panel.
    {"ScrollBar3", "Lowest frequency of the sweep, Hz"},
    {"ScrollBar4", "Highest frequency of the sweep, Hz"},
    {"ScrollBar5", "Number of frequency points"},
    {"CheckBox45", "Logarithmic frequency steps (linear when unchecked)"},
    {"ScrollBar6", "AC test level in mV, in steps of 5"},
    {"RadioButton72", "Measuring speed: slow (MED)"},
    {"RadioButton73", "Measuring speed: fast"},
    {"RadioButton74", "Measuring speed: very slow"},
    {"Panel8", "Trigger delay of the meter"},
    {"GroupBox8", "Bias of the LCR meter"},
    {"Button35", "Switch the external bias on now"},
    {"Button34", "Switch the external bias off now"},
    {"Label39", "Readings averaged per frequency point"},
    {"ScrollBar7", "Readings averaged per frequency point"},
    {"ScrollBar8", "Averaging inside the meter"},
    {"GroupBox6", "What the chart shows"},
    {"GroupBox4", "Primary parameter the meter measures"},
    {"GroupBox5", "Secondary parameter the meter measures"},
    {"Edit60", "Name of the .frq file of every reading (without extension)"},
    {"Edit59", "Last value read from the meter"},
    {"Button32", "Run the frequency sweep (F5 on this panel); Stop or Esc ends it after the present point"},
    {"PaintBox2", "The frequency chart"},
};
// clang-format on

}  // namespace

std::span<const ControlTip> controlTips() {
    return kTips;
}

void applyControlTips(const Controls& controls) {
    for (const ControlTip& tip : kTips) {
        if (QWidget* control = controls.find(QString::fromLatin1(tip.name))) {
            control->setToolTip(QCoreApplication::translate("ControlTips", tip.tip));
        }
    }
}

}  // namespace tarvix::shell
