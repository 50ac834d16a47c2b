// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/SeriesRaster.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

#include "series/ChartCanvas.h"
#include "series/LineClip.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarvix::plot {

namespace {

// Pixel positions are held within this distance of the picture, so that a value far
// outside it neither overflows nor costs a long walk.
constexpr double kFar = 1 << 20;
// Added before truncating, so that truncation rounds down for every held position.
constexpr double kBias = 1 << 21;
constexpr int kNoColumn = -(1 << 22);  // a point without a place (NaN)
constexpr int kBlock = 256;

// Halves round up, as a painter's pixel centres at +0.5 put them; no call to floor, and no
// branch, so that a block of these becomes a few vector instructions. NaN lands far off.
int toPixel(double coordinate) {
    double held = coordinate > -kFar ? coordinate : -kFar;
    held = held < kFar ? held : kFar;
    return static_cast<int>(held + (0.5 + kBias)) - static_cast<int>(kBias);
}

// The pixel column of each of `count` values on a linear axis, kNoColumn for NaN.
void linearColumns(const float* __restrict values, int* __restrict columns, int count, double scale,
                   double offset) {
    for (int i = 0; i < count; ++i) {
        const float value = values[i];
        const int at = toPixel(static_cast<double>(value) * scale + offset);
        columns[i] = value == value ? at : kNoColumn;
    }
}

// The key of each height (the value, or its magnitude where a log axis shows that); a point
// a log axis cannot show, or a NaN, loses its column and so breaks the line.
template <bool LogY, bool Magnitude>
void heightKeys(const float* __restrict values, float* __restrict keys, int* __restrict columns,
                int count) {
    for (int i = 0; i < count; ++i) {
        const float value = values[i];
        const float key = Magnitude ? (value < 0.0f ? -value : value) : value;
        const bool shown = LogY ? key > 0.0f : key == key;
        keys[i] = key;
        columns[i] = shown ? columns[i] : kNoColumn;
    }
}

// The end of the run of points from `first` on that share column `at`, and the lowest and
// highest of their keys. Four points at a time where the processor can; keys of a run are
// never NaN (a NaN has no column), so the vector minimum is the plain one.
int runEnd(const int* columns, const float* keys, int first, int count, int at, float& low,
           float& high) {
    int k = first;
    float lowest = keys[first];
    float highest = lowest;
#if defined(__SSE2__)
    const __m128i wanted = _mm_set1_epi32(at);
    __m128 low4 = _mm_set1_ps(lowest);
    __m128 high4 = low4;
    for (; k + 4 <= count; k += 4) {
        const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(columns + k));
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(four, wanted)) != 0xFFFF) {
            break;
        }
        const __m128 values = _mm_loadu_ps(keys + k);
        low4 = _mm_min_ps(low4, values);
        high4 = _mm_max_ps(high4, values);
    }
    alignas(16) float lows[4];
    alignas(16) float highs[4];
    _mm_store_ps(lows, low4);
    _mm_store_ps(highs, high4);
    lowest = std::min({lows[0], lows[1], lows[2], lows[3]});
    highest = std::max({highs[0], highs[1], highs[2], highs[3]});
#endif
    for (; k < count && columns[k] == at; ++k) {
        const float key = keys[k];
        lowest = key < lowest ? key : lowest;
        highest = key > highest ? key : highest;
    }
    low = lowest;
    high = highest;
    return k;
}

}  // namespace

SeriesRaster::SeriesRaster(QImage& target, const AxisMap& x, const AxisMap& y, Cover cover)
    : x_(x),
      y_(y),
      pixels_(reinterpret_cast<QRgb*>(target.bits())),
      width_(target.width()),
      height_(target.height()),
      stride_(target.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb))),
      keep_(cover == Cover::Keep) {
    Q_ASSERT(target.depth() == 32);
}

// The float's exponent, and the mantissa's logarithm from a table of 1024 steps between 1
// and 2 with a straight line between two entries: within 2e-7 of a decade.
double SeriesRaster::fastLog10(float value) {
    constexpr int kSteps = 1024;
    static const std::array<double, kSteps + 1> table = [] {
        std::array<double, kSteps + 1> logs{};
        for (int i = 0; i <= kSteps; ++i) {
            logs[static_cast<std::size_t>(i)] = std::log10(1.0 + static_cast<double>(i) / kSteps);
        }
        return logs;
    }();
    const auto bits = std::bit_cast<std::uint32_t>(value);
    const int biased = static_cast<int>((bits >> 23) & 0xFF);
    if (biased == 0 || biased == 0xFF) {
        return std::log10(static_cast<double>(value));  // tiny, infinite or NaN
    }
    const std::uint32_t mantissa = bits & 0x7FFFFFu;
    const auto step = static_cast<std::size_t>(mantissa >> 13);  // the top 10 of 23 bits
    const double within = static_cast<double>(mantissa & 0x1FFFu) / 8192.0;
    constexpr double kLog10Of2 = 0.30102999566398120;
    return (biased - 127) * kLog10Of2 + table[step] + (table[step + 1] - table[step]) * within;
}

