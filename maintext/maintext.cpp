#include "maintext/maintext.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <exception>
#include <initializer_list>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/cp1251.h"
#include "maintext/htmltree.h"

namespace maintext {
namespace {

// ---------------------------------------------------------------------------------------------
// Tags

enum TagFlag : std::uint32_t {
    kBlock = 1u << 0,      // starts a block of text: text on either side is not joined
    kJunk = 1u << 1,       // never content: dropped with everything inside
    kTemplate = 1u << 2,   // a page-template region (nav, aside, footer, menu)
    kHeading = 1u << 3,    // h1..h6
    kList = 1u << 4,       // ul, ol, dl
    kLink = 1u << 5,       // a
    kVoid = 1u << 6,       // no end tag
    kKeep = 1u << 7,       // written to the reduced markup
    kScored = 1u << 8,     // a text block whose own text feeds the scores of its containers
    kCell = 1u << 9,       // a table or list part that cannot stand alone in the reduced markup
    kEmbed = 1u << 10,     // counted as embedded media by the cleaning of containers
    kInput = 1u << 11,     // a form field
    kParagraph = 1u << 12  // counted as a paragraph by the cleaning of containers
};

struct TagInfo {
    std::uint32_t flags = 0;
    int base = 0;  // the starting score of a container of this tag
};

using Index = HtmlTree::Index;
constexpr Index kNone = HtmlTree::kNone;

// Sets the flags and base score of the tags named in a table indexed by Tag.
class TagTable {
  public:
    TagInfo& operator[](const char* name) { return infos_[static_cast<std::size_t>(TagOf(name))]; }
    const TagInfo& operator[](Tag tag) const { return infos_[static_cast<std::size_t>(tag)]; }

  private:
    std::array<TagInfo, static_cast<std::size_t>(Tag::kCount)> infos_{};
};

const TagTable& tagTable() {
    static const TagTable table = [] {
        TagTable t;
        const std::uint32_t bk = kBlock | kKeep;
        for (const char* n : {"script", "style",    "template", "iframe",   "frame", "frameset", "object", "embed",
                              "applet", "svg",      "math",     "canvas",   "audio", "video",    "map",    "button",
                              "select", "textarea", "option",   "datalist", "head",  "link",     "meta",   "title",
                              "base",   "dialog",   "source",   "track",    "param", "picture"}) {
            t[n] = {kJunk | kBlock, 0};
        }
        // What a page shows without scripts is template, unless a broken tag left the page inside it.
        t["noscript"] = {kTemplate | kBlock, -3};
        // Ruby annotations spell out how the base text is read: the text is the base text alone.
        for (const char* n : {"rt", "rp"}) t[n] = {kJunk, 0};
        t["input"] = {kJunk | kInput, 0};
        for (const char* n : {"nav", "aside", "menu", "footer"}) t[n] = {kTemplate | bk, -3};
        t["header"] = {bk, 0};
        t["form"] = {bk, -3};
        for (const char* n : {"div", "section", "article", "main", "center"}) t[n] = {bk | kScored, 5};
        t["body"] = {kBlock | kScored, 5};
        t["html"] = {kBlock, 0};
        t["p"] = {bk | kScored | kParagraph, 0};
        for (const char* n : {"pre", "blockquote"}) t[n] = {bk | kScored | kParagraph, 3};
        t["td"] = {bk | kScored | kCell, 3};
        t["th"] = {bk | kCell, -5};
        for (const char* n : {"tr", "thead", "tbody", "tfoot", "caption"}) t[n] = {bk | kCell, 0};
        t["table"] = {bk, 0};
        for (const char* n : {"ul", "ol", "dl"}) t[n] = {bk | kList, -3};
        t["li"] = {bk | kCell, -3};
        for (const char* n : {"dd", "dt"}) t[n] = {bk | kCell, -3};
        // Figures are pictures: their captions and credits are not the article's text.
        for (const char* n : {"figure", "figcaption"}) t[n] = {kTemplate | bk, -3};
        for (const char* n : {"address", "details", "summary", "fieldset", "legend", "hgroup", "dir"}) {
            t[n] = {bk, -3};
        }
        t["h1"] = {bk | kHeading, -5};
        for (const char* n : {"h2", "h3", "h4", "h5", "h6"}) t[n] = {bk | kHeading | kScored, -5};
        t["hr"] = {bk | kVoid, 0};
        t["br"] = {kKeep | kVoid, 0};
        t["wbr"] = {kVoid, 0};
        t["img"] = {kKeep | kVoid | kEmbed, 0};
        t["a"] = {kKeep | kLink, 0};
        for (const char* n : {"b",     "strong", "i",    "em",   "u",    "s",    "strike", "sub",  "sup",
                              "small", "big",    "mark", "code", "kbd",  "samp", "var",    "abbr", "acronym",
                              "cite",  "q",      "dfn",  "time", "font", "span", "tt",     "ins",  "del"}) {
            t[n] = {kKeep, 0};
        }
        return t;
    }();
    return table;
}

TagInfo tagInfo(Tag tag) { return tagTable()[tag]; }

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// ---------------------------------------------------------------------------------------------
// Class, id and role hints

// Words of a class or id that name a part of the page template, matched whole: an element they
// name is dropped even when a content word stands beside them ("comment-content", "entry-footer").
constexpr auto kNegativeWords = std::to_array<std::string_view>(
    {"nav",           "navbar",      "navigation",  "menu",       "menus",     "submenu",      "footer",      "sidebar",
     "comment",       "comments",    "commentlist", "share",      "sharing",   "social",       "related",     "cookie",
     "cookies",       "consent",     "gdpr",        "banner",     "ad",        "ads",          "advert",      "adverts",
     "advertisement", "advertising", "sponsor",     "sponsored",  "promo",     "breadcrumb",   "breadcrumbs", "crumbs",
     "pagination",    "pager",       "paging",      "newsletter", "subscribe", "subscription", "popup",       "modal",
     "outbrain",      "taboola",     "disqus",      "shoutbox",   "skyscraper"});
// Words that name the template less surely: they drop an element only when no content word is there.
constexpr auto kWeakWords = std::to_array<std::string_view>(
    {"header",  "meta",     "aside",    "teaser",    "teasers", "trending",  "popular",  "recommended",
     "tags",    "tagcloud", "rating",   "vote",      "bio",     "copyright", "legal",    "skip",
     "toolbar", "masthead", "login",    "signup",    "rss",     "respond",   "reply",    "replies",
     "overlay", "hidden",   "caption",  "credit",    "credits", "byline",    "category", "categories",
     "date",    "author",   "dateline", "subscribe", "paywall", "donate",    "donation"});
// Words that name content.
constexpr auto kPositiveWords = std::to_array<std::string_view>(
    {"article", "articlebody", "content", "contents", "post", "entry", "text", "body", "story", "main", "blog",
     "hentry", "prose", "richtext", "news", "page", "single", "detail"});
// Substrings that name the template wherever they stand in a class or id word group.
constexpr auto kNegativeParts = std::to_array<std::string_view>(
    {"comment", "sidebar", "navigation", "breadcrumb", "cookie", "newsletter", "advert", "sponsor", "pagination",
     "disqus", "outbrain", "taboola", "consent", "popup", "navbar", "menu"});
// Prefixes of class names that describe what a post is about or how it is set rather than the part
// of the page it is ("category-social", "no-share", "has-sidebar"): not read for hints.
constexpr auto kTopicPrefixes =
    std::to_array<std::string_view>({"category-", "tag-", "tags-", "no-", "has-", "format-", "status-", "type-",
                                     "author-", "topic-", "section-", "is-"});
// ARIA roles of template regions.
constexpr auto kTemplateRoles =
    std::to_array<std::string_view>({"navigation", "banner", "contentinfo", "complementary", "search", "menu",
                                     "menubar", "dialog", "alertdialog", "toolbar"});

struct Hints {
    bool strongNegative = false;
    bool weakNegative = false;
    bool positive = false;
};

template <std::size_t N>
bool contains(const std::array<std::string_view, N>& words, std::string_view w) {
    return std::any_of(words.begin(), words.end(), [&](std::string_view x) { return w == x; });
}

// Splits a class name or id into lower-case words at anything that is not a letter or digit and at
// camel-case humps ("mainNav-list" gives main, nav, list) and reads the hints of each word.
void addWordHints(std::string_view value, Hints& hints) {
    std::string word;
    auto flush = [&] {
        if (word.empty()) return;
        if (contains(kNegativeWords, word)) hints.strongNegative = true;
        if (contains(kWeakWords, word)) hints.weakNegative = true;
        if (contains(kPositiveWords, word)) hints.positive = true;
        word.clear();
    };
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        const bool upper = c >= 'A' && c <= 'Z';
        const bool alnum = upper || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (!alnum) {
            flush();
            continue;
        }
        if (upper && i > 0 && value[i - 1] >= 'a' && value[i - 1] <= 'z') flush();
        word += upper ? static_cast<char>(c - 'A' + 'a') : c;
    }
    flush();
}

// Reads the hints of each class name of `value` (or of an id), skipping names that say what a
// post is about rather than which part of the page an element is.
void addHints(std::string_view value, Hints& hints) {
    std::size_t start = 0;
    while (start < value.size()) {
        std::size_t end = value.find_first_of(" \t\n\r\f", start);
        if (end == std::string_view::npos) end = value.size();
        const std::string token = lower(value.substr(start, end - start));
        start = end + 1;
        const bool topic = std::any_of(kTopicPrefixes.begin(), kTopicPrefixes.end(),
                                       [&](std::string_view p) { return token.starts_with(p); });
        // "author" joined to other words ("author-bio", "post-author", "authorbox") names the box
        // about the writer, not the article; "no-author" and the like only describe a post.
        const bool authorBox = token.size() > 6 && token.find("author") != std::string::npos;
        if (authorBox && (!topic || token.rfind("author-", 0) == 0)) hints.strongNegative = true;
        if (token.empty() || topic) continue;
        addWordHints(token, hints);
        for (std::string_view part : kNegativeParts) {
            if (token.find(part) != std::string::npos) hints.strongNegative = true;
        }
    }
}

// A table of strings found by the text of a string.
struct StringHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
using ClassHints = std::unordered_map<std::string, Hints, StringHash, std::equal_to<>>;

// The most class values whose hints a page keeps read: a page repeats a few values many times.
constexpr std::size_t kClassHintsKept = 4096;

// The hints of an element's class and id; `classHints` keeps those of class values already read.
Hints hintsOf(const HtmlTree& tree, Index node, ClassHints& classHints) {
    Hints hints;
    const std::string_view cls = tree.attr(node, Attr::kClass);
    if (auto it = classHints.find(cls); it != classHints.end()) {
        hints = it->second;
    } else {
        addHints(cls, hints);
        if (classHints.size() < kClassHintsKept) classHints.emplace(cls, hints);
    }
    addHints(tree.attr(node, Attr::kId), hints);
    return hints;
}

bool isHidden(const HtmlTree& tree, Index node) {
    if (tree.hasAttr(node, Attr::kHidden)) return true;
    if (lower(tree.attr(node, Attr::kAriaHidden)) == "true") return true;
    const std::string_view style = tree.attr(node, Attr::kStyle);
    if (style.empty()) return false;
    std::string s;
    for (char c : lower(style)) {
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') s += c;
    }
    return s.find("display:none") != std::string::npos || s.find("visibility:hidden") != std::string::npos;
}

// ---------------------------------------------------------------------------------------------
// Text measures

constexpr bool isSpace(char32_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v' || c == 0xA0 ||
           (c >= 0x2000 && c <= 0x200B) || c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF || c == 0x1680 ||
           c == 0x85;
}

// nextChar past ASCII and two-byte sequences.
char32_t nextLongChar(std::string_view s, std::size_t& i) {
    const auto b = static_cast<unsigned char>(s[i]);
    int len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    if (len == 1 || i + len > s.size()) {
        ++i;
        return 0xFFFD;
    }
    char32_t c = b & (0x3F >> (len - 1));
    for (int k = 1; k < len; ++k) c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += len;
    return c;
}

// Decodes one UTF-8 character at `i`, moving past it; a bad byte reads as U+FFFD. ASCII and the
// two-byte characters of most scripts (Cyrillic among them) are read here, the rest apart.
inline char32_t nextChar(std::string_view s, std::size_t& i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
        ++i;
        return b;
    }
    if (b >= 0xC0 && b < 0xE0 && i + 2 <= s.size()) {
        const char32_t c = (static_cast<char32_t>(b & 0x1F) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3F);
        i += 2;
        return c;
    }
    return nextLongChar(s, i);
}

