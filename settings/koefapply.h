// What Ok in the coefficient editor does to koef.dat: write the editor's texts as they are, then
// read the file back the way the start-up does. Plain C++, so the sequence is testable without a window.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/coefficients.h"

/// The outcome of applying the editor's texts: the values to take over and the message to show.
struct KoefApplyResult {
    /// The coefficients read back from the written file (those of the lines before a bad line, defaults
    /// after it); nothing when the file was not written, so the values in memory stay as they are.
    std::optional<Coefficients> values;
    /// KoefLinesError's message for a line that is not a number, WriteKoef's message when the file
    /// cannot be written, or the load error "<path>, line N: '<line>' is not a valid floating point
    /// value" (UTF-8, as every settings message); nothing on success.
    std::optional<std::string> error;
    /// Whether koef.dat was replaced.
    bool written = false;
};

/// Writes the lines as koef.dat at `path`, then loads it again: returns the new values, or the error to show
/// (KoefLinesError's message when a line is not a number, with nothing written, since the start-up could
/// not read the file back; WriteKoef's message, naming the file and the reason, with nothing reloaded; or
/// the load error naming the file, the line and its text, after the file was written, with the values as
/// far as they could be read).
KoefApplyResult ApplyKoefLines(const std::filesystem::path& path, const std::vector<std::string>& lines,
                               char decimalSeparator);
