// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTimer>

#include "shell/ScriptRunner.h"
#include "shell/SeriesFilesFixture.h"

using namespace tarvix;
using namespace tarvix::shell;
using namespace tarvix::shell::testing;

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");

// The LCR sweep writes its .frq file into the current folder: the test's own, here.
class TidyCsvExport : public SeriesFilesFixture {
  protected:
    void SetUp() override {
        SeriesFilesFixture::SetUp();
        previous = QDir::currentPath();
        QDir::setCurrent(files.path());
    }
    void TearDown() override {
        SeriesFilesFixture::TearDown();
        QDir::setCurrent(previous);
    }

    // Runs menu entries as a recipe does: the dialog's answer, then a click on the action.
    int exportWith(const QList<std::pair<QString, QString>>& actionsAndAnswers) {
        QStringList recipe;
        for (const auto& [action, answer] : actionsAndAnswers) {
            recipe << QStringLiteral("answer ") + answer << QStringLiteral("click ") + action;
        }
        ScriptRunner runner(*form, ui);
        return runner.run(recipe);
    }
    // What Python's csv module and pandas read from each file.
    QJsonArray readBack(const QStringList& paths) {
        QProcess python;
        python.start(
            kPython,
            QStringList{QStringLiteral(TARVIX_SOURCE_DIR "/tests/shell/read_tidy_csv.py")} + paths);
        python.waitForFinished(60000);
        const QByteArray out = python.readAllStandardOutput();
        EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        return QJsonDocument::fromJson(out).array();
    }
    static QStringList texts(const QJsonValue& array) {
        QStringList result;
        for (const QJsonValue& value : array.toArray()) {
            result << value.toString();
        }
        return result;
    }
    static double number(const QJsonObject& table, int row, int column) {
        return table[QStringLiteral("rows")].toArray()[row].toArray()[column].toString().toDouble();
    }
    void takeFourProbeSamples(int samples) {
        c().setVisible(QStringLiteral("GroupBox7"), true);
        setChecked("RadioButton59", true);
        click("Button27");
        auto* timer1 = form->findChild<QTimer*>(QStringLiteral("Timer1"));
        for (int i = 0; i < samples; ++i) {
            QMetaObject::invokeMethod(timer1, "timeout", Qt::DirectConnection);
        }
        click("Button28");
        QMetaObject::invokeMethod(timer1, "timeout", Qt::DirectConnection);
    }

    QString previous;
};

}  // namespace

