#include "base/numformat.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

using numformat::Fixed2;
using numformat::General;
using numformat::GeneralCut6;
using numformat::ParseFloat;
using numformat::ParseInt;

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(NumFormatFixed2, RoundsTheFifteenDigitFormHalfAwayFromZero) {
    // The binary doubles lie just below these halves; their 15-digit forms decide.
    EXPECT_EQ(Fixed2(0.125, ','), "0,13");
    EXPECT_EQ(Fixed2(2.675, ','), "2,68");
    EXPECT_EQ(Fixed2(1.005, '.'), "1.01");
    EXPECT_EQ(Fixed2(-2.675, ','), "-2,68");
    EXPECT_EQ(Fixed2(0.0049999, ','), "0,00");
    EXPECT_EQ(Fixed2(999.995, ','), "1000,00");
    EXPECT_EQ(Fixed2(2, ','), "2,00");
    EXPECT_EQ(Fixed2(100.0 / 3, '.'), "33.33");
}

TEST(NumFormatFixed2, ZeroResultHasNoSign) {
    EXPECT_EQ(Fixed2(-0.0, ','), "0,00");
    EXPECT_EQ(Fixed2(-0.001, ','), "0,00");
    EXPECT_EQ(Fixed2(-1e-300, ','), "0,00");
    EXPECT_EQ(Fixed2(-0.005, ','), "-0,01");
}

TEST(NumFormatFixed2, LargeAndSpecialValues) {
    EXPECT_EQ(Fixed2(1e20, ','), "100000000000000000000,00");
    EXPECT_EQ(Fixed2(-1e15, '.'), "-1000000000000000.00");
    EXPECT_EQ(Fixed2(-kInf, ','), "-INF");
    EXPECT_EQ(Fixed2(std::nan(""), ','), "NAN");
}

TEST(NumFormatGeneral, FixedPointWithoutTrailingZeros) {
    EXPECT_EQ(General(-0.0, ','), "0");
    EXPECT_EQ(General(0.5, ','), "0,5");
    EXPECT_EQ(General(10, '.'), "10");
    EXPECT_EQ(General(-2.5, ','), "-2,5");
    EXPECT_EQ(General(0.1 + 0.2, ','), "0,3");
    EXPECT_EQ(General(1.0 / 7, ','), "0,142857142857143");
}

TEST(NumFormatGeneral, ScientificOutsideTheFixedRangeDecidedAfterRounding) {
    EXPECT_EQ(General(1e-5, ','), "0,00001");
    EXPECT_EQ(General(9.99999999999999e-6, ','), "9,99999999999999E-6");
    EXPECT_EQ(General(9.999999999999999e-6, ','), "0,00001");
    EXPECT_EQ(General(1e-6, ','), "1E-6");
    EXPECT_EQ(General(-1.5e-7, ','), "-1,5E-7");
    EXPECT_EQ(General(999999999999999, ','), "999999999999999");
    EXPECT_EQ(General(999999999999999.9, ','), "1E15");
    EXPECT_EQ(General(2e15, ','), "2E15");
    EXPECT_EQ(General(std::numeric_limits<double>::max(), ','), "1,79769313486232E308");
    EXPECT_EQ(General(std::numeric_limits<double>::denorm_min(), '.'), "4.94065645841247E-324");
    EXPECT_EQ(General(kInf, ','), "INF");
}

namespace {

// The significant digits (without trailing zeros) and the decimal exponent of a positive number
// written by General.
std::pair<std::string, int> generalDigits(const std::string& text) {
    const std::size_t e = text.find('E');
    const std::string mantissa = text.substr(0, e);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    std::string digits;
    for (char c : mantissa) {
        if (c != '.') digits += c;
    }
    const std::size_t first = digits.find_first_not_of('0');
    int exponent = static_cast<int>(point) - 1 - static_cast<int>(first);
    if (e != std::string::npos) exponent = std::stoi(text.substr(e + 1));
    digits = digits.substr(first);
    digits.erase(digits.find_last_not_of('0') + 1);
    return {digits, exponent};
}

// The same from the 15-significant-digit scientific form of the standard library.
std::pair<std::string, int> referenceDigits(double value) {
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    const std::string text(buf, result.ptr);
    const std::size_t e = text.find('e');
    std::string digits = text.substr(0, 1) + text.substr(2, e - 2);
    digits.erase(digits.find_last_not_of('0') + 1);
    return {digits, std::stoi(text.substr(e + 1))};
}

}  // namespace

TEST(NumFormatGeneral, RoundsExactlyAsTheStandardLibrary) {
    std::vector<double> values;
    std::mt19937_64 random(2024);
    std::uniform_real_distribution<double> power(-8, 16);
    for (int k = 0; k < 60000; ++k) values.push_back(std::pow(10.0, power(random)));
    // Binary fractions j / 2^k, among them values exactly halfway between two 15-digit forms.
    for (int k = 1; k <= 24; ++k) {
        std::uniform_int_distribution<std::uint64_t> odd(std::uint64_t{1} << 40, std::uint64_t{1} << 53);
        for (int n = 0; n < 1000; ++n) values.push_back(std::ldexp(static_cast<double>(odd(random) | 1), -k));
    }
    for (int k = -8; k <= 15; ++k) {
        const double ten = std::pow(10.0, k);
        for (double v : {ten, std::nextafter(ten, 0.0), std::nextafter(ten, kInf), 5 * ten, 9.999999999999995 * ten})
            values.push_back(v);
    }
    for (double v : {100000000000000.5, 100000000000001.5, 12345678901234.25, 999999999999999.5, 0.1, 2.675})
        values.push_back(v);
    for (double v : values) {
        ASSERT_EQ(generalDigits(General(v, '.')), referenceDigits(v)) << testing::PrintToString(v);
    }
}

