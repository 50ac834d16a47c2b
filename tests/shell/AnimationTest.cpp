// SPDX-License-Identifier: GPL-3.0-or-later
#include <QElapsedTimer>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include "shell/IvChartView.h"
#include "shell/SeriesFilesFixture.h"

using namespace tarvix;
using namespace tarvix::shell::testing;

namespace {

class Animation : public SeriesFilesFixture {
  protected:
    bool enabled(const char* name) { return c().widget(QString::fromLatin1(name))->isEnabled(); }
    void expectControlsBack() {
        EXPECT_TRUE(enabled("Button6"));
        EXPECT_TRUE(enabled("ScrollBar1"));
        EXPECT_TRUE(enabled("ScrollBar2"));
        EXPECT_EQ(form->chart().animationDelay(), 0);
    }
};

TEST_F(Animation, WithNothingStoredItReturnsAtOnce) {
    click("Button6");
    EXPECT_EQ(store().seriesCount, 0);
    expectControlsBack();
}

TEST_F(Animation, AFinishedLiveRunIsStoredBeforeTheReplay) {
    store().seriesCount = 1;
    store().segmentLabel(1, 1) = QStringLiteral("earlier label");
    livePoints(1, {{0.0f, 0.0f}, {0.5f, 1e-6f}, {1.0f, 2e-6f}});
    store().liveLabel(1) = QStringLiteral("live label");
    click("Button6");
    EXPECT_EQ(store().seriesCount, 2);
    EXPECT_EQ(store().storedCount(1, 1), 3);
    EXPECT_FLOAT_EQ(store().storedCurrent(1, 1)[3], 2e-6f);
    EXPECT_EQ(store().segmentLabel(1, 1), "earlier label");
    EXPECT_EQ(store().liveSegmentCount(), 0);
    expectControlsBack();
}

TEST_F(Animation, AfterDeleteALiveRunIsClearedWithoutBeingStored) {
    livePoints(1, {{0.5f, 1e-6f}});
    click("Button4");
    click("Button6");
    EXPECT_EQ(store().seriesCount, 0);
    EXPECT_EQ(store().liveSegmentCount(), 0);
    EXPECT_EQ(store().storedCount(1, 1), 0);
}

// Stop during the replay ends the pauses; the controls are off while it plays. Without Stop
// the replay below would last minutes.
TEST_F(Animation, StopEndsThePausesAndTheControlsComeBack) {
    std::vector<std::pair<float, float>> points;
    for (int p = 0; p < 3000; ++p) {
        points.emplace_back(p * 1e-3f, p * 1e-9f);
    }
    storePoints(1, 1, points);
    store().seriesCount = 2;
    setChecked("RadioButton10", true);
    bool disabledWhilePlaying = false;
    int delayWhilePlaying = 0;
    QTimer::singleShot(50, form.get(), [&] {
        disabledWhilePlaying =
            !enabled("Button6") && !enabled("ScrollBar1") && !enabled("ScrollBar2");
        delayWhilePlaying = form->chart().animationDelay();
        click("Button22");
    });
    click("Button6");
    EXPECT_TRUE(disabledWhilePlaying);
    EXPECT_EQ(delayWhilePlaying, 90);
    expectControlsBack();
    EXPECT_EQ(store().storedCount(1, 1), 3000);
}

// Closing the window mid-replay draws the rest without pauses: the program does not live on
// for the minutes the replay had left.
TEST_F(Animation, ClosingTheWindowEndsTheReplay) {
    std::vector<std::pair<float, float>> points;
    for (int p = 0; p < 3000; ++p) {
        points.emplace_back(p * 1e-3f, p * 1e-9f);
    }
    storePoints(1, 1, points);
    store().seriesCount = 2;
    setChecked("RadioButton10", true);  // 90 ms a point: four and a half minutes
    QTimer::singleShot(50, form.get(), [&] { form->close(); });
    QElapsedTimer clock;
    clock.start();
    click("Button6");
    EXPECT_LT(clock.elapsed(), 20000);
    EXPECT_TRUE(form->isHidden());
    EXPECT_EQ(form->chart().animationDelay(), 0);
}

}  // namespace
