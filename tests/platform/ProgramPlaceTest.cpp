#include "platform/ProgramPlace.h"

#include <gtest/gtest.h>

namespace {

SettingsPlaceFacts facts(bool writable, bool installed, const QString &xdg = QString()) {
    SettingsPlaceFacts f;
    f.programFolder = QStringLiteral("/opt/corvane");
    f.programFolderWritable = writable;
    f.installedLayout = installed;
    f.xdgConfigHome = xdg;
    f.home = QStringLiteral("/home/user");
    return f;
}

} // namespace

// A portable copy keeps its settings beside itself; anything else uses the user's folder.
TEST(SettingsPlace, BesideAWritablePortableProgramElseInTheUsersConfigFolder) {
    EXPECT_EQ(settingsFolderFor(facts(true, false)), QStringLiteral("/opt/corvane"));
    EXPECT_EQ(settingsFolderFor(facts(false, false)), QStringLiteral("/home/user/.config/corvane"));
    // Root can write /usr/bin, but an installed program still keeps settings per user.
    EXPECT_EQ(settingsFolderFor(facts(true, true)), QStringLiteral("/home/user/.config/corvane"));
    EXPECT_EQ(settingsFolderFor(facts(false, true, QStringLiteral("/cfg"))),
              QStringLiteral("/cfg/corvane"));
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    EXPECT_EQ(settingsFolderFor(facts(false, true, QStringLiteral("cfg"))),
              QStringLiteral("/home/user/.config/corvane"));
    EXPECT_EQ(settingsFolderFor(facts(true, false, QStringLiteral("/cfg"))),
              QStringLiteral("/opt/corvane"));
}

// The test program sits in the build folder, which is writable and not an installed tree.
TEST(SettingsPlace, TheBuildFolderIsAPortablePlace) {
    const SettingsPlaceFacts current = currentSettingsPlaceFacts();
    EXPECT_TRUE(current.programFolderWritable);
    EXPECT_FALSE(current.installedLayout);
    EXPECT_TRUE(settingsFilePath().startsWith(current.programFolder + QLatin1Char('/')));
}
