#include "document/wordsincontext.h"

#include <algorithm>

#include "document/weightcurve.h"

std::vector<ConcordanceQuery> QueriesOf(const Document& doc, ResultList list,
                                        std::span<const std::size_t> selectedRows) {
    const ListModel& model = ListOf(doc, list);
    std::vector<ConcordanceQuery> queries;
    for (std::size_t row : selectedRows) {
        if (row >= model.rows.size()) continue;
        const std::size_t entry = model.rows[row];
        ConcordanceQuery q;
        switch (list) {
            case ResultList::kWordBase:
                if (entry >= doc.analysis().slWordBase.size()) continue;
                q.stems = {doc.analysis().slWordBase[entry].desc.id};
                break;
            case ResultList::kWordFull:
                if (entry >= doc.analysis().slWordFull.size()) continue;
                q.stems = {doc.analysis().slWordFull[entry].desc.link};
                q.word = doc.analysis().slWordFull[entry].text;
                break;
            case ResultList::kWordExpr: {
                if (entry >= doc.analysis().slWordExpr.size()) continue;
                const ExprDescription& d = doc.analysis().slWordExpr[entry].desc;
                q.stems.assign(d.stemIds.begin(), d.stemIds.begin() + std::clamp(d.length, 0, 6));
                break;
            }
        }
        queries.push_back(std::move(q));
    }
    return queries;
}

void ShowConcordance(Document& doc, ResultList list, std::span<const std::size_t> selectedRows) {
    FillConcordance(doc.concordance, QueriesOf(doc, list, selectedRows), doc.compareText);
}

void SortConcordanceList(Document& doc, unsigned column) { SortConcordance(doc.concordance, column, doc.compareText); }

std::optional<std::size_t> SentenceRowOfConcordance(const Document& doc, std::size_t row) {
    const std::int32_t entry = ConcordanceSentence(doc.concordance, row);
    if (entry < 0) return std::nullopt;
    return SentenceRowOf(doc, static_cast<std::size_t>(entry));
}

std::vector<std::vector<std::string>> WrittenForms(const Document& doc, std::span<const ConcordanceQuery> queries) {
    const PageOccurrences& page = doc.concordance.page;
    std::vector<std::vector<std::string>> forms;
    for (const std::vector<ConcordanceRow>& found : FindOccurrencesOfEach(page, queries)) {
        std::vector<std::string>& mine = forms.emplace_back();
        for (const ConcordanceRow& r : found) {
            std::string form;
            for (std::uint32_t k = r.first; k < r.first + r.count; ++k) {
                if (!form.empty()) form += ' ';
                form += page.word(k);
            }
            if (std::ranges::find(mine, form) == mine.end()) mine.push_back(std::move(form));
        }
    }
    return forms;
}

std::vector<StemOccurrence> StemOccurrences(const Document& doc) {
    const PageOccurrences& page = doc.concordance.page;
    const std::vector<std::uint32_t>& starts = page.sentenceStarts;
    std::vector<StemOccurrence> stems;
    stems.reserve(page.words.size());
    std::size_t sentence = 0;  // sentence starts at or before the last offset: occurrences come in page order
    std::uint32_t last = 0;
    for (const Occurrence& o : page.words) {
        if (o.offset < last) sentence = 0;
        while (sentence < starts.size() && starts[sentence] <= o.offset) ++sentence;
        last = o.offset;
        stems.push_back({o.stem, static_cast<std::uint32_t>(sentence)});
    }
    return stems;
}
