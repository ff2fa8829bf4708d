// Main-text extraction: chooses the main content of an HTML page (the article) and drops its
// template (navigation, menus, headers and footers, sidebars, share buttons, related-article teasers,
// comments, cookie notices, advertising, forms), returning the chosen blocks as a reduced HTML
// document in the page's own encoding and as plain text.
//
// The page is parsed by libxml2's HTML parser without network access and without external entities,
// into a tree of our own built from the parser's events (maintext/htmltree.h); every walk over the tree
// is iterative, so the time is linear in the size of the page and the stack does not grow with its
// depth. The parser itself stops at 256 nested elements (its bound when not asked for huge documents):
// text past that depth is not seen. Pure function apart from libxml2's one-time initialisation, which
// is done once under std::call_once: ExtractMainText is thread-safe and may run on several pages at
// once on worker threads. For a page from 64 KiB on it uses a second thread of its own, which builds
// the tree while the parser reads the page, and returns once that thread is done.
//
// How the content is chosen, in order: the page is parsed; script, style, forms, hidden elements
// (the hidden attribute, aria-hidden="true", display:none or visibility:hidden in the style
// attribute) and elements whose tag, class, id or role name template (nav, menu, footer, noscript, sidebar,
// comment, share, related, cookie, banner, ad, breadcrumb, pagination, author box, …) are dropped
// unless they hold most of the page's sentences (blocks of punctuated text outside links), and a
// <header> made of sentences is kept; a script ends only at its own end tag, so markup quoted in it
// is not read as text, and ruby readings (rt, rp) are left out of the text; every text block is scored by its length,
// its sentence punctuation and its share of link text, the scores go up to the containers around it, and the best
// container, moved to an enclosing <article>, <main> or itemprop="articleBody" element when one holds it, is kept with
// its siblings that score nearly as well or, before it, are made of sentences (a lead); within it, blocks mostly made
// of links are dropped. When that finds too little, the text of the page's JSON-LD articleBody is used, then the whole
// page's text blocks that are not link lists.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "page/bounds.h"

namespace maintext {

/// The most bytes of a page read: the program's page bound.
inline constexpr std::size_t kMaxInputBytes = kMaxPageBytes;

/// The deepest element kept as markup: content deeper than this keeps its text, without its tags.
inline constexpr std::size_t kMaxDepth = 256;

/// The most elements of a page looked at; past them the rest of the page is left out.
inline constexpr std::size_t kMaxElements = std::size_t{4} << 20;

/// The least characters of main text (letters, digits, punctuation; spaces not counted) for the
/// content to be found.
inline constexpr std::size_t kMinTextChars = 120;

/// Why the main text was or was not found.
enum class Reason {
    kFound,           // found: the result holds it
    kEmpty,           // the page has no bytes
    kTooLarge,        // the page is larger than kMaxInputBytes
    kUnknownCharset,  // the named encoding is not known to the converter
    kUnparsable,      // the parser gave no document
    kFrameset,        // the page is a frameset: its text lives in other documents
    kNoText,          // the page has no text at all
    kTooLittleText    // the page's best content (a page of links, a gallery, a form) is too short
};

/// Returns a short neutral name of `reason` for logs and JSON ("found", "frameset", …).
const char* ReasonName(Reason reason);

/// The main content of a page.
struct Result {
    /// True when main content was found; otherwise markup, text and blockPaths are empty and the
    /// caller takes the whole page.
    bool found = false;
    Reason reason = Reason::kEmpty;
    /// The encoding the page was read in and `markup` is written in: the one given, or the one
    /// detected (byte-order mark, <meta charset>, then UTF-8 when the bytes are valid UTF-8, else
    /// windows-1252). Empty when the page was not read.
    std::string encoding;
    /// A reduced HTML document in `encoding`: <html><head> with the page's <title> and its
    /// <meta name="description"> and <meta name="keywords"> tags, then <body> with the chosen
    /// blocks, their inner markup kept (headings, paragraphs, lists, tables, blockquote, pre, inline
    /// b/strong/em/i/u/a with href, img with alt) and everything dropped left out. Characters the
    /// encoding cannot hold are written as numeric character references (&#1105;).
    std::string markup;
    /// The text of the chosen blocks in UTF-8: spaces collapsed, a line break for <br>, blocks
    /// separated by an empty line.
    std::string text;
    /// For each chosen block, in document order, a CSS selector that finds it in a browser's DOM:
    /// "#id" when the block or an ancestor has an id unique in the page (and made of letters, digits,
    /// '-' and '_' only), then "tag:nth-of-type(n)" steps joined by " > "; otherwise the steps start
    /// at "html > body". A <tr> directly under <table> in the parsed tree gets the step
    /// "tbody:nth-of-type(1)" before it, as HTML5 parsers imply. The steps follow libxml2's tree: on
    /// markup an HTML5 parser repairs otherwise (misnested inline tags, content moved out of tables,
    /// a second <body>), or once scripts change the DOM, a selector may miss or find another element.
    std::vector<std::string> blockPaths;
    /// The words of the main text and of the whole page's text (script, style and the like left
    /// out), counted alike: runs of characters between spaces that hold a letter or digit. The page's
    /// words are counted whenever the page was parsed, found or not.
    std::size_t mainWords = 0;
    std::size_t pageWords = 0;
};

/// Extracts the main content of the page `bytes` read in `encoding` (a name the C library's iconv
/// knows, such as "windows-1251" or "UTF-8"; empty to detect it from the bytes). Never throws for
/// any input; a page past the bounds or without main text gives found == false and its reason.
Result ExtractMainText(std::string_view bytes, std::string_view encoding);

/// The most threads ExtractMainTexts runs pages on, its caller's own included; each may use a second
/// thread while it parses a page, as ExtractMainText does.
inline constexpr std::size_t kMaxPageThreads = 8;

/// Extracts the main content of each page of `pages` read in `encoding` (as ExtractMainText), the
/// results in the order of the pages and the same as ExtractMainText gives one page after another.
/// Several pages are read at once, on as many threads as the machine has cores (at most
/// kMaxPageThreads); all are joined before it returns. What a page's extraction throws (out of
/// memory) is thrown once all are done: that of the first such page.
std::vector<Result> ExtractMainTexts(std::span<const std::string_view> pages, std::string_view encoding);

/// Returns the text of the whole page (UTF-8) as ExtractMainText writes the main text: the text of
/// every element but script, style, forms and hidden ones, blocks separated by an empty line. Empty
/// for a page past the bounds, in an unknown encoding or without text.
std::string WholeText(std::string_view bytes, std::string_view encoding);

}  // namespace maintext
