// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPixmap>
#include <QStringList>

#include "lcr/LcrHost.h"
#include "lcr/LcrPanel.h"
#include "shell/Controls.h"
#include "shell/Widgets.h"

namespace tarvix::shell::testing {

// A panel of the LCR library outside the window, to draw what the window should show.
struct ReferencePanel : lcr::LcrHost {
    void showMessage(const QString& text) override { messages.append(text); }
    void processEvents() override {}
    void showLastData(const QString&) override {}
    void showChart(const QImage&) override {}

    QStringList messages;
    lcr::LcrPanel panel{*this};
};

// What PaintBox2 paints, pixel for pixel, equals `expected` (the note over a test curve aside).
inline bool shownChartEquals(const Controls& controls, const QImage& expected) {
    ImageBox* box = controls.paintBox(QStringLiteral("PaintBox2"));
    const QString caption = box->caption();
    box->setCaption(QString());
    const QImage shown = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
    box->setCaption(caption);
    return shown == expected.convertToFormat(QImage::Format_RGB32);
}

}  // namespace tarvix::shell::testing
