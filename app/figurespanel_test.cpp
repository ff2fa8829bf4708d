// The "Показатели" tab: the figures with their formulas as tooltips, the checks with verdict and
// reason, the zones of the stems selected, the note of main-text mode, and nothing for a page
// without text.
#include "app/figurespanel.h"

#include <QLabel>
#include <QTableWidget>
#include <QTest>

#include "figures/figures.h"
#include "views/qt/qtext.h"

namespace {

const char* const kPage =
    "<html><head><title>Годовой отчёт завода</title><meta name=\"description\" content=\"Отчёт завода за год\">"
    "</head><body><h1>Отчёт</h1><article><p>Завод выпустил много станков за этот год, и отчёт завода показывает "
    "рост. Станки завода продаются в разных странах, а отчёт завода подробно описывает каждый шаг и рост. "
    "<b>Отчёт</b> готов.</p></article></body></html>";

QString Cell(const QTableWidget* table, int row, int column) { return table->item(row, column)->text(); }

// The row whose first column reads `caption`, or -1.
int RowOf(const QTableWidget* table, const QString& caption) {
    for (int r = 0; r < table->rowCount(); ++r)
        if (Cell(table, r, 0) == caption) return r;
    return -1;
}

}  // namespace

class FiguresPanelTest : public QObject {
    Q_OBJECT

    Document doc_;

    bool analyse(const char* page, ContentMode mode = ContentMode::kPage) {
        return Analyse(doc_, {{ToCp1251(u(page))}, CharsetChoice::kAuto, mode}).has_value();
    }

  private slots:
    void figuresChecksAndZones() {
        QVERIFY(analyse(kPage));
        FiguresPanel panel(doc_);
        QTableWidget* figures = panel.figuresView();
        const int words = RowOf(figures, u("Слов"));
        QVERIFY(words >= 0);
        QCOMPARE(Cell(figures, words, 1), u("30"));  // 1 in <h1>, 12, 15 and 2 in the paragraph
        QCOMPARE(figures->item(words, 1)->toolTip(), u("Все слова текста: сумма «ЧА» списка слов"));
        QVERIFY(panel.noteLabel()->isHidden());

        QTableWidget* checks = panel.checksView();
        const int h1 = RowOf(checks, u("Заголовки <h1>"));
        QVERIFY(h1 >= 0);
        QCOMPARE(Cell(checks, h1, 1), u("в порядке"));
        QCOMPARE(Cell(checks, h1, 2), u("один заголовок <h1>"));

        QCOMPARE(panel.zonesView()->rowCount(), 0);
        SortList(doc_, ResultList::kWordBase, 0);  // display rows are no longer the list's entries
        const ListModel& stems = ListOf(doc_, ResultList::kWordBase);
        std::size_t row = 0;
        while (row < stems.rows.size() && FromCp1251(stems.cell(row, 0)) != u("отчёт")) ++row;
        QVERIFY(row < stems.rows.size() && stems.rows[row] != row);
        panel.showZones(std::vector<std::size_t>{row}, {});
        QTableWidget* zones = panel.zonesView();
        QCOMPARE(zones->rowCount(), 1);
        QCOMPARE(zones->horizontalHeaderItem(1)->text(), u("title"));
        QStringList counts;
        for (int c = 0; c < zones->columnCount(); ++c) counts << Cell(zones, 0, c);
        // title, description, keywords, h1, h2–h6, bold, links, image descriptions, and the body's
        // four: the <h1>, the bold one and two more
        QCOMPARE(counts.join(u(" ")), u("отчёт 1 1 0 1 0 1 0 0 4"));

        // A combination adds a row for each of its stems, named in their tooltips.
        const ListModel& combinations = ListOf(doc_, ResultList::kWordExpr);
        QVERIFY(!combinations.rows.empty());
        panel.showZones(std::vector<std::size_t>{row}, std::vector<std::size_t>{0});
        QVERIFY(zones->rowCount() >= 3);
        QCOMPARE(zones->item(1, 0)->toolTip(), u("Из словосочетания «%1»").arg(FromCp1251(combinations.cell(0, 0))));
    }

    void mainTextModeSaysSo() {
        QVERIFY(analyse(kPage, ContentMode::kMain));
        QVERIFY(doc_.content().found);
        FiguresPanel panel(doc_);
        QVERIFY(!panel.noteLabel()->isHidden());
        QCOMPARE(panel.noteLabel()->text(), FromCp1251(figures::kMainTextNote));
    }

    void aPageWithoutTextClearsIt() {
        QVERIFY(analyse(kPage, ContentMode::kMain));
        FiguresPanel panel(doc_);
        QVERIFY(analyse("<html><body><img src=\"a.png\"></body></html>"));
        panel.showFigures();
        QCOMPARE(panel.figuresView()->rowCount(), 0);
        QCOMPARE(panel.checksView()->rowCount(), 0);
        QVERIFY(panel.noteLabel()->isHidden());
    }
};

QTEST_MAIN(FiguresPanelTest)
#include "figurespanel_test.moc"
