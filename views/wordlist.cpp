#include "views/wordlist.h"

#include <string>

#include "base/numformat.h"
#include "engine/wordcode.h"
#include "views/listfill.h"
#include "views/listtext.h"

namespace {

constexpr int kDefault = ListColumn::kDefaultWidth;

// The additional filter of a word list, taken apart once per rebuild.
struct WordExtraFilter {
    bool on = false;
    bool matchLink = false;  // the first character "1" selects the link, anything else the id
    std::string_view body;   // the text after its first comma, or the whole text without one

    explicit WordExtraFilter(std::string_view text) : on(!text.empty()), body(text) {
        if (!on) return;
        matchLink = text.front() == '1';
        std::size_t comma = text.find(',');
        if (comma != std::string_view::npos) body = text.substr(comma + 1);
    }

    bool passes(const WordDescription& desc) const {
        if (!on) return true;
        return body.find(FilterNeedle(matchLink ? desc.link : desc.id)) != std::string_view::npos;
    }
};

}  // namespace

bool WordHiddenByType(const WordTypeFilter& filter, std::uint32_t code) {
    if (wordcode::isIgnored(code) && filter.hidden[6]) return true;
    // Flags in menu order; the menu lists abbreviations before possible names.
    static constexpr std::array<unsigned, 6> kFlagOfType = {0, 2, 1, 3, 4, 5};
    const std::uint32_t type = wordcode::wordType(code);
    return type < kFlagOfType.size() && filter.hidden[kFlagOfType[type]];
}

std::string_view ScriptLetter(std::uint32_t code) {
    static constexpr std::array<std::string_view, 5> kLetters = {u8"Р"_cp, u8"А"_cp, u8"Ч"_cp, u8"А"_cp, u8"С"_cp};
    const std::uint32_t script = wordcode::scriptClass(code);
    return script < kLetters.size() ? kLetters[script] : "?";
}

std::string_view TypeLetter(std::uint32_t code) {
    static constexpr std::array<std::string_view, 5> kLetters = {" ", u8"Н"_cp, u8"А"_cp, u8"Ч"_cp, u8"М"_cp};
    const std::uint32_t type = wordcode::wordType(code);
    return type < kLetters.size() ? kLetters[type] : "?";
}

std::vector<ListColumn> WordListColumns(WordListKind kind) {
    const bool stems = kind == WordListKind::kStems;
    return {
        {std::string(stems ? u8"Словооснова"_cp : u8"Слово"_cp), 100, false},
        {std::string(u8"Стоп-слово"_cp), 20, false},
        {std::string(u8"ЧА"_cp), kDefault, true},
        {std::string(u8"ЧД"_cp), kDefault, true},
        {std::string(u8"ВА"_cp), kDefault, true},
        {std::string(u8"ВД"_cp), kDefault, true},
        {std::string(u8"ВП"_cp), 0, true},
        {std::string(u8"Язык"_cp), 20, false},
        {std::string(u8"Тип"_cp), 20, false},
        {stems ? "SWID" : "FWID", kDefault, false},
        {stems ? "RID" : "SWID", stems ? 0 : kDefault, false},
    };
}

ListModel MakeWordListModel(WordListKind kind) {
    ListModel list;
    list.columns = WordListColumns(kind);
    list.sortColumn = 4;
    return list;
}

std::string WordCell(const ListEntry<WordDescription>& entry, unsigned column, const WordTotals& totals,
                     char decimalSeparator, CellForm form) {
    const WordDescription& d = entry.desc;
    const auto share = form == CellForm::kExport ? ShareGeneral : ShareCut6;
    switch (column) {
        case 0:
            return entry.text;
        case 1:
            return wordcode::isIgnored(d.code) ? "S" : " ";
        case 2:
            return std::to_string(d.count);
        case 3:
            return share(d.count, totals.totalCount, decimalSeparator);
        case 4:
            return numformat::Fixed2(d.weight, decimalSeparator);
        case 5:
            return share(d.weight, totals.totalCount, decimalSeparator);
        case 6:
            return share(d.weight, totals.entryCount, decimalSeparator);
        case 7:
            return std::string(ScriptLetter(d.code));
        case 8:
            return std::string(TypeLetter(d.code));
        case 9:
            return UnsignedText(d.id);
        case 10:
            return UnsignedText(d.link);
        default:
            return {};
    }
}

void FillWordList(ListModel& list, const WordList& source, std::string_view extraFilter, const WordTypeFilter& filter,
                  const WordTotals& totals, char decimalSeparator, const sorting::TextCompare& compareText) {
    const WordExtraFilter extra(extraFilter);
    FillRecordList(
        list, source,
        [totals, decimalSeparator](const ListEntry<WordDescription>& e, unsigned k, CellForm form) {
            return WordCell(e, k, totals, decimalSeparator, form);
        },
        [&](const WordDescription& desc) { return !WordHiddenByType(filter, desc.code) && extra.passes(desc); },
        ListStatusTotals{totals.totalCount, totals.entryCount}, kWordListKeys, decimalSeparator, compareText);
}