// Counts of a text. 32 bits hold them: a page's text is at most three bytes for each of its
// kMaxInputBytes.
static_assert(3 * kMaxInputBytes < std::numeric_limits<std::uint32_t>::max());
struct TextStats {
    std::uint32_t chars = 0;   // characters that are not spaces
    std::uint32_t commas = 0;  // commas of any script
    std::uint32_t stops = 0;   // sentence ends
    std::uint32_t words = 0;   // runs of characters between spaces that hold a letter or digit
    void add(const TextStats& o) {
        chars += o.chars;
        commas += o.commas;
        stops += o.stops;
        words += o.words;
    }
};

// A letter or digit of any script: ASCII letters and digits, and every character past ASCII but
// the Latin-1 signs and the general, CJK and full-width punctuation.
constexpr bool isWordChar(char32_t c) {
    if (c < 0x80) return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
    return !(c < 0xC0 || (c >= 0x2000 && c <= 0x206F) || (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF00 && c <= 0xFF0F) ||
             c == 0xD7 || c == 0xF7 || c == 0xFFFD);
}

// What an ASCII byte is to the text measures, looked up rather than compared: most of a page's
// text is ASCII markup and spaces, or two-byte letters.
enum AsciiClass : std::uint8_t { kOther, kSpaceChar, kWordChar, kComma, kStop };

constexpr std::array<AsciiClass, 128> makeAsciiClasses() {
    std::array<AsciiClass, 128> classes{};
    for (char32_t c = 0; c < 128; ++c) {
        if (isSpace(c)) classes[c] = kSpaceChar;
        if (isWordChar(c)) classes[c] = kWordChar;
    }
    classes[','] = kComma;
    classes['.'] = classes['!'] = classes['?'] = kStop;
    return classes;
}

constexpr std::array<AsciiClass, 128> kAsciiClasses = makeAsciiClasses();

// Whether a UTF-8 lead byte starts a letter of a two-byte script (Latin extensions, Greek,
// Cyrillic, Armenian, Hebrew, Arabic, …): the characters from U+0100 to U+07FF, which hold no space
// and no punctuation the measures count but the Arabic comma (U+060C, led by 0xD8).
constexpr bool leadsTwoByteLetter(unsigned char b) { return b >= 0xC4 && b <= 0xDF && b != 0xD8; }

// Whether the character at `i` is a space, moving past it.
bool spaceAt(std::string_view s, std::size_t& i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
        ++i;
        return kAsciiClasses[b] == kSpaceChar;
    }
    return isSpace(nextChar(s, i));
}

// Counts the measures of a text read in pieces: a word goes on from one piece to the next until a
// space comes.
class Counter {
  public:
    const TextStats& stats() const { return st_; }
    void space() { inWord_ = false; }

    // Counts the characters from `i` up to the next space or the end of `s`; returns where it
    // stopped.
    std::size_t run(std::string_view s, std::size_t i) {
        const std::size_t n = s.size();
        while (i < n) {
            const auto b = static_cast<unsigned char>(s[i]);
            if (b < 0x80) {
                const AsciiClass kind = kAsciiClasses[b];
                if (kind == kSpaceChar) break;
                ++i;
                word(kind == kWordChar);
                ++st_.chars;
                st_.commas += kind == kComma;
                st_.stops += kind == kStop;
                continue;
            }
            if (leadsTwoByteLetter(b) && i + 2 <= n) {
                i += 2;
                word(true);
                ++st_.chars;
                continue;
            }
            std::size_t next = i;
            const char32_t c = nextChar(s, next);
            if (isSpace(c)) break;
            i = next;
            word(isWordChar(c));
            ++st_.chars;
            if (c == ',' || c == 0x060C || c == 0x3001 || c == 0xFF0C) ++st_.commas;
            if (c == '.' || c == '!' || c == '?' || c == 0x3002 || c == 0x2026) ++st_.stops;
        }
        return i;
    }

  private:
    void word(bool letterOrDigit) {
        if (inWord_ || !letterOrDigit) return;
        ++st_.words;
        inWord_ = true;
    }

    TextStats st_;
    bool inWord_ = false;  // within a run that already counts as a word
};

TextStats measure(std::string_view s) {
    Counter counter;
    for (std::size_t i = counter.run(s, 0); i < s.size(); i = counter.run(s, i)) {
        spaceAt(s, i);
        counter.space();
    }
    return counter.stats();
}

// ---------------------------------------------------------------------------------------------
// The element table: one entry per element looked at, in document order, so that a parent always
// comes before its children and a reverse sweep visits children first.

struct Sums {
    TextStats text;
    std::uint32_t linkChars = 0;
    std::uint32_t headingChars = 0;
    std::uint32_t paragraphs = 0;
    std::uint32_t images = 0;
    std::uint32_t listItems = 0;
    std::uint32_t inputs = 0;
    std::uint32_t embeds = 0;
    std::uint32_t prose = 0;  // characters of blocks that read as sentences, their links left out
    void add(const Sums& o) {
        text.add(o.text);
        linkChars += o.linkChars;
        headingChars += o.headingChars;
        paragraphs += o.paragraphs;
        images += o.images;
        listItems += o.listItems;
        inputs += o.inputs;
        embeds += o.embeds;
        prose += o.prose;
    }
};

