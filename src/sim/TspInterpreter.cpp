// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/TspInterpreter.h"

#include <lua.hpp>

#include <cctype>
#include <new>

#include "sim/TspLuaError.h"

namespace tarvix::sim {

namespace {

// Run in each new state; returns the function that stores a loaded script.
constexpr const char* kPrelude = R"lua(
local load, setmetatable, rawset = load, setmetatable, rawset
local scripts = {}
local scriptType = {__call = function(self) return self.run() end}
script = {user = {scripts = scripts}}

local function newScript(chunk, name, source)
  local object = setmetatable({name = name or "", source = source}, scriptType)
  object.run = function() return chunk() end
  return object
end

function script.new(source, name)
  local chunk, message = load(source, "=" .. (name or "TSP"), "t")
  if not chunk then error(message, 0) end
  local object = newScript(chunk, name, source)
  if name and name ~= "" then scripts[name] = object end
  return object
end

function script.delete(name)
  scripts[name] = nil
  rawset(_G, name, nil)
end

function run()
  if script.anonymous then return script.anonymous.run() end
end

-- Names of the older Lua that instrument scripts are often written for.
table.getn = function(t) return #t end
unpack = table.unpack
loadstring = function(source, name) return load(source, name, "t") end
math.pow = function(x, y) return x ^ y end
math.mod = math.fmod

return function(chunk, name, source, runNow)
  local object = newScript(chunk, name, source)
  if name then
    scripts[name] = object
    rawset(_G, name, object)
  else
    script.anonymous = object
  end
  if runNow then object.run() end
end
)lua";

constexpr std::size_t kMaxMessageLength = 255;

// Lua's "TSP:3: unexpected symbol near 'x'" as the instrument words it: "TSP Syntax error at
// line 3: unexpected symbol near 'x'".
std::string instrumentText(std::string_view kind, std::string_view luaText) {
    const std::size_t colon = luaText.find(':');
    std::size_t digits = colon == std::string_view::npos ? 0 : colon + 1;
    while (digits < luaText.size() && std::isdigit(static_cast<unsigned char>(luaText[digits]))) {
        ++digits;
    }
    std::string text(kind);
    if (colon != std::string_view::npos && digits > colon + 1 && digits < luaText.size() &&
        luaText[digits] == ':') {
        text.append(" at line ").append(luaText.substr(colon + 1, digits - colon - 1));
        luaText.remove_prefix(digits + 1);
        while (!luaText.empty() && luaText.front() == ' ') {
            luaText.remove_prefix(1);
        }
    }
    text.append(": ").append(luaText);
    return text.substr(0, kMaxMessageLength);
}

}  // namespace

TspInterpreter::TspInterpreter(Output output, ErrorQueue& errors, LuaSandbox::Limits limits)
    : errors_(errors), limits_(limits), printer_(tree_, std::move(output)) {}

TspInterpreter::~TspInterpreter() = default;

void TspInterpreter::addAttribute(const std::string& name, double initial, double min, double max,
                                  bool integral) {
    TspObjectTree::Attribute attribute;
    attribute.initial = attribute.value = initial;
    attribute.min = min;
    attribute.max = max;
    attribute.integral = integral;
    tree_.addAttribute(name, std::move(attribute));
}

void TspInterpreter::addReadOnlyAttribute(const std::string& name,
                                          std::function<TspValue()> value) {
    TspObjectTree::Attribute attribute;
    attribute.get = std::move(value);
    tree_.addAttribute(name, std::move(attribute));
}

void TspInterpreter::addComputedAttribute(const std::string& name, std::function<TspValue()> get,
                                          std::function<void(double)> set) {
    TspObjectTree::Attribute attribute;
    attribute.get = std::move(get);
    attribute.set = std::move(set);
    tree_.addAttribute(name, std::move(attribute));
}

void TspInterpreter::addConstant(const std::string& name, double value) {
    tree_.addConstant(name, value);
}

void TspInterpreter::addFunction(const std::string& name, TspFunction function) {
    tree_.addFunction(name, std::move(function));
}

void TspInterpreter::addBuffer(const std::string& name, ReadingBuffer& buffer) {
    tree_.addBuffer(name, buffer);
}

double TspInterpreter::value(std::string_view attribute) const {
    const TspObjectTree::Attribute* found = tree_.attribute(attribute);
    if (!found) {
        return 0.0;
    }
    if (!found->get) {
        return found->value;
    }
    const TspValue value = found->get();
    const double* number = std::get_if<double>(&value);
    return number ? *number : 0.0;
}

void TspInterpreter::resetAttributes() {
    tree_.resetAttributes();
}

