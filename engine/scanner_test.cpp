#include "engine/scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/cp1251.h"
#include "engine/pagesource.h"
#include "engine/test_analysis.h"
#include "engine/wordcode.h"

namespace {

TEST(TagHash, IgnoresCaseAndAttributes) {
    EXPECT_EQ(TagHashOf("<b>"), 1026u);
    EXPECT_EQ(TagHashOf("<B class=x>"), 1026u);
    EXPECT_EQ(TagHashOf("</Title>"), 256436533u);
    EXPECT_EQ(TagHashOf("<head>"), 4245844u);
    EXPECT_EQ(TagHashOf("<select>"), 24775108u);
    EXPECT_NE(TagHashOf("<br/>"), TagHashOf("<br>")) << "the slash is part of the hash";
}

TEST(TagHash, PlainInlineTagsAreNoneOfTheTagsTheAnalysisKnows) {
    // A hash shared with a tag the scanner or the sentence list acts on would take that tag's part.
    constexpr std::string_view kKnown[] = {
        "<head",   "</head",  "<body",    "</body", "</html",  "<title",   "</title", "<script",  "</script", "<style",
        "</style", "<applet", "</applet", "<form",  "</form",  "<b",       "</b",     "<i",       "</i",      "<u",
        "</u",     "<a",      "</a",      "<nobr",  "</nobr",  "<font",    "</font",  "<pre",     "</pre",    "<h1",
        "</h1",    "<h2",     "</h2",     "<h3",    "</h3",    "<p",       "</p",     "<tr",      "</tr",     "<td",
        "</td",    "<table",  "</table",  "<tbody", "</tbody", "</center", "<select", "</select", "<img",     "<meta",
        "<option", "<strong", "</strong", "<em",    "</em",    "<div",     "<br",     "<li",      "<img/",    "<br/",
    };
    for (std::string_view tag : kKnown) EXPECT_FALSE(taghash::IsPlainInline(TagHashOf(tag))) << tag;
    for (std::string_view name : taghash::kPlainInlineElements) {
        EXPECT_TRUE(taghash::IsPlainInline(TagHashOf("<" + std::string(name) + " class=x>"))) << name;
        EXPECT_TRUE(taghash::IsPlainInline(TagHashOf("</" + std::string(name) + ">"))) << name;
        EXPECT_TRUE(taghash::IsPlainInline(TagHashOf("<" + std::string(name) + ">")))
            << name;  // upper-cased by the hash
    }
    EXPECT_TRUE(taghash::IsPlainInline(TagHashOf("<WBR/>")));
}

TEST(Scanner, InlineElementsAreInlineTagsInTheMarkupStream) {
    struct Case {
        std::string_view tag;
        std::int32_t marker;
    };
    std::vector<Case> cases = {{"b", token::kInlineTag},  {"strong", token::kInlineTag},
                               {"em", token::kInlineTag}, {"div", token::kBlockTag},
                               {"li", token::kBlockTag},  {"blockquote", token::kBlockTag},
                               {"img", token::kBlockTag}, {"unknown", token::kBlockTag}};
    for (std::string_view name : taghash::kPlainInlineElements) cases.push_back({name, token::kInlineTag});
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.tag));
        const std::string tag(c.tag);
        Analysed a = Analyse(Page("<p>one <" + tag + " title=x>two</" + tag + "> three</p>"));
        // <html> <head> </head> <body> <p> one <tag> two </tag> three </p> ...
        ASSERT_GE(a.markup.size(), 10u);
        ASSERT_TRUE(a.markup[5].isWord());
        EXPECT_EQ(a.markup[6].first, c.marker);
        EXPECT_EQ(a.markup[8].first, c.marker);
    }
}

