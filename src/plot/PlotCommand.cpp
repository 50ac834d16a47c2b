// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/PlotCommand.h"

#include <QStringList>
#include <cmath>

#include "text/DecimalParse.h"

namespace tarvix::plot {

namespace {

struct Form {
    const char* verb;
    PlotCommand::Kind kind;
    int numbers;
    const char* usage;
};

constexpr Form kForms[] = {
    {"size", PlotCommand::Kind::Size, 2, "\"plot size\" needs a width and a height in pixels"},
    {"fit", PlotCommand::Kind::Fit, 0, "\"plot fit\" takes nothing more"},
    {"zoom", PlotCommand::Kind::Zoom, 4, "\"plot zoom\" needs X1 X2 Y1 Y2"},
    {"hover", PlotCommand::Kind::Hover, 2, "\"plot hover\" needs X and Y"},
    {"hide", PlotCommand::Kind::Hide, 1, "\"plot hide\" needs a series number"},
    {"show", PlotCommand::Kind::Show, 1, "\"plot show\" needs a series number"},
};

bool readNumbers(const QStringList& words, const Form& form, PlotCommand& command) {
    if (words.size() != form.numbers + 1) {
        return false;
    }
    for (int i = 1; i <= form.numbers; ++i) {
        const auto value = text::parseDecimal(words[i]);
        if (!value || !std::isfinite(*value)) {
            return false;
        }
        command.values.push_back(*value);
    }
    return true;
}

}  // namespace

bool PlotCommand::parse(const QString& words, PlotCommand& command, QString& why) {
    command = PlotCommand();
    const QStringList parts = words.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString verb = parts.value(0);
    if (verb == QStringLiteral("save")) {
        command.kind = Kind::Save;
        command.path = words.trimmed().mid(4).trimmed();
        why =
            command.path.isEmpty() ? QStringLiteral("\"plot save\" needs a file name") : QString();
        return why.isEmpty();
    }
    if (verb == QStringLiteral("log")) {
        command.kind = Kind::Log;
        command.on = parts.value(1) == QStringLiteral("on");
        const bool known = parts.size() == 2 && (command.on || parts[1] == QStringLiteral("off"));
        why = known ? QString() : QStringLiteral("\"plot log\" needs on or off");
        return known;
    }
    for (const Form& form : kForms) {
        if (verb == QLatin1String(form.verb)) {
            command.kind = form.kind;
            const bool read = readNumbers(parts, form, command);
            why = read ? QString() : QString::fromUtf8(form.usage);
            return read;
        }
    }
    why = QStringLiteral("unknown plot command \"%1\"").arg(words);
    return false;
}

}  // namespace tarvix::plot
