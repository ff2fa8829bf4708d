// The commands of sumoran-cli. Arguments and output are UTF-8; the analysis works in Windows-1251.
#pragma once

#include <iosfwd>
#include <span>
#include <string_view>

/// Exit codes of the command-line tool, the only place they are defined: unreadable input or
/// settings and an analysis that ran out of memory share one code.
enum ExitCode { kExitOk = 0, kExitUnreadable = 1, kExitFailed = 1, kExitUsage = 2 };

/// Whether standard input is a terminal, where nobody pipes a page in.
enum class StandardInput { kNotTerminal, kTerminal };

/// Prints, one per line, the stem under which the analysis would count each word. Returns
/// kExitUsage with a message for an empty word or one that Windows-1251 cannot hold.
int RunStemCommand(std::span<const std::string_view> words, std::ostream& out, std::ostream& err);

/// Analyses one HTML file (standard input when no file or "-") and prints what the window shows;
/// "--help" and "--version" print their texts on `out` instead. Without a file and with `stdinKind`
/// a terminal, prints the usage on `err` and returns kExitUsage rather than wait for input. Prints
/// nothing on `out` and returns kExitFailed with a message when the analysis runs out of memory.
int RunAnalyzeCommand(std::span<const std::string_view> args, std::istream& in, std::ostream& out, std::ostream& err,
                      StandardInput stdinKind = StandardInput::kNotTerminal);