struct Elem {
    Index node = kNone;
    int parent = -1;
    int block = -1;  // the nearest block element: this one or an ancestor
    std::uint32_t depth = 0;
    TagInfo tag;
    int articles = 0;  // <article> elements in it
    Tag name = Tag::kOther;
    Hints hints;
    bool inLink = false;
    bool marker = false;             // an element that names the main content (itemprop=articleBody, main)
    bool holdsMarker = false;        // it or an element inside it is a marker
    bool templateRole = false;       // an ARIA role of a template region
    bool dropped = false;            // left out with everything inside
    bool candidate = false;          // scored as a container of text blocks
    Sums direct;                     // of its text nodes and itself
    Sums sums;                       // of everything inside that is not dropped
    TextStats own;                   // text whose nearest block is this element
    std::uint32_t ownLinkChars = 0;  // the part of `own` inside links
    double score = 0;
};

bool isText(const HtmlTree& tree, Index n) {
    return tree[n].kind == HtmlTree::Kind::kText || tree[n].kind == HtmlTree::Kind::kCData;
}

// Moves on in document order: into the children when `descend`, else past the subtree of `node`.
Index nextNode(const HtmlTree& tree, Index node, Index root, bool descend) {
    if (descend && tree[node].firstChild != kNone && tree.isElement(node)) return tree[node].firstChild;
    while (node != kNone && node != root) {
        if (tree[node].next != kNone) return tree[node].next;
        node = tree[node].parent;
    }
    return kNone;
}

// The text of every text node inside an element, joined.
std::string contentOf(const HtmlTree& tree, Index element) {
    std::string out;
    for (Index n = element; n != kNone; n = nextNode(tree, n, element, true)) {
        if (isText(tree, n)) out += tree.text(n);
    }
    return out;
}

struct Page {
    // `bytes` is the size of the page, which tells about how many elements to expect: room for one
    // every 32 bytes, more than pages dense with markup have (the GIMP manual has one every 54),
    // since growing the table copies it into memory not touched before; what is not used is never
    // touched.
    Page(const HtmlTree& t, std::size_t bytes) : tree(t) { elems.reserve(std::min(bytes / 32 + 1, kMaxElements)); }
    const HtmlTree& tree;
    std::vector<int> elemOf;      // the entry of each node in elems, -1 for none
    std::vector<char> descended;  // for each element, whether the nodes inside it are looked at
    std::vector<Elem> elems;
    std::vector<std::string> jsonLd;  // texts of application/ld+json scripts
    // Every element looked at that has an id: counted only for the few ids a block path may use
    // (uniqueIds), so that a page of many ids makes no table of them.
    std::vector<Index> ids;
    bool frameset = false;
    std::string title;
    std::vector<Index> metas;
    std::vector<Index> titles;       // the <title> elements looked at, for `title`
    std::vector<Index> jsonScripts;  // the JSON-LD scripts looked at, for `jsonLd`
    ClassHints classHints;           // of the class values met

    int indexOf(Index node) const { return node < elemOf.size() ? elemOf[node] : -1; }
};

// Adds the element `n` to the element table.
void addElem(Page& page, Index n, int parent, const TagInfo& tag) {
    const HtmlTree& tree = page.tree;
    const Tag name = tree[n].tag;
    Elem e;
    e.node = n;
    e.name = name;
    e.parent = parent;
    e.tag = tag;
    e.hints = hintsOf(tree, n, page.classHints);
    const int self = static_cast<int>(page.elems.size());
    e.block = (tag.flags & kBlock) != 0 || parent < 0 ? self : page.elems[parent].block;
    if (parent >= 0) {
        const Elem& p = page.elems[parent];
        e.depth = p.depth + 1;
        e.inLink = p.inLink;
    }
    if ((tag.flags & kLink) != 0) e.inLink = true;
    const std::string role = lower(tree.attr(n, Attr::kRole));
    const std::string itemprop = lower(tree.attr(n, Attr::kItemprop));
    e.marker = name == Tag::kMain || role == "main" || itemprop == "articlebody" || itemprop == "text";
    e.templateRole = contains(kTemplateRoles, role);
    if (name == Tag::kArticle) e.articles = 1;
    if ((tag.flags & kParagraph) != 0) e.direct.paragraphs = 1;
    if (name == Tag::kImg) e.direct.images = 1;
    if (name == Tag::kLi) e.direct.listItems = 1;
    page.elemOf[n] = self;
    page.elems.push_back(e);
}

// Looks at element `n`, whose parent `parentNode` is looked into (the document for the root): its
// id, title, meta tags and JSON-LD are noted, and it enters the element table unless it is never
// content, hidden or past the bounds. Whether the nodes inside it are looked at is noted as well.
void visitElement(Page& page, Index n, Index parentNode) {
    const HtmlTree& tree = page.tree;
    if (page.elemOf.size() <= n) {
        page.elemOf.resize(n + 1, -1);
        page.descended.resize(n + 1, 0);
    }
    const Tag name = tree[n].tag;
    const int parent = page.indexOf(parentNode);
    if (!tree.attr(n, Attr::kId).empty() && page.ids.size() < kMaxElements) page.ids.push_back(n);
    if (name == Tag::kFrameset) page.frameset = true;
    if (name == Tag::kTitle) page.titles.push_back(n);
    if (name == Tag::kMeta) {
        const std::string m = lower(tree.attr(n, Attr::kName));
        if ((m == "description" || m == "keywords") && page.metas.size() < 16) page.metas.push_back(n);
    }
    if (name == Tag::kScript && lower(tree.attr(n, Attr::kType)) == "application/ld+json" &&
        page.jsonScripts.size() < 64) {
        page.jsonScripts.push_back(n);
    }
    const TagInfo tag = tagInfo(name);
    if ((tag.flags & kJunk) != 0 || isHidden(tree, n) || page.elems.size() >= kMaxElements ||
        (parent < 0 && parentNode != HtmlTree::kDocument)) {
        if ((tag.flags & kInput) != 0 && parent >= 0) ++page.elems[parent].direct.inputs;
        if ((tag.flags & kEmbed) != 0 && parent >= 0) ++page.elems[parent].direct.embeds;
        // The head is looked into for the title, the meta tags and JSON-LD, not indexed.
        page.descended[n] = name == Tag::kHead && parent >= 0;
        return;
    }
    addElem(page, n, parent, tag);
    page.descended[n] = 1;
}

// Adds the measures of text node `n` to its element.
void visitText(Page& page, Index n) {
    const int parent = page.indexOf(page.tree[n].parent);
    if (parent < 0) return;
    Elem& p = page.elems[parent];
    const TextStats st = measure(page.tree.text(n));
    p.direct.text.add(st);
    if (p.inLink) p.direct.linkChars += st.chars;
}

// Indexes the tree while it is built: every element whose parent is looked into, and the texts of
// the elements indexed. Stops when the tree cannot be told in document order.
class Indexer : public TreeObserver {
  public:
    explicit Indexer(Page& page) : page_(page) {}
    bool complete() const { return !disordered_; }

    void element(const HtmlTree&, Index n, Index parent) override {
        if (parent == HtmlTree::kDocument || (parent < page_.descended.size() && page_.descended[parent] != 0)) {
            visitElement(page_, n, parent);
        }
    }
    void text(const HtmlTree&, Index n) override { visitText(page_, n); }
    void disorder() override { disordered_ = true; }

  private:
    Page& page_;
    bool disordered_ = false;
};

// Indexes the finished tree in document order, as the Indexer does while it is built.
void indexTree(Page& page) {
    const HtmlTree& tree = page.tree;
    const Index root = tree.root();
    if (root == kNone) return;
    for (Index n = root; n != kNone;) {
        bool descend = true;
        if (tree.isElement(n)) {
            visitElement(page, n, n == root ? HtmlTree::kDocument : tree[n].parent);
            descend = page.descended[n] != 0;
        } else if (isText(tree, n)) {
            visitText(page, n);
        }
        n = nextNode(tree, n, root, descend);
    }
}

// Reads the title and the JSON-LD texts of the elements noted for them, once the tree is done.
void readHead(Page& page) {
    for (Index t : page.titles) {
        page.title = contentOf(page.tree, t);
        if (!page.title.empty()) break;
    }
    for (Index s : page.jsonScripts) page.jsonLd.push_back(contentOf(page.tree, s));
}

// The least characters outside links of a block that reads as sentences.
constexpr std::size_t kProseChars = 50;

// Whether the text a block holds itself reads as sentences: long enough, punctuated, few links.
bool readsAsProse(const Elem& e) {
    return e.own.chars >= e.ownLinkChars + kProseChars && e.own.stops + e.own.commas > 0 &&
           e.ownLinkChars * 3 < e.own.chars;
}

