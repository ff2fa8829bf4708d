#include "settings/koef.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <limits>
#include <system_error>

#include "base/tempdir_for_tests.h"
#include "base/textfile.h"
#include "settings/locale_for_tests.h"

namespace settings {
namespace {

using testutil::readBytes;
using testutil::TempDir;
using testutil::writeBytes;

// Eighteen lines holding 1 .. 18, one line replaced, each followed by the line end.
std::string numberedFile(int replacedLine = 0, std::string_view replacement = "", std::string_view end = "\r\n") {
    std::string text;
    for (int line = 1; line <= 18; ++line) {
        text += line == replacedLine ? std::string(replacement) : std::to_string(line);
        text += end;
    }
    return text;
}

const std::array<double, Coefficients::kCount> kDefaults = Coefficients{}.values();

TEST(KoefParse, EighteenLinesOfAnyLineEndSetAllValuesInFileOrder) {
    for (std::string_view end : {"\r\n", "\n", "\r"}) {
        KoefLoadResult result = ParseKoef(numberedFile(0, "", end), ',');
        EXPECT_EQ(result.error, std::nullopt);
        EXPECT_EQ(result.values.koefH1, 5);
        EXPECT_EQ(result.values.koefOther, 18);
    }
    std::string noLastLineEnd = numberedFile();
    noLastLineEnd.resize(noLastLineEnd.size() - 2);
    EXPECT_EQ(ParseKoef(noLastLineEnd, ',').values.koefOther, 18);
}

TEST(KoefParse, ZeroNegativeAndScientificValuesAreAccepted) {
    EXPECT_EQ(ParseKoef(numberedFile(3, "0"), ',').values.koefForm, 0);
    EXPECT_EQ(ParseKoef(numberedFile(4, "-1,5"), ',').values.koefImgAlt, -1.5);
    EXPECT_EQ(ParseKoef(numberedFile(4, " 1E-6 "), ',').values.koefImgAlt, 1e-6);
    EXPECT_EQ(ParseKoef(numberedFile(2, "0.25"), '.').values.koefMeta, 0.25);
}

TEST(KoefParse, AnyOtherLineCountKeepsTheDefaultsSilently) {
    std::string eighteen = numberedFile();
    std::string seventeen = eighteen.substr(0, eighteen.rfind("18\r\n"));
    for (const std::string& text : {std::string(), seventeen, eighteen + "19\r\n", eighteen + "\r\n"}) {
        KoefLoadResult result = ParseKoef(text, ',');
        EXPECT_EQ(result.error, std::nullopt);
        EXPECT_EQ(result.values.values(), kDefaults);
    }
}

TEST(KoefParse, BadLineKeepsTheValuesBeforeIt) {
    KoefLoadResult result = ParseKoef(numberedFile(5, "abc"), ',');
    EXPECT_EQ(result.error, "line 5: 'abc' is not a valid floating point value");
    std::array<double, Coefficients::kCount> expected = kDefaults;
    for (int i = 0; i < 4; ++i) expected[i] = i + 1;
    EXPECT_EQ(result.values.values(), expected);

    EXPECT_EQ(ParseKoef(numberedFile(2, "0.2,5"), ',').error, "line 2: '0.2,5' is not a valid floating point value");
    KoefLoadResult empty = ParseKoef(numberedFile(18, ""), ',');
    EXPECT_EQ(empty.error, "line 18: '' is not a valid floating point value");
    EXPECT_EQ(empty.values.koefAlnum, 17);
    EXPECT_EQ(empty.values.koefOther, 0.1);
}

TEST(KoefParse, BinaryContentNeverCrashes) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
    EXPECT_EQ(ParseKoef(binary, ',').values.values(), kDefaults);
    EXPECT_EQ(ParseKoef(numberedFile(1, "\xC0\xFF"), ',').error,
              "line 1: '\xC0\xFF' is not a valid floating point value");
}

TEST(KoefParse, ValueTakesEitherSeparatorButNotBothOrTwo) {
    EXPECT_EQ(ParseKoefValue("1.5"), 1.5);
    EXPECT_EQ(ParseKoefValue(" -2,5E3 "), -2500);
    EXPECT_EQ(ParseKoefValue(",5"), 0.5);
    for (const char* bad : {"1,5.3", "1.5,3", "1..5", "1,,5", "1,5,3", ",", "1 000,5", "1,5x"})
        EXPECT_EQ(ParseKoefValue(bad), std::nullopt) << bad;
}

TEST(KoefParse, FileOfEitherSeparatorReadsWithEitherArgumentUnderAnyLocale) {
    Coefficients written;
    written.koefMeta = 0.25;
    written.koefH1 = 1.0 / 3;
    written.koefOther = -1.5e-7;
    std::vector<const char*> locales = {"C"};
    if (testutil::russianLocaleAvailable()) locales.push_back(testutil::kRussianLocale);
    for (const char* locale : locales) {
        testutil::ScopedLocale scoped(locale);
        for (char inFile : {'.', ','}) {
            for (char argument : {'.', ','}) {
                SCOPED_TRACE(std::string(locale) + " file " + inFile + " argument " + argument);
                KoefLoadResult read = ParseKoef(JoinCrLfLines(KoefEditorLines(written, inFile)), argument);
                EXPECT_EQ(read.error, std::nullopt);
                EXPECT_EQ(KoefEditorLines(read.values, '.'), KoefEditorLines(written, '.'));
            }
        }
    }
    if (locales.size() == 1) GTEST_SKIP() << "ru_RU.UTF-8 is neither installed nor can be made with localedef";
}

TEST(KoefLoad, ErrorNamesTheFileAndTheLine) {
    TempDir dir;
    std::filesystem::create_directory(dir / "настройки");
    const struct {
        std::filesystem::path path;
        std::string shown;  // the path as the message holds it, in UTF-8
    } cases[] = {
        {dir / "koef.dat", (dir / "koef.dat").string()},
        {dir / "настройки" / "koef.dat", (dir / "настройки" / "koef.dat").string()},
        {dir / "\xFF.dat", (dir / "?.dat").string()},
    };
    for (const auto& c : cases) {
        writeBytes(c.path, numberedFile(3, "1,5x"));
        KoefLoadResult read = LoadKoef(c.path);
        ASSERT_TRUE(read.error);
        EXPECT_EQ(*read.error, c.shown + ", line 3: '1,5x' is not a valid floating point value");
        EXPECT_EQ(read.values.koefMeta, 2);
    }
}

TEST(KoefLoad, MissingFileIsSilentUnreadableFileIsReported) {
    TempDir dir;
    KoefLoadResult missing = LoadKoef(dir / "koef.dat", ',');
    EXPECT_EQ(missing.error, std::nullopt);
    EXPECT_EQ(missing.values.values(), kDefaults);
    std::filesystem::create_directory(dir / "koef.dat");
    KoefLoadResult directory = LoadKoef(dir / "koef.dat", ',');
    EXPECT_EQ(directory.error, "Cannot open file " + (dir / "koef.dat").string());
    EXPECT_EQ(directory.values.values(), kDefaults);
}

TEST(KoefWrite, WritesTheTextsAsGivenWithCrLf) {
    TempDir dir;
    std::vector<std::string> lines = KoefEditorLines(Coefficients{}, ',');
    lines[0] = "2,50";  // typed by the user, not re-formatted
    EXPECT_EQ(WriteKoef(dir / "koef.dat", lines), std::nullopt);
    std::string bytes = readBytes(dir / "koef.dat");
    EXPECT_EQ(bytes.substr(0, 19), "2,50\r\n0,5\r\n0,2\r\n0,2");
    EXPECT_EQ(bytes.substr(bytes.size() - 5), "0,1\r\n");
}

TEST(KoefWrite, ReloadGivesTheSameValuesWithEitherSeparator) {
    for (char separator : {',', '.'}) {
        TempDir dir;
        Coefficients values;
        values.koefH1 = 1.0 / 3;
        values.koefPre = -0.75;
        values.koefU = 0;
        values.koefOther = 1e-7;
        values.koefName = 2.5e20;
        ASSERT_EQ(WriteKoef(dir / "koef.dat", KoefEditorLines(values, separator)), std::nullopt);
        KoefLoadResult loaded = LoadKoef(dir / "koef.dat", separator);
        EXPECT_EQ(loaded.error, std::nullopt);
        EXPECT_EQ(KoefEditorLines(loaded.values, separator), KoefEditorLines(values, separator));
    }
}

TEST(KoefWrite, EveryValueReadsBackFromItsText) {
    constexpr double kMax = std::numeric_limits<double>::max();
    for (double value : {kMax, -kMax, 1.7976931348623151e308, 1.0 / 3, -2.5e-7, 2.5e20, 0.0}) {
        for (char separator : {',', '.'}) {
            const std::string text = FormatKoef(value, separator);
            SCOPED_TRACE(text);
            EXPECT_EQ(text.find(separator == ',' ? '.' : ','), std::string::npos);
            const std::optional<double> read = ParseKoefValue(text);
            ASSERT_TRUE(read);
            EXPECT_LE(std::abs(*read - value), std::abs(value) * 1e-14);
        }
    }
}

TEST(KoefWrite, FailureIsReportedAndTheOldFileKept) {
    TempDir dir;
    EXPECT_EQ(WriteKoef(dir / "none" / "koef.dat", {"1"}), "Не удалось сохранить весовые коэффициенты в файл " +
                                                               (dir / "none" / "koef.dat").string() + ": " +
                                                               std::generic_category().message(ENOENT));
    writeBytes(dir / "koef.dat", numberedFile());
    testutil::giveToNobodyIfRoot(dir.path());
    const std::filesystem::path file = dir / "koef.dat";
    EXPECT_EQ(testutil::exitStatusAsNonRoot([&] {
                  return ::chmod(dir.path().c_str(), 0555) == 0 &&
                         WriteKoef(file, {"1"}) == "Не удалось сохранить весовые коэффициенты в файл " + file.string() +
                                                       ": " + std::generic_category().message(EACCES);
              }),
              0);
    EXPECT_EQ(readBytes(file), numberedFile());
}

TEST(KoefEditor, ShowsDefaultsAndCategoryTexts) {
    std::vector<std::string> comma = KoefEditorLines(Coefficients{}, ',');
    ASSERT_EQ(comma.size(), Coefficients::kCount);
    EXPECT_EQ(comma[4], "10");
    EXPECT_EQ(comma[17], "0,1");
    EXPECT_EQ(KoefEditorLines(Coefficients{}, '.')[17], "0.1");
    EXPECT_EQ(kKoefCategoryTexts[4], "<h1>...</h1>");
    EXPECT_EQ(cp1251::toUtf8(kKoefCategoryTexts[1]), "<meta content=... name=keywords и т.д.>");
    EXPECT_EQ(cp1251::toUtf8(kKoefCategoryTexts[17]), "Тип: Непонятные сочетания символов");
}

TEST(KoefEditor, ValueThatIsNotANumberIsNamedByItsRow) {
    const struct {
        std::size_t row;
        std::string text;  // Windows-1251
        std::optional<std::string> error;
    } cases[] = {
        {4, "abc", "Вес в строке 5 «<h1>...</h1>» — не число: «abc»"},
        {17, "", "Вес в строке 18 «Тип: Непонятные сочетания символов» — не число: «»"},
        {0, "\xE4\xE2\xE0", "Вес в строке 1 «<title>...</title>» — не число: «два»"},
        {1, "0,5.", "Вес в строке 2 «<meta content=... name=keywords и т.д.>» — не число: «0,5.»"},
        {2, "1e999", "Вес в строке 3 «<form>...</form>» — не число: «1e999»"},
        {3, "0,5", std::nullopt},
        {3, " -2.5E3 ", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(KoefValueError(c.row, c.text), c.error) << c.text;

    std::vector<std::string> lines = KoefEditorLines(Coefficients{}, ',');
    EXPECT_EQ(KoefLinesError(lines), std::nullopt);
    lines[6] = "x";
    lines[2] = "";
    EXPECT_EQ(KoefLinesError(lines), KoefValueError(2, ""));
}

}  // namespace
}  // namespace settings
