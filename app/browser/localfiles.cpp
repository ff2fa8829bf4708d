#include "app/browser/localfiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <memory>

#include "page/bounds.h"

namespace localfiles {
namespace {

// An open regular file, or why there is none.
struct OpenFile {
    ReadResult::Status status = ReadResult::kNotAFile;
    std::unique_ptr<QFile> file;
};

// Opens `path` for reading without blocking (a FIFO would wait for a writer for ever) and keeps it
// only when it is a regular file of at most `maxBytes`.
OpenFile OpenRegularFile(const QString& path, qint64 maxBytes) {
    if (path.isEmpty()) return {};
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {errno == EACCES ? ReadResult::kUnreadable : ReadResult::kNotAFile, nullptr};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return {};
    }
    if (st.st_size > maxBytes) {
        ::close(fd);
        return {ReadResult::kTooLarge, nullptr};
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {ReadResult::kUnreadable, nullptr};
    }
    return {ReadResult::kOk, std::move(file)};
}

// True when a local file may serve as what the page asks for: a script must be a script file and a
// style sheet a CSS file, so that no other file the folder holds runs as one and gives its words
// away in an error message.
bool FitsRequest(const QString& path, QWebEngineUrlRequestInfo::ResourceType type) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (type == QWebEngineUrlRequestInfo::ResourceTypeScript)
        return suffix == QStringLiteral("js") || suffix == QStringLiteral("mjs");
    if (type == QWebEngineUrlRequestInfo::ResourceTypeStylesheet) return suffix == QStringLiteral("css");
    return true;
}

bool IsInert(const QUrl& url) {
    // Data and blob addresses are made inside the page: asking for them sends nothing anywhere.
    return url.scheme() == QStringLiteral("data") || url.scheme() == QStringLiteral("blob");
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

bool IsNetwork(const QUrl& url) {
    return url.scheme() == QStringLiteral("http") || url.scheme() == QStringLiteral("https");
}

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
    QUrl shown = QUrl::fromLocalFile(PathOf(url));
    if (url.hasQuery()) shown.setQuery(url.query(QUrl::FullyEncoded), QUrl::StrictMode);
    if (url.hasFragment()) shown.setFragment(url.fragment(QUrl::FullyEncoded), QUrl::StrictMode);
    return shown;
}

QString PathOf(const QUrl& url) {
    if (url.isLocalFile()) return url.toLocalFile();
    return IsLocal(url) ? url.path(QUrl::FullyDecoded) : QString();
}

QByteArray MimeTypeOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QStringLiteral("html") || suffix == QStringLiteral("htm") || suffix == QStringLiteral("shtml"))
        return "text/html";
    if (suffix == QStringLiteral("xhtml") || suffix == QStringLiteral("xht")) return "application/xhtml+xml";
    static const QMimeDatabase database;
    return database.mimeTypeForFile(path, QMimeDatabase::MatchExtension).name().toLatin1();
}

ReadResult ReadLocalFile(const QString& path, qint64 maxBytes) {
    OpenFile open = OpenRegularFile(path, maxBytes);
    if (open.status != ReadResult::kOk) return {open.status, {}};
    // The size can change between the look and the read: never take more than allowed.
    QByteArray bytes = open.file->read(maxBytes + 1);
    if (bytes.size() > maxBytes) return {ReadResult::kTooLarge, {}};
    if (open.file->error() != QFileDevice::NoError) return {ReadResult::kUnreadable, {}};
    return {ReadResult::kOk, std::move(bytes)};
}

void Confinement::openDocument(const QString& path) {
    document_ = QFileInfo(path).absoluteFilePath();
    folder_ = QFileInfo(document_).absoluteDir().canonicalPath();
    if (!folder_.isEmpty() && !folder_.endsWith(u'/')) folder_ += u'/';
    contentAllowed_ = false;
}

void Confinement::clear() {
    document_.clear();
    folder_.clear();
    contentAllowed_ = false;
}

bool Confinement::allows(const QString& path) const {
    if (path.isEmpty() || document_.isEmpty()) return false;
    if (QFileInfo(path).absoluteFilePath() == document_) return true;
    const QString real = QFileInfo(path).canonicalFilePath();
    return !folder_.isEmpty() && !real.isEmpty() && real.startsWith(folder_);
}

void LocalFileHandler::requestStarted(QWebEngineUrlRequestJob* job) {
    const QUrl initiator = job->initiator();
    if (initiator.isValid() && IsNetwork(initiator)) {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    const QString path = PathOf(job->requestUrl());
    // A file outside the confinement answers as one that is not there, so that its existence
    // cannot be told either.
    if (!confinement_.allows(path)) {
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    OpenFile open = OpenRegularFile(path, static_cast<qint64>(kMaxPageBytes));
    if (open.status != ReadResult::kOk) {
        job->fail(open.status == ReadResult::kTooLarge ? QWebEngineUrlRequestJob::RequestFailed
                                                       : QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    QFile* device = open.file.release();
    device->setParent(job);
    job->reply(MimeTypeOf(path), device);
}

void RequestGuard::interceptRequest(QWebEngineUrlRequestInfo& info) {
    using Info = QWebEngineUrlRequestInfo;
    const QUrl url = info.requestUrl();
    const bool localPage = IsLocal(info.firstPartyUrl());
    if (info.resourceType() == Info::ResourceTypeMainFrame) {
        // A page from the network may not send the browser to a local file.
        if (IsLocal(url) && IsNetwork(info.initiator())) info.block(true);
        return;
    }
    if (!IsLocal(url)) {
        // What a local page would fetch from elsewhere: only when the user allowed it.
        if (localPage && !IsInert(url) && !confinement_.contentAllowed()) info.block(true);
        return;
    }
    switch (info.resourceType()) {
        case Info::ResourceTypeSubFrame:
        case Info::ResourceTypeStylesheet:
        case Info::ResourceTypeScript:
        case Info::ResourceTypeImage:
        case Info::ResourceTypeFontResource:
        case Info::ResourceTypeSubResource:
        case Info::ResourceTypeMedia:
        case Info::ResourceTypeFavicon:
            // What a local page shows, but only within a local page and its confinement.
            if (!localPage || IsNetwork(info.initiator()) || !confinement_.allows(PathOf(url)) ||
                !FitsRequest(PathOf(url), info.resourceType()))
                info.block(true);
            return;
        default:
            // Requests by script, workers, pings, plug-ins: never for local files.
            info.block(true);
            return;
    }
}

}  // namespace localfiles
