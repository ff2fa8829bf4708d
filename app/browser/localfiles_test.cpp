// What the local scheme serves: the type of a file from its name, the files a local page may load,
// and reading only regular files without blocking.
#include "app/browser/localfiles.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class LocalFilesTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path(const char* relative) { return dir_.filePath(QString::fromUtf8(relative)); }
    bool write(const char* relative) {
        QFile file(path(relative));
        return file.open(QIODevice::WriteOnly) && file.write("<p>x</p>") == 8;
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(QDir().mkpath(path("site/page_files/deep")));
        QVERIFY(QDir().mkpath(path("other")));
        for (const char* file :
             {"site/page.html", "site/page_files/deep/a.png", "site/page_files/s.css", "secret.txt", "other/x.html"})
            QVERIFY(write(file));
        QVERIFY(QFile::link(path("secret.txt"), path("site/link-out.txt")));
        QVERIFY(QFile::link(path("site/page_files/s.css"), path("site/link-in.css")));
        QVERIFY(QFile::link(path("other"), path("site/dir-out")));
        QVERIFY(::mkfifo(QFile::encodeName(path("site/fifo.html")).constData(), 0600) == 0);
    }

    void typesComeFromTheNameAlone_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("type");
        QTest::newRow("html") << "a.html" << QByteArray("text/html");
        QTest::newRow("htm in capitals") << "A.HTM" << QByteArray("text/html");
        QTest::newRow("shtml") << "a.shtml" << QByteArray("text/html");
        QTest::newRow("xhtml") << "a.xhtml" << QByteArray("application/xhtml+xml");
        QTest::newRow("xht") << "a.xht" << QByteArray("application/xhtml+xml");
        QTest::newRow("style sheet") << "a.css" << QByteArray("text/css");
        QTest::newRow("image") << "a.png" << QByteArray("image/png");
    }
    void typesComeFromTheNameAlone() {
        QFETCH(QString, name);
        QFETCH(QByteArray, type);
        QCOMPARE(localfiles::MimeTypeOf(QStringLiteral("/nowhere/") + name), type);
    }

    void aPageLoadsOnlyFromItsFolder_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("the page") << "site/page.html" << true;
        QTest::newRow("its saved files") << "site/page_files/s.css" << true;
        QTest::newRow("deeper") << "site/page_files/deep/a.png" << true;
        QTest::newRow("a link within the folder") << "site/link-in.css" << true;
        QTest::newRow("the folder above") << "secret.txt" << false;
        QTest::newRow("dot-dot out of it") << "site/page_files/../../secret.txt" << false;
        QTest::newRow("a folder beside it") << "other/x.html" << false;
        QTest::newRow("a link that leads out") << "site/link-out.txt" << false;
        QTest::newRow("through a linked folder") << "site/dir-out/x.html" << false;
        QTest::newRow("a file that is not there") << "site/none.html" << false;
        QTest::newRow("a system file") << "/etc/passwd" << false;
    }
    void aPageLoadsOnlyFromItsFolder() {
        QFETCH(QString, file);
        QFETCH(bool, allowed);
        localfiles::Confinement confinement;
        QVERIFY(!confinement.allows(path("site/page.html")));  // nothing before a page is opened
        confinement.openDocument(path("site/page.html"));
        QCOMPARE(confinement.allows(file.startsWith(u'/') ? file : dir_.filePath(file)), allowed);
        confinement.clear();
        QVERIFY(!confinement.allows(path("site/page.html")));
    }

    void readsOnlyRegularFilesWithoutBlocking_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<qint64>("maxBytes");
        QTest::addColumn<int>("status");
        using R = localfiles::ReadResult;
        QTest::newRow("a page") << path("site/page.html") << qint64{100} << int{R::kOk};
        QTest::newRow("past the bound") << path("site/page.html") << qint64{7} << int{R::kTooLarge};
        QTest::newRow("a FIFO") << path("site/fifo.html") << qint64{100} << int{R::kNotAFile};
        QTest::newRow("a device") << QStringLiteral("/dev/zero") << qint64{100} << int{R::kNotAFile};
        QTest::newRow("a folder") << path("site") << qint64{100} << int{R::kNotAFile};
        QTest::newRow("missing") << path("none.html") << qint64{100} << int{R::kNotAFile};
    }
    void readsOnlyRegularFilesWithoutBlocking() {
        QFETCH(QString, file);
        QFETCH(qint64, maxBytes);
        QFETCH(int, status);
        const localfiles::ReadResult result = localfiles::ReadLocalFile(file, maxBytes);
        QCOMPARE(int{result.status}, status);
        QCOMPARE(result.bytes.isEmpty(), status != localfiles::ReadResult::kOk);
    }
};

QTEST_GUILESS_MAIN(LocalFilesTest)
#include "localfiles_test.moc"
