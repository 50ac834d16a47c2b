// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "shell/FormFixture.h"

using namespace tarvix;
using namespace tarvix::shell::testing;

namespace {

// Every button that starts something on the bus.
const char* const kBusButtons[] = {"Button1",  "Button20", "Button21", "Button23", "Button27",
                                   "Button30", "Button32", "Button34", "Button35"};

const QString kQuietBench = QStringLiteral("sim:noise=0,latency=0");

// The window on the simulated bench; the .frq file of a sweep goes to a folder of its own.
class BenchSharing : public FormFixture {
  protected:
    void SetUp() override {
        previous = QDir::currentPath();
        QDir::setCurrent(folder.path());
    }
    void TearDown() override {
        FormFixture::TearDown();
        QDir::setCurrent(previous);
    }

    QTimer* timer1() { return form->findChild<QTimer*>(QStringLiteral("Timer1")); }
    void tick() { QMetaObject::invokeMethod(timer1(), "timeout", Qt::DirectConnection); }
    // What a click does once it reaches the handler, whether the button is enabled or not.
    void press(const char* name) {
        QMetaObject::invokeMethod(c().anyButton(QString::fromLatin1(name)), "clicked",
                                  Qt::DirectConnection);
    }
    QString lastSentTo(int address) const {
        const QStringList sent = sentTo(address);
        return sent.isEmpty() ? QString() : sent.last();
    }
    bool parametersSaved() const { return QFile::exists(configDir.filePath("Parameters.dat")); }
    QStringList enabledBusButtons() {
        QStringList enabled;
        for (const char* name : kBusButtons) {
            if (c().anyButton(QString::fromLatin1(name))->isEnabled()) {
                enabled << QString::fromLatin1(name);
            }
        }
        return enabled;
    }

    QTemporaryDir folder;
    QString previous;
};

}  // namespace

// While the four-probe run holds the bus every start waits, a start that gets through is
// refused with the reason, and no I-V exchange lands in the middle of the run.
TEST_F(BenchSharing, AnIvStartDuringAFourProbeRunIsRefused) {
    startForm(kQuietBench);
    click("Button27");
    ASSERT_TRUE(timer1()->isActive());
    EXPECT_EQ(enabledBusButtons(), QStringList());
    transcript.clear();
    press("Button1");
    press("Button32");
    EXPECT_TRUE(transcript.lines().isEmpty()) << transcript.lines().join('\n').toStdString();
    ASSERT_EQ(ui.messages().size(), 2);
    EXPECT_EQ(ui.messages()[0],
              "\"4 probe Start\" is using the instruments; \"Start\" can start "
              "when it has ended.");
    EXPECT_TRUE(timer1()->isActive());

    tick();
    click("Button28");
    tick();
    EXPECT_FALSE(timer1()->isActive());
    EXPECT_EQ(lastSentTo(24), ":OUTP OFF");
    EXPECT_EQ(enabledBusButtons().size(), std::size(kBusButtons));
}

// With no board nothing but the board check reaches the bus, whatever is pressed.
TEST_F(BenchSharing, NoBoardMeansNoBusCallsFromAnyStartButton) {
    startForm(QStringLiteral("none"));
    EXPECT_EQ(text("Button1"), "NO GRIB");
    EXPECT_EQ(enabledBusButtons(), QStringList());
    for (const char* name : kBusButtons) {
        press(name);
    }
    for (const QString& line : transcript.lines()) {
        EXPECT_TRUE(line.startsWith("board-present")) << line.toStdString();
    }
    ASSERT_EQ(ui.messages().size(), std::size(kBusButtons));
    for (const QString& message : ui.messages()) {
        EXPECT_TRUE(message.startsWith("There is no GPIB board")) << message.toStdString();
    }
}

