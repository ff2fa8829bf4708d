// Test helpers: run a page through the analysis and keep what the run's tables held.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "engine/analysis.h"

struct Analysed {
    AnalysisState state;
    RunReport report;
    std::string text;  // the cleaned page text the records point into
    std::vector<TokenRecord> phrases;
    std::vector<TokenRecord> markup;
    std::int32_t exprEntries = 0;

    /// Returns the stem list entry with this text, or nullptr.
    const ListEntry<WordDescription>* stem(std::string_view s) const { return find(state.slWordBase, s); }
    /// Returns the word list entry with this text, or nullptr.
    const ListEntry<WordDescription>* word(std::string_view s) const { return find(state.slWordFull, s); }

    /// Returns the word texts of the phrase stream, with "|" for every run start or break.
    std::string phraseText() const { return streamText(phrases); }
    /// Returns the word texts of the markup stream, with "<>" for tags and the byte of every break.
    std::string markupText() const { return streamText(markup); }

  private:
    static const ListEntry<WordDescription>* find(const WordList& list, std::string_view s) {
        auto it = std::ranges::find_if(list, [&](const auto& e) { return e.text == s; });
        return it == list.end() ? nullptr : &*it;
    }
    std::string streamText(const std::vector<TokenRecord>& stream) const {
        std::string out;
        for (const TokenRecord& r : stream) {
            if (!out.empty()) out += ' ';
            if (r.isWord()) {
                out += text.substr(r.start, r.length);
            } else if (r.kind == 11) {
                out += static_cast<char>(r.first);
            } else {
                out += &stream == &phrases ? "|" : "<>";
            }
        }
        return out;
    }
};

/// Analyses `page` (Windows-1251) with the given options and stop words.
inline Analysed Analyse(std::string_view page, IndexOptions options = {},
                        const std::vector<std::string_view>& stopWords = {}) {
    Analysed a;
    a.state.options = options;
    for (std::string_view w : stopWords) a.state.stopWords.Add(w, 0, 0, 0);
    a.state.sourceText = std::string(page);
    a.report = RunAnalysis(a.state, {}, [&](const RunTables& tables, std::string_view text) {
        a.text = std::string(text);
        for (std::int32_t i = 0; i < tables.phrases.size(); ++i) a.phrases.push_back(tables.phrases[i]);
        for (std::int32_t i = 0; i < tables.markup.size(); ++i) a.markup.push_back(tables.markup[i]);
        a.exprEntries = tables.exprs.size();
    });
    return a;
}

/// Wraps body markup into a complete page.
inline std::string Page(std::string_view body, std::string_view head = "") {
    return "<html><head>" + std::string(head) + "</head><body>" + std::string(body) + "</body></html>";
}