void TspInterpreter::restart() {
    sandbox_.reset();
    collector_.clear();
}

void TspInterpreter::start() {
    sandbox_ = std::make_unique<LuaSandbox>(limits_);
    lua_State* state = sandbox_->state();
    const auto install = [](lua_State* state) {
        auto& self = *static_cast<TspInterpreter*>(lua_touserdata(state, 1));
        self.tree_.install(state);
        if (luaL_loadbufferx(state, kPrelude, std::char_traits<char>::length(kPrelude), "=prelude",
                             "t") != LUA_OK) {
            return lua_error(state);
        }
        lua_call(state, 0, 1);
        self.scriptMaker_ = luaL_ref(state, LUA_REGISTRYINDEX);
        return 0;
    };
    lua_pushcfunction(state, install);
    lua_pushlightuserdata(state, this);
    if (lua_pcall(state, 1, 0, 0) != LUA_OK) {
        sandbox_.reset();
        throw std::bad_alloc();
    }
}

void TspInterpreter::run(std::string_view message) {
    if (!sandbox_) {
        start();
    }
    for (const TspScriptCollector::Piece& piece : collector_.feed(message)) {
        switch (piece.kind) {
            case TspScriptCollector::Piece::Kind::Chunk:
                runChunk(piece.text);
                break;
            case TspScriptCollector::Piece::Kind::Script:
                loadScript(piece);
                break;
            case TspScriptCollector::Piece::Kind::Refused:
                errors_.push(
                    errors::kTspRuntime,
                    instrumentText("TSP Runtime error",
                                   "the script is longer than " +
                                       std::to_string(TspScriptCollector::kMaxScriptLength) +
                                       " characters and was not loaded"));
                break;
        }
    }
}

void TspInterpreter::runChunk(std::string_view text) {
    lua_State* state = sandbox_->state();
    sandbox_->renewBudget();
    int status = luaL_loadbufferx(state, text.data(), text.size(), "=TSP", "t");
    if (status == LUA_OK) {
        status = lua_pcall(state, 0, 0, 0);
    }
    if (status != LUA_OK) {
        report(status);
    }
    lua_settop(state, 0);
}

void TspInterpreter::loadScript(const TspScriptCollector::Piece& script) {
    // Protected throughout: even pushing the name may fail when memory is short.
    const auto define = [](lua_State* state) {
        auto& self = *static_cast<TspInterpreter*>(lua_touserdata(state, 1));
        const auto& piece =
            *static_cast<const TspScriptCollector::Piece*>(lua_touserdata(state, 2));
        lua_rawgeti(state, LUA_REGISTRYINDEX, self.scriptMaker_);
        const char* chunkName =
            lua_pushfstring(state, "=%s", piece.name.empty() ? "TSP" : piece.name.c_str());
        if (luaL_loadbufferx(state, piece.text.data(), piece.text.size(), chunkName, "t") !=
            LUA_OK) {
            self.scriptSyntaxError_ = true;
            return lua_error(state);
        }
        lua_remove(state, -2);
        if (piece.name.empty()) {
            lua_pushnil(state);
        } else {
            lua_pushlstring(state, piece.name.data(), piece.name.size());
        }
        lua_pushlstring(state, piece.text.data(), piece.text.size());
        lua_pushboolean(state, piece.runAfterLoading);
        lua_call(state, 4, 0);
        return 0;
    };
    lua_State* state = sandbox_->state();
    sandbox_->renewBudget();
    scriptSyntaxError_ = false;
    lua_pushcfunction(state, define);
    lua_pushlightuserdata(state, this);
    lua_pushlightuserdata(state, const_cast<TspScriptCollector::Piece*>(&script));
    const int status = lua_pcall(state, 2, 0, 0);
    if (status != LUA_OK) {
        report(scriptSyntaxError_ ? LUA_ERRSYNTAX : status);
    }
    lua_settop(state, 0);
}

void TspInterpreter::report(int status) {
    lua_State* state = sandbox_->state();
    TspError error;
    if (!TspLuaError::read(state, -1, &error)) {
        std::string luaText;
        if (lua_type(state, -1) == LUA_TSTRING) {
            luaText = lua_tostring(state, -1);
        } else {
            luaText = std::string("(error object is a ") + luaL_typename(state, -1) + " value)";
        }
        const bool syntax = status == LUA_ERRSYNTAX;
        error.code = syntax ? errors::kTspSyntax : errors::kTspRuntime;
        error.message = instrumentText(syntax ? "TSP Syntax error" : "TSP Runtime error", luaText);
    }
    errors_.push(error.code, std::move(error.message));
}

}  // namespace tarvix::sim
