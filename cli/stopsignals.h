// SIGINT and SIGTERM during a batch: caught so that the batch stops between two pages, with only
// whole lines printed, instead of ending in the middle of one.
#pragma once

#include <signal.h>

/// Catches SIGINT and SIGTERM while it lives and restores the handlers before it when destroyed.
/// The handler only records the first signal; it also puts that signal's default back
/// (SA_RESETHAND), so that a second one of the same kind ends a process that does not stop soon
/// enough. One at a time per process; received() may be called from any thread.
class StopSignals {
  public:
    StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    ~StopSignals();

    /// The number of the first signal caught, 0 while none has come.
    int received() const;

  private:
    struct sigaction previousInterrupt_ {};
    struct sigaction previousTerminate_ {};
};

/// The name of a signal StopSignals catches: "SIGINT" or "SIGTERM".
const char* StopSignalName(int signal);