// Sums what is inside each element that is not dropped, and the text each block holds itself.
void sumTree(Page& page) {
    auto& el = page.elems;
    // A block comes before the elements whose text it holds, so that it is reset before they add
    // to it.
    for (auto& e : el) {
        e.sums = e.dropped ? Sums{} : e.direct;
        e.own = {};
        e.ownLinkChars = 0;
        e.holdsMarker = e.marker;
        if (e.dropped || e.block < 0) continue;
        el[e.block].own.add(e.direct.text);
        el[e.block].ownLinkChars += e.direct.linkChars;
    }
    // Children come after their parent: sweeping backwards, an element's own text and its
    // children's sums are complete when its turn comes.
    for (std::size_t i = el.size(); i-- > 0;) {
        Elem& e = el[i];
        if (!e.dropped && readsAsProse(e)) e.sums.prose += e.own.chars - e.ownLinkChars;
        if (e.parent < 0) continue;
        Elem& p = el[e.parent];
        if (e.marker || e.holdsMarker) p.holdsMarker = true;
        if (e.dropped) continue;
        if ((e.tag.flags & kHeading) != 0) e.sums.headingChars = e.sums.text.chars;
        p.sums.add(e.sums);
        p.articles += e.articles;
    }
}

double linkDensity(const Elem& e) {
    return e.sums.text.chars == 0 ? 0.0
                                  : static_cast<double>(e.sums.linkChars) / static_cast<double>(e.sums.text.chars);
}

int classWeight(const Elem& e) {
    int w = 0;
    if (e.hints.positive) w += 25;
    if (e.hints.strongNegative || (e.hints.weakNegative && !e.hints.positive)) w -= 25;
    return w;
}

// Drops the template regions: an element is dropped with everything inside when its tag, role,
// class or id names the template, unless it holds the element that names the main content or most
// of the page's text (a page wrapped in one form, a content block named "has-sidebar").
void dropTemplate(Page& page) {
    auto& el = page.elems;
    if (el.empty()) return;
    const std::size_t total = el[0].sums.text.chars;
    const std::size_t prose = el[0].sums.prose;
    for (auto& e : el) {
        if (e.parent >= 0 && el[e.parent].dropped) {
            e.dropped = true;
            continue;
        }
        if (e.holdsMarker || e.parent < 0) continue;
        if (e.sums.text.chars * 2 > total && total > 0) continue;
        if (e.sums.prose * 2 > prose && prose >= kMinTextChars) continue;
        const Tag name = e.name;
        const bool positive = e.hints.positive;
        // Paragraphs and headings are text whatever their class says.
        const bool byHints = (e.tag.flags & (kParagraph | kHeading)) == 0 &&
                             (e.hints.strongNegative || (e.hints.weakNegative && !positive));
        bool drop = (e.tag.flags & kTemplate) != 0 || e.templateRole || name == Tag::kForm || byHints;
        // A header made of sentences is an article's text set in it, not the page's masthead.
        const bool sentences = e.sums.prose >= kProseChars && e.sums.prose * 2 > e.sums.text.chars;
        if (name == Tag::kHeader && !positive && e.articles == 0 && !sentences) drop = true;
        if (name == Tag::kArticle || name == Tag::kBody) drop = drop && !positive && (e.tag.flags & kTemplate) != 0;
        e.dropped = drop;
    }
}

// Scores the containers of every text block as content extractors commonly do: a block with at
// least 25 characters of its own gives 1 + its commas + a point per 100 characters (at most 3) to
// its parent, half to its grandparent, and a third of a level's share further up, five levels at
// most. A container starts from its tag's base and its class weight; its score is then scaled by
// the share of its text that is not link text.
void scoreBlocks(Page& page) {
    auto& el = page.elems;
    for (std::size_t i = 0; i < el.size(); ++i) {
        const Elem& b = el[i];
        if (b.dropped || (b.tag.flags & kScored) == 0 || b.own.chars < 25) continue;
        const double points =
            1.0 + static_cast<double>(b.own.commas) + std::min(static_cast<double>(b.own.chars) / 100.0, 3.0);
        int a = b.parent;
        for (int level = 0; a >= 0 && level < 5; ++level, a = el[a].parent) {
            Elem& c = el[a];
            if (!c.candidate) {
                c.candidate = true;
                c.score = c.tag.base + classWeight(c);
            }
            c.score += points / (level == 0 ? 1.0 : level == 1 ? 2.0 : level * 3.0);
        }
    }
    for (auto& c : el) {
        if (c.candidate) c.score *= 1.0 - linkDensity(c);
    }
}

bool isAncestor(const Page& page, int a, int d) {
    for (int x = d; x >= 0; x = page.elems[x].parent) {
        if (x == a) return true;
    }
    return false;
}

bool readsAsText(const Elem& e) {
    return e.sums.text.chars - e.sums.linkChars >= 80 && linkDensity(e) < 0.35 && e.sums.text.stops > 0;
}

// The siblings of element i that share its class and read as text.
int sameClassSiblings(const Page& page, int i) {
    const auto& el = page.elems;
    const HtmlTree& tree = page.tree;
    const std::string_view cls = tree.attr(el[i].node, Attr::kClass);
    if (cls.empty() || !readsAsText(el[i])) return 0;
    int n = 0;
    for (Index c = tree[tree[el[i].node].parent].firstChild; c != kNone; c = tree[c].next) {
        const int k = page.indexOf(c);
        if (!tree.isElement(c) || k < 0 || k == i || el[k].dropped) continue;
        if (tree.attr(c, Attr::kClass) == cls && readsAsText(el[k])) ++n;
    }
    return n;
}

int topCandidate(Page& page) {
    auto& el = page.elems;
    std::vector<int> best;
    for (std::size_t i = 0; i < el.size(); ++i) {
        if (el[i].candidate && !el[i].dropped) best.push_back(static_cast<int>(i));
    }
    if (best.empty()) return -1;
    const std::size_t keep = std::min<std::size_t>(best.size(), 5);
    std::partial_sort(best.begin(), best.begin() + keep, best.end(),
                      [&](int a, int b) { return el[a].score > el[b].score; });
    int top = best[0];
    // Several of the best candidates under one container: the article is split into parts.
    std::vector<int> alternatives;
    for (std::size_t k = 1; k < keep; ++k) {
        if (el[best[k]].score >= 0.75 * el[top].score) alternatives.push_back(best[k]);
    }
    if (alternatives.size() >= 3) {
        for (int a = el[top].parent; a >= 0 && el[a].name != Tag::kBody; a = el[a].parent) {
            const auto under =
                std::count_if(alternatives.begin(), alternatives.end(), [&](int x) { return isAncestor(page, a, x); });
            if (under >= 3) {
                top = a;
                break;
            }
        }
    }
    // A parent scoring better than its best child holds more of the article.
    double last = el[top].score;
    for (int p = el[top].parent; p >= 0 && el[p].name != Tag::kBody; p = el[p].parent) {
        if (!el[p].candidate) continue;
        if (el[p].score < last / 3.0) break;
        if (el[p].score > last) {
            top = p;
            last = el[p].score;
        }
    }
    // An only child says no more than its parent.
    for (int p = el[top].parent; p >= 0 && el[p].name != Tag::kBody; p = el[p].parent) {
        if (el[p].sums.text.chars != el[top].sums.text.chars) break;
        top = p;
    }
    // A container around the candidate that adds only links to it: the links are cleaned out later,
    // and headings or pictures around the text come with it.
    for (int p = el[top].parent; p >= 0 && el[p].name != Tag::kBody; p = el[p].parent) {
        const double more = static_cast<double>(el[p].sums.text.chars - el[p].sums.linkChars);
        const double own = static_cast<double>(el[top].sums.text.chars - el[top].sums.linkChars);
        if (more > own) break;
        top = p;
    }
    // A post among posts of the same class (a forum thread, a list of answers): the posts together.
    for (int p = top, level = 0; p >= 0 && level < 3 && el[p].name != Tag::kBody; p = el[p].parent, ++level) {
        if (sameClassSiblings(page, p) > 0) {
            top = p;
            break;
        }
    }
    // The element that names the main content, when it holds the candidate and not much more.
    for (int p = top; p >= 0 && el[p].name != Tag::kBody; p = el[p].parent) {
        if (el[p].marker || (el[p].name == Tag::kArticle && el[p].articles == 1)) {
            const double more = static_cast<double>(el[p].sums.text.chars - el[p].sums.linkChars);
            const double own = static_cast<double>(el[top].sums.text.chars - el[top].sums.linkChars);
            if (more <= own * 2.0 + 200.0) top = p;
            break;
        }
    }
    return top;
}

bool endsSentence(const Elem& e) { return e.sums.text.stops > 0; }

