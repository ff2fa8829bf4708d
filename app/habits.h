// The keyboard and mouse habits of a desktop program, given to the main window from outside its
// wiring: the keys of the browser's and the panels' commands, a file or link dropped on the window
// opening as if typed, and Qt's own texts in Russian. GUI thread only.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

class QCoreApplication;
class QMimeData;
class QWidget;

namespace habits {

/// Gives the window's commands their keys: Ctrl+L and F6 the address box, F5 reload, Alt+Left and
/// Alt+Right back and forward, Esc stop, Ctrl+S save the summary, Ctrl+F the type filter of the
/// result list that has the focus (the stem list when none has).
void InstallShortcuts(QWidget* window);

/// The address a drop of `data` opens: a local file's path, another URL as written, or a single
/// line of text; empty when it holds none of these.
QString DroppedAddress(const QMimeData* data);

/// Opens what is dropped on `target` or on any widget added to it later with `open`, and keeps the
/// widgets inside it (the browser's view) from taking the drop themselves.
void AcceptDrops(QWidget* target, std::function<void(const QString&)> open);

/// Whether Qt's own texts are to be Russian for these locale variables (LC_ALL, LC_MESSAGES,
/// LANG, the first one set counts): for a Russian locale, or for none ("", "C", "POSIX").
bool WantsRussianQtTexts(const QByteArray& lcAll, const QByteArray& lcMessages, const QByteArray& lang);

/// Loads Qt's Russian translations into `app` when the environment's locale wants them; returns
/// whether they were loaded.
bool LoadQtTranslations(QCoreApplication& app);

}  // namespace habits
