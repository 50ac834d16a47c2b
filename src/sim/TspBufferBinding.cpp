// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/TspBufferBinding.h"

#include <lua.hpp>

#include <cmath>
#include <string_view>

#include "sim/ErrorQueue.h"
#include "sim/TspLuaError.h"

namespace tarvix::sim::tspBuffers {

namespace {

constexpr const char* kBufferType = "tarvix.buffer";
constexpr const char* kColumnType = "tarvix.buffercolumn";
constexpr lua_Integer kMaxCapacity = 100000;

// Plain pointers only: the block is Lua's and is never destroyed as a C++ object.
struct BufferHandle {
    ReadingBuffer* buffer;
    ReadingBuffer* owned;  // made by the script, deleted with its object
};
struct ColumnHandle {
    const ReadingBuffer* buffer;
    ReadingBuffer::Column column;
};

ReadingBuffer& bufferAt(lua_State* state, int index) {
    return *static_cast<BufferHandle*>(luaL_checkudata(state, index, kBufferType))->buffer;
}

// `key` as a 0-based entry index; -1 when it is not a whole number from 1.
long long entryIndex(lua_State* state, int key) {
    if (lua_type(state, key) != LUA_TNUMBER) {
        return -1;
    }
    const double number = lua_tonumber(state, key);
    return number >= 1 && number <= 1e15 && std::floor(number) == number
               ? static_cast<long long>(number) - 1
               : -1;
}

void pushCell(lua_State* state, const ReadingBuffer& buffer, ReadingBuffer::Column column,
              long long index) {
    const ReadingBuffer::Cell cell =
        index < 0 ? ReadingBuffer::Cell{} : buffer.cell(column, static_cast<std::size_t>(index));
    switch (cell.kind) {
        case ReadingBuffer::Cell::Kind::Number:
            lua_pushnumber(state, cell.number);
            break;
        case ReadingBuffer::Cell::Kind::Text:
            lua_pushstring(state, cell.text);
            break;
        case ReadingBuffer::Cell::Kind::Nil:
            lua_pushnil(state);
            break;
    }
}

int clearBuffer(lua_State* state) {
    bufferAt(state, lua_upvalueindex(1)).clear();
    return 0;
}

int doNothing(lua_State*) {
    return 0;
}

int readOnly(lua_State* state) {
    const char* key = lua_type(state, 2) == LUA_TSTRING ? lua_tostring(state, 2) : "?";
    return luaL_error(state, "attempt to assign to an unknown or read-only field '%s'", key);
}

int bufferIndex(lua_State* state) {
    ReadingBuffer& buffer = bufferAt(state, 1);
    if (lua_type(state, 2) != LUA_TSTRING) {
        pushCell(state, buffer, ReadingBuffer::Column::Readings, entryIndex(state, 2));
        return 1;
    }
    const std::string_view key = lua_tostring(state, 2);
    if (const std::optional<double> value = buffer.attribute(key)) {
        lua_pushnumber(state, *value);
    } else if (const auto column = ReadingBuffer::column(key)) {
        auto* handle =
            static_cast<ColumnHandle*>(lua_newuserdatauv(state, sizeof(ColumnHandle), 1));
        *handle = {&buffer, *column};
        lua_pushvalue(state, 1);  // the subtable keeps its buffer alive
        lua_setiuservalue(state, -2, 1);
        luaL_setmetatable(state, kColumnType);
    } else if (key == "clear") {
        lua_pushvalue(state, 1);
        lua_pushcclosure(state, &clearBuffer, 1);
    } else if (key == "clearcache") {
        lua_pushcfunction(state, &doNothing);
    } else {
        lua_pushnil(state);
    }
    return 1;
}

int bufferAssign(lua_State* state) {
    ReadingBuffer& buffer = bufferAt(state, 1);
    if (lua_type(state, 2) != LUA_TSTRING || lua_type(state, 3) != LUA_TNUMBER) {
        return readOnly(state);
    }
    TspLuaError failure;
    bool known = true;
    try {
        known = buffer.setAttribute(lua_tostring(state, 2), lua_tonumber(state, 3));
    } catch (const TspError& error) {
        failure = TspLuaError::from(error);
    }
    if (failure.set) {
        failure.raise(state);
    }
    return known ? 0 : readOnly(state);
}

int bufferLength(lua_State* state) {
    lua_pushinteger(state, static_cast<lua_Integer>(bufferAt(state, 1).size()));
    return 1;
}

int bufferEqual(lua_State* state) {
    auto* first = static_cast<BufferHandle*>(luaL_testudata(state, 1, kBufferType));
    auto* second = static_cast<BufferHandle*>(luaL_testudata(state, 2, kBufferType));
    lua_pushboolean(state, first && second && first->buffer == second->buffer);
    return 1;
}

int bufferCollect(lua_State* state) {
    auto* handle = static_cast<BufferHandle*>(luaL_checkudata(state, 1, kBufferType));
    delete handle->owned;
    handle->owned = nullptr;
    handle->buffer = nullptr;
    return 0;
}

ColumnHandle& columnAt(lua_State* state) {
    return *static_cast<ColumnHandle*>(luaL_checkudata(state, 1, kColumnType));
}

int columnIndex(lua_State* state) {
    const ColumnHandle& column = columnAt(state);
    if (lua_type(state, 2) == LUA_TSTRING && std::string_view(lua_tostring(state, 2)) == "n") {
        lua_pushinteger(state, static_cast<lua_Integer>(column.buffer->size()));
    } else {
        pushCell(state, *column.buffer, column.column, entryIndex(state, 2));
    }
    return 1;
}

int columnLength(lua_State* state) {
    lua_pushinteger(state, static_cast<lua_Integer>(columnAt(state).buffer->size()));
    return 1;
}

void newType(lua_State* state, const char* name, std::initializer_list<luaL_Reg> methods) {
    luaL_newmetatable(state, name);
    for (const luaL_Reg& method : methods) {
        lua_pushcfunction(state, method.func);
        lua_setfield(state, -2, method.name);
    }
    lua_pushstring(state, name);  // scripts cannot change or read the metatable
    lua_setfield(state, -2, "__metatable");
    lua_pop(state, 1);
}

}  // namespace

void prepare(lua_State* state) {
    newType(state, kBufferType,
            {{"__index", &bufferIndex},
             {"__newindex", &bufferAssign},
             {"__len", &bufferLength},
             {"__eq", &bufferEqual},
             {"__gc", &bufferCollect}});
    newType(state, kColumnType,
            {{"__index", &columnIndex}, {"__newindex", &readOnly}, {"__len", &columnLength}});
}

void push(lua_State* state, ReadingBuffer& buffer) {
    auto* handle = static_cast<BufferHandle*>(lua_newuserdatauv(state, sizeof(BufferHandle), 0));
    *handle = {&buffer, nullptr};
    luaL_setmetatable(state, kBufferType);
}

int make(lua_State* state) {
    const lua_Integer capacity = luaL_checkinteger(state, 1);
    luaL_argcheck(state, capacity >= 1 && capacity <= kMaxCapacity, 1, "capacity out of range");
    const std::size_t charged =
        sizeof(BufferHandle) + static_cast<std::size_t>(capacity) * sizeof(ReadingBuffer::Entry);
    auto* handle = static_cast<BufferHandle*>(lua_newuserdatauv(state, charged, 0));
    *handle = {nullptr, nullptr};
    luaL_setmetatable(state, kBufferType);
    handle->owned = new ReadingBuffer(static_cast<std::size_t>(capacity));
    handle->buffer = handle->owned;
    return 1;
}

ReadingBuffer* toBuffer(lua_State* state, int index) {
    auto* handle = static_cast<BufferHandle*>(luaL_testudata(state, index, kBufferType));
    return handle ? handle->buffer : nullptr;
}

bool toColumn(lua_State* state, int index, ColumnRef* column) {
    if (const ReadingBuffer* buffer = toBuffer(state, index)) {
        *column = {buffer, ReadingBuffer::Column::Readings};
        return true;
    }
    if (auto* handle = static_cast<ColumnHandle*>(luaL_testudata(state, index, kColumnType))) {
        *column = {handle->buffer, handle->column};
        return true;
    }
    return false;
}

}  // namespace tarvix::sim::tspBuffers
