// The markup scanner: walks a cleaned page from tag to tag, keeps the markup context, cuts the
// document text into phrases and words, and records both token streams.
//
// It does not build a document tree or validate markup: it looks only at "<", ">", the tag name
// and, for <img> and <meta>, the attributes. One linear pass over the text. The page text and the
// title it reads are Windows-1251.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/analysis.h"
#include "engine/taghash.h"
#include "engine/zones.h"

/// What one scan leaves besides the tables.
struct ScanOutcome {
    ScanStatus status = ScanStatus::kComplete;
    std::string title;  // the last text run read inside <title> within the head (Windows-1251)
};

/// Scans `text` into `tables` and, unless `tally` is null, counts its zones, characters and meta
/// tags into `*tally` (emptied first). Returns kNoMarkup, with the tables and the tally untouched,
/// when the text holds no "<".
ScanOutcome ScanPage(std::string_view text, RunTables& tables, const TVocIndex& stopWords, const Coefficients& koef,
                     const IndexOptions& options, PageTally* tally = nullptr);
