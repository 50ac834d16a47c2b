// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

// The fixed lines of a series file, shared by its writer and reader.
namespace tarvix::series {

// The line before every block's point count; older files wrote "Точек" (Windows-1251).
inline constexpr std::string_view kKtlPointsHeader = "Number of points";
inline constexpr std::string_view kKtlOldPointsHeader = "\xD2\xEE\xF7\xE5\xEA";
inline bool isKtlPointsHeader(std::string_view line) {
    return line == kKtlPointsHeader || line == kKtlOldPointsHeader;
}

// Opens every block, follows the count, and separates a point's two numbers.
inline constexpr std::string_view kKtlBlankLine = "   ";

// Second line of a block, followed by "<segment>-<series>".
inline constexpr std::string_view kKtlBlockTitle = "Volt Current  Series";

}  // namespace tarvix::series
