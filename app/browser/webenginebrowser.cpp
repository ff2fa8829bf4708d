#include "app/browser/webenginebrowser.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QWebEngineDownloadRequest>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <memory>
#include <utility>

#include "app/browser/localfiles.h"
#include "app/browser/navigationpolicy.h"
#include "app/browser/outlinescript.h"
#include "app/browser/pagemarkscript.h"
#include "views/qt/qtext.h"

namespace {

// How long a note about suppressed script dialogs waits for more of them, so that a page that
// calls alert in a loop gives one note now and then rather than one per call.
constexpr int kDialogNoteDelayMs = 250;

// The least time between two progress reports.
constexpr int kProgressIntervalMs = 200;

// The markup of the top-level document (%1 < 0) or of its frame %1, with its character set:
// {charset, markup}; {src} for a frame whose document belongs to another origin; {tooLarge} past
// %2 characters; null when there is no such document. It runs in an isolated world, where the
// page's own scripts cannot change what it sees.
const char kSourceScript[] = R"((function (k, limit) {
  try {
    var d = document;
    if (k >= 0) {
      var w = window.frames[k];
      if (!w) return null;
      var element = null;
      var all = document.querySelectorAll("frame, iframe");
      for (var i = 0; i < all.length; ++i) {
        if (all[i].contentWindow === w) { element = all[i]; break; }
      }
      try { d = w.document; } catch (e) { d = null; }
      if (!d || !d.documentElement) return element ? { src: element.src } : null;
    }
    if (!d.documentElement) return null;
    var markup = d.documentElement.outerHTML;
    if (d.doctype) markup = new XMLSerializer().serializeToString(d.doctype) + "\n" + markup;
    if (markup.length > limit) return { tooLarge: true };
    return { charset: d.characterSet, markup: markup };
  } catch (e) {
    return null;
  }
})(%1, %2))";

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

// The markup a take hands over, or why there is none.
struct Markup {
    Browser::TakeResult result = Browser::TakeResult::kFailed;
    QByteArray bytes;  // with kOk only
};

// A local file's bytes, read once, at most `maxBytes` of them.
Markup ReadMarkupFile(const QString& path, qint64 maxBytes) {
    localfiles::ReadResult file = localfiles::ReadLocalFile(path, maxBytes);
    if (file.status == localfiles::ReadResult::kTooLarge) return {Browser::TakeResult::kTooLarge, {}};
    if (file.status != localfiles::ReadResult::kOk) return {};
    return {Browser::TakeResult::kOk, std::move(file.bytes)};
}

// The bytes of what the source script found; `localFrames` lets a frame of another origin be read
// from its file when it is a local one that the confinement allows.
Markup SourceMarkup(const QVariant& result, qint64 maxBytes, const localfiles::Confinement* localFrames) {
    const QVariantMap found = result.toMap();
    if (found.value(QStringLiteral("tooLarge")).toBool()) return {Browser::TakeResult::kTooLarge, {}};
    const QVariant markup = found.value(QStringLiteral("markup"));
    if (markup.typeId() == QMetaType::QString) {
        QByteArray bytes = EncodeMarkup(markup.toString(), found.value(QStringLiteral("charset")).toString());
        if (bytes.size() > maxBytes) return {Browser::TakeResult::kTooLarge, {}};
        return {Browser::TakeResult::kOk, std::move(bytes)};
    }
    const QUrl src(found.value(QStringLiteral("src")).toString());
    if (!localFrames || !localfiles::IsLocal(src) || !localFrames->allows(localfiles::PathOf(src))) return {};
    return ReadMarkupFile(localfiles::PathOf(src), maxBytes);
}

