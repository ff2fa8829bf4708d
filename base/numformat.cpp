#include "base/numformat.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace numformat {
namespace {

constexpr int kDigits = 15;

// A finite nonzero magnitude rounded to 15 significant decimal digits:
// digits[0].digits[1..14] x 10^exponent, digits[0] never '0'.
struct Decimal15 {
    char digits[kDigits];
    int exponent;
};

using Uint128 = unsigned __int128;

constexpr std::uint64_t kLeast15Digits = 100'000'000'000'000;  // 10^14
constexpr int kMaxQuickPower = 21;

constexpr std::array<Uint128, kMaxQuickPower + 1> makePowersOfTen() {
    std::array<Uint128, kMaxQuickPower + 1> powers{};
    powers[0] = 1;
    for (std::size_t k = 1; k < powers.size(); ++k) powers[k] = powers[k - 1] * 10;
    return powers;
}

constexpr auto kPowersOfTen = makePowersOfTen();

// Writes the 15 decimal digits of n < 10^15, two at a time in 32 bits.
void putDigits(char* out, std::uint64_t n) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    auto low = static_cast<std::uint32_t>(n % 100'000'000);   // digits 7..14
    auto high = static_cast<std::uint32_t>(n / 100'000'000);  // digits 0..6
    for (int k = kDigits - 2; k >= 7; k -= 2, low /= 100) std::memcpy(out + k, kPairs + 2 * (low % 100), 2);
    for (int k = 5; k >= 1; k -= 2, high /= 100) std::memcpy(out + k, kPairs + 2 * (high % 100), 2);
    out[0] = static_cast<char>('0' + high);
}

// toDecimal15 for 1e-7 <= magnitude < 1e15, the values the lists show, without a general
// conversion: the exact binary value m * 2^e is scaled by 10^(14 - E) in 128-bit integers
// (m < 2^53 and 10^21 < 2^70) and rounded half to even, as to_chars rounds. Nothing outside that
// range.
std::optional<Decimal15> quickDecimal15(double magnitude) {
    if (!(magnitude >= 1e-7 && magnitude < 1e15)) return std::nullopt;
    // A normal double: the 52 stored bits under the implicit one, and the biased exponent.
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const std::uint64_t mantissa = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const int shift = 1075 - static_cast<int>(bits >> 52);  // magnitude = mantissa / 2^shift, 0 < shift < 128 here
    // The decimal exponent of 2^(52 - shift) (78913 / 2^18 is just below log10 2): the leading
    // digit's place or one below it, which the digit count below corrects.
    int exponent = ((52 - shift) * 78913) >> 18;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int power = kDigits - 1 - exponent;
        if (power < 0 || power > kMaxQuickPower || shift <= 0 || shift >= 128) return std::nullopt;
        const Uint128 scaled = Uint128{mantissa} * kPowersOfTen[static_cast<std::size_t>(power)];
        Uint128 digits = scaled >> shift;
        if (digits < kLeast15Digits) {
            --exponent;
            continue;
        }
        if (digits >= Uint128{kLeast15Digits} * 10) {
            ++exponent;
            continue;
        }
        const Uint128 rest = scaled & ((Uint128{1} << shift) - 1);
        const Uint128 half = Uint128{1} << (shift - 1);
        if (rest > half || (rest == half && (digits & 1) != 0)) ++digits;
        if (digits == Uint128{kLeast15Digits} * 10) {
            digits = kLeast15Digits;
            ++exponent;
        }
        Decimal15 d{};
        putDigits(d.digits, static_cast<std::uint64_t>(digits));
        d.exponent = exponent;
        return d;
    }
    return std::nullopt;
}

