// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "sim/TspValue.h"

struct lua_State;

namespace tarvix::sim {

// The instrument's objects as TSP scripts see them ("smua.source.levelv", "display.clear()",
// "smua.OUTPUT_ON"), registered by their dotted names and installed into a Lua state as
// tables whose fields read and write the model. A script can neither replace their fields
// nor add new ones; top-level functions ("delay", "printbuffer") are ordinary globals.
class TspObjectTree {
  public:
    struct Attribute {
        double initial = 0.0;
        double value = 0.0;
        double min = 0.0;
        double max = 0.0;
        bool integral = false;
        // A computed attribute; read-only unless `set` is given too.
        std::function<TspValue()> get;
        std::function<void(double)> set;
    };
    using LuaFunction = int (*)(lua_State*);

    void addAttribute(const std::string& name, Attribute attribute);
    void addConstant(const std::string& name, double value);
    void addFunction(const std::string& name, TspFunction function);
    // A function working on the Lua stack itself, with `context` as its first upvalue.
    void addLuaFunction(const std::string& name, LuaFunction function, void* context);
    void addBuffer(const std::string& name, ReadingBuffer& buffer);

    Attribute* attribute(std::string_view name);
    const Attribute* attribute(std::string_view name) const;
    // Every stored attribute back to its initial value.
    void resetAttributes();

    // Makes the objects globals of `state`. Runs inside a protected call.
    void install(lua_State* state);

  private:
    struct Member {
        double constant = 0.0;
        TspFunction function;
        LuaFunction luaFunction = nullptr;
        void* context = nullptr;
        ReadingBuffer* buffer = nullptr;
    };
    // One object: its attributes by field name, and the fields that hold values.
    struct Node {
        std::string path;
        std::map<std::string, Attribute*, std::less<>> attributes;
        std::map<std::string, Member, std::less<>> members;
    };

    Node& parentOf(const std::string& name, std::string* field);
    void pushMember(lua_State* state, Member& member);
    bool read(const Attribute& attribute);
    bool write(Attribute& attribute, lua_State* state, int index);
    bool invoke(const TspFunction& function);
    int pushResults(lua_State* state);

    static int indexField(lua_State* state);
    static int assignField(lua_State* state);
    static int callFunction(lua_State* state);

    std::map<std::string, Attribute, std::less<>> attributes_;
    std::map<std::string, Node, std::less<>> nodes_;  // by object path; "" is the global table
    // Scratch space of the calls into the model, kept here so that an error raised while
    // their values are pushed leaves nothing behind.
    TspValues arguments_;
    TspValues results_;
    TspError failure_;
};

}  // namespace tarvix::sim
