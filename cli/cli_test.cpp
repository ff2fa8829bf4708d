#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "base/tempdir_for_tests.h"
#include "base/test_failingnew.h"
#include "base/textfile.h"
#include "cli/clirun_for_tests.h"
#include "cli/commands.h"
#include "cli/loopbackhttp_for_tests.h"
#include "cli/options.h"
#include "cli/output.h"
#include "engine/analysis.h"
#include "settings/koef.h"
#include "settings/locale_for_tests.h"

namespace {

using namespace clitest;

// A small Windows-1251 page: "Заголовок страницы" as H1 and two sentences.
const std::string kPage =
    "<html><head><title>\xD2\xE5\xF1\xF2</title></head><body>"
    "<h1>\xC7\xE0\xE3\xEE\xEB\xEE\xE2\xEE\xEA \xF1\xF2\xF0\xE0\xED\xE8\xF6\xFB</h1>"
    "<p>\xCF\xE5\xF0\xE2\xEE\xE5 \xEF\xF0\xE5\xE4\xEB\xEE\xE6\xE5\xED\xE8\xE5 \xF2\xE5\xEA\xF1\xF2\xE0. "
    "\xC2\xF2\xEE\xF0\xEE\xE5 \xEF\xF0\xE5\xE4\xEB\xEE\xE6\xE5\xED\xE8\xE5 \xF2\xE5\xEA\xF1\xF2\xE0.</p>"
    "</body></html>\n";

TEST(CliOptions, RejectsBadUsage) {
    for (std::string_view bad : {"--format=xml", "--limit=7", "--force=1,,2", "--decimal=;", "--bogus"})
        EXPECT_TRUE(ParseCliOptions(std::vector<std::string_view>{bad}).error) << bad;
    auto ok = ParseCliOptions(std::vector<std::string_view>{"--limit=5%", "--force=3,1", "-"});
    ASSERT_FALSE(ok.error);
    EXPECT_EQ(ok.options.limit, 4u);
    EXPECT_EQ(ok.options.forcedOrders, (std::vector<long long>{3, 1}));
    CliRun r = run({"--show=nothing"});
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_NE(r.err.find("usage:"), std::string::npos);
}

TEST(CliOptions, HelpVersionAndATerminalWithoutAFile) {
    const std::string usageError =
        "sumoran-cli: no file given and standard input is a terminal\n" + std::string(kCliUsage);
    const std::string version = "sumoran-cli " SUMORAN_VERSION "\n";
    const struct {
        std::vector<std::string> args;
        StandardInput stdinKind;
        int code;
        std::string out;  // "summary": the page's summary
        std::string err;
    } cases[] = {
        {{"--help"}, StandardInput::kNotTerminal, kExitOk, kCliHelp, ""},
        {{"-h"}, StandardInput::kTerminal, kExitOk, kCliHelp, ""},
        {{"--version"}, StandardInput::kTerminal, kExitOk, version, ""},
        {{}, StandardInput::kTerminal, kExitUsage, "", usageError},
        {{"-"}, StandardInput::kTerminal, kExitOk, "summary", ""},
        {{}, StandardInput::kNotTerminal, kExitOk, "summary", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "" : c.args.front());
        CliRun r = run(c.args, kPage, c.stdinKind);
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(r.err, c.err);
        if (c.out == "summary") {
            EXPECT_TRUE(r.out.starts_with("Заголовок страницы\n")) << r.out;
        } else {
            EXPECT_EQ(r.out, c.out);
        }
    }
    EXPECT_TRUE(std::string(SUMORAN_VERSION).find_first_not_of("0123456789.") == std::string::npos);
    // Every option of the usage is explained, and the exit codes are listed.
    const std::string help = kCliHelp, usage = kCliUsage;
    for (std::size_t at = 0; (at = usage.find("--", at)) != std::string::npos; at += 2) {
        const std::string option = usage.substr(at, usage.find_first_of(" =\n", at) - at);
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
    EXPECT_NE(help.find("Exit codes:\n  0  success\n  1  unreadable input or settings file"), std::string::npos);
    EXPECT_NE(help.find("\n  2  bad usage\n"), std::string::npos);
}

TEST(CliAnalyze, PrintsTheSummaryOfStandardInput) {
    CliRun r = run({"--decimal=,"}, kPage);
    EXPECT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "Заголовок страницы");
}

TEST(CliAnalyze, JsonHoldsEveryPaneWithCaptionsWithoutTheSortMark) {
    CliRun r = run({"--format=json", "--decimal=,"}, kPage);
    ASSERT_EQ(r.code, kExitOk) << r.err;
    for (const char* key : {"\"charset\": \"Windows-1251\"", "\"caption\": \"Тест - Sumoran\"", "\"stems\": {",
                            "\"words\": {", "\"combinations\": {", "\"sentences\": {", "\"summary\": {",
                            "\"columns\": [\"Словооснова\", \"Стоп-слово\", \"ЧА\", \"ЧД\", \"ВА\"",
                            "{\"text\": \"Заголовок страницы\", \"bold\": true}", "\"status\": \"Слов: "}) {
        EXPECT_NE(r.out.find(key), std::string::npos) << key;
    }
    EXPECT_EQ(r.out.find("•"), std::string::npos);
}

TEST(CliAnalyze, LimitsAndForcedRows) {
    // Without a limit the heading opens the summary and the heavier of two equal sentences follows.
    CliRun all = run({"--format=tsv", "--show=sentences", "--decimal=."}, kPage);
    ASSERT_EQ(all.code, kExitOk);
    EXPECT_NE(all.out.find("Предложение\tВес\tВСА\tПорядок\tЗаголовок\tЧС\tМ\n"), std::string::npos);
    CliRun forced = run({"--format=tsv", "--force=2"}, kPage);
    EXPECT_NE(forced.out.find("Второе предложение текста.\t0"), std::string::npos) << forced.out;
    CliRun missing = run({"--force=9"}, kPage);
    EXPECT_EQ(missing.code, kExitUsage);
}

TEST(CliAnalyze, AllTypesShowsIgnoredWords) {
    std::string page = "<html><body><p>aa bb one two</p></body></html>";
    CliRun initial = run({"--format=tsv", "--show=words"}, page);
    CliRun all = run({"--format=tsv", "--show=words", "--all-types"}, page);
    EXPECT_EQ(initial.out.find("\nbb\t"), std::string::npos);
    EXPECT_NE(all.out.find("\nbb\t"), std::string::npos);
}

TEST(CliAnalyze, PageWithoutMarkupKeepsTheInitialCaption) {
    CliRun r = run({"--format=json"}, "just text");
    EXPECT_EQ(r.code, kExitOk);
    EXPECT_NE(r.out.find("\"caption\": \"Sumoran\""), std::string::npos);
}

TEST(CliAnalyze, RunOutOfMemoryPrintsOnlyTheMessage) {
    // The combination table's first chunk is the run's allocation that fails.
    const std::size_t exprChunk = ChunkedArray<ExprRecord>::kChunkSize * sizeof(ExprRecord);
    const fs::path file = writeTemp("page.html", kPage);
    const struct {
        std::vector<std::string> args;
        std::string input;
    } cases[] = {{{}, "standard input"}, {{"--format=json", "-"}, "standard input"}, {{file.string()}, file.string()}};
    for (const auto& c : cases) {
        failingnew::FailAllocationOf(exprChunk);
        CliRun r = run(c.args, kPage);
        EXPECT_TRUE(failingnew::StopFailing());
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "sumoran-cli: out of memory while analysing " + c.input + "\n");
    }
    fs::remove(file);
}

