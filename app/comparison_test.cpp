// "Сравнить с..." and the tabs "Ключевые слова" and "Сочетаемость" in the window over the in-memory
// browser: a folder read as the reference and named in the status bar, key words sorted by value
// and a double click selecting the stem, a reference that cannot be read, clearing it, and the
// collocates of the selected stem with the concordance of a pair.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include "app/panelparts.h"
#include "app/reference.h"
#include "app/testwindow_for_tests.h"
#include "settings/stopwords.h"

namespace {

// The page on screen: cats and milk in a house; the reference is about dogs in a house.
const char* const kPage =
    "<html><body><p>Кот пьёт молоко. Рыжий кот любит молоко. Кот спит в доме. Кот ловит мышь в доме. "
    "Старый кот ест рыбу. Кот и кошка пьют молоко.</p></body></html>";

void writePage(const QString& path, const QString& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<html><head><meta charset=\"utf-8\"></head><body><p>" + text.toUtf8() + "</p></body></html>");
}

}  // namespace

class ComparisonTest : public QObject, TestWindow {
    Q_OBJECT

    QTemporaryDir pages_;

    QString referenceLabel() {
        auto* label = child<QLabel>("sbReference");
        return label->isHidden() ? QString() : label->text();
    }
    void compareWith(const QString& name) {
        form_->reference()->setReferenceAsker([name] { return name; });
        action("miCompareWith")->trigger();
        QTRY_VERIFY(!form_->reference()->loading());
    }
    // The display row of the key-word table whose column `column` reads `text`, or -1.
    int keywordRow(const QString& text, int column = 0) { return this->column("lvKeywords", column).indexOf(text); }

  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QString dogs, houses;
        for (int k = 0; k < 15; ++k) dogs += u("Собака охраняет дом. Собака лает. ");
        for (int k = 0; k < 15; ++k) houses += u("Большой дом стоит у реки. ");
        writePage(pages_.filePath(QStringLiteral("dogs.html")), dogs);
        writePage(pages_.filePath(QStringLiteral("houses.html")), houses);
    }
    void init() { openWindow(kPage); }
    void cleanup() { closeWindow(); }

    void keyWordsAgainstAFolderSortByValueAndSelectTheirStem() {
        QCOMPARE(child<QLabel>("sbKeywords")->text(), u("Эталон не выбран: Файл → Сравнить с..."));
        compareWith(pages_.path());
        QCOMPARE(referenceLabel(), u("Эталон: %1").arg(QFileInfo(pages_.path()).fileName()));
        QVERIFY(child<QLabel>("sbKeywords")->text().startsWith(u("Эталон: %1 (2 стр., ").arg(pages_.path())));
        const int cat = keywordRow(u("кот"));
        QVERIFY(cat >= 0);
        QCOMPARE(cell("lvKeywords", cat, 1), u("+"));
        QCOMPARE(cell("lvKeywords", cat, 2), u("6"));
        QVERIFY(keywordRow(u("собак")) >= 0);
        QCOMPARE(cell("lvKeywords", keywordRow(u("собак")), 1), u("-"));

        // A click on "LL" sorts by value: the numbers shown with a decimal comma descend.
        QTableView* keywords = view("lvKeywords");
        keywords->sortByColumn(6, Qt::DescendingOrder);
        double last = std::numeric_limits<double>::infinity();
        for (const QString& text : column("lvKeywords", 6)) {
            const double value = QString(text).replace(u(","), u(".")).toDouble();
            QVERIFY2(value <= last, qPrintable(text));
            last = value;
        }

        emit keywords->doubleClicked(keywords->model()->index(keywordRow(u("кот")), 0));
        QCOMPARE(panel::SelectedRows(view("lvWordBase")), std::vector<int>{rowOf("lvWordBase", u("кот"))});
    }

    void aReferenceThatCannotBeReadIsReportedAndTheOneBeforeStays() {
        compareWith(pages_.path());
        QString reported;
        form_->setErrorReporter([&](const QString& message) { reported = message; });
        compareWith(pages_.filePath(QStringLiteral("missing.html")));
        QVERIFY2(reported.startsWith(u("Эталон не прочитан: ")) && reported.contains(u("missing.html")),
                 qPrintable(reported));
        QCOMPARE(form_->reference()->name(), pages_.path());
        QVERIFY(keywordRow(u("кот")) >= 0);

        action("miClearReference")->trigger();
        QCOMPARE(referenceLabel(), QString());
        QCOMPARE(view("lvKeywords")->model()->rowCount(), 0);
        QVERIFY(!action("miClearReference")->isEnabled());
    }

    void referencesThatGiveNoPageAreReportedWithTheirReason_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("standard input") << u("-") << u("-: no words to compare with");
        QTest::newRow("a program") << u("/bin/sh") << u("not HTML-like bytes");
        QTest::newRow("no server") << u("http://127.0.0.1:1/") << u("http://127.0.0.1:1/: ");
        QTest::newRow("not a batch's result") << u("/etc/hostname.jsonl") << u("cannot read");
        QTest::newRow("a folder without pages") << u("/dev") << u("a directory without pages");
    }
    void referencesThatGiveNoPageAreReportedWithTheirReason() {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QString reported;
        form_->setErrorReporter([&](const QString& message) { reported = message; });
        compareWith(name);
        QVERIFY2(reported.startsWith(u("Эталон не прочитан: ")) && reported.contains(reason), qPrintable(reported));
        QVERIFY(!form_->reference()->reference());
        QCOMPARE(referenceLabel(), QString());
    }

    void aReadingOfTheWholeDiskStopsWhenTheReferenceIsCleared() {
        form_->reference()->load(QDir::rootPath());
        QVERIFY(form_->reference()->loading());
        QCOMPARE(referenceLabel(), u("Эталон: чтение /..."));
        action("miClearReference")->trigger();
        QTRY_VERIFY(!form_->reference()->loading());
        QVERIFY(!form_->reference()->reference());
        QCOMPARE(referenceLabel(), QString());
        // A new choice does not wait for a reading it stops.
        form_->reference()->load(QDir::rootPath());
        compareWith(pages_.path());
        QCOMPARE(form_->reference()->name(), pages_.path());
    }

    void theReferenceIsAnalysedWithTheStopWordsOfTheWindow() {
        closeWindow();
        browser_ = new FakeBrowser;
        settingsDir_ = std::make_unique<QTemporaryDir>();
        StartupSettings settings;
        settings.directory = settingsDir_->path().toStdString();
        settings.stopWords = settings::ParseStopWords(ToCp1251(u("дом\n")));
        form_ = std::make_unique<TFormMain>(browser_, std::move(settings));
        compareWith(pages_.path());
        const Corpus* reference = form_->reference()->reference();
        QVERIFY(reference && reference->pages == 2);
        QVERIFY(!reference->stems.contains("дом"));
        QVERIFY(reference->stems.contains("собак"));
    }

    void collocatesOfTheSelectedStemAndTheConcordanceOfAPair() {
        select("lvWordBase", {rowOf("lvWordBase", u("кот"))});
        const int milk = column("lvCollocates", 0).indexOf(u("молок"));
        QVERIFY(milk >= 0);
        QCOMPARE(cell("lvCollocates", milk, 1), u("3"));  // O: "кот" and "молоко" three times within 5 words
        QVERIFY(child<QLabel>("sbCollocates")->text().startsWith(u("Словооснова «кот»: 6 вхожд.")));

        child<QSpinBox>("sbCollocateSpan")->setValue(1);  // no "молоко" stands next to "кот"
        QCOMPARE(column("lvCollocates", 0).indexOf(u("молок")), -1);
        child<QSpinBox>("sbCollocateSpan")->setValue(5);

        QTableView* collocates = view("lvCollocates");
        emit collocates->doubleClicked(collocates->model()->index(column("lvCollocates", 0).indexOf(u("молок")), 0));
        QCOMPARE(view("lvConcordance")->model()->rowCount(), 3);
        auto* tabs = child<QTabWidget>("tcResults");
        QCOMPARE(tabs->tabText(tabs->currentIndex()), u("&Контекст"));
    }
};

QTEST_MAIN(ComparisonTest)
#include "comparison_test.moc"
