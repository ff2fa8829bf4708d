#include "app/mainform.h"

#include <unistd.h>

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

#include "app/browserpane.h"
#include "app/dictionaryoption.h"
#include "app/habits.h"
#include "app/pagemarks.h"
#include "app/pagesourceextractor.h"
#include "app/resultlistpanel.h"
#include "app/resulttabs.h"
#include "app/sentencepanel.h"
#include "app/summarypanel.h"
#include "resources/icons.h"
#include "settings/decimalseparator.h"
#include "settings/koef.h"
#include "settings/qt/editkoefdialog.h"
#include "settings/qt/editstopwordsdialog.h"
#include "settings/settingsdir.h"
#include "settings/stopwords.h"
#include "views/qt/qtext.h"

namespace {

constexpr int kSplitterWidth = 3;

// True when the web engine runs without its sandbox (the program switches it off as root).
bool SandboxIsOff() {
    const QByteArray value = qgetenv("QTWEBENGINE_DISABLE_SANDBOX");
    return (!value.isEmpty() && value != "0") || qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").contains("--no-sandbox");
}

// Clears a flag when it goes out of scope, also when an exception passes.
class FlagReset {
  public:
    explicit FlagReset(bool& flag) : flag_(flag) {}
    ~FlagReset() { flag_ = false; }
    FlagReset(const FlagReset&) = delete;
    FlagReset& operator=(const FlagReset&) = delete;

  private:
    bool& flag_;
};

QSplitter* Splitter(Qt::Orientation orientation, std::initializer_list<QWidget*> widgets) {
    auto* splitter = new QSplitter(orientation);
    splitter->setHandleWidth(kSplitterWidth);
    for (QWidget* w : widgets) splitter->addWidget(w);
    return splitter;
}

}  // namespace