// Why a load failed, in the user's words.
QString FailureReason(const QWebEngineLoadingInfo& info) {
    switch (info.errorCode()) {
        case -6:  // ERR_FILE_NOT_FOUND
            return u("файл не найден или это не обычный файл");
        case -10:  // ERR_ACCESS_DENIED
            return u("доступ запрещён");
        case -7:    // ERR_TIMED_OUT
        case -118:  // ERR_CONNECTION_TIMED_OUT
            return u("сервер не ответил вовремя");
        case -102:  // ERR_CONNECTION_REFUSED
            return u("сервер отказал в соединении");
        case -105:  // ERR_NAME_NOT_RESOLVED
        case -137:  // ERR_NAME_RESOLUTION_FAILED
            return u("адрес сервера не найден");
        case -106:  // ERR_INTERNET_DISCONNECTED
            return u("нет соединения с сетью");
        case -311:  // ERR_UNSAFE_REDIRECT
            return u("переадресация на файл с диска отклонена");
        case -312:  // ERR_UNSAFE_PORT
            return u("этот порт закрыт для браузера");
        default:
            break;
    }
    if (info.errorDomain() == QWebEngineLoadingInfo::CertificateErrorDomain) return u("сертификат сервера не принят");
    return u("ошибка загрузки (%1)").arg(info.errorString().toHtmlEscaped());
}

QString FeatureName(QWebEnginePage::Feature feature) {
    switch (feature) {
        case QWebEnginePage::Notifications:
            return u("уведомления");
        case QWebEnginePage::Geolocation:
            return u("местоположение");
        case QWebEnginePage::MediaAudioCapture:
            return u("микрофон");
        case QWebEnginePage::MediaVideoCapture:
            return u("камера");
        case QWebEnginePage::MediaAudioVideoCapture:
            return u("камера и микрофон");
        case QWebEnginePage::MouseLock:
            return u("захват мыши");
        case QWebEnginePage::DesktopVideoCapture:
        case QWebEnginePage::DesktopAudioVideoCapture:
            return u("захват экрана");
    }
    return u("доступ");
}

// An address for a status text: long ones are cut.
QString ShortAddress(const QUrl& url) {
    QString text = url.toDisplayString();
    if (text.size() > 120) text = text.left(117) + QStringLiteral("...");
    return text;
}

}  // namespace

// The page: every navigation request, window request and script dialog goes to the browser.
class WebEngineBrowser::GuardedPage : public QWebEnginePage {
  public:
    GuardedPage(QWebEngineProfile* profile, WebEngineBrowser* browser) : QWebEnginePage(profile), browser_(browser) {}

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        return browser_->onNavigationRequest(url, type, isMainFrame);
    }
    // A new window never opens; newWindowRequested decides whether its address opens here.
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }
    void javaScriptAlert(const QUrl&, const QString& message) override { browser_->refuseDialog(message); }
    bool javaScriptConfirm(const QUrl&, const QString& message) override {
        browser_->refuseDialog(message);
        return false;
    }
    bool javaScriptPrompt(const QUrl&, const QString& message, const QString&, QString*) override {
        browser_->refuseDialog(message);
        return false;
    }
    // The page's console is not the user's business; the program's own script says through it
    // that the document is parsed.
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int, const QString&) override {
        if (message == browser_->parsedToken_) browser_->onDocumentParsed();
    }

  private:
    WebEngineBrowser* browser_;
};

