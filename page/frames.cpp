#include "page/frames.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <climits>
#include <optional>
#include <system_error>
#include <utility>

#include "base/cp1251.h"
#include "base/textfile.h"
#include "engine/pagesource.h"

namespace {

namespace fs = std::filesystem;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }
bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowered(std::string_view text) {
    std::string out(text);
    std::ranges::transform(out, out.begin(), lower);
    return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

// Decodes the named character references an attribute value of a file name is likely to hold;
// anything else stays as written.
std::string decodeReferences(std::string_view value) {
    static constexpr std::array<std::pair<std::string_view, char>, 5> kNamed = {
        {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}}};
    std::string out;
    std::size_t i = 0;
    while (i < value.size()) {
        if (value[i] == '&') {
            const std::string_view rest = value.substr(i);
            const auto named = std::ranges::find_if(kNamed, [&](const auto& e) { return rest.starts_with(e.first); });
            if (named != kNamed.end()) {
                out += named->second;
                i += named->first.size();
                continue;
            }
        }
        out += value[i++];
    }
    return out;
}

// Elements whose contents are text, not markup: nothing inside them is a tag.
constexpr std::array<std::string_view, 9> kRawTextElements = {"script", "style",   "textarea", "title",   "xmp",
                                                              "iframe", "noembed", "noframes", "noscript"};

// Returns the position after the end tag `</name` … `>` at or after `pos`, or the end of the text.
std::size_t skipRawText(std::string_view text, std::size_t pos, std::string_view name) {
    while ((pos = text.find("</", pos)) != std::string_view::npos) {
        const std::size_t after = pos + 2 + name.size();
        if (after <= text.size() && equalsIgnoringCase(text.substr(pos + 2, name.size()), name) &&
            (after == text.size() || isSpace(text[after]) || text[after] == '/' || text[after] == '>')) {
            const std::size_t close = text.find('>', after);
            return close == std::string_view::npos ? text.size() : close + 1;
        }
        pos += 2;
    }
    return text.size();
}

// A tag read by readTag: its lowercased name and src value, and the position after its '>'.
struct Tag {
    std::string name;
    std::optional<std::string> src;
    std::size_t end = 0;
};

// Reads the attributes of a tag whose name ends at `pos`. Returns nothing when the text ends
// inside the tag, which a browser then drops.
std::optional<Tag> readAttributes(std::string_view text, std::size_t pos, Tag tag) {
    while (pos < text.size()) {
        while (pos < text.size() && (isSpace(text[pos]) || text[pos] == '/')) ++pos;
        if (pos >= text.size()) break;
        if (text[pos] == '>') {
            tag.end = pos + 1;
            return tag;
        }
        const std::size_t nameStart = pos++;  // a name may begin with '='
        while (pos < text.size() && !isSpace(text[pos]) && text[pos] != '/' && text[pos] != '>' && text[pos] != '=')
            ++pos;
        const std::string_view name = text.substr(nameStart, pos - nameStart);
        while (pos < text.size() && isSpace(text[pos])) ++pos;
        std::string_view value;
        if (pos < text.size() && text[pos] == '=') {
            ++pos;
            while (pos < text.size() && isSpace(text[pos])) ++pos;
            if (pos < text.size() && (text[pos] == '"' || text[pos] == '\'')) {
                const std::size_t close = text.find(text[pos], pos + 1);
                if (close == std::string_view::npos) return std::nullopt;
                value = text.substr(pos + 1, close - pos - 1);
                pos = close + 1;
            } else {
                const std::size_t start = pos;
                while (pos < text.size() && !isSpace(text[pos]) && text[pos] != '>') ++pos;
                value = text.substr(start, pos - start);
            }
        }
        // The first of repeated attributes counts.
        if (!tag.src && equalsIgnoringCase(name, "src")) tag.src = decodeReferences(value);
    }
    return std::nullopt;
}

// Returns the position after a comment, a doctype or another "<!" / "<?" construct at `pos`.
std::size_t skipDeclaration(std::string_view text, std::size_t pos) {
    if (text.substr(pos).starts_with("<!--")) {
        const std::string_view rest = text.substr(pos + 4);
        if (rest.starts_with(">")) return pos + 5;
        if (rest.starts_with("->")) return pos + 6;
        const std::size_t close = text.find("-->", pos + 4);
        return close == std::string_view::npos ? text.size() : close + 3;
    }
    const std::size_t close = text.find('>', pos);
    return close == std::string_view::npos ? text.size() : close + 1;
}

// The most bytes of a page's text that a note quotes; a longer one is cut between characters.
constexpr std::size_t kNoteTextBytes = 200;

