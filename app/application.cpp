#include "app/application.h"

#include <QMessageBox>
#include <exception>
#include <iostream>
#include <new>

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