void SeriesRaster::drawSeries(const PlotSeries& series, QRgb colour) {
    for (const PlotSegment& segment : series.segments) {
        drawSegment(segment, colour);
    }
}

void SeriesRaster::drawSegment(const PlotSegment& segment, QRgb colour) {
    const bool magnitude = y_.magnitude();
    if (x_.log()) {
        y_.log() ? (magnitude ? drawSegmentAs<true, true, true>(segment, colour)
                              : drawSegmentAs<true, true, false>(segment, colour))
                 : drawSegmentAs<true, false, false>(segment, colour);
    } else {
        y_.log() ? (magnitude ? drawSegmentAs<false, true, true>(segment, colour)
                              : drawSegmentAs<false, true, false>(segment, colour))
                 : drawSegmentAs<false, false, false>(segment, colour);
    }
}

// The columns and height keys of a block of points come first, in simple loops; a run of
// points in one column is then found by comparing integers, and only its first and last
// key and its lowest and highest decide what is drawn (what series::PixelColumnRun keeps of
// a column). A key orders points as their heights do (the value, or its magnitude on a log
// axis), so the logarithm is taken only for the few heights each column needs.
template <bool LogX, bool LogY, bool Magnitude>
void SeriesRaster::drawSegmentAs(const PlotSegment& segment, QRgb colour) {
    const double xScale = x_.scale();
    const double xOffset = x_.offset();
    const double yScale = y_.scale();
    const double yOffset = y_.offset();
    const auto heightOf = [&](float key) {
        return toPixel(yScale * (LogY ? fastLog10(key) : static_cast<double>(key)) + yOffset);
    };

    struct Run {
        int column = kNoColumn;
        float first = 0;
        float last = 0;
        float low = 0;
        float high = 0;
    } run;
    bool joined = false;  // the next column joins the one before
    QPoint previous;
    const auto drawRun = [&] {
        if (run.column == kNoColumn) {
            return;
        }
        const int low = heightOf(run.low);
        const int high = run.high == run.low ? low : heightOf(run.high);
        const int first = run.first == run.low    ? low
                          : run.first == run.high ? high
                                                  : heightOf(run.first);
        const int last = run.last == run.low    ? low
                         : run.last == run.high ? high
                                                : heightOf(run.last);
        if (joined) {
            line(previous, QPoint(run.column, first), colour);
        }
        column(run.column, low, high, colour);
        previous = QPoint(run.column, last);
        joined = true;
        run.column = kNoColumn;
    };

    std::array<int, kBlock> columns;
    std::array<float, kBlock> keys;
    for (int start = 0; start < segment.count; start += kBlock) {
        const int count = std::min(segment.count - start, kBlock);
        if constexpr (LogX) {
            for (int i = 0; i < count; ++i) {
                const double vx = segment.x[start + i];
                columns[static_cast<std::size_t>(i)] =
                    vx > 0.0 ? toPixel(xScale * std::log10(vx) + xOffset) : kNoColumn;
            }
        } else {
            linearColumns(segment.x + start, columns.data(), count, xScale, xOffset);
        }
        heightKeys<LogY, Magnitude>(segment.y + start, keys.data(), columns.data(), count);
        for (int i = 0; i < count;) {
            const int at = columns[static_cast<std::size_t>(i)];
            if (at == kNoColumn) {
                drawRun();
                joined = false;
                ++i;
                continue;
            }
            float low = 0;
            float high = 0;
            const int end = runEnd(columns.data(), keys.data(), i, count, at, low, high);
            if (run.column == at) {  // the run goes on from the block before
                run.last = keys[static_cast<std::size_t>(end - 1)];
                run.low = std::min(run.low, low);
                run.high = std::max(run.high, high);
            } else {
                drawRun();
                run = {at, keys[static_cast<std::size_t>(i)],
                       keys[static_cast<std::size_t>(end - 1)], low, high};
            }
            i = end;
        }
    }
    drawRun();
}

void SeriesRaster::column(int x, int y0, int y1, QRgb colour) {
    if (x < 0 || x >= width_) {
        return;
    }
    const int top = std::max(std::min(y0, y1), 0);
    const int bottom = std::min(std::max(y0, y1), height_ - 1);
    QRgb* pixel = pixels_ + top * stride_ + x;
    for (int y = top; y <= bottom; ++y, pixel += stride_) {
        put(*pixel, colour);
    }
}

// From one column to another, the end pixel left to the column it ends in.
void SeriesRaster::line(QPoint from, QPoint to, QRgb colour) {
    const auto inside = [this](QPoint p) {
        return p.x() >= 0 && p.y() >= 0 && p.x() < width_ && p.y() < height_;
    };
    if (!inside(from) || !inside(to)) {
        const QPoint end = to;
        if (!series::clipToBox(from, to, QRect(0, 0, width_, height_))) {
            return;
        }
        if (to != end) {
            set(to.x(), to.y(), colour);  // the line leaves the picture: its last pixel in it
        }
    }
    series::walkLine(from.x(), from.y(), to.x(), to.y(), 4L * (width_ + height_),
                     [&](int x, int y) { set(x, y, colour); });
}

}  // namespace tarvix::plot
