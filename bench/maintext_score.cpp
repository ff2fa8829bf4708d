// Scores the main-text extraction on a folder of annotated pages: for each page, snippets of text
// that must be kept ("with") and snippets that must be dropped ("without"). A snippet is looked
// for in the extracted text with runs of spaces collapsed to one space on both sides; a kept
// snippet found is a true positive, one missing a false negative; a dropped snippet found is a
// false positive, one missing a true negative. Prints precision, recall, F1 and accuracy of the
// extraction and of the whole body's text as a baseline, and the time per page.
//
//   maintext_score FOLDER                    FOLDER/annotations.json, FOLDER/pages/*.html.gz
//   maintext_score FOLDER --half=0|1         only the pages of even (0) or odd (1) number
//   maintext_score FOLDER --misses           also lists each page's snippets scored wrong
//   maintext_score FOLDER --show=pages/N.html.gz   prints what is extracted from one page
//   maintext_score FOLDER --dump=DIR         writes each page's extracted text to DIR/N.txt
#include <libxml/HTMLparser.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "maintext/maintext.h"
#include "page/bounds.h"

static_assert(maintext::kMaxInputBytes == kMaxPageBytes, "the extraction reads pages up to the program's bound");

namespace {

// Reads a gzip file whole, at most kMaxPageBytes once inflated. Empty on failure.
std::string readGzip(const std::filesystem::path& path) {
    gzFile f = gzopen(path.c_str(), "rb");
    if (f == nullptr) return {};
    std::string out;
    char buffer[1 << 16];
    for (;;) {
        const int n = gzread(f, buffer, sizeof buffer);
        if (n <= 0) break;
        out.append(buffer, static_cast<std::size_t>(n));
        if (out.size() > kMaxPageBytes) {
            out.clear();
            break;
        }
    }
    gzclose(f);
    return out;
}

// Collapses runs of spaces (ASCII and the Unicode spaces a page may hold: no-break, thin, ideographic
// …) to one ASCII space and trims both ends.
std::string collapse(std::string_view s) {
    std::string out;
    bool space = false;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t len = 1;
        bool isSpace = b == ' ' || b == '\t' || b == '\n' || b == '\r' || b == '\f' || b == '\v';
        if (b == 0xC2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) == 0xA0) {
            isSpace = true;
            len = 2;
        } else if (b == 0xE2 && i + 2 < s.size()) {
            const auto b1 = static_cast<unsigned char>(s[i + 1]);
            const auto b2 = static_cast<unsigned char>(s[i + 2]);
            if ((b1 == 0x80 && (b2 <= 0x8A || b2 == 0xAF)) || (b1 == 0x81 && b2 == 0x9F)) {
                isSpace = true;
                len = 3;
            }
        } else if (b == 0xE3 && i + 2 < s.size() && static_cast<unsigned char>(s[i + 1]) == 0x80 &&
                   static_cast<unsigned char>(s[i + 2]) == 0x80) {
            isSpace = true;
            len = 3;
        }
        if (isSpace) {
            space = true;
        } else {
            if (space && !out.empty()) out += ' ';
            space = false;
            out.append(s.substr(i, len));
        }
        i += len;
    }
    return out;
}

struct Counts {
    long tp = 0, fn = 0, fp = 0, tn = 0;
    void print(const char* name) const {
        const double p = tp + fp == 0 ? 0.0 : static_cast<double>(tp) / static_cast<double>(tp + fp);
        const double r = tp + fn == 0 ? 0.0 : static_cast<double>(tp) / static_cast<double>(tp + fn);
        const double f1 = p + r == 0 ? 0.0 : 2 * p * r / (p + r);
        const double a = static_cast<double>(tp + tn) / static_cast<double>(std::max(1L, tp + tn + fp + fn));
        std::printf("%-14s precision %.3f  recall %.3f  F1 %.3f  accuracy %.3f  (TP %ld FN %ld FP %ld TN %ld)\n", name,
                    p, r, f1, a, tp, fn, fp, tn);
    }
};

