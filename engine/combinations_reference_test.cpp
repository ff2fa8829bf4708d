// The combination list against a brute-force reference: for random short pages, every run of 2 to
// 6 words of each phrase is enumerated directly from the phrase stream and the stem table the scan
// left, and the listing rules (repeated, no ignored word at either end, not absorbed by a longer
// combination of the same count) are applied to that enumeration; the engine's list, counts,
// weights and totals must agree with it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "base/cp1251.h"
#include "engine/analysis.h"
#include "engine/combinations.h"
#include "engine/test_analysis.h"
#include "engine/wordcode.h"

namespace {

using Ids = std::vector<std::int32_t>;

struct Stem {
    std::string text;
    std::int32_t count = 0;
    double weight = 0;
    bool ignored = false;
};

struct Expected {
    Ids ids;
    ExprDescription desc;  // without flags
};

struct Reference {
    std::vector<Expected> listed;
    std::int32_t entries = 0;
    double repeatedCount = 0;
    int absorbedByNext = 0;  // how often each absorption rule struck, to show the pages reach them
    int absorbedByLast = 0;
};

// Lists the combinations of `phrases` (each the stem ids of one phrase) over `stems`.
Reference referenceList(const std::vector<Ids>& phrases, const std::vector<Stem>& stems) {
    // Every run of 2 to 6 words, numbered in the order it is first met: by start, then by length.
    std::map<Ids, std::int32_t> number;
    std::vector<Ids> runs;
    std::vector<std::int32_t> counts;
    for (const Ids& phrase : phrases) {
        for (std::size_t start = 0; start < phrase.size(); ++start) {
            for (std::size_t length = 2; length <= 6 && start + length <= phrase.size(); ++length) {
                Ids run(phrase.begin() + static_cast<std::ptrdiff_t>(start),
                        phrase.begin() + static_cast<std::ptrdiff_t>(start + length));
                auto [it, added] = number.emplace(run, static_cast<std::int32_t>(runs.size()));
                if (added) {
                    runs.push_back(run);
                    counts.push_back(0);
                }
                ++counts[static_cast<std::size_t>(it->second)];
            }
        }
    }

    Reference ref;
    ref.entries = static_cast<std::int32_t>(runs.size());
    auto startsWith = [](const Ids& longer, const Ids& shorter) {
        return longer.size() > shorter.size() && std::equal(shorter.begin(), shorter.end(), longer.begin());
    };
    auto endsWith = [](const Ids& longer, const Ids& shorter) {
        return longer.size() > shorter.size() && std::equal(shorter.rbegin(), shorter.rend(), longer.rbegin());
    };
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const Ids& run = runs[i];
        if (counts[i] <= 1) continue;
        ref.repeatedCount += counts[i];
        if (stems[static_cast<std::size_t>(run.front())].ignored || stems[static_cast<std::size_t>(run.back())].ignored)
            continue;
        if (i + 1 < runs.size() && counts[i + 1] == counts[i] && startsWith(runs[i + 1], run)) {
            ++ref.absorbedByNext;
            continue;
        }
        const Expected* last = ref.listed.empty() ? nullptr : &ref.listed.back();
        if (last != nullptr && last->desc.count == counts[i] && endsWith(last->ids, run)) {
            ++ref.absorbedByLast;
            continue;
        }

        Expected e{run, {}};
        e.desc.id = static_cast<std::int32_t>(i);
        e.desc.count = counts[i];
        double stemCount = 0;
        for (std::int32_t id : run) {
            const Stem& stem = stems[static_cast<std::size_t>(id)];
            e.desc.stemText += (e.desc.stemText.empty() ? "" : " ") + stem.text;
            e.desc.stemWeightSum += stem.weight;
            stemCount += stem.count;
        }
        const double share = 1 - static_cast<double>(i) / static_cast<double>(runs.size());
        e.desc.weight = e.desc.count * share * e.desc.stemWeightSum / stemCount;
        ref.listed.push_back(e);
    }
    return ref;
}

