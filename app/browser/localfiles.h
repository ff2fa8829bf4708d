// Local pages in the embedded browser: a page opened from disk is a document, not a program.
//
// The web engine either lets a local page read every file the user can read (file URLs share one
// origin) or, with that switched off, loads no local image, style sheet or frame at all. So the
// browser shows local files through a scheme of its own instead of file:, served by
// LocalFileHandler and watched by RequestGuard, both under one Confinement that the browser keeps:
// - the document the user opened is served, and besides it only regular files in its folder and
//   the folders below it (a page saved "complete" with its _files folder shows as saved);
//   anything else answers as a file that is not there, so a page cannot even tell what exists;
//   a script must be a .js file and a style sheet a .css file;
// - a local page makes no network request (remote images, style sheets, frames, fonts, sockets),
//   and nothing by script reads a local file (XMLHttpRequest, fetch, workers), unless the user
//   allowed the page's scripts and remote content; the folder holds even then;
// - every document of the scheme gets an opaque origin of its own, and pages from the network
//   cannot load anything through it.
// The user never sees the scheme: addresses are shown as file: URLs.
//
// GUI thread only (the engine calls the handler and the guard there).
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlSchemeHandler>

namespace localfiles {

/// The scheme local files are shown through.
inline constexpr char kScheme[] = "sumoran-local";

/// Registers the scheme with the web engine; must run before the application object exists
/// (it runs by itself when the program starts).
void RegisterScheme();

/// True for an address of the local scheme.
bool IsLocal(const QUrl& url);

/// True for http and https addresses.
bool IsNetwork(const QUrl& url);

/// Maps a file: URL to the local scheme (path, query and fragment kept); other URLs unchanged.
QUrl ToEngineUrl(const QUrl& url);

/// Maps a URL of the local scheme back to the file: URL the user sees; other URLs unchanged.
QUrl ToShownUrl(const QUrl& url);

/// The file path of a URL of the local scheme or a file: URL; empty for any other.
QString PathOf(const QUrl& url);

/// The MIME type a local file is served with, from its name alone: .html, .htm and .shtml as
/// HTML, .xhtml and .xht as XHTML, others by their extension; never from the file's content.
QByteArray MimeTypeOf(const QString& path);

/// The outcome of reading a local file.
struct ReadResult {
    enum Status { kOk, kNotAFile, kTooLarge, kUnreadable } status = kUnreadable;
    QByteArray bytes;
};

/// Reads the regular file at `path` (symbolic links followed) without blocking on it; kNotAFile
/// for a directory, a FIFO, a device or a file that is not there, kTooLarge past `maxBytes`.
ReadResult ReadLocalFile(const QString& path, qint64 maxBytes);

/// What the local page on screen may load. The browser sets it when it lets a top-level navigation
/// to a local file go ahead, and clears it for a page from the network.
class Confinement {
  public:
    /// Confines to the document at `path` (a file path) and its folder, with scripts and remote
    /// content refused.
    void openDocument(const QString& path);
    /// No local document: nothing of the local scheme is served.
    void clear();
    /// Lets the page's scripts run and its remote content load (true) or not.
    void setContentAllowed(bool allowed) { contentAllowed_ = allowed; }

    bool contentAllowed() const { return contentAllowed_; }
    /// The document's path as opened, or empty.
    const QString& document() const { return document_; }
    /// True when `path` may be served: the document itself, or a file whose real path (symbolic
    /// links followed) lies in the document's folder or below.
    bool allows(const QString& path) const;

  private:
    QString document_;
    QString folder_;  // the real path of the document's folder, ending with '/'
    bool contentAllowed_ = false;
};

/// Serves the files of the local scheme that the confinement allows: regular files only, up to
/// kMaxPageBytes, typed by MimeTypeOf; a request a network page started is refused, and any file
/// outside the confinement answers as one that is not there.
class LocalFileHandler : public QWebEngineUrlSchemeHandler {
  public:
    LocalFileHandler(const Confinement& confinement, QObject* parent)
        : QWebEngineUrlSchemeHandler(parent), confinement_(confinement) {}
    void requestStarted(QWebEngineUrlRequestJob* job) override;

  private:
    const Confinement& confinement_;
};

/// Refuses what a page may not request: local files outside the confinement; scripts and style
/// sheets that are not script or CSS files; local files requested by a page from the network or by
/// script (XMLHttpRequest, fetch, pings, workers) whatever the page; and any network request of a
/// local page (images, style sheets, frames, fonts, sockets, beacons) unless the user allowed its
/// content. Top-level navigations are left to the navigation policy.
class RequestGuard : public QWebEngineUrlRequestInterceptor {
  public:
    RequestGuard(const Confinement& confinement, QObject* parent)
        : QWebEngineUrlRequestInterceptor(parent), confinement_(confinement) {}
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;

  private:
    const Confinement& confinement_;
};

}  // namespace localfiles
