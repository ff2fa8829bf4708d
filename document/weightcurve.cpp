#include "document/weightcurve.h"

#include <algorithm>

#include "base/cp1251.h"
#include "base/numformat.h"
#include "summary/sentencelist.h"

WeightCurve CurveOf(const Document& doc) {
    WeightCurve curve;
    const ListModel& list = doc.sentences;
    const std::size_t n = list.rows.size();
    if (list.source) {
        curve.weights.reserve(n);
        for (std::size_t k = 0; k < n; ++k) {
            curve.weights.push_back(
                numformat::ParseFloat(list.source->cell(k, sentencecol::kWeight), doc.decimalSeparator).value_or(0));
        }
    }
    for (std::size_t entry : doc.summary.entries) {
        if (entry < n) curve.peaks.push_back(entry);
    }
    std::ranges::sort(curve.peaks);
    if (!curve.peaks.empty() && doc.summary.walkEnd < n) curve.limitAt = doc.summary.walkEnd;
    if (doc.summaryLimit < kSummaryLimits.size()) curve.limitCaption = kSummaryLimits[doc.summaryLimit].caption;
    return curve;
}

std::string SentenceTip(const Document& doc, std::size_t entry, std::size_t maxText) {
    const ListModel& list = doc.sentences;
    if (!list.source || entry >= list.rows.size()) return {};
    std::string text = list.source->cell(entry, sentencecol::kText);
    if (text.size() > maxText) text = text.substr(0, maxText) + "...";
    using cp1251::operator""_cp;
    return std::string(u8"Порядок: "_cp) + list.source->cell(entry, sentencecol::kOrder) + std::string(u8"\nВес: "_cp) +
           list.source->cell(entry, sentencecol::kWeight) + "\n" + text;
}

std::optional<std::size_t> SentenceRowOf(const Document& doc, std::size_t entry) {
    const auto& rows = doc.sentences.rows;
    auto at = std::ranges::find(rows, static_cast<std::uint32_t>(entry));
    if (at == rows.end()) return std::nullopt;
    return static_cast<std::size_t>(at - rows.begin());
}
