#include "app/mainform.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QProgressBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>
#include <unistd.h>

#include "app/address.h"
#include "app/pagesourceextractor.h"
#include "engine/charset.h"
#include "settings/decimalseparator.h"
#include "settings/koef.h"
#include "settings/qt/editkoefdialog.h"
#include "settings/qt/editstopwordsdialog.h"
#include "settings/settingsdir.h"
#include "settings/stopwords.h"
#include "summary/forcedmarks.h"
#include "summary/rtfwriter.h"
#include "summary/sentencelist.h"
#include "views/columnsort.h"
#include "views/crossnav.h"
#include "views/exprlist.h"
#include "views/qt/listtablemodel.h"
#include "views/qt/qtext.h"
#include "views/wordlist.h"

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

constexpr char kCaptionSuffix[] = " - Sumoran";
constexpr char kSupportSite[] = "https://sumoran.example.org/";
constexpr char kSupportMail[] = "mailto:support@sumoran.example.org";
constexpr int kSplitterWidth = 3;

// A panel's caption strip: bold text in the colours of an inactive window caption.
QLabel* captionStrip(const char* text) {
    auto* label = new QLabel(u(text));
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setFixedHeight(16);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Inactive, QPalette::Mid));
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Inactive, QPalette::BrightText));
    label->setPalette(palette);
    return label;
}

QToolBar* flatToolBar(const char* name) {
    auto* bar = new QToolBar;
    bar->setObjectName(QString::fromLatin1(name));
    bar->setIconSize(QSize(16, 16));
    bar->setMovable(false);
    return bar;
}

// A status bar with one panel that takes the bar's whole width.
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

QStatusBar* onePanelStatusBar(QLabel*& panel, const char* name) {
    auto* bar = new QStatusBar;
    bar->setSizeGripEnabled(false);
    panel = new QLabel;
    panel->setObjectName(QString::fromLatin1(name));
    bar->addWidget(panel, 1);
    return bar;
}

}  // namespace

TFormMain::TFormMain(Browser* browser, StartupSettings settings, QWidget* parent)
    : QMainWindow(parent), browser_(browser), settingsDirectory_(settings.directory) {
    setObjectName(QStringLiteral("FormMain"));
    doc_.decimalSeparator = settings::UserDecimalSeparator();
    doc_.analysis.stopWords = std::move(settings.stopWords);
    doc_.analysis.koef = settings.koef;
    doc_.analysis.options = {};

    buildMenus();
    splitterMain_ = new QSplitter(Qt::Vertical);
    splitterMain_->setHandleWidth(kSplitterWidth);
    splitterMain_->addWidget(buildBrowserArea());
    splitterMain_->addWidget(buildResultArea());
    setCentralWidget(splitterMain_);
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
    askSaveFileName_ = [this] {
        return QFileDialog::getSaveFileName(this, QString(), QString(), u("RTF format (*.rtf)"), nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    };
    reportError_ = [this](const QString& message) { QMessageBox::critical(this, QStringLiteral("Sumoran"), message); };
    askExternalLink_ = [this](const QUrl& url) {
        const QString question = u("Страница ведёт по адресу\n%1\n\nОткрыть его в программе, которую система назначила "
                                   "для таких адресов?")
                                     .arg(url.toDisplayString().left(300));
        return QMessageBox::question(this, QStringLiteral("Sumoran"), question, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };

    // The page files go into a directory of their own under the system's temporary directory;
    // when that is missing, nothing is made anywhere else (an empty temporary path would put it
    // in the current or the root directory) and the analysis is refused.
    tempBase_ = qEnvironmentVariable("TMPDIR", QStringLiteral("/tmp"));
    if (QFileInfo(tempBase_).isDir()) tempDir_ = std::make_unique<QTemporaryDir>(QDir(tempBase_).filePath(u("sumoran-XXXXXX")));
    extractor_ = new PageSourceExtractor(*browser_, temporaryDirectory(), this);
    stopWordsEditor_ = new TFormEditStopWords(std::move(settings.stopWordItems),
                                              settingsDirectory_ / settings::kStopWordsFileName, this);
    koefEditor_ = new TFormEditKoef(this);
    connect(browser_.get(), &Browser::BeforeNavigate2, this, &TFormMain::onBeforeNavigate);
    connect(browser_.get(), &Browser::ProgressChange, this, &TFormMain::onProgressChange);
    connect(browser_.get(), &Browser::CommandStateChange, this, &TFormMain::onCommandStateChange);
    connect(browser_.get(), &Browser::TitleChange, this, &TFormMain::onTitleChange);
    connect(browser_.get(), &Browser::DownloadBegin, this, [this] { browserStatusPanel_->setText(u("Download begin")); });
    connect(browser_.get(), &Browser::DownloadComplete, this,
            [this] { browserStatusPanel_->setText(u("Download complete")); });
    connect(browser_.get(), &Browser::NavigateComplete2, this,
            [this] { browserStatusPanel_->setText(u("Navigate complete")); });
    connect(browser_.get(), &Browser::DocumentComplete, this, &TFormMain::onDocumentComplete);
    connect(browser_.get(), &Browser::LoadFailed, this, &TFormMain::onLoadFailed);
    connect(browser_.get(), &Browser::RenderProcessTerminated, this, &TFormMain::onRenderProcessTerminated);
    connect(browser_.get(), &Browser::Refused, this, [this](const QString& text) { browserStatusPanel_->setText(text); });
    connect(browser_.get(), &Browser::ExternalLinkClicked, this, &TFormMain::onExternalLinkClicked);
}

TFormMain::~TFormMain() {
    // The views and their models show the document's lists: they go before the document does.
    delete takeCentralWidget();
    for (ListTableModel* model : {wordBaseModel_, wordFullModel_, wordExprModel_, documentTextModel_}) delete model;
}

void TFormMain::buildMenus() {
    QMenu* file = menuBar()->addMenu(u("Файл"));
    file->addAction(Icon(IconId::kOpen), u("Открыть документ..."), this, &TFormMain::OpenDocument);
    file->addSeparator();
    file->addAction(Icon(IconId::kExit), u("Выход"), this, [] { std::_Exit(0); });

    QMenu* options = menuBar()->addMenu(u("Настройки"));
    options->addAction(u("Стоп-слова"), this, &TFormMain::EditStopWords)->setObjectName(QStringLiteral("miStopWords"));
    options->addAction(u("Весовые коэффициенты"), this, &TFormMain::EditKoef)->setObjectName(QStringLiteral("miKoef"));
    QMenu* index = options->addMenu(u("Включить в индекс"));
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
        connect(action, &QAction::toggled, this, [this, flag = o.flag](bool on) { ToggleIndexOption(on, flag); });
    }

    QMenu* help = menuBar()->addMenu(u("Справка"));
    help->addAction(u("Руководство пользователя"), this, &TFormMain::ShowUserGuide);
    help->addSeparator();
    help->addAction(u("Сайт поддержки"), this, [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kSupportSite))); });
    help->addAction(u("E-Mail поддержки"), this,
                    [] { QDesktopServices::openUrl(QUrl(QString::fromLatin1(kSupportMail))); });
    help->addSeparator();
    help->addAction(u("О программе..."), this, [this] {
        if (aboutBox_) aboutBox_->exec();
    });
}

