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
    EXPECT_EQ(r.settings.koef.koefH1, 10);
    EXPECT_EQ(r.settings.stopWords.size(), 2);
    EXPECT_EQ(r.settings.stopWordItems.size(), 2u);
}

TEST_F(StartupTest, MissingStopWordsEndsTheStartUp) {
    StartupResult r = LoadStartupSettings(dir_, ',');
    ASSERT_TRUE(r.error);
    EXPECT_EQ(*r.error, "Cannot open file " + (dir_ / "stopwords.txt").string());
}

TEST_F(StartupTest, BadKoefValueEndsTheStartUp) {
    write("stopwords.txt", "and\r\n");
    std::string lines;
    for (int i = 0; i < 18; ++i) lines += i == 2 ? "0,2x\r\n" : "1\r\n";
    write("koef.dat", lines);
    StartupResult r = LoadStartupSettings(dir_, ',');
    ASSERT_TRUE(r.error);
    EXPECT_EQ(*r.error, (dir_ / "koef.dat").string() + ", line 3: '0,2x' is not a valid floating point value");
}

}  // namespace
