#include "settings/stopwords.h"

#include <gtest/gtest.h>

#include "engine/cp1251.h"
#include "settings/tempdir_for_tests.h"

namespace settings {
namespace {

using testutil::readBytes;
using testutil::TempDir;
using testutil::writeBytes;
using Items = std::vector<std::string>;

// The entries of a table in id order.
Items entries(const TVocIndex& table) {
    Items texts;
    for (std::int32_t id = 0; id < table.size(); ++id) texts.emplace_back(table.text(id));
    return texts;
}

TEST(StopWordsParse, EveryCrLfLineIsAnEntryWithZeroWeightLinkAndCode) {
    TVocIndex table = ParseStopWords(u8"и\r\nв\r\nна \r\n"_cp);
    EXPECT_EQ(entries(table), (Items{std::string(u8"и"_cp), std::string(u8"в"_cp), std::string(u8"на "_cp)}));
    for (std::int32_t id = 0; id < table.size(); ++id) {
        EXPECT_EQ(table.record(id).weight, 0);
        EXPECT_EQ(table.record(id).link, 0);
        EXPECT_EQ(table.record(id).code, 0u);
    }
    EXPECT_EQ(table.Find(u8"на"_cp), -1);  // the trailing space is part of the entry
}

TEST(StopWordsParse, LastLineWithoutLineEndIsNotAdded) {
    EXPECT_EQ(entries(ParseStopWords("a\r\nb")), (Items{"a"}));
    EXPECT_EQ(entries(ParseStopWords("a\r")), (Items{"a"}));
}

TEST(StopWordsParse, LfOnlyFileGivesNothing) {
    EXPECT_EQ(ParseStopWords("a\nb\nc\n").size(), 0);
    EXPECT_EQ(ParseStopWords("").size(), 0);
}

TEST(StopWordsParse, TheByteAfterEachCrIsSkippedUnseen) {
    EXPECT_EQ(entries(ParseStopWords("ab\rcd\ref\r")), (Items{"ab", "d", "f"}));
    EXPECT_EQ(entries(ParseStopWords("a\r\rb\r\n")), (Items{"a", "b"}));
}

TEST(StopWordsParse, EmptyLinesAndDuplicates) {
    TVocIndex table = ParseStopWords("a\r\n\r\na\r\n");
    EXPECT_EQ(entries(table), (Items{"a", ""}));
    EXPECT_EQ(table.record(0).count, 2);
    EXPECT_EQ(table.text(1).size(), 0u);
}

TEST(StopWordsLoad, UnreadableFileGivesAnEmptyTable) {
    TempDir dir;
    EXPECT_EQ(LoadStopWords(dir / "stopwords.txt").size(), 0);
    std::filesystem::create_directory(dir / "stopwords.txt");
    EXPECT_EQ(LoadStopWords(dir / "stopwords.txt").size(), 0);
    writeBytes(dir / "plain", "x\r\n");
    EXPECT_EQ(LoadStopWords(dir / "plain").size(), 1);
}

TEST(StopWordItemsRead, TextLinesInSortedOrder) {
    TempDir dir;
    writeBytes(dir / "stopwords.txt", std::string(u8"я\r\nб\nа\rв"_cp) + std::string("\r\n\0g\r\n", 6));
    StopWordItems read = ReadStopWordItems(dir / "stopwords.txt");
    EXPECT_EQ(read.error, std::nullopt);
    EXPECT_EQ(read.items,
              (Items{std::string(u8"а"_cp), std::string(u8"б"_cp), std::string(u8"в"_cp), std::string(u8"я"_cp)}));
    writeBytes(dir / "empty.txt", "");
    StopWordItems empty = ReadStopWordItems(dir / "empty.txt");
    EXPECT_EQ(empty.error, std::nullopt);
    EXPECT_TRUE(empty.items.empty());
}

TEST(StopWordItemsRead, MissingFileIsReportedWithItsPath) {
    TempDir dir;
    StopWordItems read = ReadStopWordItems(dir / "stopwords.txt");
    EXPECT_EQ(read.error, "Cannot open file " + (dir / "stopwords.txt").string());
    EXPECT_TRUE(read.items.empty());
}

TEST(StopWordsWrite, ItemsWithCrLfMakeTheLastWordCount) {
    TempDir dir;
    writeBytes(dir / "stopwords.txt", "b\r\na\r\nc");
    EXPECT_EQ(LoadStopWords(dir / "stopwords.txt").Find("c"), -1);
    StopWordItems read = ReadStopWordItems(dir / "stopwords.txt");
    EXPECT_EQ(WriteStopWords(dir / "stopwords.txt", read.items), std::nullopt);
    EXPECT_EQ(readBytes(dir / "stopwords.txt"), "a\r\nb\r\nc\r\n");
    EXPECT_NE(LoadStopWords(dir / "stopwords.txt").Find("c"), -1);
}

TEST(StopWordsWrite, FailureIsReportedAndTheOldFileKept) {
    TempDir dir;
    std::filesystem::create_directory(dir / "stopwords.txt");
    EXPECT_EQ(WriteStopWords(dir / "stopwords.txt", {"a"}), "Cannot create file " + (dir / "stopwords.txt").string());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "stopwords.txt"));
}

}  // namespace
}  // namespace settings
