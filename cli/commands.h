// The commands of sumoran-cli. Arguments and output are UTF-8; the analysis works in Windows-1251.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <span>
#include <string_view>

/// Exit codes of the command-line tool, the only place they are defined: unreadable input or
/// settings, output that cannot be written and an analysis that ran out of memory share one code,
/// which a batch also gives when no input gave a page; kExitSomeFailed is a batch of which some
/// inputs failed. A batch stopped by a signal exits with kExitSignalBase + its number, as a shell
/// reports a program the signal ended: 130 for SIGINT, 143 for SIGTERM.
enum ExitCode {
    kExitOk = 0,
    kExitUnreadable = 1,
    kExitFailed = 1,
    kExitUsage = 2,
    kExitSomeFailed = 3,
    kExitSignalBase = 128
};

/// Whether standard input is a terminal, where nobody pipes a page in.
enum class StandardInput { kNotTerminal, kTerminal };

/// Prints, one per line, the stem under which the analysis would count each word. Returns
/// kExitUsage with a message for an empty word or one that Windows-1251 cannot hold.
int RunStemCommand(std::span<const std::string_view> words, std::ostream& out, std::ostream& err);

/// Analyses one HTML file or address (standard input when no input or "-") and prints what the
/// window shows, or runs a batch over many (see RunBatch); "--help" and "--version" print their
/// texts on `out` instead. Without an input and with `stdinKind` a terminal, prints the usage on
/// `err` and returns kExitUsage rather than wait for input. Prints nothing on `out` and returns
/// kExitFailed with a message when the analysis runs out of memory. `progressColumns` is the width
/// of the terminal on `err` for a batch's progress bar, 0 when `err` is not a terminal.
int RunAnalyzeCommand(std::span<const std::string_view> args, std::istream& in, std::ostream& out, std::ostream& err,
                      StandardInput stdinKind = StandardInput::kNotTerminal, std::size_t progressColumns = 0);

/// Merges the per-page results of `--format=jsonl` files into a table of the corpus's stems or
/// combinations (`sumoran-cli aggregate [OPTIONS] FILE...`).
int RunAggregateCommand(std::span<const std::string_view> args, std::istream& in, std::ostream& out, std::ostream& err);

/// Prints the key words of a target against a reference (`sumoran-cli compare [OPTIONS] TARGET
/// REFERENCE...`), each side a page, a directory of pages or a batch's JSON Lines. Returns
/// kExitUsage with a message for bad usage, kExitUnreadable for an input that gives no page.
int RunCompareCommand(std::span<const std::string_view> args, std::istream& in, std::ostream& out, std::ostream& err);

/// Prints the collocates of a node word's stem over one or more pages (`sumoran-cli collocates
/// --node=WORD [OPTIONS] PAGE...`). Returns kExitUsage with a message for bad usage (no node, an
/// empty or too long one), kExitUnreadable for an input that gives no page.
int RunCollocatesCommand(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
                         std::ostream& err);
