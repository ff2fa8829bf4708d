#include <QApplication>
#include <QDir>
#include <QHostAddress>
#include <QPointer>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <QWidget>
#include <QtTest>
#include <map>
#include <memory>
#include <optional>
#include <utility>

#include "app/browser/browsertests_for_tests.h"
#include "app/browser/loopbackserver_for_tests.h"
#include "app/browser/webenginebrowser.h"

namespace {

constexpr int kWaitMs = 30000;

QByteArray Encode(const char* charset, const QString& text) {
    QStringEncoder encoder(charset);
    return encoder.encode(text);
}

QByteArray Koi8r(const char* utf8) { return Encode("KOI8-R", QString::fromUtf8(utf8)); }
QByteArray Cp1251(const char* utf8) { return Encode("windows-1251", QString::fromUtf8(utf8)); }

// A Russian page in KOI8-R with CR LF, bare LF and bare CR line ends and no line end at the close,
// to show whether a take keeps the bytes as they were loaded.
QByteArray Koi8rPage() {
    return Koi8r(
        "<!DOCTYPE html>\r\n"
        "<html>\r\n<head>\r\n"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\">\r\n"
        "<title>Проверка кодировки</title>\r\n"
        "</head>\r\n<body>\n"
        "<p>Съешь же ещё этих мягких французских булок, да выпей чаю.</p>\r"
        "<p>Ёлка &mdash; ель.</p>\r\n"
        "</body>\r\n</html>");
}

const char kKoi8rTitle[] = "Проверка кодировки";

QString FileUrl(const QString& path) { return QUrl::fromLocalFile(path).toString(); }

// A shown browser with spies on the events the window handles.
struct Harness {
    WebEngineBrowser browser;
    QSignalSpy complete{&browser, &Browser::DocumentComplete};
    QSignalSpy titles{&browser, &Browser::TitleChange};
    QSignalSpy before{&browser, &Browser::BeforeNavigate2};
    QSignalSpy states{&browser, &Browser::CommandStateChange};
    QSignalSpy failed{&browser, &Browser::LoadFailed};

    Harness() {
        browser.view()->resize(800, 600);
        browser.view()->show();
    }

    // Runs a browser command and waits for the document-complete event that ends it.
    template <typename Command>
    bool waitLoad(Command command) {
        const qsizetype seen = complete.count();
        command();
        return WaitUntil([&] { return complete.count() > seen; }, kWaitMs);
    }

    bool load(const QString& address) {
        return waitLoad([&] { browser.Navigate(address); });
    }

    QString lastTitle() const { return titles.isEmpty() ? QString() : titles.last().at(0).toString(); }

    // The enable flag of the last CommandStateChange for `command`, if any arrived.
    std::optional<bool> lastState(int command) const {
        for (qsizetype i = states.count() - 1; i >= 0; --i) {
            if (states.at(i).at(0).toInt() == command) return states.at(i).at(1).toBool();
        }
        return std::nullopt;
    }

    QStringList navigations() const {
        QStringList urls;
        for (const QList<QVariant>& args : before) urls << args.at(0).toString();
        return urls;
    }

    // Starts an asynchronous call with a completion and waits for its result.
    template <typename T, typename Call>
    static std::optional<T> await(Call call) {
        auto result = std::make_shared<std::optional<T>>();  // outlives a wait that gives up
        call([result](T value) { *result = value; });
        (void)WaitUntil([&] { return result->has_value(); }, 2 * kWaitMs);
        return *result;
    }

    // Takes the document (no frame) or a frame; `bytes` gets what was handed over.
    std::optional<Browser::TakeResult> take(std::optional<int> frame, QByteArray* bytes, qint64 maxBytes) {
        using Taken = std::pair<Browser::TakeResult, QByteArray>;
        const std::optional<Taken> taken = await<Taken>([&](auto done) {
            auto pass = [done](Browser::TakeResult result, const QByteArray& b) { done(Taken{result, b}); };
            frame ? browser.TakeFrame(*frame, maxBytes, pass) : browser.TakeDocument(maxBytes, pass);
        });
        if (bytes) *bytes = taken ? taken->second : QByteArray();
        return taken ? std::optional(taken->first) : std::nullopt;
    }