// One file of each kind, written through the menu and read back as a user's script would.
TEST_F(TidyCsvExport, EachTableReadsBackInPythonWithItsColumnsValuesAndHeading) {
    if (!QFileInfo(kPython).isExecutable() ||
        QProcess::execute(kPython, {QStringLiteral("-c"), QStringLiteral("import pandas")}) != 0) {
        GTEST_SKIP() << "no pandas for /usr/bin/python3";
    }
    storePoints(1, 1, {{1.0f, 100e-6f}, {-1.0f, -2e-6f}});
    storePoints(2, 1, {{0.5f, 1e-3f}});
    store().segmentLabel(1, 1) = QStringLiteral("up, to #1 \"fast\"");
    store().seriesCount = 2;
    saveAs(path("run.ktl"));
    setText("Edit44", QStringLiteral("sample 7, annealed"));
    setChecked("RadioButton84", true);  // 1K
    setChecked("CheckBox50", true);     // ABS for log
    takeFourProbeSamples(3);
    setChecked("RadioButton25", true);  // primary C parallel
    setChecked("RadioButton46", true);  // secondary dissipation
    click("Button32");
    ASSERT_EQ(exportWith({{QStringLiteral("ExportTidyCsv"), path("run")},
                          {QStringLiteral("ExportTidyRecordCsv"), path("rt.csv")},
                          {QStringLiteral("ExportTidySweepCsv"), path("lcr.csv")}}),
              0);

    const QJsonArray tables = readBack({path("run.csv"), path("rt.csv"), path("lcr.csv")});
    ASSERT_EQ(tables.size(), 3);

    const QJsonObject series = tables[0].toObject();
    EXPECT_EQ(texts(series["heading"]),
              QStringList({"series", "segment", "point", "voltage_V", "current_A", "label",
                           "voltage_corrected_V", "current_corrected_A", "compliance"}));
    const QStringList comments = texts(series["comments"]);
    EXPECT_EQ(comments.value(0), QStringLiteral("# program: Tarvix 1.1"));
    EXPECT_EQ(comments.value(1), QStringLiteral("# source: ") + path("run.ktl"));
    EXPECT_TRUE(comments.contains(QStringLiteral("# comment: sample 7, annealed")));
    EXPECT_TRUE(comments.last().startsWith(QStringLiteral("# corrections: ")));
    ASSERT_EQ(series["rows"].toArray().size(), 3);
    const QStringList first = texts(series["rows"].toArray()[0]);
    EXPECT_EQ(first.mid(0, 6), QStringList({"1", "1", "1", "1.0", "1e-04", "up, to #1 \"fast\""}));
    // Measured values first, then the corrected ones: 1 V - 100 uA x 1042 Ohm, |-2 uA|.
    EXPECT_FLOAT_EQ(number(series, 0, 6), 0.8958f);
    EXPECT_FLOAT_EQ(number(series, 1, 4), -2e-6f);
    EXPECT_FLOAT_EQ(number(series, 1, 7), 2e-6f);
    EXPECT_EQ(texts(series["rows"].toArray()[2]).mid(0, 3), QStringList({"1", "2", "1"}));
    const QJsonObject seriesTypes = series["dtypes"].toObject();
    EXPECT_EQ(seriesTypes["series"].toString(), QStringLiteral("int64"));
    EXPECT_EQ(seriesTypes["current_A"].toString(), QStringLiteral("float64"));
    EXPECT_EQ(seriesTypes["compliance"].toString(), QStringLiteral("int64"));
    EXPECT_EQ(texts(series["first"]).value(5), QStringLiteral("up, to #1 \"fast\""));

    const QJsonObject record = tables[1].toObject();
    EXPECT_EQ(texts(record["heading"]),
              QStringList({"time", "temperature_C", "resistance_Ohm", "elapsed_s"}));
    EXPECT_EQ(record["length"].toInt(), 4);  // the sample that saw Stop is kept too
    EXPECT_EQ(record["dtypes"].toObject()["resistance_Ohm"].toString(), QStringLiteral("float64"));
    EXPECT_EQ(number(record, 0, 3), 0.0);

    const QJsonObject sweep = tables[2].toObject();
    EXPECT_EQ(texts(sweep["heading"]), QStringList({"frequency_Hz", "c_parallel", "dissipation"}));
    EXPECT_GT(sweep["length"].toInt(), 1);
    EXPECT_EQ(sweep["dtypes"].toObject()["c_parallel"].toString(), QStringLiteral("float64"));
    EXPECT_TRUE(texts(sweep["comments"]).contains(QStringLiteral("# primary: CP (C parallel)")));
}

TEST_F(TidyCsvExport, RecordAndSweepRefuseBeforeAnythingWasMeasured) {
    struct Case {
        const char* action;
        const char* message;
    };
    for (const Case& test : {Case{"ExportTidyRecordCsv", "No four-probe sample was taken yet"},
                             Case{"ExportTidySweepCsv", "No LCR sweep was measured yet"}}) {
        SCOPED_TRACE(test.action);
        startForm();
        ASSERT_EQ(exportWith({{QString::fromLatin1(test.action), path("none.csv")}}), 0);
        EXPECT_EQ(ui.messages().value(ui.messages().size() - 1), QString::fromLatin1(test.message));
        EXPECT_FALSE(QFileInfo::exists(path("none.csv")));
    }
}
