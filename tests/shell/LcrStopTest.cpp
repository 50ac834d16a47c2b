// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>

#include "shell/FormFixture.h"
#include "shell/Widgets.h"

using namespace tarvix;
using namespace tarvix::shell;
using namespace tarvix::shell::testing;

namespace {

// The LCR panel in view with a sweep of 100 points; the .frq file goes to a folder of the
// test's own.
class LcrStop : public FormFixture {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        startForm(QStringLiteral("sim:noise=0,latency=1"));
        setChecked("RadioButton60", true);
        c().scrollBar("ScrollBar5")->setValue(100);
        setText("Edit60", folder.filePath("sweep"));
    }
    // Runs `what` once from inside the sweep, when it is `percent` done.
    void during(int percent, std::function<void()> what) {
        auto* once = new QObject(form.get());
        QObject::connect(&form->status(), &status::StatusService::changed, once,
                         [this, once, percent, what = std::move(what)] {
                             if (form->status().percent() >= percent) {
                                 delete once;
                                 what();
                             }
                         });
    }
    qsizetype frqLines() {
        QFile file(folder.filePath("sweep.frq"));
        return file.open(QIODevice::ReadOnly) ? file.readAll().count("\r\n") : -1;
    }
    ImageBox* chartBox() { return c().paintBox(QStringLiteral("PaintBox2")); }

    QTemporaryDir folder;
};

}  // namespace

TEST_F(LcrStop, StopEndsTheSweepAfterThePointAndKeepsThePoints) {
    // Stop's button, and its menu entry (Esc).
    const char* const stops[] = {"Button22", "ActionStop"};
    EXPECT_EQ(chartBox()->caption(), "Test curve, not a measurement");
    for (const char* stop : stops) {
        transcript.clear();
        during(10, [&] {
            if (auto* action = form->findChild<QAction*>(stop)) {
                action->trigger();
            } else {
                click(stop);
            }
        });
        form->findChild<QAction*>("ActionStart")->trigger();  // F5 on the LCR panel
        const qsizetype measured = sentTo(4).count("FETC?");
        EXPECT_GE(measured, 10) << stop;
        EXPECT_LT(measured, 100) << stop;
        EXPECT_EQ(frqLines(), measured) << stop;  // every reading taken is in the file
        EXPECT_TRUE(form->status().text().startsWith("LCR sweep: stopped at ")) << stop;
        EXPECT_TRUE(form->ivState().stopRequested);  // an idle window keeps the flag set
    }
    EXPECT_TRUE(chartBox()->caption().isEmpty());  // measured points replace the test curve
}

TEST_F(LcrStop, AStartClickDuringTheSweepIsRefusedNotQueued) {
    QString said;
    bool enabledDuring = true;
    during(5, [&] {
        // The operator's press on the button, which the running sweep has disabled.
        QAbstractButton* button = c().anyButton(QStringLiteral("Button32"));
        enabledDuring = button->isEnabled();
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &press);
        button->click();
        said = form->status().text();
    });
    click("Button32");
    EXPECT_FALSE(enabledDuring);
    EXPECT_EQ(said,
              "\"7600 Start\" does nothing: it is already running; press Stop (Esc) to end it");
    EXPECT_EQ(sentTo(4).count("*RST"), 1);
    EXPECT_EQ(sentTo(4).count("FETC?"), 100);
    EXPECT_TRUE(form->status().text().startsWith("LCR sweep: finished after "));
}