// Returns bytes from a page or a path as UTF-8 for a note: UTF-8 as it is, anything else read as
// Windows-1251. (MessageLine shows its control characters as escapes when the note is printed.)
std::string noteText(std::string_view bytes) {
    std::string cut(bytes.substr(0, kNoteTextBytes));
    if (bytes.size() > kNoteTextBytes) {
        while (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xC0) == 0x80) cut.pop_back();
        if (!cut.empty() && static_cast<unsigned char>(cut.back()) >= 0xC0) cut.pop_back();
    }
    std::string text = cp1251::isValidUtf8(cut) ? cut : cp1251::toUtf8(cut);
    if (bytes.size() > kNoteTextBytes) text += "...";
    return text;
}

std::string frameNote(std::size_t number, std::string_view src, std::string_view what) {
    return "frame " + std::to_string(number) + " (" + noteText(src) + "): " + std::string(what);
}

// Returns the path of "//host/path" when the host is empty or localhost, or nothing for another host.
std::optional<std::string_view> pathOnLocalHost(std::string_view url) {
    const std::size_t slash = url.find('/', 2);
    const std::string_view host = url.substr(2, slash == std::string_view::npos ? std::string_view::npos : slash - 2);
    if (!host.empty() && !equalsIgnoringCase(host, "localhost")) return std::nullopt;
    return slash == std::string_view::npos ? std::string_view("/") : url.substr(slash);
}

