// SPDX-License-Identifier: GPL-3.0-or-later
#include "plotwindow/PlotRecipes.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

#include "plot/PlotCommand.h"
#include "plotwindow/PlotWindow.h"

namespace tarvix::plotwindow {

namespace {

using plot::PlotCommand;

QString zoom(PlotWindow& window, const std::vector<double>& e) {
    const plot::PlotView now = window.session().view();
    const plot::PlotView view{{std::min(e[0], e[1]), std::max(e[0], e[1]), now.x.log},
                              {std::min(e[2], e[3]), std::max(e[2], e[3]), now.y.log}};
    if (!view.x.usable() || !view.y.usable()) {
        return QStringLiteral(
            "\"plot zoom\" needs two different values on each axis "
            "(above 0 on a log axis)");
    }
    window.zoomTo(view);
    return {};
}

QString showOrHide(PlotWindow& window, double number, bool shown) {
    const int series = static_cast<int>(number);
    if (series != number || !window.setShown(series, shown)) {
        return QStringLiteral("the plot has no series %1").arg(number);
    }
    return {};
}

}  // namespace

QString runPlotRecipe(PlotWindow& window, const QString& words) {
    PlotCommand command;
    QString why;
    if (!PlotCommand::parse(words, command, why)) {
        return why;
    }
    window.refresh();
    const std::vector<double>& values = command.values;
    switch (command.kind) {
        case PlotCommand::Kind::Size:
            window.resize(static_cast<int>(std::clamp(values[0], 0.0, 20000.0)),
                          static_cast<int>(std::clamp(values[1], 0.0, 20000.0)));
            QCoreApplication::processEvents();
            return {};
        case PlotCommand::Kind::Fit:
            window.fit();
            return {};
        case PlotCommand::Kind::Zoom:
            return zoom(window, values);
        case PlotCommand::Kind::Log:
            window.setLog(command.on);
            return {};
        case PlotCommand::Kind::Hover:
            window.hoverAt(values[0], values[1]);
            return {};
        case PlotCommand::Kind::Hide:
        case PlotCommand::Kind::Show:
            return showOrHide(window, values[0], command.kind == PlotCommand::Kind::Show);
        case PlotCommand::Kind::Save:
            window.save(command.path);
            return {};
    }
    return {};
}

}  // namespace tarvix::plotwindow
