#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include "journal/JournalDatabase.h"
#include "shell/SeriesFilesFixture.h"

using namespace tarvix::shell::testing;

namespace {

// The Python blocks of the database guide, one after another, as a reader would paste them.
QString guideExamples() {
    QFile guide(QStringLiteral(TARVIX_SOURCE_DIR "/docs/database.md"));
    if (!guide.open(QIODevice::ReadOnly)) {
        return {};
    }
    static const QRegularExpression block(QStringLiteral("```python\\n(.*?)```"),
                                          QRegularExpression::DotMatchesEverythingOption);
    QString script;
    for (const auto& match : block.globalMatch(QString::fromUtf8(guide.readAll()))) {
        script += match.captured(1);
    }
    return script;
}

class DatabaseGuide : public SeriesFilesFixture {};

TEST_F(DatabaseGuide, ItsPythonExamplesFindASweepBySample) {
    if (!QFile::exists(QStringLiteral("/usr/bin/python3"))) {
        GTEST_SKIP() << "no /usr/bin/python3";
    }
    setText("Edit44", QStringLiteral("sample A7 after anneal"));
    setChecked("CheckBox2", true);
    sweep();
    saveAs(path("a7.ktl"));
    const QString script = guideExamples();
    ASSERT_TRUE(script.contains(QStringLiteral("pd.read_sql")));

    QProcess python;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(
        QStringLiteral("TARVIX_DATABASE"),
        QDir(configDir.path())
            .filePath(QString::fromLatin1(tarvix::journal::JournalDatabase::kFileName)));
    environment.insert(QStringLiteral("SAMPLE"), QStringLiteral("A7"));
    python.setProcessEnvironment(environment);
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-")});
    python.write(script.toUtf8());
    python.closeWriteChannel();
    ASSERT_TRUE(python.waitForFinished(60000));
    const QString out = QString::fromUtf8(python.readAllStandardOutput());
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    const QString segment1 = QStringLiteral("segment 1: %1 points").arg(store().storedCount(1, 1));
    const QString segment2 = QStringLiteral("segment 2: %1 points").arg(store().storedCount(2, 1));
    for (const QString& wanted :
         {QStringLiteral("sample A7 after anneal"), segment1, segment2,
          QStringLiteral("steps=4 regime=Voltage sweep"), QStringLiteral("MODEL 2400"),
          QStringLiteral("saved to ") + path("a7.ktl")}) {
        EXPECT_TRUE(out.contains(wanted)) << wanted.toStdString() << " not in\n"
                                          << out.toStdString();
    }
}

}  // namespace
