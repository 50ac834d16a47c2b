// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>
#include <QRegularExpression>
#include <QWidget>

#include "shell/ControlTables.h"
#include "shell/ControlTips.h"
#include "shell/Language.h"
#include "shell/SeriesFilesFixture.h"

using namespace tarvix::shell;
using namespace tarvix::shell::testing;

namespace {

std::vector<std::span<const ControlSpec>> designTables() {
    std::vector<std::span<const ControlSpec>> tables = {topLevelControls()};
    for (const auto& table : ivPanelControls()) {
        tables.push_back(table);
    }
    tables.push_back(fourProbePanelControls());
    tables.push_back(lcrPanelControls());
    return tables;
}

bool hasCaption(ControlKind kind) {
    return kind != ControlKind::Panel && kind != ControlKind::ScrollBar &&
           kind != ControlKind::ListBox && kind != ControlKind::PaintBox &&
           kind != ControlKind::UpDown;
}

// Creates every control of the design on a bare root and calls `check` with each one that
// shows a text.
template <typename Check>
void forEachCaption(Check check) {
    QWidget root;
    Controls controls(&root);
    for (const auto& table : designTables()) {
        controls.create(table);
        for (const ControlSpec& spec : table) {
            if (hasCaption(spec.kind)) {
                check(spec, controls.text(QString::fromUtf8(spec.name)));
            }
        }
    }
}

// A save's lines, less those that carry the moment of saving.
QStringList timelessLines(const QByteArray& bytes) {
    QStringList lines;
    for (const QString& line : QString::fromLatin1(bytes).split(QStringLiteral("\r\n"))) {
        if (!line.contains(':')) {
            lines << line;
        }
    }
    return lines;
}

class InterfaceTexts : public SeriesFilesFixture {};

}  // namespace

TEST(DesignTexts, EveryCaptionIsTheDesignsWithoutALanguage) {
    int checked = 0;
    forEachCaption([&](const ControlSpec& spec, const QString& shown) {
        EXPECT_EQ(shown.toStdString(), std::string(spec.text)) << spec.name;
        ++checked;
    });
    EXPECT_GT(checked, 300);
}

TEST(DesignTexts, TheEnglishCatalogueTranslatesCaptionsButNotData) {
    QString error;
    const auto english = installLanguage(QStringLiteral("en"), &error);
    ASSERT_TRUE(english) << error.toStdString();
    const std::map<std::string, std::string> expected = {
        {"Label4", "Compliance [A]"}, {"RadioButton72", "Slow (MED)"},
        {"CheckBox44", "Two-wire"},   {"RadioButton17", "0.1 µA"},
        {"Button1", "Start"},         {"Edit60", "7600 test"},  // an edit's text is data
    };
    int translated = 0;
    forEachCaption([&](const ControlSpec& spec, const QString& shown) {
        if (const auto it = expected.find(spec.name); it != expected.end()) {
            EXPECT_EQ(shown.toStdString(), it->second) << spec.name;
        }
        translated += shown != QString::fromUtf8(spec.text) ? 1 : 0;
        EXPECT_FALSE(shown.contains(QRegularExpression("[а-яА-Я]"))) << spec.name;
    });
    EXPECT_GT(translated, 20);
    EXPECT_EQ(installLanguage(QStringLiteral("xx"), &error), nullptr);
    EXPECT_TRUE(error.contains("xx"));
}

// Files are the same in either language.
TEST_F(InterfaceTexts, FileContentsDoNotFollowTheLanguage) {
    sweep();
    saveAs(path("design.ktl"));
    QString error;
    const auto english = installLanguage(QStringLiteral("en"), &error);
    ASSERT_TRUE(english);
    saveAs(path("english.ktl"));
    const QStringList design = timelessLines(readAll(path("design.ktl")));
    EXPECT_GT(design.size(), 10);
    EXPECT_EQ(design, timelessLines(readAll(path("english.ktl"))));
}

TEST_F(InterfaceTexts, TerseControlsExplainThemselvesInTooltips) {
    for (const ControlTip& tip : controlTips()) {
        QWidget* control = c().find(QString::fromLatin1(tip.name));
        ASSERT_TRUE(control) << tip.name;
        EXPECT_EQ(control->toolTip(), QString::fromLatin1(tip.tip)) << tip.name;
    }
    // The captions the tips explain, and the panels' controls.
    for (const char* name :
         {"Edit1", "Label45", "Label15", "Label26", "CheckBox17", "CheckBox16", "ScrollBar1",
          "ScrollBar2", "Button27", "Button28", "Edit55", "ScrollBar5", "Button32", "Edit59"}) {
        EXPECT_FALSE(c().widget(QString::fromLatin1(name))->toolTip().isEmpty()) << name;
    }
    EXPECT_TRUE(c().widget("PaintBox1")->toolTip().contains("10:06:32/2347ms"));
    EXPECT_EQ(text("Label26"), "Pass");
}