WebEngineBrowser::WebEngineBrowser(QObject* parent) : Browser(parent) {
    localfiles::RegisterScheme();
    profile_ = new QWebEngineProfile();  // no storage name: off the record, nothing on disk
    localHandler_ = new localfiles::LocalFileHandler(confinement_, this);
    guard_ = new localfiles::RequestGuard(confinement_, this);
    profile_->installUrlSchemeHandler(localfiles::kScheme, localHandler_);
    profile_->setUrlRequestInterceptor(guard_);
    connect(profile_, &QWebEngineProfile::downloadRequested, this, &WebEngineBrowser::onDownloadRequested);
    parsedToken_ = u("sumoran-document-parsed-%1").arg(QRandomGenerator::global()->generate64(), 0, 16);
    page_ = createPage();
    view_ = new QWebEngineView();
    view_->setPage(page_);
    // A click or a key in the page is what makes a navigation the user's rather than a script's.
    QCoreApplication::instance()->installEventFilter(this);

    // A page of many requests reports progress for each; the window hears of it a few times a second.
    progressTimer_.setSingleShot(true);
    progressTimer_.setInterval(kProgressIntervalMs);
    connect(&progressTimer_, &QTimer::timeout, this, [this] {
        if (progress_ != shownProgress_) emit ProgressChange(shownProgress_ = progress_, 100);
    });

    dialogTimer_.setSingleShot(true);
    dialogTimer_.setInterval(kDialogNoteDelayMs);
    connect(&dialogTimer_, &QTimer::timeout, this, [this] {
        const int count = std::exchange(dialogCount_, 0);
        // The note of a page the user has left would be read as one of the page now shown.
        if (dialogSerial_ != serial_) return;
        QString note = u("Окно сообщения страницы не показано: «%1»").arg(dialogNote_);
        if (count > 1) note += u(" (и ещё %1)").arg(count - 1);
        emit Refused(note);
    });
}

