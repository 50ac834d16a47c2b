// SPDX-License-Identifier: GPL-3.0-or-later
#include <QByteArray>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "bus/GpibBus.h"
#include "buses/PrologixCodec.h"
#include "iv/CheckedBus.h"
#include "lcr/MeterReply.h"
#include "text/DecimalParse.h"
#include "thermo/ThermoBusLink.h"

namespace {

// A backend that answers every read with the fuzzer's bytes, as far as the buffer allows.
class FuzzedReplyBackend : public tarvix::bus::GpibBackend {
  public:
    QByteArray reply;
    int boardPresent() override { return 1; }
    int initialize(int, int) override { return 0; }
    int setTimeout(std::uint32_t) override { return 0; }
    int listenerPresent(int) override { return 1; }
    void send(int, const char*, int, int* status) override { *status = 0; }
    void enter(char* buffer, std::uint32_t maxLength, std::uint16_t* count, int,
               int* status) override {
        const auto length =
            std::min<std::size_t>(static_cast<std::size_t>(reply.size()), maxLength);
        std::memcpy(buffer, reply.constData(), length);
        buffer[length] = '\0';
        *count = static_cast<std::uint16_t>(length);
        *status = 0;
    }
};

}  // namespace

// Instrument replies of every kind: the reply buffer, the number in it, the picoammeter's cut,
// the LCR meter's TAB fields, the four-probe resistance and the network controller's lines.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    auto backend = std::make_unique<FuzzedReplyBackend>();
    backend->reply = bytes;
    tarvix::bus::GpibBus gpib(std::move(backend));
    QByteArray buffer;
    for (int maxLength : {70, 100, 160}) {
        gpib.enter(buffer, maxLength, 24);
        const QByteArray text = tarvix::bus::GpibBus::replyText(buffer);
        tarvix::text::parseReply(text.toStdString());
        tarvix::text::parseReply(text.left(13).toStdString());
    }
    // The I-V paths' checked reading: a number, or a fault that names the reply.
    tarvix::iv::CheckedBus link(gpib);
    for (int cut : {0, 13}) {
        try {
            link.query(24, QStringLiteral(":READ?"), cut);
        } catch (const tarvix::iv::AcquisitionEnded&) {
        }
    }
    // A field with nothing in it is missing, never a zero; a value that is there is finite.
    const tarvix::lcr::MeterReply fields = tarvix::lcr::parseMeterReply(bytes);
    for (const auto& [text, value] : {std::pair(fields.primaryText, fields.primary),
                                      std::pair(fields.secondaryText, fields.secondary)}) {
        if (text && text->trimmed().isEmpty() && value) {
            std::abort();
        }
        if (value && !std::isfinite(*value)) {
            std::abort();
        }
    }
    tarvix::thermo::ThermoBusLink thermoLink(gpib);
    thermoLink.readNumber(16);
    tarvix::lcr::replyUpToTabRun(bytes);
    tarvix::thermo::resistanceFromFetchReply(bytes);
    tarvix::buses::PrologixLineSplitter splitter;
    splitter.feed(bytes);
    while (splitter.next()) {
    }
    // A short line limit, so that cut lines (and an escape at the cut) are reached too.
    tarvix::buses::PrologixLineSplitter shortLines(8);
    shortLines.feed(bytes);
    while (const auto line = shortLines.next()) {
        if (line->text.size() > 8) {
            __builtin_trap();
        }
    }
    return 0;
}
