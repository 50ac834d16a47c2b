#include <gtest/gtest.h>

#include "shell/DatabaseLocation.h"

namespace {

using tarvix::shell::databaseLocation;

TEST(DatabaseLocation, OptionThenEnvironmentThenConfigFolderThenDataFolder) {
    struct Case {
        const char* option;
        const char* environment;
        bool configDirGiven;
        const char* wanted;  // "" : the journal beside Parameters.dat; "!" : refused
    } cases[] = {
        {"/lab/a.sqlite", "/lab/b.sqlite", true, "/lab/a.sqlite"},
        {"", "/lab/b.sqlite", true, "/lab/b.sqlite"},
        {"", "", true, ""},
        {"", "", false, "/home/op/.local/share/tarvix/tarvix-journal.sqlite"},
        {"/lab/../lab/a.sqlite", "", false, "/lab/a.sqlite"},
        {"postgresql://op@server/lab", "", false, "!"},
        {"", "postgresql://op@server/lab", false, "!"},
    };
    for (const Case& test : cases) {
        QString why;
        const QString found = databaseLocation(
            QString::fromLatin1(test.option), QString::fromLatin1(test.environment),
            test.configDirGiven, QStringLiteral("/home/op/.local/share/tarvix"), &why);
        const QString wanted = QString::fromLatin1(test.wanted);
        EXPECT_EQ(why.isEmpty() ? found : QStringLiteral("!"), wanted)
            << test.option << test.environment;
    }
}

}  // namespace