// The length of the scheme at the start of a URL ("http" of "http://…"), or 0 when it has none.
std::size_t schemeLength(std::string_view url) {
    if (url.empty() || !isAlpha(url[0])) return 0;
    std::size_t i = 1;
    auto schemeChar = [](char c) { return isAlpha(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'; };
    while (i < url.size() && schemeChar(url[i])) ++i;
    return i < url.size() && url[i] == ':' ? i : 0;
}

// Decodes %XX escapes; a '%' without two hex digits stays.
std::string percentDecoded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned value = 0;
        if (text[i] == '%' && i + 2 < text.size()) {
            const auto [end, ec] = std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16);
            if (ec == std::errc() && end == text.data() + i + 3) {
                out += static_cast<char>(value);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// The folder of the page's file, "." for a file named without one.
fs::path folderOf(const fs::path& pagePath) {
    const fs::path folder = pagePath.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// Whether `path` names the folder or something below it, both taken as written: lexically
// normal paths, or both real paths.
bool isBelow(const fs::path& path, const fs::path& folder) {
    const fs::path relative = path.lexically_normal().lexically_relative(folder.lexically_normal());
    return !relative.empty() && *relative.begin() != "..";
}

// A frame's file as read under FramePolicy::kFolder, or why it was refused before reading.
struct FolderFile {
    settings::FileBytes file;
    bool leadsOut = false;  // a symbolic link took it out of the page's folder
};

// A file that could not be opened, as ReadFileBytes says it.
settings::FileBytes cannotOpen(int error) {
    settings::FileBytes file;
    file.status = settings::ReadStatus::kUnreadable;
    file.problem = settings::ReadProblem::kCannotOpen;
    if (error == ENOENT || error == ENOTDIR) {
        file.status = settings::ReadStatus::kMissing;
        file.problem = settings::ReadProblem::kMissing;
    }
    file.reason = file.problem == settings::ReadProblem::kMissing
                      ? "not found"
                      : "not readable: " + std::generic_category().message(error);
    return file;
}

// Closes a file descriptor when it goes out of scope.
struct OpenFd {
    int fd;
    ~OpenFd() {
        if (fd >= 0) ::close(fd);
    }
};

// Reads a frame's file when its real path lies in `realFolder` (the page's folder, links
// resolved): resolved first, then opened by that path without following a link in its place and
// without blocking, and checked once more by the path of the file as opened, so that a link put in
// place of a folder on the way between the check and the open does not lead out either.
FolderFile readInFolder(const fs::path& path, const fs::path& realFolder, std::size_t maxBytes) {
    FolderFile result;
    std::error_code ec;
    const fs::path real = fs::canonical(path, ec);
    if (ec) {
        result.file = cannotOpen(ec.value());
        return result;
    }
    if (!isBelow(real, realFolder)) {
        result.leadsOut = true;
        return result;
    }
    const OpenFd opened{::open(real.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY)};
    if (opened.fd < 0) {
        const int error = errno;
        result.leadsOut = error == ELOOP;
        result.file = cannotOpen(error);
        return result;
    }
    char target[PATH_MAX];
    const std::string self = "/proc/self/fd/" + std::to_string(opened.fd);
    const ssize_t length = ::readlink(self.c_str(), target, sizeof target);
    // Without /proc the check before the open stands alone.
    if (length > 0 && static_cast<std::size_t>(length) < sizeof target &&
        !isBelow(fs::path(std::string(target, static_cast<std::size_t>(length))), realFolder)) {
        result.leadsOut = true;
        return result;
    }
    result.file = settings::ReadOpenFile(opened.fd, maxBytes);
    return result;
}

// Returns whether a "<frame" or "<iframe" (in any case) stands anywhere in the markup: without
// one there is no frame tag, and most pages are then passed over at the speed of a byte search.
bool mayHoldFrames(std::string_view markup) {
    for (std::size_t pos = markup.find('<'); pos != std::string_view::npos; pos = markup.find('<', pos + 1)) {
        std::string_view name = markup.substr(pos + 1, 6);
        if (!name.empty() && lower(name[0]) == 'i') name.remove_prefix(1);
        if (name.size() >= 5 && equalsIgnoringCase(name.substr(0, 5), "frame")) return true;
    }
    return false;
}

}  // namespace

FrameSources FindFrameSources(std::string_view markup, std::size_t maxSources) {
    FrameSources found;
    if (!mayHoldFrames(markup)) return found;
    bool inFrameset = false;
    std::size_t pos = 0;
    while ((pos = markup.find('<', pos)) != std::string_view::npos) {
        if (pos + 1 >= markup.size()) break;
        const char next = markup[pos + 1];
        if (next == '!' || next == '?') {
            pos = skipDeclaration(markup, pos);
            continue;
        }
        const bool endTag = next == '/';
        const std::size_t nameStart = pos + (endTag ? 2 : 1);
        if (nameStart >= markup.size() || !isAlpha(markup[nameStart])) {
            pos = endTag ? skipDeclaration(markup, pos) : pos + 1;
            continue;
        }
        std::size_t nameEnd = nameStart;
        while (nameEnd < markup.size() && !isSpace(markup[nameEnd]) && markup[nameEnd] != '/' && markup[nameEnd] != '>')
            ++nameEnd;
        Tag tag{lowered(markup.substr(nameStart, nameEnd - nameStart)), std::nullopt, 0};
        std::optional<Tag> read = readAttributes(markup, nameEnd, std::move(tag));
        if (!read) break;
        pos = read->end;
        if (endTag) continue;
        if (read->name == "plaintext") break;
        if (read->name == "frameset") inFrameset = true;
        // A browser makes a <frame> only inside a frameset and ignores an <iframe> after one.
        if ((read->name == "frame" && inFrameset) || (read->name == "iframe" && !inFrameset)) {
            if (found.sources.size() < maxSources) found.sources.push_back(read->src.value_or(""));
            ++found.count;
        }
        if (std::ranges::find(kRawTextElements, read->name) != kRawTextElements.end())
            pos = skipRawText(markup, pos, read->name);
    }
    return found;
}

FrameTarget ResolveFrameSource(std::string_view src, const fs::path& pagePath) {
    auto isTrimmed = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!src.empty() && isTrimmed(src.front())) src.remove_prefix(1);
    while (!src.empty() && isTrimmed(src.back())) src.remove_suffix(1);
    std::string url;
    for (char c : src) {
        if (c == '\t' || c == '\n' || c == '\r') continue;
        url += c == '\\' ? '/' : c;
    }
    if (url.empty()) return {};
    url = url.substr(0, url.find('#'));
    url = url.substr(0, url.find('?'));

    std::string_view rest = url;
    FrameTarget::Form form = FrameTarget::Form::kRelative;
    if (const std::size_t scheme = schemeLength(rest)) {
        if (equalsIgnoringCase(rest.substr(0, scheme), "about")) return {};  // about:blank and the like
        if (!equalsIgnoringCase(rest.substr(0, scheme), "file")) return {FrameTarget::Kind::kNotLocal, {}};
        rest.remove_prefix(scheme + 1);  // what follows "file:" reads as a reference without a scheme
        form = FrameTarget::Form::kFileUrl;
    }
    // "//host/path" names a host, "/path" is absolute, anything else is relative to the page.
    if (rest.starts_with("//")) {
        const std::optional<std::string_view> path = pathOnLocalHost(rest);
        if (!path) return {FrameTarget::Kind::kNotLocal, {}};
        rest = *path;
    }
    const std::string decoded = percentDecoded(rest);
    if (decoded.find('\0') != std::string::npos) return {FrameTarget::Kind::kBadName, {}};
    const fs::path path(decoded);
    // "#part" and "?query" name the page itself.
    if (path.empty()) return {FrameTarget::Kind::kFile, pagePath, form};
    if (path.is_absolute() && form == FrameTarget::Form::kRelative) form = FrameTarget::Form::kAbsolute;
    return {FrameTarget::Kind::kFile, (path.is_absolute() ? path : pagePath.parent_path() / path).lexically_normal(),
            form};
}

std::optional<std::string> FrameOutsideFolder(const FrameTarget& target, const fs::path& pagePath) {
    if (target.form == FrameTarget::Form::kFileUrl) return "a file: URL";
    if (target.form == FrameTarget::Form::kAbsolute) return "an absolute path";
    if (!isBelow(target.path, folderOf(pagePath))) return "leaves the page's folder";
    return std::nullopt;
}

FramesetParts ReadFramesetParts(std::string pageBytes, PageOrigin origin, const fs::path& pagePath,
                                FramePolicy policy) {
    FramesetParts result;
    const FrameSources frames =
        origin == PageOrigin::kWebAddress ? FrameSources() : FindFrameSources(pageBytes, kMaxFrames);
    std::size_t used = std::min(pageBytes.size(), kMaxPageBytes);
    result.parts.push_back(std::move(pageBytes));
    // A page with a single frame is taken without that frame, as the window takes it.
    if (frames.count < 2) return result;
    const std::string pageName = origin == PageOrigin::kFile ? pagePath.string() : "standard input";
    if (origin == PageOrigin::kStandardInput) {
        result.notes.push_back(pageName + ": " + std::to_string(frames.count) +
                               " frames not read: standard input has no directory to find them in");
        return result;
    }
    if (policy == FramePolicy::kNone) {
        result.notes.push_back(pageName + ": " + std::to_string(frames.count) + " frames not read (--frames=none)");
        return result;
    }
    if (frames.count > frames.sources.size()) {
        result.notes.push_back(pageName + ": " + std::to_string(frames.count) + " frames, only the first " +
                               std::to_string(frames.sources.size()) + " are read");
    }
    std::error_code ec;
    const fs::path realFolder = policy == FramePolicy::kFolder ? fs::canonical(folderOf(pagePath), ec) : fs::path();
    for (std::size_t i = 0; i < frames.sources.size(); ++i) {
        const std::string& src = frames.sources[i];
        const FrameTarget target = ResolveFrameSource(src, pagePath);
        if (target.kind == FrameTarget::Kind::kBlank) continue;
        if (target.kind == FrameTarget::Kind::kNotLocal) {
            result.notes.push_back(frameNote(i + 1, src, "not a local file, skipped"));
            continue;
        }
        if (target.kind == FrameTarget::Kind::kBadName) {
            result.notes.push_back(frameNote(i + 1, src, "not a file name, skipped"));
            continue;
        }
        std::optional<std::string> outside;
        if (policy == FramePolicy::kFolder) outside = FrameOutsideFolder(target, pagePath);
        if (outside) {
            result.notes.push_back(frameNote(i + 1, src, *outside + ", skipped (--frames=folder)"));
            continue;
        }
        const std::size_t room = kMaxPageBytes - used;
        FolderFile read;
        if (policy == FramePolicy::kFolder) {
            read = readInFolder(target.path, realFolder, room);
        } else {
            read.file = settings::ReadFileBytes(target.path, room);
        }
        if (read.leadsOut) {
            result.notes.push_back(
                frameNote(i + 1, src, "a symbolic link out of the page's folder, skipped (--frames=folder)"));
            continue;
        }
        const settings::FileBytes& file = read.file;
        if (file.problem == settings::ReadProblem::kTooLarge || file.bytes.size() > room) {
            result.notes.push_back(pageName + ": the joined source would pass " + std::to_string(kMaxPageBytes >> 20) +
                                   " MiB: frame " + std::to_string(i + 1) + " and the frames after it are left out");
            break;
        }
        if (file.problem == settings::ReadProblem::kNotRegular) {
            result.notes.push_back(frameNote(i + 1, src, "not a regular file, skipped"));
            continue;
        }
        if (file.status != settings::ReadStatus::kOk) {
            const std::string reason = file.problem == settings::ReadProblem::kMissing ? "" : ": " + file.reason;
            result.notes.push_back(frameNote(i + 1, src, "cannot read " + noteText(target.path.string()) + reason));
            continue;
        }
        used += file.bytes.size();
        result.parts.push_back(std::move(read.file.bytes));
    }
    return result;
}
