// The stop-word editor's item list rules on Windows-1251 text: its sorted order, its
// case-insensitive exact search, and the lowercasing of a word the user adds.
//
// The order compares letters without case, Cyrillic in alphabet order with ё right after е,
// then breaks ties by the raw bytes so that the order is total.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

/// Lowercases Windows-1251 text: Latin A-Z and every Cyrillic capital of the code page.
std::string LowerStopWord(std::string_view text);

/// Tells whether item a stands before item b in the editor's sorted list.
bool StopWordItemLess(std::string_view a, std::string_view b);

/// Returns the index of the first item equal to the text when case is ignored, or nothing.
std::optional<std::size_t> FindStopWordItem(const std::vector<std::string>& items, std::string_view text);

/// Inserts the text at its sorted place (after equal items) and returns its index.
std::size_t InsertStopWordItem(std::vector<std::string>& items, std::string text);

}  // namespace settings
