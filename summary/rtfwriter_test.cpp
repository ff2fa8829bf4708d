#include "summary/rtfwriter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "base/cp1251.h"
#include "base/tempdir_for_tests.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace fs = std::filesystem;
using settings::testutil::readBytes;
using settings::testutil::TempDir;

SummaryParagraph paragraph(std::string_view utf8, bool bold = false) {
    return {cp1251::fromUtf8Strict(utf8).value(), bold};
}

TEST(RtfFileName, AppendsRtfUnlessTheFileNameEndsInIt) {
    EXPECT_EQ(RtfFileName("summary"), "summary.rtf");
    EXPECT_EQ(RtfFileName("a.RTF"), "a.RTF");
    EXPECT_EQ(RtfFileName("summary.txt"), "summary.txt.rtf");
    EXPECT_EQ(RtfFileName("summary.rtfx"), "summary.rtfx.rtf");
    EXPECT_EQ(RtfFileName("/tmp/dir.v2/summary"), "/tmp/dir.v2/summary.rtf");
    EXPECT_EQ(RtfFileName("/tmp/x.rtf/summary"), "/tmp/x.rtf/summary.rtf");
}

TEST(SummaryToRtf, EscapesTextAndMarksBoldParagraphs) {
    std::string rtf = SummaryToRtf({paragraph("Жё", true), paragraph("a\\b {c}\tx\x01y")});
    EXPECT_THAT(rtf, StartsWith("{\\rtf1\\ansi\\ansicpg1251"));
    EXPECT_THAT(rtf, HasSubstr("\\fcharset204"));
    EXPECT_THAT(
        rtf, HasSubstr("\\b \\u1046\\'c6\\u1105\\'b8\\b0\\par\n\\pard\\plain\\f0\\fs20 a\\\\b \\{c\\}\\tab xy\\par"));
    EXPECT_TRUE(std::all_of(rtf.begin(), rtf.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
}

TEST(SaveSummaryRtf, ReplacesAFileOrReportsThatItCannotBeCreated) {
    TempDir dir;
    fs::path file = dir / "summary.rtf";
    std::ofstream(file) << std::string(10000, 'x');
    EXPECT_EQ(SaveSummaryRtf(file.string(), {paragraph("Один")}), std::nullopt);
    EXPECT_EQ(readBytes(file), SummaryToRtf({paragraph("Один")}));

    std::string missing = (dir / "no-such-folder" / "summary.rtf").string();
    EXPECT_EQ(SaveSummaryRtf(missing, {}),
              "Не удалось сохранить автореферат в файл " + missing + ": " + std::generic_category().message(ENOENT));
    EXPECT_FALSE(fs::exists(missing));
}

// Converts with the office suite's headless converter and returns the converted file's content.
std::string convert(const TempDir& dir, const fs::path& file, const std::string& filter, const std::string& ext) {
    std::string command = "soffice -env:UserInstallation=file://" + (dir / "profile").string() +
                          " --headless --convert-to '" + filter + "' --outdir '" + dir.path().string() + "' '" +
                          file.string() + "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return readBytes(dir / (file.stem().string() + "." + ext));
}

TEST(SummaryRtfRoundTrip, OfficeSuiteReadsTheSameParagraphsBack) {
    if (std::system("command -v soffice >/dev/null 2>&1") != 0) GTEST_SKIP() << "soffice is not on PATH";
    std::vector<std::string> texts{"Заголовок статьи", "Первое предложение, с «кавычками» и {скобками}.",
                                   "Обратная черта \\ и тире — Ёё №1.", "Latin text, 2.5 per cent."};
    std::vector<SummaryParagraph> paragraphs;
    for (const std::string& t : texts) paragraphs.push_back(paragraph(t, paragraphs.empty()));
    TempDir dir;
    fs::path file = dir / RtfFileName("summary");
    ASSERT_EQ(SaveSummaryRtf(file.string(), paragraphs), std::nullopt);

    std::istringstream text(convert(dir, file, "txt:Text (encoded):UTF8", "txt"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) {
        if (lines.empty() && line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);  // byte-order mark
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    EXPECT_EQ(lines, texts);
}

}  // namespace
