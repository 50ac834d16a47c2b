#pragma once

#include <QMainWindow>
#include <QString>
#include <memory>
#include <vector>

#include "bus/GpibBus.h"
#include "series/SeriesStore.h"
#include "series/TimeTable.h"
#include "shell/Controls.h"
#include "shell/IvState.h"
#include "shell/UiServices.h"

class QAction;
class QMenu;

namespace tarvix::journal {
class RecoveryJournal;
}

namespace tarvix::shell {

class IvChartView;
class IvPanelController;
class PanelController;
class StartController;
class ThermoController;

struct FormOptions {
    QString configDir;  // folder of Parameters.dat
};

// The one main window. It creates the controls from the design tables, owns the shared state
// and hands the handlers of each panel to a controller of its own.
class TForm1 : public QMainWindow {
    Q_OBJECT
  public:
    TForm1(bus::GpibBus& gpib, UiServices& ui, FormOptions options);
    ~TForm1() override;

    Controls& controls() { return controls_; }
    UiServices& ui() { return ui_; }
    bus::GpibBus& gpib() { return gpib_; }
    series::SeriesStore& store() { return store_; }
    IvState& ivState() { return ivState_; }
    series::TimeTable& timeTable() { return timeTable_; }
    IvChartView& chart() { return *chart_; }
    IvPanelController& ivPanel() { return *ivPanel_; }
    StartController& startAction() { return *start_; }
    QMenu* fileMenu() { return fileMenu_; }
    const QString& configDir() const { return options_.configDir; }
    journal::RecoveryJournal& journal() { return *journal_; }

    // The title shows the series file in use (empty: none) and, by Qt's [*] marker, whether
    // the store holds series that were never saved.
    void showSeriesFile(const QString& path);
    // The title as the window shows it: the marker drawn as "*" or left out.
    QString shownTitle() const;
    // Asks before an action that would drop unsaved series; true when there are none or the
    // operator agreed.
    bool mayDropUnsavedSeries(const QString& action);

    // Lets pending window messages run, as the long actions do between exchanges.
    void letEventsRun();
    // A pause of the design that keeps the window alive (events run while it lasts).
    void sleepMs(int milliseconds);

    void FormCreate();
    void FormClose();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void createControls();
    void createMenus();
    void addViewToggle(QMenu* menu, const QString& text, const std::vector<const char*>& names,
                       const std::vector<const char*>& enableAlso = {});
    void placePanels();
    void openJournal();
    void updateTitle();

    bus::GpibBus& gpib_;
    UiServices& ui_;
    FormOptions options_;
    Controls controls_;
    series::SeriesStore store_;
    IvState ivState_;
    series::TimeTable timeTable_;
    std::unique_ptr<IvChartView> chart_;
    std::vector<std::unique_ptr<PanelController>> controllers_;
    IvPanelController* ivPanel_ = nullptr;
    StartController* start_ = nullptr;
    ThermoController* thermo_ = nullptr;
    std::unique_ptr<journal::RecoveryJournal> journal_;
    QString seriesFile_;
    QMenu* fileMenu_ = nullptr;
    bool closed_ = false;
};

// A group of handlers of one panel or subsystem of the window.
class PanelController {
  public:
    explicit PanelController(TForm1& form) : form_(form) {}
    virtual ~PanelController() = default;
    // Connects the controls' signals to the handlers.
    virtual void wire() = 0;
    // Start-up work of this controller, in FormCreate's order (see TForm1::FormCreate).
    virtual void formCreate() {}
    virtual void formClose() {}

  protected:
    Controls& c() { return form_.controls(); }
    TForm1& form_;
};

}  // namespace tarvix::shell
