#include "summary/summarylimits.h"

#include <limits>

int ResolveMaxSentences(const SummaryLimit& limit, double wfTotalCount) {
    if (limit.maxSentences != kEverySentence) return limit.maxSentences;
    if (!(wfTotalCount > 0)) return 0;
    constexpr int kLargest = std::numeric_limits<int>::max();
    if (wfTotalCount >= static_cast<double>(kLargest)) return kLargest;
    return static_cast<int>(wfTotalCount);
}
