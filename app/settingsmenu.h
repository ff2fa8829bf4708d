// The "Настройки" menu: the stop-word and coefficient editors, the parts of the page to index and
// stems from the dictionary. Each choice changes the document's settings (and the files the
// editors write); the window decides when to analyse the page again.
#pragma once

#include <QObject>
#include <filesystem>
#include <functional>

#include "document/document.h"
#include "document/startup.h"

class QMenu;
class TFormEditKoef;
class TFormEditStopWords;

class SettingsMenu : public QObject {
    Q_OBJECT

  public:
    /// Fills `menu`. The editors start from `settings` and write their files into its directory;
    /// `report` shows an error message.
    SettingsMenu(Document& doc, StartupSettings& settings, QMenu* menu, std::function<void(const QString&)> report);

    TFormEditStopWords* stopWordsEditor() const { return stopWordsEditor_; }
    TFormEditKoef* koefEditor() const { return koefEditor_; }

  signals:
    /// An index option or the stem source changed: the page is to be taken and analysed again.
    void reanalyseRequested();
    /// An editor saved its file and the document took the new settings.
    void settingsChanged();

  private:
    void editStopWords();
    void editKoef();

    Document& doc_;
    std::filesystem::path directory_;
    std::function<void(const QString&)> report_;
    TFormEditStopWords* stopWordsEditor_ = nullptr;
    TFormEditKoef* koefEditor_ = nullptr;
};
