#include "app/dictionaryoption.h"

#include <QAction>
#include <QMenu>
#include <QSettings>
#include <QSignalBlocker>

#include "app/habits.h"
#include "dictstem/dictionarystems.h"
#include "views/qt/qtext.h"

namespace {

const QString kDictionaryStemsKey = QStringLiteral("analysis/dictionaryStems");

}  // namespace

DictionaryOption::DictionaryOption(Document& doc, QMenu* menu, std::function<void(const QString&)> report,
                                   std::function<void()> reanalyse)
    : QObject(menu), doc_(doc) {
    item_ = menu->addAction(u("Словоосновы по словарю"));
    item_->setObjectName(QStringLiteral("miDictionaryStems"));
    item_->setCheckable(true);
    menu->setToolTipsVisible(true);
    // A stored choice that cannot be met stays stored: it applies once the dictionary is installed.
    if (habits::WindowSettings().value(kDictionaryStemsKey, false).toBool()) {
        if (setOn(true)) item_->setChecked(true);
    } else if (std::string problem = dictstem::UnreadableDictionaryFile(dictstem::DefaultDictionaryDirectory());
               !problem.empty()) {
        disable(problem);
    }
    connect(item_, &QAction::toggled, this,
            [this, report = std::move(report), reanalyse = std::move(reanalyse)](bool on) {
                if (!setOn(on)) {
                    report(item_->toolTip());
                    return;
                }
                habits::WindowSettings().setValue(kDictionaryStemsKey, on);
                reanalyse();
            });
}

DictionaryOption::~DictionaryOption() = default;

// Points the analysis at the dictionary (loading it the first time) or back at the built-in
// stemmer. Returns false, with the item greyed out, when the dictionary cannot be loaded.
bool DictionaryOption::setOn(bool on) {
    if (on && !dictionary_) {
        dictstem::DictionaryLoad load = dictstem::LoadDictionaryStems(dictstem::DefaultDictionaryDirectory());
        if (!load.stems) {
            disable(load.error);
            return false;
        }
        dictionary_ = std::move(load.stems);
    }
    setStemSource(on ? dictionary_.get() : nullptr);
    return true;
}

void DictionaryOption::setStemSource(StemSource* source) {
    IndexOptions options = doc_.analysis().options;
    options.stemSource = source;
    SetIndexOptions(doc_, options);
}

void DictionaryOption::disable(const std::string& reason) {
    const QSignalBlocker blocker(item_);
    item_->setChecked(false);
    item_->setEnabled(false);
    const QString message =
        u("Словарь недоступен, установите пакет hunspell-ru (%1)").arg(QString::fromStdString(reason));
    item_->setToolTip(message);
    item_->setStatusTip(message);
    setStemSource(nullptr);
}
