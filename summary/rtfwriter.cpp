#include "summary/rtfwriter.h"

#include <cstdint>
#include <filesystem>

#include "base/cp1251.h"
#include "base/textfile.h"

namespace {

// Code page 1251 with a Cyrillic font (charset 204); one fallback byte after each \u escape.
constexpr std::string_view kHeader =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049\\uc1"
    "{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}}\n";

constexpr char kHexDigits[] = "0123456789abcdef";

// Appends one Windows-1251 byte as RTF text.
void appendEscaped(std::string& out, unsigned char c) {
    if (c == '\\' || c == '{' || c == '}') {
        out += '\\';
        out += static_cast<char>(c);
        return;
    }
    if (c == '\t') {
        out += "\\tab ";
        return;
    }
    if (c < 0x20 || c == 0x7F) return;
    if (c < 0x80) {
        out += static_cast<char>(c);
        return;
    }
    // RTF takes \u with a signed 16-bit number; the \'hh after it is the code-page fallback.
    auto code = static_cast<std::int16_t>(static_cast<std::uint16_t>(cp1251::codePointOf(c)));
    out += "\\u";
    out += std::to_string(code);
    out += "\\'";
    out += kHexDigits[c >> 4];
    out += kHexDigits[c & 0x0F];
}

bool isRtfExtension(std::string_view extension) {
    if (extension.size() != 4) return false;
    std::string lower;
    for (char c : extension) lower += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return lower == ".rtf";
}

std::filesystem::path pathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace

std::string SummaryToRtf(const std::vector<SummaryParagraph>& paragraphs) {
    std::string out(kHeader);
    for (const SummaryParagraph& p : paragraphs) {
        out += p.bold ? "\\pard\\plain\\f0\\fs20\\b " : "\\pard\\plain\\f0\\fs20 ";
        for (char c : p.text) appendEscaped(out, static_cast<unsigned char>(c));
        out += p.bold ? "\\b0\\par\n" : "\\par\n";
    }
    out += "}\n";
    return out;
}

std::string RtfFileName(std::string_view chosen) {
    std::size_t slash = chosen.find_last_of("/\\");
    std::string_view name = slash == std::string_view::npos ? chosen : chosen.substr(slash + 1);
    std::size_t period = name.rfind('.');
    std::string_view extension = period == std::string_view::npos ? std::string_view() : name.substr(period);
    std::string result(chosen);
    if (!isRtfExtension(extension)) result += ".rtf";
    return result;
}

std::optional<std::string> SaveSummaryRtf(std::string_view fileNameUtf8,
                                          const std::vector<SummaryParagraph>& paragraphs) {
    // Written to a temporary file and renamed, so that a failed save leaves any old file intact.
    const std::filesystem::path path = pathFromUtf8(fileNameUtf8);
    const settings::WriteResult written = settings::WriteFileAtomically(path, SummaryToRtf(paragraphs));
    if (written.ok()) return std::nullopt;
    return settings::CannotSaveFileMessage("автореферат", path, written.error);
}
