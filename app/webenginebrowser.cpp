#include "app/webenginebrowser.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>

namespace {

constexpr int kDefaultSaveTimeoutMs = 30000;

// A page that reports every navigation request, of the main frame and of frames alike, and lets
// all of them go ahead.
class ReportingPage : public QWebEnginePage {
public:
    ReportingPage(QWebEngineProfile* profile, std::function<void(const QUrl&)> report)
        : QWebEnginePage(profile), report_(std::move(report)) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
        report_(url);
        return true;
    }

private:
    std::function<void(const QUrl&)> report_;
};

// The doctype and root element of frame %1 of the top-level document with the frame's character
// set, or null when that frame or its document cannot be had (another origin's throws).
const char kFrameScript[] = R"((function (k) {
  try {
    var w = window.frames[k];
    if (!w) return null;
    var d = w.document;
    if (!d || !d.documentElement) return null;
    var markup = d.documentElement.outerHTML;
    if (d.doctype) markup = new XMLSerializer().serializeToString(d.doctype) + "\n" + markup;
    return { charset: d.characterSet, markup: markup };
  } catch (e) {
    return null;
  }
})(%1))";

// Encodes markup in the named character set; a character the set cannot hold becomes a numeric
// character reference, and an unknown set gives UTF-8.
QByteArray EncodeMarkup(const QString& markup, const QString& charset) {
    const QByteArray name = charset.toLatin1();
    QStringEncoder encoder(name.constData());
    if (!encoder.isValid()) return markup.toUtf8();
    QByteArray whole = encoder.encode(markup);
    if (!encoder.hasError()) return whole;

    // The encoder's error flag stays set once raised, so each character is checked by decoding
    // its bytes back instead.
    QStringDecoder decoder(name.constData());
    QByteArray out;
    out.reserve(whole.size());
    for (qsizetype i = 0; i < markup.size();) {
        const bool pair = markup[i].isHighSurrogate() && i + 1 < markup.size() && markup[i + 1].isLowSurrogate();
        const qsizetype length = pair ? 2 : 1;
        const QStringView piece = QStringView(markup).mid(i, length);
        const QByteArray bytes = encoder.encode(piece);
        const QString back = decoder.decode(bytes);
        if (back == piece) {
            out += bytes;
        } else {
            const char32_t code = pair ? QChar::surrogateToUcs4(markup[i], markup[i + 1]) : markup[i].unicode();
            out += "&#" + QByteArray::number(static_cast<quint32>(code)) + ';';
        }
        i += length;
    }
    return out;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    return file.write(bytes) == bytes.size() && file.flush();
}

}  // namespace

WebEngineBrowser::WebEngineBrowser(QObject* parent) : Browser(parent) {
    profile_ = new QWebEngineProfile();  // no storage name: off the record, nothing on disk
    page_ = new ReportingPage(profile_, [this](const QUrl& url) { emit BeforeNavigate2(url.toString()); });
    view_ = new QWebEngineView();
    view_->setPage(page_);

    connect(page_, &QWebEnginePage::loadStarted, this, &WebEngineBrowser::onLoadStarted);
    connect(page_, &QWebEnginePage::loadProgress, this, [this](int progress) { emit ProgressChange(progress, 100); });
    connect(page_, &QWebEnginePage::loadFinished, this, &WebEngineBrowser::onLoadFinished);
    connect(page_, &QWebEnginePage::titleChanged, this, &WebEngineBrowser::TitleChange);
    // A jump within the page changes the history without a load of its own.
    connect(page_, &QWebEnginePage::urlChanged, this, &WebEngineBrowser::emitHistoryState);
    connect(profile_, &QWebEngineProfile::downloadRequested, this, &WebEngineBrowser::onDownloadRequested);

    saveTimer_.setSingleShot(true);
    saveTimer_.setInterval(kDefaultSaveTimeoutMs);
    connect(&saveTimer_, &QTimer::timeout, this, [this] { finishSave(false); });
}

WebEngineBrowser::~WebEngineBrowser() {
    saveTimer_.stop();
    save_.reset();
    page_->disconnect(this);
    profile_->disconnect(this);
    // The engine wants the view gone before its page, and every page gone before its profile.
    delete view_.data();
    delete page_;
    delete profile_;
}

QWidget* WebEngineBrowser::view() { return view_.data(); }

QUrl WebEngineBrowser::UrlFromAddress(const QString& address) {
    const QString trimmed = address.trimmed();
    if (trimmed.isEmpty()) return {};
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (scheme.match(trimmed).hasMatch()) return QUrl(trimmed);
    return QUrl::fromLocalFile(QFileInfo(trimmed).absoluteFilePath());
}

void WebEngineBrowser::Navigate(const QString& address) {
    const QUrl url = UrlFromAddress(address);
    if (url.isEmpty()) return;
    // The engine asks about no navigation to an about: page, so it is reported here.
    if (url.scheme() == QStringLiteral("about")) emit BeforeNavigate2(url.toString());
    page_->load(url);
}

void WebEngineBrowser::GoBack() { page_->triggerAction(QWebEnginePage::Back); }

void WebEngineBrowser::GoForward() { page_->triggerAction(QWebEnginePage::Forward); }

