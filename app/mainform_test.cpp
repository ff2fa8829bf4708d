// The main window with an in-memory browser: construction, page acquisition, navigation events.
#include "app/mainform.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "app/browser/fakebrowser.h"
#include "app/browser/pagesourceextractor.h"
#include "app/testwindow_for_tests.h"
#include "base/cp1251.h"
#include "views/qt/qtext.h"

namespace {

// A Windows-1251 page with a title, a heading and two sentences.
QByteArray page1251(const char* title = "Отчёт") {
    return QByteArray::fromStdString(
        ToCp1251(u("<html><head><title>%1</title></head><body><h1>Годовой отчёт</h1>"
                   "<p>Первый год работы был трудным. Второй год работы принёс успех.</p></body></html>")
                     .arg(u(title))));
}

}  // namespace

class MainFormTest : public QObject, WindowAccess {
    Q_OBJECT

    FakeBrowser* browser_ = nullptr;

    bool hasWord(const QString& word) const { return HasWord(*form_, word); }
    void loadPage(const QByteArray& bytes, const QString& url = QStringLiteral("file:///tmp/page.html")) {
        browser_->document = bytes;
        browser_->simulateLoad(url);
        QTRY_VERIFY(!form_->analysisRunning());
    }

    bool hasStem(const char* utf8) const {
        const std::string stem = cp1251::fromUtf8Strict(utf8).value();
        const WordList& list = form_->document().analysis().slWordBase;
        return std::ranges::any_of(list, [&](const auto& e) { return e.text == stem; });
    }
    // The page is on screen in the browser, and the completions of its extraction wait for the test.
    void holdPage(const QByteArray& document, const char* url = "file:///tmp/page.html") {
        browser_->hasDocument = true;
        browser_->location = QString::fromLatin1(url);
        browser_->document = document;
        browser_->holdCompletions = true;
    }
    int sentenceRows() { return view("lvDocumentText")->model()->rowCount(); }
    std::unique_ptr<PrivateTempDir> tmp_;  // the system's temporary directory for the whole run
    bool noTemporaryFiles() { return tmp_->entries().isEmpty(); }
    static QSettings stored() {
        return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Sumoran"),
                         QStringLiteral("sumoran"));
    }

  private slots:
    void initTestCase() {
        // The window's stored choices go to a test folder, not the user's.
        QStandardPaths::setTestModeEnabled(true);
        stored().clear();
        tmp_ = std::make_unique<PrivateTempDir>();
        QVERIFY(tmp_->isValid());
    }
    void cleanupTestCase() { tmp_.reset(); }
    void init() {
        browser_ = new FakeBrowser;
        StartupSettings settings;
        form_ = std::make_unique<TFormMain>(browser_, std::move(settings));
    }
    void cleanup() { form_.reset(); }

    // Every named object's property as the window starts; rows, not one slot, so that one wrong
    // value does not hide the others.
    void constructionState_data() {
        QTest::addColumn<QString>("object");
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("expected");
        auto row = [](const QString& object, const char* property, const QVariant& expected) {
            QTest::addRow("%s %s", qPrintable(object), property) << object << QByteArray(property) << expected;
        };
        row(u("FormMain"), "windowTitle", u("Sumoran"));
        row(u("sbCharset"), "text", u("Windows-1251"));
        for (const char* name : {"tbBack", "tbForward", "tbStop", "tbWordBaseFilter", "ToolButton5", "ToolButton14",
                                 "tbCopyReferat", "tbForceHeadings", "tbClearMarks", "ToolButton1"})
            row(u(name), "enabled", false);
        for (const char* name : {"miIndexTitle", "miIndexMeta", "miIndexImgAlt"}) row(u(name), "checked", false);
        for (int k = 0; k < 7; ++k) row(QStringLiteral("miWB%1").arg(k), "checked", k < 4);
        for (int k = 0; k < 5; ++k) row(QStringLiteral("miWE%1").arg(k), "checked", k == 0);
        // Tool buttons carry their hint as accessible name, lists and the summary pane their name.
        row(u("tbForceAnalysis"), "accessibleName", u("Принудительно запустить анализ..."));
        row(u("ToolButton1"), "accessibleName", u("Фильтр словооснов"));
        row(u("reReferat"), "accessibleName", u("reReferat"));
        row(u("lvWordExpr"), "accessibleName", u("lvWordExpr"));
        // The sort mark starts on the design column of each list ("header" and the column).
        row(u("lvWordBase"), "header4", u("• ВА"));
        row(u("lvWordFull"), "header4", u("• ВА"));
        row(u("lvWordExpr"), "header4", u("• ВСА"));
        row(u("lvDocumentText"), "header3", u("• Порядок"));
    }

    void constructionState() {
        QFETCH(QString, object);
        QFETCH(QByteArray, property);
        QFETCH(QVariant, expected);
        QList<QObject*> found = form_->findChildren<QObject*>(object);
        if (form_->objectName() == object) found << form_.get();
        // The settings editors are the window's children too, with names of their own.
        found.removeIf([](QObject* o) {
            for (QObject* p = o->parent(); p; p = p->parent()) {
                if (qobject_cast<QDialog*>(p)) return true;
            }
            return false;
        });
        QVERIFY(!found.isEmpty());
        for (QObject* o : found) {  // an action and its tool button carry the same name
            if (auto* view = qobject_cast<QTableView*>(o); view && property.startsWith("header"))
                QCOMPARE(view->model()->headerData(property.mid(6).toInt(), Qt::Horizontal), expected);
            else if (o->metaObject()->indexOfProperty(property) >= 0)
                QCOMPARE(o->property(property), expected);
        }
    }

    void theSandboxNoteSaysItIsOff() {
        // The tests run with the web engine's sandbox off, and the window says so.
        QVERIFY(child<QLabel>("sbSandbox")->text().startsWith(u("Песочница веб-движка отключена")));
    }

    void documentCompleteAnalysesThePage() {
        loadPage(page1251());
        QCOMPARE(form_->windowTitle(), u("Отчёт - Sumoran"));
        QCOMPARE(child<QLabel>("sbCharset")->text(), u("Windows-1251"));
        QCOMPARE(status(), u("Document complete"));
        QVERIFY(view("lvWordBase")->model()->rowCount() > 0);
        QCOMPARE(sentenceRows(), 3);
        QVERIFY(child<QTextEdit>("reReferat")->toPlainText().startsWith(u("Годовой отчёт")));
        QVERIFY(child<QLabel>("StatusBar2")->text().contains(u("%")));
        QVERIFY(child<QLabel>("sbMain")->text().startsWith(u("Время обработки: ")));
        QVERIFY(child<QToolButton>("ToolButton1")->isEnabled());
        QVERIFY(action("tbCopyReferat")->isEnabled());
        QVERIFY2(!action("ToolButton5")->isEnabled(), "cross-navigation waits for a selection");
        QCOMPARE(browser_->takenDocuments, 1);
        QVERIFY(noTemporaryFiles());
    }

    void aSecondRequestDuringAnExtractionIsDropped() {
        holdPage(page1251());
        form_->ExtractAndAnalyse();
        QVERIFY(form_->analysisRunning());
        form_->ExtractAndAnalyse();
        QCOMPARE(browser_->takenDocuments, 1);
        while (browser_->heldCompletions() > 0) browser_->releaseCompletions();
        QVERIFY(!form_->analysisRunning());
        QCOMPARE(sentenceRows(), 3);
        browser_->holdCompletions = false;
        form_->ExtractAndAnalyse();
        QTRY_VERIFY(!form_->analysisRunning());
        QCOMPARE(browser_->takenDocuments, 2);
    }

    void aNewPageReplacesAnExtractionOfTheOldOne() {
        holdPage(QByteArray("<html><body><p>old words here</p></body></html>"), "file:///tmp/old.html");
        form_->ExtractAndAnalyse();
        QVERIFY(form_->analysisRunning());
        // Another page is on screen before the first extraction has its document.
        ++browser_->serial;
        browser_->document = QByteArray("<html><body><p>new words here</p></body></html>");
        form_->ExtractAndAnalyse();
        QCOMPARE(browser_->takenDocuments, 2);
        while (browser_->heldCompletions() > 0) browser_->releaseCompletions();
        QVERIFY(!form_->analysisRunning());
        QVERIFY(hasWord(u("new")));
        QVERIFY(!hasWord(u("old")));
    }

    void aPageThatChangesDuringTheExtractionIsDropped() {
        holdPage(page1251());
        browser_->frames = {QByteArray("<p>one</p>"), QByteArray("<p>two</p>")};
        form_->ExtractAndAnalyse();
        browser_->releaseCompletions();  // the document is saved
        ++browser_->serial;              // and then the page is left
        while (browser_->heldCompletions() > 0) browser_->releaseCompletions();
        QVERIFY(!form_->analysisRunning());
        QCOMPARE(sentenceRows(), 0);
        QVERIFY(noTemporaryFiles());
    }

    void boundsOnFramesAndSizeSayWhatWasLeftOut_data() {
        QTest::addColumn<int>("maxFrames");
        QTest::addColumn<int>("documentBytes");
        QTest::addColumn<int>("frameBytes");
        QTest::addColumn<QString>("note");
        QTest::addColumn<bool>("analysed");
        QTest::addColumn<bool>("lastFrameRead");
        constexpr int kMiB = 1 << 20;
        QTest::newRow("frames past the bound")
            << 2 << 0 << 0 << u("Кадров на странице: 3, прочитаны первые 2") << true << false;
        QTest::newRow("a document too large")
            << 64 << 2 * kMiB << 0 << u("Исходный текст страницы больше 1 МБ: анализ не выполнен") << false << false;
        QTest::newRow("frames too large")
            << 64 << 0 << kMiB / 2 << u("Исходный текст страницы больше 1 МБ: проанализирована часть, что поместилась")
            << true << false;
        QTest::newRow("within the bounds") << 64 << 0 << 1000 << QString() << true << true;
    }

    void boundsOnFramesAndSizeSayWhatWasLeftOut() {
        QFETCH(int, maxFrames);
        QFETCH(int, documentBytes);
        QFETCH(int, frameBytes);
        QFETCH(QString, note);
        QFETCH(bool, analysed);
        QFETCH(bool, lastFrameRead);
        form_->extractor()->setLimits(maxFrames, 1 << 20);
        auto frame = [&](const char* word) {
            QByteArray bytes = QByteArray("<html><body><p>") + word + "</p>";
            return bytes + QByteArray(std::max<int>(0, frameBytes - bytes.size()), ' ') + "</body></html>";
        };
        browser_->frames = {frame("alpha"), frame("beta"), frame("gamma")};
        QByteArray document = page1251();
        document += QByteArray(std::max<int>(0, documentBytes - document.size()), ' ');
        browser_->document = document;
        browser_->simulateLoad(QStringLiteral("http://example.org/"));
        QTRY_VERIFY(!form_->analysisRunning());
        QCOMPARE(status(), note.isEmpty() ? u("Document complete") : note);
        QCOMPARE(sentenceRows() > 0, analysed);
        QCOMPARE(hasWord(u("gamma")), lastFrameRead);
        QVERIFY(noTemporaryFiles());
    }

    void anExtractionThatDoesNotFinishIsGivenUp() {
        form_->extractor()->setTimeout(1000);
        holdPage(page1251(), "http://example.org/");
        form_->ExtractAndAnalyse();
        QTRY_VERIFY_WITH_TIMEOUT(!form_->analysisRunning(), 5000);
        QCOMPARE(status(), u("Страница не отдала исходный текст за 1 с: анализ не выполнен"));
        browser_->releaseCompletions();  // the late answer changes nothing
        QCoreApplication::processEvents();
        QCOMPARE(sentenceRows(), 0);
        // The next request is taken.
        browser_->holdCompletions = false;
        form_->ExtractAndAnalyse();
        QTRY_VERIFY(!form_->analysisRunning());
        QCOMPARE(sentenceRows(), 3);
    }

    // The page's parts come from the browser in memory: no temporary directory is needed.
    void aMissingTemporaryDirectoryDoesNotStopTheAnalysis() {
        const QByteArray tmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", "/nonexistent/sumoran-tmp");
        browser_ = new FakeBrowser;
        form_ = std::make_unique<TFormMain>(browser_, StartupSettings{});
        browser_->frames = {page1251("Кадр"), QByteArray("<html><body><p>alpha alpha</p></body></html>")};
        loadPage(page1251(), QStringLiteral("http://example.org/"));
        qputenv("TMPDIR", tmp);
        QCOMPARE(browser_->takenDocuments, 1);
        QCOMPARE(browser_->takenFrames, (std::vector<int>{0, 1}));
        QVERIFY(hasWord(u("alpha")));
        QCOMPARE(status(), u("Document complete"));
    }

    void loadFailuresAndCrashesKeepTheResults() {
        loadPage(page1251());
        const int rows = sentenceRows();
        emit browser_->LoadFailed(u("http://no.such.host/"), u("адрес сервера не найден"));
        QCOMPARE(status(), u("Не удалось загрузить страницу http://no.such.host/: адрес сервера не найден"));
        browser_->holdCompletions = true;
        form_->ExtractAndAnalyse();
        QVERIFY(form_->analysisRunning());
        emit browser_->RenderProcessTerminated(u("процесс остановлен"));
        QVERIFY(!form_->analysisRunning());
        QVERIFY(status().startsWith(u("Процесс отображения страницы завершился")));
        QCOMPARE(sentenceRows(), rows);
        emit browser_->Refused(u("Загрузка файла отклонена: a.bin"));
        QCOMPARE(status(), u("Загрузка файла отклонена: a.bin"));
    }

    // A page from the network is taken as soon as its document is parsed, and at load complete
    // analysed again only when its markup changed meanwhile; the status bar says which.
    void aParsedPageIsTakenAtOnceAndAgainOnlyWhenItChanged_data() {
        QTest::addColumn<bool>("changes");
        QTest::addColumn<bool>("completeWhileTaking");
        QTest::newRow("unchanged") << false << false;
        QTest::newRow("changed by its scripts") << true << false;
        QTest::newRow("load complete while the parsed page is taken") << true << true;
    }
    void aParsedPageIsTakenAtOnceAndAgainOnlyWhenItChanged() {
        QFETCH(bool, changes);
        QFETCH(bool, completeWhileTaking);
        auto page = [](const char* word) {
            return QByteArray::fromStdString(
                ToCp1251(u("<html><body><p>Слово %1 здесь.</p></body></html>").arg(u(word))));
        };
        browser_->busy = true;  // its images still load
        browser_->hasDocument = true;
        browser_->location = u("http://example.org/");
        browser_->document = page("разобрано");
        browser_->holdCompletions = completeWhileTaking;
        emit browser_->DocumentParsed();
        if (completeWhileTaking) {
            browser_->busy = false;
            emit browser_->DocumentComplete();
            browser_->releaseCompletions();  // the parsed page is saved, its frames are yet to be counted
            browser_->holdCompletions = false;
            browser_->document = page("изменено");
            browser_->releaseCompletions();
        } else {
            QTRY_VERIFY(hasWord(u("разобрано")) && !form_->analysisRunning());
            QCOMPARE(child<QLabel>("sbAnalysisSource")->text(),
                     u("Анализ по разобранной странице; остальное ещё загружается"));
            browser_->busy = false;
            if (changes) browser_->document = page("изменено");
            emit browser_->DocumentComplete();
        }
        QTRY_VERIFY(browser_->takenDocuments == 2 && !form_->analysisRunning());
        QCOMPARE(hasWord(u("изменено")), changes);
        QCOMPARE(hasWord(u("разобрано")), !changes);
        QCOMPARE(child<QLabel>("sbAnalysisSource")->text(),
                 changes ? u("Анализ по загруженной странице: после разбора она изменилась")
                         : u("Анализ по разобранной странице; после загрузки она не изменилась"));
    }

    void enterInTheAddressBoxNavigatesOnce() {
        auto* box = child<QComboBox>("cbURLNavigator");
        emit browser_->LocationChange(u("http://example.org/"));  // the address is in the history
        box->setEditText(u("http://example.org/"));
        QTest::keyClick(box->lineEdit(), Qt::Key_Return);
        QCOMPARE(browser_->navigated, QStringList{u("http://example.org/")});
        // A key from the keyboard reaches the box, which has the focus for its line edit.
        QTest::keyClick(box, Qt::Key_Enter);
        QCOMPARE(browser_->navigated.size(), 2);
    }

    void aSingleFrameIsNotTakenThreeFramesFollowThePage() {
        browser_->frames = {page1251("Кадр")};
        loadPage(page1251());
        QVERIFY(browser_->takenFrames.empty());

        auto frame = [](const char* word) {
            return QByteArray("<html><body><p>") + QByteArray(word) + " " + QByteArray(word) + "</p></body></html>";
        };
        browser_->frames = {frame("alpha"), std::nullopt, frame("gamma")};
        form_->ExtractAndAnalyse();
        QTRY_VERIFY(!form_->analysisRunning());
        QCOMPARE(browser_->takenFrames, (std::vector<int>{0, 1, 2}));
        // The page's words come first, then frame 1's and frame 3's; frame 2 could not be had.
        const WordList& words = form_->document().analysis().slWordFull;
        auto position = [&](const char* w) {
            for (std::size_t k = 0; k < words.size(); ++k) {
                if (words[k].text == w) return static_cast<int>(k);
            }
            return -1;
        };
        QVERIFY(position("alpha") > 0);
        QVERIFY(position("gamma") > position("alpha"));
        QVERIFY(noTemporaryFiles());
    }

    void theBlankPageAndNoDocumentAnalyseNothing() {
        form_->ExtractAndAnalyse();
        QVERIFY(!form_->analysisRunning());
        browser_->hasDocument = true;
        browser_->location = QStringLiteral("about:blank");
        form_->ExtractAndAnalyse();
        browser_->location = QStringLiteral("file:///x.html");
        browser_->busy = true;
        form_->ExtractAndAnalyse();
        QVERIFY(browser_->takenDocuments == 0);
        QCOMPARE(view("lvWordBase")->model()->rowCount(), 0);
    }

    void goCompletesTheAddress() {
        auto* box = child<QComboBox>("cbURLNavigator");
        const QStringList typed = {u("example.org/a"), u("https://example.org/"), u("/tmp/a.html"), u("")};
        for (const QString& text : typed) {
            box->setEditText(text);
            form_->Go();
        }
        QCOMPARE(browser_->navigated,
                 (QStringList{u("http://example.org/a"), u("https://example.org/"), u("file:///tmp/a.html")}));
        QCOMPARE(form_->docAddress(), QString());
    }

    void historyIsNewestFirstWithoutDuplicates() {
        for (const char* url : {"http://a.org/", "http://b.org/", "HTTP://A.ORG/", "http://c.org/"})
            emit browser_->LocationChange(u(url));
        auto* box = child<QComboBox>("cbURLNavigator");
        // A frame's navigation, or one the browser refuses, never shows in the box.
        emit browser_->BeforeNavigate2(u("http://frame.example.org/"));
        QCOMPARE(box->count(), 3);
        QCOMPARE(box->itemText(0), u("http://c.org/"));
        QCOMPARE(box->itemText(1), u("http://b.org/"));
        QCOMPARE(box->itemText(2), u("http://a.org/"));
        QCOMPARE(box->currentText(), u("http://c.org/"));
    }

    void commandStateAndTitleEvents() {
        emit browser_->CommandStateChange(Browser::kBack, true);
        QVERIFY(action("tbBack")->isEnabled());
        QVERIFY(!action("tbForward")->isEnabled());
        emit browser_->CommandStateChange(Browser::kForward, true);
        QVERIFY(action("tbForward")->isEnabled());
        browser_->busy = true;
        emit browser_->CommandStateChange(Browser::kUpdateAll, false);
        QVERIFY2(action("tbStop")->isEnabled(), "the stop button follows the busy state, not the flag");
        browser_->busy = false;
        emit browser_->CommandStateChange(Browser::kUpdateAll, true);
        QVERIFY(!action("tbStop")->isEnabled());
        emit browser_->TitleChange(u("Страница"));
        QCOMPARE(form_->windowTitle(), u("Страница - Sumoran"));
        emit browser_->DownloadBegin();
        QCOMPARE(status(), u("Download begin"));
    }

    // Each option adds the words of its part of the page, found nowhere else on it, and no other's.
    void indexOptionsAnalyseAgain_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("word");
        QTest::newRow("title") << u("miIndexTitle") << u("Бюджет");
        QTest::newRow("meta") << u("miIndexMeta") << u("ключевое");
        QTest::newRow("image descriptions") << u("miIndexImgAlt") << u("картинка");
    }

    void indexOptionsAnalyseAgain() {
        QFETCH(QString, option);
        QFETCH(QString, word);
        const QString page =
            u("<html><head><title>Бюджет</title><meta name=keywords content=\"ключевое\"></head>"
              "<body><p>Первый год работы был трудным.<img src=x.png alt=\"картинка\"></p>"
              "</body></html>");
        loadPage(QByteArray::fromStdString(ToCp1251(page)));
        const QStringList all = {u("Бюджет"), u("ключевое"), u("картинка")};
        for (const QString& w : all) QVERIFY2(!hasWord(w), qPrintable(w));
        action(qPrintable(option))->trigger();
        QTRY_VERIFY(!form_->analysisRunning());
        QCOMPARE(browser_->takenDocuments, 2);
        for (const QString& w : all) QVERIFY2(hasWord(w) == (w == word), qPrintable(w));
    }

    // Each navigation command of the tool bar reaches the browser, once.
    void commandsReachTheBrowser_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("asked");
        QTest::newRow("back") << u("tbBack") << u("GoBack");
        QTest::newRow("forward") << u("tbForward") << u("GoForward");
        QTest::newRow("stop") << u("tbStop") << u("Stop");
        QTest::newRow("reload") << u("tbRefresh") << u("Refresh");
        QTest::newRow("home") << u("tbHome") << u("GoHome");
        QTest::newRow("open") << u("tbOpen") << u("Navigate to the chosen file");
        QTest::newRow("force analysis") << u("tbForceAnalysis") << u("TakeDocument");
    }

    void commandsReachTheBrowser() {
        QFETCH(QString, command);
        QFETCH(QString, asked);
        browser_->hasDocument = true;
        browser_->location = QStringLiteral("file:///tmp/page.html");
        browser_->document = page1251();
        browser_->busy = true;  // stop is offered while the browser is busy
        emit browser_->CommandStateChange(Browser::kUpdateAll, true);
        emit browser_->CommandStateChange(Browser::kBack, true);
        emit browser_->CommandStateChange(Browser::kForward, true);
        browser_->busy = false;
        QTemporaryDir dir;
        const QString file = dir.filePath(u("chosen.html"));
        QFile(file).open(QIODevice::WriteOnly);
        if (command == u("tbOpen")) {
            QTimer::singleShot(0, this, [file] {  // the file dialog chooses the file
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                dialog->selectFile(file);
                static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
            });
        }
        action(qPrintable(command))->trigger();
        auto calls = [&] {
            QStringList all = browser_->commands;
            for (const QString& to : browser_->navigated) all << (to == file ? u("Navigate to the chosen file") : to);
            for (int k = 0; k < browser_->takenDocuments; ++k) all << u("TakeDocument");
            return all;
        };
        QTRY_COMPARE(calls(), QStringList{asked});
    }

    void dictionaryStemsCountFormsUnderTheirDictionaryFormAndAreStored() {
        QAction* item = action("miDictionaryStems");
        QCOMPARE(item->text(), u("Словоосновы по словарю"));
        QVERIFY(item->isEnabled());
        QVERIFY(!item->isChecked());
        loadPage(page1251());
        QVERIFY(hasStem("работ"));
        item->trigger();
        QTRY_VERIFY(!form_->analysisRunning());
        QVERIFY(hasStem("работа"));
        QVERIFY(!hasStem("работ"));
        QCOMPARE(stored().value("analysis/dictionaryStems").toBool(), true);

        // A new window starts as stored; switched off, the built-in stems come back.
        init();
        QVERIFY(action("miDictionaryStems")->isChecked());
        loadPage(page1251());
        QVERIFY(hasStem("работа"));
        action("miDictionaryStems")->trigger();
        QTRY_VERIFY(!form_->analysisRunning());
        QVERIFY(hasStem("работ"));
        QCOMPARE(stored().value("analysis/dictionaryStems").toBool(), false);
    }

    void aMissingDictionaryGreysTheItemOut() {
        QTemporaryDir empty;
        qputenv("SUMORAN_DICTIONARY_DIR", empty.path().toUtf8());
        for (bool storedOn : {false, true}) {
            stored().setValue("analysis/dictionaryStems", storedOn);
            init();
            QAction* item = action("miDictionaryStems");
            QVERIFY(!item->isEnabled());
            QVERIFY(!item->isChecked());
            QCOMPARE(item->toolTip(),
                     u("Словарь недоступен, установите пакет hunspell-ru (cannot read the dictionary file %1)")
                         .arg(QDir(empty.path()).filePath(QStringLiteral("ru_RU.aff"))));
            QCOMPARE(item->statusTip(), item->toolTip());
            // Nothing else breaks: the page is analysed with the built-in stems, the choice stays stored.
            loadPage(page1251());
            QVERIFY(hasStem("работ"));
            QCOMPARE(stored().value("analysis/dictionaryStems").toBool(), storedOn);
        }
        qunsetenv("SUMORAN_DICTIONARY_DIR");
        stored().clear();
    }

    void aPageWithoutTextSaysSo() {
        loadPage("<html><head><title>Empty</title></head><frameset><frame src=\"a.html\"></frameset></html>");
        QCOMPARE(status(), u("На странице нет текста для анализа"));
        loadPage(page1251());
        QCOMPARE(status(), u("Document complete"));
    }

    void koi8PageShowsItsCharset() {
        // "<p>привет мир</p>" in KOI8-R.
        loadPage("<html><body><p>\xD0\xD2\xC9\xD7\xC5\xD4 \xCD\xC9\xD2</p></body></html>");
        QCOMPARE(child<QLabel>("sbCharset")->text(), u("KOI8-R"));
    }
};

QTEST_MAIN(MainFormTest)
#include "mainform_test.moc"
