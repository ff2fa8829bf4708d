// Where the program's default files and the settings files koef.dat and stopwords.txt live.
//
// The default files (stopwords.txt, UserGuide.html) lie beside the executable in a build tree and
// in <prefix>/share/sumoran when installed (the executable in <prefix>/bin). In a build tree whose
// directory the user may write to, the settings files are the ones beside the executable.
// Otherwise they live in $XDG_CONFIG_HOME/sumoran (~/.config/sumoran by default); that directory
// is created on first use and seeded with the default files. An installed program always keeps the
// settings there, even when run by a user who could write into <prefix>/bin, such as root.
// Root never writes into another user's directories: run through `sudo -E` or with another user's
// HOME, it keeps its settings in its own home's .config/sumoran.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace settings {

inline constexpr std::string_view kKoefFileName = "koef.dat";
inline constexpr std::string_view kStopWordsFileName = "stopwords.txt";

/// The environment values that decide the per-user settings directory; empty when unset.
struct SettingsEnvironment {
    std::string xdgConfigHome;
    std::string home;
};

enum class DirectoryAccess { kWritable, kReadOnly };

/// Who the process is, as far as the choice of its settings directory goes.
struct ProcessIdentity {
    uid_t effectiveUid = 0;
    /// Returns the owner of an existing path, nothing when the path does not exist, and
    /// (uid_t)-1, which counts as another user, when it cannot be examined.
    std::function<std::optional<uid_t>(const std::filesystem::path&)> ownerOf;
    std::string rootHome;  // the home directory of uid 0 in the password database; empty when unknown
};

/// Returns the owner of an existing path: of a symbolic link itself when it is not root's, else of
/// what it leads to. Nothing when the path does not exist, (uid_t)-1 when it cannot be examined.
std::optional<uid_t> PathOwner(const std::filesystem::path& path);

/// Returns this process's identity: its effective uid, PathOwner, and root's home from the
/// password database.
ProcessIdentity CurrentProcessIdentity();

/// Reads XDG_CONFIG_HOME and HOME from the process environment.
SettingsEnvironment CurrentSettingsEnvironment();

/// Returns the directory of the running executable, or the current directory when it cannot be found.
std::filesystem::path ExecutableDirectory();

/// Tells whether the user may create files in the directory; kReadOnly also when it does not exist.
DirectoryAccess ProbeDirectoryAccess(const std::filesystem::path& dir);

/// Returns the directory holding the program's default files for an executable directory: exeDir when
/// it holds stopwords.txt, else <exeDir>/../share/sumoran when that does; exeDir when neither does.
std::filesystem::path DataDirectory(const std::filesystem::path& exeDir);

/// Returns $XDG_CONFIG_HOME/sumoran, or $HOME/.config/sumoran when XDG_CONFIG_HOME is unset or
/// relative; an empty path when neither gives an absolute directory.
std::filesystem::path UserSettingsDirectory(const SettingsEnvironment& env);

/// Returns the per-user settings directory that `identity` may create and write: UserSettingsDirectory,
/// except for root (effective uid 0) when HOME, or the nearest existing ancestor of the configuration
/// base ($XDG_CONFIG_HOME or $HOME/.config), belongs to another user. Root then gets
/// <root's home>/.config/sumoran, or an empty path when root's home is unknown, relative or itself
/// another user's.
std::filesystem::path OwnUserSettingsDirectory(const SettingsEnvironment& env, const ProcessIdentity& identity);

/// Returns root's home for a process of root whose HOME belongs to another user, so that the
/// program can set HOME to it before anything (Qt, the web engine, fontconfig) writes under HOME.
/// Returns nothing for other users, for a HOME of root's own, and when root's home is unknown,
/// relative or itself another user's.
std::optional<std::string> RootHomeOverride(const SettingsEnvironment& env, const ProcessIdentity& identity);

/// RootHomeOverride for this process and its environment. Call it at start-up, before any thread
/// starts, and set HOME to what it returns.
std::optional<std::string> RootHomeOverride();

/// Returns the settings directory for an executable directory with the given access: exeDir when it
/// is writable and is its own DataDirectory, else OwnUserSettingsDirectory, created and seeded with
/// the files of DataDirectory(exeDir) that it lacks. Falls back to DataDirectory(exeDir) when the
/// per-user directory cannot be had.
std::filesystem::path SettingsDirectory(const std::filesystem::path& exeDir, DirectoryAccess exeDirAccess,
                                        const SettingsEnvironment& env,
                                        const ProcessIdentity& identity = CurrentProcessIdentity());

/// The settings directory of this process: SettingsDirectory with exeDir's probed access and the
/// process environment.
std::filesystem::path SettingsDirectory(const std::filesystem::path& exeDir);

}  // namespace settings
