// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/IvChartView.h"

#include <QAbstractButton>
#include <QEvent>

#include "analysis/FitWindowLines.h"

#include "series/IvChart.h"
#include "shell/ChartPictureMenu.h"
#include "shell/TForm1.h"
#include "shell/Widgets.h"
#include "text/DecimalParse.h"

namespace tarvix::shell {

namespace {

// Shows animation frames on PaintBox1 and lets the window live between them.
class PaintBoxHost : public series::AnimationHost {
  public:
    PaintBoxHost(TForm1& form, ImageBox& box, const QImage& bitmap)
        : form_(form), box_(box), bitmap_(bitmap) {}
    // The finished chart is the bitmap itself, which lives on; an animation frame is a
    // picture of the moment and is kept until the next one. The paint happens when the
    // chart lets pending events run.
    void showFrame(const QImage& picture) override {
        if (&picture == &bitmap_) {
            box_.setImage(&bitmap_);
        } else {
            frame_ = picture.copy();
            box_.setImage(&frame_);
        }
        box_.update();
    }
    // Only the changed part of PaintBox1 is painted again, so that a new point costs a few
    // pixels and not a copy of the whole picture.
    void showChangedFrame(const QImage& picture, const QRect& changed) override {
        if (&picture != &bitmap_) {
            showFrame(picture);
            return;
        }
        box_.setImage(&bitmap_);
        if (!changed.isEmpty()) {
            box_.update(changed);
        }
    }
    void runPendingEvents() override { form_.letEventsRun(); }
    void sleep(int milliseconds) override { form_.sleepMs(milliseconds); }
    void showSegmentLabel(const QString& label) override {
        form_.controls().setText(QStringLiteral("Label45"), label);
    }

