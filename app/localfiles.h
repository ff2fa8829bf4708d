// Local pages in the embedded browser, confined as a desktop browser confines them.
//
// The web engine either lets a local page read every file the user can read (file URLs share one
// origin) or, with that switched off, loads no local image, style sheet or frame at all. So the
// browser shows local files through a scheme of its own instead of file:, served by
// LocalFileHandler: every document it serves gets an opaque origin of its own, so a page shows its
// images, style sheets and frames but its scripts can read none of them, and requests by script
// (XMLHttpRequest, fetch) are refused. Pages from the network cannot load anything through it.
// The user never sees the scheme: addresses are shown as file: URLs.
//
// GUI thread only.
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlSchemeHandler>

namespace localfiles {

/// The scheme local files are shown through.
inline constexpr char kScheme[] = "sumoran-local";

/// The most bytes a local file may have to be shown or read: larger ones are refused.
inline constexpr qint64 kMaxFileBytes = qint64{256} << 20;

/// Registers the scheme with the web engine; must run before the application object exists
/// (it runs by itself when the program starts).
void RegisterScheme();

/// True for an address of the local scheme.
bool IsLocal(const QUrl& url);

/// Maps a file: URL to the local scheme (path, query and fragment kept); other URLs unchanged.
QUrl ToEngineUrl(const QUrl& url);

/// Maps a URL of the local scheme back to the file: URL the user sees; other URLs unchanged.
QUrl ToShownUrl(const QUrl& url);

/// The outcome of reading a local file.
struct ReadResult {
    enum Status { kOk, kNotAFile, kTooLarge, kUnreadable } status = kUnreadable;
    QByteArray bytes;
};

/// Reads the regular file at `path` (symbolic links followed); kNotAFile for a directory, a
/// device or a file that is not there, kTooLarge past `maxBytes`.
ReadResult ReadLocalFile(const QString& path, qint64 maxBytes);

/// Serves the files of the local scheme: regular files only, up to kMaxFileBytes, with a MIME
/// type from the file's name and content; a request a network page started is refused.
class LocalFileHandler : public QWebEngineUrlSchemeHandler {
  public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    void requestStarted(QWebEngineUrlRequestJob* job) override;
};

/// Refuses requests for local files that do not come from a local page's own loading: any made by
/// a page from the network (or from a page inside one), and any made by script (XMLHttpRequest,
/// fetch, pings, workers) whatever the page.
class RequestGuard : public QWebEngineUrlRequestInterceptor {
  public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};

}  // namespace localfiles
