// Where the program's default files and the settings files koef.dat and stopwords.txt live.
//
// The default files (stopwords.txt, UserGuide.html) lie beside the executable in a build tree and
// in <prefix>/share/sumoran when installed (the executable in <prefix>/bin). In a build tree whose
// directory the user may write to, the settings files are the ones beside the executable.
// Otherwise they live in $XDG_CONFIG_HOME/sumoran (~/.config/sumoran by default); that directory
// is created on first use and seeded with the default files. An installed program always keeps the
// settings there, even when run by a user who could write into <prefix>/bin, such as root.
#pragma once

#include <filesystem>
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

/// Returns the settings directory for an executable directory with the given access: exeDir when it
/// is writable and is its own DataDirectory, else the per-user directory, created and seeded with
/// the files of DataDirectory(exeDir) that it lacks. Falls back to DataDirectory(exeDir) when the
/// per-user directory cannot be had.
std::filesystem::path SettingsDirectory(const std::filesystem::path& exeDir, DirectoryAccess exeDirAccess,
                                        const SettingsEnvironment& env);

/// The settings directory of this process: SettingsDirectory with exeDir's probed access and the
/// process environment.
std::filesystem::path SettingsDirectory(const std::filesystem::path& exeDir);

}  // namespace settings
