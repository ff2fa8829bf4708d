#include "engine/wordlists.h"

#include <algorithm>

#include "engine/classify.h"
#include "engine/wordcode.h"
#include "engine/wordindex.h"

std::string_view StemWord(std::string_view word, std::string& lower, std::uint32_t& code, StemSource* source) {
    code = Classify(word);
    lower.resize(word.size());
    std::ranges::transform(word, lower.begin(), LowercaseByte);
    if (wordcode::scriptClass(code) == wordcode::kCyrillic) {
        if (source) {
            if (std::string_view form = source->DictionaryForm(lower); !form.empty()) return form;
        }
        return StemRussian(lower);
    }
    if (wordcode::scriptClass(code) == wordcode::kLatin) return StemLatin(lower);
    return lower;
}

double WordCounter::weightOf(std::uint32_t code, const ContextFactors& factors) const {
    const double weight = wordcode::isIgnored(code) ? 0 : typeCoefficient(code);
    return factors.apply(weight);
}

double WordCounter::typeCoefficient(std::uint32_t code) const {
    switch (wordcode::wordType(code)) {
        case wordcode::kName:
            return koef_.koefName;
        case wordcode::kAbbrev:
            return koef_.koefAbbr;
        case wordcode::kNumber:
            return koef_.koefNumber;
        case wordcode::kAlnum:
            return koef_.koefAlnum;
        case wordcode::kOther:
            return koef_.koefOther;
        default:
            return 1.0;
    }
}

std::int32_t WordCounter::Enter(std::string_view text, std::int32_t offset, std::int32_t length,
                                const ContextFactors& factors) {
    length = std::min<std::int32_t>(length, kMaxWordLength);
    std::string_view word = text.substr(offset, length);
    std::uint32_t code = 0;
    std::int32_t stemId = 0;
    // A word seen before has the code and the stem it had then: its entry keeps both, for every
    // occurrence of one text gets the same word type, which the case rule then leaves as it is.
    const std::int32_t known = tables_.words.Find(word);
    if (known != -1) {
        code = tables_.words.record(known).code;
        stemId = tables_.words.record(known).link;
        const double weight = weightOf(code, factors);
        tables_.stems.AddTo(stemId, weight, code);
        tables_.words.AddTo(known, weight, code);
    } else {
        std::string_view stem = StemWord(word, lower_, code, stemSource_);
        if (!wordcode::isIgnored(code)) code |= stopWords_.Contains(lower_);
        const double weight = weightOf(code, factors);
        stemId = tables_.stems.Add(stem, weight, 0, code);
        tables_.words.Add(word, weight, stemId, code);
    }
    auto kind = static_cast<std::int32_t>(code);
    // The phrase stream shares the word's record with the markup stream.
    const std::int32_t record = tables_.markup.size();
    tables_.markup.Push(stemId, offset, length, kind);
    if (tables_.markup.size() > record) {
        tables_.phrases.PushFrom(tables_.markup, record);
    } else {
        tables_.phrases.Push(stemId, offset, length, kind);
    }
    return stemId;
}

void BuildWordList(const TVocIndex& table, WordList& list, WordTotals& totals) {
    totals = {};
    list.clear();
    list.reserve(table.size());
    for (std::int32_t id = 0; id < table.size(); ++id) {
        const VocRecord& r = table.record(id);
        list.push_back({std::string(table.text(id)), {id, r.count, r.code, r.link, r.weight}});
        totals.totalCount += r.count;
        if (!wordcode::isIgnored(r.code)) {
            totals.countedCount += r.count;
            totals.countedEntries += 1;
        }
    }
    totals.entryCount = table.size();
}