TEST(Scanner, StrongAndEmWeighAsBoldAndItalic) {
    const Coefficients k;
    struct Case {
        std::string_view body;  // around the words "один" and "два"
        double one;             // the weight of "один"
        double two;             // the weight of "два"
    };
    const Case cases[] = {
        {"<strong>один</strong> два", k.koefB, 1},
        {"<em>один</em> два", k.koefI, 1},
        {"<strong><em>один</em></strong> два", k.koefB * k.koefI, 1},
        {"<b><strong>один</strong></b> два", k.koefB, 1},          // bold once, not twice
        {"<strong>один <b>x</b> два</strong>", k.koefB, k.koefB},  // each element ends at its own closing tag
        {"<i>один <em>x</em> два</i>", k.koefI, k.koefI},
        {"<strong>один<h1>два</h1></strong>", k.koefB, k.koefH1},  // a heading ends bold text
        {"<strong>один</strong><p>два</p>", k.koefB, 1},
        {"<span>один</span> <code>два</code>", 1, 1},  // plain inline elements weigh nothing
        {"<b>один <span>x</span> два</b>", k.koefB, k.koefB},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.body));
        Analysed a = Analyse(Page(cp1251::fromUtf8Strict(c.body).value()));
        ASSERT_NE(a.word(u8"один"_cp), nullptr);
        ASSERT_NE(a.word(u8"два"_cp), nullptr);
        EXPECT_DOUBLE_EQ(a.word(u8"один"_cp)->desc.weight, c.one);
        EXPECT_DOUBLE_EQ(a.word(u8"два"_cp)->desc.weight, c.two);
    }
}

TEST(Scanner, EveryTagEndsAPhrase) {
    Analysed a = Analyse(Page(u8"<b>слово</b> другое"_cp));
    EXPECT_EQ(a.phraseText(), u8"| слово | другое"_cp);
    EXPECT_EQ(a.exprEntries, 0);
    Coefficients k;
    EXPECT_DOUBLE_EQ(a.stem(u8"слов"_cp)->desc.weight, k.koefB);
    EXPECT_DOUBLE_EQ(a.stem(u8"друг"_cp)->desc.weight, 1.0);
}

TEST(Scanner, SkipsOneByteRunsTrailingTextScriptsAndTextOutsideTheBody) {
    EXPECT_TRUE(Analyse(Page(u8"<p>я</p>"_cp)).state.slWordFull.empty());
    EXPECT_TRUE(Analyse(u8"<html><body>текст без конца"_cp).state.slWordFull.empty());
    EXPECT_TRUE(Analyse(Page(u8"<script>var слово = 1;</script>"_cp)).state.slWordFull.empty());
    EXPECT_TRUE(Analyse(u8"<p>текст без головы и тела</p>"_cp).state.slWordFull.empty());
    EXPECT_EQ(Analyse(Page(u8"<p>один</p>"_cp)).state.slWordFull.size(), 1u);
}

TEST(Scanner, PeriodsInsideAbbreviationsNumbersAndHostNames) {
    Analysed a = Analyse(Page(u8"<p>и т.д. и т.п. и др. версия 2.5 и файл index.html</p>"_cp));
    EXPECT_EQ(a.phraseText(), u8"| и т.д. и т.п. и др. версия 2.5 и файл index.html"_cp);
    EXPECT_EQ(Analyse(Page(u8"<p>Москва.Россия</p>"_cp)).phraseText(), u8"| Москва . Россия"_cp);
}

TEST(Scanner, DashesHyphensAndDelimiters) {
    EXPECT_EQ(Analyse(Page(u8"<p>кто-то пришёл</p>"_cp)).phraseText(), u8"| кто-то пришёл"_cp);
    EXPECT_EQ(Analyse(Page(u8"<p>раз - два -три</p>"_cp)).phraseText(), u8"| раз - два - три"_cp);
    EXPECT_EQ(Analyse(Page(u8"<p>раз—два</p>"_cp)).phraseText(), u8"| раз—два"_cp);
    // A pending word before a dash with a space after it is entered, not lost.
    EXPECT_EQ(Analyse(Page(u8"<p>слово- другое</p>"_cp)).phraseText(), u8"| слово - другое"_cp);
    Analysed a = Analyse(Page(u8"<p>раз, два , три: (четыре)</p>"_cp));
    EXPECT_EQ(a.phraseText(), u8"| раз , два три : четыре )"_cp);
    EXPECT_EQ(a.markupText(), u8"<> <> <> <> <> раз , два , три : ( четыре ) <> <> <>"_cp);
}

