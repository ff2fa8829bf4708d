// Marks in the page under a real X server with the real web engine: "Показать в странице" marks as
// many occurrences of each stem, word and combination in the live page as the lists count, in the
// page and in a frame it may read, steps through them, takes them out, and starts no analysis.
#include <QAction>
#include <QItemSelectionModel>
#include <QLabel>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "app/browser/webenginebrowser.h"
#include "app/mainform.h"
#include "app/pagemarks.h"
#include "app/realinput_for_tests.h"
#include "app/testwindow_for_tests.h"
#include "views/qt/qtext.h"

namespace {

// Words as the analysis cuts them: inline tags inside a word, spaced and unspaced dashes,
// abbreviations with periods, a comma after a space, quotes and brackets, Latin and digits.
const char* const kPage =
    "<html><head><meta charset=\"utf-8\"><title>Отметки</title></head><body>"
    "<h1>Год работы</h1><p>Первый год работы был трудным. Второй <b>год</b> работы – принёс успех! "
    "Годы работы, годы работ и т.д. и т.п. Кто-то сказал: «год работы» (год работы) , год работы.</p>"
    "<p>Ра<i>бо</i>та 3.14 и x-y, web-страница и веб - страница; страница-то.</p>"
    "<script>document.title = 'год работы';</script><p>Год работы — итоги года работы</p></body></html>";

}  // namespace

class PageMarksXvfbTest : public QObject, WindowAccess {
    Q_OBJECT

    QTemporaryDir dir_;
    WebEngineBrowser* browser_ = nullptr;

    void open(const QByteArray& page, const char* name) {
        const QString path = dir_.filePath(QString::fromLatin1(name));
        QVERIFY(WriteTestFile(path, page));
        form_->OpenAddress(path);
        QTRY_VERIFY_WITH_TIMEOUT(!form_->document().analysis().slWordFull.empty() && !form_->analysisRunning() &&
                                     status() == u("Document complete"),
                                 60000);
    }
    // Marks display row `row` of `list` and returns how many the page marked.
    int markRow(const char* list, const char* button, int row) {
        select(list, {row});
        action(button)->trigger();
        const QString prefix = u("Отмечено в странице: ");
        if (!QTest::qWaitFor([&] { return status().startsWith(prefix); }, 20000)) return -1;
        const int count = status().mid(prefix.size()).toInt();
        action("miClearPageMarks")->trigger();
        if (!QTest::qWaitFor([&] { return status() == u("Отметки сняты"); }, 20000)) return -2;
        return count;
    }

  private slots:
    void init() {
        browser_ = new WebEngineBrowser;
        form_ = std::make_unique<TFormMain>(browser_, StartupSettings{});
        form_->resize(1200, 900);
        form_->show();
    }
    void cleanup() { form_.reset(); }

    void everyItemIsMarkedAsOftenAsItsListCountsIt() {
        open(u(kPage).toUtf8(), "marks.html");
        QSignalSpy loads(browser_, &Browser::DocumentComplete);
        struct Case {
            const char* list;
            const char* button;
            const char* typeButton;
        };
        for (const Case& c :
             {Case{"lvWordBase", "tbWordBaseMark", "ToolButton1"}, Case{"lvWordFull", "tbWordFullMark", "ToolButton2"},
              Case{"lvWordExpr", "tbWordExprMark", "ToolButton3"}}) {
            child<QToolButton>(c.typeButton)->click();  // every type shown
            QAbstractItemModel* m = view(c.list)->model();
            QVERIFY(m->rowCount() > 0);
            for (int row = 0; row < m->rowCount(); ++row) {
                const QString item = m->data(m->index(row, 0)).toString();
                const int counted = m->data(m->index(row, 2)).toInt();
                QCOMPARE(QString(c.list + (u(": ") + item + u(" ") + QString::number(markRow(c.list, c.button, row)))),
                         QString(c.list + (u(": ") + item + u(" ") + QString::number(counted))));
            }
        }
        QCOMPARE(loads.count(), 0);
        QVERIFY(!form_->analysisRunning());
    }

