// The word code: 32 bits carried by every word occurrence and every vocabulary entry.
//
// Bits 0-7 hold the word type, bits 8-15 the script class, bit 24 the ignored bit (the
// occurrence is too short to count, or is a stop word, and weighs nothing).
#pragma once

#include <cstdint>

namespace wordcode {

enum WordType : std::uint32_t {
    kNormal = 0,  // no capital letter
    kName = 1,    // exactly one capital letter: a possible name
    kAbbrev = 2,  // two or more capital letters
    kNumber = 3,
    kAlnum = 4,  // letters mixed with digits, or letters of both alphabets
    kOther = 5,  // other characters present
};

enum ScriptClass : std::uint32_t {
    kCyrillic = 0,
    kLatin = 1,
    kDigits = 2,
    kMixed = 3,
    kOtherScript = 4,
};

inline constexpr std::uint32_t kIgnoredBit = 1u << 24;

constexpr std::uint32_t wordType(std::uint32_t code) { return code & 0xFF; }
constexpr std::uint32_t scriptClass(std::uint32_t code) { return (code >> 8) & 0xFF; }
constexpr bool isIgnored(std::uint32_t code) { return (code & kIgnoredBit) != 0; }
constexpr std::uint32_t make(std::uint32_t type, std::uint32_t script) { return type | (script << 8); }

}  // namespace wordcode
