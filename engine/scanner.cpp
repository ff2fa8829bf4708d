#include "engine/scanner.h"

#include <array>
#include <optional>

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

// One "name=value" pair of a tag, as the attribute parser reads it.
struct Attribute {
    std::string_view name;  // empty when longer than the names worth comparing
    Span value;
};

class Scanner {
  public:
    Scanner(std::string_view text, RunTables& tables, const TVocIndex& stopWords, const Coefficients& koef,
            const IndexOptions& options)
        : text_(text),
          tables_(tables),
          koef_(koef),
          options_(options),
          counter_(tables, stopWords, koef, options.stemSource),
          window_(tables.exprs) {}

    void run(std::size_t firstTag);
    std::string title() const { return std::string(title_); }

  private:
    void applyTag(std::uint32_t hash);
    void attributeText(std::uint32_t hash, std::size_t tagStart, std::size_t tagEnd);
    std::optional<Span> imageDescription(std::size_t tagStart, std::size_t tagEnd) const;
    std::optional<Span> metaText(std::size_t tagStart, std::size_t tagEnd) const;
    template <typename Visit>
    void forEachAttribute(std::size_t tagStart, std::size_t tagEnd, Visit visit) const;
    void textRun(std::size_t start, std::size_t end);
    void tokenize(std::size_t start, std::size_t end);
    bool skipsPeriod(std::size_t i, std::size_t end, std::size_t& next) const;
    void enterWord(std::size_t start, std::size_t length);
    void phraseBreak(char c);

    std::string_view text_;
    RunTables& tables_;
    const Coefficients& koef_;
    const IndexOptions& options_;
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
            break;
    }
}

// Calls visit(attribute) for each "=" of the tag, in order, until visit returns false.
template <typename Visit>
void Scanner::forEachAttribute(std::size_t tagStart, std::size_t tagEnd, Visit visit) const {
    std::size_t q = tagStart;
    while (true) {
        q = text_.find('=', q);
        if (q == std::string_view::npos || q >= tagEnd) return;
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
        std::size_t stop = text_.find(quoted ? '"' : ' ', start);
        if (stop == std::string_view::npos || stop > tagEnd) stop = tagEnd;
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

std::optional<Span> Scanner::metaText(std::size_t tagStart, std::size_t tagEnd) const {
    std::optional<Span> content;
    bool described = false;
    forEachAttribute(tagStart, tagEnd, [&](const Attribute& attr) {
        if (equalsUpper(attr.name, "CONTENT")) content = attr.value;
        if (equalsUpper(attr.name, "NAME") && attr.value.size() <= kMaxAttributeName) {
            std::string_view value = text_.substr(attr.value.start, attr.value.size());
            if (equalsUpper(value, "DESCRIPTION") || equalsUpper(value, "KEYWORDS")) described = true;
        }
        return true;
    });
    if (described && content && content->size() >= 4) return content;
    return std::nullopt;
}

void Scanner::attributeText(std::uint32_t hash, std::size_t tagStart, std::size_t tagEnd) {
    std::optional<Span> value;
    if (hash == TagHashOf("<img") && options_.indexImgAlt) {
        value = imageDescription(tagStart, tagEnd);
        if (value) factors_.imgAlt = koef_.koefImgAlt;
    } else if (hash == TagHashOf("<meta") && options_.indexMeta) {
        value = metaText(tagStart, tagEnd);
        if (value) factors_.meta = koef_.koefMeta;
    }
    if (!value) return;
    tokenize(value->start, value->end - 1);
    factors_.imgAlt = factors_.meta = 1;
}

void Scanner::textRun(std::size_t start, std::size_t end) {
    if (end <= start) return;
    bool index = false;
    if (inHead_ && inTitle_) {
        title_ = text_.substr(start, end - start + 1);
        index = options_.indexTitle;
    }
    if (inBody_ && !skipText_) index = true;
    if (index) tokenize(start, end);
}

void Scanner::enterWord(std::size_t start, std::size_t length) {
    window_.BeforeWord(contextFlags_);
    std::int32_t stemId =
        counter_.Enter(text_, static_cast<std::int32_t>(start), static_cast<std::int32_t>(length), factors_);
    window_.Append(stemId);
}

void Scanner::phraseBreak(char c) {
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
void Scanner::tokenize(std::size_t start, std::size_t end) {
    tables_.phrases.Push(marker_, 0, 0, token::kTagKind);
    window_.Clear();
    const std::size_t stop = end + 1;
    std::size_t w = start;
    std::size_t i = start;
    while (i <= stop) {
        const char c = text_[i];
        if (i < stop && isDash(c)) {
            if (text_[i - 1] == ' ' || text_[i + 1] == ' ') {
                if (w < i) enterWord(w, i - w);
                tables_.markup.Push(static_cast<signed char>(c), 0, 0, token::kBreakKind);
                phraseBreak(c);
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
                enterWord(w, i - w);
                if (breaks) phraseBreak(c);
            }
            if (breaks) tables_.markup.Push(static_cast<signed char>(c), 0, 0, token::kBreakKind);
            w = i + 1;
        }
        ++i;
    }
    window_.EndPhrase(contextFlags_);
}

void Scanner::run(std::size_t firstTag) {
    std::size_t p = firstTag;
    while (true) {
        const std::size_t tagStart = p;
        const std::size_t tagEnd = text_.find('>', p);
        if (tagEnd == std::string_view::npos) return;
        const std::uint32_t hash = TagHashOf(text_.substr(tagStart, tagEnd - tagStart));
        applyTag(hash);
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
                     const IndexOptions& options) {
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
    Scanner scanner(text, tables, stopWords, koef, options);
    scanner.run(first);
    outcome.title = scanner.title();
    return outcome;
}
