// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "plot/PlotCommand.h"

namespace tarvix::plot {
namespace {

TEST(PlotCommand, ReadsEachFormAndSaysWhatIsWrongWithTheRest) {
    const struct {
        const char* words;
        const char* why;  // empty: read
        std::size_t values;
    } cases[] = {
        {"size 1600 1000", "", 2},
        {"fit", "", 0},
        {"zoom 0.8 1.2 4e-5 6e-5", "", 4},
        {"log on", "", 0},
        {"log off", "", 0},
        {"hover 1 5E-5", "", 2},
        {"hide 2", "", 1},
        {"show 2", "", 1},
        {"save /tmp/a plot.svg", "", 0},
        {"size 1600", "\"plot size\" needs a width and a height in pixels", 0},
        {"zoom 1 2 3 x", "\"plot zoom\" needs X1 X2 Y1 Y2", 0},
        {"zoom 1 2 3 4 5", "\"plot zoom\" needs X1 X2 Y1 Y2", 0},
        {"log maybe", "\"plot log\" needs on or off", 0},
        {"hide", "\"plot hide\" needs a series number", 0},
        {"fit now", "\"plot fit\" takes nothing more", 0},
        {"save", "\"plot save\" needs a file name", 0},
        {"spin 3", "unknown plot command \"spin 3\"", 0},
    };
    for (const auto& c : cases) {
        PlotCommand command;
        QString why;
        EXPECT_EQ(PlotCommand::parse(QString::fromUtf8(c.words), command, why), *c.why == 0)
            << c.words;
        EXPECT_EQ(why, QString::fromUtf8(c.why)) << c.words;
        EXPECT_EQ(command.values.size(), *c.why == 0 ? c.values : command.values.size());
    }
    PlotCommand save;
    QString why;
    ASSERT_TRUE(PlotCommand::parse(QStringLiteral("save /tmp/a plot.svg"), save, why));
    EXPECT_EQ(save.path, "/tmp/a plot.svg");
    ASSERT_TRUE(PlotCommand::parse(QStringLiteral("log on"), save, why));
    EXPECT_TRUE(save.on);
}

}  // namespace
}  // namespace tarvix::plot
