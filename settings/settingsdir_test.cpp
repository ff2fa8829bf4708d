#include "settings/settingsdir.h"

#include <gtest/gtest.h>

#include <map>

#include "base/tempdir_for_tests.h"

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

TEST(SettingsDirRoot, RootNeverWritesUnderAnotherUsersDirectories) {
    // Root's home is /root; alice (1000) owns her home and its .config; /srv/cfg is root's.
    const std::map<std::string, uid_t> owners = {
        {"/", 0},
        {"/home", 0},
        {"/home/alice", 1000},
        {"/home/alice/.config", 1000},
        {"/root", 0},
        {"/root/.config", 0},
        {"/srv", 0},
        {"/srv/cfg", 0},
        {"/home/bob", 1001},
        {"/home/odd", static_cast<uid_t>(-1)},
    };
    auto ownerOf = [&](const std::filesystem::path& p) -> std::optional<uid_t> {
        auto it = owners.find(p.string());
        return it == owners.end() ? std::nullopt : std::optional<uid_t>(it->second);
    };
    const std::string rootDir = "/root/.config/sumoran";
    const struct {
        const char* name;
        uid_t euid;
        std::string rootHome;
        SettingsEnvironment env;
        std::string settings;                 // OwnUserSettingsDirectory
        std::optional<std::string> override;  // RootHomeOverride
    } cases[] = {
        {"alice herself", 1000, "/root", {"", "/home/alice"}, "/home/alice/.config/sumoran", std::nullopt},
        {"alice with bob's HOME", 1000, "/root", {"", "/home/bob"}, "/home/bob/.config/sumoran", std::nullopt},
        {"sudo: root's HOME", 0, "/root", {"", "/root"}, rootDir, std::nullopt},
        {"sudo -E: alice's HOME", 0, "/root", {"", "/home/alice"}, rootDir, "/root"},
        {"sudo -E: alice's XDG_CONFIG_HOME", 0, "/root", {"/home/alice/.config", "/home/alice"}, rootDir, "/root"},
        {"root's XDG_CONFIG_HOME, alice's HOME", 0, "/root", {"/srv/cfg", "/home/alice"}, rootDir, "/root"},
        {"alice's XDG_CONFIG_HOME, root's HOME", 0, "/root", {"/home/alice/.config", "/root"}, rootDir, std::nullopt},
        {"missing XDG_CONFIG_HOME under alice's", 0, "/root", {"/home/alice/new/cfg", "/root"}, rootDir, std::nullopt},
        {"missing XDG dir of root's", 0, "/root", {"/srv/cfg/new", "/root"}, "/srv/cfg/new/sumoran", std::nullopt},
        {"relative XDG_CONFIG_HOME, alice's HOME", 0, "/root", {"cfg", "/home/alice"}, rootDir, "/root"},
        {"HOME of an unknown owner", 0, "/root", {"", "/home/odd"}, rootDir, "/root"},
        {"root's home unknown", 0, "", {"", "/home/alice"}, "", std::nullopt},
        {"root's home is alice's", 0, "/home/alice", {"", "/home/alice"}, "", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ProcessIdentity identity{c.euid, ownerOf, c.rootHome};
        EXPECT_EQ(OwnUserSettingsDirectory(c.env, identity), std::filesystem::path(c.settings));
        EXPECT_EQ(RootHomeOverride(c.env, identity), c.override);
    }
}

TEST(SettingsDirRoot, CreatesNothingInAHomeOfAnotherUser) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a directory to another user";
    TempDir exe;
    TempDir home;
    TempDir rootHome;
    writeBytes(exe / "stopwords.txt", "installed stop words");
    ASSERT_EQ(::chown(home.path().c_str(), testutil::kNobody, testutil::kNobody), 0);
    ProcessIdentity identity = CurrentProcessIdentity();
    identity.rootHome = rootHome.path().string();
    for (const SettingsEnvironment& env :
         {SettingsEnvironment{"", home.path().string()}, SettingsEnvironment{(home / ".config").string(), ""}}) {
        std::filesystem::path dir = SettingsDirectory(exe.path(), DirectoryAccess::kReadOnly, env, identity);
        EXPECT_EQ(dir, rootHome / ".config" / "sumoran");
        EXPECT_EQ(readBytes(dir / "stopwords.txt"), "installed stop words");
        EXPECT_EQ(testutil::directoryListing(home.path()), "");
    }
}

TEST(SettingsDirProbe, TellsWritableDirectories) {
    TempDir dir;
    EXPECT_EQ(ProbeDirectoryAccess(dir.path()), DirectoryAccess::kWritable);
    EXPECT_EQ(ProbeDirectoryAccess(dir / "missing"), DirectoryAccess::kReadOnly);
    writeBytes(dir / "file", "x");
    EXPECT_EQ(ProbeDirectoryAccess(dir / "file"), DirectoryAccess::kReadOnly);
}

TEST(SettingsDirProbe, TellsADirectoryItsOwnerCannotWrite) {
    TempDir dir;
    testutil::giveToNobodyIfRoot(dir.path());
    const std::filesystem::path path = dir.path();
    auto probe = [&](mode_t mode, DirectoryAccess expected) {
        return testutil::exitStatusAsNonRoot(
            [&] { return ::chmod(path.c_str(), mode) == 0 && ProbeDirectoryAccess(path) == expected; });
    };
    EXPECT_EQ(probe(0555, DirectoryAccess::kReadOnly), 0);
    EXPECT_EQ(probe(0755, DirectoryAccess::kWritable), 0);
}

TEST(SettingsDirExecutable, IsTheDirectoryOfTheTestProgram) {
    EXPECT_TRUE(std::filesystem::exists(ExecutableDirectory() / "settings_tests"));
}

}  // namespace
}  // namespace settings
