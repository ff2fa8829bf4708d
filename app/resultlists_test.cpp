// The result lists as their user meets them: the selection stays on the same items through sorts
// and filters, with the concordance and the cross-navigation buttons acting on what the view shows
// selected; the columns show their captions in full and the sort column within the list.
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>

#include "app/testwindow_for_tests.h"

namespace {

const char* const kPage =
    "<html><head><title>Отчёт</title></head><body><h1>Кривой путь</h1>"
    "<p>НАСА и Москва. Кривой путь был трудным. Второй путь принёс успех, путь прямой.</p>"
    "<p>Итоги года показали рост. Итоги года удивили всех в Москве.</p></body></html>";

}  // namespace

class ResultListsTest : public QObject, TestWindow {
    Q_OBJECT

    // The texts of column 0 of the rows selected in `list`, sorted.
    QStringList selectedTexts(const char* list) {
        QStringList texts;
        for (const QModelIndex& index : view(list)->selectionModel()->selectedRows())
            texts << cell(list, index.row(), 0);
        texts.sort();
        return texts;
    }
    // The key words of the concordance, lowered and without repeats, sorted.
    QStringList concordanceWords() {
        QStringList words;
        for (const QString& word : column("lvConcordance", 1)) words << word.toLower();
        words.removeDuplicates();
        words.sort();
        return words;
    }
    // Selects the rows of `list` that read `texts`, the first of them current.
    void selectTexts(const char* list, const QStringList& texts) {
        QList<int> rows;
        for (const QString& text : texts) rows << rowOf(list, text);
        QVERIFY(!rows.contains(-1));
        select(list, rows);
        view(list)->selectionModel()->setCurrentIndex(view(list)->model()->index(rows.front(), 0),
                                                      QItemSelectionModel::NoUpdate);
    }

  private slots:
    void init() { openWindow(kPage); }
    void cleanup() { closeWindow(); }

    // A sort or a filter that leaves the selected word shown keeps it selected and current, and the
    // concordance and the buttons on it.
    void theSelectionStaysOnItsItems_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("sort by the word") << u("sort 0");
        QTest::newRow("sort by the count") << u("sort 2");
        QTest::newRow("hide possible names") << u("miWF2");
        QTest::newRow("show every type") << u("ToolButton2");
    }
    void theSelectionStaysOnItsItems() {
        QFETCH(QString, change);
        const QString word = u("прямой");
        QVERIFY(rowOf("lvWordFull", word) != 0);
        selectTexts("lvWordFull", {word});
        QCOMPARE(concordanceWords(), QStringList{word});
        if (change.startsWith(u("sort")))
            emit view("lvWordFull")->horizontalHeader()->sectionClicked(change.mid(5).toInt());
        else if (change == u("ToolButton2"))
            child<QToolButton>("ToolButton2")->click();
        else
            action(qPrintable(change))->trigger();
        QCOMPARE(selectedTexts("lvWordFull"), QStringList{word});
        QCOMPARE(cell("lvWordFull", view("lvWordFull")->currentIndex().row(), 0), word);
        QCOMPARE(concordanceWords(), QStringList{word});
        QVERIFY(action("ToolButton8")->isEnabled());
    }

    // The current item is scrolled back into view after a sort moves it.
    void theCurrentItemStaysInView() {
        QTableView* words = view("lvWordFull");
        words->resize(300, 3 * words->verticalHeader()->defaultSectionSize() + words->horizontalHeader()->height());
        words->show();
        const int last = words->model()->rowCount() - 1;
        selectTexts("lvWordFull", {cell("lvWordFull", last, 0)});
        const QString word = cell("lvWordFull", last, 0);
        emit words->horizontalHeader()->sectionClicked(0);
        emit words->horizontalHeader()->sectionClicked(0);  // the other way round
        const QRect shown = words->visualRect(words->currentIndex());
        QCOMPARE(cell("lvWordFull", words->currentIndex().row(), 0), word);
        QVERIFY(words->viewport()->rect().intersects(shown));
    }

    // A filter that hides one of the selected words takes it out of the selection, and the
    // concordance then shows the others only.
    void aFilterDropsTheItemsItHides() {
        selectTexts("lvWordFull", {u("НАСА"), u("Москва")});
        QCOMPARE(concordanceWords(), (QStringList{u("москва"), u("наса")}));
        action("miWF1")->trigger();  // "Аббревиатуры" off
        QCOMPARE(rowOf("lvWordFull", u("НАСА")), -1);
        QCOMPARE(selectedTexts("lvWordFull"), QStringList{u("Москва")});
        QCOMPARE(concordanceWords(), QStringList{u("москва")});
        action("miWF2")->trigger();  // "Возможные названия и имена" off
        QVERIFY(selectedTexts("lvWordFull").isEmpty());
        QVERIFY(concordanceWords().isEmpty());
        QVERIFY(!action("ToolButton8")->isEnabled());
        QVERIFY(!action("tbWordFullMark")->isEnabled());
    }

    // Cross-navigation within one list shows the related rows with none selected; the concordance
    // and the buttons follow.
    void crossNavigationLeavesNothingSelectedAndSaysSo() {
        selectTexts("lvWordFull", {u("года")});
        action("ToolButton8")->trigger();  // words of the same stem
        QVERIFY(!view("lvWordFull")->selectionModel()->hasSelection());
        QVERIFY(concordanceWords().isEmpty());
        QVERIFY(!action("ToolButton8")->isEnabled());
    }

    // Ctrl+A selects a list whole as one range of rows, and a sort keeps it so.
    void selectingAllIsOneRange() {
        QTableView* words = view("lvWordFull");
        words->setFocus();
        QTest::keyClick(words, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(words->selectionModel()->selection().size(), 1);
        emit words->horizontalHeader()->sectionClicked(0);
        QCOMPARE(words->selectionModel()->selection().size(), 1);
        QCOMPARE(words->selectionModel()->selectedRows().size(), words->model()->rowCount());
    }

    // At 1400 by 900 every caption shows in full, the sort mark included, and each list's sort column
    // lies within the list.
    void captionsShowAndTheSortColumnIsInView() {
        form_->resize(1400, 900);
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        for (const char* name : {"lvWordBase", "lvWordFull", "lvWordExpr", "lvDocumentText"}) {
            QTableView* list = view(name);
            QVERIFY2(list->isVisible(), name);
            QHeaderView* header = list->horizontalHeader();
            const QFontMetrics metrics(header->font());
            const int margins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
            for (int k = 0; k < header->count(); ++k) {
                if (header->sectionSize(k) == 0) continue;  // a collapsed column
                const QString caption = list->model()->headerData(k, Qt::Horizontal).toString();
                QVERIFY2(metrics.horizontalAdvance(caption) + margins <= header->sectionSize(k),
                         qPrintable(QStringLiteral("%1: %2").arg(QString::fromLatin1(name), caption)));
            }
            int sort = 0;
            while (!list->model()->headerData(sort, Qt::Horizontal).toString().startsWith(u("• "))) ++sort;
            QVERIFY2(header->sectionViewportPosition(sort) >= 0, name);
            QVERIFY2(header->sectionViewportPosition(sort) + header->sectionSize(sort) <= list->viewport()->width(),
                     name);
        }
    }
};

QTEST_MAIN(ResultListsTest)
#include "resultlists_test.moc"
