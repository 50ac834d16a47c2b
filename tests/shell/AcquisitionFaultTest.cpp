// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTimer>
#include <cstring>
#include <functional>
#include <vector>

#include "bus/BusTranscript.h"
#include "buses/createBus.h"
#include "shell/FaultingBackend.h"
#include "shell/FormFixture.h"

using namespace tarvix;
using namespace tarvix::shell::testing;

namespace {

class AcquisitionFault : public FormFixture {
  protected:
    FaultingBackend* startFaulty(const QString& sim) {
        QString error;
        auto faulty = std::make_unique<FaultingBackend>(buses::createBackend(sim, &error));
        FaultingBackend* raw = faulty.get();
        gpib = std::make_unique<bus::GpibBus>(
            std::make_unique<bus::TranscriptBackend>(std::move(faulty), transcript));
        ui.setEcho(false);
        form.reset();
        forgetJournal();
        form = std::make_unique<shell::TForm1>(*gpib, ui, shell::FormOptions{configDir.path(), {}});
        return raw;
    }
    // A 2400 learnt at address 24 by an earlier Start: the next Start does not scan.
    void knowThe2400() {
        form->ivState().smuModelAt = {{24, 2400}};
        form->ivState().sourceMeterModel = 2400;
    }
};

const QString kOff24 = QStringLiteral(":OUTP OFF");
const QString kOff26 = QStringLiteral("smua.source.output = smua.OUTPUT_OFF");

}  // namespace