WebEngineBrowser::GuardedPage* WebEngineBrowser::createPage() {
    auto* page = new GuardedPage(profile_, this);
    QWebEngineSettings* s = page->settings();
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanPaste, false);
    s->setAttribute(QWebEngineSettings::AllowWindowActivationFromJavaScript, false);
    s->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
    s->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::AllowGeolocationOnInsecureOrigins, false);
    s->setAttribute(QWebEngineSettings::AllowRunningInsecureContent, false);
    s->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
    s->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
    s->setAttribute(QWebEngineSettings::WebRTCPublicInterfacesOnly, true);
    s->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);  // the browser shows its own, in Russian
    // An external scheme reaches acceptNavigationRequest only from a click; scripts get nothing.
    s->setUnknownUrlSchemePolicy(QWebEngineSettings::AllowUnknownUrlSchemesFromUserInteraction);

    connect(page, &QWebEnginePage::loadingChanged, this, &WebEngineBrowser::onLoadingChanged);
    connect(page, &QWebEnginePage::loadProgress, this, [this](int progress) {
        updateLocation();
        progress_ = progress;
        if (progressTimer_.isActive() && progress < 100) return;
        emit ProgressChange(shownProgress_ = progress, 100);
        progressTimer_.start();
    });
    // In the program's isolated world, when the document is parsed: the page's scripts cannot see
    // or stop it.
    QWebEngineScript parsed;
    parsed.setName(QStringLiteral("sumoran-parsed"));
    parsed.setInjectionPoint(QWebEngineScript::DocumentReady);
    parsed.setWorldId(QWebEngineScript::ApplicationWorld);
    parsed.setRunsOnSubFrames(false);
    parsed.setSourceCode(u("console.debug(\"%1\");").arg(parsedToken_));
    page->scripts().insert(parsed);
    connect(page, &QWebEnginePage::titleChanged, this, [this](const QString& title) {
        updateLocation();
        emit TitleChange(title);
    });
    // A jump within the page changes the history without a load of its own.
    connect(page, &QWebEnginePage::urlChanged, this, [this] {
        updateLocation();
        emitHistoryState();
    });
    connect(page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int code) {
                onRenderProcessTerminated(status, code);
            });
    connect(page, &QWebEnginePage::newWindowRequested, this, [this](QWebEngineNewWindowRequest& request) {
        onNewWindowRequested(request.requestedUrl(), request.isUserInitiated());
    });
    connect(page, &QWebEnginePage::featurePermissionRequested, this,
            [this, page](const QUrl& origin, QWebEnginePage::Feature feature) {
                page->setFeaturePermission(origin, feature, QWebEnginePage::PermissionDeniedByUser);
                emit Refused(u("Запрос страницы отклонён: %1").arg(FeatureName(feature)));
            });
    connect(page, &QWebEnginePage::fileSystemAccessRequested, this, [this](QWebEngineFileSystemAccessRequest request) {
        request.reject();
        emit Refused(u("Запрос страницы отклонён: доступ к файлам"));
    });
    connect(page, &QWebEnginePage::registerProtocolHandlerRequested, this,
            [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
    connect(page, &QWebEnginePage::fullScreenRequested, this,
            [](QWebEngineFullScreenRequest request) { request.reject(); });
    return page;
}

// Puts a fresh page in place of the one on screen and deletes that one; the engine ends its render
// process with it. The history goes with the old page; Refresh loads its address again.
void WebEngineBrowser::replacePage() {
    GuardedPage* old = page_;
    old->disconnect(this);
    if (!committed_.isEmpty()) lostUrl_ = committed_;
    ++pingToken_;  // a responsiveness check of the old page waits for nothing now
    ++serial_;
    activeLoads_ = 0;
    loaded_ = false;
    userNavigation_ = false;
    page_ = createPage();
    if (view_) view_->setPage(page_);
    delete old;
    applyDocumentPolicy({}, false);
    updateLocation();
    emitHistoryState();
    emit CommandStateChange(kUpdateAll, false);
}

WebEngineBrowser::~WebEngineBrowser() {
    QCoreApplication::instance()->removeEventFilter(this);
    dialogTimer_.stop();
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
    whenResponsive([this, url] {
        // The engine asks about no navigation to an about: page, so it is reported and counted here.
        if (url.scheme() == QStringLiteral("about")) {
            ++serial_;
            emit BeforeNavigate2(url.toString());
        }
        load(url);
    });
}

void WebEngineBrowser::load(const QUrl& url) {
    const QUrl engineUrl = localfiles::ToEngineUrl(url);
    programUrl_ = engineUrl;
    page_->load(engineUrl);
}

void WebEngineBrowser::GoBack() {
    whenResponsive([this] { page_->triggerAction(QWebEnginePage::Back); });
}

void WebEngineBrowser::GoForward() {
    whenResponsive([this] { page_->triggerAction(QWebEnginePage::Forward); });
}

void WebEngineBrowser::Stop() { page_->triggerAction(QWebEnginePage::Stop); }

void WebEngineBrowser::Refresh() {
    whenResponsive([this] {
        // A page put in place of one that stopped answering has no history to reload.
        if (page_->url().isEmpty() && !lostUrl_.isEmpty()) {
            load(lostUrl_);
            return;
        }
        page_->triggerAction(QWebEnginePage::Reload);
    });
}

void WebEngineBrowser::GoHome() { Navigate(home_); }

void WebEngineBrowser::AllowLocalContent() {
    if (!localfiles::IsLocal(committed_) || confinement_.contentAllowed()) return;
    allowedReload_ = committed_;
    whenResponsive([this] { page_->triggerAction(QWebEnginePage::Reload); });
}

// Sets what the document at `url` may do before the engine loads it: a local one is confined to
// its folder, without scripts and network unless allowed; any other runs as a web page does.
void WebEngineBrowser::applyDocumentPolicy(const QUrl& url, bool contentAllowed) {
    const bool local = localfiles::IsLocal(url);
    if (local) {
        confinement_.openDocument(localfiles::PathOf(url));
        confinement_.setContentAllowed(contentAllowed);
    } else {
        confinement_.clear();
    }
    page_->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, !local || contentAllowed);
}

// Reports the top-level document on screen when it changed: the last one the engine committed,
// never one still loading or refused, and never a frame's.
void WebEngineBrowser::updateLocation() {
    const QWebEngineHistoryItem current = page_->history()->currentItem();
    const QUrl url = current.isValid() ? current.url() : QUrl();
    const LocalPage state = !localfiles::IsLocal(url)       ? LocalPage::kNone
                            : confinement_.contentAllowed() ? LocalPage::kContentAllowed
                                                            : LocalPage::kConfined;
    if (url != committed_) {
        committed_ = url;
        if (!url.isEmpty()) emit LocationChange(localfiles::ToShownUrl(url).toString());
    }
    if (state != shownLocal_) {
        shownLocal_ = state;
        emit LocalPageChange(state);
    }
}

