// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>

namespace tarvix::sim {

class TspInterpreter;

// The front panel's display as scripts drive it: display.clear(), display.setcursor(row,
// column), display.settext(text) with "$N" starting the second line, display.gettext(), and
// the screen and measure-function settings.
class TspDisplay {
  public:
    explicit TspDisplay(TspInterpreter& tsp);

    void clear();
    void setCursor(int row, int column);
    void setText(const std::string& text);
    // One row ("" past the rows), or both joined by "$N" when `row` is 0.
    std::string text(int row) const;

  private:
    static constexpr int kRows = 2;
    static constexpr std::array<std::size_t, kRows> kWidths = {20, 32};

    void put(char c);

    std::array<std::string, kRows> rows_;
    int row_ = 1;
    std::size_t column_ = 1;
};

}  // namespace tarvix::sim
