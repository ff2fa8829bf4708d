// Wordindex: the suffix-stripping stemmer that folds the inflected forms of a word into one stem.
//
// Both variants strip the longest matching ending from fixed ending tables, without a
// dictionary. The result is always a prefix of the input, so it is returned as a view into the
// caller's word: no copy, no allocation. Pure functions, safe to call from any thread.
#pragma once

#include <string_view>

/// Returns the stem of a lowercased Windows-1251 Cyrillic word: a prefix of `word` without its
/// reflexive, inflectional and final endings; words shorter than 3 or longer than 254 bytes come
/// back unchanged.
std::string_view StemRussian(std::string_view word);

/// Returns the stem of a lowercased Latin word: `word` without one trailing "s"; words shorter
/// than 3 or longer than 254 bytes come back unchanged.
std::string_view StemLatin(std::string_view word);
