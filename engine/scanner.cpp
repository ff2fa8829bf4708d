#include "engine/scanner.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <vector>

#include "base/cp1251.h"
#include "engine/combinations.h"
#include "engine/markupcontext.h"
#include "engine/wordlists.h"

namespace {

static_assert(TagHashOf("<b") == 1026 && TagHashOf("</TITLE>") == 256436533 && TagHashOf("<h1") == 16561);
static_assert(TagHashOf("<option") == 21335678 && TagHashOf("</center") == 58342226);

constexpr std::array<bool, 256> makeDelimiterTable() {
    std::array<bool, 256> table{};
    for (char c : std::string_view(" !\"&'(),./:;<>?[]{}")) table[static_cast<unsigned char>(c)] = true;
    for (int b : {0xAB, 0xBB, 0x93, 0x94}) table[b] = true;  // « » “ ”
    return table;
}

constexpr auto kDelimiters = makeDelimiterTable();

bool isDash(char c) { return c == '-' || c == static_cast<char>(0x96); }
bool isDigitOrSmallLatin(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'); }

// Abbreviations whose periods do not end a word; the leading space belongs to the pattern.
constexpr std::string_view kTwoLetterAbbreviations[] = {u8" т.д."_cp, u8" т.ч."_cp, u8" т.к."_cp, u8" т.е."_cp,
                                                        u8" т.п."_cp};
constexpr std::string_view kOtherAbbreviation = u8" др."_cp;

constexpr std::uint32_t kMaxAttributeName = 20;

bool equalsUpper(std::string_view text, std::string_view upper) {
    if (text.size() != upper.size()) return false;
    for (std::size_t k = 0; k < text.size(); ++k) {
        char c = text[k];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        if (c != upper[k]) return false;
    }
    return true;
}

// A byte span [start, end) of the page text.
struct Span {
    std::size_t start = 0;
    std::size_t end = 0;
    std::size_t size() const { return end - start; }
};

// The zones of a word as bits: 1 << zone::Zone.
using ZoneBits = std::uint16_t;
constexpr ZoneBits bitOf(zone::Zone z) { return static_cast<ZoneBits>(1u << z); }

// Adds one occurrence to every zone of `bits`.
void addZones(ZoneCounts& counts, ZoneBits bits) {
    for (std::size_t z = 0; z < zone::kCount; ++z) counts[z] += (bits >> z) & 1;
}

// Whether a byte is white space as the cleaning leaves it in text.
bool isSpace(char c) { return c == ' ' || c == '\t'; }

// The white space of n bytes: how many of them are white space, and how many white space bytes are
// followed, within the n, by a byte that is not. Eight bytes at a time: the characters of a page's
// text are counted at a small part of the cost of cutting it into words.
struct SpaceCount {
    std::int64_t spaces = 0;
    std::int64_t gaps = 0;
    bool ampersand = false;  // an "&" is among the bytes
};

constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;

// The high bit of each byte of `x` that is zero.
std::uint64_t zeroBits(std::uint64_t x) { return ~(((x & kLow7) + kLow7) | x | kLow7); }

// The high bit of each byte of `x` that is white space.
std::uint64_t spaceBits(std::uint64_t x) {
    return zeroBits(x ^ 0x2020202020202020ULL) | zeroBits(x ^ 0x0909090909090909ULL);
}

// The number of bytes whose high bit `bits` (only high bits) has; without a popcount instruction.
std::int64_t highBitCount(std::uint64_t bits) {
    return static_cast<std::int64_t>(((bits >> 7) * 0x0101010101010101ULL) >> 56);
}

SpaceCount countSpaces(const char* t, std::size_t n) {
    SpaceCount count;
    std::size_t i = 0;
    for (; i + 8 < n; i += 8) {  // a whole word of eight and a byte after it
        std::uint64_t x = 0;
        std::memcpy(&x, t + i, 8);
        if constexpr (std::endian::native == std::endian::big) x = __builtin_bswap64(x);
        const std::uint64_t bits = spaceBits(x);
        const std::uint64_t nextSpace = (bits >> 8) | (isSpace(t[i + 8]) ? std::uint64_t{1} << 63 : 0);
        count.spaces += highBitCount(bits);
        count.gaps += highBitCount(bits & ~nextSpace);
        count.ampersand = count.ampersand || zeroBits(x ^ 0x2626262626262626ULL) != 0;
    }
    for (; i < n; ++i) {
        const bool space = isSpace(t[i]);
        count.spaces += space;
        count.gaps += space && i + 1 < n && !isSpace(t[i + 1]);
        count.ampersand = count.ampersand || t[i] == '&';
    }
    return count;
}

// One "name=value" pair of a tag, as the attribute parser reads it.
struct Attribute {
    std::string_view name;  // empty when longer than the names worth comparing
    Span value;
};

class Scanner {
  public:
    Scanner(std::string_view text, RunTables& tables, const TVocIndex& stopWords, const Coefficients& koef,
            const IndexOptions& options, PageTally* tally)
        : text_(text),
          tables_(tables),
          koef_(koef),
          options_(options),
          tally_(tally),
          counter_(tables, stopWords, koef, options.stemSource),
          window_(tables.exprs) {}

    void run(std::size_t firstTag);
    std::string title() const { return std::string(title_); }
    /// Adds the stems met only in zones kept out of the tables to the tally: to the counts of the
    /// table's stem of the same text, or as stems outside the lists.
    void finishTally();

  private:
    void applyTag(std::uint32_t hash);
    void attributeText(std::uint32_t hash, std::size_t tagStart, std::size_t tagEnd);
    std::optional<Span> imageDescription(std::size_t tagStart, std::size_t tagEnd) const;
    std::optional<Span> metaText(std::size_t tagStart, std::size_t tagEnd, zone::Zone& which) const;
    template <typename Visit>
    void forEachAttribute(std::size_t tagStart, std::size_t tagEnd, Visit visit) const;
    void textRun(std::size_t start, std::size_t end);
    // Cuts a text into words: into the tables (kTallyOnly false), or for the tally alone.
    template <bool kTallyOnly = false>
    void tokenize(std::size_t start, std::size_t end);
    void tallyOnly(std::size_t start, std::size_t end, ZoneBits zones);
    void countCharacters(std::size_t start, std::size_t end);
    ZoneBits bodyZones() const;
    void zoneWord(std::size_t start, std::size_t length);
    bool skipsPeriod(std::size_t i, std::size_t end, std::size_t& next) const;
    template <bool kTallyOnly>
    void enterWord(std::size_t start, std::size_t length);
    template <bool kTallyOnly>
    void phraseBreak(char c);

    std::string_view text_;
    RunTables& tables_;
    const Coefficients& koef_;
    const IndexOptions& options_;
    PageTally* tally_;  // null: no tally
    WordCounter counter_;
    CombinationWindow window_;

    bool inHead_ = false;
    bool inBody_ = false;
    bool skipText_ = true;
    bool inTitle_ = false;
    ContextFlags contextFlags_ = contextflag::kInitial;
    MarkupContext context_;
    ContextFactors factors_;  // the coefficients of the elements context_ has open
    std::int32_t marker_ = token::kBlockTag;
    std::string_view title_;

    // The tally's state.
    ZoneBits zones_ = 0;           // the zones of the words of the text being cut into words
    bool lowHeading_ = false;      // inside <h4>, <h5> or <h6>
    bool blockSinceText_ = false;  // a block tag since the last text counted in characters
    bool gap_ = false;             // white space or a block since the last character counted
    bool charactersSeen_ = false;
    // The words the tally alone takes, stemmed once the stem table is complete.
    struct ZoneWord {
        std::uint32_t start = 0;
        std::uint32_t length = 0;
        ZoneBits zones = 0;
    };
    std::vector<ZoneWord> zoneWords_;
};

void Scanner::applyTag(std::uint32_t hash) {
    marker_ = context_.apply(hash) ? token::kInlineTag : token::kBlockTag;
    const auto factor = [this](std::uint16_t element, double koef) { return context_.has(element) ? koef : 1.0; };
    factors_.title = factor(markup::kTitle, koef_.koefTitle);
    factors_.form = factor(markup::kForm, koef_.koefForm);
    factors_.b = factor(markup::kBold, koef_.koefB);
    factors_.a = factor(markup::kLink, koef_.koefA);
    factors_.i = factor(markup::kItalic, koef_.koefI);
    factors_.u = factor(markup::kUnderline, koef_.koefU);
    factors_.nobr = factor(markup::kNobr, koef_.koefNobr);
    factors_.h1 = factor(markup::kH1, koef_.koefH1);
    factors_.h2 = factor(markup::kH2, koef_.koefH2);
    factors_.h3 = factor(markup::kH3, koef_.koefH3);
    factors_.pre = factor(markup::kPre, koef_.koefPre);
    switch (hash) {
        case TagHashOf("<head"):
            inHead_ = true, skipText_ = false;
            break;
        case TagHashOf("</head"):
        case TagHashOf("<body"):
            inHead_ = false, skipText_ = false, inBody_ = true;
            break;
        case TagHashOf("</body"):
            inBody_ = false, skipText_ = true;
            break;
        case TagHashOf("</html"):
        case TagHashOf("<script"):
        case TagHashOf("<style"):
        case TagHashOf("<applet"):
            skipText_ = true;
            break;
        case TagHashOf("</script"):
        case TagHashOf("</style"):
        case TagHashOf("</applet"):
            skipText_ = false;
            break;
        case TagHashOf("<title"):
            inTitle_ = true;
            break;
        case TagHashOf("<h1"):
            if (tally_) ++tally_->h1Count;
            lowHeading_ = false;
            break;
        case TagHashOf("<h2"):
        case TagHashOf("<h3"):
        case TagHashOf("</h4"):
        case TagHashOf("</h5"):
        case TagHashOf("</h6"):
            lowHeading_ = false;
            break;
        case TagHashOf("<h4"):
        case TagHashOf("<h5"):
        case TagHashOf("<h6"):
            lowHeading_ = true;
            break;
        case TagHashOf("</title"):
            inTitle_ = false;
            break;
        case TagHashOf("<a"):
            contextFlags_ = contextFlags_.without(contextflag::kLinkMask) | ContextFlag::kInLink;
            break;
        case TagHashOf("</a"):
            contextFlags_ = contextFlags_.without(contextflag::kLinkMask) | ContextFlag::kOutsideLink;
            break;
        case TagHashOf("<select"):
            contextFlags_ = contextFlags_.without(contextflag::kSelectMask) | ContextFlag::kInSelect;
            break;
        case TagHashOf("</select"):
            contextFlags_ = contextFlags_.without(contextflag::kSelectMask) | ContextFlag::kOutsideSelect;
            break;
        default:
            if (taghash::EndsInlineRuns(hash)) lowHeading_ = false;
            break;
    }
}

// Calls visit(attribute) for each "=" of the tag, in order, until visit returns false.
template <typename Visit>
void Scanner::forEachAttribute(std::size_t tagStart, std::size_t tagEnd, Visit visit) const {
    // Every search stays inside the tag: a tag without '=' must not send it to the end of the page,
    // which for a page of many such tags would read the page once for each.
    const std::string_view tag = text_.substr(0, tagEnd);
    std::size_t q = tagStart;
    while (true) {
        q = tag.find('=', q);
        if (q == std::string_view::npos) return;
        std::size_t nameEnd = q;  // one past the name's last byte
        while (nameEnd > tagStart + 1 && text_[nameEnd - 1] == ' ') --nameEnd;
        std::size_t nameStart = nameEnd;
        while (nameStart > tagStart + 1 && text_[nameStart - 1] != ' ') --nameStart;
        Attribute attr;
        if (nameEnd - nameStart <= kMaxAttributeName) attr.name = text_.substr(nameStart, nameEnd - nameStart);

        std::size_t v = q + 1;
        while (v < tagEnd && text_[v] == ' ') ++v;
        bool quoted = v < tagEnd && text_[v] == '"';
        std::size_t start = quoted ? v + 1 : v;
        std::size_t stop = tag.find(quoted ? '"' : ' ', start);
        if (stop == std::string_view::npos) stop = tagEnd;
        attr.value = {start, stop};
        if (!visit(attr)) return;
        q = stop;
    }
}

std::optional<Span> Scanner::imageDescription(std::size_t tagStart, std::size_t tagEnd) const {
    std::optional<Span> found;
    forEachAttribute(tagStart, tagEnd, [&](const Attribute& attr) {
        if (!equalsUpper(attr.name, "ALT")) return true;
        if (attr.value.size() >= 4) found = attr.value;
        return false;
    });
    return found;
}

std::optional<Span> Scanner::metaText(std::size_t tagStart, std::size_t tagEnd, zone::Zone& which) const {
    std::optional<Span> content;
    bool described = false;
    forEachAttribute(tagStart, tagEnd, [&](const Attribute& attr) {
        if (equalsUpper(attr.name, "CONTENT")) content = attr.value;
        if (equalsUpper(attr.name, "NAME") && attr.value.size() <= kMaxAttributeName) {
            std::string_view value = text_.substr(attr.value.start, attr.value.size());
            if (equalsUpper(value, "DESCRIPTION")) described = true, which = zone::kDescription;
            if (equalsUpper(value, "KEYWORDS")) described = true, which = zone::kKeywords;
        }
        return true;
    });
    if (described && content && content->size() >= 4) return content;
    return std::nullopt;
}

// The text of an image description or a meta tag: indexed as the options say, and counted in its
// zone (with the meta tag's text kept) when there is a tally.
void Scanner::attributeText(std::uint32_t hash, std::size_t tagStart, std::size_t tagEnd) {
    std::optional<Span> value;
    bool index = false;
    zone::Zone where = zone::kImageAlt;
    if (hash == TagHashOf("<img") && (options_.indexImgAlt || tally_)) {
        value = imageDescription(tagStart, tagEnd);
        index = options_.indexImgAlt;
        if (value && index) factors_.imgAlt = koef_.koefImgAlt;
    } else if (hash == TagHashOf("<meta") && (options_.indexMeta || tally_)) {
        value = metaText(tagStart, tagEnd, where);
        index = options_.indexMeta;
        if (value && index) factors_.meta = koef_.koefMeta;
    }
    if (!value) return;
    if (tally_ && (where == zone::kDescription || where == zone::kKeywords)) {
        std::optional<std::string>& kept = where == zone::kDescription ? tally_->description : tally_->keywords;
        if (!kept) kept = std::string(text_.substr(value->start, value->size()));
    }
    if (index) {
        zones_ = bitOf(where);
        gap_ = true;
        tokenize(value->start, value->end - 1);
        gap_ = true;
    } else {
        tallyOnly(value->start, value->end - 1, bitOf(where));
    }
    factors_.imgAlt = factors_.meta = 1;
}

// The zones of the body text at the current tag.
ZoneBits Scanner::bodyZones() const {
    ZoneBits bits = bitOf(zone::kBody);
    if (context_.has(markup::kH1)) bits |= bitOf(zone::kH1);
    if (context_.has(markup::kH2 | markup::kH3) || lowHeading_) bits |= bitOf(zone::kH2to6);
    if (context_.has(markup::kBold)) bits |= bitOf(zone::kBold);
    if (context_.has(markup::kLink)) bits |= bitOf(zone::kLink);
    return bits;
}

void Scanner::textRun(std::size_t start, std::size_t end) {
    // A run of one byte is not read; a space there still parts the text around it.
    if (tally_ && end == start && isSpace(text_[start])) gap_ = true;
    if (end <= start) return;
    bool index = false;
    bool title = false;
    if (inHead_ && inTitle_) {
        title_ = text_.substr(start, end - start + 1);
        index = options_.indexTitle;
        title = true;
    }
    const bool body = inBody_ && !skipText_;
    if (body) index = true;
    if (!tally_) {
        if (index) tokenize(start, end);
        return;
    }
    // A run is in the body or in the title, never both (the body's count is worked out from that).
    const ZoneBits zones = body ? bodyZones() : bitOf(zone::kTitle);
    if (index) {
        zones_ = zones;
        if (blockSinceText_) gap_ = true;
        blockSinceText_ = false;
        tokenize(start, end);
    } else if (title) {
        tallyOnly(start, end, zones);
    }
}

// Cuts [start, end] into words for the tally alone: their stems are counted in `zones`, and the
// tables and the characters are left as they are.
void Scanner::tallyOnly(std::size_t start, std::size_t end, ZoneBits zones) {
    zones_ = zones;
    tokenize<true>(start, end);
}

// Counts the characters of [start, end] of a text the lists take (see PageTally): countSpaces
// counts the white space and the places where it gives way to a character; references are found
// by memchr.
void Scanner::countCharacters(std::size_t start, std::size_t end) {
    const char* const t = text_.data();
    const SpaceCount space = countSpaces(t + start, end - start + 1);
    std::int64_t gaps = space.gaps;
    const bool lastSpace = isSpace(t[end]);
    std::int64_t characters = static_cast<std::int64_t>(end - start + 1) - space.spaces;
    if (characters == 0) {
        gap_ = true;
        return;
    }
    // The first character is parted from the text before it (if any) by the white space the run
    // starts with, which the loop counted, or by the white space or block before the run.
    if (isSpace(t[start])) {
        gaps -= charactersSeen_ ? 0 : 1;
    } else {
        gaps += gap_ && charactersSeen_ ? 1 : 0;
    }
    const std::string_view region = text_.substr(0, end + 1);
    const char* amp =
        space.ampersand ? static_cast<const char*>(std::memchr(t + start, '&', end + 1 - start)) : nullptr;
    while (amp) {
        const auto at = static_cast<std::size_t>(amp - t);
        const std::size_t length = CharacterReferenceLength(region, at);
        characters -= length > 1 ? static_cast<std::int64_t>(length - 1) : 0;
        const std::size_t next = at + (length > 1 ? length : 1);
        amp = next <= end ? static_cast<const char*>(std::memchr(t + next, '&', end + 1 - next)) : nullptr;
    }
    gap_ = lastSpace;
    charactersSeen_ = true;
    tally_->charsWithoutSpaces += characters;
    tally_->charsWithSpaces += characters + gaps;
}

// A word the tally alone takes: kept to be stemmed once the stem table is complete, since the
// title and the meta tags come before the body that enters their stems.
void Scanner::zoneWord(std::size_t start, std::size_t length) {
    length = std::min(length, kMaxWordLength);
    zoneWords_.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(length), zones_});
}