  private:
    TForm1& form_;
    ImageBox& box_;
    const QImage& bitmap_;
    QImage frame_;
};

// Runs a call whenever the watched control is shown or hidden.
class VisibilityWatch : public QObject {
  public:
    VisibilityWatch(QObject* parent, std::function<void()> changed)
        : QObject(parent), changed_(std::move(changed)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) {
            changed_();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> changed_;
};

const QString kAnalysisToolsProbe = QStringLiteral("Button17");

}  // namespace

IvChartView::IvChartView(TForm1& form) : form_(form) {
    ImageBox* box = form_.controls().paintBox(QStringLiteral("PaintBox1"));
    chart_ = std::make_unique<series::IvChart>(box->size());
    box->setImage(&chart_->ivBitmap());
    pictures_ = std::make_unique<ChartPictureMenu>(*box, form_.ui(), form_.status());
    chart_->setOverlay([this](QImage& picture, const series::IvChartGeometry& geometry) {
        drawOverlay(picture, geometry);
    });
    redrawWhenToolsToggle();
    preparer_.setInterval(0);
    QObject::connect(&preparer_, &QTimer::timeout, &form_, [this] { prepareAhead(); });
}

// The ranges a Start returns to: the limit edits, which a voltage sweep writes its own peak
// into. An open draws the store at the data's ranges and leaves the edits as they are.
std::optional<series::IvChartRanges> IvChartView::limitEditRanges() const {
    const Controls& controls = form_.controls();
    const auto value = [&](const char* edit) {
        return text::parseDecimal(controls.text(QString::fromLatin1(edit)));
    };
    const auto currentMin = value("Edit4");
    const auto currentMax = value("Edit5");
    const auto voltageMin = value("Edit2");
    const auto voltageMax = value("Edit3");
    if (!currentMin || !currentMax || !voltageMin || !voltageMax) {
        return std::nullopt;
    }
    return series::IvChartRanges{*currentMin, *currentMax, *voltageMin, *voltageMax};
}

// While the chart shows other ranges than the limit edits', the stored layer for the edits'
// ranges is drawn a part at a time whenever the window is idle, so that a Start after an open
// finds it drawn. Nothing is drawn ahead while an action runs: it would slow the action.
void IvChartView::prepareAhead() {
    const auto ranges = limitEditRanges();
    if (!ranges || form_.ivState().actionRunning || series::sameRanges(*ranges, lastRanges_) ||
        chart_->prepareStoredLayer(*ranges, options(), form_.store())) {
        preparer_.stop();
    }
}

bool IvChartView::analysisToolsShown() const {
    const QWidget* probe = form_.controls().find(kAnalysisToolsProbe);
    return probe != nullptr && !probe->isHidden();
}

void IvChartView::drawOverlay(QImage& picture, const series::IvChartGeometry& geometry) const {
    if (!analysisToolsShown()) {
        return;
    }
    const Controls& controls = form_.controls();
    const IvState& state = form_.ivState();
    analysis::drawFitWindowLines(
        picture, geometry,
        analysis::fitWindowEnds(controls.text(QStringLiteral("Label23")),
                                controls.text(QStringLiteral("Label24")), state.manualVoltage,
                                state.cursorVoltage, state.voltageMin, state.voltageMax));
}

// The fit window's lines come and go with the analysis tools.
void IvChartView::redrawWhenToolsToggle() {
    QWidget* probe = form_.controls().find(kAnalysisToolsProbe);
    if (probe == nullptr) {
        return;
    }
    probe->installEventFilter(new VisibilityWatch(probe, [this] {
        if (showsIvChart_) {
            drawIvChart(lastRanges_);
        }
    }));
}

void IvChartView::setPictureSource(series::ChartRender render) {
    showsIvChart_ = false;
    ++drawings_;
    pictures_->setSource(std::move(render));
}

IvChartView::~IvChartView() = default;

const QString& IvChartView::yLabel() {
    static const QString label = series::IvChart::currentCaption();
    return label;
}

const QString& IvChartView::xLabel() {
    static const QString label = series::IvChart::voltageCaption();
    return label;
}

series::IvChartOptions IvChartView::options() const {
    const Controls& controls = form_.controls();
    const IvState& state = form_.ivState();
    series::IvChartOptions options;
    options.logScale = controls.checked(QStringLiteral("CheckBox13"));
    options.joinPoints = controls.checked(QStringLiteral("CheckBox35"));
    options.showStored = controls.checked(QStringLiteral("CheckBox12"));
    options.manualVoltage = state.manualVoltage;
    options.cursorVoltage = state.cursorVoltage;
    options.cursorLineShown = controls.checked(QStringLiteral("RadioButton2"));
    options.segmentFinished = state.segment.finished;
    return options;
}

void IvChartView::drawIvChart() {
    const IvState& state = form_.ivState();
    drawIvChart({state.currentMin, state.currentMax, state.voltageMin, state.voltageMax});
}

void IvChartView::drawIvChart(const series::IvChartRanges& ranges) {
    ImageBox* box = form_.controls().paintBox(QStringLiteral("PaintBox1"));
    PaintBoxHost host(form_, *box, chart_->ivBitmap());
    const auto label =
        chart_->drawIvChart(yLabel(), xLabel(), ranges, options(), form_.store(), &host);
    box->setImage(&chart_->ivBitmap());
    if (label) {
        form_.controls().setText(QStringLiteral("Label45"), *label);
    }
    lastRanges_ = ranges;
    showsIvChart_ = true;
    ++drawings_;
    if (!series::sameRanges(limitEditRanges().value_or(ranges), ranges)) {
        preparer_.start();
    }
    // The picture is drawn afresh, without the kept layers, from what this drawing used.
    pictures_->setSource([this, ranges, options = options(), size = box->size()](QImage& image) {
        series::IvChart fresh(size);
        fresh.setCachingEnabled(false);
        fresh.setOverlay([this](QImage& picture, const series::IvChartGeometry& geometry) {
            drawOverlay(picture, geometry);
        });
        fresh.drawIvChart(yLabel(), xLabel(), ranges, options, form_.store(), nullptr);
        image = fresh.ivBitmap().copy();
    });
}

QImage& IvChartView::ivBitmap() {
    return chart_->ivBitmap();
}

int IvChartView::animationDelay() const {
    return chart_->animationDelay();
}
void IvChartView::setAnimationDelay(int milliseconds) {
    chart_->setAnimationDelay(milliseconds);
}

void IvChartView::show() {
    ImageBox* box = form_.controls().paintBox(QStringLiteral("PaintBox1"));
    box->setImage(&chart_->ivBitmap());
    box->update();
}

}  // namespace tarvix::shell
