// Tag hashes: the ELF hash of a tag's opening bytes, by which the scanner and the sentence list
// recognise tags without comparing strings. Tags are Windows-1251 bytes; only a-z are upper-cased.
#pragma once

#include <cstdint>
#include <string_view>

/// Returns the ELF hash of a tag's opening bytes: from its "<" up to the first space or ">",
/// with a-z taken as A-Z. Usable at compile time.
constexpr std::uint32_t TagHashOf(std::string_view tag) {
    std::uint32_t h = 0;
    for (char ch : tag) {
        if (ch == ' ' || ch == '>') break;
        if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 32);
        h = (h << 4) + static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(ch)));
        std::uint32_t g = h & 0xF0000000u;
        if (g != 0) h ^= g >> 24;
        h &= ~g;
    }
    return h;
}

/// The tag hashes the scanner and the sentence list recognise.
namespace taghash {
inline constexpr std::uint32_t kH1 = TagHashOf("<h1"), kH1End = TagHashOf("</h1");
inline constexpr std::uint32_t kH2 = TagHashOf("<h2"), kH2End = TagHashOf("</h2");
inline constexpr std::uint32_t kH3 = TagHashOf("<h3"), kH3End = TagHashOf("</h3");
inline constexpr std::uint32_t kB = TagHashOf("<b"), kBEnd = TagHashOf("</b");
inline constexpr std::uint32_t kOption = TagHashOf("<option");

/// Whether a tag ends every inline markup run (bold, italic, underline, link, headings' weight):
/// the block tags between which text runs do not carry on. The headings' own opening tags end
/// them too, and start their heading.
constexpr bool EndsInlineRuns(std::uint32_t hash) {
    switch (hash) {
        case TagHashOf("</h1"):
        case TagHashOf("</h2"):
        case TagHashOf("</h3"):
        case TagHashOf("<p"):
        case TagHashOf("</p"):
        case TagHashOf("<tr"):
        case TagHashOf("</tr"):
        case TagHashOf("<td"):
        case TagHashOf("</td"):
        case TagHashOf("<table"):
        case TagHashOf("</table"):
        case TagHashOf("<tbody"):
        case TagHashOf("</tbody"):
        case TagHashOf("</center"):
            return true;
        default:
            return false;
    }
}
}  // namespace taghash
