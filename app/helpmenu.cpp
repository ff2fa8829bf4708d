#include "app/helpmenu.h"

#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QUrl>
#include <filesystem>

#include "settings/settingsdir.h"
#include "views/qt/qtext.h"

QString UserGuidePath() {
    const std::filesystem::path data = settings::DataDirectory(settings::ExecutableDirectory());
    return QString::fromStdString((data / "UserGuide.html").string());
}

void AddHelpMenu(QMenuBar* bar, std::function<void(const QString&)> open, std::function<QDialog*()> aboutBox) {
    // The support entries lead to the guide's section on where problems are reported.
    auto showSupport = [open] {
        QUrl guide = QUrl::fromLocalFile(UserGuidePath());
        guide.setFragment(QStringLiteral("support"));
        open(guide.toString());
    };
    QMenu* help = bar->addMenu(u("&Справка"));
    help->addAction(u("&Руководство пользователя"), bar, [open] { open(UserGuidePath()); });
    help->addSeparator();
    help->addAction(u("Сайт поддержки"), bar, showSupport);
    help->addAction(u("E-Mail поддержки"), bar, showSupport);
    help->addSeparator();
    help->addAction(u("&О программе..."), bar, [aboutBox = std::move(aboutBox)] {
        if (QDialog* box = aboutBox()) box->exec();
    });
}
