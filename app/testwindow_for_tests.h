// The window tests' helpers: a named child or the end of the run; a main window over the
// in-memory browser with a settings folder of its own, as those tests make it, a page loaded into
// it, and the ways they read and select its lists; waiting and fixture files as the browser tests
// have them (app/browser/browsertests_for_tests.h). Test-only.
#pragma once

#include <QAction>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/browser/browsertests_for_tests.h"
#include "app/browser/fakebrowser.h"
#include "app/mainform.h"
#include "views/qt/qtext.h"

/// Returns the child of `parent` named `name`; ends the test run when there is none.
template <typename T>
T* ChildOrDie(const QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (!found) qFatal("no child %s", name);
    return found;
}

/// Makes the window; any error it reports fails the running test.
inline void OpenTestWindow(FakeBrowser*& browser, std::unique_ptr<QTemporaryDir>& dir, std::unique_ptr<TFormMain>& form,
                           std::vector<std::string> stopWordItems = {}) {
    browser = new FakeBrowser;  // the window owns it
    dir = std::make_unique<QTemporaryDir>();
    StartupSettings settings;
    settings.directory = dir->path().toStdString();
    settings.stopWordItems = std::move(stopWordItems);
    form = std::make_unique<TFormMain>(browser, std::move(settings));
    form->setErrorReporter([](const QString& message) { QFAIL(qPrintable(message)); });
}

/// Shows a page, given as text, as a Windows-1251 local file; the window then analyses it.
inline void LoadTestPage(FakeBrowser& browser, const QString& page) {
    browser.document = QByteArray::fromStdString(ToCp1251(page));
    browser.simulateLoad(QStringLiteral("file:///tmp/report.html"));
}

/// True when the word list of the window's last analysis holds `word`.
inline bool HasWord(const TFormMain& form, const QString& word) {
    const std::string wanted = ToCp1251(word);
    return std::ranges::any_of(form.document().analysis().slWordFull, [&](const auto& e) { return e.text == wanted; });
}

/// The window of a test class (which derives from it beside QObject), its children and its lists by name.
class WindowAccess {
  protected:
    std::unique_ptr<TFormMain> form_;

    template <typename T>
    T* child(const char* name) {
        return ChildOrDie<T>(form_.get(), name);
    }
    QAction* action(const char* name) { return child<QAction>(name); }
    /// The browser's text in the status bar.
    QString status() { return child<QLabel>("sbBrowserText")->text(); }
    QTableView* view(const char* name) { return child<QTableView>(name); }
    QString cell(const char* list, int row, int column) {
        QAbstractItemModel* m = view(list)->model();
        return m->data(m->index(row, column)).toString();
    }
    QStringList column(const char* list, int column) {
        QStringList texts;
        for (int r = 0; r < view(list)->model()->rowCount(); ++r) texts << cell(list, r, column);
        return texts;
    }
    /// The first display row of `list` whose column `col` reads `text`, or -1.
    int rowOf(const char* list, const QString& text, int col = 0) { return column(list, col).indexOf(text); }
    /// Selects exactly the display rows `rows` of `list`.
    void select(const char* list, const QList<int>& rows) {
        QTableView* v = view(list);
        v->clearSelection();
        for (int r : rows)
            v->selectionModel()->select(v->model()->index(r, 0),
                                        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
};

/// The window over the in-memory browser, with a settings folder of its own.
class TestWindow : public WindowAccess {
  protected:
    FakeBrowser* browser_ = nullptr;
    std::unique_ptr<QTemporaryDir> settingsDir_;

    /// Makes the window and waits until `page` (UTF-8 text) is analysed in it.
    void openWindow(const char* page, std::vector<std::string> stopWordItems = {}) {
        OpenTestWindow(browser_, settingsDir_, form_, std::move(stopWordItems));
        LoadTestPage(*browser_, u(page));
        QTRY_VERIFY(!form_->analysisRunning());
    }
    void closeWindow() {
        form_.reset();
        settingsDir_.reset();
    }
};
