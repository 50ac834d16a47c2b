// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "text/Cp1251.h"
#include "text/FileError.h"
#include "text/SafeFileWriter.h"

using namespace tarvix::text;

TEST(Cp1251, RoundTripsCyrillicAndMapsKnownBytes) {
    const QString word = QString::fromUtf8("Точек");
    EXPECT_EQ(toCp1251(word), QByteArray("\xD2\xEE\xF7\xE5\xEA"));
    EXPECT_EQ(fromCp1251(QByteArray("\xD2\xEE\xF7\xE5\xEA")), word);
    EXPECT_EQ(toCp1251(QString::fromUtf8("[Ом] ok")), QByteArray("[\xCE\xEC] ok"));
    EXPECT_EQ(toCp1251(QString::fromUtf8("漢x")), QByteArray("?x"));
}

TEST(FileError, UsesTheRuntimeTexts) {
    EXPECT_EQ(fileErrorText(kFileNotFound), "File not found");
    EXPECT_EQ(fileErrorText(kInvalidNumericInput), "Invalid numeric input");
    EXPECT_EQ(fileErrorText(kReadBeyondEnd), "Read beyond end of file");
    EXPECT_EQ(fileErrorText(kDiskFull), "Disk full");
    EXPECT_EQ(fileErrorText(kFileAccessDenied), "File access denied");
    EXPECT_EQ(fileErrorText(77), "I/O error 77");
    EXPECT_EQ(fileErrorFromErrno(ENOSPC), kDiskFull);
}

TEST(SafeFileWriter, WritesCp1251LinesWithCrLf) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.txt");
    ASSERT_EQ(writeTextFile(path, {QString::fromUtf8("Точек"), QString("2")}), 0);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\xD2\xEE\xF7\xE5\xEA\r\n2\r\n"));
}

TEST(SafeFileWriter, AFailedSaveLeavesTheOldFileUntouched) {
    if (geteuid() == 0) {
        // root ignores permissions; the abandoned-writer case below still covers the rename.
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.txt");
    ASSERT_EQ(writeTextFile(path, {"old"}), 0);
    {
        SafeFileWriter writer(path);
        ASSERT_EQ(writer.open(), 0);
        writer.writeLine("half written");
        // abandoned without commit, as after an error in the middle of a save
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("old\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

TEST(SafeFileWriter, ReportsAMissingFolder) {
    QTemporaryDir dir;
    EXPECT_EQ(writeTextFile(dir.filePath("no/such/folder/x.txt"), {"x"}), kFileNotFound);
}
