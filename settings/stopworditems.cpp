#include "settings/stopworditems.h"

#include <algorithm>
#include <array>

#include "base/cp1251.h"

namespace settings {
namespace {

constexpr char32_t lowerCodePoint(char32_t cp) {
    if (cp >= U'A' && cp <= U'Z') return cp + 0x20;
    if (cp >= U'Ѐ' && cp <= U'Џ') return cp + 0x50;
    if (cp >= U'А' && cp <= U'Я') return cp + 0x20;
    if (cp == U'Ґ') return U'ґ';
    return cp;
}

// The lowercase byte of every byte.
constexpr std::array<unsigned char, 256> kLower = [] {
    std::array<unsigned char, 256> table{};
    for (int b = 0; b < 256; ++b) {
        int lower = cp1251::byteOf(lowerCodePoint(cp1251::codePointOf(static_cast<unsigned char>(b))));
        table[b] = static_cast<unsigned char>(lower < 0 ? b : lower);
    }
    return table;
}();

// The primary sort weight of a byte: its lowercase code point, with ё placed between е and ж.
char32_t sortWeight(char c) {
    char32_t cp = cp1251::codePointOf(kLower[static_cast<unsigned char>(c)]);
    if (cp == U'ё') return U'е' * 2 + 1;
    return cp * 2;
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return kLower[static_cast<unsigned char>(x)] == kLower[static_cast<unsigned char>(y)];
    });
}

}  // namespace

std::string LowerStopWord(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(kLower[static_cast<unsigned char>(c)]);
    return lower;
}

bool StopWordItemLess(std::string_view a, std::string_view b) {
    auto byWeight = [](char x, char y) { return sortWeight(x) < sortWeight(y); };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), byWeight)) return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), byWeight)) return false;
    auto byByte = [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), byByte);
}

std::optional<std::size_t> FindStopWordItem(const std::vector<std::string>& items, std::string_view text) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (equalIgnoringCase(items[i], text)) return i;
    }
    return std::nullopt;
}

std::size_t InsertStopWordItem(std::vector<std::string>& items, std::string text) {
    auto at = std::upper_bound(items.begin(), items.end(), text,
                               [](const std::string& a, const std::string& b) { return StopWordItemLess(a, b); });
    auto inserted = items.insert(at, std::move(text));
    return static_cast<std::size_t>(inserted - items.begin());
}

}  // namespace settings
