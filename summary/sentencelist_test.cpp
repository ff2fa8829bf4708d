#include "summary/sentencelist.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "engine/analysis.h"
#include "engine/test_analysis.h"
#include "settings/locale_for_tests.h"

namespace {

using ::testing::ElementsAre;

std::int32_t tagHash(std::string_view tag) { return static_cast<std::int32_t>(TagHashOf(tag)); }

// A markup stream from a UTF-8 description of space-separated tokens: "<p>" a tag (inline for
// a, b, i), a single delimiter a break, anything else a word; "кот@2" makes that word's stem
// weigh 2 (default 1; every distinct word is its own stem).
struct TestDoc {
    TTxtIdxIndex markup;
    TVocIndex stems;
    std::string text;

    explicit TestDoc(std::string_view description) {
        static const std::string delimiters = cp1251::fromUtf8Strict(".?!,:;()\"/-«»").value();
        static const std::string inlineTags = "<a> </a> <b> </b> <i> </i>";
        std::string rest = cp1251::fromUtf8Strict(description).value() + " ";
        for (std::size_t at = 0, end; (end = rest.find(' ', at)) != std::string::npos; at = end + 1) {
            std::string_view t = std::string_view(rest).substr(at, end - at);
            if (t.empty()) continue;
            if (t.size() > 2 && t.front() == '<') {
                bool isInline = inlineTags.find(t) != std::string::npos;
                markup.Push(isInline ? token::kInlineTag : token::kBlockTag, tagHash(t), 0, token::kTagKind);
            } else if (t.size() == 1 && delimiters.find(t[0]) != std::string::npos) {
                markup.Push(static_cast<signed char>(t[0]), 0, 0, token::kBreakKind);
            } else {
                std::string_view word = t.substr(0, t.find('@'));
                double weight = word.size() < t.size() ? std::atof(std::string(t.substr(word.size() + 1)).c_str()) : 1;
                std::int32_t stem = stems.Find(word) >= 0 ? stems.Find(word) : stems.Add(word, weight, 0, 0);
                markup.Push(stem, static_cast<std::int32_t>(text.size()), static_cast<std::int32_t>(word.size()), 0);
                text.append(word).append(" ");
            }
        }
    }
};

ListModel build(std::string_view description, double wfTotalCount = 0) {
    TestDoc doc(description);
    ListModel list;
    BuildSentenceList(list, doc.markup, doc.stems, doc.text, wfTotalCount, ',');
    return list;
}

// The sentence list of a page body (UTF-8) as the program builds it: from the tables of a real analysis.
ListModel analysed(std::string_view body) {
    AnalysisState state;
    state.sourceText = Page(cp1251::fromUtf8Strict(body).value());
    ListModel list;
    RunAnalysis(state, [&](const RunTables& tables, std::string_view text) {
        BuildSentenceList(list, tables.markup, tables.stems, text, state.wfTotals.totalCount, ',');
    });
    return list;
}

// Every cell of display row r, as UTF-8.
std::vector<std::string> cells(const ListModel& list, std::size_t r = 0) {
    std::vector<std::string> out;
    for (const std::string& cell : list.row(r).cells) out.push_back(cp1251::toUtf8(cell));
    return out;
}

// One column of every row, as UTF-8.
std::vector<std::string> column(const ListModel& list, unsigned k = sentencecol::kText) {
    std::vector<std::string> out;
    for (std::size_t r = 0; r < list.rows.size(); ++r) out.push_back(cp1251::toUtf8(list.cell(r, k)));
    return out;
}

TEST(SentenceList, ColumnCaptions) {
    std::vector<std::string> captions;
    for (const ListColumn& c : SentenceListColumns()) captions.push_back(cp1251::toUtf8(c.caption));
    EXPECT_THAT(captions, ElementsAre("Предложение", "Вес", "ВСА", "Порядок", "Заголовок", "ЧС", "М"));
}

TEST(SentenceList, RowCellsAndStatus) {
    EXPECT_EQ(static_cast<std::uint32_t>(tagHash("<option>")), taghash::kOption);  // the stream the tests make
    // A repeated word adds its stem's weight again; a zero-weight word still counts as a word.
    ListModel list = build("<p> кот@2 и@0 кот . </p>", 12);
    ASSERT_EQ(list.rows.size(), 1u);
    EXPECT_THAT(cells(list), ElementsAre("кот и кот.", "4,00", "1,33", "0", "", "3", ""));
    EXPECT_EQ(list.sortColumn, sentencecol::kOrder);
    EXPECT_EQ(cp1251::toUtf8(list.status.value()), "Слов: 3 / 12 = 25,00%");
}

TEST(SentenceList, DelimitersStandAloneExceptBracketsAndQuotes) {
    // The text of these streams holds the words alone, so no dash is seen between spaces.
    ListModel list = build(
        "<p> один , два . раз - два . раз ( два ) три . книга « Война » вышла . он \" да \" сказал . "
        "ну : да ; нет / так . раз <b> два </b> , три . <i> <a> четыре </a> </i> пять ! </p>");
    EXPECT_THAT(column(list), ElementsAre("один, два.", "раз-два.", "раз (два) три.", "книга «Война» вышла.",
                                          "он \" да \" сказал.", "ну: да; нет/так.", "раз два , три.", "четыре пять!"));
}

TEST(SentenceList, SpacesAfterPunctuationAndAroundSpacedDashes) {
    struct Case {
        const char* page;  // one paragraph
        const char* text;  // its first sentence
    };
    const Case cases[] = {
        {"один, два.", "один, два."},
        {"да: нет; может.", "да: нет; может."},
        {"раз - два три.", "раз - два три."},
        {"раз – два три.", "раз – два три."},  // en dash
        {"раз — два три.", "раз — два три."},  // the em dash is read as a word
        {"раз-два три.", "раз-два три."},
        {"веб-страница и стоп-слова.", "веб-страница и стоп-слова."},
        {"раз -два и три- четыре.", "раз-два и три-четыре."},  // a dash touching a word stays joined
        {"раз (два) три.", "раз (два) три."},
        {"он сказал «да,» и (нет,) ушёл.", "он сказал «да,» и (нет,) ушёл."},
        {"один, (два) и «три» тоже.", "один, (два) и «три» тоже."},
        {"раз, - два; - три.", "раз, - два; - три."},
        {"числа 3,14 и 10:30 здесь.", "числа 3,14 и 10:30 здесь."},
        {"один, два,.", "один, два,."},
        {"<b>Жирный</b> - обычный, <i>курсив</i> тут.", "Жирный - обычный, курсив тут."},
        {"раз - (два) три.", "раз - (два) три."},
        {"раз - <b>два</b> три.", "раз - два три."},                        // found from the word before it
        {"раз ,,,,,,,,, - ,,,,,,,,, два.", "раз,,,,,,,,,-,,,,,,,,, два."},  // too far from a word to be placed
    };
    for (const Case& c : cases) {
        std::vector<std::string> texts = column(analysed(std::string("<p>") + c.page + "</p>"));
        ASSERT_FALSE(texts.empty()) << c.page;
        EXPECT_EQ(texts.front(), c.text) << c.page;
    }
}

TEST(SentenceList, InlineElementsDoNotCutSentences) {
    struct Case {
        std::string page;  // one paragraph
        const char* text;  // its first sentence
    };
    std::vector<Case> cases = {
        {"Серый <strong>волк</strong> живёт в лесу.", "Серый волк живёт в лесу."},
        {"Серый <em>волк</em> живёт в лесу.", "Серый волк живёт в лесу."},
        {"Серый <span class=x><small>волк</small></span> живёт в лесу.", "Серый волк живёт в лесу."},
        {"Нажмите <SPAN>Ctrl</SPAN>, затем <wbr/>клавишу.", "Нажмите Ctrl , затем клавишу."},
        {"Серый <div>волк</div> живёт в лесу.", "живёт в лесу."},  // a block element still cuts
    };
    for (std::string_view name : taghash::kPlainInlineElements) {
        const std::string tag(name);
        cases.push_back({"Серый <" + tag + ">волк</" + tag + "> живёт в лесу.", "Серый волк живёт в лесу."});
    }
    for (const Case& c : cases) {
        std::vector<std::string> texts = column(analysed("<p>" + c.page + "</p>"));
        ASSERT_FALSE(texts.empty()) << c.page;
        EXPECT_EQ(texts.front(), c.text) << c.page;
    }
}

// A sentence starts at its first visible character, whatever stood before it: the space kept
// before a bracket or quote, a tab or a no-break space the page's first word kept. Inside, the text
// stays as it was.
TEST(SentenceList, ASentenceStartsAtItsFirstVisibleCharacter) {
    struct Case {
        const char* page;  // one paragraph
        const char* text;  // its sentences
        const char* second = nullptr;
    };
    const Case cases[] = {
        {"\tСерый волк живёт в лесу.", "Серый волк живёт в лесу."},
        {"\t\tСерый\tволк живёт.", "Серый\tволк живёт."},
        {"\xC2\xA0Серый волк живёт.", "Серый волк живёт."},  // a no-break space, read from UTF-8
        {"Волк живёт. (Серый волк) живёт в лесу.", "Волк живёт.", "(Серый волк) живёт в лесу."},
        {"Волк живёт. «Серый волк» живёт.", "Волк живёт.", "«Серый волк» живёт."},
        {"Волк живёт. <b>\tСерый</b> волк живёт.", "Волк живёт.", "Серый волк живёт."},
    };
    for (const Case& c : cases) {
        std::vector<std::string> texts = column(analysed(std::string("<p>") + c.page + "</p>"));
        std::vector<std::string> expected = {c.text};
        if (c.second) expected.push_back(c.second);
        EXPECT_EQ(texts, expected) << c.page;
    }
}

TEST(SentenceList, ABlockWhollyInStrongOrBoldIsABoldHeading) {
    struct Case {
        const char* page;  // one paragraph
        const char* mark;  // the heading mark of its row, or "none" when it has no row
    };
    const Case cases[] = {
        {"<strong>Жирный текст</strong>", "B"},
        {"<b>Жирный текст</b>", "B"},
        {"<span><b>Жирный текст</b></span>", "B"},
        {"<strong>Жирный <code>код</code> текст</strong>", "B"},
        {"<span class=x><strong>Жирный текст</strong></span> ", "B"},
        {"<em>Курсивный текст</em>", "none"},
        {"<strong>Жирный</strong> <span>текст</span>", "none"},
        {"<span>Обычный</span> <strong>текст</strong>", "none"},
        {"<strong>Жирный <i>курсив</i></strong>", "none"},
        {"<span>Обычный текст</span>", "none"},
    };
    for (const Case& c : cases) {
        ListModel list = analysed(std::string("<p>") + c.page + "</p><p>Второй абзац текста.</p>");
        std::vector<std::string> marks = column(list, sentencecol::kHeading);
        const std::string mark = marks.size() == 2 ? marks.front() : "none";
        EXPECT_EQ(mark, c.mark) << c.page;
    }
}

TEST(SentenceList, APageOfDashesIsReadInLinearTime) {
    std::string page = "<p>";
    for (int k = 0; k < 200000; ++k) page += " -";
    page += " один два.</p>";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(analysed(page).rows.size(), 1u);
    // Were each dash to walk to the nearest word, this page would take minutes.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(SentenceList, DelimiterSpacingLeavesTheOtherColumnsAlone) {
    // Commas, colons, semicolons, spaced and joining dashes, brackets and quotes: however their
    // spaces are written, the rows listed and their numbers and marks are those of the words alone.
    ListModel list = analysed(
        "<h1>Раз - два, три</h1><p>Например, слова дом, дома и домами дают одну словооснову - так работает "
        "стеммер. Веб-страница (её текст) читается: слова, «кавычки» и \"цитаты\"; числа 3,14 и 10:30 – тоже. "
        "Он сказал «да,» и ушёл — быстро. <b>Жирный</b>, обычный -текст и текст- дальше, (скобки,) конец,.</p>"
        "<h2>Итог: всё, что нужно</h2><p><b>Жирный - блок</b></p>");
    std::vector<std::string> rows;
    for (std::size_t r = 0; r < list.rows.size(); ++r) {
        std::string row;
        for (unsigned k = sentencecol::kWeight; k < sentencecol::kCount; ++k) row += list.cell(r, k) + "|";
        rows.push_back(row);
    }
    // Вес|ВСА|Порядок|Заголовок|ЧС|М
    EXPECT_THAT(rows, ElementsAre("32,00|10,67|0|H1|3||", "18,20|1,52|1||12||", "11,20|0,75|2||15||",
                                  "5,20|0,74|3||7||", "14,80|1,85|4||8||", "21,00|5,25|5|H2|4||", "6,80|3,40|6|B|2||"));
}

TEST(SentenceList, ListsSentencesOfTwoWordsWithWeightAndDropsTheTail) {
    ListModel list = build("<p> Стоп ! и@0 в@0 . Один два ? Хвост без точки </p> <p> Второй абзац . </p>");
    EXPECT_THAT(column(list), ElementsAre("Один два?", "Второй абзац."));
    EXPECT_THAT(column(list, sentencecol::kOrder), ElementsAre("0", "1"));
}

TEST(SentenceList, HeadingBlocksWithoutSentenceEnd) {
    ListModel list = build(
        "<h1> Заголовок </h1> <h2> Второй уровень </h2> <h3> Третий уровень </h3> <h1> <b> Жирный заголовок </b> </h1> "
        "<h2> Точка в конце . </h2> <h2> Одно . </h2> <h1> Не закрыт </h2> <h2> Пустой@0 </h2> "
        "<p> <b> Жирный текст </b> </p> <p> <b> Жирное </b> слово </p> <p> <b> Одно </b> </p> "
        "<p> <b> Жирный <i> курсив </i> </b> </p> <h1> Без конца");
    EXPECT_THAT(column(list), ElementsAre("Заголовок", "Второй уровень", "Третий уровень", "Жирный заголовок ",
                                          "Точка в конце.", "Жирный текст "));
    EXPECT_THAT(column(list, sentencecol::kHeading), ElementsAre("H1", "H2", "H3", "H1", "", "B"));
}

TEST(SentenceList, OptionItemsAndStreamEdges) {
    EXPECT_THAT(
        column(build("<select> <option> Пункт первый . <option> Пункт второй . </select> <p> Пункт три . </p>")),
        ElementsAre("Пункт три."));
    EXPECT_TRUE(column(build("")).empty());
    // The first block of a stream has no record before it: neither sentence nor heading.
    EXPECT_THAT(column(build("Один два . <p> Три четыре .")), ElementsAre("Три четыре."));
    EXPECT_TRUE(column(build("Без начала </h1>")).empty());
    EXPECT_THAT(column(build("<p> <b> Жирный текст </b>"), sentencecol::kHeading), ElementsAre("B"));
}

TEST(SentenceList, WordRecordsOutsideTheTablesAddNothing) {
    TestDoc doc("один два");
    TTxtIdxIndex markup;
    markup.Push(token::kBlockTag, 1040, 0, token::kTagKind);
    markup.Push(0, 0, 4, 0);
    markup.Push(999, 1000, 3, 0);  // unknown stem, text past the end
    markup.Push(1, 5, 100, 0);     // text running past the end is cut
    markup.Push('.', 0, 0, token::kBreakKind);
    ListModel list;
    list.status = "old";
    BuildSentenceList(list, markup, doc.stems, doc.text, 0, ',');
    ASSERT_EQ(list.rows.size(), 1u);
    // The unknown word adds no text; the cut one its bytes up to the end ("два ").
    EXPECT_THAT(cells(list), ElementsAre("один  два .", "2,00", "0,67", "0", "", "3", ""));
    EXPECT_EQ(list.status, "old");  // no word count: the status is kept
}

TEST(SentenceList, ColumnClicksSortByTheirKeys) {
    // weights 2, 10, 4, 1, 12; headings "", H2, B, H1, ""; words 2, 2, 2, 1, 4; row 3 marked
    const struct {
        unsigned column;
        std::vector<std::string> order;
    } cases[] = {
        {sentencecol::kWeight, {"4", "1", "2", "0", "3"}}, {sentencecol::kAvgWeight, {"1", "4", "2", "0", "3"}},
        {sentencecol::kOrder, {"0", "1", "2", "3", "4"}},  {sentencecol::kHeading, {"3", "1", "2", "0", "4"}},
        {sentencecol::kWords, {"4", "0", "1", "2", "3"}},  {sentencecol::kText, {"2", "0", "1", "3", "4"}},
        {sentencecol::kMark, {"3", "0", "1", "2", "4"}},   {42, {"0", "1", "2", "3", "4"}},  // no such column
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.column);
        ListModel list = build(
            "<p> бе@1 бе . </p> <h2> вв@5 вв </h2> <p> <b> аа@2 аа </b> </p> <h1> гг@1 </h1> <p> дд@3 дд дд дд . </p>");
        ASSERT_TRUE(list.setCell(3, sentencecol::kMark, std::string(u8"•"_cp)));
        ClickSentenceColumn(
            list, c.column, [](std::string_view a, std::string_view b) { return a.compare(b); }, ',');
        EXPECT_EQ(column(list, sentencecol::kOrder), c.order);  // ties keep the document order
        EXPECT_EQ(list.sortColumn, c.column == 42 ? sentencecol::kOrder : c.column);
    }
}

