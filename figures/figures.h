// Text figures as Russian editors and SEO specialists read them, computed from the last analysis
// run: the lists' totals and entries and the run's page tally (engine/zones.h). No second pass over
// the page: the figures cost one pass over the stem and word lists, O(stems + words) time and O(1)
// extra memory but for the output. They are figures of the text the analysis read: the whole page,
// or in main-text mode the main text (its title and meta tags are the page's own, kept with it).
// Texts are Windows-1251. Pure functions, thread-safe on distinct states.
//
// Let W be the words of the text (the word list's total count), S the significant words (those
// neither stop words nor too short to count, whose "ignored" bit is clear), T the stop words (the
// words of the stop list that are not too short anyway) and c(s) the count of stem s in the stem
// list. Then:
//   characters with spaces     the tally's count (engine/zones.h): non-space characters, plus one
//                              space for each run of white space or block tag between them
//   characters without spaces  the tally's non-space characters (a reference like &laquo; is one)
//   words                      W
//   unique stems               the entries of the stem list
//   significant words          S
//   stop words                 T
//   water, %                   (W - S) / W * 100: the stop words and the words too short to count
//                              (one letter, two small letters, a number of two digits)
//   classical nausea           sqrt(max c(s)) over the significant stems (0 without any)
//   academic nausea, %         sum of c(s) over the kAcademicStems most frequent significant stems
//                              that occur at least twice, / W * 100 (0 when no stem repeats)
//   top stems share, %         sum of c(s) over the kHeaviestStems stems of the greatest weight,
//                              / W * 100
//   key stems                  the kKeyStems stems of the greatest weight, each with its count and
//                              its density c(s) / W * 100
// Every share is 0 for a text without words. Stems of equal weight or count are taken in list
// order (the order of their first occurrence).
//
// Neither water nor academic nausea has one published definition. Water is counted by services
// either as the share of stop words (function words, pronouns, particles), or as that share with
// "empty" phrases and introductory words added from a dictionary of their own, sometimes weighed;
// here it is the share of the words the analysis does not count as meaningful, which the stop list
// (`stopwords.txt`, editable) decides, so that the user controls it. Academic nausea is described as
// the share of the most frequent words in the text, but services differ in which: the single most
// frequent word (its density), a fixed number of the most frequent, or every repeated word; here
// the five most frequent significant stems, each only when it repeats, so that a text where no
// significant word repeats has an academic nausea of 0 % and a usual article falls in the range
// of 4-12 % the services quote as normal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/cp1251.h"
#include "engine/analysis.h"
#include "engine/zones.h"

