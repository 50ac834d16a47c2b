// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include "journal/JournalDatabase.h"
#include "mirror/MirrorWorker.h"
#include "shell/SeriesFilesFixture.h"
#include "support/TestServer.h"

using namespace tarvix::shell::testing;

namespace {

// The Python blocks of the database guide fenced as `fence`, one after another, as a reader
// would paste them.
QString guideExamples(const QString& fence) {
    QFile guide(QStringLiteral(TARVIX_SOURCE_DIR "/docs/database.md"));
    if (!guide.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QRegularExpression block(
        QStringLiteral("```%1\\n(.*?)```").arg(QRegularExpression::escape(fence)),
        QRegularExpression::DotMatchesEverythingOption);
    QString script;
    for (const auto& match : block.globalMatch(QString::fromUtf8(guide.readAll()))) {
        script += match.captured(1);
    }
    return script;
}

class DatabaseGuide : public SeriesFilesFixture {
  protected:
    QString journal() const {
        return QDir(configDir.path())
            .filePath(QString::fromLatin1(tarvix::journal::JournalDatabase::kFileName));
    }
    // A copy of the bench's file on a server of the test's own; its address, or empty.
    QString mirrorToServer() {
        server_ = std::make_unique<tarvix::testing::TestServer>();
        QString why;
        EXPECT_TRUE(server_->start(&why)) << why.toStdString();
        const QString url = server_->url(server_->createDatabase());
        tarvix::mirror::MirrorWorker worker(tarvix::mirror::MirrorSettings{
            *tarvix::mirror::ServerAddress::parse(url, &why), journal(), "bench-1"});
        for (int step = 0; step < 5 && !worker.state().inStep(); ++step) {
            worker.step();
        }
        EXPECT_TRUE(worker.state().inStep()) << worker.state().problem.toStdString();
        return url;
    }
    std::unique_ptr<tarvix::testing::TestServer> server_;
};

TEST_F(DatabaseGuide, ItsPythonExamplesFindASweepBySampleInTheFileAndOnTheServer) {
    if (!QFile::exists(QStringLiteral("/usr/bin/python3"))) {
        GTEST_SKIP() << "no /usr/bin/python3";
    }
    setText("Edit44", QStringLiteral("sample A7 after anneal"));
    setChecked("CheckBox2", true);
    sweep();
    saveAs(path("a7.ktl"));
    const QString segment1 = QStringLiteral("segment 1: %1 points").arg(store().storedCount(1, 1));
    const QString segment2 = QStringLiteral("segment 2: %1 points").arg(store().storedCount(2, 1));

    for (const char* fence : {"python", "python server"}) {
        SCOPED_TRACE(fence);
        const QString script = guideExamples(QString::fromLatin1(fence));
        ASSERT_TRUE(script.contains(QStringLiteral("sample")));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TARVIX_DATABASE"), journal());
        environment.insert(QStringLiteral("SAMPLE"), QStringLiteral("A7"));
        if (script.contains(QStringLiteral("psycopg2"))) {
            if (const QString why = tarvix::testing::TestServer::unavailable(); !why.isEmpty()) {
                GTEST_SKIP() << why.toStdString();
            }
            environment.insert(QStringLiteral("TARVIX_SERVER"), mirrorToServer());
        }
        QProcess python;
        python.setProcessEnvironment(environment);
        python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-")});
        python.write(script.toUtf8());
        python.closeWriteChannel();
        ASSERT_TRUE(python.waitForFinished(60000));
        const QString out = QString::fromUtf8(python.readAllStandardOutput());
        ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        for (const QString& wanted :
             {QStringLiteral("sample A7 after anneal"), segment1, segment2,
              QStringLiteral("steps=4 regime=Voltage sweep"), QStringLiteral("MODEL 2400"),
              QStringLiteral("saved to ") + path("a7.ktl")}) {
            EXPECT_TRUE(out.contains(wanted)) << wanted.toStdString() << " not in\n"
                                              << out.toStdString();
        }
    }
}

}  // namespace
