#include "app/commandline.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <initializer_list>
#include <utility>

namespace {

// The options every Qt program takes (QGuiApplication removes them from the arguments itself):
// known here so that they are not refused, and left out of --help. The bool says whether the
// option takes a value.
constexpr std::pair<const char*, bool> kQtOptions[] = {
    {"platform", true},        {"platformpluginpath", true},
    {"platformtheme", true},   {"plugin", true},
    {"qwindowgeometry", true}, {"qwindowicon", true},
    {"qwindowtitle", true},    {"reverse", false},
    {"session", true},         {"display", true},
    {"geometry", true},        {"style", true},
    {"stylesheet", true},      {"widgetcount", false},
    {"nograb", false},         {"dograb", false},
    {"sync", false},
};

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    // Qt's own options are written with one dash ("-platform offscreen"), as long options.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOption(help);
    parser.addOption(version);
    for (const auto& [name, takesValue] : kQtOptions) {
        QCommandLineOption option(QString::fromLatin1(name));
        if (takesValue) option.setValueName(QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    // Everything after --webEngineArgs goes to the web engine's Chromium as it is.
    QStringList ours = arguments;
    const qsizetype engineArgs = ours.indexOf(QStringLiteral("--webEngineArgs"));
    if (engineArgs > 0) ours = ours.first(engineArgs);

    CommandLine result;
    const bool parsed = parser.parse(ours);
    // --help and --version are answered even beside a mistake, as sumoran-cli answers them.
    if (parser.isSet(help)) {
        result.action = CommandLineAction::kHelp;
        return result;
    }
    if (parser.isSet(version)) {
        result.action = CommandLineAction::kVersion;
        return result;
    }
    if (!parsed) {
        result.action = CommandLineAction::kUsageError;
        result.message = parser.errorText();
        return result;
    }
    const QStringList pages = parser.positionalArguments();
    if (pages.size() > 1) {
        result.action = CommandLineAction::kUsageError;
        result.message = QStringLiteral("one FILE or URL at most, %1 given").arg(pages.size());
        return result;
    }
    if (!pages.isEmpty()) result.page = pages.front();
    return result;
}

QString CommandLineUsage() { return QStringLiteral("usage: sumoran [-h|--help] [-v|--version] [--] [FILE|URL]\n"); }

QString CommandLineHelp() {
    return CommandLineUsage() +
           QStringLiteral(
               "\n"
               "Opens the window of Sumoran, the content analysis of a web page, and in it FILE (a local\n"
               "HTML file) or URL (an http://, https:// or file:// address) when one is given, as the\n"
               "\"Переход\" button would: the page shows in the embedded browser, and as soon as its text\n"
               "is there the stems, words, word combinations, sentences and the summary are filled in.\n"
               "sumoran-cli runs the same analysis without a window.\n"
               "\n"
               "  -h, --help     print this help and exit\n"
               "  -v, --version  print the version and exit\n"
               "  --             end of the options: what follows is the FILE or URL\n"
               "\n"
               "The standard options of Qt programs (such as -platform and -style) are taken as well, and\n"
               "what follows --webEngineArgs goes to the web engine.\n"
               "\n"
               "Exit codes:\n"
               "  0  success\n"
               "  1  the stop words cannot be read, or the window cannot start\n"
               "  2  bad usage\n");
}

QString CommandLineVersion() { return QStringLiteral("sumoran " SUMORAN_VERSION "\n"); }
