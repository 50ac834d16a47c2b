// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include "shell/FormFixture.h"
#include "sim/Cryostat.h"
#include "text/Cp1251.h"
#include "text/DecimalParse.h"
#include "text/NumberText.h"

using namespace tarvix;
using namespace tarvix::shell;

namespace {

// A cryostat warming from 280 K to 300 K at a kelvin a second, read without noise.
const QString kWarmingBench = QStringLiteral("sim:noise=0,latency=0,temp=280..300@60");

// What the panel stores in degrees Celsius is kelvin minus 273.
constexpr double kZeroCelsius = 273.0;

class ThermoSimBenchTest : public shell::testing::FormFixture {
  protected:
    void SetUp() override { startForm(kWarmingBench); }

    QTimer* timer1() { return form->findChild<QTimer*>(QStringLiteral("Timer1")); }
    void tick() { QMetaObject::invokeMethod(timer1(), "timeout", Qt::DirectConnection); }

    void openFourProbePanel() {
        c().setVisible(QStringLiteral("GroupBox7"), true);
        setChecked("RadioButton59", true);
    }

    // Starts a run, takes `samples` samples, presses Stop and lets the sample that sees it
    // end the run.
    void measure(int samples) {
        click("Button27");
        for (int i = 0; i < samples; ++i) {
            tick();
        }
        click("Button28");
        tick();
    }

    // The file written under `name`, as lines.
    QStringList savedLines(const QString& name) {
        QFile file(files.filePath(name + QStringLiteral(".temp")));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QString content = text::fromCp1251(file.readAll());
        EXPECT_TRUE(content.endsWith(QStringLiteral("\r\n")));
        QStringList lines = content.split(QStringLiteral("\r\n"));
        lines.removeLast();
        return lines;
    }

    QTemporaryDir files;
};

double number(const QString& field) {
    const auto value = text::parseDecimal(field);
    EXPECT_TRUE(value.has_value()) << field.toStdString();
    return value.value_or(0);
}

// A sample of the warming cryostat: its temperature within the program, its resistance that
// of the thermistor at that temperature.
void expectPlausibleSample(double celsius, double ohms) {
    EXPECT_GE(celsius, 280 - kZeroCelsius - 0.5);
    EXPECT_LE(celsius, 300 - kZeroCelsius + 0.5);
    const double expected = sim::Cryostat::thermistorResistance(celsius + kZeroCelsius);
    EXPECT_NEAR(ohms, expected, expected * 0.01) << "at " << celsius << " C";
}

}  // namespace

TEST_F(ThermoSimBenchTest, RecordsWarmingSamplesAndSavesBothFiles) {
    openFourProbePanel();
    measure(4);  // the fifth sample sees Stop
    EXPECT_FALSE(timer1()->isActive());
    EXPECT_EQ(text("Edit54"), QStringLiteral("5"));
    expectPlausibleSample(number(text("Edit51")), number(text("Edit50")));
    EXPECT_FALSE(text("Label48").isEmpty());

    ui.queueAnswer(files.filePath(QStringLiteral("warming")));
    click("Button29");
    const QStringList data = savedLines(QStringLiteral("warming"));
    ASSERT_EQ(data.size(), 7 + 4);  // the newest sample is never written
    EXPECT_EQ(
        data[0],
        QStringLiteral("Четырех-зондовый метод измерения температурной зависимости сопротивления"));
    EXPECT_EQ(data[1], QStringLiteral("Описание: Comments"));
    EXPECT_EQ(data[4], QStringLiteral("Температура(°C) Сопротивление(Ом)    Время       "));
    EXPECT_EQ(data[5], QStringLiteral("Без усреднения"));
    double previous = -1000;
    for (int row = 7; row < data.size(); ++row) {
        const QStringList fields = data[row].split(QStringLiteral("       "));
        ASSERT_EQ(fields.size(), 3) << data[row].toStdString();
        const double celsius = number(fields[0]);
        expectPlausibleSample(celsius, number(fields[1]));
        EXPECT_GE(celsius, previous);  // the cryostat only warms
        previous = celsius;
    }

    EXPECT_TRUE(ui.messages().isEmpty()) << ui.messages().join('\n').toStdString();

    // Save 2 writes the thermocouple loop's record only: the four-probe columns mean other
    // things, and no file is asked for or written.
    ui.queueAnswer(files.filePath(QStringLiteral("pairs")));
    click("Button31");
    EXPECT_EQ(ui.messages(), QStringList{QStringLiteral("There is no thermocouple record to save: "
                                                        "the last run was a four-probe run.")});
    EXPECT_FALSE(QFile::exists(files.filePath(QStringLiteral("pairs.temp"))));
}

TEST_F(ThermoSimBenchTest, StartTranscriptAtTenMilliampsTwoWire) {
    openFourProbePanel();
    setChecked("RadioButton76", true);  // 10 mA
    setChecked("CheckBox44", true);     // two-wire
    setText("Edit52", QStringLiteral("20"));
    setText("Edit63", QStringLiteral("12"));
    transcript.clear();
    click("Button27");
    const QStringList expected{
        "timeout 1000",
        "send 24 0 *RST",
        "send 24 0 :SYST:RSEN OFF",
        "send 24 0 :SOUR:FUNC CURR",
        "send 24 0 :SOUR:CURR:MODE FIXED",
        "send 24 0 :SENS:FUNC \"VOLT\"",
        "send 24 0 :SOUR:CURR:RANG  2.00000000000000E-0002",
        "send 24 0 :SOUR:CURR:LEV  1.00000000000000E-0002",
        "send 24 0 :SENS:VOLT:PROT 20",
        "send 24 0 :FORM:ELEM VOLT",
        "send 16 0 *RST",
        "send 16 0 FUNC \"TEMP\"",
        "send 16 0 unit:temp K",
        "send 16 0 temp:rjun:rsel real",
        "send 16 0 rout:clos (@1)",
        "send 24 0 :OUTP ON",
    };
    EXPECT_EQ(transcript.lines(), expected);

    transcript.clear();
    tick();
    EXPECT_EQ(sentTo(16).mid(0, 3), QStringList({"FUNC \"VOLT:DC\"", "rout:clos (@12)", ":READ?"}));
    // Tens of kilohms at 10 mA drive the source unit into its 20 V compliance.
    EXPECT_EQ(text("Edit50"), text::defaultReal(20.0 / 1e-2));
}
