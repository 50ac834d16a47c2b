// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/TspObjectTree.h"

#include <lua.hpp>

#include <cmath>

#include "sim/ErrorQueue.h"
#include "sim/TspBufferBinding.h"
#include "sim/TspLuaError.h"

namespace tarvix::sim {

namespace {

TspValue valueAt(lua_State* state, int index) {
    switch (lua_type(state, index)) {
        case LUA_TNUMBER:
            return lua_tonumber(state, index);
        case LUA_TBOOLEAN:
            return lua_toboolean(state, index) != 0;
        case LUA_TSTRING: {
            std::size_t length = 0;
            const char* text = lua_tolstring(state, index, &length);
            return std::string(text, length);
        }
        case LUA_TUSERDATA:
            if (ReadingBuffer* buffer = tspBuffers::toBuffer(state, index)) {
                return buffer;
            }
            return {};
        default:
            return {};
    }
}

void pushValue(lua_State* state, const TspValue& value) {
    if (const double* number = std::get_if<double>(&value)) {
        lua_pushnumber(state, *number);
    } else if (const bool* flag = std::get_if<bool>(&value)) {
        lua_pushboolean(state, *flag);
    } else if (const auto* text = std::get_if<std::string>(&value)) {
        lua_pushlstring(state, text->data(), text->size());
    } else if (ReadingBuffer* const* buffer = std::get_if<ReadingBuffer*>(&value)) {
        tspBuffers::push(state, **buffer);
    } else {
        lua_pushnil(state);
    }
}

}  // namespace

TspObjectTree::Node& TspObjectTree::parentOf(const std::string& name, std::string* field) {
    const std::size_t dot = name.rfind('.');
    *field = dot == std::string::npos ? name : name.substr(dot + 1);
    const std::string path = dot == std::string::npos ? std::string() : name.substr(0, dot);
    // Every object on the way exists, so that installing creates parents first.
    for (std::size_t end = 0; end != std::string::npos;) {
        end = path.find('.', end + 1);
        const std::string prefix = path.substr(0, end);
        nodes_[prefix];
    }
    nodes_[""];
    return nodes_[path];
}

void TspObjectTree::addAttribute(const std::string& name, Attribute attribute) {
    std::string field;
    Node& parent = parentOf(name, &field);
    Attribute& stored = attributes_[name] = std::move(attribute);
    parent.attributes[field] = &stored;
}

void TspObjectTree::addConstant(const std::string& name, double value) {
    std::string field;
    parentOf(name, &field).members[field] = Member{value, {}, nullptr, nullptr, nullptr};
}

void TspObjectTree::addFunction(const std::string& name, TspFunction function) {
    std::string field;
    parentOf(name, &field).members[field] =
        Member{0.0, std::move(function), nullptr, nullptr, nullptr};
}

void TspObjectTree::addLuaFunction(const std::string& name, LuaFunction function, void* context) {
    std::string field;
    parentOf(name, &field).members[field] = Member{0.0, {}, function, context, nullptr};
}

void TspObjectTree::addBuffer(const std::string& name, ReadingBuffer& buffer) {
    std::string field;
    parentOf(name, &field).members[field] = Member{0.0, {}, nullptr, nullptr, &buffer};
}

TspObjectTree::Attribute* TspObjectTree::attribute(std::string_view name) {
    const auto found = attributes_.find(name);
    return found == attributes_.end() ? nullptr : &found->second;
}

const TspObjectTree::Attribute* TspObjectTree::attribute(std::string_view name) const {
    const auto found = attributes_.find(name);
    return found == attributes_.end() ? nullptr : &found->second;
}

void TspObjectTree::resetAttributes() {
    for (auto& [name, attribute] : attributes_) {
        attribute.value = attribute.initial;
    }
}

void TspObjectTree::install(lua_State* state) {
    TspLuaError::prepare(state);
    tspBuffers::prepare(state);
    lua_newtable(state);  // each object's table of fields, by path
    const int fieldTables = lua_gettop(state);
    lua_pushglobaltable(state);
    lua_setfield(state, fieldTables, "");
    for (auto& [path, node] : nodes_) {
        node.path = path;
        if (!path.empty()) {
            const std::size_t dot = path.rfind('.');
            const std::size_t parentLength = dot == std::string::npos ? 0 : dot;
            const std::size_t fieldStart = dot == std::string::npos ? 0 : dot + 1;
            lua_pushlstring(state, path.data(), parentLength);
            lua_rawget(state, fieldTables);  // the parent's fields
            lua_pushstring(state, path.c_str() + fieldStart);
            lua_newtable(state);  // the object a script sees
            lua_newtable(state);  // its fields
            lua_pushvalue(state, -1);
            lua_setfield(state, fieldTables, path.c_str());
            lua_createtable(state, 0, 3);  // its metatable
            for (const auto& [event, function] :
                 {std::pair{"__index", &indexField}, std::pair{"__newindex", &assignField}}) {
                lua_pushvalue(state, -2);
                lua_pushlightuserdata(state, &node);
                lua_pushlightuserdata(state, this);
                lua_pushcclosure(state, function, 3);
                lua_setfield(state, -2, event);
            }
            lua_pushstring(state, path.c_str());
            lua_setfield(state, -2, "__metatable");
            lua_setmetatable(state, -3);
            lua_pop(state, 1);
            lua_rawset(state, -3);
            lua_pop(state, 1);
        }
        lua_getfield(state, fieldTables, path.c_str());
        for (auto& [field, member] : node.members) {
            pushMember(state, member);
            lua_setfield(state, -2, field.c_str());
        }
        lua_pop(state, 1);
    }
    lua_pop(state, 1);
}

void TspObjectTree::pushMember(lua_State* state, Member& member) {
    if (member.function) {
        lua_pushlightuserdata(state, &member.function);
        lua_pushlightuserdata(state, this);
        lua_pushcclosure(state, &callFunction, 2);
    } else if (member.luaFunction) {
        lua_pushlightuserdata(state, member.context);
        lua_pushcclosure(state, member.luaFunction, 1);
    } else if (member.buffer) {
        tspBuffers::push(state, *member.buffer);
    } else {
        lua_pushnumber(state, member.constant);
    }
}

bool TspObjectTree::read(const Attribute& attribute) {
    try {
        results_.assign(1, attribute.get ? attribute.get() : TspValue{attribute.value});
        return true;
    } catch (TspError& error) {
        failure_ = std::move(error);
        return false;
    }
}

bool TspObjectTree::write(Attribute& attribute, lua_State* state, int index) {
    if (lua_type(state, index) != LUA_TNUMBER) {
        failure_ = {errors::kTspRuntime, "bad argument, number expected"};
        return false;
    }
    const double value = lua_tonumber(state, index);
    try {
        if (attribute.set) {
            attribute.set(value);
        } else if (!(value >= attribute.min && value <= attribute.max) ||
                   (attribute.integral && std::floor(value) != value)) {
            throw TspError{errors::kOutOfRange, std::string(errors::text(errors::kOutOfRange))};
        } else {
            attribute.value = value;
        }
        return true;
    } catch (TspError& error) {
        failure_ = std::move(error);
        return false;
    }
}

bool TspObjectTree::invoke(const TspFunction& function) {
    try {
        results_ = function(arguments_);
        return true;
    } catch (TspError& error) {
        failure_ = std::move(error);
        return false;
    }
}

int TspObjectTree::pushResults(lua_State* state) {
    luaL_checkstack(state, static_cast<int>(results_.size()), "too many results");
    for (const TspValue& value : results_) {
        pushValue(state, value);
    }
    return static_cast<int>(results_.size());
}

int TspObjectTree::indexField(lua_State* state) {
    lua_settop(state, 2);
    lua_pushvalue(state, 2);
    if (lua_rawget(state, lua_upvalueindex(1)) != LUA_TNIL || lua_type(state, 2) != LUA_TSTRING) {
        return 1;
    }
    const Node& node = *static_cast<const Node*>(lua_touserdata(state, lua_upvalueindex(2)));
    auto& tree = *static_cast<TspObjectTree*>(lua_touserdata(state, lua_upvalueindex(3)));
    std::size_t length = 0;
    const char* key = lua_tolstring(state, 2, &length);
    const auto found = node.attributes.find(std::string_view(key, length));
    if (found == node.attributes.end()) {
        return 1;  // nil, as for any missing field
    }
    if (!tree.read(*found->second)) {
        TspLuaError::from(tree.failure_).raise(state);
    }
    return tree.pushResults(state);
}

int TspObjectTree::assignField(lua_State* state) {
    const Node& node = *static_cast<const Node*>(lua_touserdata(state, lua_upvalueindex(2)));
    auto& tree = *static_cast<TspObjectTree*>(lua_touserdata(state, lua_upvalueindex(3)));
    Attribute* attribute = nullptr;
    if (lua_type(state, 2) == LUA_TSTRING) {
        std::size_t length = 0;
        const char* key = lua_tolstring(state, 2, &length);
        const auto found = node.attributes.find(std::string_view(key, length));
        attribute = found == node.attributes.end() ? nullptr : found->second;
    }
    if (!attribute || (attribute->get && !attribute->set)) {
        const char* key = lua_type(state, 2) == LUA_TSTRING ? lua_tostring(state, 2) : "?";
        return luaL_error(state, "attempt to assign to an unknown or read-only field '%s.%s'",
                          node.path.c_str(), key);
    }
    if (!tree.write(*attribute, state, 3)) {
        TspLuaError::from(tree.failure_).raise(state);
    }
    return 0;
}

int TspObjectTree::callFunction(lua_State* state) {
    const auto& function =
        *static_cast<const TspFunction*>(lua_touserdata(state, lua_upvalueindex(1)));
    auto& tree = *static_cast<TspObjectTree*>(lua_touserdata(state, lua_upvalueindex(2)));
    const int count = lua_gettop(state);
    tree.arguments_.clear();
    for (int index = 1; index <= count; ++index) {
        tree.arguments_.push_back(valueAt(state, index));
    }
    if (!tree.invoke(function)) {
        TspLuaError::from(tree.failure_).raise(state);
    }
    return tree.pushResults(state);
}

}  // namespace tarvix::sim
