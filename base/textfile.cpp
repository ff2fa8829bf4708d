#include "base/textfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

namespace settings {
namespace {

// Closes a file descriptor when it goes out of scope.
class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and reports whether the close succeeded (a late write error shows here).
    bool close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

// Writes all bytes; false with errno set when a write fails.
bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {  // no progress and no error: the device takes nothing more
            errno = ENOSPC;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Reads until end of file; kTooLarge when more than maxSize bytes come, kCannotRead with errno set
// when reading fails.
ReadProblem readAll(int fd, std::size_t maxSize, std::string& out) {
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return ReadProblem::kCannotRead;
        if (n == 0) return ReadProblem::kNone;
        if (static_cast<std::size_t>(n) > maxSize - out.size()) return ReadProblem::kTooLarge;
        out.append(buf, static_cast<std::size_t>(n));
    }
}

std::string systemText(int error) {
    char buffer[256];
    // The GNU strerror_r returns the text, which need not be in the buffer.
    return strerror_r(error, buffer, sizeof buffer);
}

FileBytes failure(ReadStatus status, ReadProblem problem, std::string reason) {
    FileBytes result;
    result.status = status;
    result.problem = problem;
    result.reason = std::move(reason);
    return result;
}

FileBytes tooLarge(std::size_t maxSize) {
    return failure(ReadStatus::kUnreadable, ReadProblem::kTooLarge,
                   "too large: more than " + std::to_string(maxSize) + " bytes");
}

// Creates a new temporary file beside `path`; the mode 0666 is narrowed by the umask.
int createTemporary(const std::filesystem::path& path, std::filesystem::path& tempPath) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "." + path.filename().string() + "." + std::to_string(::getpid()) + "." +
                           std::to_string(counter++) + ".tmp";
        tempPath = path.parent_path() / name;
        int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Makes a finished rename durable; failure only weakens the crash guarantee, so it is ignored.
void syncDirectory(const std::filesystem::path& dir) {
    int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Where a write to `path` goes: the file a symbolic link names, so that the link stays a link;
// else the path itself.
std::filesystem::path writeTarget(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(path, ec)) return path;
    std::filesystem::path target = std::filesystem::canonical(path, ec);
    return ec ? path : target;
}

}  // namespace

FileBytes ReadFileBytes(const std::filesystem::path& path, std::size_t maxSize) {
    // O_NONBLOCK keeps a FIFO in place of the file from blocking the open.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return failure(ReadStatus::kMissing, ReadProblem::kMissing, "not found");
        return failure(ReadStatus::kUnreadable, ReadProblem::kCannotOpen, "not readable: " + systemText(error));
    }
    return ReadOpenFile(fd.get(), maxSize);
}

FileBytes ReadOpenFile(int fd, std::size_t maxSize) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return failure(ReadStatus::kUnreadable, ReadProblem::kCannotRead, "not readable: " + systemText(errno));
    if (!S_ISREG(st.st_mode)) return failure(ReadStatus::kUnreadable, ReadProblem::kNotRegular, "not a regular file");
    if (static_cast<unsigned long long>(st.st_size) > maxSize) return tooLarge(maxSize);
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    switch (readAll(fd, maxSize, bytes)) {
        case ReadProblem::kNone:
            break;
        case ReadProblem::kTooLarge:
            return tooLarge(maxSize);
        default:
            return failure(ReadStatus::kUnreadable, ReadProblem::kCannotRead, "not readable: " + systemText(errno));
    }
    FileBytes result;
    result.status = ReadStatus::kOk;
    result.problem = ReadProblem::kNone;
    result.bytes = std::move(bytes);
    return result;
}

WriteResult WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    if (path.empty()) return {systemText(ENOENT)};
    if (path.filename().empty()) return {systemText(EISDIR)};
    const std::filesystem::path target = writeTarget(path);
    std::filesystem::path tempPath;
    Fd fd(createTemporary(target, tempPath));
    if (fd.get() < 0) return {systemText(errno)};
    // Each step runs only while the ones before it succeeded; `error` keeps the first failure's errno.
    int error = 0;
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode) && ::fchmod(fd.get(), old.st_mode & 07777) != 0)
        error = errno;
    if (error == 0 && !writeAll(fd.get(), bytes)) error = errno;
    if (error == 0 && ::fsync(fd.get()) != 0) error = errno;
    // The close runs in any case; a late write error may show only here.
    if (!fd.close() && error == 0) error = errno;
    if (error == 0 && ::rename(tempPath.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(tempPath.c_str());
        return {systemText(error)};
    }
    syncDirectory(target.parent_path());
    return {};
}

std::vector<std::string> SplitTextLines(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
    }
    return lines;
}

std::string JoinCrLfLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string CannotOpenFileMessage(const std::filesystem::path& path) { return "Cannot open file " + path.string(); }

std::string CannotSaveFileMessage(std::string_view what, const std::filesystem::path& path, std::string_view reason) {
    return "Не удалось сохранить " + std::string(what) + " в файл " + path.string() + ": " + std::string(reason);
}

}  // namespace settings
