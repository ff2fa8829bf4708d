// The menu item "Словоосновы по словарю": stems from the Hunspell dictionary instead of the
// built-in stemmer, stored in the window's own settings file and greyed out when the dictionary
// cannot be read.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "document/document.h"

class QAction;
class QMenu;

namespace dictstem {
class DictionaryStems;
}

class DictionaryOption : public QObject {
    Q_OBJECT

  public:
    /// Adds the item to `menu`, checked as last stored when the dictionary loads. `report` shows a
    /// message; `reanalyse` runs the analysis again after a change.
    DictionaryOption(Document& doc, QMenu* menu, std::function<void(const QString&)> report,
                     std::function<void()> reanalyse);
    ~DictionaryOption() override;

  private:
    bool setOn(bool on);
    void disable(const std::string& reason);
    void setStemSource(StemSource* source);

    Document& doc_;
    QAction* item_ = nullptr;
    std::unique_ptr<dictstem::DictionaryStems> dictionary_;  // loaded when first needed, kept for the process
};
