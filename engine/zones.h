// Where the words of a page stand: the count of every stem in each zone of the page (title, meta
// description, meta keywords, <h1>, <h2>-<h6>, bold, link texts, image descriptions, body), with
// the few facts of the page the text figures need (characters of the text read, <h1> tags, the meta
// description and keywords). The scanner fills a PageTally in the same pass that fills the run
// tables; the zones are counted whatever the index options say, which still decide what enters the
// lists. Texts are Windows-1251. NOT thread-safe.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zone {
/// The zones of a page. A word of the body stands in the body and in every zone of the body it is
/// inside (a bold word in a link of an <h1> counts in kH1, kBold, kLink and kBody); the title, the
/// meta tags and the image descriptions are outside the body.
enum Zone : std::uint8_t {
    kTitle,        // <title> in the head
    kDescription,  // <meta name="description" content="...">
    kKeywords,     // <meta name="keywords" content="...">
    kH1,           // <h1>
    kH2to6,        // <h2> to <h6>
    kBold,         // <b> or <strong>
    kLink,         // the text of <a>
    kImageAlt,     // the alt text of <img> (four characters or more, as the index reads it)
    kBody,         // every word of the body text
};
inline constexpr std::size_t kCount = 9;
}  // namespace zone

/// A stem's count in each zone, indexed by zone::Zone.
using ZoneCounts = std::array<std::int32_t, zone::kCount>;

/// What the scanner counts for the text figures besides the run tables.
struct PageTally {
    /// By the id of each stem of the run's stem table (the id of its stem list entry): its count in
    /// each zone; shorter than the table when its last stems stand in no zone (never: every word is
    /// in one).
    std::vector<ZoneCounts> stems;
    /// The stems found only in zones that the index options keep out of the lists (the title, the
    /// meta tags, the image descriptions), in the order first met, with their counts.
    std::vector<std::string> outsideStems;
    std::vector<ZoneCounts> outside;
    /// The text the lists count (the body, and the title, meta tags and image descriptions that the
    /// options index): its characters other than white space, each character reference such as
    /// &laquo; counted as one; and those with the spaces between them, a run of white space, or a
    /// block tag between two runs of text, counting as one space.
    std::int64_t charsWithoutSpaces = 0;
    std::int64_t charsWithSpaces = 0;
    std::int32_t h1Count = 0;  // <h1> tags of the page
    /// The content of the first <meta name="description"> and <meta name="keywords"> of at least
    /// four characters (as the index reads them), white space as the cleaning left it; none when the
    /// page has none.
    std::optional<std::string> description;
    std::optional<std::string> keywords;
    bool counted = false;  // whether the run counted the tally (AnalysisState::tallyPage)

    /// The counts of stem `id` of the stem list; all zero for an id it has not.
    ZoneCounts of(std::int32_t id) const {
        if (id < 0 || static_cast<std::size_t>(id) >= stems.size()) return {};
        return stems[static_cast<std::size_t>(id)];
    }
};

/// The length of the character reference (&laquo;, &#171;, &#xAB;) at `i` of `text`: its "&", one
/// to ten letters, digits or "#", and its ";"; 0 when none starts there. The text figures count a
/// reference as one character, as a reader sees it.
constexpr std::size_t CharacterReferenceLength(std::string_view text, std::size_t i) {
    constexpr std::size_t kLongestName = 10;
    if (i >= text.size() || text[i] != '&') return 0;
    for (std::size_t k = i + 1; k < text.size() && k - i <= kLongestName + 1; ++k) {
        const char c = text[k];
        if (c == ';') return k > i + 1 ? k - i + 1 : 0;
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '#')) return 0;
    }
    return 0;
}
