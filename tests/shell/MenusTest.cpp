// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QMenuBar>
#include <QTest>

#include "shell/FormFixture.h"
#include "shell/ScriptRunner.h"
#include "shell/WindowMenus.h"

using namespace tarvix::shell;
using namespace tarvix::shell::testing;

namespace {

class MenusTest : public FormFixture {
  protected:
    QAction* action(const char* name) {
        return form->findChild<QAction*>(QString::fromLatin1(name));
    }
};

}  // namespace

TEST_F(MenusTest, EveryMenuActionIsNamedAndTheFileEntriesHaveTheirShortcuts) {
    startForm();
    for (QAction* entry : form->menuBar()->findChildren<QAction*>()) {
        if (!entry->isSeparator() && !entry->menu()) {
            EXPECT_FALSE(entry->objectName().isEmpty()) << entry->text().toStdString();
        }
    }
    const std::pair<const char*, const char*> shortcuts[] = {
        {"ActionOpen", "Ctrl+O"}, {"ActionSave", "Ctrl+S"}, {"ActionExport", "Ctrl+E"},
        {"ActionQuit", "Ctrl+Q"}, {"ActionStart", "F5"},    {"ActionStop", "Esc"},
    };
    for (const auto& [name, keys] : shortcuts) {
        ASSERT_TRUE(action(name)) << name;
        EXPECT_EQ(action(name)->shortcut(), QKeySequence(QString::fromLatin1(keys))) << name;
    }
}

// Start and Stop act on the panel on view.
TEST_F(MenusTest, StartAndStopBelongToThePanelOnView) {
    startForm();
    struct Case {
        const char* mode;
        const char* start;
        const char* stop;
    };
    const Case cases[] = {
        {"RadioButton59", "Button27", "Button28"},
        {"RadioButton60", "Button32", "Button22"},
        {"RadioButton58", "Button1", "Button22"},
    };
    for (const Case& c : cases) {
        setChecked(c.mode, true);
        EXPECT_EQ(form->menus().startButton(), c.start) << c.mode;
        EXPECT_EQ(form->menus().stopButton(), c.stop) << c.mode;
    }
}

// F5 starts the sweep and Esc stops it, through the keyboard as a person presses them.
TEST_F(MenusTest, F5StartsAndEscStopsTheSweep) {
    startForm();
    form->show();
    QApplication::setActiveWindow(form.get());
    setText("Edit41", QStringLiteral("2000"));
    bool pressed = false;
    QObject::connect(&form->status(), &tarvix::status::StatusService::changed, form.get(), [&] {
        if (!pressed && form->status().percent() >= 5) {
            pressed = true;
            QTest::keyClick(form.get(), Qt::Key_Escape);
        }
    });
    QTest::keyClick(form.get(), Qt::Key_F5);
    const int measured = form->store().storedCount(1, 1);
    EXPECT_GT(measured, 0);
    EXPECT_LT(measured, 2001);
    EXPECT_TRUE(form->status().text().startsWith("Voltage sweep: stopped at "));
}

// "Export all series" has no button; a recipe reaches it through its menu entry.
TEST_F(MenusTest, RecipesClickMenuEntries) {
    startForm();
    ScriptRunner runner(*form, ui);
    ui.queueCancel();
    EXPECT_EQ(runner.run({"set Edit41 4", "click Button1", "click Button19",
                          "click ActionShowAnalysisTools", "expect-visible Button17 1"}),
              0);
}

TEST(DialogFolders, EachKindOfFileRemembersItsOwnFolder) {
    DialogUiServices dialogs(nullptr);
    const QString ktl = QStringLiteral("Keithley (*.ktl)|*.ktl");
    const QString temp = QStringLiteral("Temperature (*.temp)|*.temp");
    dialogs.rememberFolder(ktl, QStringLiteral("/data/runs/a.ktl"));
    dialogs.rememberFolder(temp, QStringLiteral("/data/cryostat/b.temp"));
    dialogs.rememberFolder(ktl, QStringLiteral("/data/runs/march/c.ktl"));
    EXPECT_EQ(dialogs.startFolder(ktl), "/data/runs/march");
    EXPECT_EQ(dialogs.startFolder(temp), "/data/cryostat");
    EXPECT_EQ(dialogs.startFolder(QStringLiteral("Origin ASCII (*.ktl_o)|*.ktl_o")), "");
}
