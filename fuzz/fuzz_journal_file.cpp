// SPDX-License-Identifier: GPL-3.0-or-later
#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

#include "journal/JournalFileCheck.h"

using namespace tarvix::journal;

// Whatever bytes lie where the database should be, looking at them writes nothing: the file
// keeps its bytes, and only a file that starts as SQLite's ever counts as ours.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_journal_file";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("tarvix-journal.sqlite"));
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            return 0;
        }
        file.write(bytes);
    }
    const JournalFileVerdict verdict = inspectJournalFile(path, true);
    if (verdict.kind == JournalFileVerdict::Kind::Ours &&
        !bytes.startsWith(QByteArray("SQLite format 3", 16))) {
        __builtin_trap();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.readAll() != bytes ||
        QFile::exists(path + QStringLiteral("-wal"))) {
        __builtin_trap();
    }
    return 0;
}
