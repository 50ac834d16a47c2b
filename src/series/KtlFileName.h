// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Names of series files.
namespace tarvix::series {

inline constexpr char kKtlExtension[] = ".ktl";

// The name a save writes to: ".ktl" is appended unless the chosen name already contains it
// anywhere (case-sensitive), so "data" gives "data.ktl" and "data.KTL" gives "data.KTL.ktl".
QString ktlSaveName(const QString& chosen);

// Whether the preview may load a name: it must contain ".ktl" (case-sensitive).
bool isKtlName(const QString& name);

}  // namespace tarvix::series
