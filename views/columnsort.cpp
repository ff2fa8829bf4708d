#include "views/columnsort.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/numformat.h"

namespace {

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

// Orders present values by `compare` and puts absent ones after them.
template <typename T, typename Compare>
int compareOptional(const std::optional<T>& a, const std::optional<T>& b, Compare compare) {
    if (a && b) return compare(*a, *b);
    if (a) return -1;
    if (b) return 1;
    return 0;
}

int ascending(long long a, long long b) { return a < b ? -1 : (b < a ? 1 : 0); }

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
    if (kind == ColumnKey::kText && !compareText) return;
    const std::size_t n = list.rows.size();

    // Each row's key is read from its cell once; only the kind of key the column needs is kept.
    std::vector<std::string> texts;
    std::vector<std::vector<long long>> idLists;
    std::vector<std::optional<double>> reals;
    std::vector<std::optional<long long>> integers;
    if (kind == ColumnKey::kText || kind == ColumnKey::kLongerFirst)
        texts.reserve(n);
    else if (kind == ColumnKey::kIdListAsc)
        idLists.reserve(n);
    else if (kind == ColumnKey::kFloatDesc)
        reals.reserve(n);
    else
        integers.reserve(n);
    for (std::size_t r = 0; r < n; ++r) {
        std::string text = list.cell(r, column);
        switch (kind) {
            case ColumnKey::kText:
            case ColumnKey::kLongerFirst:
                texts.push_back(std::move(text));
                break;
            case ColumnKey::kIdListAsc:
                idLists.push_back(idSequence(text));
                break;
            case ColumnKey::kFloatDesc:
                reals.push_back(FloatCellValue(text, decimalSeparator));
                break;
            case ColumnKey::kIntegerDesc:
            case ColumnKey::kIntegerAsc:
            case ColumnKey::kIdAsc:
                integers.push_back(numformat::ParseInt(text));
                break;
        }
    }

    const auto descending = [](long long x, long long y) { return ascending(y, x); };
    std::vector<std::uint32_t> order(n);
    std::iota(order.begin(), order.end(), std::uint32_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        switch (kind) {
            case ColumnKey::kText:
                return compareText(texts[a], texts[b]) < 0;
            case ColumnKey::kLongerFirst:
                if (texts[a].size() != texts[b].size()) return texts[a].size() > texts[b].size();
                return texts[a] < texts[b];
            case ColumnKey::kIdListAsc:
                return idLists[a] < idLists[b];
            case ColumnKey::kFloatDesc:
                return compareOptional(reals[a], reals[b], sorting::CompareFloatDesc) < 0;
            case ColumnKey::kIntegerDesc:
                return compareOptional(integers[a], integers[b], descending) < 0;
            case ColumnKey::kIntegerAsc:
            case ColumnKey::kIdAsc:
                return compareOptional(integers[a], integers[b], ascending) < 0;
        }
        return false;
    });
    for (std::uint32_t& index : order) index = list.rows[index];
    list.rows = std::move(order);
}

void ClickColumn(ListModel& list, unsigned column, std::span<const ColumnKey> keys, char decimalSeparator,
                 const sorting::TextCompare& compareText) {
    if (column >= list.columns.size()) return;
    list.sortColumn = column;
    SortRows(list, keys, decimalSeparator, compareText);
}