// Each word the tally alone took is stemmed as the tables stem it and counted in its zones under
// the table's stem of the same text, or under a stem outside the lists.
void Scanner::finishTally() {
    if (!tally_) return;
    // The body: every occurrence in the tables but those the options took in from the title, the
    // meta tags and the image descriptions, which the scan counted (each in one of these zones).
    tally_->stems.resize(static_cast<std::size_t>(tables_.stems.size()));
    for (std::size_t id = 0; id < tally_->stems.size(); ++id) {
        ZoneCounts& c = tally_->stems[id];
        c[zone::kBody] = tables_.stems.record(static_cast<std::int32_t>(id)).count - c[zone::kTitle] -
                         c[zone::kDescription] - c[zone::kKeywords] - c[zone::kImageAlt];
    }
    // Where each written form goes: a table stem's id, or -1 - its place among the outside stems.
    std::unordered_map<std::string_view, std::int64_t> target;
    std::unordered_map<std::string, std::size_t> outsideIndex;
    std::string lower;
    for (const ZoneWord& word : zoneWords_) {
        const std::string_view text = text_.substr(word.start, word.length);
        auto [known, added] = target.try_emplace(text, 0);
        if (added) {
            std::uint32_t code = 0;
            const std::string_view stem = StemWord(text, lower, code, options_.stemSource);
            known->second = tables_.stems.Find(stem);
            if (known->second < 0) {
                auto [at, isNew] = outsideIndex.try_emplace(std::string(stem), tally_->outside.size());
                if (isNew) {
                    tally_->outsideStems.emplace_back(stem);
                    tally_->outside.emplace_back();
                }
                known->second = -1 - static_cast<std::int64_t>(at->second);
            }
        }
        if (known->second >= 0) {
            addZones(tally_->stems[static_cast<std::size_t>(known->second)], word.zones);
        } else {
            addZones(tally_->outside[static_cast<std::size_t>(-1 - known->second)], word.zones);
        }
    }
}

