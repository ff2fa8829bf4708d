// The markup context of the words of a page: which of the elements that weigh words (title,
// headings, bold, italic, underline, link, nobr, form, select, pre) are open after each tag. The
// scanner weighs words by it and the concordance says by it where each word stood, so both read
// the tags by one table. Tags come as their hashes (engine/taghash.h). NOT thread-safe.
#pragma once

#include <cstdint>

/// The elements of the markup context, as bits of MarkupContext::open().
namespace markup {
inline constexpr std::uint16_t kTitle = 1;  // the document title, up to </title>, </head> or <body>
inline constexpr std::uint16_t kH1 = 2;
inline constexpr std::uint16_t kH2 = 4;
inline constexpr std::uint16_t kH3 = 8;
inline constexpr std::uint16_t kBold = 16;    // <b> or <strong>
inline constexpr std::uint16_t kItalic = 32;  // <i> or <em>
inline constexpr std::uint16_t kUnderline = 64;
inline constexpr std::uint16_t kLink = 128;
inline constexpr std::uint16_t kForm = 256;
inline constexpr std::uint16_t kSelect = 512;
inline constexpr std::uint16_t kPre = 1024;
inline constexpr std::uint16_t kNobr = 0x8000;

/// The elements that a heading's opening tag and the block tags of taghash::EndsInlineRuns end:
/// runs of text markup do not carry on past them. Links, forms and the rest do.
inline constexpr std::uint16_t kInlineRuns = kH1 | kH2 | kH3 | kBold | kItalic | kUnderline | kNobr;
}  // namespace markup

class MarkupContext {
  public:
    /// Applies one tag to the context. Returns true for a tag that sits inside a line of text
    /// (bold, italic, underline, link, nobr, font and the plain inline elements of HTML), which
    /// ends no sentence; false for every other tag.
    bool apply(std::uint32_t hash);

    /// The elements open now (markup:: bits).
    std::uint16_t open() const { return open_; }
    bool has(std::uint16_t element) const { return (open_ & element) != 0; }

  private:
    void endInlineRuns();
    bool emphasis(std::uint32_t hash);

    std::uint16_t open_ = 0;
    // Which of the elements behind kBold and kItalic are open: each ends at its own closing tag.
    bool b_ = false, strong_ = false, i_ = false, em_ = false;
};
