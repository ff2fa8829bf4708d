#include "settings/qt/editstopwordsdialog.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <cerrno>
#include <system_error>

#include "base/tempdir_for_tests.h"
#include "views/qt/qtext.h"

namespace {

std::string cp(const char* utf8) { return ToCp1251(QString::fromUtf8(utf8)); }

using settings::testutil::readBytes;

// The dialog, shown, with handles on its controls; errors are collected instead of shown.
struct Editor {
    TFormEditStopWords dialog;
    QLineEdit* edit = dialog.findChild<QLineEdit*>(QStringLiteral("lbStopWordsEdit"));
    QListWidget* list = dialog.findChild<QListWidget*>(QStringLiteral("lbStopWords"));
    QToolButton* add = dialog.findChild<QToolButton*>(QStringLiteral("ToolButton1"));
    QToolButton* remove = dialog.findChild<QToolButton*>(QStringLiteral("ToolButton2"));
    QStringList errors;

    Editor(std::vector<std::string> items, std::filesystem::path file) : dialog(std::move(items), std::move(file)) {
        dialog.showError = [this](const QString& message) { errors << message; };
        dialog.show();
    }
    QString selected() const { return list->selectedItems().isEmpty() ? QString() : list->selectedItems()[0]->text(); }
    void select(int row) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    }
    void type(const QString& text) {
        edit->clear();
        // QTest::keyClicks handles Latin-1 only; Cyrillic goes as key events carrying their text.
        for (QChar c : text) QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    void click(const char* name) {
        QTest::mouseClick(dialog.findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
    }
};

}  // namespace

class EditStopWordsDialogTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::filesystem::path file() const { return std::filesystem::path(dir_.path().toStdString()) / "stopwords.txt"; }

  private slots:
    void startsSortedWithBothButtonsDisabled() {
        Editor e({cp("он"), cp("Мы"), cp("ёж"), cp("ещё"), "and"}, file());
        QCOMPARE(e.dialog.accessibleName(), QStringLiteral("Стоп-слова"));
        QCOMPARE(e.add->accessibleName(), QStringLiteral("Добавить"));
        QCOMPARE(e.remove->accessibleName(), QStringLiteral("Удалить"));
        QVERIFY(!e.add->isEnabled() && !e.remove->isEnabled());
        QCOMPARE(e.dialog.Items(), std::vector<std::string>({"and", cp("ещё"), cp("ёж"), cp("Мы"), cp("он")}));
        QCOMPARE(e.list->item(3)->text(), QStringLiteral("Мы"));
    }

    void buttonsFollowTheTypedTextIgnoringCase() {
        Editor e({cp("Мы"), cp("он")}, file());
        e.type(QStringLiteral("мы"));
        QVERIFY(!e.add->isEnabled() && e.remove->isEnabled());
        QCOMPARE(e.selected(), QStringLiteral("Мы"));  // so Удалить removes the word shown
        e.type(QStringLiteral("мыло"));
        QVERIFY(e.add->isEnabled() && !e.remove->isEnabled());
        QCOMPARE(e.selected(), QString());
        e.select(1);
        QCOMPARE(e.edit->text(), QStringLiteral("он"));
        QVERIFY(!e.add->isEnabled() && e.remove->isEnabled());
    }

    void addsATypedWordLowercasedAtItsPlace() {
        Editor e({cp("а"), cp("я")}, file());
        e.type(QStringLiteral("Тест"));
        QTest::mouseClick(e.add, Qt::LeftButton);
        QCOMPARE(e.dialog.Items(), std::vector<std::string>({cp("а"), cp("тест"), cp("я")}));
        QCOMPARE(e.selected(), QStringLiteral("тест"));
        QCOMPARE(e.edit->text(), QStringLiteral("тест"));
        QVERIFY(!e.add->isEnabled() && e.remove->isEnabled());
    }

