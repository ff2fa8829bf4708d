#include "document/content.h"

#include <vector>

#include "maintext/maintext.h"

std::string_view ContentModeName(ContentMode mode) { return mode == ContentMode::kMain ? "main" : "page"; }

ContentReport ReduceToMainText(std::string& source) {
    ContentReport report;
    report.mode = ContentMode::kMain;
    std::string reduced;
    std::string_view rest = source;
    while (true) {
        const std::size_t end = rest.find(kContentPartSeparator);
        const std::string_view part = rest.substr(0, end);
        const maintext::Result main = maintext::ExtractMainText(part, "windows-1251");
        report.pageWords += main.pageWords;
        if (main.found) {
            report.found = true;
            report.mainWords += main.mainWords;
            reduced += main.markup;
            reduced += "\r\n";
            if (!report.text.empty()) report.text += "\n\n";
            report.text += main.text;
        } else if (report.reason.empty() && main.reason != maintext::Reason::kFrameset) {
            // A frameset shell has no text of its own: its frames say why, if none has main text.
            report.reason = maintext::ReasonName(main.reason);
        }
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + kContentPartSeparator.size());
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
