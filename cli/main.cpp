// sumoran-cli: the analysis of the desktop program without a window.
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    if (!args.empty() && args.front() == "stem") {
        args.erase(args.begin());
        return RunStemCommand(args, std::cout, std::cerr);
    }
    const StandardInput stdinKind = ::isatty(STDIN_FILENO) ? StandardInput::kTerminal : StandardInput::kNotTerminal;
    return RunAnalyzeCommand(args, std::cin, std::cout, std::cerr, stdinKind);
}
