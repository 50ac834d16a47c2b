// SPDX-License-Identifier: GPL-3.0-or-later
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QStringList>
#include <cerrno>
#include <stdexcept>

#include "bus/GpibBus.h"
#include "buses/LinuxGpibBackend.h"
#include "buses/createBus.h"

using namespace tarvix;

namespace {

constexpr int kErr = 0x8000;
constexpr int kTimo = 0x4000;
constexpr int kEbus = 14;

// The fake library's steering functions, reached through its own handle; the backend
// loads the same file and so shares its state.
class FakeLibrary {
  public:
    explicit FakeLibrary(const char* path) : path(path), handle_(dlopen(path, RTLD_NOW)) {
        resolve(reset, "fakegpib_reset");
        resolve(answer, "fakegpib_answer");
        resolve(failWrites, "fakegpib_fail_writes");
        resolve(setBoard, "fakegpib_set_board");
        resolve(setBoardErrno, "fakegpib_set_board_errno");
        resolve(setChunk, "fakegpib_set_chunk");
        resolve(logText, "fakegpib_log");
        reset();
        answer(24, "*IDN?", "FAKE INSTRUMENTS INC.,MODEL 2400,4711,C30\r\n");
        answer(24, ":READ?", "-1.234567E-09\n");
        answer(14, "*IDN?", "FAKE INSTRUMENTS INC.,MODEL 6485,815,B03\n");
    }
    ~FakeLibrary() { dlclose(handle_); }

    QStringList log() const {
        return QString::fromLatin1(logText()).split('\n', Qt::SkipEmptyParts);
    }

    const char* path;
    void (*reset)() = nullptr;
    void (*answer)(int, const char*, const char*) = nullptr;
    void (*failWrites)(int, int) = nullptr;
    void (*setBoard)(int) = nullptr;
    void (*setBoardErrno)(int) = nullptr;
    void (*setChunk)(int) = nullptr;
    const char* (*logText)() = nullptr;

  private:
    template <typename Function>
    void resolve(Function*& function, const char* name) {
        function = reinterpret_cast<Function*>(dlsym(handle_, name));
        if (!function) {
            throw std::runtime_error(name);
        }
    }
    void* handle_;
};

class LinuxGpib : public ::testing::TestWithParam<const char*> {};

QByteArray spaces(int maxLength) {
    return QByteArray(bus::replyBufferLength(maxLength), ' ');
}

}  // namespace

// Both builds of the library: with the thread-safe status accessors and with only the
// global status variables.
INSTANTIATE_TEST_SUITE_P(Library, LinuxGpib,
                         ::testing::Values(FAKEGPIB_PATH, FAKEGPIB_GLOBALS_PATH),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param) == FAKEGPIB_PATH ? "ThreadAccessors"
                                                                             : "GlobalStatus";
                         });

TEST_P(LinuxGpib, ScanAndReadingGoThroughOneDescriptorPerAddress) {
    FakeLibrary fake(GetParam());
    bus::GpibBus gpib(std::make_unique<buses::LinuxGpibBackend>(0, fake.path));
    ASSERT_TRUE(gpib.boardPresent());
    gpib.initialize(0, 0);
    gpib.setTimeout(1000);
    QStringList found;
    QByteArray reply;
    for (int address = 1; address <= 30; ++address) {
        if (gpib.listenerPresent(address)) {
            gpib.send(address, "*IDN?");
            EXPECT_EQ(gpib.gpibStatus(), 0);
            gpib.enter(reply, 100, address);
            EXPECT_EQ(gpib.gpibStatus(), 0);
            found << QString::fromLatin1(bus::GpibBus::replyText(reply));
        }
    }
    EXPECT_EQ(found, (QStringList{"FAKE INSTRUMENTS INC.,MODEL 6485,815,B03",
                                  "FAKE INSTRUMENTS INC.,MODEL 2400,4711,C30"}));

    gpib.send(24, ":SOUR:VOLT:LEV  1.00000000000000E+0000");
    gpib.send(24, ":READ?");
    gpib.enter(reply, 70, 24);
    EXPECT_EQ(gpib.gpibStatus(), 0);
    // The reply without its line end, its NUL, and the rest of the spaces.
    EXPECT_EQ(reply.size(), 90);
    EXPECT_EQ(reply.left(14), QByteArray("-1.234567E-09") + '\0');
    EXPECT_EQ(reply.mid(14), QByteArray(76, ' '));
    EXPECT_EQ(gpib.receivedCount(), 13);

    const QStringList log = fake.log();
    EXPECT_TRUE(log.contains("ibsic 0"));
    EXPECT_TRUE(log.contains("ibln 0 24 0"));
    EXPECT_EQ(log.filter(QRegularExpression("^ibdev ")),
              (QStringList{"ibdev 0 14 0 11 1 0", "ibdev 0 24 0 11 1 0"}));
    EXPECT_TRUE(log.contains("ibwrt 101 :SOUR:VOLT:LEV  1.00000000000000E+0000"));
    EXPECT_TRUE(log.contains("ibwrt 101 :READ?"));
}

