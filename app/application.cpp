#include "app/application.h"

#include <unistd.h>

#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <new>

#include "app/aboutbox.h"
#include "app/mainform.h"
#include "document/startup.h"
#include "settings/decimalseparator.h"

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
        report(QString::fromUtf8("Недостаточно памяти: команда не выполнена."));
    } catch (const std::exception& e) {
        report(QString::fromUtf8("Ошибка: %1").arg(QString::fromLocal8Bit(e.what())));
    } catch (...) {
        report(QString::fromUtf8("Неизвестная ошибка: команда не выполнена."));
    }
    return false;
}

void Application::report(const QString& message) {
    if (reporting_ > 0) {
        std::cerr << "sumoran: " << message.toLocal8Bit().constData() << '\n';
        return;
    }
    ++reporting_;
    struct Leave {
        int& depth;
        ~Leave() { --depth; }
    } leave{reporting_};
    if (report_) {
        report_(message);
        return;
    }
    QMessageBox::critical(activeWindow(), QStringLiteral("Sumoran"), message);
}

int RunProgram(const std::filesystem::path& settingsDirectory, const QString& argument,
               const std::function<Browser*()>& makeBrowser) {
    StartupResult startup = LoadStartupSettings(settingsDirectory, settings::UserDecimalSeparator());
    if (startup.warning)
        QMessageBox::critical(nullptr, QStringLiteral("Sumoran"), QString::fromStdString(*startup.warning));
    if (startup.error) {
        QMessageBox::critical(nullptr, QStringLiteral("Sumoran"), QString::fromStdString(*startup.error));
        return EXIT_FAILURE;
    }
    TFormMain form(makeBrowser(), std::move(startup.settings));
    TFormAbout about(&form);
    form.setAboutBox(&about);
    // Without a window manager "maximized" means nothing: fill the screen by hand as well.
    if (QScreen* screen = QGuiApplication::primaryScreen()) form.setGeometry(screen->availableGeometry());
    form.showMaximized();
    if (!argument.isEmpty()) {
        // A file named relative to the current directory opens by its absolute path, as a file
        // address, so that a "#" or "?" in its name is not read as a fragment or a query.
        const QFileInfo file(argument);
        form.OpenAddress(file.exists() ? QUrl::fromLocalFile(file.absoluteFilePath()).toString() : argument);
    }
    return QApplication::exec();
}

QString SandboxNote() {
    const QByteArray value = qgetenv("QTWEBENGINE_DISABLE_SANDBOX");
    if ((value.isEmpty() || value == "0") && !qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").contains("--no-sandbox")) return {};
    return ::geteuid() == 0 ? QString::fromUtf8("Песочница веб-движка отключена: программа запущена от имени root")
                            : QString::fromUtf8("Песочница веб-движка отключена");
}