TEST(CliOutput, ControlCharactersOfPagesArePrintedAsEscapes) {
    // `page` is the character as a Windows-1251 page holds it, empty when it cannot reach one (the
    // page is cut at NUL, and Windows-1251 has no C1 character); `utf8` is what reaches the output.
    const struct {
        const char* name;
        std::string page;
        std::string utf8;
        std::string text;
        std::string tsv;
        std::string json;
    } cases[] = {
        {"ESC", "\x1b", "\x1b", "\\x1b", "\\x1b", "\\u001b"},
        {"BEL", "\x07", "\x07", "\\x07", "\\x07", "\\u0007"},
        {"DEL", "\x7f", "\x7f", "\\x7f", "\\x7f", "\\u007f"},
        {"backslash", "\\", "\\", "\\\\", "\\\\", "\\\\"},
        {"forged escape", "\\x1b", "\\x1b", "\\\\x1b", "\\\\x1b", "\\\\x1b"},
        {"tab", "\t", "\t", "\t", " ", "\\t"},
        {"Cyrillic", "\xE4\xEE\xEC", "дом", "дом", "дом", "дом"},
        {"undefined byte 0x98", "\x98", "\uFFFD", "\uFFFD", "\uFFFD", "\uFFFD"},
        {"NUL", "", std::string(1, '\0'), "\\x00", "", "\\u0000"},
        {"C1 NEL", "", "\u0085", "\\x85", "", "\\u0085"},
        {"no-break space", "", "\u00A0", "\u00A0", "", "\u00A0"},
    };
    auto rawControl = [](unsigned char c) { return (c < 0x20 && c != '\t' && c != '\n') || c == 0x7F; };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(VisibleText("a" + c.utf8 + "b"), "a" + c.text + "b");
        EXPECT_EQ(JsonString("a" + c.utf8 + "b"), "\"a" + c.json + "b\"");
        if (c.page.empty()) continue;
        const std::string page = "<html><body><p>\xD1\xEB\xEE\xE2\xEE a" + c.page + "b.</p></body></html>";
        const CliRun text = run({"--show=all", "--all-types"}, page);
        const CliRun tsv = run({"--format=tsv", "--show=all", "--all-types"}, page);
        const CliRun json = run({"--format=json", "--all-types"}, page);
        EXPECT_NE(text.out.find("Слово a" + c.text + "b."), std::string::npos) << text.out;
        EXPECT_NE(tsv.out.find("Слово a" + c.tsv + "b."), std::string::npos) << tsv.out;
        EXPECT_NE(json.out.find("Слово a" + c.json + "b."), std::string::npos) << json.out;
        EXPECT_TRUE(std::ranges::none_of(text.out + tsv.out + json.out, rawControl));
        EXPECT_TRUE(std::ranges::none_of(json.out, [](char ch) { return ch == '\t'; }));
    }
}

