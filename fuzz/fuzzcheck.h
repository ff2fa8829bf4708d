// Cheap invariant checks shared by the fuzz targets. A violated check names itself on standard
// error and traps, which libFuzzer reports as a crash and saves the input that caused it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "views/listmodel.h"

/// Traps with the condition's text and place when `cond` is false.
#define FUZZ_CHECK(cond)                                                                      \
    do {                                                                                      \
        if (!(cond)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #cond); \
            __builtin_trap();                                                                 \
        }                                                                                     \
    } while (0)

namespace fuzzcheck {

/// Checks that the sort column exists, that a list with rows has a source and that no entry is
/// shown twice.
inline void CheckListShape(const ListModel& list) {
    FUZZ_CHECK(list.sortColumn < list.columns.size());
    FUZZ_CHECK(list.rows.empty() || list.source != nullptr);
    std::vector<std::uint32_t> entries = list.rows;
    std::sort(entries.begin(), entries.end());
    FUZZ_CHECK(std::adjacent_find(entries.begin(), entries.end()) == entries.end());
}

/// Checks that a text holds line breaks only as CR LF pairs and no NUL byte.
inline void CheckCrLfText(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        FUZZ_CHECK(text[i] != '\0');
        if (text[i] == '\r') FUZZ_CHECK(i + 1 < text.size() && text[i + 1] == '\n');
        if (text[i] == '\n') FUZZ_CHECK(i > 0 && text[i - 1] == '\r');
    }
}

}  // namespace fuzzcheck
