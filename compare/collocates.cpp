#include "compare/collocates.h"

#include <algorithm>
#include <cmath>

namespace {

// O ln(O / E), 0 for a cell at or below 0.
double term(double o, double e) { return o > 0 && e > 0 ? o * std::log(o / e) : 0; }

}  // namespace

CollocateMeasures MeasureCollocation(long long observed, long long nodeCount, long long itemCount, long long total,
                                     std::size_t span) {
    const double o = static_cast<double>(observed), fx = static_cast<double>(nodeCount);
    const double fy = static_cast<double>(itemCount), n = static_cast<double>(total);
    const double window = 2 * static_cast<double>(span) * fx;  // the positions around the node
    CollocateMeasures m;
    m.expected = fx * fy * 2 * static_cast<double>(span) / n;
    m.mi = std::log2(o / m.expected);
    m.mi3 = std::log2(o * o * o / m.expected);
    m.tScore = (o - m.expected) / std::sqrt(o);
    m.logDice = 14 + std::log2(2 * o / (fx + fy));
    const double o12 = std::max(window - o, 0.0), o21 = std::max(fy - o, 0.0);
    const double o22 = std::max(n - window - fy + o, 0.0);
    const double r1 = window, r2 = n - window, c1 = fy, c2 = n - fy;
    m.logLikelihood =
        2 * (term(o, r1 * c1 / n) + term(o12, r1 * c2 / n) + term(o21, r2 * c1 / n) + term(o22, r2 * c2 / n));
    return m;
}

std::vector<Collocate> FindCollocates(std::span<const CollocateToken> tokens, std::uint32_t node,
                                      const CollocateOptions& options, const std::vector<bool>& skipped) {
    std::vector<Collocate> found;
    if (options.span == 0) return found;
    std::uint32_t items = node + 1;
    for (const CollocateToken& t : tokens) items = std::max(items, t.item + 1);
    std::vector<long long> counts(items, 0), observed(items, 0);
    for (const CollocateToken& t : tokens) ++counts[t.item];
    if (counts[node] == 0) return found;
    const std::size_t span = options.span;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].item != node) continue;
        const std::uint32_t sentence = tokens[i].sentence;
        for (std::size_t j = i; j > 0 && i - (j - 1) <= span && tokens[j - 1].sentence == sentence; --j)
            ++observed[tokens[j - 1].item];
        for (std::size_t j = i + 1; j < tokens.size() && j - i <= span && tokens[j].sentence == sentence; ++j)
            ++observed[tokens[j].item];
    }
    const long long total = static_cast<long long>(tokens.size());
    for (std::uint32_t item = 0; item < items; ++item) {
        if (observed[item] == 0 || observed[item] < options.minCount) continue;
        if (item < skipped.size() && skipped[item]) continue;
        found.push_back({item, observed[item], counts[item],
                         MeasureCollocation(observed[item], counts[node], counts[item], total, span)});
    }
    std::ranges::sort(found, [](const Collocate& a, const Collocate& b) {
        if (a.measures.logDice != b.measures.logDice) return a.measures.logDice > b.measures.logDice;
        if (a.observed != b.observed) return a.observed > b.observed;
        return a.item < b.item;
    });
    return found;
}
