// The program entry of the desktop program: `sumoran [OPTIONS] [FILE|URL]`.
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <optional>
#include <string>

#include "app/application.h"
#include "app/browser/webenginebrowser.h"
#include "app/commandline.h"
#include "app/habits.h"
#include "app/helpmenu.h"
#include "app/mainform.h"
#include "base/allocator.h"
#include "settings/settingsdir.h"

namespace {

// Run as root with another user's home (sudo -E, sudo --preserve-env=HOME), the program, Qt, the web
// engine and fontconfig would create root-owned files in that home. They are sent to root's own
// home instead; the X connection keeps the user's authority file.
void KeepOutOfAnotherUsersHome() {
    const std::optional<std::string> home = settings::RootHomeOverride();
    if (!home) return;
    const QByteArray userHome = qgetenv("HOME");
    if (qEnvironmentVariableIsEmpty("XAUTHORITY") && !userHome.isEmpty()) {
        const QByteArray authority = userHome + "/.Xauthority";
        if (::access(authority.constData(), R_OK) == 0) qputenv("XAUTHORITY", authority);
    }
    qputenv("HOME", QByteArray::fromStdString(*home));
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"}) qunsetenv(name);
    std::cerr << "sumoran: running as root with another user's home; using " << *home << " instead\n";
}

// Answers --help, --version and a bad option on the standard streams; nothing for a page to open.
std::optional<int> AnswerCommandLine(const CommandLine& line) {
    switch (line.action) {
        case CommandLineAction::kHelp:
            std::cout << CommandLineHelp().toLocal8Bit().constData() << std::flush;
            return std::cout ? kProgramExitOk : kProgramExitFailed;
        case CommandLineAction::kVersion:
            std::cout << CommandLineVersion().toLocal8Bit().constData() << std::flush;
            return std::cout ? kProgramExitOk : kProgramExitFailed;
        case CommandLineAction::kUsageError:
            std::cerr << "sumoran: " << line.message.toLocal8Bit().constData() << '\n'
                      << CommandLineUsage().toLocal8Bit().constData();
            return kProgramExitUsage;
        case CommandLineAction::kOpen:
            break;
    }
    return std::nullopt;
}

// Builds the windows and runs the event loop.
int run(const QString& page) {
    return RunProgram(settings::SettingsDirectory(settings::ExecutableDirectory()), page, [] {
        auto* browser = new WebEngineBrowser;
        browser->setHomeAddress(UserGuidePath());
        return browser;
    });
}

}  // namespace

int main(int argc, char** argv) {
    // Read before anything starts: --help and a bad option need neither a display nor the engine.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine line = ParseCommandLine(arguments);
    if (const std::optional<int> answered = AnswerCommandLine(line)) return *answered;

    KeepOutOfAnotherUsersHome();
    FreeSmallBlocksAtOnce();
    // The web engine's sandbox refuses to start as root; it has to be off before the engine starts.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        std::cerr << "sumoran: running as root, the web engine's sandbox is disabled\n";
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sumoran"));
    // The application id names the desktop entry, the icon and the AppStream description; Wayland
    // compositors match the window to its entry by it.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.sumoran.Sumoran"));
    habits::LoadQtTranslations(app);
    try {
        return run(line.page);
    } catch (const std::exception& e) {
        // An error that escapes the loop itself ends the program, after the same box.
        QMessageBox::critical(nullptr, QStringLiteral("Sumoran"), QString::fromLocal8Bit(e.what()));
        return EXIT_FAILURE;
    }
}
