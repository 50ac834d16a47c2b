// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

struct lua_State;
struct lua_Debug;

namespace tarvix::sim {

// A Lua state for text that comes in over the bus. It holds only what cannot reach the host
// (the base functions without files, string, table, math, utf8; text chunks only), at most
// a fixed amount of memory, and it stops a chunk that runs past its instruction budget, so
// that no script can read a file or keep the bench from serving.
class LuaSandbox {
  public:
    struct Limits {
        std::size_t memoryBytes = std::size_t{16} << 20;
        long long instructions = 20'000'000;
    };

    explicit LuaSandbox(Limits limits);
    ~LuaSandbox();
    LuaSandbox(const LuaSandbox&) = delete;
    LuaSandbox& operator=(const LuaSandbox&) = delete;

    lua_State* state() const { return state_; }
    // A full instruction budget for the next chunk.
    void renewBudget();
    bool budgetSpent() const { return spent_; }
    std::size_t memoryInUse() const { return used_; }
    const Limits& limits() const { return limits_; }

    // The sandbox a state (or any of its threads) belongs to.
    static LuaSandbox& of(lua_State* state);
    // Raises the error of a spent budget, with the line the chunk had reached.
    static int raiseBudgetSpent(lua_State* state);

  private:
    static void* allocate(void* self, void* block, std::size_t oldSize, std::size_t newSize);
    static void countInstructions(lua_State* state, lua_Debug* debug);
    static int openLibraries(lua_State* state);

    Limits limits_;
    std::size_t used_ = 0;
    long long remaining_ = 0;
    bool spent_ = false;
    lua_State* state_ = nullptr;
};

}  // namespace tarvix::sim
