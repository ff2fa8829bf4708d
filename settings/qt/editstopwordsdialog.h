// The stop-word editor: a modal dialog over its own sorted copy of the stop-word list, with an edit
// field above the list (as a simple combo box has), "Добавить" and "Удалить" tool buttons, and Ok,
// which writes the list to stopwords.txt. Enter in the edit field adds the word typed there, as
// "Добавить" does, and keeps the dialog open; only with the field empty does Enter press Ok. It is
// created once and reused, and opens each time with the focus in the edit field: Cancel keeps the
// dialog's edits in its list, and the next Ok writes them too.
#pragma once

#include <QDialog>
#include <QString>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLineEdit;
class QListWidget;
class QToolButton;

class TFormEditStopWords : public QDialog {
    Q_OBJECT

  public:
    /// Builds the dialog with the editor's item list (Windows-1251 lines of stopwords.txt as the start-up read
    /// them) and the file that Ok writes.
    TFormEditStopWords(std::vector<std::string> items, std::filesystem::path file, QWidget* parent = nullptr);

    /// The dialog's current list, sorted (Windows-1251).
    const std::vector<std::string>& Items() const;

    /// Shows the message when Ok cannot write the file; a critical message box unless replaced (as tests do).
    std::function<void(const QString& message)> showError;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void applyTextRule();
    void followTypedText();
    void onListSelection();
    void addWord();
    void removeWord();
    void writeAndAccept();
    void selectRow(std::optional<int> row);
    std::optional<int> selectedRow() const;
    std::string editText() const;

    std::vector<std::string> items_;
    std::filesystem::path file_;
    QLineEdit* edit_ = nullptr;
    QListWidget* list_ = nullptr;
    QToolButton* addButton_ = nullptr;
    QToolButton* removeButton_ = nullptr;
    bool selectOnFocus_ = false;  // set from showing the dialog to the focus its activation brings
    bool syncing_ = false;        // set while the program itself moves the selection or sets the edit text
};
