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

std::string ExprCell(const ListEntry<ExprDescription>& entry, unsigned column, char decimalSeparator) {
    const ExprDescription& d = entry.desc;
    switch (column) {
        case 0:
            return entry.text;
        case 1:
            return ExprTypeText(d.flags);
        case 2:
            return std::to_string(d.count);
        case 3:
            return numformat::Fixed2(d.weight, decimalSeparator);
        case 4:
            return numformat::Fixed2(d.length > 0 ? d.stemWeightSum / d.length : 0, decimalSeparator);
        case 5:
            return UnsignedText(d.id);
        case 6:
            return d.stemText;
        case 7:
            return StemIdsText(d);
        default:
            return {};
    }
}

ListRow ExprRow(const ListEntry<ExprDescription>& entry, char decimalSeparator) {
    ListRow row;
    for (unsigned k = 0; k < kExprListKeys.size(); ++k) row.cells.push_back(ExprCell(entry, k, decimalSeparator));
    return row;
}

void FillExprList(ListModel& list, const ExprList& source, std::string_view extraFilter, const ExprTypeFilter& filter,
                  const ExprTotals& totals, char decimalSeparator, const sorting::TextCompare& compareText) {
    list.rows.clear();
    list.source = MakeRecordSource(source, [decimalSeparator](const ListEntry<ExprDescription>& e, unsigned k) {
        return ExprCell(e, k, decimalSeparator);
    });
    long long visibleCount = 0;
    for (std::size_t i = 0; i < source.size(); ++i) {
        const ExprDescription& desc = source[i].desc;
        if (ExprHiddenByType(filter, desc.flags) || !passesExtraFilter(desc, extraFilter)) continue;
        list.rows.push_back(static_cast<std::uint32_t>(i));
        visibleCount += desc.count;
    }
    const auto visibleRows = static_cast<long long>(list.rows.size());
    if (totals.listedCount > 0) {
        list.status =
            ListStatusText(visibleCount, visibleRows, totals.listedCount, totals.listedEntries, decimalSeparator);
    }
    SortRows(list, kExprListKeys, decimalSeparator, compareText);
}
