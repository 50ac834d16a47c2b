// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointF>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "plot/NearestPoint.h"
#include "plot/PlotFrame.h"
#include "plot/PlotScene.h"
#include "plot/PlotSeries.h"
#include "plot/SeriesSummary.h"
#include "plot/ZoomState.h"

namespace tarvix::plot {

// What the operator does with one plot, apart from any window: which series are shown and
// which is highlighted, the zoom, the log axis, the point under the mouse, the pinned
// markers and the cursor; and the scene that follows from it and from the source's series.
class PlotSession {
  public:
    explicit PlotSession(const PlotSource& source);

    // Gives each series read from the source what the source does not know (comment, date).
    void setDecorator(std::function<void(PlotSeries&)> decorator) {
        decorator_ = std::move(decorator);
    }
    // Reads the series again when the source's stamp moved, or always with `force` (the
    // comments changed); true when it read them. Series of a new generation or of other
    // quantities start afresh: autoscaled on linear axes, nothing hidden, pinned or hovered.
    bool refresh(bool force = false);
    const std::vector<PlotSeries>& series() const { return series_; }
    // Index of the stored series of `key` (or of the running run), or -1.
    int indexOf(int key, bool live = false) const;
    // The key of the stored series the operator reads as `number`, or -1.
    int keyOf(int number) const;
    const Quantity& xQuantity() const { return xQuantity_; }
    const Quantity& yQuantity() const { return yQuantity_; }
    // The source's fitted line and its numbers, as last read.
    const std::optional<FitLine>& fitLine() const { return fitLine_; }
    const QStringList& fitText() const { return fitText_; }

    // A stored series (live false) or the running run shown or hidden; a hidden stored
    // series is shown again when its points change (another file took its slot).
    void setShown(int key, bool live, bool shown);
    void setHighlighted(int key, bool live);
    void clearHighlight() { highlighted_.reset(); }

    bool logY() const { return logY_; }
    // Changes the y axis between linear and log; the axes go back to autoscale.
    void setLogY(bool log);

    PlotView autoscaledView() const;
    PlotView view() const;
    ZoomState& zoom() { return zoom_; }
    // Shows `view`, as one step of the zoom stack or as part of the step in progress.
    void show(const PlotView& view, bool newStep);

    PlotScene scene() const;
    PlotFrame frame(QSize size) const { return PlotFrame::of(size, scene()); }

    // The point nearest to `at` (pixels of `frame`) within `reach`; hover() keeps it as the
    // readout's point.
    std::optional<PointHit> nearest(const PlotFrame& frame, QPointF at, double reach) const;
    void hover(const std::optional<PointHit>& hit);
    // The hovered point as it stands after the last refresh, if its series is still there.
    std::optional<PointHit> hovered() const;
    // Pins a marker at the point; a second pin of the same point takes it away.
    void pin(const PointHit& hit);
    void clearMarkers() { markers_.clear(); }
    int markerCount() const { return static_cast<int>(markers_.size()); }

    // The main chart's cursor, whose crossings the readout lists.
    void setCursorX(std::optional<double> x) { cursorX_ = x; }

    // The readout's lines: the point under the mouse, the currents at the cursor, and the
    // points a log axis leaves out.
    QStringList readout() const;
    QString pointText(const PointHit& hit) const;
    QString cursorText() const;
    QString notice() const;
    // Flagged points (at compliance) of the shown series.
    int flaggedPoints() const;

  private:
    // A series as chosen by the operator: by key, and only while its points stay as they
    // were (the running run: while it runs).
    struct Choice {
        int key = 0;
        bool live = false;
        std::uint64_t revision = 0;
    };
    // One point of a chosen series.
    struct Spot {
        Choice series;
        int segment = 0;
        int point = 0;
    };
    struct Pin {
        Spot spot;
        PinnedMarker marker;
    };
    void startAfreshWhenReplaced();
    Choice choiceOf(const PlotSeries& series) const;
    int indexOf(const Choice& choice) const;
    std::optional<PointHit> hitOf(const Spot& spot) const;
    Spot spotOf(const PointHit& hit) const;
    void applyChoices();

    const PlotSource& source_;
    Quantity xQuantity_;
    Quantity yQuantity_;
    std::function<void(PlotSeries&)> decorator_;
    std::uint64_t stamp_ = 0;
    std::uint64_t generation_ = 0;
    bool read_ = false;
    std::optional<FitLine> fitLine_;
    QStringList fitText_;
    std::vector<PlotSeries> series_;
    std::unique_ptr<SummaryCache> summaries_;
    std::vector<const SeriesSummary*> summaryOf_;
    std::vector<Choice> hidden_;
    std::optional<Choice> highlighted_;
    bool logY_ = false;
    ZoomState zoom_;
    std::optional<Spot> hover_;
    std::vector<Pin> markers_;
    std::optional<double> cursorX_;
};

}  // namespace tarvix::plot
