// The browser tests' helpers, which the window tests share: waiting in the event loop for a
// condition, and writing a fixture file. Test-only; GUI thread only.
#pragma once

#include <QByteArray>
#include <QEventLoop>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

/// Runs the event loop until `done` holds or `ms` have passed; returns whether it holds. Unlike
/// QTest::qWaitFor, which sleeps between its polls and so starves the web engine's work on this
/// thread (a page of a thousand images then takes minutes), it blocks only while nothing happens.
inline bool WaitUntil(const std::function<bool()>& done, int ms) {
    if (done()) return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    poll.start(20);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

/// Writes `bytes` to the file `path`. Returns false if it cannot be written whole.
inline bool WriteTestFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
