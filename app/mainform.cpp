#include "app/mainform.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSplitter>
#include <QStatusBar>
#include <QUrl>
#include <cstdlib>

#include "app/application.h"
#include "app/browserpane.h"
#include "app/charsetmenu.h"
#include "app/habits.h"
#include "app/helpmenu.h"
#include "app/pagemarks.h"
#include "app/pagesourceextractor.h"
#include "app/resultlistpanel.h"
#include "app/resulttabs.h"
#include "app/sentencepanel.h"
#include "app/settingsmenu.h"
#include "app/summarypanel.h"
#include "resources/icons.h"
#include "settings/decimalseparator.h"
#include "views/qt/qtext.h"

namespace {

constexpr int kSplitterWidth = 3;

// Clears a flag when it goes out of scope, also when an exception passes.
struct FlagReset {
    bool& flag;
    ~FlagReset() { flag = false; }
};

QSplitter* Splitter(Qt::Orientation orientation, std::initializer_list<QWidget*> widgets) {
    auto* splitter = new QSplitter(orientation);
    splitter->setHandleWidth(kSplitterWidth);
    for (QWidget* w : widgets) splitter->addWidget(w);
    return splitter;
}

}  // namespace

TFormMain::TFormMain(Browser* browser, StartupSettings settings, QWidget* parent)
    : QMainWindow(parent), browser_(browser) {
    setObjectName(QStringLiteral("FormMain"));
    doc_.decimalSeparator = settings::UserDecimalSeparator();
    doc_.analysis.stopWords = std::move(settings.stopWords);
    doc_.analysis.koef = settings.koef;
    doc_.analysis.options = {};
    doc_.recordOccurrences = true;  // the concordance shows them

    browserPane_ = new BrowserPane(*browser_);
    pageMarks_ = new PageMarks(doc_, *browser_, this);
    splitterMain_ = Splitter(Qt::Vertical, {browserPane_, buildResultArea()});
    setCentralWidget(splitterMain_);
    buildMenus(settings);
    statusBar()->addWidget(timePanel_ = new QLabel, 1);
    timePanel_->setObjectName(QStringLiteral("sbMain"));
    statusBar()->setSizeGripEnabled(false);
    if (const QString sandbox = SandboxNote(); !sandbox.isEmpty()) {
        auto* note = new QLabel(sandbox);
        note->setObjectName(QStringLiteral("sbSandbox"));
        note->setAccessibleName(note->text());
        statusBar()->addPermanentWidget(note);
    }
    resize(800, 600);
    applyResizeRule();
    setWindowTitle(QStringLiteral("Sumoran"));
    setWindowIcon(Icon(IconId::kProgram));
    setErrorReporter(
        [this](const QString& message) { QMessageBox::critical(this, QStringLiteral("Sumoran"), message); });

    extractor_ = new PageSourceExtractor(*browser_, this);
    connectBrowser();
    habits::InstallShortcuts(this);
    habits::AcceptDrops(this, [this](const QString& address) { OpenAddress(address); });
}

TFormMain::~TFormMain() {
    // The panels show the document's lists: they go before the document does.
    delete takeCentralWidget();
}

void TFormMain::buildMenus(StartupSettings& settings) {
    QMenu* file = menuBar()->addMenu(u("&Файл"));
    QAction* open =
        file->addAction(Icon(IconId::kOpen), u("&Открыть документ..."), browserPane_, &BrowserPane::openDocument);
    open->setObjectName(QStringLiteral("miOpen"));
    open->setShortcut(QKeySequence::Open);
    file->addSeparator();
    file->addAction(Icon(IconId::kExit), u("В&ыход"), this, [] { std::_Exit(0); });

    pageMarks_->addCommands(menuBar()->addMenu(u("&Отметки")), browserPane_->toolBar());

    settingsMenu_ = new SettingsMenu(doc_, settings, menuBar()->addMenu(u("&Настройки")), [this](const QString& m) {
        if (reportError_) reportError_(m);
    });
    connect(settingsMenu_, &SettingsMenu::reanalyseRequested, this, &TFormMain::ExtractAndAnalyse);
    connect(settingsMenu_, &SettingsMenu::settingsChanged, this, [this] {
        earlyPath_.clear();
        if (!browserPane_->addressText().isEmpty()) onDocumentComplete();
    });

    charsetMenu_ = new CharsetMenu(doc_, menuBar(), [this] {
        if (!analysisRunning_) runAnalysis(charsetMenu_->page());  // else the page being taken is read so
    });
    AddHelpMenu(
        menuBar(), [this](const QString& address) { OpenAddress(address); }, [this] { return aboutBox_; });
}

