#include "engine/charset.h"

#include <array>
#include <cstddef>
#include <iterator>

#include "base/cp1251.h"

namespace {

// A conversion table maps each byte 0x80..0xFF (at index byte - 0x80) to Windows-1251.
using ConversionTable = std::array<unsigned char, 128>;

constexpr ConversionTable identityTable() {
    ConversionTable table{};
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<unsigned char>(0x80 + i);
    return table;
}

constexpr void set(ConversionTable& table, unsigned from, char to) {
    table[from - 0x80] = static_cast<unsigned char>(to);
}

constexpr std::string_view kSmallYo = u8"ё"_cp;
constexpr std::string_view kCapitalYo = u8"Ё"_cp;

// KOI8-R (RFC 1489) keeps its 64 letters at 0xC0-0xFF in this order, small letters first. The
// Russian letters and the four signs that Windows-1251 also has are converted; a sign left at its
// KOI8-R code would read as another character there (the copyright sign 0xBF as "ї"). The
// characters Windows-1251 lacks (box drawing, ÷, ², ≤, ...) stay at their KOI8-R codes.
constexpr ConversionTable makeKoi8rTable() {
    constexpr std::string_view letters = u8"юабцдефгхийклмнопярстужвьызшэщчъЮАБЦДЕФГХИЙКЛМНОПЯРСТУЖВЬЫЗШЭЩЧЪ"_cp;
    static_assert(letters.size() == 64);
    ConversionTable table = identityTable();
    for (std::size_t k = 0; k < letters.size(); ++k) set(table, 0xC0 + k, letters[k]);
    set(table, 0xA3, kSmallYo[0]);
    set(table, 0xB3, kCapitalYo[0]);
    set(table, 0x9A, u8"\u00A0"_cp[0]);  // no-break space
    set(table, 0x9C, u8"°"_cp[0]);
    set(table, 0x9E, u8"·"_cp[0]);
    set(table, 0xBF, u8"©"_cp[0]);
    return table;
}

// ISO 8859-5 keeps А-Я and а-я at 0xB0-0xEF, in the same order as Windows-1251 does at
// 0xC0-0xFF. The bytes 0xF0 and 0xF2-0xFF are moved down by 0x40 as a block (so 0xF0 lands on
// 0xB0), which is right for none of them but keeps every byte a one-step lookup.
constexpr ConversionTable makeIso88595Table() {
    constexpr std::string_view letters = u8"АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюя"_cp;
    static_assert(letters.size() == 64);
    ConversionTable table = identityTable();
    for (std::size_t k = 0; k < letters.size(); ++k) set(table, 0xB0 + k, letters[k]);
    set(table, 0xA1, kCapitalYo[0]);
    set(table, 0xF1, kSmallYo[0]);
    set(table, 0xF0, static_cast<char>(0xF0 - 0x40));
    for (unsigned b = 0xF2; b <= 0xFF; ++b) set(table, b, static_cast<char>(b - 0x40));
    return table;
}

constexpr ConversionTable kKoi8rTable = makeKoi8rTable();
constexpr ConversionTable kIso88595Table = makeIso88595Table();

// What the cleaning does with a byte: most bytes are kept as they are and counted in their band.
enum class CleanClass : std::uint8_t { kKept, kAmpersand, kSpace, kCr, kLf };

constexpr std::array<CleanClass, 256> makeCleanClasses() {
    std::array<CleanClass, 256> classes{};
    classes['&'] = CleanClass::kAmpersand;
    classes[' '] = CleanClass::kSpace;
    classes['\r'] = CleanClass::kCr;
    classes['\n'] = CleanClass::kLf;
    return classes;
}

constexpr auto kCleanClasses = makeCleanClasses();

// The band of each byte (0 for 0xB0-0xBF, ..., 4 for 0xF0-0xFF) or 5 for a byte outside them.
constexpr std::array<std::uint8_t, 256> makeBands() {
    std::array<std::uint8_t, 256> bands{};
    for (int b = 0; b < 256; ++b) bands[b] = static_cast<std::uint8_t>(b >= 0xB0 ? (b >> 4) - 0xB : 5);
    return bands;
}

constexpr auto kBands = makeBands();

// Removes line breaks, collapses runs of spaces and no-break spaces into one space, drops the
// spaces at the start, and turns &amp; into "&". A line break right after a tag (">") leaves no
// space. Rewrites `text` in place and shrinks it; returns the band counts of the kept bytes.
BandCounts clean(std::string& text) {
    // Through a plain pointer, so that the bytes written do not make the string reload its own.
    char* const t = text.data();
    std::array<std::uint32_t, 6> bands{};  // 0xB0-0xBF, 0xC0-0xCF, ..., 0xF0-0xFF, and the other bytes
    const std::size_t size = text.size();
    std::size_t j = 0;
    bool afterText = false;
    for (std::size_t i = 0; i < size; ++i) {
        CleanClass kind = kCleanClasses[static_cast<unsigned char>(t[i])];
        if (kind == CleanClass::kKept) {
            // A run of kept bytes, the bulk of a page.
            do {
                const char byte = t[i];
                t[j++] = byte;
                ++bands[kBands[static_cast<unsigned char>(byte)]];
            } while (++i < size && kCleanClasses[static_cast<unsigned char>(t[i])] == CleanClass::kKept);
            afterText = true;
            if (i == size) break;
            kind = kCleanClasses[static_cast<unsigned char>(t[i])];
        }
        if (kind == CleanClass::kAmpersand && size - i > 4) {
            std::string_view name(t + i + 1, 4);
            if (name == "nbsp") {
                // Turn the entity's last byte into a space and go on from there.
                i += (i + 5 < size && t[i + 5] == ';') ? 5 : 4;
                t[i] = ' ';
                kind = CleanClass::kSpace;
            } else if (name == "amp;") {
                t[j++] = '&';
                afterText = true;
                i += 4;
                continue;
            }
        }
        if (kind == CleanClass::kSpace) {
            if (afterText) t[j++] = ' ';
            afterText = false;
        } else if (kind == CleanClass::kCr) {
            if (afterText && (i == 0 || t[i - 1] != '>')) {
                t[j++] = ' ';
                afterText = false;
            }
        } else if (kind != CleanClass::kLf) {
            t[j++] = t[i];  // an '&' that starts no entity
            afterText = true;
        }
    }
    text.resize(j);
    return {.b = bands[0], .c = bands[1], .d = bands[2], .e = bands[3], .f = bands[4]};
}

void convert(std::string& text, const ConversionTable& table) {
    for (char& c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) c = static_cast<char>(table[byte - 0x80]);
    }
}

}  // namespace

