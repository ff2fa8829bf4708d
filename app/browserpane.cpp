#include "app/browserpane.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>
#include <cstdlib>

#include "app/browser/browser.h"
#include "app/panelparts.h"
#include "document/address.h"
#include "engine/charset.h"
#include "views/qt/qtext.h"

BrowserPane::BrowserPane(Browser& browser, QWidget* parent) : QWidget(parent), browser_(browser) {
    QToolBar* bar = bar_ = panel::FlatToolBar("tbBrowser");
    buildToolBar(bar);

    auto* frame = new QFrame;
    frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(1, 1, 1, 1);
    if (QWidget* view = browser_.view()) {
        view->setObjectName(QStringLiteral("wbDocument"));
        view->setAccessibleName(QStringLiteral("wbDocument"));
        frameLayout->addWidget(view);
    }

    auto* status = new QStatusBar;
    status->setObjectName(QStringLiteral("sbBrowser"));
    status->setSizeGripEnabled(false);
    charset_ = new QLabel;
    charset_->setObjectName(QStringLiteral("sbCharset"));
    charset_->setMinimumWidth(80);
    showCharset(CharsetChoice::kWindows1251);
    pfDocumentLoad_ = new QProgressBar;
    pfDocumentLoad_->setObjectName(QStringLiteral("pfDocumentLoad"));
    pfDocumentLoad_->setFixedWidth(100);
    pfDocumentLoad_->setMaximumHeight(16);
    pfDocumentLoad_->setTextVisible(false);
    pfDocumentLoad_->setValue(0);
    pfDocumentLoad_->setStyleSheet(QStringLiteral(
        "QProgressBar::chunk { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 palette(highlight), "
        "stop:1 palette(light)); }"));
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("sbBrowserText"));
    source_ = new QLabel;
    source_->setObjectName(QStringLiteral("sbAnalysisSource"));
    // A long status (an address, a reason) is cut at the window's edge rather than widening the
    // window; its tooltip holds it whole.
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    status->addWidget(charset_);
    status->addWidget(pfDocumentLoad_);
    status->addWidget(status_, 1);
    status->addPermanentWidget(source_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(buildLocalPageBar());
    layout->addWidget(frame, 1);
    layout->addWidget(status);

    askExternalLink_ = [this](const QUrl& url) {
        const QString question = QString::fromUtf8(
                                     "Страница ведёт по адресу\n%1\n\nОткрыть его в программе, которую "
                                     "система назначила для таких адресов?")
                                     .arg(url.toDisplayString().left(300));
        return QMessageBox::question(window(), QStringLiteral("Sumoran"), question, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };

    connect(&browser_, &Browser::BeforeNavigate2, this, [this] {
        pfDocumentLoad_->setTextVisible(true);
        pfDocumentLoad_->setValue(0);
    });
    connect(&browser_, &Browser::LocationChange, this, &BrowserPane::showLocation);
    connect(&browser_, &Browser::LocalPageChange, this, &BrowserPane::showLocalPage);
    connect(&browser_, &Browser::ProgressChange, this, [this](int progress, int maximum) {
        pfDocumentLoad_->setMaximum(maximum);
        pfDocumentLoad_->setValue(progress);
    });
    connect(&browser_, &Browser::CommandStateChange, this, &BrowserPane::onCommandStateChange);
    connect(&browser_, &Browser::DownloadBegin, this, [this] { showStatus(QStringLiteral("Download begin")); });
    connect(&browser_, &Browser::DownloadComplete, this, [this] { showStatus(QStringLiteral("Download complete")); });
    connect(&browser_, &Browser::NavigateComplete2, this, [this] { showStatus(QStringLiteral("Navigate complete")); });
    connect(&browser_, &Browser::LoadFailed, this, [this](const QString& url, const QString& reason) {
        pfDocumentLoad_->setTextVisible(false);
        showStatus(QString::fromUtf8("Не удалось загрузить страницу %1: %2").arg(url, reason));
    });
    connect(&browser_, &Browser::RenderProcessTerminated, this, [this](const QString& reason) {
        pfDocumentLoad_->setTextVisible(false);
        showStatus(QString::fromUtf8("Процесс отображения страницы завершился (%1); результаты анализа сохранены")
                       .arg(reason));
    });
    connect(&browser_, &Browser::Refused, this, &BrowserPane::showStatus);
    connect(&browser_, &Browser::ExternalLinkClicked, this, [this](const QUrl& url) {
        if (askExternalLink_(url)) QDesktopServices::openUrl(url);
    });
}

void BrowserPane::buildToolBar(QToolBar* bar) {
    auto hint = [](const char* text) { return QString::fromUtf8(text); };
    connect(panel::AddTool(bar, "tbExit", IconId::kExit, hint("Выход")), &QAction::triggered, this,
            [] { std::_Exit(0); });
    bar->addSeparator();
    connect(panel::AddTool(bar, "tbOpen", IconId::kOpen, hint("Открыть документ")), &QAction::triggered, this,
            &BrowserPane::openDocument);
    bar->addSeparator();
    back_ = panel::AddTool(bar, "tbBack", IconId::kBack, hint("Назад"));
    forward_ = panel::AddTool(bar, "tbForward", IconId::kForward, hint("Вперед"));
    stop_ = panel::AddTool(bar, "tbStop", IconId::kStop, hint("Остановить"));
    QAction* refresh = panel::AddTool(bar, "tbRefresh", IconId::kRefresh, hint("Обновить"));
    QAction* home = panel::AddTool(bar, "tbHome", IconId::kHome, hint("Домой"));
    for (QAction* a : {back_, forward_, stop_}) a->setEnabled(false);
    connect(back_, &QAction::triggered, this, [this] { browser_.GoBack(); });
    connect(forward_, &QAction::triggered, this, [this] { browser_.GoForward(); });
    connect(stop_, &QAction::triggered, this, [this] { browser_.Stop(); });
    connect(refresh, &QAction::triggered, this, [this] { browser_.Refresh(); });
    connect(home, &QAction::triggered, this, [this] { browser_.GoHome(); });
    bar->addSeparator();
    cbURLNavigator_ = new QComboBox;
    cbURLNavigator_->setObjectName(QStringLiteral("cbURLNavigator"));
    cbURLNavigator_->setEditable(true);
    cbURLNavigator_->setInsertPolicy(QComboBox::NoInsert);
    cbURLNavigator_->setFixedWidth(362);
    cbURLNavigator_->setToolTip(QStringLiteral("URL"));
    cbURLNavigator_->setAccessibleName(QStringLiteral("URL"));
    bar->addWidget(cbURLNavigator_);
    // Enter is taken before the combo box sees it: the box would also report it as the choice of
    // a list item when the text is in the history, and the address would be visited twice. A key
    // typed on the keyboard reaches the box itself (its line edit hands the focus to it), one sent
    // by a program may reach the line edit: both are watched.
    cbURLNavigator_->installEventFilter(this);
    cbURLNavigator_->lineEdit()->installEventFilter(this);
    // The box also reports an item as chosen when it loses the focus with the text of an item in
    // it (a click into a list after an address was typed): that is no choice, and going there
    // again would load the page a second time. Only a choice made in the box itself counts.
    connect(cbURLNavigator_, &QComboBox::activated, this, [this] {
        if (cbURLNavigator_->hasFocus() || cbURLNavigator_->view()->isVisible()) go();
    });
    connect(panel::AddTool(bar, "tbGo", IconId::kGo, hint("Переход")), &QAction::triggered, this, &BrowserPane::go);
    bar->addSeparator();
    connect(panel::AddTool(bar, "tbForceAnalysis", IconId::kForceAnalysis, hint("Принудительно запустить анализ...")),
            &QAction::triggered, this, &BrowserPane::forceAnalysisRequested);
}

bool BrowserPane::eventFilter(QObject* watched, QEvent* event) {
    const bool addressBox = watched == cbURLNavigator_ || watched == cbURLNavigator_->lineEdit();
    if (addressBox && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            go();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QString BrowserPane::addressText() const { return cbURLNavigator_->currentText(); }

void BrowserPane::openDocument() {
    const QString path = QFileDialog::getOpenFileName(
        window(), QString(), QString(), QString::fromUtf8("Все поддерживаемые типы (*.html *.htm *.shtml)"));
    if (path.isEmpty()) return;
    docAddress_ = path;
    browser_.Navigate(docAddress_);
    emit navigating(docAddress_);
}

void BrowserPane::go() {
    docAddress_ = cbURLNavigator_->currentText();
    if (docAddress_.isEmpty()) return;
    docAddress_ = QString::fromStdString(CompleteAddress(docAddress_.toStdString(), QDir::homePath().toStdString()));
    browser_.Navigate(docAddress_);
    emit navigating(docAddress_);
}

void BrowserPane::openAddress(const QString& address) {
    cbURLNavigator_->setEditText(address);
    go();
}

void BrowserPane::showCharset(CharsetChoice encoding) { charset_->setText(FromCp1251(CharsetChoiceName(encoding))); }

void BrowserPane::showStatus(const QString& text) {
    status_->setText(text);
    status_->setToolTip(text);
}

void BrowserPane::showAnalysisSource(const QString& text) { source_->setText(text); }

void BrowserPane::showDocumentComplete() {
    pfDocumentLoad_->setTextVisible(false);
    showStatus(QStringLiteral("Document complete"));
}

QWidget* BrowserPane::buildLocalPageBar() {
    localBar_ = new QFrame;
    localBar_->setObjectName(QStringLiteral("pnLocalPage"));
    localBar_->setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
    localBar_->setStyleSheet(QStringLiteral("#pnLocalPage { background: #fff7d6; }"));
    localText_ = new QLabel;
    localText_->setObjectName(QStringLiteral("lbLocalPage"));
    localText_->setWordWrap(true);
    allowContent_ = new QPushButton(QString::fromUtf8("Разрешить скрипты и содержимое из сети"));
    allowContent_->setObjectName(QStringLiteral("btAllowContent"));
    allowContent_->setToolTip(QString::fromUtf8(
        "Страница загрузится снова со своими скриптами и содержимым из сети; разрешение действует до перехода на "
        "другую страницу. Файлы с диска по-прежнему берутся только из её папки."));
    connect(allowContent_, &QPushButton::clicked, this, [this] { browser_.AllowLocalContent(); });
    auto* layout = new QHBoxLayout(localBar_);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(localText_, 1);
    layout->addWidget(allowContent_);
    localBar_->hide();
    return localBar_;
}

void BrowserPane::showLocalPage(Browser::LocalPage state) {
    localBar_->setVisible(state != Browser::LocalPage::kNone);
    allowContent_->setVisible(state == Browser::LocalPage::kConfined);
    localText_->setText(state == Browser::LocalPage::kConfined
                            ? QString::fromUtf8("Страница открыта с диска: её скрипты не выполняются, из сети ничего "
                                                "не загружается, файлы берутся только из её папки.")
                            : QString::fromUtf8("Для этой страницы с диска разрешены скрипты и содержимое из сети "
                                                "до перехода на другую страницу; файлы берутся только из её папки."));
}

void BrowserPane::showLocation(const QString& url) {
    cbURLNavigator_->setEditText(url);
    if (url.isEmpty() || cbURLNavigator_->findText(url, Qt::MatchFixedString) != -1) return;
    cbURLNavigator_->insertItem(0, url);
    cbURLNavigator_->setEditText(url);
}

void BrowserPane::onCommandStateChange(int command, bool enable) {
    if (command == Browser::kUpdateAll) stop_->setEnabled(browser_.Busy());
    if (command == Browser::kForward) forward_->setEnabled(enable);
    if (command == Browser::kBack) back_->setEnabled(enable);
}
