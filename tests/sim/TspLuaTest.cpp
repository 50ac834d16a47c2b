// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SimBus.h"

using tarvix::sim::testing::SimBus;

namespace {

constexpr int kSmu = 26;
const QString kOptions = "noise=0,latency=0,smu=2636A,sample=resistor:1000000";
constexpr const char* kOneVoltOn = "smua.source.levelv = 1 smua.source.output = smua.OUTPUT_ON";

struct Case {
    const char* what;
    std::vector<std::string> lines;  // the last one is answered
    std::string reply;
};

// Each case on a new bench whose clock stands still, so that only delays and measurements
// move the instrument's time.
std::string answer(const Case& test) {
    SimBus bench(kOptions, [] { return 100.0; });
    for (std::size_t i = 0; i + 1 < test.lines.size(); ++i) {
        bench.send(kSmu, test.lines[i]);
    }
    return bench.query(kSmu, test.lines.back(), 4000);
}

void expectReplies(const std::vector<Case>& cases) {
    for (const Case& test : cases) {
        EXPECT_EQ(answer(test), test.reply) << test.what;
    }
}

}  // namespace

TEST(TspLua, RunsScriptsOfVariablesNumbersAndText) {
    expectReplies({
        {"a variable", {"x = 5", "y = x * 2", "print(y)"}, "1.00000e+01"},
        {"a division", {"print(1/4)"}, "2.50000e-01"},
        {"a reading scaled", {kOneVoltOn, "i = smua.measure.i()", "print(i*1000)"}, "1.00000e-03"},
        {"a loop in one message", {"s = 0 for k = 1, 10 do s = s + k end print(s)"}, "5.50000e+01"},
        {"a function", {"function twice(v) return 2 * v end", "print(twice(21))"}, "4.20000e+01"},
        {"text and values", {"print('V =', 1, true, nil)"}, "V =\t1.00000e+00\ttrue\tnil"},
        {"an empty print", {"print()"}, ""},
        {"fewer digits", {"format.asciiprecision = 3", "printnumber(2.54)"}, "2.54e+00"},
        {"more digits", {"format.asciiprecision = 7", "print(2.5)"}, "2.500000e+00"},
        {"one digit", {"format.asciiprecision = 1", "print(2.5)"}, "2e+00"},
        {"precision read back", {"print(format.asciiprecision)"}, "6.00000e+00"},
        {"numbers in a list",
         {"printnumber(1, 2.5, -3)"},
         "1.00000e+00, 2.50000e+00, -3.00000e+00"},
        {"single precision, big-endian",
         {"format.data = format.REAL32", "format.byteorder = format.BIGENDIAN", "printnumber(1.1)"},
         "#0\x3F\x8C\xCC\xCD"},
        {"single precision, little-endian",
         {"format.data = format.REAL32", "printnumber(1.1)"},
         "#0\xCD\xCC\x8C\x3F"},
        {"print stays ASCII", {"format.data = format.REAL64", "print(1.1)"}, "1.10000e+00"},
        {"the model", {"print(localnode.model, localnode.serialno)"}, "2636A\t1187720"},
        {"the line frequency",
         {"localnode.linefreq = 50", "print(localnode.linefreq)"},
         "5.00000e+01"},
        {"the display",
         {"display.clear()", "display.settext('Sweep$Nrunning')", "print(display.gettext())"},
         "Sweep$Nrunning"},
        {"the display's cursor",
         {"display.setcursor(2, 3)", "display.settext('ok')", "print(display.gettext(false, 2))"},
         "  ok"},
        {"a delay moves the timer",
         {"timer.reset()", "delay(0.5)", "print(timer.measure.t())"},
         "5.00000e-01"},
        {"opc() completes", {"opc()", "*ESR?"}, "1"},
        {"status.condition", {"print(status.condition)"}, "0.00000e+00"},
        {"a service request mask", {"status.request_enable = 4", "*SRE?"}, "4"},
        {"compliance",
         {"smua.source.limiti = 1e-7", kOneVoltOn, "print(smua.source.compliance)"},
         "true"},
        {"no compliance", {kOneVoltOn, "print(smua.source.compliance)"}, "false"},
        {"reset() keeps variables", {"x = 3", "reset()", "print(x)"}, "3.00000e+00"},
        {"*RST forgets them", {"x = 3", "*RST", "print(x)"}, "nil"},
        {"the older Lua's names",
         {"print(table.getn({1, 2}), unpack({7}))"},
         "2.00000e+00\t7.00000e+00"},
    });
}