TEST(CliOutput, JsonOfWindows1251TextIsJsonStringOfItsUtf8) {
    std::string every;
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        std::string json = "x";
        AppendJsonString(json, byte);
        EXPECT_EQ(json, "x" + JsonString(cp1251::toUtf8(byte))) << b;
        every += byte;
    }
    std::string json;
    AppendJsonString(json, every);
    EXPECT_EQ(json, JsonString(cp1251::toUtf8(every)));
}

TEST(CliAnalyze, UnreadableInputAndSettingsFiles) {
    CliRun input = run({"/nonexistent/page.html"});
    EXPECT_EQ(input.code, kExitUnreadable);
    EXPECT_NE(input.err.find("/nonexistent/page.html"), std::string::npos);

    CliRun koef = run({"--koef=/nonexistent/koef.dat"}, kPage);
    EXPECT_EQ(koef.code, kExitUnreadable);
    EXPECT_NE(koef.err.find("Cannot open file /nonexistent/koef.dat"), std::string::npos);

    std::string lines;
    for (int i = 0; i < 18; ++i) lines += i == 4 ? "ten\r\n" : "1\r\n";
    fs::path bad = writeTemp("bad-koef.dat", lines);
    CliRun badKoef = run({"--koef=" + bad.string()}, kPage);
    EXPECT_EQ(badKoef.code, kExitUnreadable);
    EXPECT_EQ(badKoef.err, bad.string() + ", line 5: 'ten' is not a valid floating point value\n");
    fs::remove(bad);

    CliRun stop = run({"--stopwords=/nonexistent/stopwords.txt"}, kPage);
    EXPECT_EQ(stop.code, kExitUnreadable);
}

TEST(CliAnalyze, StemsFromTheDictionaryAndAMissingDictionary) {
    EXPECT_TRUE(ParseCliOptions(std::vector<std::string_view>{"--stems=hunspell"}).error);
    EXPECT_TRUE(ParseCliOptions(std::vector<std::string_view>{"--stems"}).error);
    // "Окна, окну и окнам. Домами и дом."
    const std::string page = "<html><body><p>" + cp1251::fromUtf8Strict("Окна, окну и окнам. Домами и дом.").value() +
                             " Windows</p></body></html>";
    const CliRun plain = run({"--format=tsv", "--show=all"}, page);
    EXPECT_EQ(run({"--format=tsv", "--show=all", "--stems=builtin"}, page).out, plain.out);
    const CliRun dictionary = run({"--format=tsv", "--show=stems", "--stems=dictionary"}, page);
    EXPECT_EQ(dictionary.code, kExitOk) << dictionary.err;
    EXPECT_NE(dictionary.out.find("\nокно\t"), std::string::npos) << dictionary.out;
    EXPECT_NE(dictionary.out.find("\nдом\t"), std::string::npos) << dictionary.out;
    EXPECT_NE(dictionary.out.find("\nwindow\t"), std::string::npos) << dictionary.out;

    settings::testutil::TempDir empty;
    ::setenv("SUMORAN_DICTIONARY_DIR", empty.path().c_str(), 1);
    const CliRun missing = run({"--stems=dictionary"}, page);
    const CliRun builtin = run({}, page);
    ::unsetenv("SUMORAN_DICTIONARY_DIR");
    EXPECT_EQ(missing.code, kExitUnreadable);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "sumoran-cli: --stems=dictionary: cannot read the dictionary file " +
                               (empty / "ru_RU.aff").string() + " (Debian package hunspell-ru)\n");
    EXPECT_EQ(builtin.code, kExitOk);
}

TEST(CliAnalyze, NamedStopWordsAreUsed) {
    fs::path stop = writeTemp("one-stopword.txt", "one\r\n");
    std::string page = "<html><body><p>one two</p></body></html>";
    CliRun r = run({"--format=tsv", "--show=stems", "--all-types", "--stopwords=" + stop.string()}, page);
    EXPECT_NE(r.out.find("\none\tS\t"), std::string::npos) << r.out;
    fs::remove(stop);
}

