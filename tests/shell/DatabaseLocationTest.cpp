#include <gtest/gtest.h>

#include "shell/DatabaseLocation.h"

namespace {

using tarvix::shell::databaseLocation;

TEST(DatabaseLocation, OptionThenEnvironmentThenConfigFolderThenDataFolder) {
    struct Case {
        const char* option;
        const char* environment;
        bool configDirGiven;
        const char* file;    // "" : the journal beside Parameters.dat; "!" : refused
        const char* server;  // the server as shown, "" : none
    } cases[] = {
        {"/lab/a.sqlite", "/lab/b.sqlite", true, "/lab/a.sqlite", ""},
        {"", "/lab/b.sqlite", true, "/lab/b.sqlite", ""},
        {"", "", true, "", ""},
        {"", "", false, "/home/op/.local/share/tarvix/tarvix-journal.sqlite", ""},
        {"/lab/../lab/a.sqlite", "", false, "/lab/a.sqlite", ""},
        // With a server the bench still measures into its own file, where it would anyway.
        {"postgresql://op@server/lab", "/lab/b.sqlite", false,
         "/home/op/.local/share/tarvix/tarvix-journal.sqlite", "postgresql://op@server/lab"},
        {"", "postgres://op@server:5433/lab", true, "", "postgresql://op@server:5433/lab"},
        {"postgresql://op@server", "", false, "!", ""},
        {"mysql://op@server/lab", "", false, "!", ""},
    };
    for (const Case& test : cases) {
        QString why;
        const auto found = databaseLocation(
            QString::fromLatin1(test.option), QString::fromLatin1(test.environment),
            test.configDirGiven, QStringLiteral("/home/op/.local/share/tarvix"), &why);
        EXPECT_EQ(why.isEmpty() ? found.file : QStringLiteral("!"), QString::fromLatin1(test.file))
            << test.option << test.environment;
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
        databaseLocation(QString::fromLatin1(test.option), {}, false, QStringLiteral("/data"), &why,
                         test.driver);
        EXPECT_EQ(why, QString::fromLatin1(test.why)) << test.option << test.driver;
    }
}

}  // namespace
