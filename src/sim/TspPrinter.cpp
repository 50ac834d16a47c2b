// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/TspPrinter.h"

#include <lua.hpp>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

#include "sim/ReadingText.h"
#include "sim/TspBufferBinding.h"
#include "sim/TspObjectTree.h"

namespace tarvix::sim {

namespace {

constexpr double kAscii = 1;
constexpr double kSingle = 2;
constexpr double kLittleEndian = 1;

struct Constant {
    const char* name;
    double value;
};
constexpr Constant kFormatConstants[] = {
    {"format.ASCII", kAscii}, {"format.SREAL", kSingle},  {"format.REAL32", kSingle},
    {"format.REAL", 3},       {"format.REAL64", 3},       {"format.DREAL", 3},
    {"format.NORMAL", 0},     {"format.BIGENDIAN", 0},    {"format.NETWORK", 0},
    {"format.SWAPPED", 1},    {"format.LITTLEENDIAN", 1},
};

template <typename Number>
void appendBytes(std::string& line, Number value, bool littleEndian) {
    using Bits = std::conditional_t<sizeof(Number) == 4, std::uint32_t, std::uint64_t>;
    const Bits bits = std::bit_cast<Bits>(value);
    for (std::size_t i = 0; i < sizeof(Bits); ++i) {
        const std::size_t shift = 8 * (littleEndian ? i : sizeof(Bits) - 1 - i);
        line += static_cast<char>((bits >> shift) & 0xFF);
    }
}

}  // namespace

TspPrinter::TspPrinter(TspObjectTree& tree, Output output) : output_(std::move(output)) {
    const auto setting = [&tree](const char* name, double initial, double min, double max) {
        TspObjectTree::Attribute attribute;
        attribute.initial = attribute.value = initial;
        attribute.min = min;
        attribute.max = max;
        attribute.integral = true;
        tree.addAttribute(name, std::move(attribute));
        return &tree.attribute(name)->value;
    };
    precision_ = setting("format.asciiprecision", 6, 1, 16);
    dataFormat_ = setting("format.data", kAscii, 1, 3);
    byteOrder_ = setting("format.byteorder", kLittleEndian, 0, 1);
    for (const Constant& constant : kFormatConstants) {
        tree.addConstant(constant.name, constant.value);
    }
    tree.addLuaFunction("print", &TspPrinter::print, this);
    tree.addLuaFunction("printnumber", &TspPrinter::printNumber, this);
    tree.addLuaFunction("printbuffer", &TspPrinter::printBuffer, this);
}

std::string TspPrinter::numberText(double value) const {
    return readingText::plainExponent(value, static_cast<int>(*precision_) - 1);
}

TspPrinter& TspPrinter::of(lua_State* state) {
    return *static_cast<TspPrinter*>(lua_touserdata(state, lua_upvalueindex(1)));
}

bool TspPrinter::binary() const {
    return *dataFormat_ != kAscii;
}

void TspPrinter::appendNumber(double value, bool first) {
    if (!binary()) {
        line_ += first ? "" : ", ";
        line_ += numberText(value);
    } else if (*dataFormat_ == kSingle) {
        appendBytes(line_, static_cast<float>(value), *byteOrder_ == kLittleEndian);
    } else {
        appendBytes(line_, value, *byteOrder_ == kLittleEndian);
    }
}

void TspPrinter::appendText(const char* text, bool first) {
    if (!binary()) {
        line_ += first ? "" : ", ";
        line_ += text;
    }
}

void TspPrinter::flush() {
    output_(std::move(line_));
    line_.clear();
}

// Values separated by tabs; numbers in the ASCII format whatever format.data says.
int TspPrinter::print(lua_State* state) {
    TspPrinter& self = of(state);
    const int count = lua_gettop(state);
    // Every conversion (which may run a script's __tostring) before the line is built.
    for (int index = 1; index <= count; ++index) {
        if (lua_type(state, index) != LUA_TNUMBER) {
            luaL_tolstring(state, index, nullptr);
            lua_replace(state, index);
        }
    }
    self.line_.clear();
    for (int index = 1; index <= count; ++index) {
        if (index > 1) {
            self.line_ += '\t';
        }
        if (lua_type(state, index) == LUA_TNUMBER) {
            self.line_ += self.numberText(lua_tonumber(state, index));
        } else {
            std::size_t length = 0;
            const char* text = lua_tolstring(state, index, &length);
            self.line_.append(text, length);
        }
    }
    self.flush();
    return 0;
}

int TspPrinter::printNumber(lua_State* state) {
    TspPrinter& self = of(state);
    const int count = lua_gettop(state);
    for (int index = 1; index <= count; ++index) {
        luaL_checknumber(state, index);
    }
    self.line_ = self.binary() ? "#0" : "";
    for (int index = 1; index <= count; ++index) {
        self.appendNumber(lua_tonumber(state, index), index == 1);
    }
    self.flush();
    return 0;
}

// printbuffer(first, last, table, ...): entry by entry, the value of each table or buffer.
int TspPrinter::printBuffer(lua_State* state) {
    TspPrinter& self = of(state);
    const lua_Number start = luaL_checknumber(state, 1);
    const lua_Number end = luaL_checknumber(state, 2);
    const int count = lua_gettop(state);
    luaL_argexpected(state, count >= 3, 3, "table or reading buffer");
    double length = HUGE_VAL;
    for (int index = 3; index <= count; ++index) {
        tspBuffers::ColumnRef column;
        if (tspBuffers::toColumn(state, index, &column)) {
            length = std::min(length, static_cast<double>(column.buffer->size()));
        } else if (lua_type(state, index) == LUA_TTABLE) {
            length = std::min(length, static_cast<double>(lua_rawlen(state, index)));
        } else {
            return luaL_typeerror(state, index, "table or reading buffer");
        }
    }
    const double from = std::max(1.0, std::ceil(start));
    const double to = std::min(std::floor(end), length);
    self.line_ = self.binary() ? "#0" : "";
    bool first = true;
    for (double row = from; row <= to; ++row) {
        for (int index = 3; index <= count; ++index, first = false) {
            tspBuffers::ColumnRef column;
            if (tspBuffers::toColumn(state, index, &column)) {
                const auto cell =
                    column.buffer->cell(column.column, static_cast<std::size_t>(row) - 1);
                if (cell.kind == ReadingBuffer::Cell::Kind::Number) {
                    self.appendNumber(cell.number, first);
                } else {
                    self.appendText(
                        cell.kind == ReadingBuffer::Cell::Kind::Text ? cell.text : "nil", first);
                }
                continue;
            }
            const int type = lua_rawgeti(state, index, static_cast<lua_Integer>(row));
            if (type == LUA_TNUMBER) {
                self.appendNumber(lua_tonumber(state, -1), first);
            } else {
                self.appendText(type == LUA_TSTRING ? lua_tostring(state, -1) : "nil", first);
            }
            lua_pop(state, 1);
        }
    }
    self.flush();
    return 0;
}

}  // namespace tarvix::sim
