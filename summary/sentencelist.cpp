#include "summary/sentencelist.h"

#include <algorithm>
#include <memory>
#include <numeric>
#include <optional>
#include <string>

#include "base/cp1251.h"
#include "base/numformat.h"
#include "summary/forcedmarks.h"
#include "views/listtext.h"

namespace {

using namespace sentencecol;

constexpr char kLeftGuillemet = u8"«"_cp[0];
constexpr char kRightGuillemet = u8"»"_cp[0];
constexpr char kEnDash = u8"–"_cp[0];

// The most records a dash's place in the page text is looked for across (see breakOffset).
constexpr std::int32_t kMaxWalk = 8;

// One sentence being collected.
struct Sentence {
    std::string text;
    double weight = 0;
    long long words = 0;
};

// A heading opened by one block tag and closed by another, and the mark its row gets.
struct HeadingTags {
    std::uint32_t open;
    std::uint32_t close;
    std::string_view mark;
};

constexpr HeadingTags kHeadings[] = {
    {taghash::kH1, taghash::kH1End, "H1"},
    {taghash::kH2, taghash::kH2End, "H2"},
    {taghash::kH3, taghash::kH3End, "H3"},
};

bool isTagRecord(const TokenRecord& r) { return !r.isWord() && r.kind == token::kTagKind; }
bool isBlockTag(const TokenRecord& r) { return isTagRecord(r) && r.first == token::kBlockTag; }
bool isInlineTag(const TokenRecord& r) { return isTagRecord(r) && r.first == token::kInlineTag; }
bool isBreak(const TokenRecord& r) { return !r.isWord() && r.kind == token::kBreakKind; }
bool isTag(const TokenRecord& r, std::uint32_t hash) {
    return isTagRecord(r) && static_cast<std::uint32_t>(r.start) == hash;
}
// An inline tag that weighs nothing (<span>, <code>, ...): it neither breaks a sentence nor
// takes a bold block's text out of the bold element.
bool isPlainInlineTag(const TokenRecord& r) {
    return isInlineTag(r) && taghash::IsPlainInline(static_cast<std::uint32_t>(r.start));
}
bool opensBold(const TokenRecord& r) {
    return isInlineTag(r) && taghash::OpensBold(static_cast<std::uint32_t>(r.start));
}
bool closesBold(const TokenRecord& r) {
    return isInlineTag(r) && taghash::ClosesBold(static_cast<std::uint32_t>(r.start));
}

// A sentence text from its first visible character: a sentence may open with the space kept before
// a bracket or quote, and with the tabs and no-break spaces that the page's words keep as their own.
std::string_view fromFirstVisible(std::string_view text) {
    constexpr std::string_view kInvisible = " \t\n\v\f\r\xA0";
    const std::size_t first = text.find_first_not_of(kInvisible);
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

bool endsSentence(char c) { return c == '.' || c == '?' || c == '!'; }
bool opensGroup(char c) { return c == '(' || c == '{' || c == '[' || c == kLeftGuillemet || c == '"'; }
bool closesGroup(char c) { return c == ')' || c == '}' || c == ']' || c == kRightGuillemet || c == '"'; }
bool separatesClauses(char c) { return c == ',' || c == ';' || c == ':'; }
// The scanner makes a break record of a hyphen or en dash only when a space stands on one side of it.
bool isDash(char c) { return c == '-' || c == kEnDash; }

// Collects the rows of the sentence list from one markup stream.
class SentenceCollector {
  public:
    SentenceCollector(SentenceTable& table, const TTxtIdxIndex& markup, const TVocIndex& stems, std::string_view text,
                      std::vector<std::int32_t>* wordRows)
        : table_(table), markup_(markup), stems_(stems), text_(text), wordRows_(wordRows) {}

    void run() {
        std::int32_t j = 0;
        while (j < markup_.size()) {
            while (j < markup_.size() && isBlockTag(markup_[j])) ++j;
            if (j >= markup_.size()) return;
            j = scanBlock(j);
        }
    }

    long long listedWords() const { return listedWords_; }

  private:
    // Reads the block starting at blockStart and returns the index of the record that ends it.
    std::int32_t scanBlock(std::int32_t blockStart) {
        Sentence sentence;
        startSentence();
        int inlineTags = 0;  // inline tags, those of plain inline elements not counted
        bool ended = false;
        std::int32_t j = blockStart;
        while (j < markup_.size() && !isBlockTag(markup_[j])) {
            const TokenRecord& r = markup_[j];
            if (r.isWord()) {
                j = appendWordRun(sentence, j);
                continue;
            }
            if (isInlineTag(r)) {
                if (!sentence.text.empty() && sentence.text.back() != ' ') sentence.text += ' ';
                if (!isPlainInlineTag(r)) ++inlineTags;
            } else if (isBreak(r)) {
                char c = static_cast<char>(r.first);
                if (endsSentence(c)) {
                    sentence.text += c;
                    ended = true;
                    if (mayListSentence(sentence, blockStart)) addRow(sentence, {});
                    sentence = Sentence{};
                    startSentence();
                } else {
                    appendDelimiter(sentence.text, c, j);
                }
            }
            ++j;
        }
        if (!ended) {
            std::string_view mark = headingMark(sentence, blockStart, j, inlineTags);
            if (!mark.empty()) addRow(sentence, mark);
        }
        return j;
    }

    // Appends the run of consecutive word records starting at j; returns the index after it.
    std::int32_t appendWordRun(Sentence& sentence, std::int32_t j) {
        bool firstOfRun = true;
        for (; j < markup_.size() && markup_[j].isWord(); ++j) {
            const TokenRecord& w = markup_[j];
            if (w.first >= 0 && w.first < stems_.size()) sentence.weight += stems_.record(w.first).weight;
            ++sentence.words;
            if (wordRows_ != nullptr) wordRows_->push_back(-1);
            if (!firstOfRun) sentence.text += ' ';
            firstOfRun = false;
            if (w.start >= 0 && static_cast<std::size_t>(w.start) <= text_.size()) {
                sentence.text += text_.substr(static_cast<std::size_t>(w.start), static_cast<std::size_t>(w.length));
            }
        }
        return j;
    }

    // Appends break record j, delimiter c. Brackets and quotes keep a space on their outer side. A
    // comma, semicolon or colon takes a space before the word that follows it unless the page has the
    // two touching ("3,14", "10:30"). A dash that stood between spaces keeps one on each side; one
    // that touched a word on either side stands alone, as does every other delimiter.
    void appendDelimiter(std::string& text, char c, std::int32_t j) const {
        const bool spacedDash = isDash(c) && stoodBetweenSpaces(j);
        if (opensGroup(c) || (spacedDash && !text.empty() && text.back() != ' ')) text += ' ';
        text += c;
        if (closesGroup(c)) {
            text += ' ';
        } else if (spacedDash || separatesClauses(c)) {
            std::optional<std::size_t> next = nextWordStart(j);
            if (next && (spacedDash || *next == 0 || text_[*next - 1] != c)) text += ' ';
        }
    }

    // The text offset of the word record right after record j, or nothing when no word record follows.
    std::optional<std::size_t> nextWordStart(std::int32_t j) const {
        if (j + 1 >= markup_.size() || !markup_[j + 1].isWord()) return std::nullopt;
        const TokenRecord& w = markup_[j + 1];
        if (w.start < 0 || static_cast<std::size_t>(w.start) > text_.size()) return std::nullopt;
        return static_cast<std::size_t>(w.start);
    }

    // Whether break record j had a space right before and right after it in the page text.
    bool stoodBetweenSpaces(std::int32_t j) const {
        std::optional<std::size_t> at = breakOffset(j);
        return at && *at > 0 && *at + 1 < text_.size() && text_[*at - 1] == ' ' && text_[*at + 1] == ' ';
    }

    // Where break record j stands in the page text. Break records keep no offset, but between two
    // records of one text run the page holds only spaces and the delimiters of the break records, so
    // the offset follows from the nearest word record by walking over those bytes: back from the word
    // after j (its start is exact), else on from the word before it (its length may be cut short).
    // Nothing when a tag record lies between, the bytes do not match, or the word is more than
    // kMaxWalk records away: a page of nothing but delimiters must not cost a walk per record.
    std::optional<std::size_t> breakOffset(std::int32_t j) const {
        std::int32_t after = j + 1;
        while (after < markup_.size() && after - j <= kMaxWalk && isBreak(markup_[after])) ++after;
        if (after < markup_.size() && after - j <= kMaxWalk && markup_[after].isWord()) {
            if (std::optional<std::size_t> at = walkBack(after, j)) return at;
        }
        std::int32_t before = j - 1;
        while (before >= 0 && j - before <= kMaxWalk && isBreak(markup_[before])) --before;
        if (before >= 0 && j - before <= kMaxWalk && markup_[before].isWord()) return walkOn(before, j);
        return std::nullopt;
    }

    // From the start of word record w back over the break records w-1, ..., j; returns where j stands.
    std::optional<std::size_t> walkBack(std::int32_t w, std::int32_t j) const {
        if (markup_[w].start < 0 || static_cast<std::size_t>(markup_[w].start) > text_.size()) return std::nullopt;
        auto at = static_cast<std::size_t>(markup_[w].start);  // one past the byte looked for
        for (std::int32_t m = w - 1; m >= j; --m) {
            while (at > 0 && text_[at - 1] == ' ') --at;
            if (at == 0 || text_[at - 1] != static_cast<char>(markup_[m].first)) return std::nullopt;
            --at;
        }
        return at;
    }

    // From the end of word record w on over the break records w+1, ..., j; returns where j stands.
    std::optional<std::size_t> walkOn(std::int32_t w, std::int32_t j) const {
        if (markup_[w].start < 0) return std::nullopt;
        std::size_t at = static_cast<std::size_t>(markup_[w].start) + markup_[w].length;
        for (std::int32_t m = w + 1;; ++m) {
            while (at < text_.size() && text_[at] == ' ') ++at;
            if (at >= text_.size() || text_[at] != static_cast<char>(markup_[m].first)) return std::nullopt;
            if (m == j) return at;
            ++at;
        }
    }

    bool mayListSentence(const Sentence& s, std::int32_t blockStart) const {
        return s.weight > 0 && s.words >= 2 && blockStart > 0 && !isTag(markup_[blockStart - 1], taghash::kOption);
    }

    // The heading mark of a block without a sentence end, or empty when the block is no heading.
    std::string_view headingMark(const Sentence& s, std::int32_t blockStart, std::int32_t j, int inlineTags) const {
        if (s.weight <= 0) return {};
        if (blockStart > 0 && j < markup_.size()) {
            const TokenRecord& before = markup_[blockStart - 1];
            for (const HeadingTags& h : kHeadings) {
                if (isTag(before, h.open) && isTag(markup_[j], h.close)) return h.mark;
            }
        }
        if (isBoldBlock(blockStart, j, inlineTags) && s.words >= 2) return "B";
        return {};
    }

    // Whether the block [blockStart, end) is wholly one bold element: it opens with <b> or <strong>,
    // closes with </b> or </strong>, and holds no other inline tag. The tags of plain inline
    // elements around or inside it do not count.
    bool isBoldBlock(std::int32_t blockStart, std::int32_t end, int inlineTags) const {
        if (inlineTags != 2) return false;
        std::int32_t first = blockStart;
        while (first < end && isPlainInlineTag(markup_[first])) ++first;
        std::int32_t last = end - 1;
        while (last > first && isPlainInlineTag(markup_[last])) --last;
        return last > first && opensBold(markup_[first]) && closesBold(markup_[last]);
    }

    // The words from here on belong to the next sentence.
    void startSentence() {
        if (wordRows_ != nullptr) sentenceFrom_ = wordRows_->size();
    }

    void addRow(const Sentence& s, std::string_view mark) {
        if (wordRows_ != nullptr) {
            const auto row = static_cast<std::int32_t>(table_.size());
            std::fill(wordRows_->begin() + static_cast<std::ptrdiff_t>(sentenceFrom_), wordRows_->end(), row);
        }
        table_.add(fromFirstVisible(s.text), s.weight, s.words, mark);
        listedWords_ += s.words;
    }

    SentenceTable& table_;
    const TTxtIdxIndex& markup_;
    const TVocIndex& stems_;
    std::string_view text_;
    std::vector<std::int32_t>* wordRows_;  // when given: the row of each word record so far, or -1
    std::size_t sentenceFrom_ = 0;         // the first entry of wordRows_ of the current sentence
    long long listedWords_ = 0;
};

}  // namespace

std::vector<ListColumn> SentenceListColumns() {
    return {
        {std::string(u8"Предложение"_cp), 100, false},
        {std::string(u8"Вес"_cp), 50, true},
        {std::string(u8"ВСА"_cp), 50, true},
        {std::string(u8"Порядок"_cp), 50, true},
        {std::string(u8"Заголовок"_cp), 30, false},
        {std::string(u8"ЧС"_cp), 30, true},
        {std::string(u8"М"_cp), 20, false},
    };
}

SentenceTable::SentenceTable(char decimalSeparator) : separator_(decimalSeparator) {}

void SentenceTable::add(std::string_view text, double weight, long long words, std::string_view headingMark) {
    Row row;
    row.textOffset = texts_.size();
    row.textLength = static_cast<std::uint32_t>(text.size());
    texts_ += text;
    row.weight = weight;
    row.words = words;
    for (std::uint8_t k = 0; k < kHeadingMarks.size(); ++k) {
        if (kHeadingMarks[k] == headingMark) row.heading = k;
    }
    rows_.push_back(row);
}

std::string SentenceTable::cell(std::size_t entry, unsigned column) const {
    if (entry >= rows_.size()) return {};
    const Row& row = rows_[entry];
    switch (column) {
        case kText:
            return texts_.substr(row.textOffset, row.textLength);
        case kWeight:
            return numformat::Fixed2(row.weight, separator_);
        case kAvgWeight:
            return numformat::Fixed2(row.weight / static_cast<double>(row.words), separator_);
        case kOrder:
            return std::to_string(entry);
        case kHeading:
            return std::string(kHeadingMarks[row.heading]);
        case kWords:
            return std::to_string(row.words);
        case kMark:
            return row.marked ? std::string(kForcedMark) : std::string();
        default:
            return {};
    }
}

bool SentenceTable::setCell(std::size_t entry, unsigned column, std::string text) {
    if (entry >= rows_.size()) return false;
    Row& row = rows_[entry];
    if (column == kMark) {
        row.marked = !text.empty();
        return true;
    }
    if (column != kText) return false;
    // An edited text goes to the end of the pool; the old one stays unused until the next build.
    row.textOffset = texts_.size();
    row.textLength = static_cast<std::uint32_t>(text.size());
    texts_ += text;
    return true;
}

void BuildSentenceList(ListModel& list, const TTxtIdxIndex& markup, const TVocIndex& stems, std::string_view text,
                       double wfTotalCount, char decimalSeparator, std::vector<std::int32_t>* wordRows) {
    if (list.columns.size() != kCount) list.columns = SentenceListColumns();
    auto table = std::make_shared<SentenceTable>(decimalSeparator);
    if (wordRows != nullptr) wordRows->clear();
    SentenceCollector collector(*table, markup, stems, text, wordRows);
    collector.run();
    list.rows.resize(table->size());
    std::iota(list.rows.begin(), list.rows.end(), std::uint32_t{0});
    list.source = std::move(table);
    list.sortColumn = kOrder;
    if (wfTotalCount <= 0) return;
    list.status = WordShareText(collector.listedWords(), wfTotalCount, decimalSeparator);
}

void RestoreDocumentOrder(ListModel& list) {
    list.sortColumn = kOrder;
    SortSentenceList(list, {}, '.');  // the order key needs neither collation nor separator
}

void SortSentenceList(ListModel& list, const sorting::TextCompare& compare, char decimalSeparator) {
    SortRows(list, kSentenceListKeys, decimalSeparator, compare);
}

void ClickSentenceColumn(ListModel& list, unsigned k, const sorting::TextCompare& compare, char decimalSeparator) {
    if (k >= kCount) return;
    list.sortColumn = k;
    SortSentenceList(list, compare, decimalSeparator);
}