void WebEngineBrowser::onDocumentParsed() {
    if (parsedSerial_ == serial_ || page_->url().isEmpty()) return;
    parsedSerial_ = serial_;
    loaded_ = true;
    emit DocumentParsed();
}

bool WebEngineBrowser::recentUserInput() const {
    // As long as a browser counts a click as the user's own activation of a page.
    constexpr qint64 kUserActionMs = 1000;
    return userInput_.isValid() && userInput_.elapsed() < kUserActionMs;
}

bool WebEngineBrowser::Busy() const { return activeLoads_ > 0; }

bool WebEngineBrowser::HasDocument() const { return loaded_ && !page_->url().isEmpty(); }

QString WebEngineBrowser::LocationURL() const {
    const QUrl url = page_->url();
    return url.isEmpty() ? QStringLiteral("about:blank") : localfiles::ToShownUrl(url).toString();
}

void WebEngineBrowser::setHomeAddress(const QString& address) { home_ = address; }

QString WebEngineBrowser::homeAddress() const { return home_; }

qint64 WebEngineBrowser::renderProcessPid() const { return page_->renderProcessPid(); }

// Runs a command that navigates once the page's render process has shown that it answers. A page
// that does not answer in time (a script that never ends holds it) is replaced first, so that the
// navigation gets a process of its own rather than waiting behind the script for ever.
void WebEngineBrowser::whenResponsive(std::function<void()> command) {
    const qint64 pid = page_->renderProcessPid();
    if (pid <= 0) {
        command();
        return;
    }
    const quint64 token = ++pingToken_;
    auto run = std::make_shared<std::function<void()>>(std::move(command));
    QPointer<WebEngineBrowser> self(this);
    QTimer::singleShot(responseTimeoutMs_, this, [this, token, run] {
        if (pingToken_ != token) return;
        replacePage();
        emit Refused(u("Страница не отвечает: её процесс отображения остановлен"));
        (*run)();
    });
    page_->runJavaScript(QStringLiteral("1"), QWebEngineScript::ApplicationWorld, [self, token, run](const QVariant&) {
        if (!self || self->pingToken_ != token) return;
        ++self->pingToken_;
        (*run)();
    });
}

bool WebEngineBrowser::onNavigationRequest(const QUrl& url, int type, bool mainFrame) {
    NavigationRequest request;
    request.url = url;
    request.mainFrame = mainFrame;
    request.redirect = type == QWebEnginePage::NavigationTypeRedirect;
    const bool byProgram = mainFrame && ((url == programUrl_ && type == QWebEnginePage::NavigationTypeTyped) ||
                                         type == QWebEnginePage::NavigationTypeBackForward ||
                                         type == QWebEnginePage::NavigationTypeReload);
    const bool clicked =
        type == QWebEnginePage::NavigationTypeLinkClicked || type == QWebEnginePage::NavigationTypeFormSubmitted;
    request.origin = byProgram                      ? NavigationOrigin::kProgram
                     : clicked && recentUserInput() ? NavigationOrigin::kUser
                                                    : NavigationOrigin::kPage;
    request.fromLocalPage = localfiles::IsLocal(committed_);
    request.localContentAllowed = confinement_.contentAllowed();
    request.continuesUserNavigation = userNavigation_;
    if (mainFrame && url == programUrl_) programUrl_.clear();

    switch (DecideNavigation(request)) {
        case NavigationVerdict::kAllow:
            emit BeforeNavigate2(localfiles::ToShownUrl(url).toString());
            if (mainFrame) {
                ++serial_;
                if (!request.redirect) userNavigation_ = request.origin != NavigationOrigin::kPage;
                // A reload keeps what the user allowed a local page; anything else starts confined.
                const bool keep = type == QWebEnginePage::NavigationTypeReload && url == allowedReload_;
                if (!keep) allowedReload_.clear();
                applyDocumentPolicy(url, keep);
            }
            return true;
        case NavigationVerdict::kOpenAsLocal:
            lastDropped_ = url;
            post([this, url] { load(url); });
            return false;
        case NavigationVerdict::kAskUser:
            lastDropped_ = url;
            post([this, url] { emit ExternalLinkClicked(url); });
            return false;
        case NavigationVerdict::kDrop:
            break;
    }
    if (mainFrame) lastDropped_ = url;
    const QUrl shown = localfiles::ToShownUrl(url);
    post([this, shown] { emit Refused(u("Переход отклонён: %1").arg(ShortAddress(shown))); });
    return false;
}

