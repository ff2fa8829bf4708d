#include "document/document.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/chunkedarray.h"
#include "base/cp1251.h"
#include "base/test_failingnew.h"
#include "engine/wordcode.h"
#include "settings/stopwords.h"
#include "summary/sentencelist.h"
#include "summary/summarylimits.h"

namespace {

std::string page() {
    return std::string(
        u8"<html><head><title>Отчёт</title></head><body><h1>Годовой отчёт</h1>"
        u8"<p>Первый год работы был трудным. Второй год работы принёс успех.</p></body></html>"_cp);
}

TEST(Document, WindowTexts) {
    EXPECT_EQ(WindowCaption(Document().analysis()), "Sumoran") << "before the first run";
    RunReport report{ScanStatus::kComplete, 2.0, 10240};
    EXPECT_EQ(TimeMessage(report, ','), u8"Время обработки: 2,00 сек., Скорость обработки: 5,00 Кб/сек."_cp);
    report.seconds = 0;
    EXPECT_FALSE(TimeMessage(report, ','));
}

TEST(Document, AnalysisFillsEveryPaneAndEmptiesTheExtraFilters) {
    Document doc;
    doc.lists[1].extraFilter = "1,,0,";
    doc.summaryLimit = 3;
    auto report = AnalyseSource(doc, page());
    ASSERT_TRUE(report);
    EXPECT_EQ(WindowCaption(doc.analysis()), u8"Отчёт - Sumoran"_cp);
    EXPECT_TRUE(doc.lists[1].extraFilter.empty());
    EXPECT_FALSE(ListOf(doc, ResultList::kWordBase).rows.empty());
    EXPECT_EQ(ListOf(doc, ResultList::kWordFull).rows.size(), doc.analysis().slWordFull.size())
        << "no word is hidden by the initial filter";
    EXPECT_EQ(ListOf(doc, ResultList::kWordExpr).rows.size(), 1u) << u8"год работы"_cp;
    ASSERT_EQ(doc.sentences.rows.size(), 3u);
    EXPECT_EQ(doc.sentences.sortColumn, 3u);
    EXPECT_EQ(doc.summaryLimit, kNoLimitItem);
    ASSERT_FALSE(doc.summary.paragraphs.empty());
    EXPECT_EQ(doc.summary.paragraphs[0].text, u8"Годовой отчёт"_cp);
    EXPECT_TRUE(doc.summary.paragraphs[0].bold);
    EXPECT_TRUE(doc.summary.status);
}

TEST(Document, AnEmptySourceStartsNoRunAndAPageWithoutMarkupKeepsTheLists) {
    Document doc;
    EXPECT_FALSE(AnalyseSource(doc, ""));
    AnalyseSource(doc, page());
    const auto rows = ListOf(doc, ResultList::kWordBase).rows.size();
    const auto paragraphs = doc.summary.paragraphs;
    auto report = AnalyseSource(doc, "plain text");
    ASSERT_TRUE(report);
    EXPECT_EQ(report->status, ScanStatus::kNoMarkup);
    EXPECT_EQ(ListOf(doc, ResultList::kWordBase).rows.size(), rows);
    EXPECT_EQ(doc.summary.paragraphs, paragraphs) << "the summary is rebuilt from the sentence rows that stay";
}

TEST(Document, ARunOutOfMemoryChangesNothingShown) {
    Document doc;
    AnalyseSource(doc, page());
    doc.lists[1].extraFilter = "1,,0,";
    RebuildSummary(doc, 1);
    const auto stems = ListOf(doc, ResultList::kWordBase).rows;
    const auto sentences = doc.sentences.rows.size();
    const auto paragraphs = doc.summary.paragraphs;
    const auto status = doc.summary.status;
    const auto time = doc.timeMessage;
    // The stem table's first chunk of records cannot be had.
    failingnew::FailAllocationOf(ChunkedArray<VocRecord>::kChunkSize * sizeof(VocRecord));
    auto report = AnalyseSource(doc, std::string(u8"<html><body><p>Другой текст страницы.</p></body></html>"_cp));
    ASSERT_TRUE(failingnew::StopFailing());
    ASSERT_TRUE(report);
    EXPECT_EQ(report->status, ScanStatus::kOutOfMemory);
    EXPECT_EQ(ListOf(doc, ResultList::kWordBase).rows, stems);
    EXPECT_EQ(doc.sentences.rows.size(), sentences);
    EXPECT_EQ(doc.summary.paragraphs, paragraphs);
    EXPECT_EQ(doc.summary.status, status);
    EXPECT_EQ(doc.summaryLimit, 1u);
    EXPECT_EQ(doc.lists[1].extraFilter, "1,,0,");
    EXPECT_EQ(doc.timeMessage, time);
}

TEST(Document, SummaryLimitsPickFromTheMenu) {
    Document doc;
    // A light sentence, then twelve heavy ones each followed by a light one: the first row and
    // every heavy one are peaks of the weight curve, thirteen in all, more than the limits allow.
    const std::string light(u8"<p>Простая строка текста.</p>"_cp);
    std::string page = "<html><body>" + light;
    for (int k = 0; k < 12; ++k) page += std::string(u8"<p><b>Важный итог работы.</b></p>"_cp) + light;
    AnalyseSource(doc, page + "</body></html>");
    ASSERT_EQ(doc.sentences.rows.size(), 25u);
    for (auto [item, sentences] : {std::pair<std::size_t, std::size_t>{1, 3}, {2, 5}, {3, 10}, {0, 13}}) {
        RebuildSummary(doc, item);
        EXPECT_EQ(doc.summaryLimit, item);
        EXPECT_EQ(doc.summary.paragraphs.size(), sentences) << "menu item " << item;
    }
}

// An edited sentence replaces its paragraph in the summary at once, found by its entry whatever
// the list's order; a sentence outside the summary changes only its row.
TEST(Document, AnEditedSentenceReplacesItsSummaryParagraph) {
    Document doc;
    AnalyseSource(doc, page());
    RebuildSummary(doc, 1);
    SortSentences(doc, sentencecol::kWords);
    const std::size_t inSummary = doc.summary.entries.back();
    const auto rowOf = [&doc](std::size_t entry) {
        return static_cast<std::size_t>(std::ranges::find(doc.sentences.rows, entry) - doc.sentences.rows.begin());
    };
    ASSERT_NE(rowOf(inSummary), inSummary) << "the list is not in document order";
    std::vector<SummaryParagraph> expected = doc.summary.paragraphs;
    expected.back().text = "edited";
    EXPECT_TRUE(EditSentenceText(doc, rowOf(inSummary), "edited"));
    EXPECT_EQ(doc.summary.paragraphs, expected);
    EXPECT_EQ(doc.sentences.cell(rowOf(inSummary), sentencecol::kText), "edited");
    EXPECT_EQ(doc.summaryLimit, 1u);

    doc.summary.paragraphs.pop_back();
    doc.summary.entries.pop_back();
    EXPECT_FALSE(EditSentenceText(doc, rowOf(inSummary), "again"));
    EXPECT_EQ(doc.sentences.cell(rowOf(inSummary), sentencecol::kText), "again");
    EXPECT_FALSE(EditSentenceText(doc, doc.sentences.rows.size(), "none"));
}

// Each coefficient of koef.dat, doubled, doubles the weight of a word in its context and leaves a
// word outside it alone: one row per coefficient, in the file's order.
TEST(Document, EveryCoefficientWeighsTheWordsOfItsContext) {
    struct Row {
        std::string_view head;
        std::string_view body;
        std::string_view word;
        IndexOptions options;
    };
    const Row rows[Coefficients::kCount] = {
        {u8"<title>заглавие</title>"_cp, "", u8"заглавие"_cp, {.indexTitle = true}},
        {u8"<meta name=keywords content=\"ключевое\">"_cp, "", u8"ключевое"_cp, {.indexMeta = true}},
        {"", u8"<form>анкета</form>"_cp, u8"анкета"_cp, {}},
        {"", u8"<img src=x.png alt=\"картинка\">"_cp, u8"картинка"_cp, {.indexImgAlt = true}},
        {"", u8"<h1>глава</h1>"_cp, u8"глава"_cp, {}},
        {"", u8"<h2>раздел</h2>"_cp, u8"раздел"_cp, {}},
        {"", u8"<h3>пункт</h3>"_cp, u8"пункт"_cp, {}},
        {"", u8"<nobr>слитно</nobr>"_cp, u8"слитно"_cp, {}},
        {"", u8"<b>жирное</b>"_cp, u8"жирное"_cp, {}},
        {"", u8"<a href=x.html>ссылка</a>"_cp, u8"ссылка"_cp, {}},
        {"", u8"<i>курсив</i>"_cp, u8"курсив"_cp, {}},
        {"", u8"<u>черта</u>"_cp, u8"черта"_cp, {}},
        {"", u8"<pre>листинг</pre>"_cp, u8"листинг"_cp, {}},
        {"", u8"<p>Москва</p>"_cp, u8"Москва"_cp, {}},
        {"", u8"<p>НАСА</p>"_cp, u8"НАСА"_cp, {}},
        {"", u8"<p>123</p>"_cp, u8"123"_cp, {}},
        {"", u8"<p>x86</p>"_cp, u8"x86"_cp, {}},
        {"", u8"<p>3.14</p>"_cp, u8"3.14"_cp, {}},
    };
    auto weight = [](const Document& doc, const std::string& word) {
        for (const auto& entry : doc.analysis().slWordFull) {
            if (entry.text == word) return entry.desc.weight;
        }
        return -1.0;
    };
    for (std::size_t k = 0; k < Coefficients::kCount; ++k) {
        const Row& row = rows[k];
        const std::string page = "<html><head>" + std::string(row.head) + "</head><body>" + std::string(row.body) +
                                 std::string(u8"<p>обычное</p></body></html>"_cp);
        const std::string word(row.word);
        Document plain;
        SetIndexOptions(plain, row.options);
        AnalyseSource(plain, page);
        Document doubled;
        SetIndexOptions(doubled, row.options);
        Coefficients koef;
        koef.at(k) *= 2;
        SetCoefficients(doubled, koef);
        AnalyseSource(doubled, page);
        SCOPED_TRACE("koef.dat line " + std::to_string(k + 1));
        EXPECT_GT(weight(plain, word), 0.0);
        EXPECT_DOUBLE_EQ(weight(doubled, word), 2 * weight(plain, word));
        EXPECT_DOUBLE_EQ(weight(doubled, std::string(u8"обычное"_cp)), 1.0);
    }
}

}  // namespace

