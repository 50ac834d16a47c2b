#include "shell/Application.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFont>
#include <QStandardPaths>
#include <QTimer>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <memory>

#include "buses/createBus.h"
#include "shell/ApplicationTitle.h"
#include "shell/ScriptRunner.h"
#include "shell/SettingsFolder.h"
#include "shell/TForm1.h"
#include "shell/UiServices.h"
#include "text/ProgramVersion.h"

namespace tarvix::shell {

namespace {

struct CommandLine {
    QString bus;
    QString busLog;
    QString script;
    QString configDir;
};

CommandLine parseCommandLine(const QApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Tarvix: I-V, R(T) and LCR measurements on a GPIB bench"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption bus(
        QStringLiteral("bus"),
        QStringLiteral("Bus connection string: sim[:options], none, linux-gpib[:board], "
                       "prologix:tcp:HOST[:PORT], prologix:serial:DEVICE "
                       "(default: $TARVIX_BUS, else sim)."),
        QStringLiteral("URI"));
    const QCommandLineOption busLog(QStringLiteral("bus-log"),
                                    QStringLiteral("Write every bus call to FILE, one line each."),
                                    QStringLiteral("FILE"));
    const QCommandLineOption script(
        QStringLiteral("script"),
        QStringLiteral("Run the recipe of operator actions in FILE, then close."),
        QStringLiteral("FILE"));
    const QCommandLineOption configDir(
        QStringLiteral("config-dir"),
        QStringLiteral("Folder of Parameters.dat (default: the program's folder when "
                       "writable, else the user's configuration folder)."),
        QStringLiteral("DIR"));
    parser.addOptions({bus, busLog, script, configDir});
    parser.process(app);
    CommandLine line;
    line.bus = parser.isSet(bus) ? parser.value(bus)
                                 : qEnvironmentVariable("TARVIX_BUS", QStringLiteral("sim"));
    line.busLog = parser.value(busLog);
    line.script = parser.value(script);
    line.configDir =
        settingsFolder(parser.value(configDir), QCoreApplication::applicationDirPath(),
                       QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
    return line;
}

}  // namespace

int runApplication(int argc, char** argv) {
    // A write past the file-size limit would otherwise kill the program with every unsaved
    // series; ignored, the write fails with EFBIG and is reported like a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    // Qt takes the process locale from the environment; the program's number texts (commands,
    // replies, files) always use a full stop, so C formatting must not follow it.
    std::setlocale(LC_NUMERIC, "C");
    // The plain name names the user's folders and --version's line; the title replaces it
    // once the command line is read.
    QApplication::setApplicationName(QStringLiteral("tarvix"));
    QApplication::setApplicationVersion(text::programVersion());
    const CommandLine options = parseCommandLine(app);
    // The application's title (two blanks before the version). A display name would also be
    // appended to the window's own caption, so none is set.
    QApplication::setApplicationName(applicationTitle());
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    QApplication::setFont(font);

    bus::BusTranscript transcript;
    transcript.setKeepInMemory(false);
    if (!options.busLog.isEmpty() && !transcript.openFile(options.busLog)) {
        std::fprintf(stderr, "tarvix: cannot write the bus log %s\n", qPrintable(options.busLog));
        return 2;
    }
    QString error;
    QString warning;
    auto gpib = buses::createBus(options.bus, &error,
                                 options.busLog.isEmpty() ? nullptr : &transcript, &warning);
    if (!gpib) {
        std::fprintf(stderr, "tarvix: %s\n", qPrintable(error));
        return 2;
    }
    QStringList scriptLines;
    if (!options.script.isEmpty() && !ScriptRunner::readFile(options.script, scriptLines, error)) {
        std::fprintf(stderr, "tarvix: %s\n", qPrintable(error));
        return 2;
    }

    std::unique_ptr<UiServices> ui;
    ScriptedUiServices* scripted = nullptr;
    DialogUiServices* dialogs = nullptr;
    if (options.script.isEmpty()) {
        auto dialogUi = std::make_unique<DialogUiServices>(nullptr);
        dialogs = dialogUi.get();
        ui = std::move(dialogUi);
    } else {
        auto scriptedUi = std::make_unique<ScriptedUiServices>();
        scripted = scriptedUi.get();
        ui = std::move(scriptedUi);
    }
    if (!warning.isEmpty()) {
        std::fprintf(stderr, "tarvix: %s\n", qPrintable(warning));
    }
    TForm1 form(*gpib, *ui, FormOptions{options.configDir});
    if (dialogs) {
        dialogs->setParentWindow(&form);
    }
    form.showMaximized();
    if (!warning.isEmpty()) {
        QTimer::singleShot(0, &form, [&] { ui->showMessage(warning); });
    }

    int status = 0;
    if (scripted) {
        QTimer::singleShot(0, &form, [&] {
            ScriptRunner runner(form, *scripted);
            status = runner.run(scriptLines);
            QApplication::exit(status);
        });
    }
    const int loopStatus = app.exec();
    return scripted ? status : loopStatus;
}

}  // namespace tarvix::shell
