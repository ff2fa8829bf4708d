#include "settings/qt/editkoefdialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "settings/koef.h"
#include "settings/qt/dialogbuttons.h"
#include "views/qt/qtext.h"

namespace {

constexpr int kMargin = 5;
constexpr int kRowPadding = 6;
constexpr int kCategoryColumnWidth = 253;
// What the category column leaves free of the list's width beside the value column.
constexpr int kCategoryColumnSlack = 20;
// A value that is not a number: dark red on light red, readable under any palette.
const QColor kBadValueBackground(255, 215, 215);
const QColor kBadValueText(150, 0, 0);

}  // namespace

// The coefficient list: keeps its category column filling the list's width beside the value column.
class TFormEditKoef::KoefList : public QTableWidget {
  public:
    using QTableWidget::QTableWidget;

    /// Ends an in-place edit under way, keeping what was typed.
    void commitOpenEditor() {
        if (state() != EditingState) return;
        QWidget* editor = indexWidget(currentIndex());
        if (!editor) return;
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QTableWidget::resizeEvent(event);
        setColumnWidth(1, width() - columnWidth(0) - kCategoryColumnSlack);
    }
};

TFormEditKoef::TFormEditKoef(QWidget* parent) : QDialog(parent) {
    const QString caption = QStringLiteral("Весовые коэффициенты");
    setObjectName(QStringLiteral("FormEditKoef"));
    setWindowTitle(caption);
    setAccessibleName(caption);

    auto* group = new QGroupBox(caption, this);
    group->setObjectName(QStringLiteral("GroupBox1"));

    lvKoef_ = new KoefList(static_cast<int>(settings::kKoefCategoryTexts.size()), 2, group);
    lvKoef_->setObjectName(QStringLiteral("lvKoef"));
    lvKoef_->setAccessibleName(caption);
    lvKoef_->setHorizontalHeaderLabels({QStringLiteral("Вес"), QStringLiteral("Коэффициент")});
    lvKoef_->verticalHeader()->hide();
    lvKoef_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    lvKoef_->verticalHeader()->setDefaultSectionSize(lvKoef_->fontMetrics().height() + kRowPadding);
    lvKoef_->setShowGrid(true);
    lvKoef_->setWordWrap(false);
    lvKoef_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvKoef_->setSelectionMode(QAbstractItemView::SingleSelection);
    lvKoef_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::SelectedClicked);
    lvKoef_->setSortingEnabled(false);
    QHeaderView* header = lvKoef_->horizontalHeader();
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);

    // The selected row stays marked while the focus is elsewhere.
    QPalette colours = lvKoef_->palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     colours.color(QPalette::Active, QPalette::HighlightedText));
    lvKoef_->setPalette(colours);
    valueErrors_ = new QLabel(group);
    valueErrors_->setObjectName(QStringLiteral("lbKoefErrors"));
    QPalette errorColours = valueErrors_->palette();
    errorColours.setColor(QPalette::WindowText, kBadValueText);
    valueErrors_->setPalette(errorColours);
    valueErrors_->hide();
    connect(lvKoef_, &QTableWidget::itemChanged, this, [this] { checkValues(); });
    Load({});
    // The category column starts at its design width, or wider where the font needs it for the
    // longest caption (the hidden list measures every row).
    const int category = std::max(kCategoryColumnWidth, static_cast<QAbstractItemView*>(lvKoef_)->sizeHintForColumn(1));
    lvKoef_->setColumnWidth(1, category);
    // Big enough for all rows, and as wide as the two columns plus the slack.
    lvKoef_->setFixedSize(
        lvKoef_->columnWidth(0) + category + kCategoryColumnSlack,
        header->sizeHint().height() + lvKoef_->verticalHeader()->length() + 2 * lvKoef_->frameWidth());

    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(lvKoef_);
    groupLayout->addWidget(valueErrors_);

    OkCancelRow buttons = MakeOkCancelRow(this);
    connect(buttons.ok, &QPushButton::clicked, this, &TFormEditKoef::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->addWidget(group);
    layout->addLayout(buttons.layout);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TFormEditKoef::Load(const std::vector<std::string>& lines) {
    lvKoef_->clearContents();
    lvKoef_->clearSelection();
    lvKoef_->setCurrentIndex(QModelIndex());
    for (std::size_t row = 0; row < settings::kKoefCategoryTexts.size(); ++row) {
        const int r = static_cast<int>(row);
        auto* value = new QTableWidgetItem(row < lines.size() ? FromCp1251(lines[row]) : QString());
        value->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        lvKoef_->setItem(r, 0, value);
        auto* category = new QTableWidgetItem(FromCp1251(settings::kKoefCategoryTexts[row]));
        category->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        lvKoef_->setItem(r, 1, category);
    }
    checkValues();
}

std::vector<std::string> TFormEditKoef::Lines() const {
    std::vector<std::string> lines;
    for (int row = 0; row < lvKoef_->rowCount(); ++row) {
        const QTableWidgetItem* value = lvKoef_->item(row, 0);
        lines.push_back(value ? ToCp1251(value->text()) : std::string());
    }
    return lines;
}

void TFormEditKoef::accept() {
    lvKoef_->commitOpenEditor();
    const std::optional<int> bad = checkValues();
    if (!bad) {
        QDialog::accept();
        return;
    }
    lvKoef_->setFocus();
    lvKoef_->setCurrentCell(*bad, 0);
    lvKoef_->editItem(lvKoef_->item(*bad, 0));
}

std::optional<int> TFormEditKoef::checkValues() {
    // The marks below change the items too: no itemChanged for them.
    const QSignalBlocker quiet(lvKoef_);
    std::optional<int> first;
    QStringList messages;
    for (int row = 0; row < lvKoef_->rowCount(); ++row) {
        QTableWidgetItem* value = lvKoef_->item(row, 0);
        if (!value) continue;
        const std::optional<std::string> error =
            settings::KoefValueError(static_cast<std::size_t>(row), ToCp1251(value->text()));
        if (!error) {
            value->setData(Qt::BackgroundRole, QVariant());
            value->setData(Qt::ForegroundRole, QVariant());
            value->setToolTip(QString());
            continue;
        }
        const QString message = QString::fromStdString(*error);
        value->setBackground(kBadValueBackground);
        value->setForeground(kBadValueText);
        value->setToolTip(message);
        messages << message;
        if (!first) first = row;
    }
    valueErrors_->setText(messages.join(QChar('\n')));
    valueErrors_->setVisible(!messages.isEmpty());
    return first;
}
