// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/TspLuaError.h"

#include <lua.hpp>

#include <algorithm>
#include <cstring>

#include "sim/ErrorQueue.h"

namespace tarvix::sim {

namespace {

constexpr const char* kErrorType = "tarvix.error";

int errorText(lua_State* state) {
    lua_rawgeti(state, 1, 2);
    return 1;
}

}  // namespace

TspLuaError TspLuaError::from(const TspError& error) {
    TspLuaError copy;
    copy.code = error.code;
    const std::size_t length = std::min(error.message.size(), kMessageLength);
    std::memcpy(copy.message.data(), error.message.data(), length);
    copy.message[length] = '\0';
    copy.set = true;
    return copy;
}

void TspLuaError::prepare(lua_State* state) {
    luaL_newmetatable(state, kErrorType);
    lua_pushcfunction(state, &errorText);
    lua_setfield(state, -2, "__tostring");
    lua_pop(state, 1);
}

void TspLuaError::raise(lua_State* state) const {
    if (code == errors::kTspRuntime) {
        luaL_where(state, 1);
        lua_pushstring(state, message.data());
        lua_concat(state, 2);
    } else {
        lua_createtable(state, 2, 0);
        lua_pushinteger(state, code);
        lua_rawseti(state, -2, 1);
        lua_pushstring(state, message.data());
        lua_rawseti(state, -2, 2);
        luaL_setmetatable(state, kErrorType);
    }
    lua_error(state);
    __builtin_unreachable();
}

bool TspLuaError::read(lua_State* state, int index, TspError* error) {
    index = lua_absindex(state, index);
    if (lua_type(state, index) != LUA_TTABLE || !lua_getmetatable(state, index)) {
        return false;
    }
    lua_getfield(state, LUA_REGISTRYINDEX, kErrorType);
    const bool ours = lua_rawequal(state, -1, -2);
    lua_pop(state, 2);
    if (!ours) {
        return false;
    }
    lua_rawgeti(state, index, 1);
    lua_rawgeti(state, index, 2);
    error->code = static_cast<int>(lua_tointeger(state, -2));
    const char* message = lua_type(state, -1) == LUA_TSTRING ? lua_tostring(state, -1) : "";
    error->message = message;
    lua_pop(state, 2);
    return true;
}

}  // namespace tarvix::sim
