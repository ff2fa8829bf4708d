// Tag hashes: the ELF hash of a tag's opening bytes, by which the scanner and the sentence list
// recognise tags without comparing strings. Tags are Windows-1251 bytes; only a-z are upper-cased.
#pragma once

#include <algorithm>
#include <array>
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
inline constexpr std::uint32_t kStrong = TagHashOf("<strong"), kStrongEnd = TagHashOf("</strong");
inline constexpr std::uint32_t kOption = TagHashOf("<option");

/// Whether a tag opens bold text: <b>, or <strong>, which browsers show in bold and which the
/// analysis weighs as <b>.
constexpr bool OpensBold(std::uint32_t hash) { return hash == kB || hash == kStrong; }
/// Whether a tag closes bold text: </b> or </strong>.
constexpr bool ClosesBold(std::uint32_t hash) { return hash == kBEnd || hash == kStrongEnd; }

/// The inline elements of HTML that carry no weight of their own. Their tags, opening or closing,
/// sit inside a line of text, so they end no sentence (as <b> or <a> end none), while every tag
/// the scanner does not know starts a new block. <strong> and <em> are not here: they weigh as
/// <b> and <i>.
inline constexpr std::string_view kPlainInlineElements[] = {
    "span", "small", "sub",  "sup",  "code",  "mark", "abbr", "acronym", "cite", "q",   "s",   "del",  "ins",
    "kbd",  "var",   "samp", "time", "label", "big",  "tt",   "strike",  "dfn",  "bdi", "bdo", "data", "wbr",
};

namespace detail {
// The hash of the opening or closing tag of an element named by at most 14 bytes.
constexpr std::uint32_t elementTagHash(std::string_view name, bool closing) {
    std::array<char, 16> tag{};
    std::size_t n = 0;
    tag[n++] = '<';
    if (closing) tag[n++] = '/';
    for (char c : name) tag[n++] = c;
    return TagHashOf(std::string_view(tag.data(), n));
}

// The hashes of the opening and closing tags of kPlainInlineElements, sorted, and "<wbr/", the
// form of <wbr> that XHTML pages write.
constexpr auto kPlainInlineHashes = [] {
    std::array<std::uint32_t, 2 * std::size(kPlainInlineElements) + 1> hashes{};
    std::size_t n = 0;
    for (std::string_view name : kPlainInlineElements) {
        hashes[n++] = elementTagHash(name, false);
        hashes[n++] = elementTagHash(name, true);
    }
    hashes[n] = TagHashOf("<wbr/");
    std::ranges::sort(hashes);
    return hashes;
}();
static_assert(std::ranges::adjacent_find(kPlainInlineHashes) == kPlainInlineHashes.end(),
              "two plain inline tags share a hash");
}  // namespace detail

/// Whether a tag is an opening or closing tag of one of kPlainInlineElements (or "<wbr/").
constexpr bool IsPlainInline(std::uint32_t hash) {
    return std::ranges::binary_search(detail::kPlainInlineHashes, hash);
}

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
