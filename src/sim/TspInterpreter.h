#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "sim/ErrorQueue.h"

namespace tarvix::sim {

// The part of a TSP (Lua) script engine that instrument control lines use: assignments to
// attributes ("smua.source.levelv = 15", "smua.source.output = smua.OUTPUT_ON"), calls
// ("reset()"), and print() of numbers, strings, attributes and function results. Attributes,
// named constants and functions are tables an instrument fills; a line they do not cover is
// an error for the queue.
class TspInterpreter {
  public:
    using Value = std::variant<double, std::string>;
    using Function = std::function<std::vector<Value>(const std::vector<Value>& arguments)>;

    // A numeric attribute taking values in [min, max] (whole numbers only when `integral`).
    void addAttribute(std::string name, double initial, double min, double max,
                      bool integral = false);
    // An attribute the script can read but not write.
    void addReadOnlyAttribute(std::string name, std::function<double()> value);
    void addConstant(std::string name, double value);
    void addFunction(std::string name, Function function);

    double value(std::string_view attribute) const;
    // Every writable attribute back to its initial value.
    void resetAttributes();

    // Runs one chunk: statements separated by line ends or semicolons. What print() writes
    // goes to `output`, one entry per call, values separated by tabs.
    void run(std::string_view chunk, std::vector<std::string>& output, ErrorQueue& errors);

    // How print() writes a number: "1.00000e-06".
    static std::string numberText(double value);

  private:
    struct Attribute {
        double initial = 0.0;
        double value = 0.0;
        double min = 0.0;
        double max = 0.0;
        bool integral = false;
        std::function<double()> readOnly;
    };

    // A statement's failure: the error code and its message.
    struct Failure {
        int code;
        std::string message;
    };
    using Result = std::variant<std::vector<Value>, Failure>;

    std::optional<Failure> statement(std::string_view text, std::vector<std::string>& output);
    std::optional<Failure> assign(std::string_view name, std::string_view expression);
    Result evaluate(std::string_view expression);
    Result call(std::string_view name, std::string_view argumentText);
    static std::string printed(const std::vector<Value>& values);

    std::map<std::string, Attribute, std::less<>> attributes_;
    std::map<std::string, double, std::less<>> constants_;
    std::map<std::string, Function, std::less<>> functions_;
};

}  // namespace tarvix::sim
