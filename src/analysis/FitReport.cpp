#include "analysis/FitReport.h"

#include <QStringList>
#include <cmath>

#include "text/NumberText.h"

namespace tarvix::analysis {

namespace {

constexpr int kShownFigures = 4;
constexpr int kCopiedFigures = 10;

QString number(double value, int figures) {
    if (!std::isfinite(value)) {
        return QStringLiteral("-");
    }
    return QString::number(value, 'g', figures);
}

QString withError(double value, double error) {
    return number(value, kShownFigures) + QStringLiteral(" ± ") + number(error, 2);
}

}  // namespace

QString fitSummaryText(const FitReport& report) {
    const FitStatistics& s = report.statistics;
    return QStringLiteral("slope %1\nintercept %2\nR² %3   N %4   %5…%6 V")
        .arg(withError(report.line.slope, s.slopeError),
             withError(report.line.intercept, s.interceptError), text::fixedText(s.rSquared, 1, 6),
             QString::number(s.count), number(report.windowLow, kShownFigures),
             number(report.windowHigh, kShownFigures));
}

QString fitClipboardText(const FitReport& report) {
    const FitStatistics& s = report.statistics;
    const QStringList header{QStringLiteral("Mechanism"),
                             QStringLiteral("Slope"),
                             QStringLiteral("Slope error"),
                             QStringLiteral("Intercept"),
                             QStringLiteral("Intercept error"),
                             QStringLiteral("R2"),
                             QStringLiteral("N"),
                             QStringLiteral("V from"),
                             QStringLiteral("V to"),
                             QStringLiteral("R, Om")};
    const QStringList values{
        mechanismName(report.mechanism),
        number(report.line.slope, kCopiedFigures),
        number(s.slopeError, kCopiedFigures),
        number(report.line.intercept, kCopiedFigures),
        number(s.interceptError, kCopiedFigures),
        number(s.rSquared, kCopiedFigures),
        QString::number(s.count),
        number(report.windowLow, kCopiedFigures),
        number(report.windowHigh, kCopiedFigures),
        report.resistance ? number(*report.resistance, kCopiedFigures) : QString()};
    return header.join(QChar('\t')) + QChar('\n') + values.join(QChar('\t')) + QChar('\n');
}

}  // namespace tarvix::analysis