namespace figures {

/// A title longer than this many characters is cut in search results.
inline constexpr std::size_t kTitleMaxChars = 70;
/// A meta description longer than this many characters is cut in search results.
inline constexpr std::size_t kDescriptionMaxChars = 160;
/// The number of <h1> headings a page should have.
inline constexpr std::int32_t kH1Wanted = 1;
/// The heaviest stems the checks look for in the title, the <h1> and the description.
inline constexpr std::size_t kKeyStems = 3;
/// The stems whose share in all words "top stems share" gives.
inline constexpr std::size_t kHeaviestStems = 10;
/// The most frequent significant stems academic nausea sums.
inline constexpr std::size_t kAcademicStems = 5;

/// One of the heaviest stems.
struct KeyStem {
    std::int32_t id = 0;  // its stem list entry (= the run's stem id)
    std::string stem;
    std::int32_t count = 0;
    double weight = 0;
    double density = 0;  // count / words * 100
};

/// The figures of the text (see the header's formulas).
struct TextFigures {
    std::int64_t charsWithSpaces = 0;
    std::int64_t charsWithoutSpaces = 0;
    std::int64_t words = 0;
    std::int64_t uniqueStems = 0;
    std::int64_t significantWords = 0;
    std::int64_t stopWords = 0;
    double water = 0;               // %
    double nauseaClassic = 0;       // sqrt of a count
    double nauseaAcademic = 0;      // %
    double topStemsShare = 0;       // %
    std::vector<KeyStem> keyStems;  // at most kKeyStems, heaviest first
};

/// Computes the figures of the last run of `analysis`. A state no run has filled gives zeros.
TextFigures ComputeFigures(const AnalysisState& analysis);

/// The verdict of a check of the page.
enum class Verdict { kOk, kWarning, kFault };

/// What a verdict is called in the output: "в порядке", "замечание", "ошибка" (Windows-1251).
std::string_view VerdictCaption(Verdict verdict);
/// Its name in the JSON: "ok", "warning", "fault".
std::string_view VerdictName(Verdict verdict);

/// One check of the page, with its verdict and the reason for it.
struct PageCheck {
    std::string_view id;       // its name in the JSON ("title_length", ...)
    std::string_view caption;  // Windows-1251
    Verdict verdict = Verdict::kOk;
    std::string reason;  // Windows-1251
};

/// The page's checks, in this order: the title's length (none or empty: a fault; more than
/// kTitleMaxChars characters: a warning), the meta description's length (none: a fault; more than
/// kDescriptionMaxChars: a warning), the number of <h1> (kH1Wanted: ok; none: a fault; more: a
/// warning), and whether each key stem appears in the title, the <h1> and the description (all
/// there: ok; some missing, or no key stem at all: a warning naming them; the zone itself missing:
/// a fault). Lengths count characters, a character reference as one, white space at the ends not.
std::vector<PageCheck> CheckPage(const AnalysisState& analysis, const TextFigures& figures);

/// The length in characters of a title or description as CheckPage counts it.
std::size_t TextLength(std::string_view text);

/// One figure as the front ends show it: the JSON key, the caption, the value with `decimal` as
/// its decimal separator, and the hint giving its formula (Windows-1251).
struct FigureLine {
    std::string_view key;
    std::string_view caption;
    std::string value;
    std::string_view hint;
};

/// The figures as lines, in the order of TextFigures, then one line per key stem ("Ключевая
/// словооснова 1", ...: the stem, its count and density).
std::vector<FigureLine> FigureLines(const TextFigures& figures, char decimal);

/// Formats a number with two decimals and `decimal` as the separator.
std::string FormatDecimal(double value, char decimal);

/// What the figures are of, for a front end to say above them: in main-text mode with main text
/// found "Показатели основного текста страницы", without it that the whole page was read; empty
/// for the whole page.
inline constexpr std::string_view kMainTextNote = u8"Показатели основного текста страницы"_cp;
inline constexpr std::string_view kNoMainTextNote = u8"Основной текст не найден: показатели всей страницы"_cp;

/// The zones' captions (Windows-1251) and JSON keys, indexed by zone::Zone.
inline constexpr std::string_view kZoneCaptions[zone::kCount] = {u8"title"_cp,  u8"description"_cp, u8"keywords"_cp,
                                                                 u8"h1"_cp,     u8"h2–h6"_cp,       u8"b, strong"_cp,
                                                                 u8"Ссылки"_cp, u8"alt"_cp,         u8"Текст"_cp};
inline constexpr std::string_view kZoneKeys[zone::kCount] = {"title", "description", "keywords",  "h1",  "h2_h6",
                                                             "bold",  "link",        "image_alt", "body"};

/// A stem with its count in each zone.
struct ZoneRow {
    std::string stem;
    ZoneCounts counts{};
    bool listed = true;  // in the stem list; false for a stem found only in zones kept out of it
};

/// The zone rows of the given stem list entries (indexes of analysis.slWordBase; those out of
/// range are skipped), in the order given.
std::vector<ZoneRow> StemZoneRows(const AnalysisState& analysis, std::span<const std::uint32_t> entries);

/// The zone rows of the stems of combination list entry `entry` (an index of
/// analysis.slWordExpr), one per stem in its order; none for an entry out of range.
std::vector<ZoneRow> CombinationZoneRows(const AnalysisState& analysis, std::size_t entry);

/// The zone rows of the stems found only in zones that the index options kept out of the lists.
std::vector<ZoneRow> OutsideZoneRows(const AnalysisState& analysis);

}  // namespace figures
