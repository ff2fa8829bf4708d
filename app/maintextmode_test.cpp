// "Только основной текст" and "Показать основной текст" in the window over the in-memory browser:
// the mode reads the page the document keeps again without taking it anew, is stored and restored,
// says in the status bar what it read, and the outline command hands the browser the run's blocks.
#include "app/maintextmode.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStandardPaths>
#include <QToolButton>
#include <QtTest>

#include "app/testwindow_for_tests.h"

namespace {

// A page with a menu, an article of three paragraphs and a footer.
const char* const kArticle =
    "<html><head><title>Отчёт</title></head><body>"
    "<nav><ul><li><a href=\"/\">Главная</a></li><li><a href=\"/news\">Новости</a></li>"
    "<li><a href=\"/contacts\">Контакты</a></li></ul></nav>"
    "<article><h1>Годовой отчёт</h1>"
    "<p>Первый год работы был трудным: мы искали помещение, нанимали людей и учились продавать.</p>"
    "<p>Второй год работы принёс успех, потому что покупатели вернулись и привели своих знакомых.</p>"
    "<p>Третий год мы посвятили новым магазинам в соседних городах, и выручка выросла вдвое.</p></article>"
    "<footer><p>Подвал сайта</p></footer></body></html>";

// A page of links only: too little text for main text.
const char* const kLinks =
    "<html><body><ul><li><a href=\"/1\">Первая ссылка</a></li><li><a href=\"/2\">Вторая ссылка</a></li></ul>"
    "</body></html>";

QSettings Stored() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Sumoran"), QStringLiteral("sumoran"));
}

}  // namespace

class MainTextModeTest : public QObject, TestWindow {
    Q_OBJECT

