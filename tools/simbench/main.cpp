// tarvix-simbench: serves the simulated bench over the network the way a Prologix-style
// GPIB controller does, so that "tarvix --bus prologix:tcp:127.0.0.1:PORT" can be tried
// without hardware. The first line on stdout names the address and port it listens on.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <cstdio>

#include "buses/PrologixServer.h"
#include "buses/SimDeviceControl.h"
#include "sim/SimBackend.h"
#include "text/ProgramVersion.h"

namespace {

int fail(const QString& message) {
    std::fprintf(stderr, "tarvix-simbench: %s\n", qPrintable(message));
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarvix-simbench"));
    QCoreApplication::setApplicationVersion(tarvix::text::programVersion());

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Serves the simulated bench as a Prologix-style GPIB controller."));
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
    parser.addOption(listenOption);
    parser.addOption(optionsOption);
    parser.process(app);

    const QString listen = parser.value(listenOption);
    const qsizetype colon = listen.lastIndexOf(':');
    bool portValid = false;
    const uint port = colon < 0 ? 0 : listen.mid(colon + 1).toUInt(&portValid);
    QString host = colon < 0 ? QString() : listen.left(colon);
    if (host.startsWith('[') && host.endsWith(']')) {
        host = host.mid(1, host.size() - 2);
    }
    const QHostAddress address(host);
    if (!portValid || port > 65535 || address.isNull()) {
        return fail(QStringLiteral("bad --listen \"%1\" (expected HOST:PORT)").arg(listen));
    }
    // The bench answers anybody who connects; keep it on this machine.
    if (!address.isLoopback()) {
        return fail(QStringLiteral("%1 is not a loopback address").arg(host));
    }

    QString error;
    auto bench = tarvix::sim::SimBench::create(parser.value(optionsOption), &error);
    if (!bench) {
        return fail(error);
    }
    tarvix::sim::SimBackend backend(std::move(bench));
    tarvix::buses::SimDeviceControl control(backend.bench());
    tarvix::buses::PrologixServer server(backend, &control);
    if (!server.listen(address, static_cast<quint16>(port), &error)) {
        return fail(error);
    }
    const QString shown = address.protocol() == QAbstractSocket::IPv6Protocol
                              ? QStringLiteral("[%1]").arg(host)
                              : host;
    std::printf("listening %s:%u\n", qPrintable(shown), static_cast<unsigned>(server.port()));
    std::fflush(stdout);
    return app.exec();
}
