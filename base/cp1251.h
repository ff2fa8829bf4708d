// Windows-1251 text: compile-time literals and conversions at the program's edges.
//
// The engine works on Windows-1251 bytes throughout. Constant tables are written in the
// sources as UTF-8 literals with the `_cp` suffix and converted here at compile time, so
// that `u8"ся"_cp` is a std::string_view over the two bytes 0xF1 0xFF. A literal holding a
// character that Windows-1251 lacks does not compile.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace cp1251 {

/// Unicode code point of each byte 0x80..0xFF; 0 for the one unassigned byte (0x98).
inline constexpr std::array<char16_t, 128> kHighHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0000, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410,
    0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D,
    0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A,
    0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444,
    0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

/// Returns the Windows-1251 byte of a code point, or -1 when the code page lacks it.
constexpr int byteOf(char32_t cp) {
    if (cp < 0x80) return static_cast<int>(cp);
    for (std::size_t i = 0; i < kHighHalf.size(); ++i) {
        if (kHighHalf[i] != 0 && kHighHalf[i] == cp) return static_cast<int>(0x80 + i);
    }
    return -1;
}

/// Returns the code point of a Windows-1251 byte; 0xFFFD for the unassigned byte 0x98.
constexpr char32_t codePointOf(unsigned char b) {
    if (b < 0x80) return b;
    char16_t u = kHighHalf[b - 0x80];
    return u == 0 ? char32_t{0xFFFD} : char32_t{u};
}

namespace detail {

template <std::size_t N>
struct Utf8Literal {
    char8_t text[N];
    consteval Utf8Literal(const char8_t (&in)[N]) {
        for (std::size_t i = 0; i < N; ++i) text[i] = in[i];
    }
};

template <std::size_t N>
struct Encoded {
    char bytes[N] = {};
    std::size_t size = 0;
};

template <Utf8Literal L>
consteval auto encode() {
    constexpr std::size_t n = sizeof(L.text);
    Encoded<n> out;
    std::size_t i = 0;
    while (i + 1 < n) {  // the last element is the literal's NUL
        char32_t cp = L.text[i];
        int extra = 0;
        if (cp >= 0xF0) {
            cp &= 0x07;
            extra = 3;
        } else if (cp >= 0xE0) {
            cp &= 0x0F;
            extra = 2;
        } else if (cp >= 0xC0) {
            cp &= 0x1F;
            extra = 1;
        }
        for (int k = 1; k <= extra; ++k) cp = (cp << 6) | (L.text[i + k] & 0x3F);
        i += 1 + extra;
        int b = byteOf(cp);
        if (b < 0) throw "character not in Windows-1251";  // a compile error in a consteval context
        out.bytes[out.size++] = static_cast<char>(b);
    }
    return out;
}

template <Utf8Literal L>
inline constexpr auto kEncoded = encode<L>();

}  // namespace detail

/// Converts a UTF-8 literal to Windows-1251 at compile time: `u8"дом"_cp`.
template <detail::Utf8Literal L>
consteval std::string_view operator""_cp() {
    return std::string_view(detail::kEncoded<L>.bytes, detail::kEncoded<L>.size);
}

/// Converts Windows-1251 text to UTF-8 (the unassigned byte 0x98 becomes U+FFFD).
std::string toUtf8(std::string_view text);

/// Converts UTF-8 to Windows-1251. Returns nothing when the input is not valid UTF-8 or holds a
/// character that Windows-1251 lacks.
std::optional<std::string> fromUtf8Strict(std::string_view utf8);

/// Converts UTF-8 to Windows-1251 for analysis: a combining mark (U+0300..U+036F) is dropped, so
/// that a stressed word stays one word; U+00A0 and every other character that Windows-1251 lacks
/// become a space; a leading byte-order mark is dropped. Any bytes may be given: a byte that
/// starts no valid sequence becomes a space and the conversion goes on after it.
std::string fromUtf8Lossy(std::string_view utf8);

/// Converts `text` in place as fromUtf8Lossy does and returns true when it is valid UTF-8, in one
/// pass for both the test and the conversion. Returns false when it is not, leaving `text` in an
/// unspecified state.
bool fromValidUtf8LossyInPlace(std::string& text);

/// True when the bytes form valid UTF-8 (shortest forms, no surrogates, at most U+10FFFF).
bool isValidUtf8(std::string_view bytes);

}  // namespace cp1251

using cp1251::operator""_cp;