QAction* TFormMain::addTool(QToolBar* bar, const char* name, IconId icon, const char* hint) {
    QAction* action = bar->addAction(Icon(icon), u(hint));
    action->setObjectName(QString::fromLatin1(name));
    action->setToolTip(u(hint));
    if (QWidget* button = bar->widgetForAction(action)) {
        button->setObjectName(QString::fromLatin1(name));
        button->setAccessibleName(u(hint));
    }
    return action;
}

QToolButton* TFormMain::addMenuTool(QToolBar* bar, const char* name, IconId icon, const char* hint, QMenu* menu) {
    auto* button = new QToolButton;
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(Icon(icon));
    button->setToolTip(u(hint));
    button->setAccessibleName(u(hint));
    button->setMenu(menu);
    button->setPopupMode(QToolButton::MenuButtonPopup);
    button->setAutoRaise(true);
    bar->addWidget(button);
    return button;
}

QWidget* TFormMain::buildBrowserArea() {
    QToolBar* bar = flatToolBar("tbBrowser");
    addTool(bar, "tbExit", IconId::kExit, "Выход");
    connect(bar->actions().last(), &QAction::triggered, this, [] { std::_Exit(0); });
    bar->addSeparator();
    connect(addTool(bar, "tbOpen", IconId::kOpen, "Открыть документ"), &QAction::triggered, this,
            &TFormMain::OpenDocument);
    bar->addSeparator();
    backAction_ = addTool(bar, "tbBack", IconId::kBack, "Назад");
    forwardAction_ = addTool(bar, "tbForward", IconId::kForward, "Вперед");
    stopAction_ = addTool(bar, "tbStop", IconId::kStop, "Остановить");
    QAction* refresh = addTool(bar, "tbRefresh", IconId::kRefresh, "Обновить");
    QAction* home = addTool(bar, "tbHome", IconId::kHome, "Домой");
    for (QAction* a : {backAction_, forwardAction_, stopAction_}) a->setEnabled(false);
    connect(backAction_, &QAction::triggered, this, [this] { browser_->GoBack(); });
    connect(forwardAction_, &QAction::triggered, this, [this] { browser_->GoForward(); });
    connect(stopAction_, &QAction::triggered, this, [this] { browser_->Stop(); });
    connect(refresh, &QAction::triggered, this, [this] { browser_->Refresh(); });
    connect(home, &QAction::triggered, this, [this] { browser_->GoHome(); });
    bar->addSeparator();
    cbURLNavigator_ = new QComboBox;
    cbURLNavigator_->setObjectName(QStringLiteral("cbURLNavigator"));
    cbURLNavigator_->setEditable(true);
    cbURLNavigator_->setInsertPolicy(QComboBox::NoInsert);
    cbURLNavigator_->setFixedWidth(362);
    cbURLNavigator_->setToolTip(u("URL"));
    cbURLNavigator_->setAccessibleName(u("URL"));
    bar->addWidget(cbURLNavigator_);
    // Enter is taken before the combo box sees it: the box would also report it as the choice of
    // a list item when the text is in the history, and the address would be visited twice.
    cbURLNavigator_->lineEdit()->installEventFilter(this);
    connect(cbURLNavigator_, &QComboBox::activated, this, [this] { Go(); });
    connect(addTool(bar, "tbGo", IconId::kGo, "Переход"), &QAction::triggered, this, &TFormMain::Go);
    bar->addSeparator();
    connect(addTool(bar, "tbForceAnalysis", IconId::kForceAnalysis, "Принудительно запустить анализ..."),
            &QAction::triggered, this, &TFormMain::ExtractAndAnalyse);

    auto* frame = new QFrame;
    frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(1, 1, 1, 1);
    if (QWidget* view = browser_->view()) {
        view->setObjectName(QStringLiteral("wbDocument"));
        view->setAccessibleName(QStringLiteral("wbDocument"));
        frameLayout->addWidget(view);
    }

    auto* status = new QStatusBar;
    status->setObjectName(QStringLiteral("sbBrowser"));
    status->setSizeGripEnabled(false);
    charsetPanel_ = new QLabel(FromCp1251(CharsetName(0)));
    charsetPanel_->setObjectName(QStringLiteral("sbCharset"));
    charsetPanel_->setMinimumWidth(80);
    pfDocumentLoad_ = new QProgressBar;
    pfDocumentLoad_->setObjectName(QStringLiteral("pfDocumentLoad"));
    pfDocumentLoad_->setFixedWidth(100);
    pfDocumentLoad_->setMaximumHeight(16);
    pfDocumentLoad_->setTextVisible(false);
    pfDocumentLoad_->setValue(0);
    pfDocumentLoad_->setStyleSheet(QStringLiteral(
        "QProgressBar::chunk { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 palette(highlight), "
        "stop:1 palette(light)); }"));
    browserStatusPanel_ = new QLabel;
    browserStatusPanel_->setObjectName(QStringLiteral("sbBrowserText"));
    status->addWidget(charsetPanel_);
    status->addWidget(pfDocumentLoad_);
    status->addWidget(browserStatusPanel_, 1);

    auto* area = new QWidget;
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(frame, 1);
    layout->addWidget(status);
    return area;
}

