// The batch forms of sumoran-cli's output and its CSV: a page as one JSON line, a page's figures
// as one row, a pane's rows behind the input's name, and one pane as CSV. Text is UTF-8.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "cli/options.h"
#include "document/document.h"

/// Returns `text` with every byte that is not part of valid UTF-8 as U+FFFD, for names and messages
/// that come from outside (file names are bytes).
std::string ValidUtf8(std::string_view text);

/// Returns the JSON object of WriteJson on one line, with "input" first, and a line end.
std::string JsonLine(const Document& doc, std::string_view input, bool withContent = false, bool withZones = false);

/// Returns the line of an input that gave no page: {"input": …, "error": …} and a line end.
std::string JsonErrorLine(std::string_view input, std::string_view error);

/// Returns the header of the figures table of a batch in CSV or TSV.
std::string FiguresHeader(OutputFormat format);

/// Returns the figures row of a page: its input, charset, sentences, words in the text, stems,
/// combinations, summary sentences, the seconds of its analysis, an empty error, then the text
/// figures (MetricsColumns); or of an input that failed, with only the input and the error.
std::string FiguresRow(const Document* doc, double seconds, std::string_view input, std::string_view error,
                       OutputFormat format);

/// Returns the header of a pane's rows in a batch: "input" and the pane's captions.
std::string PaneHeader(Section section, OutputFormat format);

/// Returns every row of a pane of the page, each behind a cell of its input.
std::string PaneRows(const Document& doc, Section section, std::string_view input, OutputFormat format);

/// Prints one pane (not kAll) as CSV: a UTF-8 byte order mark, the header of every column's caption
/// (collapsed ones included), then the rows in display order, cells as TSV output shows them.
void WriteCsvSection(const Document& doc, Section section, std::ostream& out);