    void marksStepFromOneToTheNextAndReachReadableFrames() {
        const QString frame = u("<p>год работы и год</p>").toHtmlEscaped();
        open(u("<html><head><meta charset=\"utf-8\"></head><body><p>Год работы, год работы.</p>"
               "<iframe srcdoc=\"%1\"></iframe></body></html>")
                 .arg(frame)
                 .toUtf8(),
             "frames.html");
        const int row = rowOf("lvWordBase", u("год"));
        QVERIFY(row >= 0);
        QCOMPARE(cell("lvWordBase", row, 2), u("2"));  // the frame is no part of the analysis
        select("lvWordBase", {row});
        action("tbWordBaseMark")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(status(), u("Отмечено в странице: 4"), 20000);
        auto* next = action("miNextMark");
        auto* previous = action("miPreviousMark");
        QVERIFY(next->isEnabled());
        next->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(status(), u("Отмечено в странице: 4 (показано: 1)"), 20000);
        next->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(status(), u("Отмечено в странице: 4 (показано: 2)"), 20000);
        previous->trigger();
        previous->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(status(), u("Отмечено в странице: 4 (показано: 4)"), 20000);
        action("miClearPageMarks")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(status(), u("Отметки сняты"), 20000);
        QVERIFY(!next->isEnabled());
    }

    // A marking of many texts goes in parts: the status bar says how far it has come, and the
    // parts add up to every occurrence. The keys and clicks go through the X server.
    void aLargeMarkingGoesInPartsAndSaysHowFarItHasCome() {
        if (!RealInput::available()) QSKIP("needs an X display with xdotool and openbox");
        QString page = u("<html><head><meta charset=\"utf-8\"></head><body>");
        for (int k = 0; k < 5000; ++k) page += u("<p>год работы</p>");
        open(page.append(u("</body></html>")).toUtf8(), "many.html");
        child<QToolButton>("ToolButton2")->click();  // every type shown
        QSignalSpy notes(form_->findChild<PageMarks*>(), &PageMarks::marked);
        RealInput::activate(form_.get());
        QTableView* words = view("lvWordFull");
        RealInput::click(words->viewport(), words->visualRect(words->model()->index(0, 0)).center());
        RealInput::key({u("ctrl+a")});
        const int rows = words->model()->rowCount();
        QVERIFY(WaitUntil([&] { return words->selectionModel()->selectedRows().size() == rows; }, 10000));
        int expected = 0;
        for (int row = 0; row < rows; ++row) expected += words->model()->index(row, 2).data().toInt();
        QCOMPARE(expected, 10000);
        QToolButton* mark = nullptr;
        for (QToolButton* b : form_->findChildren<QToolButton*>())
            if (b->defaultAction() == action("tbWordFullMark")) mark = b;
        QVERIFY(mark);
        RealInput::click(mark);
        const auto last = [&] { return notes.isEmpty() ? QString() : notes.last().at(0).toString(); };
        QVERIFY(WaitUntil([&] { return last().startsWith(u("Отмечено в странице: ")); }, 60000));
        QStringList texts;
        for (const QList<QVariant>& note : notes) texts << note.at(0).toString();
        QCOMPARE(texts.first(), u("Отмечаю в странице..."));
        QCOMPARE(texts.last(), u("Отмечено в странице: 10000"));
        // Between them how far it has come, after parts of at most 2,000 of the 5,000 texts.
        const QStringList parts = texts.mid(1, texts.size() - 2);
        QVERIFY2(parts.size() >= 2, qPrintable(texts.join(u(" | "))));
        for (const QString& part : parts)
            QVERIFY(QRegularExpression(u("^Отмечаю в странице: \\d\\d? %$")).match(part).hasMatch());
    }
};

QTEST_MAIN(PageMarksXvfbTest)
#include "pagemarks_xvfb_test.moc"
