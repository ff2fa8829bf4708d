#include <ostream>
#include <string>

#include "base/cp1251.h"
#include "cli/commands.h"
#include "cli/fdoutput.h"
#include "cli/output.h"
#include "engine/wordlists.h"

int RunStemCommand(std::span<const std::string_view> words, std::ostream& out, std::ostream& err) {
    if (words.empty()) {
        err << "usage: sumoran-cli stem WORD...\n";
        return kExitUsage;
    }
    std::string stems;
    std::string lower;
    for (std::string_view word : words) {
        if (word.empty()) {
            err << "sumoran-cli: an empty word has no stem\n";
            return kExitUsage;
        }
        auto bytes = cp1251::fromUtf8Strict(word);
        if (!bytes) {
            err << MessageLine("'" + std::string(word) + "' holds characters outside Windows-1251");
            return kExitUsage;
        }
        if (bytes->size() > kMaxWordLength) bytes->resize(kMaxWordLength);
        std::uint32_t code = 0;
        stems += cp1251::toUtf8(StemWord(*bytes, lower, code));
        stems += '\n';
    }
    out << stems << std::flush;
    if (out) return kExitOk;
    err << MessageLine(WriteFailureMessage(out));
    return kExitFailed;
}
