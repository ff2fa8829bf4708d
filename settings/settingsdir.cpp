#include "settings/settingsdir.h"

#include <unistd.h>

#include <cstdlib>
#include <system_error>

#include "settings/textfile.h"

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

}  // namespace

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
                                        const SettingsEnvironment& env) {
    std::filesystem::path dataDir = DataDirectory(exeDir);
    if (dataDir == exeDir && exeDirAccess == DirectoryAccess::kWritable) return exeDir;
    std::filesystem::path userDir = UserSettingsDirectory(env);
    if (userDir.empty() || !ensureDirectory(userDir)) return dataDir;
    seedFile(dataDir, userDir, kKoefFileName);
    seedFile(dataDir, userDir, kStopWordsFileName);
    return userDir;
}

std::filesystem::path SettingsDirectory(const std::filesystem::path& exeDir) {
    return SettingsDirectory(exeDir, ProbeDirectoryAccess(exeDir), CurrentSettingsEnvironment());
}

}  // namespace settings
