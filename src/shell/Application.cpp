// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Application.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "buses/createBus.h"
#include "journal/JournalDatabase.h"
#include "shell/ApplicationTitle.h"
#include "shell/DatabaseClaim.h"
#include "shell/DatabaseLocation.h"
#include "shell/DesktopIdentity.h"
#include "shell/Language.h"
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
    DatabaseChoice database;
    QString language;
};

// The program's options; `parse` fills a parser made by it.
struct Options {
    QCommandLineOption bus{
        QStringLiteral("bus"),
        QStringLiteral("Bus connection string: sim[:options], none, linux-gpib[:board], "
                       "prologix:tcp:HOST[:PORT], prologix:serial:DEVICE "
                       "(default: $TARVIX_BUS, else sim)."),
        QStringLiteral("URI")};
    QCommandLineOption busLog{QStringLiteral("bus-log"),
                              QStringLiteral("Write every bus call to FILE, one line each."),
                              QStringLiteral("FILE")};
    QCommandLineOption script{
        QStringLiteral("script"),
        QStringLiteral("Run the recipe of operator actions in FILE, then close. Without a "
                       "display the recipe runs off-screen."),
        QStringLiteral("FILE")};
    QCommandLineOption configDir{
        QStringLiteral("config-dir"),
        QStringLiteral("Folder of Parameters.dat, created when missing (default: the "
                       "program's folder when writable, else the user's configuration "
                       "folder)."),
        QStringLiteral("DIR")};
    QCommandLineOption database{
        QStringLiteral("database"),
        QStringLiteral("The SQLite file that keeps every measurement, a lab's server "
                       "postgresql://USER@HOST[:PORT]/NAME that receives a copy of it, or "
                       "\"none\" to keep no database (default: $TARVIX_DATABASE, else beside "
                       "Parameters.dat when --config-dir is given, else the user's data "
                       "folder). Anything at PATH other than a database of this program is "
                       "left alone and ends the program."),
        QStringLiteral("PATH|URL")};
    QCommandLineOption language{
        QStringLiteral("language"),
        QStringLiteral("Interface language: \"en\" for English captions and messages "
                       "(default: $TARVIX_LANGUAGE, else the design's own texts)."),
        QStringLiteral("LANG")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show these options and exit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the program's version and exit.")};

    void addTo(QCommandLineParser& parser) const {
        parser.setApplicationDescription(
            QStringLiteral("Tarvix: I-V, R(T) and LCR measurements on a GPIB bench"));
        parser.addOptions({bus, busLog, script, configDir, database, language, help, version});
    }
};

QStringList rawArguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

// --help and --version are answered before any window system is touched, so that they work
// over a plain terminal. Returns the exit status when the program should end here.
std::optional<int> answerWithoutWindow(const QStringList& arguments) {
    const Options options;
    QCommandLineParser parser;
    options.addTo(parser);
    // Qt's own options (-platform, -style ...) are not ours: errors wait for the full parse.
    (void)parser.parse(arguments);
    if (parser.isSet(options.help)) {
        QString help = parser.helpText();
        help.replace(QStringLiteral("<executable_name>"), QFileInfo(arguments.value(0)).fileName());
        std::printf("%s", qPrintable(help));
        return 0;
    }
    if (parser.isSet(options.version)) {
        std::printf("tarvix %s\n", qPrintable(text::programVersion()));
        return 0;
    }
    return std::nullopt;
}

// Without a display the window cannot be shown; a recipe runs off-screen instead, and
// anything else is refused after the bus and the folders were checked.
bool noDisplay(const QStringList& arguments) {
    return qEnvironmentVariableIsEmpty("DISPLAY") &&
           qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
           qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
           !arguments.contains(QStringLiteral("-platform"));
}

std::optional<CommandLine> parseCommandLine(const QApplication& app) {
    const Options options;
    QCommandLineParser parser;
    options.addTo(parser);
    if (!parser.parse(app.arguments())) {
        std::fprintf(stderr, "tarvix: %s\n", qPrintable(parser.errorText()));
        return std::nullopt;
    }
    CommandLine line;
    line.bus = parser.isSet(options.bus)
                   ? parser.value(options.bus)
                   : qEnvironmentVariable("TARVIX_BUS", QStringLiteral("sim"));
    line.busLog = parser.value(options.busLog);
    line.script = parser.value(options.script);
    line.configDir =
        settingsFolder(parser.value(options.configDir), QCoreApplication::applicationDirPath(),
                       QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
    line.language = parser.isSet(options.language) ? parser.value(options.language)
                                                   : qEnvironmentVariable("TARVIX_LANGUAGE");
    QString why;
    line.database =
        databaseLocation(parser.value(options.database), parser.isSet(options.database),
                         qEnvironmentVariable("TARVIX_DATABASE"), parser.isSet(options.configDir),
                         QStandardPaths::writableLocation(QStandardPaths::AppDataLocation), &why);
    if (!why.isEmpty()) {
        std::fprintf(stderr, "tarvix: %s\n", qPrintable(why));
        return std::nullopt;
    }
    // The journal beside Parameters.dat is a file like any other from here on.
    if (line.database.file.isEmpty() && !line.database.none) {
        line.database.file =
            QDir(line.configDir).filePath(QString::fromLatin1(journal::JournalDatabase::kFileName));
    }
    return line;
}

// Another program holds the database: the operator opens it read-only or quits.
bool askOpenReadOnly(const QString& message) {
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(),
                    message + QStringLiteral("\n\nOpen it read-only (History only, no "
                                             "measuring), or quit?"));
    QPushButton* readOnly =
        box.addButton(QStringLiteral("Open read-only"), QMessageBox::AcceptRole);
    QPushButton* quit = box.addButton(QStringLiteral("Quit"), QMessageBox::RejectRole);
    box.setDefaultButton(quit);
    box.exec();
    return box.clickedButton() == readOnly;
}

bool makeConfigDir(const QString& folder) {
    if (QDir(folder).exists() || QDir().mkpath(folder)) {
        return true;
    }
    std::fprintf(stderr, "tarvix: cannot create the folder %s\n", qPrintable(folder));
    return false;
}

}  // namespace

