#include "concordance/concordance.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>

#include "base/cp1251.h"
#include "engine/classify.h"

namespace {

using namespace concordancecol;

bool isSpace(char c) { return c == ' '; }

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
    return s;
}

std::size_t keyStart(const PageOccurrences& page, const ConcordanceRow& r) { return page.words[r.first].offset; }
std::size_t keyEnd(const PageOccurrences& page, const ConcordanceRow& r) {
    const Occurrence& last = page.words[r.first + r.count - 1];
    return std::size_t{last.offset} + last.length;
}

// Up to kContextWidth characters before the occurrence, within its sentence, from a word start.
std::string_view leftContext(const PageOccurrences& page, const ConcordanceRow& r) {
    const std::size_t s = keyStart(page, r);
    const std::size_t sentence = page.sentenceAround(s).first;
    std::size_t from = s > sentence + kContextWidth ? s - kContextWidth : sentence;
    if (from > sentence && !isSpace(page.text[from - 1])) {
        const std::size_t space = page.text.find(' ', from);
        from = space != std::string::npos && space < s ? space + 1 : s;
    }
    return trimmed(std::string_view(page.text).substr(from, s - from));
}

// Up to kContextWidth characters after the occurrence, within its sentence, up to a word end.
std::string_view rightContext(const PageOccurrences& page, const ConcordanceRow& r) {
    const std::size_t e = keyEnd(page, r);
    const std::size_t sentenceEnd = page.sentenceAround(keyStart(page, r)).second;
    std::size_t to = std::min(sentenceEnd, e + kContextWidth);
    if (to < sentenceEnd && !isSpace(page.text[to])) {
        const std::size_t space = page.text.rfind(' ', to);
        to = space != std::string::npos && space > e ? space : e;
    }
    return trimmed(std::string_view(page.text).substr(e, to - e));
}

std::string keyText(const PageOccurrences& page, const ConcordanceRow& r) {
    const std::size_t s = keyStart(page, r);
    return std::string(std::string_view(page.text).substr(s, keyEnd(page, r) - s));
}

std::string cellOf(const PageOccurrences& page, const ConcordanceRow& r, unsigned column) {
    if (r.first + r.count > page.words.size()) return {};
    switch (column) {
        case kLeft:
            return std::string(leftContext(page, r));
        case kKey:
            return keyText(page, r);
        case kRight:
            return std::string(rightContext(page, r));
        case kSentence: {
            const std::int32_t sentence = page.words[r.first].sentence;
            return sentence < 0 ? std::string() : std::to_string(sentence);
        }
        case kPlace:
            return PlaceNames(page.words[r.first].places);
        default:
            return {};
    }
}

// The sort key of the words next to an occurrence: up to three of them, nearest first,
// lowercased, those of its sentence only.
constexpr int kKeyWords = 3;

std::string neighbourKey(const PageOccurrences& page, const ConcordanceRow& r, bool before) {
    const auto [start, end] = page.sentenceAround(keyStart(page, r));
    std::string key;
    for (int n = 1; n <= kKeyWords; ++n) {
        const std::ptrdiff_t k =
            before ? static_cast<std::ptrdiff_t>(r.first) - n : static_cast<std::ptrdiff_t>(r.first + r.count) + n - 1;
        if (k < 0 || static_cast<std::size_t>(k) >= page.words.size()) break;
        const Occurrence& o = page.words[static_cast<std::size_t>(k)];
        if (o.offset < start || o.offset >= end) break;
        if (!key.empty()) key += ' ';
        key += LowercaseSystem(page.word(static_cast<std::size_t>(k)));
    }
    return key;
}

std::string sortKey(const PageOccurrences& page, const ConcordanceRow& r, unsigned column) {
    switch (column) {
        case kLeft:
            return neighbourKey(page, r, true);
        case kKey:
            return LowercaseSystem(keyText(page, r));
        case kRight:
            return neighbourKey(page, r, false);
        case kPlace:
            return PlaceNames(page.words[r.first].places);
        default:
            return {};
    }
}

