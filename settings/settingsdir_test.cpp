#include "settings/settingsdir.h"

#include <gtest/gtest.h>

#include "settings/tempdir_for_tests.h"

namespace settings {
namespace {

using testutil::readBytes;
using testutil::TempDir;
using testutil::writeBytes;

TEST(SettingsDirUser, FollowsXdgConfigHomeThenHome) {
    EXPECT_EQ(UserSettingsDirectory({"/cfg", "/home/u"}), std::filesystem::path("/cfg/sumoran"));
    EXPECT_EQ(UserSettingsDirectory({"", "/home/u"}), std::filesystem::path("/home/u/.config/sumoran"));
    EXPECT_EQ(UserSettingsDirectory({"relative/cfg", "/home/u"}), std::filesystem::path("/home/u/.config/sumoran"));
    EXPECT_EQ(UserSettingsDirectory({"", "relative"}), std::filesystem::path());
    EXPECT_EQ(UserSettingsDirectory({"", ""}), std::filesystem::path());
}

TEST(SettingsDirChoice, WritableExecutableDirectoryIsUsedAsItIs) {
    TempDir exe;
    TempDir home;
    EXPECT_EQ(SettingsDirectory(exe.path(), DirectoryAccess::kWritable, {"", home.path().string()}), exe.path());
    EXPECT_FALSE(std::filesystem::exists(home / ".config"));
}

TEST(SettingsDirChoice, ReadOnlyExecutableDirectoryMovesToTheSeededUserDirectory) {
    TempDir exe;
    TempDir home;
    writeBytes(exe / "koef.dat", "installed koef");
    writeBytes(exe / "stopwords.txt", "installed stop words");
    std::filesystem::path dir = SettingsDirectory(exe.path(), DirectoryAccess::kReadOnly, {"", home.path().string()});
    EXPECT_EQ(dir, home / ".config" / "sumoran");
    EXPECT_EQ(readBytes(dir / "koef.dat"), "installed koef");
    EXPECT_EQ(readBytes(dir / "stopwords.txt"), "installed stop words");
}

TEST(SettingsDirChoice, SeedingKeepsTheUsersFilesAndSkipsMissingOnes) {
    TempDir exe;
    TempDir config;
    writeBytes(exe / "koef.dat", "installed koef");
    std::filesystem::create_directory(config / "sumoran");
    writeBytes(config / "sumoran" / "koef.dat", "user koef");
    std::filesystem::path dir = SettingsDirectory(exe.path(), DirectoryAccess::kReadOnly, {config.path().string(), ""});
    EXPECT_EQ(dir, config / "sumoran");
    EXPECT_EQ(readBytes(dir / "koef.dat"), "user koef");
    EXPECT_FALSE(std::filesystem::exists(dir / "stopwords.txt"));
}

TEST(SettingsDirChoice, FallsBackToTheExecutableDirectoryWhenNoUserDirectoryCanBeHad) {
    TempDir exe;
    EXPECT_EQ(SettingsDirectory(exe.path(), DirectoryAccess::kReadOnly, {"", ""}), exe.path());
    writeBytes(exe / "file", "x");
    EXPECT_EQ(SettingsDirectory(exe.path(), DirectoryAccess::kReadOnly, {(exe / "file").string(), ""}), exe.path());
}

TEST(SettingsDirProbe, TellsWritableDirectories) {
    TempDir dir;
    EXPECT_EQ(ProbeDirectoryAccess(dir.path()), DirectoryAccess::kWritable);
    EXPECT_EQ(ProbeDirectoryAccess(dir / "missing"), DirectoryAccess::kReadOnly);
    writeBytes(dir / "file", "x");
    EXPECT_EQ(ProbeDirectoryAccess(dir / "file"), DirectoryAccess::kReadOnly);
    if (::geteuid() == 0) return;  // root may write into a read-only directory
    ::chmod(dir.path().c_str(), 0555);
    EXPECT_EQ(ProbeDirectoryAccess(dir.path()), DirectoryAccess::kReadOnly);
}

TEST(SettingsDirExecutable, IsTheDirectoryOfTheTestProgram) {
    EXPECT_TRUE(std::filesystem::exists(ExecutableDirectory() / "settings_tests"));
}

}  // namespace
}  // namespace settings