// A random page of a few paragraphs over a small vocabulary, so that runs repeat: two forms of
// some stems, a capitalised name, a number, one-letter (ignored) words, links, commas, full stops
// and repeated paragraphs.
std::string randomPage(std::mt19937& random) {
    static const std::vector<std::string_view> words = {
        u8"кот"_cp, u8"кота"_cp, u8"дом"_cp,  u8"дома"_cp,   u8"лес"_cp, u8"река"_cp, u8"реки"_cp,
        u8"сад"_cp, u8"мост"_cp, u8"поле"_cp, u8"Москва"_cp, u8"в"_cp,   u8"и"_cp,    "2024",
    };
    std::vector<std::string> paragraphs;
    const unsigned count = 2 + random() % 4;
    for (unsigned p = 0; p < count; ++p) {
        // Every third paragraph repeats an earlier one: runs that always occur together.
        if (p > 0 && random() % 3 == 0) {
            paragraphs.push_back(paragraphs[random() % p]);
            continue;
        }
        const bool link = random() % 5 == 0;
        std::string text = link ? "<p><a>" : "<p>";
        const unsigned n = 1 + random() % 12;
        for (unsigned k = 0; k < n; ++k) {
            text += words[random() % words.size()];
            const unsigned gap = random() % 16;
            text += gap == 0 ? ", " : gap == 1 ? ". " : " ";
        }
        paragraphs.push_back(text + (link ? "</a></p>" : "</p>"));
    }
    std::string body;
    for (const std::string& p : paragraphs) body += p;
    return Page(body);
}

TEST(CombinationReference, RandomPagesListWhatADirectEnumerationLists) {
    std::mt19937 random(20240611);
    int listedSeen = 0, absorbedByNext = 0, absorbedByLast = 0;
    for (int page = 0; page < 300; ++page) {
        AnalysisState state;
        state.sourceText = randomPage(random);
        const std::string source = state.sourceText;
        std::vector<Ids> phrases;
        std::vector<Stem> stems;
        std::int32_t engineEntries = -1;
        RunAnalysis(state, {}, [&](const RunTables& tables, std::string_view) {
            // A phrase is a run of word records; run starts and breaks stand between phrases.
            phrases.emplace_back();
            for (std::int32_t t = 0; t < tables.phrases.size(); ++t) {
                if (tables.phrases[t].isWord()) {
                    phrases.back().push_back(tables.phrases[t].first);
                } else if (!phrases.back().empty()) {
                    phrases.emplace_back();
                }
            }
            for (std::int32_t s = 0; s < tables.stems.size(); ++s) {
                const VocRecord& r = tables.stems.record(s);
                stems.push_back({std::string(tables.stems.text(s)), r.count, r.weight, wordcode::isIgnored(r.code)});
            }
            engineEntries = tables.exprs.size();
        });
        SCOPED_TRACE(cp1251::toUtf8(source));
        const Reference ref = referenceList(phrases, stems);
        ASSERT_EQ(engineEntries, ref.entries);
        EXPECT_DOUBLE_EQ(state.weTotals.entryCount, ref.entries);
        EXPECT_DOUBLE_EQ(state.weTotals.repeatedCount, ref.repeatedCount);
        ASSERT_EQ(state.slWordExpr.size(), ref.listed.size());
        double listedCount = 0;
        for (std::size_t k = 0; k < ref.listed.size(); ++k) {
            const ExprDescription& want = ref.listed[k].desc;
            const ExprDescription& got = state.slWordExpr[k].desc;
            SCOPED_TRACE(cp1251::toUtf8(want.stemText));
            EXPECT_EQ(got.id, want.id);
            EXPECT_EQ(got.count, want.count);
            EXPECT_EQ(Ids(got.stemIds.begin(), got.stemIds.begin() + got.length), ref.listed[k].ids);
            EXPECT_EQ(got.stemText, want.stemText);
            EXPECT_DOUBLE_EQ(got.stemWeightSum, want.stemWeightSum);
            EXPECT_DOUBLE_EQ(got.weight, want.weight);
            listedCount += want.count;
        }
        EXPECT_DOUBLE_EQ(state.weTotals.listedCount, listedCount);
        EXPECT_DOUBLE_EQ(state.weTotals.listedEntries, static_cast<double>(ref.listed.size()));
        listedSeen += static_cast<int>(ref.listed.size());
        absorbedByNext += ref.absorbedByNext;
        absorbedByLast += ref.absorbedByLast;
        if (HasFatalFailure()) return;
    }
    // The pages must reach every rule, or the comparison proves little.
    EXPECT_GT(listedSeen, 300);
    EXPECT_GT(absorbedByNext, 50);
    EXPECT_GT(absorbedByLast, 50);
    std::printf("listed %d, absorbed %d by the next, %d by the last listed\n", listedSeen, absorbedByNext,
                absorbedByLast);
}

}  // namespace
