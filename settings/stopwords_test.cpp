#include "settings/stopwords.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "base/cp1251.h"
#include "base/tempdir_for_tests.h"
#include "settings/stopworditems.h"

namespace settings {
namespace {

using testutil::readBytes;
using testutil::TempDir;
using testutil::writeBytes;
using Items = std::vector<std::string>;

std::string cp(std::string_view bytes) { return std::string(bytes); }

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

TEST(StopWordsParse, TableAndEditorSplitLinesAlikeAndTakeUtf8AsPagesDo) {
    const struct {
        const char* name;
        std::string file;
        Items lines;  // in file order
    } cases[] = {
        {"LF", "a\nb\nc\n", {"a", "b", "c"}},
        {"CR", "ab\rcd\ref\r", {"ab", "cd", "ef"}},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"mixed, LF CR is two line ends", "a\r\nb\nc\rd\n\re", {"a", "b", "c", "d", "e"}},
        {"last line without a line end", "a\r\nb", {"a", "b"}},
        {"empty lines add nothing", "\r\n\na\r\r\n\r\nb\n\n", {"a", "b"}},
        {"NUL ends the text", std::string("a\nb\0c\n", 7), {"a", "b"}},
        {"empty file", "", {}},
        {"UTF-8", "и\nна\nthe\n", {cp(u8"и"_cp), cp(u8"на"_cp), "the"}},
        {"UTF-8 with BOM", "\xEF\xBB\xBFthe\r\nдом", {"the", cp(u8"дом"_cp)}},
        {"ASCII with BOM", "\xEF\xBB\xBFthe\r\n", {"the"}},
        {"Windows-1251", cp(u8"дом\r\nещё\r\n"_cp), {cp(u8"дом"_cp), cp(u8"ещё"_cp)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StopWordLines(c.file), c.lines);
        EXPECT_EQ(entries(ParseStopWords(c.file)), c.lines);
        TempDir dir;
        writeBytes(dir / "stopwords.txt", c.file);
        Items sorted = c.lines;
        std::stable_sort(sorted.begin(), sorted.end(), StopWordItemLess);
        EXPECT_EQ(ReadStopWordItems(dir / "stopwords.txt").items, sorted);
    }
}

TEST(StopWordsParse, DuplicatesCountOnOneEntry) {
    TVocIndex table = ParseStopWords("a\r\n\r\na\r\n");
    EXPECT_EQ(entries(table), (Items{"a"}));
    EXPECT_EQ(table.record(0).count, 2);
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

TEST(StopWordsWrite, WritesWindows1251WithCrLfAfterEveryLine) {
    TempDir dir;
    writeBytes(dir / "stopwords.txt", "b\nдом\nc");
    EXPECT_NE(LoadStopWords(dir / "stopwords.txt").Find("c"), -1);
    StopWordItems read = ReadStopWordItems(dir / "stopwords.txt");
    EXPECT_EQ(WriteStopWords(dir / "stopwords.txt", read.items), std::nullopt);
    EXPECT_EQ(readBytes(dir / "stopwords.txt"), cp(u8"b\r\nc\r\nдом\r\n"_cp));
    EXPECT_NE(LoadStopWords(dir / "stopwords.txt").Find(u8"дом"_cp), -1);
}

TEST(StopWordsWrite, FailureIsReportedAndTheOldFileKept) {
    TempDir dir;
    std::filesystem::create_directory(dir / "stopwords.txt");
    EXPECT_EQ(WriteStopWords(dir / "stopwords.txt", {"a"}), "Не удалось сохранить стоп-слова в файл " +
                                                                (dir / "stopwords.txt").string() + ": " +
                                                                std::generic_category().message(EISDIR));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "stopwords.txt"));
}

}  // namespace
}  // namespace settings
