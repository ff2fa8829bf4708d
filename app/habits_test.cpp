// The window's keys, a file dropped on it, its splitters and small screens, and Qt's own texts in Russian.
#include "app/habits.h"

#include <QComboBox>
#include <QDropEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QSettings>
#include <QSplitter>
#include <QStandardPaths>
#include <QTableView>
#include <QToolButton>
#include <limits>

#include "app/testwindow_for_tests.h"

class HabitsTest : public QObject, TestWindow {
    Q_OBJECT

    QWidget* focus() { return QApplication::focusWidget(); }
    QComboBox* address() { return child<QComboBox>("cbURLNavigator"); }
    void press(QKeyCombination keys) { QTest::keyClick(form_.get(), keys.key(), keys.keyboardModifiers()); }

    QSplitter* pageSplitter() { return qobject_cast<QSplitter*>(form_->centralWidget()); }
    void resizeTo(int width, int height) {
        form_->resize(width, height);
        QApplication::processEvents();
    }

  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);  // the stored layout goes to a test folder
        QSettings(QSettings::IniFormat, QSettings::UserScope, u("Sumoran"), u("sumoran")).clear();
    }
    void init() {
        OpenTestWindow(browser_, settingsDir_, form_);
        browser_->canGoBack = browser_->canGoForward = true;
        LoadTestPage(*browser_,
                     u("<html><body><h1>Отчёт</h1><p>Первый год работы. Второй год работы.</p></body></html>"));
        QTRY_VERIFY(!form_->analysisRunning());
        form_->show();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    }
    void cleanup() { closeWindow(); }

    void ctrlLAndF6FocusTheAddressBox() {
        for (QKeyCombination keys : {QKeyCombination(Qt::CTRL, Qt::Key_L), QKeyCombination(Qt::Key_F6)}) {
            view("lvWordBase")->setFocus();
            press(keys);
            QVERIFY(focus() == address() || focus() == address()->lineEdit());
            QCOMPARE(address()->lineEdit()->selectedText(), address()->currentText());
        }
    }

    void theBrowserKeysGoToTheBrowser() {
        browser_->commands.clear();
        press(QKeyCombination(Qt::Key_F5));
        press(QKeyCombination(Qt::ALT, Qt::Key_Left));
        press(QKeyCombination(Qt::ALT, Qt::Key_Right));
        QCOMPARE(browser_->commands, QStringList({u("Refresh"), u("GoBack"), u("GoForward")}));
        browser_->busy = true;  // loading: stop is enabled
        emit browser_->CommandStateChange(Browser::kUpdateAll, true);
        QVERIFY(action("tbStop")->isEnabled());
        view("lvWordBase")->setFocus();
        press(QKeyCombination(Qt::Key_Escape));
        QCOMPARE(browser_->commands.last(), u("Stop"));
        QCOMPARE(action("miOpen")->shortcut(), QKeySequence(QKeySequence::Open));
    }

    void ctrlSSavesTheSummary() {
        const QString path = settingsDir_->filePath(u("summary.rtf"));
        form_->setSaveFileNameAsker([path] { return path; });
        press(QKeyCombination(Qt::CTRL, Qt::Key_S));
        QVERIFY(QFile::exists(path));
    }

    void ctrlFFocusesTheFilterOfTheCurrentList() {
        struct Case {
            const char* list;
            const char* filter;
        };
        for (const Case& c : {Case{"lvWordFull", "ToolButton2"}, Case{"lvWordExpr", "ToolButton3"},
                              Case{"lvDocumentText", "ToolButton1"}}) {
            view(c.list)->setFocus();
            press(QKeyCombination(Qt::CTRL, Qt::Key_F));
            QCOMPARE(focus(), child<QToolButton>(c.filter));
        }
    }

    void aDroppedFileOpensAsIfTyped() {
        const QString path = settingsDir_->filePath(u("dropped.html"));
        auto* data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(path)});
        QWidget* target = view("lvWordBase")->viewport();
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        QCOMPARE(address()->currentText(), path);
        QVERIFY(browser_->navigated.last().endsWith(u("dropped.html")));
        delete data;

        QMimeData lines;
        lines.setText(u("a\nb"));
        QCOMPARE(habits::DroppedAddress(&lines), QString());
        QMimeData link;
        link.setUrls({QUrl(u("https://example.org/страница"))});
        QCOMPARE(habits::DroppedAddress(&link), u("https://example.org/страница"));
    }

    // On a screen of 1024 × 600 the window fits, a long status text does not widen it, and each
    // list shows a few rows.
    void theWindowFitsASmallScreen() {
        emit browser_->LoadFailed(u("http://example.org/") + QString(400, QChar('a')), u("нет ответа"));
        QVERIFY(form_->minimumSizeHint().width() <= 1024);
        resizeTo(1024, 600);
        QCOMPARE(form_->width(), 1024);
        for (const char* list : {"lvWordBase", "lvWordFull", "lvWordExpr", "lvDocumentText"})
            QVERIFY2(view(list)->viewport()->height() >= 4 * view(list)->verticalHeader()->defaultSectionSize(), list);
    }

    // Splitters dragged by the user stay where they were put, in their shares of the window,
    // through resizes and at the next start; no pane can be dragged away.
    void theUsersSplittersStayThroughResizesAndSessions() {
        resizeTo(1200, 800);
        QSplitter* splitter = pageSplitter();
        QVERIFY(splitter && !splitter->childrenCollapsible());
        QSplitterHandle* handle = splitter->handle(1);
        const QPoint grip = handle->rect().center();
        QTest::mousePress(handle, Qt::LeftButton, {}, grip);
        QTest::mouseMove(handle, grip + QPoint(0, 150));
        QTest::mouseRelease(handle, Qt::LeftButton, {}, grip + QPoint(0, 150));
        const QList<int> dragged = splitter->sizes();
        QVERIFY2(dragged[0] > dragged[1] + 100, qPrintable(QString::number(dragged[0])));
        const double share = double(dragged[0]) / (dragged[0] + dragged[1]);
        const auto shareNow = [&] {
            const QList<int> sizes = pageSplitter()->sizes();
            return double(sizes[0]) / (sizes[0] + sizes[1]);
        };
        resizeTo(1000, 900);
        QVERIFY2(qAbs(shareNow() - share) < 0.01,
                 qPrintable(QString::number(shareNow()) + u(" ") + QString::number(share)));
        closeWindow();
        OpenTestWindow(browser_, settingsDir_, form_);
        form_->show();
        resizeTo(1100, 1000);
        QVERIFY2(qAbs(shareNow() - share) < 0.01,
                 qPrintable(QString::number(shareNow()) + u(" ") + QString::number(share)));
    }

    void splitterSharesFillTheRoomOrAreRefused() {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        struct Case {
            QList<double> shares;
            int extent;
            QList<int> sizes;
        };
        for (const Case& c : {Case{{1, 1, 2}, 406, {100, 100, 200}}, Case{{1, 1, 1}, 106, {33, 34, 33}},
                              Case{{0, 5}, 53, {0, 50}}, Case{{0.25, 0.75}, 2, {0, 0}}, Case{{1, -1}, 100, {}},
                              Case{{0, 0}, 100, {}}, Case{{nan, 1}, 100, {}}, Case{{}, 100, {}}})
            QCOMPARE(habits::SizesOfShares(c.shares, c.extent, 3), c.sizes);
    }

    void qtTextsAreRussianForARussianOrUnsetLocale() {
        struct Case {
            const char* all;
            const char* messages;
            const char* lang;
            bool russian;
        };
        for (const Case& c :
             {Case{"", "", "", true}, Case{"", "", "C", true}, Case{"", "", "C.UTF-8", true},
              Case{"", "", "ru_RU.UTF-8", true}, Case{"", "", "en_US.UTF-8", false}, Case{"en_GB", "", "ru_RU", false},
              Case{"", "ru_RU.KOI8-R", "de_DE", true}, Case{"POSIX", "", "en_US", true}})
            QCOMPARE(habits::WantsRussianQtTexts(c.all, c.messages, c.lang), c.russian);
        qputenv("LANG", "ru_RU.UTF-8");
        qunsetenv("LC_ALL");
        qunsetenv("LC_MESSAGES");
        QVERIFY(habits::LoadQtTranslations(*QCoreApplication::instance()));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), u("Отмена"));
    }
};

QTEST_MAIN(HabitsTest)
#include "habits_test.moc"
