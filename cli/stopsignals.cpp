#include "cli/stopsignals.h"

#include <atomic>
#include <utility>

namespace {

std::atomic<int> caught{0};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free flag");

void recordSignal(int signal) {
    int none = 0;
    caught.compare_exchange_strong(none, signal);
}

}  // namespace

StopSignals::StopSignals() {
    caught.store(0);
    struct sigaction action {};
    action.sa_handler = recordSignal;
    sigemptyset(&action.sa_mask);
    // Calls the signal interrupts go on, so that no read or write of a page fails for it.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    // A signal ignored when the program started (a background job of a script) stays ignored.
    for (auto [signal, previous] : {std::pair{SIGINT, &previousInterrupt_}, std::pair{SIGTERM, &previousTerminate_}}) {
        sigaction(signal, &action, previous);
        if (previous->sa_handler == SIG_IGN) sigaction(signal, previous, nullptr);
    }
}

StopSignals::~StopSignals() {
    sigaction(SIGINT, &previousInterrupt_, nullptr);
    sigaction(SIGTERM, &previousTerminate_, nullptr);
}

int StopSignals::received() const { return caught.load(); }

const char* StopSignalName(int signal) { return signal == SIGINT ? "SIGINT" : "SIGTERM"; }
