#include "cli/comparing.h"

#include <algorithm>
#include <ostream>

#include "base/numformat.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/rows.h"
#include "settings/decimalseparator.h"
#include "views/delimitedtext.h"

bool IsAnalysisOption(std::string_view arg) {
    return std::ranges::any_of(kAnalysisOptions, [arg](std::string_view option) { return arg.starts_with(option); });
}

std::optional<std::string> ParseAnalysisOptions(const std::vector<std::string_view>& args, AnalysisSetup& setup) {
    ParsedOptions parsed = ParseCliOptions(args);
    if (parsed.error) return parsed.error;
    setup.options = std::move(parsed.options);
    return std::nullopt;
}

std::optional<int> StartCommand(const std::optional<std::string>& parsed, const char* usage, const char* help,
                                AnalysisSetup& setup, std::ostream& out, std::ostream& err) {
    if (parsed) {
        if (*parsed == "help") {
            out << usage << help << std::flush;
            return out ? kExitOk : kExitFailed;
        }
        err << MessageLine(*parsed) << usage;
        return kExitUsage;
    }
    if (auto message = LoadAnalysisSetup(setup)) {
        err << MessageLine(*message);
        return kExitUnreadable;
    }
    return std::nullopt;
}

std::optional<std::string> LoadAnalysisSetup(AnalysisSetup& setup) {
    if (auto message = LoadPageSettings(setup.options, setup.settings)) return message;
    if (!setup.options.dictionaryStems) return std::nullopt;
    setup.dictionary = dictstem::LoadDictionaryStems(dictstem::DefaultDictionaryDirectory());
    if (!setup.dictionary.stems)
        return "--stems=dictionary: " + setup.dictionary.error + " (Debian package hunspell-ru)";
    setup.settings.stemSource = setup.dictionary.stems.get();
    return std::nullopt;
}

PageAnalysis PageAnalysisOf(const AnalysisSetup& setup, bool recordOccurrences) {
    const CliOptions& o = setup.options;
    PageAnalysis analysis;
    analysis.koef = setup.settings.koef;
    analysis.stopWords = setup.settings.stopWords;
    analysis.index = IndexOptions{o.indexTitle, o.indexMeta, o.indexImgAlt};
    analysis.index.stemSource = setup.settings.stemSource;
    analysis.charset = o.charset;
    analysis.content = o.content.value_or(ContentMode::kPage);
    analysis.limits = {o.timeoutSeconds, o.maxInputBytes, o.addresses, nullptr};
    analysis.frames = o.frames;
    analysis.recordOccurrences = recordOccurrences;
    analysis.decimalSeparator = o.decimalSeparator.value_or(settings::UserDecimalSeparator());
    return analysis;
}

void WriteTable(const std::vector<std::vector<std::string>>& lines, OutputFormat format, std::ostream& out) {
    if (lines.empty()) return;
    if (format == OutputFormat::kCsv || format == OutputFormat::kTsv) {
        const auto delimitedFormat = format == OutputFormat::kCsv ? delimited::Format::kCsv : delimited::Format::kTsv;
        if (format == OutputFormat::kCsv) out << "\xEF\xBB\xBF";
        for (const auto& line : lines) out << delimited::Record(line, delimitedFormat);
        return;
    }
    auto width = [](const std::string& s) {
        return static_cast<std::size_t>(std::ranges::count_if(s, [](char c) { return (c & 0xC0) != 0x80; }));
    };
    std::vector<std::size_t> widths(lines.front().size(), 0);
    for (const auto& line : lines) {
        for (std::size_t c = 0; c < line.size() && c < widths.size(); ++c)
            widths[c] = std::max(widths[c], width(line[c]));
    }
    for (const auto& line : lines) {
        std::string text;
        for (std::size_t c = 0; c < line.size() && c < widths.size(); ++c) {
            const std::string pad(widths[c] - width(line[c]), ' ');
            if (c > 0) text += "  ";
            text += c == 0 ? line[c] + pad : pad + line[c];  // the numbers right-aligned
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        out << text << '\n';
    }
}

std::optional<std::string> ParseCommandArguments(
    std::string_view name, std::span<const std::string_view> args,
    const std::function<bool(std::string_view, std::optional<std::string>&)>& own, CommandArguments& common) {
    bool options = true;
    for (std::string_view arg : args) {
        std::optional<std::string> message;
        if (options && arg == "--") {
            options = false;
        } else if (options && (arg == "--help" || arg == "-h")) {
            return "help";
        } else if (options && arg.starts_with("--format=")) {
            message = ParseTableFormat(arg.substr(9), common.format);
        } else if (options && arg.starts_with("--min-count=")) {
            long long count = 0;
            message = ParseBoundedCount("--min-count", arg.substr(12), 1, 1'000'000'000, count);
            common.minCount = count;
        } else if (options && IsAnalysisOption(arg)) {
            common.analysis.push_back(arg);
        } else if (options && own(arg, message)) {
        } else if (options && arg.starts_with("-") && arg != "-") {
            return std::string(name) + " has no option '" + ValidUtf8(arg) + "'";
        } else {
            common.operands.emplace_back(arg);
        }
        if (message) return message;
    }
    return std::nullopt;
}

std::optional<std::string> ParseTableFormat(std::string_view text, OutputFormat& format) {
    if (text == "text") {
        format = OutputFormat::kText;
    } else if (text == "tsv") {
        format = OutputFormat::kTsv;
    } else if (text == "csv") {
        format = OutputFormat::kCsv;
    } else if (text == "json") {
        format = OutputFormat::kJson;
    } else {
        return "--format takes text, tsv, csv or json, not '" + ValidUtf8(text) + "'";
    }
    return std::nullopt;
}

std::optional<std::string> ParseBoundedCount(std::string_view option, std::string_view text, long long least,
                                             long long most, long long& value) {
    const std::optional<long long> parsed =
        text.find_first_not_of("0123456789") == std::string_view::npos ? numformat::ParseInt(text) : std::nullopt;
    if (!parsed || *parsed < least || *parsed > most)
        return std::string(option) + " takes a whole number from " + std::to_string(least) + " to " +
               std::to_string(most) + ", not '" + ValidUtf8(text) + "'";
    value = *parsed;
    return std::nullopt;
}
