#include "app/webenginebrowser.h"

#include <QApplication>
#include <QFile>
#include <QHostAddress>
#include <QPointer>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWidget>
#include <QtTest>
#include <map>
#include <memory>
#include <optional>
#include <utility>

namespace {

constexpr int kWaitMs = 30000;

QByteArray Encode(const char* charset, const QString& text) {
    QStringEncoder encoder(charset);
    return encoder.encode(text);
}

QByteArray Koi8r(const char* utf8) { return Encode("KOI8-R", QString::fromUtf8(utf8)); }

// A Russian page in KOI8-R with CR LF, bare LF and bare CR line ends and no line end at the close,
// to show whether a save keeps the bytes as they were loaded.
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

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

QString FileUrl(const QString& path) { return QUrl::fromLocalFile(path).toString(); }

// Serves fixed pages over HTTP on 127.0.0.1 at a port of the system's choosing; one request per
// connection, then the connection is closed. Anything not served gets 404.
class LoopbackServer : public QTcpServer {
public:
    struct Page {
        QByteArray contentType;
        QByteArray body;
        int answered = -1;  // requests answered before the server stops answering; -1: all
        QByteArray extraHeaders = {};
    };

    bool start() { return listen(QHostAddress::LocalHost, 0); }

    void serve(const QByteArray& path, Page page) { pages_[path] = std::move(page); }

    // Closes the connections left unanswered.
    void dropStalled() {
        for (QTcpSocket* socket : std::exchange(stalled_, {})) {
            if (socket) socket->abort();
        }
    }

    QString url(const QString& path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
    }

    int requests(const QByteArray& path) const {
        const auto it = requests_.find(path);
        return it == requests_.end() ? 0 : it->second;
    }

protected:
    void incomingConnection(qintptr descriptor) override {
        auto* socket = new QTcpSocket(this);
        socket->setSocketDescriptor(descriptor);
        auto request = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, request] {
            request->append(socket->readAll());
            if (!request->contains("\r\n\r\n")) return;
            answer(socket, *request);
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

private:
    void answer(QTcpSocket* socket, const QByteArray& request) {
        const QList<QByteArray> line = request.left(request.indexOf("\r\n")).split(' ');
        const QByteArray path = line.size() > 1 ? line[1] : QByteArray();
        ++requests_[path];
        const auto it = pages_.find(path);
        QByteArray reply;
        if (it != pages_.end() && it->second.answered >= 0 && requests_[path] > it->second.answered) {
            stalled_ << socket;
            return;
        }
        if (it == pages_.end()) {
            reply = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        } else {
            reply = "HTTP/1.1 200 OK\r\n" + it->second.extraHeaders + "Content-Type: " + it->second.contentType +
                    "\r\nContent-Length: " + QByteArray::number(it->second.body.size()) +
                    "\r\nConnection: close\r\n\r\n" + it->second.body;
        }
        socket->write(reply);
        socket->disconnectFromHost();
    }

    std::map<QByteArray, Page> pages_;
    std::map<QByteArray, int> requests_;
    QList<QPointer<QTcpSocket>> stalled_;
};

// A shown browser with spies on the events the window handles.
struct Harness {
    WebEngineBrowser browser;
    QSignalSpy complete{&browser, &Browser::DocumentComplete};
    QSignalSpy titles{&browser, &Browser::TitleChange};
    QSignalSpy before{&browser, &Browser::BeforeNavigate2};
    QSignalSpy states{&browser, &Browser::CommandStateChange};

    Harness() {
        browser.view()->resize(800, 600);
        browser.view()->show();
    }

    // Runs a browser command and waits for the document-complete event that ends it.
    template <typename Command>
    bool waitLoad(Command command) {
        const qsizetype seen = complete.count();
        command();
        return QTest::qWaitFor([&] { return complete.count() > seen; }, kWaitMs);
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
        (void)QTest::qWaitFor([&] { return result->has_value(); }, 2 * kWaitMs);
        return *result;
    }