    // Enter, on the main keys or the keypad, adds the typed word as "Добавить" does, and a word
    // already listed is not added again; the dialog stays open either way and writes nothing.
    void enterInTheWordFieldAddsTheWordAndKeepsTheDialogOpen_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("Return, a new word")
            << int(Qt::Key_Return) << QStringLiteral("Тест")
            << QStringList{QStringLiteral("а"), QStringLiteral("тест"), QStringLiteral("я")};
        QTest::newRow("keypad Enter, a new word")
            << int(Qt::Key_Enter) << QStringLiteral("б")
            << QStringList{QStringLiteral("а"), QStringLiteral("б"), QStringLiteral("я")};
        QTest::newRow("Return, a listed word")
            << int(Qt::Key_Return) << QStringLiteral("Я") << QStringList{QStringLiteral("а"), QStringLiteral("я")};
    }

    void enterInTheWordFieldAddsTheWordAndKeepsTheDialogOpen() {
        QFETCH(int, key);
        QFETCH(QString, typed);
        QFETCH(QStringList, items);
        std::filesystem::remove(file());
        Editor e({cp("а"), cp("я")}, file());
        e.type(typed);
        QTest::keyClick(e.edit, Qt::Key(key), key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QVERIFY(e.dialog.isVisible());
        QStringList listed;
        for (const std::string& item : e.dialog.Items()) listed << FromCp1251(item);
        QCOMPARE(listed, items);
        QCOMPARE(e.edit->text().toLower(), typed.toLower());  // a listed word is left as typed
        QCOMPARE(e.selected(), typed.toLower());
        QVERIFY(!e.add->isEnabled() && e.remove->isEnabled());
        QVERIFY(!std::filesystem::exists(file()));
    }

    // The dialog is reused; each time it opens the focus is in the word field with its text selected,
    // not on the button that closed it last time.
    void opensWithTheFocusInTheWordField() {
        Editor e({cp("он")}, file());
        QVERIFY(QTest::qWaitForWindowActive(&e.dialog));
        QCOMPARE(e.dialog.focusWidget(), e.edit);
        e.type(QStringLiteral("мы"));
        e.click("ButtonCancel");
        QVERIFY(!e.dialog.isVisible());
        QCOMPARE(e.dialog.focusWidget(), e.dialog.findChild<QPushButton*>(QStringLiteral("ButtonCancel")));
        e.dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&e.dialog));
        QCOMPARE(e.dialog.focusWidget(), e.edit);
        QVERIFY(e.edit->hasFocus());
        QTRY_COMPARE(e.edit->selectedText(), QStringLiteral("мы"));
    }

    void deletingSelectsTheItemAtTheSamePlaceOrTheNewLast() {
        Editor e({"a", "b", "c"}, file());
        e.select(2);
        QTest::mouseClick(e.remove, Qt::LeftButton);
        QCOMPARE(e.selected(), QStringLiteral("b"));
        QCOMPARE(e.edit->text(), QStringLiteral("b"));
        QVERIFY(!e.add->isEnabled() && e.remove->isEnabled());
        e.select(0);
        QTest::mouseClick(e.remove, Qt::LeftButton);
        QCOMPARE(e.selected(), QStringLiteral("b"));
        QTest::mouseClick(e.remove, Qt::LeftButton);
        QVERIFY(e.dialog.Items().empty());
        QCOMPARE(e.selected(), QString());
        QVERIFY(!e.add->isEnabled() && !e.remove->isEnabled());
    }

    void okWritesEveryItemWithCrLfOrShowsTheFailure() {
        Editor e({cp("он"), cp("Мы")}, file());
        QTest::keyClick(e.edit, Qt::Key_Return);  // Enter presses Ok
        QCOMPARE(e.dialog.result(), int(QDialog::Accepted));
        QVERIFY(e.errors.isEmpty());
        QCOMPARE(readBytes(file()), cp("Мы\r\nон\r\n"));

        const std::filesystem::path unwritable = file().parent_path() / "missing" / "stopwords.txt";
        Editor failing({"a"}, unwritable);
        failing.click("ButtonOk");
        QCOMPARE(failing.errors,
                 QStringList{QString::fromStdString("Не удалось сохранить стоп-слова в файл " + unwritable.string() +
                                                    ": " + std::generic_category().message(ENOENT))});
        QCOMPARE(failing.dialog.result(), int(QDialog::Accepted));
    }

    void cancelWritesNothingAndKeepsTheEditForTheNextOk() {
        std::filesystem::remove(file());
        Editor e({"b"}, file());
        QTimer::singleShot(0, this, [&] {
            e.type(QStringLiteral("a"));
            QTest::mouseClick(e.add, Qt::LeftButton);
            e.click("ButtonCancel");
        });
        QCOMPARE(e.dialog.exec(), int(QDialog::Rejected));
        QVERIFY(!std::filesystem::exists(file()));
        QCOMPARE(e.dialog.Items(), std::vector<std::string>({"a", "b"}));
        QTimer::singleShot(0, this, [&] { e.click("ButtonOk"); });
        QCOMPARE(e.dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(readBytes(file()), std::string("a\r\nb\r\n"));
    }
};

QTEST_MAIN(EditStopWordsDialogTest)
#include "editstopwordsdialog_test.moc"
