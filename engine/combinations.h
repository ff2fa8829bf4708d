// Word combinations: runs of two to six stems inside one phrase.
//
// While the scanner cuts a text run into words, CombinationWindow counts every contiguous
// sub-sequence of 2 to 6 stem ids of each phrase once per occurrence. After the scan,
// BuildExprList chooses the combinations worth showing, weighs them and finds a readable text
// for each; it is linear in the size of the phrase stream. The page text and the display texts
// are Windows-1251.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "engine/descriptions.h"
#include "engine/runtables.h"

/// The last stem ids of the current phrase.
class CombinationWindow {
  public:
    explicit CombinationWindow(TVocExprIndex& table) : table_(table) {}

    /// Runs before a word is entered: with a full window, adds the combinations that start at its
    /// first id and drops that id.
    void BeforeWord(ContextFlags contextFlags);

    /// Runs after a word is entered: puts its stem id into the window.
    void Append(std::int32_t stemId);

    /// Ends the phrase: adds every combination still in the window and empties it.
    void EndPhrase(ContextFlags contextFlags);

    /// Empties the window without adding anything (at the start of a text run).
    void Clear() { n_ = 0; }

  private:
    // Adds window[0..1] up to window[0..n-1].
    void addFromFirst(ContextFlags contextFlags);
    void dropFirst();

    TVocExprIndex& table_;
    std::array<std::int32_t, 6> ids_ = {};
    int n_ = 0;
};

/// Rebuilds the combination list and its totals from the run's tables; `text` is the page text
/// the word records point into.
void BuildExprList(const RunTables& tables, std::string_view text, ExprList& list, ExprTotals& totals);
