// The embedded browser over Qt WebEngine: a view, its page and a private off-the-record profile.
//
// Navigation requests of the page and of its frames are reported as BeforeNavigate2; the page's
// load signals become the remaining events. The top-level document is saved through Chromium's
// "save page as HTML only", which writes the bytes the page was loaded from; frames are taken
// through script in an isolated world and written in their own character encoding.
// GUI thread only.
#pragma once

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <optional>

#include "app/browser.h"

class QWebEngineDownloadRequest;
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

    bool Busy() const override;
    /// True once a load has finished, whatever page that load left on screen.
    bool HasDocument() const override;
    /// Returns the page's URL; "about:blank" also before the first navigation.
    QString LocationURL() const override;

    /// Saves the top-level document's original bytes, replacing the file; done(false) when nothing is
    /// loaded, another save is still running, the engine writes no file, or the timeout passes first.
    void SaveDocument(const QString& path, Done done) override;
    /// Counts the frames of the top-level document; 0 when the script cannot run.
    void CountFrames(Counted done) override;
    /// Writes frame `index`'s doctype and root element in the frame's own character encoding,
    /// characters it cannot hold as numeric references; done(false) for a missing or foreign frame.
    void SaveFrame(int index, const QString& path, Done done) override;

    /// Sets the address GoHome navigates to.
    void setHomeAddress(const QString& address);
    /// Returns the address GoHome navigates to.
    QString homeAddress() const;

    /// Sets how long a document save may take (30 s unless set) before it is given up with done(false).
    void setSaveTimeout(int milliseconds);

    /// Maps an address to the URL Navigate loads: a scheme of two letters or more keeps it a URL,
    /// anything else is a local path made absolute; an empty address gives an empty URL.
    static QUrl UrlFromAddress(const QString& address);

private:
    void onLoadStarted();
    void onLoadFinished();
    void emitHistoryState();
    void onDownloadRequested(QWebEngineDownloadRequest* download);
    void finishSave(bool ok);
    void post(std::function<void()> call);

    QWebEngineProfile* profile_ = nullptr;
    QWebEnginePage* page_ = nullptr;
    QPointer<QWebEngineView> view_;
    QString home_ = QStringLiteral("about:blank");
    bool busy_ = false;
    bool loaded_ = false;

    // The one save under way: its target, its completion, its download once the engine asked.
    struct PendingSave {
        QString path;
        Done done;
        QPointer<QWebEngineDownloadRequest> download;
    };
    std::optional<PendingSave> save_;
    QTimer saveTimer_;
};