QMenu* TFormMain::typeFilterMenu(const char* name, const char* itemPrefix, std::span<const std::string_view> captions,
                                 std::span<const bool> hidden, unsigned separatorBefore) {
    auto* menu = new QMenu(this);
    menu->setObjectName(QString::fromLatin1(name));
    for (std::size_t k = 0; k < captions.size(); ++k) {
        if (k == separatorBefore) menu->addSeparator();
        QAction* item = menu->addAction(FromCp1251(captions[k]));
        item->setObjectName(QString::fromLatin1(itemPrefix) + QString::number(k));
        item->setCheckable(true);
        item->setChecked(!hidden[k]);
    }
    return menu;
}

QTableView* TFormMain::buildListView(const char* name, ListTableModel* model) {
    auto* view = new QTableView;
    view->setObjectName(QString::fromLatin1(name));
    view->setAccessibleName(QString::fromLatin1(name));
    view->setModel(model);
    view->setShowGrid(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->horizontalHeader()->setMinimumSectionSize(0);
    view->horizontalHeader()->setHighlightSections(false);
    view->setWordWrap(false);
    // The selection stays visible when the list loses the focus.
    QPalette palette = view->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    view->setPalette(palette);
    return view;
}

QWidget* TFormMain::buildPanel(const char* caption, QToolBar* tools, QWidget* content, QLabel*& status,
                               const char* statusName) {
    auto* panel = new QWidget;
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(captionStrip(caption));
    layout->addWidget(tools);
    layout->addWidget(content, 1);
    layout->addWidget(onePanelStatusBar(status, statusName));
    return panel;
}

// Sets the column widths of a list view from its list model; the others keep the toolkit's default.
static void applyColumnWidths(QTableView* view, const ListModel& list) {
    for (std::size_t k = 0; k < list.columns.size(); ++k) {
        int width = list.columns[k].width;
        if (width != ListColumn::kDefaultWidth) view->setColumnWidth(static_cast<int>(k), width);
    }
}

QWidget* TFormMain::buildResultArea() {
    wordBaseModel_ = new ListTableModel(doc_.wordBase, this);
    wordFullModel_ = new ListTableModel(doc_.wordFull, this);
    wordExprModel_ = new ListTableModel(doc_.wordExpr, this);
    documentTextModel_ = new ListTableModel(doc_.sentences, this);
    lvWordBase_ = buildListView("lvWordBase", wordBaseModel_);
    lvWordFull_ = buildListView("lvWordFull", wordFullModel_);
    lvWordExpr_ = buildListView("lvWordExpr", wordExprModel_);
    lvDocumentText_ = buildListView("lvDocumentText", documentTextModel_);
    applyColumnWidths(lvWordBase_, doc_.wordBase);
    applyColumnWidths(lvWordFull_, doc_.wordFull);
    applyColumnWidths(lvWordExpr_, doc_.wordExpr);
    applyColumnWidths(lvDocumentText_, doc_.sentences);
    ui(ResultList::kWordBase).list = &doc_.wordBase;
    ui(ResultList::kWordBase).model = wordBaseModel_;
    ui(ResultList::kWordBase).view = lvWordBase_;
    ui(ResultList::kWordFull).list = &doc_.wordFull;
    ui(ResultList::kWordFull).model = wordFullModel_;
    ui(ResultList::kWordFull).view = lvWordFull_;
    ui(ResultList::kWordExpr).list = &doc_.wordExpr;
    ui(ResultList::kWordExpr).model = wordExprModel_;
    ui(ResultList::kWordExpr).view = lvWordExpr_;

    // The tool bars of the three result lists: type filter, filter off, cross-navigation.
    struct ListTools {
        ResultList list;
        const char* bar;
        const char* button;
        const char* hint;
        const char* menu;
        const char* itemPrefix;
        const char* filterOff;
    };
    const ListTools tools[] = {
        {ResultList::kWordBase, "tbWordBase", "ToolButton1", "Фильтр словооснов", "pmWordBase", "miWB", "tbWordBaseFilter"},
        {ResultList::kWordFull, "tbWordFull", "ToolButton2", "Фильтр слов", "pmWordFull", "miWF", "tbWordFullFilter"},
        {ResultList::kWordExpr, "tbWordExpr", "ToolButton3", "Фильтр словосочетаний", "pmWordExpr", "miWE",
         "tbWordExprFilter"},
    };
    std::array<QToolBar*, 3> bars{};
    for (const ListTools& t : tools) {
        ResultListUi& l = ui(t.list);
        QToolBar* bar = bars[static_cast<std::size_t>(t.list)] = flatToolBar(t.bar);
        const bool exprs = t.list == ResultList::kWordExpr;
        l.typeMenu = exprs ? typeFilterMenu(t.menu, t.itemPrefix, kExprTypeMenuCaptions, doc_.weTypeHidden.hidden,
                                            kExprTypeMenuSeparatorBefore)
                           : typeFilterMenu(t.menu, t.itemPrefix, kWordTypeMenuCaptions,
                                            t.list == ResultList::kWordBase ? doc_.wbTypeHidden.hidden
                                                                            : doc_.wfTypeHidden.hidden,
                                            kWordTypeMenuSeparatorBefore);
        l.typeButton = addMenuTool(bar, t.button, IconId::kTypeFilter, t.hint, l.typeMenu);
        typeFilterButtons_.push_back(l.typeButton);
        std::size_t item = 0;
        for (QAction* a : l.typeMenu->actions()) {
            if (a->isSeparator()) continue;
            connect(a, &QAction::triggered, this, [this, list = t.list, item](bool on) { toggleTypeFilter(list, item, on); });
            ++item;
        }
        connect(l.typeButton, &QToolButton::clicked, this, [this, list = t.list] { clearTypeFilter(list); });
        l.filterOff = addTool(bar, t.filterOff, IconId::kFilterOff, "Отключить дополнительный фильтр");
        filterOffButtons_.push_back(l.filterOff);
        connect(l.filterOff, &QAction::triggered, this, [this, list = t.list] { switchFilterOff(list); });
        bar->addSeparator();
        connect(l.view->horizontalHeader(), &QHeaderView::sectionClicked, this,
                [this, list = t.list](int column) { clickColumn(list, column); });
        connect(l.view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this, list = t.list](const QItemSelection& selected, const QItemSelection& deselected) {
                    // The buttons follow the latest selection event of their list.
                    if (selected.isEmpty() && deselected.isEmpty()) return;
                    for (QAction* a : ui(list).related) a->setEnabled(!selected.isEmpty());
                });
    }
    constexpr IconId kRelatedIcons[] = {IconId::kWordsOfStems,  IconId::kExprsOfStems,  IconId::kStemsOfWords,
                                        IconId::kSameStemWords, IconId::kExprsOfWords,  IconId::kStemsOfExprs,
                                        IconId::kWordsOfExprs,  IconId::kSameStemExprs};
    for (std::size_t k = 0; k < kRelatedButtons.size(); ++k) {
        const RelatedButton& b = kRelatedButtons[k];
        std::string name(b.name);
        std::string hint = cp1251::toUtf8(b.hint);
        QAction* action = addTool(bars[static_cast<std::size_t>(b.source)], name.c_str(), kRelatedIcons[k], hint.c_str());
        connect(action, &QAction::triggered, this, [this, &b] { showRelated(b); });
        ui(b.source).related.push_back(action);
        relatedActions_.push_back(action);
    }

    // The sentence list and the summary.
    QToolBar* sentences = flatToolBar("tbDocumentText");
    forceHeadingsAction_ =
        addTool(sentences, "tbForceHeadings", IconId::kForceHeadings, "Принудительно включить в автореферат заголовки");
    forceSentenceAction_ = addTool(sentences, "tbForceSentence", IconId::kForceSentence,
                                   "Принудительно включить в автореферат предложение");
    clearMarksAction_ = addTool(sentences, "tbClearMarks", IconId::kClearMarks,
                                "Снять все отметки принудительного включения в автореферат");
    forceHeadingsAction_->setCheckable(true);
    forceSentenceAction_->setCheckable(true);
    connect(forceHeadingsAction_, &QAction::triggered, this, &TFormMain::forceHeadings);
    connect(forceSentenceAction_, &QAction::triggered, this, &TFormMain::forceSentence);
    connect(clearMarksAction_, &QAction::triggered, this, &TFormMain::clearMarks);
    connect(lvDocumentText_->horizontalHeader(), &QHeaderView::sectionClicked, this, &TFormMain::clickSentenceColumn);
    connect(lvDocumentText_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TFormMain::onSentenceSelection);
    lvDocumentText_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                     QAbstractItemView::SelectedClicked);
    documentTextModel_->setFirstColumnEditable([this](int row, const QString& text) {
        doc_.sentences.setCell(static_cast<std::size_t>(row), sentencecol::kText, ToCp1251(text));
    });

    QToolBar* summary = flatToolBar("tbReferat");
    QAction* copy = addTool(summary, "tbCopyReferat", IconId::kCopySummary, "Копировать автореферат в буфер обмена");
    QAction* save = addTool(summary, "tbSaveReferat", IconId::kSaveSummary, "Сохранить автореферат в файл");
    connect(copy, &QAction::triggered, this, &TFormMain::copySummary);
    connect(save, &QAction::triggered, this, &TFormMain::saveSummary);
    summaryActions_ = {copy, save};
    auto* limits = new QMenu(this);
    limits->setObjectName(QStringLiteral("pmReferatLimits"));
    auto* limitGroup = new QActionGroup(limits);
    for (std::size_t k = 0; k < kSummaryLimits.size(); ++k) {
        QAction* item = limits->addAction(FromCp1251(kSummaryLimits[k].caption));
        item->setObjectName(QStringLiteral("miLimit%1").arg(k));
        item->setCheckable(true);
        item->setChecked(k == kNoLimitItem);
        limitGroup->addAction(item);
        limitActions_.push_back(item);
        connect(item, &QAction::triggered, this, [this, k] { rebuildSummary(k); });
        if (kSummaryLimits[k].separatorAfter) limits->addSeparator();
    }
    limitsButton_ =
        addMenuTool(summary, "tbReferatLimits", IconId::kSummaryLimits, "Ограничения автореферирования", limits);
    connect(limitsButton_, &QToolButton::clicked, this, [this] { rebuildSummary(kNoLimitItem); });

    reReferat_ = new QTextEdit;
    reReferat_->setObjectName(QStringLiteral("reReferat"));
    reReferat_->setAccessibleName(QStringLiteral("reReferat"));
    reReferat_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    reReferat_->setAcceptRichText(true);

    splitterUpper_ = new QSplitter(Qt::Horizontal);
    splitterUpper_->setHandleWidth(kSplitterWidth);
    splitterUpper_->addWidget(buildPanel(" Словоосновы", bars[0], lvWordBase_, statusBar2_, "StatusBar2"));
    splitterUpper_->addWidget(buildPanel(" Слова", bars[1], lvWordFull_, statusBar4_, "StatusBar4"));
    splitterUpper_->addWidget(buildPanel(" Словосочетания", bars[2], lvWordExpr_, statusBar3_, "StatusBar3"));
    ui(ResultList::kWordBase).status = statusBar2_;
    ui(ResultList::kWordFull).status = statusBar4_;
    ui(ResultList::kWordExpr).status = statusBar3_;
    splitterLower_ = new QSplitter(Qt::Horizontal);
    splitterLower_->setHandleWidth(kSplitterWidth);
    splitterLower_->addWidget(
        buildPanel(" Реферируемый текст", sentences, lvDocumentText_, sentenceStatus_, "sbDocumentText"));
    splitterLower_->addWidget(buildPanel(" Автореферат", summary, reReferat_, summaryStatus_, "sbReferat"));
    splitterResult_ = new QSplitter(Qt::Vertical);
    splitterResult_->setHandleWidth(kSplitterWidth);
    splitterResult_->addWidget(splitterUpper_);
    splitterResult_->addWidget(splitterLower_);
    splitterResult_->installEventFilter(this);
    lvDocumentText_->installEventFilter(this);
    setResultButtonsEnabled(false);
    return splitterResult_;
}

