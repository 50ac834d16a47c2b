// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarvix::sim {

// One command of a program message as its handler sees it: the parameters, readers that
// check them, and the way back (a reply, or an error for the queue). A reader that finds a
// bad parameter records the error and returns nothing; the handler then just returns.
class ScpiCall {
  public:
    explicit ScpiCall(std::vector<std::string_view> parameters);

    std::size_t count() const { return parameters_.size(); }
    std::string_view parameter(std::size_t index) const { return parameters_.at(index); }

    // A decimal number (also MINimum, MAXimum, DEFault) within [min, max]. With a `unit`
    // ("V", "A", "S", "HZ", "OHM") the number may carry it, with a multiplier: "10mA", "2 V".
    std::optional<double> number(std::size_t index, double min, double max, double byDefault,
                                 std::string_view unit = {});
    // A whole number within [min, max] (MINimum, MAXimum, DEFault too).
    std::optional<int> integer(std::size_t index, int min, int max, int byDefault);
    // ON, OFF, 1 or 0.
    std::optional<bool> boolean(std::size_t index);
    // The index of the keyword pattern ("FIXed", "VOLTage") the parameter spells.
    std::optional<int> choice(std::size_t index, std::span<const std::string_view> keywords);
    std::optional<int> choice(std::size_t index, std::initializer_list<std::string_view> keywords) {
        return choice(index, std::span(keywords.begin(), keywords.size()));
    }
    // A quoted string whose content spells one of the path patterns ("VOLTage[:DC]").
    std::optional<int> quotedChoice(std::size_t index, std::span<const std::string_view> paths);
    std::optional<int> quotedChoice(std::size_t index,
                                    std::initializer_list<std::string_view> paths) {
        return quotedChoice(index, std::span(paths.begin(), paths.size()));
    }
    // A channel list naming one channel, "(@7)", within [first, last].
    std::optional<int> channel(std::size_t index, int first, int last);

    void reply(std::string text) { replies_.push_back(std::move(text)); }
    void fail(int code);

    const std::vector<std::string>& replies() const { return replies_; }
    int error() const { return error_; }

  private:
    std::optional<std::string_view> present(std::size_t index);

    std::vector<std::string_view> parameters_;
    std::vector<std::string> replies_;
    int error_ = 0;
};

}  // namespace tarvix::sim
