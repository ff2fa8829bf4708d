#include "app/mainform.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSplitter>
#include <QStatusBar>
#include <QUrl>
#include <cstdlib>

#include "app/application.h"
#include "app/browser/pagesourceextractor.h"
#include "app/browserpane.h"
#include "app/charsetmenu.h"
#include "app/habits.h"
#include "app/helpmenu.h"
#include "app/maintextmode.h"
#include "app/pagemarks.h"
#include "app/pagetaker.h"
#include "app/reference.h"
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
constexpr int kPageViewMinimumHeight = 100;  // however short the window, the page stays in sight

habits::KeptSplitter* Splitter(Qt::Orientation orientation, std::initializer_list<QWidget*> widgets) {
    auto* splitter = new habits::KeptSplitter(orientation);
    splitter->setHandleWidth(kSplitterWidth);
    for (QWidget* w : widgets) splitter->addWidget(w);
    return splitter;
}

}  // namespace

TFormMain::TFormMain(Browser* browser, StartupSettings settings, QWidget* parent)
    : QMainWindow(parent), browser_(browser) {
    setObjectName(QStringLiteral("FormMain"));
    doc_.decimalSeparator = settings::UserDecimalSeparator();
    SetStopWords(doc_, std::move(settings.stopWords));
    SetCoefficients(doc_, settings.koef);
    doc_.recordOccurrences = true;  // the concordance shows them

    browserPane_ = new BrowserPane(*browser_);
    pageMarks_ = new PageMarks(doc_, *browser_, this);
    mainText_ = new MainTextMode(doc_, *browser_, this);
    reference_ = new ReferenceComparison(
        doc_, [this] { return mainText_->mode(); }, this);
    splitterMain_ = Splitter(Qt::Vertical, {browserPane_, buildResultArea()});
    setCentralWidget(splitterMain_);
    if (QWidget* page = browser_->view()) page->setMinimumHeight(kPageViewMinimumHeight);
    layOutSplitters();
    buildMenus(settings);
    statusBar()->addWidget(reference_->statusLabel());
    statusBar()->addWidget(contentPanel_ = new QLabel);
    contentPanel_->setObjectName(QStringLiteral("sbContent"));
    contentPanel_->setContentsMargins(0, 0, 12, 0);  // apart from the time that follows
    contentPanel_->hide();
    statusBar()->addWidget(timePanel_ = new QLabel, 1);
    timePanel_->setObjectName(QStringLiteral("sbMain"));
    timePanel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);  // cut, not widening the window
    // What the start-up went on without, until the first analysis shows its time here.
    timePanel_->setText(QString::fromStdString(settings.note));
    statusBar()->setSizeGripEnabled(false);
    if (const QString sandbox = SandboxNote(); !sandbox.isEmpty()) {
        auto* note = new QLabel(sandbox);
        note->setObjectName(QStringLiteral("sbSandbox"));
        note->setAccessibleName(note->text());
        note->setToolTip(note->text());
        note->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        statusBar()->addPermanentWidget(note);
    }
    resize(800, 600);
    setWindowTitle(QStringLiteral("Sumoran"));
    setWindowIcon(Icon(IconId::kProgram));
    setErrorReporter(
        [this](const QString& message) { QMessageBox::critical(this, QStringLiteral("Sumoran"), message); });

    extractor_ = new PageSourceExtractor(*browser_, this);
    taker_ = new PageTaker(
        *browser_, *extractor_,
        [this](std::vector<std::string> parts) {
            runAnalysis([&] { return Analyse(doc_, {std::move(parts), charsetMenu_->choice(), mainText_->mode()}); });
        },
        [this](const QString& text) { browserPane_->showStatus(text); },
        [this](const QString& text) { browserPane_->showAnalysisSource(text); }, this);
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
    reference_->addCommands(file);
    file->addSeparator();
    file->addAction(Icon(IconId::kExit), u("В&ыход"), this, [] { std::_Exit(0); });

    QMenu* marks = menuBar()->addMenu(u("&Отметки"));
    pageMarks_->addCommands(marks, browserPane_->toolBar());

    QMenu* settingsMenu = menuBar()->addMenu(u("&Настройки"));
    settingsMenu_ = new SettingsMenu(doc_, settings, settingsMenu, [this](const QString& m) {
        if (reportError_) reportError_(m);
    });
    mainText_->addCommands(settingsMenu, marks, browserPane_->toolBar());
    connect(mainText_, &MainTextMode::modeChanged, this, [this](ContentMode mode) {
        // The page on screen is read again from the parts the document keeps; a page being taken
        // is read in the new mode when it arrives.
        if (!taker_->running()) runAnalysis([&] { return ReadAgain(doc_, charsetMenu_->choice(), mode); });
        reference_->settingsChanged();
    });
    connect(mainText_, &MainTextMode::outlined, browserPane_, &BrowserPane::showStatus);
    connect(pageMarks_->clearAction(), &QAction::triggered, mainText_, &MainTextMode::takeOff);
    connect(settingsMenu_, &SettingsMenu::reanalyseRequested, this, [this] {
        ExtractAndAnalyse();
        reference_->settingsChanged();
    });
    connect(settingsMenu_, &SettingsMenu::settingsChanged, this, [this] {
        reference_->settingsChanged();
        if (browserPane_->addressText().isEmpty()) return;
        browserPane_->showDocumentComplete();
        pageMarks_->forget();
        mainText_->forget();
        taker_->takeAnew();
    });

    charsetMenu_ = new CharsetMenu(menuBar(), [this](CharsetChoice choice) {
        // A page being taken is read under the new choice when it arrives.
        if (!taker_->running()) runAnalysis([&] { return ReadAgain(doc_, choice, mainText_->mode()); });
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
        connect(panel, &ResultListPanel::selectionChanged, this, [this, panel] {
            resultTabs_->showOccurrences(panel->list(), panel->selectedRows());
            if (panel->list() != ResultList::kWordFull) showZones();
        });
        connect(panel, &ResultListPanel::markRequested, this,
                [this, panel] { pageMarks_->mark(panel->list(), panel->selectedRows()); });
    }
    connect(pageMarks_, &PageMarks::marked, browserPane_, &BrowserPane::showStatus);
    connect(resultTabs_, &ResultTabs::sentenceRequested, sentencePanel_, &SentencePanel::selectRow);
    connect(resultTabs_, &ResultTabs::stemRequested, this, [this](const std::string& stem) {
        if (!listPanel(ResultList::kWordBase)->selectEntry(stem))
            browserPane_->showStatus(u("Словоосновы «%1» нет в списке словооснов").arg(FromCp1251(stem)));
    });
    connect(reference_, &ReferenceComparison::referenceChanged, this,
            [this] { resultTabs_->setReference(reference_->reference(), reference_->name()); });
    connect(reference_, &ReferenceComparison::failed, this, [this](const QString& message) {
        if (reportError_) reportError_(message);
    });
    connect(summaryPanel_, &SummaryPanel::rebuilt, resultTabs_, &ResultTabs::showCurve);
    connect(sentencePanel_, &SentencePanel::marksChanged, this, [this] { summaryPanel_->rebuild(kNoLimitItem); });
    connect(sentencePanel_, &SentencePanel::summaryTextChanged, summaryPanel_, &SummaryPanel::showSummary);
    connect(summaryPanel_, &SummaryPanel::rebuilt, sentencePanel_, &SentencePanel::showKeepingSelection);

    splitterUpper_ = Splitter(Qt::Horizontal, {lists_[0], lists_[1], lists_[2]});
    splitterLower_ = Splitter(Qt::Horizontal, {sentencePanel_, resultTabs_});
    splitterResult_ = Splitter(Qt::Vertical, {splitterUpper_, splitterLower_});
    return splitterResult_;
}

