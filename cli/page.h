// One page's analysis as sumoran-cli runs it: shared by a run over one input and by the workers of
// a batch, each of which gets a Document of its own for every page.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "document/document.h"
#include "engine/coefficients.h"
#include "engine/stemsource.h"
#include "engine/vocunit.h"
#include "page/frames.h"
#include "page/inputs.h"

/// The settings files' contents, read once and copied into each page's document.
struct PageSettings {
    Coefficients koef;
    TVocIndex stopWords;
    StemSource* stemSource = nullptr;  // stems from a dictionary, or the built-in stemmer
    bool recordOccurrences = false;    // each document keeps its word occurrences (collocates)
};

/// A page read for the analysis: its parts, the notes on what was left out (UTF-8, one line each),
/// or the error that gives no page.
struct PageRead {
    FramesetParts page;
    std::size_t bytes = 0;  // of the input itself, for the progress bar
    std::optional<std::string> error;
};

/// Reads one input as ReadPageInput reads it (bounded, binary data refused) and then its frames
/// under the options' frame policy: a fetched page as it came, a file with its local frames,
/// standard input without frames. A fetch stops early once `*cancel` turns true.
PageRead ReadPage(const PageInput& input, std::istream& in, const CliOptions& o,
                  const std::atomic<bool>* cancel = nullptr);

/// Reads koef.dat and stopwords.txt (the named ones, or the program's own). Returns the message
/// (UTF-8) when a named file cannot be read or koef.dat holds a line that is not a number.
std::optional<std::string> LoadPageSettings(const CliOptions& o, PageSettings& settings);

/// A page analysed under the options, with the summary as they ask for it.
struct AnalysedPage {
    enum class Outcome {
        kOk,
        kOutOfMemory,  // the lists are those of a document never analysed
        kNoSuchOrder,  // a --force order number that no sentence carries; `message` says which
    };
    std::unique_ptr<Document> doc;
    std::optional<RunReport> report;
    Outcome outcome = Outcome::kOk;
    bool noText = false;  // nothing to analyse: the lists are empty
    /// --content=main on a page without main text: why, and that the whole page was analysed.
    std::optional<std::string> contentNote;
    std::string message;
};

/// Analyses the parts of a page (ReadPage) under the options in a new document; the parts are
/// freed before the scan.
AnalysedPage AnalysePage(const CliOptions& o, const PageSettings& settings, std::vector<std::string> parts);
