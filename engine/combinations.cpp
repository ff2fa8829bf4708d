#include "engine/combinations.h"

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "base/hashindex.h"
#include "engine/classify.h"
#include "engine/wordcode.h"

namespace {

// Endings that mark the first word of a combination as being in the nominative ("ая" twice, as
// in the original table).
constexpr std::string_view kNominativeEndings[] = {
    u8"ть"_cp, u8"ой"_cp, u8"ое"_cp, u8"ая"_cp, u8"ий"_cp, u8"ый"_cp, u8"ее"_cp, u8"ая"_cp,
    u8"а"_cp,  u8"ы"_cp,  u8"ие"_cp, u8"ые"_cp, u8"ия"_cp, u8"и"_cp,  u8"о"_cp,
};

// Word ends that look nominative but are not.
constexpr std::string_view kExceptions[] = {
    u8"вания"_cp,   u8"тной"_cp,   u8"щной"_cp,     u8"ьной"_cp, u8"ционной"_cp, u8"стве"_cp, u8"ска"_cp,
    u8"ирована"_cp, u8"ирован"_cp, u8"ированы"_cp,  u8"вода"_cp, u8"рсий"_cp,    u8"кций"_cp, u8"деления"_cp,
    u8"зовой"_cp,   u8"тра"_cp,    u8"зывающий"_cp, u8"чила"_cp, u8"чили"_cp,    u8"чил"_cp,
};

// Word ends that are not nominative although the word has no ending beyond its stem.
constexpr std::string_view kExceptionsWithoutEnding[] = {u8"грамм"_cp, u8"чил"_cp};

constexpr std::string_view kFormSeparator = ", ";

// Whether the first word of an occurrence is in normal form, judged by what it has beyond its stem.
bool isNormalForm(std::string_view word, std::uint32_t wordCode, const VocRecord& stem, std::size_t stemLength) {
    bool caseTyped =
        wordcode::wordType(stem.code) <= wordcode::kName || wordcode::wordType(wordCode) <= wordcode::kName;
    if (wordcode::scriptClass(stem.code) != wordcode::kCyrillic || !caseTyped) return true;
    const std::size_t length = word.size();
    if (length > stemLength) {
        std::string_view ending = word.substr(stemLength);
        if (std::ranges::find(kNominativeEndings, ending) == std::end(kNominativeEndings)) return false;
        return std::ranges::none_of(kExceptions,
                                    [&](std::string_view x) { return x.size() < length && word.ends_with(x); });
    }
    for (std::string_view x : kExceptionsWithoutEnding) {
        if (x.size() >= length) return true;
        if (word.ends_with(x)) return false;
    }
    return true;
}

// The display text search of one listed combination.
struct OccurrenceSearch {
    std::string normalForm;  // the first occurrence in normal form
    std::string otherForms;  // ", " before each distinct other form
    bool done = false;
};

class ExprListBuilder {
  public:
    ExprListBuilder(const RunTables& tables, std::string_view text) : tables_(tables), text_(text) {}

    void build(ExprList& list, ExprTotals& totals);

  private:
    bool absorbed(std::int32_t i, std::int32_t lastListed) const;
    void searchOccurrences();
    void addOccurrence(OccurrenceSearch& search, std::int32_t start, std::span<const std::int32_t> ids);
    void finish(ListEntry<ExprDescription>& entry, OccurrenceSearch& search) const;
    ExprDescription describe(std::int32_t id) const;
    void indexPrefixes();
    std::int32_t findPrefix(std::int32_t parent, std::int32_t last) const;

    // A sequence of two or more stem ids that begins a listed combination: the node of the
    // sequence without its last id (or, for two ids, -1 - the first id) and that last id.
    struct PrefixNode {
        std::int32_t parent = 0;
        std::int32_t last = 0;
        std::int32_t listed = -1;  // the index into listed_ of the combination it is, or -1
    };

    static std::uint32_t prefixHash(std::int32_t parent, std::int32_t last) {
        return TVocExprIndex::ExtendFingerprint(static_cast<std::uint32_t>(parent), last);
    }

