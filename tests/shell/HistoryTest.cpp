// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QDate>
#include <QDir>
#include <QListWidget>
#include <QSqlQuery>

#include <QImage>
#include <QTimer>
#include <functional>

#include "journal/RecoveryJournal.h"
#include "shell/ApplicationTitle.h"
#include "shell/ScriptRunner.h"
#include "shell/SeriesFilesFixture.h"
#include "text/ClockText.h"

using namespace tarvix::shell;
using namespace tarvix::shell::testing;

namespace {

// A sweep of two segments on the simulated bench with a comment of its own.
class History : public SeriesFilesFixture {
  protected:
    void SetUp() override {
        SeriesFilesFixture::SetUp();
        setText("Edit44", QStringLiteral("sample A7 after anneal"));
        setChecked("CheckBox2", true);
        sweep();
    }

    void showHistory() { form->findChild<QAction*>(QStringLiteral("HistoryMenuItem"))->trigger(); }
    QListWidget* list() {
        return qobject_cast<QListWidget*>(c().find(QStringLiteral("HistoryList")));
    }
    QStringList rows() {
        QStringList result;
        for (int i = 0; i < list()->count(); ++i) {
            result << list()->item(i)->text();
        }
        return result;
    }
    QString context(const QString& key) {
        QSqlQuery query(form->journal().database().database());
        query.prepare(
            QStringLiteral("SELECT value FROM context WHERE key = ? "
                           "ORDER BY measurement_id DESC LIMIT 1"));
        query.addBindValue(key);
        return query.exec() && query.next() ? query.value(0).toString() : QStringLiteral("<none>");
    }
    // A series file without its date and time lines.
    static QByteArray withoutStamp(QByteArray bytes) {
        QList<QByteArray> lines = bytes.split('\n');
        lines.remove(1, 2);
        return lines.join('\n');
    }
};

TEST_F(History, KeepsTheSettingsAndInstrumentsOfASweep) {
    EXPECT_EQ(context(QStringLiteral("steps")), QStringLiteral("4"));
    EXPECT_EQ(context(QStringLiteral("segment.2.enabled")), QStringLiteral("1"));
    EXPECT_EQ(context(QStringLiteral("segment.1.end")), text("Edit10"));
    EXPECT_EQ(context(QStringLiteral("regime")), QStringLiteral("Voltage sweep"));
    EXPECT_EQ(context(QStringLiteral("compliance")), text("Edit6"));
    EXPECT_EQ(context(QStringLiteral("picoammeter")), QStringLiteral("0"));
    // The Start scan's own identification line of the source meter.
    const QListWidget* scan = c().listBox(QStringLiteral("ListBox1"));
    const auto found = scan->findItems(QStringLiteral("ADDRESS=24  "), Qt::MatchStartsWith);
    ASSERT_EQ(found.size(), 1);
    const QString smu = context(QStringLiteral("instrument.24"));
    EXPECT_TRUE(smu.contains(QStringLiteral("MODEL 2400")));
    EXPECT_EQ(found.front()->text().trimmed(), QStringLiteral("ADDRESS=24  ") + smu);
}

TEST_F(History, ASeriesLoadedBackSavesAsTheOriginalDid) {
    saveAs(path("measured.ktl"));
    showHistory();
    setText("HistoryText", QStringLiteral("A7 after"));
    ASSERT_EQ(rows().size(), 1);
    const QString row = rows().front();
    const int points = store().storedCount(1, 1) + store().storedCount(2, 1);
    EXPECT_TRUE(
        row.contains(QStringLiteral("  iv  sample A7 after anneal  %1 points  ").arg(points)))
        << row.toStdString();
    EXPECT_TRUE(row.contains(context(QStringLiteral("instrument.24"))));

    click("Button4");  // Delete: the store is empty, the history still has the sweep.
    c().anyButton(QStringLiteral("HistoryLoad"))->click();
    EXPECT_EQ(text("Edit44"), QStringLiteral("sample A7 after anneal"));
    saveAs(path("reloaded.ktl"));
    const QByteArray measured = readAll(path("measured.ktl"));
    ASSERT_FALSE(measured.isEmpty());
    EXPECT_EQ(withoutStamp(readAll(path("reloaded.ktl"))), withoutStamp(measured));

    click("Button36");  // the export takes its name from the series file
    QSqlQuery files(form->journal().database().database());
    files.exec(QStringLiteral("SELECT role || ' ' || path FROM file ORDER BY written"));
    QStringList written;
    while (files.next()) {
        written << files.value(0).toString();
    }
    EXPECT_EQ(written,
              QStringList({"saved " + path("measured.ktl"), "saved " + path("reloaded.ktl"),
                           "exported " + path("reloaded.ktl_o")}));
}

TEST_F(History, FindsByTextAndDates) {
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    const QString tomorrow = QDate::currentDate().addDays(1).toString(Qt::ISODate);
    const QString yesterday = QDate::currentDate().addDays(-1).toString(Qt::ISODate);
    struct Case {
        QString text, from, to;
        int rows;
    } cases[] = {
        {"", "", "", 1},
        {"anneal", today, today, 1},
        {"", tomorrow, "", 0},
        {"", "", yesterday, 0},
        {"", yesterday, today, 1},
        {"2400", "", "", 1},  // the source meter's identification
        {"no such sample", "", "", 0},
    };
    showHistory();
    for (const Case& test : cases) {
        setText("HistoryText", test.text);
        setText("HistoryFrom", test.from);
        setText("HistoryTo", test.to);
        EXPECT_EQ(rows().size(), test.rows)
            << test.text.toStdString() << " " << test.from.toStdString() << ".."
            << test.to.toStdString();
    }
}

// Find takes % and _ as the letters they are; a start date the journal cannot read is shown
// as unknown, listed unless dates limit the list.
TEST_F(History, FindsWildcardsLiterallyAndListsUnknownDates) {
    QSqlQuery change(form->journal().database().database());
    ASSERT_TRUE(change.exec(
        QStringLiteral("UPDATE measurement SET comment = 'dose 5%_x', started = 'not a date'")));
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    struct Case {
        QString text, from, to;
        int rows;
    } cases[] = {
        {"5%_x", "", "", 1}, {"%", "", "", 1},   {"_", "", "", 1},  {"%_", "", "", 1},
        {"5_", "", "", 0},   {"e%5", "", "", 0}, {"\\", "", "", 0}, {"", "", "", 1},
        {"", today, "", 0},  {"", "", today, 0},
    };
    showHistory();
    for (const Case& test : cases) {
        setText("HistoryText", test.text);
        setText("HistoryFrom", test.from);
        setText("HistoryTo", test.to);
        EXPECT_EQ(rows().size(), test.rows)
            << test.text.toStdString() << " " << test.from.toStdString() << ".."
            << test.to.toStdString();
    }
    setText("HistoryText", QString());
    setText("HistoryFrom", QString());
    setText("HistoryTo", QString());
    ASSERT_EQ(rows().size(), 1);
    EXPECT_TRUE(rows().front().startsWith(QStringLiteral("unknown date  iv  dose 5%_x  ")))
        << rows().front().toStdString();
    ui.queueReply(true);
    c().anyButton(QStringLiteral("HistoryLoad"))->click();
    EXPECT_TRUE(form->status().text().startsWith(
        QStringLiteral("Loaded from the history: I-V series of unknown date, ")))
        << form->status().text().toStdString();
}

TEST_F(History, AsksBeforeDroppingUnsavedSeries) {
    const int first = store().storedCount(1, 1);
    for (const bool yes : {false, true}) {
        setText("Edit41", QStringLiteral("6"));
        sweep();  // never saved
        const int count = store().seriesCount;
        const int measured = store().storedCount(1, count - 1);
        showHistory();
        setText("HistoryText", QStringLiteral("A7"));
        list()->setCurrentRow(list()->count() - 1);  // the oldest: the first sweep
        ui.queueReply(yes);
        c().anyButton(QStringLiteral("HistoryLoad"))->click();
        EXPECT_EQ(store().seriesCount, yes ? 2 : count) << yes;
        EXPECT_EQ(store().storedCount(1, yes ? 1 : count - 1), yes ? first : measured) << yes;
        EXPECT_EQ(form->isWindowModified(), !yes) << yes;
    }
}

// A frequency sweep is kept whole at its end, with its settings and its .frq file.
class LcrHistory : public FormFixture {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        previous = QDir::currentPath();
        QDir::setCurrent(folder.path());
        startForm();
    }
    void TearDown() override {
        FormFixture::TearDown();
        QDir::setCurrent(previous);
    }
    QTemporaryDir folder;
    QString previous;
};

