#include "document/collocation.h"

#include <algorithm>

#include "base/cp1251.h"
#include "base/numformat.h"
#include "document/wordsincontext.h"
#include "engine/wordcode.h"

std::uint32_t StemSequence::numberOf(const std::string& text, bool skip) {
    auto [at, added] = numbers.emplace(text, static_cast<std::uint32_t>(stems.size()));
    if (added) {
        stems.push_back(text);
        skipped.push_back(skip);
    }
    return at->second;
}

void StemSequence::add(const Document& doc) {
    std::unordered_map<std::int32_t, std::uint32_t> byId;
    for (const auto& entry : doc.analysis().slWordBase)
        byId.emplace(entry.desc.id, numberOf(entry.text, wordcode::isIgnored(entry.desc.code)));
    std::uint32_t last = 0;
    for (const StemOccurrence& o : StemOccurrences(doc)) {
        const auto found = byId.find(o.stem);
        const std::uint32_t number = found != byId.end() ? found->second : numberOf("", true);
        tokens.push_back({number, sentences_ + o.sentence});
        last = std::max(last, o.sentence);
    }
    sentences_ += last + 1;  // no window reaches into the next page
}

StemCollocates CollocatesOf(const StemSequence& sequence, std::string_view node, const CollocateOptions& options) {
    StemCollocates result;
    result.node = node;
    const auto number = sequence.numbers.find(result.node);
    if (node.empty() || number == sequence.numbers.end()) return result;
    result.found = FindCollocates(sequence.tokens, number->second, options, sequence.skipped);
    for (const CollocateToken& t : sequence.tokens) result.nodeCount += t.item == number->second ? 1 : 0;
    return result;
}

std::vector<std::string> CollocateColumns() {
    return {"Словооснова", "O", "E", "ЧА", "MI", "MI3", "t", "LL", "logDice"};
}

std::vector<std::vector<std::string>> CollocateRows(const StemCollocates& collocates, const StemSequence& sequence,
                                                    char separator) {
    std::vector<std::vector<std::string>> rows;
    rows.reserve(collocates.found.size());
    for (const Collocate& c : collocates.found) {
        const CollocateMeasures& m = c.measures;
        rows.push_back({cp1251::toUtf8(sequence.stems[c.item]), std::to_string(c.observed),
                        numformat::Fixed2(m.expected, separator), std::to_string(c.itemCount),
                        numformat::Fixed2(m.mi, separator), numformat::Fixed2(m.mi3, separator),
                        numformat::Fixed2(m.tScore, separator), numformat::Fixed2(m.logLikelihood, separator),
                        numformat::Fixed2(m.logDice, separator)});
    }
    return rows;
}

void ShowCollocateConcordance(Document& doc, std::int32_t node, std::int32_t collocate, std::size_t span) {
    const std::vector<StemOccurrence> stems = StemOccurrences(doc);
    std::vector<ConcordanceRow> rows;
    for (std::size_t k = 0; k < stems.size(); ++k) {
        if (stems[k].stem != node) continue;
        const std::size_t from = k >= span ? k - span : 0, to = std::min(stems.size(), k + span + 1);
        for (std::size_t j = from; j < to; ++j) {
            if (j != k && stems[j].stem == collocate && stems[j].sentence == stems[k].sentence) {
                rows.push_back({static_cast<std::uint32_t>(k), 1, 0});
                break;
            }
        }
    }
    FillConcordanceRows(doc.concordance, std::move(rows), doc.compareText);
}

std::optional<std::int32_t> StemIdOf(const Document& doc, std::string_view text) {
    for (const auto& entry : doc.analysis().slWordBase) {
        if (entry.text == text) return entry.desc.id;
    }
    return std::nullopt;
}
