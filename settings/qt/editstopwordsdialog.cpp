#include "settings/qt/editstopwordsdialog.h"

#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <string_view>
#include <utility>

#include "resources/icons.h"
#include "settings/qt/dialogbuttons.h"
#include "settings/stopworditems.h"
#include "settings/stopwords.h"
#include "views/qt/qtext.h"

namespace {

constexpr int kBorderWidth = 5;
constexpr int kListMinimumHeight = 240;

QToolButton* makeToolButton(IconId icon, const QString& hint, const QString& name, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(Icon(icon));
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setAutoRaise(true);
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setEnabled(false);
    return button;
}

// The first item that begins with the text, case ignored: where a simple combo box's list goes while the
// user types. Among the items beginning with the text the equal ones sort first, so an item equal to the
// text is always the one found.
std::optional<int> firstItemBeginningWith(const std::vector<std::string>& items, std::string_view text) {
    if (text.empty()) return std::nullopt;
    const std::string prefix = settings::LowerStopWord(text);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (settings::LowerStopWord(items[i]).starts_with(prefix)) return static_cast<int>(i);
    }
    return std::nullopt;
}

}  // namespace

TFormEditStopWords::TFormEditStopWords(std::vector<std::string> items, std::filesystem::path file, QWidget* parent)
    : QDialog(parent), items_(std::move(items)), file_(std::move(file)) {
    const QString caption = QStringLiteral("Стоп-слова");
    setObjectName(QStringLiteral("FormEditStopWords"));
    setWindowTitle(caption);
    setAccessibleName(caption);
    showError = [this](const QString& message) {
        QMessageBox::critical(this, QGuiApplication::applicationDisplayName(), message);
    };

    std::stable_sort(items_.begin(), items_.end(),
                     [](const std::string& a, const std::string& b) { return settings::StopWordItemLess(a, b); });

    auto* group = new QGroupBox(QStringLiteral("Список стоп-слов"), this);
    group->setObjectName(QStringLiteral("GroupBox1"));
    addButton_ = makeToolButton(IconId::kAddStopWord, QStringLiteral("Добавить"), QStringLiteral("ToolButton1"), group);
    removeButton_ =
        makeToolButton(IconId::kRemoveStopWord, QStringLiteral("Удалить"), QStringLiteral("ToolButton2"), group);

    edit_ = new QLineEdit(group);
    edit_->setObjectName(QStringLiteral("lbStopWordsEdit"));
    edit_->setAccessibleName(QStringLiteral("Список стоп-слов"));
    edit_->installEventFilter(this);
    list_ = new QListWidget(group);
    list_->setObjectName(QStringLiteral("lbStopWords"));
    list_->setAccessibleName(QStringLiteral("Список стоп-слов"));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setMinimumHeight(kListMinimumHeight);
    for (const std::string& item : items_) list_->addItem(FromCp1251(item));

    connect(edit_, &QLineEdit::textChanged, this, &TFormEditStopWords::applyTextRule);
    connect(edit_, &QLineEdit::textEdited, this, &TFormEditStopWords::followTypedText);
    connect(list_, &QListWidget::itemSelectionChanged, this, &TFormEditStopWords::onListSelection);
    connect(list_, &QListWidget::itemClicked, this, &TFormEditStopWords::onListSelection);
    connect(addButton_, &QToolButton::clicked, this, &TFormEditStopWords::addWord);
    connect(removeButton_, &QToolButton::clicked, this, &TFormEditStopWords::removeWord);

    auto* tools = new QHBoxLayout;
    tools->setSpacing(0);
    tools->addWidget(addButton_);
    tools->addWidget(removeButton_);
    tools->addStretch();
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->setSpacing(0);
    groupLayout->addLayout(tools);
    groupLayout->addWidget(edit_);
    groupLayout->addWidget(list_);

    OkCancelRow buttons = MakeOkCancelRow(this);
    connect(buttons.ok, &QPushButton::clicked, this, &TFormEditStopWords::writeAndAccept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kBorderWidth, kBorderWidth, kBorderWidth, kBorderWidth);
    layout->addWidget(group);
    layout->addLayout(buttons.layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

const std::vector<std::string>& TFormEditStopWords::Items() const { return items_; }

bool TFormEditStopWords::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::KeyRelease) applyTextRule();
    // Activating the window clears the selection made when it was shown; the first focus after
    // opening selects the text again, once the field has handled the event.
    if (watched == edit_ && event->type() == QEvent::FocusIn && selectOnFocus_) {
        selectOnFocus_ = static_cast<QFocusEvent*>(event)->reason() != Qt::ActiveWindowFocusReason;
        QTimer::singleShot(0, edit_, &QLineEdit::selectAll);
    }
    // Enter after a typed word adds it; the edit field would pass the key on to the dialog, whose
    // default button Ok would close it without the word.
    if (watched == edit_ && event->type() == QEvent::KeyPress && !edit_->text().isEmpty()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            addWord();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// The dialog is reused: without this the focus would return to the button that closed it last time.
void TFormEditStopWords::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    selectOnFocus_ = true;
    edit_->setFocus(Qt::OtherFocusReason);
    edit_->selectAll();
}

// The buttons follow the edit text: "Добавить" for a new word, "Удалить" for a word in the list.
void TFormEditStopWords::applyTextRule() {
    const std::string text = editText();
    if (text.empty()) {
        addButton_->setEnabled(false);
        return;
    }
    const bool found = settings::FindStopWordItem(items_, text).has_value();
    addButton_->setEnabled(!found);
    removeButton_->setEnabled(found);
}

// While the user types, the list's selection moves to the first item beginning with the text, or goes,
// so that "Удалить" never removes a word other than the one typed.
void TFormEditStopWords::followTypedText() {
    const std::optional<int> row = firstItemBeginningWith(items_, editText());
    syncing_ = true;
    if (row) {
        list_->setCurrentRow(*row);
        list_->scrollToItem(list_->item(*row));
    } else {
        list_->clearSelection();
        list_->setCurrentRow(-1);
    }
    syncing_ = false;
}

// An item the user picks in the list is shown in the edit field and can be removed.
void TFormEditStopWords::onListSelection() {
    if (syncing_) return;
    const std::optional<int> row = selectedRow();
    if (!row) return;
    syncing_ = true;
    edit_->setText(FromCp1251(items_[static_cast<std::size_t>(*row)]));
    syncing_ = false;
    applyTextRule();
    removeButton_->setEnabled(true);
}

void TFormEditStopWords::addWord() {
    const std::string text = editText();
    if (text.empty() || settings::FindStopWordItem(items_, text)) return;
    const std::size_t index = settings::InsertStopWordItem(items_, settings::LowerStopWord(text));
    const int row = static_cast<int>(index);
    list_->insertItem(row, FromCp1251(items_[index]));
    selectRow(row);
    removeButton_->setEnabled(true);
    addButton_->setEnabled(false);
}

void TFormEditStopWords::removeWord() {
    const std::optional<int> row = selectedRow();
    if (!row) return;
    const int k = *row;
    items_.erase(items_.begin() + k);
    syncing_ = true;
    delete list_->takeItem(k);
    syncing_ = false;
    const int count = list_->count();
    std::optional<int> next;  // the item now at k, else the last one, else none
    if (count > 0) next = std::min(k, count - 1);
    selectRow(next);
    addButton_->setEnabled(false);
    if (!next) removeButton_->setEnabled(false);
}

// Ok writes the list even when that fails: the failure is shown and the dialog still closes with Ok, so the
// caller reloads the stop words from whatever file there is.
void TFormEditStopWords::writeAndAccept() {
    if (std::optional<std::string> error = settings::WriteStopWords(file_, items_)) {
        if (showError) showError(QString::fromStdString(*error));
    }
    accept();
}

// Selects a row, showing its text in the edit field, or selects nothing and empties the edit field.
void TFormEditStopWords::selectRow(std::optional<int> row) {
    syncing_ = true;
    if (row) {
        list_->setCurrentRow(*row);
        list_->scrollToItem(list_->item(*row));
        edit_->setText(FromCp1251(items_[static_cast<std::size_t>(*row)]));
    } else {
        list_->clearSelection();
        list_->setCurrentRow(-1);
        edit_->clear();
    }
    syncing_ = false;
}

std::optional<int> TFormEditStopWords::selectedRow() const {
    const QModelIndexList selected = list_->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) return std::nullopt;
    return selected.front().row();
}

std::string TFormEditStopWords::editText() const { return ToCp1251(edit_->text()); }
