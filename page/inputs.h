// The inputs of a batch or of a reference: files, directories searched for pages, standard input and web
// addresses, and the bytes read or fetched for each.
#pragma once

#include <atomic>
#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "page/fetch.h"

/// One page of a batch, named as the user gave it (a file found in a directory: the directory as
/// given, a slash, and the file's path below it).
struct PageInput {
    enum class Kind { kFile, kStandardInput, kWebAddress, kFailed };
    std::string name;
    Kind kind = Kind::kFile;
    std::string error;  // kFailed: why the input gives no page
};

/// The file names a directory search takes: *.html, *.htm and *.xhtml, in any case.
bool IsPageFileName(std::string_view name);

/// Returns the pages of every input in order: an address or "-" as it is; a directory as the page
/// files below it (symbolic links followed, each directory searched once, so that a loop of links
/// ends), in byte order of their paths, or a failed input "a directory without pages"; anything
/// else as a file. A search of a directory stops, with the pages found so far, once `*cancel` turns
/// true.
std::vector<PageInput> ExpandInputs(const std::vector<std::string>& inputs, const std::atomic<bool>* cancel = nullptr);

/// The inputs of a list: one per line (LF or CR LF), a leading byte order mark, empty lines, lines
/// of blanks only and lines starting with '#' skipped; the spaces around a name are kept, as a file
/// name may hold them. A line holding a NUL byte cannot name a file: it becomes "\0" in the list,
/// which ExpandInputs makes a failed input.
std::vector<std::string> ReadListLines(std::string_view text);

/// The most bytes of one list file (--from-list).
inline constexpr std::size_t kMaxListBytes = std::size_t{64} << 20;

/// The bytes of one page or list, or why there are none (UTF-8).
struct PageBytes {
    std::string bytes;
    std::optional<std::string> error;
};

/// Reads a list file, or standard input for "-", of at most kMaxListBytes. A file is opened without
/// blocking and only a regular file is read; the error says why not ("not a regular file", "too
/// large: more than N bytes", "not found", "not readable: …").
PageBytes ReadListFile(const std::string& name, std::istream& in);

/// Reads a file or standard input, or fetches an address, taking at most limits.maxBytes; a larger
/// input is an error "too large", and a file is not read at all when its size is known to be
/// larger. A file is opened without blocking, and anything but a regular file (a FIFO, a device, a
/// directory) is the error "not a regular file", never waited on. Bytes that cannot be a page (a
/// NUL among the first kSniffBytes, as in images, archives and UTF-16 text) are the error "not
/// HTML-like bytes".
PageBytes ReadPageInput(const PageInput& input, std::istream& in, const FetchLimits& limits);

/// How many leading bytes are looked at to tell a page from other data.
inline constexpr std::size_t kSniffBytes = 1024;