// Until the user drags a splitter: the stem and word lists a quarter of the width each, the
// combinations half; the sentence list and the tabs half each; the upper lists half the result
// area; the page half the window, less when the lists would show fewer than about five rows.
void TFormMain::layOutSplitters() {
    splitterUpper_->keepLayout(QStringLiteral("lists"), [](int w) {
        const int stem = (w - kSplitterWidth) / 4 - kSplitterWidth;
        const int expr = (w - kSplitterWidth) / 2;
        return QList<int>{stem, w - stem - expr - 2 * kSplitterWidth, expr};
    });
    splitterLower_->keepLayout(QStringLiteral("sentences"), [](int w) {
        const int sentence = (w - kSplitterWidth) / 2;
        return QList<int>{sentence, w - sentence - kSplitterWidth};
    });
    splitterResult_->keepLayout(QStringLiteral("results"), [](int h) {
        return QList<int>{h / 2, h - h / 2 - kSplitterWidth};
    });
    splitterMain_->keepLayout(QStringLiteral("page"), [this](int h) {
        const int rows = 6 * (fontMetrics().height() + 6);  // three more rows in each half of the lists
        const int wanted = splitterResult_->minimumSizeHint().height() + rows;
        const int results = std::max(h - (h - kSplitterWidth) / 2 - kSplitterWidth, wanted);
        const int browser = std::max(browserPane_->minimumSizeHint().height(), h - results - kSplitterWidth);
        return QList<int>{browser, h - browser - kSplitterWidth};
    });
}