void WebEngineBrowser::Stop() { page_->triggerAction(QWebEnginePage::Stop); }

void WebEngineBrowser::Refresh() { page_->triggerAction(QWebEnginePage::Reload); }

void WebEngineBrowser::GoHome() { Navigate(home_); }

bool WebEngineBrowser::Busy() const { return busy_; }

bool WebEngineBrowser::HasDocument() const { return loaded_ && !page_->url().isEmpty(); }

QString WebEngineBrowser::LocationURL() const {
    const QUrl url = page_->url();
    return url.isEmpty() ? QStringLiteral("about:blank") : url.toString();
}

void WebEngineBrowser::setHomeAddress(const QString& address) { home_ = address; }

QString WebEngineBrowser::homeAddress() const { return home_; }

void WebEngineBrowser::setSaveTimeout(int milliseconds) { saveTimer_.setInterval(milliseconds); }

void WebEngineBrowser::onLoadStarted() {
    busy_ = true;
    emit DownloadBegin();
    emit CommandStateChange(kUpdateAll, true);
}

void WebEngineBrowser::onLoadFinished() {
    busy_ = false;
    loaded_ = true;
    emit DownloadComplete();
    emit NavigateComplete2();
    emit CommandStateChange(kUpdateAll, false);
    emitHistoryState();
    emit DocumentComplete();
}

void WebEngineBrowser::emitHistoryState() {
    emit CommandStateChange(kForward, page_->history()->canGoForward());
    emit CommandStateChange(kBack, page_->history()->canGoBack());
}

void WebEngineBrowser::SaveDocument(const QString& path, Done done) {
    if (save_ || !HasDocument()) {
        post([done = std::move(done)] {
            if (done) done(false);
        });
        return;
    }
    save_ = PendingSave{QFileInfo(path).absoluteFilePath(), std::move(done), {}};
    // The engine reports a save complete even when it wrote nothing (a page that failed to load):
    // the save counts only when the file is there afterwards, so an older file must go first.
    QFile::remove(save_->path);
    saveTimer_.start();
    page_->save(save_->path, QWebEngineDownloadRequest::SingleHtmlSaveFormat);
}

void WebEngineBrowser::onDownloadRequested(QWebEngineDownloadRequest* download) {
    // Only the page's own save is taken; downloads the user starts from a page are not offered.
    const bool ours = save_ && !save_->download && download->page() == page_ &&
                      (download->isSavePageDownload() || download->url() == page_->url());
    if (!ours) {
        download->cancel();
        return;
    }
    save_->download = download;
    connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this, [this, download] {
        if (!save_ || save_->download != download || !download->isFinished()) return;
        finishSave(download->state() == QWebEngineDownloadRequest::DownloadCompleted);
    });
    // The engine hands over a page save already accepted, with the path given to save().
    if (download->state() != QWebEngineDownloadRequest::DownloadRequested) {
        if (download->isFinished()) finishSave(download->state() == QWebEngineDownloadRequest::DownloadCompleted);
        return;
    }
    const QFileInfo target(save_->path);
    download->setDownloadDirectory(target.absolutePath());
    download->setDownloadFileName(target.fileName());
    download->accept();
}

void WebEngineBrowser::finishSave(bool ok) {
    if (!save_) return;
    saveTimer_.stop();
    PendingSave save = std::move(*save_);
    save_.reset();
    if (save.download) {
        if (!save.download->isFinished()) save.download->cancel();
        save.download->deleteLater();  // the profile would keep every finished download otherwise
    }
    ok = ok && QFileInfo::exists(save.path);
    post([done = std::move(save.done), ok] {
        if (done) done(ok);
    });
}

void WebEngineBrowser::CountFrames(Counted done) {
    QPointer<WebEngineBrowser> self(this);
    page_->runJavaScript(QStringLiteral("window.frames.length"), QWebEngineScript::ApplicationWorld,
                         [self, done = std::move(done)](const QVariant& result) {
                             if (!self) return;
                             bool ok = false;
                             const int count = result.toInt(&ok);
                             self->post([done, count = ok && count > 0 ? count : 0] {
                                 if (done) done(count);
                             });
                         });
}

void WebEngineBrowser::SaveFrame(int index, const QString& path, Done done) {
    if (index < 0) {
        post([done = std::move(done)] {
            if (done) done(false);
        });
        return;
    }
    QPointer<WebEngineBrowser> self(this);
    page_->runJavaScript(QString::fromLatin1(kFrameScript).arg(index), QWebEngineScript::ApplicationWorld,
                         [self, path, done = std::move(done)](const QVariant& result) {
                             if (!self) return;
                             const QVariantMap frame = result.toMap();
                             const QVariant markup = frame.value(QStringLiteral("markup"));
                             bool ok = markup.typeId() == QMetaType::QString;
                             if (ok) {
                                 const QString charset = frame.value(QStringLiteral("charset")).toString();
                                 ok = WriteFile(path, EncodeMarkup(markup.toString(), charset));
                             }
                             self->post([done, ok] {
                                 if (done) done(ok);
                             });
                         });
}

void WebEngineBrowser::post(std::function<void()> call) {
    // Queued on this object, so a call still waiting when the browser is destroyed is dropped.
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}