TEST(TspLua, KeepsReadingsInBuffers) {
    const std::string sweep =
        "smua.source.output = 1 for v = 1, 3 do smua.source.levelv = v "
        "smua.measure.i(smua.nvbuffer1) end";
    const std::string append = "smua.nvbuffer1.appendmode = 1";
    expectReplies({
        {"a sweep",
         {append, sweep, "printbuffer(1, smua.nvbuffer1.n, smua.nvbuffer1)"},
         "1.00000e-06, 2.00000e-06, 3.00000e-06"},
        {"without append mode the last one",
         {sweep, "print(smua.nvbuffer1.n, smua.nvbuffer1[1])"},
         "1.00000e+00\t3.00000e-06"},
        {"source values beside readings",
         {append, "smua.nvbuffer1.collectsourcevalues = 1", sweep,
          "printbuffer(2, 9, smua.nvbuffer1.sourcevalues, smua.nvbuffer1.readings)"},
         "2.00000e+00, 2.00000e-06, 3.00000e+00, 3.00000e-06"},
        {"timestamps one power-line cycle apart",
         {append, sweep, "printbuffer(1, 3, smua.nvbuffer1.timestamps)"},
         "0.00000e+00, 1.66670e-02, 3.33330e-02"},
        {"no source values unless collected",
         {append, sweep, "print(smua.nvbuffer1.sourcevalues[1])"},
         "nil"},
        {"indexing and length",
         {append, sweep, "print(#smua.nvbuffer1, smua.nvbuffer1.readings[2])"},
         "3.00000e+00\t2.00000e-06"},
        {"a count of readings",
         {kOneVoltOn, "smua.measure.count = 4", "smua.measure.i(smua.nvbuffer2)",
          "print(smua.nvbuffer2.n)"},
         "4.00000e+00"},
        {"currents and voltages together",
         {kOneVoltOn, "smua.measure.iv(smua.nvbuffer1, smua.nvbuffer2)",
          "printbuffer(1, 1, smua.nvbuffer1, smua.nvbuffer2)"},
         "1.00000e-06, 1.00000e+00"},
        {"what was measured",
         {append, sweep,
          "printbuffer(1, 1, smua.nvbuffer1.measurefunctions, smua.nvbuffer1.sourceoutputstates)"},
         "Current, On"},
        {"clear()",
         {append, sweep, "smua.nvbuffer1.clear()", "print(smua.nvbuffer1.n)"},
         "0.00000e+00"},
        {"reset() clears too",
         {append, sweep, "reset()", "print(smua.nvbuffer1.n, smua.nvbuffer1.appendmode)"},
         "0.00000e+00\t0.00000e+00"},
        {"a plain table", {"t = {1, 2, 3}", "printbuffer(2, 3, t)"}, "2.00000e+00, 3.00000e+00"},
        {"past the end prints what there is", {"printbuffer(0, 99, {5})"}, "5.00000e+00"},
        {"a buffer the script makes",
         {kOneVoltOn, "b = smua.makebuffer(10)", "b.appendmode = 1",
          "smua.measure.v(b) smua.measure.v(b)", "print(b.n, b.capacity, b[2])"},
         "2.00000e+00\t1.00000e+01\t1.00000e+00"},
    });
}

