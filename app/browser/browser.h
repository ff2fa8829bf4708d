// The embedded browser as the main window sees it: the calls it makes and the events it handles.
//
// WebEngineBrowser implements it over Qt WebEngine; the window tests use an in-memory double.
// Everything runs on the GUI thread. Completion callbacks are always called later, from the event
// loop, never from inside the call that takes them.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

class QWidget;

/// The forms of one item to mark in the page, in one colour; a form of several words separated by
/// single spaces is a combination, marked where its words follow one another within a phrase.
struct MarkGroup {
    QStringList forms;
    QString color;  // a CSS colour
};

/// A block of the page to outline: the part it is in (0: the top-level document, k: the document of
/// frame k - 1 in window.frames order) and a CSS selector that finds it there.
struct PageBlock {
    int part = 0;
    QString selector;
};

class Browser : public QObject {
    Q_OBJECT

  public:
    /// The commands of CommandStateChange.
    enum Command { kUpdateAll = -1, kForward = 1, kBack = 2 };

    /// How taking a document's markup ended.
    enum class TakeResult {
        kOk,        // the bytes are the document's markup
        kFailed,    // no bytes: no such document, or it cannot be had
        kTooLarge,  // no bytes: the markup is longer than the caller allowed
    };

    /// What the page on screen may do beyond being shown.
    enum class LocalPage {
        kNone,            // a page from the network, the blank page, or none
        kConfined,        // a local file: its scripts do not run, it loads nothing from the network
        kContentAllowed,  // a local file whose scripts and remote content the user allowed
    };

    /// Gets how a take ended and, with kOk, the markup's bytes (empty otherwise).
    using Taken = std::function<void(TakeResult result, QByteArray bytes)>;
    using Counted = std::function<void(int count)>;
    using Progress = std::function<void(int percent)>;

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
    /// Shows the local page on screen again with its scripts and remote content allowed, until the
    /// next navigation; its files still come only from its own folder. Nothing for another page.
    virtual void AllowLocalContent() = 0;

    /// True while a navigation or download is under way.
    virtual bool Busy() const = 0;
    /// True when the browser holds an HTML document (false before the first navigation, after a
    /// load that failed and after the page's render process ended; true from DocumentParsed on).
    virtual bool HasDocument() const = 0;
    /// Returns the current address; "about:blank" for the blank page.
    virtual QString LocationURL() const = 0;
    /// Returns the number of the document on screen. It changes whenever another top-level document
    /// starts loading or the one on screen is lost, so that a result taken from an older document
    /// can be told apart and dropped.
    virtual quint64 PageSerial() const = 0;

    /// Hands over the markup of the top-level document in memory, single-byte in the page's own
    /// encoding, without asking the server for it again; at most `maxBytes` bytes, else kTooLarge.
    /// Nothing is written anywhere.
    virtual void TakeDocument(qint64 maxBytes, Taken done) = 0;
    /// Counts the frames of the top-level document (0 when it has none or they cannot be had).
    virtual void CountFrames(Counted done) = 0;
    /// Hands over the markup of frame `index` (from 0) of the top-level document in memory, at most
    /// `maxBytes` bytes, else kTooLarge; kFailed when that frame's document cannot be had (for
    /// example another origin's).
    virtual void TakeFrame(int index, qint64 maxBytes, Taken done) = 0;

    /// Takes out the marks of the page and of the frames it may read, then marks there every
    /// occurrence of the groups' forms a part at a time, so that the page and the window keep
    /// answering; `progress` gets the share of the page done after each part, `done` how many were
    /// marked. A newer call ends an older marking, whose `done` never comes. No group only takes the
    /// marks out. The page's own scripts do not run for it, and it loads nothing.
    virtual void MarkWords(const QList<MarkGroup>& groups, Counted done, Progress progress) = 0;
    /// Scrolls to the next (step > 0) or previous (step < 0) marked occurrence; `done` gets its
    /// number from 1, or 0 when nothing is marked.
    virtual void ShowMark(int step, Counted done) = 0;
    /// Takes the outline of blocks out of the page and of the frames it may read, then, for blocks,
    /// outlines the element each one's selector finds in its part and dims the rest of the page;
    /// `done` gets how many blocks were found. A selector that is not valid or finds nothing is
    /// skipped, and so are the blocks past the bounds of outlinescript.h. No block only takes the
    /// outline off. The page's own scripts do not run for it; the page gains only an attribute on
    /// the outlined elements and their ancestors and a style sheet of the program's.
    virtual void OutlineBlocks(const QList<PageBlock>& blocks, Counted done) = 0;

  signals:
    /// A navigation of the page or of one of its frames is about to start.
    void BeforeNavigate2(const QString& url);
    /// The top-level document now on screen is at `url`: the address to show (never a frame's,
    /// never one the browser refused).
    void LocationChange(const QString& url);
    /// What the document now on screen may do changed (a local page was shown or allowed more).
    void LocalPageChange(Browser::LocalPage state);
    void ProgressChange(int progress, int maximum);
    /// kUpdateAll with whether the browser is busy, kForward and kBack with their availability.
    void CommandStateChange(int command, bool enable);
    void TitleChange(const QString& title);
    void DownloadBegin();
    void DownloadComplete();
    void NavigateComplete2();
    /// The top-level document is parsed (DOMContentLoaded): its markup is whole, while its images,
    /// frames and the like may still load. At most once for each document.
    void DocumentParsed();
    /// The document has finished loading.
    void DocumentComplete();

    /// The page at `url` could not be loaded, for `reason` (a Russian text); no document follows.
    void LoadFailed(const QString& url, const QString& reason);
    /// The page's render process ended (it crashed or was killed); the document on screen is lost.
    void RenderProcessTerminated(const QString& reason);
    /// The browser refused something the page asked for or did (a navigation, a download, a
    /// permission, a dialog, a window); `text` says what, in Russian, for the status bar.
    void Refused(const QString& text);
    /// The user clicked a link whose scheme the browser does not show; the link was not followed.
    void ExternalLinkClicked(const QUrl& url);
};
