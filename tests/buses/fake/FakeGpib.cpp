// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for linux-gpib's libgpib: the same C functions, with scripted instruments
// behind them and a log of every call. Tests steer it through the fakegpib_* functions,
// which they reach by loading this library themselves.

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int kErr = 0x8000;
constexpr int kTimo = 0x4000;
constexpr int kEnd = 0x2000;
constexpr int kCmpl = 0x100;
constexpr int kEdvr = 0;
constexpr int kEnol = 2;
constexpr int kEabo = 6;

struct Instrument {
    std::map<std::string, std::string> answers;
    std::string pending;
    int failWrites = -1;  // iberr of a failing write, -1 for none
};

struct Descriptor {
    int pad = 0;
    int timeout = 0;
};

struct Fake {
    bool boardOk = true;
    int boardErrno = 0;  // the errno an unusable board leaves in the count (EDVR)
    std::size_t chunk = 1 << 20;
    std::map<int, Instrument> instruments;
    std::vector<Descriptor> descriptors;
    std::string log;
};

Fake& fake() {
    static Fake instance;
    return instance;
}

int lastSta = 0;
int lastErr = 0;
int lastCnt = 0;

}  // namespace

// The library's global status variables. The build with thread-safe accessors leaves them
// alone, so a caller that reads them there sees stale values.
extern "C" {
__attribute__((visibility("default"))) int ibsta = 0;
__attribute__((visibility("default"))) int iberr = 0;
__attribute__((visibility("default"))) int ibcnt = 0;
}

namespace {

int finish(int sta, int err, int cnt) {
    lastSta = sta;
    lastErr = err;
    lastCnt = cnt;
#ifdef FAKEGPIB_GLOBALS_ONLY
    ibsta = sta;
    iberr = err;
    ibcnt = cnt;
#endif
    return sta;
}

void log(const std::string& line) {
    fake().log += line + "\n";
}

Descriptor* descriptorOf(int ud) {
    const int index = ud - 100;
    if (index < 0 || index >= static_cast<int>(fake().descriptors.size())) {
        return nullptr;
    }
    return &fake().descriptors[static_cast<std::size_t>(index)];
}

}  // namespace

#ifndef FAKEGPIB_GLOBALS_ONLY
FAKE_EXPORT int ThreadIbsta() {
    return lastSta;
}
FAKE_EXPORT int ThreadIberr() {
    return lastErr;
}
FAKE_EXPORT int ThreadIbcnt() {
    return lastCnt;
}
#endif

FAKE_EXPORT int ibdev(int board, int pad, int sad, int timo, int sendEoi, int eos) {
    log("ibdev " + std::to_string(board) + " " + std::to_string(pad) + " " + std::to_string(sad) +
        " " + std::to_string(timo) + " " + std::to_string(sendEoi) + " " + std::to_string(eos));
    if (!fake().boardOk) {
        finish(kErr, kEdvr, 0);
        return -1;
    }
    fake().descriptors.push_back({pad, timo});
    finish(kCmpl, 0, 0);
    return 99 + static_cast<int>(fake().descriptors.size());
}

FAKE_EXPORT int ibwrt(int ud, const void* data, long count) {
    const std::string message(static_cast<const char*>(data), static_cast<std::size_t>(count));
    log("ibwrt " + std::to_string(ud) + " " + message);
    Descriptor* descriptor = descriptorOf(ud);
    if (!descriptor) {
        return finish(kErr, 4, 0);
    }
    const auto found = fake().instruments.find(descriptor->pad);
    if (found == fake().instruments.end()) {
        return finish(kErr, kEnol, 0);
    }
    Instrument& instrument = found->second;
    if (instrument.failWrites >= 0) {
        return finish(kErr, instrument.failWrites, 0);
    }
    const auto answer = instrument.answers.find(message);
    if (answer != instrument.answers.end()) {
        instrument.pending = answer->second;
    }
    return finish(kCmpl, 0, static_cast<int>(count));
}

FAKE_EXPORT int ibrd(int ud, void* buffer, long count) {
    log("ibrd " + std::to_string(ud));
    Descriptor* descriptor = descriptorOf(ud);
    if (!descriptor) {
        return finish(kErr, 4, 0);
    }
    auto found = fake().instruments.find(descriptor->pad);
    if (found == fake().instruments.end() || found->second.pending.empty()) {
        return finish(kErr | kTimo, kEabo, 0);
    }
    std::string& pending = found->second.pending;
    const std::size_t size =
        std::min({pending.size(), static_cast<std::size_t>(count), fake().chunk});
    std::memcpy(buffer, pending.data(), size);
    pending.erase(0, size);
    return finish(kCmpl | (pending.empty() ? kEnd : 0), 0, static_cast<int>(size));
}

FAKE_EXPORT int ibtmo(int ud, int timeoutClass) {
    log("ibtmo " + std::to_string(ud) + " " + std::to_string(timeoutClass));
    if (Descriptor* descriptor = descriptorOf(ud)) {
        descriptor->timeout = timeoutClass;
    }
    return finish(kCmpl, 0, 0);
}

FAKE_EXPORT int ibln(int ud, int pad, int sad, short* found) {
    log("ibln " + std::to_string(ud) + " " + std::to_string(pad) + " " + std::to_string(sad));
    if (!fake().boardOk) {
        return finish(kErr, kEdvr, fake().boardErrno);
    }
    *found = fake().instruments.count(pad) ? 1 : 0;
    return finish(kCmpl, 0, 0);
}

FAKE_EXPORT int ibask(int ud, int option, int* value) {
    log("ibask " + std::to_string(ud) + " " + std::to_string(option));
    if (!fake().boardOk) {
        return finish(kErr, kEdvr, fake().boardErrno);
    }
    *value = 0;
    return finish(kCmpl, 0, 0);
}

FAKE_EXPORT int ibsic(int ud) {
    log("ibsic " + std::to_string(ud));
    return finish(kCmpl, 0, 0);
}

FAKE_EXPORT int ibsre(int ud, int value) {
    log("ibsre " + std::to_string(ud) + " " + std::to_string(value));
    return finish(kCmpl, 0, 0);
}

FAKE_EXPORT int ibonl(int ud, int value) {
    log("ibonl " + std::to_string(ud) + " " + std::to_string(value));
    return finish(kCmpl, 0, 0);
}

// Steering, for the tests only.

FAKE_EXPORT void fakegpib_reset() {
    fake() = Fake{};
    finish(0, 0, 0);
    ibsta = iberr = ibcnt = 0;
}

FAKE_EXPORT void fakegpib_answer(int pad, const char* query, const char* reply) {
    fake().instruments[pad].answers[query] = reply;
}

FAKE_EXPORT void fakegpib_fail_writes(int pad, int error) {
    fake().instruments[pad].failWrites = error;
}

FAKE_EXPORT void fakegpib_set_board(int ok) {
    fake().boardOk = ok != 0;
}

FAKE_EXPORT void fakegpib_set_board_errno(int errorNumber) {
    fake().boardErrno = errorNumber;
}

FAKE_EXPORT void fakegpib_set_chunk(int bytes) {
    fake().chunk = static_cast<std::size_t>(std::max(bytes, 1));
}

FAKE_EXPORT const char* fakegpib_log() {
    return fake().log.c_str();
}
