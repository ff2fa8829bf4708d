// Collocates: the items (stems) that occur near a node item, within a window of words to its left
// and right inside one sentence, with their association measures.
//
// For the node x (f_x occurrences), a candidate y (f_y occurrences) seen O times in the windows
// around x, in a text of N occurrences, with a window of s words each side (span 2s):
//
//   expected       E = f_x · f_y · 2s / N, the count of y in 2s · f_x positions drawn at random
//                  (Evert 2008, "Corpora and collocations", window-based co-occurrence; E uses the
//                  whole span even where a sentence cuts a window short).
//   MI             log2(O / E) (Church and Hanks 1990).
//   MI3            log2(O³ / E) (Oakes 1998, after Daille 1994).
//   t-score        (O − E) / √O (Church et al. 1991).
//   log-likelihood G² = 2 Σ O_ij ln(O_ij / E_ij) over the 2×2 table O11 = O, O12 = 2s · f_x − O,
//                  O21 = f_y − O, O22 = N − 2s · f_x − f_y + O, each E_ij = row sum × column sum / N
//                  (Dunning 1993); a cell below 0, which overlapping windows can make, counts 0.
//   logDice        14 + log2(2 O / (f_x + f_y)) (Rychlý 2008).
//
// The node itself is no candidate at its own position, but another occurrence of the node in its
// window is counted. Counting is O(N + f_x · s). Plain C++, no state, thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

/// One occurrence: its item's number and its sentence's number. A window never crosses from one
/// sentence number to another.
struct CollocateToken {
    std::uint32_t item = 0;
    std::uint32_t sentence = 0;
};

/// What FindCollocates looks at and keeps.
struct CollocateOptions {
    std::size_t span = 5;    // words each side of the node
    long long minCount = 2;  // the least O kept
};

/// The association measures of O co-occurrences, from the counts defined above; E above 0.
struct CollocateMeasures {
    double expected = 0;
    double mi = 0;
    double mi3 = 0;
    double tScore = 0;
    double logLikelihood = 0;
    double logDice = 0;
};

/// The measures of a candidate seen `observed` times near a node of `nodeCount` occurrences, the
/// candidate occurring `itemCount` times among `total`, with `span` words each side. All counts above 0.
CollocateMeasures MeasureCollocation(long long observed, long long nodeCount, long long itemCount, long long total,
                                     std::size_t span);

/// One collocate.
struct Collocate {
    std::uint32_t item = 0;
    long long observed = 0;   // O
    long long itemCount = 0;  // f_y
    CollocateMeasures measures;
};

/// The collocates of `node` in `tokens` (items numbered from 0 without large gaps: the counts
/// take one slot per number up to the largest) seen at least options.minCount times, by logDice,
/// the greatest first, ties by O (the greatest first) and then by item number. An item whose
/// element of `skipped` is true is no candidate (it still counts among the N). Nothing when the
/// node does not occur or options.span is 0.
std::vector<Collocate> FindCollocates(std::span<const CollocateToken> tokens, std::uint32_t node,
                                      const CollocateOptions& options, const std::vector<bool>& skipped = {});
