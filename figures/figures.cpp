#include "figures/figures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/classify.h"
#include "engine/wordcode.h"

namespace figures {
namespace {

double percentOf(double part, double whole) { return whole > 0 ? part / whole * 100 : 0; }

// Whether stem a goes before stem b among the heaviest: the greater weight, then the greater
// count, then the earlier entry.
bool heavier(const ListEntry<WordDescription>& a, const ListEntry<WordDescription>& b) {
    if (a.desc.weight != b.desc.weight) return a.desc.weight > b.desc.weight;
    if (a.desc.count != b.desc.count) return a.desc.count > b.desc.count;
    return a.desc.id < b.desc.id;
}

// Keeps in `top` the `n` best entries by `better` among those offered, best first: a bounded
// insertion, O(n) an entry, so that a list of any length costs one pass.
template <typename Better>
void offer(std::vector<const ListEntry<WordDescription>*>& top, std::size_t n, const ListEntry<WordDescription>& entry,
           Better better) {
    if (top.size() == n && !better(entry, *top.back())) return;
    auto at = std::ranges::find_if(top, [&](const auto* kept) { return better(entry, *kept); });
    top.insert(at, &entry);
    if (top.size() > n) top.pop_back();
}

// The stop words among the written words: ignored, though their classification alone would count them.
std::int64_t stopWordCount(const WordList& words) {
    std::int64_t stop = 0;
    for (const auto& entry : words) {
        if (wordcode::isIgnored(entry.desc.code) && !wordcode::isIgnored(Classify(entry.text)))
            stop += entry.desc.count;
    }
    return stop;
}

std::string countText(std::int64_t value) { return std::to_string(value); }

ZoneRow rowOfStem(const AnalysisState& analysis, const ListEntry<WordDescription>& entry) {
    return {entry.text, analysis.tally.of(entry.desc.id), true};
}

// Whether every key stem stands in zone `z`; the missing ones are named in `missing`.
bool keyStemsIn(const AnalysisState& analysis, const TextFigures& figures, zone::Zone z, std::string& missing) {
    for (const KeyStem& key : figures.keyStems) {
        if (analysis.tally.of(key.id)[z] > 0) continue;
        if (!missing.empty()) missing += ", ";
        missing += key.stem;
    }
    return missing.empty();
}

PageCheck keyStemCheck(const AnalysisState& analysis, const TextFigures& figures, std::string_view id,
                       std::string_view caption, zone::Zone z, bool zonePresent, std::string_view absent) {
    PageCheck check{id, caption, Verdict::kOk, {}};
    if (figures.keyStems.empty()) {
        check.verdict = Verdict::kWarning;
        check.reason = u8"в тексте нет слов с весом"_cp;
        return check;
    }
    if (!zonePresent) {
        check.verdict = Verdict::kFault;
        check.reason = absent;
        return check;
    }
    std::string missing;
    if (keyStemsIn(analysis, figures, z, missing)) {
        check.reason = u8"есть все три самые весомые словоосновы"_cp;
        if (figures.keyStems.size() < kKeyStems) check.reason = u8"есть все самые весомые словоосновы"_cp;
        return check;
    }
    check.verdict = Verdict::kWarning;
    check.reason = std::string(u8"нет словооснов: "_cp) + missing;
    return check;
}

// The check of a text's length: the fault `absent` without a length, else the length in characters
// and the warning `cut` past `most`.
PageCheck lengthCheck(PageCheck check, std::optional<std::size_t> length, std::string_view absent, std::size_t most,
                      std::string_view cut) {
    if (!length) {
        check.verdict = Verdict::kFault;
        check.reason = absent;
        return check;
    }
    check.reason = countText(static_cast<std::int64_t>(*length)) + std::string(u8" знаков"_cp);
    if (*length > most) {
        check.verdict = Verdict::kWarning;
        check.reason += std::string(u8": больше "_cp) + countText(static_cast<std::int64_t>(most)) + std::string(cut);
    }
    return check;
}

PageCheck titleCheck(const AnalysisState& analysis) {
    const std::size_t length = analysis.title ? TextLength(*analysis.title) : 0;
    return lengthCheck({"title_length", u8"Длина заголовка (title)"_cp, Verdict::kOk, {}},
                       length ? std::optional(length) : std::nullopt, u8"заголовка нет или он пуст"_cp, kTitleMaxChars,
                       u8", в результатах поиска он будет обрезан"_cp);
}

PageCheck descriptionCheck(const AnalysisState& analysis) {
    const auto& description = analysis.tally.description;
    return lengthCheck({"description_length", u8"Длина описания (meta description)"_cp, Verdict::kOk, {}},
                       description ? std::optional(TextLength(*description)) : std::nullopt, u8"описания нет"_cp,
                       kDescriptionMaxChars, u8", в результатах поиска оно будет обрезано"_cp);
}

PageCheck h1Check(const AnalysisState& analysis) {
    PageCheck check{"h1_count", u8"Заголовки <h1>"_cp, Verdict::kOk, {}};
    const std::int32_t count = analysis.tally.h1Count;
    if (count == kH1Wanted) {
        check.reason = u8"один заголовок <h1>"_cp;
        return check;
    }
    if (count == 0) {
        check.verdict = Verdict::kFault;
        check.reason = u8"на странице нет заголовка <h1>"_cp;
        return check;
    }
    check.verdict = Verdict::kWarning;
    check.reason = std::string(u8"заголовков <h1>: "_cp) + countText(count) + std::string(u8", нужен один"_cp);
    return check;
}

}  // namespace

std::string FormatDecimal(double value, char decimal) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", value);
    std::string out = text;
    std::ranges::replace(out, '.', decimal);
    return out;
}

