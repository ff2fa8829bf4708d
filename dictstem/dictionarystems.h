// Stems from a dictionary: dictionary forms of Russian words from the Hunspell ru_RU dictionary.
//
// The analysis works on Windows-1251 bytes; the dictionary is UTF-8. DictionaryStems converts at
// its edge, asks Hunspell for the dictionary forms of a word, picks one and keeps the answer for
// every word form it has seen, so a page asks Hunspell once per distinct form. Not thread-safe.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "engine/stemsource.h"

class Hunspell;

namespace dictstem {

struct DictionaryLoad;

/// The dictionary's file names inside its directory.
inline constexpr std::string_view kAffixFileName = "ru_RU.aff";
inline constexpr std::string_view kWordFileName = "ru_RU.dic";

/// Words longer than this many bytes are not looked up: no Russian word is this long.
inline constexpr std::size_t kMaxLookupLength = 48;

/// Entries the lookup cache holds before it starts again empty: a page of endless distinct words
/// costs lookups, not memory.
inline constexpr std::size_t kMaxCachedForms = 1 << 18;

/// Where the dictionary is looked for: the directory in the environment variable
/// SUMORAN_DICTIONARY_DIR when it is set and not empty, else /usr/share/hunspell.
std::filesystem::path DefaultDictionaryDirectory();

/// Dictionary forms of Russian words, as a StemSource for the analysis.
///
/// Where Hunspell gives a word several dictionary forms, the one taken is, in this order: the
/// word itself ("стекло" stays "стекло", not "стечь"); for a word with a past-tense ending
/// ("-л", "-ла", "-ло", "-ли", also reflexive), an infinitive ("стали" is counted under "стать",
/// not "сталь"); else the shortest that is not an infinitive ("моря" under "море", not "морить";
/// "другом" under "друг", not "другой"), then the shortest infinitive; among equals, the first
/// the dictionary lists. A word the dictionary knows only with a capital letter ("Москвы") is
/// found too. Dictionary forms are lowercase and written with "е" for "ё", so that "ребёнка" and
/// "ребенка" meet under "ребенок".
class DictionaryStems final : public StemSource {
  public:
    ~DictionaryStems() override;
    DictionaryStems(const DictionaryStems&) = delete;
    DictionaryStems& operator=(const DictionaryStems&) = delete;

    std::string_view DictionaryForm(std::string_view word) override;

    /// Forgets every cached answer (the benchmarks measure a first page with it).
    void ClearCache() { cache_.clear(); }

    std::size_t cachedForms() const { return cache_.size(); }

  private:
    friend DictionaryLoad LoadDictionaryStems(const std::filesystem::path& directory);
    explicit DictionaryStems(std::unique_ptr<Hunspell> hunspell);

    std::string lookUp(std::string_view word);

    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
    };
    std::unique_ptr<Hunspell> hunspell_;
    std::unordered_map<std::string, std::string, Hash, std::equal_to<>> cache_;  // form -> dictionary form or ""
};

/// The loaded dictionary, or why there is none.
struct DictionaryLoad {
    std::unique_ptr<DictionaryStems> stems;
    std::string error;  // UTF-8, names the file and the reason; empty when `stems` is set
};

/// Says which of the two dictionary files in `directory` cannot be read (UTF-8), or nothing.
std::string UnreadableDictionaryFile(const std::filesystem::path& directory);

/// Loads ru_RU.aff and ru_RU.dic from `directory`. A missing or unreadable file, or a dictionary
/// that is not UTF-8, is an error. Takes a fraction of a second: load once per process.
DictionaryLoad LoadDictionaryStems(const std::filesystem::path& directory);

}  // namespace dictstem