TEST(NumFormatGeneralCut6, TakesTheFirstSixCharactersWithoutRounding) {
    EXPECT_EQ(GeneralCut6(1.0 / 7, ','), "0,1428");
    EXPECT_EQ(GeneralCut6(0.0199999, '.'), "0.0199");
    EXPECT_EQ(GeneralCut6(1, ','), "1");
    EXPECT_EQ(GeneralCut6(12345.6, ','), "12345,");
}

TEST(NumFormatGeneralCut6, CutsAScientificFormInItsMantissaAndKeepsTheExponent) {
    struct Case {
        double value;
        char separator;
        const char* text;
    };
    const Case cases[] = {
        {4.0 / 403414, ',', "9,9E-6"},  // 9,91536684101692E-6
        {4.0 / 403414, '.', "9.9E-6"},
        {-4.0 / 403414, ',', "-9E-6"},
        {9.9153e-10, ',', "9E-10"},  // no separator left at the mantissa's end
        {1.5e-7, ',', "1,5E-7"},     // short enough already
        {1e-6, ',', "1E-6"},
        {2.5e15, ',', "2,5E15"},
        {1.23456e20, ',', "1,2E20"},
        {std::numeric_limits<double>::max(), ',', "1E308"},
        {std::numeric_limits<double>::denorm_min(), ',', "4E-324"},
        {-std::numeric_limits<double>::denorm_min(), ',', "-4E-324"},  // the sign, a digit and the exponent
        {1e-5, ',', "0,0000"},                                         // fixed point: the plain cut
    };
    for (const Case& c : cases) {
        const std::string text = GeneralCut6(c.value, c.separator);
        EXPECT_EQ(text, c.text) << testing::PrintToString(c.value);
        // The cut text reads back as the value's magnitude: at most its value, more than a tenth of it.
        const double back = ParseFloat(text, c.separator).value_or(0);
        if (std::fabs(c.value) >= 1e-5) continue;
        EXPECT_LE(std::fabs(back), std::fabs(c.value)) << text;
        EXPECT_GT(std::fabs(back), std::fabs(c.value) / 10) << text;
    }
}

TEST(NumFormatParseFloat, AcceptsTheWrittenForms) {
    EXPECT_EQ(ParseFloat("0,5", ','), 0.5);
    EXPECT_EQ(ParseFloat("0.5", '.'), 0.5);
    EXPECT_EQ(ParseFloat("  -2,5 ", ','), -2.5);
    EXPECT_EQ(ParseFloat("+3", ','), 3.0);
    EXPECT_EQ(ParseFloat(",5", ','), 0.5);
    EXPECT_EQ(ParseFloat("5,", ','), 5.0);
    EXPECT_EQ(ParseFloat("1,5E-7", ','), 1.5e-7);
    EXPECT_EQ(ParseFloat("2e+15", ','), 2e15);
    EXPECT_EQ(ParseFloat("1E-400", ','), 0.0);  // underflow reads as zero
}

TEST(NumFormatParseFloat, RejectsOtherTexts) {
    for (std::string_view text : {"0.5", "", "   ", "abc", "1a", "1 000", "1.000,5", "1,000,5", ",", "-", "1E", "E5",
                                  "\t1", "INF", "NAN", "0x10", "1E400", "-1E99999999999999999999"}) {
        EXPECT_EQ(ParseFloat(text, ','), std::nullopt) << text;
    }
    EXPECT_EQ(ParseFloat("0,5", '.'), std::nullopt);
    EXPECT_EQ(ParseFloat(std::string_view("1\0", 2), ','), std::nullopt);
}

TEST(NumFormatParseFloat, ReadsBackWhatTheFormatsWrite) {
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> power(-30, 30);
    for (char separator : {',', '.'}) {
        for (int n = 0; n < 2000; ++n) {
            double value = mantissa(random) * std::pow(10.0, power(random));
            std::string text = General(value, separator);
            auto back = ParseFloat(text, separator);
            ASSERT_TRUE(back) << text;
            EXPECT_EQ(General(*back, separator), text);
            EXPECT_LE(std::fabs(*back - value), std::fabs(value) * 1e-14) << text;
            auto fixed = ParseFloat(Fixed2(value, separator), separator);
            ASSERT_TRUE(fixed) << Fixed2(value, separator);
            EXPECT_LE(std::fabs(*fixed - value), 0.005 + std::fabs(value) * 1e-14);
        }
    }
}

TEST(NumFormatParseInt, ReadsSignedDecimalIntegers) {
    EXPECT_EQ(ParseInt(" -7 "), -7);
    EXPECT_EQ(ParseInt("+3"), 3);
    EXPECT_EQ(ParseInt("-9223372036854775808"), std::numeric_limits<long long>::min());
    for (std::string_view text : {"", "-", "+-3", "4,2", "1e3", "1 000", "9223372036854775808"}) {
        EXPECT_EQ(ParseInt(text), std::nullopt) << text;
    }
}