std::size_t TextLength(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    std::size_t length = 0;
    for (std::size_t i = 0; i < text.size(); ++i, ++length) {
        if (const std::size_t reference = CharacterReferenceLength(text, i)) i += reference - 1;
    }
    return length;
}

TextFigures ComputeFigures(const AnalysisState& analysis) {
    TextFigures f;
    f.charsWithSpaces = analysis.tally.charsWithSpaces;
    f.charsWithoutSpaces = analysis.tally.charsWithoutSpaces;
    f.words = static_cast<std::int64_t>(analysis.wfTotals.totalCount);
    f.uniqueStems = static_cast<std::int64_t>(analysis.slWordBase.size());
    f.significantWords = static_cast<std::int64_t>(analysis.wfTotals.countedCount);
    f.stopWords = stopWordCount(analysis.slWordFull);

    std::vector<const ListEntry<WordDescription>*> heaviest, frequent;
    std::int32_t topCount = 0;
    const auto moreFrequent = [](const auto& a, const auto& b) {
        return a.desc.count != b.desc.count ? a.desc.count > b.desc.count : a.desc.id < b.desc.id;
    };
    for (const auto& entry : analysis.slWordBase) {
        if (entry.desc.weight > 0) offer(heaviest, kHeaviestStems, entry, heavier);
        if (wordcode::isIgnored(entry.desc.code)) continue;
        topCount = std::max(topCount, entry.desc.count);
        if (entry.desc.count >= 2) offer(frequent, kAcademicStems, entry, moreFrequent);
    }
    const auto words = static_cast<double>(f.words);
    f.water = percentOf(static_cast<double>(f.words - f.significantWords), words);
    f.nauseaClassic = std::sqrt(static_cast<double>(topCount));
    double academic = 0;
    for (const auto* entry : frequent) academic += entry->desc.count;
    f.nauseaAcademic = percentOf(academic, words);
    double top = 0;
    for (const auto* entry : heaviest) top += entry->desc.count;
    f.topStemsShare = percentOf(top, words);
    for (std::size_t k = 0; k < heaviest.size() && k < kKeyStems; ++k) {
        const auto& d = heaviest[k]->desc;
        f.keyStems.push_back({d.id, heaviest[k]->text, d.count, d.weight, percentOf(d.count, words)});
    }
    return f;
}

std::string_view VerdictCaption(Verdict verdict) {
    switch (verdict) {
        case Verdict::kOk:
            return u8"в порядке"_cp;
        case Verdict::kWarning:
            return u8"замечание"_cp;
        case Verdict::kFault:
            break;
    }
    return u8"ошибка"_cp;
}

std::string_view VerdictName(Verdict verdict) {
    switch (verdict) {
        case Verdict::kOk:
            return "ok";
        case Verdict::kWarning:
            return "warning";
        case Verdict::kFault:
            break;
    }
    return "fault";
}

std::vector<PageCheck> CheckPage(const AnalysisState& analysis, const TextFigures& figures) {
    const bool hasTitle = analysis.title && TextLength(*analysis.title) > 0;
    const bool hasH1 = analysis.tally.h1Count > 0;
    const bool hasDescription = analysis.tally.description.has_value();
    return {
        titleCheck(analysis),
        descriptionCheck(analysis),
        h1Check(analysis),
        keyStemCheck(analysis, figures, "key_stems_in_title", u8"Ключевые словоосновы в заголовке (title)"_cp,
                     zone::kTitle, hasTitle, u8"заголовка нет"_cp),
        keyStemCheck(analysis, figures, "key_stems_in_h1", u8"Ключевые словоосновы в <h1>"_cp, zone::kH1, hasH1,
                     u8"заголовка <h1> нет"_cp),
        keyStemCheck(analysis, figures, "key_stems_in_description",
                     u8"Ключевые словоосновы в описании (meta description)"_cp, zone::kDescription, hasDescription,
                     u8"описания нет"_cp),
    };
}

