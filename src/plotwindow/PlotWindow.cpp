// SPDX-License-Identifier: GPL-3.0-or-later
#include "plotwindow/PlotWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>

#include "plot/PlotPictures.h"
#include "plotwindow/PlotCanvas.h"
#include "plotwindow/PlotHost.h"
#include "plotwindow/SeriesListPanel.h"
#include "text/NumberText.h"

namespace tarvix::plotwindow {

namespace {

// While the window is open it looks this often whether the store moved (a sweep, an
// open, a delete); a sweep's points then cost one picture per look, however fast they come.
constexpr int kFollowMs = 40;
const QString kGeometryKey = QStringLiteral("PlotWindow/geometry");

QString axisFact(const char* axis, const plot::Quantity& quantity, const plot::AxisRange& range) {
    return QStringLiteral("plot %1: %2 %3 %4 %5")
        .arg(QLatin1String(axis), plot::axisTitle(quantity, range.log),
             text::generalText(range.low), text::generalText(range.high),
             range.log ? QStringLiteral("log") : QStringLiteral("linear"));
}

}  // namespace

PlotWindow::PlotWindow(PlotHost& host, QWidget* parent) : QWidget(parent, Qt::Window), host_(host) {
    setObjectName(QStringLiteral("PlotWindow"));
    setWindowTitle(QStringLiteral("Plot"));
    setMinimumSize(kSmallestWidth, kSmallestHeight);
    sources_ = host_.sources();
    source_ = sources_.front();
    session_ = std::make_unique<plot::PlotSession>(*source_);
    session_->setDecorator([this](plot::PlotSeries& series) { decorate(series); });

    canvas_ = new PlotCanvas(*session_, this);
    choice_ = new QComboBox(this);
    choice_->setObjectName(QStringLiteral("PlotSource"));
    list_ = new SeriesListPanel(this);
    readout_ = new QLabel(this);
    readout_->setObjectName(QStringLiteral("PlotReadout"));
    readout_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    readout_->setMinimumHeight(readout_->fontMetrics().height() * 3);
    readout_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("PlotStatus"));
    log_ = new QCheckBox(QStringLiteral("Log scale"), this);
    log_->setObjectName(QStringLiteral("PlotLog"));
    auto* home = new QPushButton(QStringLiteral("Autoscale"), this);
    home->setObjectName(QStringLiteral("PlotHome"));
    auto* save = new QPushButton(QStringLiteral("Save picture..."), this);
    save->setObjectName(QStringLiteral("PlotSave"));

    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(canvas_, 1);
    leftLayout->addWidget(readout_);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(left);
    split->addWidget(list_);
    left->raise();  // the list is painted first, while the plot's series are being drawn
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 0);
    split->setSizes({700, 340});
    split->setChildrenCollapsible(true);
    auto* bar = new QHBoxLayout;
    bar->addWidget(choice_);
    bar->addWidget(log_);
    bar->addWidget(home);
    bar->addWidget(save);
    bar->addWidget(status_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    layout->addLayout(bar);

    connect(log_, &QCheckBox::toggled, this, &PlotWindow::setLog);
    connect(choice_, &QComboBox::activated, this, [this](int index) {
        if (index >= 0 && index < static_cast<int>(sources_.size())) {
            showSource(*sources_[static_cast<std::size_t>(index)]);
        }
    });
    connect(home, &QPushButton::clicked, this, &PlotWindow::fit);
    connect(save, &QPushButton::clicked, this, &PlotWindow::saveWithDialog);
    connect(canvas_, &PlotCanvas::readoutChanged, this, &PlotWindow::showReadout);
    connect(canvas_, &PlotCanvas::viewChanged, this, &PlotWindow::showReadout);
    connect(list_, &SeriesListPanel::shownChanged, this, [this](int key, bool live, bool shown) {
        session_->setShown(key, live, shown);
        canvas_->invalidate();
        showReadout();
    });
    connect(list_, &SeriesListPanel::highlightChosen, this, [this](int key, bool live) {
        session_->setHighlighted(key, live);
        canvas_->invalidate();
    });
    connect(list_, &SeriesListPanel::deleteAsked, this, &PlotWindow::deleteSeries);
    connect(list_, &SeriesListPanel::commentEdited, this, [this](int key, const QString& comment) {
        if (source_ != host_.storeSource()) {
            return;
        }
        host_.setSeriesComment(key, comment);
        forgetDecorations_ = true;
        refresh(true);
    });
    follow_.setInterval(kFollowMs);
    connect(&follow_, &QTimer::timeout, this, [this] { refresh(); });
    restoreGeometryFromSettings();
    followSources();
    refresh(true);
}