int runApplication(int argc, char** argv) {
    // A write past the file-size limit would otherwise kill the program with every unsaved
    // series; ignored, the write fails with EFBIG and is reported like a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    const QStringList arguments = rawArguments(argc, argv);
    if (const auto status = answerWithoutWindow(arguments)) {
        return *status;
    }
    const bool headless = noDisplay(arguments);
    if (headless) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // Qt takes the process locale from the environment; the program's number texts (commands,
    // replies, files) always use a full stop, so C formatting must not follow it.
    std::setlocale(LC_NUMERIC, "C");
    // The plain name names the user's folders; the title replaces it once the command line is
    // read.
    QApplication::setApplicationName(QStringLiteral("tarvix"));
    QApplication::setApplicationVersion(text::programVersion());
    applyDesktopIdentity();
    const auto parsed = parseCommandLine(app);
    if (!parsed) {
        return 2;
    }
    // The application's title (two blanks before the version). A display name would also be
    // appended to the window's own caption, so none is set.
    QApplication::setApplicationName(applicationTitle());
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    QApplication::setFont(font);
    const CommandLine& options = *parsed;
    // Before anything is written: whatever lies at the database's path and is not a database
    // of ours stays exactly as it is.
    if (!options.database.none) {
        const QString refusal = databaseRefusal(options.database.file, options.database.named);
        if (!refusal.isEmpty()) {
            std::fprintf(stderr, "tarvix: %s\n", qPrintable(refusal));
            return 2;
        }
    }

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
    if (!makeConfigDir(options.configDir)) {
        return 2;
    }
    QString languageError;
    const std::unique_ptr<QTranslator> translator =
        installLanguage(options.language, &languageError);
    if (!languageError.isEmpty()) {
        std::fprintf(stderr, "tarvix: %s\n", qPrintable(languageError));
        return 2;
    }
    if (headless && options.script.isEmpty()) {
        std::fprintf(stderr,
                     "tarvix: no display to show the window on (DISPLAY is not set); "
                     "--script runs a recipe without one\n");
        return 2;
    }
    QStringList scriptLines;
    if (!options.script.isEmpty() && !ScriptRunner::readFile(options.script, scriptLines, error)) {
        std::fprintf(stderr, "tarvix: %s\n", qPrintable(error));
        return 2;
    }

    DatabaseHold hold;
    if (!options.database.none) {
        QString inUse;
        auto held = holdDatabase(options.database.file,
                                 options.script.isEmpty() ? askOpenReadOnly : nullptr, &inUse);
        if (!held) {
            std::fprintf(stderr, "tarvix: %s\n", qPrintable(inUse));
            return 2;
        }
        hold = std::move(*held);
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
    TForm1 form(
        *gpib, *ui,
        FormOptions{options.configDir, options.database, std::move(hold.lock), hold.readOnly});
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
