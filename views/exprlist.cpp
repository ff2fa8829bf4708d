#include "views/exprlist.h"

#include <algorithm>
#include <cstddef>

#include "engine/numformat.h"
#include "views/listtext.h"

namespace {

constexpr int kDefault = ListColumn::kDefaultWidth;

// The flag bit each of the type filter's flags 1-4 looks at.
constexpr std::array<std::uint32_t, 5> kFlagBits = {0, exprflag::kAbsorbed, exprflag::kNotNormalized,
                                                    exprflag::kNavigational, exprflag::kSelectOption};

// The number of stem ids a record holds; a length outside the array is clamped to it.
std::size_t stemCount(const ExprDescription& desc) {
    return static_cast<std::size_t>(
        std::clamp(desc.length, std::int32_t{0}, static_cast<std::int32_t>(desc.stemIds.size())));
}

bool passesExtraFilter(const ExprDescription& desc, std::string_view filter) {
    if (filter.empty()) return true;
    for (std::size_t i = 0; i < stemCount(desc); ++i) {
        if (filter.find(FilterNeedle(desc.stemIds[i])) != std::string_view::npos) return true;
    }
    return false;
}

}  // namespace

bool ExprHiddenByType(const ExprTypeFilter& filter, std::uint32_t flags) {
    if (flags == 0) return filter.hidden[0];
    for (std::size_t k = 1; k < kFlagBits.size(); ++k) {
        if ((flags & kFlagBits[k]) != 0 && filter.hidden[k]) return true;
    }
    return false;
}

std::string ExprTypeText(std::uint32_t flags) {
    static constexpr std::array<std::string_view, 5> kLetters = {"", u8"П"_cp, u8"Н"_cp, u8"С"_cp, u8"О"_cp};
    std::string text;
    for (std::size_t k = 1; k < kFlagBits.size(); ++k) text += (flags & kFlagBits[k]) != 0 ? kLetters[k] : " ";
    return text;
}

std::string StemIdsText(const ExprDescription& desc) {
    std::string text;
    for (std::size_t i = 0; i < stemCount(desc); ++i) text += UnsignedText(desc.stemIds[i]) + ",";
    return text;
}

std::vector<ListColumn> ExprListColumns() {
    // clang-format off
    return {
        {std::string(u8"Словосочетание"_cp), 200, false},
        {std::string(u8"Тип"_cp), 40, false},
        {std::string(u8"ЧА"_cp), kDefault, true},
        {std::string(u8"ВП"_cp), kDefault, true},
        {std::string(u8"ВСА"_cp), kDefault, true},
        {std::string(u8"Порядок"_cp), kDefault, true},
        {std::string(u8"Словоосновы"_cp), 200, false},
        {"SWIDs", 100, false},
    };
    // clang-format on
}

ListModel MakeExprListModel() {
    ListModel list;
    list.columns = ExprListColumns();
    list.sortColumn = 4;
    return list;
}

ListRow ExprRow(const ListEntry<ExprDescription>& entry, char decimalSeparator) {
    const ExprDescription& d = entry.desc;
    const double stemAverage = d.length > 0 ? d.stemWeightSum / d.length : 0;
    return ListRow{{
        entry.text,
        ExprTypeText(d.flags),
        std::to_string(d.count),
        numformat::Fixed2(d.weight, decimalSeparator),
        numformat::Fixed2(stemAverage, decimalSeparator),
        UnsignedText(d.id),
        d.stemText,
        StemIdsText(d),
    }};
}

void FillExprList(ListModel& list, const ExprList& source, std::string_view extraFilter, const ExprTypeFilter& filter,
                  const ExprTotals& totals, char decimalSeparator, const sorting::TextCompare& compareText) {
    list.rows.clear();
    long long visibleCount = 0;
    long long visibleRows = 0;
    for (const ListEntry<ExprDescription>& entry : source) {
        if (ExprHiddenByType(filter, entry.desc.flags) || !passesExtraFilter(entry.desc, extraFilter)) continue;
        list.rows.push_back(ExprRow(entry, decimalSeparator));
        visibleCount += entry.desc.count;
        ++visibleRows;
    }
    if (totals.listedCount > 0) {
        list.status =
            ListStatusText(visibleCount, visibleRows, totals.listedCount, totals.listedEntries, decimalSeparator);
    }
    SortRows(list, kExprListKeys, decimalSeparator, compareText);
}