void WebEngineBrowser::onNewWindowRequested(const QUrl& url, bool userInitiated) {
    // A window a click asks for opens in this view; one a script asks for on its own is dropped.
    NavigationRequest request;
    request.url = url;
    request.origin = NavigationOrigin::kUser;
    request.fromLocalPage = localfiles::IsLocal(committed_);
    request.localContentAllowed = confinement_.contentAllowed();
    const NavigationVerdict verdict = userInitiated ? DecideNavigation(request) : NavigationVerdict::kDrop;
    if (verdict == NavigationVerdict::kAllow || verdict == NavigationVerdict::kOpenAsLocal) {
        post([this, url] { load(url); });
        return;
    }
    if (verdict == NavigationVerdict::kAskUser) {
        post([this, url] { emit ExternalLinkClicked(url); });
        return;
    }
    post([this] { emit Refused(u("Новое окно не открыто")); });
}

void WebEngineBrowser::onLoadingChanged(const QWebEngineLoadingInfo& info) {
    // A link the browser does not follow (mailto:, tel:, …) starts and stops a load of its own
    // without a document. A click on it was asked about; a script's or a redirect's is noted.
    if (!IsShownScheme(info.url())) {
        if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus && info.url() != lastDropped_)
            emit Refused(u("Переход отклонён: %1").arg(ShortAddress(info.url())));
        return;
    }
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        ++activeLoads_;
        hideErrorPage();
        dialogTimer_.stop();  // what the page left on screen said is no news any more
        dialogCount_ = 0;
        emit DownloadBegin();
        emit CommandStateChange(kUpdateAll, true);
        return;
    }
    if (activeLoads_ > 0) --activeLoads_;
    if (activeLoads_ > 0) return;  // a newer load goes on and ends later
    userNavigation_ = false;
    updateLocation();
    // A navigation let through that never showed a document leaves the one on screen as it was.
    const bool allowed = localfiles::IsLocal(committed_) && committed_ == allowedReload_;
    applyDocumentPolicy(committed_, allowed);
    emit CommandStateChange(kUpdateAll, false);
    emitHistoryState();

    const bool dropped = info.status() == QWebEngineLoadingInfo::LoadStoppedStatus && info.url() == lastDropped_;
    if (dropped) return;
    // A server's error page (404 and the like) is a document on screen like any other.
    const bool failed = info.status() == QWebEngineLoadingInfo::LoadFailedStatus &&
                        info.errorDomain() != QWebEngineLoadingInfo::HttpStatusCodeDomain;
    if (failed) {
        loaded_ = false;
        ++serial_;
        const QString reason = FailureReason(info);
        const QString address = localfiles::ToShownUrl(info.url()).toDisplayString();
        showErrorPage(u("Страница не загружена"),
                      u("%1<br><br>Причина: %2.<br><br>Результаты прежнего анализа сохранены.")
                          .arg(address.toHtmlEscaped(), reason));
        emit LoadFailed(address, reason);
        return;
    }
    loaded_ = true;
    emit DownloadComplete();
    emit NavigateComplete2();
    emit DocumentComplete();
    if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus)
        emit Refused(u("Сервер ответил кодом %1").arg(info.errorCode()));
}

