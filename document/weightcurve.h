// The sentence weights in page order as a curve, with the sentences the summary chose on it and
// the place where the summary's limit stopped the choice. Plain C++; texts Windows-1251.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "document/document.h"

struct WeightCurve {
    std::vector<double> weights;         // "Вес" of sentence k, as shown, in page order
    std::vector<std::size_t> peaks;      // the sentences the summary holds, ascending
    std::optional<std::size_t> limitAt;  // the first sentence the limit kept the summary from reaching
    std::string limitCaption;            // the limits menu's checked item
};

/// The curve of the document's sentence list and summary.
WeightCurve CurveOf(const Document& doc);

/// What a point of the curve says when pointed at: the sentence's order, weight and text (cut to
/// `maxText` bytes with "..."), one line each; empty for no such sentence.
std::string SentenceTip(const Document& doc, std::size_t entry, std::size_t maxText = 200);

/// The display row of the sentence list that shows sentence `entry`, or nothing.
std::optional<std::size_t> SentenceRowOf(const Document& doc, std::size_t entry);