TEST(Scanner, EntitiesOtherThanNbspAndAmpAreNotDecoded) {
    EXPECT_EQ(Analyse(Page("<p>say &quot;hello&quot;</p>")).phraseText(), "| say quot ; hello & quot ;");
}

TEST(Scanner, TitleIsKeptAndIsIndexedOnlyOnRequest) {
    std::string page = Page(u8"<p>текст</p>"_cp, u8"<title>Новости дня</title>"_cp);
    Analysed plain = Analyse(page);
    EXPECT_EQ(plain.state.title, u8"Новости дня"_cp);
    EXPECT_EQ(plain.stem(u8"новос"_cp), nullptr);
    Analysed indexed = Analyse(page, {.indexTitle = true});
    EXPECT_DOUBLE_EQ(indexed.stem(u8"новос"_cp)->desc.weight, Coefficients{}.koefName * Coefficients{}.koefTitle);
    EXPECT_EQ(Analyse(Page("<p>text</p>")).state.title, "");
}

TEST(Scanner, MetaDescriptionsAndKeywords) {
    Coefficients k;
    auto meta = [](std::string_view attrs) { return Page(u8"<p>текст</p>"_cp, "<meta " + std::string(attrs) + ">"); };
    Analysed a = Analyse(meta(u8"name=Keywords content=\"анализ страниц\""_cp), {.indexMeta = true});
    EXPECT_DOUBLE_EQ(a.stem(u8"анализ"_cp)->desc.weight, k.koefMeta);
    EXPECT_DOUBLE_EQ(a.stem(u8"страниц"_cp)->desc.weight, k.koefMeta);
    EXPECT_DOUBLE_EQ(a.stem(u8"текст"_cp)->desc.weight, 1.0) << "the meta factor returns to 1";
    EXPECT_EQ(Analyse(meta(u8"name=keywords content=\"анализ\""_cp)).stem(u8"анализ"_cp), nullptr);
    EXPECT_EQ(Analyse(meta(u8"name=author content=\"анализ страниц\""_cp), {.indexMeta = true}).stem(u8"анализ"_cp),
              nullptr);
    EXPECT_EQ(Analyse(meta(u8"name=keywords content=\"два\""_cp), {.indexMeta = true}).stem(u8"дв"_cp), nullptr);
}

TEST(Scanner, ImageDescriptionsTakeTheSurroundingFactors) {
    Coefficients k;
    Analysed a = Analyse(Page(u8"<b><img src=x.png alt=\"красный закат\"></b>"_cp), {.indexImgAlt = true});
    EXPECT_DOUBLE_EQ(a.stem(u8"красн"_cp)->desc.weight, k.koefImgAlt * k.koefB);
    Analysed quoted = Analyse(Page(u8"<img alt='красный закат'>"_cp), {.indexImgAlt = true});
    EXPECT_NE(quoted.word(u8"красный"_cp), nullptr);
    EXPECT_EQ(quoted.stem(u8"зак"_cp), nullptr) << "a single-quoted value ends at the next space";
    EXPECT_TRUE(Analyse(Page(u8"<img alt=\"красный закат\">"_cp)).state.slWordFull.empty());
}

TEST(Scanner, HeadingsResetInlineFactorsAndFactorsMultiply) {
    Coefficients k;
    Analysed a = Analyse(Page(u8"<b>жирный<h1>заголовок</h1></b><h2><b>важное</b></h2>"_cp));
    EXPECT_DOUBLE_EQ(a.stem(u8"заголовок"_cp)->desc.weight, k.koefH1);
    EXPECT_DOUBLE_EQ(a.stem(u8"важн"_cp)->desc.weight, k.koefH2 * k.koefB);
    Analysed n = Analyse(Page(u8"<h1>Москва</h1>"_cp));
    EXPECT_DOUBLE_EQ(n.stem(u8"москв"_cp)->desc.weight, k.koefName * k.koefH1);
}