void WebEngineBrowser::onRenderProcessTerminated(int status, int exitCode) {
    ++serial_;
    ++pingToken_;  // a responsiveness check waits for nothing now
    const QString reason = status == QWebEnginePage::KilledTerminationStatus
                               ? u("процесс остановлен")
                               : u("процесс завершился с ошибкой, код %1").arg(exitCode);
    if (activeLoads_ > 0) return;  // a new load is under way and gets a process of its own
    loaded_ = false;
    showErrorPage(
        u("Страница закрыта"),
        u("Процесс отображения страницы завершился (%1).<br><br>Кнопка «Обновить» загрузит её снова.").arg(reason));
    emit CommandStateChange(kUpdateAll, false);
    emit RenderProcessTerminated(reason);
}

void WebEngineBrowser::emitHistoryState() {
    emit CommandStateChange(kForward, page_->history()->canGoForward());
    emit CommandStateChange(kBack, page_->history()->canGoBack());
}

void WebEngineBrowser::onDownloadRequested(QWebEngineDownloadRequest* download) {
    const QString name = download->downloadFileName();
    download->cancel();
    emit Refused(u("Загрузка файла отклонена: %1").arg(name.isEmpty() ? ShortAddress(download->url()) : name));
}

void WebEngineBrowser::refuseDialog(const QString& text) {
    dialogNote_ = text.simplified().left(100);
    if (dialogSerial_ != serial_) dialogCount_ = 0;
    dialogSerial_ = serial_;
    ++dialogCount_;
    if (!dialogTimer_.isActive()) dialogTimer_.start();
}

void WebEngineBrowser::showErrorPage(const QString& title, const QString& text) {
    if (!view_) return;
    if (!errorPage_) {
        errorPage_ = new QLabel(view_);
        errorPage_->setObjectName(QStringLiteral("wbErrorPage"));
        errorPage_->setAlignment(Qt::AlignCenter);
        errorPage_->setWordWrap(true);
        errorPage_->setTextFormat(Qt::RichText);
        errorPage_->setAutoFillBackground(true);
        errorPage_->setMargin(24);
        QPalette palette = errorPage_->palette();
        palette.setColor(QPalette::Window, Qt::white);
        palette.setColor(QPalette::WindowText, Qt::black);
        errorPage_->setPalette(palette);
        view_->installEventFilter(this);
    }
    errorPage_->setText(u("<h2>%1</h2><p>%2</p>").arg(title.toHtmlEscaped(), text));
    errorPage_->setAccessibleName(title);
    errorPage_->setGeometry(view_->rect());
    errorPage_->raise();
    errorPage_->show();
}

void WebEngineBrowser::hideErrorPage() {
    if (errorPage_) errorPage_->hide();
}

bool WebEngineBrowser::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::KeyPress:
        case QEvent::TouchBegin:
            if (auto* widget = qobject_cast<QWidget*>(watched); widget && view_ && view_->isAncestorOf(widget))
                userInput_.start();
            break;
        case QEvent::Resize:
            if (watched == view_ && errorPage_) errorPage_->setGeometry(view_->rect());
            break;
        default:
            break;
    }
    return Browser::eventFilter(watched, event);
}

void WebEngineBrowser::runSourceScript(int frame, qint64 maxBytes, std::function<void(const QVariant&)> done) {
    QPointer<WebEngineBrowser> self(this);
    const QString script = QString::fromLatin1(kSourceScript).arg(frame).arg(maxBytes);
    page_->runJavaScript(script, QWebEngineScript::ApplicationWorld, [self, done = std::move(done)](const QVariant& v) {
        if (self) done(v);
    });
}

void WebEngineBrowser::TakeDocument(qint64 maxBytes, Taken done) {
    if (!HasDocument()) {
        post([done = std::move(done)] { done(TakeResult::kFailed, {}); });
        return;
    }
    const QUrl url = page_->url();
    if (localfiles::IsLocal(url)) {
        // A local page is taken from its file, as the user wrote it.
        const Markup markup = ReadMarkupFile(localfiles::PathOf(url), maxBytes);
        post([done = std::move(done), markup] { done(markup.result, markup.bytes); });
        return;
    }
    runSourceScript(-1, maxBytes, [this, maxBytes, done = std::move(done)](const QVariant& result) {
        const Markup markup = SourceMarkup(result, maxBytes, nullptr);
        post([done, markup] { done(markup.result, markup.bytes); });
    });
}

