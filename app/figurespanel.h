// FiguresPanel: the "Показатели" tab: on the left the figures of the text (caption and value, the
// formula as each row's tooltip); on the right the checks of the page (verdict and reason) and,
// under them, each stem's count by zone for the rows selected in the stem and combination lists.
// In main-text mode a line above says what text the figures are of. Everything comes from
// figures/figures.h over the document's last run; a page without text leaves the tables empty.
#pragma once

#include <QWidget>
#include <span>

#include "document/document.h"

class QLabel;
class QTableWidget;

class FiguresPanel : public QWidget {
    Q_OBJECT

  public:
    /// Builds the panel over `doc`, which must outlive the panel.
    explicit FiguresPanel(Document& doc, QWidget* parent = nullptr);

    /// Shows the figures and checks of the document's last run, with an empty zone table.
    void showFigures();
    /// Shows in the zone table the stems of display rows `stemRows` of the stem list, then those of
    /// display rows `combinationRows` of the combination list, each combination's stems in order.
    void showZones(std::span<const std::size_t> stemRows, std::span<const std::size_t> combinationRows);

    QTableWidget* figuresView() const { return figures_; }
    QTableWidget* checksView() const { return checks_; }
    QTableWidget* zonesView() const { return zones_; }
    QLabel* noteLabel() const { return note_; }

  private:
    Document& doc_;
    QLabel* note_ = nullptr;
    QTableWidget* figures_ = nullptr;
    QTableWidget* checks_ = nullptr;
    QTableWidget* zones_ = nullptr;
};
