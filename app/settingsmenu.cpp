#include "app/settingsmenu.h"

#include <QAction>
#include <QDialog>
#include <QMenu>

#include "app/dictionaryoption.h"
#include "settings/koef.h"
#include "settings/koefapply.h"
#include "settings/qt/editkoefdialog.h"
#include "settings/qt/editstopwordsdialog.h"
#include "settings/settingsdir.h"
#include "settings/stopwords.h"
#include "views/qt/qtext.h"

SettingsMenu::SettingsMenu(Document& doc, StartupSettings& settings, QMenu* menu,
                           std::function<void(const QString&)> report)
    : QObject(menu), doc_(doc), directory_(settings.directory), report_(std::move(report)) {
    QWidget* window = menu->parentWidget() ? menu->parentWidget()->window() : nullptr;
    stopWordsEditor_ =
        new TFormEditStopWords(std::move(settings.stopWordItems), directory_ / settings::kStopWordsFileName, window);
    koefEditor_ = new TFormEditKoef(window);

    menu->addAction(u("&Стоп-слова"), this, &SettingsMenu::editStopWords)->setObjectName(QStringLiteral("miStopWords"));
    menu->addAction(u("&Весовые коэффициенты"), this, &SettingsMenu::editKoef)->setObjectName(QStringLiteral("miKoef"));
    QMenu* index = menu->addMenu(u("Включить в &индекс"));
    struct Option {
        const char* caption;
        const char* name;
        bool IndexOptions::*flag;
    };
    for (const Option& o : {Option{"Заголовок документа", "miIndexTitle", &IndexOptions::indexTitle},
                            Option{"Мета-теги", "miIndexMeta", &IndexOptions::indexMeta},
                            Option{"Описание картинок", "miIndexImgAlt", &IndexOptions::indexImgAlt}}) {
        QAction* action = index->addAction(u(o.caption));
        action->setObjectName(QString::fromLatin1(o.name));
        action->setCheckable(true);
        connect(action, &QAction::toggled, this, [this, flag = o.flag](bool on) {
            IndexOptions options = doc_.analysis().options;
            options.*flag = on;
            SetIndexOptions(doc_, options);
            emit reanalyseRequested();
        });
    }
    new DictionaryOption(
        doc_, menu, [this](const QString& message) { report_(message); }, [this] { emit reanalyseRequested(); });
}

void SettingsMenu::editStopWords() {
    if (stopWordsEditor_->exec() != QDialog::Accepted) return;
    SetStopWords(doc_, settings::LoadStopWords(directory_ / settings::kStopWordsFileName));
    emit settingsChanged();
}

void SettingsMenu::editKoef() {
    koefEditor_->Load(settings::KoefEditorLines(doc_.analysis().koef, doc_.decimalSeparator));
    if (koefEditor_->exec() != QDialog::Accepted) return;
    KoefApplyResult result =
        ApplyKoefLines(directory_ / settings::kKoefFileName, koefEditor_->Lines(), doc_.decimalSeparator);
    if (result.values) SetCoefficients(doc_, *result.values);
    if (result.error) {
        report_(QString::fromStdString(*result.error));
        return;
    }
    emit settingsChanged();
}
