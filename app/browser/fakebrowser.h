// An in-memory Browser for the window's tests. The test sets what the browser holds (busy, the
// document, its address, the bytes a save writes, the frames) and reads back what was asked of
// it. Nothing loads by itself: the test emits the events, one by one or as a whole page load
// through simulateLoad. Completions come later from the event loop, as the real browser's do, or
// wait until the test releases them.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QMetaObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "app/browser/browser.h"

class FakeBrowser : public Browser {
  public:
    // What the browser holds; the test sets these.
    bool busy = false;
    bool hasDocument = false;
    QString location = QStringLiteral("about:blank");
    bool canGoBack = false;                         // sent by simulateLoad
    bool canGoForward = false;                      // sent by simulateLoad
    std::optional<QByteArray> document;             // what SaveDocument writes; none: kFailed
    std::vector<std::optional<QByteArray>> frames;  // the frame count and each frame's bytes; none: it fails
    bool holdCompletions = false;                   // completions wait for releaseCompletions()
    quint64 serial = 1;                             // the page serial; simulateLoad counts it up

    // What was asked of it.
    QStringList navigated;                             // the addresses given to Navigate
    QStringList commands;                              // "GoBack", "GoForward", "Stop", "Refresh", "GoHome", …
    QStringList savedDocuments;                        // the paths given to SaveDocument
    std::vector<std::pair<int, QString>> savedFrames;  // the frame indexes and paths given to SaveFrame
    QList<MarkGroup> marked;                           // the groups of the last MarkWords
    int markCount = 0;                                 // what MarkWords reports
    QList<int> markSteps;                              // the steps given to ShowMark

    using Browser::Browser;

    /// Has no widget.
    QWidget* view() override { return nullptr; }

    /// Records the address; no event follows unless the test emits it.
    void Navigate(const QString& address) override { navigated << address; }
    void GoBack() override { commands << QStringLiteral("GoBack"); }
    void GoForward() override { commands << QStringLiteral("GoForward"); }
    void Stop() override { commands << QStringLiteral("Stop"); }
    void Refresh() override { commands << QStringLiteral("Refresh"); }
    void GoHome() override { commands << QStringLiteral("GoHome"); }
    void AllowLocalContent() override { commands << QStringLiteral("AllowLocalContent"); }

    bool Busy() const override { return busy; }
    bool HasDocument() const override { return hasDocument; }
    QString LocationURL() const override { return location; }
    quint64 PageSerial() const override { return serial; }

    /// Writes `document` to `path` when the completion runs; kFailed without a document or when
    /// the file cannot be written, kTooLarge past `maxBytes`.
    void SaveDocument(const QString& path, qint64 maxBytes, SaveDone done) override {
        savedDocuments << path;
        complete([this, path, maxBytes, done = std::move(done)] { done(save(document, path, maxBytes)); });
    }

    /// Gives the size of `frames`.
    void CountFrames(Counted done) override {
        complete([this, done = std::move(done)] { done(static_cast<int>(frames.size())); });
    }

    /// Writes `frames[index]` to `path` when the completion runs; kFailed for an index out of
    /// range, a frame without bytes, or a file that cannot be written, kTooLarge past `maxBytes`.
    void SaveFrame(int index, const QString& path, qint64 maxBytes, SaveDone done) override {
        savedFrames.emplace_back(index, path);
        complete([this, index, path, maxBytes, done = std::move(done)] {
            const bool known = index >= 0 && static_cast<std::size_t>(index) < frames.size();
            done(save(known ? frames[static_cast<std::size_t>(index)] : std::nullopt, path, maxBytes));
        });
    }
    void MarkWords(const QList<MarkGroup>& groups, Counted done, Progress) override {
        marked = groups;
        complete([done, count = groups.isEmpty() ? 0 : markCount] { done(count); });
    }
    void ShowMark(int step, Counted done) override {
        markSteps << step;
        complete([done, count = markCount] { done(count > 0 ? 1 : 0); });
    }

    /// Returns how many completions wait for releaseCompletions().
    int heldCompletions() const { return static_cast<int>(held_.size()); }

    /// Runs the completions held so far, oldest first; those they start in turn are held or queued anew.
    void releaseCompletions() {
        std::vector<std::function<void()>> ready = std::exchange(held_, {});
        for (const std::function<void()>& call : ready) call();
    }

    /// Emits the events of one complete page load of `url` in the real browser's order, showing
    /// `title` when given: the browser is busy in between and afterwards holds that document.
    void simulateLoad(const QString& url, const QString& title = {}) {
        ++serial;
        emit BeforeNavigate2(url);
        busy = true;
        emit DownloadBegin();
        emit CommandStateChange(kUpdateAll, true);
        emit ProgressChange(50, 100);
        location = url;
        emit LocationChange(url);
        if (!title.isEmpty()) emit TitleChange(title);
        emit ProgressChange(100, 100);
        busy = false;
        hasDocument = true;
        emit DownloadComplete();
        emit NavigateComplete2();
        emit CommandStateChange(kUpdateAll, false);
        emit CommandStateChange(kForward, canGoForward);
        emit CommandStateChange(kBack, canGoBack);
        emit DocumentComplete();
    }

  private:
    static Saved save(const std::optional<QByteArray>& bytes, const QString& path, qint64 maxBytes) {
        if (!bytes) return Saved::kFailed;
        if (bytes->size() > maxBytes) return Saved::kTooLarge;
        QFile file(path);
        const bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(*bytes) == bytes->size();
        return ok ? Saved::kOk : Saved::kFailed;
    }

    // Queued on this object, so a completion still waiting when the fake is destroyed is dropped.
    void complete(std::function<void()> call) {
        if (holdCompletions) {
            held_.push_back(std::move(call));
            return;
        }
        QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
    }

    std::vector<std::function<void()>> held_;
};