    std::optional<bool> saveDocument(const QString& path) {
        return await<bool>([&](auto done) { browser.SaveDocument(path, done); });
    }

    std::optional<bool> saveFrame(int index, const QString& path) {
        return await<bool>([&](auto done) { browser.SaveFrame(index, path, done); });
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
        // The fixture's KOI8-R bytes must be right, or every comparison below proves nothing.
        QCOMPARE(Koi8r("Мир ёж"), QByteArray("\xED\xC9\xD2\x20\xA3\xD6"));
    }

    void savesTheOriginalBytesOfALocalKoi8rPage() {
        const QString page = dir_.filePath(QStringLiteral("koi8r.html"));
        QVERIFY(WriteFile(page, Koi8rPage()));
        Harness h;
        QVERIFY(h.load(page));
        QCOMPARE(h.browser.LocationURL(), FileUrl(page));
        QTRY_COMPARE_WITH_TIMEOUT(h.lastTitle(), QString::fromUtf8(kKoi8rTitle), kWaitMs);

        const QString saved = dir_.filePath(QStringLiteral("koi8r-saved.html"));
        QCOMPARE(h.saveDocument(saved), std::optional<bool>(true));
        QCOMPARE(ReadFile(saved), Koi8rPage());

        // A second save to the same file replaces it rather than writing beside it.
        QVERIFY(WriteFile(saved, "stale"));
        QCOMPARE(h.saveDocument(saved), std::optional<bool>(true));
        QCOMPARE(ReadFile(saved), Koi8rPage());
    }

    void savesTheOriginalBytesOfAKoi8rPageServedOverHttp() {
        LoopbackServer server;
        QVERIFY(server.start());
        server.serve("/koi8r.html", {"text/html; charset=koi8-r", Koi8rPage()});
        Harness h;
        const QString url = server.url(QStringLiteral("/koi8r.html"));
        QVERIFY(h.load(url));
        QCOMPARE(h.browser.LocationURL(), url);
        QTRY_COMPARE_WITH_TIMEOUT(h.lastTitle(), QString::fromUtf8(kKoi8rTitle), kWaitMs);

        const QString saved = dir_.filePath(QStringLiteral("http-saved.html"));
        QCOMPARE(h.saveDocument(saved), std::optional<bool>(true));
        QCOMPARE(ReadFile(saved), Koi8rPage());
        QVERIFY(server.requests("/koi8r.html") >= 1);
    }

    void givesUpASaveThatDoesNotFinish() {
        LoopbackServer server;
        QVERIFY(server.start());
        // The page may not be kept, so a save has to fetch it again, and that request stays unanswered.
        server.serve("/stall.html", {"text/html", "<html><body>stall</body></html>", 1, "Cache-Control: no-store\r\n"});
        Harness h;
        QVERIFY(h.load(server.url(QStringLiteral("/stall.html"))));
        h.browser.setSaveTimeout(3000);
        const QString saved = dir_.filePath(QStringLiteral("stall-saved.html"));
        QCOMPARE(h.saveDocument(saved), std::optional<bool>(false));
        QVERIFY(!QFile::exists(saved));

        // The browser takes the next save once the server answers again.
        server.dropStalled();
        server.serve("/stall.html",
                     {"text/html", "<html><body>stall</body></html>", -1, "Cache-Control: no-store\r\n"});
        QCOMPARE(h.saveDocument(saved), std::optional<bool>(true));
        QCOMPARE(ReadFile(saved), QByteArray("<html><body>stall</body></html>"));
    }

