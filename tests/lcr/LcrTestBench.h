// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "bus/BusTranscript.h"
#include "bus/GpibBackend.h"
#include "bus/GpibBus.h"
#include "lcr/LcrHost.h"

// Readable failure output for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace tarvix::lcr::testing {

// An LCR meter on a script: answers FETC? with whatever `reply` gives for the frequency last
// sent and the number of FETC? queries before it. A null reply leaves the buffer untouched,
// as a silent meter does.
class ScriptedMeter : public bus::GpibBackend {
  public:
    using ReplyFunction = std::function<std::optional<std::string>(double hertz, int fetch)>;

    explicit ScriptedMeter(ReplyFunction reply) : reply_(std::move(reply)) {}

    int boardPresent() override { return 1; }
    int initialize(int, int) override { return 0; }
    int setTimeout(std::uint32_t) override { return 0; }
    int listenerPresent(int address) override { return address == 4 ? 1 : 0; }
    void send(int address, const char* command, int length, int* status) override;
    void enter(char* buffer, std::uint32_t maxLength, std::uint16_t* count, int address,
               int* status) override;

    int enterStatus = 0;
    std::deque<int> enterStatusQueue;  // statuses of the next reads, before enterStatus
    std::string failingCommand;        // a command whose send fails with status 8

  private:
    ReplyFunction reply_;
    double frequency_ = 0;
    int fetches_ = 0;
    std::optional<std::string> pending_;
};

// The host of a window, recording what the sweep and chart asked of it.
class RecordingHost : public LcrHost {
  public:
    void showMessage(const QString& text) override {
        messages.append(text);
        if (whileMessageShows) {
            whileMessageShows();
        }
    }
    void processEvents() override {
        ++eventRuns;
        if (whileEventsRun) {
            whileEventsRun();
        }
    }
    bool endRequested() const override { return ending; }
    void showLastData(const QString& text) override { lastData.append(text); }
    void showChart(const QImage& chart) override {
        ++chartsShown;
        lastChart = chart;
    }

    // Runs while a message box is open, as the window's events would.
    std::function<void()> whileMessageShows;
    // Runs when the sweep lets events run after a point.
    std::function<void()> whileEventsRun;
    bool ending = false;
    QStringList messages;
    QStringList lastData;
    int eventRuns = 0;
    int chartsShown = 0;
    QImage lastChart;
};

// A bus to a scripted meter, with the transcript of every call.
struct MeterBench {
    explicit MeterBench(ScriptedMeter::ReplyFunction reply);

    // Commands sent, without the "send 4 0 " prefix.
    QStringList sentCommands() const;
    // The frequency texts of the CONF:FREQ commands after the set-up.
    QStringList sweptFrequencies() const;

    bus::BusTranscript transcript;
    ScriptedMeter* meter = nullptr;
    std::unique_ptr<bus::GpibBus> bus;
};

// A meter reply with a secondary value, as the 7600 sends it.
std::string replyWithSecondary(double primary, double secondary);
// A meter reply with the primary only.
std::string replyPrimaryOnly(double primary);

// Runs each test in an empty temporary current folder, for the .frq files.
class InTemporaryFolder {
  public:
    InTemporaryFolder();
    ~InTemporaryFolder();
    QString path(const QString& name) const { return folder_.filePath(name); }
    QByteArray read(const QString& name) const;

  private:
    QTemporaryDir folder_;
    QString previous_;
};

}  // namespace tarvix::lcr::testing
