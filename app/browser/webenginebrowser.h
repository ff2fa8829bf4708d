// The embedded browser over Qt WebEngine: a view, its page and a private off-the-record profile,
// configured as a sandbox for untrusted pages.
//
// What a page may do is decided here: navigations follow DecideNavigation (local files are shown
// through the confined local scheme, see localfiles.h); a local page's own scripts do not run
// unless the user allows them for it; downloads, permission requests, new windows and the modal
// script dialogs (alert, confirm, prompt) are refused, each with a Refused note. The markup is
// taken without asking the server again and handed over in memory, never written to a file: a
// local page (and its frames within its folder) read once from its file, any other page and its
// frames by a script in an isolated world that serializes the documents on screen, encoded in their
// own character encoding. A page that stops answering (a script that never ends, a dialog
// loop, a document too deep to lay out) is replaced by a fresh one before the next command that
// navigates: the engine ends its render process itself, which it does safely, unlike a process
// killed behind its back while a navigation starts.
// GUI thread only.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <functional>

#include "app/browser/browser.h"
#include "app/browser/localfiles.h"

class QLabel;
class QWebEngineDownloadRequest;
class QWebEngineLoadingInfo;
class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;

class WebEngineBrowser : public Browser {
    Q_OBJECT

  public:
    /// Creates the browser with its own profile, page and a view without a parent; the view may be
    /// put into a window, and the browser deletes it when it still exists at the browser's end.
    explicit WebEngineBrowser(QObject* parent = nullptr);
    /// Deletes the view, the page and the profile in that order; pending completions are dropped.
    ~WebEngineBrowser() override;

    /// Returns the web view, or nullptr once its owner has deleted it.
    QWidget* view() override;

    /// Loads an address with a scheme as that URL, and anything else as a local file path; nothing for
    /// an empty address. BeforeNavigate2 for an about: page comes from here, the engine reports none.
    void Navigate(const QString& address) override;
    void GoBack() override;
    void GoForward() override;
    void Stop() override;
    void Refresh() override;
    /// Navigates to the home address (about:blank unless set).
    void GoHome() override;
    void AllowLocalContent() override;

    bool Busy() const override;
    /// True once a load has finished with a document on screen.
    bool HasDocument() const override;
    /// Returns the page's URL (a local file as its file: URL); "about:blank" also before the first
    /// navigation.
    QString LocationURL() const override;
    quint64 PageSerial() const override { return serial_; }

    /// Hands over the top-level document: a local file's bytes as they are on disk, read once,
    /// any other page's doctype and root element as the page now holds them, in its own character
    /// encoding.
    void TakeDocument(qint64 maxBytes, Taken done) override;
    /// Counts the frames of the top-level document; 0 when the script cannot run.
    void CountFrames(Counted done) override;
    /// Hands over frame `index`'s doctype and root element in the frame's own character encoding,
    /// characters it cannot hold as numeric references; a frame of a local page from its file when
    /// the page's confinement allows that file. kFailed for a missing frame, or a frame of another
    /// origin that is not such a file.
    void TakeFrame(int index, qint64 maxBytes, Taken done) override;
    void MarkWords(const QList<MarkGroup>& groups, Counted done, Progress progress) override;
    void ShowMark(int step, Counted done) override;
    /// Runs OutlineScript in the page's isolated world.
    void OutlineBlocks(const QList<PageBlock>& blocks, Counted done) override;

    /// Sets the address GoHome navigates to.
    void setHomeAddress(const QString& address);
    /// Returns the address GoHome navigates to.
    QString homeAddress() const;
    /// Sets how long a page may take to answer before it counts as hung (2 s unless set).
    void setResponseTimeout(int milliseconds) { responseTimeoutMs_ = milliseconds; }

    /// Returns the process id of the page's render process, or 0 when there is none.
    qint64 renderProcessPid() const;

    /// Maps an address to the URL Navigate loads: a scheme of two letters or more keeps it a URL,
    /// anything else is a local path made absolute; an empty address gives an empty URL.
    static QUrl UrlFromAddress(const QString& address);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    class GuardedPage;
    friend class GuardedPage;

    GuardedPage* createPage();
    void replacePage();
    void applyDocumentPolicy(const QUrl& url, bool contentAllowed);
    void updateLocation();
    void onDocumentParsed();
    bool recentUserInput() const;
    bool onNavigationRequest(const QUrl& url, int type, bool mainFrame);
    void onNewWindowRequested(const QUrl& url, bool userInitiated);
    void onLoadingChanged(const QWebEngineLoadingInfo& info);
    void onRenderProcessTerminated(int status, int exitCode);
    void onDownloadRequested(QWebEngineDownloadRequest* download);
    void refuseDialog(const QString& text);
    void emitHistoryState();
    void load(const QUrl& url);
    void whenResponsive(std::function<void()> command);
    void showErrorPage(const QString& title, const QString& text);
    void hideErrorPage();
    void runSourceScript(int frame, qint64 maxBytes, std::function<void(const QVariant&)> done);
    void runCountScript(const QString& script, Counted done);
    void markStep(quint64 marking, Counted done, Progress progress);
    void post(std::function<void()> call);

    QWebEngineProfile* profile_ = nullptr;
    localfiles::Confinement confinement_;  // what the local page on screen may load
    quint64 marking_ = 0;                  // the number of the latest MarkWords
    localfiles::LocalFileHandler* localHandler_ = nullptr;
    localfiles::RequestGuard* guard_ = nullptr;
    GuardedPage* page_ = nullptr;
    QPointer<QWebEngineView> view_;
    QPointer<QLabel> errorPage_;
    QString home_ = QStringLiteral("about:blank");
    QUrl programUrl_;                          // the URL the program itself is loading, until the engine asks for it
    QUrl committed_;                           // the top-level document on screen, as the engine reports it
    LocalPage shownLocal_ = LocalPage::kNone;  // what LocalPageChange last said
    QUrl allowedReload_;                       // the local page whose reload gets its content allowed
    QUrl lostUrl_;                             // the page of a render process that was ended, for Refresh
    bool userNavigation_ = false;              // the top-level navigation under way was the user's or the program's
    QElapsedTimer userInput_;                  // since the user last clicked or typed in the page
    int activeLoads_ = 0;                      // loads started and not yet ended
    QUrl lastDropped_;                         // the last top-level URL refused, whose aborted load is no document
    bool loaded_ = false;                      // a document is on screen
    quint64 serial_ = 0;
    int responseTimeoutMs_ = 2000;
    quint64 pingToken_ = 0;  // the responsiveness check under way
    QString dialogNote_;     // the latest suppressed script dialog, until its note is shown
    int dialogCount_ = 0;
    quint64 dialogSerial_ = 0;  // the page the suppressed dialogs came from
    QTimer dialogTimer_;
    QString parsedToken_;       // what the program's script logs when a document is parsed
    quint64 parsedSerial_ = 0;  // the document DocumentParsed was last given for
    int progress_ = 0;          // the latest progress of a load
    int shownProgress_ = 0;     // the progress last reported
    QTimer progressTimer_;
};
