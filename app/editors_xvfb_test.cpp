// The settings editors in the whole window under a virtual X server, driven by real keys and
// clicks: the stop-word editor is opened from the menu, a word typed and added with Enter, and Ok
// writes it to the settings folder's stopwords.txt.
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "app/mainform.h"
#include "app/realinput_for_tests.h"
#include "app/testwindow_for_tests.h"
#include "settings/qt/editstopwordsdialog.h"
#include "views/qt/qtext.h"

namespace {

constexpr int kWaitMs = 10000;

// The entry of `menu` named `name`.
QAction* MenuEntry(const QMenu* menu, const char* name) {
    for (QAction* a : menu->actions()) {
        if (a->objectName() == QLatin1String(name)) return a;
    }
    return nullptr;
}

}  // namespace

class EditorsXvfbTest : public QObject, TestWindow {
    Q_OBJECT

    // Opens the menu `title` of the menu bar with a click and then its entry `entry`.
    void clickMenu(const QString& title, const char* entry) {
        QMenuBar* bar = form_->menuBar();
        QMenu* menu = nullptr;
        for (QAction* a : bar->actions()) {
            if (a->text() == title) menu = a->menu();
        }
        QVERIFY(menu);
        RealInput::click(bar, bar->actionGeometry(menu->menuAction()).center());
        QTRY_VERIFY_WITH_TIMEOUT(menu->isVisible(), kWaitMs);
        QAction* action = MenuEntry(menu, entry);
        QVERIFY(action);
        RealInput::click(menu, menu->actionGeometry(action).center());
    }

    // Types `word` into the open stop-word editor, adds it with Enter and closes the editor with
    // Ok. Returns what went wrong, or an empty text; the editor is closed either way.
    static QString addWordAndOk(TFormEditStopWords* editor, const QString& word) {
        auto* edit = editor->findChild<QLineEdit*>(QStringLiteral("lbStopWordsEdit"));
        auto* list = editor->findChild<QListWidget*>(QStringLiteral("lbStopWords"));
        auto* ok = editor->findChild<QPushButton*>(QStringLiteral("ButtonOk"));
        const auto fail = [editor](const char* why) {
            editor->reject();
            return u(why);
        };
        if (!edit || !list || !ok) return fail("the editor lacks its field, list or Ok");
        if (!WaitUntil([edit] { return QApplication::focusWidget() == edit; }, kWaitMs))
            return fail("the word field has no focus when the editor opens");
        RealInput::type(word);
        if (!WaitUntil([edit, word] { return edit->text() == word; }, kWaitMs))
            return fail("the typed word is not in the field");
        RealInput::key({u("Return")});
        if (!WaitUntil([list, word] { return !list->findItems(word, Qt::MatchExactly).isEmpty(); }, kWaitMs))
            return fail("Enter did not add the word");
        if (!editor->isVisible()) return u("Enter closed the editor");
        RealInput::click(ok);
        if (!WaitUntil([editor] { return !editor->isVisible(); }, kWaitMs)) return fail("Ok did not close the editor");
        return {};
    }

  private slots:
    void init() {
        if (!RealInput::available()) QSKIP("needs xdotool and openbox");
        openWindow("<html><body><p>Первый год работы был трудным.</p></body></html>");
        form_->resize(1000, 700);
        RealInput::activate(form_.get());
    }
    void cleanup() { closeWindow(); }

    void aStopWordTypedAndEnteredIsSavedByOk() {
        // A Latin word: the virtual X server's keyboard has no Russian layout, and xdotool's Cyrillic
        // keys do not reach the window there.
        const QString word = u("weed");
        // The editor's exec() runs its own event loop under the click that opens it, so that the
        // editor is driven from a timer of that loop while the test waits below it.
        QString failure = u("the editor did not open");
        bool driven = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* editor = qobject_cast<TFormEditStopWords*>(QApplication::activeModalWidget());
            if (!editor || driven) return;
            driven = true;
            poll.stop();
            failure = addWordAndOk(editor, word);
        });
        poll.start(50);
        clickMenu(u("&Настройки"), "miStopWords");
        QVERIFY(WaitUntil([&] { return driven && !QApplication::activeModalWidget(); }, 4 * kWaitMs));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));

        QFile file(settingsDir_->filePath(u("stopwords.txt")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().replace('\r', "").split('\n');
        QVERIFY2(lines.contains(QByteArray::fromStdString(ToCp1251(word))), "the word is not in stopwords.txt");
    }
};

QTEST_MAIN(EditorsXvfbTest)
#include "editors_xvfb_test.moc"
