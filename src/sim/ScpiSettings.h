// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "sim/ScpiCommandTable.h"

namespace tarvix::sim {

// Settings an instrument only stores and answers back: each row adds the setting's command
// and its query to a command table and keeps the value, which reset() puts back to the
// row's initial one (as *RST does). The returned references stay valid for the table's life,
// so the instrument reads the settings that do change its readings straight from them.
class ScpiSettings {
  public:
    struct Number {
        std::string pattern;
        double min;
        double max;
        double initial;
        std::string unit = {};           // suffix the value may carry ("V", "A", "S")
        std::vector<double> steps = {};  // ranges: a value goes up to the next step
        bool* autoOff = nullptr;         // an automatic-range flag that setting clears
    };

    explicit ScpiSettings(ScpiCommandTable& table) : table_(table) {}

    // Answered like "+1.000000E-04".
    double& number(const Number& row);
    // Answered like "10".
    int& integer(std::string_view pattern, int min, int max, int initial);
    // ON/OFF/1/0, answered "1" or "0".
    bool& flag(std::string_view pattern, bool initial);
    // One of the keywords ("IMMediate", "BUS"), answered in its short form.
    int& choice(std::string_view pattern, std::initializer_list<std::string_view> keywords,
                int initial);

    void reset();

  private:
    struct Stored {
        double number = 0.0;
        int index = 0;
        bool on = false;
        double initialNumber = 0.0;
        int initialIndex = 0;
        bool initialOn = false;
    };

    Stored& store();

    ScpiCommandTable& table_;
    std::deque<Stored> stored_;
    std::deque<std::vector<std::string>> keywords_;
};

}  // namespace tarvix::sim