TEST_F(LcrHistory, KeepsTheSweepWithItsSettingsAndFile) {
    setText("Edit44", QStringLiteral("capacitor C3"));
    click("Button32");
    QSqlQuery query(form->journal().database().database());
    ASSERT_TRUE(query.exec(QStringLiteral(
        "SELECT m.state, (SELECT count(*) FROM point WHERE measurement_id = m.id), "
        "(SELECT min(x) || '..' || max(x) FROM point WHERE measurement_id = m.id), "
        "(SELECT group_concat(key || '=' || value, ' ') FROM context WHERE measurement_id = m.id "
        " AND key IN ('primary_code', 'secondary_code', 'grid', 'level_mv', 'bias_mode')), "
        "(SELECT path FROM file WHERE measurement_id = m.id) "
        "FROM measurement m WHERE kind = 'lcr' AND comment = 'capacitor C3'")));
    ASSERT_TRUE(query.next());
    EXPECT_EQ(query.value(0).toString(), QStringLiteral("saved"));
    EXPECT_EQ(query.value(1).toInt(), 20);
    EXPECT_EQ(query.value(2).toString(), QStringLiteral("10.0..2000000.0"));
    EXPECT_EQ(query.value(3).toString(),
              QStringLiteral("bias_mode=OFF grid=log level_mv=500 primary_code=A "
                             "secondary_code=N"));
    EXPECT_EQ(query.value(4).toString(),
              QDir(folder.path()).filePath(QStringLiteral("7600 test.frq")));
}

}  // namespace

