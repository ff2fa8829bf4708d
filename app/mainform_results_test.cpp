// Working with the results in the main window: filters, sorting, cross-navigation, the summary's
// limits and forced rows, copy and save.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <cerrno>
#include <system_error>

#include "app/testwindow_for_tests.h"
#include "settings/qt/editkoefdialog.h"
#include "settings/qt/editstopwordsdialog.h"
#include "views/qt/qtext.h"

namespace {

const char* const kPage =
    "<html><head><title>Отчёт</title></head><body><h1>Годовой отчёт</h1>"
    "<p>НАСА и Москва. Первый год работы был трудным. Второй год работы принёс успех.</p>"
    "<h2>Итоги года</h2><p>Итоги года показали рост. Итоги года удивили всех.</p></body></html>";

}  // namespace

class MainFormResultsTest : public QObject, TestWindow {
    Q_OBJECT

    // Runs `inDialog` once the modal dialog opened by `command` is shown, then lets it finish.
    void withDialog(QAction* command, std::function<void(QDialog*)> inDialog) {
        QTimer::singleShot(0, this, [inDialog] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            inDialog(dialog);
        });
        command->trigger();
    }
    static void clickButton(QDialog* dialog, const char* name) {
        dialog->findChild<QPushButton*>(QString::fromLatin1(name))->click();
    }

    // Types `text` over row `row` of the coefficient editor, then presses `button`.
    void editKoef(int row, const QString& text, const char* button) {
        withDialog(action("miKoef"), [=](QDialog* dialog) {
            dialog->findChild<QTableWidget*>(QStringLiteral("lvKoef"))->item(row, 0)->setText(text);
            clickButton(dialog, button);
        });
    }
    // Adds `word` in the stop-word editor, then presses `button`.
    void addStopWord(const QString& word, const char* button) {
        withDialog(action("miStopWords"), [=](QDialog* dialog) {
            dialog->findChild<QLineEdit*>(QStringLiteral("lbStopWordsEdit"))->setText(word);
            dialog->findChild<QToolButton*>(QStringLiteral("ToolButton1"))->click();
            clickButton(dialog, button);
        });
    }
    static QByteArray readFile(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QStringList summaryLines() { return child<QTextEdit>("reReferat")->toPlainText().split(QChar('\n')); }

  private slots:
    void init() { openWindow(kPage, {"the"}); }
    void cleanup() { closeWindow(); }

    void typeFiltersHideTheirCrossedClasses() {
        QVERIFY(rowOf("lvWordFull", u("НАСА")) >= 0);
        QVERIFY(rowOf("lvWordFull", u("Москва")) >= 0);
        action("miWF1")->trigger();  // "Аббревиатуры" hides word type 2
        QCOMPARE(rowOf("lvWordFull", u("НАСА")), -1);
        QVERIFY(rowOf("lvWordFull", u("Москва")) >= 0);
        action("miWF2")->trigger();  // "Возможные названия и имена" hides word type 1
        QCOMPARE(rowOf("lvWordFull", u("Москва")), -1);
        QVERIFY(child<QLabel>("StatusBar4")->text().contains(u(") / ")));

        QCOMPARE(rowOf("lvWordFull", u("и")), -1);   // stop words and short words are hidden at first
        child<QToolButton>("ToolButton2")->click();  // the face clears every filter
        QVERIFY(rowOf("lvWordFull", u("НАСА")) >= 0);
        QVERIFY(rowOf("lvWordFull", u("и")) >= 0);
        for (int k = 0; k < 7; ++k) QVERIFY(action(qPrintable(QStringLiteral("miWF%1").arg(k)))->isChecked());
    }

    void columnClicksMoveTheSortMark() {
        QHeaderView* header = view("lvWordBase")->horizontalHeader();
        emit header->sectionClicked(2);  // "ЧА"
        QAbstractItemModel* m = view("lvWordBase")->model();
        QCOMPARE(m->headerData(2, Qt::Horizontal).toString(), u("• ЧА"));
        QCOMPARE(m->headerData(4, Qt::Horizontal).toString(), u("ВА"));
        QStringList counts = column("lvWordBase", 2);
        for (int r = 1; r < counts.size(); ++r) QVERIFY(counts[r - 1].toInt() >= counts[r].toInt());

        QHeaderView* sentences = view("lvDocumentText")->horizontalHeader();
        emit sentences->sectionClicked(1);  // "Вес"
        QVERIFY(column("lvDocumentText", 3) != (QStringList{u("0"), u("1"), u("2"), u("3"), u("4"), u("5"), u("6")}));
        emit sentences->sectionClicked(3);  // "Порядок" restores document order
        QStringList order = column("lvDocumentText", 3);
        for (int r = 0; r < order.size(); ++r) QCOMPARE(order[r].toInt(), r);
        emit sentences->sectionClicked(4);  // "Заголовок": H1 first
        QCOMPARE(cell("lvDocumentText", 0, 4), u("H1"));
    }

    // Every cross-navigation button: the rows of one list related to the selected row of another
    // (or the same) list, worked out by hand from the page; the target's filter button then brings
    // its whole list back.
    void crossNavigationShowsRelatedRows_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("shown");
        const QString stems = u("lvWordBase"), words = u("lvWordFull"), exprs = u("lvWordExpr");
        const QStringList yearExprs = {u("Итоги года"), u("год работы")};
        QTest::newRow("words of a stem") << stems << u("год") << u("ToolButton5") << words << u("tbWordFullFilter")
                                         << QStringList{u("год"), u("года")};
        QTest::newRow("combinations of a stem")
            << stems << u("год") << u("ToolButton6") << exprs << u("tbWordExprFilter") << yearExprs;
        QTest::newRow("stems of a word") << words << u("года") << u("ToolButton9") << stems << u("tbWordBaseFilter")
                                         << QStringList{u("год")};
        QTest::newRow("words of the same stem") << words << u("года") << u("ToolButton8") << words
                                                << u("tbWordFullFilter") << QStringList{u("год"), u("года")};
        QTest::newRow("combinations of a word's stem")
            << words << u("года") << u("ToolButton10") << exprs << u("tbWordExprFilter") << yearExprs;
        QTest::newRow("stems of a combination") << exprs << u("Итоги года") << u("ToolButton12") << stems
                                                << u("tbWordBaseFilter") << QStringList{u("год"), u("итог")};
        QTest::newRow("words of a combination's stems")
            << exprs << u("Итоги года") << u("ToolButton13") << words << u("tbWordFullFilter")
            << QStringList{u("Итоги"), u("год"), u("года")};
        QTest::newRow("combinations of the same stems") << exprs << u("Итоги года") << u("ToolButton14") << exprs
                                                        << u("tbWordExprFilter") << yearExprs;  // any stem shared
    }

    void crossNavigationShowsRelatedRows() {
        QFETCH(QString, source);
        QFETCH(QString, selected);
        QFETCH(QString, button);
        QFETCH(QString, target);
        QFETCH(QString, filter);
        QFETCH(QStringList, shown);
        child<QToolButton>("ToolButton2")->click();  // every word, stop words and short ones too
        const int all = view(qPrintable(target))->model()->rowCount();
        const int row = rowOf(qPrintable(source), selected);
        QVERIFY(row >= 0);
        select(qPrintable(source), {row});
        QVERIFY(action(qPrintable(button))->isEnabled());
        action(qPrintable(button))->trigger();
        QStringList texts = column(qPrintable(target), 0);
        texts.sort();
        QCOMPARE(texts, shown);
        QVERIFY(!view(qPrintable(target))->selectionModel()->hasSelection());
        QVERIFY(action(qPrintable(filter))->isEnabled());
        QVERIFY2(child<QWidget>(qPrintable(filter))->isEnabled(), "the button, not only its action");
        action(qPrintable(filter))->trigger();
        QVERIFY(view(qPrintable(target))->model()->rowCount() >= all);
        QVERIFY(!action(qPrintable(filter))->isEnabled());
    }

    void selectingAndUnselectingFollowsTheLatestEvent() {
        select("lvWordExpr", {0});
        QVERIFY(action("ToolButton12")->isEnabled());
        view("lvWordExpr")->clearSelection();
        QVERIFY(!action("ToolButton12")->isEnabled());
    }

    void forcingARowAddsExactlyThatRow() {
        QStringList before = summaryLines();
        int row = -1;
        for (int r = 0; r < view("lvDocumentText")->model()->rowCount(); ++r) {
            if (!before.contains(cell("lvDocumentText", r, 0))) row = r;
        }
        QVERIFY(row > 0);
        const QString sentence = cell("lvDocumentText", row, 0);
        select("lvDocumentText", {row});
        QVERIFY(action("tbForceSentence")->isEnabled());
        QVERIFY(!action("tbForceSentence")->isChecked());
        action("tbForceSentence")->trigger();
        QVERIFY(action("tbForceSentence")->isChecked());
        QStringList after = summaryLines();
        QCOMPARE(after.size(), before.size() + 1);
        QCOMPARE(after.count(sentence), 1);
        QCOMPARE(cell("lvDocumentText", rowOf("lvDocumentText", sentence), 6), u("•"));

        action("tbForceSentence")->trigger();  // again: the mark goes, and so does the row
        QCOMPARE(summaryLines(), before);
    }

    void forcedHeadingsAreBoldAndLimitsKeepTheMarks() {
        action("tbForceHeadings")->trigger();
        QTextDocument* text = child<QTextEdit>("reReferat")->document();
        QStringList bold;
        for (QTextBlock b = text->begin(); b.isValid(); b = b.next()) {
            if (b.begin().fragment().charFormat().fontWeight() >= QFont::Bold) bold << b.text();
        }
        QCOMPARE(bold, (QStringList{u("Годовой отчёт"), u("Итоги года")}));
        QVERIFY2(!text->isUndoAvailable(), "undo would take the summary's own paragraphs back");

        action("miLimit1")->trigger();  // "3 предложения"
        QVERIFY(action("miLimit1")->isChecked());
        QCOMPARE(cell("lvDocumentText", rowOf("lvDocumentText", u("Итоги года")), 6), u("•"));
        action("tbClearMarks")->trigger();
        QVERIFY2(action("miLimit0")->isChecked(), "forcing returns to no limit");
        QVERIFY(!action("tbForceHeadings")->isChecked());
        QCOMPARE(cell("lvDocumentText", rowOf("lvDocumentText", u("Итоги года")), 6), QString());
    }

    // An edit reaches the summary as it is committed, without a rebuild: the limit stays, and the
    // summary keeps showing the edited text when it is rebuilt.
    void anEditedSentenceIsWhatTheSummaryShows() {
        action("miLimit1")->trigger();  // "3 предложения"
        const QStringList before = summaryLines();
        QAbstractItemModel* m = view("lvDocumentText")->model();
        QVERIFY(m->setData(m->index(0, 0), u("Новый заголовок"), Qt::EditRole));
        QStringList expected = before;
        expected.first() = u("Новый заголовок");
        QCOMPARE(summaryLines(), expected);
        QVERIFY(action("miLimit1")->isChecked());
        child<QToolButton>("tbReferatLimits")->click();
        QCOMPARE(summaryLines().first(), u("Новый заголовок"));
    }

    void copyPutsRichAndPlainTextOnTheClipboard() {
        action("tbCopyReferat")->trigger();
        const QMimeData* data = QApplication::clipboard()->mimeData();
        QVERIFY(data->hasHtml());
        QVERIFY(data->html().contains(u("font-weight:700")) || data->html().contains(u("font-weight:600")));
        QVERIFY(data->text().startsWith(u("Годовой отчёт")));
        QTextCursor cursor = child<QTextEdit>("reReferat")->textCursor();
        QVERIFY(!cursor.hasSelection());
        QCOMPARE(cursor.position(), 0);
    }

    void saveWritesRtfUnderTheRuleOfItsName() {
        QTemporaryDir dir;
        QString asked;
        form_->setSaveFileNameAsker([&] { return asked; });
        asked = dir.filePath(u("summary.RTF"));
        action("tbSaveReferat")->trigger();
        QVERIFY(QFile::exists(asked));
        asked = dir.filePath(u("summary"));
        action("tbSaveReferat")->trigger();
        QVERIFY(QFile::exists(dir.filePath(u("summary.rtf"))));
        QFile file(dir.filePath(u("summary.rtf")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith("{\\rtf1"));

        QString error;
        form_->setErrorReporter([&](const QString& message) { error = message; });
        asked = dir.filePath(u("missing/summary.rtf"));
        action("tbSaveReferat")->trigger();
        QCOMPARE(error, u("Не удалось сохранить автореферат в файл ") + asked + u(": ") +
                            QString::fromStdString(std::generic_category().message(ENOENT)));
        // A cancelled dialog saves nothing, not even a nameless ".rtf" in the current directory.
        error.clear();
        const QString current = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        const QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        bool askedAgain = false;
        form_->setSaveFileNameAsker([&] {
            askedAgain = true;
            return QString();
        });
        action("tbSaveReferat")->trigger();
        QDir::setCurrent(current);
        QVERIFY(askedAgain);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), files);
        QCOMPARE(error, QString());
    }

    void koefEditorWritesReloadsAndAnalysesAgain() {
        QCOMPARE(cell("lvDocumentText", 0, 4), u("H1"));
        editKoef(4, u("0"), "ButtonOk");  // <h1>...</h1>
        QTRY_VERIFY(!form_->analysisRunning());
        QCOMPARE(form_->document().analysis().koef.koefH1, 0.0);
        QCOMPARE(browser_->takenDocuments, 2);
        QVERIFY(QFile::exists(settingsDir_->filePath(u("koef.dat"))));
        QCOMPARE(cell("lvDocumentText", 0, 0), u("НАСА и Москва."));  // the heading now weighs nothing

        // A value that is not a number keeps the editor open with the reason; cancelling then
        // leaves the file and the coefficients as they were.
        const QByteArray written = readFile(settingsDir_->filePath(u("koef.dat")));
        QString refusal;
        withDialog(action("miKoef"), [&](QDialog* dialog) {
            dialog->findChild<QTableWidget*>(QStringLiteral("lvKoef"))->item(8, 0)->setText(u("abc"));
            clickButton(dialog, "ButtonOk");
            QVERIFY(dialog->isVisible());
            refusal = dialog->findChild<QLabel*>(QStringLiteral("lbKoefErrors"))->text();
            clickButton(dialog, "ButtonCancel");
        });
        QVERIFY(refusal.contains(u("abc")));
        QCOMPARE(readFile(settingsDir_->filePath(u("koef.dat"))), written);
        QCOMPARE(browser_->takenDocuments, 2);  // no analysis after a bad value
    }

    // An edited settings editor that is cancelled writes no file, changes no setting and does not
    // analyse the page again.
    void aCancelledEditorChangesNothing_data() {
        QTest::addColumn<QString>("editor");
        QTest::newRow("coefficients") << u("miKoef");
        QTest::newRow("stop words") << u("miStopWords");
    }

    void aCancelledEditorChangesNothing() {
        QFETCH(QString, editor);
        const std::array<double, Coefficients::kCount> koef = form_->document().analysis().koef.values();
        if (editor == u("miKoef")) editKoef(4, u("0"), "ButtonCancel");
        if (editor == u("miStopWords")) addStopWord(u("года"), "ButtonCancel");
        QCoreApplication::processEvents();
        QVERIFY(!form_->analysisRunning());
        QCOMPARE(browser_->takenDocuments, 1);
        QVERIFY(QDir(settingsDir_->path()).isEmpty());
        QVERIFY(form_->document().analysis().koef.values() == koef);
        QVERIFY(!form_->document().analysis().stopWords.Contains(ToCp1251(u("года"))));
    }

    void stopWordEditorWritesReloadsAndAnalysesAgain() {
        QVERIFY(rowOf("lvWordFull", u("года")) >= 0);
        addStopWord(u("ГОДА"), "ButtonOk");
        QTRY_VERIFY(!form_->analysisRunning());
        QFile file(settingsDir_->filePath(u("stopwords.txt")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray::fromStdString(ToCp1251(u("the\r\nгода\r\n"))));
        QCOMPARE(rowOf("lvWordFull", u("года")), -1);  // now a stop word, hidden by the type filter
        QCOMPARE(browser_->takenDocuments, 2);
    }
};

QTEST_MAIN(MainFormResultsTest)
#include "mainform_results_test.moc"
