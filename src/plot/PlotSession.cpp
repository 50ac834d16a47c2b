// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/PlotSession.h"

#include <algorithm>
#include <cmath>

#include "plot/Autoscale.h"
#include "plot/SiText.h"

namespace tarvix::plot {

namespace {

constexpr int kCursorSeriesListed = 12;

}  // namespace

PlotSession::PlotSession(const PlotSource& source)
    : source_(source),
      xQuantity_(source.xQuantity()),
      yQuantity_(source.yQuantity()),
      summaries_(
          std::make_unique<SummaryCache>(xQuantity_.magnitudeOnLog, yQuantity_.magnitudeOnLog)) {}

bool PlotSession::refresh(bool force) {
    const std::uint64_t stamp = source_.stamp();
    if (read_ && stamp == stamp_ && !force) {
        return false;
    }
    stamp_ = stamp;
    startAfreshWhenReplaced();
    read_ = true;
    series_ = source_.series();
    fitLine_ = source_.fitLine();
    fitText_ = source_.fitText();
    if (decorator_) {
        for (PlotSeries& one : series_) {
            decorator_(one);
        }
    }
    summaryOf_ = summaries_->summaries(series_);
    applyChoices();
    return true;
}

void PlotSession::startAfreshWhenReplaced() {
    const Quantity x = source_.xQuantity();
    const Quantity y = source_.yQuantity();
    const std::uint64_t generation = source_.generation();
    if (generation == generation_ && x == xQuantity_ && y == yQuantity_) {
        return;
    }
    generation_ = generation;
    if (x != xQuantity_ || y != yQuantity_) {
        xQuantity_ = x;
        yQuantity_ = y;
        summaries_ =
            std::make_unique<SummaryCache>(xQuantity_.magnitudeOnLog, yQuantity_.magnitudeOnLog);
    }
    hidden_.clear();
    highlighted_.reset();
    hover_.reset();
    markers_.clear();
    logY_ = false;
    zoom_.home();
}

PlotSession::Choice PlotSession::choiceOf(const PlotSeries& series) const {
    return {series.key, series.live, series.live ? 0 : series.revision};
}

int PlotSession::indexOf(const Choice& choice) const {
    const int index = indexOf(choice.key, choice.live);
    if (index < 0 || choice.live) {
        return index;
    }
    return series_[static_cast<std::size_t>(index)].revision == choice.revision ? index : -1;
}

int PlotSession::indexOf(int key, bool live) const {
    for (std::size_t i = 0; i < series_.size(); ++i) {
        if (series_[i].live == live && (live || series_[i].key == key)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int PlotSession::keyOf(int number) const {
    for (const PlotSeries& series : series_) {
        if (!series.live && series.number == number) {
            return series.key;
        }
    }
    return -1;
}

// Choices whose series went or changed are forgotten; the rest apply to the series read.
void PlotSession::applyChoices() {
    std::erase_if(hidden_, [this](const Choice& choice) { return indexOf(choice) < 0; });
    for (const Choice& choice : hidden_) {
        series_[static_cast<std::size_t>(indexOf(choice))].shown = false;
    }
    if (highlighted_ && indexOf(*highlighted_) < 0) {
        highlighted_.reset();
    }
    if (hover_ && !hitOf(*hover_)) {
        hover_.reset();
    }
    std::erase_if(markers_, [this](const Pin& pin) { return !hitOf(pin.spot); });
}

void PlotSession::setShown(int key, bool live, bool shown) {
    const int index = indexOf(key, live);
    if (index < 0) {
        return;
    }
    PlotSeries& series = series_[static_cast<std::size_t>(index)];
    const Choice choice = choiceOf(series);
    std::erase_if(hidden_, [&](const Choice& hidden) {
        return hidden.key == choice.key && hidden.live == choice.live;
    });
    if (!shown) {
        hidden_.push_back(choice);
    }
    series.shown = shown;
}

void PlotSession::setHighlighted(int key, bool live) {
    const int index = indexOf(key, live);
    if (index >= 0) {
        highlighted_ = choiceOf(series_[static_cast<std::size_t>(index)]);
    }
}

void PlotSession::setLogY(bool log) {
    if (log != logY_) {
        logY_ = log;
        zoom_.home();
    }
}

PlotView PlotSession::autoscaledView() const {
    ValueBox x;
    ValueBox y;
    for (std::size_t s = 0; s < series_.size(); ++s) {
        if (series_[s].shown) {
            x.take(summaryOf_[s]->x);
            y.take(summaryOf_[s]->y);
        }
    }
    return {autoscaleRange(x, source_.xLog()), autoscaleRange(y, logY_)};
}

PlotView PlotSession::view() const {
    return zoom_.view() ? *zoom_.view() : autoscaledView();
}

void PlotSession::show(const PlotView& view, bool newStep) {
    if (view.x.usable() && view.y.usable()) {
        zoom_.show(view, newStep);
    }
}

PlotScene PlotSession::scene() const {
    PlotScene scene;
    scene.xQuantity = xQuantity_;
    scene.yQuantity = yQuantity_;
    scene.view = view();
    scene.series = series_;
    scene.highlighted = highlighted_ ? indexOf(*highlighted_) : -1;
    for (const Pin& pin : markers_) {
        scene.markers.push_back(pin.marker);
    }
    scene.cursorX = cursorX_;
    scene.notice = notice();
    scene.fit = fitLine_;
    scene.fitText = fitText_;
    return scene;
}

std::optional<PointHit> PlotSession::nearest(const PlotFrame& frame, QPointF at,
                                             double reach) const {
    return nearestPoint(series_, summaryOf_, frame.x, frame.y, at, reach);
}

PlotSession::Spot PlotSession::spotOf(const PointHit& hit) const {
    const PlotSeries& series = series_[static_cast<std::size_t>(hit.series)];
    return {choiceOf(series), series.segments[static_cast<std::size_t>(hit.segment)].number,
            hit.point};
}

std::optional<PointHit> PlotSession::hitOf(const Spot& spot) const {
    const int index = indexOf(spot.series);
    if (index < 0) {
        return std::nullopt;
    }
    const auto& segments = series_[static_cast<std::size_t>(index)].segments;
    for (std::size_t g = 0; g < segments.size(); ++g) {
        if (segments[g].number == spot.segment && spot.point < segments[g].count) {
            return PointHit{index, static_cast<int>(g), spot.point, 0.0};
        }
    }
    return std::nullopt;
}

void PlotSession::hover(const std::optional<PointHit>& hit) {
    hover_.reset();
    if (hit) {
        hover_ = spotOf(*hit);
    }
}

// A point of a series hidden since it was hovered is no longer under the mouse.
std::optional<PointHit> PlotSession::hovered() const {
    const std::optional<PointHit> hit = hover_ ? hitOf(*hover_) : std::nullopt;
    if (!hit || !series_[static_cast<std::size_t>(hit->series)].shown) {
        return std::nullopt;
    }
    return hit;
}

void PlotSession::pin(const PointHit& hit) {
    const Spot spot = spotOf(hit);
    const auto same = [&](const Pin& pin) {
        return pin.spot.series.key == spot.series.key && pin.spot.series.live == spot.series.live &&
               pin.spot.segment == spot.segment && pin.spot.point == spot.point;
    };
    if (std::erase_if(markers_, same) > 0) {
        return;
    }
    const PlotSeries& series = series_[static_cast<std::size_t>(hit.series)];
    const PlotSegment& segment = series.segments[static_cast<std::size_t>(hit.segment)];
    const double x = segment.x[hit.point];
    const double y = segment.y[hit.point];
    const QString name = seriesLabel(series);
    const QString label = QStringLiteral("%1: %2, %3")
                              .arg(name, siValueText(x, xQuantity_.unit, 4, xQuantity_.siPrefixes),
                                   siValueText(y, yQuantity_.unit, 4, yQuantity_.siPrefixes));
    markers_.push_back({spot, {x, y, label}});
}

QString PlotSession::pointText(const PointHit& hit) const {
    const PlotSeries& series = series_[static_cast<std::size_t>(hit.series)];
    return source_.pointText(series, series.segments[static_cast<std::size_t>(hit.segment)],
                             hit.point);
}

// "At 1.250 V: #1 12.34 µA; #2 15.60 µA / −3.100 µA": every shown series that crosses the
// cursor, with each crossing of its segments.
QString PlotSession::cursorText() const {
    if (!cursorX_) {
        return {};
    }
    const std::vector<Crossing> crossings = crossingsAt(series_, summaryOf_, *cursorX_);
    QStringList parts;
    int listed = 0;
    int previous = -1;
    for (const Crossing& crossing : crossings) {
        const QString value = siValueText(crossing.y, yQuantity_.unit, 4, yQuantity_.siPrefixes);
        if (crossing.series == previous) {
            parts.back() += QStringLiteral(" / ") + value;
            continue;
        }
        if (++listed > kCursorSeriesListed) {
            parts << QStringLiteral("…");
            break;
        }
        previous = crossing.series;
        const PlotSeries& series = series_[static_cast<std::size_t>(crossing.series)];
        parts << QStringLiteral("%1 %2").arg(seriesLabel(series), value);
    }
    const QString at = siValueText(*cursorX_, xQuantity_.unit, 4, xQuantity_.siPrefixes);
    if (parts.isEmpty()) {
        return QStringLiteral("At %1: no shown series reaches the cursor").arg(at);
    }
    return QStringLiteral("At %1: %2").arg(at, parts.join(QStringLiteral("; ")));
}

QString PlotSession::notice() const {
    const PlotView shownView = view();
    int left = 0;
    for (std::size_t s = 0; s < series_.size(); ++s) {
        if (series_[s].shown) {
            left += (shownView.x.log ? summaryOf_[s]->xNotShownOnLog : 0) +
                    (shownView.y.log ? summaryOf_[s]->yNotShownOnLog : 0);
        }
    }
    if (left == 0) {
        return {};
    }
    return left == 1 ? QStringLiteral("1 point ≤ 0 not shown")
                     : QStringLiteral("%1 points ≤ 0 not shown").arg(left);
}

QStringList PlotSession::readout() const {
    QStringList lines;
    if (const auto hit = hovered()) {
        lines << pointText(*hit);
    }
    if (const QString cursor = cursorText(); !cursor.isEmpty()) {
        lines << cursor;
    }
    if (const QString left = notice(); !left.isEmpty()) {
        lines << left;
    }
    return lines;
}

int PlotSession::flaggedPoints() const {
    int flagged = 0;
    for (const PlotSeries& series : series_) {
        if (!series.shown) {
            continue;
        }
        for (const PlotSegment& segment : series.segments) {
            flagged += static_cast<int>(segment.flagged.size());
        }
    }
    return flagged;
}

}  // namespace tarvix::plot
