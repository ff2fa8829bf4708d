// TFormMain: the main window. It owns the document, the browser and the panels that show them
// (the browser pane, the three result-list panels, the sentence panel and the summary panel),
// builds the menus and the splitters, and wires the panels together: its PageTaker takes the page
// from the browser when it is parsed or loaded, and it runs the analysis and tells each panel to
// show the results. No analysis logic lives here, and no panel knows another.
#pragma once

#include <QMainWindow>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "app/browser/browser.h"
#include "document/document.h"
#include "document/startup.h"

namespace habits {
class KeptSplitter;
}

class QDialog;
class QLabel;
class QUrl;
class BrowserPane;
class CharsetMenu;
class MainTextMode;
class PageMarks;
class ReferenceComparison;
class ResultTabs;
class PageSourceExtractor;
class PageTaker;
class ResultListPanel;
class SentencePanel;
class SummaryPanel;
class SettingsMenu;

class TFormMain : public QMainWindow {
    Q_OBJECT

  public:
    /// Builds the window around `browser` (which it takes over) with the start-up settings.
    TFormMain(Browser* browser, StartupSettings settings, QWidget* parent = nullptr);
    ~TFormMain() override;

    /// Shows `box` (kept by the caller) for "О программе...".
    void setAboutBox(QDialog* box) { aboutBox_ = box; }
    /// Replaces the file dialog that asks where to save the summary (an empty name cancels).
    void setSaveFileNameAsker(std::function<QString()> ask);
    /// Replaces the error message box (the message in place of the dialog).
    void setErrorReporter(std::function<void(const QString&)> report);
    /// Replaces the question whether to hand a link of an external scheme to the desktop (true: yes).
    void setExternalLinkAsker(std::function<bool(const QUrl&)> ask);

    const Document& document() const { return doc_; }
    /// True while the page is being taken from the browser or analysed.
    bool analysisRunning() const;
    QString docAddress() const;
    /// The reference the page is compared with.
    ReferenceComparison* reference() const { return reference_; }
    /// The extractor that takes the page from the browser.
    PageSourceExtractor* extractor() const { return extractor_; }

  public slots:
    /// Takes the page from the browser and analyses it, unless an analysis of it is under way.
    void ExtractAndAnalyse();
    /// Navigates to the address in the URL box, completed.
    void Go();
    /// Puts `address` into the URL box and goes there (the program's command-line argument).
    void OpenAddress(const QString& address);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildMenus(StartupSettings& settings);
    QWidget* buildResultArea();
    void layOutSplitters();
    void connectBrowser();

    /// Runs `analyse` (an analysis of the document) under the wait cursor and shows its result.
    void runAnalysis(const std::function<std::optional<RunReport>()>& analyse);
    void showRelated(const RelatedButton& button);
    // Shows in "Показатели" the zones of the rows selected in the stem and combination lists.
    void showZones();
    ResultListPanel* listPanel(ResultList list) const { return lists_[static_cast<std::size_t>(list)]; }

    std::unique_ptr<Browser> browser_;
    Document doc_;
    PageSourceExtractor* extractor_ = nullptr;
    PageTaker* taker_ = nullptr;
    QDialog* aboutBox_ = nullptr;
    SettingsMenu* settingsMenu_ = nullptr;
    std::function<void(const QString&)> reportError_;

    BrowserPane* browserPane_ = nullptr;
    std::array<ResultListPanel*, 3> lists_{};  // indexed by ResultList
    SentencePanel* sentencePanel_ = nullptr;
    SummaryPanel* summaryPanel_ = nullptr;
    ResultTabs* resultTabs_ = nullptr;  // the summary pane and the panes beside it
    PageMarks* pageMarks_ = nullptr;
    MainTextMode* mainText_ = nullptr;
    ReferenceComparison* reference_ = nullptr;
    CharsetMenu* charsetMenu_ = nullptr;
    QLabel* timePanel_ = nullptr;
    QLabel* contentPanel_ = nullptr;  // what a main-text run read; hidden after a run of the whole page
    habits::KeptSplitter* splitterMain_ = nullptr;
    habits::KeptSplitter* splitterResult_ = nullptr;
    habits::KeptSplitter* splitterUpper_ = nullptr;
    habits::KeptSplitter* splitterLower_ = nullptr;
};
