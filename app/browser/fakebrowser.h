// An in-memory Browser for the window's tests. The test sets what the browser holds (busy, the
// document, its address, the bytes a take hands over, the frames) and reads back what was asked of
// it. Nothing loads by itself: the test emits the events, one by one or as a whole page load
// through simulateLoad. Completions come later from the event loop, as the real browser's do, or
// wait until the test releases them.
#pragma once

#include <QByteArray>
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
    std::optional<QByteArray> document;             // what TakeDocument hands over; none: kFailed
    std::vector<std::optional<QByteArray>> frames;  // the frame count and each frame's bytes; none: it fails
    bool holdCompletions = false;                   // completions wait for releaseCompletions()
    quint64 serial = 1;                             // the page serial; simulateLoad counts it up

    // What was asked of it.
    QStringList navigated;             // the addresses given to Navigate
    QStringList commands;              // "GoBack", "GoForward", "Stop", "Refresh", "GoHome", …
    int takenDocuments = 0;            // how often TakeDocument was called
    std::vector<int> takenFrames;      // the frame indexes given to TakeFrame
    QList<MarkGroup> marked;           // the groups of the last MarkWords
    int markCount = 0;                 // what MarkWords reports
    QList<int> markSteps;              // the steps given to ShowMark
    QList<QList<PageBlock>> outlines;  // the blocks of each OutlineBlocks call, oldest first
    int outlineCount = -1;             // what OutlineBlocks reports for blocks; -1: how many it was given

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

    /// Hands over `document` as it is when the completion runs; kFailed without a document,
    /// kTooLarge past `maxBytes`.
    void TakeDocument(qint64 maxBytes, Taken done) override {
        ++takenDocuments;
        complete([this, maxBytes, done = std::move(done)] { take(document, maxBytes, done); });
    }

    /// Gives the size of `frames`.
    void CountFrames(Counted done) override {
        complete([this, done = std::move(done)] { done(static_cast<int>(frames.size())); });
    }

    /// Hands over `frames[index]` as it is when the completion runs; kFailed for an index out of
    /// range or a frame without bytes, kTooLarge past `maxBytes`.
    void TakeFrame(int index, qint64 maxBytes, Taken done) override {
        takenFrames.push_back(index);
        complete([this, index, maxBytes, done = std::move(done)] {
            const bool known = index >= 0 && static_cast<std::size_t>(index) < frames.size();
            take(known ? frames[static_cast<std::size_t>(index)] : std::nullopt, maxBytes, done);
        });
    }
    void MarkWords(const QList<MarkGroup>& groups, Counted done, Progress) override {
        marked = groups;
        complete([done, count = groups.isEmpty() ? 0 : markCount] { done(count); });
    }
    /// Records the blocks; reports `outlineCount`, or their number, and 0 for none.
    void OutlineBlocks(const QList<PageBlock>& blocks, Counted done) override {
        outlines << blocks;
        const int count = blocks.isEmpty() ? 0 : outlineCount >= 0 ? outlineCount : static_cast<int>(blocks.size());
        complete([done, count] { done(count); });
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
    static void take(const std::optional<QByteArray>& bytes, qint64 maxBytes, const Taken& done) {
        if (!bytes) return done(TakeResult::kFailed, {});
        if (bytes->size() > maxBytes) return done(TakeResult::kTooLarge, {});
        done(TakeResult::kOk, *bytes);
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