TEST(SentenceList, TextColumnSortsByTheRussianCollation) {
    // The collation is read once per process, so the locale is set before the first call.
    if (!settings::testutil::russianLocaleAvailable()) GTEST_SKIP() << "ru_RU.UTF-8 can be neither found nor made";
    settings::testutil::ScopedLocale russian(settings::testutil::kRussianLocale);
    ListModel list = build(
        "<p> Дым идёт . </p> <p> дом стоит . </p> <p> жук ползёт . </p> <p> ёж бежит . </p> "
        "<p> zebra runs . </p> <p> Дом стоит . </p>");
    ClickSentenceColumn(list, sentencecol::kText, sorting::LocaleTextCompare(), ',');
    // Code-point order would put every capital before the small letters, and "ё" after "я".
    EXPECT_THAT(column(list),
                ElementsAre("zebra runs.", "дом стоит.", "Дом стоит.", "Дым идёт.", "ёж бежит.", "жук ползёт."));
}

TEST(SentenceList, EditedTextsAndMarksAreKeptPerRow) {
    ListModel list = build("<p> кот@2 и кот . </p> <h2> пёс@1 пёс </h2> <p> дом@3 дом . </p>");
    ASSERT_EQ(list.rows.size(), 3u);
    EXPECT_THAT(column(list, sentencecol::kHeading), ElementsAre("", "H2", ""));

    // Edits follow the row through a re-sort; the other rows keep their texts.
    EXPECT_TRUE(list.setCell(0, sentencecol::kText, std::string(u8"исправлено"_cp)));
    ClickSentenceColumn(list, sentencecol::kWeight, {}, ',');
    EXPECT_THAT(column(list), ElementsAre("дом дом.", "исправлено", "пёс пёс"));
    EXPECT_TRUE(list.setCell(2, sentencecol::kMark, "x"));
    EXPECT_THAT(column(list, sentencecol::kMark), ElementsAre("", "", "•")) << "any mark reads as the bullet";
    EXPECT_TRUE(list.setCell(2, sentencecol::kMark, ""));
    EXPECT_THAT(column(list, sentencecol::kMark), ElementsAre("", "", ""));
}

TEST(SentenceList, ComputedCellsCannotBeEditedAndEditsSurviveTheSortBack) {
    ListModel list = build("<p> кот@2 и кот . </p> <h2> пёс@1 пёс </h2> <p> дом@3 дом . </p>");
    EXPECT_TRUE(list.setCell(0, sentencecol::kText, std::string(u8"исправлено"_cp)));
    ClickSentenceColumn(list, sentencecol::kWeight, {}, ',');
    EXPECT_FALSE(list.setCell(0, sentencecol::kWeight, "9,00"));
    EXPECT_FALSE(list.setCell(0, sentencecol::kOrder, "7"));
    RestoreDocumentOrder(list);
    EXPECT_THAT(column(list, sentencecol::kOrder), ElementsAre("0", "1", "2"));
    EXPECT_THAT(column(list), ElementsAre("исправлено", "пёс пёс", "дом дом."));
}

}  // namespace