// Every I-V path, with a fault at its set-up and at a reading: the action ends at once with
// one message naming what failed, the last command the source-measure unit got is the
// output-off, and what was measured before the fault is kept while the failed point is not.
TEST_F(AcquisitionFault, EveryPathEndsWithTheOutputOffAndKeepsWhatWasMeasured) {
    using SetUp = std::function<void()>;
    const SetUp sweep = [] {};
    const SetUp tsp = [this] { setChecked("RadioButton90", true); };
    const SetUp pico = [this] { setChecked("CheckBox38", true); };
    const SetUp resistance = [this] { setChecked("RadioButton1", true); };
    const SetUp current = [this] {
        c().anyButton("RadioButton3")->setEnabled(true);
        setChecked("RadioButton3", true);
    };
    const SetUp manual = [this] { setChecked("RadioButton75", true); };
    const SetUp hold = [this] { setChecked("CheckBox49", true); };
    const SetUp timeRun = [this] {
        setChecked("CheckBox42", true);
        setText("Edit41", "1");
    };
    struct Case {
        const char* name;
        SetUp setUp;
        bool the2636;  // a 2636A bench (scanned at every Start) instead of a known 2400
        const char* button;
        int faultAddress;
        Fault fault;
        int from;
        bool switchedOn;  // the output was switched on before the fault
        const char* message;
        int seriesCount;
        int keptPoints;
    };
    const Case cases[] = {
        {"sweep set-up", sweep, false, "Button1", 24, Fault::Send, 1, false,
         "address 24 did not take the command \"*RST\"", 0, 0},
        {"sweep reading", sweep, false, "Button1", 24, Fault::Enter, 4, true,
         "No reply could be read from address 24 after \":READ?\"", 2, 3},
        {"sweep reply", sweep, false, "Button1", 24, Fault::Garble, 2, true,
         "The reply of address 24 to \":READ?\" is not a number: \"abc\"", 2, 1},
        {"sweep first level", sweep, false, "Button1", 24, Fault::Send, 9, true,
         "could not be switched off (\":OUTP OFF\" failed", 0, 0},
        {"2636A set-up", tsp, true, "Button1", 26, Fault::Send, 2, false,
         "address 26 did not take the command \"localnode.prompts = 0\"", 0, 0},
        {"2636A reading", tsp, true, "Button1", 26, Fault::Enter, 3, true,
         "address 26 after \"print(smua.measure.i())\"", 2, 1},
        {"picoammeter set-up", pico, false, "Button1", 14, Fault::Send, 1, false,
         "address 14 did not take the command \"*RST\"", 0, 0},
        {"picoammeter reading", pico, false, "Button1", 14, Fault::Enter, 4, true,
         "address 14 after \"READ?\"", 2, 1},
        {"resistance set-up", resistance, false, "Button1", 24, Fault::Send, 1, false, "\"*RST\"",
         0, 0},
        {"resistance reading", resistance, false, "Button1", 24, Fault::Enter, 1, true,
         "address 24 after \":READ?\"", 0, 0},
        {"current sweep set-up", current, false, "Button1", 24, Fault::Send, 1, false, "\"*RST\"",
         0, 0},
        {"current sweep reading", current, false, "Button1", 24, Fault::Enter, 6, true,
         "address 24 after \":READ?\"", 1, 5},
        {"manual set-up", manual, false, "Button1", 24, Fault::Send, 1, false, "\"*RST\"", 0, 0},
        {"manual reading", manual, false, "Button1", 24, Fault::Enter, 1, true,
         "address 24 after \":READ?\"", 0, 0},
        {"hold reading", hold, false, "Button1", 24, Fault::Enter, 1, true,
         "address 24 after \":READ?\"", 0, 0},
        {"time dependence reading", timeRun, false, "Button1", 24, Fault::Enter, 3, true,
         "address 24 after \":READ?\"", 2, 2},
        {"2636A test set-up", sweep, true, "Button20", 26, Fault::Send, 1, false,
         "\"localnode.prompts = 0\"", 0, 0},
        {"2636A test reading", sweep, true, "Button20", 26, Fault::Enter, 1, true,
         "No reply could be read from address 26", 0, 0},
        {"2636A test reply", sweep, true, "Button20", 26, Fault::Garble, 1, true,
         "The reply of address 26 to \"print(smua.measure.i())\" is not a number: \"abc\"", 0, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        freshConfigFolder();
        transcript.clear();
        gpib.reset();
        // A fault from the first exchange on is the simulated bench's own injection.
        QString bench = k.the2636 ? QStringLiteral("sim:noise=0,latency=0,smu=2636A")
                                  : QStringLiteral("sim:noise=0,latency=0");
        bench += QStringLiteral(",sample=resistor:1000000");
        const bool benchFault = k.from == 1 && k.fault != Fault::Garble;
        if (benchFault) {
            bench += QStringLiteral(",fail=%1:%2")
                         .arg(k.fault == Fault::Send ? "send" : "enter")
                         .arg(k.faultAddress);
        }
        FaultingBackend* backend = startFaulty(bench);
        if (!k.the2636) {
            knowThe2400();
        }
        setText("Edit10", "1");
        k.setUp();
        if (!checked("CheckBox42")) {
            setText("Edit41", "10");
        }
        if (!benchFault) {
            backend->arm(k.faultAddress, k.fault, k.from);
        }
        const qsizetype messagesBefore = ui.messages().size();
        click(k.button);

        const int smu = k.the2636 ? 26 : 24;
        const QString off = k.the2636 ? kOff26 : kOff24;
        const QStringList toSmu = sentTo(smu);
        ASSERT_FALSE(toSmu.isEmpty());
        EXPECT_EQ(toSmu.last(), off);
        EXPECT_EQ(toSmu.count(off), 1);
        EXPECT_EQ(toSmu.contains(k.the2636 ? QStringLiteral("smua.source.output = smua.OUTPUT_ON")
                                           : QStringLiteral(":OUTP ON")),
                  k.switchedOn);
        ASSERT_EQ(ui.messages().size(), messagesBefore + 1);
        EXPECT_TRUE(ui.messages().last().contains(QString::fromLatin1(k.message)))
            << ui.messages().last().toStdString();
        // The status line tells the fault, however much was kept; for a reading, at the level
        // the fault came at.
        const QString status = form->status().text();
        if (QByteArray(k.button) == "Button1") {
            const QRegularExpressionMatch fault =
                QRegularExpression(QStringLiteral("^[A-Za-z -]+: ended by a fault (at \\S+ [VA] )?"
                                                  "after \\d:\\d\\d: (.+)$"))
                    .match(status);
            EXPECT_TRUE(fault.hasMatch() && ui.messages().last().startsWith(fault.captured(2)))
                << status.toStdString();
        }
        if (QByteArray(k.name) == "sweep reading") {
            const QStringList levels = toSmu.filter(QStringLiteral(":SOUR:VOLT:LEV "));
            ASSERT_FALSE(levels.isEmpty());
            const double level = levels.last().mid(15).trimmed().toDouble();
            EXPECT_TRUE(status.startsWith(
                QStringLiteral("Voltage sweep: ended by a fault at %1 V after 0:00: No reply")
                    .arg(level, 0, 'g', 4)))
                << status.toStdString();
        }
        const auto& store = form->store();
        EXPECT_EQ(store.seriesCount, k.seriesCount);
        EXPECT_EQ(store.storedCount(1, 1) + store.liveCount(1), k.keptPoints);
        EXPECT_TRUE(c().widget("Button1")->isEnabled());
        EXPECT_TRUE(form->ivState().stopRequested);
        form->close();
        form.reset();
        QFile::remove(configDir.filePath("Parameters.dat"));  // each case from the design state
    }
}

// EXT ON and EXT OFF are checked, and a window closed with the external bias on switches it
// off, checked: a failure names the address and the command.
TEST_F(AcquisitionFault, BiasCommandsAreCheckedAndTheCloseSwitchesTheBiasOff) {
    struct Case {
        const char* name;
        const char* benchFault;          // the simulated bench's own fault, from the start
        std::vector<const char*> press;  // before the close
        bool failAtClose;                // the meter refuses every send from the close on
        QStringList sentAtClose;
        const char* message;  // the last message, from its start; empty: none
    };
    const QString off = QStringLiteral("CONF:BIAS OFF");
    const Case cases[] = {
        {"EXT OFF refused",
         "send:4",
         {"Button34"},
         false,
         {},
         "EXT OFF failed: the instrument at address 4 failed on \"CONF:BIAS OFF\" (status "},
        {"EXT ON refused",
         "send:4",
         {"Button35"},
         false,
         {},
         "EXT ON failed: the instrument at address 4 failed on \"CONF:BIAS EXT\" (status "},
        {"closed with the bias on", "", {"Button35"}, false, {off}, ""},
        {"closed with the bias on, refused",
         "",
         {"Button35"},
         true,
         {off},
         "The external bias was not switched off as the window closed: the instrument at "
         "address 4 failed on \"CONF:BIAS OFF\""},
        {"closed after EXT OFF", "", {"Button35", "Button34"}, false, {}, ""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        freshConfigFolder();
        gpib.reset();
        QString bench = QStringLiteral("sim:noise=0,latency=0");
        if (*k.benchFault != '\0') {
            bench += QStringLiteral(",fail=") + QString::fromLatin1(k.benchFault);
        }
        FaultingBackend* backend = startFaulty(bench);
        const qsizetype before = ui.messages().size();
        for (const char* button : k.press) {
            click(button);
        }
        if (k.failAtClose) {
            backend->arm(4, Fault::Send, 1);
        }
        transcript.clear();
        form->close();
        EXPECT_EQ(sentTo(4), k.sentAtClose);
        const QStringList messages = ui.messages().mid(before);
        EXPECT_LE(messages.size(), 1);
        const QString last = messages.isEmpty() ? QString() : messages.last();
        EXPECT_TRUE(*k.message == '\0' ? last.isEmpty() : last.startsWith(k.message))
            << last.toStdString();
        if (QByteArray(k.message).contains("BIAS OFF")) {
            EXPECT_TRUE(last.endsWith("The bias may still be on: switch it off at the meter."));
        }
        form.reset();
    }
}
