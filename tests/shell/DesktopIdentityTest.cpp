// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QWidget>

#include "shell/DesktopIdentity.h"

// The id must match the installed desktop entry and metainfo, or the desktop shows the window
// under a generic name and icon.
TEST(DesktopIdentity, NamesTheDesktopEntryAndGivesWindowsAnIcon) {
    tarvix::shell::applyDesktopIdentity();
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("io.github.tarvix.Tarvix"));
    const QWidget window;
    EXPECT_FALSE(window.windowIcon().pixmap(48, 48).isNull());
}
