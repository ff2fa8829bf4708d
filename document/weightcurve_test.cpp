#include "document/weightcurve.h"

#include <gtest/gtest.h>

#include "base/cp1251.h"
#include "summary/forcedmarks.h"
#include "summary/sentencelist.h"

namespace {

std::string Page() {
    std::string body;
    const char* sentences[] = {"Первый год работы был трудным.",
                               "Год работы принёс успех и рост.",
                               "Итоги года удивили.",
                               "Работа года и итоги года работы важны.",
                               "Просто слова тут.",
                               "Год работы, итоги работы, рост года работы.",
                               "Конец текста здесь."};
    for (const char* s : sentences) body += std::string("<p>") + s + "</p>";
    return cp1251::fromUtf8Lossy("<html><body>" + body + "</body></html>");
}

TEST(WeightCurve, PointsAreTheSentencesAndPeaksTheSummarysRows) {
    Document doc;
    AnalyseSource(doc, Page());
    SortSentences(doc, sentencecol::kWeight);  // the curve keeps page order whatever the list shows
    for (std::size_t limit : {kNoLimitItem, std::size_t{1}, std::size_t{4}}) {
        RebuildSummary(doc, limit);
        const WeightCurve curve = CurveOf(doc);
        ASSERT_EQ(curve.weights.size(), doc.sentences.rows.size());
        for (std::size_t k = 0; k < curve.weights.size(); ++k) {
            const std::size_t row = *SentenceRowOf(doc, k);
            EXPECT_EQ(doc.sentences.cell(row, sentencecol::kOrder), std::to_string(k));
        }
        ASSERT_EQ(curve.peaks.size(), doc.summary.paragraphs.size()) << limit;
        for (std::size_t p = 0; p < curve.peaks.size(); ++p) {
            EXPECT_EQ(doc.sentences.source->cell(curve.peaks[p], sentencecol::kText), doc.summary.paragraphs[p].text);
        }
        EXPECT_EQ(curve.limitCaption, kSummaryLimits[limit].caption);
        if (limit == kNoLimitItem) {
            EXPECT_FALSE(curve.limitAt);
        }
    }
    RebuildSummary(doc, 1);  // "3 предложения"
    const WeightCurve three = CurveOf(doc);
    EXPECT_LE(three.peaks.size(), 3u);
    ASSERT_TRUE(three.limitAt) << "three sentences stop the walk before the end";
    EXPECT_GT(*three.limitAt, three.peaks.back());

    const std::size_t last = doc.sentences.rows.size() - 1;
    ToggleRowMark(doc.sentences, *SentenceRowOf(doc, last));
    RebuildSummary(doc, kNoLimitItem);
    EXPECT_EQ(CurveOf(doc).peaks.back(), last) << "a forced row is a point of the summary";
}

}  // namespace
