#include "engine/classify.h"

#include <algorithm>
#include <array>

#include "engine/wordcode.h"

namespace {

enum CharClass : std::uint8_t { kCyrLower, kCyrUpper, kLatLower, kLatUpper, kDigit, kOtherChar };

constexpr std::array<CharClass, 256> makeClassTable() {
    std::array<CharClass, 256> table{};
    for (int b = 0; b < 256; ++b) {
        CharClass c = kOtherChar;
        if ((b >= 0xE0 && b <= 0xFF) || b == 0xB8) c = kCyrLower;
        if ((b >= 0xC0 && b <= 0xDF) || b == 0xA8) c = kCyrUpper;
        if (b >= 'a' && b <= 'z') c = kLatLower;
        if (b >= 'A' && b <= 'Z') c = kLatUpper;
        if (b >= '0' && b <= '9') c = kDigit;
        table[b] = c;
    }
    return table;
}

constexpr auto kClassTable = makeClassTable();

// A word of one alphabet: its type counts the capitals; one letter, or two without a capital, is
// too short to count.
std::uint32_t letterWord(std::uint32_t script, std::uint32_t capitals, std::size_t length, bool lengthTest) {
    std::uint32_t code = wordcode::make(std::min<std::uint32_t>(capitals, 2), script);
    if (lengthTest && (length == 1 || (length == 2 && capitals == 0))) code |= wordcode::kIgnoredBit;
    return code;
}

// The lowercase partner of each capital of the code page; other bytes map to themselves.
constexpr std::array<unsigned char, 256> makeSystemLowerTable() {
    std::array<unsigned char, 256> table{};
    for (int b = 0; b < 256; ++b) table[b] = static_cast<unsigned char>(b);
    for (int b = 'A'; b <= 'Z'; ++b) table[b] = static_cast<unsigned char>(b + 32);
    for (int b = 0xC0; b <= 0xDF; ++b) table[b] = static_cast<unsigned char>(b + 32);
    constexpr std::pair<int, int> kPairs[] = {{0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D},
                                              {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC}, {0xA5, 0xB4},
                                              {0xA8, 0xB8}, {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE}};
    for (auto [upper, lower] : kPairs) table[upper] = static_cast<unsigned char>(lower);
    return table;
}

constexpr auto kSystemLower = makeSystemLowerTable();

}  // namespace

std::uint32_t Classify(std::string_view word) {
    std::size_t counts[6] = {};
    for (char ch : word) ++counts[kClassTable[static_cast<unsigned char>(ch)]];
    const std::size_t cl = counts[kCyrLower], cu = counts[kCyrUpper], ll = counts[kLatLower];
    const std::size_t lu = counts[kLatUpper], dg = counts[kDigit], ot = counts[kOtherChar];
    const std::size_t length = word.size();
    const auto capitalsCyr = static_cast<std::uint32_t>(std::min<std::size_t>(cu, 2));
    const auto capitalsLat = static_cast<std::uint32_t>(std::min<std::size_t>(lu, 2));

    if (ot == 0) {
        if (ll + lu + dg == 0) return letterWord(wordcode::kCyrillic, capitalsCyr, length, true);
        if (cu + cl + dg == 0) return letterWord(wordcode::kLatin, capitalsLat, length, true);
        if (cu + cl + lu + ll == 0) {
            std::uint32_t code = wordcode::make(wordcode::kNumber, wordcode::kDigits);
            return length <= 2 ? code | wordcode::kIgnoredBit : code;
        }
        return wordcode::make(wordcode::kAlnum, wordcode::kMixed);
    }
    const std::uint32_t other = wordcode::make(wordcode::kOther, wordcode::kOtherScript);
    if (ot == 1 && length >= 4) {
        if (ll + lu + dg == 0) return letterWord(wordcode::kCyrillic, capitalsCyr, length, false);
        if (cu + cl + dg == 0) return letterWord(wordcode::kLatin, capitalsLat, length, false);
        return other;
    }
    return other | wordcode::kIgnoredBit;
}

char LowercaseByte(char c) {
    auto b = static_cast<unsigned char>(c);
    if ((b >= 0xC0 && b <= 0xDF) || (b >= 'A' && b <= 'Z')) return static_cast<char>(b + 32);
    if (b == 0xA8) return static_cast<char>(0xB8);
    return c;
}

std::string LowercaseSystem(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(kSystemLower[static_cast<unsigned char>(c)]);
    return out;
}
