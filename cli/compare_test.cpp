// sumoran-cli compare and collocates: sides summed as aggregate sums them, the output formats,
// and the usage and input errors.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/clirun_for_tests.h"
#include "cli/commands.h"

namespace {

using clitest::CliRun;
using nlohmann::json;

CliRun runCommand(int (*command)(std::span<const std::string_view>, std::istream&, std::ostream&, std::ostream&),
                  std::vector<std::string> args) {
    std::vector<std::string> all = clitest::settingsArgs();
    all.insert(all.end(), args.begin(), args.end());
    std::vector<std::string_view> views(all.begin(), all.end());
    std::istringstream in;
    std::ostringstream out, err;
    const int code = command(views, in, out, err);
    return {code, out.str(), err.str()};
}

CliRun compare(std::vector<std::string> args) { return runCommand(RunCompareCommand, std::move(args)); }
CliRun collocates(std::vector<std::string> args) { return runCommand(RunCollocatesCommand, std::move(args)); }

std::string page(const std::string& body) {
    return "<html><head><meta charset=\"utf-8\"></head><body><p>" + body + "</p></body></html>";
}

// A target about cats and a reference of two pages about dogs and houses.
struct Sides {
    std::string target, first, second, jsonl;
};

const Sides& sides() {
    static const Sides s = [] {
        Sides made;
        std::string cats;
        for (int k = 0; k < 12; ++k) cats += "Кошка ловит мышь в доме. ";
        made.target = clitest::writeTemp("compare/target.html", page(cats)).string();
        std::string dogs, houses;
        for (int k = 0; k < 20; ++k) dogs += "Собака охраняет дом. ";
        for (int k = 0; k < 20; ++k) houses += "Большой дом стоит у реки. ";
        made.first = clitest::writeTemp("compare/reference/dogs.html", page(dogs)).string();
        made.second = clitest::writeTemp("compare/reference/houses.html", page(houses)).string();
        const CliRun batch = clitest::run({"--format=jsonl", made.first, made.second});
        made.jsonl = clitest::writeTemp("compare/reference.jsonl", batch.out).string();
        return made;
    }();
    return s;
}

std::string referenceFolder() { return (clitest::privateDir() / "compare/reference").string(); }

TEST(Compare, TheReferenceSumsEqualAggregates) {
    const CliRun aggregated = clitest::aggregate({"--format=json", sides().jsonl});
    ASSERT_EQ(aggregated.code, kExitOk) << aggregated.err;
    long long words = 0;
    const json corpus = json::parse(aggregated.out);
    for (const json& row : corpus["stems"]) words += row["count"].get<long long>();
    for (const std::string& reference : {sides().jsonl, referenceFolder()}) {
        SCOPED_TRACE(reference);
        const CliRun r = compare({"--format=json", sides().target, reference});
        ASSERT_EQ(r.code, kExitOk) << r.err;
        const json result = json::parse(r.out);
        EXPECT_EQ(result["reference"]["pages"], 2);
        EXPECT_EQ(result["reference"]["words"], words);
        const json& dom = result["negative"];
        ASSERT_FALSE(dom.empty());
    }
    // A page, a folder and JSON Lines of the same pages give the same key words.
    const CliRun fromJsonl = compare({"--format=tsv", sides().target, sides().jsonl});
    const CliRun fromFolder = compare({"--format=tsv", sides().target, referenceFolder()});
    const CliRun fromPages = compare({"--format=tsv", sides().target, sides().first, sides().second});
    EXPECT_EQ(fromJsonl.out, fromFolder.out);
    EXPECT_EQ(fromJsonl.out, fromPages.out);
}

// Lines of JSON Lines and whether the sums take them: the lists are read in full, the rest of the
// object only needs to be well nested.
TEST(Compare, ResultLinesAreReadAsAggregateReadsThem) {
    const std::string combinations = R"("combinations": {"columns": ["Словоосновы", "ЧА", "ВП"], "rows": []})";
    const std::string stems = R"("stems": {"columns": ["Словооснова", "ЧА", "ВА"], "rows": [["дом", "2", "2,50"]]})";
    const struct {
        std::string line;
        bool taken;
    } cases[] = {
        {"{" + stems + ", " + combinations + "}", true},
        {"{\"input\": \"a\\\"}{[\", \"sentences\": [[\"}\"], {}], " + stems + ", " + combinations + "}", true},
        {R"({"input": "a", "error": "not found"})", true},                // an input that gave no page: passed over
        {"{" + stems + ", " + stems + ", " + combinations + "}", false},  // a list twice
        {R"({"stems": [], )" + combinations + "}", false},
        {R"({"stems": {"columns": ["Словооснова", "ЧА", "ВА"], "rows": [["дом", 2, "2,50"]]}, )" + combinations + "}",
         false},
        {R"({"stems": {"columns": ["Словооснова", "ЧА", "ВА"], "rows": [["дом", "2"]]}, )" + combinations + "}", false},
        {"{" + stems + ", " + combinations + ", \"x\": [}", false},
        {"{" + stems + ", " + combinations + "} x", false},
        {"[" + stems + "]", false},
    };
    for (const auto& c : cases) {
        const std::string path = clitest::writeTemp("compare/line.jsonl", c.line + "\n").string();
        const CliRun r = clitest::aggregate({path});
        EXPECT_EQ(r.code, c.taken ? kExitOk : kExitUnreadable) << c.line << "\n" << r.err;
    }
}

TEST(Compare, FindsTheTargetsWordsAndTheReferences) {
    const CliRun r = compare({"--format=json", sides().target, sides().jsonl});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    const json result = json::parse(r.out);
    std::vector<std::string> positive, negative;
    for (const json& w : result["positive"]) positive.push_back(w["text"]);
    for (const json& w : result["negative"]) negative.push_back(w["text"]);
    EXPECT_NE(std::ranges::find(positive, "кошк"), positive.end());
    EXPECT_NE(std::ranges::find(negative, "собак"), negative.end());
    EXPECT_EQ(std::ranges::find(positive, "дом"), positive.end());  // on both sides
    for (const json& w : result["positive"]) {
        EXPECT_EQ(w["reference"], 0);
        EXPECT_TRUE(w["percent_diff"].is_null());  // absent from the reference
        EXPECT_GE(w["ll"].get<double>(), 6.63);
    }
}

TEST(Compare, PrintsTextTsvAndCsv) {
    const struct {
        const char* format;
        const char* start;
    } cases[] = {
        {"--format=text", "Словооснова  Знак  Цель"},
        {"--format=tsv", "Словооснова\tЗнак\tЦель\tЦель, на млн\tЭталон\tЭталон, на млн\tLL\tp <\tLog Ratio"},
        {"--format=csv", "\xEF\xBB\xBFСловооснова,Знак,Цель"},
    };
    for (const auto& c : cases) {
        const CliRun r = compare({c.format, "--decimal=,", sides().target, sides().jsonl});
        ASSERT_EQ(r.code, kExitOk) << r.err;
        EXPECT_TRUE(r.out.starts_with(c.start)) << r.out;
        EXPECT_NE(r.out.find("inf"), std::string::npos) << c.format;
        EXPECT_NE(r.out.find(','), std::string::npos);
    }
    const CliRun combinations = compare({"--format=tsv", "--show=combinations", sides().target, sides().jsonl});
    EXPECT_TRUE(combinations.out.starts_with("Словоосновы\t")) << combinations.out;
}

TEST(Compare, UsageErrorsNameTheProblem) {
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"a.html"}, "a target and at least one reference"},
        {{"--p=0.02", "a.html", "b.html"}, "--p takes 0.05, 0.01, 0.001 or 0.0001, not '0.02'"},
        {{"--min-count=0", "a.html", "b.html"}, "--min-count takes a whole number"},
        {{"--smoothing=-1", "a.html", "b.html"}, "--smoothing takes a number above 0"},
        {{"--smoothing=x", "a.html", "b.html"}, "--smoothing takes a number above 0"},
        {{"--format=jsonl", "a.html", "b.html"}, "--format takes text, tsv, csv or json"},
        {{"--frames=none", "a.html", "b.html"}, "compare has no option '--frames=none'"},
        {{"--charset=latin", "a.html", "b.html"}, "charset"},
    };
    for (const auto& c : cases) {
        const CliRun r = compare(c.args);
        EXPECT_EQ(r.code, kExitUsage) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
}

