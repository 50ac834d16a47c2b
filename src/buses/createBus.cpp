// SPDX-License-Identifier: GPL-3.0-or-later
#include "buses/createBus.h"

#include <functional>
#include <vector>

#include "bus/NoneBackend.h"
#include "buses/LinuxGpibBackend.h"
#include "buses/PrologixBackend.h"
#include "buses/StartupWarning.h"
#include "sim/SimBackend.h"

namespace tarvix::buses {

namespace {

using Factory =
    std::function<std::unique_ptr<bus::GpibBackend>(const QString& rest, QString* error)>;

struct Entry {
    QString prefix;
    Factory factory;
};

std::unique_ptr<bus::GpibBackend> createNone(const QString& rest, QString* error) {
    if (!rest.isEmpty()) {
        *error = QStringLiteral("the \"none\" bus takes no options");
        return nullptr;
    }
    return std::make_unique<bus::NoneBackend>();
}

const std::vector<Entry>& registry() {
    static const std::vector<Entry> entries = {
        {QStringLiteral("sim"), sim::createSimBackend},
        {QStringLiteral("none"), createNone},
        {QStringLiteral("linux-gpib"), LinuxGpibBackend::fromUri},
        {QStringLiteral("prologix"), PrologixBackend::fromUri},
    };
    return entries;
}

}  // namespace

std::unique_ptr<bus::GpibBackend> createBackend(const QString& uri, QString* error) {
    const qsizetype colon = uri.indexOf(':');
    const QString prefix = colon < 0 ? uri : uri.left(colon);
    const QString rest = colon < 0 ? QString() : uri.mid(colon + 1);
    for (const Entry& entry : registry()) {
        if (entry.prefix == prefix) {
            return entry.factory(rest, error);
        }
    }
    QStringList known;
    for (const Entry& entry : registry()) {
        known << entry.prefix;
    }
    *error = QStringLiteral("unknown bus \"%1\" (known: %2)").arg(uri, known.join(", "));
    return nullptr;
}

std::unique_ptr<bus::GpibBus> createBus(const QString& uri, QString* error,
                                        bus::BusTranscript* transcript, QString* warning) {
    auto backend = createBackend(uri.isEmpty() ? QStringLiteral("sim") : uri, error);
    if (!backend) {
        return nullptr;
    }
    if (warning) {
        const auto* notice = dynamic_cast<const StartupWarning*>(backend.get());
        *warning = notice ? notice->startupWarning() : QString();
    }
    if (transcript) {
        backend = std::make_unique<bus::TranscriptBackend>(std::move(backend), *transcript);
    }
    return std::make_unique<bus::GpibBus>(std::move(backend));
}

}  // namespace tarvix::buses
