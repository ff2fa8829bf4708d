#include "base/cp1251.h"

#include <cstdint>
#include <cstring>

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

// The Windows-1251 bytes of the code points of one block, 0 where the code page has none: the
// reverse of kHighHalf for the blocks its characters lie in.
template <std::size_t N>
constexpr std::array<unsigned char, N> reverseBlock(char32_t first) {
    std::array<unsigned char, N> table{};
    for (std::size_t i = 0; i < kHighHalf.size(); ++i) {
        if (kHighHalf[i] >= first && kHighHalf[i] < first + N) table[kHighHalf[i] - first] = 0x80 + i;
    }
    return table;
}

constexpr auto kLatin1Bytes = reverseBlock<0x80>(0x80);          // U+0080..U+00FF
constexpr auto kCyrillicBytes = reverseBlock<0x100>(0x400);      // U+0400..U+04FF
constexpr auto kPunctuationBytes = reverseBlock<0x130>(0x2000);  // U+2000..U+212F

// byteOf by table lookup.
constexpr int quickByteOf(char32_t cp) {
    if (cp < 0x80) return static_cast<int>(cp);
    unsigned char b = 0;
    if (cp < 0x100) {
        b = kLatin1Bytes[cp - 0x80];
    } else if (cp >= 0x400 && cp < 0x500) {
        b = kCyrillicBytes[cp - 0x400];
    } else if (cp >= 0x2000 && cp < 0x2130) {
        b = kPunctuationBytes[cp - 0x2000];
    }
    return b == 0 ? -1 : b;
}

// The blocks hold every character of the code page (and, being made from it, no other).
constexpr bool tablesCoverCodePage() {
    for (int b = 0x80; b <= 0xFF; ++b) {
        if (b != 0x98 && quickByteOf(codePointOf(static_cast<unsigned char>(b))) != b) return false;
    }
    return true;
}
static_assert(tablesCoverCodePage());

// Whether all eight bytes at `p` are ASCII.
bool eightAscii(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return (word & 0x8080808080808080u) == 0;
}

// A combining diacritical mark (U+0300..U+036F), such as the stress mark U+0301 of dictionaries
// and textbooks: it belongs to the letter before it, which stays a letter of the same word.
constexpr bool isCombiningMark(char32_t cp) { return cp >= 0x300 && cp <= 0x36F; }

// Converts the UTF-8 in `text` to Windows-1251 in place as fromUtf8Lossy does, from byte `from`
// on and without the byte-order mark test: each character becomes at most one byte, so the output
// never overtakes the input. At an invalid sequence it returns false when `stopAtInvalid` holds (leaving
// `text` unspecified), else writes a space for its first byte and goes on.
bool convertLossy(std::string& text, std::size_t from, bool stopAtInvalid) {
    char* const data = text.data();
    const std::string_view utf8(data, text.size());
    const std::size_t size = utf8.size();
    std::size_t pos = from;
    std::size_t out = 0;
    while (pos < size) {
        while (size - pos >= 8 && eightAscii(data + pos)) {
            if (out != pos) std::memmove(data + out, data + pos, 8);
            out += 8;
            pos += 8;
        }
        if (pos == size) break;
        const auto lead = static_cast<unsigned char>(data[pos]);
        if (lead < 0x80) {
            data[out++] = static_cast<char>(lead);
            ++pos;
            continue;
        }
        char32_t cp;
        const auto next = pos + 1 < size ? static_cast<unsigned char>(data[pos + 1]) : 0;
        if (lead >= 0xC2 && lead <= 0xDF && (next & 0xC0) == 0x80) {  // two bytes, as Cyrillic letters are
            cp = (char32_t{lead} & 0x1F) << 6 | (next & 0x3F);
            pos += 2;
        } else if (auto decoded = decodeOne(utf8, pos)) {
            cp = *decoded;
        } else {
            if (stopAtInvalid) return false;
            data[out++] = ' ';
            ++pos;
            continue;
        }
        if (isCombiningMark(cp)) continue;
        const int b = cp == 0xA0 ? -1 : quickByteOf(cp);
        data[out++] = b < 0 ? ' ' : static_cast<char>(b);
    }
    text.resize(out);
    return true;
}

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
        while (bytes.size() - pos >= 8 && eightAscii(bytes.data() + pos)) pos += 8;
        if (pos < bytes.size() && !decodeOne(bytes, pos)) return false;
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
        int b = quickByteOf(*cp);
        if (b < 0) return std::nullopt;
        out += static_cast<char>(b);
    }
    return out;
}

std::string fromUtf8Lossy(std::string_view utf8) {
    std::string text(utf8);
    convertLossy(text, text.starts_with(kBom) ? kBom.size() : 0, false);
    return text;
}

bool fromValidUtf8LossyInPlace(std::string& text) {
    return convertLossy(text, text.starts_with(kBom) ? kBom.size() : 0, true);
}

}  // namespace cp1251
