#include "engine/zones.h"

#include <gtest/gtest.h>

#include <string>

#include "base/cp1251.h"
#include "engine/test_analysis.h"

namespace {

// A page with the word "слон" in every zone: the title, both meta tags, <h1>, <h2> and <h5>, <b>
// and <strong>, a link, an image description, and plain body text.
const std::string kEveryZone = Page(
    u8"<h1>слон</h1><h2>слон</h2><h5>слон</h5><p><b>слон</b> <strong>слон</strong> <a href=\"x\">слон</a> "
    u8"<img alt=\"слон большой\" src=\"y\"> слон</p>"_cp,
    u8"<title>слон</title><meta name=\"description\" content=\"слон идёт\">"
    u8"<meta name=\"keywords\" content=\"слон, кот\">"_cp);

// слон: title, description, keywords, h1, h2-h6 (h2, h5), bold (b, strong), link, image, body (7).
constexpr ZoneCounts kElephant = {1, 1, 1, 1, 2, 2, 1, 1, 7};

ZoneCounts zonesOf(const Analysed& a, std::string_view word) {
    const auto* entry = a.word(word);
    return entry ? a.state.tally.of(entry->desc.link) : ZoneCounts{};
}

TEST(Zones, CountAWordInEveryZoneWhateverTheIndexOptions) {
    const IndexOptions none;
    const IndexOptions all{true, true, true};
    for (const IndexOptions& options : {none, all}) {
        SCOPED_TRACE(options.indexTitle ? "indexed" : "not indexed");
        const Analysed a = Analyse(kEveryZone, options);
        EXPECT_EQ(zonesOf(a, u8"слон"_cp), kElephant);
        // The options still decide what enters the lists.
        EXPECT_EQ(a.word(u8"слон"_cp)->desc.count, options.indexTitle ? 11 : 7);
    }
}

TEST(Zones, StemsOnlyInZonesKeptOutOfTheListsStandApart) {
    const Analysed a = Analyse(kEveryZone);
    const PageTally& t = a.state.tally;
    ASSERT_EQ(t.outsideStems.size(), 3u);  // идёт, кот, большой: in no list
    EXPECT_EQ(t.outside[1][zone::kKeywords], 1);
    EXPECT_EQ(t.outside[1][zone::kBody], 0);
    const Analysed indexed = Analyse(kEveryZone, {true, true, true});
    EXPECT_TRUE(indexed.state.tally.outsideStems.empty());
    EXPECT_EQ(zonesOf(indexed, u8"кот"_cp)[zone::kKeywords], 1);
}

TEST(Zones, KeepTheMetaTagsAndCountH1) {
    const Analysed a = Analyse(kEveryZone);
    EXPECT_EQ(a.state.tally.description, std::optional<std::string>(u8"слон идёт"_cp));
    EXPECT_EQ(a.state.tally.keywords, std::optional<std::string>(u8"слон, кот"_cp));
    EXPECT_EQ(a.state.tally.h1Count, 1);
    EXPECT_TRUE(a.state.tally.counted);
}

TEST(Zones, LowHeadingsEndAtTheirCloseAndAtABlock) {
    const Analysed a = Analyse(Page(u8"<h4>кот</h4>кот<h6>кот<p>кот</p>"_cp));
    EXPECT_EQ(zonesOf(a, u8"кот"_cp)[zone::kH2to6], 2);
    EXPECT_EQ(zonesOf(a, u8"кот"_cp)[zone::kBody], 4);
}

// The tally changes nothing the run builds: the lists and streams are those of a run without it.
TEST(Zones, TallyLeavesTheRunAsItWas) {
    for (const IndexOptions& options : {IndexOptions{}, IndexOptions{true, true, true}}) {
        Analysed with = Analyse(kEveryZone, options);
        AnalysisState without;
        without.options = options;
        without.tallyPage = false;
        without.sourceText = kEveryZone;
        RunAnalysis(without);
        ASSERT_EQ(with.state.slWordFull.size(), without.slWordFull.size());
        for (std::size_t k = 0; k < without.slWordFull.size(); ++k) {
            EXPECT_EQ(with.state.slWordFull[k].text, without.slWordFull[k].text);
            EXPECT_EQ(with.state.slWordFull[k].desc.count, without.slWordFull[k].desc.count);
            EXPECT_EQ(with.state.slWordFull[k].desc.weight, without.slWordFull[k].desc.weight);
        }
        EXPECT_EQ(with.state.slWordExpr.size(), without.slWordExpr.size());
        EXPECT_FALSE(without.tally.counted);
        EXPECT_TRUE(without.tally.stems.empty());
    }
}

// The characters of texts of every length up to 40 with white space at every place, against a
// count byte by byte: the tally counts eight bytes at a time.
TEST(Zones, CharactersMatchAByteByByteCount) {
    std::uint32_t seed = 12345;
    for (int round = 0; round < 400; ++round) {
        seed = seed * 1103515245 + 12345;
        const std::size_t length = 1 + (seed >> 16) % 40;
        std::string text;
        for (std::size_t k = 0; k < length; ++k) {
            seed = seed * 1103515245 + 12345;
            text += "ab \t"[(seed >> 16) % 4];
        }
        std::int64_t characters = 0, gaps = 0;
        bool gap = false;
        for (char c : text) {
            if (c == ' ' || c == '\t') {
                gap = true;
                continue;
            }
            gaps += gap && characters > 0;
            gap = false;
            ++characters;
        }
        SCOPED_TRACE(text);
        const Analysed a = Analyse(Page("<p>" + text + "</p>"));
        // A text of one byte is not read.
        const bool read = text.size() > 1;
        EXPECT_EQ(a.state.tally.charsWithoutSpaces, read ? characters : 0);
        EXPECT_EQ(a.state.tally.charsWithSpaces, read ? characters + gaps : 0);
    }
}

TEST(CharacterReferenceLength, FindsNamedAndNumericReferences) {
    EXPECT_EQ(CharacterReferenceLength("&laquo;", 0), 7u);
    EXPECT_EQ(CharacterReferenceLength("a&#171;", 1), 6u);
    EXPECT_EQ(CharacterReferenceLength("&;", 0), 0u);
    EXPECT_EQ(CharacterReferenceLength("& b;", 0), 0u);
    EXPECT_EQ(CharacterReferenceLength("&abcdefghijk;", 0), 0u);  // longer than any name
    EXPECT_EQ(CharacterReferenceLength("&amp", 0), 0u);
}

}  // namespace
