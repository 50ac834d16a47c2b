// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/ChartTicks.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "series/ChartCanvas.h"
#include "text/NumberText.h"

namespace tarvix::series {

namespace {

constexpr int kMostDecimals = 12;
constexpr double kLargestFixed = 1e6;
constexpr double kSmallestFixed = 1e-2;

bool neighboursDiffer(const QStringList& texts) {
    return std::adjacent_find(texts.begin(), texts.end()) == texts.end();
}

// "3.80e-06" -> "3.80e-6": the exponent without padding.
QString scientific(double value, int decimals) {
    if (value == 0) {
        return QStringLiteral("0");
    }
    QString text = QString::number(value, 'e', decimals);
    const qsizetype e = text.indexOf(QChar('e'));
    qsizetype digits = e + 2;
    while (digits < text.size() - 1 && text[digits] == QChar('0')) {
        text.remove(digits, 1);
    }
    if (text[e + 1] == QChar('+')) {
        text.remove(e + 1, 1);
    }
    return text;
}

}  // namespace

QStringList tickTexts(std::span<const double> values, int minDecimals) {
    double largest = 0;
    for (double value : values) {
        largest = std::max(largest, std::abs(value));
    }
    std::vector<double> cleaned(values.begin(), values.end());
    for (double& value : cleaned) {
        if (std::abs(value) < largest * 1e-9) {
            value = 0;
        }
    }
    const bool fixed = largest == 0 || (largest >= kSmallestFixed && largest < kLargestFixed);
    // Equal values read the same however many digits they get.
    const bool flat =
        std::adjacent_find(cleaned.begin(), cleaned.end(), std::not_equal_to<>()) == cleaned.end();
    const int mostDecimals = flat ? minDecimals : kMostDecimals;
    QStringList texts;
    for (int decimals = fixed ? minDecimals : 1; decimals <= mostDecimals; ++decimals) {
        texts.clear();
        for (double value : cleaned) {
            texts.append(fixed ? text::fixedText(value, 1, decimals) : scientific(value, decimals));
        }
        if (neighboursDiffer(texts)) {
            break;
        }
    }
    return texts;
}

QRect labelBox(QPoint topLeft, const QString& text, bool bold) {
    QFont font = chartFont();
    font.setBold(bold);
    const QFontMetrics metrics(font);
    return QRect(topLeft, QSize(metrics.horizontalAdvance(text), metrics.height()));
}

int labelStride(std::span<const QRect> boxes) {
    const int count = static_cast<int>(boxes.size());
    int stride = 1;
    for (; stride < count; stride *= 2) {
        bool clear = true;
        for (int k = stride; k < count && clear; k += stride) {
            const QRect& previous = boxes[static_cast<size_t>(k - stride)];
            clear = !previous.adjusted(-1, -1, 1, 1).intersects(boxes[static_cast<size_t>(k)]);
        }
        if (clear) {
            break;
        }
    }
    return stride;
}

}  // namespace tarvix::series
