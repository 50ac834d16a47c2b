// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>

#include "sim/TspValue.h"

struct lua_State;

namespace tarvix::sim {

// Errors of the instrument model on their way through Lua. Lua raises with a longjmp that
// skips C++ destructors, so a TspError caught in a C function is first copied into this
// plain value; the function raises it once nothing on its frame needs destroying.
struct TspLuaError {
    static constexpr std::size_t kMessageLength = 255;

    int code = 0;
    std::array<char, kMessageLength + 1> message{};
    bool set = false;

    static TspLuaError from(const TspError& error);
    // Registers the error values' type in a new state (inside a protected call), so that
    // reading one later allocates nothing.
    static void prepare(lua_State* state);
    // A -286 runtime error becomes a message with the script line ("TSP:3: ..."), as Lua's
    // own errors are; any other code a value that keeps it.
    [[noreturn]] void raise(lua_State* state) const;

    // The code and message of an error value raised with a code other than -286; false for
    // any other value. Calls no metamethod.
    static bool read(lua_State* state, int index, TspError* error);
};

}  // namespace tarvix::sim
