// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimOptions.h"

#include <QStringList>
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>

#include "text/DecimalParse.h"

namespace tarvix::sim {

double TemperatureProgram::temperatureAfter(double seconds) const {
    const double travelled = std::max(0.0, seconds) * kelvinPerMinute / 60.0;
    const double span = endKelvin - startKelvin;
    if (travelled >= std::abs(span)) {
        return endKelvin;
    }
    return startKelvin + std::copysign(travelled, span);
}

namespace {

// Each option's reader returns an empty text when the value is good, otherwise what was
// expected.
using OptionReader = std::function<QString(SimOptions&, const QString& value)>;

std::optional<double> positiveNumber(const QString& text) {
    const auto value = text::parseDecimal(text);
    if (!value || *value <= 0) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> busAddress(const QString& text) {
    const auto value = text::parseInteger(text.trimmed());
    if (!value || *value < 0 || *value > 30) {
        return std::nullopt;
    }
    return value;
}

QString readSmu(SimOptions& options, const QString& value) {
    static const std::map<QString, SmuModel> models = {
        {"2400", SmuModel::k2400}, {"2410", SmuModel::k2410}, {"2636A", SmuModel::k2636A}};
    const auto found = models.find(value.toUpper());
    if (found == models.end()) {
        return "expected 2400, 2410 or 2636A";
    }
    options.smu = found->second;
    return {};
}

QString readAbsent(SimOptions& options, const QString& value) {
    for (const QString& part : value.split('/')) {
        const auto address = busAddress(part);
        if (!address) {
            return "expected bus addresses 0 to 30 separated by /";
        }
        options.absent.insert(*address);
    }
    return {};
}

QString readNoise(SimOptions& options, const QString& value) {
    const auto scale = text::parseDecimal(value);
    if (!scale || *scale < 0) {
        return "expected 0 (no noise) or a non-negative scale";
    }
    options.noiseScale = *scale;
    return {};
}

QString readSeed(SimOptions& options, const QString& value) {
    bool ok = false;
    const qulonglong seed = value.toULongLong(&ok);
    if (!ok) {
        return "expected a non-negative integer";
    }
    options.seed = seed;
    return {};
}

QString readLatency(SimOptions& options, const QString& value) {
    const auto ms = text::parseInteger(value);
    if (!ms || *ms < 0 || *ms > 60000) {
        return "expected milliseconds from 0 to 60000";
    }
    options.latencyMs = *ms;
    return {};
}

QString readFail(SimOptions& options, const QString& value) {
    const QStringList parts = value.split(':');
    const auto address = parts.size() == 2 ? busAddress(parts[1]) : std::nullopt;
    if (!address || (parts[0] != "send" && parts[0] != "enter")) {
        return "expected send:ADDRESS or enter:ADDRESS";
    }
    (parts[0] == "send" ? options.failSend : options.failEnter).insert(*address);
    return {};
}

// Activation energies above a few eV would leave no current at any cryostat temperature.
constexpr double kMaxActivationEv = 5.0;

QString readActivated(SimOptions& options, const QString& value) {
    const qsizetype slash = value.indexOf('/');
    const auto energy = slash < 0 ? std::nullopt : text::parseDecimal(value.left(slash));
    const auto ohms = slash < 0 ? std::nullopt : positiveNumber(value.mid(slash + 1));
    if (!energy || !(*energy >= 0 && *energy <= kMaxActivationEv) || !ohms ||
        !std::isfinite(*ohms)) {
        return "expected activated:EA_EV/R0 with 0 <= EA_EV <= 5 and a positive R0";
    }
    options.resistorOhms.reset();
    options.activated = ActivatedValues{*energy, *ohms};
    return {};
}

QString readSample(SimOptions& options, const QString& value) {
    if (value == "nonlinear") {
        options.resistorOhms.reset();
        options.activated.reset();
        return {};
    }
    if (value.startsWith("activated:")) {
        return readActivated(options, value.mid(10));
    }
    const auto ohms = value.startsWith("resistor:") ? positiveNumber(value.mid(9)) : std::nullopt;
    if (!ohms) {
        return "expected resistor:OHMS (a positive number), activated:EA_EV/R0 or nonlinear";
    }
    options.activated.reset();
    options.resistorOhms = ohms;
    return {};
}

QString readTemperature(SimOptions& options, const QString& value) {
    static const QString expected =
        "expected KELVIN or START..END@KELVIN_PER_MINUTE with positive temperatures";
    const qsizetype dots = value.indexOf("..");
    if (dots < 0) {
        const auto kelvin = positiveNumber(value);
        if (!kelvin) {
            return expected;
        }
        options.temperature = {*kelvin, *kelvin, 0.0};
        return {};
    }
    const qsizetype at = value.indexOf('@', dots);
    const auto start = positiveNumber(value.left(dots));
    const auto end = at < 0 ? std::nullopt : positiveNumber(value.mid(dots + 2, at - dots - 2));
    const auto rate = at < 0 ? std::nullopt : text::parseDecimal(value.mid(at + 1));
    if (!start || !end || !rate || *rate < 0 || (*rate == 0 && *start != *end)) {
        return expected;
    }
    options.temperature = {*start, *end, *rate};
    return {};
}

QString readLcr(SimOptions& options, const QString& value) {
    const qsizetype slash = value.indexOf('/');
    const auto ohms = value.startsWith("rc:") && slash > 3 ? positiveNumber(value.mid(3, slash - 3))
                                                           : std::nullopt;
    const auto farads = ohms ? positiveNumber(value.mid(slash + 1)) : std::nullopt;
    if (!farads) {
        return "expected rc:OHMS/FARADS with positive values";
    }
    options.lcr = ParallelRcValues{*ohms, *farads};
    return {};
}

QString readCurrentSource(SimOptions& options, const QString& value) {
    if (value != "sample" && value != "cryostat") {
        return "expected sample or cryostat";
    }
    options.currentThroughSample = value == "sample";
    return {};
}

const std::map<QString, OptionReader>& optionReaders() {
    static const std::map<QString, OptionReader> readers = {
        {"smu", readSmu},         {"absent", readAbsent},
        {"noise", readNoise},     {"seed", readSeed},
        {"latency", readLatency}, {"fail", readFail},
        {"sample", readSample},   {"temp", readTemperature},
        {"lcr", readLcr},         {"isource", readCurrentSource},
    };
    return readers;
}

void setError(QString* error, const QString& text) {
    if (error) {
        *error = text;
    }
}

}  // namespace

std::optional<SimOptions> parseSimOptions(const QString& text, QString* error) {
    SimOptions options;
    for (const QString& rawItem : text.split(',')) {
        const QString item = rawItem.trimmed();
        if (item.isEmpty()) {
            continue;  // a trailing comma says nothing
        }
        const qsizetype equals = item.indexOf('=');
        const QString name = equals < 0 ? item : item.left(equals);
        const auto reader = optionReaders().find(name);
        if (reader == optionReaders().end()) {
            QStringList known;
            for (const auto& entry : optionReaders()) {
                known << entry.first;
            }
            setError(error, QStringLiteral("unknown sim option \"%1\" (known: %2)")
                                .arg(item, known.join(", ")));
            return std::nullopt;
        }
        const QString problem = equals < 0 ? QStringLiteral("a value is missing")
                                           : reader->second(options, item.mid(equals + 1));
        if (!problem.isEmpty()) {
            setError(error, QStringLiteral("sim option \"%1\": %2").arg(item, problem));
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace tarvix::sim
