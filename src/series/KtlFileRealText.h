// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

// The default real form written straight into a character buffer, for the files that hold
// millions of numbers: the same text as text::defaultReal without a QString per number.
namespace tarvix::series {

inline constexpr std::size_t kDefaultRealWidth = 23;

// Writes exactly kDefaultRealWidth characters (no terminating NUL) and returns the position
// after them.
char* writeDefaultReal(char* out, double value);
// The same text without 128-bit integers, as writeDefaultReal writes it where they are
// missing.
char* writeDefaultRealPortable(char* out, double value);

}  // namespace tarvix::series