namespace {

// Each kind of measurement is measured on the simulated bench and saved, the program is
// closed and opened again on the same database, and a recipe loads the measurement back
// through the history and saves it once more: both files, the read-outs and the chart are
// the same.
class HistoryReload : public SeriesFilesFixture {
  protected:
    void SetUp() override {
        ASSERT_TRUE(files.isValid());
        previous = QDir::currentPath();
        QDir::setCurrent(files.path());  // the LCR sweep writes its .frq file here
    }
    void TearDown() override {
        SeriesFilesFixture::TearDown();
        QDir::setCurrent(previous);
    }

    void tick() {
        QMetaObject::invokeMethod(form->findChild<QTimer*>(QStringLiteral("Timer1")), "timeout",
                                  Qt::DirectConnection);
    }
    // A four-probe run of `samples` samples and the one that sees Stop.
    void fourProbeRun(int samples) {
        setChecked("RadioButton59", true);
        click("Button27");
        for (int i = 0; i < samples; ++i) {
            tick();
        }
        click("Button28");
        tick();
    }
    // The thermocouple loop, stopped once it has taken two samples.
    void thermocoupleLoop() {
        QTimer stopper;
        QObject::connect(&stopper, &QTimer::timeout, [this] {
            if (text("Edit54") == QStringLiteral("2")) {
                click("Button28");
            }
        });
        stopper.start(10);
        click("Button30");
        setChecked("RadioButton58", true);  // the loop draws nothing; showing the panel does
        setChecked("RadioButton59", true);
    }
    int runRecipe(const QStringList& lines) {
        ScriptRunner runner(*form, ui);
        return runner.run(lines);
    }
    QString stateOf(const QString& comment) {
        QSqlQuery query(form->journal().database().database());
        query.prepare(
            QStringLiteral("SELECT group_concat(state, ' ') FROM measurement "
                           "WHERE comment = ?"));
        query.addBindValue(comment);
        return query.exec() && query.next() ? query.value(0).toString() : QString();
    }
    // What the status line says once the measurement of `comment` is loaded.
    QString loadedText(const QString& noun, const QString& comment) {
        QSqlQuery query(form->journal().database().database());
        query.prepare(
            QStringLiteral("SELECT m.started, count(p.idx) FROM measurement m JOIN point p "
                           "ON p.measurement_id = m.id WHERE m.comment = ? GROUP BY m.id"));
        query.addBindValue(comment);
        EXPECT_TRUE(query.exec() && query.next());
        return QStringLiteral("Loaded from the history: %1 of %2, %3 points")
            .arg(noun,
                 QDateTime::fromString(query.value(0).toString(), Qt::ISODateWithMs)
                     .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                 query.value(1).toString());
    }
    // The saved file without the lines that tell when it was written.
    static QByteArray withoutWriteTime(const QString& file) {
        QList<QByteArray> lines = readAll(file).split('\n');
        const bool temp = file.endsWith(QStringLiteral(".temp"));
        const bool csv = file.endsWith(QStringLiteral(".csv"));
        QList<QByteArray> kept;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const bool stamp =
                temp ? i == 2 : (csv ? lines[i].startsWith("# written") : i == 1 || i == 2);
            if (!stamp) {
                kept << lines[i];
            }
        }
        return kept.join('\n');
    }

    QString previous;
};

