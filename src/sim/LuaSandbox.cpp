// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/LuaSandbox.h"

#include <lua.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string_view>

namespace tarvix::sim {

namespace {

// The hook runs every this many instructions: often enough to stop a loop at once, seldom
// enough to cost nothing.
constexpr int kHookInterval = 1000;
// Library calls that loop in C, out of the instruction count's reach, are refused beyond
// these sizes.
constexpr double kPatternSteps = 2e8;
constexpr lua_Unsigned kMaxMovedElements = lua_Unsigned{1} << 22;

int callOriginal(lua_State* state) {
    const int arguments = lua_gettop(state);
    lua_pushvalue(state, lua_upvalueindex(1));
    lua_insert(state, 1);
    lua_call(state, arguments, LUA_MULTRET);
    return lua_gettop(state);
}

// pcall and xpcall would catch the error of a spent budget and let the loop go on.
int guardedProtectedCall(lua_State* state) {
    const int results = callOriginal(state);
    if (LuaSandbox::of(state).budgetSpent()) {
        return LuaSandbox::raiseBudgetSpent(state);
    }
    return results;
}

// A finalizer would run script code in the middle of any allocation, inside the instrument's
// own functions. (A __gc field added later marks nothing for finalization.)
int guardedSetMetatable(lua_State* state) {
    if (lua_type(state, 2) == LUA_TTABLE) {
        lua_pushliteral(state, "__gc");
        if (lua_rawget(state, 2) != LUA_TNIL) {
            return luaL_error(state, "finalizers (__gc) are not available on the instrument");
        }
        lua_pop(state, 1);
    }
    return callOriginal(state);
}

// Source text only: a binary chunk can crash the virtual machine.
int guardedLoad(lua_State* state) {
    const bool environment = !lua_isnone(state, 4);
    lua_settop(state, environment ? 4 : 3);
    lua_pushliteral(state, "t");
    lua_replace(state, 3);
    return callOriginal(state);
}

// With an empty string and separator string.rep loops without making anything.
int guardedRepeat(lua_State* state) {
    std::size_t length = 0;
    std::size_t separatorLength = 0;
    luaL_checklstring(state, 1, &length);
    const lua_Integer count = luaL_checkinteger(state, 2);
    luaL_optlstring(state, 3, "", &separatorLength);
    if (count > 0 && length + separatorLength == 0) {
        lua_pushliteral(state, "");
        return 1;
    }
    const double total = static_cast<double>(length + separatorLength) * static_cast<double>(count);
    if (total > static_cast<double>(LuaSandbox::of(state).limits().memoryBytes)) {
        return luaL_error(state, "resulting string too large");
    }
    return callOriginal(state);
}

int guardedMove(lua_State* state) {
    const lua_Integer first = luaL_checkinteger(state, 2);
    const lua_Integer last = luaL_checkinteger(state, 3);
    if (last >= first &&
        static_cast<lua_Unsigned>(last) - static_cast<lua_Unsigned>(first) >= kMaxMovedElements) {
        return luaL_error(state, "too many elements to move");
    }
    return callOriginal(state);
}

// Repetition items of a pattern ("*", "+", "-", "?" outside escapes and sets).
int repetitions(std::string_view pattern) {
    int count = 0;
    bool inSet = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%') {
            ++i;
        } else if (inSet) {
            inSet = c != ']';
        } else if (c == '[') {
            inSet = true;
            i += i + 1 < pattern.size() && pattern[i + 1] == '^' ? 1 : 0;
            i += i + 1 < pattern.size() && pattern[i + 1] == ']' ? 1 : 0;
        } else if (c == '*' || c == '+' || c == '-' || c == '?') {
            ++count;
        }
    }
    return count;
}

// The matcher backtracks: with q repetition items a subject of n characters may take about
// n^(q+1) steps inside one C call.
int guardedPattern(lua_State* state) {
    const bool plainFind = lua_toboolean(state, lua_upvalueindex(2)) && lua_toboolean(state, 4);
    if (!plainFind) {
        std::size_t subjectLength = 0;
        std::size_t patternLength = 0;
        luaL_checklstring(state, 1, &subjectLength);
        const char* pattern = luaL_checklstring(state, 2, &patternLength);
        const double steps = std::pow(static_cast<double>(subjectLength) + 1.0,
                                      repetitions({pattern, patternLength}) + 1);
        if (steps > kPatternSteps) {
            return luaL_error(state, "pattern too complex for a subject of %d characters",
                              static_cast<int>(subjectLength));
        }
    }
    return callOriginal(state);
}

// Replaces table[name] (a global when `table` is null) by `guard` holding the original as
// its first upvalue.
void wrap(lua_State* state, const char* table, const char* name, lua_CFunction guard,
          bool flag = false) {
    if (table) {
        lua_getglobal(state, table);
    } else {
        lua_pushglobaltable(state);
    }
    lua_getfield(state, -1, name);
    lua_pushboolean(state, flag);
    lua_pushcclosure(state, guard, 2);
    lua_setfield(state, -2, name);
    lua_pop(state, 1);
}