void WebEngineBrowser::CountFrames(Counted done) {
    QPointer<WebEngineBrowser> self(this);
    page_->runJavaScript(QStringLiteral("window.frames.length"), QWebEngineScript::ApplicationWorld,
                         [self, done = std::move(done)](const QVariant& result) {
                             if (!self) return;
                             bool ok = false;
                             const int count = result.toInt(&ok);
                             self->post([done, count = ok && count > 0 ? count : 0] { done(count); });
                         });
}

void WebEngineBrowser::TakeFrame(int index, qint64 maxBytes, Taken done) {
    if (index < 0 || !HasDocument()) {
        post([done = std::move(done)] { done(TakeResult::kFailed, {}); });
        return;
    }
    const bool localPage = localfiles::IsLocal(page_->url());
    runSourceScript(index, maxBytes, [this, maxBytes, localPage, done = std::move(done)](const QVariant& result) {
        const Markup markup = SourceMarkup(result, maxBytes, localPage ? &confinement_ : nullptr);
        post([done, markup] { done(markup.result, markup.bytes); });
    });
}

void WebEngineBrowser::MarkWords(const QList<MarkGroup>& groups, Counted done, Progress progress) {
    const quint64 marking = ++marking_;
    QPointer<WebEngineBrowser> self(this);
    page_->runJavaScript(
        MarkScript(groups), QWebEngineScript::ApplicationWorld,
        [self, marking, done = std::move(done), progress = std::move(progress)](const QVariant& texts) {
            if (!self || self->marking_ != marking) return;
            if (texts.toInt() > 0) {
                self->markStep(marking, done, progress);
            } else {
                self->post([done] { done(0); });
            }
        });
}

// One part of a marking: a script that works about a tenth of a second or a few thousand texts,
// then gives the renderer back to the page's painting and input before the next part.
void WebEngineBrowser::markStep(quint64 marking, Counted done, Progress progress) {
    constexpr int kStepMs = 100;
    constexpr int kStepTexts = 2000;
    QPointer<WebEngineBrowser> self(this);
    page_->runJavaScript(
        MarkStepScript(kStepMs, kStepTexts), QWebEngineScript::ApplicationWorld,
        [self, marking, done = std::move(done), progress = std::move(progress)](const QVariant& result) {
            if (!self || self->marking_ != marking) return;
            const QVariantList state = result.toList();
            if (state.size() != 3) {  // the page on screen lost the marking
                self->post([done] { done(0); });
                return;
            }
            const int count = state[0].toInt(), texts = state[1].toInt(), all = state[2].toInt();
            if (texts < all) {
                if (progress) progress(static_cast<int>(100LL * texts / std::max(all, 1)));
                self->markStep(marking, done, progress);
                return;
            }
            self->post([done, count] { done(count); });
        });
}

void WebEngineBrowser::ShowMark(int step, Counted done) { runCountScript(ShowMarkScript(step), std::move(done)); }

void WebEngineBrowser::OutlineBlocks(const QList<PageBlock>& blocks, Counted done) {
    runCountScript(OutlineScript(blocks), std::move(done));
}

void WebEngineBrowser::runCountScript(const QString& script, Counted done) {
    QPointer<WebEngineBrowser> self(this);
    page_->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                         [self, done = std::move(done)](const QVariant& result) {
                             if (!self) return;
                             bool ok = false;
                             const int count = result.toInt(&ok);
                             self->post([done, count = ok && count > 0 ? count : 0] { done(count); });
                         });
}

void WebEngineBrowser::post(std::function<void()> call) {
    // Queued on this object, so a call still waiting when the browser is destroyed is dropped.
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}
