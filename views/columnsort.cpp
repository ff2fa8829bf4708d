#include "views/columnsort.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/numformat.h"

namespace {

// The number of one row's sort cell, read once before sorting.
struct NumericKey {
    std::optional<double> real;
    std::optional<long long> integer;
    std::vector<long long> ids;
};

std::string_view cellOf(const ListRow& row, unsigned column) {
    return column < row.cells.size() ? std::string_view(row.cells[column]) : std::string_view();
}

std::vector<long long> idSequence(std::string_view text) {
    std::vector<long long> ids;
    while (!text.empty()) {
        std::size_t comma = text.find(',');
        std::string_view piece = text.substr(0, comma);
        if (auto id = numformat::ParseInt(piece)) ids.push_back(*id);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return ids;
}

NumericKey readKey(ColumnKey kind, std::string_view text, char decimalSeparator) {
    NumericKey key;
    switch (kind) {
        case ColumnKey::kText:
            break;
        case ColumnKey::kFloatDesc:
            key.real = FloatCellValue(text, decimalSeparator);
            break;
        case ColumnKey::kIntegerDesc:
        case ColumnKey::kIntegerAsc:
        case ColumnKey::kIdAsc:
            key.integer = numformat::ParseInt(text);
            break;
        case ColumnKey::kIdListAsc:
            key.ids = idSequence(text);
            break;
    }
    return key;
}

// Orders present values by `compare` and puts absent ones after them.
template <typename T, typename Compare>
int compareOptional(const std::optional<T>& a, const std::optional<T>& b, Compare compare) {
    if (a && b) return compare(*a, *b);
    if (a) return -1;
    if (b) return 1;
    return 0;
}

int ascending(long long a, long long b) { return a < b ? -1 : (b < a ? 1 : 0); }

int compareKeys(ColumnKey kind, const NumericKey& a, const NumericKey& b) {
    switch (kind) {
        case ColumnKey::kText:
            return 0;
        case ColumnKey::kFloatDesc:
            return compareOptional(a.real, b.real, sorting::CompareFloatDesc);
        case ColumnKey::kIntegerDesc:
            return compareOptional(a.integer, b.integer, [](long long x, long long y) { return ascending(y, x); });
        case ColumnKey::kIntegerAsc:
        case ColumnKey::kIdAsc:
            return compareOptional(a.integer, b.integer, ascending);
        case ColumnKey::kIdListAsc:
            if (a.ids < b.ids) return -1;
            return b.ids < a.ids ? 1 : 0;
    }
    return 0;
}

}  // namespace

std::optional<double> FloatCellValue(std::string_view text, char decimalSeparator) {
    for (std::size_t length = text.size(); length > 0; --length) {
        std::optional<double> value = numformat::ParseFloat(text.substr(0, length), decimalSeparator);
        if (!value) continue;
        if (std::isnan(*value)) return std::nullopt;
        return value;
    }
    return std::nullopt;
}

void SortRows(ListModel& list, std::span<const ColumnKey> keys, char decimalSeparator,
              const sorting::TextCompare& compareText) {
    const unsigned column = list.sortColumn;
    if (column >= keys.size()) return;
    const ColumnKey kind = keys[column];

    std::vector<NumericKey> numeric;
    numeric.reserve(list.rows.size());
    for (const ListRow& row : list.rows) numeric.push_back(readKey(kind, cellOf(row, column), decimalSeparator));

    std::vector<std::size_t> order(list.rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (kind == ColumnKey::kText)
            return compareText(cellOf(list.rows[a], column), cellOf(list.rows[b], column)) < 0;
        return compareKeys(kind, numeric[a], numeric[b]) < 0;
    });

    std::vector<ListRow> sorted;
    sorted.reserve(order.size());
    for (std::size_t index : order) sorted.push_back(std::move(list.rows[index]));
    list.rows = std::move(sorted);
}

void ClickColumn(ListModel& list, unsigned column, std::span<const ColumnKey> keys, char decimalSeparator,
                 const sorting::TextCompare& compareText) {
    if (column >= list.columns.size()) return;
    list.sortColumn = column;
    SortRows(list, keys, decimalSeparator, compareText);
}
