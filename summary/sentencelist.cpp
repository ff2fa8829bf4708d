#include "summary/sentencelist.h"

#include <algorithm>
#include <limits>
#include <string>

#include "engine/cp1251.h"
#include "engine/numformat.h"

namespace {

using namespace sentencecol;

constexpr char kLeftGuillemet = u8"«"_cp[0];
constexpr char kRightGuillemet = u8"»"_cp[0];

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
bool isTag(const TokenRecord& r, std::uint32_t hash) { return isTagRecord(r) && static_cast<std::uint32_t>(r.start) == hash; }
bool isInlineTag(const TokenRecord& r, std::uint32_t hash) { return isInlineTag(r) && isTag(r, hash); }

bool endsSentence(char c) { return c == '.' || c == '?' || c == '!'; }
bool opensGroup(char c) { return c == '(' || c == '{' || c == '[' || c == kLeftGuillemet || c == '"'; }
bool closesGroup(char c) { return c == ')' || c == '}' || c == ']' || c == kRightGuillemet || c == '"'; }

// Collects the rows of the sentence list from one markup stream.
class SentenceCollector {
  public:
    SentenceCollector(ListModel& list, const TTxtIdxIndex& markup, const TVocIndex& stems, std::string_view text,
                      char decimalSeparator)
        : list_(list), markup_(markup), stems_(stems), text_(text), separator_(decimalSeparator) {}

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
        int inlineTags = 0;
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
                ++inlineTags;
            } else if (isBreak(r)) {
                char c = static_cast<char>(r.first);
                if (endsSentence(c)) {
                    sentence.text += c;
                    ended = true;
                    if (mayListSentence(sentence, blockStart)) addRow(sentence, {});
                    sentence = Sentence{};
                } else {
                    appendDelimiter(sentence.text, c);
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
            if (!firstOfRun) sentence.text += ' ';
            firstOfRun = false;
            if (w.start >= 0 && static_cast<std::size_t>(w.start) <= text_.size()) {
                sentence.text += text_.substr(static_cast<std::size_t>(w.start), static_cast<std::size_t>(w.length));
            }
        }
        return j;
    }

    // Brackets and quotes keep a space on their outer side; every other delimiter stands alone.
    static void appendDelimiter(std::string& text, char c) {
        if (opensGroup(c)) text += ' ';
        text += c;
        if (closesGroup(c)) text += ' ';
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
        bool boldBlock = inlineTags == 2 && isInlineTag(markup_[blockStart], taghash::kB) &&
                         isInlineTag(markup_[j - 1], taghash::kBEnd);
        if (boldBlock && s.words >= 2) return "B";
        return {};
    }

    void addRow(const Sentence& s, std::string_view mark) {
        ListRow row;
        row.cells.resize(kCount);
        row.cells[kText] = s.text;
        row.cells[kWeight] = numformat::Fixed2(s.weight, separator_);
        row.cells[kAvgWeight] = numformat::Fixed2(s.weight / static_cast<double>(s.words), separator_);
        row.cells[kOrder] = std::to_string(order_);
        row.cells[kHeading] = mark;
        row.cells[kWords] = std::to_string(s.words);
        list_.rows.push_back(std::move(row));
        listedWords_ += s.words;
        ++order_;
    }

    ListModel& list_;
    const TTxtIdxIndex& markup_;
    const TVocIndex& stems_;
    std::string_view text_;
    char separator_;
    long long order_ = 0;
    long long listedWords_ = 0;
};

std::string_view cell(const ListRow& row, unsigned k) {
    return k < row.cells.size() ? std::string_view(row.cells[k]) : std::string_view();
}

// A cell that does not read as a number sorts after every number.
double floatCell(const ListRow& row, unsigned k, char separator) {
    return numformat::ParseFloat(cell(row, k), separator).value_or(-std::numeric_limits<double>::infinity());
}

long long intCell(const ListRow& row, unsigned k) {
    return numformat::ParseInt(cell(row, k)).value_or(std::numeric_limits<long long>::min());
}

int threeWay(long long a, long long b) { return a < b ? -1 : (a > b ? 1 : 0); }

// Orders two rows by one column's key: negative when a goes first. Columns without a key give 0.
int compareBy(unsigned column, const ListRow& a, const ListRow& b, const sorting::TextCompare& compare,
              char separator) {
    std::string_view x = cell(a, column), y = cell(b, column);
    switch (column) {
        case kText:
            return compare(x, y);
        case kWeight:
        case kAvgWeight:
            return sorting::CompareFloatDesc(floatCell(a, column, separator), floatCell(b, column, separator));
        case kOrder:
            return threeWay(intCell(a, column), intCell(b, column));
        case kWords:
            return threeWay(intCell(b, column), intCell(a, column));
        case kHeading:  // longer mark first: "H1", "H2", "H3", then "B", then unmarked rows
            return x.size() != y.size() ? threeWay(static_cast<long long>(y.size()), static_cast<long long>(x.size()))
                                        : x.compare(y);
        case kMark:  // marked rows first
            return threeWay(static_cast<long long>(y.size()), static_cast<long long>(x.size()));
        default:
            return 0;
    }
}

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

void BuildSentenceList(ListModel& list, const TTxtIdxIndex& markup, const TVocIndex& stems, std::string_view text,
                       double wfTotalCount, char decimalSeparator) {
    if (list.columns.size() != kCount) list.columns = SentenceListColumns();
    list.rows.clear();
    SentenceCollector collector(list, markup, stems, text, decimalSeparator);
    collector.run();
    RestoreDocumentOrder(list);
    if (wfTotalCount <= 0) return;
    long long words = collector.listedWords();
    double percent = static_cast<double>(words * 100) / wfTotalCount;
    list.status = std::string(u8"Слов: "_cp) + std::to_string(words) + " / " +
                  numformat::General(wfTotalCount, decimalSeparator) + " = " +
                  numformat::Fixed2(percent, decimalSeparator) + "%";
}

void RestoreDocumentOrder(ListModel& list) {
    list.sortColumn = kOrder;
    SortSentenceList(list, {}, '.');  // the order key needs neither collation nor separator
}

void SortSentenceList(ListModel& list, const sorting::TextCompare& compare, char decimalSeparator) {
    unsigned column = list.sortColumn;
    if (column == kText && !compare) return;
    std::stable_sort(list.rows.begin(), list.rows.end(), [&](const ListRow& a, const ListRow& b) {
        return compareBy(column, a, b, compare, decimalSeparator) < 0;
    });
}

void ClickSentenceColumn(ListModel& list, unsigned k, const sorting::TextCompare& compare, char decimalSeparator) {
    if (k >= kCount) return;
    list.sortColumn = k;
    SortSentenceList(list, compare, decimalSeparator);
}
