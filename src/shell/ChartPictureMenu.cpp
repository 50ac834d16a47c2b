// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/ChartPictureMenu.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QWidget>

#include "shell/FileActionTexts.h"
#include "shell/UiServices.h"
#include "status/StatusService.h"
#include "text/FileError.h"
#include "text/SafeFileWriter.h"

namespace tarvix::shell {

namespace {

const QString kPngFilter = QStringLiteral("PNG picture (*.png)|*.png");
const QString kSvgFilter = QStringLiteral("SVG picture (*.svg)|*.svg");
const QString kSaveTitle = QStringLiteral("Save the chart as a picture");
const QString kSvgTitle = QStringLiteral("Tarvix chart");

QString withSuffix(QString path, bool svg) {
    const QString suffix = svg ? QStringLiteral(".svg") : QStringLiteral(".png");
    if (!path.endsWith(suffix, Qt::CaseInsensitive)) {
        path += suffix;
    }
    return path;
}

}  // namespace

ChartPictureMenu::ChartPictureMenu(QWidget& box, UiServices& ui, status::StatusService& status)
    : box_(box), ui_(ui), status_(status) {
    box_.setContextMenuPolicy(Qt::ActionsContextMenu);
    const auto add = [this](const QString& text, auto handler) {
        QAction* action = new QAction(text, &box_);
        QObject::connect(action, &QAction::triggered, &box_, handler);
        box_.addAction(action);
    };
    add(QStringLiteral("Save picture as PNG..."), [this] { savePicture(false, 1); });
    add(QStringLiteral("Save picture as PNG, twice the size..."),
        [this] { savePicture(false, 2); });
    add(QStringLiteral("Save picture as SVG..."), [this] { savePicture(true, 1); });
    add(QStringLiteral("Save picture as SVG, twice the size..."), [this] { savePicture(true, 2); });
    add(QStringLiteral("Copy picture"), [this] { copyPicture(); });
}

void ChartPictureMenu::addAction(QAction* action) {
    QAction* separator = new QAction(&box_);
    separator->setSeparator(true);
    box_.addAction(separator);
    box_.addAction(action);
}

void ChartPictureMenu::savePicture(bool svg, double scale) {
    const std::optional<QString> chosen =
        ui_.saveFileName(kSaveTitle, svg ? kSvgFilter : kPngFilter);
    if (!chosen) {
        return;
    }
    const QString path = withSuffix(*chosen, svg);
    if (const int error = writePicture(path, scale); error != text::kFileOk) {
        ui_.showMessage(text::fileErrorText(error));
        return;
    }
    status_.say(file_action_texts::savedPicture(path));
}

// The picture is made in memory and written as every other file is, so that a failed save
// leaves an older picture of that name whole.
int ChartPictureMenu::writePicture(const QString& path, double scale) const {
    if (!render_) {
        return text::kFileAccessDenied;
    }
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) {
        return text::writeBytesFile(path, series::chartSvg(box_.size(), scale, render_, kSvgTitle));
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!series::chartImage(box_.size(), scale, render_).save(&buffer, "PNG")) {
        return text::kFileAccessDenied;
    }
    return text::writeBytesFile(path, png);
}

void ChartPictureMenu::copyPicture() const {
    if (render_) {
        QGuiApplication::clipboard()->setImage(series::chartImage(box_.size(), 1, render_));
    }
}

}  // namespace tarvix::shell