// A plot newly offered first (a straightening just drawn, another panel put on view) is
// shown; otherwise the one shown stays while it is offered.
void PlotWindow::followSources() {
    std::vector<const plot::PlotSource*> offered = host_.sources();
    if (offered != sources_) {
        const bool firstIsNew =
            std::find(sources_.begin(), sources_.end(), offered.front()) == sources_.end();
        sources_ = std::move(offered);
        if (firstIsNew || std::find(sources_.begin(), sources_.end(), source_) == sources_.end()) {
            showSource(*sources_.front());
        }
    }
    choice_->clear();
    for (const plot::PlotSource* source : sources_) {
        choice_->addItem(source->title());
    }
    choice_->setCurrentIndex(
        static_cast<int>(std::find(sources_.begin(), sources_.end(), source_) - sources_.begin()));
    choice_->setVisible(sources_.size() > 1);
}

// Another source starts afresh: autoscale, linear axes, nothing hidden or pinned.
void PlotWindow::showSource(const plot::PlotSource& source) {
    if (&source == source_) {
        return;
    }
    source_ = &source;
    decorations_.clear();
    session_ = std::make_unique<plot::PlotSession>(source);
    session_->setDecorator([this](plot::PlotSeries& series) { decorate(series); });
    canvas_->setSession(*session_);
    list_->clear();
    log_->setChecked(false);
    refresh(true);
}

PlotWindow::~PlotWindow() = default;

// Comments and dates come from the host for the I-V store's series; records and sweeps are
// one series of their own.
void PlotWindow::decorate(plot::PlotSeries& series) {
    if (series.live || source_ != host_.storeSource()) {
        return;
    }
    Decoration& known = decorations_[series.key];
    if (known.revision != series.revision || forgetDecorations_) {
        known = {series.revision, host_.seriesComment(series.key), host_.seriesDate(series.key)};
    }
    series.comment = known.comment;
    series.date = known.date;
}

void PlotWindow::refresh(bool force) {
    if (host_.sources() != sources_) {
        followSources();
    }
    const std::optional<double> cursor =
        source_ == host_.storeSource() ? host_.cursorX() : std::nullopt;
    const bool cursorMoved = cursor != cursorX_;
    cursorX_ = cursor;
    session_->setCursorX(cursor);
    const bool read = session_->refresh(force);
    forgetDecorations_ = false;
    if (log_->isChecked() != session_->logY()) {
        const QSignalBlocker quiet(log_);  // the session started afresh on linear axes
        log_->setChecked(session_->logY());
    }
    if (read) {
        list_->showSeries(session_->series(), source_ == host_.storeSource());
    }
    if (read || cursorMoved) {
        canvas_->invalidate();
        showReadout();
    }
}

void PlotWindow::showReadout() {
    readout_->setText(session_->readout().join(QLatin1Char('\n')));
}

void PlotWindow::setLog(bool log) {
    if (log_->isChecked() != log) {
        log_->setChecked(log);  // comes back here through the signal
        return;
    }
    session_->setLogY(log);
    canvas_->invalidate();
    showReadout();
}

void PlotWindow::fit() {
    canvas_->home();
}

void PlotWindow::zoomTo(const plot::PlotView& view) {
    session_->show(view, true);
    canvas_->invalidate();
    showReadout();
}

void PlotWindow::hoverAt(double x, double y) {
    const plot::PlotFrame frame = canvas_->currentFrame();
    canvas_->hoverAt(QPointF(frame.x.pixel(frame.x.onAxis(x)), frame.y.pixel(frame.y.onAxis(y))));
}