TFormMain::TFormMain(Browser* browser, StartupSettings settings, QWidget* parent)
    : QMainWindow(parent), browser_(browser), settingsDirectory_(settings.directory) {
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
    buildMenus();
    statusBar()->addWidget(timePanel_ = new QLabel, 1);
    timePanel_->setObjectName(QStringLiteral("sbMain"));
    statusBar()->setSizeGripEnabled(false);
    if (SandboxIsOff()) {
        auto* note = new QLabel(::geteuid() == 0 ? u("Песочница веб-движка отключена: программа запущена от имени root")
                                                 : u("Песочница веб-движка отключена"));
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

    // The page files go into a directory of their own under the system's temporary directory;
    // when that is missing, nothing is made anywhere else (an empty temporary path would put it
    // in the current or the root directory) and the analysis is refused.
    tempBase_ = qEnvironmentVariable("TMPDIR", QStringLiteral("/tmp"));
    if (QFileInfo(tempBase_).isDir())
        tempDir_ = std::make_unique<QTemporaryDir>(QDir(tempBase_).filePath(u("sumoran-XXXXXX")));
    extractor_ = new PageSourceExtractor(*browser_, temporaryDirectory(), this);
    stopWordsEditor_ = new TFormEditStopWords(std::move(settings.stopWordItems),
                                              settingsDirectory_ / settings::kStopWordsFileName, this);
    koefEditor_ = new TFormEditKoef(this);
    connectBrowser();
    habits::InstallShortcuts(this);
    habits::AcceptDrops(this, [this](const QString& address) { OpenAddress(address); });
}

TFormMain::~TFormMain() {
    // The panels show the document's lists: they go before the document does.
    delete takeCentralWidget();
}

void TFormMain::buildMenus() {
    QMenu* file = menuBar()->addMenu(u("&Файл"));
    QAction* open =
        file->addAction(Icon(IconId::kOpen), u("&Открыть документ..."), browserPane_, &BrowserPane::openDocument);
    open->setObjectName(QStringLiteral("miOpen"));
    open->setShortcut(QKeySequence::Open);
    file->addSeparator();
    file->addAction(Icon(IconId::kExit), u("В&ыход"), this, [] { std::_Exit(0); });

    pageMarks_->addCommands(menuBar()->addMenu(u("&Отметки")), browserPane_->toolBar());

    QMenu* options = menuBar()->addMenu(u("&Настройки"));
    options->addAction(u("&Стоп-слова"), this, &TFormMain::EditStopWords)->setObjectName(QStringLiteral("miStopWords"));
    options->addAction(u("&Весовые коэффициенты"), this, &TFormMain::EditKoef)->setObjectName(QStringLiteral("miKoef"));
    QMenu* index = options->addMenu(u("Включить в &индекс"));
    struct Option {
        const char* caption;
        const char* name;
        bool IndexOptions::*flag;
    };
    for (const Option& o : {Option{"Заголовок документа", "miIndexTitle", &IndexOptions::indexTitle},
                            Option{"Мета-теги", "miIndexMeta", &IndexOptions::indexMeta},
                            Option{"Описание картинок", "miIndexImgAlt", &IndexOptions::indexImgAlt}}) {
        QAction* action = index->addAction(u(o.caption));
        action->setObjectName(QString::fromLatin1(o.name));
        action->setCheckable(true);
        connect(action, &QAction::toggled, this, [this, flag = o.flag](bool on) {
            doc_.analysis.options.*flag = on;
            ExtractAndAnalyse();
        });
    }
    new DictionaryOption(
        doc_, options,
        [this](const QString& message) {
            if (reportError_) reportError_(message);
        },
        [this] { ExtractAndAnalyse(); });

    // The support entries lead to the guide's section on where problems are reported.
    auto showSupport = [this] {
        QUrl guide = QUrl::fromLocalFile(UserGuidePath());
        guide.setFragment(QStringLiteral("support"));
        OpenAddress(guide.toString());
    };
    QMenu* help = menuBar()->addMenu(u("&Справка"));
    help->addAction(u("&Руководство пользователя"), this, [this] { OpenAddress(UserGuidePath()); });
    help->addSeparator();
    help->addAction(u("Сайт поддержки"), this, showSupport);
    help->addAction(u("E-Mail поддержки"), this, showSupport);
    help->addSeparator();
    help->addAction(u("&О программе..."), this, [this] {
        if (aboutBox_) aboutBox_->exec();
    });
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

QString TFormMain::UserGuidePath() {
    const std::filesystem::path data = settings::DataDirectory(settings::ExecutableDirectory());
    return QString::fromStdString((data / "UserGuide.html").string());
}

void TFormMain::EditStopWords() {
    if (stopWordsEditor_->exec() != QDialog::Accepted) return;
    doc_.analysis.stopWords = settings::LoadStopWords(settingsDirectory_ / settings::kStopWordsFileName);
    if (!browserPane_->addressText().isEmpty()) onDocumentComplete();
}

void TFormMain::EditKoef() {
    koefEditor_->Load(settings::KoefEditorLines(doc_.analysis.koef, doc_.decimalSeparator));
    if (koefEditor_->exec() != QDialog::Accepted) return;
    KoefApplyResult result =
        ApplyKoefLines(settingsDirectory_ / settings::kKoefFileName, koefEditor_->Lines(), doc_.decimalSeparator);
    if (result.values) doc_.analysis.koef = *result.values;
    if (result.error) {
        reportError_(QString::fromStdString(*result.error));
        return;
    }
    if (!browserPane_->addressText().isEmpty()) onDocumentComplete();
}

void TFormMain::onDocumentComplete() {
    browserPane_->showDocumentComplete();
    pageMarks_->forget();
    ExtractAndAnalyse();
}

void TFormMain::ExtractAndAnalyse() {
    if (analysisRunning_) {
        // A request for the page being taken is dropped; one for a page that has replaced it
        // ends the old extraction, whose result could only be stale.
        if (!extractor_->running() || extractor_->pageSerial() == browser_->PageSerial()) return;
        extractor_->Cancel();
        analysisRunning_ = false;
    }
    if (temporaryDirectory().isEmpty()) {
        const QString reason = tempDir_ ? tempDir_->errorString() : u("каталога нет");
        browserPane_->showStatus(
            u("Не удалось создать временный каталог в %1 (%2): анализ невозможен").arg(tempBase_, reason));
        return;
    }
    analysisRunning_ = true;
    extractor_->Extract([this](ExtractResult result) {
        FlagReset reset(analysisRunning_);
        if (!result.note.isEmpty()) browserPane_->showStatus(result.note);
        if (!result.source.empty()) runAnalysis(std::move(result.source));
    });
}

void TFormMain::runAnalysis(std::string source) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct CursorReset {
        ~CursorReset() { QApplication::restoreOverrideCursor(); }
    } cursorReset;
    auto report = AnalyseSource(doc_, std::move(source));
    if (report && report->status == ScanStatus::kOutOfMemory) {
        reportError_(u("Недостаточно памяти для анализа страницы. Показаны результаты прежнего анализа."));
        return;
    }
    summaryPanel_->clear();
    for (ResultListPanel* list : lists_) list->disableTools();
    sentencePanel_->disableTools();
    summaryPanel_->disableTools();
    browserPane_->showCharset(doc_.analysis.charsetIndex);
    if (report && report->status == ScanStatus::kComplete) setWindowTitle(FromCp1251(doc_.analysis.caption));
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
    if (report && FoundNoText(doc_, *report)) browserPane_->showStatus(FromCp1251(kNoTextMessage));
}

void TFormMain::showRelated(const RelatedButton& button) {
    if (ShowRelated(doc_, button, listPanel(button.source)->selectedRows()))
        listPanel(button.target)->showRelatedRows();
}
