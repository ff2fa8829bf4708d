// The menu "Кодировка": how the window reads its pages, automatically (the default) or as one
// charset the user chose, for a page the detection misreads. The choice holds for the pages that
// follow until "Автоматически" is chosen again, for this session only. The menu keeps the parts of
// the page last taken from the browser, so that a choice reads the page on screen again at once
// without loading it anew.
#pragma once

#include <QObject>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "document/document.h"

class QAction;
class QActionGroup;
class QMenuBar;

class CharsetMenu : public QObject {
    Q_OBJECT

  public:
    /// Adds the menu to `bar`, with "Автоматически" checked, and sets the document's choice to it.
    /// `readAgain` is called when the user has chosen another charset (already the document's
    /// choice), to analyse the page kept again.
    CharsetMenu(Document& doc, QMenuBar* bar, std::function<void()> readAgain);

    /// Keeps the parts of the page just taken (the document, then its frames; none when nothing was
    /// taken) in place of the last ones, and returns them for the analysis.
    std::span<const std::string> keepPage(std::vector<std::string> parts);
    /// The parts of the page last taken; empty when none was.
    std::span<const std::string> page() const { return parts_; }

    /// The menu item of a choice.
    QAction* item(CharsetChoice choice) const;

  private:
    Document& doc_;
    QActionGroup* group_ = nullptr;
    std::vector<std::string> parts_;
};
