// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tarvix::sim {

// Follows quotes and parentheses while a message is read character by character, so that
// separators inside a string or an argument list are not taken for message separators.
class TextNesting {
  public:
    // With `depthNeverNegative`, a closing parenthesis without its opening one is ignored.
    explicit TextNesting(bool depthNeverNegative) : depthNeverNegative_(depthNeverNegative) {}

    // True when `c` is an ordinary character outside quotes (not a quote or parenthesis).
    bool feed(char c) {
        if (quote_ != 0) {
            quote_ = c == quote_ ? 0 : quote_;
            return false;
        }
        if (c == '"' || c == '\'') {
            quote_ = c;
            return false;
        }
        if (c == '(' || c == ')') {
            depth_ += c == '(' ? 1 : (depthNeverNegative_ && depth_ <= 0 ? 0 : -1);
            return false;
        }
        return true;
    }
    int depth() const { return depth_; }

  private:
    bool depthNeverNegative_;
    char quote_ = 0;
    int depth_ = 0;
};

}  // namespace tarvix::sim