TEST(CliAnalyze, KoefFileOfEitherSeparatorReadsUnderAnyLocale) {
    // The window writes koef.dat with the separator of its locale; the tool reads it under any locale.
    settings::testutil::TempDir dir;
    Coefficients changed;
    changed.koefH1 = 0.5;
    for (char separator : {',', '.'}) {
        const std::string name = separator == ',' ? "comma.dat" : "point.dat";
        settings::testutil::writeBytes(dir / name,
                                       settings::JoinCrLfLines(settings::KoefEditorLines(changed, separator)));
    }
    settings::testutil::writeBytes(dir / "defaults.dat",
                                   settings::JoinCrLfLines(settings::KoefEditorLines(Coefficients{}, ',')));
    std::vector<const char*> locales = {"C"};
    if (settings::testutil::russianLocaleAvailable()) locales.push_back(settings::testutil::kRussianLocale);
    for (const char* locale : locales) {
        SCOPED_TRACE(locale);
        settings::testutil::ScopedLocale scoped(locale);
        auto sentences = [&](const char* koef) {
            return run({"--format=tsv", "--show=sentences", "--koef=" + (dir / koef).string()}, kPage);
        };
        const CliRun comma = sentences("comma.dat");
        const CliRun point = sentences("point.dat");
        const CliRun defaults = sentences("defaults.dat");
        for (const CliRun* r : {&comma, &point, &defaults}) {
            EXPECT_EQ(r->code, kExitOk);
            EXPECT_EQ(r->err, "");
        }
        EXPECT_EQ(comma.out, point.out);
        EXPECT_NE(comma.out, defaults.out);  // the heading's coefficient was taken
    }
    if (locales.size() == 1) GTEST_SKIP() << "ru_RU.UTF-8 is neither installed nor can be made with localedef";
}

TEST(CliAnalyze, PageWithoutTextSaysSoAndPrintsEmptyPanes) {
    const std::string note = ": На странице нет текста для анализа\n";
    for (const std::string page : {"", "just text", "<p>Слово тут.</p>", "<html><head><title>T</title></head></html>",
                                   "<frameset></frameset>"}) {
        SCOPED_TRACE(page);
        CliRun text = run({}, page);
        EXPECT_EQ(text.code, kExitOk);
        EXPECT_EQ(text.out, "");
        EXPECT_EQ(text.err, "sumoran-cli: standard input" + note);
        CliRun json = run({"--format=json"}, page);
        EXPECT_EQ(json.code, kExitOk);
        EXPECT_EQ(std::ranges::count(json.out, '\n'), 9);
        EXPECT_NE(json.out.find("\"sentences\": {\"columns\": [\"Предложение\""), std::string::npos);
        std::size_t emptyLists = 0;
        for (std::size_t at = 0; (at = json.out.find("\"rows\": [], \"status\": \"\"}", at)) != std::string::npos; ++at)
            ++emptyLists;
        EXPECT_EQ(emptyLists, 4u);
        EXPECT_NE(json.out.find(
                      "\"summary\": {\"paragraphs\": [], \"status\": \"\"},\n\"metrics\": {\"chars_with_spaces\": 0,"),
                  std::string::npos);
    }
    EXPECT_EQ(run({}, kPage).err, "");
}

