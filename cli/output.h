// What sumoran-cli prints: the window's panes as JSON, TSV or aligned text, in UTF-8.
#pragma once

#include <iosfwd>

#include "app/document.h"
#include "cli/options.h"

/// Prints the whole document as one JSON object.
void WriteJson(const Document& doc, std::ostream& out);

/// Prints one pane in TSV (a header line of captions, then one line per row) or aligned text.
void WriteSection(const Document& doc, Section section, OutputFormat format, std::ostream& out);
