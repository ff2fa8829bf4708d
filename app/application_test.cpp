// An exception that escapes a slot reaches the error box, and the event loop goes on.
#include "app/application.h"

#include <QMessageBox>
#include <QTimer>
#include <QtTest>
#include <new>
#include <stdexcept>

class ApplicationTest : public QObject {
    Q_OBJECT

  private slots:
    void showsAnEscapedExceptionAndGoesOn_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("runtime error") << 0 << QString::fromUtf8("Ошибка: сбой в команде");
        QTest::newRow("out of memory") << 1 << QString::fromUtf8("Недостаточно памяти: команда не выполнена.");
        QTest::newRow("anything else") << 2 << QString::fromUtf8("Неизвестная ошибка: команда не выполнена.");
    }

    void showsAnEscapedExceptionAndGoesOn() {
        QFETCH(int, kind);
        QFETCH(QString, message);
        // The real error box: it runs a loop of its own, in which this timer reads and closes it.
        QStringList shown;
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown << box->text();
                box->accept();
            }
        });
        closer.start(20);
        QTimer::singleShot(0, this, [kind] {
            if (kind == 0) throw std::runtime_error("сбой в команде");
            if (kind == 1) throw std::bad_alloc();
            throw 42;
        });
        bool later = false;
        QTimer::singleShot(100, this, [&] { later = true; });
        QTRY_VERIFY(later);
        QCOMPARE(shown, QStringList{message});
    }
};

int main(int argc, char** argv) {
    Application app(argc, argv);
    ApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "application_test.moc"
