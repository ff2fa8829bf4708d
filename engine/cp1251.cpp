#include "engine/cp1251.h"

namespace cp1251 {
namespace {

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at `pos`. Returns the code point and advances `pos`, or returns
// nothing (leaving `pos` unchanged) on an invalid, overlong or truncated sequence.
std::optional<char32_t> decodeOne(std::string_view s, std::size_t& pos) {
    auto lead = static_cast<unsigned char>(s[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    int extra;
    char32_t cp;
    char32_t min;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1, cp = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2, cp = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3, cp = lead & 0x07, min = 0x10000;
    } else {
        return std::nullopt;
    }
    if (pos + extra >= s.size()) return std::nullopt;  // truncated at the end
    for (int k = 1; k <= extra; ++k) {
        auto c = static_cast<unsigned char>(s[pos + k]);
        if ((c & 0xC0) != 0x80) return std::nullopt;
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    pos += 1 + extra;
    return cp;
}

constexpr std::string_view kBom = "\xEF\xBB\xBF";

}  // namespace

std::string toUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) appendUtf8(out, codePointOf(static_cast<unsigned char>(c)));
    return out;
}

bool isValidUtf8(std::string_view bytes) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        if (!decodeOne(bytes, pos)) return false;
    }
    return true;
}

std::optional<std::string> fromUtf8Strict(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        auto cp = decodeOne(utf8, pos);
        if (!cp) return std::nullopt;
        int b = byteOf(*cp);
        if (b < 0) return std::nullopt;
        out += static_cast<char>(b);
    }
    return out;
}

std::string fromUtf8Lossy(std::string_view utf8) {
    if (utf8.starts_with(kBom)) utf8.remove_prefix(kBom.size());
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        auto cp = decodeOne(utf8, pos);
        if (!cp) {  // not reachable for valid input; keep going byte by byte
            out += ' ';
            ++pos;
            continue;
        }
        int b = *cp == 0xA0 ? -1 : byteOf(*cp);
        out += b < 0 ? ' ' : static_cast<char>(b);
    }
    return out;
}

}  // namespace cp1251