template <bool kTallyOnly>
void Scanner::enterWord(std::size_t start, std::size_t length) {
    if constexpr (kTallyOnly) {
        zoneWord(start, length);
        return;
    }
    window_.BeforeWord(contextFlags_);
    std::int32_t stemId =
        counter_.Enter(text_, static_cast<std::int32_t>(start), static_cast<std::int32_t>(length), factors_);
    window_.Append(stemId);
    // Words of the body text alone are counted from the table once the scan is over.
    if (zones_ == bitOf(zone::kBody) || !tally_) return;
    const auto index = static_cast<std::size_t>(stemId);
    if (index >= tally_->stems.size()) tally_->stems.resize(index + 1);
    addZones(tally_->stems[index], zones_);
}

template <bool kTallyOnly>
void Scanner::phraseBreak(char c) {
    if constexpr (kTallyOnly) return;
    tables_.phrases.Push(static_cast<signed char>(c), 0, 0, token::kBreakKind);
    window_.EndPhrase(contextFlags_);
}

// Whether the period at i stays inside the current word; sets `next` to where the scan goes on.
bool Scanner::skipsPeriod(std::size_t i, std::size_t end, std::size_t& next) const {
    if (i >= 2 && i + 3 <= text_.size()) {
        std::string_view five = text_.substr(i - 2, 5);
        for (std::string_view abbreviation : kTwoLetterAbbreviations) {
            if (five == abbreviation && i + 3 <= end) {
                next = i + 3;
                return true;
            }
        }
    }
    if (i >= 3 && text_.substr(i - 3, 4) == kOtherAbbreviation) {
        next = i + 1;
        return true;
    }
    if (isDigitOrSmallLatin(text_[i - 1]) && isDigitOrSmallLatin(text_[i + 1])) {
        next = i + 1;
        return true;
    }
    return false;
}

