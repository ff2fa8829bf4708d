// The plain model behind one list view: columns, the rows it shows, the sort column and the
// status-bar text. The desktop program's table models adapt it; the command-line tool prints it.
//
// A list does not hold its cell texts: each row is an entry of the list's source, which makes a
// cell's text when it is asked for. A list of half a million entries thus costs four bytes a row,
// and only the cells a view shows are ever formatted. All texts are Windows-1251.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

/// One column of a list view. A width of 0 collapses the column; kDefaultWidth leaves it to the toolkit.
struct ListColumn {
    static constexpr int kDefaultWidth = -1;

    std::string caption;  // without the sort mark
    int width = kDefaultWidth;
    bool rightAligned = false;
};

/// The cell texts of one row: cells[0] is the row caption, the rest are the sub-item texts.
struct ListRow {
    std::vector<std::string> cells;
};

/// How a cell's text is made: as the list view shows it, or as an export to a file writes it.
enum class CellForm {
    kShown,   // the view's text, which sorting and the summary read back
    kExport,  // the value in full where the view cuts it short (the shares of the word lists)
};

/// Where the cell texts of a list come from; its entries are numbered from 0.
class ListSource {
  public:
    virtual ~ListSource() = default;

    /// Returns the text of one cell; empty for an entry or a column the source does not have.
    virtual std::string cell(std::size_t entry, unsigned column) const = 0;

    /// Returns the text of one cell as an export writes it (CellForm::kExport); by default the
    /// text cell() gives.
    virtual std::string exportCell(std::size_t entry, unsigned column) const { return cell(entry, column); }

    /// Replaces the text of one cell and returns true; returns false and changes nothing where the
    /// source does not let that cell be edited.
    virtual bool setCell(std::size_t entry, unsigned column, std::string text);
};

/// The rows a list view shows, in display order, and its sort column.
struct ListModel {
    std::vector<ListColumn> columns;
    std::vector<std::uint32_t> rows;  // entries of `source`, in display order
    std::shared_ptr<ListSource> source;
    unsigned sortColumn = 0;
    std::optional<std::string> status;  // the status-bar text; nothing keeps the previous one

    /// Returns the caption of column k as shown, with the sort mark on the sort column.
    std::string shownCaption(unsigned k) const;

    /// Returns the text of column `column` of display row `row`; empty outside the list.
    std::string cell(std::size_t row, unsigned column) const;

    /// Returns the text of column `column` of display row `row` as an export writes it
    /// (ListSource::exportCell); empty outside the list.
    std::string exportCell(std::size_t row, unsigned column) const;

    /// Returns the texts of every column of display row `row`.
    ListRow row(std::size_t row) const;

    /// Edits one cell of display row `row`; returns false when the row does not exist or the source
    /// does not let the cell be edited.
    bool setCell(std::size_t row, unsigned column, std::string text);
};

/// A source over a vector of records, which must outlive it: `format(record, column, form)` makes a
/// cell text, or `format(record, column)` where shown and exported texts are the same. An entry
/// past the vector's current end reads empty, so a list left over from before the vector was
/// rebuilt shows empty cells rather than reading outside it.
template <typename Record, typename Format>
class RecordSource : public ListSource {
  public:
    RecordSource(const std::vector<Record>& records, Format format) : records_(records), format_(std::move(format)) {}

    std::string cell(std::size_t entry, unsigned column) const override {
        return text(entry, column, CellForm::kShown);
    }

    std::string exportCell(std::size_t entry, unsigned column) const override {
        return text(entry, column, CellForm::kExport);
    }

  private:
    std::string text(std::size_t entry, unsigned column, CellForm form) const {
        if (entry >= records_.size()) return {};
        if constexpr (std::is_invocable_v<const Format&, const Record&, unsigned, CellForm>) {
            return format_(records_[entry], column, form);
        } else {
            return format_(records_[entry], column);
        }
    }

    const std::vector<Record>& records_;
    Format format_;
};

/// Returns a RecordSource over `records` (which must outlive it) with this cell format.
template <typename Record, typename Format>
std::shared_ptr<ListSource> MakeRecordSource(const std::vector<Record>& records, Format format) {
    return std::make_shared<RecordSource<Record, Format>>(records, std::move(format));
}