// The top candidate and those of its siblings that score nearly as well or read as paragraphs.
std::vector<int> mergeSiblings(Page& page, int top) {
    auto& el = page.elems;
    const int parent = el[top].parent;
    const HtmlTree& tree = page.tree;
    if (parent < 0 || el[top].name == Tag::kBody) return {top};
    const double threshold = std::max(10.0, el[top].score * 0.2);
    const std::string_view topClass = tree.attr(el[top].node, Attr::kClass);
    std::vector<int> chosen;
    bool before = true;  // the sibling comes before the top candidate
    for (Index c = tree[el[parent].node].firstChild; c != kNone; c = tree[c].next) {
        const int i = page.indexOf(c);
        if (!tree.isElement(c) || i < 0 || el[i].dropped) continue;
        if (i == top) {
            chosen.push_back(i);
            before = false;
            continue;
        }
        const Elem& s = el[i];
        double bonus = 0;
        if (!topClass.empty() && tree.attr(c, Attr::kClass) == topClass) bonus = el[top].score * 0.2;
        const bool sameClass = !topClass.empty() && tree.attr(c, Attr::kClass) == topClass && readsAsText(s);
        if (sameClass || (s.candidate && s.score + bonus >= threshold)) {
            chosen.push_back(i);
            continue;
        }
        // A block of sentences almost without links beside the text, whatever its score: the
        // article's text split across sibling containers.
        if (readsAsText(s) && linkDensity(s) < 0.1 && classWeight(s) >= 0 && s.sums.text.stops >= 3) {
            chosen.push_back(i);
            continue;
        }
        // A block of sentences before the text: the article's lead, wrapped apart from its text.
        if (before && s.sums.prose >= kProseChars && s.sums.prose * 4 >= s.sums.text.chars * 3 &&
            linkDensity(s) < 0.25 && classWeight(s) >= 0) {
            chosen.push_back(i);
            continue;
        }
        if ((s.tag.flags & (kParagraph | kHeading)) != 0 || (s.own.chars > 0 && s.own.chars == s.sums.text.chars)) {
            const double ld = linkDensity(s);
            const std::size_t len = s.sums.text.chars;
            if ((len > 80 && ld < 0.25) || (len > 0 && len <= 80 && ld == 0 && endsSentence(s))) chosen.push_back(i);
        }
    }
    return chosen;
}

// Whether a block inside the chosen content reads as template rather than text: a list or
// container mostly made of links, of images or of form fields, or a paragraph that is mostly a link.
bool dropsInside(const Elem& e) {
    const Tag name = e.name;
    const bool list = (e.tag.flags & kList) != 0;
    const Sums& s = e.sums;
    const double ld = linkDensity(e);
    const int weight = classWeight(e);
    if ((e.tag.flags & (kParagraph | kHeading)) != 0 || name == Tag::kLi) {
        return s.text.chars > 0 && ld > 0.5 && s.text.chars < 400;
    }
    if (!list && name != Tag::kTable && name != Tag::kDiv && name != Tag::kSection && name != Tag::kForm &&
        name != Tag::kFigure && name != Tag::kCenter && name != Tag::kHeader) {
        return false;
    }
    const double score = e.candidate ? e.score : 0.0;
    if (weight + score < 0) return true;
    if (s.text.commas >= 10) return false;
    const double chars = static_cast<double>(s.text.chars);
    const double headingShare = chars == 0 ? 0.0 : static_cast<double>(s.headingChars) / chars;
    return (s.images > 1 && static_cast<double>(s.paragraphs) / static_cast<double>(s.images) < 0.5 &&
            name != Tag::kFigure) ||
           (!list && s.listItems > s.paragraphs + 1 && name != Tag::kTable && ld > 0.3) ||
           (s.inputs > s.paragraphs / 3 + 1) ||
           (!list && headingShare < 0.9 && s.text.chars < 25 && (s.images == 0 || s.images > 2) && s.linkChars > 0) ||
           (!list && weight < 25 && ld > 0.2 + (s.text.chars > 600 ? 0.15 : 0.0)) || (weight >= 25 && ld > 0.5) ||
           (s.embeds == 1 && s.text.chars < 75) || s.embeds > 1 || (list && ld > 0.5);
}

// The most trailing blocks of the content looked at by trimTail.
constexpr std::size_t kTailBlocks = 2;
// The most characters of a trailing line that is not a sentence.
constexpr std::size_t kTailLineChars = 50;

// Drops the last lines of the chosen content that are short and hold no sentence: what follows an
// article's text is its template (a byline, a date, tags, "Read more", a share prompt), not its
// text. Only blocks whose whole text is their own are looked at, the last kTailBlocks of them, and
// never the first, nor table and list cells.
void trimTail(Page& page, const std::vector<char>& inside) {
    auto& el = page.elems;
    std::vector<char> gone(el.size(), 0);
    std::vector<int> lines;
    for (std::size_t i = 0; i < el.size(); ++i) {
        if (inside[i] == 0) continue;
        const Elem& e = el[i];
        const bool parentGone = inside[i] == 1 && gone[e.parent] != 0;
        gone[i] = e.dropped || parentGone;
        if (e.dropped && !parentGone && (e.tag.flags & kBlock) != 0 && !lines.empty()) lines.push_back(-1);
        if (gone[i] != 0 || (e.tag.flags & kBlock) == 0 || e.own.chars == 0) continue;
        if (e.sums.text.chars == e.own.chars) lines.push_back(static_cast<int>(i));
    }
    // The content's text, so that trimming never leaves too little of it.
    std::size_t left = 0;
    for (int i : lines) left += i >= 0 ? el[i].own.chars : 0;
    auto drop = [&](Elem& e) {
        if (left < e.own.chars + kMinTextChars) return;
        e.dropped = true;
        left -= e.own.chars;
    };
    // A short line over a dropped block introduces it ("Read also:", "Tags").
    for (std::size_t k = 0; k + 1 < lines.size(); ++k) {
        if (lines[k] < 0 || lines[k + 1] >= 0) continue;
        Elem& e = el[lines[k]];
        if ((e.tag.flags & kCell) == 0 && e.own.chars <= kTailLineChars && e.own.stops == 0) drop(e);
    }
    lines.erase(std::remove(lines.begin(), lines.end(), -1), lines.end());
    for (std::size_t k = lines.size(), n = 0; k-- > 1 && n < kTailBlocks; ++n) {
        Elem& e = el[lines[k]];
        // Table and list cells are the article's data; a heading over kept text is its heading.
        const bool heading = (e.tag.flags & kHeading) != 0 && k + 1 < lines.size() && !el[lines[k + 1]].dropped;
        if ((e.tag.flags & kCell) != 0 || heading) continue;
        const bool links = e.sums.linkChars * 3 > e.sums.text.chars && e.own.chars <= 4 * kTailLineChars;
        if ((e.own.chars <= kTailLineChars && e.own.stops == 0) || links) drop(e);
    }
}

// Drops, children first, the blocks inside the chosen content that read as template.
void cleanInside(Page& page, const std::vector<int>& roots) {
    auto& el = page.elems;
    std::vector<char> inside(el.size(), 0);
    std::size_t total = 0;
    for (int r : roots) {
        inside[r] = 2;
        total += el[r].sums.text.chars - el[r].sums.linkChars;
    }
    for (std::size_t i = 0; i < el.size(); ++i) {
        if (inside[i] == 0 && el[i].parent >= 0 && inside[el[i].parent] != 0) inside[i] = 1;
        if (inside[i] != 0) el[i].sums = el[i].direct;
    }
    // Children come after their parent: sweeping backwards, an element's sums hold its kept
    // children when its turn comes, so a container is judged on what is left in it.
    for (std::size_t i = el.size(); i-- > 0;) {
        if (inside[i] == 0 || el[i].dropped) continue;
        Elem& e = el[i];
        if ((e.tag.flags & kHeading) != 0) e.sums.headingChars = e.sums.text.chars;
        // A block holding most of the content's text is the content, whatever it looks like.
        const bool most = (e.sums.text.chars - e.sums.linkChars) * 2 > total;
        if (inside[i] == 1 && !most && dropsInside(e)) {
            e.dropped = true;
            continue;
        }
        if (inside[i] == 1) el[e.parent].sums.add(e.sums);
    }
    // A heading over a dropped block ("Related articles", "Read more") goes with it.
    const HtmlTree& tree = page.tree;
    for (std::size_t i = 0; i < el.size(); ++i) {
        Elem& e = el[i];
        if (inside[i] != 1 || e.dropped || (e.tag.flags & kHeading) == 0) continue;
        Index next = tree[e.node].next;
        // What stands between: elements not looked at, comments and texts without characters.
        while (next != kNone && (!tree.isElement(next) || page.indexOf(next) < 0)) {
            const bool blank = tree[next].kind != HtmlTree::Kind::kText || measure(tree.text(next)).chars == 0;
            if (!blank) break;
            next = tree[next].next;
        }
        if (next != kNone && tree.isElement(next) && el[page.indexOf(next)].dropped) e.dropped = true;
    }
    trimTail(page, inside);
}