// The exact binary value rounded once to 15 significant digits; to_chars does not depend on
// the C locale or the rounding mode.
Decimal15 toDecimal15(double magnitude) {
    if (std::optional<Decimal15> quick = quickDecimal15(magnitude)) return *quick;
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, kDigits - 1);
    (void)ec;  // 64 bytes always suffice for "d.<14 digits>e-308"
    Decimal15 d{};
    d.digits[0] = buf[0];
    for (int k = 1; k < kDigits; ++k) d.digits[k] = buf[k + 1];
    const char* p = buf + kDigits + 2;  // just past the 'e'
    bool negative = *p == '-';
    std::from_chars(p + 1, end, d.exponent);
    if (negative) d.exponent = -d.exponent;
    return d;
}

// The texts of the values that have no decimal form.
std::optional<std::string> nonFiniteText(double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    return std::nullopt;
}

// Index of the last nonzero digit.
int lastSignificant(const Decimal15& d) {
    int last = kDigits - 1;
    while (last > 0 && d.digits[last] == '0') --last;
    return last;
}

void appendFixed(std::string& out, const Decimal15& d, char separator) {
    int last = lastSignificant(d);
    if (d.exponent < 0) {
        out += '0';
        out += separator;
        out.append(static_cast<std::size_t>(-d.exponent - 1), '0');
        out.append(d.digits, static_cast<std::size_t>(last + 1));
        return;
    }
    out.append(d.digits, static_cast<std::size_t>(d.exponent + 1));
    if (last <= d.exponent) return;
    out += separator;
    out.append(d.digits + d.exponent + 1, static_cast<std::size_t>(last - d.exponent));
}

void appendScientific(std::string& out, const Decimal15& d, char separator) {
    int last = lastSignificant(d);
    out += d.digits[0];
    if (last > 0) {
        out += separator;
        out.append(d.digits + 1, static_cast<std::size_t>(last));
    }
    out += 'E';
    if (d.exponent < 0) out += '-';
    out += std::to_string(std::abs(d.exponent));
}

