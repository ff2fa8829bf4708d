#include "maintext/maintext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "maintext/htmltree.h"

namespace {

using maintext::ExtractMainText;
using maintext::Reason;
using Texts = std::vector<std::string>;

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The pages of testdata/ are Windows-1251 files shaped as today's Russian sites; each is read as
// the product reads it, with the encoding named.
TEST(MainText, KeepsTheArticleAndDropsTheTemplate) {
    const struct {
        const char* file;
        Reason reason;
        Texts kept;
        Texts dropped;
    } cases[] = {
        {"news_sidebar.html",
         Reason::kFound,
         {"Набережную отремонтируют к осени", "работы начнутся весной", "Мнения жителей", "опасаются шума"},
         {"Главная", "Поделиться", "Читайте также", "Мост закроют", "Популярное", "Курс рубля", "Все права", "скрипт"}},
        {"blog_comments.html",
         Reason::kFound,
         {"Как мы поднимались на Эльбрус", "в два часа ночи", "косой полки", "начали спуск"},
         {"Комментарии", "Отличный рассказ", "какую обувь", "Отправить", "О компании"}},
        {"shop_product.html",
         Reason::kFound,
         {"закалённого стекла", "съёмный фильтр", "2200 ватт"},
         {"Кухонная техника", "Добавить в корзину", "С этим товаром", "Набор кружек", "Контакты"}},
        {"forum_thread.html",
         Reason::kFound,
         {"Подскажите, как часто", "семь тысяч километров", "раз в полгода"},
         {"Автомобили", "Следующая страница", "Политика конфиденциальности"}},
        {"cookie_banner.html",
         Reason::kFound,
         {"русского авангарда", "двухсот работ", "бесплатные экскурсии"},
         {"cookie", "Принять все", "Настройки конфиденциальности", "Скрытый блок", "Иконка-стрелка", "Подпишитесь"}},
        {"article_body.html",
         Reason::kFound,
         {"яркий экран", "из алюминия", "Итог: за свои деньги"},
         {"Кредит на любые цели", "смартфоны", "Самое читаемое", "наушников"}},
        {"table_layout.html",
         Reason::kFound,
         {"История села Покровское", "писцовых книгах", "каменную церковь"},
         {"Гостевая книга", "Фотоальбом", "Карта сайта"}},
        {"scripts_styles.html",
         Reason::kFound,
         {"Борщ по-домашнему", "томатной пастой", "Сварите бульон", "дайте настояться"},
         {"JavaScript", "Шаблон карточки", "Невидимый текст", "Текст из скрипта"}},
        {"jsonld_only.html",
         Reason::kFound,
         {"Новый мост через реку", "сообщили в администрации"},
         {"Главная", "Все права"}},
        {"links_only.html", Reason::kTooLittleText, {}, {}},
        {"frameset.html", Reason::kFrameset, {}, {}},
        {"gallery.html", Reason::kTooLittleText, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string bytes = readFile(std::filesystem::path(MAINTEXT_TESTDATA) / c.file);
        ASSERT_FALSE(bytes.empty());
        const maintext::Result r = ExtractMainText(bytes, "windows-1251");
        EXPECT_EQ(r.reason, c.reason) << maintext::ReasonName(r.reason);
        EXPECT_EQ(r.found, c.reason == Reason::kFound);
        if (!r.found) {
            EXPECT_TRUE(r.text.empty() && r.markup.empty() && r.blockPaths.empty());
            continue;
        }
        for (const auto& k : c.kept) EXPECT_TRUE(has(r.text, k)) << "missing: " << k;
        for (const auto& d : c.dropped) EXPECT_FALSE(has(r.text, d)) << "kept: " << d;
    }
}

TEST(MainText, MarkupKeepsWeightedTagsInTheInputEncoding) {
    const std::string bytes = readFile(std::filesystem::path(MAINTEXT_TESTDATA) / "news_sidebar.html");
    const maintext::Result r = ExtractMainText(bytes, "windows-1251");
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.encoding, "windows-1251");
    // "Ремонт набережной" and "Мнения жителей" in Windows-1251.
    EXPECT_TRUE(has(r.markup, "<title>\xD0\xE5\xEC\xEE\xED\xF2 \xED\xE0\xE1\xE5\xF0\xE5\xE6\xED\xEE\xE9</title>"));
    EXPECT_TRUE(has(r.markup, "<meta name=\"description\" content=\"\xD0\xE5\xEC\xEE\xED\xF2"));
    EXPECT_TRUE(has(r.markup, "<h2>\xCC\xED\xE5\xED\xE8\xFF \xE6\xE8\xF2\xE5\xEB\xE5\xE9</h2>"));
    EXPECT_TRUE(has(r.markup, "<h1>"));
    EXPECT_TRUE(has(r.markup, "<p>"));
    for (const char* gone : {"<script", "<style", "<nav", "<aside", "<footer", "class="}) {
        EXPECT_FALSE(has(r.markup, gone)) << gone;
    }
    EXPECT_EQ(r.markup.rfind("<html><head>", 0), 0u);
    EXPECT_TRUE(has(r.markup, "</head><body>"));
    EXPECT_TRUE(r.markup.ends_with("</body></html>"));
}

TEST(MainText, CharactersTheEncodingLacksBecomeReferences) {
    // U+2713 has no Windows-1251 byte; the page holds it as a reference, the text as UTF-8.
    const std::string bytes = readFile(std::filesystem::path(MAINTEXT_TESTDATA) / "article_body.html");
    const maintext::Result r = ExtractMainText(bytes, "windows-1251");
    ASSERT_TRUE(r.found);
    EXPECT_TRUE(has(r.markup, "&#10003;"));
    EXPECT_TRUE(has(r.text, "\xE2\x9C\x93"));
}

const std::string kProse =
    "<p>Первый абзац статьи, в котором достаточно слов, запятых и точек, чтобы он читался как текст.</p>"
    "<p>Второй абзац статьи продолжает мысль, приводит пример и заканчивается точкой, как положено.</p>";

// A short line beside the text, so that the text's own block is chosen rather than its wrapper.
const std::string kBeside = "<div>Подвал раздела</div>";

// A body holding `page` whose main text keeps every text of `kept` and none of `dropped`.
struct ContentCase {
    const char* name;
    std::string page;
    Texts kept;
    Texts dropped;
};

void expectContent(std::span<const ContentCase> cases) {
    for (const ContentCase& c : cases) {
        SCOPED_TRACE(c.name);
        const maintext::Result r = ExtractMainText("<body>" + c.page + "</body>", "UTF-8");
        ASSERT_TRUE(r.found) << maintext::ReasonName(r.reason);
        for (const auto& k : c.kept) EXPECT_TRUE(has(r.text, k)) << "missing: " << k;
        for (const auto& d : c.dropped) EXPECT_FALSE(has(r.text, d)) << "kept: " << d;
    }
}

// Short lines at the content's end or over a dropped block are template; a block of sentences
// beside the text is text.
TEST(MainText, EdgesAndNeighboursOfTheContent) {
    const std::string list = "<ul><li><a href=/1>Мост закроют в мае</a></li><li><a href=/2>Липы в парке</a></li></ul>";
    const std::string more = "<p>Третий абзац статьи тоже длинный, в нём есть запятые, и он заканчивается точкой.</p>";
    const std::string note =
        "<p>Заметка из одного абзаца, в которой меньше ста двадцати знаков текста, но вместе с подписью их "
        "хватает.</p>";
    const ContentCase cases[] = {
        {"a short last line", "<div>" + kProse + "<p>Теги: город</p></div>" + kBeside, {"Второй абзац"}, {"Теги"}},
        {"a last sentence", "<div>" + kProse + "<p>Конец.</p></div>" + kBeside, {"Конец."}, {}},
        {"a line over links",
         "<div>" + kProse + "<p>Читайте также</p>" + list + more + "</div>" + kBeside,
         {"Третий абзац"},
         {"Читайте также", "Мост закроют"}},
        {"too little left",
         "<div>" + note + "<p>Иван Петров, наш корреспондент</p></div>" + kBeside,
         {"Иван Петров"},
         {}},
        {"sentences beside",
         "<div><div>" + kProse +
             "</div><div><ul><li>Сто граммов муки просейте через сито.</li><li>Два яйца взбейте венчиком до пены."
             "</li><li>Стакан тёплого молока влейте.</li></ul></div>" +
             kBeside + "</div>",
         {"Первый абзац", "Стакан тёплого молока"},
         {"Подвал раздела"}},
    };
    expectContent(cases);
}

// The article is chosen where the page's sentences are, whatever its class names and the
// template's markup say.
TEST(MainText, TheArticleIsWhereTheSentencesAre) {
    std::string menu = "<div>";
    for (int i = 0; i < 20; ++i)
        menu += "<a href=/" + std::to_string(i) + ">Раздел сайта номер " + std::to_string(i) + "</a> ";
    menu += "</div>";
    const ContentCase cases[] = {
        {"a template word beside a content word",
         menu + "<div class=\"entry share\">" + kProse + "</div>" + kBeside,
         {"Первый абзац", "Второй абзац"},
         {"Раздел сайта"}},
        {"markup in a script",
         "<div><div><script>var t = '<div>x</div>', u = 'Текст скрипта, с запятыми, длинный и с точкой.';</script>" +
             kProse + "</div></div>" + kBeside,
         {"Первый абзац"},
         {"Текст скрипта"}},
        {"sentences in headers",
         menu + "<div><header>" + kProse + "</header><header>" + kProse + "</header><header>" + kProse +
             "</header></div>" + kBeside,
         {"Первый абзац"},
         {"Раздел сайта"}},
        {"a lead before the text",
         "<div><div><p>Вступление к статье говорит, о чём она, одной длинной фразой и с запятой.</p></div><div>" +
             kProse + "</div><div><p>Заметка под статьёй, тоже одной фразой и с запятой.</p></div></div>" + kBeside,
         {"Вступление к статье", "Первый абзац"},
         {"Заметка под статьёй"}},
        {"a notice for pages without scripts",
         "<div><noscript><p>Включите скрипты, чтобы увидеть эту страницу целиком, со всеми её картинками.</p>"
         "</noscript>" +
             kProse + "</div>" + kBeside,
         {"Первый абзац"},
         {"Включите скрипты"}},
        {"a page left inside noscript by a broken tag",
         "<noscript><div id=x></noscript>" + menu + "<div>" + kProse + "</div>" + kBeside,
         {"Первый абзац"},
         {"Раздел сайта"}},
        {"a box about the writer",
         "<div class=\"post no-author\">" + kProse +
             "<div class=\"post-author\"><p>Автор пишет о городе, его мостах и парках, а по выходным ездит на "
             "рыбалку.</p></div></div>" +
             kBeside,
         {"Первый абзац"},
         {"Автор пишет"}},
        {"ruby readings",
         "<div><p>Слово <ruby>漢<rp>(</rp><rt>かん</rt><rp>)</rp>字<rt>じ</rt></ruby> пишется так.</p>" + kProse +
             "</div>" + kBeside,
         {"Слово 漢字 пишется"},
         {"かん", "("}},
    };
    expectContent(cases);
}

TEST(MainText, EncodingIsDetectedWhenNotNamed) {
    const struct {
        const char* name;
        std::string bytes;
        const char* encoding;
    } cases[] = {
        {"meta charset", "<meta charset=\"koi8-r\"><body><div>" + kProse + "</div>", "koi8-r"},
        {"http-equiv", "<meta http-equiv=Content-Type content='text/html; charset=UTF-8'><div>" + kProse + "</div>",
         "utf-8"},
        {"byte-order mark", "\xEF\xBB\xBF<div>" + kProse + "</div>", "UTF-8"},
        {"valid UTF-8", "<div>" + kProse + "</div>", "UTF-8"},
        {"not UTF-8", "<div><p>\xC0\xE1\xE2 text, long enough to be a paragraph of its own for sure.</p></div>",
         "windows-1252"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ExtractMainText(c.bytes, "").encoding, c.encoding);
    }
    EXPECT_EQ(ExtractMainText(kProse, "no-such-charset").reason, Reason::kUnknownCharset);
}

TEST(MainText, BlockPathsFindTheBlocksFromTheRootOrAUniqueId) {
    const struct {
        const char* name;
        std::string page;
        Texts paths;
    } cases[] = {
        {"steps from the body",
         "<body><div>menu</div><p>x</p><div><div>" + kProse + "</div>" + kBeside + "</div></body>",
         {"html > body > div:nth-of-type(2) > div:nth-of-type(1)"}},
        {"a unique id",
         "<body><div id=\"x7\"><div>" + kProse + "</div>" + kBeside + "</div></body>",
         {"#x7 > div:nth-of-type(1)"}},
        {"a repeated id is not used",
         "<body><div id=a><div>" + kProse + "</div>" + kBeside + "</div><div id=a></div></body>",
         {"html > body > div:nth-of-type(1) > div:nth-of-type(1)"}},
        {"an implied tbody",
         "<body><table><tr><td>" + kProse + "</td><td>" + kBeside + "</td></tr></table></body>",
         {"html > body > table:nth-of-type(1) > tbody:nth-of-type(1) > tr:nth-of-type(1) > td:nth-of-type(1)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const maintext::Result r = ExtractMainText(c.page, "UTF-8");
        ASSERT_TRUE(r.found);
        EXPECT_EQ(r.blockPaths, c.paths);
    }
}

// Pages of the Russian GIMP and aptitude manuals: a navigation header and footer around the body.
TEST(MainText, RealManualPagesLoseTheirNavigation) {
    const struct {
        const char* path;
        Texts kept;
        Texts dropped;
    } cases[] = {
        {"/usr/share/gimp/2.0/help/ru/gimp-tool-crop.html",
         {"Инструмент кадрирования используется для отрезания частей изображения"},
         {"4.3. Перемещение", "4.5. Вращение"}},
        {"/usr/share/gimp/2.0/help/ru/gimp-layer-new.html", {"Новый слой"}, {"Пред.", "След."}},
        {"/usr/share/doc/aptitude/html/ru/ch02s01.html", {"aptitude"}, {"Пред.", "След."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const std::string bytes = readFile(c.path);
        if (bytes.empty()) GTEST_SKIP() << c.path << " is missing: install gimp-help-ru and aptitude-doc-ru";
        // The manuals are UTF-8; the product hands the extraction Windows-1251 text.
        const maintext::Result r = ExtractMainText(bytes, "");
        ASSERT_TRUE(r.found) << maintext::ReasonName(r.reason);
        for (const auto& k : c.kept) EXPECT_TRUE(has(r.text, k)) << "missing: " << k;
        for (const auto& d : c.dropped) EXPECT_FALSE(has(r.text, d)) << "kept: " << d;
    }
}

// Hostile pages: each finishes, within the bounds, without a crash (timings are the benchmark's).
TEST(MainText, HostilePagesAreBounded) {
    auto repeat = [](const std::string& s, std::size_t n) {
        std::string out;
        out.reserve(s.size() * n);
        for (std::size_t i = 0; i < n; ++i) out += s;
        return out;
    };
    std::string garbage(1 << 20, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>((i * 2654435761u) >> 13);
    const struct {
        const char* name;
        std::string page;
        bool found;
    } cases[] = {
        {"empty", "", false},
        // The parser reads 256 levels at most: text past them is not seen, text before them is.
        {"100,000 nested elements", kProse + repeat("<div>", 100000) + "deep" + repeat("</div>", 100000), true},
        {"100,000 nested inline elements", kProse + repeat("<b>", 100000) + "deep", true},
        {"text past 100,000 nested elements", repeat("<div>", 100000) + kProse, false},
        {"1,000,000 tags", "<body>" + repeat("<br>", 1000000) + kProse, true},
        {"50 MB of paragraphs", "<body><div>" + repeat(kProse, (50u << 20) / kProse.size()) + "</div>", true},
        {"malformed", "<html><body><p>un<b>closed<i>tags</p></b><table><td>" + kProse + "<tr></div></span>", true},
        {"binary garbage", garbage, false},
        {"only markup", repeat("<div><span></span></div>", 1000), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const maintext::Result r = ExtractMainText(c.page, "UTF-8");
        EXPECT_EQ(r.found, c.found) << maintext::ReasonName(r.reason);
        if (r.found) {
            EXPECT_TRUE(has(r.text, "Второй абзац статьи"));
        }
    }
}

TEST(MainText, DeepContentKeepsItsTextButNotItsTags) {
    std::string page;
    for (int i = 0; i < 200; ++i) page += "<div>";
    page += kProse;
    const maintext::Result r = ExtractMainText(page, "UTF-8");
    ASSERT_TRUE(r.found);
    EXPECT_TRUE(has(r.text, "Первый абзац"));
    std::size_t divs = 0;
    for (std::size_t at = r.markup.find("<div>"); at != std::string::npos; at = r.markup.find("<div>", at + 1)) {
        ++divs;
    }
    EXPECT_LE(divs, maintext::kMaxDepth);
    EXPECT_GT(divs, 0u);
}

TEST(MainText, PagesPastTheBoundAreNotRead) {
    const std::string big(maintext::kMaxInputBytes + 1, 'a');
    const maintext::Result r = ExtractMainText(big, "UTF-8");
    EXPECT_FALSE(r.found);
    EXPECT_EQ(r.reason, Reason::kTooLarge);
}

// Markup after the end of the document (another document joined to it) is read where a browser
// shows it, in the body, by the main text and the whole text alike.
TEST(MainText, MarkupAfterTheDocumentEndIsRead) {
    const std::string first = "<!DOCTYPE html><html><body><p>Первый документ.</p></body></html>\n";
    const std::string second =
        "<!DOCTYPE html><html><head><title>Второй</title></head><body>" + kProse + "</body></html>";
    for (const char* encoding : {"UTF-8", "windows-1251"}) {
        const std::string page =
            std::string(encoding) == "UTF-8" ? first + second : cp1251::fromUtf8Lossy(first + second);
        const std::string whole = maintext::WholeText(page, encoding);
        EXPECT_TRUE(has(whole, "Первый документ")) << encoding;
        EXPECT_TRUE(has(whole, "Второй абзац статьи")) << encoding;
        const maintext::Result r = ExtractMainText(page, encoding);
        ASSERT_TRUE(r.found) << encoding;
        EXPECT_TRUE(has(r.text, "Второй абзац статьи")) << encoding;
    }
}

// Pages read at once give, in their order, what reading them one after another gives, whatever
// thread read which page: few pages and more pages than threads, small pages and pages read with
// a second thread of their own, pages without main text and empty ones among them.
TEST(MainText, PagesReadAtOnceGiveTheResultsOfOneAfterAnother) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(MAINTEXT_TESTDATA)) {
        files.push_back(readFile(entry.path()));
    }
    std::sort(files.begin(), files.end());
    std::string large = "<html><body><div class=\"sidebar\"><a href=\"/\">Меню</a></div><div>";
    while (large.size() < 2 * maintext::kTreeThreadBytes) large += "<p>" + kProse + "</p>";
    large = cp1251::fromUtf8Lossy(large + "</div></body></html>");
    auto repeated = [&](std::size_t times) {
        std::vector<std::string> pages;
        for (std::size_t i = 0; i < times; ++i) {
            pages.insert(pages.end(), files.begin(), files.end());
            pages.push_back(i % 2 == 0 ? large : "");
        }
        return pages;
    };
    const struct {
        const char* name;
        std::vector<std::string> pages;
    } cases[] = {
        {"none", {}},
        {"one", {files.front()}},
        {"one large", {large}},
        {"the test pages", repeated(1)},
        {"many more pages than threads", repeated(4)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string_view> views(c.pages.begin(), c.pages.end());
        const std::vector<maintext::Result> all = maintext::ExtractMainTexts(views, "windows-1251");
        ASSERT_EQ(all.size(), c.pages.size());
        for (std::size_t i = 0; i < all.size(); ++i) {
            SCOPED_TRACE(i);
            const maintext::Result one = ExtractMainText(c.pages[i], "windows-1251");
            EXPECT_EQ(all[i].found, one.found);
            EXPECT_EQ(all[i].reason, one.reason);
            EXPECT_EQ(all[i].encoding, one.encoding);
            EXPECT_EQ(all[i].markup, one.markup);
            EXPECT_EQ(all[i].text, one.text);
            EXPECT_EQ(all[i].blockPaths, one.blockPaths);
            EXPECT_EQ(all[i].mainWords, one.mainWords);
            EXPECT_EQ(all[i].pageWords, one.pageWords);
        }
    }
}

}  // namespace