// ---------------------------------------------------------------------------------------------
// Writing the chosen content: plain text and reduced markup, both UTF-8 here.

class TextWriter {
  public:
    explicit TextWriter(std::string& out) : out_(out) {}
    void text(std::string_view s) {
        // The bytes of `s` from `from` to `to` stand in the text as they are, not yet appended.
        std::size_t from = 0;
        std::size_t to = 0;
        for (std::size_t i = 0; i < s.size();) {
            const std::size_t start = i;
            if (spaceAt(s, i)) {
                if (pending_ < kSpace) pending_ = kSpace;
                continue;
            }
            // One space between two runs of characters is written as it stands.
            if (pending_ != kSpace || to == from || start != to + 1 || s[to] != ' ') {
                const bool written = !out_.empty() || to > from;
                out_.append(s, from, to - from);
                if (written) {
                    if (pending_ == kParagraph) out_ += "\n\n";
                    if (pending_ == kLine) out_ += "\n";
                    if (pending_ == kSpace) out_ += ' ';
                }
                from = start;
            }
            if (pending_ != kNone) counter_.space();
            pending_ = kNone;
            // The characters up to the next space.
            i = counter_.run(s, start);
            to = i;
        }
        out_.append(s, from, to - from);
    }
    void lineBreak() {
        if (pending_ < kLine) pending_ = kLine;
    }
    void blockBreak() { pending_ = kParagraph; }
    /// The measures of the text written, as measure() gives them.
    const TextStats& stats() const { return counter_.stats(); }

  private:
    enum Pending { kNone, kSpace, kLine, kParagraph };
    std::string& out_;
    Pending pending_ = kNone;
    Counter counter_;
};

void escapeInto(std::string& out, std::string_view s, bool attribute) {
    std::size_t plain = 0;  // the first character not yet written
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        const char* entity = c == '&'                ? "&amp;"
                             : c == '<'              ? "&lt;"
                             : c == '>'              ? "&gt;"
                             : c == '"' && attribute ? "&quot;"
                                                     : nullptr;
        if (entity == nullptr) continue;
        out.append(s, plain, i - plain);
        out += entity;
        plain = i + 1;
    }
    out.append(s, plain);
}

void writeAttr(std::string& out, const HtmlTree& tree, Index node, Attr name, std::string_view written) {
    if (!tree.hasAttr(node, name)) return;
    out += ' ';
    out += written;
    out += "=\"";
    escapeInto(out, tree.attr(node, name), true);
    out += '"';
}

// Writes the start tag of `node` as `name` with the attributes kept for that name.
void openTag(std::string& out, const HtmlTree& tree, Index node, std::string_view name) {
    out += '<';
    out += name;
    if (name == "a") writeAttr(out, tree, node, Attr::kHref, "href");
    if (name == "img") writeAttr(out, tree, node, Attr::kAlt, "alt");
    if (name == "td" || name == "th") {
        writeAttr(out, tree, node, Attr::kColspan, "colspan");
        writeAttr(out, tree, node, Attr::kRowspan, "rowspan");
    }
    out += '>';
}

// Writes the subtree of a chosen block, leaving out what is dropped, without recursion: its markup
// to `markup` and its text to `text`, each when given.
void writeBlock(const Page& page, int root, std::string* markup, TextWriter* text) {
    const auto& el = page.elems;
    const HtmlTree& tree = page.tree;
    const Index top = el[root].node;
    const std::uint32_t rootDepth = el[root].depth;
    std::string_view rootName = tree.name(top);
    const bool cell = (el[root].tag.flags & kCell) != 0;
    if (cell) rootName = rootName == "tr" ? "table" : "div";
    auto close = [&](Index n) {
        const int i = page.indexOf(n);
        if (i < 0) return;
        const Elem& e = el[i];
        if ((e.tag.flags & kBlock) != 0 && text != nullptr) text->blockBreak();
        const bool tagged = (e.tag.flags & kKeep) != 0 && (e.tag.flags & kVoid) == 0 && e.depth - rootDepth < kMaxDepth;
        if (!tagged || markup == nullptr) return;
        *markup += "</";
        *markup += n == top ? rootName : tree.name(n);
        *markup += '>';
        if (n == top && rootName == "table" && cell) markup->insert(markup->size() - 8, "</tr>");
    };
    if (text != nullptr) text->blockBreak();
    for (Index n = top; n != kNone;) {
        bool descend = false;
        if (tree.isElement(n)) {
            const int i = page.indexOf(n);
            if (i >= 0 && !el[i].dropped) {
                const Elem& e = el[i];
                if (text != nullptr) {
                    if ((e.tag.flags & kBlock) != 0) text->blockBreak();
                    if (e.name == Tag::kBr) text->lineBreak();
                    if (e.name == Tag::kImg) text->text(" ");
                }
                if ((e.tag.flags & kKeep) != 0 && e.depth - rootDepth < kMaxDepth && markup != nullptr) {
                    if (n == top && cell && rootName == "table") {
                        *markup += "<table><tr>";
                    } else {
                        openTag(*markup, tree, n, n == top ? rootName : tree.name(n));
                    }
                }
                descend = tree[n].firstChild != kNone;
                if (!descend) close(n);
            }
        } else if (isText(tree, n)) {
            const std::string_view s = tree.text(n);
            if (text != nullptr) text->text(s);
            if (markup != nullptr) escapeInto(*markup, s, false);
        }
        if (descend) {
            n = tree[n].firstChild;
            continue;
        }
        // Past this node: close every element whose last child it was.
        while (n != top && tree[n].next == kNone) {
            n = tree[n].parent;
            close(n);
        }
        n = n == top ? kNone : tree[n].next;
    }
    if (text != nullptr) text->blockBreak();
}

// ---------------------------------------------------------------------------------------------
// JSON-LD articleBody

// Reads a JSON string starting after its opening quote; returns the decoded text (UTF-8).
std::string readJsonString(std::string_view s, std::size_t i) {
    std::string out;
    auto put = [&](char32_t c) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    };
    auto hex4 = [&](std::size_t at) -> int {
        if (at + 4 > s.size()) return -1;
        int v = 0;
        for (std::size_t k = at; k < at + 4; ++k) {
            const char c = s[k];
            const int d = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
            if (d < 0) return -1;
            v = v * 16 + d;
        }
        return v;
    };
    while (i < s.size() && s[i] != '"') {
        if (s[i] != '\\') {
            out += s[i++];
            continue;
        }
        if (++i >= s.size()) break;
        const char e = s[i++];
        switch (e) {
            case 'n':
                out += '\n';
                break;
            case 't':
                out += ' ';
                break;
            case 'r':
                break;
            case 'u': {
                int v = hex4(i);
                if (v < 0) break;
                i += 4;
                char32_t c = static_cast<char32_t>(v);
                if (v >= 0xD800 && v < 0xDC00 && i + 6 <= s.size() && s[i] == '\\' && s[i + 1] == 'u') {
                    const int lo = hex4(i + 2);
                    if (lo >= 0xDC00 && lo < 0xE000) {
                        c = 0x10000 + ((static_cast<char32_t>(v) - 0xD800) << 10) +
                            (static_cast<char32_t>(lo) - 0xDC00);
                        i += 6;
                    }
                }
                if (c >= 0xD800 && c < 0xE000) c = 0xFFFD;
                put(c);
                break;
            }
            default:
                out += e;
        }
    }
    return out;
}

// The longest "articleBody" string of the page's JSON-LD scripts, markup in it removed.
std::string jsonLdArticleBody(const Page& page) {
    std::string best;
    for (const std::string& script : page.jsonLd) {
        for (std::size_t at = script.find("\"articleBody\""); at != std::string::npos;
             at = script.find("\"articleBody\"", at + 1)) {
            std::size_t i = at + 13;
            while (i < script.size() &&
                   (script[i] == ' ' || script[i] == '\n' || script[i] == '\t' || script[i] == '\r'))
                ++i;
            if (i >= script.size() || script[i] != ':') continue;
            ++i;
            while (i < script.size() &&
                   (script[i] == ' ' || script[i] == '\n' || script[i] == '\t' || script[i] == '\r'))
                ++i;
            if (i >= script.size() || script[i] != '"') continue;
            std::string body = readJsonString(script, i + 1);
            if (body.size() > best.size()) best = std::move(body);
        }
    }
    // Drop tags that some sites leave in the text.
    std::string plain;
    bool inTag = false;
    for (char c : best) {
        if (c == '<') inTag = true;
        if (!inTag) plain += c;
        if (c == '>') inTag = false;
    }
    return plain;
}

// ---------------------------------------------------------------------------------------------
// Encodings

