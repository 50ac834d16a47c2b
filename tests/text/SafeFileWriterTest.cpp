// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <atomic>
#include <functional>

#include "text/FileError.h"
#include "text/SafeFileWriter.h"

using namespace tarvix::text;

namespace {

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

mode_t modeOf(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

std::atomic<int> umaskCalls{0};

class ScopedUmask {
  public:
    explicit ScopedUmask(mode_t mask) : before_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(before_); }

  private:
    mode_t before_;
};

}  // namespace

// Stands in for the C library's umask in this test program, counting its callers.
extern "C" mode_t umask(mode_t mask) noexcept {
    umaskCalls.fetch_add(1);
    return static_cast<mode_t>(::syscall(SYS_umask, mask));
}

// What a save leaves at the chosen name: the new content in the file the name leads to, with
// that file's mode; a link stays a link; a new file gets what the umask gives.
TEST(SafeFileWriter, KeepsTheModeAndTheLinkOfWhatItReplaces) {
    struct Case {
        const char* what;
        mode_t umask;
        std::function<void(QDir&)> prepare;  // makes "chosen" (and what it leads to)
        const char* written;                 // where the content must land
        mode_t mode;                         // the mode it must have
        const char* link;                    // a name that must still be a link, or nullptr
    };
    const auto file = [](QDir& dir, const char* name, mode_t mode) {
        QFile out(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("old\r\n");
        out.close();
        ASSERT_EQ(::chmod(QFile::encodeName(out.fileName()).constData(), mode), 0);
    };
    const auto link = [](QDir& dir, const char* target, const char* name) {
        ASSERT_EQ(::symlink(target, QFile::encodeName(dir.filePath(name)).constData()), 0);
    };
    const Case cases[] = {
        {"a private file", 022, [&](QDir& d) { file(d, "chosen", 0600); }, "chosen", 0600, nullptr},
        {"a group-readable file", 077, [&](QDir& d) { file(d, "chosen", 0640); }, "chosen", 0640,
         nullptr},
        {"a new file, umask 022", 022, [](QDir&) {}, "chosen", 0644, nullptr},
        {"a new file, umask 077", 077, [](QDir&) {}, "chosen", 0600, nullptr},
        {"a relative link into a folder", 022,
         [&](QDir& d) {
             ASSERT_TRUE(d.mkdir("data"));
             file(d, "data/real", 0600);
             link(d, "data/real", "chosen");
         },
         "data/real", 0600, "chosen"},
        {"a chain of two links, the last absolute", 022,
         [&](QDir& d) {
             file(d, "real", 0640);
             link(d, QFile::encodeName(d.filePath("real")).constData(), "middle");
             link(d, "middle", "chosen");
         },
         "real", 0640, "chosen"},
        {"a dangling link", 022, [&](QDir& d) { link(d, "made", "chosen"); }, "made", 0644,
         "chosen"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        QTemporaryDir folder;
        QDir dir(folder.path());
        test.prepare(dir);
        const ScopedUmask mask(test.umask);
        ASSERT_EQ(writeTextFile(dir.filePath("chosen"), {"new"}), kFileOk);
        const QString written = dir.filePath(QString::fromLatin1(test.written));
        EXPECT_EQ(contentOf(written), "new\r\n");
        EXPECT_EQ(modeOf(written), test.mode);
        if (test.link) {
            EXPECT_TRUE(QFileInfo(dir.filePath(QString::fromLatin1(test.link))).isSymLink());
        }
        // Nothing but what the case made: no temporary left behind.
        EXPECT_TRUE(dir.entryList({"*.tmp*"}, QDir::AllEntries | QDir::System).isEmpty());
    }
}

// What is no file to replace is refused, and stays as it was.
TEST(SafeFileWriter, RefusesWhatIsNoRegularFile) {
    QTemporaryDir folder;
    QDir dir(folder.path());
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe")).constData(), 0600), 0);
    ASSERT_TRUE(dir.mkdir("folder"));
    ASSERT_EQ(::symlink("loop", QFile::encodeName(dir.filePath("loop")).constData()), 0);
    const std::pair<const char*, int> cases[] = {
        {"pipe", kFileAccessDenied},
        {"folder", kInvalidFilename},
        {"loop", fileErrorFromErrno(ELOOP)},
        {"missing/x", kFileNotFound},
    };
    for (const auto& [name, error] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(writeTextFile(dir.filePath(QString::fromLatin1(name)), {"x"}), error);
    }
    struct stat pipe {};
    ASSERT_EQ(::lstat(QFile::encodeName(dir.filePath("pipe")).constData(), &pipe), 0);
    EXPECT_TRUE(S_ISFIFO(pipe.st_mode));
    EXPECT_EQ(dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size(), 3);
}

// The umask belongs to the whole process: a save on one thread must never change it under
// another thread's file creation, not even for a moment. Every call of umask in this program
// comes through the definition below, which counts them.
TEST(SafeFileWriter, NeverTouchesTheUmask) {
    QTemporaryDir folder;
    const int before = umaskCalls.load();
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(writeTextFile(folder.filePath(QStringLiteral("f%1").arg(i % 2)), {"x"}), kFileOk);
    }
    EXPECT_EQ(umaskCalls.load(), before);
}

// Where the system allows it (here: run as root) a replaced file keeps its owner and group.
TEST(SafeFileWriter, KeepsTheOwnerWhereAllowed) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root may give a file to another user";
    }
    QTemporaryDir folder;
    const QByteArray path = QFile::encodeName(folder.filePath("owned"));
    ASSERT_EQ(writeTextFile(folder.filePath("owned"), {"old"}), kFileOk);
    ASSERT_EQ(::chown(path.constData(), 4321, 4322), 0);
    ASSERT_EQ(::chmod(path.constData(), 04750), 0);
    ASSERT_EQ(writeTextFile(folder.filePath("owned"), {"new"}), kFileOk);
    struct stat status {};
    ASSERT_EQ(::stat(path.constData(), &status), 0);
    EXPECT_EQ(status.st_uid, 4321u);
    EXPECT_EQ(status.st_gid, 4322u);
    EXPECT_EQ(status.st_mode & 07777, 04750u);  // the set-ID bit outlives the change of owner
}
