#include <filesystem>
#include <istream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>

#include "cli/commands.h"
#include "cli/frames.h"
#include "cli/options.h"
#include "cli/output.h"
#include "dictstem/dictionarystems.h"
#include "document/document.h"
#include "engine/cp1251.h"
#include "settings/decimalseparator.h"
#include "settings/koef.h"
#include "settings/settingsdir.h"
#include "settings/stopwords.h"
#include "settings/textfile.h"
#include "summary/forcedmarks.h"
#include "summary/sentencelist.h"

namespace {

using namespace settings;

// A failure that ends the command: its message (UTF-8) and exit code.
struct Failure {
    std::string message;
    int code = kExitUnreadable;
};

std::optional<Failure> loadSettings(const CliOptions& o, Document& doc) {
    namespace fs = std::filesystem;
    const bool ownFiles = o.koefFile.empty() || o.stopWordsFile.empty();
    const fs::path dir = ownFiles ? SettingsDirectory(ExecutableDirectory()) : fs::path();

    const fs::path koefPath = o.koefFile.empty() ? dir / kKoefFileName : fs::path(o.koefFile);
    if (!o.koefFile.empty() && ReadFileBytes(koefPath).status != ReadStatus::kOk)
        return Failure{CannotOpenFileMessage(koefPath)};
    KoefLoadResult koef = LoadKoef(koefPath);
    if (koef.error) return Failure{*koef.error};
    doc.analysis.koef = koef.values;

    const fs::path stopPath = o.stopWordsFile.empty() ? dir / kStopWordsFileName : fs::path(o.stopWordsFile);
    if (!o.stopWordsFile.empty() && ReadFileBytes(stopPath).status != ReadStatus::kOk)
        return Failure{CannotOpenFileMessage(stopPath)};
    doc.analysis.stopWords = LoadStopWords(stopPath);
    return std::nullopt;
}

std::optional<std::string> readInput(const CliOptions& o, std::istream& in, std::string& bytes) {
    if (o.input == "-") {
        bytes.assign(std::istreambuf_iterator<char>(in), {});
        if (in.bad()) return "sumoran-cli: cannot read standard input";
        return std::nullopt;
    }
    FileBytes file = ReadFileBytes(o.input, std::numeric_limits<std::size_t>::max());
    if (file.status != ReadStatus::kOk) return "sumoran-cli: cannot read " + o.input;
    bytes = std::move(file.bytes);
    return std::nullopt;
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
        if (!found) return "sumoran-cli: no sentence has the order number " + std::to_string(order);
    }
    return std::nullopt;
}

}  // namespace

int RunAnalyzeCommand(std::span<const std::string_view> args, std::istream& in, std::ostream& out, std::ostream& err,
                      StandardInput stdinKind) {
    ParsedOptions parsed = ParseCliOptions(args);
    if (parsed.error) {
        err << "sumoran-cli: " << *parsed.error << '\n' << kCliUsage;
        return kExitUsage;
    }
    const CliOptions& o = parsed.options;
    if (o.action != CliAction::kAnalyze) {
        out << (o.action == CliAction::kHelp ? kCliHelp : std::string(kCliVersion) + "\n");
        out.flush();
        return out ? kExitOk : kExitUnreadable;
    }
    if (!o.inputNamed && stdinKind == StandardInput::kTerminal) {
        err << "sumoran-cli: no file given and standard input is a terminal\n" << kCliUsage;
        return kExitUsage;
    }
    Document doc;
    doc.decimalSeparator = o.decimalSeparator.value_or(UserDecimalSeparator());
    doc.analysis.options = {o.indexTitle, o.indexMeta, o.indexImgAlt};
    if (o.allTypes) {
        doc.wbTypeHidden.hidden.fill(false);
        doc.wfTypeHidden.hidden.fill(false);
        doc.weTypeHidden.hidden.fill(false);
    }
    if (auto failure = loadSettings(o, doc)) {
        err << failure->message << '\n';
        return failure->code;
    }
    dictstem::DictionaryLoad dictionary;
    if (o.dictionaryStems) {
        dictionary = dictstem::LoadDictionaryStems(dictstem::DefaultDictionaryDirectory());
        if (!dictionary.stems) {
            err << "sumoran-cli: --stems=dictionary: " << dictionary.error << " (Debian package hunspell-ru)\n";
            return kExitUnreadable;
        }
        doc.analysis.options.stemSource = dictionary.stems.get();
    }
    std::string bytes;
    if (auto message = readInput(o, in, bytes)) {
        err << *message << '\n';
        return kExitUnreadable;
    }
    const bool fromStdin = o.input == "-";
    // The file's bytes go into the joined source and are freed before the analysis starts.
    FramesetSource page =
        ReadFramesetSource(std::move(bytes), fromStdin ? PageOrigin::kStandardInput : PageOrigin::kFile,
                           fromStdin ? std::filesystem::path() : std::filesystem::path(o.input));
    for (const std::string& note : page.notes) err << "sumoran-cli: " << note << '\n';
    const std::string inputName = fromStdin ? "standard input" : o.input;
    const std::optional<RunReport> report = AnalyseSource(doc, std::move(page.source));
    if (report && report->status == ScanStatus::kOutOfMemory) {
        // The lists are those of a document never analysed: print none of them.
        err << "sumoran-cli: out of memory while analysing " << inputName << '\n';
        return kExitFailed;
    }
    // An empty source starts no run: it has no text either.
    if (!report || FoundNoText(doc, *report))
        err << "sumoran-cli: " << inputName << ": " << cp1251::toUtf8(kNoTextMessage) << '\n';
    if (auto message = forceRows(o, doc)) {
        err << *message << '\n';
        return kExitUsage;
    }
    if (o.forceHeadings || !o.forcedOrders.empty() || o.limit != kNoLimitItem) RebuildSummary(doc, o.limit);

    if (o.format == OutputFormat::kJson) {
        WriteJson(doc, out);
    } else {
        WriteSection(doc, o.show, o.format, out);
    }
    out.flush();
    return out ? kExitOk : kExitUnreadable;
}