TEST(Compare, AnUnreadableSideExitsOne) {
    const std::string bad = clitest::writeTemp("compare/bad.jsonl", "{\"stems\": 1}\n").string();
    const std::string empty = clitest::writeTemp("compare/empty.html", "<html><body></body></html>").string();
    const struct {
        std::string side;
        const char* message;
    } cases[] = {
        {(clitest::privateDir() / "compare/none.html").string(), "none.html"},
        {(clitest::privateDir() / "compare/none.jsonl").string(), "cannot read"},
        {bad, "bad.jsonl, line 1: not a page's result of --format=jsonl"},
        {empty, "the reference has no words to compare"},
    };
    for (const auto& c : cases) {
        const CliRun r = compare({sides().target, c.side});
        EXPECT_EQ(r.code, kExitUnreadable) << c.side;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
}

TEST(Compare, HelpNamesEveryOption) {
    const CliRun r = compare({"--help"});
    EXPECT_EQ(r.code, kExitOk);
    for (const char* option : {"--show=stems|combinations", "--min-count=N", "--p=0.05|0.01|0.001|0.0001",
                               "--bonferroni", "--smoothing=N", "--format=text|tsv|csv|json",
                               "--content=", "--charset=", "--stems=", "--koef=", "--stopwords=", "--decimal="})
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
}

// "сыр" stands beside "мышь" in every sentence and "кот" further off; "дом" never shares a
// sentence with it.
std::string collocatesPage() {
    std::string body;
    for (int k = 0; k < 5; ++k) body += "Мышь любит сыр и кот спит рядом. ";
    for (int k = 0; k < 5; ++k) body += "Дом стоит. ";
    return clitest::writeTemp("collocates/page.html", page(body)).string();
}

TEST(Collocates, RanksTheWordsNearTheNode) {
    const CliRun r = collocates({"--format=json", "--node=Мышь", collocatesPage()});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    const json result = json::parse(r.out);
    EXPECT_EQ(result["node"], "мыш");
    EXPECT_EQ(result["node_count"], 5);
    std::vector<std::string> texts;
    for (const json& c : result["collocates"]) texts.push_back(c["text"]);
    // любит, сыр, кот, спит: each O = 5 and f = 5, logDice 14; "и" is a stop word, рядом six words
    // off, дом never near.
    EXPECT_EQ(texts.size(), 4u) << r.out;
    EXPECT_EQ(std::ranges::find(texts, "дом"), texts.end());
    EXPECT_EQ(std::ranges::find(texts, "и"), texts.end());
    EXPECT_EQ(result["collocates"][0]["log_dice"], 14);
    EXPECT_EQ(std::ranges::find(texts, "рядом"), texts.end());
    // A span of two words reaches любит and сыр, not кот.
    const CliRun narrow = collocates({"--format=json", "--span=2", "--node=мышь", collocatesPage()});
    const json near = json::parse(narrow.out)["collocates"];
    ASSERT_EQ(near.size(), 2u) << narrow.out;
    EXPECT_TRUE(near[0]["text"] == "сыр" || near[1]["text"] == "сыр") << narrow.out;
}

TEST(Collocates, PrintsATable) {
    const CliRun r = collocates({"--format=tsv", "--node=мышь", collocatesPage()});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_TRUE(r.out.starts_with("Словооснова\tO\tE\tЧА\tMI\tMI3\tt\tLL\tlogDice\n")) << r.out;
}

TEST(Collocates, UsageAndInputErrors) {
    const std::string tooLong(1024, 'a');
    const struct {
        std::vector<std::string> args;
        int code;
        const char* message;
    } cases[] = {
        {{"page.html"}, kExitUsage, "collocates needs --node=WORD"},
        {{"--node=", "page.html"}, kExitUsage, "--node takes a word, not an empty text"},
        {{"--node=" + tooLong, "page.html"}, kExitUsage, "--node: a word of at most 1023 characters"},
        {{"--node=ω", "page.html"}, kExitUsage, "outside Windows-1251"},
        {{"--node=мышь"}, kExitUsage, "one or more pages"},
        {{"--node=мышь", "--span=0", "page.html"}, kExitUsage, "--span takes a whole number from 1 to 100"},
        {{"--node=мышь", "--span=101", "page.html"}, kExitUsage, "--span takes a whole number from 1 to 100"},
        {{"--node=мышь", "--min-count=-1", "page.html"}, kExitUsage, "--min-count takes a whole number"},
        {{"--node=мышь", (clitest::privateDir() / "none.html").string()}, kExitUnreadable, "none.html"},
    };
    for (const auto& c : cases) {
        const CliRun r = collocates(c.args);
        EXPECT_EQ(r.code, c.code) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
}

TEST(Collocates, AnAbsentNodeHasNone) {
    const CliRun r = collocates({"--format=json", "--node=слон", collocatesPage()});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(json::parse(r.out)["node_count"], 0);
    EXPECT_TRUE(json::parse(r.out)["collocates"].empty());
}

}  // namespace

namespace {

// Every option of compare's and collocates' --help is an entry of each manual page.
TEST(Compare, ManualPagesNameEveryOption) {
    for (const char* path :
         {SUMORAN_SOURCE_DIR "/man/sumoran-cli.1.md", SUMORAN_SOURCE_DIR "/man/ru/sumoran-cli.1.md"}) {
        std::ifstream file(path);
        const std::string manual((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(manual.empty()) << path;
        for (const char* entry :
             {"**--show**=**stems**|**combinations**", "**--min-count**=*N*",
              "**--p**=**0.05**|**0.01**|**0.001**|**0.0001**", "**--bonferroni**", "**--smoothing**=*N*",
              "**--node**=*", "**--span**=*N*", "**sumoran-cli compare**", "**sumoran-cli collocates**"})
            EXPECT_NE(manual.find(entry), std::string::npos) << path << ": " << entry;
    }
    for (auto command : {RunCompareCommand, RunCollocatesCommand}) {
        const CliRun help = runCommand(command, {"--help"});
        for (const char* option : {"--min-count=N", "--format=text|tsv|csv|json"})
            EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
}

}  // namespace
