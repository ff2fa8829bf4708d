// ReferenceComparison: the reference the page on screen is compared with. "Сравнить с..." in
// "Файл" asks for a page (a file or an address), a folder of pages or the JSON Lines of a batch
// (*.jsonl); the pages are read and analysed on a thread of their own with the settings of the page
// on screen (coefficients, stop words, index options, stems, main-text mode) and never shown, and
// summed as sumoran-cli compare sums them. The reference stays until "Убрать эталон" or another
// choice; a label for the status bar names it. The window stays usable while it is read.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/document.h"
#include "reference/corpus.h"

class QAction;
class QLabel;
class QMenu;
class QThread;
class QWidget;

class ReferenceComparison : public QObject {
    Q_OBJECT

  public:
    /// Works with the settings of `doc` (which must outlive it) and reads the reference in the
    /// main-text mode that `content` gives at the time of the choice.
    ReferenceComparison(Document& doc, std::function<ContentMode()> content, QWidget* parent);
    ~ReferenceComparison() override;

    /// Adds "Сравнить с..." and "Убрать эталон" to `file`.
    void addCommands(QMenu* file);
    /// Replaces the dialog that asks for the reference (an empty answer cancels).
    void setReferenceAsker(std::function<QString()> ask) { ask_ = std::move(ask); }

    /// Reads `name` (a file, a folder, an address or a .jsonl file) as the new reference; the one
    /// before stays until it is read.
    void load(const QString& name);
    /// Drops the reference, or stops the reading under way.
    void clear();
    /// Reads the reference again with the settings as they now are, as a change of the settings or
    /// of the main-text mode needs; a batch's JSON Lines hold their own analysis and stay.
    void settingsChanged();

    bool loading() const { return thread_ != nullptr; }
    /// The reference, or null when there is none.
    const Corpus* reference() const { return reference_.get(); }
    /// What the user named as the reference.
    QString name() const { return name_; }
    /// The status-bar label: the reference's name, or that it is being read; hidden without one.
    QLabel* statusLabel() const { return label_; }

  signals:
    /// A reference was read or dropped.
    void referenceChanged();
    /// A reference could not be read: why (the reference before stays).
    void failed(const QString& message);

  private:
    void finished();
    void showLabel();

    Document& doc_;
    std::function<ContentMode()> content_;
    std::function<QString()> ask_;
    QWidget* parent_;
    std::unique_ptr<Corpus> reference_;
    QString name_;
    QString loadingName_;
    QThread* thread_ = nullptr;      // the latest reading, while it runs
    std::vector<QThread*> threads_;  // every reading still running, the stopped ones included
    unsigned generation_ = 0;        // of the latest reading
    std::shared_ptr<std::atomic<bool>> cancel_;
    // What the reading thread leaves: the sums or why there are none.
    struct Reading {
        Corpus corpus;
        std::optional<std::string> error;
    };
    std::shared_ptr<Reading> reading_;
    QLabel* label_ = nullptr;
    QAction* clear_ = nullptr;
};
