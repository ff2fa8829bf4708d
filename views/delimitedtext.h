// A list's rows as CSV or TSV text for spreadsheets and scripts: the export of a result list and
// sumoran-cli's csv format. Cells come in as Windows-1251 (the lists' own encoding); the text made
// is UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "views/listmodel.h"

namespace delimited {

enum class Format { kCsv, kTsv };

/// Returns one record, its line end included. CSV (RFC 4180): cells joined by commas, a cell
/// holding a comma, a quote, CR or LF in quotes with its quotes doubled, and a cell starting with
/// '=', '+', '-' or '@' behind an apostrophe so that a spreadsheet does not run it as a formula;
/// lines end in CR LF. TSV: cells joined by tabs, tabs and line ends inside a cell as spaces;
/// lines end in LF. `cells` are UTF-8.
std::string Record(const std::vector<std::string>& cells, Format format);

/// Returns the given columns of every row of `list` in display order, a header of their captions
/// (without the sort mark) first; the cells are the list's export texts (ListModel::exportCell), so
/// that a share the view cuts short is written in full. CSV text starts with a UTF-8 byte order
/// mark, which spreadsheets need to read it as UTF-8.
std::string ListText(const ListModel& list, const std::vector<unsigned>& columns, Format format);

/// Returns the columns of `list` the views show: every one not collapsed to width 0.
std::vector<unsigned> ShownColumns(const ListModel& list);

}  // namespace delimited
