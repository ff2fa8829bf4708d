// The command line of the desktop program: `sumoran [OPTIONS] [FILE|URL]`. It is read before the
// application object, the display and the web engine exist, so that --help, --version and a bad
// option are answered on a machine without a display.
#pragma once

#include <QString>
#include <QStringList>

/// Exit codes of the desktop program, the same numbers as those of sumoran-cli.
enum ProgramExitCode { kProgramExitOk = 0, kProgramExitFailed = 1, kProgramExitUsage = 2 };

/// What the command line asks for.
enum class CommandLineAction { kOpen, kHelp, kVersion, kUsageError };

struct CommandLine {
    CommandLineAction action = CommandLineAction::kOpen;
    QString page;     // the FILE or URL to open; empty for none
    QString message;  // kUsageError: what is wrong, one line without the program's name
};

/// Reads `arguments` (the program's name first). --help or -h and --version or -v win over
/// anything else; an option neither ours nor one of Qt's standard ones, a missing option value or
/// a second page is a usage error. "--" ends the options, so a page may start with "-".
CommandLine ParseCommandLine(const QStringList& arguments);

/// The text --help prints: the usage, the options and the exit codes.
QString CommandLineHelp();

/// The short usage printed after a usage error.
QString CommandLineUsage();

/// The text --version prints: "sumoran <version>".
QString CommandLineVersion();
