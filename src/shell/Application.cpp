#include "shell/Application.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMainWindow>
#include <QTextStream>
#include <cstdio>

#include "buses/createBus.h"

namespace tarvix::shell {

int runApplication(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvix  1.1"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Tarvix: I-V, R(T) and LCR measurements"));
    parser.addHelpOption();
    QCommandLineOption busOption(QStringLiteral("bus"),
                                 QStringLiteral("Bus connection string (default sim, or TARVIX_BUS)."),
                                 QStringLiteral("URI"));
    QCommandLineOption logOption(QStringLiteral("bus-log"),
                                 QStringLiteral("Write the bus transcript to FILE."), QStringLiteral("FILE"));
    parser.addOption(busOption);
    parser.addOption(logOption);
    parser.process(app);

    QString uri = parser.value(busOption);
    if (uri.isEmpty()) {
        uri = qEnvironmentVariable("TARVIX_BUS", QStringLiteral("sim"));
    }
    bus::BusTranscript transcript;
    transcript.setKeepInMemory(false);
    if (parser.isSet(logOption) && !transcript.openFile(parser.value(logOption))) {
        std::fprintf(stderr, "tarvix: cannot write the bus log %s\n",
                     qPrintable(parser.value(logOption)));
        return 2;
    }
    QString error;
    auto gpib = buses::createBus(uri, &error, parser.isSet(logOption) ? &transcript : nullptr);
    if (!gpib) {
        std::fprintf(stderr, "tarvix: %s\n", qPrintable(error));
        return 2;
    }
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Tarvix 1.1"));
    window.show();
    return app.exec();
}

}  // namespace tarvix::shell
