// The frames of a page read from disk, taken as the desktop program takes a frameset: the page
// followed by the document of each frame, read from the frame's local file.
//
// The frame finder reads markup as a browser's tokenizer does, as far as frames need: tag and
// attribute names without case, quoted and unquoted values with the five named character
// references (&amp; …), comments, and the contents of script, style and the other elements whose
// text is not markup skipped. <frame> counts inside a <frameset>, <iframe> before one. Pure
// functions apart from ReadFramesetParts, which reads files.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "page/bounds.h"

/// The frames a document makes.
struct FrameSources {
    std::size_t count = 0;             // every frame, including those past the bound
    std::vector<std::string> sources;  // the src of the first frames in document order; "" for none
};

/// Finds the frames of markup in document order, keeping the sources of at most `maxSources`.
FrameSources FindFrameSources(std::string_view markup, std::size_t maxSources);

/// Where a frame's source leads, resolved against the page's file.
struct FrameTarget {
    enum class Kind {
        kBlank,     // no source: the frame shows an empty page
        kFile,      // a local file at `path`
        kNotLocal,  // another scheme (http:, data:, …) or a file: URL of another host
        kBadName,   // a source that cannot be a file name (an encoded NUL)
    };
    /// How a kFile source names its file.
    enum class Form {
        kRelative,  // a path relative to the page's directory
        kAbsolute,  // a path from the root ("/x", "//localhost/x")
        kFileUrl,   // a "file:" URL
    };
    Kind kind = Kind::kBlank;
    std::filesystem::path path;
    Form form = Form::kRelative;
};

/// Resolves a frame's src as a browser resolves it against the file: URL of the page at `pagePath`:
/// spaces around it and tabs and line ends in it dropped, the query and fragment cut, '\' read as
/// '/', percent escapes decoded, "." and ".." removed. Paths relative (to the page's directory) or
/// absolute and "file:" URLs of no host or "localhost" give kFile; an empty src gives kBlank.
FrameTarget ResolveFrameSource(std::string_view src, const std::filesystem::path& pagePath);

/// Which frames of a local frameset are read.
enum class FramePolicy {
    kFolder,  // only regular files in the page's folder or below it (the default)
    kAny,     // any regular local file
    kNone,    // no frame
};

/// Returns why a resolved kFile target is not read under kFolder without looking at the disk, or
/// nothing: a file: URL, an absolute path, or a relative path whose ".." (percent escapes decoded)
/// leaves the page's folder.
std::optional<std::string> FrameOutsideFolder(const FrameTarget& target, const std::filesystem::path& pagePath);

/// The parts of a page as they were read (the page, then each frame read, raw bytes in any
/// charset), and the notes (UTF-8, one line each) on what was left out.
struct FramesetParts {
    std::vector<std::string> parts;
    std::vector<std::string> notes;
};

/// Where the page came from: a file (its frames are read relative to its directory), standard input
/// (no directory, so no frames are read) or a web address (taken as it came: its frames are not
/// fetched).
enum class PageOrigin { kFile, kStandardInput, kWebAddress };

/// The one way a page's bytes become the parts the analysis reads. A page fetched from an address
/// is taken as it came: its frames are not fetched. Otherwise, returns the page followed, when it
/// has two or more frames, by each frame's local file in order: at most kMaxFrames frames, and
/// frames only while the parts together stay within kMaxPageBytes. Only regular files
/// are read, opened without blocking; under FramePolicy::kFolder only those that FrameOutsideFolder
/// lets pass and whose real path, symbolic links followed, still lies in the page's folder, checked
/// again on the file as opened. A frame that is not read is left out with a note naming its number,
/// source and reason, and the others are still read; frames of a page from standard input and under
/// kNone are not read, with one note. `pagePath` is the file's path for kFile. The notes hold bytes
/// of the page and of file names as they are: print them with MessageLine.
FramesetParts ReadFramesetParts(std::string pageBytes, PageOrigin origin, const std::filesystem::path& pagePath,
                                FramePolicy policy = FramePolicy::kFolder);
