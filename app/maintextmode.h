// MainTextMode: whether the analysis reads the whole page or only its main text, and the outline of
// that main text in the page on screen.
//
// "Только основной текст" is a check item of "Настройки" and a checkable button of the browser's
// tool bar (one action), stored in the window's settings file and restored at start; a change goes
// out as modeChanged for the window to read the page on screen again. "Показать основной текст"
// (in "Отметки" and on the tool bar) is enabled after a main-text run that found main text: it
// outlines the blocks that run took in the live page and dims the rest, and a second trigger takes
// the outline off; a new run or a new page takes it off as well. What the outline did goes out as
// outlined. GUI thread only.
#pragma once

#include <QObject>
#include <QString>

#include "document/content.h"

class QAction;
class QMenu;
class QToolBar;
class Browser;
class Document;

/// The window's status text after a run: "Основной текст: N слов из M" when a main-text run found
/// main text, "Основной текст не найден (why): проанализирована вся страница" when it did not (the
/// reason in Russian where it is known), and nothing after a run of the whole page.
QString ContentStatus(const ContentReport& report);

class MainTextMode : public QObject {
    Q_OBJECT

  public:
    /// Works on `doc` and `browser`, which must outlive it; the mode as last stored.
    MainTextMode(const Document& doc, Browser& browser, QObject* parent = nullptr);

    /// What the next run reads: the mode checked.
    ContentMode mode() const;

    /// Puts the mode item at the end of `settings`, the outline command at the end of `marks`, and
    /// both onto `bar`.
    void addCommands(QMenu* settings, QMenu* marks, QToolBar* bar);

    QAction* modeAction() const { return mode_; }        // "Только основной текст", miMainText
    QAction* outlineAction() const { return outline_; }  // "Показать основной текст", miShowMainText

    /// A run ended: the outline command follows what it found, and an outline in the page is taken off.
    void analysed();
    /// The page on screen was replaced: its outline went with it.
    void forget();
    /// Takes the outline off the page, if it is on.
    void takeOff();

  signals:
    /// The user checked or unchecked the mode.
    void modeChanged(ContentMode mode);
    /// An outlining or its removal ended: `text` says what the page shows.
    void outlined(const QString& text);

  private:
    void show(bool on);
    void setOutlineChecked(bool on);

    const Document& doc_;
    Browser& browser_;
    QAction* mode_ = nullptr;
    QAction* outline_ = nullptr;
    quint64 outlining_ = 0;  // the latest call to the browser; the answers of older ones are dropped
};
