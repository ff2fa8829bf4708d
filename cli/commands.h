// The commands of sumoran-cli. Arguments and output are UTF-8; the analysis works in Windows-1251.
#pragma once

#include <iosfwd>
#include <span>
#include <string_view>

/// Exit codes of the command-line tool.
enum ExitCode { kExitOk = 0, kExitUnreadable = 1, kExitUsage = 2 };

/// Prints, one per line, the stem under which the analysis would count each word. Returns
/// kExitUsage with a message for an empty word or one that Windows-1251 cannot hold.
int RunStemCommand(std::span<const std::string_view> words, std::ostream& out, std::ostream& err);

/// Analyses one HTML file (standard input when no file or "-") and prints what the window shows.
int RunAnalyzeCommand(std::span<const std::string_view> args, std::istream& in, std::ostream& out, std::ostream& err);
