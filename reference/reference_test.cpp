// Reading a reference: a page counts the rows of its lists' default filters whatever the window
// shows, a reading stops when cancelled, and JSON Lines are told by their name.
#include "reference/reference.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/cp1251.h"
#include "base/tempdir_for_tests.h"

namespace {

void writePage(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary)
        << "<html><head><meta charset=\"utf-8\"></head><body><p>" << text << "</p></body></html>";
}

TEST(Reference, APageCountsItsDefaultRowsWhateverTheListsShow) {
    Document doc;
    AnalyseSource(
        doc, cp1251::fromUtf8Lossy("<html><body><p>Кот ловит мышь. Кот спит. NASA и ООН молчат.</p></body></html>"));
    Corpus shown;
    ASSERT_FALSE(AddAnalysedPage(doc, shown));
    ShowAllTypes(doc, ResultList::kWordBase);
    SetTypeShown(doc, ResultList::kWordExpr, 0, false);
    Corpus filtered;
    ASSERT_FALSE(AddAnalysedPage(doc, filtered));
    EXPECT_EQ(WordsOf(filtered), WordsOf(shown));
    EXPECT_EQ(filtered.stems.size(), shown.stems.size());
    EXPECT_EQ(filtered.combinations.size(), shown.combinations.size());
    EXPECT_EQ(shown.stems.at("кот").count, 2);
}

TEST(Reference, AFolderIsReadPageByPageUntilCancelled) {
    settings::testutil::TempDir dir;
    writePage(dir / "a.html", "Собака охраняет дом. Собака спит.");
    writePage(dir / "b.html", "Большой дом стоит у реки.");
    PageAnalysis analysis;
    std::istringstream none;
    Corpus corpus;
    ASSERT_FALSE(AddInput(dir.path().string(), none, analysis, corpus));
    EXPECT_EQ(corpus.pages, 2);
    EXPECT_EQ(corpus.stems.at("дом").count, 2);
    EXPECT_EQ(corpus.stems.at("дом").pages, 2);

    std::atomic<bool> cancel = true;
    analysis.limits.cancel = &cancel;
    Corpus stopped;
    EXPECT_EQ(AddInput(dir.path().string(), none, analysis, stopped), "cancelled");
    EXPECT_EQ(stopped.pages, 0);
}

TEST(Reference, JsonLinesAreToldByTheirName) {
    for (const auto& [name, expected] : std::vector<std::pair<std::string, bool>>{{"run.jsonl", true},
                                                                                  {"RUN.JSONL", true},
                                                                                  {"run.json", false},
                                                                                  {".jsonl", true},
                                                                                  {"jsonl", false},
                                                                                  {"https://x.org/a.jsonl", false}})
        EXPECT_EQ(IsJsonLines(name), expected) << name;
}

}  // namespace
