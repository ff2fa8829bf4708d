// The "Контекст" pane in the main window: the rows of the items selected in the three lists, their
// count, sorting by a column click and the way to the sentence list.
#include <QHeaderView>
#include <QLabel>
#include <QTabWidget>

#include "app/browser/pagemarkscript.h"
#include "app/testwindow_for_tests.h"

namespace {

const char* const kPage =
    "<html><head><title>Отчёт</title></head><body><h1>Годовой отчёт</h1>"
    "<p>Первый год работы был трудным. Второй <b>год работы</b> принёс успех.</p>"
    "<p>Итоги года показали рост. Итоги года удивили всех.</p></body></html>";

}  // namespace

class ConcordancePanelTest : public QObject, TestWindow {
    Q_OBJECT

    int concordanceRows() { return view("lvConcordance")->model()->rowCount(); }

  private slots:
    void init() { openWindow(kPage); }
    void cleanup() { closeWindow(); }

    void theTabSitsBesideTheSummary() {
        auto* tabs = child<QTabWidget>("tcResults");
        QCOMPARE(tabs->tabText(0), u("&Автореферат"));
        QCOMPARE(tabs->tabText(1), u("&Контекст"));
        QCOMPARE(concordanceRows(), 0);
    }

    void selectedRowsShowAsManyRowsAsTheirCounts() {
        struct Case {
            const char* list;
            const char* item;
            int countColumn;
        };
        for (const Case& c : {Case{"lvWordBase", "год", 2}, Case{"lvWordFull", "года", 2},
                              Case{"lvWordExpr", "год работы", 2}, Case{"lvWordExpr", "Итоги года", 2}}) {
            const int row = rowOf(c.list, u(c.item));
            QVERIFY2(row >= 0, c.item);
            select(c.list, {row});
            QCOMPARE(concordanceRows(), cell(c.list, row, c.countColumn).toInt());
            QCOMPARE(child<QLabel>("sbConcordance")->text(), u("Вхождений: %1").arg(concordanceRows()));
        }
        select("lvWordExpr", {rowOf("lvWordExpr", u("год работы")), rowOf("lvWordExpr", u("Итоги года"))});
        QCOMPARE(concordanceRows(), 4);
        view("lvWordExpr")->clearSelection();
        QCOMPARE(concordanceRows(), 0);
    }

    void rowsShowTheContextAndSortByTheWordBefore() {
        select("lvWordBase", {rowOf("lvWordBase", u("год"))});
        QCOMPARE(cell("lvConcordance", 0, 0), u("Первый"));
        QCOMPARE(cell("lvConcordance", 0, 1), u("год"));
        QCOMPARE(cell("lvConcordance", 0, 2), u("работы был трудным."));
        QCOMPARE(cell("lvConcordance", 1, 4), u("жирный"));
        emit view("lvConcordance")->horizontalHeader()->sectionClicked(0);
        QCOMPARE(view("lvConcordance")->model()->headerData(0, Qt::Horizontal).toString(), u("• Слева"));
        QCOMPARE(column("lvConcordance", 0), (QStringList{u("Второй"), u("Итоги"), u("Итоги"), u("Первый")}));
    }

    void markingGivesTheBrowserTheWrittenFormsOfEachItemInItsColour() {
        QAction* mark = action("tbWordExprMark");
        QVERIFY(!mark->isEnabled());
        select("lvWordBase", {rowOf("lvWordBase", u("год")), rowOf("lvWordBase", u("итог"))});
        browser_->markCount = 6;
        action("tbWordBaseMark")->trigger();
        QCOMPARE(browser_->marked.size(), 2);
        QCOMPARE(browser_->marked[0].forms, (QStringList{u("год"), u("года")}));
        QCOMPARE(browser_->marked[1].forms, (QStringList{u("Итоги")}));
        QVERIFY(browser_->marked[0].color != browser_->marked[1].color);
        QTRY_COMPARE(child<QLabel>("sbBrowserText")->text(), u("Отмечено в странице: 6"));
        action("miNextMark")->trigger();
        QCOMPARE(browser_->markSteps, (QList<int>{1}));
        action("miClearPageMarks")->trigger();
        QVERIFY(browser_->marked.isEmpty());
        QTRY_VERIFY(!action("miNextMark")->isEnabled());
    }

    void theFormsReachTheScriptAsData() {
        const QString script = MarkScript({MarkGroup{{u("\"); alert(1); (\"")}, u("#ffff66")}});
        QVERIFY(script.contains(u("[{\"color\":\"#ffff66\",\"forms\":[\"\\\"); alert(1); (\\\"\"]}]")));
    }

    void aDoubleClickSelectsTheSentence() {
        select("lvWordBase", {rowOf("lvWordBase", u("итог"))});
        QCOMPARE(concordanceRows(), 2);
        const QString order = cell("lvConcordance", 1, 3);
        emit view("lvConcordance")->doubleClicked(view("lvConcordance")->model()->index(1, 1));
        const QModelIndexList selected = view("lvDocumentText")->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(cell("lvDocumentText", selected[0].row(), 3), order);
        QVERIFY(cell("lvDocumentText", selected[0].row(), 0).startsWith(u("Итоги года удивили")));
    }
};

QTEST_MAIN(ConcordancePanelTest)
#include "concordancepanel_test.moc"
