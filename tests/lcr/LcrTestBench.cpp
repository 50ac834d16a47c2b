// SPDX-License-Identifier: GPL-3.0-or-later
#include "LcrTestBench.h"

#include <QFile>
#include <cstring>

#include "text/DecimalParse.h"
#include "text/NumberText.h"

namespace tarvix::lcr::testing {

void ScriptedMeter::send(int, const char* command, int length, int* status) {
    const std::string text(command, static_cast<size_t>(length));
    if (text.starts_with("CONF:FREQ ")) {
        frequency_ = text::parseDecimal(std::string_view(text).substr(10)).value_or(-1);
    } else if (text == "FETC?") {
        pending_ = reply_(frequency_, fetches_++);
    } else if (text == "MEAS:") {
        pending_ = "stale";
    }
    *status = text == failingCommand ? 8 : 0;
}

void ScriptedMeter::enter(char* buffer, std::uint32_t maxLength, std::uint16_t* count, int,
                          int* status) {
    *status = enterStatus;
    if (!enterStatusQueue.empty()) {
        *status = enterStatusQueue.front();
        enterStatusQueue.pop_front();
    }
    if (!pending_) {
        *count = 0;
        return;
    }
    const std::string reply = pending_->substr(0, maxLength);
    std::memcpy(buffer, reply.data(), reply.size());
    buffer[reply.size()] = '\0';
    *count = static_cast<std::uint16_t>(reply.size());
}

MeterBench::MeterBench(ScriptedMeter::ReplyFunction reply) {
    auto scripted = std::make_unique<ScriptedMeter>(std::move(reply));
    meter = scripted.get();
    bus = std::make_unique<bus::GpibBus>(
        std::make_unique<bus::TranscriptBackend>(std::move(scripted), transcript));
}

QStringList MeterBench::sentCommands() const {
    QStringList commands;
    // Whatever the send's status: a refused command was sent all the same.
    const QString prefix = QStringLiteral("send 4 ");
    for (const QString& line : transcript.lines()) {
        if (line.startsWith(prefix)) {
            commands.append(line.mid(line.indexOf(' ', prefix.size()) + 1));
        }
    }
    return commands;
}

QStringList MeterBench::sweptFrequencies() const {
    QStringList frequencies;
    const QStringList commands = sentCommands();
    // The first CONF:FREQ is the fixed 1000.00 of the set-up.
    for (qsizetype i = 2; i < commands.size(); ++i) {
        if (commands[i].startsWith(QStringLiteral("CONF:FREQ "))) {
            frequencies.append(commands[i].mid(10));
        }
    }
    return frequencies;
}

std::string replyWithSecondary(double primary, double secondary) {
    return "CP\t" + text::defaultReal(primary).toStdString() + "\tF\tD\t" +
           text::defaultReal(secondary).toStdString() + "\t\t\t";
}

std::string replyPrimaryOnly(double primary) {
    return "CP\t" + text::defaultReal(primary).toStdString() + "\tF\t\t\t";
}

InTemporaryFolder::InTemporaryFolder() : previous_(QDir::currentPath()) {
    QDir::setCurrent(folder_.path());
}

InTemporaryFolder::~InTemporaryFolder() {
    QDir::setCurrent(previous_);
}

QByteArray InTemporaryFolder::read(const QString& name) const {
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

}  // namespace tarvix::lcr::testing