QWidget* TFormMain::buildResultArea() {
    for (ResultList list : {ResultList::kWordBase, ResultList::kWordFull, ResultList::kWordExpr}) {
        auto* panel = new ResultListPanel(doc_, list);
        lists_[static_cast<std::size_t>(list)] = panel;
        connect(panel, &ResultListPanel::relatedRequested, this,
                [this](const RelatedButton* button) { showRelated(*button); });
    }
    sentencePanel_ = new SentencePanel(doc_);
    summaryPanel_ = new SummaryPanel(doc_);
    resultTabs_ = new ResultTabs(doc_, summaryPanel_);
    for (ResultListPanel* panel : lists_) {
        connect(panel, &ResultListPanel::selectionChanged, this,
                [this, panel] { resultTabs_->showOccurrences(panel->list(), panel->selectedRows()); });
        connect(panel, &ResultListPanel::markRequested, this,
                [this, panel] { pageMarks_->mark(panel->list(), panel->selectedRows()); });
    }
    connect(pageMarks_, &PageMarks::marked, browserPane_, &BrowserPane::showStatus);
    connect(resultTabs_, &ResultTabs::sentenceRequested, sentencePanel_, &SentencePanel::selectRow);
    connect(summaryPanel_, &SummaryPanel::rebuilt, resultTabs_, &ResultTabs::showCurve);
    connect(sentencePanel_, &SentencePanel::marksChanged, this, [this] { summaryPanel_->rebuild(kNoLimitItem); });
    connect(summaryPanel_, &SummaryPanel::rebuilt, sentencePanel_, &SentencePanel::showKeepingSelection);

    splitterUpper_ = Splitter(Qt::Horizontal, {lists_[0], lists_[1], lists_[2]});
    splitterLower_ = Splitter(Qt::Horizontal, {sentencePanel_, resultTabs_});
    splitterResult_ = Splitter(Qt::Vertical, {splitterUpper_, splitterLower_});
    splitterResult_->installEventFilter(this);
    return splitterResult_;
}

void TFormMain::connectBrowser() {
    connect(browserPane_, &BrowserPane::forceAnalysisRequested, this, &TFormMain::ExtractAndAnalyse);
    connect(browserPane_, &BrowserPane::navigating, this, &TFormMain::analyseLocalFileEarly);
    connect(browser_.get(), &Browser::TitleChange, this,
            [this](const QString& title) { setWindowTitle(title + FromCp1251(kWindowCaptionSuffix)); });
    connect(browser_.get(), &Browser::DocumentComplete, this, &TFormMain::onDocumentComplete);
    connect(browser_.get(), &Browser::RenderProcessTerminated, this, [this] {
        // The page being taken is gone; the results of the last analysis stay on screen.
        if (analysisRunning_ && extractor_->running()) {
            extractor_->Cancel();
            analysisRunning_ = false;
        }
    });
}

void TFormMain::setSaveFileNameAsker(std::function<QString()> ask) {
    summaryPanel_->setSaveFileNameAsker(std::move(ask));
}

void TFormMain::setErrorReporter(std::function<void(const QString&)> report) {
    reportError_ = report;
    summaryPanel_->setErrorReporter(std::move(report));
}

void TFormMain::setExternalLinkAsker(std::function<bool(const QUrl&)> ask) {
    browserPane_->setExternalLinkAsker(std::move(ask));
}

QString TFormMain::docAddress() const { return browserPane_->docAddress(); }

QString TFormMain::temporaryDirectory() const { return extractor_->directory(); }

void TFormMain::applyResizeRule() {
    const int w = centralWidget() ? centralWidget()->width() : width();
    const int h = centralWidget() ? centralWidget()->height() : height();
    const int stem = (w - kSplitterWidth) / 4 - kSplitterWidth;
    const int expr = (w - kSplitterWidth) / 2;
    splitterUpper_->setSizes({stem, w - stem - expr - 2 * kSplitterWidth, expr});
    const int sentence = (w - kSplitterWidth) / 2;
    splitterLower_->setSizes({sentence, w - sentence - kSplitterWidth});
    const int browser = (h - kSplitterWidth) / 2;
    splitterMain_->setSizes({browser, h - browser - kSplitterWidth});
}

void TFormMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    applyResizeRule();
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == splitterResult_ && event->type() == QEvent::Resize) {
        const int h = splitterResult_->height();
        splitterResult_->setSizes({h / 2, h - h / 2 - kSplitterWidth});
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::closeEvent(QCloseEvent* event) {
    doc_.analysis.stopWords = TVocIndex();
    event->accept();
}

void TFormMain::Go() { browserPane_->go(); }

void TFormMain::OpenAddress(const QString& address) { browserPane_->openAddress(address); }

void TFormMain::analyseLocalFileEarly(const QString& address) {
    earlyPath_.clear();
    std::optional<ExtractResult> page = ReadFramelessLocalPage(address, PageSourceExtractor::kMaxSourceBytes);
    if (!page) return;
    if (analysisRunning_) extractor_->Cancel();  // it took the page being left
    analysisRunning_ = false;
    earlyPath_ = QFileInfo(QUrl(address).isLocalFile() ? QUrl(address).toLocalFile() : address).absoluteFilePath();
    runAnalysis(charsetMenu_->keepPage(std::move(page->parts)));
}

void TFormMain::onDocumentComplete() {
    browserPane_->showDocumentComplete();
    pageMarks_->forget();
    // A file analysed as it was opened is taken again only when the browser shows another page
    // or the page's scripts made frames, whose documents the early analysis could not read.
    const QString early = std::exchange(earlyPath_, QString());
    if (early.isEmpty() || QFileInfo(QUrl(browser_->LocationURL()).toLocalFile()).absoluteFilePath() != early) {
        ExtractAndAnalyse();
        return;
    }
    const quint64 serial = browser_->PageSerial();
    browser_->CountFrames([this, serial](int frames) {
        if (frames >= 2 && serial == browser_->PageSerial()) ExtractAndAnalyse();
    });
}

void TFormMain::ExtractAndAnalyse() {
    if (analysisRunning_) {
        // A request for the page being taken is dropped; one for a page that has replaced it
        // ends the old extraction, whose result could only be stale.
        if (!extractor_->running() || extractor_->pageSerial() == browser_->PageSerial()) return;
        extractor_->Cancel();
        analysisRunning_ = false;
    }
    if (const QString problem = extractor_->directoryProblem(); !problem.isEmpty()) {
        browserPane_->showStatus(problem);  // without its own directory the page is not taken
        return;
    }
    analysisRunning_ = true;
    extractor_->Extract([this](ExtractResult result) {
        FlagReset reset{analysisRunning_};
        if (!result.note.isEmpty()) browserPane_->showStatus(result.note);
        if (!result.parts.empty()) runAnalysis(charsetMenu_->keepPage(std::move(result.parts)));
    });
}

void TFormMain::runAnalysis(std::span<const std::string> parts) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct CursorReset {
        ~CursorReset() { QApplication::restoreOverrideCursor(); }
    } cursorReset;
    auto report = AnalyseSavedParts(doc_, parts);
    if (!report) return;  // nothing to analyse: what is shown stays
    if (report->status == ScanStatus::kOutOfMemory) {
        reportError_(u("Недостаточно памяти для анализа страницы. Показаны результаты прежнего анализа."));
        return;
    }
    summaryPanel_->clear();
    for (ResultListPanel* list : lists_) list->disableTools();
    sentencePanel_->disableTools();
    summaryPanel_->disableTools();
    browserPane_->showCharset(doc_.analysis.pageEncoding);
    if (report->status == ScanStatus::kComplete) setWindowTitle(FromCp1251(doc_.analysis.caption));
    for (ResultListPanel* list : lists_) list->showList();
    sentencePanel_->showList();
    summaryPanel_->showSummary();
    resultTabs_->showResults();
    if (doc_.timeMessage) timePanel_->setText(FromCp1251(*doc_.timeMessage));
    if (!doc_.summary.paragraphs.empty()) {
        summaryPanel_->readyForSummary();
        sentencePanel_->readyForSummary();
    }
    for (ResultListPanel* list : lists_) list->enableTypeFilter();
    if (FoundNoText(doc_, *report)) browserPane_->showStatus(FromCp1251(kNoTextMessage));
}

void TFormMain::showRelated(const RelatedButton& button) {
    if (ShowRelated(doc_, button, listPanel(button.source)->selectedRows()))
        listPanel(button.target)->showRelatedRows();
}
