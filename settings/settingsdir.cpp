#include "settings/settingsdir.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <vector>

#include "base/textfile.h"

namespace settings {
namespace {

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// Creates the directory and any missing parents; new directories are private to the user, as
// the per-user configuration base should be.
bool ensureDirectory(const std::filesystem::path& dir) {
    std::error_code ec;
    if (std::filesystem::is_directory(dir, ec)) return true;
    if (dir.empty() || dir == dir.parent_path()) return false;
    if (!ensureDirectory(dir.parent_path())) return false;
    if (std::filesystem::create_directory(dir, ec)) {
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all, ec);
        return true;
    }
    return std::filesystem::is_directory(dir, ec);
}

// Copies a default settings file of the program into the per-user directory, unless the user
// already has one there or the program has none.
void seedFile(const std::filesystem::path& dataDir, const std::filesystem::path& userDir, std::string_view name) {
    std::error_code ec;
    std::filesystem::path target = userDir / name;
    if (std::filesystem::exists(std::filesystem::symlink_status(target, ec))) return;
    FileBytes installed = ReadFileBytes(dataDir / name);
    if (installed.status != ReadStatus::kOk) return;
    WriteFileAtomically(target, installed.bytes);
}

// Whether `path`, or its nearest existing ancestor when it does not exist, belongs to a user other
// than root; also when not even the root directory can be found.
bool underAnotherUser(const std::filesystem::path& path, const ProcessIdentity& identity) {
    for (std::filesystem::path p = path;; p = p.parent_path()) {
        if (std::optional<uid_t> owner = identity.ownerOf(p)) return *owner != 0;
        if (p.empty() || p == p.parent_path()) return true;
    }
}

// Whether a process of root with this environment would write into another user's directories:
// the environment is then that user's, whichever of its values the settings directory comes from.
bool belongsToAnotherUser(const SettingsEnvironment& env, const ProcessIdentity& identity) {
    const std::filesystem::path home(env.home);
    if (home.is_absolute() && underAnotherUser(home, identity)) return true;
    const std::filesystem::path dir = UserSettingsDirectory(env);
    return !dir.empty() && underAnotherUser(dir.parent_path(), identity);
}

// Root's home directory, unless it is unknown, relative or another user's.
std::optional<std::string> ownRootHome(const ProcessIdentity& identity) {
    const SettingsEnvironment root{"", identity.rootHome};
    if (!std::filesystem::path(root.home).is_absolute() || belongsToAnotherUser(root, identity)) return std::nullopt;
    return root.home;
}

// The home directory of uid 0 in the password database; empty when it has none.
std::string passwordDatabaseRootHome() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    int error = 0;
    while ((error = ::getpwuid_r(0, &entry, buffer.data(), buffer.size(), &found)) == ERANGE &&
           buffer.size() < (std::size_t{1} << 20)) {
        buffer.resize(buffer.size() * 2);
    }
    if (error != 0 || found == nullptr || entry.pw_dir == nullptr) return {};
    return entry.pw_dir;
}

}  // namespace

std::optional<uid_t> PathOwner(const std::filesystem::path& path) {
    constexpr auto kUnknown = static_cast<uid_t>(-1);
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
        return kUnknown;
    }
    if (!S_ISLNK(link.st_mode) || link.st_uid != 0) return link.st_uid;
    struct stat target {};
    if (::stat(path.c_str(), &target) != 0) return link.st_uid;  // a dangling link of root's
    return target.st_uid;
}

ProcessIdentity CurrentProcessIdentity() { return {::geteuid(), PathOwner, passwordDatabaseRootHome()}; }

std::filesystem::path OwnUserSettingsDirectory(const SettingsEnvironment& env, const ProcessIdentity& identity) {
    std::filesystem::path dir = UserSettingsDirectory(env);
    if (identity.effectiveUid != 0 || dir.empty() || !belongsToAnotherUser(env, identity)) return dir;
    std::optional<std::string> rootHome = ownRootHome(identity);
    if (!rootHome) return {};
    return std::filesystem::path(*rootHome) / ".config" / "sumoran";
}

std::optional<std::string> RootHomeOverride(const SettingsEnvironment& env, const ProcessIdentity& identity) {
    const std::filesystem::path home(env.home);
    if (identity.effectiveUid != 0 || !home.is_absolute() || !underAnotherUser(home, identity)) return std::nullopt;
    return ownRootHome(identity);
}

std::optional<std::string> RootHomeOverride() {
    if (::geteuid() != 0) return std::nullopt;
    return RootHomeOverride(CurrentSettingsEnvironment(), CurrentProcessIdentity());
}

SettingsEnvironment CurrentSettingsEnvironment() {
    return SettingsEnvironment{environmentValue("XDG_CONFIG_HOME"), environmentValue("HOME")};
}

std::filesystem::path ExecutableDirectory() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec && exe.has_parent_path()) return exe.parent_path();
    std::filesystem::path current = std::filesystem::current_path(ec);
    return ec ? std::filesystem::path(".") : current;
}

DirectoryAccess ProbeDirectoryAccess(const std::filesystem::path& dir) {
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) return DirectoryAccess::kReadOnly;
    return ::access(dir.c_str(), W_OK | X_OK) == 0 ? DirectoryAccess::kWritable : DirectoryAccess::kReadOnly;
}

std::filesystem::path DataDirectory(const std::filesystem::path& exeDir) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(exeDir / kStopWordsFileName, ec)) return exeDir;
    std::filesystem::path installed = (exeDir / ".." / "share" / "sumoran").lexically_normal();
    if (std::filesystem::is_regular_file(installed / kStopWordsFileName, ec)) return installed;
    return exeDir;
}

std::filesystem::path UserSettingsDirectory(const SettingsEnvironment& env) {
    std::filesystem::path xdg(env.xdgConfigHome);
    if (xdg.is_absolute()) return xdg / "sumoran";
    std::filesystem::path home(env.home);
    if (home.is_absolute()) return home / ".config" / "sumoran";
    return {};
}

std::filesystem::path SettingsDirectory(const std::filesystem::path& exeDir, DirectoryAccess exeDirAccess,
                                        const SettingsEnvironment& env, const ProcessIdentity& identity) {
    std::filesystem::path dataDir = DataDirectory(exeDir);
    if (dataDir == exeDir && exeDirAccess == DirectoryAccess::kWritable) return exeDir;
    std::filesystem::path userDir = OwnUserSettingsDirectory(env, identity);
    if (userDir.empty() || !ensureDirectory(userDir)) return dataDir;
    seedFile(dataDir, userDir, kKoefFileName);
    seedFile(dataDir, userDir, kStopWordsFileName);
    return userDir;
}

std::filesystem::path SettingsDirectory(const std::filesystem::path& exeDir) {
    return SettingsDirectory(exeDir, ProbeDirectoryAccess(exeDir), CurrentSettingsEnvironment());
}

}  // namespace settings
