// A batch of pages: workers read and analyse them in parallel, and the results are printed in the
// order of the inputs, one JSON line or one row (or one pane's rows) per input.
#pragma once

#include <cstddef>
#include <iosfwd>

#include "cli/options.h"
#include "cli/page.h"

/// Runs the batch the options name (their inputs and list files) with o.jobs workers (0: one per
/// core). The output is the same for every number of workers; at most that many pages are read or
/// analysed at once, and at most four times that many results wait to be printed. An input that
/// fails is its error line (jsonl), a figures row with the error (csv, tsv) or a message on `err`
/// (a pane's rows), and the batch goes on. Draws a progress bar on `err` when `progressColumns`
/// (the terminal's width) is not 0 and o.quiet is not set. Returns kExitOk when every input gave a
/// page, kExitSomeFailed when some did not, kExitFailed when none did or the output or a list file
/// failed.
int RunBatch(const CliOptions& o, const PageSettings& settings, std::istream& in, std::ostream& out, std::ostream& err,
             std::size_t progressColumns);
