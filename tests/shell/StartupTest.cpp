// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>
#include <QScrollBar>

#include "shell/FormFixture.h"
#include "shell/ParametersFile.h"

using namespace tarvix::shell;
using namespace tarvix::shell::testing;

namespace {

class Startup : public FormFixture {
  protected:
    void writeParameters(const QByteArray& content) {
        QFile file(configDir.filePath("Parameters.dat"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QByteArray readParameters() {
        QFile file(configDir.filePath("Parameters.dat"));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }
    static QByteArray lines(const QList<QByteArray>& lines) {
        QByteArray content;
        for (const QByteArray& line : lines) {
            content += line + "\r\n";
        }
        return content;
    }
    static QList<QByteArray> fullFile(const QByteArray& first) {
        return {first, "0", "3",  "3",  "0", "0",    "-3",    "-3",   "0",   "0", "3", "3",
                "0",   "0", "-3", "-3", "0", "1E-5", "-1E-5", "-3,5", "3,5", "0", "0"};
    }
};

}  // namespace

TEST_F(Startup, RestoresEveryLineAsIfTyped) {
    writeParameters(lines(fullFile("1")));
    startForm();
    EXPECT_TRUE(checked("CheckBox39"));
    EXPECT_EQ(text("Edit10"), "3");
    EXPECT_EQ(text("Edit12"), "3");
    EXPECT_EQ(text("Edit40"), "0.075000");  // the plan was rebuilt
    EXPECT_EQ(text("Edit2"), "-3.5");       // a comma in the voltage limits becomes a point
    EXPECT_EQ(text("Edit3"), "3.5");
    EXPECT_EQ(text("Edit5"), "1E-5");
    EXPECT_FALSE(checked("CheckBox35"));
    EXPECT_FALSE(checked("CheckBox13"));
    EXPECT_DOUBLE_EQ(form->ivState().voltageMax, 3.5);
    EXPECT_EQ(text("Label10"), "ok!");
}

TEST_F(Startup, AFirstLineOtherThanOneKeepsTheDefaults) {
    for (const QByteArray& first : {QByteArray("0"), QByteArray("1 ")}) {
        writeParameters(lines(fullFile(first)));
        startForm();
        EXPECT_FALSE(checked("CheckBox39"));
        EXPECT_EQ(text("Edit10"), "2");
        EXPECT_EQ(text("Edit2"), "-2");
        form->close();
        const QByteArray saved = readParameters();
        EXPECT_TRUE(saved.startsWith("0\r\n0\r\n2\r\n2\r\n")) << saved.constData();
        EXPECT_EQ(saved.count("\r\n"), 23);
        form.reset();
    }
}

// A line that is no number for its edit is set aside: the edit keeps its design text, the plan
// stays valid, and one message names every line set aside. A comma is a number only in the
// voltage limits.
TEST_F(Startup, LinesThatAreNoNumbersKeepTheDefaultsAndAreNamedOnce) {
    QList<QByteArray> commas = fullFile("1");
    commas[2] = "1,5";
    commas[17] = "1E-5x";
    QList<QByteArray> tooShort = {"1", "0", "2"};
    struct Case {
        QList<QByteArray> file;
        const char* edit10;
        const char* edit12;
        const char* edit5;
        QString message;
    };
    QStringList missing;
    for (int line = 4; line <= 21; ++line) {
        static const char* const names[] = {"Edit12", "Edit11", "Edit14", "Edit13", "Edit16",
                                            "Edit15", "Edit18", "Edit17", "Edit20", "Edit19",
                                            "Edit22", "Edit21", "Edit8",  "Edit23", "Edit5",
                                            "Edit4",  "Edit2",  "Edit3"};
        missing << QStringLiteral("line %1 (%2)").arg(line).arg(names[line - 4]);
    }
    const Case cases[] = {
        {commas, "2", "3", "1.5E-5",
         "Parameters.dat: line 3 (Edit10), line 18 (Edit5) did not hold a number; those fields "
         "keep their default values."},
        {tooShort, "2", "2", "1.5E-5",
         "Parameters.dat: " + missing.join(", ") +
             " did not hold a number; those fields keep their default values."},
    };
    for (const Case& c : cases) {
        writeParameters(lines(c.file));
        const qsizetype before = ui.messages().size();
        startForm();
        EXPECT_EQ(text("Edit10"), c.edit10);
        EXPECT_EQ(text("Edit12"), c.edit12);
        EXPECT_EQ(text("Edit5"), c.edit5);
        EXPECT_EQ(text("Label10"), "ok!");
        EXPECT_EQ(ui.messages().mid(before), QStringList{c.message});
        form.reset();
    }
}

TEST_F(Startup, CloseWritesTheTwentyThreeLines) {
    startForm();
    setText("Edit3", "5");
    setChecked("CheckBox35", false);
    form->close();
    const QByteArray expected =
        lines({"1", "0", "2",  "2",  "0", "0",      "-2",      "-2", "0", "0", "2", "2",
               "0", "0", "-2", "-2", "0", "1.5E-5", "-1.5E-5", "-2", "5", "0", "1"});
    EXPECT_EQ(readParameters(), expected);
}

TEST_F(Startup, AFileThatCannotBeWrittenIsReportedAndTheWindowStillCloses) {
    QDir(configDir.path()).mkdir("Parameters.dat");  // a folder where the file should be
    startForm();
    form->close();
    EXPECT_TRUE(form->isHidden());
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(ui.messages().front().contains("Parameters.dat"));
}

TEST_F(Startup, PlanEditsBehaveAsTyped) {
    startForm();
    setText("Edit10", "3");
    EXPECT_EQ(text("Edit12"), "3");
    EXPECT_EQ(text("Edit40"), "0.075000");
    setText("Edit41", "0");
    EXPECT_EQ(text("Label10"), "error!");
    EXPECT_EQ(text("Edit40"), "0.075000");
    setText("Edit41", "40");
    setText("Edit10", "2");
    setChecked("RadioButton4", true);
    setText("Edit40", "0.3");
    EXPECT_EQ(text("Edit41"), "7");
    EXPECT_EQ(text("Label10"), "ok!");
    setText("Edit13", "-5");
    EXPECT_EQ(text("Edit16"), "-5");
    setChecked("CheckBox9", true);
    EXPECT_TRUE(checked("CheckBox8"));
}

TEST_F(Startup, BarsFollowTheLimitsAndPushEachOther) {
    startForm();
    c().scrollBar("ScrollBar1")->setValue(7500);
    EXPECT_FLOAT_EQ(form->ivState().manualVoltage, 1.0f);
    EXPECT_EQ(text("Label23"), "1");
    c().scrollBar("ScrollBar2")->setValue(5000);
    EXPECT_EQ(c().scrollBar("ScrollBar1")->value(), 5000);
    EXPECT_EQ(text("Label24"), "0");
    c().scrollBar("ScrollBar1")->setValue(6000);
    EXPECT_EQ(c().scrollBar("ScrollBar2")->value(), 6000);
    setText("Edit3", "4");
    EXPECT_FLOAT_EQ(form->ivState().manualVoltage, 1.6f);
}

TEST_F(Startup, RegimeButtonsShowTheirControls) {
    startForm();
    setChecked("RadioButton75", true);
    EXPECT_TRUE(c().widget("ScrollBar2")->isHidden());
    EXPECT_EQ(c().widget("ScrollBar1")->height(), 40);
    EXPECT_EQ(text("Edit41"), "1");
    EXPECT_EQ(text("Edit40"), "2.000000");
    setChecked("RadioButton2", true);
    EXPECT_EQ(text("Edit41"), "40");
    EXPECT_EQ(c().widget("ScrollBar1")->height(), 17);
    setChecked("RadioButton1", true);
    EXPECT_TRUE(c().widget("Edit6")->isHidden());
    EXPECT_TRUE(c().widget("Label4")->isHidden());
}
