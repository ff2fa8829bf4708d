// Speed of the analysis on a large Russian page, and how it grows with the page size.
//
// The page is the Russian KiCad manuals joined into one (Debian package kicad-doc-ru), or the
// files named in SUMORAN_BENCH_PAGES (colon-separated), or, failing both, the bundled sample
// page repeated to about the same size. Each benchmark analyses the page repeated 1, 4 and 16
// times; bytes per second are reported for the raw page size. BM_Figures measures what the text
// figures add to a run of 10 MB. BM_ContentMode compares reading the
// whole page with reading its main text, timed by the clock and its CPU time counted over every
// thread of the process (the main text uses several), and BM_DictionaryStems the built-in stemmer
// with stems from the dictionary, both on a page of 10 MB.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "base/allocator.h"
#include "compare/collocates.h"
#include "dictstem/dictionarystems.h"
#include "document/document.h"
#include "document/wordsincontext.h"
#include "engine/analysis.h"
#include "engine/pagesource.h"
#include "figures/figures.h"

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::filesystem::path> pagePaths() {
    std::vector<std::filesystem::path> paths;
    if (const char* env = std::getenv("SUMORAN_BENCH_PAGES")) {
        std::stringstream list(env);
        for (std::string item; std::getline(list, item, ':');) paths.emplace_back(item);
        return paths;
    }
    const std::filesystem::path kicad = "/usr/share/doc/kicad/help/ru";
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(kicad, ec)) {
        if (entry.path().extension() == ".html") paths.push_back(entry.path());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

// The benchmark page as the browser layer hands it over: each file made single-byte and joined.
const std::string& basePage() {
    static const std::string page = [] {
        std::string joined;
        for (const auto& path : pagePaths()) joined += SavedPartText(readFile(path));
        if (joined.empty()) {
            std::string sample = SavedPartText(readFile(SUMORAN_SOURCE_DIR "/samples/sample.html"));
            while (joined.size() < 1200000) joined += sample;
        }
        return joined;
    }();
    return page;
}

void BM_AnalysisRun(benchmark::State& state) {
    std::string page;
    for (int i = 0; i < state.range(0); ++i) page += basePage();
    AnalysisState analysis;
    for (auto _ : state) {
        analysis.sourceText = page;
        RunReport report = RunAnalysis(analysis);
        benchmark::DoNotOptimize(report);
        if (report.status == ScanStatus::kOutOfMemory) {
            state.SkipWithError("out of memory");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(page.size()));
    state.counters["page_MB"] = static_cast<double>(page.size()) / 1e6;
    state.counters["stems"] = static_cast<double>(analysis.slWordBase.size());
}

// The whole run as the window makes it: the engine, the sentence list, the three result lists
// filled and sorted, and the summary.
void BM_DocumentRun(benchmark::State& state) {
    std::string page;
    for (int i = 0; i < state.range(0); ++i) page += basePage();
    Document doc;
    for (auto _ : state) {
        auto report = AnalyseSource(doc, page);
        benchmark::DoNotOptimize(report);
        if (report && report->status == ScanStatus::kOutOfMemory) {
            state.SkipWithError("out of memory");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(page.size()));
    state.counters["page_MB"] = static_cast<double>(page.size()) / 1e6;
    state.counters["sentences"] = static_cast<double>(doc.sentences.rows.size());
}

// The cost of the text figures on a page of at least 10 MB: the engine's run without the page
// tally (0), with it (1), and with it and the figures and checks computed from it (2).
void BM_Figures(benchmark::State& state) {
    std::string page;
    while (page.size() < 10'000'000) page += basePage();
    const auto mode = state.range(0);
    AnalysisState analysis;
    analysis.tallyPage = mode != 0;
    for (auto _ : state) {
        analysis.sourceText = page;
        RunReport report = RunAnalysis(analysis);
        benchmark::DoNotOptimize(report);
        if (mode == 2) {
            const figures::TextFigures f = figures::ComputeFigures(analysis);
            benchmark::DoNotOptimize(figures::CheckPage(analysis, f));
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(page.size()));
    state.counters["page_MB"] = static_cast<double>(page.size()) / 1e6;
    state.counters["stems"] = static_cast<double>(analysis.slWordBase.size());
}

// The whole run over a page of about 10 MB given as its parts (the KiCad manuals, each a document
// of its own, repeated as a frameset of many frames would give them), reading all of it (0) or
// only the main text of each part (1), with the allocator set up as the programs set it.
void BM_ContentMode(benchmark::State& state) {
    FreeSmallBlocksAtOnce();  // as the programs run
    std::vector<std::string> files;
    for (const auto& path : pagePaths()) files.push_back(readFile(path));
    if (files.empty()) files.push_back(readFile(SUMORAN_SOURCE_DIR "/samples/sample.html"));
    std::vector<std::string> parts;
    std::size_t bytes = 0;
    while (bytes < 10'000'000) {
        for (const std::string& file : files) {
            parts.push_back(file);
            bytes += file.size();
        }
    }
    const ContentMode mode = state.range(0) == 0 ? ContentMode::kPage : ContentMode::kMain;
    Document doc;
    for (auto _ : state) {
        auto report = Analyse(doc, {parts, CharsetChoice::kAuto, mode, false});
        benchmark::DoNotOptimize(report);
        if (!report || report->status == ScanStatus::kOutOfMemory) {
            state.SkipWithError("no run");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
    state.counters["page_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["words"] = doc.analysis().wfTotals.totalCount;
}

// The engine's run over a page of at least 10 MB with the built-in stemmer (0), with stems from
// the dictionary as the first page of the process, every form looked up (1), and with every
// form already cached (2). The dictionary is loaded once, outside the timing.
void BM_DictionaryStems(benchmark::State& state) {
    std::string page;
    while (page.size() < 10'000'000) page += basePage();
    static dictstem::DictionaryLoad dictionary = dictstem::LoadDictionaryStems(dictstem::DefaultDictionaryDirectory());
    const auto mode = state.range(0);
    if (mode != 0 && !dictionary.stems) {
        state.SkipWithError(dictionary.error.c_str());
        return;
    }
    AnalysisState analysis;
    if (mode != 0) analysis.options.stemSource = dictionary.stems.get();
    if (mode == 2) {
        analysis.sourceText = page;
        RunAnalysis(analysis);
    }
    for (auto _ : state) {
        if (mode == 1) dictionary.stems->ClearCache();
        analysis.sourceText = page;
        RunReport report = RunAnalysis(analysis);
        benchmark::DoNotOptimize(report);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(page.size()));
    state.counters["page_MB"] = static_cast<double>(page.size()) / 1e6;
    state.counters["stems"] = static_cast<double>(analysis.slWordBase.size());
    if (mode != 0) state.counters["cached_forms"] = static_cast<double>(dictionary.stems->cachedForms());
}

// The collocates of the page's most frequent stem on a page of at least 10 MB, as sumoran-cli
// collocates finds them after the run: the occurrences read as stems and sentences, the stems
// numbered, the windows of five words counted and ranked. The analysis is outside the timing.
void BM_Collocates(benchmark::State& state) {
    std::string page;
    while (page.size() < 10'000'000) page += basePage();
    Document doc;
    doc.recordOccurrences = true;
    AnalyseSource(doc, page);
    std::int32_t node = 0;
    std::int32_t most = -1;
    for (const auto& entry : doc.analysis().slWordBase) {
        if (entry.desc.count > most) std::tie(most, node) = std::pair(entry.desc.count, entry.desc.id);
    }
    std::size_t found = 0, words = 0;
    for (auto _ : state) {
        std::unordered_map<std::int32_t, std::uint32_t> numbers;
        std::vector<CollocateToken> tokens;
        for (const StemOccurrence& o : StemOccurrences(doc)) {
            const auto [at, added] = numbers.emplace(o.stem, static_cast<std::uint32_t>(numbers.size()));
            tokens.push_back({at->second, o.sentence});
        }
        words = tokens.size();
        found = FindCollocates(tokens, numbers[node], {}).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["page_MB"] = static_cast<double>(page.size()) / 1e6;
    state.counters["words"] = static_cast<double>(words);
    state.counters["node_count"] = most;
    state.counters["collocates"] = static_cast<double>(found);
}

BENCHMARK(BM_AnalysisRun)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DocumentRun)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Figures)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ContentMode)->Arg(0)->Arg(1)->MeasureProcessCPUTime()->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DictionaryStems)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Collocates)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
