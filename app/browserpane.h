// BrowserPane: the browser area of the main window. Its tool bar (exit, open, back, forward, stop,
// refresh, home, the address box `cbURLNavigator`, go, force analysis), the bar that says what a
// page opened from disk may do (with the button that allows it more), the embedded browser
// `wbDocument` in a frame, and its status bar (the charset, the load progress `pfDocumentLoad`,
// the browser's status text). It turns the user's commands into browser calls and shows the
// browser's events; the window hears of a force-analysis request through forceAnalysisRequested.
#pragma once

#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>

#include "app/browser/browser.h"
#include "engine/charset.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;

class BrowserPane : public QWidget {
    Q_OBJECT

  public:
    /// Builds the pane around `browser` (kept by the caller) and shows the browser's view in it.
    explicit BrowserPane(Browser& browser, QWidget* parent = nullptr);

    /// Replaces the question whether to hand a link of an external scheme to the desktop (true: yes).
    void setExternalLinkAsker(std::function<bool(const QUrl&)> ask) { askExternalLink_ = std::move(ask); }

    /// The file path or address last handed to the browser by open or go.
    QString docAddress() const { return docAddress_; }
    /// The text of the address box.
    QString addressText() const;

    /// Asks for a local file and opens it.
    void openDocument();
    /// Navigates to the address in the address box, completed; nothing for an empty box.
    void go();
    /// Puts `address` into the address box and goes there.
    void openAddress(const QString& address);

    /// Shows the name of the encoding a page was read in (AnalysisState::pageEncoding).
    void showCharset(CharsetChoice encoding);
    /// The pane's tool bar, for the window to add its page commands to.
    class QToolBar* toolBar() const {
        return bar_;
    }
    /// Shows a text in the browser's status panel.
    void showStatus(const QString& text);
    /// Ends the progress display of a load and shows "Document complete".
    void showDocumentComplete();
    /// Says in the status bar what the analysis on screen was taken from (nothing for empty).
    void showAnalysisSource(const QString& text);

  signals:
    /// The force-analysis button was clicked.
    void forceAnalysisRequested();
    /// The pane asked the browser to go to `address` (typed, opened, dropped or given).
    void navigating(const QString& address);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildToolBar(class QToolBar* bar);
    QWidget* buildLocalPageBar();
    /// Shows the address of the document on screen in the address box and its history.
    void showLocation(const QString& url);
    void showLocalPage(Browser::LocalPage state);
    void onCommandStateChange(int command, bool enable);

    Browser& browser_;
    QString docAddress_;
    class QToolBar* bar_ = nullptr;
    QComboBox* cbURLNavigator_ = nullptr;
    QAction* back_ = nullptr;
    QAction* forward_ = nullptr;
    QAction* stop_ = nullptr;
    QLabel* charset_ = nullptr;
    QProgressBar* pfDocumentLoad_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* source_ = nullptr;
    QFrame* localBar_ = nullptr;
    QLabel* localText_ = nullptr;
    QPushButton* allowContent_ = nullptr;
    std::function<bool(const QUrl&)> askExternalLink_;
};