// Cuts [start, end] into words; the byte after `end` is a delimiter.
template <bool kTallyOnly>
void Scanner::tokenize(std::size_t start, std::size_t end) {
    if constexpr (!kTallyOnly) {
        if (tally_) countCharacters(start, end);
        tables_.phrases.Push(marker_, 0, 0, token::kTagKind);
        window_.Clear();
    }
    const std::size_t stop = end + 1;
    std::size_t w = start;
    std::size_t i = start;
    while (i <= stop) {
        const char c = text_[i];
        if (i < stop && isDash(c)) {
            if (text_[i - 1] == ' ' || text_[i + 1] == ' ') {
                if (w < i) enterWord<kTallyOnly>(w, i - w);
                if constexpr (!kTallyOnly) tables_.markup.Push(static_cast<signed char>(c), 0, 0, token::kBreakKind);
                phraseBreak<kTallyOnly>(c);
                w = i + 1;
            }
            ++i;
            continue;
        }
        std::size_t next = 0;
        if (i < stop && c == '.' && skipsPeriod(i, stop, next)) {
            i = next;
            continue;
        }
        if (i == stop || kDelimiters[static_cast<unsigned char>(c)]) {
            bool breaks = c != ' ' && i != stop;
            if (w < i) {
                enterWord<kTallyOnly>(w, i - w);
                if (breaks) phraseBreak<kTallyOnly>(c);
            }
            if constexpr (!kTallyOnly) {
                if (breaks) tables_.markup.Push(static_cast<signed char>(c), 0, 0, token::kBreakKind);
            }
            w = i + 1;
        }
        ++i;
    }
    if constexpr (!kTallyOnly) window_.EndPhrase(contextFlags_);
}

