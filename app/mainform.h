// TFormMain: the main window. It owns the document and its analysis state, shows the page in the
// embedded browser and the results in four lists and the summary pane, and carries every command
// and event handler of the program. No analysis logic lives here: it calls the document's
// operations and shows their results.
#pragma once

#include <QMainWindow>
#include <QTemporaryDir>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "app/browser.h"
#include "app/document.h"
#include "app/startup.h"
#include "resources/icons.h"
#include "views/crossnav.h"

class QAction;
class QItemSelection;
class QComboBox;
class QDialog;
class QLabel;
class QMenu;
class QProgressBar;
class QSplitter;
class QTableView;
class QTextEdit;
class QToolBar;
class QToolButton;
class QUrl;
class ListTableModel;
class PageSourceExtractor;
class TFormEditKoef;
class TFormEditStopWords;

class TFormMain : public QMainWindow {
    Q_OBJECT

public:
    /// Builds the window around `browser` (which it takes over) with the start-up settings.
    TFormMain(Browser* browser, StartupSettings settings, QWidget* parent = nullptr);
    ~TFormMain() override;

    /// Returns the user guide beside the program (build tree) or among its installed data files.
    static QString UserGuidePath();

    /// Shows `box` (kept by the caller) for "О программе...".
    void setAboutBox(QDialog* box) { aboutBox_ = box; }

    /// Replaces the file dialog that asks where to save the summary (an empty name cancels).
    void setSaveFileNameAsker(std::function<QString()> ask) { askSaveFileName_ = std::move(ask); }
    /// Replaces the error message box (the message in place of the dialog).
    void setErrorReporter(std::function<void(const QString&)> report) { reportError_ = std::move(report); }
    /// Replaces the question whether to hand a link of an external scheme to the desktop (true: yes).
    void setExternalLinkAsker(std::function<bool(const QUrl&)> ask) { askExternalLink_ = std::move(ask); }

    const Document& document() const { return doc_; }
    bool analysisRunning() const { return analysisRunning_; }
    QString docAddress() const { return docAddress_; }
    TFormEditStopWords* stopWordsEditor() const { return stopWordsEditor_; }
    TFormEditKoef* koefEditor() const { return koefEditor_; }
    /// The directory of the temporary page files (empty when it could not be made).
    QString temporaryDirectory() const { return tempDir_ && tempDir_->isValid() ? tempDir_->path() : QString(); }
    /// The extractor that takes the page from the browser.
    PageSourceExtractor* extractor() const { return extractor_; }

public slots:
    /// Takes the page from the browser and analyses it, unless an analysis is under way.
    void ExtractAndAnalyse();
    /// Navigates to the address in the URL box, completed.
    void Go();
    /// Puts `address` into the URL box and goes there (the program's command-line argument).
    void OpenAddress(const QString& address);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    QWidget* buildBrowserArea();
    QWidget* buildResultArea();
    QWidget* buildPanel(const char* caption, QToolBar* tools, QWidget* content, QLabel*& status,
                        const char* statusName);
    QTableView* buildListView(const char* name, ListTableModel* model);
    QAction* addTool(QToolBar* bar, const char* name, IconId icon, const char* hint);
    QToolButton* addMenuTool(QToolBar* bar, const char* name, IconId icon, const char* hint, QMenu* menu);
    QMenu* typeFilterMenu(const char* name, const char* itemPrefix, std::span<const std::string_view> captions,
                          std::span<const bool> hidden, unsigned separatorBefore);
    void applyResizeRule();

    void OpenDocument();
    void ShowUserGuide();
    void EditStopWords();
    void EditKoef();
    void ToggleIndexOption(bool checked, bool IndexOptions::*flag);

    void onBeforeNavigate(const QString& url);
    void onProgressChange(int progress, int maximum);
    void onCommandStateChange(int command, bool enable);
    void onTitleChange(const QString& title);
    void onDocumentComplete();
    void onLoadFailed(const QString& url, const QString& reason);
    void onRenderProcessTerminated(const QString& reason);
    void onExternalLinkClicked(const QUrl& url);

    void runAnalysis(std::string source);
    void showLists();
    void showSummary();
    void setResultButtonsEnabled(bool enabled);

