// The whole program under a real X server with the real web engine: pages opened as local files
// and through a loopback HTTP server, a frameset, a UTF-8 page; each analysed with its charset
// and caption, and no temporary page file left behind.
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>

#include "app/browser/loopbackserver_for_tests.h"
#include "app/browser/webenginebrowser.h"
#include "app/mainform.h"
#include "app/testwindow_for_tests.h"
#include "views/qt/qtext.h"

namespace {

// Encodes Russian text in KOI8-R (ASCII passes unchanged).
QByteArray toKoi8(const QString& text) {
    static const QString kLetters = u("юабцдефгхийклмнопярстужвьызшэщчъЮАБЦДЕФГХИЙКЛМНОПЯРСТУЖВЬЫЗШЭЩЧЪ");
    QByteArray out;
    for (QChar c : text) {
        qsizetype k = kLetters.indexOf(c);
        out += k >= 0 ? static_cast<char>(0xC0 + k) : static_cast<char>(c.unicode());
    }
    return out;
}

// An image of 67 bytes.
const char kPng[] = "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==";

const char* const kRussianPage =
    "<html><head><title>Проверка кодировки</title></head><body><h1>Проверка кодировки</h1>"
    "<p>Программа читает страницу и находит слова. Программа считает слова страницы.</p></body></html>";

}  // namespace

class MainFormXvfbTest : public QObject, WindowAccess {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<PrivateTempDir> tmp_;  // the system's temporary directory while the tests run

    QString charset() { return child<QLabel>("sbCharset")->text(); }
    QString source() { return child<QLabel>("sbAnalysisSource")->text(); }
    QString caption() { return QString::fromStdString(WindowCaption(form_->document().analysis())); }

    // Opens an address and waits until it is analysed.
    void open(const QString& address) {
        form_->OpenAddress(address);
        QTRY_VERIFY_WITH_TIMEOUT(!form_->document().analysis().slWordFull.empty() && !form_->analysisRunning() &&
                                     status() == u("Document complete"),
                                 60000);
    }
    // Every cell of the four lists, row by row.
    QStringList lists() {
        QStringList cells;
        const Document& doc = form_->document();
        for (const ListModel* list : {&ListOf(doc, ResultList::kWordBase), &ListOf(doc, ResultList::kWordFull),
                                      &ListOf(doc, ResultList::kWordExpr), &doc.sentences})
            for (std::size_t row = 0; row < list->rows.size(); ++row)
                for (const std::string& cell : list->row(row).cells) cells << FromCp1251(cell);
        return cells;
    }
    bool hasWord(const char* word) { return HasWord(*form_, u(word)); }

  private slots:
    void initTestCase() {
        tmp_ = std::make_unique<PrivateTempDir>();
        QVERIFY(tmp_->isValid());
    }
    void cleanupTestCase() { tmp_.reset(); }
    void init() {
        form_ = std::make_unique<TFormMain>(new WebEngineBrowser, StartupSettings{});
        form_->resize(1200, 900);
        form_->show();
    }
    void cleanup() {
        // Taking a page writes no temporary file.
        QVERIFY2(tmp_->entries().isEmpty(), qPrintable(tmp_->entries().join(u' ')));
        form_.reset();
    }

    void koi8PageFromAFile() {
        const QString path = dir_.filePath(u("koi8.html"));
        QVERIFY(WriteTestFile(path, toKoi8(u(kRussianPage))));
        open(path);
        QCOMPARE(charset(), u("KOI8-R"));
        QTRY_COMPARE(form_->windowTitle(), u("Проверка кодировки - Sumoran"));
        QVERIFY(hasWord("Программа"));
    }

    void koi8PageOverLoopbackHttp() {
        LoopbackServer server;
        QVERIFY(server.start());
        server.serve("/page.html", LoopbackServer::Reply{"text/html; charset=koi8-r", toKoi8(u(kRussianPage))});
        open(server.url(u("/page.html")));
        QCOMPARE(charset(), u("KOI8-R"));
        QVERIFY(hasWord("страницу"));
    }

    // The copyright sign of a KOI8-R page served over HTTP reaches the sentence list as "©": the
    // page's text is taken from the browser and written back in the page's charset, where it is 0xBF.
    void koi8CopyrightSignOverLoopbackHttp() {
        LoopbackServer server;
        QVERIFY(server.start());
        QStringEncoder koi8("KOI8-R");
        QVERIFY(koi8.isValid());
        const QByteArray page =
            koi8.encode(u("<html><body><p>Программа читает страницу и находит слова. Все права "
                          "защищены © 2024 автором программы.</p></body></html>"));
        QVERIFY(page.contains('\xBF'));
        server.serve("/copyright.html", LoopbackServer::Reply{"text/html; charset=koi8-r", page});
        open(server.url(u("/copyright.html")));
        QCOMPARE(charset(), u("KOI8-R"));
        const ListModel& sentences = form_->document().sentences;
        QStringList texts;
        for (std::size_t row = 0; row < sentences.rows.size(); ++row) texts << FromCp1251(sentences.cell(row, 0));
        QVERIFY2(texts.contains(u("Все права защищены © 2024 автором программы.")),
                 qPrintable(texts.join(QStringLiteral(" | "))));
    }