std::string_view CharsetName(Charset charset) {
    const auto index = static_cast<int>(charset);
    if (index < 0 || index >= static_cast<int>(std::size(kCharsetNames))) return kCharsetNames[0];
    return kCharsetNames[index];
}

std::string_view CharsetChoiceName(CharsetChoice choice) {
    const auto index = static_cast<int>(choice);
    if (index < 0 || index >= static_cast<int>(std::size(kCharsetChoiceNames))) return kCharsetChoiceNames[0];
    return kCharsetChoiceNames[index];
}

Charset DetectCharset(const BandCounts& counts) {
    // Sums in 64 bits so that no band count can overflow them.
    const std::uint64_t b = counts.b, c = counts.c, d = counts.d, e = counts.e, f = counts.f;
    if (b > f) return d + e > b + c ? Charset::kIso88595 : Charset::kWindows1251;
    return c + d > e + f ? Charset::kKoi8r : Charset::kWindows1251;
}

Charset NormaliseAndConvert(std::string& text, CharsetChoice choice) {
    const BandCounts counts = clean(text);
    Charset charset = Charset::kWindows1251;
    if (choice == CharsetChoice::kAuto) charset = DetectCharset(counts);
    if (choice == CharsetChoice::kKoi8r) charset = Charset::kKoi8r;
    if (choice == CharsetChoice::kIso88595) charset = Charset::kIso88595;
    if (charset == Charset::kKoi8r) convert(text, kKoi8rTable);
    if (charset == Charset::kIso88595) convert(text, kIso88595Table);
    return charset;
}
