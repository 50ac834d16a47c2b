#include "plot/PlotPictures.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <cmath>

#include "plot/PlotFrame.h"
#include "plot/PlotRenderer.h"

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

bool writeSvg(QIODevice& out, QSize size, const PlotScene& scene) {
    QSvgGenerator svg;
    svg.setOutputDevice(&out);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setResolution(PlotPictures::kScreenDpi);
    svg.setTitle(QStringLiteral("Tarvix plot"));
    paintInto(svg, size, 1.0, scene);
    return true;
}

bool writePdf(QIODevice& out, QSize size, const PlotScene& scene) {
    QPdfWriter pdf(&out);
    pdf.setCreator(QStringLiteral("Tarvix"));
    pdf.setResolution(PlotPictures::kScreenDpi);
    const double points = 72.0 / PlotPictures::kScreenDpi;
    pdf.setPageSize(QPageSize(QSizeF(size) * points, QPageSize::Point));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    paintInto(pdf, size, 1.0, scene);
    return true;
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.errorString();
    }
    const QString suffix = suffixOf(path);
    bool written = false;
    if (suffix == QStringLiteral("png")) {
        const double scale = static_cast<double>(kPngDpi) / kScreenDpi;
        QImage picture = image(size, scale, scene);
        const int dotsPerMetre = static_cast<int>(std::lround(kPngDpi * kInchesPerMetre));
        picture.setDotsPerMeterX(dotsPerMetre);
        picture.setDotsPerMeterY(dotsPerMetre);
        written = picture.save(&file, "PNG");
    } else if (suffix == QStringLiteral("svg")) {
        written = writeSvg(file, size, scene);
    } else {
        written = writePdf(file, size, scene);
    }
    if (!written || !file.commit()) {
        return file.errorString().isEmpty() ? QStringLiteral("the picture could not be written")
                                            : file.errorString();
    }
    return {};
}

}  // namespace tarvix::plot
