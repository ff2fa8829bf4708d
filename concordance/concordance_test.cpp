#include "concordance/concordance.h"

#include <gtest/gtest.h>

#include "base/cp1251.h"
#include "engine/analysis.h"

namespace {

PageOccurrences Collected(const char* page, IndexOptions options = {}) {
    AnalysisState state;
    state.options = options;
    state.sourceText = cp1251::fromUtf8Lossy(page);
    PageOccurrences out;
    RunAnalysis(state, {}, [&](const RunTables& tables, std::string_view text) {
        out = CollectOccurrences(tables.markup, tables.phrases, text);
    });
    return out;
}

std::vector<std::string> Sentences(const PageOccurrences& page) {
    std::vector<std::string> out;
    for (std::size_t k = 0; k < page.sentenceStarts.size(); ++k) {
        const std::size_t end = k + 1 < page.sentenceStarts.size() ? page.sentenceStarts[k + 1] : page.text.size();
        std::string s = page.text.substr(page.sentenceStarts[k], end - page.sentenceStarts[k]);
        while (!s.empty() && s.back() == ' ') s.pop_back();
        out.push_back(cp1251::toUtf8(s));
    }
    return out;
}

TEST(Occurrences, TheReadingTextKeepsThePagesDelimitersAndStartsSentencesAtEndsAndBlocks) {
    struct Case {
        const char* page;
        std::vector<std::string> sentences;
    } cases[] = {
        {"<html><body>Раз, (два)  три – «четыре». Пять?<p>Шесть</body></html>",
         {"Раз, (два) три – «четыре».", "Пять?", "Шесть"}},
        {"<html><body>ра<b>бо</b>та и <i>слово</i>, конец</body></html>", {"ра бо та и слово, конец"}},
        {"<html><body>и т.д. и 3.14 тоже</body></html>", {"и т.д. и 3.14 тоже"}},
        {"<html><body>до<img alt=\"описание картинки\">после</body></html>", {"до", "описание картинки", "после"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Sentences(Collected(c.page, {false, false, true})), c.sentences) << c.page;
    }
}

TEST(Occurrences, EachWordKnowsItsPlacesAndPhrase) {
    const PageOccurrences page = Collected(
        "<html><head><title>Заголовок</title></head><body><h1>Раздел <b>один</b></h1>"
        "<a href=x>ссылка</a> и<img alt=\"мост ночью\"> текст , дальше</body></html>",
        {true, false, true});
    std::vector<std::string> places;
    std::vector<bool> joins;
    for (const Occurrence& o : page.words) {
        places.push_back(cp1251::toUtf8(PlaceNames(o.places)));
        joins.push_back(o.joinsPrevious);
    }
    EXPECT_EQ(places, (std::vector<std::string>{"заголовок страницы", "H1", "H1, жирный", "ссылка", "",
                                                "описание картинки", "описание картинки", "", ""}));
    EXPECT_EQ(joins, (std::vector<bool>{false, false, false, false, false, false, true, false, true}))
        << "a comma after a space parts no phrase";
}

// The places are those of the markup context the scanner weighs words by: <strong> and <em> are
// bold and italic, a title left open ends at <body>, a heading ends the bold text before it.
TEST(Occurrences, PlacesFollowTheMarkupContextOfTheWeights) {
    const PageOccurrences page = Collected(
        "<html><head><title>Заголовок</head><body>тело <strong>сильно</strong> <em>мягко</em> "
        "<b>жирно<h2>глава</h2> после</body></html>",
        {true, false, true});
    std::vector<std::string> places;
    for (const Occurrence& o : page.words) places.push_back(cp1251::toUtf8(PlaceNames(o.places)));
    EXPECT_EQ(places, (std::vector<std::string>{"заголовок страницы", "", "жирный", "курсив", "жирный", "H2", ""}));
}

TEST(Concordance, CombinationRowsSpanTheirWordsWithinAPhraseOnly) {
    Concordance c;
    c.page = Collected("<html><body>год работы. Год работы, год. Работы год работы</body></html>");
    ConcordanceQuery query{{c.page.words[0].stem, c.page.words[1].stem}, {}};
    FillConcordance(c, std::span(&query, 1), sorting::LocaleTextCompare());
    ASSERT_EQ(c.list.rows.size(), 3u) << "not across the period";
    EXPECT_EQ(cp1251::toUtf8(c.list.cell(1, concordancecol::kKey)), "Год работы");
    EXPECT_EQ(cp1251::toUtf8(c.list.cell(2, concordancecol::kLeft)), "Работы");
    EXPECT_EQ(c.list.cell(2, concordancecol::kSentence), "") << "no sentence list given";
    ClearConcordance(c);
    EXPECT_TRUE(c.list.rows.empty());
    EXPECT_TRUE(c.page.words.empty());
}

// Queries that share a first stem, repeat one another or have no stem each get their own rows,
// in page order, numbered by the query.
TEST(Concordance, EachQueryOfManyFindsItsOwnOccurrences) {
    const PageOccurrences page = Collected("<html><body>год работы. Год работы, год.</body></html>");
    const std::int32_t god = page.words[0].stem, raboty = page.words[1].stem;
    const std::vector<ConcordanceQuery> queries = {
        {{god}, {}}, {{god}, cp1251::fromUtf8Lossy("Год")}, {{god, raboty}, {}}, {{}, {}}, {{god}, {}}};
    const std::vector<std::vector<ConcordanceRow>> found = FindOccurrencesOfEach(page, queries);
    const std::vector<std::vector<std::uint32_t>> firsts = {{0, 2, 4}, {2}, {0, 2}, {}, {0, 2, 4}};
    ASSERT_EQ(found.size(), queries.size());
    for (std::size_t q = 0; q < queries.size(); ++q) {
        std::vector<std::uint32_t> got;
        for (const ConcordanceRow& r : found[q]) {
            got.push_back(r.first);
            EXPECT_EQ(r.item, q);
            EXPECT_EQ(r.count, queries[q].stems.size());
        }
        EXPECT_EQ(got, firsts[q]) << "query " << q;
    }
}

}  // namespace