void sortRows(Concordance& c, const sorting::TextCompare& compare) {
    const unsigned column = c.list.sortColumn;
    std::vector<std::string> keys(c.rows.size());
    if (column != kSentence && compare) {
        for (std::size_t k = 0; k < c.rows.size(); ++k) keys[k] = sortKey(c.page, c.rows[k], column);
    }
    std::vector<std::uint32_t> order(c.rows.size());
    std::iota(order.begin(), order.end(), std::uint32_t{0});
    std::ranges::sort(order, [&](std::uint32_t a, std::uint32_t b) {
        if (!keys[a].empty() || !keys[b].empty()) {
            // Occurrences with nothing beside them go last.
            if (keys[a].empty() != keys[b].empty()) return keys[b].empty();
            if (const int d = compare(keys[a], keys[b]); d != 0) return d < 0;
        }
        const ConcordanceRow& x = c.rows[a];
        const ConcordanceRow& y = c.rows[b];
        if (x.first != y.first) return x.first < y.first;
        return x.item != y.item ? x.item < y.item : a < b;
    });
    c.list.rows = std::move(order);
}

bool matchesAt(const PageOccurrences& page, const ConcordanceQuery& query, std::size_t k) {
    const std::size_t n = query.stems.size();
    if (k + n > page.words.size()) return false;
    for (std::size_t m = 0; m < n; ++m) {
        const Occurrence& o = page.words[k + m];
        if (o.stem != query.stems[m] || (m > 0 && !o.joinsPrevious)) return false;
    }
    return query.word.empty() || page.word(k) == query.word;
}

}  // namespace

Concordance::Concordance() {
    list.columns = ConcordanceColumns();
    list.sortColumn = kSentence;
}

std::vector<ListColumn> ConcordanceColumns() {
    return {
        {std::string(u8"Слева"_cp), 220, true},     {std::string(u8"Вхождение"_cp), 100, false},
        {std::string(u8"Справа"_cp), 220, false},   {std::string(u8"Порядок"_cp), 50, true},
        {std::string(u8"Разметка"_cp), 100, false},
    };
}

std::vector<std::vector<ConcordanceRow>> FindOccurrencesOfEach(const PageOccurrences& page,
                                                               std::span<const ConcordanceQuery> queries) {
    // The queries by their first stem, so that each occurrence is looked at once rather than once
    // per query: a list selected whole has tens of thousands of them.
    std::unordered_map<std::int32_t, std::vector<std::uint32_t>> byFirstStem;
    for (std::size_t q = 0; q < queries.size(); ++q) {
        if (!queries[q].stems.empty()) byFirstStem[queries[q].stems[0]].push_back(static_cast<std::uint32_t>(q));
    }
    std::vector<std::vector<ConcordanceRow>> rows(queries.size());
    if (byFirstStem.empty()) return rows;
    for (std::size_t k = 0; k < page.words.size(); ++k) {
        const auto found = byFirstStem.find(page.words[k].stem);
        if (found == byFirstStem.end()) continue;
        for (std::uint32_t q : found->second) {
            if (matchesAt(page, queries[q], k))
                rows[q].push_back(
                    {static_cast<std::uint32_t>(k), static_cast<std::uint32_t>(queries[q].stems.size()), q});
        }
    }
    return rows;
}

void FillConcordance(Concordance& c, std::span<const ConcordanceQuery> queries, const sorting::TextCompare& compare) {
    std::vector<ConcordanceRow> rows;
    for (const std::vector<ConcordanceRow>& found : FindOccurrencesOfEach(c.page, queries))
        rows.insert(rows.end(), found.begin(), found.end());
    FillConcordanceRows(c, std::move(rows), compare);
}

void FillConcordanceRows(Concordance& c, std::vector<ConcordanceRow> rows, const sorting::TextCompare& compare) {
    std::erase_if(rows, [&](const ConcordanceRow& r) { return r.first + r.count > c.page.words.size(); });
    c.rows = std::move(rows);
    c.list.source = MakeRecordSource(
        c.rows, [page = &c.page](const ConcordanceRow& r, unsigned column) { return cellOf(*page, r, column); });
    sortRows(c, compare);
    c.list.status = std::string(u8"Вхождений: "_cp) + std::to_string(c.rows.size());
}

void ClearConcordance(Concordance& c) {
    c.rows.clear();
    c.list.rows.clear();
    c.page = PageOccurrences();
    c.list.status = std::string();
}

void SortConcordance(Concordance& c, unsigned k, const sorting::TextCompare& compare) {
    if (k >= kCount) return;
    c.list.sortColumn = k;
    sortRows(c, compare);
}

std::int32_t ConcordanceSentence(const Concordance& c, std::size_t row) {
    if (row >= c.list.rows.size()) return -1;
    const ConcordanceRow& r = c.rows[c.list.rows[row]];
    return r.first < c.page.words.size() ? c.page.words[r.first].sentence : -1;
}
