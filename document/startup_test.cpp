#include "document/startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class StartupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("sumoran-startup-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    void write(const char* name, const std::string& bytes) { std::ofstream(dir_ / name, std::ios::binary) << bytes; }

    fs::path dir_;
};

TEST_F(StartupTest, MissingKoefStartsWithDefaults) {
    write("stopwords.txt", "and\r\nthe\r\n");
    StartupResult r = LoadStartupSettings(dir_, ',');
    ASSERT_FALSE(r.error);
    EXPECT_FALSE(r.warning);
    EXPECT_EQ(r.settings.note, "");
    EXPECT_EQ(r.settings.koef.koefH1, 10);
    EXPECT_EQ(r.settings.stopWords.size(), 2);
    EXPECT_EQ(r.settings.stopWordItems.size(), 2u);
}

TEST_F(StartupTest, MissingStopWordsEndsTheStartUp) {
    StartupResult r = LoadStartupSettings(dir_, ',');
    ASSERT_TRUE(r.error);
    EXPECT_EQ(*r.error, "Cannot open file " + (dir_ / "stopwords.txt").string());
}

// A koef.dat the program cannot read no longer ends the start-up: its message is shown, and the
// program goes on with all eighteen defaults, not with the lines read before the bad one.
TEST_F(StartupTest, UnreadableKoefWarnsAndStartsWithTheDefaults) {
    std::string lines;
    for (int i = 0; i < 18; ++i) lines += i == 2 ? "0,2x\r\n" : "1\r\n";
    const std::string koefPath = (dir_ / "koef.dat").string();
    const struct {
        const char* name;
        bool badLine;  // else koef.dat is a folder, which cannot be read
        bool stopWords;
        std::string warning;
    } cases[] = {
        {"a line that is not a number", true, true, koefPath + ", line 3: '0,2x' is not a valid floating point value"},
        {"a file that cannot be opened", false, true, "Cannot open file " + koefPath},
        {"and no stopwords.txt", true, false, koefPath + ", line 3: '0,2x' is not a valid floating point value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        if (c.stopWords) write("stopwords.txt", "and\r\n");
        if (c.badLine) write("koef.dat", lines);
        if (!c.badLine) fs::create_directory(dir_ / "koef.dat");
        StartupResult r = LoadStartupSettings(dir_, ',');
        EXPECT_EQ(r.warning, c.warning);
        EXPECT_EQ(r.settings.koef.values(), Coefficients{}.values());
        EXPECT_EQ(r.settings.note, kKoefDefaultsNote);
        EXPECT_EQ(r.error.has_value(), !c.stopWords);
        EXPECT_EQ(r.settings.stopWords.size(), c.stopWords ? 1 : 0);
    }
}

}  // namespace
