#include "analysis/ResistanceText.h"

#include <cmath>

#include "text/NumberText.h"

namespace tarvix::analysis {

namespace {

const QString kUndefined = QStringLiteral("не определено");

QString withUnit(const QString& number, const char* unit) {
    return number + QChar(' ') + QString::fromLatin1(unit);
}

QString rounded(double value, const char* unit) {
    return withUnit(QString::number(text::roundHalfEven(value)), unit);
}

}  // namespace

QString resistanceText(double ohms) {
    if (!std::isfinite(ohms)) {
        return kUndefined;
    }
    if (ohms < 1 || ohms >= 1e11) {
        return withUnit(text::generalTextForDisplay(ohms), "Om");
    }
    // The unit is chosen after rounding: 999999.9 ohms reads "1 MOm", not "1000 kOm".
    if (text::roundHalfEven(ohms) < 100000) {
        return rounded(ohms, "Om");
    }
    if (text::roundHalfEven(ohms / 1e3) < 1000) {
        return rounded(ohms / 1e3, "kOm");
    }
    return rounded(ohms / 1e6, "MOm");
}

QString resistanceTextForSlope(double slope, bool lineDefined) {
    if (!lineDefined || slope == 0) {
        return kUndefined;
    }
    return resistanceText(1.0 / slope);
}

}  // namespace tarvix::analysis
