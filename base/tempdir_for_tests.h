// A private temporary directory for the settings tests, removed with everything in it, its file
// helpers, and a way to run a permission check as a user other than root.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace settings::testutil {

class TempDir {
  public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "sumoran-settings-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ec;
        // Tests make directories read-only; give the owner access back so everything can go.
        for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            if (it->is_directory(ec)) ::chmod(it->path().c_str(), 0700);
        }
        ::chmod(path_.c_str(), 0700);
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

/// Writes bytes to a file as they are.
inline void writeBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

/// Reads a whole file's bytes; empty when it cannot be read.
inline std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// The names of the entries of a directory, sorted.
inline std::string directoryListing(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string listing;
    for (const auto& name : names) listing += name + ";";
    return listing;
}

/// The user id (and group id) of nobody, whom root becomes to meet the file permissions.
inline constexpr uid_t kNobody = 65534;

/// Gives a directory and everything in it to nobody when this process is root; else does nothing.
inline void giveToNobodyIfRoot(const std::filesystem::path& dir) {
    if (::geteuid() != 0) return;
    (void)::chown(dir.c_str(), kNobody, kNobody);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir))
        (void)::chown(entry.path().c_str(), kNobody, kNobody);
}

/// Runs `check` in a child process that, when this one is root, first becomes nobody (root may
/// write into any directory, so a permission test as root checks nothing). Returns the child's
/// exit status: 0 when the check held, 1 when it did not, 2 when the child could not give up root.
inline int exitStatusAsNonRoot(const std::function<bool()>& check) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) ::_exit(2);
        ::_exit(check() ? 0 : 1);
    }
    int status = -1;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

}  // namespace settings::testutil
