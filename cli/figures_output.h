// The text figures, the checks of the page and the zones of the stems as sumoran-cli prints them:
// as tables of UTF-8 cells (for text, TSV, CSV and a batch's rows), as the JSON objects "metrics"
// and "zones", and as the figures' columns of a batch's row of figures.
#pragma once

#include <string>
#include <vector>

#include "document/document.h"

/// A table of UTF-8 cells, its captions first.
struct CellTable {
    std::vector<std::string> captions;
    std::vector<std::vector<std::string>> rows;
};

/// The figures, one row each ("Показатель", "Значение", "Пояснение": caption, value, the hint with
/// its formula), then the checks ("Проверка …" caption, verdict, reason).
CellTable MetricsTable(const Document& doc);

/// The stems by zone: the stem list's rows in its display order, then the stems found only in zones
/// kept out of the lists; columns: the stem, its count in each zone, and whether it is in the list.
CellTable ZonesTable(const Document& doc);

/// The metrics as text: what they are of (in main-text mode), "caption: value" lines, then the
/// checks, "caption: verdict — reason".
std::string MetricsText(const Document& doc);

/// Appends the JSON object of the figures and checks (the value of "metrics") to `out`.
void AppendMetricsJson(const Document& doc, std::string& out);

/// Appends the JSON array of the stems by zone (the value of "zones") to `out`; `oneLine` keeps it
/// on one line, as a batch's JSON Lines are.
void AppendZonesJson(const Document& doc, std::string& out, bool oneLine);

/// The captions of the figures' columns of a batch's row of figures.
std::vector<std::string> MetricsColumns();

/// The figures' cells of a batch's row of figures, in MetricsColumns' order; `doc` null: empty cells.
std::vector<std::string> MetricsCells(const Document* doc);
