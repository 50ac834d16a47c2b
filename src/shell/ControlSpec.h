// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One row of a control table: everything the window needs to create a control in its design
// state. Tables of these rows replace hundreds of lines of set-up calls.
namespace tarvix::shell {

enum class ControlKind {
    Panel,
    GroupBox,
    Button,
    Edit,
    Label,
    CheckBox,
    RadioButton,
    ScrollBar,
    ListBox,
    PaintBox,
    UpDown,
};

enum ControlFlag : unsigned {
    kChecked = 1u << 0,
    kHidden = 1u << 1,
    kDisabled = 1u << 2,
    kWrap = 1u << 3,  // a label whose text wraps onto further lines
};

struct ControlSpec {
    const char* name;
    ControlKind kind;
    const char* parent;  // "" for a top-level child of the form
    const char* text;    // caption or default text (UTF-8)
    int left;
    int top;
    int width;
    int height;
    unsigned flags = 0;
    const char* style = "";  // Qt style sheet for fonts and colours of the design
    int minimum = 0;         // scroll bars and up-down controls
    int maximum = 0;
    int position = 0;
    int smallStep = 1;
    int largeStep = 0;
};

}  // namespace tarvix::shell
