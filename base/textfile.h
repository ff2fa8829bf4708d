// Whole files read and written: reads within a size bound the caller gives (a settings file, a
// page of up to 256 MiB, a frame), crash-safe replacement of every file the program saves (the
// settings, the summary's RTF, the lists' CSV), the line splitting of plain text files, and the
// file error texts.
//
// POSIX only. A write goes to a temporary file in the target's directory that is flushed to
// disk and then renamed over the target, so a crash leaves either the old or the new file.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

/// Largest settings file that is read; a bigger file counts as unreadable.
inline constexpr std::size_t kMaxSettingsFileSize = std::size_t{64} << 20;

enum class ReadStatus { kOk, kMissing, kUnreadable };

/// Why a file gave no bytes.
enum class ReadProblem { kNone, kMissing, kCannotOpen, kNotRegular, kTooLarge, kCannotRead };

/// A whole file's bytes, or why there are none.
struct FileBytes {
    ReadStatus status = ReadStatus::kMissing;
    std::string bytes;
    ReadProblem problem = ReadProblem::kMissing;
    /// The problem as a message says it (UTF-8, empty for none): "not found", "not readable: <the
    /// system's text>", "not a regular file" or "too large: more than <maxSize> bytes".
    std::string reason;
};

/// Reads a whole regular file of at most `maxSize` bytes, opened without blocking (a FIFO or a
/// device in its place is refused, never waited on). Returns kMissing when no file exists at the
/// path, kUnreadable when it cannot be opened or read, is not a regular file or is too large.
FileBytes ReadFileBytes(const std::filesystem::path& path, std::size_t maxSize = kMaxSettingsFileSize);

/// Reads the whole of an open file descriptor as ReadFileBytes reads a file: kOk for a regular
/// file of at most `maxSize` bytes, else kUnreadable with the reason. The descriptor stays open.
FileBytes ReadOpenFile(int fd, std::size_t maxSize);

/// The outcome of a write: empty when the file was replaced, else why it was not.
struct WriteResult {
    std::string error;  // the system's text of the step that failed, e.g. "No space left on device"
    bool ok() const { return error.empty(); }
};

/// Replaces the file with `bytes` via a temporary file in the same directory: every write, the
/// flush to disk and the close are checked before the temporary is renamed over the file. An
/// existing file keeps its permissions; a symbolic link stays and the file it names is replaced.
/// On failure the old file is untouched, no temporary file is left behind and the result says why.
WriteResult WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

/// Splits text as a plain text file is read into lines: a line ends at CR, LF or CR LF, a last
/// line without a line end counts, an empty line counts, and a NUL byte ends the text.
std::vector<std::string> SplitTextLines(std::string_view text);

/// Joins lines into file text, each line followed by CR LF.
std::string JoinCrLfLines(const std::vector<std::string>& lines);

/// The message for a file that cannot be opened: "Cannot open file <path>".
std::string CannotOpenFileMessage(const std::filesystem::path& path);

/// The message for a save that failed: "Не удалось сохранить <what> в файл <path>: <reason>" (UTF-8),
/// `what` naming the contents ("список", "автореферат"), `reason` a WriteResult's error.
std::string CannotSaveFileMessage(std::string_view what, const std::filesystem::path& path, std::string_view reason);

}  // namespace settings
