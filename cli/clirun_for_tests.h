// Running sumoran-cli's commands in the tests: in the test process with private settings files
// (the default coefficients and the source tree's stop words, never the build tree's, which a run
// of the desktop program may change), or as the program itself. Test-only.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "base/tempdir_for_tests.h"
#include "base/textfile.h"
#include "cli/commands.h"
#include "settings/koef.h"

namespace clitest {

namespace fs = std::filesystem;

/// The private directory of the tests, made once: koef.dat and stopwords.txt, and room for files.
inline const settings::testutil::TempDir& privateDir() {
    static const settings::testutil::TempDir dir;
    return dir;
}

/// The settings arguments every run gets first (a later --koef or --stopwords wins).
inline std::vector<std::string> settingsArgs() {
    const auto& dir = privateDir();
    static const bool written = [&dir] {
        settings::testutil::writeBytes(dir / "koef.dat",
                                       settings::JoinCrLfLines(settings::KoefEditorLines(Coefficients{}, '.')));
        settings::testutil::writeBytes(dir / "stopwords.txt",
                                       settings::testutil::readBytes(SUMORAN_SOURCE_DIR "/data/stopwords.txt"));
        return true;
    }();
    (void)written;
    return {"--koef=" + (dir / "koef.dat").string(), "--stopwords=" + (dir / "stopwords.txt").string()};
}

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

/// Runs `sumoran-cli ARGS` in the test process with `input` on standard input.
inline CliRun run(std::vector<std::string> args, const std::string& input = "",
                  StandardInput stdinKind = StandardInput::kNotTerminal, std::size_t progressColumns = 0) {
    std::vector<std::string> all = settingsArgs();
    all.insert(all.end(), args.begin(), args.end());
    std::vector<std::string_view> views(all.begin(), all.end());
    std::istringstream in(input);
    std::ostringstream out, err;
    int code = RunAnalyzeCommand(views, in, out, err, stdinKind, progressColumns);
    return {code, out.str(), err.str()};
}

/// Runs `sumoran-cli aggregate ARGS` in the test process.
inline CliRun aggregate(std::vector<std::string> args, const std::string& input = "") {
    std::vector<std::string_view> views(args.begin(), args.end());
    std::istringstream in(input);
    std::ostringstream out, err;
    int code = RunAggregateCommand(views, in, out, err);
    return {code, out.str(), err.str()};
}

/// Writes a file into the private directory and returns its path.
inline std::filesystem::path writeTemp(const std::string& name, const std::string& bytes) {
    const std::filesystem::path path = privateDir() / name;
    std::filesystem::create_directories(path.parent_path());
    settings::testutil::writeBytes(path, bytes);
    return path;
}

}  // namespace clitest
