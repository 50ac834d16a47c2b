// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "sim/ErrorQueue.h"
#include "sim/LuaSandbox.h"
#include "sim/TspObjectTree.h"
#include "sim/TspPrinter.h"
#include "sim/TspScriptCollector.h"
#include "sim/TspValue.h"

namespace tarvix::sim {

// The TSP engine of a 2600-style instrument: every message from the bus is Lua, run in one
// sandboxed state that lasts until restart(), with the instrument's objects ("smua",
// "display", ...) that the instrument registers before the first message. Scripts loaded
// with loadscript ... endscript become script objects; a Lua error goes to the error queue
// (-285 for syntax, -286 at run time, or the code the model raised).
class TspInterpreter {
  public:
    using Output = TspPrinter::Output;

    TspInterpreter(Output output, ErrorQueue& errors, LuaSandbox::Limits limits = {});
    ~TspInterpreter();
    TspInterpreter(const TspInterpreter&) = delete;
    TspInterpreter& operator=(const TspInterpreter&) = delete;

    // A numeric setting taking values in [min, max] (whole numbers only when `integral`).
    void addAttribute(const std::string& name, double initial, double min, double max,
                      bool integral = false);
    void addReadOnlyAttribute(const std::string& name, std::function<TspValue()> value);
    // A setting whose value lives in the model.
    void addComputedAttribute(const std::string& name, std::function<TspValue()> get,
                              std::function<void(double)> set);
    void addConstant(const std::string& name, double value);
    void addFunction(const std::string& name, TspFunction function);
    void addBuffer(const std::string& name, ReadingBuffer& buffer);
    // A function working on the Lua stack itself, with `context` as its first upvalue.
    void addLuaFunction(const std::string& name, TspObjectTree::LuaFunction function,
                        void* context) {
        tree_.addLuaFunction(name, function, context);
    }

    // A numeric setting's value (0 for a name that is none).
    double value(std::string_view attribute) const;
    // Every numeric setting back to its initial value.
    void resetAttributes();
    // Forgets every variable and script: the next message runs in a new state.
    void restart();

    // One message from the bus.
    void run(std::string_view message);
    // Between a loadscript line and its endscript every line belongs to the script.
    bool collectingScript() const { return collector_.collecting(); }

    // A number as print() writes it now: "1.00000e-06" at the default precision.
    std::string numberText(double value) const { return printer_.numberText(value); }

  private:
    void start();
    void runChunk(std::string_view text);
    void loadScript(const TspScriptCollector::Piece& script);
    void report(int status);

    ErrorQueue& errors_;
    LuaSandbox::Limits limits_;
    TspObjectTree tree_;
    TspPrinter printer_;
    TspScriptCollector collector_;
    std::unique_ptr<LuaSandbox> sandbox_;
    int scriptMaker_ = 0;  // registry reference of the prelude's script constructor
    bool scriptSyntaxError_ = false;
};

}  // namespace tarvix::sim