// Adds one to a string of decimal digits.
void incrementDigits(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

// The magnitude in hundredths, rounded half away from zero on its 15-digit decimal form.
std::string hundredths(const Decimal15& d) {
    // value x 100 = digits x 10^(exponent + 2 - 14)
    int shift = d.exponent + 2 - (kDigits - 1);
    if (shift >= 0) return std::string(d.digits, kDigits) + std::string(static_cast<std::size_t>(shift), '0');
    int keep = kDigits + shift;  // digits at or above the hundredths place
    if (keep < 0) return "0";
    std::string kept(d.digits, static_cast<std::size_t>(keep));
    if (kept.empty()) kept = "0";
    if (d.digits[keep] >= '5') incrementDigits(kept);
    return kept;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimSpaces(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

std::string_view takeDigits(std::string_view text, std::size_t& pos) {
    std::size_t start = pos;
    while (pos < text.size() && isDigit(text[pos])) ++pos;
    return text.substr(start, pos - start);
}

// Decimal exponent of the leading nonzero digit of intDigits.fracDigits x 10^exponent;
// nothing when all digits are zero.
std::optional<long long> leadingMagnitude(std::string_view intDigits, std::string_view fracDigits, long long exponent) {
    std::size_t k = intDigits.find_first_not_of('0');
    if (k != std::string_view::npos) return static_cast<long long>(intDigits.size() - k - 1) + exponent;
    k = fracDigits.find_first_not_of('0');
    if (k != std::string_view::npos) return -static_cast<long long>(k + 1) + exponent;
    return std::nullopt;
}

}  // namespace

std::string Fixed2(double value, char decimalSeparator) {
    if (auto special = nonFiniteText(value)) return *special;
    std::string units = value == 0 ? std::string("0") : hundredths(toDecimal15(std::fabs(value)));
    bool zero = units.find_first_not_of('0') == std::string::npos;
    if (units.size() < 3) units.insert(0, 3 - units.size(), '0');
    std::string out = value < 0 && !zero ? "-" : "";
    out.append(units, 0, units.size() - 2);
    out += decimalSeparator;
    out.append(units, units.size() - 2, 2);
    return out;
}

std::string General(double value, char decimalSeparator) {
    if (auto special = nonFiniteText(value)) return *special;
    if (value == 0) return "0";
    Decimal15 d = toDecimal15(std::fabs(value));
    std::string out = value < 0 ? "-" : "";
    // The choice follows the rounded value: 999999999999999.9 rounds to 1E15.
    if (d.exponent >= -5 && d.exponent < kDigits) {
        appendFixed(out, d, decimalSeparator);
    } else {
        appendScientific(out, d, decimalSeparator);
    }
    return out;
}

std::string GeneralCut6(double value, char decimalSeparator) {
    constexpr std::size_t kWidth = 6;
    std::string text = General(value, decimalSeparator);
    if (text.size() <= kWidth) return text;
    const std::size_t e = text.find('E');
    if (e == std::string::npos) {
        text.resize(kWidth);
        return text;
    }
    // Cutting the exponent away would show 9.9153E-6 as 9,9153, a number a million times larger.
    const std::size_t firstDigit = text.front() == '-' ? 1 : 0;
    std::size_t mantissa = std::max(kWidth - std::min(kWidth, text.size() - e), firstDigit + 1);
    mantissa = std::min(mantissa, e);
    if (text[mantissa - 1] == decimalSeparator) --mantissa;
    return text.substr(0, mantissa) + text.substr(e);
}

std::optional<double> ParseFloat(std::string_view text, char decimalSeparator) {
    std::string_view t = trimSpaces(text);
    std::size_t pos = 0;
    bool negative = false;
    if (pos < t.size() && (t[pos] == '+' || t[pos] == '-')) negative = t[pos++] == '-';
    std::string_view intDigits = takeDigits(t, pos);
    std::string_view fracDigits;
    if (pos < t.size() && t[pos] == decimalSeparator) fracDigits = takeDigits(t, ++pos);
    if (intDigits.empty() && fracDigits.empty()) return std::nullopt;

    long long exponent = 0;
    if (pos < t.size() && (t[pos] == 'E' || t[pos] == 'e')) {
        ++pos;
        bool negativeExponent = false;
        if (pos < t.size() && (t[pos] == '+' || t[pos] == '-')) negativeExponent = t[pos++] == '-';
        std::string_view expDigits = takeDigits(t, pos);
        if (expDigits.empty()) return std::nullopt;
        // Beyond this any nonzero mantissa of a text that fits in memory over- or underflows.
        constexpr long long kExponentCap = 1'000'000'000'000'000LL;
        for (char c : expDigits) exponent = std::min(exponent * 10 + (c - '0'), kExponentCap);
        if (negativeExponent) exponent = -exponent;
    }
    if (pos != t.size()) return std::nullopt;

    std::string normalized(negative ? "-" : "");
    normalized.append(intDigits.empty() ? std::string_view("0") : intDigits);
    if (!fracDigits.empty()) normalized.append(".").append(fracDigits);
    normalized.append("e").append(std::to_string(exponent));

    double value = 0;
    auto [end, ec] = std::from_chars(normalized.data(), normalized.data() + normalized.size(), value);
    if (ec == std::errc() && end == normalized.data() + normalized.size()) return value;
    if (ec != std::errc::result_out_of_range) return std::nullopt;
    // Too small to represent reads as zero; too large is not a number the program can hold.
    auto magnitude = leadingMagnitude(intDigits, fracDigits, exponent);
    if (magnitude && *magnitude < 0) return negative ? -0.0 : 0.0;
    return std::nullopt;
}

std::optional<long long> ParseInt(std::string_view text) {
    std::string_view t = trimSpaces(text);
    bool negative = false;
    if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    if (t.empty() || !isDigit(t.front())) return std::nullopt;
    std::string digits(negative ? "-" : "");
    digits.append(t);
    long long value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

}  // namespace numformat
