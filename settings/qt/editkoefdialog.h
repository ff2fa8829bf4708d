// The weight-coefficient editor: a modal dialog listing the eighteen coefficients, whose value texts
// the user edits in place. It writes nothing itself; the caller takes Lines() after Ok and hands them
// to ApplyKoefLines.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "settings/koefapply.h"

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

  private:
    class KoefList;
    KoefList* lvKoef_ = nullptr;
};