bool PlotWindow::setShown(int number, bool shown) {
    QTreeWidgetItem* row = list_->rowOf(session_->keyOf(number), false);
    if (!row) {
        return false;
    }
    row->setCheckState(SeriesListPanel::kShown, shown ? Qt::Checked : Qt::Unchecked);
    return true;
}

void PlotWindow::deleteSeries(int key) {
    if (source_ != host_.storeSource()) {
        return;
    }
    const int index = session_->indexOf(key);
    const int number = index >= 0 ? session_->series()[static_cast<std::size_t>(index)].number : 0;
    if (host_.deleteSeries(key, number)) {
        refresh(true);
        setStatus(QStringLiteral("Series %1 removed").arg(number));
    }
}

QString PlotWindow::save(const QString& path) {
    // The main chart's cursor is a tool of the moment, no part of a picture.
    plot::PlotScene scene = session_->scene();
    scene.cursorX.reset();
    const QString why = plot::PlotPictures::write(path, canvas_->size(), scene);
    if (!why.isEmpty()) {
        setStatus(QStringLiteral("The plot could not be saved to %1: %2")
                      .arg(QDir::toNativeSeparators(path), why));
    } else {
        const QString suffix = path.section(QLatin1Char('.'), -1).toUpper();
        const QString kind = suffix == QStringLiteral("PNG")
                                 ? QStringLiteral("PNG at %1 dpi").arg(plot::PlotPictures::kPngDpi)
                                 : suffix;
        setStatus(QStringLiteral("The plot was saved as %1 to %2")
                      .arg(kind, QDir::toNativeSeparators(path)));
    }
    return status_->text();
}

void PlotWindow::saveWithDialog() {
    const QString path = host_.pictureFileName();
    if (!path.isEmpty()) {
        save(path);
    }
}

void PlotWindow::setStatus(const QString& text) {
    status_->setText(text);
}

QString PlotWindow::statusText() const {
    return status_->text();
}

QStringList PlotWindow::facts() {
    refresh();
    const plot::PlotView view = session_->view();
    QStringList facts = {axisFact("x", session_->xQuantity(), view.x),
                         axisFact("y", session_->yQuantity(), view.y)};
    for (const plot::PlotSeries& series : session_->series()) {
        facts << QStringLiteral("plot series: %1 %2 %3 %4")
                     .arg(series.live ? QStringLiteral("live") : QString::number(series.number),
                          series.comment.isEmpty() ? series.name : series.comment,
                          QString::number(series.points()),
                          series.shown ? QStringLiteral("shown") : QStringLiteral("hidden"));
    }
    const QStringList readout = session_->readout();
    if (readout.isEmpty()) {
        facts << QStringLiteral("plot readout: ");
    }
    for (const QString& line : readout) {
        facts << QStringLiteral("plot readout: %1").arg(line);
    }
    const QStringList fit = session_->fitText();
    if (fit.isEmpty()) {
        facts << QStringLiteral("plot fit: ");
    }
    for (const QString& line : fit) {
        facts << QStringLiteral("plot fit: %1").arg(line);
    }
    facts << QStringLiteral("plot compliance: %1").arg(session_->flaggedPoints());
    return facts;
}

QString PlotWindow::settingsPath() const {
    return QDir(host_.settingsFolder()).filePath(QStringLiteral("PlotWindow.ini"));
}

void PlotWindow::rememberGeometry() const {
    QSettings settings(settingsPath(), QSettings::IniFormat);
    settings.setValue(kGeometryKey, saveGeometry());
}

void PlotWindow::restoreGeometryFromSettings() {
    const QSettings settings(settingsPath(), QSettings::IniFormat);
    if (!restoreGeometry(settings.value(kGeometryKey).toByteArray())) {
        resize(1000, 640);
    }
}

void PlotWindow::showEvent(QShowEvent* event) {
    refresh();
    follow_.start();
    QWidget::showEvent(event);
}

void PlotWindow::hideEvent(QHideEvent* event) {
    follow_.stop();
    rememberGeometry();
    QWidget::hideEvent(event);
}

}  // namespace tarvix::plotwindow
