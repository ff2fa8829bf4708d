// Real keyboard and mouse for the window tests under a virtual X server: keys and clicks go through
// the X server with xdotool, under a window manager (openbox) that the first use starts, so that
// they reach the window as a person's do, to the widget with the focus and through every event
// filter on the way. An event that a test sends to a widget by itself proves less: it goes to the
// widget the test names. Test-only; the X display is the one the test runs on (xvfb-run).
#pragma once

#include <QApplication>
#include <QPoint>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <QWindow>
#include <QtTest>

#include "app/testwindow_for_tests.h"

class RealInput {
  public:
    /// Starts the window manager when none was started yet. Returns false (the test should skip)
    /// without an X display, xdotool or openbox.
    static bool available() {
        static const bool ready = start();
        return ready;
    }

    /// Raises `window` and gives it the keyboard, as a click on its title bar would.
    static void activate(QWidget* window) {
        window->show();
        window->raise();
        xdotool(
            {QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(window->window()->winId())});
        WaitUntil([window] { return QApplication::activeWindow() == window->window(); }, 5000);
    }
    /// Presses and releases keys, each given as xdotool names them: "ctrl+l", "Tab", "Return".
    static void key(const QStringList& keys) {
        xdotool(QStringList{QStringLiteral("key"), QStringLiteral("--clearmodifiers")} + keys);
    }
    /// Types `text` on the keyboard: Latin letters, digits and signs (Cyrillic typed so does not
    /// reach the window under a virtual X server, whose keymap has no Cyrillic keys).
    static void type(const QString& text) {
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text});
    }
    /// Moves the mouse to `at` in `widget` (its centre when not given) and clicks `button` (1 left,
    /// 3 right) `count` times.
    static void click(QWidget* widget, QPoint at = QPoint(-1, -1), int button = 1, int count = 1) {
        if (at == QPoint(-1, -1)) at = widget->rect().center();
        const QPoint global = widget->mapToGlobal(at);
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(global.x()),
                 QString::number(global.y()), QStringLiteral("click"), QStringLiteral("--repeat"),
                 QString::number(count), QString::number(button)});
    }

  private:
    static bool start() {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) return false;
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) return false;
        if (QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty()) return false;
        // The window manager lives as long as the test program; the X server ends it with itself.
        QProcess::startDetached(QStringLiteral("openbox"), {});
        QTest::qWait(1000);
        return true;
    }
    static void xdotool(const QStringList& arguments) {
        QProcess process;
        process.start(QStringLiteral("xdotool"), arguments);
        // xdotool returns once the X server has the events; the window handles them in its loop.
        process.waitForFinished(10000);
    }
};
