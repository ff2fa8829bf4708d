#include "app/figurespanel.h"

#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <vector>

#include "app/panelparts.h"
#include "figures/figures.h"
#include "views/qt/qtext.h"

namespace {

// A read-only table of whole-row selection, named `name`, with `captions` over its columns, the
// last column taking the room left.
QTableWidget* Table(const char* name, const QStringList& captions, const QString& accessibleName) {
    auto* table = new QTableWidget(0, static_cast<int>(captions.size()));
    table->setObjectName(QString::fromLatin1(name));
    table->setAccessibleName(accessibleName);
    table->setHorizontalHeaderLabels(captions);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setTabKeyNavigation(false);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setStretchLastSection(true);
    table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return table;
}

QTableWidgetItem* Item(const QString& text, const QString& tip = {}) {
    auto* item = new QTableWidgetItem(text);
    if (!tip.isEmpty()) item->setToolTip(tip);
    return item;
}

QTableWidgetItem* NumberItem(std::int32_t count) {
    auto* item = new QTableWidgetItem(QString::number(count));
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

// A warning in dark orange, a fault in red: the eye finds them among the checks passed.
QColor VerdictColor(figures::Verdict verdict) {
    switch (verdict) {
        case figures::Verdict::kWarning:
            return QColor(0xb3, 0x5c, 0x00);
        case figures::Verdict::kFault:
            return QColor(0xcc, 0x00, 0x00);
        case figures::Verdict::kOk:
            break;
    }
    return QColor(0x2e, 0x7d, 0x32);
}

// What the figures are of: empty for the whole page.
std::string_view NoteOf(const Document& doc) {
    if (doc.content().mode != ContentMode::kMain) return {};
    return doc.content().found ? figures::kMainTextNote : figures::kNoMainTextNote;
}

}  // namespace

FiguresPanel::FiguresPanel(Document& doc, QWidget* parent) : QWidget(parent), doc_(doc) {
    note_ = new QLabel;
    note_->setObjectName(QStringLiteral("lbFiguresNote"));
    note_->setContentsMargins(4, 2, 4, 2);
    note_->hide();
    figures_ = Table("lvFigures", {u("Показатель"), u("Значение")}, u("Показатели текста"));
    checks_ = Table("lvChecks", {u("Проверка"), u("Оценка"), u("Причина")}, u("Проверки страницы"));
    QStringList zoneCaptions = {u("Словооснова")};
    for (std::string_view caption : figures::kZoneCaptions) zoneCaptions << FromCp1251(caption);
    zones_ = Table("lvZones", zoneCaptions, u("Словоосновы по зонам"));
    zones_->horizontalHeader()->setStretchLastSection(false);
    // The captions get the room of a usual one and give the rest to the values and reasons; a
    // longer caption is cut, its column can be widened, and the tooltip still tells it.
    const auto captionWidth = [](QTableWidget* table, const char* caption) {
        return table->fontMetrics().horizontalAdvance(u(caption)) + 12;
    };
    figures_->setColumnWidth(0, captionWidth(figures_, "Уникальных словооснов"));
    checks_->setColumnWidth(0, captionWidth(checks_, "Длина заголовка (title)"));
    checks_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);

    // The figures take the left column, whole; the checks and the zones share the right one.
    auto* page = new QSplitter(Qt::Vertical);
    page->setHandleWidth(3);
    page->setChildrenCollapsible(false);
    page->addWidget(checks_);
    page->addWidget(zones_);
    auto* tables = new QSplitter(Qt::Horizontal);
    tables->setHandleWidth(3);
    tables->setChildrenCollapsible(false);
    tables->addWidget(figures_);
    tables->addWidget(page);
    tables->setStretchFactor(0, 0);  // the figures keep a usual width, the checks' reasons take the rest
    tables->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panel::CaptionStrip(u(" Показатели")));
    layout->addWidget(note_);
    layout->addWidget(tables, 1);
    showFigures();
}

void FiguresPanel::showFigures() {
    figures_->setRowCount(0);
    checks_->setRowCount(0);
    zones_->setRowCount(0);
    const AnalysisState& analysis = doc_.analysis();
    const bool text = analysis.wfTotals.totalCount > 0;  // a page without text shows nothing
    const std::string_view note = text ? NoteOf(doc_) : std::string_view();
    note_->setText(FromCp1251(note));
    note_->setVisible(!note.empty());
    if (!text) return;

    const figures::TextFigures f = figures::ComputeFigures(analysis);
    const std::vector<figures::FigureLine> lines = figures::FigureLines(f, doc_.decimalSeparator);
    figures_->setRowCount(static_cast<int>(lines.size()));
    for (int r = 0; r < figures_->rowCount(); ++r) {
        const figures::FigureLine& line = lines[static_cast<std::size_t>(r)];
        const QString hint = FromCp1251(line.hint);
        figures_->setItem(r, 0, Item(FromCp1251(line.caption), hint));
        figures_->setItem(r, 1, Item(FromCp1251(line.value), hint));
    }

    const std::vector<figures::PageCheck> checks = figures::CheckPage(analysis, f);
    checks_->setRowCount(static_cast<int>(checks.size()));
    for (int r = 0; r < checks_->rowCount(); ++r) {
        const figures::PageCheck& check = checks[static_cast<std::size_t>(r)];
        const QString reason = FromCp1251(check.reason);
        checks_->setItem(r, 0, Item(FromCp1251(check.caption), FromCp1251(check.caption)));
        QTableWidgetItem* verdict = Item(FromCp1251(figures::VerdictCaption(check.verdict)), reason);
        verdict->setForeground(VerdictColor(check.verdict));
        checks_->setItem(r, 1, verdict);
        checks_->setItem(r, 2, Item(reason, reason));
    }
}

void FiguresPanel::showZones(std::span<const std::size_t> stemRows, std::span<const std::size_t> combinationRows) {
    zones_->setRowCount(0);
    const AnalysisState& analysis = doc_.analysis();
    if (analysis.wfTotals.totalCount == 0) return;
    // Display rows are turned into list entries, which are the run's stem and combination indexes.
    const auto entryOf = [this](ResultList list, std::size_t row) -> std::optional<std::uint32_t> {
        const std::vector<std::uint32_t>& rows = ListOf(doc_, list).rows;
        if (row >= rows.size()) return std::nullopt;
        return rows[row];
    };
    const auto addRow = [this](const figures::ZoneRow& row, const QString& tip) {
        const int r = zones_->rowCount();
        zones_->insertRow(r);
        zones_->setItem(r, 0, Item(FromCp1251(row.stem), tip));
        for (std::size_t z = 0; z < zone::kCount; ++z)
            zones_->setItem(r, static_cast<int>(z) + 1, NumberItem(row.counts[z]));
    };
    std::vector<std::uint32_t> stems;
    for (std::size_t row : stemRows)
        if (auto entry = entryOf(ResultList::kWordBase, row)) stems.push_back(*entry);
    for (const figures::ZoneRow& row : figures::StemZoneRows(analysis, stems)) addRow(row, {});
    const ListModel& combinations = ListOf(doc_, ResultList::kWordExpr);
    for (std::size_t row : combinationRows) {
        const auto entry = entryOf(ResultList::kWordExpr, row);
        if (!entry) continue;
        const QString tip = u("Из словосочетания «%1»").arg(FromCp1251(combinations.cell(row, 0)));
        for (const figures::ZoneRow& stem : figures::CombinationZoneRows(analysis, *entry)) addRow(stem, tip);
    }
    zones_->resizeColumnsToContents();
}
