// Time and peak memory of the whole analysis (engine, sentence list, result lists, summary) on
// hostile and very large pages. Each page runs in a child process of its own, so that its peak
// resident memory can be read alone.
//
//   hostile_bench            runs every case and prints a table
//   hostile_bench CASE       runs one case and prints its line
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "base/allocator.h"
#include "document/document.h"
#include "engine/pagesource.h"
#include "tests/hostile_pages.h"

namespace {

// The Russian KiCad manuals (Debian package kicad-doc-ru) joined and repeated to about `bytes`:
// a large page of real text and markup. Empty when the package is not installed.
std::string manuals(std::size_t bytes) {
    std::string joined;
    std::error_code ec;
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::directory_iterator("/usr/share/doc/kicad/help/ru", ec)) {
        if (entry.path().extension() == ".html") paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    for (const auto& path : paths) {
        std::ifstream in(path, std::ios::binary);
        joined += SavedPartText(std::string(std::istreambuf_iterator<char>(in), {}));
    }
    if (joined.empty()) return joined;
    std::string page;
    while (page.size() < bytes) page += joined;
    return page;
}

struct Case {
    const char* name;
    std::function<std::string()> page;
    ContentMode content = ContentMode::kPage;  // kMain: only the page's main text is analysed
};

const std::vector<Case>& cases() {
    static const std::vector<Case> all = {
        {"manuals-10MB", [] { return manuals(10 << 20); }},
        {"manuals-50MB", [] { return manuals(50 << 20); }},
        {"prose-2.5MB", [] { return hostile::prose(5 << 19); }},
        {"prose-10MB", [] { return hostile::prose(10 << 20); }},
        {"prose-50MB", [] { return hostile::prose(50 << 20); }},
        {"word-10MB", [] { return hostile::singleWord(10 << 20); }},
        {"tags-1M", [] { return hostile::manyTags(1000000); }},
        {"images-1M", [] { return hostile::bareImages(1000000); }},
        {"distinct-300k", [] { return hostile::distinctWords(300000); }},
        {"distinct-short", [] { return hostile::distinctWords(300000, true); }},
        {"phrase-x100k", [] { return hostile::repeatedPhrase(100000); }},
        {"lt-only-10MB", [] { return hostile::onlyLessThan(10 << 20); }},
        {"nul-bytes", [] { return hostile::withNulBytes(1000000); }},
        {"unterminated", [] { return hostile::unterminated(1000000); }},
        {"self-frameset", [] { return hostile::selfFrameset(); }},
        {"main:manuals-10MB", [] { return manuals(10 << 20); }, ContentMode::kMain},
        {"main:prose-10MB", [] { return hostile::prose(10 << 20); }, ContentMode::kMain},
        {"main:prose-50MB", [] { return hostile::prose(50 << 20); }, ContentMode::kMain},
        {"main:tags-1M", [] { return hostile::manyTags(1000000); }, ContentMode::kMain},
        {"main:nested-100k", [] { return hostile::nestedElements(100000); }, ContentMode::kMain},
    };
    return all;
}

int runCase(const Case& c) {
    std::string page = c.page();
    page.shrink_to_fit();  // as a page read from a file: the generator's spare capacity is no part of it
    if (page.empty() && std::string(c.name).find("lt-only") == std::string::npos) {
        std::printf("%-18s (kicad-doc-ru is not installed)\n", c.name);
        return 0;
    }
    const double megabytes = static_cast<double>(page.size()) / (1 << 20);
    Document doc;
    const auto start = std::chrono::steady_clock::now();
    const auto report = c.content == ContentMode::kPage
                            ? AnalyseSource(doc, std::move(page))
                            : Analyse(doc, {{std::move(page)}, CharsetChoice::kAuto, c.content, false});
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peak = static_cast<double>(usage.ru_maxrss) / 1024;  // KiB to MiB
    if (report && report->status == ScanStatus::kOutOfMemory) {
        std::printf("%-18s %9.2f ran out of memory at %.1f MiB\n", c.name, megabytes, peak);
        return 1;
    }
    std::printf("%-18s %9.2f %9.3f %9.1f %9.1f %10.1f %8zu\n", c.name, megabytes, seconds,
                seconds > 0 ? megabytes / seconds : 0.0, peak, megabytes > 0 ? peak / megabytes : 0.0,
                doc.analysis().slWordBase.size());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    FreeSmallBlocksAtOnce();  // as the programs run
    if (argc > 1) {
        for (const Case& c : cases()) {
            if (c.name == std::string(argv[1])) return runCase(c);
        }
        std::fprintf(stderr, "unknown case %s\n", argv[1]);
        return 2;
    }
    std::printf("%-18s %9s %9s %9s %9s %10s %8s\n", "page", "MiB", "seconds", "MiB/s", "peak MiB", "peak/page",
                "stems");
    std::fflush(stdout);
    int failures = 0;
    for (const Case& c : cases()) {
        std::string command = std::string(argv[0]) + " " + c.name;
        if (std::system(command.c_str()) != 0) ++failures;
    }
    return failures == 0 ? 0 : 1;
}
