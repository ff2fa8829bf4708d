// StemSource: where the analysis may take a word's stem from instead of the built-in stemmer.
#pragma once

#include <string_view>

/// A source of dictionary forms, such as a morphological dictionary. The analysis asks it for
/// every Cyrillic word; a word it does not know is stemmed by the built-in stemmer.
class StemSource {
  public:
    virtual ~StemSource() = default;

    /// Returns the dictionary form under which the lowercased Windows-1251 Cyrillic `word` is
    /// counted, or an empty view for a word the source does not know. The view stays valid until
    /// the next call.
    virtual std::string_view DictionaryForm(std::string_view word) = 0;
};
