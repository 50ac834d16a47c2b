// SPDX-License-Identifier: GPL-3.0-or-later
// tarvix-convert FILE...: the tidy CSV of series (.ktl), temperature (.temp) and frequency
// (.frq) files, the same table the window's tidy export writes, for tools without the window.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

#include "TidyConvert.h"
#include "text/ProgramVersion.h"

namespace {

void complain(const QString& message) {
    std::fprintf(stderr, "tarvix-convert: %s\n", qPrintable(message));
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarvix-convert"));
    QCoreApplication::setApplicationVersion(tarvix::text::programVersion());
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes the tidy CSV table of each .ktl, .temp or .frq file.\n"
                       "One FILE: the table goes to standard output, or to -o OUTPUT.\n"
                       "Several FILEs: each table goes to FILE.csv beside its file."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption output(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Write the table of the one FILE to OUTPUT (- is standard output)."),
        QStringLiteral("OUTPUT"));
    parser.addOption(output);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The files to convert."),
                                 QStringLiteral("FILE..."));
    // process() would end a wrong command line with status 1, the status of a bad file.
    if (!parser.parse(app.arguments())) {
        complain(parser.errorText());
        return 2;
    }
    parser.process(app);  // what is left: --help, --help-all and --version
    const QStringList inputs = parser.positionalArguments();
    if (inputs.isEmpty() || (inputs.size() > 1 && parser.isSet(output))) {
        complain(inputs.isEmpty() ? QStringLiteral("no FILE given")
                                  : QStringLiteral("-o names the output of one FILE only"));
        return 2;
    }
    int status = 0;
    for (const QString& input : inputs) {
        const QString target =
            inputs.size() > 1 ? input + QStringLiteral(".csv") : parser.value(output);
        const QString failure = tarvix::convert::convertToTidyCsv(
            input, target.isEmpty() ? QStringLiteral("-") : target);
        if (!failure.isEmpty()) {
            complain(failure);
            status = 1;
        }
    }
    return status;
}