    QString contentStatus() {
        auto* label = child<QLabel>("sbContent");
        return label->isHidden() ? QString() : label->text();
    }
    void load(const char* page) {
        LoadTestPage(*browser_, u(page));
        QTRY_VERIFY(!form_->analysisRunning());
    }
    void toggleMode() {
        action("miMainText")->trigger();
        QTRY_VERIFY(!form_->analysisRunning());
    }
    const ContentReport& content() { return form_->document().content(); }

  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);  // the window's stored choices go to a test folder
        Stored().clear();
    }
    void init() { OpenTestWindow(browser_, settingsDir_, form_); }
    void cleanup() {
        closeWindow();
        Stored().clear();
    }

    void theStatusTextSaysWhatWasRead_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("text");
        const int page = static_cast<int>(ContentMode::kPage), main = static_cast<int>(ContentMode::kMain);
        QTest::newRow("the whole page") << page << false << QString() << QString();
        QTest::newRow("found") << main << true << QString() << u("Основной текст: 120 слов из 450");
        QTest::newRow("a frameset") << main << false << u("frameset")
                                    << u("Основной текст не найден (набор кадров): проанализирована вся страница");
        QTest::newRow("too little text")
            << main << false << u("too-little-text")
            << u("Основной текст не найден (слишком мало текста): проанализирована вся страница");
        QTest::newRow("no text") << main << false << u("no-text")
                                 << u("Основной текст не найден (нет текста): проанализирована вся страница");
        QTest::newRow("too large")
            << main << false << u("too-large")
            << u("Основной текст не найден (страница слишком велика): проанализирована вся страница");
        QTest::newRow("another reason") << main << false << u("unparsable")
                                        << u("Основной текст не найден: проанализирована вся страница");
        QTest::newRow("no reason") << main << false << QString()
                                   << u("Основной текст не найден: проанализирована вся страница");
    }
    void theStatusTextSaysWhatWasRead() {
        QFETCH(int, mode);
        QFETCH(bool, found);
        QFETCH(QString, reason);
        QFETCH(QString, text);
        ContentReport report;
        report.mode = static_cast<ContentMode>(mode);
        report.found = found;
        report.reason = reason.toStdString();
        report.mainWords = found ? 120 : 0;
        report.pageWords = 450;
        QCOMPARE(ContentStatus(report), text);
    }

    void theCommandsAreInTheirMenusAndOnTheToolBar() {
        QAction* mode = action("miMainText");
        QAction* outline = action("miShowMainText");
        QCOMPARE(mode->text(), u("Только основной текст"));
        QCOMPARE(outline->text(), u("Показать основной текст"));
        QVERIFY(mode->isCheckable() && !mode->isChecked() && mode->isEnabled());
        QVERIFY(outline->isCheckable() && !outline->isEnabled());
        QMap<QString, QMenu*> menus;
        for (QAction* a : form_->menuBar()->actions()) menus[a->text()] = a->menu();
        QVERIFY(menus[u("&Настройки")]->actions().contains(mode));
        QVERIFY(menus[u("&Отметки")]->actions().contains(outline));
        for (const char* name : {"miMainText", "miShowMainText"}) {
            QToolButton* button = child<QToolButton>(name);
            QCOMPARE(button->defaultAction(), action(name));
            QVERIFY(!button->accessibleName().isEmpty());
        }
        QVERIFY(contentStatus().isEmpty());
    }

    void theModeIsStoredAndRestored() {
        toggleMode();
        QCOMPARE(Stored().value("analysis/mainText").toBool(), true);
        init();  // a new window starts as stored, and reads its pages in that mode
        QVERIFY(action("miMainText")->isChecked());
        load(kArticle);
        QCOMPARE(content().mode, ContentMode::kMain);
        QVERIFY(content().found);
        child<QToolButton>("miMainText")->click();  // the button is the same item
        QTRY_VERIFY(!form_->analysisRunning());
        QVERIFY(!action("miMainText")->isChecked());
        QCOMPARE(Stored().value("analysis/mainText").toBool(), false);
        init();
        QVERIFY(!action("miMainText")->isChecked());
    }

    void togglingReadsThePageOnScreenAgainWithoutTakingIt() {
        load(kArticle);
        QVERIFY(HasWord(*form_, u("Главная")));
        QVERIFY(contentStatus().isEmpty());
        const QString time = child<QLabel>("sbMain")->text();
        QVERIFY(time.startsWith(u("Время обработки: ")));
        QCOMPARE(browser_->takenDocuments, 1);

        toggleMode();
        QCOMPARE(browser_->takenDocuments, 1);
        QVERIFY(browser_->navigated.isEmpty() && browser_->commands.isEmpty());
        QCOMPARE(content().mode, ContentMode::kMain);
        QVERIFY(content().found);
        QVERIFY(content().mainWords > 0 && content().mainWords < content().pageWords);
        QCOMPARE(contentStatus(), u("Основной текст: %1 слов из %2").arg(content().mainWords).arg(content().pageWords));
        QVERIFY(!HasWord(*form_, u("Главная")));
        QVERIFY(!HasWord(*form_, u("Подвал")));
        QVERIFY(HasWord(*form_, u("выручка")));
        QVERIFY(child<QLabel>("sbMain")->text().startsWith(u("Время обработки: ")));

        toggleMode();
        QCOMPARE(browser_->takenDocuments, 1);
        QCOMPARE(content().mode, ContentMode::kPage);
        QVERIFY(HasWord(*form_, u("Главная")));
        QVERIFY(contentStatus().isEmpty());
    }

    void withoutAPageTheModeOnlyChanges() {
        toggleMode();
        QCOMPARE(browser_->takenDocuments, 0);
        QVERIFY(contentStatus().isEmpty());
        QVERIFY(!action("miShowMainText")->isEnabled());
    }

    void aPageBeingTakenIsReadInTheNewModeWhenItArrives() {
        browser_->hasDocument = true;
        browser_->location = QStringLiteral("file:///tmp/report.html");
        browser_->document = QByteArray::fromStdString(ToCp1251(u(kArticle)));
        browser_->holdCompletions = true;
        form_->ExtractAndAnalyse();
        QVERIFY(form_->analysisRunning());
        action("miMainText")->trigger();
        QVERIFY(form_->analysisRunning());
        QTRY_VERIFY(browser_->heldCompletions() > 0 || !form_->analysisRunning());
        browser_->holdCompletions = false;
        browser_->releaseCompletions();
        QTRY_VERIFY(!form_->analysisRunning());
        QCOMPARE(browser_->takenDocuments, 1);
        QCOMPARE(content().mode, ContentMode::kMain);
        QVERIFY(content().found);
        QVERIFY(!HasWord(*form_, u("Главная")));
    }

    void aPageWithoutMainTextIsReadWholeAndSaysWhy_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("status");
        QTest::newRow("links") << u(kLinks)
                               << u("Основной текст не найден (слишком мало текста): проанализирована вся страница");
        QTest::newRow("a frameset without its frames")
            << u("<html><frameset><frame src=\"a.html\"></frameset></html>")
            << u("Основной текст не найден (набор кадров): проанализирована вся страница");
    }
    void aPageWithoutMainTextIsReadWholeAndSaysWhy() {
        QFETCH(QString, page);
        QFETCH(QString, status);
        toggleMode();
        LoadTestPage(*browser_, page);
        QTRY_VERIFY(!form_->analysisRunning());
        QCOMPARE(content().mode, ContentMode::kMain);
        QVERIFY(!content().found);
        QCOMPARE(contentStatus(), status);
        QVERIFY(!action("miShowMainText")->isEnabled());
    }

    void theLinksOfAPageWithoutMainTextAreAnalysed() {
        toggleMode();
        load(kLinks);
        QVERIFY(HasWord(*form_, u("ссылка")));  // the whole page, not an empty analysis
    }

    void theOutlineHandsTheBrowserTheBlocksOfTheRun() {
        load(kArticle);
        QAction* outline = action("miShowMainText");
        QVERIFY(!outline->isEnabled());  // a run of the whole page has no blocks
        toggleMode();
        QVERIFY(outline->isEnabled());
        QVERIFY(browser_->outlines.isEmpty());

        outline->trigger();
        QVERIFY(outline->isChecked());
        QTRY_COMPARE(browser_->outlines.size(), 1);
        const QList<PageBlock> given = browser_->outlines.last();
        QCOMPARE(given.size(), static_cast<qsizetype>(content().blocks.size()));
        for (qsizetype k = 0; k < given.size(); ++k) {
            QCOMPARE(given[k].part, static_cast<int>(content().blocks[k].part));
            QCOMPARE(given[k].selector, QString::fromStdString(content().blocks[k].selector));
        }
        QTRY_COMPARE(status(), u("Основной текст выделен в странице: блоков %1 из %1").arg(given.size()));

        child<QToolButton>("miShowMainText")->click();  // a second trigger takes it off
        QVERIFY(!outline->isChecked());
        QCOMPARE(browser_->outlines.size(), 2);
        QVERIFY(browser_->outlines.last().isEmpty());
        QTRY_COMPARE(status(), u("Выделение основного текста снято"));
        QCOMPARE(browser_->takenDocuments, 1);  // the outline starts no analysis
    }

    void theOutlineComesOffWithARunAPageOrTheMarks() {
        toggleMode();
        load(kArticle);
        QAction* outline = action("miShowMainText");
        struct Case {
            const char* what;
            std::function<void()> act;
            bool enabledAfter;
            bool browserAsked;  // the page on screen stays, so the outline is taken out of it
        };
        const Case cases[] = {
            {"a new run in page mode", [&] { toggleMode(); }, false, true},
            {"a new run in main mode", [&] { toggleMode(); }, true, false},
            {"a new page", [&] { load(kArticle); }, true, false},
            {"the marks taken off", [&] { action("miClearPageMarks")->trigger(); }, true, true},
        };
        for (const Case& c : cases) {
            if (outline->isEnabled()) {
                outline->trigger();
                QTRY_VERIFY2(status().startsWith(u("Основной текст выделен")), c.what);
            }
            const qsizetype calls = browser_->outlines.size();
            if (QByteArray(c.what) == "the marks taken off") {  // marks in the page make the command available
                browser_->markCount = 2;
                select("lvWordBase", {0});
                action("tbWordBaseMark")->trigger();
                QTRY_VERIFY(action("miClearPageMarks")->isEnabled());
            }
            c.act();
            QVERIFY2(!outline->isChecked(), c.what);
            QVERIFY2(outline->isEnabled() == c.enabledAfter, c.what);
            QVERIFY2((browser_->outlines.size() > calls) == c.browserAsked, c.what);
            if (c.browserAsked) QVERIFY2(browser_->outlines.last().isEmpty(), c.what);
        }
    }

    void blocksTheLivePageLacksAreSaid() {
        toggleMode();
        load(kArticle);
        browser_->outlineCount = 0;  // scripts changed the page: no selector finds its block
        action("miShowMainText")->trigger();
        QTRY_COMPARE(status(), u("Блоки основного текста не найдены в странице"));
        QVERIFY(!action("miShowMainText")->isChecked());
        QVERIFY(action("miShowMainText")->isEnabled());
    }
};

QTEST_MAIN(MainTextModeTest)
#include "maintextmode_test.moc"