void remove(lua_State* state, const char* table, const char* name) {
    if (table) {
        lua_getglobal(state, table);
    } else {
        lua_pushglobaltable(state);
    }
    lua_pushnil(state);
    lua_setfield(state, -2, name);
    lua_pop(state, 1);
}

int panic(lua_State* state) {
    const char* message = lua_tostring(state, -1);
    std::fprintf(stderr, "Lua error outside a protected call: %s\n", message ? message : "?");
    return 0;
}

}  // namespace

LuaSandbox::LuaSandbox(Limits limits) : limits_(limits) {
    state_ = lua_newstate(&LuaSandbox::allocate, this);
    if (!state_) {
        throw std::bad_alloc();
    }
    lua_atpanic(state_, &panic);
    renewBudget();
    lua_sethook(state_, &LuaSandbox::countInstructions, LUA_MASKCOUNT, kHookInterval);
    lua_pushcfunction(state_, &LuaSandbox::openLibraries);
    if (lua_pcall(state_, 0, 0, 0) != LUA_OK) {
        lua_close(state_);
        throw std::bad_alloc();
    }
}

LuaSandbox::~LuaSandbox() {
    renewBudget();  // finalizers run on close, within a budget too
    lua_close(state_);
}

void LuaSandbox::renewBudget() {
    remaining_ = limits_.instructions;
    spent_ = false;
}

LuaSandbox& LuaSandbox::of(lua_State* state) {
    void* self = nullptr;
    lua_getallocf(state, &self);
    return *static_cast<LuaSandbox*>(self);
}

void* LuaSandbox::allocate(void* self, void* block, std::size_t oldSize, std::size_t newSize) {
    auto& sandbox = *static_cast<LuaSandbox*>(self);
    const std::size_t old = block ? oldSize : 0;
    if (newSize == 0) {
        std::free(block);
        sandbox.used_ -= old;
        return nullptr;
    }
    if (newSize > old && sandbox.used_ - old + newSize > sandbox.limits_.memoryBytes) {
        return nullptr;
    }
    void* resized = std::realloc(block, newSize);
    if (resized) {
        sandbox.used_ = sandbox.used_ - old + newSize;
    }
    return resized;
}

void LuaSandbox::countInstructions(lua_State* state, lua_Debug*) {
    LuaSandbox& sandbox = of(state);
    sandbox.remaining_ -= kHookInterval;
    if (sandbox.remaining_ <= 0) {
        sandbox.spent_ = true;
        raiseBudgetSpent(state);
    }
}

int LuaSandbox::raiseBudgetSpent(lua_State* state) {
    const long long budget = of(state).limits_.instructions;
    lua_Debug frame;
    for (int level = 0; lua_getstack(state, level, &frame); ++level) {
        lua_getinfo(state, "Sl", &frame);
        if (frame.currentline > 0) {
            lua_pushfstring(state, "%s:%d: ", frame.short_src, frame.currentline);
            lua_pushfstring(state, "the chunk ran past %I instructions and was stopped",
                            static_cast<lua_Integer>(budget));
            lua_concat(state, 2);
            return lua_error(state);
        }
    }
    lua_pushfstring(state, "the chunk ran past %I instructions and was stopped",
                    static_cast<lua_Integer>(budget));
    return lua_error(state);
}

int LuaSandbox::openLibraries(lua_State* state) {
    static const luaL_Reg libraries[] = {
        {LUA_GNAME, luaopen_base},       {LUA_STRLIBNAME, luaopen_string},
        {LUA_TABLIBNAME, luaopen_table}, {LUA_MATHLIBNAME, luaopen_math},
        {LUA_UTF8LIBNAME, luaopen_utf8},
    };
    for (const luaL_Reg& library : libraries) {
        luaL_requiref(state, library.name, library.func, 1);
        lua_pop(state, 1);
    }
    // Files, the host's standard output and bytecode stay out of reach.
    for (const char* name : {"dofile", "loadfile", "print", "warn"}) {
        remove(state, nullptr, name);
    }
    remove(state, LUA_STRLIBNAME, "dump");
    wrap(state, nullptr, "load", &guardedLoad);
    wrap(state, nullptr, "setmetatable", &guardedSetMetatable);
    wrap(state, nullptr, "pcall", &guardedProtectedCall);
    wrap(state, nullptr, "xpcall", &guardedProtectedCall);
    wrap(state, LUA_STRLIBNAME, "rep", &guardedRepeat);
    wrap(state, LUA_TABLIBNAME, "move", &guardedMove);
    wrap(state, LUA_STRLIBNAME, "find", &guardedPattern, true);
    for (const char* name : {"match", "gmatch", "gsub"}) {
        wrap(state, LUA_STRLIBNAME, name, &guardedPattern);
    }
    return 0;
}

}  // namespace tarvix::sim
