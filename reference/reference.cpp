#include "reference/reference.h"

#include <filesystem>
#include <fstream>

#include "base/numformat.h"
#include "page/inputs.h"

namespace {

// The message naming an input (its name made valid UTF-8 by the caller's rules: kept as given).
std::string about(const std::string& name, const std::string& why) { return name + ": " + why; }

bool cancelled(const PageAnalysis& analysis) { return analysis.limits.cancel && analysis.limits.cancel->load(); }

ItemCounts countsOf(const CorpusTotals& totals) {
    ItemCounts counts;
    counts.reserve(totals.size());
    for (const auto& [text, total] : totals) counts.emplace(text, total.count);
    return counts;
}

// A number as the lists write it: two decimals with the separator.
std::string fixed(double value, char separator) { return numformat::Fixed2(value, separator); }

}  // namespace

std::optional<std::string> ForEachPage(const std::string& name, std::istream& in, const PageAnalysis& analysis,
                                       const std::function<void(const Document&)>& use) {
    for (const PageInput& input : ExpandInputs({name}, analysis.limits.cancel)) {
        if (cancelled(analysis)) return "cancelled";
        if (input.kind == PageInput::Kind::kFailed) return about(input.name, input.error);
        PageBytes bytes = ReadPageInput(input, in, analysis.limits);
        if (cancelled(analysis)) return "cancelled";
        if (bytes.error) return about(input.name, *bytes.error);
        const PageOrigin origin = input.kind == PageInput::Kind::kWebAddress      ? PageOrigin::kWebAddress
                                  : input.kind == PageInput::Kind::kStandardInput ? PageOrigin::kStandardInput
                                                                                  : PageOrigin::kFile;
        FramesetParts parts = ReadFramesetParts(
            std::move(bytes.bytes), origin,
            origin == PageOrigin::kFile ? std::filesystem::path(input.name) : std::filesystem::path(), analysis.frames);
        Document doc;
        doc.recordOccurrences = analysis.recordOccurrences;
        doc.decimalSeparator = analysis.decimalSeparator;
        SetIndexOptions(doc, analysis.index);
        SetCoefficients(doc, analysis.koef);
        SetStopWords(doc, analysis.stopWords);
        const auto report = Analyse(doc, {std::move(parts.parts), analysis.charset, analysis.content, false});
        if (report && report->status == ScanStatus::kOutOfMemory)
            return about(input.name, "the analysis ran out of memory");
        use(doc);
    }
    return std::nullopt;
}

bool IsJsonLines(std::string_view name) {
    if (name.size() < 6 || name.find("://") != std::string_view::npos) return false;
    std::string ending(name.substr(name.size() - 6));
    for (char& c : ending) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ending == ".jsonl";
}

std::optional<std::string> AddInput(const std::string& name, std::istream& in, const PageAnalysis& analysis,
                                    Corpus& corpus) {
    if (IsJsonLines(name)) {
        std::ifstream file(name, std::ios::binary);
        if (!file) return "cannot read " + name;
        return AddResultLines(file, name, corpus);
    }
    std::optional<std::string> overflow;
    auto message = ForEachPage(name, in, analysis, [&](const Document& doc) {
        if (!overflow) overflow = AddAnalysedPage(doc, corpus);
    });
    return message ? message : overflow;
}

Keywords CompareCorpora(const Corpus& target, const Corpus& reference, CompareItems items,
                        const KeywordOptions& options) {
    const bool stems = items == CompareItems::kStems;
    return FindKeywords(countsOf(stems ? target.stems : target.combinations), WordsOf(target),
                        countsOf(stems ? reference.stems : reference.combinations), WordsOf(reference), options);
}

std::vector<std::string> KeywordColumns(CompareItems items) {
    return {items == CompareItems::kStems ? "Словооснова" : "Словоосновы",
            "Знак",
            "Цель",
            "Цель, на млн",
            "Эталон",
            "Эталон, на млн",
            "LL",
            "p <",
            "Log Ratio",
            "%DIFF",
            "Simple maths"};
}

std::vector<std::vector<std::string>> KeywordRows(const Keywords& keywords, char separator) {
    std::vector<std::vector<std::string>> rows;
    rows.reserve(keywords.positive.size() + keywords.negative.size());
    for (const auto* list : {&keywords.positive, &keywords.negative}) {
        for (const Keyword& w : *list) {
            const KeyMeasures& m = w.measures;
            const auto level = SignificanceOf(m.logLikelihood);
            rows.push_back({w.item, list == &keywords.positive ? "+" : "-", std::to_string(w.target),
                            fixed(m.fpmTarget, separator), std::to_string(w.reference),
                            fixed(m.fpmReference, separator), fixed(m.logLikelihood, separator),
                            level ? numformat::General(*level, '.') : "", fixed(m.logRatio, separator),
                            m.percentDiff ? fixed(*m.percentDiff, separator) : "inf",
                            numformat::GeneralCut6(m.simpleMaths, separator)});
        }
    }
    return rows;
}