    // Working with the results.
    struct ResultListUi;
    ResultListUi& ui(ResultList list) { return lists_[static_cast<std::size_t>(list)]; }
    void refill(ResultList list);
    void toggleTypeFilter(ResultList list, std::size_t item, bool checked);
    void clearTypeFilter(ResultList list);
    void switchFilterOff(ResultList list);
    void clickColumn(ResultList list, int column);
    void clickSentenceColumn(int column);
    void showRelated(const RelatedButton& button);
    void onSentenceSelection(const QItemSelection& selected, const QItemSelection& deselected);
    void rebuildSummary(std::size_t limit);
    void forceHeadings(bool pressed);
    void forceSentence();
    void clearMarks();
    void copySummary();
    void saveSummary();
    std::vector<int> selectedRows(QTableView* view) const;
    void resetKeepingSelection(QTableView* view, ListTableModel* model);

    std::unique_ptr<Browser> browser_;
    Document doc_;
    std::filesystem::path settingsDirectory_;
    QString tempBase_;                        // the system's temporary directory, as the user set it
    std::unique_ptr<QTemporaryDir> tempDir_;  // the page files' own directory in it
    PageSourceExtractor* extractor_ = nullptr;
    bool analysisRunning_ = false;
    QString docAddress_;
    QDialog* aboutBox_ = nullptr;
    TFormEditStopWords* stopWordsEditor_ = nullptr;
    TFormEditKoef* koefEditor_ = nullptr;
    std::function<QString()> askSaveFileName_;
    std::function<void(const QString&)> reportError_;
    std::function<bool(const QUrl&)> askExternalLink_;

    // Browser area.
    QComboBox* cbURLNavigator_ = nullptr;
    QAction* backAction_ = nullptr;
    QAction* forwardAction_ = nullptr;
    QAction* stopAction_ = nullptr;
    QLabel* charsetPanel_ = nullptr;
    QProgressBar* pfDocumentLoad_ = nullptr;
    QLabel* browserStatusPanel_ = nullptr;
    QLabel* timePanel_ = nullptr;

    // The three result lists, indexed by ResultList.
    struct ResultListUi {
        ListModel* list = nullptr;
        ListTableModel* model = nullptr;
        QTableView* view = nullptr;
        QLabel* status = nullptr;
        QMenu* typeMenu = nullptr;
        QToolButton* typeButton = nullptr;
        QAction* filterOff = nullptr;
        std::vector<QAction*> related;  // the cross-navigation buttons over this list
    };
    std::array<ResultListUi, 3> lists_;

    // Result area.
    QSplitter* splitterMain_ = nullptr;
    QSplitter* splitterResult_ = nullptr;
    QSplitter* splitterUpper_ = nullptr;
    QSplitter* splitterLower_ = nullptr;
    ListTableModel* wordBaseModel_ = nullptr;
    ListTableModel* wordFullModel_ = nullptr;
    ListTableModel* wordExprModel_ = nullptr;
    ListTableModel* documentTextModel_ = nullptr;
    QTableView* lvWordBase_ = nullptr;
    QTableView* lvWordFull_ = nullptr;
    QTableView* lvWordExpr_ = nullptr;
    QTableView* lvDocumentText_ = nullptr;
    QTextEdit* reReferat_ = nullptr;
    QLabel* statusBar2_ = nullptr;  // stems
    QLabel* statusBar3_ = nullptr;  // combinations
    QLabel* statusBar4_ = nullptr;  // words
    QLabel* sentenceStatus_ = nullptr;
    QLabel* summaryStatus_ = nullptr;

    // Buttons that the analysis run disables and enables.
    std::vector<QWidget*> typeFilterButtons_;     // ToolButton1-3
    std::vector<QAction*> filterOffButtons_;      // tbWordBaseFilter, tbWordFullFilter, tbWordExprFilter
    std::vector<QAction*> relatedActions_;        // ToolButton5-14
    std::vector<QAction*> summaryActions_;        // copy, save
    QToolButton* limitsButton_ = nullptr;
    QAction* forceHeadingsAction_ = nullptr;
    QAction* forceSentenceAction_ = nullptr;
    QAction* clearMarksAction_ = nullptr;
    std::vector<QAction*> limitActions_;
};
