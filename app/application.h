// The desktop program's application object: an exception that a command, an event handler or a
// callback lets escape reaches the event loop here, is shown in a standard error box with its
// message, and the loop goes on. GUI thread only.
#pragma once

#include <QApplication>
#include <QString>
#include <filesystem>
#include <functional>

class Browser;

class Application : public QApplication {
    Q_OBJECT

  public:
    Application(int& argc, char** argv);

    /// Replaces the error box (tests): `report` gets the message the box would show.
    void setErrorReporter(std::function<void(const QString&)> report) { report_ = std::move(report); }

    /// Delivers an event; an exception thrown while it is handled is reported, and the event
    /// counts as not handled.
    bool notify(QObject* receiver, QEvent* event) override;

  private:
    void report(const QString& message);

    std::function<void(const QString&)> report_;
    int reporting_ = 0;  // error boxes open: one thrown while another is shown goes to stderr
};

/// Starts the desktop program: loads the settings from `settingsDirectory`, builds the main window
/// around the browser `makeBrowser` gives, shows it and opens `argument` (the command line's FILE
/// or URL; empty for none), an existing file by its absolute path. Runs the event loop and returns
/// its exit code. When koef.dat cannot be read, the error box says why and the window starts with
/// the default coefficients, its status bar saying so; when stopwords.txt cannot be opened, the
/// error box says why and the program ends with EXIT_FAILURE before any window or browser is made.
int RunProgram(const std::filesystem::path& settingsDirectory, const QString& argument,
               const std::function<Browser*()>& makeBrowser);

/// The status bar's note that the web engine runs without its sandbox (the program switches it
/// off as root); empty when the sandbox is on.
QString SandboxNote();
