// An exception that escapes a slot reaches the error box, and the event loop goes on; the start of
// the program: a settings file that cannot be read ends it after the error box, and the address on
// the command line opens.
#include "app/application.h"

#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>
#include <array>
#include <cstdlib>
#include <functional>
#include <new>
#include <stdexcept>

#include "app/browser/fakebrowser.h"
#include "app/mainform.h"

namespace {

// Reads and closes every message box that opens while it lives, and ends the event loop if the
// main window is shown.
class BoxCloser : public QObject {
  public:
    BoxCloser() {
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown << box->text();
                box->accept();
            }
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* form = qobject_cast<TFormMain*>(w);
                if (!form || !form->isVisible()) continue;
                if (onWindow) onWindow(*form);
                QApplication::quit();
            }
        });
        timer_.start(20);
    }
    QStringList shown;
    std::function<void(TFormMain&)> onWindow;  // called with the main window once it is shown

  private:
    QTimer timer_;
};

}  // namespace

using namespace Qt::StringLiterals;

class ApplicationTest : public QObject {
    Q_OBJECT

  private slots:
    void showsAnEscapedExceptionAndGoesOn_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("runtime error") << 0 << QString::fromUtf8("Ошибка: сбой в команде");
        QTest::newRow("out of memory") << 1 << QString::fromUtf8("Недостаточно памяти: команда не выполнена.");
        QTest::newRow("anything else") << 2 << QString::fromUtf8("Неизвестная ошибка: команда не выполнена.");
    }

    void showsAnEscapedExceptionAndGoesOn() {
        QFETCH(int, kind);
        QFETCH(QString, message);
        // The real error box: it runs a loop of its own, in which the closer reads and closes it.
        BoxCloser closer;
        QTimer::singleShot(0, this, [kind] {
            if (kind == 0) throw std::runtime_error("сбой в команде");
            if (kind == 1) throw std::bad_alloc();
            throw 42;
        });
        bool later = false;  // posted after the throw: the loop goes on to it
        QTimer::singleShot(0, this, [&] { later = true; });
        QTRY_VERIFY(later);
        QCOMPARE(closer.shown, QStringList{message});
    }

    void aMissingStopWordsFileEndsTheProgramAfterTheErrorBox() {
        QTemporaryDir settings;
        BoxCloser closer;
        bool browserMade = false;
        const int code = RunProgram(settings.path().toStdString(), QString(), [&]() -> Browser* {
            browserMade = true;
            return new FakeBrowser;
        });
        QCOMPARE(code, EXIT_FAILURE);
        QVERIFY2(!browserMade, "no window is made");
        QCOMPARE(closer.shown.size(), 1);
        QVERIFY2(closer.shown[0].contains(settings.filePath(QStringLiteral("stopwords.txt"))),
                 qPrintable(closer.shown[0]));
    }

    // koef.dat with a line that is not a number: the box names the file and the line, then the
    // window opens with the default coefficients and says so in its status bar.
    void anUnreadableKoefIsShownAndTheWindowStartsWithTheDefaults() {
        QTemporaryDir settings;
        QFile stopWords(settings.filePath(u"stopwords.txt"_s));
        QVERIFY(stopWords.open(QIODevice::WriteOnly));
        stopWords.close();
        QFile koef(settings.filePath(u"koef.dat"_s));
        QVERIFY(koef.open(QIODevice::WriteOnly));
        for (int line = 1; line <= 18; ++line) koef.write(line == 5 ? "abc\r\n" : "1\r\n");
        koef.close();
        BoxCloser closer;
        QString status;
        std::array<double, Coefficients::kCount> values{};
        closer.onWindow = [&](TFormMain& form) {
            status = form.findChild<QLabel*>(u"sbMain"_s)->text();
            values = form.document().analysis().koef.values();
        };
        const int code = RunProgram(settings.path().toStdString(), QString(), [] { return new FakeBrowser; });
        QCOMPARE(code, 0);
        QCOMPARE(closer.shown, QStringList{settings.filePath(u"koef.dat"_s) +
                                           u", line 5: 'abc' is not a valid floating point value"_s});
        QCOMPARE(status, u"Файл koef.dat не прочитан: действуют весовые коэффициенты по умолчанию"_s);
        QVERIFY(values == Coefficients{}.values());
    }

    void theCommandLineAddressOpens_data() {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("opened");  // the file in the current directory, or the address
        QTest::addColumn<bool>("file");
        QTest::newRow("a file in the current directory") << u"page.html"_s << u"page.html"_s << true;
        QTest::newRow("a file below it") << u"sub/page.html"_s << u"sub/page.html"_s << true;
        QTest::newRow("a file with # and ? in its name") << u"a #1?.html"_s << u"a #1?.html"_s << true;
        QTest::newRow("no such file: an address") << u"example.org/a.html"_s << u"http://example.org/a.html"_s << false;
        QTest::newRow("none") << QString() << QString() << false;
    }

    void theCommandLineAddressOpens() {
        QFETCH(QString, argument);
        QFETCH(QString, opened);
        QFETCH(bool, file);
        QTemporaryDir settings;
        QFile stopWords(settings.filePath(u"stopwords.txt"_s));
        QVERIFY(stopWords.open(QIODevice::WriteOnly));
        stopWords.close();
        QTemporaryDir work;
        QVERIFY(QDir(work.path()).mkdir(u"sub"_s));
        for (const QString& name : {u"page.html"_s, u"sub/page.html"_s, u"a #1?.html"_s}) {
            QFile page(work.filePath(name));
            QVERIFY(page.open(QIODevice::WriteOnly));
        }
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(work.path()));
        const QString current = QDir::currentPath();
        FakeBrowser* browser = nullptr;
        QStringList navigated;
        QTimer::singleShot(0, this, [&] {
            navigated = browser->navigated;
            QApplication::quit();
        });
        const int code = RunProgram(settings.path().toStdString(), argument, [&] { return browser = new FakeBrowser; });
        QDir::setCurrent(before);
        QCOMPARE(code, 0);
        QCOMPARE(navigated.size(), opened.isEmpty() ? 0 : 1);
        // The browser reads an address with a scheme as a URL (see WebEngineBrowser::UrlFromAddress).
        if (file) QCOMPARE(QUrl(navigated[0]).toLocalFile(), QDir(current).filePath(opened));
        if (!file && !opened.isEmpty()) QCOMPARE(navigated[0], opened);
    }
};

int main(int argc, char** argv) {
    Application app(argc, argv);
    ApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "application_test.moc"
