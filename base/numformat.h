// Number texts as the lists, the status bars and the settings files show them.
//
// Every function takes the decimal separator as a parameter; the programs pass the one of the
// user's locale (LC_NUMERIC). None of them depends on the C locale. The texts are ASCII but for the
// separator, which is the one byte the caller gives.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace numformat {

/// Formats with exactly two decimals ("0.00"): the value's 15-significant-digit decimal form
/// rounded half away from zero; a zero result has no sign (0.125 -> 0,13; 2.675 -> 2,68).
/// Large values are written out in full (1e20 -> 100000000000000000000,00); INF, -INF, NAN.
std::string Fixed2(double value, char decimalSeparator);

/// Formats in the general 15-significant-digit form: fixed point without trailing zeros when
/// 1e-5 <= |v| < 1e15 (judged after rounding to 15 digits) or v == 0, otherwise scientific
/// (1E-6, 1,5E-7, 2E15); INF, -INF, NAN for the values without a decimal form.
std::string General(double value, char decimalSeparator);

/// Returns General(value) cut to six characters without rounding (1/7 -> 0,1428). A scientific
/// form is cut in its mantissa and keeps its exponent, without a separator left at the mantissa's
/// end (9.9153E-6 -> 9,9E-6; 9.9153E-10 -> 9E-10), so that the text reads back as about the same
/// value; it is longer than six characters only where the sign, one digit and the exponent are.
std::string GeneralCut6(double value, char decimalSeparator);

/// Reads a decimal number written with the given separator (optional sign, digits, optional
/// fraction, optional exponent, surrounding spaces allowed); a value too small for a double
/// reads as zero. Returns nothing when the text is not such a number (a point where the
/// separator is a comma, letters, digit grouping, an empty text, INF/NAN) or is too large.
std::optional<double> ParseFloat(std::string_view text, char decimalSeparator);

/// Reads a signed decimal integer (surrounding spaces allowed). Returns nothing otherwise.
std::optional<long long> ParseInt(std::string_view text);

}  // namespace numformat
