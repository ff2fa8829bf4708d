// The desktop program's command line: help and version win, a bad option or a second page is a
// usage error, a page opens, and Qt's own options pass.
#include "app/commandline.h"

#include <QtTest>

namespace {

CommandLine parse(QStringList arguments) {
    arguments.prepend(QStringLiteral("sumoran"));
    return ParseCommandLine(arguments);
}

}  // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

  private slots:
    void helpAndVersionInEitherSpelling() {
        QCOMPARE(parse({QStringLiteral("--help")}).action, CommandLineAction::kHelp);
        QCOMPARE(parse({QStringLiteral("-h")}).action, CommandLineAction::kHelp);
        QCOMPARE(parse({QStringLiteral("--version")}).action, CommandLineAction::kVersion);
        QCOMPARE(parse({QStringLiteral("-v")}).action, CommandLineAction::kVersion);
    }

    void helpIsNotAPageToOpen() {
        const CommandLine line = parse({QStringLiteral("page.html"), QStringLiteral("--help")});
        QCOMPARE(line.action, CommandLineAction::kHelp);
    }

    void unknownOptionIsAnErrorNamingIt() {
        const CommandLine line = parse({QStringLiteral("--frobnicate")});
        QCOMPARE(line.action, CommandLineAction::kUsageError);
        QVERIFY2(line.message.contains(QStringLiteral("frobnicate")), qPrintable(line.message));
        QCOMPARE(parse({QStringLiteral("-x")}).action, CommandLineAction::kUsageError);
    }

    void pageOpens() {
        const CommandLine line = parse({QStringLiteral("https://example.org/a?b=1#c")});
        QCOMPARE(line.action, CommandLineAction::kOpen);
        QCOMPARE(line.page, QStringLiteral("https://example.org/a?b=1#c"));
        QVERIFY(parse({}).page.isEmpty());
    }

    void doubleDashEndsOptions() {
        const CommandLine line = parse({QStringLiteral("--"), QStringLiteral("-odd name.html")});
        QCOMPARE(line.action, CommandLineAction::kOpen);
        QCOMPARE(line.page, QStringLiteral("-odd name.html"));
    }

    void secondPageIsAnError() {
        const CommandLine line = parse({QStringLiteral("a.html"), QStringLiteral("b.html")});
        QCOMPARE(line.action, CommandLineAction::kUsageError);
        QVERIFY2(line.message.contains(QStringLiteral("2 given")), qPrintable(line.message));
    }

    void qtOptionsPassWithTheirValues() {
        const CommandLine line = parse({QStringLiteral("-platform"), QStringLiteral("offscreen"),
                                        QStringLiteral("-reverse"), QStringLiteral("page.html")});
        QCOMPARE(line.action, CommandLineAction::kOpen);
        QCOMPARE(line.page, QStringLiteral("page.html"));
        QCOMPARE(parse({QStringLiteral("-style")}).action, CommandLineAction::kUsageError);
    }

    void webEngineArgumentsAreNotOurs() {
        const CommandLine line = parse({QStringLiteral("page.html"), QStringLiteral("--webEngineArgs"),
                                        QStringLiteral("--remote-debugging-port=9")});
        QCOMPARE(line.action, CommandLineAction::kOpen);
        QCOMPARE(line.page, QStringLiteral("page.html"));
    }

    void helpNamesEveryOptionAndTheExitCodes() {
        const QString help = CommandLineHelp();
        for (const char* text : {"-h, --help", "-v, --version", "FILE|URL", "  2  bad usage"})
            QVERIFY2(help.contains(QString::fromUtf8(text)), text);
        QCOMPARE(CommandLineVersion(), QStringLiteral("sumoran " SUMORAN_VERSION "\n"));
    }
};

QTEST_APPLESS_MAIN(CommandLineTest)
#include "commandline_test.moc"
