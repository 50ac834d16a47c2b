#include <QAction>
#include <QDate>
#include <QDir>
#include <QListWidget>
#include <QSqlQuery>

#include "journal/RecoveryJournal.h"
#include "shell/SeriesFilesFixture.h"

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

    form->findChild<QAction*>(QStringLiteral("HistoryMenuItem"))->trigger();
    c().anyButton(QStringLiteral("HistoryLoad"))->click();
    EXPECT_TRUE(ui.messages().last().startsWith(QStringLiteral("Only I-V series")));
}

}  // namespace
