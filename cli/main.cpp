// sumoran-cli: the analysis of the desktop program without a window.
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/allocator.h"
#include "cli/commands.h"
#include "cli/fdoutput.h"

int main(int argc, char** argv) {
    FreeSmallBlocksAtOnce();
    std::vector<std::string_view> args(argv + 1, argv + argc);
    // Standard output through a buffer that keeps the reason of a failed write for the message.
    FdOutputBuffer outBuffer(STDOUT_FILENO);
    std::ostream out(&outBuffer);
    if (!args.empty() && args.front() == "stem") {
        args.erase(args.begin());
        return RunStemCommand(args, out, std::cerr);
    }
    if (!args.empty() && args.front() == "aggregate") {
        args.erase(args.begin());
        return RunAggregateCommand(args, std::cin, out, std::cerr);
    }
    if (!args.empty() && args.front() == "compare") {
        args.erase(args.begin());
        return RunCompareCommand(args, std::cin, out, std::cerr);
    }
    if (!args.empty() && args.front() == "collocates") {
        args.erase(args.begin());
        return RunCollocatesCommand(args, std::cin, out, std::cerr);
    }
    const StandardInput stdinKind = ::isatty(STDIN_FILENO) ? StandardInput::kTerminal : StandardInput::kNotTerminal;
    // A batch draws its progress bar only where a person watches standard error.
    std::size_t progressColumns = 0;
    if (::isatty(STDERR_FILENO)) {
        struct winsize size {};
        progressColumns = ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
    }
    return RunAnalyzeCommand(args, std::cin, out, std::cerr, stdinKind, progressColumns);
}
