// The weight-coefficient editor: a modal dialog listing the eighteen coefficients, whose value texts
// the user edits in place. A value that is not a number is marked in its cell and named under the
// list, and Ok refuses to close until every value is a number, so that the file the caller writes
// always reads back. It writes nothing itself; the caller takes Lines() after Ok and hands them to
// ApplyKoefLines.
#pragma once

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "settings/koefapply.h"

class QLabel;

class TFormEditKoef : public QDialog {
    Q_OBJECT

  public:
    /// Builds the dialog, hidden, with eighteen rows of empty values; exec() returns Accepted on "Ok".
    explicit TFormEditKoef(QWidget* parent = nullptr);

    /// Empties lvKoef and fills its eighteen rows: first column ("Вес") the texts `lines` (KoefEditorLines of
    /// the current values; missing texts are left empty, extra ones ignored), second column ("Коэффициент")
    /// the category texts.
    void Load(const std::vector<std::string>& lines);

    /// The first-column texts of all rows, in row order, unchanged (Windows-1251).
    std::vector<std::string> Lines() const;

    /// Ok: takes the value being typed, then closes with Accepted, unless a value is not a number;
    /// then the dialog stays open with the first such value selected for editing.
    void accept() override;

  private:
    /// Marks every value that is not a number (cell colour and tooltip) and names them under the
    /// list. Returns the first such row.
    std::optional<int> checkValues();

    class KoefList;
    KoefList* lvKoef_ = nullptr;
    QLabel* valueErrors_ = nullptr;
};
