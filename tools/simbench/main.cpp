// SPDX-License-Identifier: GPL-3.0-or-later
// tarvix-simbench: serves the simulated bench over the network the way a Prologix-style
// GPIB controller does, so that "tarvix --bus prologix:tcp:127.0.0.1:PORT" can be tried
// without hardware, and serves chosen instruments on raw socket ports of their own, as LAN
// instruments do. The first line on stdout names the address and port the controller listens
// on; one more line for each raw port names its instrument, address and port.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

#include "buses/PrologixServer.h"
#include "buses/RawInstrumentServer.h"
#include "buses/SimDeviceControl.h"
#include "sim/SimBackend.h"
#include "text/ProgramVersion.h"

namespace {

struct Endpoint {
    QHostAddress address;
    quint16 port = 0;
    QString host;  // as shown: IPv6 in brackets
};

struct RawPort {
    int instrument = 0;
    Endpoint endpoint;
};

struct Settings {
    Endpoint listen;
    QString options;  // of the simulated bench
    std::vector<RawPort> rawPorts;
};

int fail(const QString& message) {
    std::fprintf(stderr, "tarvix-simbench: %s\n", qPrintable(message));
    return 2;
}

// HOST:PORT on a loopback address: the bench answers anybody who connects, so it stays on
// this machine. `badForm` is the message for a text of another form.
std::optional<Endpoint> parseEndpoint(const QString& text, const QString& badForm, QString* error) {
    const qsizetype colon = text.lastIndexOf(':');
    bool portValid = false;
    const uint port = colon < 0 ? 0 : text.mid(colon + 1).toUInt(&portValid);
    QString host = colon < 0 ? QString() : text.left(colon);
    if (host.startsWith('[') && host.endsWith(']')) {
        host = host.mid(1, host.size() - 2);
    }
    const QHostAddress address(host);
    if (!portValid || port > 65535 || address.isNull()) {
        *error = badForm;
        return std::nullopt;
    }
    if (!address.isLoopback()) {
        *error = QStringLiteral("%1 is not a loopback address").arg(host);
        return std::nullopt;
    }
    const bool v6 = address.protocol() == QAbstractSocket::IPv6Protocol;
    return Endpoint{address, static_cast<quint16>(port),
                    v6 ? QStringLiteral("[%1]").arg(host) : host};
}

// ADDRESS=HOST:PORT, the instrument's bus address first.
std::optional<RawPort> parseRawPort(const QString& text, QString* error) {
    const QString badForm =
        QStringLiteral("bad --raw \"%1\" (expected ADDRESS=HOST:PORT, ADDRESS 0 to 30)").arg(text);
    const qsizetype equals = text.indexOf('=');
    bool valid = false;
    const int instrument = equals < 0 ? -1 : text.left(equals).toInt(&valid);
    if (!valid || instrument < 0 || instrument > 30) {
        *error = badForm;
        return std::nullopt;
    }
    const auto endpoint = parseEndpoint(text.mid(equals + 1), badForm, error);
    if (!endpoint) {
        return std::nullopt;
    }
    return RawPort{instrument, *endpoint};
}

// The command line, checked; nothing with `error` set when it cannot be served.
std::optional<Settings> readCommandLine(const QCoreApplication& app, QString* error) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Serves the simulated bench as a Prologix-style GPIB controller, and "
                       "chosen instruments on raw socket ports."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption listenOption(
        QStringLiteral("listen"),
        QStringLiteral("Loopback address and port to listen on (port 0 picks a free one)."),
        QStringLiteral("HOST:PORT"), QStringLiteral("127.0.0.1:1234"));
    const QCommandLineOption optionsOption(
        QStringLiteral("options"),
        QStringLiteral("Options of the simulated bench, as after \"sim:\"."),
        QStringLiteral("OPTIONS"));
    const QCommandLineOption rawOption(
        QStringLiteral("raw"),
        QStringLiteral("Also serve the instrument at bus address ADDRESS on a raw socket port "
                       "of its own: lines in, replies out (repeatable)."),
        QStringLiteral("ADDRESS=HOST:PORT"));
    parser.addOptions({listenOption, optionsOption, rawOption});
    parser.process(app);

    const QString listen = parser.value(listenOption);
    const auto endpoint = parseEndpoint(
        listen, QStringLiteral("bad --listen \"%1\" (expected HOST:PORT)").arg(listen), error);
    if (!endpoint) {
        return std::nullopt;
    }
    Settings settings{*endpoint, parser.value(optionsOption), {}};
    for (const QString& value : parser.values(rawOption)) {
        const auto raw = parseRawPort(value, error);
        if (!raw) {
            return std::nullopt;
        }
        settings.rawPorts.push_back(*raw);
    }
    return settings;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarvix-simbench"));
    QCoreApplication::setApplicationVersion(tarvix::text::programVersion());
    QString error;
    const auto settings = readCommandLine(app, &error);
    if (!settings) {
        return fail(error);
    }
    auto bench = tarvix::sim::SimBench::create(settings->options, &error);
    if (!bench) {
        return fail(error);
    }
    tarvix::sim::SimBackend backend(std::move(bench));
    tarvix::buses::SimDeviceControl control(backend.bench());
    tarvix::buses::PrologixServer server(backend, &control);
    if (!server.listen(settings->listen.address, settings->listen.port, &error)) {
        return fail(error);
    }
    std::vector<std::unique_ptr<tarvix::buses::RawInstrumentServer>> rawServers;
    for (const RawPort& raw : settings->rawPorts) {
        rawServers.push_back(
            std::make_unique<tarvix::buses::RawInstrumentServer>(backend.bench(), raw.instrument));
        if (!rawServers.back()->listen(raw.endpoint.address, raw.endpoint.port, &error)) {
            return fail(error);
        }
    }
    std::printf("listening %s:%u\n", qPrintable(settings->listen.host),
                static_cast<unsigned>(server.port()));
    for (std::size_t i = 0; i < rawServers.size(); ++i) {
        std::printf("raw %d listening %s:%u\n", settings->rawPorts[i].instrument,
                    qPrintable(settings->rawPorts[i].endpoint.host),
                    static_cast<unsigned>(rawServers[i]->port()));
    }
    std::fflush(stdout);
    return app.exec();
}