TEST_P(LinuxGpib, AReplyInPiecesIsReadToItsEnd) {
    FakeLibrary fake(GetParam());
    fake.setChunk(5);
    bus::GpibBus gpib(std::make_unique<buses::LinuxGpibBackend>(0, fake.path));
    gpib.send(24, "*IDN?");
    QByteArray reply;
    gpib.enter(reply, 100, 24);
    EXPECT_EQ(gpib.gpibStatus(), 0);
    EXPECT_EQ(bus::GpibBus::replyText(reply), "FAKE INSTRUMENTS INC.,MODEL 2400,4711,C30");
    // A reply longer than the caller's maximum is cut to it, and still fully read.
    gpib.send(24, "*IDN?");
    gpib.enter(reply, 10, 24);
    EXPECT_EQ(gpib.gpibStatus(), 0);
    EXPECT_EQ(reply, QByteArray("FAKE INSTR") + '\0' + QByteArray(19, ' '));
    gpib.enter(reply, 10, 24);
    EXPECT_NE(gpib.gpibStatus(), 0);
}

TEST_P(LinuxGpib, FailuresSetTheStatusAndLeaveTheSpaces) {
    FakeLibrary fake(GetParam());
    fake.failWrites(16, kEbus);
    bus::GpibBus gpib(std::make_unique<buses::LinuxGpibBackend>(0, fake.path));
    gpib.send(16, "*IDN?");
    EXPECT_EQ(gpib.gpibStatus(), (kEbus << 16) | kErr);
    gpib.send(24, "*IDN?");
    EXPECT_EQ(gpib.gpibStatus(), 0);

    // Nothing to read: the library times out.
    QByteArray reply;
    gpib.enter(reply, 70, 14);
    EXPECT_EQ(gpib.gpibStatus() & (kErr | kTimo), kErr | kTimo);
    EXPECT_EQ(reply, spaces(70));
    gpib.send(5, "*IDN?");  // nobody listens there
    EXPECT_NE(gpib.gpibStatus(), 0);
}

TEST_P(LinuxGpib, TimeoutChangesReachOpenDescriptorsAndNewOnes) {
    FakeLibrary fake(GetParam());
    bus::GpibBus gpib(std::make_unique<buses::LinuxGpibBackend>(0, fake.path));
    gpib.send(24, "*RST");
    gpib.setTimeout(1000);  // already the default: nothing to tell the library
    gpib.setTimeout(3000);
    gpib.send(14, "*RST");
    const QStringList log = fake.log();
    EXPECT_EQ(log.filter(QRegularExpression("^ibtmo ")), QStringList{"ibtmo 100 12"});
    EXPECT_TRUE(log.contains("ibdev 0 14 0 12 1 0"));
    EXPECT_EQ(buses::LinuxGpibBackend::timeoutClass(0), 5);
    EXPECT_EQ(buses::LinuxGpibBackend::timeoutClass(1), 5);
    EXPECT_EQ(buses::LinuxGpibBackend::timeoutClass(300), 10);
    EXPECT_EQ(buses::LinuxGpibBackend::timeoutClass(1000), buses::LinuxGpibBackend::kT1s);
    EXPECT_EQ(buses::LinuxGpibBackend::timeoutClass(1001), 12);
    EXPECT_EQ(buses::LinuxGpibBackend::timeoutClass(65535), 15);
}

TEST_P(LinuxGpib, DescriptorsGoOfflineWithTheBackend) {
    FakeLibrary fake(GetParam());
    {
        buses::LinuxGpibBackend backend(0, fake.path);
        int status = 0;
        backend.send(24, "*RST", 4, &status);
    }
    EXPECT_EQ(fake.log().last(), "ibonl 100 0");
}

