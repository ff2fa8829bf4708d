// Entering words into the stem and word tables, and building the stem and word lists from them.
// Words and stems are Windows-1251 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/coefficients.h"
#include "engine/descriptions.h"
#include "engine/runtables.h"
#include "engine/stemsource.h"

/// The thirteen markup-context factors kept by the scanner: 1.0 outside a context, the context's
/// coefficient inside it.
struct ContextFactors {
    double title = 1, meta = 1, form = 1, b = 1, a = 1, i = 1, u = 1, imgAlt = 1, nobr = 1, h1 = 1, h2 = 1, h3 = 1,
           pre = 1;

    /// Returns `base` multiplied by the thirteen factors, one after another in the order above.
    double apply(double base) const {
        return base * title * meta * form * b * a * i * u * imgAlt * nobr * h1 * h2 * h3 * pre;
    }
};

/// The longest word the analysis takes; longer words are cut to this many bytes.
inline constexpr std::size_t kMaxWordLength = 1023;

/// Classifies `word` into `code`, lowercases it into `lower` and returns the stem under which the
/// analysis counts it: for a Cyrillic word the dictionary form `source` gives, if any; else
/// Russian or Latin stemming by script class (a prefix of `lower`), else the lowercased word
/// itself. The view lives until the next call with the same `lower` or `source`.
std::string_view StemWord(std::string_view word, std::string& lower, std::uint32_t& code, StemSource* source = nullptr);

/// Classifies, lowercases, stems, weighs and counts words in one run's tables.
class WordCounter {
  public:
    WordCounter(RunTables& tables, const TVocIndex& stopWords, const Coefficients& koef,
                StemSource* stemSource = nullptr)
        : tables_(tables), stopWords_(stopWords), koef_(koef), stemSource_(stemSource) {}

    /// Enters the word of `length` bytes at `offset` of `text` and returns its stem id. The word
    /// is counted in both tables and recorded in both token streams.
    std::int32_t Enter(std::string_view text, std::int32_t offset, std::int32_t length, const ContextFactors& factors);

  private:
    double typeCoefficient(std::uint32_t code) const;
    // The weight of one occurrence: its type's coefficient (0 when ignored) times the factors.
    double weightOf(std::uint32_t code, const ContextFactors& factors) const;

    RunTables& tables_;
    const TVocIndex& stopWords_;
    const Coefficients& koef_;
    StemSource* stemSource_;
    std::string lower_;  // the lowercased current word
};

/// Rebuilds a stem or word list and its totals from a vocabulary table, in id order.
void BuildWordList(const TVocIndex& table, WordList& list, WordTotals& totals);
