// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "shell/DatabaseLocation.h"

namespace {

using tarvix::shell::databaseLocation;

TEST(DatabaseLocation, OptionThenEnvironmentThenConfigFolderThenDataFolder) {
    struct Case {
        const char* option;  // nullptr: no --database at all
        const char* environment;
        bool configDirGiven;
        const char* file;  // "" : the journal beside Parameters.dat; "!" : refused; "-" : none
        bool named;
        const char* server;  // the server as shown, "" : none
    } cases[] = {
        {"/lab/a.sqlite", "/lab/b.sqlite", true, "/lab/a.sqlite", true, ""},
        {nullptr, "/lab/b.sqlite", true, "/lab/b.sqlite", true, ""},
        {nullptr, "", true, "", false, ""},
        {nullptr, "", false, "/home/op/.local/share/tarvix/tarvix-journal.sqlite", false, ""},
        {"/lab/../lab/a.sqlite", "", false, "/lab/a.sqlite", true, ""},
        // With a server the bench still measures into its own file, where it would anyway.
        {"postgresql://op@server/lab", "/lab/b.sqlite", false,
         "/home/op/.local/share/tarvix/tarvix-journal.sqlite", false, "postgresql://op@server/lab"},
        {nullptr, "postgres://op@server:5433/lab", true, "", false,
         "postgresql://op@server:5433/lab"},
        {"postgresql://op@server", "", false, "!", false, ""},
        {"mysql://op@server/lab", "", false, "!", false, ""},
        // "none" keeps no database; an empty --database (a script's unset variable) names
        // nothing and is refused, while an empty environment variable is as good as unset.
        {"none", "/lab/b.sqlite", false, "-", false, ""},
        {nullptr, "none", true, "-", false, ""},
        {"", "/lab/b.sqlite", false, "!", false, ""},
        {"/lab/none", "", false, "/lab/none", true, ""},
    };
    for (const Case& test : cases) {
        QString why;
        const auto found =
            databaseLocation(QString::fromLatin1(test.option), test.option != nullptr,
                             QString::fromLatin1(test.environment), test.configDirGiven,
                             QStringLiteral("/home/op/.local/share/tarvix"), &why);
        const QString file = !why.isEmpty() ? QStringLiteral("!")
                             : found.none   ? QStringLiteral("-")
                                            : found.file;
        EXPECT_EQ(file, QString::fromLatin1(test.file)) << test.option << test.environment;
        EXPECT_EQ(found.named, test.named) << test.option << test.environment;
        EXPECT_EQ(found.server ? found.server->text() : QString(), QString::fromLatin1(test.server))
            << test.option << test.environment;
    }
}

// Without Qt's PostgreSQL plugin only a server is refused, and the refusal names the package.
TEST(DatabaseLocation, AServerWithoutItsDriverNamesThePackage) {
    const struct {
        const char* option;
        bool driver;
        const char* why;
    } cases[] = {
        {"postgresql://op@server/lab", false,
         "database postgresql://op@server/lab: Qt's PostgreSQL driver (QPSQL) is not installed; "
         "install the package libqt6sql6-psql (sudo apt install libqt6sql6-psql)"},
        {"postgresql://op@server/lab", true, ""},
        {"/lab/a.sqlite", false, ""},
    };
    for (const auto& test : cases) {
        QString why;
        databaseLocation(QString::fromLatin1(test.option), true, {}, false, QStringLiteral("/data"),
                         &why, test.driver);
        EXPECT_EQ(why, QString::fromLatin1(test.why)) << test.option << test.driver;
    }
}

}  // namespace