std::vector<FigureLine> FigureLines(const TextFigures& f, char decimal) {
    std::vector<FigureLine> lines = {
        {"chars_with_spaces", u8"Символов с пробелами"_cp, countText(f.charsWithSpaces),
         u8"Знаки текста, который прочитал анализ, и пробелы между ними: несколько пробелов подряд или граница "
         u8"абзацев считаются одним пробелом, мнемоника вроде &laquo; — одним знаком"_cp},
        {"chars_without_spaces", u8"Символов без пробелов"_cp, countText(f.charsWithoutSpaces),
         u8"Знаки текста, который прочитал анализ, без пробелов"_cp},
        {"words", u8"Слов"_cp, countText(f.words), u8"Все слова текста: сумма «ЧА» списка слов"_cp},
        {"unique_stems", u8"Уникальных словооснов"_cp, countText(f.uniqueStems),
         u8"Число строк списка словооснов без фильтров"_cp},
        {"significant_words", u8"Значимых слов"_cp, countText(f.significantWords),
         u8"Слова, которые не стоп-слова и не пропущены как слишком короткие (одна буква, две строчные буквы, "
         u8"число из двух цифр)"_cp},
        {"stop_words", u8"Стоп-слов"_cp, countText(f.stopWords),
         u8"Слова из списка стоп-слов (Настройки — Стоп-слова), кроме слишком коротких"_cp},
        {"water_percent", u8"Вода, %"_cp, FormatDecimal(f.water, decimal),
         u8"(Слов - Значимых слов) / Слов · 100: доля стоп-слов и слишком коротких слов"_cp},
        {"nausea_classic", u8"Тошнота классическая"_cp, FormatDecimal(f.nauseaClassic, decimal),
         u8"Квадратный корень из «ЧА» самой частой значимой словоосновы"_cp},
        {"nausea_academic_percent", u8"Тошнота академическая, %"_cp, FormatDecimal(f.nauseaAcademic, decimal),
         u8"Сумма «ЧА» пяти самых частых значимых словооснов, встретившихся не меньше двух раз, / Слов · 100"_cp},
        {"top_stems_share_percent", u8"Доля десяти самых весомых словооснов, %"_cp,
         FormatDecimal(f.topStemsShare, decimal), u8"Сумма «ЧА» десяти словооснов с наибольшим весом / Слов · 100"_cp},
    };
    constexpr std::string_view kKeyCaptions[kKeyStems] = {u8"Ключевая словооснова 1"_cp, u8"Ключевая словооснова 2"_cp,
                                                          u8"Ключевая словооснова 3"_cp};
    constexpr std::string_view kKeyNames[kKeyStems] = {"key_stem_1", "key_stem_2", "key_stem_3"};
    for (std::size_t k = 0; k < f.keyStems.size() && k < kKeyStems; ++k) {
        const KeyStem& key = f.keyStems[k];
        lines.push_back({kKeyNames[k], kKeyCaptions[k],
                         key.stem + ": " + countText(key.count) + ", " + FormatDecimal(key.density, decimal) + " %",
                         u8"Словооснова с наибольшим весом, её «ЧА» и плотность: ЧА / Слов · 100"_cp});
    }
    return lines;
}

std::vector<ZoneRow> StemZoneRows(const AnalysisState& analysis, std::span<const std::uint32_t> entries) {
    std::vector<ZoneRow> rows;
    rows.reserve(entries.size());
    for (std::uint32_t entry : entries) {
        if (entry < analysis.slWordBase.size()) rows.push_back(rowOfStem(analysis, analysis.slWordBase[entry]));
    }
    return rows;
}

std::vector<ZoneRow> CombinationZoneRows(const AnalysisState& analysis, std::size_t entry) {
    std::vector<ZoneRow> rows;
    if (entry >= analysis.slWordExpr.size()) return rows;
    const ExprDescription& expr = analysis.slWordExpr[entry].desc;
    const auto length = static_cast<std::size_t>(std::clamp<std::int32_t>(expr.length, 0, 6));
    for (std::size_t k = 0; k < length; ++k) {
        const std::int32_t id = expr.stemIds[k];
        if (id < 0 || static_cast<std::size_t>(id) >= analysis.slWordBase.size()) continue;
        rows.push_back(rowOfStem(analysis, analysis.slWordBase[static_cast<std::size_t>(id)]));
    }
    return rows;
}

std::vector<ZoneRow> OutsideZoneRows(const AnalysisState& analysis) {
    std::vector<ZoneRow> rows;
    const PageTally& t = analysis.tally;
    for (std::size_t k = 0; k < t.outsideStems.size() && k < t.outside.size(); ++k)
        rows.push_back({t.outsideStems[k], t.outside[k], false});
    return rows;
}

}  // namespace figures
