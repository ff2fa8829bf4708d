#include "engine/pagesource.h"

#include <algorithm>

#include "engine/cp1251.h"

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool hasHighByte(std::string_view bytes) {
    return std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

std::string_view cutAtNul(std::string_view bytes) { return bytes.substr(0, bytes.find('\0')); }

}  // namespace

std::string ToSingleByte(std::string_view bytes) {
    // Valid UTF-8 that holds any byte of 0x80 or above holds a multi-byte sequence; text that is
    // all ASCII reads the same in every supported charset and stays as it is.
    if (bytes.starts_with(kUtf8Bom) || (hasHighByte(bytes) && cp1251::isValidUtf8(bytes))) {
        return cp1251::fromUtf8Lossy(bytes);
    }
    return std::string(bytes);
}

std::string JoinLines(std::string_view bytes) {
    bytes = cutAtNul(bytes);
    std::string out;
    out.reserve(bytes.size() + 2);
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = bytes.size();
        out.append(bytes.substr(pos, end - pos));
        out += "\r\n";
        pos = end;
        if (pos < bytes.size() && bytes[pos] == '\r') ++pos;  // CR LF is one line end, LF CR two
        if (pos < bytes.size() && bytes[pos] == '\n') ++pos;
    }
    return out;
}

std::string SavedPartText(std::string_view fileBytes) { return JoinLines(ToSingleByte(cutAtNul(fileBytes))); }
