// Fuzzes the readers of the settings files: koef.dat with both decimal separators, stopwords.txt
// as the analysis and as the editor read it (the editor's sorted item list, its search and its
// insertion), and the text-line splitting under both; then runs the analysis of a small page
// with the coefficients and stop words read.
//
// Input: a koef.dat text up to the first NUL; the stop-word file is what follows that NUL, or the
// whole input when it holds none.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/cp1251.h"
#include "base/numformat.h"
#include "base/textfile.h"
#include "document/document.h"
#include "fuzz/documentcheck.h"
#include "settings/koef.h"
#include "settings/stopworditems.h"
#include "settings/stopwords.h"

namespace {

using fuzzcheck::CheckDocument;
using fuzzcheck::CheckSummary;

// A page that puts words into every context and of every type that a coefficient weighs.
constexpr std::string_view kPage =
    u8"<html><head><title>Проверка весов</title>"
    u8"<meta name=\"keywords\" content=\"ключевые слова, веса\">"
    u8"<meta name=\"description\" content=\"описание страницы\"></head><body>"
    u8"<h1>Заголовок первого уровня</h1><h2>Второй уровень</h2><h3>Третий уровень</h3>"
    u8"<p>Обычный текст страницы с <b>жирным словом</b>, <i>курсивом</i> и <u>подчёркиванием</u>. "
    u8"Москва и Россия пишутся с большой буквы, а МГУ и НАТО - аббревиатуры. "
    u8"Числа 42 и 2024 стоят рядом с сочетаниями 3D и MP3, а ещё есть x_y_z и @@@.</p>"
    u8"<p><nobr>Неразрывный текст страницы</nobr> и <a href=\"x.html\">ссылка на страницу</a>.</p>"
    u8"<pre>Предварительно отформатированный текст</pre>"
    u8"<img src=\"a.png\" alt=\"описание картинки\">"
    u8"<form><select><option>Первый вариант</option><option>Второй вариант</option></select></form>"
    u8"<p>Текст страницы повторяется: обычный текст страницы и жирным словом.</p></body></html>"_cp;

// Checks one ParseKoef result against the file's lines; a value reads with either separator.
void checkKoef(const settings::KoefLoadResult& result, const std::vector<std::string>& lines) {
    const Coefficients defaults;
    if (lines.size() != Coefficients::kCount) {
        FUZZ_CHECK(!result.error.has_value());
        FUZZ_CHECK(result.values.values() == defaults.values());
        return;
    }
    std::size_t i = 0;
    for (; i < lines.size(); ++i) {
        auto value = numformat::ParseFloat(lines[i], '.');
        if (!value) value = numformat::ParseFloat(lines[i], ',');
        if (!value) break;
        FUZZ_CHECK(std::bit_cast<std::uint64_t>(result.values.values()[i]) == std::bit_cast<std::uint64_t>(*value));
    }
    FUZZ_CHECK(result.error.has_value() == (i < lines.size()));
    if (result.error) {
        FUZZ_CHECK(*result.error ==
                   "line " + std::to_string(i + 1) + ": '" + lines[i] + "' is not a valid floating point value");
    }
    for (; i < lines.size(); ++i) FUZZ_CHECK(result.values.values()[i] == defaults.values()[i]);
}

// What the editor writes reads back as the same texts (values too large for a double to hold
// after rounding to fifteen digits excepted).
void checkKoefRoundTrip(const Coefficients& values, char separator) {
    for (double v : values.values()) {
        if (!(std::fabs(v) < 1e308)) return;
    }
    const std::vector<std::string> lines = settings::KoefEditorLines(values, separator);
    const settings::KoefLoadResult reread = settings::ParseKoef(settings::JoinCrLfLines(lines), separator);
    FUZZ_CHECK(!reread.error.has_value());
    FUZZ_CHECK(settings::KoefEditorLines(reread.values, separator) == lines);
}

// Splitting is undone by joining with CR LF; a NUL ends the text.
void checkLines(std::string_view text) {
    const std::vector<std::string> lines = settings::SplitTextLines(text);
    for (const std::string& line : lines)
        FUZZ_CHECK(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
    const std::string joined = settings::JoinCrLfLines(lines);
    fuzzcheck::CheckCrLfText(joined);
    FUZZ_CHECK(settings::SplitTextLines(joined) == lines);
    FUZZ_CHECK(joined.size() >= text.substr(0, text.find('\0')).size());
}

// The analysis table holds one entry per distinct stop-word line, none of them empty.
void checkStopWords(const TVocIndex& table, std::string_view file) {
    FUZZ_CHECK(!table.failed());
    const std::vector<std::string> lines = settings::StopWordLines(file);
    FUZZ_CHECK(static_cast<std::size_t>(table.size()) <= lines.size());
    for (const std::string& line : lines) FUZZ_CHECK(!line.empty() && table.Find(line) >= 0);
    for (std::int32_t id = 0; id < table.size(); ++id) {
        FUZZ_CHECK(table.Find(table.text(id)) == id);
        FUZZ_CHECK(table.text(id).find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos);
    }
}

// The editor's items are in a total order: distinct neighbours strictly ascending, and every
// item is found ignoring case and keeps the order when inserted again.
void checkStopWordItems(std::string_view file) {
    std::vector<std::string> items = settings::StopWordLines(file);
    std::stable_sort(items.begin(), items.end(), settings::StopWordItemLess);
    for (std::size_t i = 0; i < items.size(); ++i) {
        FUZZ_CHECK(!settings::StopWordItemLess(items[i], items[i]));
        if (i + 1 < items.size()) {
            FUZZ_CHECK(!settings::StopWordItemLess(items[i + 1], items[i]));
            FUZZ_CHECK(items[i] == items[i + 1] || settings::StopWordItemLess(items[i], items[i + 1]));
        }
        const auto found = settings::FindStopWordItem(items, settings::LowerStopWord(items[i]));
        FUZZ_CHECK(found.has_value() && *found <= i);
        FUZZ_CHECK(settings::LowerStopWord(items[*found]) == settings::LowerStopWord(items[i]));
    }
    if (items.empty()) return;
    const std::string again = items[items.size() / 2];
    const std::size_t at = settings::InsertStopWordItem(items, again);
    FUZZ_CHECK(items[at] == again);
    FUZZ_CHECK(std::is_sorted(items.begin(), items.end(), settings::StopWordItemLess));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    const std::string_view koefFile = input.substr(0, nul);
    const std::string_view stopFile = nul == std::string_view::npos ? input : input.substr(nul + 1);

    checkLines(input);
    const std::vector<std::string> koefLines = settings::SplitTextLines(koefFile);
    const settings::KoefLoadResult comma = settings::ParseKoef(koefFile, ',');
    const settings::KoefLoadResult point = settings::ParseKoef(koefFile, '.');
    checkKoef(comma, koefLines);
    checkKoef(point, koefLines);
    checkKoefRoundTrip(comma.values, ',');
    checkKoefRoundTrip(point.values, '.');

    TVocIndex stopWords = settings::ParseStopWords(stopFile);
    checkStopWords(stopWords, stopFile);
    checkStopWords(settings::ParseStopWords(input), input);
    checkStopWordItems(stopFile);

    // The analysis runs only when the files give it something other than the defaults and an
    // empty stop-word table: its result is the same for every other input.
    const char separator = (size & 1) != 0 ? '.' : ',';
    const Coefficients& koef = separator == '.' ? point.values : comma.values;
    if (koef.values() == Coefficients().values() && stopWords.size() == 0) return 0;
    Document doc;
    doc.decimalSeparator = separator;
    SetCoefficients(doc, koef);
    SetStopWords(doc, std::move(stopWords));
    SetIndexOptions(doc, {true, true, true});
    for (ResultList list : kResultLists) ShowAllTypes(doc, list);
    FUZZ_CHECK(AnalyseSource(doc, std::string(kPage)).has_value());
    CheckDocument(doc);
    CheckSummary(doc);
    RebuildSummary(doc, static_cast<std::size_t>(size % kSummaryLimits.size()));
    CheckSummary(doc);
    return 0;
}
