// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QFileInfo>
#include <QScrollBar>
#include <QTimer>
#include <functional>

#include "shell/SeriesFilesFixture.h"
#include "shell/Widgets.h"

using namespace tarvix::shell::testing;

namespace {

// A measured sweep and a four-probe record, so that every kind of file has something to hold.
class FileActionStatus : public SeriesFilesFixture {
  protected:
    void SetUp() override {
        SeriesFilesFixture::SetUp();
        sweep();
        c().scrollBar(QStringLiteral("ScrollBar1"))->setValue(0);
        c().scrollBar(QStringLiteral("ScrollBar2"))->setValue(10000);
        c().setVisible(QStringLiteral("GroupBox7"), true);
        setChecked("RadioButton59", true);
        click("Button27");
        auto* timer1 = form->findChild<QTimer*>(QStringLiteral("Timer1"));
        for (int i = 0; i < 3; ++i) {
            QMetaObject::invokeMethod(timer1, "timeout", Qt::DirectConnection);
        }
        click("Button28");
        QMetaObject::invokeMethod(timer1, "timeout", Qt::DirectConnection);
    }

    void trigger(QWidget* owner, const QString& text) {
        for (QAction* action : owner->actions()) {
            if (action->text() == text) {
                action->trigger();
                return;
            }
        }
        ADD_FAILURE() << "no action " << text.toStdString();
    }
    void triggerNamed(const char* name) {
        form->findChild<QAction*>(QString::fromLatin1(name))->trigger();
    }
};

}  // namespace

// Every file action names on the status line what it wrote where, as Save does; the files
// are there.
TEST_F(FileActionStatus, EveryFileActionSaysWhatItWroteWhere) {
    struct Case {
        const char* answer;
        std::function<void()> act;
        QString said;
        QStringList written;
    };
    const Case cases[] = {
        {"chart",
         [this] { trigger(c().paintBox("PaintBox1"), "Save picture as PNG..."); },
         "Saved the chart picture to " + path("chart.png"),
         {path("chart.png")}},
        {"iv",
         [this] { triggerNamed("ExportTidyCsv"); },
         "Export tidy table (CSV): wrote " + path("iv.csv"),
         {path("iv.csv")}},
        {"rt.csv",
         [this] { triggerNamed("ExportTidyRecordCsv"); },
         "Export four-probe record (CSV): wrote " + path("rt.csv"),
         {path("rt.csv")}},
        {"rt",
         [this] { click("Button29"); },
         "Saved the four-probe record to " + path("rt.temp"),
         {path("rt.temp")}},
        {"ohm",
         [this] {
             click("Button17");
             click("Button18");
         },
         "Saved the straightened curve to " + path("ohm.ktl"),
         {path("ohm.ktl")}},
        {"segment",
         [this] { click("Button16"); },
         "Saved the measured segment to " + path("segment.ktl"),
         {path("segment.ktl")}},
        {"all",
         [this] { triggerNamed("Button19"); },
         "Saved every series to " + path("all") + " and " + path("all_log"),
         {path("all"), path("all_log")}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.answer);
        form->status().say(QStringLiteral("before"));
        ui.queueAnswer(path(QString::fromLatin1(test.answer)));
        test.act();
        EXPECT_EQ(form->status().text(), test.said);
        for (const QString& file : test.written) {
            EXPECT_TRUE(QFileInfo(file).isFile()) << file.toStdString();
        }
    }
    EXPECT_TRUE(ui.messages().isEmpty()) << ui.messages().join('\n').toStdString();
}
