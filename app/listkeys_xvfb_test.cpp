// The result lists under the real keyboard: the window under a virtual X server with a window
// manager, keys sent through the X server with xdotool, so that they go where a person's go.
#include <QApplication>
#include <QHeaderView>
#include <QTableView>
#include <QtTest>

#include "app/realinput_for_tests.h"
#include "app/testwindow_for_tests.h"

namespace {

const char* const kPage =
    "<html><head><title>Отчёт</title></head><body><h1>Годовой отчёт</h1>"
    "<p>Первый год работы был трудным. Второй год работы принёс успех.</p></body></html>";

// The name of the widget with the keyboard focus, or of its nearest named parent.
QString FocusName() {
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        if (!w->objectName().isEmpty()) return w->objectName();
    }
    return {};
}

}  // namespace

class ListKeysXvfbTest : public QObject, TestWindow {
    Q_OBJECT

  private slots:
    void initTestCase() {
        if (!RealInput::available()) QSKIP("needs an X display, xdotool and openbox");
    }
    void init() {
        openWindow(kPage);
        form_->resize(1400, 900);
        RealInput::activate(form_.get());
    }
    void cleanup() { closeWindow(); }

    // Tab leaves a list for the next control: from the stem list it reaches the other lists in their
    // order, then the summary, and comes round to the stem list again.
    void tabGoesFromListToListAndRound() {
        QTableView* stems = view("lvWordBase");
        RealInput::click(stems->viewport(), stems->visualRect(stems->model()->index(0, 0)).center());
        QVERIFY(WaitUntil([] { return FocusName() == u("lvWordBase"); }, 5000));
        QStringList visited;
        for (int k = 0; k < 40 && (visited.isEmpty() || visited.last() != u("lvWordBase")); ++k) {
            const QWidget* before = QApplication::focusWidget();
            RealInput::key({QStringLiteral("Tab")});
            WaitUntil([before] { return QApplication::focusWidget() != before; }, 2000);
            visited << FocusName();
        }
        const qsizetype words = visited.indexOf(u("lvWordFull"));
        const qsizetype exprs = visited.indexOf(u("lvWordExpr"));
        const qsizetype summary = visited.indexOf(u("reReferat"));
        QVERIFY2(words >= 0 && exprs > words && summary > exprs, qPrintable(visited.join(u(", "))));
        QVERIFY2(visited.last() == u("lvWordBase"), qPrintable(visited.join(u(", "))));
    }

    // A row clicked, then a column caption clicked to sort: the item clicked stays selected and
    // current wherever the sort puts it, and the concordance still shows it.
    void aSortByTheMouseKeepsTheItemSelected() {
        QTableView* words = view("lvWordFull");
        const int row = rowOf("lvWordFull", u("трудным"));
        QVERIFY(row >= 0);
        words->scrollTo(words->model()->index(row, 0));
        QCoreApplication::processEvents();
        RealInput::click(words->viewport(), words->visualRect(words->model()->index(row, 0)).center());
        QVERIFY(WaitUntil([&] { return words->selectionModel()->selectedRows().size() == 1; }, 5000));
        QHeaderView* header = words->horizontalHeader();
        const int before = words->selectionModel()->selectedRows().first().row();
        RealInput::click(header->viewport(), QPoint(header->sectionViewportPosition(0) + 10, header->height() / 2));
        QVERIFY(WaitUntil([&] { return words->model()->index(before, 0).data().toString() != u("трудным"); }, 5000));
        const QModelIndexList selected = words->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first().data().toString(), u("трудным"));
        QCOMPARE(words->currentIndex().row(), selected.first().row());
        QCOMPARE(cell("lvConcordance", 0, 1), u("трудным"));
    }
};

QTEST_MAIN(ListKeysXvfbTest)
#include "listkeys_xvfb_test.moc"
