// The embedded browser as the main window sees it: the calls it makes and the events it handles.
//
// WebEngineBrowser implements it over Qt WebEngine; the window tests use an in-memory double.
// Everything runs on the GUI thread. Completion callbacks are always called later, from the event
// loop, never from inside the call that takes them.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QWidget;

class Browser : public QObject {
    Q_OBJECT

public:
    /// The commands of CommandStateChange.
    enum Command { kUpdateAll = -1, kForward = 1, kBack = 2 };

    using Done = std::function<void(bool ok)>;
    using Counted = std::function<void(int count)>;

    explicit Browser(QObject* parent = nullptr) : QObject(parent) {}

    /// Returns the widget that shows the page, or nullptr for a browser without one.
    virtual QWidget* view() = 0;

    /// Starts loading an address (a URL, or a local path); the events below follow.
    virtual void Navigate(const QString& address) = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void Stop() = 0;
    virtual void Refresh() = 0;
    /// Goes to the browser's home page.
    virtual void GoHome() = 0;

    /// True while a navigation or download is under way.
    virtual bool Busy() const = 0;
    /// True when the browser holds an HTML document (false before the first navigation).
    virtual bool HasDocument() const = 0;
    /// Returns the current address; "about:blank" for the blank page.
    virtual QString LocationURL() const = 0;

    /// Writes the markup of the top-level document to `path`, single-byte in the page's own
    /// encoding; `done(false)` when it cannot be saved.
    virtual void SaveDocument(const QString& path, Done done) = 0;
    /// Counts the frames of the top-level document (0 when it has none or they cannot be had).
    virtual void CountFrames(Counted done) = 0;
    /// Writes the markup of frame `index` (from 0) of the top-level document to `path`;
    /// `done(false)` when that frame's document cannot be had (for example another origin's).
    virtual void SaveFrame(int index, const QString& path, Done done) = 0;

signals:
    /// A navigation of the page or of one of its frames is about to start.
    void BeforeNavigate2(const QString& url);
    void ProgressChange(int progress, int maximum);
    /// kUpdateAll with whether the browser is busy, kForward and kBack with their availability.
    void CommandStateChange(int command, bool enable);
    void TitleChange(const QString& title);
    void DownloadBegin();
    void DownloadComplete();
    void NavigateComplete2();
    /// The document has finished loading.
    void DocumentComplete();
};