void TFormMain::setResultButtonsEnabled(bool enabled) {
    for (QWidget* w : typeFilterButtons_) w->setEnabled(enabled);
    for (QAction* a : filterOffButtons_) a->setEnabled(enabled);
    for (QAction* a : relatedActions_) a->setEnabled(enabled);
    for (QAction* a : summaryActions_) a->setEnabled(enabled);
    limitsButton_->setEnabled(enabled);
    for (QAction* a : {forceHeadingsAction_, forceSentenceAction_, clearMarksAction_}) a->setEnabled(enabled);
}

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
    if (watched == cbURLNavigator_->lineEdit() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Go();
            return true;
        }
    }
    if (watched == splitterResult_ && event->type() == QEvent::Resize) {
        const int h = splitterResult_->height();
        splitterResult_->setSizes({h / 2, h - h / 2 - kSplitterWidth});
    }
    // The sentence column takes what the other columns leave of the list's width.
    if (watched == lvDocumentText_ && event->type() == QEvent::Resize) {
        lvDocumentText_->setColumnWidth(0, std::max(lvDocumentText_->width() - 250, 50));
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::closeEvent(QCloseEvent* event) {
    doc_.analysis.stopWords = TVocIndex();
    event->accept();
}

void TFormMain::OpenDocument() {
    QString path = QFileDialog::getOpenFileName(this, QString(), QString(),
                                                u("Все поддерживаемые типы (*.html *.htm *.shtml)"));
    if (path.isEmpty()) return;
    docAddress_ = path;
    browser_->Navigate(docAddress_);
}

void TFormMain::Go() {
    docAddress_ = cbURLNavigator_->currentText();
    if (docAddress_.isEmpty()) return;
    std::string completed = CompleteAddress(docAddress_.toStdString(), QDir::homePath().toStdString());
    docAddress_ = QString::fromStdString(completed);
    browser_->Navigate(docAddress_);
}

void TFormMain::OpenAddress(const QString& address) {
    cbURLNavigator_->setEditText(address);
    Go();
}

QString TFormMain::UserGuidePath() {
    const std::filesystem::path data = settings::DataDirectory(settings::ExecutableDirectory());
    return QString::fromStdString((data / "UserGuide.html").string());
}

void TFormMain::ShowUserGuide() {
    cbURLNavigator_->setEditText(UserGuidePath());
    Go();
}

void TFormMain::EditStopWords() {
    if (stopWordsEditor_->exec() != QDialog::Accepted) return;
    doc_.analysis.stopWords = settings::LoadStopWords(settingsDirectory_ / settings::kStopWordsFileName);
    if (!cbURLNavigator_->currentText().isEmpty()) onDocumentComplete();
}

void TFormMain::EditKoef() {
    koefEditor_->Load(settings::KoefEditorLines(doc_.analysis.koef, doc_.decimalSeparator));
    if (koefEditor_->exec() != QDialog::Accepted) return;
    KoefApplyResult result =
        ApplyKoefLines(settingsDirectory_ / settings::kKoefFileName, koefEditor_->Lines(), doc_.decimalSeparator);
    if (result.values) doc_.analysis.koef = *result.values;
    if (result.error) {
        reportError_(SettingsMessageText(*result.error));
        return;
    }
    if (!cbURLNavigator_->currentText().isEmpty()) onDocumentComplete();
}

void TFormMain::ToggleIndexOption(bool checked, bool IndexOptions::*flag) {
    doc_.analysis.options.*flag = checked;
    ExtractAndAnalyse();
}

void TFormMain::onBeforeNavigate(const QString& url) {
    pfDocumentLoad_->setTextVisible(true);
    pfDocumentLoad_->setValue(0);
    cbURLNavigator_->setEditText(url);
    if (url.isEmpty() || cbURLNavigator_->findText(url, Qt::MatchFixedString) != -1) return;
    cbURLNavigator_->insertItem(0, url);
    cbURLNavigator_->setEditText(url);
}

void TFormMain::onProgressChange(int progress, int maximum) {
    pfDocumentLoad_->setMaximum(maximum);
    pfDocumentLoad_->setValue(progress);
}

void TFormMain::onCommandStateChange(int command, bool enable) {
    if (command == Browser::kUpdateAll) stopAction_->setEnabled(browser_->Busy());
    if (command == Browser::kForward) forwardAction_->setEnabled(enable);
    if (command == Browser::kBack) backAction_->setEnabled(enable);
}

void TFormMain::onTitleChange(const QString& title) { setWindowTitle(title + QString::fromLatin1(kCaptionSuffix)); }

void TFormMain::onDocumentComplete() {
    pfDocumentLoad_->setTextVisible(false);
    browserStatusPanel_->setText(u("Document complete"));
    ExtractAndAnalyse();
}

void TFormMain::onLoadFailed(const QString& url, const QString& reason) {
    pfDocumentLoad_->setTextVisible(false);
    browserStatusPanel_->setText(u("Не удалось загрузить страницу %1: %2").arg(url, reason));
}

void TFormMain::onRenderProcessTerminated(const QString& reason) {
    // The page being taken is gone; the results of the last analysis stay on screen.
    if (analysisRunning_ && extractor_->running()) {
        extractor_->Cancel();
        analysisRunning_ = false;
    }
    pfDocumentLoad_->setTextVisible(false);
    browserStatusPanel_->setText(u("Процесс отображения страницы завершился (%1); результаты анализа сохранены").arg(reason));
}

void TFormMain::onExternalLinkClicked(const QUrl& url) {
    if (askExternalLink_(url)) QDesktopServices::openUrl(url);
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
        browserStatusPanel_->setText(u("Не удалось создать временный каталог в %1 (%2): анализ невозможен").arg(tempBase_, reason));
        return;
    }
    analysisRunning_ = true;
    extractor_->Extract([this](ExtractResult result) {
        FlagReset reset(analysisRunning_);
        if (!result.note.isEmpty()) browserStatusPanel_->setText(result.note);
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
    reReferat_->clear();
    setResultButtonsEnabled(false);
    charsetPanel_->setText(FromCp1251(CharsetName(doc_.analysis.charsetIndex)));
    if (report && report->status == ScanStatus::kComplete) setWindowTitle(FromCp1251(doc_.analysis.caption));
    showLists();
    showSummary();
    if (doc_.timeMessage) timePanel_->setText(FromCp1251(*doc_.timeMessage));
    if (!doc_.summary.paragraphs.empty()) {
        for (QAction* a : summaryActions_) a->setEnabled(true);
        limitsButton_->setEnabled(true);
        forceHeadingsAction_->setEnabled(true);
        clearMarksAction_->setEnabled(true);
        forceHeadingsAction_->setChecked(false);
        forceSentenceAction_->setChecked(false);
        lvDocumentText_->clearSelection();
        limitActions_[kNoLimitItem]->setChecked(true);
    }
    for (QWidget* w : typeFilterButtons_) w->setEnabled(true);
    if (report && FoundNoText(doc_, *report)) browserStatusPanel_->setText(FromCp1251(kNoTextMessage));
}

void TFormMain::showLists() {
    for (ListTableModel* model : {wordBaseModel_, wordFullModel_, wordExprModel_, documentTextModel_}) model->reset();
    auto setStatus = [](QLabel* panel, const ListModel& list) {
        if (list.status) panel->setText(FromCp1251(*list.status));
    };
    setStatus(statusBar2_, doc_.wordBase);
    setStatus(statusBar4_, doc_.wordFull);
    setStatus(statusBar3_, doc_.wordExpr);
    setStatus(sentenceStatus_, doc_.sentences);
}

void TFormMain::showSummary() {
    reReferat_->setUpdatesEnabled(false);
    reReferat_->clear();
    QTextCursor cursor(reReferat_->document());
    QTextCharFormat plain;
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    bool first = true;
    for (const SummaryParagraph& p : doc_.summary.paragraphs) {
        if (!first) cursor.insertBlock();
        first = false;
        cursor.insertText(FromCp1251(p.text), p.bold ? bold : plain);
    }
    reReferat_->moveCursor(QTextCursor::Start);
    reReferat_->setUpdatesEnabled(true);
    if (doc_.summary.status) summaryStatus_->setText(FromCp1251(*doc_.summary.status));
}

// ---- Working with the results ----

std::vector<int> TFormMain::selectedRows(QTableView* view) const {
    std::vector<int> rows;
    for (const QModelIndex& index : view->selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

// Re-shows a list whose rows were only reordered, keeping the same entries selected.
void TFormMain::resetKeepingSelection(QTableView* view, ListTableModel* model) {
    const ListModel& list = model->list();
    std::vector<std::uint32_t> entries;
    for (int row : selectedRows(view)) entries.push_back(list.rows[static_cast<std::size_t>(row)]);
    std::sort(entries.begin(), entries.end());
    model->reset();
    QItemSelection selection;
    for (std::size_t r = 0; r < list.rows.size() && !entries.empty(); ++r) {
        if (!std::binary_search(entries.begin(), entries.end(), list.rows[r])) continue;
        QModelIndex index = model->index(static_cast<int>(r), 0);
        selection.select(index, index);
    }
    const QSignalBlocker blocker(view->selectionModel());
    view->selectionModel()->select(selection, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view->viewport()->update();
}

void TFormMain::refill(ResultList list) {
    if (list == ResultList::kWordBase) RefillWordBase(doc_);
    if (list == ResultList::kWordFull) RefillWordFull(doc_);
    if (list == ResultList::kWordExpr) RefillWordExpr(doc_);
    ResultListUi& l = ui(list);
    l.model->reset();
    if (l.list->status) l.status->setText(FromCp1251(*l.list->status));
}

void TFormMain::toggleTypeFilter(ResultList list, std::size_t item, bool checked) {
    if (list == ResultList::kWordBase) doc_.wbTypeHidden.hidden.at(item) = !checked;
    if (list == ResultList::kWordFull) doc_.wfTypeHidden.hidden.at(item) = !checked;
    if (list == ResultList::kWordExpr) doc_.weTypeHidden.hidden.at(item) = !checked;
    refill(list);
}

void TFormMain::clearTypeFilter(ResultList list) {
    if (list == ResultList::kWordBase) doc_.wbTypeHidden.hidden.fill(false);
    if (list == ResultList::kWordFull) doc_.wfTypeHidden.hidden.fill(false);
    if (list == ResultList::kWordExpr) doc_.weTypeHidden.hidden.fill(false);
    for (QAction* a : ui(list).typeMenu->actions()) a->setChecked(!a->isSeparator());
    refill(list);
}

void TFormMain::switchFilterOff(ResultList list) {
    if (list == ResultList::kWordBase) doc_.wbExtraFilter.clear();
    if (list == ResultList::kWordFull) doc_.wfExtraFilter.clear();
    if (list == ResultList::kWordExpr) doc_.weExtraFilter.clear();
    refill(list);
    ui(list).filterOff->setEnabled(false);
}

void TFormMain::clickColumn(ResultList list, int column) {
    ResultListUi& l = ui(list);
    const bool exprs = list == ResultList::kWordExpr;
    if (exprs) {
        ClickColumn(*l.list, static_cast<unsigned>(column), kExprListKeys, doc_.decimalSeparator, doc_.compareText);
    } else {
        ClickColumn(*l.list, static_cast<unsigned>(column), kWordListKeys, doc_.decimalSeparator, doc_.compareText);
    }
    resetKeepingSelection(l.view, l.model);
}

void TFormMain::clickSentenceColumn(int column) {
    ClickSentenceColumn(doc_.sentences, static_cast<unsigned>(column), doc_.compareText, doc_.decimalSeparator);
    resetKeepingSelection(lvDocumentText_, documentTextModel_);
}

void TFormMain::showRelated(const RelatedButton& button) {
    ResultListUi& source = ui(button.source);
    std::vector<int> rows = selectedRows(source.view);
    std::vector<std::size_t> selected(rows.begin(), rows.end());
    std::optional<std::string> filter = RelatedFilter(*source.list, selected, button.sourceColumn, button.filterStart);
    if (!filter) return;
    if (button.target == ResultList::kWordBase) doc_.wbExtraFilter = *filter;
    if (button.target == ResultList::kWordFull) doc_.wfExtraFilter = *filter;
    if (button.target == ResultList::kWordExpr) doc_.weExtraFilter = *filter;
    refill(button.target);
    ResultListUi& target = ui(button.target);
    target.filterOff->setEnabled(true);
    target.view->clearSelection();
}

void TFormMain::onSentenceSelection(const QItemSelection& selected, const QItemSelection& deselected) {
    if (!selected.isEmpty()) {
        forceSentenceAction_->setEnabled(true);
        int row = selected.indexes().first().row();
        forceSentenceAction_->setChecked(IsRowMarked(doc_.sentences, static_cast<std::size_t>(row)));
        return;
    }
    if (!deselected.isEmpty()) forceSentenceAction_->setEnabled(false);
}

void TFormMain::rebuildSummary(std::size_t limit) {
    RebuildSummary(doc_, limit);
    limitActions_.at(limit)->setChecked(true);
    resetKeepingSelection(lvDocumentText_, documentTextModel_);
    showSummary();
}

void TFormMain::forceHeadings(bool pressed) {
    SetHeadingMarks(doc_.sentences, pressed ? MarkChange::kSet : MarkChange::kClear);
    rebuildSummary(kNoLimitItem);
}

void TFormMain::forceSentence() {
    std::vector<int> rows = selectedRows(lvDocumentText_);
    if (rows.empty()) {
        forceSentenceAction_->setChecked(!forceSentenceAction_->isChecked());  // the click changes nothing
        return;
    }
    bool marked = ToggleRowMark(doc_.sentences, static_cast<std::size_t>(rows.front()));
    forceSentenceAction_->setChecked(marked);
    rebuildSummary(kNoLimitItem);
}

void TFormMain::clearMarks() {
    ClearMarks(doc_.sentences);
    forceHeadingsAction_->setChecked(false);
    forceSentenceAction_->setChecked(false);
    rebuildSummary(kNoLimitItem);
}

void TFormMain::copySummary() {
    reReferat_->selectAll();
    reReferat_->copy();
    reReferat_->moveCursor(QTextCursor::Start);
}

// The paragraphs of the summary pane as it stands, the user's edits included; a paragraph counts
// as bold when its text starts in bold.
static std::vector<SummaryParagraph> paneParagraphs(const QTextEdit* pane) {
    std::vector<SummaryParagraph> paragraphs;
    for (QTextBlock block = pane->document()->begin(); block.isValid(); block = block.next()) {
        bool bold = false;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            bold = it.fragment().charFormat().fontWeight() >= QFont::Bold;
            break;
        }
        paragraphs.push_back({ToCp1251(block.text()), bold});
    }
    return paragraphs;
}

void TFormMain::saveSummary() {
    QString name = askSaveFileName_();
    if (name.isEmpty()) return;
    std::string file = RtfFileName(name.toStdString());
    if (auto error = SaveSummaryRtf(file, paneParagraphs(reReferat_))) reportError_(QString::fromStdString(*error));
}
