// The "Справка" menu: the user guide shipped with the program, its section on support, and the
// about box.
#pragma once

#include <QString>
#include <functional>

class QDialog;
class QMenuBar;

/// Returns the user guide beside the program (build tree) or among its installed data files.
QString UserGuidePath();

/// Adds the menu to `bar`: `open` goes to an address in the browser; `aboutBox` gives the box
/// "О программе..." shows (none: the entry does nothing).
void AddHelpMenu(QMenuBar* bar, std::function<void(const QString&)> open, std::function<QDialog*()> aboutBox);
