#include "app/pagemarks.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QToolBar>
#include <array>

#include "app/browser/browser.h"
#include "document/wordsincontext.h"
#include "resources/icons.h"
#include "views/qt/qtext.h"

namespace {

QAction* MakeAction(QObject* parent, const char* name, IconId icon, const char* text, const QKeySequence& keys) {
    auto* action = new QAction(Icon(icon), u(text), parent);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(keys);
    return action;
}

}  // namespace

PageMarks::PageMarks(Document& doc, Browser& browser, QObject* parent) : QObject(parent), doc_(doc), browser_(browser) {
    next_ = MakeAction(this, "miNextMark", IconId::kNextMark, "&Следующее", QKeySequence(Qt::Key_F3));
    previous_ =
        MakeAction(this, "miPreviousMark", IconId::kPreviousMark, "&Предыдущее", QKeySequence(Qt::SHIFT | Qt::Key_F3));
    clear_ = MakeAction(this, "miClearPageMarks", IconId::kClearPageMarks, "Снять &отметки", QKeySequence());
    next_->setToolTip(u("Следующее отмеченное вхождение"));
    previous_->setToolTip(u("Предыдущее отмеченное вхождение"));
    clear_->setToolTip(u("Снять отметки в странице"));
    connect(next_, &QAction::triggered, this, [this] { step(1); });
    connect(previous_, &QAction::triggered, this, [this] { step(-1); });
    connect(clear_, &QAction::triggered, this, &PageMarks::clear);
    enable(false);
}

void PageMarks::addCommands(QMenu* menu, QToolBar* bar) {
    menu->addActions({next_, previous_, clear_});
    bar->addSeparator();
    bar->addActions({previous_, next_, clear_});
}

QString PageMarks::ColorOf(std::size_t k) {
    static constexpr std::array<const char*, 8> kColors = {"#ffff66", "#a0ffa0", "#a0e0ff", "#ffb0b0",
                                                           "#ffc8ff", "#ffd080", "#c8c8ff", "#d0ffd0"};
    return QString::fromLatin1(kColors[k % kColors.size()]);
}

void PageMarks::mark(ResultList list, std::span<const std::size_t> rows) {
    const std::vector<ConcordanceQuery> queries = QueriesOf(doc_, list, rows);
    const std::vector<std::vector<std::string>> forms = WrittenForms(doc_, queries);
    QList<MarkGroup> groups;
    for (std::size_t k = 0; k < forms.size(); ++k) {
        MarkGroup group;
        for (const std::string& form : forms[k]) group.forms << FromCp1251(form);
        group.color = ColorOf(k);
        groups << group;
    }
    if (groups.isEmpty()) return;
    QPointer<PageMarks> self(this);
    emit marked(u("Отмечаю в странице..."));
    browser_.MarkWords(
        groups,
        [self](int count) {
            if (!self) return;
            self->count_ = count;
            self->enable(count > 0);
            emit self->marked(u("Отмечено в странице: %1").arg(count));
        },
        [self](int percent) {
            if (self) emit self->marked(u("Отмечаю в странице: %1 %").arg(percent));
        });
}

void PageMarks::clear() {
    QPointer<PageMarks> self(this);
    browser_.MarkWords({},
                       [self](int) {
                           if (!self) return;
                           self->forget();
                           emit self->marked(u("Отметки сняты"));
                       },
                       {});
}

void PageMarks::forget() {
    count_ = 0;
    enable(false);
}

void PageMarks::step(int direction) {
    QPointer<PageMarks> self(this);
    browser_.ShowMark(direction, [self](int number) {
        if (!self || number == 0) return;
        emit self->marked(u("Отмечено в странице: %1 (показано: %2)").arg(self->count_).arg(number));
    });
}

void PageMarks::enable(bool on) {
    next_->setEnabled(on);
    previous_->setEnabled(on);
    clear_->setEnabled(on);
}
