// Which navigations the browser lets a page make, case by case.
#include "app/navigationpolicy.h"

#include <QtTest>

Q_DECLARE_METATYPE(NavigationVerdict)

class NavigationPolicyTest : public QObject {
    Q_OBJECT

  private slots:
    void decides_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("mainFrame");
        QTest::addColumn<bool>("linkClicked");
        QTest::addColumn<bool>("byProgram");
        QTest::addColumn<bool>("fromLocal");
        QTest::addColumn<NavigationVerdict>("verdict");
        using V = NavigationVerdict;
        const QString local = QStringLiteral("sumoran-local:/home/user/page.html");
        // url, main frame, link clicked, started by the program, from a local page
        QTest::newRow("web page") << "https://example.org/" << true << false << false << false << V::kAllow;
        QTest::newRow("web frame of a local page")
            << "http://example.org/" << false << false << false << true << V::kAllow;
        QTest::newRow("local file the user opened") << local << true << false << true << false << V::kAllow;
        QTest::newRow("local link from a local page") << local << true << true << false << true << V::kAllow;
        QTest::newRow("local frame of a local page") << local << false << false << false << true << V::kAllow;
        QTest::newRow("local file from a web page") << local << true << true << false << false << V::kDrop;
        QTest::newRow("local frame in a web page") << local << false << false << false << false << V::kDrop;
        QTest::newRow("file link from a local page")
            << "file:///etc/passwd" << true << true << false << true << V::kOpenAsLocal;
        QTest::newRow("file address the user typed")
            << "file:///tmp/a.html" << true << false << true << false << V::kOpenAsLocal;
        QTest::newRow("file link from a web page")
            << "file:///etc/passwd" << true << true << false << false << V::kDrop;
        QTest::newRow("file frame of a local page")
            << "file:///etc/passwd" << false << false << false << true << V::kDrop;
        QTest::newRow("blank page") << "about:blank" << true << false << false << false << V::kAllow;
        QTest::newRow("srcdoc frame") << "about:srcdoc" << false << false << false << false << V::kAllow;
        QTest::newRow("other about page") << "about:config" << true << true << false << false << V::kDrop;
        QTest::newRow("data frame") << "data:text/html,<p>x" << false << false << false << false << V::kAllow;
        QTest::newRow("data page") << "data:text/html,<p>x" << true << true << false << false << V::kDrop;
        QTest::newRow("mailto clicked") << "mailto:a@example.org" << true << true << false << false << V::kAskUser;
        QTest::newRow("mailto by script") << "mailto:a@example.org" << true << false << false << false << V::kDrop;
        QTest::newRow("unknown scheme in a frame") << "foo:bar" << false << true << false << false << V::kDrop;
        QTest::newRow("javascript by the program")
            << "javascript:alert(1)" << true << false << true << false << V::kDrop;
    }

    void decides() {
        QFETCH(QString, url);
        QFETCH(bool, mainFrame);
        QFETCH(bool, linkClicked);
        QFETCH(bool, byProgram);
        QFETCH(bool, fromLocal);
        QFETCH(NavigationVerdict, verdict);
        QCOMPARE(DecideNavigation({QUrl(url), mainFrame, linkClicked, byProgram, fromLocal}), verdict);
    }
};

QTEST_APPLESS_MAIN(NavigationPolicyTest)
#include "navigationpolicy_test.moc"
