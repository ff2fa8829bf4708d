#include "settings/qt/editkoefdialog.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cerrno>
#include <system_error>

#include "base/tempdir_for_tests.h"
#include "settings/koef.h"

namespace {

using settings::testutil::readBytes;

std::vector<std::string> defaultLines() { return settings::KoefEditorLines(Coefficients{}, ','); }

// Opens the in-place editor of a row's value with F2 and types over the value.
QLineEdit* typeValue(QTableWidget* table, int row, const QString& text) {
    table->setCurrentCell(row, 0);
    QTest::keyClick(table, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(table->indexWidget(table->model()->index(row, 0)));
    if (editor) QTest::keyClicks(editor, text);  // the editor opens with its text selected
    return editor;
}

// The dialog with the default values and its list, shown or not.
struct Editor {
    TFormEditKoef dialog;
    QTableWidget* table = dialog.findChild<QTableWidget*>(QStringLiteral("lvKoef"));
    explicit Editor(bool shown = false) {
        dialog.Load(defaultLines());
        if (shown) dialog.show();
    }
};

void click(QDialog& dialog, const char* button) {
    QTest::mouseClick(dialog.findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
}

}  // namespace

class EditKoefDialogTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::filesystem::path koefPath() const { return std::filesystem::path(dir_.path().toStdString()) / "koef.dat"; }

  private slots:
    void showsTheCategoriesAndValues() {
        auto [dialog, table] = Editor();
        QVERIFY(table);
        QCOMPARE(dialog.accessibleName(), QStringLiteral("Весовые коэффициенты"));
        QCOMPARE(table->rowCount(), 18);
        QCOMPARE(table->item(4, 1)->text(), QStringLiteral("<h1>...</h1>"));
        QCOMPARE(table->item(4, 0)->text(), QStringLiteral("10"));
        QCOMPARE(table->item(17, 0)->text(), QStringLiteral("0,1"));
        QVERIFY(!(table->item(4, 1)->flags() & Qt::ItemIsEditable));
        QCOMPARE(dialog.Lines(), defaultLines());
    }

    void editsAValueInPlace() {
        auto [dialog, table] = Editor(true);
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QLineEdit* editor = typeValue(table, 4, QStringLiteral("7,5"));
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_Return);  // ends the edit, does not press Ok
        QTRY_COMPARE(dialog.Lines()[4], std::string("7,5"));
        QVERIFY(dialog.isVisible());

        QVERIFY(typeValue(table, 5, QStringLiteral("-2")));  // still open when Ok is clicked
        click(dialog, "ButtonOk");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Lines()[5], std::string("-2"));
    }

    // Ok refuses a value that is not a number, naming its row under the list and in the cell's tooltip,
    // and leaves it selected for editing; a number in either separator's form is taken as typed.
    void okRefusesAValueThatIsNotANumber_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("error");  // empty: Ok closes the dialog
        const QString h1 = QStringLiteral("Вес в строке 5 «<h1>...</h1>» — не число: ");
        QTest::newRow("letters") << QStringLiteral("abc") << h1 + QStringLiteral("«abc»");
        QTest::newRow("empty") << QString() << h1 + QStringLiteral("«»");
        QTest::newRow("both separators") << QStringLiteral("1,5.3") << h1 + QStringLiteral("«1,5.3»");
        QTest::newRow("comma") << QStringLiteral("7,5") << QString();
        QTest::newRow("point") << QStringLiteral("7.5") << QString();
        QTest::newRow("exponent and spaces") << QStringLiteral(" -1E2 ") << QString();
    }

    void okRefusesAValueThatIsNotANumber() {
        QFETCH(QString, typed);
        QFETCH(QString, error);
        auto [dialog, table] = Editor(true);
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* errors = dialog.findChild<QLabel*>(QStringLiteral("lbKoefErrors"));
        QVERIFY(errors && errors->isHidden());
        QLineEdit* editor = typeValue(table, 4, typed);
        QVERIFY(editor);
        if (typed.isEmpty()) QTest::keyClick(editor, Qt::Key_Delete);
        click(dialog, "ButtonOk");  // while the value is still being typed
        QCOMPARE(table->item(4, 0)->text(), typed);
        if (error.isEmpty()) {
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QVERIFY(!dialog.isVisible() && errors->isHidden());
            return;
        }
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(errors->text(), error);
        QVERIFY(errors->isVisible());
        QCOMPARE(table->item(4, 0)->toolTip(), error);
        QCOMPARE(table->item(5, 0)->toolTip(), QString());
        QCOMPARE(table->currentRow(), 4);
        QTRY_VERIFY(table->indexWidget(table->model()->index(4, 0)));  // open for editing again
        auto* again = qobject_cast<QLineEdit*>(table->indexWidget(table->model()->index(4, 0)));
        QVERIFY(again);
        QTest::keyClicks(again, QStringLiteral("8"));
        QTest::keyClick(again, Qt::Key_Return);  // the edit ends once the loop runs
        QTRY_VERIFY(errors->isHidden());
        QCOMPARE(table->item(4, 0)->toolTip(), QString());
        click(dialog, "ButtonOk");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Lines()[4], std::string("8"));
    }

    void cancelAfterEditingShowsTheHeldValuesNextTime() {
        auto [dialog, table] = Editor();
        QTimer::singleShot(0, this, [&] {
            QVERIFY(typeValue(table, 4, QStringLiteral("99")));
            click(dialog, "ButtonCancel");
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        dialog.Load(defaultLines());
        QCOMPARE(table->item(4, 0)->text(), QStringLiteral("10"));
    }

    void okWithoutEditWritesAndReloadsTheSameValues() {
        TFormEditKoef dialog;
        Coefficients current;
        current.koefH2 = 0.25;
        dialog.Load(settings::KoefEditorLines(current, ','));
        QTimer::singleShot(0, this, [&] { click(dialog, "ButtonOk"); });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        KoefApplyResult applied = ApplyKoefLines(koefPath(), dialog.Lines(), ',');
        QVERIFY(applied.written && !applied.error && applied.values);
        QVERIFY(applied.values->values() == current.values());
        QVERIFY(readBytes(koefPath()).starts_with("2\r\n0,5\r\n0,2\r\n0,2\r\n10\r\n0,25\r\n"));
        QVERIFY(readBytes(koefPath()).ends_with("\r\n0,1\r\n"));
    }

    void storesZeroAndNegativeValuesAndReportsABadOne() {
        std::vector<std::string> lines = defaultLines();
        lines[0] = "0";
        lines[1] = "-1,5";
        KoefApplyResult applied = ApplyKoefLines(koefPath(), lines, ',');
        QVERIFY(!applied.error && applied.values);
        QCOMPARE(applied.values->koefTitle, 0.0);
        QCOMPARE(applied.values->koefMeta, -1.5);

        // A file the start-up could not read back is not written at all.
        const std::string before = readBytes(koefPath());
        lines[4] = "abc";
        lines[5] = "8";
        applied = ApplyKoefLines(koefPath(), lines, ',');
        QVERIFY(!applied.written && !applied.values);
        QCOMPARE(applied.error.value_or(""), std::string("Вес в строке 5 «<h1>...</h1>» — не число: «abc»"));
        QCOMPARE(readBytes(koefPath()), before);

        const std::filesystem::path unwritable = koefPath().parent_path() / "missing" / "koef.dat";
        applied = ApplyKoefLines(unwritable, defaultLines(), ',');
        QVERIFY(!applied.written && !applied.values);
        QCOMPARE(applied.error.value_or(""), "Не удалось сохранить весовые коэффициенты в файл " + unwritable.string() +
                                                 ": " + std::generic_category().message(ENOENT));
    }

    void ignoresHeaderClicksAndKeepsTheCategoryColumnFilling() {
        auto [dialog, table] = Editor(true);
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        // Every caption and value fits its column, and the columns fit the list: nothing is cut, and
        // there is nothing to scroll to the side.
        auto fits = [table] {
            const QAbstractItemView* view = table;  // where the column's size hint is public
            return view->sizeHintForColumn(0) <= table->columnWidth(0) &&
                   view->sizeHintForColumn(1) <= table->columnWidth(1) &&
                   table->horizontalHeader()->length() <= table->viewport()->width();
        };
        QVERIFY(fits());
        QHeaderView* header = table->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(1) + 5, 5));
        QCOMPARE(dialog.Lines(), defaultLines());
        // A wider list widens the category column by as much.
        const int category = table->columnWidth(1);
        table->setFixedSize(table->width() + 200, table->height());
        QCOMPARE(table->columnWidth(1), category + 200);
        QVERIFY(fits());
    }
};

QTEST_MAIN(EditKoefDialogTest)
#include "editkoefdialog_test.moc"