TEST(TspLua, LoadsAndRunsScripts) {
    const std::vector<std::string> script = {"loadscript ramp",
                                             "smua.nvbuffer1.appendmode = 1",
                                             "smua.source.output = 1",
                                             "for v = 1, 2 do",
                                             "  smua.source.levelv = v",
                                             "  smua.measure.i(smua.nvbuffer1)",
                                             "end",
                                             "endscript"};
    const auto with = [&script](std::vector<std::string> more) {
        std::vector<std::string> lines = script;
        lines.insert(lines.end(), more.begin(), more.end());
        return lines;
    };
    expectReplies({
        {"nothing runs while loading", with({"print(smua.nvbuffer1.n)"}), "0.00000e+00"},
        {"called by name", with({"ramp()", "printbuffer(1, 9, smua.nvbuffer1)"}),
         "1.00000e-06, 2.00000e-06"},
        {"run()", with({"ramp.run() ramp.run()", "print(smua.nvbuffer1.n)"}), "4.00000e+00"},
        {"its source and name", with({"print(ramp.name, #ramp.source > 0)"}), "ramp\ttrue"},
        {"kept in script.user.scripts", with({"print(script.user.scripts.ramp == ramp)"}), "true"},
        {"in one message", {"loadscript hello\nprint('hi')\nendscript\nhello()"}, "hi"},
        {"anonymous", {"loadscript", "print(42)", "endscript", "run()"}, "4.20000e+01"},
        {"loaded and run", {"loadandrunscript now", "print('at once')", "endscript"}, "at once"},
        {"a common command inside a script is a script line",
         {"loadscript odd", "*IDN?", "endscript", "print(errorqueue.next())"},
         "-2.85000e+02\tTSP Syntax error at line 1: unexpected symbol near "
         "'*'\t2.00000e+01\t1.00000e+00"},
        {"script.new", {"s = script.new('print(7)', 'seven')", "s()"}, "7.00000e+00"},
    });
}

TEST(TspLua, QueuesErrorsWithTheirCodesAndTexts) {
    const std::string next = "print(errorqueue.next())";
    expectReplies({
        {"a syntax error",
         {"x = = 1", next},
         "-2.85000e+02\tTSP Syntax error at line 1: unexpected symbol near "
         "'='\t2.00000e+01\t1.00000e+00"},
        {"the line of a script",
         {"loadscript bad", "x = 1", "y = +", "endscript", next},
         "-2.85000e+02\tTSP Syntax error at line 2: unexpected symbol near "
         "'+'\t2.00000e+01\t1.00000e+00"},
        {"a runtime error",
         {"nothing()", next},
         "-2.86000e+02\tTSP Runtime error at line 1: attempt to call a nil value (global "
         "'nothing')\t2.00000e+01\t1.00000e+00"},
        {"error()",
         {"error('stop here')", next},
         "-2.86000e+02\tTSP Runtime error at line 1: stop here\t2.00000e+01\t1.00000e+00"},
        {"a value out of range",
         {"smua.source.levelv = 500", next},
         "-2.22000e+02\tParameter data out of range\t2.00000e+01\t1.00000e+00"},
        {"not a number",
         {"smua.source.levelv = 0/0", next},
         "-2.22000e+02\tParameter data out of range\t2.00000e+01\t1.00000e+00"},
        {"the edges of a range",
         {"smua.source.levelv = 202 smua.source.levelv = -202", next},
         "0.00000e+00\tQueue Is Empty\t0.00000e+00\t1.00000e+00"},
        {"a whole-number setting",
         {"smua.measure.count = 1.5", next},
         "-2.22000e+02\tParameter data out of range\t2.00000e+01\t1.00000e+00"},
        {"a setting that does not exist",
         {"smua.source.bogus = 1", next},
         "-2.86000e+02\tTSP Runtime error at line 1: attempt to assign to an unknown or read-only "
         "field 'smua.source.bogus'\t2.00000e+01\t1.00000e+00"},
        {"a read-only attribute",
         {"localnode.model = 'x'", next},
         "-2.86000e+02\tTSP Runtime error at line 1: attempt to assign to an unknown or read-only "
         "field 'localnode.model'\t2.00000e+01\t1.00000e+00"},
        {"a wrong argument",
         {"display.settext({})", next},
         "-2.86000e+02\tTSP Runtime error at line 1: bad argument #1 to 'settext' (string "
         "expected)\t2.00000e+01\t1.00000e+00"},
        {"a measurement into a number",
         {"smua.measure.i(5)", next},
         "-2.86000e+02\tTSP Runtime error at line 1: bad argument #1 to 'i' (reading buffer "
         "expected)\t2.00000e+01\t1.00000e+00"},
        {"a negative delay",
         {"delay(-1)", next},
         "-2.22000e+02\tParameter data out of range\t2.00000e+01\t1.00000e+00"},
        {"caught by pcall",
         {"print(pcall(function() smua.source.levelv = 500 end))"},
         "false\tParameter data out of range"},
        {"a failing line stops its message",
         {"print(1) x() print(2)", "print(errorqueue.count)"},
         "1.00000e+00"},
        {"the empty queue", {next}, "0.00000e+00\tQueue Is Empty\t0.00000e+00\t1.00000e+00"},
        {"errors counted", {"x(", "y(", "print(errorqueue.count)"}, "2.00000e+00"},
        {"errors cleared", {"x(", "errorqueue.clear()", "print(errorqueue.count)"}, "0.00000e+00"},
    });
}

