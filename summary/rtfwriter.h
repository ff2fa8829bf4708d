// Writing the automatic summary as a Rich Text Format document: one paragraph per summary
// paragraph, headings in bold, Cyrillic readable by any RTF reader (a Windows-1251 code page and
// font charset, plus a Unicode escape for every non-ASCII character). Pure functions except
// SaveSummaryRtf, which writes one file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "summary/summary.h"

/// Returns a complete RTF document holding the paragraphs in order, bold ones in bold. Tabs become
/// RTF tabs; other control bytes are left out.
std::string SummaryToRtf(const std::vector<SummaryParagraph>& paragraphs);

/// Returns the chosen file name with ".rtf" appended unless the extension of its last path
/// component (from that component's last period on), lower-cased, already is ".rtf".
std::string RtfFileName(std::string_view chosen);

/// Writes SummaryToRtf(paragraphs) to the file named by `fileNameUtf8`, replacing any file of that
/// name. Returns nothing on success, or the message "Не удалось сохранить автореферат в файл
/// <name>: <reason>" (UTF-8) when the file cannot be created or written, in which case the old
/// file is intact and no partial file is left behind.
std::optional<std::string> SaveSummaryRtf(std::string_view fileNameUtf8,
                                          const std::vector<SummaryParagraph>& paragraphs);
