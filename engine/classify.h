// Word classification and lowercasing of Windows-1251 words.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

/// Returns the word code of a word (length >= 1): its word type, script class and, for words too
/// short to count, the ignored bit. The stop-word test is not part of it.
std::uint32_t Classify(std::string_view word);

/// Lowercases А-Я, Ё and A-Z; every other byte stays as it is. This is the form under which
/// words are stemmed and looked up among the stop words.
char LowercaseByte(char c);

/// Lowercases every capital letter of Windows-1251 (А-Я, Ё, A-Z and the other Cyrillic capitals
/// of the code page, such as Ў and Є), as the system's lowercasing of Windows-1251 text does.
std::string LowercaseSystem(std::string_view text);
