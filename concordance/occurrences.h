// The word occurrences of one analysed page, in page order, with the reading text they stand in.
//
// Made once per analysis from the run's own token streams, so that every occurrence the stem, word
// and combination lists count is here, no more and no fewer: the k-th occurrence is the k-th word
// record of the markup stream. The reading text is the page's text as the scanner read it: the
// words and the delimiters between them, tags left out; a block tag or a sentence end starts a new
// sentence in it. Texts are Windows-1251. Building is O(records). NOT thread-safe.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/markupcontext.h"
#include "engine/txtidxunit.h"

/// Where in the markup an occurrence stood (bits of Occurrence::places): the elements of its markup
/// context, as the scanner weighed it, and the attribute texts it may stand in.
namespace place {
inline constexpr std::uint16_t kTitle = markup::kTitle;  // the document title
inline constexpr std::uint16_t kH1 = markup::kH1;
inline constexpr std::uint16_t kH2 = markup::kH2;
inline constexpr std::uint16_t kH3 = markup::kH3;
inline constexpr std::uint16_t kBold = markup::kBold;
inline constexpr std::uint16_t kItalic = markup::kItalic;
inline constexpr std::uint16_t kUnderline = markup::kUnderline;
inline constexpr std::uint16_t kLink = markup::kLink;
inline constexpr std::uint16_t kForm = markup::kForm;
inline constexpr std::uint16_t kSelect = markup::kSelect;
inline constexpr std::uint16_t kPre = markup::kPre;
inline constexpr std::uint16_t kImgAlt = 2048;  // an image description
inline constexpr std::uint16_t kMeta = 4096;    // a meta description or keywords
/// The markup context's elements that are places (nobr is none).
inline constexpr std::uint16_t kMarkupPlaces =
    kTitle | kH1 | kH2 | kH3 | kBold | kItalic | kUnderline | kLink | kForm | kSelect | kPre;
}  // namespace place

/// Returns the names of the places set in `places`, joined by ", " (Windows-1251).
std::string PlaceNames(std::uint16_t places);

/// One word occurrence.
struct Occurrence {
    std::uint32_t offset = 0;  // where the word stands in PageOccurrences::text
    std::uint32_t length = 0;
    std::int32_t stem = 0;       // the stem id, as the stem list's records hold it
    std::int32_t sentence = -1;  // the sentence-list entry it belongs to, or -1
    std::uint16_t places = 0;
    bool joinsPrevious = false;  // it stands in one phrase with the occurrence before it
};

/// The occurrences of one page.
struct PageOccurrences {
    std::string text;                           // the reading text
    std::vector<Occurrence> words;              // every word occurrence, in page order
    std::vector<std::uint32_t> sentenceStarts;  // ascending offsets in `text` where a sentence begins

    /// The written word of occurrence k.
    std::string_view word(std::size_t k) const {
        return std::string_view(text).substr(words[k].offset, words[k].length);
    }
    /// The start and the end of the sentence around offset `at` of the reading text.
    std::pair<std::size_t, std::size_t> sentenceAround(std::size_t at) const;
};

/// Collects the occurrences of one run from its markup and phrase streams and the page text the
/// streams' offsets point into. Records whose span lies outside `pageText` give empty words.
PageOccurrences CollectOccurrences(const TTxtIdxIndex& markup, const TTxtIdxIndex& phrases, std::string_view pageText);

/// Gives each occurrence its sentence-list entry: wordRows[k] for occurrence k (as the sentence
/// list's build reports them); occurrences beyond `wordRows` keep -1.
void AssignSentences(PageOccurrences& page, std::span<const std::int32_t> wordRows);
