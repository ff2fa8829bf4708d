#include "app/charsetmenu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include "views/qt/qtext.h"

namespace {

struct Item {
    CharsetChoice choice;
    const char* caption;  // with its mnemonic
    const char* name;
};

constexpr Item kItems[] = {
    {CharsetChoice::kAuto, "&Автоматически", "miCharsetAuto"},
    {CharsetChoice::kWindows1251, "&Windows-1251", "miCharsetWindows1251"},
    {CharsetChoice::kKoi8r, "&KOI8-R", "miCharsetKoi8r"},
    {CharsetChoice::kIso88595, "&ISO 8859-5", "miCharsetIso88595"},
    {CharsetChoice::kUtf8, "&UTF-8", "miCharsetUtf8"},
};

}  // namespace

CharsetMenu::CharsetMenu(QMenuBar* bar, std::function<void(CharsetChoice)> readAgain) : QObject(bar) {
    QMenu* menu = bar->addMenu(u("&Кодировка"));
    menu->setObjectName(QStringLiteral("mnCharset"));
    menu->setAccessibleName(u("Кодировка"));
    group_ = new QActionGroup(this);
    group_->setExclusive(true);
    for (const Item& i : kItems) {
        QAction* action = menu->addAction(u(i.caption));
        action->setObjectName(QString::fromLatin1(i.name));
        action->setCheckable(true);
        action->setData(static_cast<int>(i.choice));
        group_->addAction(action);
    }
    item(CharsetChoice::kAuto)->setChecked(true);
    // Only the user's choice reads the page again; checking an item already checked changes nothing.
    connect(group_, &QActionGroup::triggered, this, [this, readAgain = std::move(readAgain)](QAction* action) {
        const auto choice = static_cast<CharsetChoice>(action->data().toInt());
        if (choice == choice_) return;
        choice_ = choice;
        readAgain(choice);
    });
}

QAction* CharsetMenu::item(CharsetChoice choice) const {
    for (QAction* action : group_->actions()) {
        if (action->data().toInt() == static_cast<int>(choice)) return action;
    }
    return nullptr;
}
