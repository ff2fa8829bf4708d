#include "engine/wordindex.h"

#include <array>
#include <cstddef>
#include <cstdint>

#include "base/cp1251.h"

namespace {

// Words outside this length range are not stemmed at all.
constexpr std::size_t kMinStemmedLength = 3;
constexpr std::size_t kMaxStemmedLength = 254;

// An ending is stripped only when at least this many bytes of the word stay in front of it.
constexpr std::size_t kMinStemLength = 2;

constexpr std::array<std::string_view, 10> kReflexiveEndings = {
    u8"ся"_cp,  u8"сь"_cp,  u8"ясь"_cp, u8"есь"_cp,  u8"юсь"_cp,
    u8"ись"_cp, u8"ась"_cp, u8"ось"_cp, u8"тись"_cp, u8"вшись"_cp,
};

constexpr std::array<std::string_view, 82> kInflectionEndings = {
    u8"а"_cp,   u8"е"_cp,   u8"и"_cp,   u8"о"_cp,   u8"у"_cp,   u8"ы"_cp,   u8"ь"_cp,   u8"ю"_cp,   u8"я"_cp,
    u8"ом"_cp,  u8"ам"_cp,  u8"ым"_cp,  u8"им"_cp,  u8"ем"_cp,  u8"ям"_cp,  u8"ум"_cp,  u8"уем"_cp, u8"ием"_cp,
    u8"ях"_cp,  u8"их"_cp,  u8"ых"_cp,  u8"ах"_cp,  u8"ех"_cp,  u8"ух"_cp,  u8"иях"_cp, u8"ой"_cp,  u8"ей"_cp,
    u8"ый"_cp,  u8"ий"_cp,  u8"ии"_cp,  u8"ией"_cp, u8"ые"_cp,  u8"ее"_cp,  u8"ие"_cp,  u8"ое"_cp,  u8"ов"_cp,
    u8"ёв"_cp,  u8"ев"_cp,  u8"ив"_cp,  u8"ин"_cp,  u8"ын"_cp,  u8"ию"_cp,  u8"аю"_cp,  u8"юю"_cp,  u8"ую"_cp,
    u8"ия"_cp,  u8"ая"_cp,  u8"яя"_cp,  u8"уя"_cp,  u8"ет"_cp,  u8"ут"_cp,  u8"ят"_cp,  u8"ат"_cp,  u8"ют"_cp,
    u8"ит"_cp,  u8"уют"_cp, u8"ует"_cp, u8"ить"_cp, u8"уть"_cp, u8"ать"_cp, u8"еть"_cp, u8"ять"_cp, u8"ть"_cp,
    u8"чь"_cp,  u8"ишь"_cp, u8"ешь"_cp, u8"ого"_cp, u8"его"_cp, u8"ими"_cp, u8"еми"_cp, u8"ями"_cp, u8"ами"_cp,
    u8"ыми"_cp, u8"ему"_cp, u8"ому"_cp, u8"ите"_cp, u8"йте"_cp, u8"ете"_cp, u8"ти"_cp,  u8"те"_cp,  u8"ши"_cp,
    u8"вши"_cp,
};

constexpr std::array<std::string_view, 3> kFinalEndings = {u8"и"_cp, u8"ь"_cp, u8"ъ"_cp};

constexpr std::array<std::string_view, 1> kLatinEndings = {"s"};

// The endings of a table grouped by their last byte, each group longest first, so that a word is
// tried only against the endings it can have and the first that fits is the longest.
template <std::size_t N>
struct EndingIndex {
    std::array<std::string_view, N> endings{};
    std::array<std::uint8_t, 257> groupStart{};  // group of byte b: endings[groupStart[b] .. groupStart[b + 1])
};

template <std::size_t N>
constexpr EndingIndex<N> indexEndings(const std::array<std::string_view, N>& endings) {
    static_assert(N < 256);
    EndingIndex<N> index;
    std::size_t next = 0;
    for (int b = 0; b < 256; ++b) {
        index.groupStart[b] = static_cast<std::uint8_t>(next);
        const std::size_t groupBegin = next;
        for (std::string_view ending : endings) {
            if (static_cast<unsigned char>(ending.back()) != b) continue;
            // Insert by length, longest first; equal lengths keep the table's order.
            std::size_t at = next++;
            while (at > groupBegin && index.endings[at - 1].size() < ending.size()) {
                index.endings[at] = index.endings[at - 1];
                --at;
            }
            index.endings[at] = ending;
        }
    }
    index.groupStart[256] = static_cast<std::uint8_t>(next);
    return index;
}

constexpr auto kReflexiveIndex = indexEndings(kReflexiveEndings);
constexpr auto kInflectionIndex = indexEndings(kInflectionEndings);
constexpr auto kFinalIndex = indexEndings(kFinalEndings);
constexpr auto kLatinIndex = indexEndings(kLatinEndings);

bool endsWith(std::string_view word, std::string_view ending) {
    return word.size() >= ending.size() + kMinStemLength && word.ends_with(ending);
}

// Strips the longest ending of the table that the word ends with; among endings of equal
// length any cuts the same number of bytes.
template <std::size_t N>
std::string_view stripLongest(std::string_view word, const EndingIndex<N>& index) {
    if (word.empty()) return word;
    const auto last = static_cast<unsigned char>(word.back());
    for (std::size_t k = index.groupStart[last]; k < index.groupStart[last + 1]; ++k) {
        if (endsWith(word, index.endings[k])) return word.substr(0, word.size() - index.endings[k].size());
    }
    return word;
}

bool outsideStemmedLength(std::string_view word) {
    return word.size() < kMinStemmedLength || word.size() > kMaxStemmedLength;
}

}  // namespace

std::string_view StemRussian(std::string_view word) {
    if (outsideStemmedLength(word)) return word;
    word = stripLongest(word, kReflexiveIndex);
    word = stripLongest(word, kInflectionIndex);
    return stripLongest(word, kFinalIndex);
}

std::string_view StemLatin(std::string_view word) {
    if (outsideStemmedLength(word)) return word;
    return stripLongest(word, kLatinIndex);
}
