// The main text in the live page under a real X server with the real web engine: with "Только
// основной текст" checked, "Показать основной текст" outlines the article's blocks and not the
// menu, in the page and in a frame it may read, done in the isolated world; a second trigger puts
// the page back as it was. The tool button and the menu item also answer real clicks.
#include <QAction>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <QtTest>

#include "app/browser/loopbackserver_for_tests.h"
#include "app/browser/webenginebrowser.h"
#include "app/mainform.h"
#include "app/realinput_for_tests.h"
#include "app/testwindow_for_tests.h"
#include "views/qt/qtext.h"

namespace {

const char* const kArticle =
    "<nav id=\"menu\"><ul><li><a href=\"a.html\">Главная</a></li><li><a href=\"b.html\">Новости</a></li>"
    "<li><a href=\"c.html\">Контакты</a></li><li><a href=\"d.html\">Архив</a></li></ul></nav>"
    "<article><h1>Годовой отчёт</h1>"
    "<p id=\"first\">Первый год работы был трудным: мы искали помещение, нанимали людей и учились продавать.</p>"
    "<p>Второй год работы принёс успех, потому что покупатели вернулись и привели своих знакомых.</p>"
    "<p>Третий год мы посвятили новым магазинам в соседних городах, и выручка выросла вдвое.</p></article>"
    "<footer id=\"footer\"><a href=\"e.html\">Подвал сайта</a></footer>";

QByteArray Page(const QString& head, const QString& body) {
    return u("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Отчёт</title>%1</head><body>%2</body></html>")
        .arg(head, body)
        .toUtf8();
}

}  // namespace

class MainTextXvfbTest : public QObject, WindowAccess {
    Q_OBJECT

    QTemporaryDir dir_;
    LoopbackServer server_;
    WebEngineBrowser* browser_ = nullptr;