TEST(Document, TheChosenCharsetReadsThePageAndNamesItsEncoding) {
    const std::string utf8 = "<html><body><p>Большой дом.</p></body></html>";
    const std::string windows1251(u8"<html><body><p>Большой дом.</p></body></html>"_cp);
    const std::string capitals(u8"<html><body><p>БОЛЬШОЙ ДОМ.</p></body></html>"_cp);
    struct Case {
        CharsetChoice choice;
        std::string bytes;
        CharsetChoice encoding;
        Charset charset;
        std::string_view word;  // Windows-1251
    };
    const Case cases[] = {
        {CharsetChoice::kAuto, utf8, CharsetChoice::kUtf8, Charset::kWindows1251, u8"дом"_cp},
        {CharsetChoice::kAuto, windows1251, CharsetChoice::kWindows1251, Charset::kWindows1251, u8"дом"_cp},
        {CharsetChoice::kAuto, capitals, CharsetChoice::kKoi8r, Charset::kKoi8r, u8"днл"_cp},  // misread
        {CharsetChoice::kWindows1251, capitals, CharsetChoice::kWindows1251, Charset::kWindows1251, u8"ДОМ"_cp},
        {CharsetChoice::kUtf8, utf8, CharsetChoice::kUtf8, Charset::kWindows1251, u8"дом"_cp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(CharsetChoiceName(c.choice)) + ": " + c.bytes);
        Document doc;
        ASSERT_TRUE(Analyse(doc, {{c.bytes}, c.choice}));
        EXPECT_EQ(doc.analysis().pageEncoding, c.encoding);
        EXPECT_EQ(doc.analysis().charsetIndex, c.charset);
        EXPECT_TRUE(std::ranges::any_of(doc.analysis().slWordFull, [&](const auto& e) { return e.text == c.word; }));
        // The next page is read as the choice says and knows nothing of this one's UTF-8.
        ASSERT_TRUE(Analyse(doc, {{windows1251}, c.choice}));
        EXPECT_EQ(doc.analysis().pageEncoding,
                  c.choice == CharsetChoice::kAuto ? CharsetChoice::kWindows1251 : c.choice);
    }
}

