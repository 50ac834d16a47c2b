// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QRegularExpression>
#include <QThread>

#include "journal/RecoveryJournal.h"
#include "shell/FormFixture.h"
#include "support/SmallDisk.h"

using namespace tarvix;
using namespace tarvix::shell;
using namespace tarvix::shell::testing;

namespace {

// The window with its database on a small disk of its own.
class DatabaseWrites : public FormFixture {
  protected:
    void SetUp() override {
        if (!disk.ready()) {
            GTEST_SKIP() << disk.why().toStdString();
        }
        QString error;
        gpib = buses::createBus(QStringLiteral("sim:noise=0,latency=0"), &error, &transcript);
        ASSERT_TRUE(gpib) << error.toStdString();
        ui.setEcho(false);
        form = std::make_unique<TForm1>(
            *gpib, ui, FormOptions{configDir.path(), {journalFile(), {}, true, false}});
    }
    // The window goes before its disk does.
    void TearDown() override {
        FormFixture::TearDown();
        form.reset();
    }
    QString journalFile() const { return disk.filePath(QStringLiteral("journal.sqlite")); }
    QString databaseText() {
        return form->findChild<QLabel*>(QStringLiteral("StatusDatabase"))->text();
    }
    void sweep() {
        setText("Edit41", QStringLiteral("4000"));
        click("Button1");
    }
    int messagesAboutTheDatabase() const {
        return static_cast<int>(
            ui.messages()
                .filter(QRegularExpression(QStringLiteral("^The measurement database ")))
                .size());
    }

    tarvix::testing::SmallDisk disk{"1m"};
};

// A full disk is said on the status line, with what waits in memory, and once in a message;
// the window's own retry writes it all when room is back, and the line names the file again.
TEST_F(DatabaseWrites, AFullDiskIsShownOnceToldAndCaughtUp) {
    const QString fileText = QStringLiteral("Database: ") + QDir::toNativeSeparators(journalFile());
    EXPECT_EQ(databaseText(), fileText);
    disk.fill();
    const QRegularExpression notWriting(
        QStringLiteral("^Database: not writing \\(disk full\\), (\\d+) points only in memory$"));
    int held = 0;
    for (int run = 1; run <= 2; ++run) {
        sweep();
        const QRegularExpressionMatch shown = notWriting.match(databaseText());
        ASSERT_TRUE(shown.hasMatch()) << databaseText().toStdString();
        EXPECT_EQ(shown.captured(1).toInt(),
                  form->journal().database().writes().state().pointsHeld);
        EXPECT_GT(shown.captured(1).toInt(), held);
        held = shown.captured(1).toInt();
        EXPECT_EQ(messagesAboutTheDatabase(), 1) << ui.messages().join('\n').toStdString();
    }
    EXPECT_TRUE(ui.messages().last().contains(QStringLiteral("(disk full)")));

    disk.free();
    QElapsedTimer waited;
    waited.start();
    while (databaseText() != fileText && waited.elapsed() < 20000) {
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
    // Back to the file: every held write was taken (the journal's own tests count them).
    EXPECT_EQ(databaseText(), fileText);
    EXPECT_EQ(form->journal().database().writes().state().pointsHeld, 0);
    EXPECT_EQ(messagesAboutTheDatabase(), 1);
}

}  // namespace
