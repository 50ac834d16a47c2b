// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ScpiInstrument.h"

namespace tarvix::sim {

ScpiInstrument::ScpiInstrument()
    : settings_(commands_),
      status_([this] { return replyWaiting(); }, [this] { return errors_.size() > 0; }) {
    commands_.addQuery("*IDN", [this](ScpiCall& call) { call.reply(identification()); });
    commands_.addCommand("*RST", [this](ScpiCall&) {
        settings_.reset();
        reset();
    });
    commands_.addCommand("*CLS", [this](ScpiCall&) { clearStatus(); });
    commands_.addQuery("*OPC", [](ScpiCall& call) { call.reply("1"); });
    commands_.addCommand("*WAI", [](ScpiCall&) {});  // every operation here ends at once
    status_.addCommands(commands_);
    addSystemCommands();
}

void ScpiInstrument::addSystemCommands() {
    const auto nextError = [this](ScpiCall& call) {
        call.reply(ErrorQueue::scpiText(errors_.pop()));
    };
    commands_.addQuery("SYSTem:ERRor[:NEXT]", nextError);
    commands_.addQuery("STATus:QUEue[:NEXT]", nextError);
    commands_.addQuery("SYSTem:ERRor:ALL", [this](ScpiCall& call) {
        std::string all = ErrorQueue::scpiText(errors_.pop());
        while (errors_.size() > 0) {
            all += "," + ErrorQueue::scpiText(errors_.pop());
        }
        call.reply(all);
    });
    commands_.addQuery("SYSTem:ERRor:COUNt",
                       [this](ScpiCall& call) { call.reply(std::to_string(errors_.size())); });
    commands_.addCommand("SYSTem:CLEar", [this](ScpiCall&) { errors_.clear(); });
    commands_.addCommand("STATus:QUEue:CLEar", [this](ScpiCall&) { errors_.clear(); });
    commands_.addQuery("SYSTem:VERSion", [](ScpiCall& call) { call.reply("1999.0"); });
    commands_.add(
        "SYSTem:BEEPer[:IMMediate]",
        [](ScpiCall& call) {
            // A beep: 65 Hz to 2 MHz, up to 7.9 s. Nobody hears it.
            if (call.number(0, 65.0, 2e6, 1000.0, "HZ")) {
                call.number(1, 0.0, 7.9, 1.0, "S");
            }
        },
        {}, 2, 2);
    settings_.flag("SYSTem:BEEPer:STATe", true);
    settings_.flag("DISPlay:ENABle", true);
    for (const char* header : {"SYSTem:LOCal", "SYSTem:REMote", "SYSTem:RWLock"}) {
        commands_.addCommand(header, [](ScpiCall&) {});
    }
}

void ScpiInstrument::raise(int code) {
    errors_.push(code);
    status_.errorRaised(code);
}

void ScpiInstrument::clearStatus() {
    errors_.clear();
    status_.clearEvents();
}

void ScpiInstrument::execute(std::string_view message) {
    if (replyWaiting()) {
        discardReplies();
        raise(errors::kQueryInterrupted);
    }
    ScpiOutcome outcome = commands_.execute(message, [this](int code) { raise(code); });
    status_.refresh();  // a condition the message brought about is an event already
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
