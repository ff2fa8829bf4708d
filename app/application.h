// The desktop program's application object: an exception that a command, an event handler or a
// callback lets escape reaches the event loop here, is shown in a standard error box with its
// message, and the loop goes on. GUI thread only.
#pragma once

#include <QApplication>
#include <QString>
#include <functional>

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