    void framesetWithThreeFrames() {
        for (int k = 1; k <= 3; ++k) {
            const char* words[] = {"", "первый", "второй", "третий"};
            QVERIFY(WriteTestFile(
                dir_.filePath(QStringLiteral("f%1.html").arg(k)),
                u("<html><head><meta charset=\"utf-8\"></head><body><p>Кадр %1 %1 текст.</p></body></html>")
                    .arg(u(words[k]))
                    .toUtf8()));
        }
        const QString path = dir_.filePath(u("frames.html"));
        QVERIFY(WriteTestFile(path,
                              "<html><head><title>Frames</title></head><frameset cols=\"*,*,*\"><frame src=\"f1.html\">"
                              "<frame src=\"f2.html\"><frame src=\"f3.html\"></frameset></html>"));
        const QStringList files = QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden);
        open(path);
        QTRY_VERIFY_WITH_TIMEOUT(hasWord("первый") && hasWord("второй") && hasWord("третий"), 60000);
        QCOMPARE(charset(), u("UTF-8"));
        QCOMPARE(caption(), u("Frames - Sumoran"));
        QCOMPARE(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden), files);
    }

    // A local file without frames is analysed from its bytes as it is opened, before the browser
    // has shown it, and the lists are those the page taken from the browser gives.
    void framelessFileAnalysedAsOpened() {
        const QString path = dir_.filePath(u("early.html"));
        QByteArray page = u(kRussianPage).toUtf8();
        page.replace("<head>", "<head><meta charset=\"utf-8\">");
        QVERIFY(WriteTestFile(path, page));
        form_->OpenAddress(path);
        QVERIFY(hasWord("Программа"));
        const QStringList early = lists();
        QTRY_COMPARE_WITH_TIMEOUT(status(), u("Document complete"), 60000);
        QCOMPARE(lists(), early);
        form_->ExtractAndAnalyse();
        QTRY_VERIFY_WITH_TIMEOUT(!form_->analysisRunning(), 60000);
        QCOMPARE(lists(), early);
    }

    // Frames that the page's script makes are taken from the browser once it has shown them: a
    // local page's scripts run once the user allows them.
    void framesMadeByScriptTakenAfterLoad() {
        for (int k = 1; k <= 2; ++k)
            QVERIFY(WriteTestFile(dir_.filePath(QStringLiteral("s%1.html").arg(k)),
                                  u("<html><body><p>Вставка %1 текст.</p></body></html>")
                                      .arg(k == 1 ? u("первая") : u("вторая"))
                                      .toUtf8()));
        const QString path = dir_.filePath(u("scripted.html"));
        QVERIFY(WriteTestFile(path,
                              "<html><body><p>Main text here.</p><script>for (const name of ['s1.html', 's2.html']) {"
                              " const f = document.createElement('ifr' + 'ame'); f.src = name; "
                              "document.body.appendChild(f); }</script></body></html>"));
        form_->OpenAddress(path);
        QVERIFY(!hasWord("первая"));
        auto* allow = form_->findChild<QPushButton*>(QStringLiteral("btAllowContent"));
        QVERIFY(allow);
        QTRY_VERIFY_WITH_TIMEOUT(allow->isVisible() && !form_->analysisRunning(), 60000);
        QVERIFY(!hasWord("первая"));
        allow->click();
        QTRY_VERIFY_WITH_TIMEOUT(hasWord("первая") && hasWord("вторая"), 60000);
    }

    // A page of many images is analysed as soon as its document is parsed, before its last image
    // has come; load complete takes it again and, the markup being the same, keeps the lists.
    void aPageOfManyImagesIsAnalysedBeforeItsImages() {
        LoopbackServer server;
        QVERIFY(server.start());
        QString body;
        for (int k = 0; k < 1000; ++k) {
            body += u("<p>Абзац %1 страницы с картинками. <img src=\"/img/%1.png\" width=4 height=4></p>").arg(k);
            // The last image is held back the first time it is asked for (the engine asks again when
            // the connection is dropped).
            server.serve("/img/" + QByteArray::number(k) + ".png", [k](int n) {
                return LoopbackServer::Reply{
                    "image/png", QByteArray::fromBase64(kPng), {}, "200 OK", k == 999 && n == 1};
            });
        }
        server.serve("/many.html", LoopbackServer::Reply{"text/html; charset=utf-8",
                                                         u("<html><head><meta charset=\"utf-8\"><title>Картинки"
                                                           "</title></head><body>%1</body></html>")
                                                             .arg(body)
                                                             .toUtf8()});
        form_->OpenAddress(server.url(u("/many.html")));
        QVERIFY(WaitUntil([&] { return hasWord("картинками") && !form_->analysisRunning(); }, 60000));
        QVERIFY(status() != u("Document complete"));  // the last image is still to come
        QVERIFY(source().startsWith(u("Анализ по разобранной странице")));
        const QStringList parsed = lists();
        QVERIFY(WaitUntil([&] { return server.requests("/img/999.png") == 1; }, 60000));
        QVERIFY(status() != u("Document complete"));
        server.dropStalled();
        QVERIFY(WaitUntil([&] { return status() == u("Document complete") && !form_->analysisRunning(); }, 60000));
        QCOMPARE(source(), u("Анализ по разобранной странице; после загрузки она не изменилась"));
        QCOMPARE(lists(), parsed);
    }

    void utf8Page() {
        const QString path = dir_.filePath(u("utf8.html"));
        QByteArray page = u(kRussianPage).toUtf8();
        page.replace("<head>", "<head><meta charset=\"utf-8\">");
        QVERIFY(WriteTestFile(path, page));
        open(path);
        QCOMPARE(charset(), u("UTF-8"));
        QVERIFY(hasWord("Программа"));
        QTRY_COMPARE(form_->windowTitle(), u("Проверка кодировки - Sumoran"));
    }
};

QTEST_MAIN(MainFormXvfbTest)
#include "mainform_xvfb_test.moc"
