#include <ostream>

#include "cli/commands.h"

int RunAnalyzeCommand(std::span<const std::string_view>, std::istream&, std::ostream&, std::ostream& err) {
    err << "sumoran-cli: page analysis is not available yet\n";
    return kExitUsage;
}
