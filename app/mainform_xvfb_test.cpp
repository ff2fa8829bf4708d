// The whole program under a real X server with the real web engine: pages opened as local files
// and through a loopback HTTP server, a frameset, a UTF-8 page; each analysed with its charset
// and caption, and no temporary page file left behind.
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include "app/mainform.h"
#include "app/webenginebrowser.h"
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

const char* const kRussianPage =
    "<html><head><title>Проверка кодировки</title></head><body><h1>Проверка кодировки</h1>"
    "<p>Программа читает страницу и находит слова. Программа считает слова страницы.</p></body></html>";

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Serves one page over HTTP on 127.0.0.1 to every request.
class PageServer : public QTcpServer {
  public:
    PageServer(QByteArray body, QByteArray contentType) : body_(std::move(body)), type_(std::move(contentType)) {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    request_ += socket->readAll();
                    if (!request_.contains("\r\n\r\n")) return;
                    request_.clear();
                    socket->write("HTTP/1.0 200 OK\r\nContent-Type: " + type_ + "\r\nContent-Length: " +
                                  QByteArray::number(body_.size()) + "\r\nConnection: close\r\n\r\n" + body_);
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

  private:
    QByteArray body_;
    QByteArray type_;
    QByteArray request_;
};

}  // namespace

class MainFormXvfbTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<TFormMain> form_;

    QString charset() { return form_->findChild<QLabel*>(QStringLiteral("sbCharset"))->text(); }
    QString caption() { return QString::fromStdString(std::string(form_->document().analysis.caption)); }

    // Opens an address and waits until its analysis has filled the sentence list anew.
    void open(const QString& address) {
        const auto runs = form_->document().sentences.rows.size();
        form_->setProperty("runsBefore", static_cast<qulonglong>(runs));
        form_->OpenAddress(address);
        QTRY_VERIFY_WITH_TIMEOUT(
            !form_->document().analysis.slWordFull.empty() && !form_->analysisRunning() &&
                form_->findChild<QLabel*>(QStringLiteral("sbBrowserText"))->text() == u("Document complete"),
            60000);
    }
    bool hasWord(const char* word) {
        QByteArray wanted;
        for (QChar c : u(word)) {
            char16_t code = c.unicode();
            wanted += code >= 0x410 && code <= 0x44F ? static_cast<char>(code - 0x410 + 0xC0) : static_cast<char>(code);
        }
        for (const auto& entry : form_->document().analysis.slWordFull) {
            if (QByteArray::fromStdString(entry.text) == wanted) return true;
        }
        return false;
    }

  private slots:
    void init() {
        form_ = std::make_unique<TFormMain>(new WebEngineBrowser, StartupSettings{});
        form_->resize(1200, 900);
        form_->show();
    }
    void cleanup() {
        QVERIFY(QDir(form_->temporaryDirectory()).entryList(QDir::Files).isEmpty());
        form_.reset();
    }

    void koi8PageFromAFile() {
        const QString path = dir_.filePath(u("koi8.html"));
        writeFile(path, toKoi8(u(kRussianPage)));
        open(path);
        QCOMPARE(charset(), u("KOI8-R"));
        QTRY_COMPARE(form_->windowTitle(), u("Проверка кодировки - Sumoran"));
        QVERIFY(hasWord("Программа"));
    }

    void koi8PageOverLoopbackHttp() {
        PageServer server(toKoi8(u(kRussianPage)), "text/html; charset=koi8-r");
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        open(QStringLiteral("http://127.0.0.1:%1/page.html").arg(server.serverPort()));
        QCOMPARE(charset(), u("KOI8-R"));
        QVERIFY(hasWord("страницу"));
    }

    void framesetWithThreeFrames() {
        for (int k = 1; k <= 3; ++k) {
            const char* words[] = {"", "первый", "второй", "третий"};
            writeFile(dir_.filePath(QStringLiteral("f%1.html").arg(k)),
                      u("<html><head><meta charset=\"utf-8\"></head><body><p>Кадр %1 %1 текст.</p></body></html>")
                          .arg(u(words[k]))
                          .toUtf8());
        }
        const QString path = dir_.filePath(u("frames.html"));
        writeFile(path,
                  "<html><head><title>Frames</title></head><frameset cols=\"*,*,*\"><frame src=\"f1.html\">"
                  "<frame src=\"f2.html\"><frame src=\"f3.html\"></frameset></html>");
        open(path);
        QTRY_VERIFY_WITH_TIMEOUT(hasWord("первый") && hasWord("второй") && hasWord("третий"), 60000);
        QCOMPARE(charset(), u("Windows-1251"));
        QCOMPARE(caption(), u("Frames - Sumoran"));
    }

    void utf8Page() {
        const QString path = dir_.filePath(u("utf8.html"));
        QByteArray page = u(kRussianPage).toUtf8();
        page.replace("<head>", "<head><meta charset=\"utf-8\">");
        writeFile(path, page);
        open(path);
        QCOMPARE(charset(), u("Windows-1251"));
        QVERIFY(hasWord("Программа"));
        QTRY_COMPARE(form_->windowTitle(), u("Проверка кодировки - Sumoran"));
    }
};

QTEST_MAIN(MainFormXvfbTest)
#include "mainform_xvfb_test.moc"
