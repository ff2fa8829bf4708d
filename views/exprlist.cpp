#include "views/exprlist.h"

#include <algorithm>
#include <cstddef>
#include <optional>

#include "base/numformat.h"
#include "views/listfill.h"
#include "views/listtext.h"

namespace {

constexpr int kDefault = ListColumn::kDefaultWidth;

// One of the type filter's classes after the normal combinations: the flag it stands for and the
// letter the "Тип" cell shows for it. Absorbed combinations are never listed, so their class has
// no flag: its menu item hides nothing and its letter "П" never shows.
struct FlaggedClass {
    std::optional<ExprFlag> flag;
    std::string_view letter;
};

// The classes of the type filter's items 1-4, in menu order.
constexpr std::array<FlaggedClass, 4> kFlaggedClasses = {{
    {std::nullopt, u8"П"_cp},
    {ExprFlag::kNotNormalized, u8"Н"_cp},
    {ExprFlag::kNavigational, u8"С"_cp},
    {ExprFlag::kSelectOption, u8"О"_cp},
}};

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

bool ExprHiddenByType(const ExprTypeFilter& filter, ExprFlags flags) {
    if (flags.empty()) return filter.hidden[0];
    for (std::size_t k = 0; k < kFlaggedClasses.size(); ++k) {
        const std::optional<ExprFlag>& flag = kFlaggedClasses[k].flag;
        if (flag && flags.has(*flag) && filter.hidden[k + 1]) return true;
    }
    return false;
}

std::string ExprTypeText(ExprFlags flags) {
    std::string text;
    for (const FlaggedClass& c : kFlaggedClasses) text += c.flag && flags.has(*c.flag) ? c.letter : " ";
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

void FillExprList(ListModel& list, const ExprList& source, std::string_view extraFilter, const ExprTypeFilter& filter,
                  const ExprTotals& totals, char decimalSeparator, const sorting::TextCompare& compareText) {
    FillRecordList(
        list, source,
        [decimalSeparator](const ListEntry<ExprDescription>& e, unsigned k) {
            return ExprCell(e, k, decimalSeparator);
        },
        [&](const ExprDescription& desc) {
            return !ExprHiddenByType(filter, desc.flags) && passesExtraFilter(desc, extraFilter);
        },
        ListStatusTotals{totals.listedCount, totals.listedEntries}, kExprListKeys, decimalSeparator, compareText);
}
