#include "document/wordsincontext.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>

#include "base/cp1251.h"
#include "base/tempdir_for_tests.h"
#include "document/collocation.h"
#include "summary/sentencelist.h"

namespace {

// Pages whose words the scanner counts in every way it has: repeats across sentences and blocks,
// inline tags inside words and sentences, a comma after a space (no phrase break), dashes, a
// title, an image description and meta keywords taken into the index, a selection list.
const char* const kFixtures[] = {
    "<html><head><title>Отчёт о работе</title><meta name=keywords content=\"отчёт работа\"></head><body>"
    "<h1>Годовой отчёт</h1><p>Первый год работы был трудным. Второй год работы принёс успех!</p>"
    "<p>Год работы , год работы - год <b>работы</b>; год ра<i>боты</i>.</p>"
    "<img src=a.png alt=\"годовой отчёт работы\"> год работы<select><option>год работы</select></body></html>",
    "<html><body>а а а а а а а а. <a href=x>ссылка на год работы</a> т.д. 3.14 и т.п. год—работы "
    "«год работы» (год работы)</body></html>",
    "<html><body><table><tr><td>Один два три четыре пять шесть семь<td>один два три четыре пять шесть "
    "семь</table><pre>один  два\r\n три</pre></body></html>",
};

std::vector<std::size_t> AllRows(const ListModel& list) {
    std::vector<std::size_t> rows(list.rows.size());
    std::iota(rows.begin(), rows.end(), std::size_t{0});
    return rows;
}

// Every row of the three lists has as many concordance rows as its count.
void ExpectRowsEqualCounts(Document& doc, const std::string& name) {
    struct Case {
        ResultList list;
        std::function<long long(std::size_t)> count;
    };
    const Case cases[] = {
        {ResultList::kWordBase, [&](std::size_t e) { return doc.analysis().slWordBase[e].desc.count; }},
        {ResultList::kWordFull, [&](std::size_t e) { return doc.analysis().slWordFull[e].desc.count; }},
        {ResultList::kWordExpr, [&](std::size_t e) { return doc.analysis().slWordExpr[e].desc.count; }},
    };
    for (const Case& c : cases) {
        ShowAllTypes(doc, c.list);
        const ListModel& list = ListOf(doc, c.list);
        long long total = 0;
        for (std::size_t row = 0; row < list.rows.size(); ++row) {
            const std::size_t selected[] = {row};
            ShowConcordance(doc, c.list, selected);
            const long long count = c.count(list.rows[row]);
            total += count;
            ASSERT_EQ(static_cast<long long>(doc.concordance.list.rows.size()), count)
                << name << ": list " << static_cast<int>(c.list) << ", " << cp1251::toUtf8(list.cell(row, 0));
        }
        const std::vector<std::size_t> all = AllRows(list);
        ShowConcordance(doc, c.list, all);
        EXPECT_EQ(static_cast<long long>(doc.concordance.list.rows.size()), total) << name;
        EXPECT_EQ(*doc.concordance.list.status, std::string(u8"Вхождений: "_cp) + std::to_string(total));
    }
}

Document& Analysed(Document& doc, std::string source) {
    doc.recordOccurrences = true;
    SetIndexOptions(doc, {true, true, true});
    AnalyseSource(doc, std::move(source));
    return doc;
}

TEST(WordsInContext, ConcordanceRowsEqualTheListCountsOnTheFixtures) {
    for (const char* fixture : kFixtures) {
        Document doc;
        Analysed(doc, cp1251::fromUtf8Lossy(fixture));
        ASSERT_FALSE(doc.concordance.page.words.empty());
        ExpectRowsEqualCounts(doc, fixture);
    }
}

TEST(WordsInContext, ConcordanceRowsEqualTheListCountsOnRealPages) {
    std::vector<std::filesystem::path> pages = {std::filesystem::path(SUMORAN_SOURCE_DIR) / "samples/sample.html"};
    const std::filesystem::path manual = "/usr/share/doc/aptitude/html/ru";
    for (const char* name : {"ch02s05s05.html", "rn01re01.html", "ch02s04s05.html"}) {
        if (std::filesystem::exists(manual / name)) pages.push_back(manual / name);
    }
    for (const auto& path : pages) {
        Document doc;
        Analysed(doc, settings::testutil::readBytes(path));
        ASSERT_GT(doc.concordance.page.words.size(), 100u) << path;
        ExpectRowsEqualCounts(doc, path.string());
    }
}

TEST(WordsInContext, RowsShowTheOccurrenceInItsSentenceWithItsNumberAndPlace) {
    Document doc;
    Analysed(doc, cp1251::fromUtf8Lossy("<html><body><h1>Годовой отчёт</h1><p>Первый год работы был трудным. "
                                        "Второй <b>год работы</b> принёс успех.</p><p>Конец</p></body></html>"));
    ConcordanceQuery query{{doc.concordance.page.words[3].stem}, {}};  // "год"
    FillConcordance(doc.concordance, std::span(&query, 1), doc.compareText);
    const ListModel& list = doc.concordance.list;
    ASSERT_EQ(list.rows.size(), 2u);
    EXPECT_EQ(cp1251::toUtf8(list.cell(0, concordancecol::kLeft)), "Первый");
    EXPECT_EQ(cp1251::toUtf8(list.cell(0, concordancecol::kKey)), "год");
    EXPECT_EQ(cp1251::toUtf8(list.cell(0, concordancecol::kRight)), "работы был трудным.")
        << "the context ends with its sentence";
    EXPECT_EQ(cp1251::toUtf8(list.cell(1, concordancecol::kLeft)), "Второй");
    EXPECT_EQ(cp1251::toUtf8(list.cell(1, concordancecol::kRight)), "работы принёс успех.");
    EXPECT_EQ(cp1251::toUtf8(list.cell(1, concordancecol::kPlace)), "жирный");
    EXPECT_EQ(list.cell(1, concordancecol::kSentence), "2");
    EXPECT_EQ(SentenceRowOfConcordance(doc, 1), std::optional<std::size_t>(2));
    SortSentences(doc, sentencecol::kWeight);
    const std::optional<std::size_t> row = SentenceRowOfConcordance(doc, 1);
    ASSERT_TRUE(row);
    EXPECT_EQ(doc.sentences.cell(*row, sentencecol::kOrder), "2") << "found in the sorted sentence list";
}

TEST(WordsInContext, LongContextsAreCutAtWordsAndSortByTheNeighbouringWords) {
    Document doc;
    Analysed(doc, cp1251::fromUtf8Lossy("<html><body><p>раз два три четыре пять шесть семь восемь девять десять "
                                        "одиннадцать ключ двенадцать тринадцать четырнадцать пятнадцать шестнадцать "
                                        "семнадцать.</p><p>Арбуз ключ ягода.</p><p>Ключ</p></body></html>"));
    std::int32_t stem = -1;
    for (std::size_t k = 0; k < doc.concordance.page.words.size(); ++k) {
        if (doc.concordance.page.word(k) == cp1251::fromUtf8Lossy("ключ")) stem = doc.concordance.page.words[k].stem;
    }
    ConcordanceQuery query{{stem}, {}};
    FillConcordance(doc.concordance, std::span(&query, 1), doc.compareText);
    const ListModel& list = doc.concordance.list;
    ASSERT_EQ(list.rows.size(), 3u);
    const std::string left = list.cell(0, concordancecol::kLeft);
    EXPECT_LE(left.size(), kContextWidth);
    EXPECT_EQ(cp1251::toUtf8(left), "семь восемь девять десять одиннадцать");
    EXPECT_EQ(cp1251::toUtf8(list.cell(0, concordancecol::kRight)), "двенадцать тринадцать четырнадцать");

    auto keys = [&] {
        std::vector<std::string> out;
        for (std::size_t r = 0; r < list.rows.size(); ++r) out.push_back(cp1251::toUtf8(list.cell(r, 1)));
        return out;
    };
    SortConcordanceList(doc, concordancecol::kLeft);
    EXPECT_EQ(cp1251::toUtf8(list.cell(0, concordancecol::kLeft)), "Арбуз");
    EXPECT_EQ(keys().back(), "Ключ") << "an occurrence with no word before it goes last";
    SortConcordanceList(doc, concordancecol::kRight);
    EXPECT_EQ(cp1251::toUtf8(list.cell(0, concordancecol::kRight)), "двенадцать тринадцать четырнадцать");
    EXPECT_EQ(cp1251::toUtf8(list.cell(1, concordancecol::kRight)), "ягода.");
    SortConcordanceList(doc, concordancecol::kSentence);
    EXPECT_EQ(keys(), (std::vector<std::string>{"ключ", "ключ", "Ключ"})) << "page order";
}

TEST(WordsInContext, ANewAnalysisEmptiesTheConcordanceAndAFailedOneKeepsTheOccurrences) {
    Document doc;
    Analysed(doc, cp1251::fromUtf8Lossy("<html><body>год работы, год работы</body></html>"));
    const std::size_t selected[] = {0};
    ShowConcordance(doc, ResultList::kWordExpr, selected);
    EXPECT_EQ(doc.concordance.list.rows.size(), 2u);
    AnalyseSource(doc, "no markup");
    EXPECT_EQ(doc.concordance.page.words.size(), 4u) << "a page without markup changes nothing";
    AnalyseSource(doc, cp1251::fromUtf8Lossy("<html><body>слово</body></html>"));
    EXPECT_TRUE(doc.concordance.list.rows.empty());
    EXPECT_EQ(doc.concordance.page.words.size(), 1u);
    Document plain;
    AnalyseSource(plain, cp1251::fromUtf8Lossy("<html><body>слово</body></html>"));
    EXPECT_TRUE(plain.concordance.page.words.empty()) << "only a document that asks keeps occurrences";
}

TEST(WordsInContext, WrittenFormsAreTheDistinctFormsOfTheOccurrences) {
    Document doc;
    Analysed(doc, cp1251::fromUtf8Lossy("<html><body>Годы работы. годы работы, год работ</body></html>"));
    ConcordanceQuery stem{{doc.concordance.page.words[0].stem}, {}};
    ConcordanceQuery word{{doc.concordance.page.words[0].stem}, cp1251::fromUtf8Lossy("годы")};
    ConcordanceQuery expr{{doc.concordance.page.words[0].stem, doc.concordance.page.words[1].stem}, {}};
    const ConcordanceQuery queries[] = {stem, word, expr};
    const auto forms = WrittenForms(doc, queries);
    ASSERT_EQ(forms.size(), 3u);
    EXPECT_EQ(forms[0], (std::vector<std::string>{cp1251::fromUtf8Lossy("Годы"), cp1251::fromUtf8Lossy("годы"),
                                                  cp1251::fromUtf8Lossy("год")}));
    EXPECT_EQ(forms[1], (std::vector<std::string>{cp1251::fromUtf8Lossy("годы")}));
    EXPECT_EQ(forms[2].size(), 3u);
}

}  // namespace

