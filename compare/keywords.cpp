#include "compare/keywords.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

constexpr double kMillion = 1'000'000;

// O ln(O / E), 0 for a zero O.
double term(double o, double e) { return o > 0 ? o * std::log(o / e) : 0; }

// The most a log-likelihood is tested against: chi-square's tail at it is below 1e-300.
constexpr double kLargestCritical = 1400;

// Orders key words by log-likelihood, the greatest first, then by text.
bool byLogLikelihood(const Keyword& a, const Keyword& b) {
    if (a.measures.logLikelihood != b.measures.logLikelihood)
        return a.measures.logLikelihood > b.measures.logLikelihood;
    return a.item < b.item;
}

}  // namespace

double LogLikelihood(double o1, double n1, double o2, double n2) {
    if (n1 <= 0 || n2 <= 0) return 0;
    const double e1 = n1 * (o1 + o2) / (n1 + n2);
    const double e2 = n2 * (o1 + o2) / (n1 + n2);
    return 2 * (term(o1, e1) + term(o2, e2));
}

KeyMeasures MeasureKeyness(long long o1, long long n1, long long o2, long long n2, double smoothing) {
    KeyMeasures m;
    const double a = static_cast<double>(o1), b = static_cast<double>(o2);
    const double c = static_cast<double>(n1), d = static_cast<double>(n2);
    m.fpmTarget = a * kMillion / c;
    m.fpmReference = b * kMillion / d;
    m.logLikelihood = LogLikelihood(a, c, b, d);
    m.logRatio = std::log2(((o1 > 0 ? a : 0.5) / c) / ((o2 > 0 ? b : 0.5) / d));
    if (o2 > 0) m.percentDiff = (m.fpmTarget - m.fpmReference) * 100 / m.fpmReference;
    m.simpleMaths = (m.fpmTarget + smoothing) / (m.fpmReference + smoothing);
    return m;
}

double CriticalValue(double p) {
    for (std::size_t k = 0; k < std::size(kSignificanceLevels); ++k) {
        if (std::abs(p - kSignificanceLevels[k]) < 1e-12) return kCriticalValues[k];
    }
    // The tail of chi-square with one degree of freedom is erfc(sqrt(x / 2)), which falls as x grows.
    double low = 0, high = kLargestCritical;
    if (std::erfc(std::sqrt(high / 2)) >= p) return high;
    while (high - low > 1e-9) {
        const double mid = (low + high) / 2;
        (std::erfc(std::sqrt(mid / 2)) > p ? low : high) = mid;
    }
    return (low + high) / 2;
}

std::optional<double> SignificanceOf(double logLikelihood) {
    std::optional<double> level;
    for (std::size_t k = 0; k < std::size(kSignificanceLevels); ++k) {
        if (logLikelihood >= kCriticalValues[k]) level = kSignificanceLevels[k];
    }
    return level;
}

Keywords FindKeywords(const ItemCounts& target, long long n1, const ItemCounts& reference, long long n2,
                      const KeywordOptions& options) {
    Keywords found;
    if (n1 <= 0 || n2 <= 0) return found;
    found.compared = target.size();
    for (const auto& [item, count] : reference) found.compared += target.contains(item) ? 0 : 1;
    const double p =
        options.bonferroni ? options.p / static_cast<double>(std::max<std::size_t>(found.compared, 1)) : options.p;
    found.criticalValue = CriticalValue(p);
    auto consider = [&](const std::string& item, long long o1, long long o2) {
        const bool positive = o1 * static_cast<double>(n2) > o2 * static_cast<double>(n1);
        if ((positive ? o1 : o2) < options.minCount) return;
        KeyMeasures m = MeasureKeyness(o1, n1, o2, n2, options.smoothing);
        if (!(m.logLikelihood >= found.criticalValue)) return;
        (positive ? found.positive : found.negative).push_back({item, o1, o2, m});
    };
    for (const auto& [item, count] : target) {
        const auto there = reference.find(item);
        consider(item, count, there == reference.end() ? 0 : there->second);
    }
    for (const auto& [item, count] : reference) {
        if (!target.contains(item)) consider(item, 0, count);
    }
    std::ranges::sort(found.positive, byLogLikelihood);
    std::ranges::sort(found.negative, byLogLikelihood);
    return found;
}
