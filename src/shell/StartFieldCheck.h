// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <initializer_list>

#include "shell/Controls.h"

namespace tarvix::shell {

// An edit whose number a Start uses: its design name, what it means to the operator, and
// whether only a value above 0 makes sense (a compliance).
struct NumberField {
    const char* edit;
    const char* role;
    bool positive;
};

// The message for the first of `fields` whose text does not convert (or is not above 0 where
// it must be), naming the field; empty when every field is usable.
QString firstBadField(const Controls& controls, std::initializer_list<NumberField> fields);

}  // namespace tarvix::shell
