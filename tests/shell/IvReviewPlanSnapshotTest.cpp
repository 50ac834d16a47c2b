// SPDX-License-Identifier: GPL-3.0-or-later
#include <QTimer>

#include "shell/FormFixture.h"

using namespace tarvix;
using namespace tarvix::shell::testing;

namespace {

class IvReviewPlanSnapshot : public FormFixture {
  protected:
    // Two segments of 4 steps each; `typed` goes into the step count while segment 1 runs.
    int secondSegmentPoints(const QString& typed) {
        setText("Edit41", "4");
        setChecked("CheckBox2", true);
        // Typed as soon as segment 1 has its first point.
        QTimer typing;
        QObject::connect(&typing, &QTimer::timeout, form.get(), [this, typed, &typing] {
            const auto& segment = form->ivState().segment;
            if (segment.segmentIndex == 1 && segment.pointCounter >= 1) {
                typing.stop();
                setText("Edit41", typed);
            }
        });
        form->ivState().segment.pointCounter = 0;
        typing.start(0);
        click("Button1");
        return form->store().storedCount(2, form->store().seriesCount - 1);
    }
};

}  // namespace

// A sweep runs the plan it was started with: what the operator types meanwhile (an emptied
// field included, which would mean 0 steps) waits for the next Start.
TEST_F(IvReviewPlanSnapshot, EditsDuringASweepDoNotReachItsSegments) {
    startForm();
    EXPECT_EQ(secondSegmentPoints(QStringLiteral("2")), 5);
    EXPECT_EQ(secondSegmentPoints(QStringLiteral("")), 5);
    EXPECT_EQ(text("Label10"), "error!");
    EXPECT_EQ(form->store().seriesCount, 4);
}
