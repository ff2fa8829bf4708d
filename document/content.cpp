#include "document/content.h"

#include <vector>

#include "maintext/maintext.h"

std::string_view ContentModeName(ContentMode mode) { return mode == ContentMode::kMain ? "main" : "page"; }

namespace {

// Calls `read` with each part of a source joined by kContentPartSeparator, in order.
template <typename Read>
void forEachPart(std::string_view source, const Read& read) {
    while (true) {
        const std::size_t end = source.find(kContentPartSeparator);
        read(source.substr(0, end));
        if (end == std::string_view::npos) return;
        source.remove_prefix(end + kContentPartSeparator.size());
    }
}

void appendText(std::string& text, std::string_view part) {
    if (part.empty()) return;
    if (!text.empty()) text += "\n\n";
    text += part;
}

}  // namespace

ContentReport ReduceToMainText(std::string& source) {
    ContentReport report;
    report.mode = ContentMode::kMain;
    std::vector<std::string_view> parts;
    forEachPart(source, [&](std::string_view text) { parts.push_back(text); });
    // The parts are read at once, each on its own, and their results taken in order.
    const std::vector<maintext::Result> mains = maintext::ExtractMainTexts(parts, "windows-1251");
    std::string reduced;
    for (std::size_t part = 0; part < mains.size(); ++part) {
        const maintext::Result& main = mains[part];
        report.pageWords += main.pageWords;
        if (main.found) {
            report.found = true;
            report.mainWords += main.mainWords;
            reduced += main.markup;
            reduced += "\r\n";
            appendText(report.text, main.text);
            for (const std::string& selector : main.blockPaths) report.blocks.push_back({part, selector});
        } else if (report.reason.empty() && main.reason != maintext::Reason::kFrameset) {
            // A frameset shell has no text of its own: its frames say why, if none has main text.
            report.reason = maintext::ReasonName(main.reason);
        }
    }
    if (!report.found) {
        if (report.reason.empty()) report.reason = maintext::ReasonName(maintext::Reason::kFrameset);
        report.mainWords = 0;
        report.text.clear();
        return report;
    }
    source = std::move(reduced);
    return report;
}

ContentReport ReadPageText(std::string& source) {
    ContentReport report;
    std::string joined;
    forEachPart(source, [&](std::string_view part) {
        appendText(report.text, maintext::WholeText(part, "windows-1251"));
        joined += part;
    });
    source = std::move(joined);
    return report;
}