    void savesAUtf8PageAsUtf8() {
        const QByteArray bytes =
            QString::fromUtf8(
                "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Юникод</title></head>\n"
                "<body><p>Привет, мир — ✓</p></body></html>\n")
                .toUtf8();
        const QString page = dir_.filePath(QStringLiteral("utf8.html"));
        QVERIFY(WriteFile(page, bytes));
        Harness h;
        QVERIFY(h.load(page));
        QTRY_COMPARE_WITH_TIMEOUT(h.lastTitle(), QString::fromUtf8("Юникод"), kWaitMs);
        const QString saved = dir_.filePath(QStringLiteral("utf8-saved.html"));
        QCOMPARE(h.saveDocument(saved), std::optional<bool>(true));
        QCOMPARE(ReadFile(saved), bytes);
    }

    void takesTheFramesOfAFramesetInOrderEachInItsOwnEncoding() {
        const QString frameset = dir_.filePath(QStringLiteral("frameset.html"));
        QVERIFY(WriteFile(
            frameset, Encode("windows-1251", QString::fromUtf8("<html><head><meta charset=\"windows-1251\">"
                                                               "<title>Кадры</title></head>\n"
                                                               "<frameset cols=\"33%,33%,*\">\n"
                                                               "<frame src=\"first.html\"><frame src=\"second.html\">"
                                                               "<frame src=\"third.html\">\n</frameset></html>\n"))));
        const QString first = dir_.filePath(QStringLiteral("first.html"));
        const QString second = dir_.filePath(QStringLiteral("second.html"));
        const QString third = dir_.filePath(QStringLiteral("third.html"));
        QVERIFY(WriteFile(
            first, Encode("windows-1251", QString::fromUtf8("<!DOCTYPE html><html><head><meta charset=\"windows-1251\">"
                                                            "</head><body>первый кадр</body></html>"))));
        QVERIFY(
            WriteFile(second, Koi8r("<html><head><meta charset=\"koi8-r\"></head><body>второй кадр</body></html>")));
        QVERIFY(WriteFile(
            third, Encode("windows-1251", QString::fromUtf8("<html><head><meta charset=\"windows-1251\"></head>"
                                                            "<body>третий кадр &#10003; &mdash;</body></html>"))));
        Harness h;
        QVERIFY(h.load(frameset));

        const QStringList navigations = h.navigations();
        for (const QString& path : {frameset, first, second, third})
            QVERIFY2(navigations.contains(FileUrl(path)), qPrintable(path));

        QCOMPARE(h.countFrames(), std::optional<int>(3));
        const QString out = dir_.filePath(QStringLiteral("frame.html"));
        QCOMPARE(h.saveFrame(0, out), std::optional<bool>(true));
        QByteArray bytes = ReadFile(out);
        QVERIFY2(bytes.startsWith("<!DOCTYPE html>"), bytes.constData());
        QVERIFY(bytes.contains(Encode("windows-1251", QString::fromUtf8("первый кадр"))));

        QCOMPARE(h.saveFrame(1, out), std::optional<bool>(true));
        QVERIFY(ReadFile(out).contains(Koi8r("второй кадр")));

        QCOMPARE(h.saveFrame(2, out), std::optional<bool>(true));
        bytes = ReadFile(out);
        QVERIFY2(bytes.contains(Encode("windows-1251", QString::fromUtf8("третий кадр"))),
                 bytes.toHex(' ').constData());
        // The check mark has no place in Windows-1251: it stays a character reference; the dash has one.
        QVERIFY2(bytes.contains("&#10003; \x97"), bytes.constData());

        QCOMPARE(h.saveFrame(3, out), std::optional<bool>(false));
        QCOMPARE(h.saveFrame(-1, out), std::optional<bool>(false));
    }