TEST(CliAnalyze, LocalFramesetReadsTheFilesOfItsFrames) {
    settings::testutil::TempDir dir;
    fs::create_directory(dir / "sub");
    settings::testutil::writeBytes(dir / "a.html", std::string(u8"<html><body><p>Первый кадр.</p></body></html>"_cp));
    settings::testutil::writeBytes(dir / "sub" / "c d.html", "<html><body><p>Третий кадр.</p></body></html>");
    settings::testutil::writeBytes(dir / "frameset.html",
                                   "<html><head><title>Frames</title></head><frameset cols=\"*,*,*,*\">"
                                   "<frame src=\"a.html\"><frame src=b.html><FRAME SRC='sub/c%20d.html'>"
                                   "<frame src=\"http://example.org/x.html\"></frameset></html>");
    settings::testutil::writeBytes(dir / "one.html", "<frameset><frame src=a.html></frameset>");
    const std::string frameset = (dir / "frameset.html").string();

    CliRun r = run({"--format=tsv", "--show=words", frameset});
    EXPECT_EQ(r.code, kExitOk);
    EXPECT_NE(r.out.find("\nПервый\t"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nТретий\t"), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "sumoran-cli: frame 2 (b.html): cannot read " + (dir / "b.html").string() +
                         "\nsumoran-cli: frame 4 (http://example.org/x.html): not a local file, skipped\n");

    // A page with one frame is taken without it, as the window takes it.
    const std::string one = (dir / "one.html").string();
    CliRun single = run({"--format=tsv", "--show=words", one});
    EXPECT_EQ(single.out.find("Первый"), std::string::npos);
    EXPECT_EQ(single.err, "sumoran-cli: " + one + ": На странице нет текста для анализа\n");

    // Past 64 frames the rest are left out.
    std::string many = "<frameset>";
    for (int i = 0; i < 65; ++i) many += "<frame src=a.html>";
    settings::testutil::writeBytes(dir / "many.html", many);
    CliRun bounded = run({"--format=tsv", "--show=words", (dir / "many.html").string()});
    EXPECT_NE(bounded.out.find("\nПервый\t \t64\t"), std::string::npos) << bounded.out;
    EXPECT_EQ(bounded.err,
              "sumoran-cli: " + (dir / "many.html").string() + ": 65 frames, only the first 64 are read\n");

    // Standard input has no directory to read frames from.
    CliRun piped = run({"--format=tsv", "--show=words", "-"}, settings::testutil::readBytes(dir / "frameset.html"));
    EXPECT_EQ(piped.out.find("Первый"), std::string::npos);
    EXPECT_EQ(piped.err,
              "sumoran-cli: standard input: 4 frames not read: standard input has no directory to find them in\n"
              "sumoran-cli: standard input: На странице нет текста для анализа\n");
}

// A page of three words worked by hand: "дом" twice (дом, дома) and "кот" once, each occurrence of
// weight 1 in plain text; the sentence weighs the stem weights of its words, 2 + 2 + 1.
const std::string kTinyPage(u8"<html><head><title>T</title></head><body><p>дом дома кот.</p></body></html>"_cp);

TEST(CliOutput, AlignedListsAndEveryPane) {
    const std::string expected =
        "== Автореферат ==\n"
        "дом дома кот.\n"
        "\n"
        "== Реферируемый текст ==\n"
        "Предложение     Вес   ВСА  • Порядок  Заголовок  ЧС  М\n"
        "дом дома кот.  5,00  1,67          0              3\n"
        "Слов: 3 / 3 = 100,00%\n"
        "\n"
        "== Словоосновы ==\n"
        "Словооснова  Стоп-слово  ЧА      ЧД  • ВА      ВД  Язык  Тип  SWID\n"
        "дом                       2  0,6666  2,00  0,6666  Р          0\n"
        "кот                       1  0,3333  1,00  0,3333  Р          1\n"
        "3 (2) / 3 (2) = 100,00% (100,00%)\n"
        "\n"
        "== Слова ==\n"
        "Слово  Стоп-слово  ЧА      ЧД  • ВА      ВД  Язык  Тип  FWID  SWID\n"
        "дом                 1  0,3333  1,00  0,3333  Р          0     0\n"
        "дома                1  0,3333  1,00  0,3333  Р          1     0\n"
        "кот                 1  0,3333  1,00  0,3333  Р          2     1\n"
        "3 (3) / 3 (3) = 100,00% (100,00%)\n"
        "\n"
        "== Словосочетания ==\n"
        "Словосочетание  Тип  ЧА  ВП  • ВСА  Порядок  Словоосновы  SWIDs\n"
        "\n";
    const CliRun all = run({"--show=all", "--decimal=,"}, kTinyPage);
    EXPECT_EQ(all.code, kExitOk);
    EXPECT_EQ(all.out, expected);
}

TEST(CliAnalyze, OptionsChangeARealRun) {
    const std::string indexed(
        u8"<html><head><title>Заглавие</title><meta name=\"description\" content=\"Описание\">"
        "<meta name=\"keywords\" content=\"Ключ\"></head><body><p>Дом стоит у реки. Кот спит у дома.</p>"
        "<p><img src=\"a.png\" alt=\"Картинка\"></p></body></html>"_cp);
    // Seven summary sentences without a limit; the heading at the end weighs too little to get in.
    std::string headed = "<html><body><p>";
    for (int i = 0; i < 6; ++i)
        headed += std::string(u8"Дом"_cp) + std::string(i % 3, '\xE0') + std::string(u8" стоит у реки "_cp) +
                  std::to_string(i) + std::string(u8". Кот спит у дома тихо. "_cp);
    headed += u8"</p><h3>Итог</h3><p>Итог прост.</p></body></html>"_cp;
    auto stems = [](const CliRun& r) { return r.out; };
    auto lineCount = [](const CliRun& r) { return std::to_string(std::ranges::count(r.out, '\n')); };
    const struct {
        std::string option;
        std::string page;
        std::vector<std::string> show;
        std::function<std::string(const CliRun&)> seen;
        std::string with;  // found in what is seen with the option, and not without it
    } cases[] = {
        {"--index-title", indexed, {"--format=tsv", "--show=stems"}, stems, "\nзаглав\t"},
        {"--index-meta", indexed, {"--format=tsv", "--show=stems"}, stems, "\nописан\t"},
        {"--index-meta", indexed, {"--format=tsv", "--show=stems"}, stems, "\nключ\t"},
        {"--index-img-alt", indexed, {"--format=tsv", "--show=stems"}, stems, "\nкартинк\t"},
        {"--force-headings", headed, {}, stems, "\nИтог\n"},
        {"--limit=3", headed, {}, lineCount, "3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option + " " + c.with);
        std::vector<std::string> args = c.show;
        const CliRun without = run(args, c.page);
        args.push_back(c.option);
        const CliRun with = run(args, c.page);
        EXPECT_EQ(with.code, kExitOk);
        EXPECT_NE(c.seen(with).find(c.with), std::string::npos) << with.out;
        EXPECT_EQ(c.seen(without).find(c.with), std::string::npos) << without.out;
    }
    EXPECT_EQ(lineCount(run({}, headed)), "7");
}

TEST(CliOutput, JsonIsValidWhateverTheText) {
    for (const std::string& text :
         {std::string("a\"b"), std::string("back\\slash\\"), std::string("\x01\x1f\x7f"), std::string("\n\r\t"),
          std::string("\u0085\u2028"), std::string("😀 𝄞"), std::string("дом"), std::string(1, '\0')}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(nlohmann::json::parse(JsonString(text)), text);
    }
    // Quotes, backslashes and control characters of a page's title and text.
    const std::string page =
        "<html><head><title>a\"b\\c\x1b</title></head><body><p>\xC4\xEE\xEC \"\\\x01.</p></body></html>";
    const CliRun r = run({"--format=json", "--all-types"}, page);
    const nlohmann::json object = nlohmann::json::parse(r.out);
    EXPECT_EQ(object["caption"], "a\"b\\c\x1b - Sumoran");
    EXPECT_EQ(object["sentences"]["rows"][0][0], "Дом \" \\\x01.");  // the sentence's tokens apart

    // A string longer than the output's buffer, among many short ones.
    std::string title;
    for (int i = 0; i < 200000; ++i) title += "дом\"";
    const CliRun longer = run(
        {"--format=json"}, "<html><head><title>" + title + "</title></head><body><p>" + title + ".</p></body></html>");
    EXPECT_EQ(nlohmann::json::parse(longer.out)["caption"], title + " - Sumoran");
}

TEST(CliAnalyze, EveryExitCode) {
    const std::string page = writeTemp("exit.html", kTinyPage).string();
    const struct {
        std::vector<std::string> args;
        int code;
    } cases[] = {
        {{page}, kExitOk},
        {{"--format=jsonl", page, page}, kExitOk},
        {{"/nonexistent.html"}, kExitUnreadable},
        {{"--koef=/nonexistent/koef.dat", page}, kExitUnreadable},
        {{"--format=jsonl", "/nonexistent.html", "/nonexistent.htm"}, kExitFailed},
        {{"--format=jsonl", page, "/nonexistent.html"}, kExitSomeFailed},
        {{"--bogus", page}, kExitUsage},
        {{"--force=7", page}, kExitUsage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front());
        EXPECT_EQ(run(c.args).code, c.code);
    }
}

TEST(CliStem, StemsWordsAndRejectsBadInput) {
    std::ostringstream out, err;
    std::vector<std::string_view> words = {"ошибками", "бывшись", "texts"};
    EXPECT_EQ(RunStemCommand(words, out, err), kExitOk);
    EXPECT_EQ(out.str(), "ошибк\nбы\ntext\n");
    std::vector<std::string_view> bad = {"日本"};
    EXPECT_EQ(RunStemCommand(bad, out, err), kExitUsage);
    std::vector<std::string_view> empty = {""};
    EXPECT_EQ(RunStemCommand(empty, out, err), kExitUsage);
    std::ostringstream noOut, noErr;
    EXPECT_EQ(RunStemCommand({}, noOut, noErr), kExitUsage);
    EXPECT_EQ(noOut.str(), "");
    EXPECT_EQ(noErr.str(), "usage: sumoran-cli stem WORD...\n");
}

}  // namespace

// "<p>МОСКВА СТОИТ НА РЕКЕ. РЕКА ТЕЧЕТ У СТЕН МОСКВЫ.</p>" in KOI8-R, as iconv writes it. A page
// of capitals is what the detection misreads: it takes these bytes for small Windows-1251 letters.
const std::string kKoi8Capitals =
    "<html><body><p>\xED\xEF\xF3\xEB\xF7\xE1 \xF3\xF4\xEF\xE9\xF4 \xEE\xE1 \xF2\xE5\xEB\xE5. \xF2\xE5\xEB\xE1 "
    "\xF4\xE5\xFE\xE5\xF4 \xF5 \xF3\xF4\xE5\xEE \xED\xEF\xF3\xEB\xF7\xF9.</p></body></html>";

namespace {

// Encodes Windows-1251 text in KOI8-R: its Russian letters and the copyright sign.
std::string toKoi8r(std::string_view text) {
    constexpr std::string_view letters = u8"юабцдефгхийклмнопярстужвьызшэщчъЮАБЦДЕФГХИЙКЛМНОПЯРСТУЖВЬЫЗШЭЩЧЪ"_cp;
    std::string out;
    for (char c : text) {
        const std::size_t k = letters.find(c);
        out += k != std::string_view::npos ? static_cast<char>(0xC0 + k) : c == u8"©"_cp[0] ? '\xBF' : c;
    }
    return out;
}

}  // namespace

// A KOI8-R page fetched over HTTP with its charset named: its copyright sign reaches the sentence
// list as "©", not as the Windows-1251 letter at its KOI8-R code.
TEST(CliFetch, AKoi8rCopyrightSignReachesTheSentences) {
    const std::string page = toKoi8r(
        u8"<html><body><p>Программа читает страницу и находит слова. Все права защищены © 2024 автором "
        u8"программы.</p></body></html>"_cp);
    ASSERT_NE(page.find('\xBF'), std::string::npos);
    ::setenv("no_proxy", "127.0.0.1", 1);
    LoopbackHttpServer server({{"/koi8.html", {200, "Content-Type: text/html; charset=koi8-r\r\n", page, true, {}}}});
    ASSERT_NE(server.port(), 0);
    const CliRun r = run({"--format=json", server.url("/koi8.html")});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    const auto json = nlohmann::json::parse(r.out);
    EXPECT_EQ(json["charset"], "KOI8-R");
    std::vector<std::string> sentences;
    for (const auto& row : json["sentences"]["rows"]) sentences.push_back(row[0]);
    EXPECT_NE(std::ranges::find(sentences, "Все права защищены © 2024 автором программы."), sentences.end()) << r.out;
}

TEST(CliAnalyze, ChosenCharsetRecoversAPageTheDetectionMisreads) {
    const std::string file = writeTemp("koi8caps.html", kKoi8Capitals).string();
    const struct {
        std::vector<std::string> args;
        const char* word;    // in the word list
        const char* absent;  // not in it
        const char* charset;
        const char* encoding;  // "page_encoding"
    } cases[] = {
        {{}, "нпулчб", "МОСКВА", "Windows-1251", "Windows-1251"},
        {{"--charset=auto"}, "нпулчб", "МОСКВА", "Windows-1251", "Windows-1251"},
        {{"--charset=koi8-r"}, "МОСКВА", "нпулчб", "KOI8-R", "KOI8-R"},
        {{"--charset=KOI8-R"}, "РЕКЕ", "нпулчб", "KOI8-R", "KOI8-R"},
        {{"--charset=auto", "--charset=Koi8-R"}, "МОСКВЫ", "нпулчб", "KOI8-R", "KOI8-R"},  // the last one counts
        {{"--charset=windows-1251"}, "нпулчб", "МОСКВА", "Windows-1251", "Windows-1251"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "no --charset" : c.args.back());
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--format=json", file});
        const CliRun r = run(args);
        ASSERT_EQ(r.code, kExitOk) << r.err;
        const auto json = nlohmann::json::parse(r.out);
        EXPECT_EQ(json["charset"], c.charset);
        EXPECT_EQ(json["page_encoding"], c.encoding);
        std::vector<std::string> words;
        for (const auto& row : json["words"]["rows"]) words.push_back(row[0]);
        EXPECT_NE(std::ranges::find(words, c.word), words.end());
        EXPECT_EQ(std::ranges::find(words, c.absent), words.end());
    }
    // A batch reads every input under the choice.
    const CliRun batch = run({"--format=jsonl", "--charset=koi8-r", file, file});
    ASSERT_EQ(batch.code, kExitOk) << batch.err;
    std::istringstream lines(batch.out);
    int pages = 0;
    for (std::string line; std::getline(lines, line); ++pages) {
        EXPECT_EQ(nlohmann::json::parse(line)["charset"], "KOI8-R");
        EXPECT_NE(line.find("МОСКВА"), std::string::npos);
    }
    EXPECT_EQ(pages, 2);
}

TEST(CliOutput, JsonNamesThePageEncodingBesideTheCharset) {
    const std::string utf8 = "<html><body><p>Большой дом у реки.</p></body></html>";
    const struct {
        const char* charset;
        std::string page;
        const char* encoding;
    } cases[] = {
        {"auto", utf8, "UTF-8"},
        {"utf-8", utf8, "UTF-8"},
        {"utf-8", kKoi8Capitals, "UTF-8"},  // not UTF-8 at all: its letters become spaces
        {"windows-1251", utf8, "Windows-1251"},
        {"auto", kTinyPage, "Windows-1251"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.charset) + ": " + c.page);
        const CliRun r = run({"--format=json", "--charset=" + std::string(c.charset), "-"}, c.page);
        ASSERT_EQ(r.code, kExitOk) << r.err;
        EXPECT_EQ(r.out.substr(0, r.out.find("\n\"caption\"")),
                  "{\"charset\": \"Windows-1251\",\n\"page_encoding\": \"" + std::string(c.encoding) + "\",");
    }
}

