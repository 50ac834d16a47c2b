// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <unistd.h>

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
    // Writable but another user's (root writes anywhere): not the program's to use, unless
    // it is a build.
    const bool root = ::geteuid() == 0;
    const QString others = scratch.filePath(QStringLiteral("others"));
    const QString othersBuild = scratch.filePath(QStringLiteral("others-build"));
    for (const QString& folder : {others, othersBuild}) {
        ASSERT_TRUE(QDir().mkpath(folder));
        if (root) {
            ASSERT_EQ(::chown(folder.toLocal8Bit().constData(), 65534, 65534), 0);
        }
    }
    QFile(QDir(othersBuild).filePath(QStringLiteral("CMakeCache.txt"))).open(QIODevice::WriteOnly);

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
        // An installed program keeps its settings in the user's folder, whoever runs it.
        {QString(), QStringLiteral("/usr/bin"), user},
        {QString(), QStringLiteral("/usr/local/bin"), user},
        {QString(), others, root ? user : others},
        {QString(), othersBuild, othersBuild},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.programFolder.toStdString());
        EXPECT_EQ(settingsFolder(test.requested, test.programFolder, user), test.expected);
    }
    EXPECT_TRUE(QDir(user).exists());  // created, so that closing can write the file
}