TEST(TspLua, KeepsScriptsInsideTheInstrument) {
    const std::string next = "print(errorqueue.next())";
    expectReplies({
        {"no os", {"print(os, io, debug, package)"}, "nil\tnil\tnil\tnil"},
        {"no require",
         {"require('os')", next},
         "-2.86000e+02\tTSP Runtime error at line 1: attempt to call a nil value (global "
         "'require')\t2.00000e+01\t1.00000e+00"},
        {"no dofile", {"print(dofile, loadfile)"}, "nil\tnil"},
        {"load takes text", {"print(load('return 6')())"}, "6.00000e+00"},
        {"but no bytecode",
         {"print(load('\\27Lua'))"},
         "nil\tattempt to load a binary chunk (mode is 't')"},
        {"no finalizers",
         {"print(pcall(setmetatable, {}, {__gc = print}))"},
         "false\tfinalizers (__gc) are not available on the instrument"},
        {"no endless repetition", {"print(#string.rep('', 1e15))"}, "0.00000e+00"},
        {"no runaway patterns",
         {"print(pcall(string.find, string.rep('a', 100000), '.-.-b'))"},
         "false\tpattern too complex for a subject of 100000 characters"},
        {"a plain find is fine",
         {"print(string.find(string.rep('a', 100000) .. 'b', 'b', 1, true))"},
         "1.00001e+05\t1.00001e+05"},
        {"an endless loop is cut",
         {"while true do end", next},
         "-2.86000e+02\tTSP Runtime error at line 1: the chunk ran past 20000000 instructions and "
         "was stopped\t2.00000e+01\t1.00000e+00"},
        {"even inside pcall",
         {"while true do pcall(function() while true do end end) end", "print(errorqueue.count)"},
         "1.00000e+00"},
        {"and the next line runs", {"while true do end", "print('still here')"}, "still here"},
        {"memory is capped",
         {"t = {} for i = 1, 1e8 do t[i] = i end", next},
         "-2.86000e+02\tTSP Runtime error: not enough memory\t2.00000e+01\t1.00000e+00"},
        {"and given back",
         {"t = {} for i = 1, 1e8 do t[i] = i end",
          "t = nil x = {} for i = 1, 1000 do x[i] = i end print(#x)"},
         "1.00000e+03"},
        {"a huge string",
         {"print(pcall(string.rep, 'x', 1e9))"},
         "false\tresulting string too large"},
        {"the objects stay", {"smua = nil", "*RST", "print(smua.OUTPUT_ON)"}, "1.00000e+00"},
        {"their fields cannot be replaced",
         {"print(pcall(function() smua.measure.i = print end))"},
         "false\tTSP:1: attempt to assign to an unknown or read-only field 'smua.measure.i'"},
        {"nor their metatables",
         {"print(pcall(setmetatable, smua, {}))"},
         "false\tcannot change a protected metatable"},
    });
}
