#include <filesystem>
#include <istream>
#include <iterator>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>

#include "base/cp1251.h"
#include "base/textfile.h"
#include "cli/batch.h"
#include "cli/commands.h"
#include "cli/fdoutput.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/page.h"
#include "cli/rows.h"
#include "dictstem/dictionarystems.h"
#include "document/document.h"
#include "engine/pagesource.h"
#include "page/fetch.h"
#include "page/frames.h"
#include "page/inputs.h"
#include "settings/decimalseparator.h"
#include "settings/koef.h"
#include "settings/settingsdir.h"
#include "settings/stopwords.h"
#include "summary/forcedmarks.h"
#include "summary/sentencelist.h"

namespace {

using namespace settings;

// The bytes of a settings file, or the message naming it and why it cannot be read. A missing
// file of the program's own (not named by an option) is no error: it reads as nothing.
std::optional<std::string> readSettingsFile(const std::filesystem::path& path, bool named, FileBytes& file) {
    file = ReadFileBytes(path);
    if (file.status == ReadStatus::kOk || (file.status == ReadStatus::kMissing && !named)) return std::nullopt;
    return CannotOpenFileMessage(path) + ": " + file.reason;
}

// Sets the forced-inclusion marks the options ask for. Returns a message for an order number that
// no row carries.
std::optional<std::string> forceRows(const CliOptions& o, Document& doc) {
    if (o.forceHeadings) SetHeadingMarks(doc.sentences, MarkChange::kSet);
    for (long long order : o.forcedOrders) {
        bool found = false;
        for (std::size_t r = 0; r < doc.sentences.rows.size(); ++r) {
            if (doc.sentences.cell(r, sentencecol::kOrder) != std::to_string(order)) continue;
            found = true;
            if (!IsRowMarked(doc.sentences, r)) ToggleRowMark(doc.sentences, r);
        }
        if (!found) return "no sentence has the order number " + std::to_string(order);
    }
    return std::nullopt;
}

// The dictionary shared by the workers of a batch: one lookup at a time, and each thread keeps its
// answer in a buffer of its own, because the dictionary's cache may be emptied by the next lookup.
class SharedDictionary final : public StemSource {
  public:
    explicit SharedDictionary(StemSource& dictionary) : dictionary_(dictionary) {}

    std::string_view DictionaryForm(std::string_view word) override {
        thread_local std::string answer;
        std::lock_guard lock(mutex_);
        answer = dictionary_.DictionaryForm(word);
        return answer;
    }

  private:
    StemSource& dictionary_;
    std::mutex mutex_;
};

// The usage error of options that do not fit a batch, or nothing.
std::optional<std::string> batchUsageError(const CliOptions& o) {
    if (o.format == OutputFormat::kJson || o.format == OutputFormat::kText)
        return "several pages are printed with --format=jsonl, csv or tsv";
    if (o.show == Section::kAll && o.format != OutputFormat::kJsonl)
        return "--show=all prints one page; a batch shows one pane";
    if (o.show == Section::kText) return "--show=text prints one page";
    return std::nullopt;
}

// Flushes the output and returns `code`, or kExitFailed with the message when it could not be
// written.
int finishOutput(std::ostream& out, std::ostream& err, int code) {
    out.flush();
    if (out) return code;
    err << MessageLine(WriteFailureMessage(out));
    return kExitFailed;
}

// Reads, analyses and prints the one page of a run that is not a batch.
int analyseOnePage(const CliOptions& o, const PageSettings& settings, std::istream& in, std::ostream& out,
                   std::ostream& err) {
    const std::string input = o.singleInput();
    const PageInput::Kind kind = input == "-"          ? PageInput::Kind::kStandardInput
                                 : IsWebAddress(input) ? PageInput::Kind::kWebAddress
                                                       : PageInput::Kind::kFile;
    const std::string inputName = kind == PageInput::Kind::kStandardInput ? "standard input" : input;
    PageRead read = ReadPage({input, kind, {}}, in, o);
    if (read.error) {
        err << MessageLine(inputName + ": " + *read.error);
        return kExitUnreadable;
    }
    for (const std::string& note : read.page.notes) err << MessageLine(note);
    const AnalysedPage analysed = AnalysePage(o, settings, std::move(read.page.parts));
    if (analysed.outcome == AnalysedPage::Outcome::kOutOfMemory) {
        // The lists are those of a document never analysed: print none of them.
        err << MessageLine("out of memory while analysing " + inputName);
        return kExitFailed;
    }
    if (analysed.contentNote) err << MessageLine(inputName + ": " + *analysed.contentNote);
    if (analysed.noText) err << MessageLine(inputName + ": " + cp1251::toUtf8(kNoTextMessage));
    if (analysed.outcome == AnalysedPage::Outcome::kNoSuchOrder) {
        err << MessageLine(analysed.message);
        return kExitUsage;
    }
    const Document& doc = *analysed.doc;
    if (o.format == OutputFormat::kJson) {
        WriteJson(doc, out, std::nullopt, o.content.has_value(), o.zones);
    } else if (o.format == OutputFormat::kCsv && o.show != Section::kText) {
        WriteCsvSection(doc, o.show, out);
    } else {
        WriteSection(doc, o.show, o.format, out);
    }
    return finishOutput(out, err, kExitOk);
}

}  // namespace

