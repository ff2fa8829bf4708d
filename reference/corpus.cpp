#include "reference/corpus.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <istream>
#include <limits>
#include <nlohmann/json.hpp>
#include <string_view>
#include <thread>
#include <vector>

#include "base/cp1251.h"
#include "views/exprlist.h"
#include "views/wordlist.h"

namespace {

using nlohmann::json;

// What the sums read of a list: its key column, its count and its weight.
struct ListKind {
    const char* key;
    const char* name;
    const char* count;
    const char* weight;
};

constexpr ListKind kStems = {"stems", "Словооснова", "ЧА", "ВА"};
constexpr ListKind kCombinations = {"combinations", "Словоосновы", "ЧА", "ВП"};

// Reads a count ("12"), nothing for anything else.
std::optional<long long> parseCount(const std::string& text) {
    long long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

// Reads a weight with at most two decimals after '.' or ',' ("12,50") in hundredths.
std::optional<long long> parseHundredths(const std::string& text) {
    const std::size_t separator = text.find_first_of(".,");
    const std::string whole = text.substr(0, separator);
    const std::string part = separator == std::string::npos ? "" : text.substr(separator + 1);
    if (whole.empty() || whole.size() > 15 || part.size() > 2) return std::nullopt;
    if (whole.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    if (part.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
    long long value = std::stoll(whole) * 100;
    if (!part.empty()) value += std::stoll(part) * (part.size() == 1 ? 10 : 1);
    return value;
}

// What adding a page's list came to.
enum class Added {
    kOk,
    kNotAResult,  // the result has no such list, or a row that is not one
    kOverflow,    // a sum would pass the largest number a count or weight holds
};

// Adds one row's texts to the sums.
Added addRow(const std::string& name, const std::string& count, const std::string& weight, long long pageIndex,
             CorpusTotals& totals) {
    const auto rowCount = parseCount(count);
    const auto rowWeight = parseHundredths(weight);
    if (!rowCount || !rowWeight) return Added::kNotAResult;
    CorpusTotal& total = totals[name];
    if (__builtin_add_overflow(total.count, *rowCount, &total.count) ||
        __builtin_add_overflow(total.weight, *rowWeight, &total.weight))
        return Added::kOverflow;
    if (total.lastPage != pageIndex) ++total.pages;
    total.lastPage = pageIndex;
    return Added::kOk;
}

// The two lists of one page's JSON result as a SAX parse finds them: only their columns and the
// cells of their rows are kept, so that the sentences, words and summary of a page cost a scan and
// no tree.
struct JsonLists {
    struct List {
        bool seen = false;
        bool wellFormed = true;  // columns and rows arrays, rows arrays of the columns' length
        std::vector<std::string> columns;
        std::vector<std::vector<std::string>> rows;  // a non-string cell is kept as a missing one
        std::vector<std::vector<bool>> isString;
        bool hasColumns = false, hasRows = false;
    };
    List lists[2];  // stems, combinations
    bool isObject = false;
    bool error = false;  // {"error": …}: an input that gave no page
    bool duplicate = false;
};

class JsonListsReader : public nlohmann::json_sax<json> {
  public:
    explicit JsonListsReader(JsonLists& found) : found_(found) {}
    /// Reads the value of one list's member of the page's object alone.
    JsonListsReader(JsonLists& found, JsonLists::List& list) : found_(found), pending_(&list), depth_(1) {}

    bool null() override { return value(nullptr); }
    bool boolean(bool) override { return value(nullptr); }
    bool number_integer(number_integer_t) override { return value(nullptr); }
    bool number_unsigned(number_unsigned_t) override { return value(nullptr); }
    bool number_float(number_float_t, const string_t&) override { return value(nullptr); }
    bool string(string_t& text) override { return value(&text); }
    bool binary(binary_t&) override { return value(nullptr); }
    bool start_object(std::size_t) override { return start(false); }
    bool start_array(std::size_t) override { return start(true); }
    bool end_object() override { return end(); }
    bool end_array() override { return end(); }
    bool key(string_t& name) override {
        if (depth_ == 1) {
            if (name == "error") found_.error = true;
            const int index = name == "stems" ? 0 : name == "combinations" ? 1 : -1;
            pending_ = index >= 0 ? &found_.lists[index] : nullptr;
            if (pending_ && pending_->seen) found_.duplicate = true;
            if (pending_) pending_->seen = true;
        } else if (depth_ == 2 && list_) {
            part_ = name == "columns" ? Part::kColumns : name == "rows" ? Part::kRows : Part::kNone;
        }
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

  private:
    enum class Part { kNone, kColumns, kRows };

    // A container opens at the current depth.
    bool start(bool array) {
        if (depth_ == 0) found_.isObject = !array;
        if (depth_ == 1 && pending_) {
            if (array) pending_->wellFormed = false;  // a list that is not an object
            list_ = array ? nullptr : pending_;
            part_ = Part::kNone;
            pending_ = nullptr;
        } else if (depth_ == 2 && list_ && part_ != Part::kNone) {
            if (!array) list_->wellFormed = false;  // columns or rows not an array
            (part_ == Part::kRows ? list_->hasRows : list_->hasColumns) = true;
        } else if (depth_ == 3 && list_ && part_ == Part::kColumns) {
            list_->columns.emplace_back();  // a caption that is no string matches none
        } else if (depth_ == 3 && list_ && part_ == Part::kRows) {
            if (!array) list_->wellFormed = false;  // a row that is not an array
            list_->rows.emplace_back();
            list_->isString.emplace_back();
        } else if (depth_ == 4 && list_ && part_ == Part::kRows) {
            cell(nullptr);
        }
        ++depth_;
        return true;
    }

    bool end() {
        --depth_;
        if (depth_ == 1) list_ = nullptr;
        return true;
    }

    bool value(std::string* text) {
        if (depth_ == 1 && pending_) {  // a list that is not an object
            pending_->wellFormed = false;
            pending_ = nullptr;
        }
        if (!list_) return true;
        if (depth_ == 2 && part_ != Part::kNone) list_->wellFormed = false;  // columns or rows not an array
        if (depth_ == 3 && part_ == Part::kColumns) list_->columns.push_back(text ? std::move(*text) : std::string());
        if (depth_ == 3 && part_ == Part::kRows) list_->wellFormed = false;  // a row that is not an array
        if (depth_ == 4 && part_ == Part::kRows) cell(text);
        return true;
    }

    void cell(std::string* text) {
        list_->rows.back().push_back(text ? std::move(*text) : std::string());
        list_->isString.back().push_back(text != nullptr);
    }

    JsonLists& found_;
    JsonLists::List* pending_ = nullptr;  // the list whose value comes next
    JsonLists::List* list_ = nullptr;     // the list whose object is being read
    Part part_ = Part::kNone;
    int depth_ = 0;
};

// Adds the list `kind` of one page's JSON result to the sums.
Added addJsonList(const JsonLists::List& list, const ListKind& kind, long long pageIndex, CorpusTotals& totals) {
    if (!list.seen || !list.wellFormed || !list.hasColumns || !list.hasRows) return Added::kNotAResult;
    auto column = [&](const char* caption) -> std::optional<std::size_t> {
        for (std::size_t k = 0; k < list.columns.size(); ++k) {
            if (list.columns[k] == caption) return k;
        }
        return std::nullopt;
    };
    const auto name = column(kind.name), count = column(kind.count), weight = column(kind.weight);
    if (!name || !count || !weight) return Added::kNotAResult;
    for (std::size_t r = 0; r < list.rows.size(); ++r) {
        const auto& row = list.rows[r];
        if (row.size() != list.columns.size()) return Added::kNotAResult;
        for (std::size_t k : {*name, *count, *weight}) {
            if (!list.isString[r][k]) return Added::kNotAResult;
        }
        const Added added = addRow(row[*name], row[*count], row[*weight], pageIndex, totals);
        if (added != Added::kOk) return added;
    }
    return Added::kOk;
}

// Adds the rows of a list model as its JSON would hold them: the shown cells, in UTF-8.
Added addModel(const ListModel& list, const ListKind& kind, long long pageIndex, CorpusTotals& totals) {
    auto column = [&](const char* caption) -> std::optional<unsigned> {
        for (unsigned k = 0; k < list.columns.size(); ++k) {
            if (cp1251::toUtf8(list.columns[k].caption) == caption) return k;
        }
        return std::nullopt;
    };
    const auto name = column(kind.name), count = column(kind.count), weight = column(kind.weight);
    if (!name || !count || !weight) return Added::kNotAResult;
    for (std::size_t r = 0; r < list.rows.size(); ++r) {
        const Added added =
            addRow(cp1251::toUtf8(list.cell(r, *name)), list.cell(r, *count), list.cell(r, *weight), pageIndex, totals);
        if (added != Added::kOk) return added;
    }
    return Added::kOk;
}

std::string overflowMessage() { return "a sum would pass " + std::to_string(std::numeric_limits<long long>::max()); }

// One line parsed: whether it is a JSON object, and its lists.
struct ParsedLine {
    bool parsed = false;
    JsonLists found;
};

// The members of a page's object: the text of each value, found by skipping strings and nesting
// without reading what they hold; only the two lists are then parsed. The other members need only be
// well nested, so that a page's sentences and summary cost a scan for quotes and brackets.
class MemberScanner {
  public:
    explicit MemberScanner(std::string_view text) : text_(text) {}

    // Calls use(key, value) for each member of the object that is the whole text; false when the
    // text is no object.
    template <typename Use>
    bool members(Use use) {
        if (!expect('{')) return false;
        if (expect('}')) return rest();
        do {
            blanks();
            const std::size_t keyStart = at_;
            if (!skipValue() || text_[keyStart] != '"') return false;
            const std::string_view key = text_.substr(keyStart + 1, at_ - keyStart - 2);
            if (!expect(':')) return false;
            blanks();
            const std::size_t valueStart = at_;
            if (!skipValue()) return false;
            use(key, text_.substr(valueStart, at_ - valueStart));
        } while (expect(','));
        return expect('}') && rest();
    }

  private:
    void blanks() {
        while (at_ < text_.size() &&
               (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\r' || text_[at_] == '\n'))
            ++at_;
    }
    bool expect(char c) {
        blanks();
        if (at_ >= text_.size() || text_[at_] != c) return false;
        ++at_;
        return true;
    }
    bool rest() {
        blanks();
        return at_ == text_.size();
    }
    // Skips a string whose opening quote is at at_.
    bool skipString() {
        for (std::size_t k = at_ + 1; k < text_.size();) {
            const std::size_t quote = text_.find_first_of("\"\\", k);
            if (quote == std::string_view::npos) return false;
            if (text_[quote] == '\\') {
                k = quote + 2;
                continue;
            }
            at_ = quote + 1;
            return true;
        }
        return false;
    }
    // Skips one value: a string, a nest of objects and arrays, or a scalar.
    bool skipValue() {
        blanks();
        if (at_ >= text_.size()) return false;
        if (text_[at_] == '"') return skipString();
        if (text_[at_] != '{' && text_[at_] != '[') {
            const std::size_t end = text_.find_first_of(",}] \t\r\n", at_);
            if (end == at_) return false;
            at_ = end == std::string_view::npos ? text_.size() : end;
            return true;
        }
        std::size_t depth = 0;
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (c == '"') {
                if (!skipString()) return false;
                continue;
            }
            if (c == '{' || c == '[') ++depth;
            if ((c == '}' || c == ']') && --depth == 0) {
                ++at_;
                return true;
            }
            ++at_;
        }
        return false;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

ParsedLine parseLine(const std::string& line) {
    ParsedLine result;
    JsonLists& found = result.found;
    bool listsParse = true;
    result.parsed = MemberScanner(line).members([&](std::string_view key, std::string_view value) {
        if (key == "error") found.error = true;
        const int index = key == "stems" ? 0 : key == "combinations" ? 1 : -1;
        if (index < 0) return;
        JsonLists::List& list = found.lists[index];
        if (list.seen) found.duplicate = true;
        list.seen = true;
        JsonListsReader reader(found, list);
        listsParse = json::sax_parse(value, &reader) && listsParse;
    });
    result.parsed = result.parsed && listsParse;
    found.isObject = result.parsed;
    return result;
}

// Adds one parsed line; the message when it is not a page's result.
std::optional<std::string> addLine(const ParsedLine& line, Corpus& corpus) {
    const JsonLists& found = line.found;
    if (line.parsed && found.isObject && found.error) return std::nullopt;  // an input that gave no page
    Added added = line.parsed && found.isObject && !found.duplicate
                      ? addJsonList(found.lists[0], kStems, corpus.pages, corpus.stems)
                      : Added::kNotAResult;
    if (added == Added::kOk) added = addJsonList(found.lists[1], kCombinations, corpus.pages, corpus.combinations);
    if (added == Added::kOverflow) return overflowMessage();
    if (added == Added::kNotAResult) return "not a page's result of --format=jsonl";
    ++corpus.pages;
    return std::nullopt;
}

// Lines waiting to be parsed, parsed by several threads at once and then added in order, so that
// the sums are those of one thread.
class LineBatch {
  public:
    // At most this many bytes of lines wait.
    static constexpr std::size_t kBytes = std::size_t{8} << 20;

    bool full() const { return bytes_ >= kBytes; }

    void push(std::size_t number, std::string line) {
        if (line.find_first_not_of(" \t\r") == std::string::npos) return;
        bytes_ += line.size();
        lines_.emplace_back(number, std::move(line));
    }

    // Parses and adds the lines; the number of the line that is not a page's result and why.
    std::optional<std::pair<std::size_t, std::string>> add(Corpus& corpus) {
        std::vector<ParsedLine> parsed(lines_.size());
        const std::size_t threads =
            std::min<std::size_t>({std::max(1u, std::thread::hardware_concurrency()), 8, lines_.size()});
        std::vector<std::thread> workers;
        for (std::size_t t = 1; t < threads; ++t) workers.emplace_back([&, t] { parseEvery(t, threads, parsed); });
        parseEvery(0, threads, parsed);
        for (std::thread& worker : workers) worker.join();
        for (std::size_t k = 0; k < lines_.size(); ++k) {
            if (auto message = addLine(parsed[k], corpus)) return std::pair(lines_[k].first, *message);
        }
        lines_.clear();
        bytes_ = 0;
        return std::nullopt;
    }

  private:
    void parseEvery(std::size_t first, std::size_t step, std::vector<ParsedLine>& parsed) const {
        for (std::size_t k = first; k < lines_.size(); k += step) parsed[k] = parseLine(lines_[k].second);
    }

    std::vector<std::pair<std::size_t, std::string>> lines_;
    std::size_t bytes_ = 0;
};

}  // namespace

std::optional<std::string> AddResultLines(std::istream& lines, const std::string& name, Corpus& corpus) {
    std::vector<char> chunk(std::size_t{1} << 20);
    std::string line;
    std::size_t number = 1;
    LineBatch batch;
    auto failed = [&](std::size_t at, const std::string& message) {
        return name + ", line " + std::to_string(at) + ": " + message;
    };
    auto addBatch = [&]() -> std::optional<std::string> {
        if (auto bad = batch.add(corpus)) return failed(bad->first, bad->second);
        return std::nullopt;
    };
    while (true) {
        lines.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const std::size_t got = static_cast<std::size_t>(lines.gcount());
        const char* at = chunk.data();
        const char* const end = at + got;
        while (at < end) {
            const char* newline = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
            const char* stop = newline ? newline : end;
            if (line.size() + static_cast<std::size_t>(stop - at) > kMaxResultLineBytes) {
                if (auto message = addBatch()) return message;
                return failed(number, "a line longer than " + std::to_string(kMaxResultLineBytes) + " bytes");
            }
            line.append(at, stop);
            if (!newline) break;
            batch.push(number, std::move(line));
            line.clear();
            ++number;
            at = newline + 1;
            if (batch.full()) {
                if (auto message = addBatch()) return message;
            }
        }
        if (got < chunk.size()) break;
    }
    if (lines.bad()) return "cannot read " + name;
    batch.push(number, std::move(line));
    return addBatch();
}

std::optional<std::string> AddAnalysedPage(const Document& doc, Corpus& corpus) {
    const AnalysisState& a = doc.analysis();
    ListModel stems = MakeWordListModel(WordListKind::kStems);
    FillWordList(stems, a.slWordBase, "", WordTypeFilter{}, a.wbTotals, '.', doc.compareText);
    Added added = addModel(stems, kStems, corpus.pages, corpus.stems);
    if (added == Added::kOk) {
        ListModel combinations = MakeExprListModel();
        FillExprList(combinations, a.slWordExpr, "", ExprTypeFilter{}, a.weTotals, '.', doc.compareText);
        added = addModel(combinations, kCombinations, corpus.pages, corpus.combinations);
    }
    if (added == Added::kOverflow) return overflowMessage();
    if (added == Added::kNotAResult) return "the page's lists have no counts";
    ++corpus.pages;
    return std::nullopt;
}

long long WordsOf(const Corpus& corpus) {
    long long words = 0;
    for (const auto& [text, total] : corpus.stems) {
        if (__builtin_add_overflow(words, total.count, &words)) return std::numeric_limits<long long>::max();
    }
    return words;
}
