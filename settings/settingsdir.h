// Where the settings files koef.dat and stopwords.txt live.
//
// They live beside the executable. An installed program usually may not write there, so when
// that directory is not writable by the user the files move to $XDG_CONFIG_HOME/sumoran
// (~/.config/sumoran by default); that directory is created on first use and seeded with the
// copies installed beside the program.
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

/// Returns $XDG_CONFIG_HOME/sumoran, or $HOME/.config/sumoran when XDG_CONFIG_HOME is unset or
/// relative; an empty path when neither gives an absolute directory.
std::filesystem::path UserSettingsDirectory(const SettingsEnvironment& env);

/// Returns the settings directory for an executable directory with the given access: exeDir when
/// it is writable, else the per-user directory, created and seeded with the settings files of
/// exeDir that it lacks. Falls back to exeDir when the per-user directory cannot be had.
std::filesystem::path SettingsDirectory(const std::filesystem::path& exeDir, DirectoryAccess exeDirAccess,
                                        const SettingsEnvironment& env);

/// The settings directory of this process: SettingsDirectory with exeDir's probed access and the
/// process environment.
std::filesystem::path SettingsDirectory(const std::filesystem::path& exeDir);

}  // namespace settings
