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

// An installed tree: <prefix>/bin with the default stop words in <prefix>/share/sumoran.
struct InstalledTree {
    TempDir prefix;
    std::filesystem::path bin = prefix / "bin";
    std::filesystem::path data = prefix / "share" / "sumoran";
    InstalledTree() {
        std::filesystem::create_directories(bin);
        std::filesystem::create_directories(data);
        writeBytes(data / "stopwords.txt", "installed stop words");
    }
};

TEST(SettingsDirData, BuildTreeKeepsTheDefaultFilesBesideTheExecutable) {
    InstalledTree tree;
    writeBytes(tree.bin / "stopwords.txt", "build stop words");
    EXPECT_EQ(DataDirectory(tree.bin), tree.bin);
}

TEST(SettingsDirData, InstalledProgramFindsThemInShareSumoran) {
    InstalledTree tree;
    EXPECT_EQ(DataDirectory(tree.bin), tree.data);
    EXPECT_EQ(DataDirectory(tree.bin / ""), tree.data);
}

TEST(SettingsDirData, FallsBackToTheExecutableDirectoryWhenNeitherHoldsTheStopWords) {
    InstalledTree tree;
    std::filesystem::remove(tree.data / "stopwords.txt");
    writeBytes(tree.data / "UserGuide.html", "guide");
    EXPECT_EQ(DataDirectory(tree.bin), tree.bin);
    std::filesystem::create_directory(tree.bin / "stopwords.txt");
    EXPECT_EQ(DataDirectory(tree.bin), tree.bin);
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

TEST(SettingsDirChoice, InstalledProgramSeedsTheUserDirectoryFromShareSumoran) {
    InstalledTree tree;
    TempDir home;
    std::filesystem::path dir = SettingsDirectory(tree.bin, DirectoryAccess::kReadOnly, {"", home.path().string()});
    EXPECT_EQ(dir, home / ".config" / "sumoran");
    EXPECT_EQ(readBytes(dir / "stopwords.txt"), "installed stop words");
    EXPECT_FALSE(std::filesystem::exists(dir / "koef.dat"));
    EXPECT_EQ(testutil::directoryListing(tree.bin), "");
}

TEST(SettingsDirChoice, InstalledProgramKeepsSettingsInTheUserDirectoryEvenWhenItCouldWriteBin) {
    // Root, or a program installed under the user's own prefix, may write into <prefix>/bin, which
    // holds no settings files: the settings still belong in the user's configuration directory.
    InstalledTree tree;
    TempDir config;
    std::filesystem::path dir = SettingsDirectory(tree.bin, DirectoryAccess::kWritable, {config.path().string(), ""});
    EXPECT_EQ(dir, config / "sumoran");
    EXPECT_EQ(readBytes(dir / "stopwords.txt"), "installed stop words");
}

TEST(SettingsDirChoice, InstalledProgramWithoutUserDirectoryReadsTheDefaultFiles) {
    InstalledTree tree;
    EXPECT_EQ(SettingsDirectory(tree.bin, DirectoryAccess::kReadOnly, {"", ""}), tree.data);
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