// The window reads the page on screen again under another charset from the parts the document
// kept; the command line's one-off request keeps none, and a page read from text forgets them.
TEST(Document, ReadAgainReadsTheKeptPartsUnderAnotherCharset) {
    const std::string capitals(u8"<html><body><p>БОЛЬШОЙ ДОМ.</p></body></html>"_cp);
    const std::string frame(u8"<html><body><p>ВТОРОЙ КАДР.</p></body></html>"_cp);
    auto hasWord = [](const Document& doc, std::string_view word) {
        return std::ranges::any_of(doc.analysis().slWordFull, [&](const auto& e) { return e.text == word; });
    };
    Document doc;
    EXPECT_FALSE(ReadAgain(doc, CharsetChoice::kWindows1251, ContentMode::kPage)) << "no page yet";
    ASSERT_TRUE(Analyse(doc, {{capitals, frame}, CharsetChoice::kAuto}));
    EXPECT_EQ(doc.analysis().pageEncoding, CharsetChoice::kKoi8r);
    ASSERT_TRUE(ReadAgain(doc, CharsetChoice::kWindows1251, ContentMode::kPage));
    EXPECT_EQ(doc.analysis().pageEncoding, CharsetChoice::kWindows1251);
    EXPECT_TRUE(hasWord(doc, u8"ДОМ"_cp));
    EXPECT_TRUE(hasWord(doc, u8"КАДР"_cp)) << "every part is read again";
    EXPECT_EQ(doc.page().charset, CharsetChoice::kWindows1251);

    ASSERT_TRUE(Analyse(doc, {{capitals}, CharsetChoice::kWindows1251, ContentMode::kPage, false}));
    EXPECT_TRUE(doc.page().parts.empty());
    EXPECT_FALSE(ReadAgain(doc, CharsetChoice::kAuto, ContentMode::kPage));
    ASSERT_TRUE(Analyse(doc, {{capitals}}));
    ASSERT_TRUE(AnalyseSource(doc, capitals));
    EXPECT_FALSE(ReadAgain(doc, CharsetChoice::kAuto, ContentMode::kPage))
        << "a page analysed from its text is not the kept one";
}

