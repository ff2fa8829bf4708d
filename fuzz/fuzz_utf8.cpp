// Fuzzes the conversions at the program's edges: UTF-8 validation and the strict and lossy
// conversions to Windows-1251 against a table-driven reference decoder and the code page as toUtf8
// writes it, the round trip through toUtf8, and the saved-page steps ToSingleByte, JoinLines and SavedPartText.
//
// Input: any bytes, taken both as UTF-8 and as Windows-1251 text.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/cp1251.h"
#include "base/textfile.h"
#include "engine/pagesource.h"
#include "fuzz/fuzzcheck.h"

namespace {

// Decodes UTF-8 by the table of well-formed byte sequences (the second byte's range depends on
// the lead byte). Returns nothing for ill-formed input.
std::optional<std::vector<char32_t>> referenceDecode(std::string_view s) {
    std::vector<char32_t> out;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            out.push_back(b);
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
        } else if (b == 0xE0) {
            length = 3, low = 0xA0;
        } else if ((b >= 0xE1 && b <= 0xEC) || b == 0xEE || b == 0xEF) {
            length = 3;
        } else if (b == 0xED) {
            length = 3, high = 0x9F;
        } else if (b == 0xF0) {
            length = 4, low = 0x90;
        } else if (b >= 0xF1 && b <= 0xF3) {
            length = 4;
        } else if (b == 0xF4) {
            length = 4, high = 0x8F;
        } else {
            return std::nullopt;
        }
        if (i + length > s.size()) return std::nullopt;
        const auto second = static_cast<unsigned char>(s[i + 1]);
        if (second < low || second > high) return std::nullopt;
        char32_t cp = b & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) return std::nullopt;
            cp = (cp << 6) | (c & 0x3F);
        }
        out.push_back(cp);
        i += length;
    }
    return out;
}

bool hasHighByte(std::string_view s) {
    for (char c : s) {
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    }
    return false;
}

// Checks the conversions of the input taken as UTF-8.
void checkFromUtf8(std::string_view input) {
    const auto codePoints = referenceDecode(input);
    FUZZ_CHECK(cp1251::isValidUtf8(input) == codePoints.has_value());
    const std::optional<std::string> strict = cp1251::fromUtf8Strict(input);
    const std::string lossy = cp1251::fromUtf8Lossy(input);
    FUZZ_CHECK(lossy.size() <= input.size());
    if (!codePoints) {
        FUZZ_CHECK(!strict.has_value());
        return;
    }

    // The code page read backwards from toUtf8, the conversion the other way: each code point some
    // byte becomes, mapped to that byte. Every Windows-1251 byte but the unassigned 0x98 has one.
    static const std::map<char32_t, char> kByteOf = [] {
        std::map<char32_t, char> map;
        for (int b = 0; b < 256; ++b) {
            if (b == 0x98) continue;
            const auto one = referenceDecode(cp1251::toUtf8(std::string(1, static_cast<char>(b))));
            FUZZ_CHECK(one && one->size() == 1);
            map.emplace(one->front(), static_cast<char>(b));
        }
        return map;
    }();
    std::string expectedStrict;
    bool allInCodePage = true;
    for (char32_t cp : *codePoints) {
        const auto it = kByteOf.find(cp);
        allInCodePage = allInCodePage && it != kByteOf.end();
        if (it != kByteOf.end()) expectedStrict += it->second;
    }
    FUZZ_CHECK(strict.has_value() == allInCodePage);
    if (strict) {
        FUZZ_CHECK(*strict == expectedStrict);
        FUZZ_CHECK(cp1251::toUtf8(*strict) == input);
    }

    // The lossy conversion drops a leading byte order mark and every combining mark, and writes a
    // space for the no-break space and for every other character outside the code page.
    std::string expectedLossy;
    const bool bom = !codePoints->empty() && codePoints->front() == 0xFEFF;
    for (std::size_t k = bom ? 1 : 0; k < codePoints->size(); ++k) {
        const char32_t cp = (*codePoints)[k];
        if (cp >= 0x300 && cp <= 0x36F) continue;
        const auto it = kByteOf.find(cp);
        expectedLossy += it == kByteOf.end() || cp == 0xA0 ? ' ' : it->second;
    }
    FUZZ_CHECK(lossy == expectedLossy);
}

// Checks the round trip of the input taken as Windows-1251.
void checkToUtf8(std::string_view input) {
    const std::string utf8 = cp1251::toUtf8(input);
    FUZZ_CHECK(referenceDecode(utf8).has_value());
    FUZZ_CHECK(cp1251::isValidUtf8(utf8));
    const std::optional<std::string> back = cp1251::fromUtf8Strict(utf8);
    if (input.find('\x98') == std::string_view::npos) {
        FUZZ_CHECK(back.has_value() && *back == input);
    } else {
        FUZZ_CHECK(!back.has_value());
    }
    std::string spaced(input);
    for (char& c : spaced) {
        if (c == '\x98' || c == '\xA0') c = ' ';
    }
    FUZZ_CHECK(cp1251::fromUtf8Lossy(utf8) == spaced);
}

// Checks the saved-page steps.
void checkPageSource(std::string_view input) {
    const std::string single = ToSingleByte(input);
    FUZZ_CHECK(single.size() <= input.size());
    // Valid UTF-8 is converted; anything else is kept as it is but for a leading byte-order mark.
    const bool utf8 = hasHighByte(input) && cp1251::isValidUtf8(input);
    const std::string_view unmarked = input.starts_with("\xEF\xBB\xBF") ? input.substr(3) : input;
    FUZZ_CHECK(single == (utf8 ? cp1251::fromUtf8Lossy(input) : std::string(unmarked)));

    const std::string joined = JoinLines(input);
    fuzzcheck::CheckCrLfText(joined);
    FUZZ_CHECK(joined == settings::JoinCrLfLines(settings::SplitTextLines(input)));
    FUZZ_CHECK(JoinLines(joined) == joined);

    const std::string saved = SavedPartText(input);
    fuzzcheck::CheckCrLfText(saved);
    FUZZ_CHECK(saved == JoinLines(ToSingleByte(input.substr(0, input.find('\0')))));

    // Under a chosen charset: the automatic rule's text and what it was read from, bytes as they
    // are for a single-byte charset, and any bytes read as UTF-8.
    const std::string_view cut = input.substr(0, input.find('\0'));
    const PageText automatic = ReadSavedPart(input, CharsetChoice::kAuto);
    FUZZ_CHECK(automatic.text == saved);
    FUZZ_CHECK(automatic.fromUtf8 == (hasHighByte(cut) && cp1251::isValidUtf8(cut)));
    FUZZ_CHECK(ReadSavedPart(input, CharsetChoice::kKoi8r).text == JoinLines(cut));
    const PageText utf8Text = ReadSavedPart(input, CharsetChoice::kUtf8);
    fuzzcheck::CheckCrLfText(utf8Text.text);
    FUZZ_CHECK(utf8Text.fromUtf8 && utf8Text.text == JoinLines(cp1251::fromUtf8Lossy(cut)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    checkFromUtf8(input);
    checkToUtf8(input);
    checkPageSource(input);
    return 0;
}
