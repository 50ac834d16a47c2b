// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "bus/BusOwner.h"
#include "bus/GpibBus.h"
#include "journal/JournalLock.h"
#include "series/SeriesStore.h"
#include "series/TimeTable.h"
#include "shell/Controls.h"
#include "shell/DatabaseLocation.h"
#include "shell/IvState.h"
#include "shell/UiServices.h"
#include "status/StatusService.h"

class QAction;
class QMenu;

namespace tarvix::journal {
class RecoveryJournal;
}

namespace tarvix::shell {

class ButtonRefusals;
class IvChartView;
class IvPanelController;
class LcrController;
class PanelController;
class StartController;
class DatabaseLink;
class StatusLine;
class WindowMenus;
class ThermoController;

struct FormOptions {
    FormOptions(QString configDir, DatabaseChoice database,
                std::unique_ptr<journal::JournalLock> databaseLock = {}, bool readOnly = false)
        : configDir(std::move(configDir)),
          database(std::move(database)),
          databaseLock(std::move(databaseLock)),
          readOnly(readOnly) {}

    QString configDir;  // folder of Parameters.dat
    DatabaseChoice database;
    std::unique_ptr<journal::JournalLock> databaseLock;  // taken at start; none: the journal's own
    // Another program measures into the database: History only, nothing is measured.
    bool readOnly = false;
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
    bus::BusOwner& busOwner() { return busOwner_; }
    // The bus for `procedure`, or nothing after telling the operator why it cannot start.
    std::optional<bus::BusLease> acquireBus(const QString& procedure,
                                            std::function<void()> shutdown = {});
    series::SeriesStore& store() { return store_; }
    IvState& ivState() { return ivState_; }
    series::TimeTable& timeTable() { return timeTable_; }
    IvChartView& chart() { return *chart_; }
    IvPanelController& ivPanel() { return *ivPanel_; }
    StartController& startAction() { return *start_; }
    QMenu* fileMenu();
    WindowMenus& menus() { return *menus_; }
    status::StatusService& status() { return status_; }
    ButtonRefusals& refusals() { return *refusals_; }
    const QString& configDir() const { return options_.configDir; }
    journal::RecoveryJournal& journal() { return *journal_; }
    // The database is read alone (another program measures into it): nothing is measured.
    bool readOnly() const { return options_.readOnly; }
    // A button that starts something on the bus.
    static bool startsOnTheBus(const QString& name);

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
    void placePanels();
    void openJournal();
    void updateTitle();
    void updateBusButtons();
    void closeWhenBusFree();

    bus::GpibBus& gpib_;
    bus::BusOwner busOwner_;
    UiServices& ui_;
    FormOptions options_;
    Controls controls_;
    series::SeriesStore store_;
    IvState ivState_;
    series::TimeTable timeTable_;
    status::StatusService status_;
    std::unique_ptr<StatusLine> statusLine_;
    std::unique_ptr<WindowMenus> menus_;
    ButtonRefusals* refusals_ = nullptr;
    std::unique_ptr<IvChartView> chart_;
    std::vector<std::unique_ptr<PanelController>> controllers_;
    IvPanelController* ivPanel_ = nullptr;
    StartController* start_ = nullptr;
    ThermoController* thermo_ = nullptr;
    LcrController* lcr_ = nullptr;
    std::unique_ptr<journal::RecoveryJournal> journal_;
    std::unique_ptr<DatabaseLink> databaseLink_;
    QString seriesFile_;
    bool closed_ = false;
    bool closeWhenFree_ = false;  // a close came while a procedure held the bus
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
    // The window is asked to close while a procedure holds the bus: end it at its next exchange.
    virtual void closeRequested() {}

  protected:
    Controls& c() { return form_.controls(); }
    TForm1& form_;
};

}  // namespace tarvix::shell
