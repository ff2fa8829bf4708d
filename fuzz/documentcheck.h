// Invariants of a Document after an analysis run, of its summary and of the summary's RTF text,
// shared by the fuzz targets that run the analysis.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"
#include "fuzz/fuzzcheck.h"
#include "summary/sentencelist.h"

namespace fuzzcheck {

/// Checks the shape of the four lists, that the lists show no more rows than the analysis left,
/// and that every status bar whose total is not zero has its text.
inline void CheckDocument(const Document& doc) {
    const AnalysisState& a = doc.analysis();
    CheckListShape(ListOf(doc, ResultList::kWordBase));
    CheckListShape(ListOf(doc, ResultList::kWordFull));
    CheckListShape(ListOf(doc, ResultList::kWordExpr));
    CheckListShape(doc.sentences);
    FUZZ_CHECK(ListOf(doc, ResultList::kWordBase).rows.size() <= a.slWordBase.size());
    FUZZ_CHECK(ListOf(doc, ResultList::kWordFull).rows.size() <= a.slWordFull.size());
    FUZZ_CHECK(ListOf(doc, ResultList::kWordExpr).rows.size() <= a.slWordExpr.size());
    FUZZ_CHECK(a.sourceText.empty());
    FUZZ_CHECK(a.charsetIndex == Charset::kWindows1251 || a.charsetIndex == Charset::kKoi8r ||
               a.charsetIndex == Charset::kIso88595);
    if (a.wbTotals.totalCount > 0) FUZZ_CHECK(ListOf(doc, ResultList::kWordBase).status.has_value());
    if (a.wfTotals.totalCount > 0) {
        FUZZ_CHECK(ListOf(doc, ResultList::kWordFull).status.has_value());
        FUZZ_CHECK(doc.sentences.status.has_value());
        FUZZ_CHECK(doc.summary.status.has_value());
    }
    if (a.weTotals.listedCount > 0) FUZZ_CHECK(ListOf(doc, ResultList::kWordExpr).status.has_value());
}

/// Checks that the sentence list is in document order and that the summary's paragraphs are
/// sentence rows taken in that order, each at most once, bold exactly for headings.
inline void CheckSummary(const Document& doc) {
    const ListModel& rows = doc.sentences;
    FUZZ_CHECK(rows.sortColumn == sentencecol::kOrder);
    for (std::size_t i = 0; i < rows.rows.size(); ++i)
        FUZZ_CHECK(rows.cell(i, sentencecol::kOrder) == std::to_string(i));
    std::size_t r = 0;
    for (const SummaryParagraph& p : doc.summary.paragraphs) {
        while (r < rows.rows.size() &&
               !(rows.cell(r, sentencecol::kText) == p.text && rows.cell(r, sentencecol::kHeading).empty() != p.bold)) {
            ++r;
        }
        FUZZ_CHECK(r < rows.rows.size());
        ++r;
    }
}

/// Checks that an RTF text is printable ASCII in one balanced group with one line per paragraph.
inline void CheckRtf(std::string_view rtf, std::size_t paragraphs) {
    FUZZ_CHECK(rtf.starts_with("{\\rtf1"));
    FUZZ_CHECK(rtf.ends_with("}\n"));
    FUZZ_CHECK(static_cast<std::size_t>(std::count(rtf.begin(), rtf.end(), '\n')) == paragraphs + 2);
    int depth = 0;
    for (std::size_t i = 0; i < rtf.size(); ++i) {
        const char c = rtf[i];
        FUZZ_CHECK(c == '\n' || (c >= 0x20 && c < 0x7F));
        if (c == '\\') {
            FUZZ_CHECK(i + 1 < rtf.size());
            ++i;  // an escaped character or the first letter of a control word
            continue;
        }
        if (c == '{') ++depth;
        if (c == '}') --depth;
        FUZZ_CHECK(depth > 0 || i + 2 >= rtf.size());  // the document group closes only at the end
    }
    FUZZ_CHECK(depth == 0);
}

}  // namespace fuzzcheck
