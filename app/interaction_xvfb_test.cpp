// A user's session with the real window under a virtual X server, driven by keyboard and mouse:
// each slot opens the sample page in a window of its own with settings of its own, then filters,
// sorts and cross-navigates, or forces the headings, edits the summary and saves it as RTF (read
// back by the office suite, bold included), or edits a coefficient. With SUMORAN_SCREENSHOT_DIR
// set it also saves screenshots of the window there.
#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "app/browser/webenginebrowser.h"
#include "app/mainform.h"
#include "app/testwindow_for_tests.h"
#include "document/startup.h"
#include "views/qt/qtext.h"

namespace {

const QString kSourceDir = QStringLiteral(QT_TESTCASE_SOURCEDIR "/..");

}  // namespace

class InteractionXvfbTest : public QObject, WindowAccess {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> settingsDir_;
    QTemporaryDir outputDir_;

    // The tool button of a tool-bar action.
    QWidget* button(const char* name) {
        for (QToolBar* bar : form_->findChildren<QToolBar*>()) {
            for (QAction* a : bar->actions()) {
                if (a->objectName() == QLatin1String(name)) return bar->widgetForAction(a);
            }
        }
        qFatal("no button %s", name);
    }
    void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center()); }
    void clickHeader(QTableView* view, int section) {
        QHeaderView* header = view->horizontalHeader();
        view->scrollTo(view->model()->index(0, section));
        QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
    void clickRow(QTableView* view, int row) {
        QRect rect = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void screenshot(const char* name) {
        QString dir = qEnvironmentVariable("SUMORAN_SCREENSHOT_DIR");
        if (!dir.isEmpty()) form_->grab().save(dir + QChar('/') + QString::fromLatin1(name) + QStringLiteral(".png"));
    }
    int rows(const char* list) { return view(list)->model()->rowCount(); }
    QString header(const char* list, int section) {
        return view(list)->model()->headerData(section, Qt::Horizontal).toString();
    }

  private slots:
    // A window of its own for each slot, with the sample page typed into the address box and analysed.
    void init() {
        settingsDir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(QFile::copy(kSourceDir + u("/data/stopwords.txt"), settingsDir_->filePath(u("stopwords.txt"))));
        StartupResult startup = LoadStartupSettings(settingsDir_->path().toStdString(), ',');
        QVERIFY(!startup.error);
        form_ = std::make_unique<TFormMain>(new WebEngineBrowser, std::move(startup.settings));
        form_->resize(1400, 1000);
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        QLineEdit* address = child<QComboBox>("cbURLNavigator")->lineEdit();
        QTest::mouseClick(address, Qt::LeftButton);
        QTest::keyClicks(address, kSourceDir + u("/samples/sample.html"));
        QTest::keyClick(address, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(rows("lvDocumentText") > 0 && !form_->analysisRunning(), 60000);
        QCOMPARE(form_->windowTitle(), u("Анализ текста веб-страницы - Sumoran"));
    }
    void cleanup() {
        form_.reset();
        settingsDir_.reset();
    }

    void filterSortNavigate() {
        const int shown = rows("lvWordBase");
        QTest::mouseClick(child<QToolButton>("ToolButton1"), Qt::LeftButton, {}, QPoint(8, 8));  // the face
        QVERIFY(rows("lvWordBase") > shown);

        clickHeader(view("lvWordBase"), 2);  // "ЧА"
        QCOMPARE(header("lvWordBase", 2), u("• ЧА"));

        const int analysis = rowOf("lvWordBase", u("анализ"));
        QVERIFY(analysis >= 0);
        clickRow(view("lvWordBase"), analysis);
        QVERIFY(button("ToolButton5")->isEnabled());
        click(button("ToolButton5"));
        QVERIFY(rows("lvWordFull") >= 1);
        QVERIFY(button("tbWordFullFilter")->isEnabled());
        click(button("ToolButton6"));
        QVERIFY(button("tbWordExprFilter")->isEnabled());
        screenshot("cross-navigation");
    }

    void forceHeadingsEditAndSaveTheSummary() {
        click(button("tbForceHeadings"));
        auto* pane = child<QTextEdit>("reReferat");
        QVERIFY(pane->toPlainText().contains(u("Словоосновы и словоформы")));
        QVERIFY(pane->toPlainText().contains(u("Работа со списками")));
        screenshot("forced-headings");
        // The user's edits (typed: QTest types ASCII only): words in the first paragraph, a paragraph of
        // their own at the end.
        QTest::mouseClick(pane->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::keyClick(pane, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClicks(pane, u("Edited: "));
        QTest::keyClick(pane, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(pane, Qt::Key_Return);
        QTest::keyClicks(pane, u("A line of my own"));
        QTextCursor last(pane->document()->lastBlock());
        last.select(QTextCursor::BlockUnderCursor);
        QTextCharFormat plain;
        plain.setFontWeight(QFont::Normal);
        last.mergeCharFormat(plain);
        // The pane's paragraphs and which of them start in bold.
        auto paragraphs = [](const QTextDocument& text) {
            QStringList out;
            for (QTextBlock b = text.begin(); b.isValid(); b = b.next()) {
                if (b.text().trimmed().isEmpty()) continue;
                const bool bold = b.begin().fragment().charFormat().fontWeight() >= QFont::Bold;
                out << (bold ? u("**") : QString()) + b.text().simplified();
            }
            return out;
        };
        const QStringList shown = paragraphs(*pane->document());
        QVERIFY2(shown.first().contains(u("Edited: ")), qPrintable(shown.first()));
        QCOMPARE(shown.last(), u("A line of my own"));
        QVERIFY(shown.contains(u("**Словоосновы и словоформы")));
        QVERIFY(shown.contains(u("**Работа со списками")));

        const QString rtf = outputDir_.filePath(u("summary"));
        form_->setSaveFileNameAsker([rtf] { return rtf; });
        click(button("tbSaveReferat"));
        QVERIFY(QFile::exists(rtf + u(".rtf")));

        if (QStandardPaths::findExecutable(u("soffice")).isEmpty()) QSKIP("soffice is not installed");
        QProcess office;
        office.start(u("soffice"), {u("-env:UserInstallation=file://") + outputDir_.filePath(u("profile")),
                                    u("--headless"), u("--convert-to"), u("html:HTML (StarWriter)"), u("--outdir"),
                                    outputDir_.path(), rtf + u(".rtf")});
        QVERIFY(office.waitForFinished(120000));
        QFile html(outputDir_.filePath(u("summary.html")));
        QVERIFY(html.open(QIODevice::ReadOnly));
        QTextDocument read;
        read.setHtml(QString::fromUtf8(html.readAll()));
        QCOMPARE(paragraphs(read), shown);
    }

    void editACoefficient() {
        QTimer::singleShot(0, this, [this] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            auto* list = dialog->findChild<QTableWidget*>(QStringLiteral("lvKoef"));
            QRect cell = list->visualItemRect(list->item(4, 0));  // "<h1>...</h1>"
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::keyClick(list, Qt::Key_F2);
            QTRY_VERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));  // the cell's editor
            QWidget* editor = QApplication::focusWidget();
            QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(editor, u("7"));
            QTest::keyClick(editor, Qt::Key_Return);
            click(dialog->findChild<QPushButton*>(QStringLiteral("ButtonOk")));
        });
        action("miKoef")->trigger();
        QCOMPARE(form_->document().analysis().koef.koefH1, 7.0);
        QFile koef(settingsDir_->filePath(u("koef.dat")));
        QVERIFY(koef.open(QIODevice::ReadOnly));
        QCOMPARE(koef.readAll().split('\n').at(4), QByteArray("7\r"));
        QTRY_VERIFY_WITH_TIMEOUT(!form_->analysisRunning(), 60000);
        QAbstractItemModel* sentences = view("lvDocumentText")->model();
        const QString weight = u("8") + QChar(form_->document().decimalSeparator) + u("40");
        QTRY_COMPARE_WITH_TIMEOUT(sentences->data(sentences->index(0, 1)).toString(), weight, 60000);  // 7 × 1.2
    }
};

QTEST_MAIN(InteractionXvfbTest)
#include "interaction_xvfb_test.moc"