    std::optional<Browser::TakeResult> takeDocument(QByteArray* bytes = nullptr, qint64 maxBytes = qint64{1} << 30) {
        return take(std::nullopt, bytes, maxBytes);
    }

    std::optional<Browser::TakeResult> takeFrame(int index, QByteArray* bytes = nullptr,
                                                 qint64 maxBytes = qint64{1} << 30) {
        return take(index, bytes, maxBytes);
    }

    std::optional<int> countFrames() {
        return await<int>([&](auto done) { browser.CountFrames(done); });
    }
};

}  // namespace

class WebEngineBrowserTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        tmp_ = std::make_unique<PrivateTempDir>();
        QVERIFY(tmp_->isValid());
        // The fixture's KOI8-R bytes must be right, or every comparison below proves nothing.
        QCOMPARE(Koi8r("Мир ёж"), QByteArray("\xED\xC9\xD2\x20\xA3\xD6"));
    }
    // A take hands the markup over in memory: nothing is written as a temporary file.
    void cleanup() { QVERIFY2(tmp_->entries().isEmpty(), qPrintable(tmp_->entries().join(u' '))); }
    void cleanupTestCase() { tmp_.reset(); }

    void takesTheBytesOfALocalKoi8rPageFromItsFile() {
        const QString page = writePage("koi8r.html", Koi8rPage());
        Harness h;
        QVERIFY(h.load(page));
        QCOMPARE(h.browser.LocationURL(), FileUrl(page));
        QTRY_COMPARE_WITH_TIMEOUT(h.lastTitle(), QString::fromUtf8(kKoi8rTitle), kWaitMs);

        QByteArray bytes;
        QCOMPARE(h.takeDocument(&bytes), std::optional(Browser::TakeResult::kOk));
        QCOMPARE(bytes, Koi8rPage());
        QCOMPARE(h.takeDocument(&bytes, Koi8rPage().size() - 1), std::optional(Browser::TakeResult::kTooLarge));
        QVERIFY(bytes.isEmpty());
    }

    void takesAPageServedOverHttpWithoutAskingTheServerAgain() {
        LoopbackServer server;
        QVERIFY(server.start());
        // The page may not be kept, and the server answers it only once.
        server.serve("/koi8r.html", [](int n) {
            return LoopbackServer::Reply{"text/html; charset=koi8-r", Koi8rPage(), "Cache-Control: no-store\r\n",
                                         "200 OK", n > 1};
        });
        Harness h;
        const QString url = server.url(QStringLiteral("/koi8r.html"));
        QVERIFY(h.load(url));
        QCOMPARE(h.browser.LocationURL(), url);
        QTRY_COMPARE_WITH_TIMEOUT(h.lastTitle(), QString::fromUtf8(kKoi8rTitle), kWaitMs);

        for (int round = 0; round < 2; ++round) {
            QByteArray bytes;
            QCOMPARE(h.takeDocument(&bytes), std::optional(Browser::TakeResult::kOk));
            // The document as the page holds it, in the page's own encoding.
            QVERIFY2(bytes.startsWith("<!DOCTYPE html>\n<html><head>"), bytes.constData());
            QVERIFY(bytes.contains(Koi8r("Съешь же ещё этих мягких французских булок")));
        }
        QCOMPARE(server.requests("/koi8r.html"), 1);
        QCOMPARE(h.takeDocument(nullptr, 100), std::optional(Browser::TakeResult::kTooLarge));
        server.dropStalled();
    }

    void takesAUtf8PageAsUtf8() {
        const QByteArray bytes =
            QString::fromUtf8(
                "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Юникод</title></head>\n"
                "<body><p>Привет, мир — ✓</p></body></html>\n")
                .toUtf8();
        const QString page = writePage("utf8.html", bytes);
        Harness h;
        QVERIFY(h.load(page));
        QTRY_COMPARE_WITH_TIMEOUT(h.lastTitle(), QString::fromUtf8("Юникод"), kWaitMs);
        QByteArray taken;
        QCOMPARE(h.takeDocument(&taken), std::optional(Browser::TakeResult::kOk));
        QCOMPARE(taken, bytes);
    }

    void takesTheFramesOfAFramesetInOrderEachInItsOwnEncoding() {
        LoopbackServer server;
        QVERIFY(server.start());
        const QByteArray cp1251 = "text/html; charset=windows-1251";
        server.serve("/frameset.html", {cp1251, Cp1251("<html><head><title>Кадры</title></head>\n"
                                                       "<frameset cols=\"33%,33%,*\">\n<frame src=\"first.html\">"
                                                       "<frame src=\"second.html\"><frame src=\"third.html\">\n"
                                                       "</frameset></html>\n")});
        server.serve("/first.html",
                     {cp1251, Cp1251("<!DOCTYPE html><html><head></head><body>первый кадр</body></html>")});
        server.serve("/second.html",
                     {"text/html; charset=koi8-r", Koi8r("<html><head></head><body>второй кадр</body></html>")});
        server.serve("/third.html", {cp1251, Cp1251("<html><body>третий кадр &#10003; &mdash;</body></html>")});
        Harness h;
        QVERIFY(h.load(server.url(QStringLiteral("/frameset.html"))));
        const QStringList navigations = h.navigations();
        for (const char* path : {"/frameset.html", "/first.html", "/second.html", "/third.html"})
            QVERIFY2(navigations.contains(server.url(QString::fromLatin1(path))), path);

        QCOMPARE(h.countFrames(), std::optional<int>(3));
        QByteArray bytes;
        QCOMPARE(h.takeFrame(0, &bytes), std::optional(Browser::TakeResult::kOk));
        QVERIFY2(bytes.startsWith("<!DOCTYPE html>"), bytes.constData());
        QVERIFY(bytes.contains(Cp1251("первый кадр")));

        QCOMPARE(h.takeFrame(1, &bytes), std::optional(Browser::TakeResult::kOk));
        QVERIFY(bytes.contains(Koi8r("второй кадр")));

        QCOMPARE(h.takeFrame(2, &bytes), std::optional(Browser::TakeResult::kOk));
        QVERIFY2(bytes.contains(Cp1251("третий кадр")), bytes.toHex(' ').constData());
        // The check mark has no place in Windows-1251: it stays a character reference; the dash has one.
        QVERIFY2(bytes.contains("&#10003; \x97"), bytes.constData());

        QCOMPARE(h.takeFrame(3, &bytes), std::optional(Browser::TakeResult::kFailed));
        QVERIFY(bytes.isEmpty());
        QCOMPARE(h.takeFrame(-1), std::optional(Browser::TakeResult::kFailed));
        QCOMPARE(h.takeFrame(0, &bytes, 10), std::optional(Browser::TakeResult::kTooLarge));
        QVERIFY(bytes.isEmpty());
        for (const char* path : {"/frameset.html", "/first.html", "/second.html", "/third.html"})
            QCOMPARE(server.requests(path), 1);
    }

    void takesTheFramesOfALocalFramesetFromTheirFiles() {
        const QString frameset = path("local-frameset.html");
        QVERIFY(WriteTestFile(frameset,
                              "<html><frameset cols=\"*,*\"><frame src=\"left.html\"><frame src=\"right.html\">"
                              "</frameset></html>"));
        const QByteArray left = Koi8r("<html><body>левый кадр</body></html>\r\n");
        QVERIFY(WriteTestFile(path("left.html"), left));
        QVERIFY(WriteTestFile(path("right.html"), "<html><body>right</body></html>"));
        const QStringList files = QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden);
        Harness h;
        QVERIFY(h.load(frameset));
        QCOMPARE(h.countFrames(), std::optional<int>(2));
        QByteArray bytes;
        QCOMPARE(h.takeFrame(0, &bytes), std::optional(Browser::TakeResult::kOk));
        QCOMPARE(bytes, left);
        QCOMPARE(h.takeFrame(0, &bytes, left.size() - 1), std::optional(Browser::TakeResult::kTooLarge));
        QCOMPARE(h.takeFrame(1, &bytes), std::optional(Browser::TakeResult::kOk));
        QCOMPARE(bytes, QByteArray("<html><body>right</body></html>"));
        // The files are read where they are: nothing is written beside them.
        QCOMPARE(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden), files);
    }

    void reportsNoFramesForAPageWithout() {
        const QString page = writePage("plain.html", "<html><body>plain</body></html>");
        Harness h;
        QVERIFY(h.load(page));
        QCOMPARE(h.countFrames(), std::optional<int>(0));
        QCOMPARE(h.takeFrame(0), std::optional(Browser::TakeResult::kFailed));
    }

    void showsTheBlankPageAndIsBusyOnlyWhileLoading() {
        Harness h;
        QVERIFY(!h.browser.HasDocument());
        QVERIFY(!h.browser.Busy());
        QCOMPARE(h.browser.LocationURL(), QStringLiteral("about:blank"));

        QList<bool> busyDuringLoad;
        bool busyAtComplete = true;
        QObject::connect(&h.browser, &Browser::DownloadBegin, [&] { busyDuringLoad << h.browser.Busy(); });
        QObject::connect(&h.browser, &Browser::ProgressChange, [&](int, int maximum) {
            QCOMPARE(maximum, 100);
            busyDuringLoad << h.browser.Busy();
        });
        QObject::connect(&h.browser, &Browser::DocumentComplete, [&] { busyAtComplete = h.browser.Busy(); });
        QVERIFY(h.load(QStringLiteral("about:blank")));
        QCOMPARE(h.browser.LocationURL(), QStringLiteral("about:blank"));
        QCOMPARE(h.navigations(), QStringList{QStringLiteral("about:blank")});
        QVERIFY(h.browser.HasDocument());
        QVERIFY(!busyDuringLoad.isEmpty());
        QVERIFY(!busyDuringLoad.contains(false));
        QVERIFY(!busyAtComplete);
        QCOMPARE(h.lastState(Browser::kUpdateAll), std::optional<bool>(false));
        QVERIFY(h.states.contains(QList<QVariant>{int(Browser::kUpdateAll), true}));
    }

    void followsTheHistoryWithBackAndForward() {
        const QString a = path("a.html");
        const QString b = path("b.html");
        QVERIFY(WriteTestFile(a, "<html><head><title>A</title></head><body>a</body></html>"));
        QVERIFY(WriteTestFile(b, "<html><head><title>B</title></head><body>b</body></html>"));
        Harness h;
        QVERIFY(h.load(a));
        QCOMPARE(h.lastState(Browser::kBack), std::optional<bool>(false));
        QCOMPARE(h.lastState(Browser::kForward), std::optional<bool>(false));
        QVERIFY(h.load(b));
        QCOMPARE(h.lastState(Browser::kBack), std::optional<bool>(true));
        QCOMPARE(h.lastState(Browser::kForward), std::optional<bool>(false));

        QVERIFY(h.waitLoad([&] { h.browser.GoBack(); }));
        QCOMPARE(h.browser.LocationURL(), FileUrl(a));
        QCOMPARE(h.lastState(Browser::kBack), std::optional<bool>(false));
        QCOMPARE(h.lastState(Browser::kForward), std::optional<bool>(true));

        QVERIFY(h.waitLoad([&] { h.browser.GoForward(); }));
        QCOMPARE(h.browser.LocationURL(), FileUrl(b));
        QCOMPARE(h.lastState(Browser::kForward), std::optional<bool>(false));

        QVERIFY(h.waitLoad([&] { h.browser.Refresh(); }));
        QCOMPARE(h.browser.LocationURL(), FileUrl(b));

        h.browser.setHomeAddress(a);
        QVERIFY(h.waitLoad([&] { h.browser.GoHome(); }));
        QCOMPARE(h.browser.LocationURL(), FileUrl(a));
        QCOMPARE(h.navigations().last(), FileUrl(a));
    }

    void enablesBackAfterAJumpWithinThePage() {
        const QString page = writePage("anchors.html", "<html><body><p id=\"part\">part</p></body></html>");
        Harness h;
        QVERIFY(h.load(page));
        QCOMPARE(h.lastState(Browser::kBack), std::optional<bool>(false));
        const qsizetype seen = h.complete.count();
        auto* view = qobject_cast<QWebEngineView*>(h.browser.view());
        // A local page's own scripts do not run; the program's isolated world still can.
        view->page()->runJavaScript(QStringLiteral("location.hash = 'part'"), QWebEngineScript::ApplicationWorld);
        QTRY_COMPARE_WITH_TIMEOUT(h.lastState(Browser::kBack), std::optional<bool>(true), kWaitMs);
        QCOMPARE(h.complete.count(), seen);
    }

    void reportsAPageThatDidNotLoadAndTakesNothing() {
        Harness h;
        const QString missing = path("missing.html");
        h.browser.Navigate(missing);
        QTRY_COMPARE_WITH_TIMEOUT(h.failed.count(), 1, kWaitMs);
        QCOMPARE(h.failed.first().at(0).toString(), FileUrl(missing));
        QCOMPARE(h.complete.count(), 0);
        QVERIFY(!h.browser.HasDocument());
        QByteArray bytes = "stale";
        QCOMPARE(h.takeDocument(&bytes), std::optional(Browser::TakeResult::kFailed));
        QVERIFY(bytes.isEmpty());
    }

    void completesLater() {
        Harness h;
        std::optional<Browser::TakeResult> result;
        h.browser.TakeDocument(1000, [&](Browser::TakeResult r, const QByteArray&) { result = r; });
        QVERIFY(!result);
        QTRY_COMPARE_WITH_TIMEOUT(result, std::optional(Browser::TakeResult::kFailed), kWaitMs);
    }

    void dropsPendingCompletionsWhenDestroyed() {
        const QString page = writePage("gone.html", "<html><body>gone</body></html>");
        int calls = 0;
        {
            Harness h;
            QVERIFY(h.load(page));
            h.browser.TakeDocument(1000, [&](Browser::TakeResult, const QByteArray&) { ++calls; });
            h.browser.CountFrames([&](int) { ++calls; });
            h.browser.TakeFrame(0, 1000, [&](Browser::TakeResult, const QByteArray&) { ++calls; });
        }
        // A take of another browser goes through the same engine; by its end the dropped ones
        // would have come back.
        Harness other;
        QVERIFY(other.load(page));
        QCOMPARE(other.takeDocument(), std::optional(Browser::TakeResult::kOk));
        QCOMPARE(calls, 0);
    }

    void survivesItsViewDeletedByTheWindow() {
        const QString page = writePage("orphan.html", "<html><body>orphan</body></html>");
        Harness h;
        {
            QWidget window;
            h.browser.view()->setParent(&window);
        }
        QCOMPARE(h.browser.view(), nullptr);
        QVERIFY(h.load(page));
        QCOMPARE(h.browser.LocationURL(), FileUrl(page));
    }

  private:
    QTemporaryDir dir_;
    std::unique_ptr<PrivateTempDir> tmp_;  // the system's temporary directory while the tests run

    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    // Writes a page into the test folder and returns its path, or nothing when it cannot be written.
    QString writePage(const char* name, const QByteArray& bytes) const {
        return WriteTestFile(path(name), bytes) ? path(name) : QString();
    }
};

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    WebEngineBrowserTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "webenginebrowser_xvfb_test.moc"
