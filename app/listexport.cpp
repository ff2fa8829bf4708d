#include "app/listexport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTableView>
#include <QToolBar>
#include <algorithm>
#include <filesystem>

#include "app/panelparts.h"
#include "base/cp1251.h"
#include "base/textfile.h"
#include "views/delimitedtext.h"
#include "views/qt/qtext.h"

QString FilterExtension(const QString& filter) {
    static const QRegularExpression kOnePattern(QStringLiteral("\\(\\*\\.([^*?\\[\\]. ()]+)\\)$"));
    const QRegularExpressionMatch match = kOnePattern.match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString ListFileName(const QString& path, const QString& filter) {
    const QString extension = FilterExtension(filter);
    if (path.isEmpty() || extension.isEmpty() || QFileInfo(path).fileName().contains(u'.')) return path;
    return path + u'.' + extension;
}

ListExporter::ListExporter(QTableView* view, const ListModel& list, QToolBar* bar, const char* name)
    : QObject(view), view_(view), list_(list) {
    setObjectName(QString::fromLatin1(name) + QStringLiteral("Exporter"));
    save_ = panel::AddTool(bar, name, IconId::kSaveList, u("Сохранить как CSV..."));
    connect(save_, &QAction::triggered, this, &ListExporter::saveAsked);
    copy_ = new QAction(u("Копировать строки"), view);
    copy_->setObjectName(QString::fromLatin1(name) + QStringLiteral("Copy"));
    copy_->setShortcut(QKeySequence::Copy);
    copy_->setShortcutContext(Qt::WidgetShortcut);
    connect(copy_, &QAction::triggered, this,
            [this] { QApplication::clipboard()->setText(QString::fromUtf8(selectedRowsText())); });
    view->setContextMenuPolicy(Qt::ActionsContextMenu);
    view->addAction(copy_);
    view->addAction(save_);
    askFileName_ = [view] {
        QFileDialog dialog(view, u("Сохранить список"), QString(), u("CSV (*.csv);;TSV (*.tsv);;Все файлы (*)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // The dialog adds the same extension as ListFileName, so that it asks before replacing the
        // file that is then written, not the one named without the extension.
        const auto followFilter = [&dialog](const QString& filter) {
            dialog.setDefaultSuffix(FilterExtension(filter));
        };
        connect(&dialog, &QFileDialog::filterSelected, &dialog, followFilter);
        followFilter(dialog.selectedNameFilter());
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return ListFileChoice{};
        return ListFileChoice{dialog.selectedFiles().constFirst(), dialog.selectedNameFilter()};
    };
    reportError_ = [view](const QString& message) { QMessageBox::critical(view, QStringLiteral("Sumoran"), message); };
}

std::vector<unsigned> ListExporter::shownColumns() const {
    std::vector<unsigned> shown;
    const QHeaderView* header = view_->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int k = header->logicalIndex(visual);
        if (k < 0 || static_cast<std::size_t>(k) >= list_.columns.size()) continue;
        if (!header->isSectionHidden(k) && header->sectionSize(k) > 0) shown.push_back(static_cast<unsigned>(k));
    }
    return shown;
}

QByteArray ListExporter::selectedRowsText() const {
    const std::vector<unsigned> columns = shownColumns();
    std::string text;
    for (int row : panel::SelectedRows(view_)) {
        std::vector<std::string> cells;
        for (unsigned k : columns) cells.push_back(cp1251::toUtf8(list_.cell(static_cast<std::size_t>(row), k)));
        text += delimited::Record(cells, delimited::Format::kTsv);
    }
    return QByteArray::fromStdString(text);
}

QString ListExporter::save(const QString& path) const {
    const bool tsv = path.endsWith(u(".tsv"), Qt::CaseInsensitive) || path.endsWith(u(".tab"), Qt::CaseInsensitive);
    const std::string text =
        delimited::ListText(list_, shownColumns(), tsv ? delimited::Format::kTsv : delimited::Format::kCsv);
    // The program's one atomic writer, not QSaveFile: QSaveFile buffers a short text whole and its
    // commit() renames the temporary over the old file even when the last flush fails, so a full
    // disk would leave the old file empty and report success.
    const std::filesystem::path file(QFile::encodeName(path).toStdString());
    const settings::WriteResult written = settings::WriteFileAtomically(file, text);
    if (written.ok()) return {};
    return QString::fromStdString(settings::CannotSaveFileMessage("список", file, written.error));
}

void ListExporter::saveAsked() {
    const ListFileChoice choice = askFileName_();
    if (choice.path.isEmpty()) return;
    const QString path = ListFileName(choice.path, choice.filter);
    const QString error = save(path);
    if (!error.isEmpty()) reportError_(error);
}
