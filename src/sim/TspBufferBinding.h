// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sim/ReadingBuffer.h"

struct lua_State;

namespace tarvix::sim::tspBuffers {

// Reading buffers as script objects: `buffer.n`, `buffer[i]`, `buffer.readings[i]`,
// `buffer.appendmode = 1`, `buffer.clear()`.

// Registers the buffer types in a new state (inside a protected call).
void prepare(lua_State* state);
// Pushes the object of a buffer the instrument owns.
void push(lua_State* state, ReadingBuffer& buffer);
// smua.makebuffer(capacity): a buffer the script owns. Its full capacity is charged to the
// script's memory allowance.
int make(lua_State* state);
// The buffer object at `index`, or null.
ReadingBuffer* toBuffer(lua_State* state, int index);

// A buffer (its readings) or one of its subtables, as printbuffer() takes them.
struct ColumnRef {
    const ReadingBuffer* buffer = nullptr;
    ReadingBuffer::Column column = ReadingBuffer::Column::Readings;
};
bool toColumn(lua_State* state, int index, ColumnRef* column);

}  // namespace tarvix::sim::tspBuffers
