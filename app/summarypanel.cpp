#include "app/summarypanel.h"

#include <QAction>
#include <QActionGroup>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>

#include "app/panelparts.h"
#include "summary/rtfwriter.h"
#include "views/qt/qtext.h"

namespace {

// The paragraphs of the summary pane as it stands, the user's edits included; a paragraph counts
// as bold when its text starts in bold.
std::vector<SummaryParagraph> PaneParagraphs(const QTextEdit* pane) {
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

}  // namespace

SummaryPanel::SummaryPanel(Document& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
    QToolBar* bar = panel::FlatToolBar("tbReferat");
    copy_ = panel::AddTool(bar, "tbCopyReferat", IconId::kCopySummary,
                           QString::fromUtf8("Копировать автореферат в буфер обмена"));
    save_ =
        panel::AddTool(bar, "tbSaveReferat", IconId::kSaveSummary, QString::fromUtf8("Сохранить автореферат в файл"));
    connect(copy_, &QAction::triggered, this, &SummaryPanel::copy);
    connect(save_, &QAction::triggered, this, &SummaryPanel::save);
    auto* limits = new QMenu(this);
    limits->setObjectName(QStringLiteral("pmReferatLimits"));
    auto* group = new QActionGroup(limits);
    for (std::size_t k = 0; k < kSummaryLimits.size(); ++k) {
        QAction* item = limits->addAction(FromCp1251(kSummaryLimits[k].caption));
        item->setObjectName(QStringLiteral("miLimit%1").arg(k));
        item->setCheckable(true);
        item->setChecked(k == kNoLimitItem);
        group->addAction(item);
        limitItems_.push_back(item);
        connect(item, &QAction::triggered, this, [this, k] { rebuild(k); });
        if (kSummaryLimits[k].separatorAfter) limits->addSeparator();
    }
    limitsButton_ = panel::AddMenuTool(bar, "tbReferatLimits", IconId::kSummaryLimits,
                                       QString::fromUtf8("Ограничения автореферирования"), limits);
    connect(limitsButton_, &QToolButton::clicked, this, [this] { rebuild(kNoLimitItem); });

    pane_ = new QTextEdit;
    pane_->setObjectName(QStringLiteral("reReferat"));
    pane_->setAccessibleName(QStringLiteral("reReferat"));
    // Tab moves on to the window's next control, so that the keyboard is not trapped in the pane.
    pane_->setTabChangesFocus(true);
    pane_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pane_->setAcceptRichText(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(
        panel::Panel(QString::fromUtf8(" Автореферат"), bar, pane_, panel::OnePanelStatusBar(status_, "sbReferat")));

    askSaveFileName_ = [this] {
        return QFileDialog::getSaveFileName(this, QString(), QString(), QStringLiteral("RTF format (*.rtf)"), nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    };
    reportError_ = [this](const QString& message) { QMessageBox::critical(this, QStringLiteral("Sumoran"), message); };
    disableTools();
}

void SummaryPanel::showSummary() {
    pane_->setUpdatesEnabled(false);
    pane_->clear();
    // One edit block lays the text out once, not after every paragraph (seconds for the summary of
    // a large page); without undo, Ctrl+Z in the pane cannot take the summary itself back.
    QTextDocument* text = pane_->document();
    text->setUndoRedoEnabled(false);
    QTextCursor cursor(text);
    cursor.beginEditBlock();
    QTextCharFormat plain;
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    bool first = true;
    for (const SummaryParagraph& p : doc_.summary.paragraphs) {
        if (!first) cursor.insertBlock();
        first = false;
        cursor.insertText(FromCp1251(p.text), p.bold ? bold : plain);
    }
    cursor.endEditBlock();
    text->setUndoRedoEnabled(true);
    pane_->moveCursor(QTextCursor::Start);
    pane_->setUpdatesEnabled(true);
    if (doc_.summary.status) status_->setText(FromCp1251(*doc_.summary.status));
}

void SummaryPanel::clear() { pane_->clear(); }

void SummaryPanel::rebuild(std::size_t limit) {
    RebuildSummary(doc_, limit);
    limitItems_.at(limit)->setChecked(true);
    emit rebuilt();
    showSummary();
}

void SummaryPanel::disableTools() {
    for (QAction* a : {copy_, save_}) a->setEnabled(false);
    limitsButton_->setEnabled(false);
}

void SummaryPanel::readyForSummary() {
    for (QAction* a : {copy_, save_}) a->setEnabled(true);
    limitsButton_->setEnabled(true);
    limitItems_[kNoLimitItem]->setChecked(true);
}

void SummaryPanel::copy() {
    pane_->selectAll();
    pane_->copy();
    pane_->moveCursor(QTextCursor::Start);
}

void SummaryPanel::save() {
    const QString name = askSaveFileName_();
    if (name.isEmpty()) return;
    const std::string file = RtfFileName(name.toStdString());
    if (auto error = SaveSummaryRtf(file, PaneParagraphs(pane_))) reportError_(QString::fromStdString(*error));
}