TEST(CliOptions, ABadCharsetIsAUsageErrorNamingIt) {
    const std::string accepted = "--charset takes auto, windows-1251, koi8-r, iso-8859-5 or utf-8";
    const struct {
        const char* arg;
        std::string message;
    } cases[] = {
        {"--charset=", "unknown charset '': " + accepted},
        {"--charset=cp866", "unknown charset 'cp866': " + accepted},
        {"--charset=koi8", "unknown charset 'koi8': " + accepted},
        {"--charset=utf-8 ", "unknown charset 'utf-8 ': " + accepted},
        {"--charset", accepted},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arg);
        const CliRun r = run({c.arg, "-"}, kPage);
        EXPECT_EQ(r.code, kExitUsage);
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "sumoran-cli: " + c.message);
        EXPECT_TRUE(r.out.empty());
    }
    const auto all = ParseCliOptions(std::vector<std::string_view>{"--charset=ISO-8859-5", "--charset=UTF-8"});
    ASSERT_FALSE(all.error);
    EXPECT_EQ(all.options.charset, CharsetChoice::kUtf8);
    EXPECT_NE(std::string(kCliHelp).find("--charset=auto|windows-1251|koi8-r|iso-8859-5|utf-8"), std::string::npos);
}

// --content names what of the page was read in the JSON and counts the main text's words; a page
// without main text is analysed whole, with a note; without the option the JSON is as it was.
TEST(CliAnalyze, ContentModeNamesWhatWasReadAndNotesAFallback) {
    std::string article = "<html><body><nav><a href=/>Главная</a> <a href=/n>Новости</a></nav><article>";
    for (int k = 0; k < 4; ++k)
        article += "<p>Предложение статьи о погоде в городе, достаточно длинное для текста.</p>";
    article += "</article></body></html>";
    const std::string links = "<html><body><a href=/1>one</a> <a href=/2>two</a></body></html>";
    const struct {
        std::vector<std::string> args;
        std::string page;
        std::string json;  // what follows "page_encoding"
        std::string err;
    } cases[] = {
        {{}, article, "\n\"caption\"", ""},
        {{"--content=page"}, article, "\n\"content\": \"page\",\n\"caption\"", ""},
        {{"--content=main"}, article, "\n\"content\": \"main\",\n\"main_text_words\": 40,\n\"page_words\": 42,", ""},
        {{"--content=main"},
         links,
         "\n\"content\": \"main\",\n\"main_text_words\": 0,\n\"page_words\": 2,",
         "sumoran-cli: standard input: no main text found (too-little-text): the whole page is analysed\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--format=json", "-"});
        const CliRun r = run(args, c.page);
        SCOPED_TRACE(r.out.substr(0, 200));
        ASSERT_EQ(r.code, kExitOk) << r.err;
        const std::size_t after = r.out.find('\n', r.out.find("\"page_encoding\""));
        EXPECT_EQ(r.out.substr(after, c.json.size()), c.json);
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_EQ(run({"--content=all", "-"}, article).code, kExitUsage);
    const CliRun main = run({"--show=stems", "--content=main", "-"}, article);
    EXPECT_EQ(main.out.find("главн"), std::string::npos) << main.out;
    EXPECT_NE(run({"--show=stems", "-"}, article).out.find("главн"), std::string::npos);

    // --show=text prints what the analysis read: the whole page's text, or the main text.
    EXPECT_EQ(run({"--show=text", "-"}, links).out, "one two\n");
    const CliRun text = run({"--show=text", "--content=main", "-"}, article);
    EXPECT_TRUE(text.out.starts_with("Предложение статьи о погоде")) << text.out;
    EXPECT_NE(text.out.find("текста.\n\nПредложение"), std::string::npos) << "paragraphs apart";
    EXPECT_NE(run({"--show=text", "-"}, article).out.find("Главная Новости"), std::string::npos);
    EXPECT_EQ(run({"--show=text", "--format=jsonl", "-"}, article).code, kExitUsage);
}