TEST(Scanner, StopWordsCountButWeighNothing) {
    Analysed a = Analyse(Page(u8"<p>Дом и дом это дом</p>"_cp), {}, {u8"это"_cp});
    const auto* stem = a.stem(u8"дом"_cp);
    ASSERT_NE(stem, nullptr);
    EXPECT_EQ(stem->desc.count, 3);
    ASSERT_NE(a.word(u8"Дом"_cp), nullptr);
    EXPECT_EQ(a.word(u8"Дом"_cp)->desc.link, stem->desc.id);
    const auto* stop = a.word(u8"это"_cp);
    EXPECT_TRUE(wordcode::isIgnored(stop->desc.code));
    EXPECT_EQ(stop->desc.weight, 0);
    EXPECT_EQ(stop->desc.count, 1);
    EXPECT_DOUBLE_EQ(a.state.wfTotals.totalCount, 5);
    EXPECT_DOUBLE_EQ(a.state.wfTotals.countedCount, 3) << "и (too short) and это (stop word) are not counted";
}

TEST(Scanner, MarkupStreamRecordsTagsWithMarkersAndHashes) {
    Analysed a = Analyse(Page(u8"<p>один <b>два</b></p>"_cp));
    ASSERT_GE(a.markup.size(), 6u);
    EXPECT_EQ(a.markup[4].first, token::kBlockTag);  // <p>
    EXPECT_EQ(a.markup[4].start, static_cast<std::int32_t>(TagHashOf("<p")));
    EXPECT_EQ(a.markup[6].first, token::kInlineTag);  // <b>
    EXPECT_EQ(a.markup[6].start, 1026);
}

TEST(Scanner, VeryLongWordsAreCut) {
    std::string page = Page("<p>" + std::string(5000, 'x') + " end</p>");
    Analysed a = Analyse(page);
    EXPECT_NE(a.word(std::string(1023, 'x')), nullptr);
}

TEST(Analysis, PageWithoutMarkupKeepsThePreviousResults) {
    Analysed a = Analyse(Page(u8"<p>первый текст</p>"_cp, "<title>Tt</title>"));
    a.state.sourceText = u8"просто текст без разметки"_cp;
    RunReport report = RunAnalysis(a.state);
    EXPECT_EQ(report.status, ScanStatus::kNoMarkup);
    EXPECT_EQ(a.state.slWordFull.size(), 2u);
    EXPECT_EQ(a.state.title, "Tt");
    EXPECT_TRUE(a.state.sourceText.empty()) << "the source is released";
}

TEST(Analysis, ConvertsKoi8PagesBeforeScanning) {
    // "<p>привет мир</p>" in KOI8-R: the small letters live at 0xC0-0xDF.
    std::string page = "<html><body><p>\xD0\xD2\xC9\xD7\xC5\xD4 \xCD\xC9\xD2</p></body></html>";
    Analysed a = Analyse(page);
    EXPECT_EQ(a.state.charsetIndex, Charset::kKoi8r);
    EXPECT_NE(a.word(u8"привет"_cp), nullptr);
}

// A page read from UTF-8 is Windows-1251 text: more capitals than small letters, which in a
// single-byte page point to KOI8-R, neither convert its words nor name its encoding so.
TEST(Analysis, APageReadFromUtf8IsNeverTakenForKoi8) {
    const PageText read = ReadSavedPart("<html><body><p>ГОСТ НАСА МКС РФ и</p></body></html>", CharsetChoice::kAuto);
    ASSERT_TRUE(read.fromUtf8);
    AnalysisState state;
    state.sourceText = read.text;
    state.sourceFromUtf8 = true;
    RunAnalysis(state);
    EXPECT_EQ(state.charsetIndex, Charset::kWindows1251);
    EXPECT_EQ(state.pageEncoding, CharsetChoice::kUtf8);
    EXPECT_TRUE(std::ranges::any_of(state.slWordFull, [](const auto& e) { return e.text == u8"НАСА"_cp; }));
}

// A byte-order mark before a single-byte page is dropped, and the page read by the charset rule.
TEST(Pagesource, AStrayByteOrderMarkLeavesASingleBytePageAsItIs) {
    const std::string dom(u8"<p>Дом</p>"_cp);
    EXPECT_EQ(ToSingleByte("\xEF\xBB\xBF" + dom), dom);
    const PageText page = ReadSavedPart("\xEF\xBB\xBF" + dom, CharsetChoice::kAuto);
    EXPECT_EQ(page.text, dom + "\r\n");
    EXPECT_FALSE(page.fromUtf8);
}

}  // namespace