struct Iconv {
    iconv_t cd = reinterpret_cast<iconv_t>(-1);
    Iconv(const char* to, const char* from) : cd(iconv_open(to, from)) {}
    ~Iconv() {
        if (ok()) iconv_close(cd);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool ok() const { return cd != reinterpret_cast<iconv_t>(-1); }
};

bool knownEncoding(const std::string& name) { return Iconv("UTF-8", name.c_str()).ok(); }

// The encoding of a page's bytes, as a browser guesses it without transport headers: a byte-order
// mark, then a charset named by a <meta> tag in the first 4 KiB, then UTF-8 when the bytes are
// valid UTF-8, else windows-1252.
std::string sniffEncoding(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return "UTF-8";
    if (bytes.substr(0, 2) == "\xFF\xFE") return "UTF-16LE";
    if (bytes.substr(0, 2) == "\xFE\xFF") return "UTF-16BE";
    const std::string head = lower(bytes.substr(0, 4096));
    for (std::size_t m = head.find("<meta"); m != std::string::npos; m = head.find("<meta", m + 5)) {
        const std::size_t end = head.find('>', m);
        const std::string_view tag =
            std::string_view(head).substr(m, end == std::string::npos ? std::string::npos : end - m);
        const std::size_t cs = tag.find("charset");
        if (cs == std::string_view::npos) continue;
        std::size_t i = cs + 7;
        while (i < tag.size() && (tag[i] == ' ' || tag[i] == '=' || tag[i] == '"' || tag[i] == '\'')) ++i;
        std::string name;
        while (i < tag.size() && name.size() < 40 &&
               (std::isalnum(static_cast<unsigned char>(tag[i])) || tag[i] == '-' || tag[i] == '_' || tag[i] == '.' ||
                tag[i] == ':')) {
            name += tag[i++];
        }
        if (name.empty()) continue;
        if (name.rfind("utf-16", 0) == 0 || name == "utf8") name = "utf-8";
        if (name == "iso-8859-1" || name == "latin1" || name == "us-ascii" || name == "ascii") name = "windows-1252";
        if (knownEncoding(name)) return name;
    }
    return cp1251::isValidUtf8(bytes) ? "UTF-8" : "windows-1252";
}

bool isUtf8Name(std::string_view name) {
    const std::string n = lower(name);
    return n == "utf-8" || n == "utf8";
}

bool isWindows1251Name(std::string_view name) {
    const std::string n = lower(name);
    return n == "windows-1251" || n == "cp1251";
}

// The Windows-1251 byte of each code point below U+2200 (the last it holds is U+2122), -1 for none.
const std::array<std::int16_t, 0x2200>& windows1251Bytes() {
    static const std::array<std::int16_t, 0x2200> table = [] {
        std::array<std::int16_t, 0x2200> t;
        t.fill(-1);
        for (int b = 0; b < 256; ++b) {
            const char32_t c = cp1251::codePointOf(static_cast<unsigned char>(b));
            if (c < t.size()) t[c] = static_cast<std::int16_t>(b);
        }
        return t;
    }();
    return table;
}

// Appends UTF-8 converted to Windows-1251 by table to `out`, writing characters it lacks as
// numeric references.
void appendWindows1251(std::string& out, std::string_view utf8) {
    const auto& bytes = windows1251Bytes();
    // Written by index into room of the input's size, grown when references outgrow it.
    std::size_t w = out.size();
    out.resize(w + utf8.size());
    auto put = [&](std::string_view s) {
        if (w + s.size() > out.size()) out.resize(std::max(out.size() * 2, w + s.size()));
        out.replace(w, s.size(), s);
        w += s.size();
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        char byte = 0;
        if (lead < 0x80) {
            // Markup is mostly ASCII: eight bytes of it at a time.
            std::uint64_t eight = 0;
            if (i + 8 <= utf8.size() && w + 8 <= out.size()) {
                std::memcpy(&eight, utf8.data() + i, 8);
                if ((eight & 0x8080808080808080u) == 0) {
                    std::memcpy(out.data() + w, &eight, 8);
                    i += 8;
                    w += 8;
                    continue;
                }
            }
            byte = static_cast<char>(lead);
            ++i;
        } else if (const char32_t c = nextChar(utf8, i); c < bytes.size() && bytes[c] >= 0 && c != 0xFFFD) {
            byte = static_cast<char>(bytes[c]);
        } else {
            put("&#" + std::to_string(static_cast<std::uint32_t>(c)) + ";");
            continue;
        }
        if (w == out.size()) out.resize(out.size() * 2);
        out[w++] = byte;
    }
    out.resize(w);
}

// Converts the UTF-8 pieces of a document, whole characters each, to `encoding` as one text,
// writing characters it cannot hold as numeric character references. Windows-1251 is converted
// piece by piece, without joining the pieces first.
std::string fromUtf8(std::initializer_list<std::string_view> pieces, const std::string& encoding) {
    if (isWindows1251Name(encoding)) {
        std::string out;
        std::size_t size = 0;
        for (const std::string_view piece : pieces) size += piece.size();
        out.reserve(size);
        for (const std::string_view piece : pieces) appendWindows1251(out, piece);
        return out;
    }
    std::string utf8;
    for (const std::string_view piece : pieces) utf8 += piece;
    if (isUtf8Name(encoding)) return utf8;
    Iconv cv(encoding.c_str(), "UTF-8");
    if (!cv.ok()) return utf8;
    std::string out;
    out.reserve(utf8.size());
    char buffer[4096];
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    while (inLeft > 0) {
        char* o = buffer;
        std::size_t oLeft = sizeof buffer;
        const std::size_t r = iconv(cv.cd, &in, &inLeft, &o, &oLeft);
        out.append(buffer, static_cast<std::size_t>(o - buffer));
        if (r != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        // A character the encoding lacks (or a broken sequence): a reference, then go on.
        std::size_t at = static_cast<std::size_t>(in - utf8.data());
        const char32_t c = nextChar(utf8, at);
        out += "&#" + std::to_string(static_cast<std::uint32_t>(c)) + ";";
        in = const_cast<char*>(utf8.data()) + at;
        inLeft = utf8.size() - at;
    }
    char* o = buffer;
    std::size_t oLeft = sizeof buffer;
    iconv(cv.cd, nullptr, nullptr, &o, &oLeft);
    out.append(buffer, static_cast<std::size_t>(o - buffer));
    return out;
}

// ---------------------------------------------------------------------------------------------

// Parses a page in `encoding` with no network and no external entities, in the parser's recovery
// mode, telling `observer` of the tree's nodes. Windows-1251 is made UTF-8 by table first, which
// the parser then reads without a converter of its own.
bool parse(std::string_view bytes, const std::string& encoding, HtmlTree& tree, TreeObserver* observer) {
    if (isWindows1251Name(encoding)) {
        const Utf8FromWindows1251 utf8(bytes);
        if (utf8.view().size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return false;
        return ParseHtml(utf8, tree, observer);
    }
    return ParseHtml(bytes, encoding, tree, observer);
}

// Parses the page and indexes its tree, while it is built when the tree comes in document order,
// else after. False when the parser gives no document.
bool parseAndIndex(std::string_view bytes, const std::string& encoding, Page& page, HtmlTree& tree) {
    Indexer indexer(page);
    if (!parse(bytes, encoding, tree, &indexer)) return false;
    if (!indexer.complete()) {
        page.elems.clear();
        page.elemOf.clear();
        page.descended.clear();
        page.ids.clear();
        page.metas.clear();
        page.titles.clear();
        page.jsonScripts.clear();
        page.frameset = false;
        indexTree(page);
    }
    readHead(page);
    return true;
}

std::string headMarkup(const Page& page) {
    std::string out = "<html><head>";
    if (!page.title.empty()) {
        out += "<title>";
        escapeInto(out, page.title, false);
        out += "</title>";
    }
    for (const Index m : page.metas) {
        out += "<meta name=\"";
        escapeInto(out, lower(page.tree.attr(m, Attr::kName)), true);
        out += "\" content=\"";
        escapeInto(out, page.tree.attr(m, Attr::kContent), true);
        out += "\">";
    }
    out += "</head><body>";
    return out;
}

bool validIdent(std::string_view id) {
    if (id.empty() || !std::isalpha(static_cast<unsigned char>(id[0]))) return false;
    return std::all_of(id.begin(), id.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_'; });
}

// The place of element `n` among the elements of its name under its parent, from 1.
int nthOfType(const HtmlTree& tree, Index n) {
    int k = 1;
    for (Index s = tree[tree[n].parent].firstChild; s != n; s = tree[s].next) {
        if (tree.isElement(s) && tree[s].name == tree[n].name) ++k;
    }
    return k;
}

// The selector steps from the root or from the nearest ancestor with a unique id down to `n`;
// `nth` gives n's own position when the caller has counted it.
// The ids of the chosen blocks and their ancestors that stand once in the page.
std::unordered_set<std::string_view> uniqueIds(const Page& page, const std::vector<int>& chosen) {
    std::unordered_map<std::string_view, int> count;
    for (int i : chosen) {
        for (Index x = page.elems[i].node; x != kNone && page.tree.isElement(x); x = page.tree[x].parent) {
            const std::string_view id = page.tree.attr(x, Attr::kId);
            if (validIdent(id)) count.emplace(id, 0);
        }
    }
    for (Index n : page.ids) {
        if (auto it = count.find(page.tree.attr(n, Attr::kId)); it != count.end()) ++it->second;
    }
    std::unordered_set<std::string_view> unique;
    for (const auto& [id, n] : count) {
        if (n == 1) unique.insert(id);
    }
    return unique;
}

std::string pathOf(const HtmlTree& tree, const std::unordered_set<std::string_view>& uniqueIds, Index n, int nth) {
    std::vector<std::string> steps;
    for (Index x = n; x != kNone && tree.isElement(x); x = tree[x].parent) {
        const std::string_view id = tree.attr(x, Attr::kId);
        if (validIdent(id)) {
            if (uniqueIds.contains(id)) {
                steps.push_back("#" + std::string(id));
                break;
            }
        }
        const std::string_view name = tree.name(x);
        if (tree[x].tag == Tag::kHtml || tree[x].tag == Tag::kBody) {
            steps.emplace_back(name);
            continue;
        }
        const int k = x == n && nth > 0 ? nth : nthOfType(tree, x);
        steps.push_back(std::string(name) + ":nth-of-type(" + std::to_string(k) + ")");
        const Index parent = tree[x].parent;
        if (tree[x].tag == Tag::kTr && parent != kNone && tree.isElement(parent) && tree[parent].tag == Tag::kTable)
            steps.emplace_back("tbody:nth-of-type(1)");
    }
    std::string path;
    for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
        if (!path.empty()) path += " > ";
        path += *it;
    }
    return path;
}

// The paths of the chosen blocks, counting each parent's children once.
std::vector<std::string> blockPaths(const Page& page, const std::vector<int>& chosen) {
    std::vector<std::string> paths;
    const std::unordered_set<std::string_view> unique = uniqueIds(page, chosen);
    const HtmlTree& tree = page.tree;
    std::unordered_map<Index, int> nth;
    Index counted = kNone;
    for (int i : chosen) {
        const Index n = page.elems[i].node;
        if (tree[n].parent != counted && tree[n].parent != kNone) {
            counted = tree[n].parent;
            nth.clear();
            std::unordered_map<std::uint32_t, int> seen;
            for (Index c = tree[counted].firstChild; c != kNone; c = tree[c].next) {
                if (tree.isElement(c)) nth[c] = ++seen[tree[c].name];
            }
        }
        auto it = nth.find(n);
        paths.push_back(pathOf(tree, unique, n, it == nth.end() ? 0 : it->second));
    }
    return paths;
}

std::size_t textChars(const std::string& text) { return measure(text).chars; }

struct Chosen {
    std::vector<int> blocks;
    std::string markup;  // UTF-8
    std::string text;
    TextStats stats;  // of the text
};

// Cleans the chosen blocks and writes them.
Chosen writeChosen(Page& page, std::vector<int> blocks) {
    Chosen c;
    c.blocks = std::move(blocks);
    cleanInside(page, c.blocks);
    // Room for all the page's text, which is about what a page's content is.
    c.text.reserve(page.tree.textBytes() + page.tree.textBytes() / 4);
    c.markup.reserve(2 * page.tree.textBytes());
    TextWriter writer(c.text);
    for (int i : c.blocks) writeBlock(page, i, &c.markup, &writer);
    c.stats = writer.stats();
    return c;
}

// The text of a JSON-LD articleBody as content: a paragraph per line, no block paths.
Chosen fromJsonLd(const std::string& body) {
    Chosen c;
    TextWriter writer(c.text);
    std::size_t start = 0;
    while (start <= body.size()) {
        std::size_t end = body.find('\n', start);
        if (end == std::string::npos) end = body.size();
        const std::string_view para = std::string_view(body).substr(start, end - start);
        if (measure(para).chars > 0) {
            c.markup += "<p>";
            escapeInto(c.markup, para, false);
            c.markup += "</p>";
            writer.blockBreak();
            writer.text(para);
        }
        start = end + 1;
    }
    c.stats = writer.stats();
    return c;
}

}  // namespace

const char* ReasonName(Reason reason) {
    switch (reason) {
        case Reason::kFound:
            return "found";
        case Reason::kEmpty:
            return "empty";
        case Reason::kTooLarge:
            return "too-large";
        case Reason::kUnknownCharset:
            return "unknown-charset";
        case Reason::kUnparsable:
            return "unparsable";
        case Reason::kFrameset:
            return "frameset";
        case Reason::kNoText:
            return "no-text";
        case Reason::kTooLittleText:
            return "too-little-text";
    }
    return "unknown";
}

Result ExtractMainText(std::string_view bytes, std::string_view encoding) {
    Result result;
    if (bytes.empty()) return result;
    if (bytes.size() > kMaxInputBytes) {
        result.reason = Reason::kTooLarge;
        return result;
    }
    result.encoding = encoding.empty() ? sniffEncoding(bytes) : std::string(encoding);
    if (!knownEncoding(result.encoding)) {
        result.reason = Reason::kUnknownCharset;
        result.encoding.clear();
        return result;
    }
    HtmlTree tree;
    Page page(tree, bytes.size());
    if (!parseAndIndex(bytes, result.encoding, page, tree)) {
        result.reason = Reason::kUnparsable;
        return result;
    }
    if (page.elems.empty()) {
        result.reason = Reason::kNoText;
        return result;
    }
    sumTree(page);
    result.pageWords = page.elems[0].sums.text.words;
    if (page.frameset && page.elems[0].sums.text.chars < kMinTextChars) {
        result.reason = Reason::kFrameset;
        return result;
    }
    if (page.elems[0].sums.text.chars == 0) {
        result.reason = Reason::kNoText;
        return result;
    }
    dropTemplate(page);
    sumTree(page);
    scoreBlocks(page);
    const int top = topCandidate(page);
    std::vector<int> chosen;
    if (top >= 0) chosen = mergeSiblings(page, top);
    Chosen content = writeChosen(page, chosen);
    const std::string ld = jsonLdArticleBody(page);
    const std::size_t ldChars = textChars(ld);
    if (const std::uint32_t chars = content.stats.chars;
        ldChars >= kMinTextChars && (chars < kMinTextChars || ldChars > 2 * chars)) {
        content = fromJsonLd(ld);
    } else if (chars < kMinTextChars) {
        // The best container holds too little: the whole page, cleaned as a container is.
        content = writeChosen(page, {0});
    }
    const TextStats& stats = content.stats;
    std::string& text = content.text;
    std::string& markup = content.markup;
    if (stats.chars < kMinTextChars) {
        result.reason = Reason::kTooLittleText;
        return result;
    }
    result.found = true;
    result.reason = Reason::kFound;
    result.text = std::move(text);
    result.mainWords = stats.words;
    result.markup = fromUtf8({headMarkup(page), markup, "</body></html>"}, result.encoding);
    result.blockPaths = blockPaths(page, content.blocks);
    return result;
}

}  // namespace maintext

namespace maintext {

std::string WholeText(std::string_view bytes, std::string_view encoding) {
    if (bytes.empty() || bytes.size() > kMaxInputBytes) return {};
    const std::string name = encoding.empty() ? sniffEncoding(bytes) : std::string(encoding);
    if (!knownEncoding(name)) return {};
    HtmlTree tree;
    Page page(tree, bytes.size());
    if (!parseAndIndex(bytes, name, page, tree) || page.elems.empty()) return {};
    std::string text;
    TextWriter writer(text);
    writeBlock(page, 0, nullptr, &writer);
    return text;
}

std::vector<Result> ExtractMainTexts(std::span<const std::string_view> pages, std::string_view encoding) {
    std::vector<Result> results(pages.size());
    if (pages.empty()) return results;
    std::vector<std::exception_ptr> errors(pages.size());
    // Each page goes to whichever thread asks next and its result to its own place, so that the
    // results do not depend on which thread read which page.
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < pages.size(); i = next++) {
            try {
                results[i] = ExtractMainText(pages[i], encoding);
            } catch (...) {
                errors[i] = std::current_exception();
            }
        }
    };
    const std::size_t cores = std::max<std::size_t>(1, std::thread::hardware_concurrency());
    const std::size_t threads = std::min({pages.size(), cores, kMaxPageThreads});
    std::vector<std::thread> helpers;
    struct Join {
        std::vector<std::thread>& helpers;
        ~Join() {
            for (std::thread& t : helpers) t.join();
        }
    } join{helpers};
    try {
        helpers.reserve(threads - 1);
        while (helpers.size() + 1 < threads) helpers.emplace_back(work);
    } catch (const std::exception&) {
        // No more threads to be had: those running read the rest.
    }
    work();
    for (std::thread& t : helpers) t.join();
    helpers.clear();
    for (const std::exception_ptr& error : errors) {
        if (error) std::rethrow_exception(error);
    }
    return results;
}

}  // namespace maintext