// A fault injected at each instrument of the four-probe bench, at the set-up (every send
// fails) or at the readings (every read fails): the run ends with the output off and says why.
TEST_F(BenchSharing, FourProbeFaultsOnTheSimulatedBench) {
    struct Case {
        const char* fault;
        bool lcr;
        const char* messageStart;
        const char* missingReadout;  // the read-out that shows the missing value, if any
    };
    const Case cases[] = {
        {"send:24", false,
         "4 probe Start was not started: the instrument at address 24 failed on \"*RST\"", nullptr},
        {"send:16", false,
         "4 probe Start was not started: the instrument at address 16 failed on \"*RST\"", nullptr},
        {"send:4", true,
         "4 probe Start was not started: the instrument at address 4 failed on \"CONF:MAC FAS\"",
         nullptr},
        {"enter:24", false,
         "4 probe Start was ended: 3 failed readings in a row. 3 of 3 samples are stored as "
         "missing.",
         "Edit50"},
        {"enter:16", false,
         "4 probe Start was ended: 3 failed readings in a row. 3 of 3 samples are stored as "
         "missing.",
         "Edit51"},
        {"enter:4", true,
         "4 probe Start was ended: 3 failed readings in a row. 3 of 3 samples are stored as "
         "missing.",
         "Edit50"},
    };
    for (const Case& fault : cases) {
        SCOPED_TRACE(fault.fault);
        freshConfigFolder();  // the last case's record is not brought back
        const qsizetype before = ui.messages().size();
        startForm(kQuietBench + QStringLiteral(",fail=") + fault.fault);
        setChecked("CheckBox48", fault.lcr);
        setChecked("RadioButton82", true);
        click("Button27");
        for (int i = 0; i < 4 && timer1()->isActive(); ++i) {
            tick();
        }
        EXPECT_FALSE(timer1()->isActive());
        const QStringList messages = ui.messages().mid(before);
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].startsWith(fault.messageStart)) << messages[0].toStdString();
        EXPECT_EQ(lastSentTo(24), ":OUTP OFF");
        EXPECT_EQ(lastSentTo(16), ":rout:open:all");
        // The source goes on only after a set-up that went through, and only when it measures.
        EXPECT_EQ(sentTo(24).contains(":OUTP ON"), !fault.lcr && fault.missingReadout != nullptr);
        if (fault.missingReadout) {
            EXPECT_EQ(text(fault.missingReadout).trimmed(), "Nan");
            EXPECT_EQ(text("Edit54"), "3");
            // Ended by the failures, and the status line says so.
            const QString status = form->status().text();
            EXPECT_TRUE(
                status.startsWith("Four-probe: ended by a fault at T=") &&
                status.contains(QStringLiteral(" after 0:00: 3 failed readings in a row; last "
                                               "failure: the instrument at address %1 failed on ")
                                    .arg(QString::fromLatin1(fault.fault).mid(6))))
                << status.toStdString();
        }
        EXPECT_EQ(enabledBusButtons().size(), std::size(kBusButtons));
        form->close();
        form.reset();
        transcript.clear();
    }
}

// The LCR sweep on a meter that refuses its set-up or its readings: one message, the internal
// bias off on the way out, the points before the fault kept.
TEST_F(BenchSharing, LcrSweepFaultsOnTheSimulatedBench) {
    for (const char* fault : {"send:4", "enter:4"}) {
        SCOPED_TRACE(fault);
        const qsizetype before = ui.messages().size();
        startForm(kQuietBench + QStringLiteral(",fail=") + fault);
        setChecked("RadioButton69", true);  // internal bias
        click("Button32");
        const QStringList messages = ui.messages().mid(before);
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].startsWith(QString::fromLatin1(fault) == "send:4"
                                               ? "The frequency sweep was not started"
                                               : "The frequency sweep was ended"))
            << messages[0].toStdString();
        EXPECT_EQ(lastSentTo(4), "CONF:BIAS OFF");
        EXPECT_LE(sentTo(4).count("FETC?"), 3);
        if (QString::fromLatin1(fault) == "enter:4") {
            EXPECT_EQ(form->status().text(),
                      "LCR sweep: ended by a fault at 36.14 Hz after 0:00: 3 failed readings in a "
                      "row; last failure: the instrument at address 4 failed on \"FETC?\" "
                      "(status 3)");
        }
        EXPECT_FALSE(form->busOwner().busy());
        form->close();
        form.reset();
        transcript.clear();
    }
}

// Closing the window ends each running procedure at its next exchange, with its closing
// commands, and the window then closes (and saves its settings).
TEST_F(BenchSharing, ClosingTheWindowEndsEveryProcedure) {
    struct Case {
        const char* name;
        std::function<void()> start;
        int address;
        const char* lastCommand;
        const char* reading;  // the query of one reading
        int mostReadings;
    };
    const Case cases[] = {
        {"Termo", [this] { click("Button23"); }, 16, ":rout:open:all", ":READ?", 1},
        {"LCR sweep",
         [this] {
             setChecked("RadioButton69", true);
             click("Button32");
         },
         4, "CONF:BIAS OFF", "FETC?", 1},
        {"four-probe run between samples", [this] { click("Button27"); }, 24, ":OUTP OFF", ":READ?",
         1},
    };
    for (const Case& run : cases) {
        SCOPED_TRACE(run.name);
        startForm(kQuietBench);
        QTimer::singleShot(0, form.get(), [this] { form->close(); });
        run.start();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        EXPECT_EQ(lastSentTo(run.address), run.lastCommand);
        EXPECT_LE(sentTo(run.address).count(run.reading), run.mostReadings);
        EXPECT_FALSE(form->busOwner().busy());
        EXPECT_TRUE(parametersSaved());
        QFile::remove(configDir.filePath("Parameters.dat"));
        form.reset();
        transcript.clear();
    }
}
