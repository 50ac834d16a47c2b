// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

struct lua_State;

namespace tarvix::sim {

class TspObjectTree;

// print(), printnumber() and printbuffer(): what a script writes to the output queue, with
// numbers in the format that format.asciiprecision, format.data and format.byteorder select.
class TspPrinter {
  public:
    using Output = std::function<void(std::string)>;

    // Registers the three functions and the format attributes with their constants.
    TspPrinter(TspObjectTree& tree, Output output);

    // A number as print() writes it: "1.00000e-06" at the default precision of 6 digits.
    std::string numberText(double value) const;

  private:
    static int print(lua_State* state);
    static int printNumber(lua_State* state);
    static int printBuffer(lua_State* state);
    static TspPrinter& of(lua_State* state);

    bool binary() const;
    // Adds a number to the line: ASCII text after ", ", or the bytes of a binary format.
    void appendNumber(double value, bool first);
    void appendText(const char* text, bool first);
    void flush();

    Output output_;
    const double* precision_;
    const double* dataFormat_;
    const double* byteOrder_;
    // The line being built lives here: an error raised while it is built frees nothing.
    std::string line_;
};

}  // namespace tarvix::sim