std::optional<std::string> LoadPageSettings(const CliOptions& o, PageSettings& settings) {
    namespace fs = std::filesystem;
    const bool ownFiles = o.koefFile.empty() || o.stopWordsFile.empty();
    const fs::path dir = ownFiles ? SettingsDirectory(ExecutableDirectory()) : fs::path();

    FileBytes file;
    const fs::path koefPath = o.koefFile.empty() ? dir / kKoefFileName : fs::path(o.koefFile);
    if (auto message = readSettingsFile(koefPath, !o.koefFile.empty(), file)) return message;
    if (file.status == ReadStatus::kOk) {
        KoefLoadResult koef = ParseKoefFile(koefPath, file.bytes);
        if (koef.error) return *koef.error;
        settings.koef = koef.values;
    }

    const fs::path stopPath = o.stopWordsFile.empty() ? dir / kStopWordsFileName : fs::path(o.stopWordsFile);
    if (auto message = readSettingsFile(stopPath, !o.stopWordsFile.empty(), file)) return message;
    settings.stopWords = file.status == ReadStatus::kOk ? ParseStopWords(file.bytes) : TVocIndex();
    return std::nullopt;
}

PageRead ReadPage(const PageInput& input, std::istream& in, const CliOptions& o, const std::atomic<bool>* cancel) {
    PageRead read;
    PageBytes bytes = ReadPageInput(input, in, {o.timeoutSeconds, o.maxInputBytes, o.addresses, cancel});
    if (bytes.error) {
        read.error = std::move(bytes.error);
        return read;
    }
    read.bytes = bytes.bytes.size();
    const PageOrigin origin = input.kind == PageInput::Kind::kWebAddress      ? PageOrigin::kWebAddress
                              : input.kind == PageInput::Kind::kStandardInput ? PageOrigin::kStandardInput
                                                                              : PageOrigin::kFile;
    read.page = ReadFramesetParts(
        std::move(bytes.bytes), origin,
        origin == PageOrigin::kFile ? std::filesystem::path(input.name) : std::filesystem::path(), o.frames);
    return read;
}

AnalysedPage AnalysePage(const CliOptions& o, const PageSettings& settings, std::vector<std::string> parts) {
    AnalysedPage page;
    page.doc = std::make_unique<Document>();
    Document& doc = *page.doc;
    doc.recordOccurrences = settings.recordOccurrences;
    doc.decimalSeparator = o.decimalSeparator ? *o.decimalSeparator : UserDecimalSeparator();
    IndexOptions options{o.indexTitle, o.indexMeta, o.indexImgAlt};
    options.stemSource = settings.stemSource;
    SetIndexOptions(doc, options);
    SetCoefficients(doc, settings.koef);
    SetStopWords(doc, settings.stopWords);
    if (o.allTypes) {
        for (ResultList list : kResultLists) ShowAllTypes(doc, list);
    }
    page.report = Analyse(
        doc, {std::move(parts), o.charset, o.content.value_or(ContentMode::kPage), false, o.show == Section::kText});
    if (page.report && page.report->status == ScanStatus::kOutOfMemory) {
        page.outcome = AnalysedPage::Outcome::kOutOfMemory;
        return page;
    }
    // An empty source starts no run: it has no text either.
    page.noText = !page.report || FoundNoText(doc, *page.report);
    const ContentReport& content = doc.content();
    if (page.report && content.mode == ContentMode::kMain && !content.found)
        page.contentNote = "no main text found (" + content.reason + "): the whole page is analysed";
    if (auto message = forceRows(o, doc)) {
        page.outcome = AnalysedPage::Outcome::kNoSuchOrder;
        page.message = std::move(*message);
        return page;
    }
    if (o.forceHeadings || !o.forcedOrders.empty() || o.limit != kNoLimitItem) RebuildSummary(doc, o.limit);
    return page;
}

int RunAnalyzeCommand(std::span<const std::string_view> args, std::istream& in, std::ostream& out, std::ostream& err,
                      StandardInput stdinKind, std::size_t progress) {
    ParsedOptions parsed = ParseCliOptions(args);
    if (parsed.error) {
        err << MessageLine(*parsed.error) << kCliUsage;
        return kExitUsage;
    }
    CliOptions& o = parsed.options;
    // Looked up once, not by every page of a batch.
    if (!o.decimalSeparator) o.decimalSeparator = UserDecimalSeparator();
    if (o.action != CliAction::kAnalyze) {
        out << (o.action == CliAction::kHelp ? kCliHelp : std::string(kCliVersion) + "\n");
        return finishOutput(out, err, kExitOk);
    }
    if (o.inputs.empty() && o.lists.empty() && stdinKind == StandardInput::kTerminal) {
        err << MessageLine("no file given and standard input is a terminal") << kCliUsage;
        return kExitUsage;
    }
    std::error_code ec;
    const bool batch = o.isBatch() || std::filesystem::is_directory(o.singleInput(), ec);
    if (batch) {
        if (auto message = batchUsageError(o)) {
            err << MessageLine(*message) << kCliUsage;
            return kExitUsage;
        }
    } else if (o.show == Section::kAll && o.format == OutputFormat::kCsv) {
        err << MessageLine("--format=csv prints one pane, not --show=all") << kCliUsage;
        return kExitUsage;
    }
    PageSettings settings;
    if (auto message = LoadPageSettings(o, settings)) {
        err << TerminalText(*message) << '\n';
        return kExitUnreadable;
    }
    dictstem::DictionaryLoad dictionary;
    std::optional<SharedDictionary> shared;
    if (o.dictionaryStems) {
        dictionary = dictstem::LoadDictionaryStems(dictstem::DefaultDictionaryDirectory());
        if (!dictionary.stems) {
            err << MessageLine("--stems=dictionary: " + dictionary.error + " (Debian package hunspell-ru)");
            return kExitUnreadable;
        }
        settings.stemSource = &shared.emplace(*dictionary.stems);
    }
    if (batch) return RunBatch(o, settings, in, out, err, progress);
    return analyseOnePage(o, settings, in, out, err);
}
