// The menu "Кодировка": how the window reads its pages, automatically (the default) or as one
// charset the user chose, for a page the detection misreads. The choice holds for the pages that
// follow until "Автоматически" is chosen again, for this session only. A choice reads the page on
// screen again at once from the parts the document keeps, without loading it anew.
#pragma once

#include <QObject>
#include <functional>

#include "engine/charset.h"

class QAction;
class QActionGroup;
class QMenuBar;

class CharsetMenu : public QObject {
    Q_OBJECT

  public:
    /// Adds the menu to `bar`, with "Автоматически" checked. `readAgain` is called with the choice
    /// when the user has chosen another charset, to read the page on screen again.
    CharsetMenu(QMenuBar* bar, std::function<void(CharsetChoice)> readAgain);

    /// The charset checked: how the pages that follow are read.
    CharsetChoice choice() const { return choice_; }

    /// The menu item of a choice.
    QAction* item(CharsetChoice choice) const;

  private:
    QActionGroup* group_ = nullptr;
    CharsetChoice choice_ = CharsetChoice::kAuto;
};
