// PageMarks: the marks of the selected stems, words or combinations in the page the browser shows.
// It gives the browser the written forms of each selected item (in a colour of its own), steps
// from one marked occurrence to the next or the previous one, and takes the marks out. Its
// commands are actions the window puts in a menu and on the browser's tool bar; how many were
// marked goes out as marked. Marking changes only the page on screen: it starts no analysis.
#pragma once

#include <QObject>
#include <QString>
#include <span>

#include "document/document.h"

class QAction;
class QMenu;
class QToolBar;
class Browser;

class PageMarks : public QObject {
    Q_OBJECT

  public:
    /// Works on `doc` and `browser`, which must outlive it.
    PageMarks(Document& doc, Browser& browser, QObject* parent = nullptr);

    /// Marks the occurrences of the items of display rows `rows` of a result list.
    void mark(ResultList list, std::span<const std::size_t> rows);
    /// Takes the marks out of the page.
    void clear();
    /// Forgets the marks of a page that was replaced: the commands wait for new marks.
    void forget();

    /// Puts the commands into `menu` and onto `bar`.
    void addCommands(QMenu* menu, QToolBar* bar);

    QAction* next() const { return next_; }
    QAction* previous() const { return previous_; }
    QAction* clearAction() const { return clear_; }

    /// The colour of the marks of the k-th selected item.
    static QString ColorOf(std::size_t k);

  signals:
    /// A marking ended: `text` says how many occurrences were marked, or which one is shown.
    void marked(const QString& text);

  private:
    void step(int direction);
    void enable(bool on);

    Document& doc_;
    Browser& browser_;
    QAction* next_ = nullptr;
    QAction* previous_ = nullptr;
    QAction* clear_ = nullptr;
    int count_ = 0;
};
