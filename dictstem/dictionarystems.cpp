#include "dictstem/dictionarystems.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <hunspell.hxx>
#include <optional>
#include <utility>
#include <vector>

#include "base/cp1251.h"
#include "engine/classify.h"

namespace dictstem {

namespace {

constexpr char kYo = static_cast<char>(0xB8);  // "ё"
constexpr char kYe = static_cast<char>(0xE5);  // "е"

// Lowercases a Windows-1251 word and writes "е" for "ё".
std::string folded(std::string_view word) {
    std::string out(word.size(), '\0');
    std::ranges::transform(word, out.begin(), [](char c) {
        c = LowercaseByte(c);
        return c == kYo ? kYe : c;
    });
    return out;
}

// The word with its first letter in upper case (Windows-1251 Cyrillic).
std::string capitalised(std::string_view word) {
    std::string out(word);
    auto b = static_cast<unsigned char>(out[0]);
    if (b >= 0xE0) out[0] = static_cast<char>(b - 0x20);
    if (b == 0xB8) out[0] = static_cast<char>(0xA8);
    return out;
}

bool isInfinitive(std::string_view form) {
    for (std::string_view ending : {u8"ть"_cp, u8"ти"_cp, u8"чь"_cp, u8"ться"_cp, u8"тись"_cp, u8"чься"_cp}) {
        if (form.ends_with(ending)) return true;
    }
    return false;
}

bool looksLikePastTense(std::string_view word) {
    for (std::string_view ending :
         {u8"л"_cp, u8"ла"_cp, u8"ло"_cp, u8"ли"_cp, u8"лся"_cp, u8"лась"_cp, u8"лось"_cp, u8"лись"_cp}) {
        if (word.ends_with(ending)) return true;
    }
    return false;
}

// Picks one of the dictionary forms by the rule in the header; `word` is folded already.
std::string choose(const std::vector<std::string>& forms, const std::string& word) {
    if (std::ranges::find(forms, word) != forms.end()) return word;
    const bool verb = looksLikePastTense(word);
    auto infinitive = std::ranges::find_if(forms, isInfinitive);
    if (verb && infinitive != forms.end()) return *infinitive;
    // The shortest, a form of the other part of speech first; min_element keeps the first of equals.
    return *std::ranges::min_element(
        forms, {}, [verb](const std::string& f) { return std::pair(!verb && isInfinitive(f), f.size()); });
}

bool readable(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    return in.good();
}

}  // namespace

std::filesystem::path DefaultDictionaryDirectory() {
    const char* env = std::getenv("SUMORAN_DICTIONARY_DIR");
    if (env && *env) return env;
    return "/usr/share/hunspell";
}

DictionaryStems::DictionaryStems(std::unique_ptr<Hunspell> hunspell) : hunspell_(std::move(hunspell)) {}

DictionaryStems::~DictionaryStems() = default;

std::string_view DictionaryStems::DictionaryForm(std::string_view word) {
    if (word.empty() || word.size() > kMaxLookupLength) return {};
    auto found = cache_.find(word);
    if (found == cache_.end()) {
        if (cache_.size() >= kMaxCachedForms) cache_.clear();
        found = cache_.emplace(std::string(word), lookUp(word)).first;
    }
    return found->second;
}

std::string DictionaryStems::lookUp(std::string_view word) {
    std::vector<std::string> forms;
    for (const std::string& asked : {std::string(word), capitalised(word)}) {
        for (const std::string& utf8 : hunspell_->stem(cp1251::toUtf8(asked))) {
            std::optional<std::string> bytes = cp1251::fromUtf8Strict(utf8);
            if (!bytes || bytes->empty()) continue;
            std::string form = folded(*bytes);
            if (std::ranges::find(forms, form) == forms.end()) forms.push_back(std::move(form));
        }
        if (!forms.empty()) break;
    }
    if (forms.empty()) return {};
    return choose(forms, folded(word));
}

std::string UnreadableDictionaryFile(const std::filesystem::path& directory) {
    for (std::string_view name : {kAffixFileName, kWordFileName}) {
        if (!readable(directory / name)) return "cannot read the dictionary file " + (directory / name).string();
    }
    return {};
}

DictionaryLoad LoadDictionaryStems(const std::filesystem::path& directory) {
    const std::filesystem::path aff = directory / kAffixFileName;
    const std::filesystem::path dic = directory / kWordFileName;
    if (std::string problem = UnreadableDictionaryFile(directory); !problem.empty()) return {nullptr, problem};
    auto hunspell = std::make_unique<Hunspell>(aff.c_str(), dic.c_str());
    if (hunspell->get_dict_encoding() != "UTF-8")
        return {nullptr, "the dictionary " + aff.string() + " is not in UTF-8 (its SET line)"};
    return {std::unique_ptr<DictionaryStems>(new DictionaryStems(std::move(hunspell))), {}};
}

}  // namespace dictstem