TEST(WordsInContext, StemOccurrencesGiveEachWordItsStemAndSentence) {
    Document doc;
    Analysed(doc, cp1251::fromUtf8Lossy("<html><body><p>Кошка ловит мышь. Кошки спят.</p><p>Мышь</p></body></html>"));
    const std::vector<StemOccurrence> stems = StemOccurrences(doc);
    ASSERT_EQ(stems.size(), 6u);
    EXPECT_EQ(stems[0].stem, stems[3].stem);  // кошка, кошки
    EXPECT_EQ(stems[2].stem, stems[5].stem);  // мышь, мышь
    EXPECT_NE(stems[0].stem, stems[1].stem);
    EXPECT_EQ(stems[0].sentence, stems[2].sentence);
    EXPECT_LT(stems[2].sentence, stems[3].sentence);  // a sentence end
    EXPECT_EQ(stems[3].sentence, stems[4].sentence);
    EXPECT_LT(stems[4].sentence, stems[5].sentence);  // a block tag
}

TEST(WordsInContext, NoStemOccurrencesUnlessKept) {
    Document doc;
    AnalyseSource(doc, "<html><body><p>word word</p></body></html>");
    EXPECT_TRUE(StemOccurrences(doc).empty());
}

TEST(WordsInContext, ACollocateAndItsConcordanceCountTheSameWindows) {
    // "кот" stands near "молоко" twice within two words, once farther, and once across a sentence end.
    Document doc;
    Analysed(doc, cp1251::fromUtf8Lossy("<html><body><p>Кот пьёт молоко. Рыжий кот любит молоко. "
                                        "Кот спит, потом долго ищет чистое молоко. Кот. Молоко.</p></body></html>"));
    StemSequence sequence;
    sequence.add(doc);
    const StemCollocates found = CollocatesOf(sequence, u8"кот"_cp, {2, 1});
    EXPECT_EQ(found.nodeCount, 4);
    const auto milk =
        std::ranges::find_if(found.found, [&](const Collocate& c) { return sequence.stems[c.item] == u8"молок"_cp; });
    ASSERT_NE(milk, found.found.end());
    EXPECT_EQ(milk->observed, 2);
    ShowCollocateConcordance(doc, *StemIdOf(doc, u8"кот"_cp), *StemIdOf(doc, u8"молок"_cp), 2);
    EXPECT_EQ(doc.concordance.list.rows.size(), 2u);
    EXPECT_EQ(*doc.concordance.list.status, std::string(u8"Вхождений: "_cp) + "2");
    EXPECT_FALSE(StemIdOf(doc, u8"собак"_cp));
}
