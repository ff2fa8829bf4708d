// ListExporter: saving a list view's rows as CSV or TSV and copying its selected rows. It adds to
// a list's tool bar and context menu "Сохранить как CSV..." and to its view Ctrl+C, which copies the
// selected rows as TSV. What is written is what the view shows: its rows in display order and its
// columns that are not collapsed, with their captions as the header; the text comes from the
// plain writer views/delimitedtext.h. A file is written whole or not at all.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

#include "views/listmodel.h"

class QAction;
class QTableView;
class QToolBar;

/// What the file dialog gave: the file name and the filter chosen with it (empty when none was).
struct ListFileChoice {
    QString path;
    QString filter;
};

/// The extension a file dialog filter such as "CSV (*.csv)" stands for, without its dot ("csv");
/// empty for a filter of several patterns or of any file ("Все файлы (*)").
QString FilterExtension(const QString& filter);

/// The file a list is saved to: `path` with the extension of `filter` added when its file name has
/// no dot, as "report" saved under "CSV (*.csv)" becomes "report.csv"; a name with an extension,
/// or one chosen under a filter of no one extension, is kept as it is.
QString ListFileName(const QString& path, const QString& filter);

class ListExporter : public QObject {
    Q_OBJECT

  public:
    /// Serves `view`, which shows `list` (both must outlive it). The tool button and the menu entry
    /// are named `name` on `bar`; the exporter itself is named `name` + "Exporter".
    ListExporter(QTableView* view, const ListModel& list, QToolBar* bar, const char* name);

    /// Replaces the file dialog that asks where to save and under which filter (an empty name cancels).
    void setFileNameAsker(std::function<ListFileChoice()> ask) { askFileName_ = std::move(ask); }
    /// Replaces the error message box.
    void setErrorReporter(std::function<void(const QString&)> report) { reportError_ = std::move(report); }

    /// The columns the view shows, in order.
    std::vector<unsigned> shownColumns() const;
    /// The selected rows as TSV (UTF-8), in display order, without a header.
    QByteArray selectedRowsText() const;
    /// Writes the list to `path`: TSV when the name ends in ".tsv" or ".tab", else CSV, replacing the
    /// file whole or not at all. Returns "Не удалось сохранить список в файл <path>: <reason>", or
    /// an empty text when the file was written.
    QString save(const QString& path) const;

    QAction* saveAction() const { return save_; }
    QAction* copyAction() const { return copy_; }

  private:
    void saveAsked();

    QTableView* view_;
    const ListModel& list_;
    QAction* save_ = nullptr;
    QAction* copy_ = nullptr;
    std::function<ListFileChoice()> askFileName_;
    std::function<void(const QString&)> reportError_;
};