void TFormMain::connectBrowser() {
    connect(browserPane_, &BrowserPane::forceAnalysisRequested, this, &TFormMain::ExtractAndAnalyse);
    connect(browserPane_, &BrowserPane::navigating, taker_, &PageTaker::opened);
    connect(browser_.get(), &Browser::TitleChange, this,
            [this](const QString& title) { setWindowTitle(title + FromCp1251(kWindowCaptionSuffix)); });
    connect(browser_.get(), &Browser::DocumentComplete, this, [this] {
        browserPane_->showDocumentComplete();
        pageMarks_->forget();
        mainText_->forget();
        taker_->documentComplete();
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

void TFormMain::closeEvent(QCloseEvent* event) {
    SetStopWords(doc_, TVocIndex());
    event->accept();
}

void TFormMain::Go() { browserPane_->go(); }

void TFormMain::OpenAddress(const QString& address) { browserPane_->openAddress(address); }

bool TFormMain::analysisRunning() const { return taker_->running(); }

void TFormMain::ExtractAndAnalyse() { taker_->takeAnew(); }

void TFormMain::runAnalysis(const std::function<std::optional<RunReport>()>& analyse) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct CursorReset {
        ~CursorReset() { QApplication::restoreOverrideCursor(); }
    } cursorReset;
    const std::optional<RunReport> report = analyse();
    if (!report) return;  // nothing to analyse: what is shown stays
    if (report->status == ScanStatus::kOutOfMemory) {
        reportError_(u("Недостаточно памяти для анализа страницы. Показаны результаты прежнего анализа."));
        return;
    }
    summaryPanel_->clear();
    for (ResultListPanel* list : lists_) list->disableTools();
    sentencePanel_->disableTools();
    summaryPanel_->disableTools();
    browserPane_->showCharset(doc_.analysis().pageEncoding);
    if (report->status == ScanStatus::kComplete) setWindowTitle(FromCp1251(WindowCaption(doc_.analysis())));
    for (ResultListPanel* list : lists_) list->showList();
    sentencePanel_->showList();
    summaryPanel_->showSummary();
    resultTabs_->showResults();
    showZones();
    if (doc_.timeMessage) timePanel_->setText(FromCp1251(*doc_.timeMessage));
    const QString content = ContentStatus(doc_.content());
    contentPanel_->setText(content);
    contentPanel_->setVisible(!content.isEmpty());
    mainText_->analysed();
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

void TFormMain::showZones() {
    resultTabs_->showZones(listPanel(ResultList::kWordBase)->selectedRows(),
                           listPanel(ResultList::kWordExpr)->selectedRows());
}
