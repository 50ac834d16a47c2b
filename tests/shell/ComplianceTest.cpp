// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QFile>
#include <QSqlQuery>
#include <functional>

#include "journal/RecoveryJournal.h"
#include "shell/FormFixture.h"

using namespace tarvix::shell::testing;

namespace {

class Compliance : public FormFixture {
  protected:
    int journalCount(const QString& condition) {
        QSqlQuery query(form->journal().database().database());
        EXPECT_TRUE(query.exec(QStringLiteral("SELECT count(*) FROM point WHERE ") + condition));
        return query.next() ? query.value(0).toInt() : -1;
    }
    // The last cell of every row of the tidy table, the heading's included.
    QStringList lastCells(const QString& path) {
        ui.queueAnswer(path);
        form->findChild<QAction*>(QStringLiteral("ExportTidyCsv"))->trigger();
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QStringList cells;
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (!line.isEmpty() && !line.startsWith('#')) {
                cells << QString::fromUtf8(line.split(',').last());
            }
        }
        return cells;
    }
};

}  // namespace

// A run driven into its source's limit on the simulated bench says so at its end, and every
// point that sat at the limit is flagged in the store, the journal and the tidy table (its last
// column): a 1 kOhm resistor swept to 2 V against 100 uA from 0.10 V on, and driven to 20 uA
// against 10 mV from 10 uA on.
TEST_F(Compliance, ARunIntoTheLimitSaysSoAndFlagsItsPoints) {
    const struct {
        const char* name;
        const char* bus;
        std::function<void()> setUp;
        int points;
        int firstClipped;
        bool committed;  // the voltage sweep commits its run; the current sweep leaves it live
        const char* status;
    } cases[] = {
        {"voltage sweep", "sim:noise=0,latency=0,sample=resistor:1000",
         [this] { setText("Edit6", QStringLiteral("1E-4")); }, 41, 3, true,
         "Voltage sweep: finished after 0:00; reached the compliance 1.0E-4 A at 39 of 41 "
         "points, from 0.10 V"},
        {"current sweep", "sim:noise=0,latency=0,sample=resistor:1000,isource=sample",
         [this] {
             c().anyButton("RadioButton3")->setEnabled(true);
             setChecked("RadioButton3", true);
             setText("Edit4", QStringLiteral("0"));
             setText("Edit5", QStringLiteral("2E-5"));
             setText("Edit7", QStringLiteral("0.01"));
         },
         81, 41, false,
         "Current sweep: finished after 0:00; reached the compliance 1.0E-2 V at 41 of 81 "
         "points, from 1.0E-5 A"},
    };
    for (const auto& run : cases) {
        SCOPED_TRACE(run.name);
        startForm(QString::fromLatin1(run.bus));
        run.setUp();
        click("Button1");
        EXPECT_EQ(form->status().text().toStdString(), run.status);
        const auto& store = form->store();
        QStringList column{QStringLiteral("compliance")};
        for (int p = 1; p <= run.points; ++p) {
            const bool flagged =
                run.committed ? store.atCompliance(1, 1, p) : store.liveAtCompliance(1, p);
            EXPECT_EQ(flagged, p >= run.firstClipped) << "point " << p;
            column << QString::number(p >= run.firstClipped ? 1 : 0);
        }
        EXPECT_EQ(journalCount(QStringLiteral("compliance = 1")),
                  run.points - run.firstClipped + 1);
        EXPECT_EQ(journalCount(QStringLiteral("compliance = 1 AND idx < %1").arg(run.firstClipped)),
                  0);
        if (run.committed) {
            EXPECT_EQ(lastCells(configDir.filePath("run.csv")), column);
        }
    }
}
