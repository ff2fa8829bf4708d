// sumoran-cli's text figures, checks and zones in every format.
#include "cli/figures_output.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/clirun_for_tests.h"

namespace {

using namespace clitest;
using json = nlohmann::json;

// A title without the key word, two <h1>, no description; "кот" three times, "пёс" twice, "лис"
// in a link and "сом" in bold: 7 words, 4 stems, none a stop word.
const std::string kPage =
    "<html><head><title>Рыбы</title></head><body><h1>Кот</h1><h1>Пёс</h1>"
    "<p>кот кот пёс <a href=\"x\">лис</a> <b>сом</b></p></body></html>";

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

TEST(CliMetrics, TextPrintsEveryFigureAndCheck) {
    const CliRun r = run({"--show=metrics", "--decimal=,"}, kPage);
    ASSERT_EQ(r.code, 0) << r.err;
    const std::vector<std::string> expected = {
        "Символов с пробелами: 27",  // "Кот", "Пёс" and "кот кот пёс лис сом", blocks as spaces
        "Символов без пробелов: 21",
        "Слов: 7",
        "Уникальных словооснов: 4",
        "Значимых слов: 7",
        "Стоп-слов: 0",
        "Вода, %: 0,00",
        "Тошнота классическая: 1,73",       // кот 3 times
        "Тошнота академическая, %: 71,43",  // (3 + 2) / 7
        "Доля десяти самых весомых словооснов, %: 100,00",
    };
    const std::vector<std::string> got = lines(r.out);
    ASSERT_EQ(got.size(), expected.size() + 3 + 2 + 6) << r.out;  // key stems, a blank and a caption, checks
    for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_EQ(got[k], expected[k]);
    EXPECT_NE(r.out.find("Проверки страницы:\n"), std::string::npos);
    EXPECT_NE(r.out.find("Длина заголовка (title): в порядке — 4 знаков\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Длина описания (meta description): ошибка — описания нет\n"), std::string::npos);
    EXPECT_NE(r.out.find("Заголовки <h1>: замечание — заголовков <h1>: 2, нужен один\n"), std::string::npos);
    EXPECT_NE(r.out.find("Ключевые словоосновы в заголовке (title): замечание — нет словооснов: "), std::string::npos);
}

TEST(CliMetrics, TsvAndCsvHoldTheHints) {
    const CliRun tsv = run({"--show=metrics", "--format=tsv", "--decimal=."}, kPage);
    const std::vector<std::string> rows = lines(tsv.out);
    ASSERT_EQ(rows.size(), 1u + 13u + 6u) << tsv.out;  // captions, 10 figures, 3 key stems, 6 checks
    EXPECT_EQ(rows[0], "Показатель\tЗначение\tПояснение");
    EXPECT_TRUE(rows[7].starts_with("Вода, %\t0.00\t(Слов - Значимых слов) / Слов · 100")) << rows[7];
    const CliRun csv = run({"--show=metrics", "--format=csv", "--decimal=."}, kPage);
    EXPECT_TRUE(csv.out.starts_with("\xEF\xBB\xBFПоказатель,Значение,Пояснение\r\nСимволов с пробелами,27,"))
        << csv.out;
}

TEST(CliMetrics, JsonAlwaysHoldsMetricsAndZonesOnlyWhenAsked) {
    const json plain = json::parse(run({"--format=json"}, kPage).out);
    ASSERT_TRUE(plain.contains("metrics"));
    EXPECT_FALSE(plain.contains("zones"));
    const json& m = plain["metrics"];
    EXPECT_EQ(m["words"], 7);
    EXPECT_EQ(m["h1_count"], 2);
    EXPECT_EQ(m["title_length"], 4);
    EXPECT_TRUE(m["description_length"].is_null());
    EXPECT_DOUBLE_EQ(m["nausea_academic_percent"].get<double>(), 71.43);
    ASSERT_EQ(m["key_stems"].size(), 3u);
    ASSERT_EQ(m["checks"].size(), 6u);
    EXPECT_EQ(m["checks"][2]["check"], "h1_count");
    EXPECT_EQ(m["checks"][2]["verdict"], "warning");
    EXPECT_EQ(m["checks"][1]["verdict"], "fault");

    const json zoned = json::parse(run({"--format=json", "--zones"}, kPage).out);
    ASSERT_TRUE(zoned.contains("zones"));
    bool found = false;
    for (const json& row : zoned["zones"]) {
        if (row["stem"] != "кот") continue;
        found = true;
        EXPECT_EQ(row["h1"], 1);
        EXPECT_EQ(row["body"], 3);
        EXPECT_EQ(row["title"], 0);
        EXPECT_EQ(row["listed"], true);
    }
    EXPECT_TRUE(found) << zoned["zones"].dump();
    // Рыбы stands only in the title, which the lists do not index by default.
    EXPECT_EQ(zoned["zones"].back()["listed"], false);
    EXPECT_EQ(zoned["zones"].back()["title"], 1);
}

TEST(CliZones, TsvAndTextListEveryStemByZone) {
    const CliRun tsv = run({"--show=zones", "--format=tsv"}, kPage);
    const std::vector<std::string> rows = lines(tsv.out);
    ASSERT_EQ(rows.size(), 1u + 4u + 1u) << tsv.out;  // captions, four listed stems, one outside
    EXPECT_EQ(rows[0], "Словооснова\ttitle\tdescription\tkeywords\th1\th2–h6\tb, strong\tСсылки\talt\tТекст\tВ списке");
    EXPECT_TRUE(rows.back().ends_with("\t1\t0\t0\t0\t0\t0\t0\t0\t0\tнет")) << rows.back();
    const CliRun text = run({"--show=zones"}, kPage);
    EXPECT_TRUE(text.out.starts_with("Словооснова  title")) << text.out;
    const CliRun csv = run({"--show=zones", "--format=csv"}, kPage);
    EXPECT_TRUE(csv.out.starts_with("\xEF\xBB\xBFСловооснова,title,")) << csv.out;
}

TEST(CliMetrics, MainTextModeSaysWhatTheFiguresAreOf) {
    const CliRun r = run({"--show=metrics", "--content=main"}, kPage);
    EXPECT_TRUE(r.out.starts_with("Основной текст не найден: показатели всей страницы\n\n") ||
                r.out.starts_with("Показатели основного текста страницы\n\n"))
        << r.out;
}

}  // namespace
