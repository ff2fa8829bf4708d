#include "app/maintextmode.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QSettings>
#include <QSignalBlocker>
#include <QToolBar>
#include <utility>

#include "app/browser/browser.h"
#include "app/habits.h"
#include "document/document.h"
#include "resources/icons.h"
#include "views/qt/qtext.h"

namespace {

const QString kMainTextKey = QStringLiteral("analysis/mainText");

// Why no main text was found, in Russian; empty for a reason without a text of its own.
QString ReasonText(const std::string& reason) {
    static const std::pair<const char*, const char*> kReasons[] = {
        {"frameset", "набор кадров"}, {"too-little-text", "слишком мало текста"}, {"no-text", "нет текста"},
        {"empty", "нет текста"},      {"too-large", "страница слишком велика"},
    };
    for (const auto& [name, text] : kReasons) {
        if (reason == name) return u(text);
    }
    return {};
}

QAction* MakeAction(QObject* parent, const char* name, IconId icon, const char* text, const char* hint) {
    auto* action = new QAction(Icon(icon), u(text), parent);
    action->setObjectName(QString::fromLatin1(name));
    action->setCheckable(true);
    action->setToolTip(u(hint));
    action->setStatusTip(u(hint));
    return action;
}

// Puts `action` on `bar` with a button named like it that carries its hint as accessible name.
void AddToBar(QToolBar* bar, QAction* action) {
    bar->addAction(action);
    if (QWidget* button = bar->widgetForAction(action)) {
        button->setObjectName(action->objectName());
        button->setAccessibleName(action->toolTip());
    }
}

}  // namespace

QString ContentStatus(const ContentReport& report) {
    if (report.mode != ContentMode::kMain) return {};
    if (report.found) return u("Основной текст: %1 слов из %2").arg(report.mainWords).arg(report.pageWords);
    const QString reason = ReasonText(report.reason);
    if (reason.isEmpty()) return u("Основной текст не найден: проанализирована вся страница");
    return u("Основной текст не найден (%1): проанализирована вся страница").arg(reason);
}

MainTextMode::MainTextMode(const Document& doc, Browser& browser, QObject* parent)
    : QObject(parent), doc_(doc), browser_(browser) {
    mode_ = MakeAction(this, "miMainText", IconId::kMainText, "Только основной текст",
                       "Анализировать только основной текст страницы, без меню, подвалов и боковых колонок");
    outline_ = MakeAction(this, "miShowMainText", IconId::kShowMainText, "Показать основной текст",
                          "Выделить в странице блоки основного текста");
    mode_->setChecked(habits::WindowSettings().value(kMainTextKey, false).toBool());
    outline_->setEnabled(false);
    connect(mode_, &QAction::toggled, this, [this](bool on) {
        habits::WindowSettings().setValue(kMainTextKey, on);
        emit modeChanged(mode());
    });
    connect(outline_, &QAction::toggled, this, &MainTextMode::show);
}

ContentMode MainTextMode::mode() const { return mode_->isChecked() ? ContentMode::kMain : ContentMode::kPage; }

void MainTextMode::addCommands(QMenu* settings, QMenu* marks, QToolBar* bar) {
    settings->addSeparator();
    settings->addAction(mode_);
    marks->addSeparator();
    marks->addAction(outline_);
    bar->addSeparator();
    AddToBar(bar, mode_);
    AddToBar(bar, outline_);
}

void MainTextMode::analysed() {
    takeOff();
    const ContentReport& content = doc_.content();
    outline_->setEnabled(content.mode == ContentMode::kMain && content.found && !content.blocks.empty());
}

void MainTextMode::forget() {
    ++outlining_;
    setOutlineChecked(false);
}

void MainTextMode::takeOff() {
    if (outline_->isChecked()) outline_->setChecked(false);  // show(false) takes it off
}

// Outlines the blocks of the last run in the page, or takes the outline off.
void MainTextMode::show(bool on) {
    QList<PageBlock> blocks;
    if (on) {
        for (const ContentBlock& block : doc_.content().blocks)
            blocks << PageBlock{static_cast<int>(block.part), QString::fromStdString(block.selector)};
    }
    const quint64 call = ++outlining_;
    QPointer<MainTextMode> self(this);
    browser_.OutlineBlocks(blocks, [self, call, on, given = blocks.size()](int count) {
        if (!self || self->outlining_ != call) return;
        if (!on) {
            emit self->outlined(u("Выделение основного текста снято"));
            return;
        }
        if (count == 0) {
            self->setOutlineChecked(false);
            emit self->outlined(u("Блоки основного текста не найдены в странице"));
            return;
        }
        emit self->outlined(u("Основной текст выделен в странице: блоков %1 из %2").arg(count).arg(given));
    });
}

void MainTextMode::setOutlineChecked(bool on) {
    const QSignalBlocker blocker(outline_);
    outline_->setChecked(on);
}