void Scanner::run(std::size_t firstTag) {
    std::size_t p = firstTag;
    while (true) {
        const std::size_t tagStart = p;
        const std::size_t tagEnd = text_.find('>', p);
        if (tagEnd == std::string_view::npos) return;
        const std::uint32_t hash = TagHashOf(text_.substr(tagStart, tagEnd - tagStart));
        applyTag(hash);
        if (marker_ == token::kBlockTag) blockSinceText_ = true;
        tables_.markup.Push(marker_, static_cast<std::int32_t>(hash), 0, token::kTagKind);
        attributeText(hash, tagStart, tagEnd);
        const std::size_t runStart = tagEnd + 1;
        p = text_.find('<', runStart);
        if (p == std::string_view::npos) return;
        textRun(runStart, p - 1);
    }
}

}  // namespace

ScanOutcome ScanPage(std::string_view text, RunTables& tables, const TVocIndex& stopWords, const Coefficients& koef,
                     const IndexOptions& options, PageTally* tally) {
    ScanOutcome outcome;
    if (text.empty()) return outcome;
    std::size_t first = text.find('<');
    if (first == std::string_view::npos) {
        outcome.status = ScanStatus::kNoMarkup;
        return outcome;
    }
    // The words' texts are copied into the table's own chunks, not kept as positions in the page:
    // each lookup of a known word compares it with its text, and the chunks of a vocabulary stay in
    // the cache where the page's first occurrences are spread over all of it (the comparisons'
    // share of the run on the Russian GIMP manual fell from 4.7 % to 2.1 %).
    if (tally) {
        *tally = {};
        tally->counted = true;
    }
    Scanner scanner(text, tables, stopWords, koef, options, tally);
    scanner.run(first);
    scanner.finishTally();
    outcome.title = scanner.title();
    return outcome;
}
