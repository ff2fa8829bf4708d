// Measures how long a page (a local file or an address) takes in the window under a virtual X
// server: from opening to results (a local file is read as it is opened), to the browser's load
// complete, and taking the loaded page and analysing it again (what a page with frames waits for).
// --plain measures a bare QWebEngineView on the same page instead, from load to load finished:
// what the engine alone costs. --marks marks every item of the combination list in the loaded
// page and takes the marks out again, each timed with the longest stall of the window.
// Run: xvfb-run -a build/bin/openspeed_xvfb_tool [--plain|--marks] PAGE.html|URL
// (QTWEBENGINE_DISABLE_SANDBOX=1 as root). Not a test.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>

#include "app/browser/webenginebrowser.h"
#include "app/mainform.h"
#include "app/testwindow_for_tests.h"
#include "views/qt/qtext.h"

namespace {

// The engine alone: an off-the-record profile and a view, as the program makes them, nothing else.
int MeasurePlain(const QString& address) {
    QWebEngineProfile profile;
    QWebEnginePage page(&profile);
    QWebEngineView view;
    view.setPage(&page);
    view.resize(1200, 600);
    view.show();
    if (!QTest::qWaitForWindowExposed(&view)) return 1;
    bool finished = false;
    QObject::connect(&page, &QWebEnginePage::loadFinished, [&] { finished = true; });
    QElapsedTimer clock;
    clock.start();
    const QUrl url = QUrl::fromUserInput(address, QDir::currentPath(), QUrl::AssumeLocalFile);
    page.load(url);
    if (!WaitUntil([&] { return finished; }, 600000)) return 1;
    std::printf("plain engine, opening to load finished: %.2f s\n", clock.elapsed() / 1000.0);
    view.setPage(nullptr);
    return 0;
}

// Marks every item of the combination list in the page, then takes the marks out, timing each from
// the command to its note in the status bar, with the longest time the window did not answer.
int MeasureMarks(TFormMain& form, QLabel* status) {
    auto* list = ChildOrDie<QTableView>(&form, "lvWordExpr");
    list->selectAll();
    QElapsedTimer beat;
    qint64 longest = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] { longest = std::max(longest, beat.restart()); });
    const auto run = [&](const char* action, const QString& note, const char* what) {
        status->clear();
        longest = 0;
        beat.start();
        heartbeat.start(10);
        QElapsedTimer clock;
        clock.start();
        ChildOrDie<QAction>(&form, action)->trigger();
        if (!WaitUntil([&] { return status->text().startsWith(note); }, 600000)) return false;
        heartbeat.stop();
        std::printf("%s: %.2f s, the window not answering for at most %.2f s (%s)\n", what, clock.elapsed() / 1000.0,
                    longest / 1000.0, qPrintable(status->text()));
        return true;
    };
    std::printf("combinations selected: %d\n", static_cast<int>(list->selectionModel()->selectedRows().size()));
    if (!run("tbWordExprMark", u("Отмечено в странице"), "marking every combination")) return 1;
    if (!run("miClearPageMarks", u("Отметки сняты"), "taking the marks out")) return 1;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    if (argc > 2 && QByteArray(argv[1]) == "--plain") return MeasurePlain(QString::fromLocal8Bit(argv[2]));
    const bool marks = argc > 2 && QByteArray(argv[1]) == "--marks";
    const char* page = argv[marks ? 2 : 1];
    TFormMain form(new WebEngineBrowser, StartupSettings{});
    form.resize(1200, 900);
    form.show();
    if (!QTest::qWaitForWindowExposed(&form)) return 1;
    auto* status = ChildOrDie<QLabel>(&form, "sbBrowserText");
    const auto wait = [](const std::function<bool()>& done) { return WaitUntil(done, 600000); };

    QElapsedTimer clock;
    clock.start();
    form.OpenAddress(QString::fromLocal8Bit(page));
    if (!wait([&] { return !ListOf(form.document(), ResultList::kWordFull).rows.empty() && !form.analysisRunning(); }))
        return 1;
    QApplication::processEvents();  // the lists paint
    const double results = clock.elapsed() / 1000.0;
    if (!wait([&] { return status->text() == u("Document complete") && !form.analysisRunning(); })) return 1;
    const double loaded = clock.elapsed() / 1000.0;
    if (marks) return MeasureMarks(form, status);
    clock.restart();
    form.ExtractAndAnalyse();
    if (!wait([&] { return !form.analysisRunning(); })) return 1;
    QApplication::processEvents();
    const double taken = clock.elapsed() / 1000.0;
    std::printf(
        "opening to results: %.2f s\nopening to the browser's load complete: %.2f s\n"
        "taking the loaded page and analysing it: %.2f s\n"
        "opening to results when the page waits for the browser: %.2f s\n",
        results, loaded, taken, loaded + taken);
    return 0;
}
