#include "app/localfiles.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>

namespace localfiles {
namespace {

bool IsNetworkScheme(const QString& scheme) {
    return scheme == QStringLiteral("http") || scheme == QStringLiteral("https");
}

// The path of a local-scheme URL as a file path.
QString FilePath(const QUrl& url) { return url.path(QUrl::FullyDecoded); }

// The regular file a path names after symbolic links, or an empty string.
QString RegularFile(const QString& path) {
    if (path.isEmpty()) return {};
    const QString target = QFileInfo(path).canonicalFilePath();
    if (target.isEmpty() || !QFileInfo(target).isFile()) return {};
    return target;
}

}  // namespace

void RegisterScheme() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    QWebEngineUrlScheme scheme(kScheme);
    // A path syntax like file:, so that relative links resolve; every document of it gets an
    // origin of its own, which no other document shares.
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    scheme.setFlags(QWebEngineUrlScheme::NoAccessAllowed);
    QWebEngineUrlScheme::registerScheme(scheme);
}

// The scheme must be known before the web engine starts, which is before any window exists.
Q_CONSTRUCTOR_FUNCTION(RegisterScheme)

bool IsLocal(const QUrl& url) { return url.scheme() == QLatin1String(kScheme); }

QUrl ToEngineUrl(const QUrl& url) {
    if (!url.isLocalFile()) return url;
    QUrl local;
    local.setScheme(QString::fromLatin1(kScheme));
    local.setPath(url.path(QUrl::FullyDecoded), QUrl::DecodedMode);
    if (url.hasQuery()) local.setQuery(url.query(QUrl::FullyEncoded), QUrl::StrictMode);
    if (url.hasFragment()) local.setFragment(url.fragment(QUrl::FullyEncoded), QUrl::StrictMode);
    return local;
}

QUrl ToShownUrl(const QUrl& url) {
    if (!IsLocal(url)) return url;
    QUrl shown = QUrl::fromLocalFile(FilePath(url));
    if (url.hasQuery()) shown.setQuery(url.query(QUrl::FullyEncoded), QUrl::StrictMode);
    if (url.hasFragment()) shown.setFragment(url.fragment(QUrl::FullyEncoded), QUrl::StrictMode);
    return shown;
}

ReadResult ReadLocalFile(const QString& path, qint64 maxBytes) {
    const QString file = RegularFile(path);
    if (file.isEmpty()) return {ReadResult::kNotAFile, {}};
    if (QFileInfo(file).size() > maxBytes) return {ReadResult::kTooLarge, {}};
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) return {ReadResult::kUnreadable, {}};
    // The size can change between the look and the read: never take more than allowed.
    QByteArray bytes = in.read(maxBytes + 1);
    if (bytes.size() > maxBytes) return {ReadResult::kTooLarge, {}};
    if (in.error() != QFileDevice::NoError) return {ReadResult::kUnreadable, {}};
    return {ReadResult::kOk, std::move(bytes)};
}

void LocalFileHandler::requestStarted(QWebEngineUrlRequestJob* job) {
    const QUrl initiator = job->initiator();
    if (initiator.isValid() && IsNetworkScheme(initiator.scheme())) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    const QString file = RegularFile(FilePath(job->requestUrl()));
    if (file.isEmpty()) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    if (QFileInfo(file).size() > kMaxFileBytes) {
        job->fail(QWebEngineUrlRequestJob::RequestFailed);
        return;
    }
    auto* device = new QFile(file, job);
    if (!device->open(QIODevice::ReadOnly)) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    job->reply(QMimeDatabase().mimeTypeForFile(file).name().toLatin1(), device);
}

void RequestGuard::interceptRequest(QWebEngineUrlRequestInfo& info) {
    if (!IsLocal(info.requestUrl())) return;
    using Info = QWebEngineUrlRequestInfo;
    switch (info.resourceType()) {
        case Info::ResourceTypeMainFrame:
            // A page from the network may not send the browser to a local file.
            if (IsNetworkScheme(info.initiator().scheme())) info.block(true);
            return;
        case Info::ResourceTypeSubFrame:
        case Info::ResourceTypeStylesheet:
        case Info::ResourceTypeScript:
        case Info::ResourceTypeImage:
        case Info::ResourceTypeFontResource:
        case Info::ResourceTypeSubResource:
        case Info::ResourceTypeMedia:
        case Info::ResourceTypeFavicon:
            // What a local page shows, but only within a local page.
            if (!IsLocal(info.firstPartyUrl()) || IsNetworkScheme(info.initiator().scheme())) info.block(true);
            return;
        default:
            // Requests by script, workers, pings, plug-ins: never for local files.
            info.block(true);
            return;
    }
}

}  // namespace localfiles
