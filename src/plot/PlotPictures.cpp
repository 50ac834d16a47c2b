// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/PlotPictures.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <cmath>

#include "plot/PlotFrame.h"
#include "plot/PlotRenderer.h"
#include "text/FileError.h"
#include "text/SafeFileWriter.h"

namespace tarvix::plot {

namespace {

constexpr double kInchesPerMetre = 1.0 / 0.0254;

QString suffixOf(const QString& path) {
    return QFileInfo(path).suffix().toLower();
}

void paintInto(QPaintDevice& device, QSize size, double scale, const PlotScene& scene) {
    QPainter painter(&device);
    painter.scale(scale, scale);
    PlotRenderer::paint(painter, PlotFrame::of(size, scene), scene, nullptr, 1.0);
}

void writeSvg(QIODevice& out, QSize size, const PlotScene& scene) {
    QSvgGenerator svg;
    svg.setOutputDevice(&out);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setResolution(PlotPictures::kScreenDpi);
    svg.setTitle(QStringLiteral("Tarvix plot"));
    paintInto(svg, size, 1.0, scene);
}

void writePdf(QIODevice& out, QSize size, const PlotScene& scene) {
    QPdfWriter pdf(&out);
    pdf.setCreator(QStringLiteral("Tarvix"));
    pdf.setResolution(PlotPictures::kScreenDpi);
    const double points = 72.0 / PlotPictures::kScreenDpi;
    pdf.setPageSize(QPageSize(QSizeF(size) * points, QPageSize::Point));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    paintInto(pdf, size, 1.0, scene);
}

}  // namespace

QImage PlotPictures::image(QSize size, double scale, const PlotScene& scene) {
    QImage picture(QSize(static_cast<int>(std::lround(size.width() * scale)),
                         static_cast<int>(std::lround(size.height() * scale))),
                   QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::white);
    paintInto(picture, size, scale, scene);
    return picture;
}

bool PlotPictures::knownExtension(const QString& path) {
    const QString suffix = suffixOf(path);
    return suffix == QStringLiteral("png") || suffix == QStringLiteral("svg") ||
           suffix == QStringLiteral("pdf");
}

QString PlotPictures::write(const QString& path, QSize size, const PlotScene& scene) {
    if (!knownExtension(path)) {
        return QStringLiteral("the name must end in .png, .svg or .pdf");
    }
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    const QString suffix = suffixOf(path);
    if (suffix == QStringLiteral("png")) {
        const double scale = static_cast<double>(kPngDpi) / kScreenDpi;
        QImage picture = image(size, scale, scene);
        const int dotsPerMetre = static_cast<int>(std::lround(kPngDpi * kInchesPerMetre));
        picture.setDotsPerMeterX(dotsPerMetre);
        picture.setDotsPerMeterY(dotsPerMetre);
        if (!picture.save(&bytes, "PNG")) {
            return QStringLiteral("the picture could not be encoded");
        }
    } else if (suffix == QStringLiteral("svg")) {
        writeSvg(bytes, size, scene);
    } else {
        writePdf(bytes, size, scene);
    }
    // Whole or not at all, as every file the program writes.
    const int error = text::writeBytesFile(path, bytes.data());
    return error == 0 ? QString() : text::fileErrorText(error);
}

}  // namespace tarvix::plot
