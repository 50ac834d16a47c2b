#include "sim/ScpiInstrument.h"

namespace tarvix::sim {

ScpiInstrument::ScpiInstrument() {
    commands_.addQuery("*IDN", [this](ScpiCall& call) { call.reply(identification()); });
    commands_.addCommand("*RST", [this](ScpiCall&) { reset(); });
    commands_.addCommand("*CLS", [this](ScpiCall&) { errors_.clear(); });
    commands_.addCommand("*OPC", [](ScpiCall&) {});
    commands_.addQuery("*OPC", [](ScpiCall& call) { call.reply("1"); });
    commands_.addQuery("SYSTem:ERRor[:NEXT]",
                       [this](ScpiCall& call) { call.reply(ErrorQueue::scpiText(errors_.pop())); });
    commands_.addCommand("SYSTem:CLEar", [this](ScpiCall&) { errors_.clear(); });
}

void ScpiInstrument::addReadAndFetch(std::string_view readPattern, std::string_view fetchPattern,
                                     std::function<std::string()> takeReading) {
    commands_.addQuery(readPattern, [this, takeReading = std::move(takeReading)](ScpiCall& call) {
        lastReading_ = takeReading();
        call.reply(lastReading_);
    });
    commands_.addQuery(fetchPattern, [this](ScpiCall& call) {
        if (lastReading_.empty()) {
            call.fail(errors::kDataStale);
            return;
        }
        call.reply(lastReading_);
    });
}

void ScpiInstrument::execute(std::string_view message) {
    if (replyWaiting()) {
        discardReplies();
        errors_.push(errors::kQueryInterrupted);
    }
    ScpiOutcome outcome = commands_.execute(message);
    for (const int code : outcome.errors) {
        errors_.push(code);
    }
    if (outcome.replies.empty()) {
        return;
    }
    std::string reply = outcome.replies.front();
    for (std::size_t i = 1; i < outcome.replies.size(); ++i) {
        reply += ';' + outcome.replies[i];
    }
    queueReply(std::move(reply));
}

}  // namespace tarvix::sim
