#include "views/delimitedtext.h"

#include "base/cp1251.h"

namespace delimited {
namespace {

std::string csvCell(std::string_view text) {
    std::string cell;
    if (!text.empty() && std::string_view("=+-@").find(text.front()) != std::string_view::npos) cell += '\'';
    cell += text;
    if (cell.find_first_of(",\"\r\n") == std::string::npos) return cell;
    std::string quoted = "\"";
    for (char c : cell) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string tsvCell(std::string_view text) {
    std::string cell(text);
    for (char& c : cell) {
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    }
    return cell;
}

}  // namespace

std::string Record(const std::vector<std::string>& cells, Format format) {
    const bool csv = format == Format::kCsv;
    std::string line;
    for (std::size_t k = 0; k < cells.size(); ++k) {
        if (k > 0) line += csv ? ',' : '\t';
        line += csv ? csvCell(cells[k]) : tsvCell(cells[k]);
    }
    return line + (csv ? "\r\n" : "\n");
}

std::string ListText(const ListModel& list, const std::vector<unsigned>& columns, Format format) {
    std::string text = format == Format::kCsv ? "\xEF\xBB\xBF" : "";
    std::vector<std::string> cells;
    for (unsigned k : columns) cells.push_back(cp1251::toUtf8(list.columns[k].caption));
    text += Record(cells, format);
    for (std::size_t r = 0; r < list.rows.size(); ++r) {
        cells.clear();
        for (unsigned k : columns) cells.push_back(cp1251::toUtf8(list.exportCell(r, k)));
        text += Record(cells, format);
    }
    return text;
}

std::vector<unsigned> ShownColumns(const ListModel& list) {
    std::vector<unsigned> shown;
    for (unsigned k = 0; k < list.columns.size(); ++k) {
        if (list.columns[k].width != 0) shown.push_back(k);
    }
    return shown;
}

}  // namespace delimited
