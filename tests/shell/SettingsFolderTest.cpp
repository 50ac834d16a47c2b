#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "shell/SettingsFolder.h"

using tarvix::shell::settingsFolder;

TEST(SettingsFolder, TheCommandLineThenTheProgramsFolderThenTheUsersFolder) {
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QString program = scratch.filePath(QStringLiteral("bin"));
    const QString user = scratch.filePath(QStringLiteral("config/tarvix"));
    const QString asked = scratch.filePath(QStringLiteral("asked"));
    ASSERT_TRUE(QDir().mkpath(program));
    // A file where a folder should be can hold no Parameters.dat either.
    const QString notAFolder = scratch.filePath(QStringLiteral("file"));
    QFile(notAFolder).open(QIODevice::WriteOnly);

    struct Case {
        QString requested;
        QString programFolder;
        QString expected;
    };
    const Case cases[] = {
        {asked, program, asked},
        {QString(), program, program},
        {QString(), scratch.filePath(QStringLiteral("gone")), user},
        {QString(), notAFolder, user},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.programFolder.toStdString());
        EXPECT_EQ(settingsFolder(test.requested, test.programFolder, user), test.expected);
    }
    EXPECT_TRUE(QDir(user).exists());  // created, so that closing can write the file
}