// Main-text mode reads each part's article without the site's template, the parts of a frameset
// each on its own; a page without an article is read whole and says why.
TEST(Document, MainTextModeReadsTheArticlesOfTheParts) {
    auto article = [](std::string_view topic) {
        std::string p = "<html><head><title>" + std::string(topic) + "</title></head><body><nav><ul>";
        for (const char* item : {"Главная", "Новости", "Контакты"})
            p += "<li><a href=\"/\">" + std::string(item) + "</a></li>";
        p += "</ul></nav><article><h1>" + std::string(topic) + "</h1>";
        for (int k = 0; k < 3; ++k)
            p += "<p>Длинное предложение статьи о предмете, чтобы его текст был основным на странице.</p>";
        return p + "</article><footer><a href=\"/\">Подвал сайта</a></footer></body></html>";
    };
    auto words = [](const Document& doc) {
        std::string all;
        for (const auto& e : doc.analysis().slWordFull) all += cp1251::toUtf8(e.text) + " ";
        return all;
    };
    const std::string frameset = "<html><frameset cols=\"50%,50%\"><frame src=a><frame src=b></frameset></html>";
    Document doc;
    ASSERT_TRUE(Analyse(doc, {{article("Погода")}, CharsetChoice::kAuto, ContentMode::kMain}));
    EXPECT_EQ(doc.content().mode, ContentMode::kMain);
    EXPECT_TRUE(doc.content().found);
    EXPECT_EQ(words(doc).find("Главная"), std::string::npos);
    EXPECT_EQ(words(doc).find("Подвал"), std::string::npos);
    EXPECT_NE(words(doc).find("Погода"), std::string::npos);
    EXPECT_EQ(doc.content().mainWords, 1 + 3 * 12u);
    EXPECT_GT(doc.content().pageWords, doc.content().mainWords);

    ASSERT_TRUE(
        Analyse(doc, {{frameset, article("Погода"), article("Футбол")}, CharsetChoice::kAuto, ContentMode::kMain}));
    EXPECT_TRUE(doc.content().found);
    EXPECT_NE(words(doc).find("Футбол"), std::string::npos) << "every frame's article";
    EXPECT_EQ(words(doc).find("Главная"), std::string::npos);
    EXPECT_NE(doc.content().text.find("Погода\n\n"), std::string::npos) << doc.content().text;
    ASSERT_FALSE(doc.content().blocks.empty());
    EXPECT_EQ(doc.content().blocks.front().part, 1u) << "the frames' blocks, not the frameset's";
    EXPECT_EQ(doc.content().blocks.back().part, 2u);

    ASSERT_TRUE(ReadAgain(doc, CharsetChoice::kAuto, ContentMode::kPage));
    EXPECT_EQ(doc.content().mode, ContentMode::kPage);
    EXPECT_NE(words(doc).find("Главная"), std::string::npos) << "the whole page again, without loading it";

    const std::string links =
        "<html><body><ul><li><a href=/1>one</a></li><li><a href=/2>two</a></li></ul></body></html>";
    ASSERT_TRUE(Analyse(doc, {{links}, CharsetChoice::kAuto, ContentMode::kMain}));
    EXPECT_FALSE(doc.content().found);
    EXPECT_EQ(doc.content().reason, "too-little-text");
    EXPECT_NE(words(doc).find("one"), std::string::npos) << "the whole page is read";
}