    void reportsNoFramesForAPageWithout() {
        const QString page = dir_.filePath(QStringLiteral("plain.html"));
        QVERIFY(WriteFile(page, "<html><body>plain</body></html>"));
        Harness h;
        QVERIFY(h.load(page));
        QCOMPARE(h.countFrames(), std::optional<int>(0));
        QCOMPARE(h.saveFrame(0, dir_.filePath(QStringLiteral("none.html"))), std::optional<bool>(false));
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
        const QString a = dir_.filePath(QStringLiteral("a.html"));
        const QString b = dir_.filePath(QStringLiteral("b.html"));
        QVERIFY(WriteFile(a, "<html><head><title>A</title></head><body>a</body></html>"));
        QVERIFY(WriteFile(b, "<html><head><title>B</title></head><body>b</body></html>"));
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
        const QString page = dir_.filePath(QStringLiteral("anchors.html"));
        QVERIFY(WriteFile(page, "<html><body><p id=\"part\">part</p></body></html>"));
        Harness h;
        QVERIFY(h.load(page));
        QCOMPARE(h.lastState(Browser::kBack), std::optional<bool>(false));
        const qsizetype seen = h.complete.count();
        auto* view = qobject_cast<QWebEngineView*>(h.browser.view());
        view->page()->runJavaScript(QStringLiteral("location.hash = 'part'"));
        QTRY_COMPARE_WITH_TIMEOUT(h.lastState(Browser::kBack), std::optional<bool>(true), kWaitMs);
        QCOMPARE(h.complete.count(), seen);
    }

    void failsToSaveAPageThatDidNotLoad() {
        Harness h;
        QVERIFY(h.load(dir_.filePath(QStringLiteral("missing.html"))));
        const QString saved = dir_.filePath(QStringLiteral("missing-saved.html"));
        QVERIFY(WriteFile(saved, "stale"));
        QCOMPARE(h.saveDocument(saved), std::optional<bool>(false));
        QVERIFY(!QFile::exists(saved));
    }

    void completesLaterAndTakesOneSaveAtATime() {
        Harness h;
        bool called = false;
        h.browser.SaveDocument(dir_.filePath(QStringLiteral("nothing.html")), [&](bool ok) {
            QVERIFY(!ok);
            called = true;
        });
        QVERIFY(!called);
        QTRY_VERIFY_WITH_TIMEOUT(called, kWaitMs);

        const QString page = dir_.filePath(QStringLiteral("one.html"));
        QVERIFY(WriteFile(page, "<html><body>one</body></html>"));
        QVERIFY(h.load(page));
        std::optional<bool> first;
        std::optional<bool> second;
        h.browser.SaveDocument(dir_.filePath(QStringLiteral("first.out")), [&](bool ok) { first = ok; });
        h.browser.SaveDocument(dir_.filePath(QStringLiteral("second.out")), [&](bool ok) { second = ok; });
        QVERIFY(!first && !second);
        QTRY_VERIFY_WITH_TIMEOUT(first && second, 2 * kWaitMs);
        QCOMPARE(*first, true);
        QCOMPARE(*second, false);
        QCOMPARE(ReadFile(dir_.filePath(QStringLiteral("first.out"))), QByteArray("<html><body>one</body></html>"));
        QVERIFY(!QFile::exists(dir_.filePath(QStringLiteral("second.out"))));
    }

    void dropsPendingCompletionsWhenDestroyed() {
        const QString page = dir_.filePath(QStringLiteral("gone.html"));
        QVERIFY(WriteFile(page, "<html><body>gone</body></html>"));
        int calls = 0;
        {
            Harness h;
            QVERIFY(h.load(page));
            h.browser.SaveDocument(dir_.filePath(QStringLiteral("gone.out")), [&](bool) { ++calls; });
            h.browser.CountFrames([&](int) { ++calls; });
            h.browser.SaveFrame(0, dir_.filePath(QStringLiteral("gone-frame.out")), [&](bool) { ++calls; });
        }
        QTest::qWait(1000);
        QCOMPARE(calls, 0);
    }

    void survivesItsViewDeletedByTheWindow() {
        const QString page = dir_.filePath(QStringLiteral("orphan.html"));
        QVERIFY(WriteFile(page, "<html><body>orphan</body></html>"));
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
};

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    WebEngineBrowserTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "webenginebrowser_xvfb_test.moc"