    const RunTables& tables_;
    std::string_view text_;
    std::vector<std::int32_t> listed_;  // listed entry ids, ascending
    ExprList* list_ = nullptr;          // the list being built, one entry for each of listed_
    std::vector<PrefixNode> prefixes_;  // every beginning of a listed combination, each once
    HashIndex prefixIndex_;             // prefixes_ by parent and last id
    std::vector<OccurrenceSearch> searches_;
    std::string occurrence_;  // addOccurrence's buffer
};

bool ExprListBuilder::absorbed(std::int32_t i, std::int32_t lastListed) const {
    const TVocExprIndex& exprs = tables_.exprs;
    const ExprRecord& e = exprs.record(i);
    if (i + 1 < exprs.size()) {
        const ExprRecord& next = exprs.record(i + 1);
        if (next.count == e.count && next.length > e.length && exprs.hasPrefix(i + 1, i)) return true;
    }
    if (lastListed == -1) return false;
    const ExprRecord& l = exprs.record(lastListed);
    std::int32_t d = l.length - e.length;
    return l.count == e.count && d > 0 &&
           std::ranges::equal(exprs.ids(lastListed).span().subspan(static_cast<std::size_t>(d)), exprs.ids(i).span());
}

void ExprListBuilder::addOccurrence(OccurrenceSearch& search, std::int32_t start, std::span<const std::int32_t> ids) {
    const TokenRecord& first = tables_.phrases[start];
    std::string_view written = text_.substr(first.start, first.length);
    const VocRecord& stem = tables_.stems.record(ids[0]);
    auto code = static_cast<std::uint32_t>(first.kind);
    // The occurrence is made behind the separator it would be added with, in a buffer kept from
    // one occurrence to the next.
    std::string& occurrence = occurrence_;
    occurrence.assign(kFormSeparator);
    if (wordcode::wordType(code) == wordcode::kName && wordcode::wordType(stem.code) == wordcode::kNormal) {
        occurrence += LowercaseSystem(written);
    } else {
        occurrence += written;
    }
    const std::string_view firstWord = std::string_view(occurrence).substr(kFormSeparator.size());
    bool normal = isNormalForm(firstWord, code, stem, tables_.stems.text(ids[0]).size());
    for (std::size_t k = 1; k < ids.size(); ++k) {
        const TokenRecord& r = tables_.phrases[start + static_cast<std::int32_t>(k)];
        occurrence += ' ';
        occurrence += text_.substr(r.start, r.length);
    }
    if (normal) {
        search.normalForm = occurrence.substr(kFormSeparator.size());
        search.done = true;
        return;
    }
    if (search.otherForms.find(occurrence) == std::string::npos) search.otherForms += occurrence;
}

std::int32_t ExprListBuilder::findPrefix(std::int32_t parent, std::int32_t last) const {
    return prefixIndex_.find(prefixHash(parent, last), [&](std::int32_t node) {
        const PrefixNode& p = prefixes_[static_cast<std::size_t>(node)];
        return p.parent == parent && p.last == last;
    });
}

// Makes a node for every beginning of every listed combination, so that the search can stop at
// the first word that no listed combination continues with.
void ExprListBuilder::indexPrefixes() {
    for (std::size_t k = 0; k < list_->size(); ++k) {
        const ExprDescription& d = (*list_)[k].desc;
        std::int32_t parent = -1 - d.stemIds[0];
        for (std::int32_t j = 1; j < d.length; ++j) {
            const std::int32_t last = d.stemIds[static_cast<std::size_t>(j)];
            std::int32_t node = findPrefix(parent, last);
            if (node == -1) {
                node = prefixIndex_.insert(prefixHash(parent, last),
                                           [this](std::int32_t n, std::span<const std::uint32_t>) {
                                               const PrefixNode& p = prefixes_[static_cast<std::size_t>(n)];
                                               return prefixHash(p.parent, p.last);
                                           });
                prefixes_.push_back({parent, last, -1});
            }
            parent = node;
        }
        prefixes_[static_cast<std::size_t>(parent)].listed = static_cast<std::int32_t>(k);
    }
}

// One pass over the phrase stream visits every occurrence of every listed combination in text
// order, which is the order a separate search per combination would visit them in. A word is
// looked at only while some combination starting with its stem still waits for a normal form,
// and the words after it only as long as they continue a listed combination.
void ExprListBuilder::searchOccurrences() {
    const TTxtIdxIndex& phrases = tables_.phrases;
    std::vector<std::int32_t> waiting(static_cast<std::size_t>(tables_.stems.size()), 0);  // by first stem
    for (const auto& entry : *list_) ++waiting[static_cast<std::size_t>(entry.desc.stemIds[0])];
    std::array<std::int32_t, TVocExprIndex::kMaxLength> ids{};
    for (std::int32_t t = 0; t < phrases.size(); ++t) {
        const TokenRecord& word = phrases[t];
        if (!word.isWord() || waiting[static_cast<std::size_t>(word.first)] == 0) continue;
        ids[0] = word.first;
        std::int32_t node = -1 - word.first;
        for (std::int32_t n = 2; n <= static_cast<std::int32_t>(ids.size()) && t + n <= phrases.size(); ++n) {
            const TokenRecord& r = phrases[t + n - 1];
            if (!r.isWord()) break;
            ids[n - 1] = r.first;
            node = findPrefix(node, r.first);
            if (node == -1) break;
            const std::int32_t k = prefixes_[static_cast<std::size_t>(node)].listed;
            if (k == -1) continue;
            OccurrenceSearch& search = searches_[static_cast<std::size_t>(k)];
            if (search.done) continue;
            addOccurrence(search, t, std::span<const std::int32_t>(ids.data(), n));
            if (search.done) --waiting[static_cast<std::size_t>(ids[0])];
        }
    }
}

// Gives a listed combination its display text and flags: the first occurrence in normal form, or
// else every distinct written form, joined by ", " (non-normalized); navigational when every
// occurrence stood inside a link, a selection-list option when every one stood inside a selection
// list. A word never holds a delimiter such as ",", so the forms stay apart.
void ExprListBuilder::finish(ListEntry<ExprDescription>& entry, OccurrenceSearch& search) const {
    ExprFlags flags;
    if (!search.normalForm.empty()) {
        entry.text = std::move(search.normalForm);
    } else if (!search.otherForms.empty()) {
        flags |= ExprFlag::kNotNormalized;
        entry.text = search.otherForms.substr(kFormSeparator.size());
    }
    const ContextFlags context = tables_.exprs.record(entry.desc.id).contextFlags;
    if (contextflag::onlyInLinks(context)) flags |= ExprFlag::kNavigational;
    if (contextflag::onlyInSelects(context)) flags |= ExprFlag::kSelectOption;
    entry.desc.flags = flags;
}

ExprDescription ExprListBuilder::describe(std::int32_t id) const {
    const ExprRecord& e = tables_.exprs.record(id);
    const ExprIds ids = tables_.exprs.ids(id);
    ExprDescription d;
    d.id = id;
    d.count = e.count;
    d.stemIds = ids.stemIds;
    d.length = ids.length;
    double sumCount = 0;
    for (std::int32_t k = 0; k < ids.length; ++k) {
        const VocRecord& stem = tables_.stems.record(ids[k]);
        if (k > 0) d.stemText += ' ';
        d.stemText += tables_.stems.text(ids[k]);
        sumCount += stem.count;
        d.stemWeightSum += stem.weight;
    }
    double position = static_cast<double>(id) / tables_.exprs.size();
    d.weight = e.count * (1 - position) * d.stemWeightSum / sumCount;
    return d;
}

void ExprListBuilder::build(ExprList& list, ExprTotals& totals) {
    const TVocExprIndex& exprs = tables_.exprs;
    totals = {};
    list.clear();
    totals.entryCount = exprs.size();
    std::int32_t lastListed = -1;
    for (std::int32_t i = 0; i < exprs.size(); ++i) {
        const ExprRecord& e = exprs.record(i);
        if (e.count <= 1) continue;
        totals.repeatedCount += e.count;
        if (wordcode::isIgnored(tables_.stems.record(e.last).code) ||
            wordcode::isIgnored(tables_.stems.record(exprs.firstStem(i)).code))
            continue;
        if (absorbed(i, lastListed)) continue;
        lastListed = i;
        listed_.push_back(i);
    }

    // The entries are described first; their stem ids then serve the occurrence search.
    list_ = &list;
    list.reserve(listed_.size());
    for (std::int32_t id : listed_) list.push_back({std::string(), describe(id)});
    indexPrefixes();
    searches_.resize(listed_.size());
    searchOccurrences();

    for (std::size_t k = 0; k < listed_.size(); ++k) {
        ListEntry<ExprDescription>& entry = list[k];
        finish(entry, searches_[k]);
        totals.listedCount += entry.desc.count;
        totals.listedEntries += 1;
    }
}

}  // namespace

void CombinationWindow::addFromFirst(ContextFlags contextFlags) {
    table_.AddPrefixes(std::span<const std::int32_t>(ids_.data(), n_), contextFlags);
}

void CombinationWindow::dropFirst() {
    std::copy(ids_.begin() + 1, ids_.begin() + n_, ids_.begin());
    --n_;
}

void CombinationWindow::BeforeWord(ContextFlags contextFlags) {
    if (n_ < static_cast<int>(ids_.size())) return;
    addFromFirst(contextFlags);
    dropFirst();
}

void CombinationWindow::Append(std::int32_t stemId) {
    if (n_ < static_cast<int>(ids_.size())) ids_[n_++] = stemId;
}

void CombinationWindow::EndPhrase(ContextFlags contextFlags) {
    while (n_ >= 2) {
        addFromFirst(contextFlags);
        dropFirst();
    }
    n_ = 0;
}

void BuildExprList(const RunTables& tables, std::string_view text, ExprList& list, ExprTotals& totals) {
    ExprListBuilder(tables, text).build(list, totals);
}
