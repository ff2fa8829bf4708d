// Key words: the items (stems or combinations) of a target text that are more or less frequent
// than in a reference, from two count tables and each side's total number of words.
//
// For an item counted O1 times in a target of N1 words and O2 times in a reference of N2 words:
//
//   frequency per million    fpm = O × 1,000,000 / N on each side.
//   log-likelihood           G² = 2 Σ O ln(O / E) over the two sides, E1 = N1 (O1 + O2) / (N1 + N2),
//                            E2 = N2 (O1 + O2) / (N1 + N2); a zero O contributes 0. As the UCREL
//                            log-likelihood calculator computes it (Rayson and Garside 2000,
//                            after Dunning 1993). Critical values of chi-square with one degree of
//                            freedom: 3.84 for p < 0.05, 6.63 for 0.01, 10.83 for 0.001, 15.13 for
//                            0.0001 (the calculator's table); an item is significant at a level when
//                            G² >= its critical value.
//   Log Ratio                log2((O1 / N1) / (O2 / N2)) (Hardie 2014), a zero count replaced by
//                            0.5 on either side, so that an item absent from one side has a finite
//                            value (the calculator's correction).
//   %DIFF                    (NF1 − NF2) × 100 / NF2 with NF the frequency per million (Gabrielatos
//                            and Marchi 2012); none when NF2 = 0 (an item absent from the
//                            reference), which the output prints as "inf".
//   simple maths             (fpm1 + k) / (fpm2 + k) (Kilgarriff 2009), k the smoothing, 1 by default.
//
// With the Bonferroni correction the level p is divided by the number of items compared (those
// counted on either side) and the critical value is that of chi-square with one degree of freedom
// for p / m. Plain C++, no state, thread-safe.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

/// The measures of one item.
struct KeyMeasures {
    double fpmTarget = 0;
    double fpmReference = 0;
    double logLikelihood = 0;
    double logRatio = 0;
    std::optional<double> percentDiff;  // none when the reference's frequency is 0
    double simpleMaths = 0;
};

/// The log-likelihood G² of an item counted o1 times in n1 words and o2 times in n2 words; 0 when
/// n1 or n2 is 0.
double LogLikelihood(double o1, double n1, double o2, double n2);

/// The measures of an item counted o1 times in n1 words (target) and o2 times in n2 words
/// (reference), n1 and n2 above 0, with smoothing k above 0 for simple maths.
KeyMeasures MeasureKeyness(long long o1, long long n1, long long o2, long long n2, double smoothing = 1);

/// The significance levels the log-likelihood is tested at, from the least strict.
inline constexpr double kSignificanceLevels[] = {0.05, 0.01, 0.001, 0.0001};
/// Their critical values, as the UCREL calculator states them.
inline constexpr double kCriticalValues[] = {3.84, 6.63, 10.83, 15.13};

/// The critical value of chi-square with one degree of freedom for level p in (0, 1): the table's
/// value for one of kSignificanceLevels, computed (to 1e-9) for any other p.
double CriticalValue(double p);

/// The strictest of kSignificanceLevels that a log-likelihood passes; none when it passes none.
std::optional<double> SignificanceOf(double logLikelihood);

/// What FindKeywords keeps.
struct KeywordOptions {
    long long minCount = 2;   // a positive key word's count in the target, a negative one's in the reference
    double p = 0.01;          // the significance level
    bool bonferroni = false;  // divide p by the number of items compared
    double smoothing = 1;     // k of simple maths
};

/// One key word.
struct Keyword {
    std::string item;
    long long target = 0;
    long long reference = 0;
    KeyMeasures measures;
};

/// The key words of a comparison.
struct Keywords {
    std::vector<Keyword> positive;  // more frequent in the target, by log-likelihood, greatest first
    std::vector<Keyword> negative;  // more frequent in the reference, the same order
    std::size_t compared = 0;       // the items counted on either side
    double criticalValue = 0;       // the log-likelihood an item needed
};

/// Item counts: text → count.
using ItemCounts = std::unordered_map<std::string, long long>;

/// The key words of `target` (n1 words) against `reference` (n2 words): the items significant at
/// the options' level whose count passes the minimum, ties in log-likelihood by text. Nothing when
/// n1 or n2 is not above 0.
Keywords FindKeywords(const ItemCounts& target, long long n1, const ItemCounts& reference, long long n2,
                      const KeywordOptions& options);