// A stress mark (U+0301) in a UTF-8 page or stop-word file stays inside its word: "Приве́т" is
// counted as the word "Привет", not as "Приве" and "т", and a stressed stop word matches it.
TEST(Document, AStressMarkKeepsItsWordWholeInPagesAndStopWords) {
    const AnalysisRequest page{{"<html><body><p>Приве\u0301т, мир. Приве\u0301т!</p></body></html>"}};
    const std::string word(u8"Привет"_cp);
    auto entry = [](const Document& doc, const std::string& text) -> const ListEntry<WordDescription>* {
        for (const auto& e : doc.analysis().slWordFull) {
            if (e.text == text) return &e;
        }
        return nullptr;
    };
    Document doc;
    ASSERT_TRUE(Analyse(doc, page));
    const auto* found = entry(doc, word);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->desc.count, 2);
    EXPECT_FALSE(wordcode::isIgnored(found->desc.code));
    EXPECT_EQ(entry(doc, std::string(u8"Приве"_cp)), nullptr);
    EXPECT_EQ(entry(doc, "\xF2"), nullptr);  // "т"

    SetStopWords(doc, settings::ParseStopWords("при\u0301вет\r\n"));
    ASSERT_TRUE(Analyse(doc, page));
    found = entry(doc, word);
    ASSERT_NE(found, nullptr);
    EXPECT_TRUE(wordcode::isIgnored(found->desc.code)) << "the stressed stop word matches";
}
