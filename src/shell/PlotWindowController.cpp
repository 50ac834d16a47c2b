// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/PlotWindowController.h"

#include <QAction>
#include <QEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSqlQuery>
#include <QVariant>
#include <cmath>

#include "journal/MeasurementContext.h"
#include "journal/RecoveryJournal.h"
#include "plot/CurveSource.h"
#include "plot/IvStoreSource.h"
#include "plot/RecordSource.h"
#include "plot/SeriesSummary.h"
#include "plot/SweepSource.h"
#include "plotwindow/PlotWindow.h"
#include "series/SeriesStore.h"
#include "shell/AnalysisController.h"
#include "shell/ChartPictureMenu.h"
#include "shell/IvChartView.h"
#include "shell/Widgets.h"
#include "text/NumberText.h"

namespace tarvix::shell {

namespace {

const QString kPictureFilter = QStringLiteral(
    "PNG picture (*.png)|*.png|SVG picture (*.svg)|*.svg|PDF document (*.pdf)|*.pdf");

// Runs a call on a double-click of the watched widget, with or without Ctrl held.
class DoubleClickWatch : public QObject {
  public:
    DoubleClickWatch(QObject* parent, std::function<void(bool ctrl)> clicked)
        : QObject(parent), clicked_(std::move(clicked)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                clicked_(mouse->modifiers() & Qt::ControlModifier);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void(bool)> clicked_;
};

// Three significant digits, rounded away from the data, so the limits hold every point.
double roundedOutward(double value, bool up) {
    if (value == 0.0 || !std::isfinite(value)) {
        return value;
    }
    const double unit = std::pow(10.0, std::floor(std::log10(std::fabs(value))) - 2);
    return (up ? std::ceil(value / unit) : std::floor(value / unit)) * unit;
}

}  // namespace

PlotWindowController::PlotWindowController(TForm1& form, const thermo::ThermoRecord& record,
                                           const lcr::FreqSweep& sweep,
                                           const AnalysisController& analysis)
    : PanelController(form),
      source_(std::make_unique<plot::IvStoreSource>(form.store())),
      againstTemperature_(
          std::make_unique<plot::RecordSource>(record, plot::RecordSource::Against::Temperature)),
      againstTime_(std::make_unique<plot::RecordSource>(record, plot::RecordSource::Against::Time)),
      sweep_(std::make_unique<plot::SweepSource>(sweep)),
      analysis_(analysis),
      straightened_(std::make_unique<plot::CurveSource>()) {}

PlotWindowController::~PlotWindowController() = default;

void PlotWindowController::wire() {
    if (auto* view = form_.menuBar()->findChild<QMenu*>(QStringLiteral("MenuView"))) {
        view->addSeparator();
        QAction* open = view->addAction(QObject::tr("Plot window"));
        open->setObjectName(QStringLiteral("ActionPlotWindow"));
        open->setShortcut(QKeySequence(QStringLiteral("Ctrl+P")));
        QObject::connect(open, &QAction::triggered, &form_, [this] { openPlotWindow(); });
    }
    auto* fit = new QAction(QObject::tr("Fit to data"), &form_);
    fit->setObjectName(QStringLiteral("ActionFitToData"));
    QObject::connect(fit, &QAction::triggered, &form_, [this] { fitToData(); });
    form_.chart().pictures().addAction(fit);
    watchDoubleClicks("PaintBox1", true);
    watchDoubleClicks("PaintBox2", false);
}

void PlotWindowController::watchDoubleClicks(const char* paintBox, bool fitsWithCtrl) {
    QWidget* box = c().find(QString::fromLatin1(paintBox));
    if (!box) {
        return;
    }
    box->installEventFilter(new DoubleClickWatch(box, [this, fitsWithCtrl](bool ctrl) {
        if (ctrl && fitsWithCtrl) {
            fitToData();
        } else {
            openPlotWindow();
        }
    }));
}

void PlotWindowController::formClose() {
    if (window_) {
        window_->rememberGeometry();
    }
}

void PlotWindowController::openPlotWindow() {
    if (!window_) {
        window_ = new plotwindow::PlotWindow(*this, &form_);
    }
    if (window_->isVisible()) {
        window_->raise();  // open already, perhaps behind the main window
        window_->activateWindow();
    }
    window_->show();
}

// The range of every stored and running point, into Edit2..Edit5; each edit's own handler
// redraws the chart through the design's code.
void PlotWindowController::fitToData() {
    plot::ValueBox x;
    plot::ValueBox y;
    for (const plot::PlotSeries& series : source_->series()) {
        const plot::SeriesSummary summary = plot::SeriesSummary::of(series, false, true);
        x.take(summary.x);
        y.take(summary.y);
    }
    if (x.empty(false) || !(x.low < x.high) || !(y.low < y.high)) {
        form_.status().say(QObject::tr("Fit to data: no points that span a range"));
        return;
    }
    const auto edit = [this](const char* name, double value, bool up) {
        c().setText(QString::fromLatin1(name), text::generalText(roundedOutward(value, up)));
    };
    edit("Edit2", x.low, false);
    edit("Edit3", x.high, true);
    edit("Edit4", y.low, false);
    edit("Edit5", y.high, true);
}

// The panel on view: the LCR panel, the four-probe panel, or else the I-V panel, whose chart
// may show a straightened curve.
std::vector<const plot::PlotSource*> PlotWindowController::sources() {
    std::vector<const plot::PlotSource*> shown = panelSources();
    if (const plot::PlotSource* offered = offeredCurve_ ? offeredCurve_() : nullptr) {
        shown.insert(shown.begin(), offered);
    }
    return shown;
}

std::vector<const plot::PlotSource*> PlotWindowController::panelSources() {
    if (!c().widget(QStringLiteral("Panel6"))->isHidden()) {
        // PaintBox2 carries a caption only while it shows the test curve.
        sweep_->setMeasured(c().paintBox(QStringLiteral("PaintBox2"))->caption().isEmpty());
        return {sweep_.get()};
    }
    if (!c().widget(QStringLiteral("Panel4"))->isHidden()) {
        return {againstTemperature_.get(), againstTime_.get()};
    }
    if (const auto curve = analysis_.straightenedOnView()) {
        followStraightening(*curve);
        return {straightened_.get(), source_.get()};
    }
    return {source_.get()};
}

// A new straightening is another curve; the same one takes the fit's numbers as the sample
// fields change them.
void PlotWindowController::followStraightening(const plot::StraightenedCurveView& curve) {
    if (straightening_ != analysis_.straightenings()) {
        straightening_ = analysis_.straightenings();
        straightened_->set(plot::straightenedPlot(curve, analysis_.lastFit()));
    } else {
        straightened_->setFitText(plot::straightenedFitText(analysis_.lastFit()));
    }
}

const plot::PlotSource* PlotWindowController::storeSource() const {
    return source_.get();
}

QString PlotWindowController::fileName() const {
    const QString shown = form_.controls().text(QStringLiteral("Label15"));
    return shown == QStringLiteral("///") ? QString() : QFileInfo(shown).fileName();
}

QString PlotWindowController::seriesComment(int slot) const {
    const auto given = comments_.find(slot);
    if (given != comments_.end() && given->second.first == form_.store().seriesRevision(slot)) {
        return given->second.second;
    }
    const qint64 id = form_.journal().series().measurementIn(slot);
    if (id == 0) {
        return fileName();
    }
    QSqlQuery query(form_.journal().database().database());
    query.prepare(QStringLiteral("SELECT comment FROM measurement WHERE id = ?"));
    query.addBindValue(id);
    return query.exec() && query.next() ? query.value(0).toString() : QString();
}

QString PlotWindowController::seriesDate(int slot) const {
    const qint64 id = form_.journal().series().measurementIn(slot);
    if (id == 0) {
        const QString date = form_.controls().text(QStringLiteral("Label5"));
        return date == QStringLiteral("DATE") ? QString() : date;
    }
    QSqlQuery query(form_.journal().database().database());
    query.prepare(QStringLiteral("SELECT started FROM measurement WHERE id = ?"));
    query.addBindValue(id);
    if (!query.exec() || !query.next()) {
        return {};
    }
    return QDateTime::fromString(query.value(0).toString(), Qt::ISODateWithMs)
        .toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

void PlotWindowController::setSeriesComment(int slot, const QString& comment) {
    const qint64 id = form_.journal().series().measurementIn(slot);
    if (id != 0) {
        form_.journal().database().write(journal::contextStatements(id, {comment, {}}));
        comments_.erase(slot);
        return;
    }
    comments_[slot] = {form_.store().seriesRevision(slot), comment};
}

bool PlotWindowController::deleteSeries(int slot, int number) {
    if (form_.ivState().actionRunning || form_.ivState().sweepProcedureRunning) {
        form_.status().say(QObject::tr("A series cannot be removed while a measurement runs"));
        return false;
    }
    if (!form_.ui().ask(QObject::tr("Remove series %1 from the store?").arg(number))) {
        return false;
    }
    form_.store().clearSeries(slot);
    form_.journal().series().settleSeries(slot, journal::Settlement::Deleted);
    comments_.erase(slot);
    form_.chart().drawIvChart();
    form_.status().say(QObject::tr("Series %1 removed from the store").arg(number));
    return true;
}

std::optional<double> PlotWindowController::cursorX() const {
    if (!form_.controls().checked(QStringLiteral("RadioButton2"))) {
        return std::nullopt;
    }
    return form_.ivState().cursorVoltage;
}

QString PlotWindowController::pictureFileName() {
    return form_.ui()
        .saveFileName(QObject::tr("Save the plot as a picture"), kPictureFilter)
        .value_or(QString());
}

QString PlotWindowController::settingsFolder() const {
    return form_.configDir();
}

}  // namespace tarvix::shell