TEST_P(LinuxGpib, AnUnusableBoardSaysNoAndWhy) {
    // The errno the library leaves in the count after EDVR; only a refusal names the group.
    const struct {
        int errorNumber;
        const char* said;
    } cases[] = {
        {0, "GPIB board 0 does not answer (EDVR); see the linux-gpib configuration"},
        {ENOENT, "GPIB board 0 does not answer (EDVR); see the linux-gpib configuration"},
        {EACCES,
         "GPIB board 0 cannot be opened (/dev/gpib0: permission denied): join the group "
         "gpib (sudo usermod -aG gpib $USER, then log in again) or install the udev "
         "rule 60-tarvix.rules that comes with the package; never run the program as "
         "root"},
        {EPERM,
         "GPIB board 0 cannot be opened (/dev/gpib0: permission denied): join the group "
         "gpib"},
    };
    for (const auto& test : cases) {
        FakeLibrary fake(GetParam());
        fake.setBoard(0);
        fake.setBoardErrno(test.errorNumber);
        buses::LinuxGpibBackend backend(0, fake.path);
        EXPECT_EQ(backend.boardPresent() & 0xFF, 0);
        EXPECT_TRUE(backend.startupWarning().startsWith(QString::fromLatin1(test.said)))
            << test.errorNumber << ": " << backend.startupWarning().toStdString();
    }
}

TEST(LinuxGpibRegistry, ChoosesTheBoardAndRejectsBadOnes) {
    FakeLibrary fake(FAKEGPIB_PATH);
    qputenv("TARVIX_LIBGPIB", FAKEGPIB_PATH);
    QString error;
    QString warning = "stale";
    auto gpib = buses::createBus("linux-gpib:1", &error, nullptr, &warning);
    qunsetenv("TARVIX_LIBGPIB");
    ASSERT_TRUE(gpib) << error.toStdString();
    EXPECT_TRUE(warning.isEmpty());
    gpib->send(24, "*IDN?");
    EXPECT_TRUE(fake.log().contains("ibdev 1 24 0 11 1 0"));
    for (const char* uri : {"linux-gpib:x", "linux-gpib:-1", "linux-gpib:16"}) {
        EXPECT_FALSE(buses::createBackend(uri, &error)) << uri;
        EXPECT_TRUE(error.contains("board")) << uri;
    }
}

TEST(LinuxGpibRegistry, WithoutTheLibraryTheBoardCheckSaysNoAndTellsWhy) {
    const QByteArray missing = "/nonexistent/tarvix/libgpib.so.0";
    qputenv("TARVIX_LIBGPIB", missing);
    QString error;
    QString warning;
    auto gpib = buses::createBus("linux-gpib", &error, nullptr, &warning);
    qunsetenv("TARVIX_LIBGPIB");
    ASSERT_TRUE(gpib) << error.toStdString();
    EXPECT_EQ(warning, "no GPIB library (" + missing + ") was found");
    EXPECT_FALSE(gpib->boardPresent());
    EXPECT_FALSE(gpib->listenerPresent(24));
    gpib->send(24, "*IDN?");
    EXPECT_NE(gpib->gpibStatus(), 0);
    QByteArray reply;
    gpib->enter(reply, 100, 24);
    EXPECT_NE(gpib->gpibStatus(), 0);
    EXPECT_EQ(reply, spaces(100));
}

TEST(LinuxGpibRegistry, ALibraryWithoutTheFunctionsIsRefused) {
    buses::LinuxGpibBackend backend(0, "libm.so.6");
    EXPECT_EQ(backend.boardPresent() & 0xFF, 0);
    EXPECT_TRUE(backend.startupWarning().contains("lacks"))
        << backend.startupWarning().toStdString();
    int status = 0;
    backend.send(24, "*RST", 4, &status);
    EXPECT_NE(status, 0);
}

// A reply that runs past any instrument's length fails rather than being read for ever; one
// that ends at the cap is still read.
TEST_P(LinuxGpib, AReplyBeyondTheLengthCapFails) {
    for (const std::size_t length : {std::size_t{65536}, std::size_t{65537}}) {
        FakeLibrary fake(GetParam());
        const std::string reply(length, '7');
        fake.answer(24, ":READ?", reply.c_str());
        bus::GpibBus gpib(std::make_unique<buses::LinuxGpibBackend>(0, fake.path));
        gpib.send(24, ":READ?");
        QByteArray buffer;
        gpib.enter(buffer, 70, 24);
        if (length == 65536) {
            EXPECT_EQ(gpib.gpibStatus(), 0);
            EXPECT_EQ(bus::GpibBus::replyText(buffer), QByteArray(70, '7'));
        } else {
            EXPECT_EQ(gpib.gpibStatus(), buses::LinuxGpibBackend::kReplyNeverEnded);
            EXPECT_EQ(buffer, spaces(70));
        }
    }
}