// The text of the whole body, as the analysis reads it when it takes the whole page: every text
// node outside script, style and the head, elements separated by a space.
std::string wholeText(const std::string& bytes, const std::string& encoding) {
    if (bytes.empty() || encoding.empty()) return {};
    htmlDocPtr doc =
        htmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), nullptr, encoding.c_str(),
                       HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_IGNORE_ENC);
    if (doc == nullptr) return {};
    std::string text;
    xmlNode* root = xmlDocGetRootElement(doc);
    for (xmlNode* n = root; n != nullptr;) {
        bool descend = true;
        if (n->type == XML_ELEMENT_NODE) {
            const std::string_view name = reinterpret_cast<const char*>(n->name);
            descend = name != "script" && name != "style" && name != "head" && name != "noscript";
            text += ' ';
        } else if (n->type == XML_TEXT_NODE && n->content != nullptr) {
            text += reinterpret_cast<const char*>(n->content);
        }
        if (descend && n->type == XML_ELEMENT_NODE && n->children != nullptr) {
            n = n->children;
            continue;
        }
        while (n != nullptr && n != root && n->next == nullptr) n = n->parent;
        n = n == nullptr || n == root ? nullptr : n->next;
    }
    xmlFreeDoc(doc);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: maintext_score FOLDER [--half=0|1] [--misses] [--show=pages/N.html.gz] [--dump=DIR]\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    int half = -1;
    bool misses = false;
    std::string show;
    std::filesystem::path dump;
    for (int i = 2; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--half=0") half = 0;
        if (a == "--half=1") half = 1;
        if (a == "--misses") misses = true;
        if (a.rfind("--show=", 0) == 0) show = a.substr(7);
        if (a.rfind("--dump=", 0) == 0) dump = a.substr(7);
    }
    std::ifstream in(folder / "annotations.json");
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", (folder / "annotations.json").c_str());
        return 1;
    }
    const nlohmann::json annotations = nlohmann::json::parse(in, nullptr, false);
    if (!annotations.is_array()) {
        std::fprintf(stderr, "annotations.json is not a list\n");
        return 1;
    }
    Counts main, whole;
    double totalSeconds = 0, maxSeconds = 0;
    std::string slowest;
    int pages = 0, notFound = 0, index = -1;
    for (const auto& entry : annotations) {
        ++index;
        if (half >= 0 && index % 2 != half) continue;
        const std::string name = entry.value("page", "");
        if (!show.empty() && name != show) continue;
        const std::string bytes = readGzip(folder / name);
        const auto start = std::chrono::steady_clock::now();
        const maintext::Result result = maintext::ExtractMainText(bytes, "");
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ++pages;
        totalSeconds += seconds;
        if (seconds > maxSeconds) {
            maxSeconds = seconds;
            slowest = name;
        }
        // Without main text the program analyses the whole page: score that.
        if (!result.found) ++notFound;
        if (!show.empty()) {
            std::printf("%s %s\n", maintext::ReasonName(result.reason), result.encoding.c_str());
            for (const auto& p : result.blockPaths) std::printf("path: %s\n", p.c_str());
            std::printf("%s\n----\n", result.text.c_str());
        }
        if (!dump.empty()) {
            std::ofstream out(dump / std::filesystem::path(name).stem().replace_extension(".txt"), std::ios::binary);
            out << (result.found ? result.text : std::string());
        }
        const std::string wholeCollapsed =
            collapse(wholeText(bytes, result.encoding.empty() ? "UTF-8" : result.encoding));
        const std::string extracted = result.found ? collapse(result.text) : wholeCollapsed;
        std::vector<std::string> wrong;
        for (const auto& s : entry.value("with", nlohmann::json::array())) {
            const std::string snippet = collapse(s.get<std::string>());
            const bool found = extracted.find(snippet) != std::string::npos;
            (found ? main.tp : main.fn)++;
            (wholeCollapsed.find(snippet) != std::string::npos ? whole.tp : whole.fn)++;
            if (!found) wrong.push_back("  missing: " + snippet);
        }
        for (const auto& s : entry.value("without", nlohmann::json::array())) {
            const std::string snippet = collapse(s.get<std::string>());
            const bool found = extracted.find(snippet) != std::string::npos;
            (found ? main.fp : main.tn)++;
            (wholeCollapsed.find(snippet) != std::string::npos ? whole.fp : whole.tn)++;
            if (found) wrong.push_back("  kept:    " + snippet);
        }
        if (misses && !wrong.empty()) {
            std::printf("%s%s\n", name.c_str(), result.found ? "" : " (not found)");
            for (const auto& w : wrong) std::printf("%s\n", w.c_str());
        }
    }
    std::printf("%d pages, main text not found on %d\n", pages, notFound);
    main.print("main text");
    whole.print("all the text");
    std::printf("time per page: mean %.2f ms, max %.2f ms (%s)\n", 1000 * totalSeconds / std::max(1, pages),
                1000 * maxSeconds, slowest.c_str());
    return 0;
}
