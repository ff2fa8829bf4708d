// Takes the screenshots of the README under a virtual X server: the "Контекст" pane, the marks in
// the page, the weight chart and the "Показатели" pane, for samples/sample.html, the outline of the
// main text of maintext/testdata/news_sidebar.html, and, where gimp-help-ru is installed, the
// "Ключевые слова" and "Сочетаемость" panes of the manual's gradient editor page against the rest
// of the manual. Run: xvfb-run -a -s "-screen 0 1280x1024x24"
// build/bin/screenshots_xvfb_tool DIR (QTWEBENGINE_DISABLE_SANDBOX=1 as root). Not a test.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include "app/browser/webenginebrowser.h"
#include "app/mainform.h"
#include "app/reference.h"
#include "app/testwindow_for_tests.h"
#include "settings/stopwords.h"
#include "views/qt/qtext.h"

namespace {

bool Wait(const std::function<bool()>& done) { return QTest::qWaitFor(done, 60000); }

void Shoot(QWidget* window, const QString& path) {
    QTest::qWait(800);  // the page and the chart paint
    window->windowHandle()->screen()->grabWindow(window->winId()).save(path);
}

int RowOf(QTableView* view, const QString& text) {
    for (int r = 0; r < view->model()->rowCount(); ++r)
        if (view->model()->data(view->model()->index(r, 0)).toString() == text) return r;
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    const QString out = QString::fromLocal8Bit(argv[1]);
    // The program's own stop words, as an installed program reads them.
    StartupSettings settings;
    settings.stopWords = settings::LoadStopWords(QT_TESTCASE_SOURCEDIR "/../data/stopwords.txt");
    TFormMain form(new WebEngineBrowser, std::move(settings));
    form.resize(1280, 1000);
    form.show();
    form.OpenAddress(QStringLiteral(QT_TESTCASE_SOURCEDIR "/../samples/sample.html"));
    auto* status = ChildOrDie<QLabel>(&form, "sbBrowserText");
    if (!Wait([&] { return !form.analysisRunning() && status->text() == u("Document complete"); })) return 1;

    auto* stems = ChildOrDie<QTableView>(&form, "lvWordBase");
    const int row = RowOf(stems, u("анализ"));
    if (row < 0) return 1;
    stems->selectionModel()->select(stems->model()->index(row, 0),
                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    auto* words = ChildOrDie<QTableView>(&form, "lvWordExpr");
    auto* tabs = ChildOrDie<QTabWidget>(&form, "tcResults");
    tabs->setCurrentIndex(1);
    Shoot(&form, out + u("/concordance.png"));

    ChildOrDie<QAction>(&form, "tbWordBaseMark")->trigger();
    if (!Wait([&] { return status->text().startsWith(u("Отмечено в странице")); })) return 1;
    const int expr = RowOf(words, u("автоматическое реферирование"));
    if (expr >= 0) {
        words->selectionModel()->select(words->model()->index(expr, 0),
                                        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    Shoot(&form, out + u("/page-marks.png"));

    tabs->setCurrentIndex(2);
    ChildOrDie<QAction>(&form, "miLimit2")->trigger();  // "5 предложений"
    Shoot(&form, out + u("/weight-chart.png"));

    // The figures, with the zones of the stem and the combination still selected.
    tabs->setCurrentIndex(3);
    Shoot(&form, out + u("/figures.png"));

    // The mode is stored in the user's settings: it is put back as it was.
    QAction* mainText = ChildOrDie<QAction>(&form, "miMainText");
    const bool wasMain = mainText->isChecked();
    form.OpenAddress(QDir::cleanPath(QStringLiteral(QT_TESTCASE_SOURCEDIR "/../maintext/testdata/news_sidebar.html")));
    if (!Wait([&] { return !form.analysisRunning() && status->text() == u("Document complete"); })) return 1;
    if (!wasMain) mainText->trigger();
    auto* content = ChildOrDie<QLabel>(&form, "sbContent");
    if (!Wait([&] { return content->text().startsWith(u("Основной текст: ")); })) return 1;
    tabs->setCurrentIndex(0);
    ChildOrDie<QAction>(&form, "miShowMainText")->trigger();
    if (!Wait([&] { return status->text().startsWith(u("Основной текст выделен")); })) return 1;
    Shoot(&form, out + u("/main-text.png"));
    if (!wasMain) mainText->trigger();

    const QDir manual(QStringLiteral("/usr/share/gimp/2.0/help/ru"));
    const QString target = QStringLiteral("gimp-gradient-dialog.html");
    if (!manual.exists(target)) return 0;
    // The rest of the manual: a folder of links to every other page.
    QTemporaryDir temporary;
    const QString rest = temporary.filePath(QStringLiteral("gimp-help-ru"));
    QDir().mkpath(rest);
    for (const QString& name : manual.entryList({QStringLiteral("*.html")}, QDir::Files)) {
        if (name != target) QFile::link(manual.filePath(name), rest + u("/") + name);
    }
    form.OpenAddress(manual.filePath(target));
    if (!Wait([&] { return !form.analysisRunning() && status->text() == u("Document complete"); })) return 1;
    form.reference()->setReferenceAsker([&] { return rest; });
    ChildOrDie<QAction>(&form, "miCompareWith")->trigger();
    if (!Wait([&] { return !form.reference()->loading(); }) || !form.reference()->reference()) return 1;
    const int gradient = RowOf(stems, u("градиент"));
    if (gradient < 0) return 1;
    stems->selectionModel()->select(stems->model()->index(gradient, 0),
                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    tabs->setCurrentIndex(4);
    Shoot(&form, out + u("/keywords.png"));
    tabs->setCurrentIndex(5);
    Shoot(&form, out + u("/collocates.png"));
    return 0;
}