TEST_F(HistoryReload, EachKindLoadsBackAsMeasured) {
    enum Kind { Series, Record, Sweep };
    struct Case {
        Kind kind;
        const char* comment;
        const char* noun;
        const char* bench;
        std::function<void()> measure;
        const char* save;       // the button or menu item that writes the file
        const char* extension;  // of the file it writes
        QStringList readouts;
        const char* chart;  // the paint box to compare; none for the I-V chart
    };
    const char* plain = "sim:noise=0,latency=0";
    const char* warming = "sim:noise=0,latency=0,temp=280..300@60";
    const Case cases[] = {
        {Series,
         "history iv",
         "I-V series",
         plain,
         [this] {
             setText("Edit41", QStringLiteral("4"));
             setChecked("CheckBox2", true);
             sweep();
         },
         "Button5",
         ".ktl",
         {"Edit44"},
         nullptr},
        {Record,
         "history four-probe",
         "four-probe record",
         warming,
         [this] { fourProbeRun(4); },
         "Button29",
         ".temp",
         {"Edit54", "Edit51", "Edit50"},
         "PaintBox1"},
        {Record,
         "history thermocouple",
         "thermocouple record",
         warming,
         [this] { thermocoupleLoop(); },
         "Button31",
         ".temp",
         {"Edit54", "Edit51", "Edit50", "Edit56", "Edit57"},
         "PaintBox1"},
        {Sweep,
         "history lcr",
         "LCR sweep",
         plain,
         [this] {
             setChecked("RadioButton25", true);  // C parallel
             setChecked("RadioButton46", true);  // and dissipation
             click("Button32");
         },
         "ExportTidySweepCsv",
         ".csv",
         {},
         "PaintBox2"},
    };
    const QString save = QStringLiteral("answer %1\nclick %2");
    for (const Case& test : cases) {
        SCOPED_TRACE(test.comment);
        const QString comment = QString::fromLatin1(test.comment);
        const QString measuredFile = path(comment + QStringLiteral(" measured"));
        const QString loadedFile = path(comment + QStringLiteral(" loaded"));
        keepJournal = false;
        startForm(QString::fromLatin1(test.bench));
        c().setVisible(QStringLiteral("GroupBox7"), true);
        setText("Edit44", comment);
        test.measure();
        QStringList measuredTexts;
        for (const QString& readout : test.readouts) {
            measuredTexts << c().text(readout);
        }
        const QString lastData = text("Edit59");
        const auto chart = [this, &test] {
            return c().widget(QString::fromLatin1(test.chart))->grab().toImage();
        };
        const QImage measuredChart = test.chart ? chart() : QImage();
        ASSERT_EQ(runRecipe(save.arg(measuredFile, test.save).split('\n')), 0);

        keepJournal = true;  // the program again, on the same database
        startForm(QString::fromLatin1(test.bench));
        c().setVisible(QStringLiteral("GroupBox7"), true);
        QStringList recipe;
        if (test.kind == Series) {  // a file in use, which the loaded series is not from
            recipe << save.arg(measuredFile + test.extension, "Button3").split('\n');
        }
        recipe << "click HistoryMenuItem"
               << "set HistoryText " + comment;
        if (test.kind == Record) {
            // Nothing loads while a run holds the bench; an unsaved record of the panel is
            // dropped only when the operator agrees.
            setText("Edit44", QStringLiteral("scratch"));
            setChecked("RadioButton59", true);
            click("Button27");
            tick();
            form->findChild<QAction*>(QStringLiteral("HistoryMenuItem"))->trigger();
            click("HistoryLoad");
            EXPECT_EQ(form->status().text().toStdString(),
                      "Load does nothing while a measurement runs; press Stop first");
            click("Button28");
            tick();
            recipe << "reply no"
                   << "click HistoryLoad"
                   << "expect Edit54 2"
                   << "reply yes";
        }
        recipe << "click HistoryLoad"
               << "expect status " + loadedText(QString::fromLatin1(test.noun), comment)
               << "expect Edit44 " + comment;
        if (test.kind == Series) {
            recipe << "expect Label15 ///"
                   << "expect window " + applicationTitle()
                   << "expect Label5 " + tarvix::text::shortDateText(QDate::currentDate());
        }
        recipe << save.arg(loadedFile, test.save).split('\n');
        if (test.kind == Record) {  // a new run starts with the loaded record saved
            recipe << "set Edit44 scratch 2"
                   << "click Button27"
                   << "click Button28";
        }
        const qsizetype asked = ui.questions().size();
        ASSERT_EQ(runRecipe(recipe), 0);
        EXPECT_EQ(ui.questions().size() - asked, test.kind == Record ? 2 : 0);

        QStringList loadedTexts;
        for (const QString& readout : test.readouts) {
            loadedTexts << c().text(readout);
        }
        EXPECT_EQ(loadedTexts, measuredTexts);
        if (test.kind == Sweep) {  // the value of the meter's last text; the text is not kept
            EXPECT_EQ(text("Edit59").toDouble(), lastData.toDouble()) << lastData.toStdString();
        }
        if (test.chart) {
            EXPECT_TRUE(chart() == measuredChart);
        }
        const QByteArray measured = withoutWriteTime(measuredFile + test.extension);
        EXPECT_GT(measured.count('\n'), 6);
        EXPECT_EQ(withoutWriteTime(loadedFile + test.extension).toStdString(),
                  measured.toStdString());
        if (test.kind == Record) {
            EXPECT_EQ(stateOf(comment).toStdString(), "saved");
            EXPECT_EQ(stateOf(QStringLiteral("scratch")).toStdString(), "replaced");
        }
    }
}

}  // namespace
