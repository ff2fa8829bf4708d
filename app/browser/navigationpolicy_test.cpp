// Which navigations the browser lets a page make, case by case.
#include "app/browser/navigationpolicy.h"

#include <QtTest>

Q_DECLARE_METATYPE(NavigationVerdict)

class NavigationPolicyTest : public QObject {
    Q_OBJECT

  private slots:
    void decides_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("how");
        QTest::addColumn<NavigationVerdict>("verdict");
        using V = NavigationVerdict;
        const QString local = QStringLiteral("sumoran-local:/home/user/page.html");
        const QString web = QStringLiteral("https://example.org/");
        // how: "frame" for a frame; who asked: "program", "user" or the page; "redirect"; the page on
        // screen: "local" (its content "allowed" or not), else from the network; "continues" a
        // redirect of the user's own navigation.
        QTest::newRow("web page") << web << "page" << V::kAllow;
        QTest::newRow("web frame of a web page") << web << "frame page" << V::kAllow;
        QTest::newRow("web frame of a local page") << web << "frame page local" << V::kDrop;
        QTest::newRow("web frame of an allowed local page") << web << "frame page local allowed" << V::kAllow;
        QTest::newRow("meta refresh of a local page to the web") << web << "page redirect local" << V::kDrop;
        QTest::newRow("script of a local page to the web") << web << "page local" << V::kDrop;
        QTest::newRow("link clicked in a local page") << web << "user local" << V::kAllow;
        QTest::newRow("server redirect after the click") << web << "page redirect local continues" << V::kAllow;
        QTest::newRow("address typed while a local page shows") << web << "program local" << V::kAllow;
        QTest::newRow("local file the user opened") << local << "program" << V::kAllow;
        QTest::newRow("local link clicked in a local page") << local << "user local" << V::kAllow;
        QTest::newRow("local frame of a local page") << local << "frame page local" << V::kAllow;
        QTest::newRow("local file by a local page's script") << local << "page local allowed" << V::kDrop;
        QTest::newRow("local file clicked in a web page") << local << "user" << V::kDrop;
        QTest::newRow("local frame in a web page") << local << "frame page" << V::kDrop;
        QTest::newRow("redirect into a local file") << local << "page redirect continues" << V::kDrop;
        QTest::newRow("redirect into a local file from a local page")
            << local << "page redirect local continues" << V::kDrop;
        QTest::newRow("file link clicked in a local page") << "file:///etc/passwd"
                                                           << "user local" << V::kOpenAsLocal;
        QTest::newRow("file address the user typed") << "file:///tmp/a.html"
                                                     << "program" << V::kOpenAsLocal;
        QTest::newRow("file link clicked in a web page") << "file:///etc/passwd"
                                                         << "user" << V::kDrop;
        QTest::newRow("file frame of a local page") << "file:///etc/passwd"
                                                    << "frame page local" << V::kDrop;
        QTest::newRow("redirect to a file address") << "file:///etc/passwd"
                                                    << "page redirect local" << V::kDrop;
        QTest::newRow("blank page") << "about:blank"
                                    << "page" << V::kAllow;
        QTest::newRow("srcdoc frame") << "about:srcdoc"
                                      << "frame page" << V::kAllow;
        QTest::newRow("other about page") << "about:config"
                                          << "user" << V::kDrop;
        QTest::newRow("data frame") << "data:text/html,<p>x"
                                    << "frame page" << V::kAllow;
        QTest::newRow("data page") << "data:text/html,<p>x"
                                   << "user" << V::kDrop;
        QTest::newRow("mailto clicked") << "mailto:a@example.org"
                                        << "user" << V::kAskUser;
        QTest::newRow("mailto by script") << "mailto:a@example.org"
                                          << "page" << V::kDrop;
        QTest::newRow("mailto by a redirect") << "mailto:a@example.org"
                                              << "page redirect continues" << V::kDrop;
        QTest::newRow("unknown scheme in a frame") << "foo:bar"
                                                   << "frame user" << V::kDrop;
        QTest::newRow("javascript by the program") << "javascript:alert(1)"
                                                   << "program" << V::kDrop;
    }

    void decides() {
        QFETCH(QString, url);
        QFETCH(QString, how);
        QFETCH(NavigationVerdict, verdict);
        const QStringList words = how.split(u' ');
        NavigationRequest request;
        request.url = QUrl(url);
        request.mainFrame = !words.contains(u"frame");
        request.origin = words.contains(u"program") ? NavigationOrigin::kProgram
                         : words.contains(u"user")  ? NavigationOrigin::kUser
                                                    : NavigationOrigin::kPage;
        request.redirect = words.contains(u"redirect");
        request.fromLocalPage = words.contains(u"local");
        request.localContentAllowed = words.contains(u"allowed");
        request.continuesUserNavigation = words.contains(u"continues");
        QCOMPARE(DecideNavigation(request), verdict);
    }
};

QTEST_APPLESS_MAIN(NavigationPolicyTest)
#include "navigationpolicy_test.moc"
