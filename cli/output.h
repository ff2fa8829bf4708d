// What sumoran-cli prints: the window's panes as JSON, TSV or aligned text, in UTF-8.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "cli/options.h"
#include "document/document.h"

/// Returns UTF-8 text as text and TSV output print it: every control character but tab and line
/// feed (C0, DEL and C1) as \xHH, the two lowercase hex digits of its code point, and a backslash
/// as \\, so that a page's text can neither drive the terminal nor forge an escape.
std::string VisibleText(std::string_view utf8);

/// Returns bytes from outside the program (a file name, an argument, an address, a line of a file)
/// as messages and progress show them: bytes that are not valid UTF-8 as U+FFFD, every control
/// character (C0 with tab and line feed, DEL and C1) as \xHH as VisibleText writes it, and a
/// backslash as \\, so that a name can neither drive the terminal, nor break its line, nor forge an
/// escape.
std::string TerminalText(std::string_view bytes);

/// Returns the message line "sumoran-cli: <message>" and a line end, the message as TerminalText:
/// every message on standard error that holds a name or a line from outside is made by it.
std::string MessageLine(std::string_view message);

/// Returns UTF-8 text as a JSON string literal, every control character (C0, DEL and C1) escaped.
std::string JsonString(std::string_view utf8);

/// Appends Windows-1251 text to `out` as a JSON string literal: JsonString of its UTF-8 form.
void AppendJsonString(std::string& out, std::string_view cp1251Text);

/// The list a pane shows: the sentence list or one of the three result lists; none for the summary
/// and for all panes.
const ListModel* ListOfSection(const Document& doc, Section section);

/// Prints the whole document as one JSON object and a line end; with `lineInput`, on one line
/// with "input" (UTF-8, made valid) as its first field, the form of a batch's JSON Lines. With
/// `withContent` (--content given), "content" names what of the page was read and, for the main
/// text, "main_text_words" and "page_words" count it ("main_text_words" 0: none was found).
/// "metrics" (the text figures and the checks of the page) is always last but for "zones", each
/// stem's count by zone, which only `withZones` (--zones) adds.
void WriteJson(const Document& doc, std::ostream& out, std::optional<std::string_view> lineInput = std::nullopt,
               bool withContent = false, bool withZones = false);

/// Prints one pane in TSV (a header line of captions, then one line per row) or aligned text; the
/// metrics as text are "caption: value" lines.
void WriteSection(const Document& doc, Section section, OutputFormat format, std::ostream& out);