    void open(const QByteArray& page, const char* name) {
        const QString path = dir_.filePath(QString::fromLatin1(name));
        QVERIFY(WriteTestFile(path, page));
        openAddress(path);
    }
    // Serves `page` at `path` with `headers` (whole lines) and opens it: a page whose scripts run.
    void serve(const QByteArray& page, const char* path, const QByteArray& headers = {}) {
        server_.serve(path, LoopbackServer::Reply{"text/html; charset=utf-8", page, headers});
        openAddress(server_.url(QString::fromLatin1(path)));
    }
    void openAddress(const QString& address) {
        form_->OpenAddress(address);
        QTRY_VERIFY_WITH_TIMEOUT(!form_->document().analysis().slWordFull.empty() && !form_->analysisRunning() &&
                                     status() == u("Document complete"),
                                 60000);
    }
    // Runs `script` in the page's world `world` and returns its result as JSON text.
    QString run(const QString& script, quint32 world = QWebEngineScript::ApplicationWorld) {
        auto* view = qobject_cast<QWebEngineView*>(browser_->view());
        QString result;
        bool done = false;
        view->page()->runJavaScript(QStringLiteral("JSON.stringify(%1)").arg(script), world, [&](const QVariant& v) {
            result = v.toString();
            done = true;
        });
        if (!WaitUntil([&] { return done; }, 20000)) return QStringLiteral("no answer");
        return result;
    }
    // What the page shows of the outline, in document `d` (a script expression).
    QString state(const QString& d = QStringLiteral("document")) {
        return run(
            QStringLiteral("(function (d) { var ours = function (d) { return d.adoptedStyleSheets.filter(function (s) {"
                           " return s.cssRules.length && s.cssRules[0].cssText.indexOf('[data-sumoran-main]') == 0;"
                           " }).length + d.querySelectorAll('style[data-sumoran-outline]').length; };"
                           " var o = function (s) { var e = d.querySelector(s); return e ? "
                           "getComputedStyle(e).opacity : 'none'; };"
                           "return { outlined: d.querySelectorAll('[data-sumoran-main]').length,"
                           " styles: ours(d),"
                           " first: !!d.querySelector('#first').closest('[data-sumoran-main]'),"
                           " firstOutline: getComputedStyle(d.querySelector('#first').closest('[data-sumoran-main]') "
                           "|| d.body).outlineStyle,"
                           " nav: !!d.querySelector('#menu').closest('[data-sumoran-main]'),"
                           " menu: o('#menu'), article: o('article'), footer: o('#footer'),"
                           " ours: d.querySelectorAll('[data-sumoran-main], [data-sumoran-main-path], "
                           "[data-sumoran-outline]').length + ours(d) }; })(%1)")
                .arg(d));
    }
    void modeOn() {
        QAction* mode = action("miMainText");
        if (!mode->isChecked()) mode->trigger();
        QTRY_VERIFY2_WITH_TIMEOUT(child<QLabel>("sbContent")->text().startsWith(u("Основной текст: ")),
                                  qPrintable(child<QLabel>("sbContent")->text()), 20000);
        QVERIFY(action("miShowMainText")->isEnabled());
    }
    void outlineAndWait(const std::function<void()>& trigger) {
        trigger();
        QTRY_VERIFY_WITH_TIMEOUT(status().startsWith(u("Основной текст выделен в странице: блоков ")), 20000);
    }
    void takeOffAndWait(const std::function<void()>& trigger) {
        trigger();
        QTRY_COMPARE_WITH_TIMEOUT(status(), u("Выделение основного текста снято"), 20000);
    }

  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(server_.start());
    }
    void init() {
        browser_ = new WebEngineBrowser;
        form_ = std::make_unique<TFormMain>(browser_, StartupSettings{});
        form_->resize(1200, 900);
        form_->show();
    }
    void cleanup() {
        if (form_ && action("miMainText")->isChecked()) action("miMainText")->trigger();
        form_.reset();
    }

    // A page whose style rules forbid inline styles is outlined too: the style element comes from
    // the isolated world.
    void theArticleIsOutlinedAndTheMenuDimmed_data() {
        QTest::addColumn<QByteArray>("headers");
        QTest::addColumn<bool>("served");
        QTest::newRow("a local page") << QByteArray() << false;
        QTest::newRow("a page from the network") << QByteArray() << true;
        QTest::newRow("a page that forbids inline styles")
            << QByteArray("Content-Security-Policy: style-src 'self'; script-src 'self'\r\n") << true;
    }
    void theArticleIsOutlinedAndTheMenuDimmed() {
        QFETCH(QByteArray, headers);
        QFETCH(bool, served);
        if (served) {
            serve(Page({}, u(kArticle)), "/article.html", headers);
        } else {
            open(Page({}, u(kArticle)), "article.html");
        }
        QSignalSpy loads(browser_, &Browser::DocumentComplete);
        const QString before = state();
        modeOn();
        QVERIFY(!HasWord(*form_, u("Главная")));
        outlineAndWait([&] { action("miShowMainText")->trigger(); });
        const QJsonObject shown = QJsonDocument::fromJson(state().toUtf8()).object();
        QVERIFY2(shown[u("outlined")].toInt() > 0, qPrintable(state()));
        QCOMPARE(status(), u("Основной текст выделен в странице: блоков %1 из %2")
                               .arg(shown[u("outlined")].toInt())
                               .arg(form_->document().content().blocks.size()));
        QCOMPARE(shown[u("styles")].toInt(), 1);
        QVERIFY(shown[u("first")].toBool());
        QCOMPARE(shown[u("firstOutline")].toString(), u("solid"));
        QVERIFY(!shown[u("nav")].toBool());
        QCOMPARE(shown[u("menu")].toString(), u("0.3"));
        QCOMPARE(shown[u("footer")].toString(), u("0.3"));
        QCOMPARE(shown[u("article")].toString(), u("1"));

        takeOffAndWait([&] { action("miShowMainText")->trigger(); });
        QCOMPARE(state(), before);
        const QJsonObject restored = QJsonDocument::fromJson(before.toUtf8()).object();
        QCOMPARE(restored[u("ours")].toInt(), 0);
        QCOMPARE(restored[u("menu")].toString(), u("1"));
        QCOMPARE(loads.count(), 0);  // no reload
    }

    void aFrameItMayReadIsOutlinedInItsOwnDocument() {
        // The window takes the frames of a page of two or more: the article is in the first. The
        // frames come from the page's own server, so that the isolated world may read them (a local
        // page's frames are taken from their files).
        server_.serve("/inner.html", LoopbackServer::Reply{"text/html; charset=utf-8", Page({}, u(kArticle))});
        server_.serve("/links.html",
                      LoopbackServer::Reply{"text/html; charset=utf-8",
                                            Page({}, u("<p id=\"links\"><a href=\"z.html\">Ссылка</a></p>"))});
        serve(Page({}, u("<p id=\"menu\"><a href=\"x.html\">Меню</a></p><p id=\"first\">Ссылки</p>"
                         "<article>x</article><a id=\"footer\" href=\"y.html\">y</a>"
                         "<iframe src=\"inner.html\" width=\"800\" height=\"400\"></iframe>"
                         "<iframe src=\"links.html\" width=\"300\" height=\"100\"></iframe>")),
              "/frame.html");
        modeOn();
        // The frame is taken as a part of its own: its blocks are in part 1.
        bool inFrame = false;
        for (const ContentBlock& block : form_->document().content().blocks) inFrame |= block.part == 1;
        QVERIFY(inFrame);
        outlineAndWait([&] { action("miShowMainText")->trigger(); });
        const QJsonObject inner =
            QJsonDocument::fromJson(state(QStringLiteral("window.frames[0].document")).toUtf8()).object();
        QVERIFY2(inner[u("first")].toBool(), qPrintable(state(QStringLiteral("window.frames[0].document"))));
        QVERIFY(!inner[u("nav")].toBool());
        QCOMPARE(inner[u("menu")].toString(), u("0.3"));
        // A frame without main text is dimmed whole.
        QCOMPARE(run(QStringLiteral("getComputedStyle(window.frames[1].document.querySelector('#links')).opacity")),
                 u("\"0.3\""));
        // In the page itself the frame stays bright and what is beside it is dimmed.
        QCOMPARE(run(QStringLiteral("getComputedStyle(document.querySelector('iframe')).opacity")), u("\"1\""));
        QCOMPARE(run(QStringLiteral("getComputedStyle(document.querySelectorAll('iframe')[1]).opacity")), u("\"0.3\""));
        QCOMPARE(run(QStringLiteral("getComputedStyle(document.querySelector('#menu')).opacity")), u("\"0.3\""));
        takeOffAndWait([&] { action("miShowMainText")->trigger(); });
        QCOMPARE(run(QStringLiteral("window.frames[0].document.querySelectorAll('[data-sumoran-main]').length")),
                 u("0"));
    }

    // The page's own scripts see no variable of the outline: it ran in another world.
    void thePageWorldSeesNoScriptOfOurs() {
        serve(Page(u("<script>window.pageSaw = 'x';</script>"), u(kArticle)), "/world.html");
        modeOn();
        const QString globals =
            QStringLiteral("Object.keys(window).filter(function (k) { return /sumoran/i.test(k); })");
        const QString before = run(globals, QWebEngineScript::MainWorld);
        outlineAndWait([&] { action("miShowMainText")->trigger(); });
        QCOMPARE(run(globals, QWebEngineScript::MainWorld), before);
        QCOMPARE(before, u("[]"));
        QCOMPARE(run(QStringLiteral("window.pageSaw"), QWebEngineScript::MainWorld), u("\"x\""));
    }

    // Selectors that throw, find nothing or name a part the page lacks are skipped; the rest are
    // outlined.
    void blocksThatMissAreSkipped() {
        open(Page({}, u(kArticle)), "miss.html");
        int found = -1;
        browser_->OutlineBlocks({{0, u("p[")},
                                 {0, u("#nope")},
                                 {3, u("#first")},
                                 {-1, u("#first")},
                                 {0, u("}) ; throw 1; ({")},
                                 {0, u("#first")},
                                 {0, u("#first")},
                                 {0, u("article > p:nth-of-type(3)")}},
                                [&](int count) { found = count; });
        QVERIFY(WaitUntil([&] { return found >= 0; }, 20000));
        QCOMPARE(found, 2);
        const QJsonObject shown = QJsonDocument::fromJson(state().toUtf8()).object();
        QCOMPARE(shown[u("outlined")].toInt(), 2);
        QVERIFY(shown[u("first")].toBool());
        QCOMPARE(shown[u("article")].toString(), u("1"));
        found = -1;
        browser_->OutlineBlocks({}, [&](int count) { found = count; });
        QVERIFY(WaitUntil([&] { return found >= 0; }, 20000));
        QCOMPARE(found, 0);
        QCOMPARE(QJsonDocument::fromJson(state().toUtf8()).object()[u("ours")].toInt(), 0);
    }

    // Real clicks through the X server: the tool button turns the mode on, the menu item of
    // "Отметки" outlines, the tool button takes the outline off.
    void theButtonsAndTheMenuAnswerRealClicks() {
        if (!RealInput::available()) QSKIP("needs an X display with xdotool and openbox");
        open(Page({}, u(kArticle)), "clicks.html");
        RealInput::activate(form_.get());
        RealInput::click(child<QToolButton>("miMainText"));
        QTRY_VERIFY_WITH_TIMEOUT(child<QLabel>("sbContent")->text().startsWith(u("Основной текст: ")), 20000);
        QVERIFY(action("miMainText")->isChecked());

        QMenu* marks = nullptr;
        for (QAction* a : form_->menuBar()->actions())
            if (a->text() == u("&Отметки")) marks = a->menu();
        QVERIFY(marks);
        RealInput::click(form_->menuBar(), form_->menuBar()->actionGeometry(marks->menuAction()).center());
        QTRY_VERIFY_WITH_TIMEOUT(marks->isVisible(), 10000);
        RealInput::click(marks, marks->actionGeometry(action("miShowMainText")).center());
        QTRY_VERIFY_WITH_TIMEOUT(status().startsWith(u("Основной текст выделен в странице: блоков ")), 20000);
        QVERIFY(QJsonDocument::fromJson(state().toUtf8()).object()[u("first")].toBool());

        RealInput::click(child<QToolButton>("miShowMainText"));
        QTRY_COMPARE_WITH_TIMEOUT(status(), u("Выделение основного текста снято"), 20000);
        QCOMPARE(QJsonDocument::fromJson(state().toUtf8()).object()[u("ours")].toInt(), 0);
    }
};

QTEST_MAIN(MainTextXvfbTest)
#include "maintext_xvfb_test.moc"
