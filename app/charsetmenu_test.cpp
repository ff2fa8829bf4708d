// The menu "Кодировка" in the window over the in-memory browser: a chosen charset reads the page
// on screen again from what was taken, and holds for the next pages until "Автоматически".
#include "app/charsetmenu.h"

#include <QAccessible>
#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QtTest>

#include "app/testwindow_for_tests.h"

namespace {

// "<p>МОСКВА СТОИТ НА РЕКЕ. РЕКА ТЕЧЕТ У СТЕН МОСКВЫ.</p>" in KOI8-R, as iconv writes it. The
// detection takes its capitals for small Windows-1251 letters ("нпулчб" for "МОСКВА").
const QByteArray kKoi8Capitals =
    "<html><body><p>\xED\xEF\xF3\xEB\xF7\xE1 \xF3\xF4\xEF\xE9\xF4 \xEE\xE1 \xF2\xE5\xEB\xE5. \xF2\xE5\xEB\xE1 "
    "\xF4\xE5\xFE\xE5\xF4 \xF5 \xF3\xF4\xE5\xEE \xED\xEF\xF3\xEB\xF7\xF9.</p></body></html>";
// "<p>ГОРОД НА РЕКЕ.</p>" in KOI8-R.
const QByteArray kKoi8Town = "<html><body><p>\xE7\xEF\xF2\xEF\xE4 \xEE\xE1 \xF2\xE5\xEB\xE5.</p></body></html>";

}  // namespace

class CharsetMenuTest : public QObject {
    Q_OBJECT

    FakeBrowser* browser_ = nullptr;
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<TFormMain> form_;

    QString label() { return ChildOrDie<QLabel>(form_.get(), "sbCharset")->text(); }
    // The texts of the first column of the word list on screen.
    QStringList shownWords() {
        const QAbstractItemModel* model = ChildOrDie<QTableView>(form_.get(), "lvWordFull")->model();
        QStringList words;
        for (int row = 0; row < model->rowCount(); ++row) words << model->index(row, 0).data().toString();
        return words;
    }
    void load(const QByteArray& bytes) {
        browser_->document = bytes;
        browser_->simulateLoad(QStringLiteral("file:///tmp/page.html"));
        QTRY_VERIFY(!form_->analysisRunning());
    }
    void choose(const char* item) { ChildOrDie<QAction>(form_.get(), item)->trigger(); }

  private slots:
    void init() { OpenTestWindow(browser_, dir_, form_); }
    void cleanup() { form_.reset(); }

    void theMenuOffersEachChoiceWithAutomaticChecked() {
        const QMenu* menu = ChildOrDie<QMenu>(form_.get(), "mnCharset");
        QCOMPARE(menu->title(), u("&Кодировка"));
        QCOMPARE(menu->accessibleName(), u("Кодировка"));
        const QStringList captions = {u("&Автоматически"), u("&Windows-1251"), u("&KOI8-R"), u("&ISO 8859-5"),
                                      u("&UTF-8")};
        QCOMPARE(menu->actions().size(), captions.size());
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(const_cast<QMenu*>(menu));
        QVERIFY(accessible);
        for (int i = 0; i < captions.size(); ++i) {
            const QAction* action = menu->actions().at(i);
            QCOMPARE(action->text(), captions[i]);
            QVERIFY(action->isCheckable());
            QCOMPARE(action->isChecked(), i == 0);
            QCOMPARE(accessible->child(i)->text(QAccessible::Name), QString(captions[i]).remove('&'));
        }
        QVERIFY(menu->actions().at(0)->actionGroup()->isExclusive());
        // Between the settings and the help.
        const QList<QAction*> bar = form_->menuBar()->actions();
        QCOMPARE(bar.at(bar.size() - 2)->menu(), menu);
    }

    void aChosenCharsetReadsThePageAgainAndHoldsForTheNextPage() {
        load(kKoi8Capitals);
        QCOMPARE(label(), u("Windows-1251"));  // misread
        QVERIFY(shownWords().contains(u("нпулчб")));
        const int takes = browser_->takenDocuments;

        choose("miCharsetKoi8r");
        QVERIFY(ChildOrDie<QAction>(form_.get(), "miCharsetKoi8r")->isChecked());
        QCOMPARE(label(), u("KOI8-R"));
        QVERIFY(shownWords().contains(u("МОСКВА")));
        QVERIFY(shownWords().contains(u("РЕКЕ")));
        QVERIFY(!shownWords().contains(u("нпулчб")));
        // Read again from what was taken: nothing is taken or loaded anew.
        QCOMPARE(browser_->takenDocuments, takes);
        QVERIFY(browser_->navigated.isEmpty());
        QVERIFY(browser_->commands.isEmpty());

        load(kKoi8Town);
        QCOMPARE(label(), u("KOI8-R"));
        QVERIFY(shownWords().contains(u("ГОРОД")));

        choose("miCharsetAuto");
        QCOMPARE(label(), u("Windows-1251"));
        QVERIFY(shownWords().contains(u("зптпд")));
        QVERIFY(!shownWords().contains(u("ГОРОД")));
    }

    void aUtf8PageIsNamedSoAndAChoiceWaitsForAPage() {
        choose("miCharsetIso88595");  // nothing taken yet: the choice waits for the first page
        QCOMPARE(label(), u("Windows-1251"));
        QVERIFY(shownWords().isEmpty());
        choose("miCharsetAuto");
        load(u("<html><body><p>Большой дом у реки.</p></body></html>").toUtf8());
        QCOMPARE(label(), u("UTF-8"));
        QVERIFY(shownWords().contains(u("дом")));
    }
};

QTEST_MAIN(CharsetMenuTest)
#include "charsetmenu_test.moc"
